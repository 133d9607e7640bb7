// The customization page: the operator chooses a logo and a configuration file,
// fills the batch sheet with per-device values, and sends both to the devices
// ticked on the device list.
#pragma once

#include <QString>
#include <QTimer>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "content/custom_value.h"
#include "ui/customize/batch_sheet_opener.h"
#include "ui/customize/crop_runner.h"
#include "ui/customize/file_choice.h"
#include "ui/page.h"

class QMenu;

namespace plindar {

class CColorLine;
class CTButtonPicture;
class CTStaticGdiplus;

// Commands of the two name buttons' menus.
enum CustomizeMenuCommand {
    ID_LOGO_DELETE = 32785,
    ID_LOGO_EDIT = 32786,
    ID_CONFIG_DELETE = 32787,
    ID_CONFIG_EDIT = 32788,
};

// What a run sends, as Apply decides it from the two name buttons.
enum CustomizeRunMode {
    kRunNone = 0,
    kRunLogo = 1,
    kRunConfig = 2,
    kRunBoth = 3,
};

class CDeviceCustomizationDlg : public CPage {
    Q_OBJECT

public:
    explicit CDeviceCustomizationDlg(QWidget* parent);
    ~CDeviceCustomizationDlg() override;

    // Replaces the devices a run goes to; every other choice stays.
    void SetSelectedDevices(const std::vector<std::string>& macs) override;

    // The handlers of the buttons and menu commands.
    void ChooseLogo();
    void EditLogo();
    void DeleteLogo();
    void ChooseConfigFile();
    // Builds the batch sheet for the selected devices and opens it.
    void EditConfigFile();
    void DeleteConfigFile();
    void ApplyCustomization();
    // Back to the device list, changing nothing.
    void ReturnToDevices();

    // Shows each name button only while it has text, moves what lies below a
    // hidden one up, sizes the page to match and centres it on its window again.
    void RelayoutPage();

    // Opens the current batch sheet in the spreadsheet program; the page stays
    // disabled until the program ends. Its failure is reported when it is known.
    void OpenBatchSheet();

    // Whether a logo or a configuration file is chosen: its name button has text.
    bool LogoChosen() const;
    bool ConfigChosen() const;

    // Tests answer the file and cropping dialogs through these.
    void SetFileChooser(open_file_fn choose) { choose_file_ = std::move(choose); }
    void SetCropRunner(crop_runner_fn crop) { crop_ = std::move(crop); }
    CBatchSheetOpener* SheetOpener() const { return opener_.get(); }

    const std::vector<std::string>& SelectedDevices() const { return selected_; }
    const QString& LogoPath() const { return logo_path_; }
    const QString& ConfigPath() const { return config_path_; }
    const std::string& BatchSheetPath() const { return sheet_path_; }
    const custom_value_stu& Template() const { return template_; }
    const std::vector<custom_value_stu>& DeviceRecords() const { return records_; }
    int RunMode() const { return run_mode_; }

    CTStaticGdiplus* TitleLabel() const { return title_; }
    CTStaticGdiplus* LogoLabel() const { return logo_label_; }
    CTStaticGdiplus* ConfigLabel() const { return config_label_; }
    CTStaticGdiplus* FormatsNote() const { return formats_note_; }
    CTStaticGdiplus* ImportNote() const { return import_note_; }
    CTButtonPicture* CloseButton() const { return close_; }
    CTButtonPicture* LogoSelectButton() const { return logo_select_; }
    CTButtonPicture* LogoNameButton() const { return logo_name_; }
    CTButtonPicture* ConfigSelectButton() const { return config_select_; }
    CTButtonPicture* ConfigNameButton() const { return config_name_; }
    CTButtonPicture* CancelButton() const { return cancel_; }
    CTButtonPicture* ApplyButton() const { return apply_; }
    CColorLine* TopLine() const { return top_line_; }
    CColorLine* BottomLine() const { return bottom_line_; }
    QMenu* LogoMenu() const { return logo_menu_; }
    QMenu* ConfigMenu() const { return config_menu_; }

protected:
    // The name buttons' tooltips, shown after the page's own delay.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SetLogoName(const QString& path);
    void SetConfigName(const QString& path);
    void PopUpMenu(QMenu* menu);
    void OnMenuCommand(int command);
    void OnSheetEditorEnded(CBatchSheetOpener::End how);
    // A message with the title "Note"; the texts come translated.
    void Note(const QString& text);
    bool Confirm(const QString& text);
    QWidget* NoteOwner();

    CTStaticGdiplus* title_ = nullptr;
    CTStaticGdiplus* logo_label_ = nullptr;
    CTStaticGdiplus* config_label_ = nullptr;
    CTStaticGdiplus* formats_note_ = nullptr;
    CTStaticGdiplus* import_note_ = nullptr;
    CTButtonPicture* close_ = nullptr;
    CTButtonPicture* logo_select_ = nullptr;
    CTButtonPicture* logo_name_ = nullptr;
    CTButtonPicture* config_select_ = nullptr;
    CTButtonPicture* config_name_ = nullptr;
    CTButtonPicture* cancel_ = nullptr;
    CTButtonPicture* apply_ = nullptr;
    CColorLine* top_line_ = nullptr;
    CColorLine* bottom_line_ = nullptr;
    QMenu* logo_menu_ = nullptr;
    QMenu* config_menu_ = nullptr;
    // Each control with its place when both name buttons show.
    std::vector<std::pair<QWidget*, int>> placed_;

    std::vector<std::string> selected_;
    QString logo_path_;
    QString config_path_;
    std::string sheet_path_;
    custom_value_stu template_{};
    // Whether the current sheet has wireless columns, decided when it was made.
    bool wireless_columns_ = false;
    std::vector<custom_value_stu> records_;
    int run_mode_ = kRunNone;

    open_file_fn choose_file_ = ChooseOpenFile;
    crop_runner_fn crop_ = RunCropDialog;
    std::unique_ptr<CBatchSheetOpener> opener_;
    QTimer tooltip_timer_;
    QWidget* tooltip_for_ = nullptr;
};

}  // namespace plindar
