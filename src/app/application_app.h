// The application object: what every page and dialog reads (settings, skin paths,
// program folder, current page, adapter display name, the engine's two singletons).
#pragma once

#include <QApplication>
#include <QColor>
#include <QString>
#include <string>

#include "app/app_settings.h"

namespace plindar {

class AcTransmitManage;
class CSqlManagement;
class CPageHost;
struct run_options_stu;

// The four pages of the main window, by their dialog numbers.
enum PageId {
    PAGE_ADAPTER = 160,
    PAGE_DEVICES = 161,
    PAGE_CUSTOMIZE = 162,
    PAGE_ANTITHEFT = 163,
};

// The face every skinned control asks for; Linux lacks it, so the constructor maps
// it (and the settings' FontName) to an installed face that covers Latin and CJK.
constexpr char kDefaultFaceName[] = "Microsoft YaHei";

// An rgb_colour (red in the low byte) as Qt's colour.
QColor ToQColor(rgb_colour colour);

class CApplicationApp : public QApplication {
public:
    CApplicationApp(int& argc, char** argv);

    // The running application object, or null before it exists (and in a program
    // whose QApplication is not one, such as a test of a single control).
    static CApplicationApp* GetApp();

    // Start-up: single instance, language, settings, skin paths, the engine's
    // singletons, then the main window until it closes. Defined with the main
    // window, which this lower library cannot see.
    int InitInstance(const run_options_stu& options);

    // Reads Setting.ini and composes the skin paths for `folder` (ends with '/').
    void LoadLookAndFeel(const std::string& folder);

    // Full path of one skin image, for QPixmap/QImage loading.
    QString SkinPath(SkinImage image) const;

    app_settings_stu settings;
    skin_paths skins;
    std::string program_folder;
    int current_page = PAGE_ADAPTER;
    std::string adapter_display_name;
    // The adapter named on the command line (--adapter), chosen first when listed.
    std::string preselected_adapter;
    AcTransmitManage* transmit_manager = nullptr;
    CSqlManagement* results_store = nullptr;
    // The main window as the pages see it; null until it exists.
    CPageHost* main_window = nullptr;
};

// Maps the faces the look names to an installed face with CJK glyphs, through Qt's
// substitution table. Called by the constructor; exposed for tests.
void InstallFontSubstitutes(const std::string& settings_face);

}  // namespace plindar
