// Settings: reading Setting.ini, converting its values and composing the skin paths.
#include "app/app_settings.h"

#include <climits>
#include <cstdint>
#include <vector>

#include "records/profile_reader.h"

namespace plindar {

namespace {

constexpr char kColorSection[] = "Color";
constexpr char kFontSection[] = "Font";
constexpr char kSettingSection[] = "Setting";

constexpr size_t kColorParts = 3;
constexpr int32_t kColorComponentMax = 255;
constexpr int kGreenShift = 8;
constexpr int kBlueShift = 16;

using S = app_settings_stu;

const std::array<setting_row_stu, kSettingRowCount> kSettingsTable = {{
    {kColorSection, "ChildBkColor", "255,255,255", &S::ChildBkColor},
    {kFontSection, "FontName", "Microsoft YaHei", &S::FontName},
    {kFontSection, "ButtonMenuFontWeight", "0", &S::ButtonMenuFontWeight},
    {kFontSection, "ButtonMenuFontHeight", "15", &S::ButtonMenuFontHeight},
    {kColorSection, "ButtonMenuFontColor", "0,0,0", &S::ButtonMenuFontColor},
    {kFontSection, "ButtonFontWeight", "0", &S::ButtonFontWeight},
    {kFontSection, "ButtonFontHeight", "15", &S::ButtonFontHeight},
    {kColorSection, "ButtonFontColor", "0,0,0", &S::ButtonFontColor},
    {kFontSection, "StaticFontWeight", "0", &S::StaticFontWeight},
    {kFontSection, "StaticFontHeight", "15", &S::StaticFontHeight},
    {kColorSection, "StaticFontTextColor", "0,0,0", &S::StaticFontTextColor},
    {kColorSection, "StaticFontBkColor", "255,255,255", &S::StaticFontBkColor},
    {kColorSection, "TextDownColor", "216,34,40", &S::TextDownColor},
    {kColorSection, "LineColor", "215,215,215", &S::LineColor},
    {kColorSection, "ExpertTextColor", "255,0,0", &S::ExpertTextColor},
    {kColorSection, "StaticTextNumberColor", "142,142,142", &S::StaticTextNumberColor},
    {kFontSection, "GridTitleFontWeight", "700", &S::GridTitleFontWeight},
    {kFontSection, "GridTitleFontHeight", "15", &S::GridTitleFontHeight},
    {kFontSection, "GridFontWeight", "0", &S::GridFontWeight},
    {kFontSection, "GridFontHeight", "15", &S::GridFontHeight},
    {kColorSection, "GridTextColor", "0,0,0", &S::GridTextColor},
    {kColorSection, "GridTitleTextColor", "237,112,32", &S::GridTitleTextColor},
    {kColorSection, "GridTitleBkColor", "186,199,231", &S::GridTitleBkColor},
    {kColorSection, "TextUnlineColor", "255,128,64", &S::TextUnlineColor},
    {kColorSection, "TextOnlineColor", "0,153,0", &S::TextOnlineColor},
    {kSettingSection, "retransmission_max", "3", &S::retransmission_max},
    {kSettingSection, "retransmission_interval", "2000", &S::retransmission_interval},
}};

std::vector<std::string_view> SplitAtCommas(std::string_view text) {
    std::vector<std::string_view> parts;
    for (;;) {
        size_t comma = text.find(',');
        parts.push_back(text.substr(0, comma));
        if (comma == std::string_view::npos) {
            return parts;
        }
        text.remove_prefix(comma + 1);
    }
}

std::string ReadSettingFrom(const CProfileFile& file, const setting_row_stu& row) {
    return file.ReadString(row.section, row.key, row.default_value, kSettingBufferSize);
}

// Applies one read value to its member by the member's kind.
struct SettingApplier {
    app_settings_stu* settings;
    const std::string& text;

    void operator()(rgb_colour S::*member) const { ParseColor(text, &(settings->*member)); }
    void operator()(int32_t S::*member) const { settings->*member = ParseAtoi(text); }
    void operator()(std::string S::*member) const { settings->*member = text; }
};

font_description_stu GridFont(int32_t height, int32_t weight, const std::string& face) {
    font_description_stu font;
    font.height = height;
    font.weight = weight;
    font.face_name = face;
    return font;
}

}  // namespace

const std::array<setting_row_stu, kSettingRowCount>& SettingsTable() {
    return kSettingsTable;
}

bool ParseColor(std::string_view text, rgb_colour* colour) {
    std::vector<std::string_view> parts = SplitAtCommas(text);
    if (parts.size() != kColorParts) {
        return false;
    }
    int32_t components[kColorParts];
    for (size_t i = 0; i < kColorParts; ++i) {
        components[i] = ParseAtoi(parts[i]);
        if (components[i] < 0 || components[i] > kColorComponentMax) {
            return false;
        }
    }
    *colour = static_cast<rgb_colour>(components[0]) |
              static_cast<rgb_colour>(components[1]) << kGreenShift |
              static_cast<rgb_colour>(components[2]) << kBlueShift;
    return true;
}

std::string ReadSetting(const std::string& folder, const std::string& section,
                        const std::string& key, const std::string& default_value) {
    return ReadProfileString(folder + kSettingsFileName, section, key, default_value,
                             kSettingBufferSize);
}

app_settings_stu LoadSettings(const std::string& folder) {
    // One read of the file serves every key; a missing file leaves it empty, which
    // gives every default.
    CProfileFile file;
    file.Load(folder + kSettingsFileName);

    app_settings_stu settings;
    for (const setting_row_stu& row : kSettingsTable) {
        std::string text = ReadSettingFrom(file, row);
        std::visit(SettingApplier{&settings, text}, row.member);
    }
    settings.grid_title_font =
        GridFont(settings.GridTitleFontHeight, settings.GridTitleFontWeight, settings.FontName);
    settings.grid_font =
        GridFont(settings.GridFontHeight, settings.GridFontWeight, settings.FontName);
    settings.grid_row_height = kGridRowHeight;
    return settings;
}

skin_paths BuildSkinPaths(const std::string& folder) {
    skin_paths paths;
    for (size_t i = 0; i < kSkinFileNames.size(); ++i) {
        paths[i] = folder + kSkinFolderName + kSkinFileNames[i];
    }
    return paths;
}

}  // namespace plindar
