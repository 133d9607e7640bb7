// Look-and-feel settings from Setting.ini and the paths of the skin images.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace plindar {

// Red in the low byte, then green, then blue.
using rgb_colour = uint32_t;

// A font as the grid asks the toolkit for it; attributes not listed are the
// toolkit's plain defaults (no italics, underline or strike-out).
struct font_description_stu {
    int32_t height = 0;
    int32_t weight = 0;
    std::string face_name;

    bool operator==(const font_description_stu&) const = default;
};

constexpr int32_t kGridRowHeight = 48;

// Every key of Setting.ini. Colours that fail to parse stay black; the integers and
// the font name always take the read (or default) value. Keys the user interface
// does not use are kept all the same, since operators' files carry them.
struct app_settings_stu {
    rgb_colour ChildBkColor = 0;
    std::string FontName;
    int32_t ButtonMenuFontWeight = 0;
    int32_t ButtonMenuFontHeight = 0;
    rgb_colour ButtonMenuFontColor = 0;
    int32_t ButtonFontWeight = 0;
    int32_t ButtonFontHeight = 0;
    rgb_colour ButtonFontColor = 0;
    int32_t StaticFontWeight = 0;
    int32_t StaticFontHeight = 0;
    rgb_colour StaticFontTextColor = 0;
    rgb_colour StaticFontBkColor = 0;
    rgb_colour TextDownColor = 0;
    rgb_colour LineColor = 0;
    rgb_colour ExpertTextColor = 0;
    rgb_colour StaticTextNumberColor = 0;
    int32_t GridTitleFontWeight = 0;
    int32_t GridTitleFontHeight = 0;
    int32_t GridFontWeight = 0;
    int32_t GridFontHeight = 0;
    rgb_colour GridTextColor = 0;
    rgb_colour GridTitleTextColor = 0;
    rgb_colour GridTitleBkColor = 0;
    rgb_colour TextUnlineColor = 0;
    rgb_colour TextOnlineColor = 0;
    int32_t retransmission_max = 0;
    int32_t retransmission_interval = 0;

    font_description_stu grid_title_font;
    font_description_stu grid_font;
    int32_t grid_row_height = 0;

    bool operator==(const app_settings_stu&) const = default;
};

// One row of the settings file: where the key lives, its default and the member it
// fills (the member's type says how the text is converted).
struct setting_row_stu {
    const char* section;
    const char* key;
    const char* default_value;
    std::variant<rgb_colour app_settings_stu::*, int32_t app_settings_stu::*,
                 std::string app_settings_stu::*>
        member;
};

constexpr char kSettingsFileName[] = "Setting.ini";
// A value is read into a buffer of this many characters, its last kept for the
// terminating zero.
constexpr size_t kSettingBufferSize = 64;
constexpr size_t kSettingRowCount = 27;

// The rows in the order LoadSettings reads them.
const std::array<setting_row_stu, kSettingRowCount>& SettingsTable();

// "r,g,b" with exactly three comma-separated parts (blanks allowed before each
// number), each 0..255. Writes `colour` only when the text is valid.
bool ParseColor(std::string_view text, rgb_colour* colour);

// One value of folder + Setting.ini: a missing file, section or key gives the
// default; the value is cut to 63 bytes.
std::string ReadSetting(const std::string& folder, const std::string& section,
                        const std::string& key, const std::string& default_value);

// Every row of the table from folder + Setting.ini, then the grid fonts and the row
// height. `folder` ends with a slash.
app_settings_stu LoadSettings(const std::string& folder);

// The skin images the pages load, in the order of kSkinFileNames.
enum SkinImage {
    SKIN_MAIN_BK_PNG,
    SKIN_MAIN_BK_JPG,
    SKIN_MAIN_BK3_JPG,
    SKIN_WAIT_SEARCH_GIF,
    SKIN_SCAN_BTN_NORMAL,
    SKIN_SCAN_BTN_OVER,
    SKIN_SCAN_BTN_DOWN,
    SKIN_SCAN_BTN_DISABLE,
    SKIN_LOGO,
    SKIN_COMBOX_DOWN,
    SKIN_PROTECTION_BTN_NORMAL,
    SKIN_PROTECTION_BTN_OVER,
    SKIN_PROTECTION_BTN_DOWN,
    SKIN_PROTECTION_BTN_DISABLE,
    SKIN_CHANGE_BTN_NORMAL,
    SKIN_BTN_TEMPLATE,
    SKIN_SELECT,
    SKIN_UNSELECT,
    SKIN_PART_SELECT,
    SKIN_SUCCESS,
    SKIN_ERROR,
    SKIN_OPERATING,
    SKIN_APPLY_BTN_NORMAL,
    SKIN_APPLY_BTN_OVER,
    SKIN_APPLY_BTN_DOWN,
    SKIN_APPLY_BTN_DISABLE,
    SKIN_CANCEL_BTN_NORMAL,
    SKIN_CANCEL_BTN_OVER,
    SKIN_CANCEL_BTN_DOWN,
    SKIN_CHOOSE_BTN_NORMAL,
    SKIN_BTN_INI_FILE,
    SKIN_BTN_PIC_FILE,
    SKIN_BTN_SWITCH_ON,
    SKIN_BTN_SWITCH_OFF,
    SKIN_BTN_CLOSE_NORMAL,
    SKIN_BTN_CLOSE_OVER,
    SKIN_BTN_CLOSE_DOWN,
    SKIN_BTN_CLOSE_NORMAL2,
    SKIN_BTN_CHILD_CLOSE,
    SKIN_BTN_CHILD_CLOSE2,
    SKIN_BTN_MIN_NORMAL,
    SKIN_BTN_MIN_OVER,
    SKIN_BTN_MIN_DOWN,
    SKIN_IMAGE_COUNT,
};

constexpr std::array<const char*, SKIN_IMAGE_COUNT> kSkinFileNames = {
    "main_bk.png",
    "main_bk.jpg",
    "main_bk3.jpg",
    "wait_search.gif",
    "scan_btn_normal.png",
    "scan_btn_over.png",
    "scan_btn_down.png",
    "scan_btn_disable.png",
    "zorvu_logo.bmp",
    "combox_down.png",
    "protection_btn_normal.png",
    "protection_btn_over.png",
    "protection_btn_down.png",
    "protection_btn_disable.png",
    "change_btn_normal.png",
    "btn_template.png",
    "select.bmp",
    "unselect.bmp",
    "part_select.bmp",
    "success.bmp",
    "error.bmp",
    "operating.bmp",
    "apply_btn_normal.png",
    "apply_btn_over.png",
    "apply_btn_down.png",
    "apply_btn_disable.png",
    "cancel_btn_normal.png",
    "cancel_btn_over.png",
    "cancel_btn_down.png",
    "choose_btn_normal.png",
    "btn_ini_file.png",
    "btn_pic_file.png",
    "btn_switch_on.png",
    "btn_switch_off.png",
    "btn_close_normal.png",
    "btn_close_over.png",
    "btn_close_down.png",
    "btn_close_normal2.png",
    "btn_child_close.png",
    "btn_child_close2.png",
    "btn_min_normal.png",
    "btn_min_over.png",
    "btn_min_down.png",
};

constexpr char kSkinFolderName[] = "Skin/";

// Full path of every skin image, indexed by SkinImage.
using skin_paths = std::array<std::string, SKIN_IMAGE_COUNT>;

// folder + "Skin/" + file name for each image; `folder` ends with a slash. Whether
// the file exists is for the page that loads it to find out.
skin_paths BuildSkinPaths(const std::string& folder);

}  // namespace plindar
#include "records/decimal_text.h"
