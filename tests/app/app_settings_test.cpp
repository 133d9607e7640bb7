// Tests of the settings: defaults, colour and integer conversion, cut values, the
// shipped Setting.ini and the skin paths.
#include "app/app_settings.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "records/profile_reader.h"
#include "support/temp_folder.h"

namespace plindar {
namespace {

constexpr rgb_colour Rgb(uint32_t r, uint32_t g, uint32_t b) {
    return r | g << 8 | b << 16;
}

void WriteSettings(const std::string& folder, const std::string& text) {
    std::ofstream(folder + "Setting.ini", std::ios::binary) << text;
}

std::string ShippedResources() {
    return (std::filesystem::path(__FILE__).parent_path() / "../../resources/").string();
}

// The defaults written out by hand, so that a slip in the settings table shows.
void ExpectDefaults(const app_settings_stu& s) {
    EXPECT_EQ(s.ChildBkColor, Rgb(255, 255, 255));
    EXPECT_EQ(s.FontName, "Microsoft YaHei");
    EXPECT_EQ(s.ButtonMenuFontWeight, 0);
    EXPECT_EQ(s.ButtonMenuFontHeight, 15);
    EXPECT_EQ(s.ButtonMenuFontColor, Rgb(0, 0, 0));
    EXPECT_EQ(s.ButtonFontWeight, 0);
    EXPECT_EQ(s.ButtonFontHeight, 15);
    EXPECT_EQ(s.ButtonFontColor, Rgb(0, 0, 0));
    EXPECT_EQ(s.StaticFontWeight, 0);
    EXPECT_EQ(s.StaticFontHeight, 15);
    EXPECT_EQ(s.StaticFontTextColor, Rgb(0, 0, 0));
    EXPECT_EQ(s.StaticFontBkColor, Rgb(255, 255, 255));
    EXPECT_EQ(s.TextDownColor, Rgb(216, 34, 40));
    EXPECT_EQ(s.LineColor, Rgb(215, 215, 215));
    EXPECT_EQ(s.ExpertTextColor, Rgb(255, 0, 0));
    EXPECT_EQ(s.StaticTextNumberColor, Rgb(142, 142, 142));
    EXPECT_EQ(s.GridTitleFontWeight, 700);
    EXPECT_EQ(s.GridTitleFontHeight, 15);
    EXPECT_EQ(s.GridFontWeight, 0);
    EXPECT_EQ(s.GridFontHeight, 15);
    EXPECT_EQ(s.GridTextColor, Rgb(0, 0, 0));
    EXPECT_EQ(s.GridTitleTextColor, Rgb(237, 112, 32));
    EXPECT_EQ(s.GridTitleBkColor, Rgb(186, 199, 231));
    EXPECT_EQ(s.TextUnlineColor, Rgb(255, 128, 64));
    EXPECT_EQ(s.TextOnlineColor, Rgb(0, 153, 0));
    EXPECT_EQ(s.retransmission_max, 3);
    EXPECT_EQ(s.retransmission_interval, 2000);
    EXPECT_EQ(s.grid_title_font, (font_description_stu{15, 700, "Microsoft YaHei"}));
    EXPECT_EQ(s.grid_font, (font_description_stu{15, 0, "Microsoft YaHei"}));
    EXPECT_EQ(s.grid_row_height, 48);
}

TEST(AppSettingsTest, MissingOrEmptyFileGivesExactlyTheDefaults) {
    test::TempFolder folder;
    ExpectDefaults(LoadSettings(folder.Path()));
    WriteSettings(folder.Path(), "");
    ExpectDefaults(LoadSettings(folder.Path()));
    // Keys in the wrong section are somebody else's.
    WriteSettings(folder.Path(), "[Color]\nFontName=Elsewhere\n[Font]\nLineColor=1,2,3\n");
    ExpectDefaults(LoadSettings(folder.Path()));
}

TEST(AppSettingsTest, ShippedFileHoldsEveryKeyWithItsDefault) {
    const std::string path = ShippedResources() + "Setting.ini";
    ASSERT_TRUE(test::FileExists(path)) << path;
    for (const setting_row_stu& row : SettingsTable()) {
        EXPECT_EQ(ReadProfileString(path, row.section, row.key, "<absent>", kSettingBufferSize),
                  row.default_value)
            << row.section << "/" << row.key;
    }
    test::TempFolder empty;
    EXPECT_EQ(LoadSettings(ShippedResources()), LoadSettings(empty.Path()));
}

TEST(AppSettingsTest, ColourValues) {
    struct colour_case {
        const char* text;
        rgb_colour expected;
    };
    const std::vector<colour_case> cases = {
        {"10, 20, 30", Rgb(10, 20, 30)},
        {"10,20", 0},
        {"10,20,256", 0},
        {"-1,20,30", 0},
        {"10,20,30,", 0},
        {"10,20,30,40", 0},
        {"1,2,3abc", Rgb(1, 2, 3)},
        {"255,0,x", Rgb(255, 0, 0)},
        {"0,128,255", Rgb(0, 128, 255)},
        {"99999999999,0,0", 0},
    };
    test::TempFolder folder;
    for (const colour_case& c : cases) {
        WriteSettings(folder.Path(), std::string("[Color]\nChildBkColor=") + c.text + "\n");
        EXPECT_EQ(LoadSettings(folder.Path()).ChildBkColor, c.expected) << c.text;
    }
}

TEST(AppSettingsTest, ParseColorWritesOnlyOnSuccess) {
    rgb_colour colour = Rgb(1, 2, 3);
    EXPECT_FALSE(ParseColor("10,20", &colour));
    EXPECT_FALSE(ParseColor("", &colour));
    EXPECT_FALSE(ParseColor("1,2,300", &colour));
    EXPECT_EQ(colour, Rgb(1, 2, 3));
    // Empty parts count as parts and read as zero.
    EXPECT_TRUE(ParseColor(",,", &colour));
    EXPECT_EQ(colour, 0u);
}

TEST(AppSettingsTest, IntegersAndFontsFromAnOperatorsFile) {
    test::TempFolder folder;
    WriteSettings(folder.Path(),
                  "[font]\r\n"
                  "gridfontheight = abc\r\n"
                  "GridTitleFontWeight=600px\r\n"
                  "GridTitleFontHeight=  21\r\n"
                  "FontName = \"DejaVu Sans\"\r\n"
                  "[SETTING]\r\n"
                  "retransmission_max=-1\r\n");
    app_settings_stu settings = LoadSettings(folder.Path());
    EXPECT_EQ(settings.GridFontHeight, 0);
    EXPECT_EQ(settings.GridTitleFontWeight, 600);
    EXPECT_EQ(settings.retransmission_max, -1);
    EXPECT_EQ(settings.grid_title_font, (font_description_stu{21, 600, "DejaVu Sans"}));
    EXPECT_EQ(settings.grid_font, (font_description_stu{0, 0, "DejaVu Sans"}));
    EXPECT_EQ(settings.grid_row_height, 48);
}

TEST(AppSettingsTest, LongFontNameIsCutTo63Characters) {
    test::TempFolder folder;
    const std::string long_name(80, 'F');
    WriteSettings(folder.Path(), "[Font]\nFontName=" + long_name + "\n");
    app_settings_stu settings = LoadSettings(folder.Path());
    EXPECT_EQ(settings.FontName, long_name.substr(0, 63));
    EXPECT_EQ(settings.grid_font.face_name, long_name.substr(0, 63));
    EXPECT_EQ(ReadSetting(folder.Path(), "Font", "FontName", "x"), long_name.substr(0, 63));
    EXPECT_EQ(ReadSetting(folder.Path(), "Font", "Missing", "fallback"), "fallback");
}

TEST(AppSettingsTest, SkinPathsFollowTheFolder) {
    const std::string folder = "/opt/plindar/";
    skin_paths paths = BuildSkinPaths(folder);
    EXPECT_EQ(paths[SKIN_MAIN_BK_PNG], "/opt/plindar/Skin/main_bk.png");
    EXPECT_EQ(paths[SKIN_LOGO], "/opt/plindar/Skin/zorvu_logo.bmp");
    EXPECT_EQ(paths[SKIN_BTN_CHILD_CLOSE2], "/opt/plindar/Skin/btn_child_close2.png");
    EXPECT_EQ(paths[SKIN_BTN_MIN_DOWN], "/opt/plindar/Skin/btn_min_down.png");
    // One distinct image per entry: a name listed twice would leave another unloaded.
    std::set<std::string> distinct(paths.begin(), paths.end());
    EXPECT_EQ(distinct.size(), static_cast<size_t>(SKIN_IMAGE_COUNT));
    for (const std::string& path : paths) {
        EXPECT_TRUE(path.starts_with(folder + "Skin/")) << path;
    }
}

}  // namespace
}  // namespace plindar
