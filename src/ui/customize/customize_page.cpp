// The customization page: choices, the batch sheet and the start of a run.
#include "ui/customize/customize_page.h"

#include <QContextMenuEvent>
#include <QCursor>
#include <QFileInfo>
#include <QMenu>
#include <QToolTip>
#include <bit>
#include <cstring>

#include "content/apply_jobs.h"
#include "content/batch_rules.h"
#include "content/batch_sheet.h"
#include "content/config_xml.h"
#include "content/logo_image.h"
#include "records/sql_management.h"
#include "ui/controls/color_line.h"
#include "ui/controls/skin_look.h"
#include "ui/controls/t_button_picture.h"
#include "ui/controls/t_static_gdiplus.h"
#include "ui/note_dlg.h"
#include "ui/translate_window.h"

namespace plindar {

namespace {

// The page with both name buttons shown; each hidden one takes kNameRowStep off.
constexpr QSize kFullPageSize(420, 324);
constexpr int kNameRowStep = 34;

// Which name buttons lie above a control: each of them that is hidden moves the
// control up by one step.
enum Below : unsigned {
    kBelowNothing = 0,
    kBelowLogoName = 1,
    kBelowConfigName = 2,
    kBelowBoth = kBelowLogoName | kBelowConfigName,
};

struct control_place_stu {
    QRect rect;  // with both name buttons shown
    unsigned below;
};

enum PlacedControl {
    kPlaceTitle,
    kPlaceClose,
    kPlaceTopLine,
    kPlaceLogoLabel,
    kPlaceLogoSelect,
    kPlaceLogoName,
    kPlaceFormatsNote,
    kPlaceConfigLabel,
    kPlaceConfigSelect,
    kPlaceConfigName,
    kPlaceImportNote,
    kPlaceBottomLine,
    kPlaceCancel,
    kPlaceApply,
    kPlaceCount,
};

// Select buttons at the right edge of their row, each name button right under its
// Select button, so a section label has the rest of the row.
constexpr std::array<control_place_stu, kPlaceCount> kPlaces = {{
    {QRect(24, 14, 340, 26), kBelowNothing},     // title
    {QRect(388, 19, 16, 16), kBelowNothing},     // close
    {QRect(0, 47, 420, 3), kBelowNothing},       // separator under the title
    {QRect(24, 58, 270, 28), kBelowNothing},     // "Logo Customization"
    {QRect(301, 58, 99, 28), kBelowNothing},     // its Select
    {QRect(191, 92, 209, 28), kBelowNothing},    // logo name
    {QRect(24, 124, 376, 42), kBelowLogoName},   // formats note
    {QRect(24, 170, 270, 28), kBelowLogoName},   // "Default Configuration Modify"
    {QRect(301, 170, 99, 28), kBelowLogoName},   // its Select
    {QRect(191, 204, 209, 28), kBelowLogoName},  // configuration name
    {QRect(24, 236, 376, 42), kBelowBoth},       // import note
    {QRect(0, 278, 420, 3), kBelowBoth},         // separator above the buttons
    {QRect(246, 288, 71, 27), kBelowBoth},       // Cancel
    {QRect(329, 288, 67, 27), kBelowBoth},       // Apply
}};

// Texts.
constexpr char kTitleText[] = "Device Customization";
constexpr char kLogoLabelText[] = "Logo Customization";
constexpr char kConfigLabelText[] = "Default Configuration Modify";
// The blanks keep the caption clear of the folder icon at the button's left.
constexpr char kSelectCaption[] = "          Select";
// Written with escaped line breaks, as the language files keep them, so that they
// can be looked up; the lookup turns them into line breaks.
constexpr char kFormatsNoteText[] = "Supported formats: JPG, PNG, JPEG |\\nMaximum size: 10KB";
constexpr char kImportNoteText[] = "Import pre-configured file for batch\\ndeployment";
// A name button shows these blanks before the file name, clear of its icon.
constexpr char kNamePrefix[] = "      ";
constexpr char kMenuTitle[] = "Operate";
constexpr char kEditItem[] = "Edit";
constexpr char kDeleteItem[] = "Delete";
constexpr char kImageFilter[] =
    "图片文件 (*.png;*.jpg;*.jpeg;*.bmp)|*.png;*.jpg;*.jpeg;*.bmp|PNG 文件 (*.png)|*.png|"
    "JPEG 文件 (*.jpg;*.jpeg)|*.jpg;*.jpeg|BMP 文件 (*.bmp)|*.bmp||";
constexpr char kXmlFilter[] = "Files (*.xml)|*.xml||";
constexpr char kXmlExtension[] = ".xml";

// Fonts and colours.
constexpr int kTitleHeight = 17;
constexpr int kLabelHeight = 17;
constexpr int kNoteHeight = 16;
constexpr int kButtonTextHeight = 14;
constexpr int kNameTextHeight = 13;
constexpr int kNameCaptionMargin = 8;
const QColor kLabelColour(68, 68, 79);
const QColor kNoteColour(181, 181, 190);
const QColor kLineColour(235, 237, 237);
const QColor kNameDisabledColour(181, 181, 190);

constexpr std::chrono::milliseconds kTooltipDelay{500};

const char* const kMenuStyle =
    "QMenu { background-color: white; }"
    "QMenu::item:selected { background-color: rgb(235, 244, 255); color: rgb(20, 80, 200); }";

CTStaticGdiplus* MakeLabel(QWidget* parent, const char* text, int height, int weight,
                           const QColor& colour, const char* name) {
    auto* label = new CTStaticGdiplus(QString::fromUtf8(text), parent);
    label->setObjectName(QString::fromUtf8(name));
    label->SetFace(SkinFace());
    label->SetFont(height, weight);
    label->SetColour(colour);
    label->SetShrinkToFit(true);
    return label;
}

CTButtonPicture* MakeButton(QWidget* parent, const char* caption, const char* name) {
    auto* button = new CTButtonPicture(parent);
    button->setObjectName(QString::fromUtf8(name));
    button->setText(QString::fromUtf8(caption));
    return button;
}

QMenu* MakeMenu(QWidget* parent, const char* name, int edit_command, int delete_command) {
    auto* menu = new QMenu(QString::fromUtf8(kMenuTitle), parent);
    menu->setObjectName(QString::fromUtf8(name));
    menu->setStyleSheet(QString::fromUtf8(kMenuStyle));
    menu->addAction(QString::fromUtf8(kEditItem))->setData(edit_command);
    menu->addAction(QString::fromUtf8(kDeleteItem))->setData(delete_command);
    return menu;
}

QString NameCaption(const QString& path) {
    return QString::fromUtf8(kNamePrefix) + QFileInfo(path).fileName();
}

}  // namespace

CDeviceCustomizationDlg::CDeviceCustomizationDlg(QWidget* parent)
    : CPage(PAGE_CUSTOMIZE, kFullPageSize, parent),
      opener_(std::make_unique<CBatchSheetOpener>(this)) {
    SetFillColour(Qt::white);
    SetFill(true);

    title_ = MakeLabel(this, kTitleText, kTitleHeight, kWeightSemiBold, kLabelColour, "title");
    logo_label_ =
        MakeLabel(this, kLogoLabelText, kLabelHeight, kWeightNormal, kLabelColour, "logoLabel");
    config_label_ =
        MakeLabel(this, kConfigLabelText, kLabelHeight, kWeightNormal, kLabelColour, "configLabel");
    formats_note_ =
        MakeLabel(this, kFormatsNoteText, kNoteHeight, kWeightNormal, kNoteColour, "formatsNote");
    import_note_ =
        MakeLabel(this, kImportNoteText, kNoteHeight, kWeightNormal, kNoteColour, "importNote");
    for (CTStaticGdiplus* note : {formats_note_, import_note_}) {
        note->SetTextAlignment(kStaticTopLeft);
    }
    close_ = MakeButton(this, "", "closeButton");
    close_->setAccessibleName(QStringLiteral("Close"));
    logo_select_ = MakeButton(this, kSelectCaption, "logoSelectButton");
    logo_name_ = MakeButton(this, "", "logoNameButton");
    config_select_ = MakeButton(this, kSelectCaption, "configSelectButton");
    config_name_ = MakeButton(this, "", "configNameButton");
    cancel_ = MakeButton(this, "Cancel", "cancelButton");
    apply_ = MakeButton(this, "Apply", "applyButton");
    top_line_ = new CColorLine(this);
    bottom_line_ = new CColorLine(this);
    logo_menu_ = MakeMenu(this, "menu131", ID_LOGO_EDIT, ID_LOGO_DELETE);
    config_menu_ = MakeMenu(this, "menu134", ID_CONFIG_EDIT, ID_CONFIG_DELETE);

    TranslateDialog(this);

    placed_ = {
        {title_, kPlaceTitle},
        {close_, kPlaceClose},
        {top_line_, kPlaceTopLine},
        {logo_label_, kPlaceLogoLabel},
        {logo_select_, kPlaceLogoSelect},
        {logo_name_, kPlaceLogoName},
        {formats_note_, kPlaceFormatsNote},
        {config_label_, kPlaceConfigLabel},
        {config_select_, kPlaceConfigSelect},
        {config_name_, kPlaceConfigName},
        {import_note_, kPlaceImportNote},
        {bottom_line_, kPlaceBottomLine},
        {cancel_, kPlaceCancel},
        {apply_, kPlaceApply},
    };

    // The skin.
    for (CColorLine* line : {top_line_, bottom_line_}) {
        line->SetColour(kLineColour);
    }
    const QString child_close = SkinImagePath(SKIN_BTN_CHILD_CLOSE);
    close_->SetImages(child_close, child_close, child_close, child_close);
    const QString choose = SkinImagePath(SKIN_CHOOSE_BTN_NORMAL);
    for (CTButtonPicture* select : {logo_select_, config_select_}) {
        select->SetImages(choose, choose, choose, choose);
        select->SetCaptionFont(SkinFace(), kButtonTextHeight, kWeightNormal);
        select->SetCaptionColours(Qt::white, Qt::white, Qt::white);
    }
    const QString picture_file = SkinImagePath(SKIN_BTN_PIC_FILE);
    logo_name_->SetImages(picture_file, picture_file, picture_file, picture_file);
    const QString ini_file = SkinImagePath(SKIN_BTN_INI_FILE);
    config_name_->SetImages(ini_file, ini_file, ini_file, ini_file);
    for (CTButtonPicture* name : {logo_name_, config_name_}) {
        name->SetCaptionFont(SkinFace(), kNameTextHeight, kWeightNormal);
        name->SetCaptionColours(kLabelColour, kLabelColour, kNameDisabledColour);
        name->SetCaptionAlignment(kCaptionLeft);
        // The blanks before the name alone are narrower than the icon in this face.
        name->SetCaptionMargin(kNameCaptionMargin);
        name->setContextMenuPolicy(Qt::CustomContextMenu);
        name->installEventFilter(this);
    }
    cancel_->SetImages(SkinImagePath(SKIN_CANCEL_BTN_NORMAL), SkinImagePath(SKIN_CANCEL_BTN_OVER),
                       SkinImagePath(SKIN_CANCEL_BTN_DOWN), SkinImagePath(SKIN_CANCEL_BTN_NORMAL));
    cancel_->SetCaptionFont(SkinFace(), kButtonTextHeight, kWeightNormal);
    cancel_->SetCaptionColours(kLabelColour, kLabelColour, kNoteColour);
    apply_->SetImages(SkinImagePath(SKIN_APPLY_BTN_NORMAL), SkinImagePath(SKIN_APPLY_BTN_OVER),
                      SkinImagePath(SKIN_APPLY_BTN_DOWN), SkinImagePath(SKIN_APPLY_BTN_DISABLE));
    apply_->SetCaptionFont(SkinFace(), kButtonTextHeight, kWeightNormal);
    apply_->SetCaptionColours(Qt::white, Qt::white, Qt::white);
    ApplyRoundCorners(this);

    connect(close_, &QAbstractButton::clicked, this, &CDeviceCustomizationDlg::ReturnToDevices);
    connect(cancel_, &QAbstractButton::clicked, this, &CDeviceCustomizationDlg::ReturnToDevices);
    connect(logo_select_, &QAbstractButton::clicked, this, &CDeviceCustomizationDlg::ChooseLogo);
    connect(logo_name_, &QAbstractButton::clicked, this, &CDeviceCustomizationDlg::EditLogo);
    connect(config_select_, &QAbstractButton::clicked, this,
            &CDeviceCustomizationDlg::ChooseConfigFile);
    connect(config_name_, &QAbstractButton::clicked, this,
            &CDeviceCustomizationDlg::EditConfigFile);
    connect(apply_, &QAbstractButton::clicked, this, &CDeviceCustomizationDlg::ApplyCustomization);
    connect(logo_name_, &QWidget::customContextMenuRequested, this,
            [this] { PopUpMenu(logo_menu_); });
    connect(config_name_, &QWidget::customContextMenuRequested, this,
            [this] { PopUpMenu(config_menu_); });
    for (QMenu* menu : {logo_menu_, config_menu_}) {
        connect(menu, &QMenu::triggered, this,
                [this](QAction* action) { OnMenuCommand(action->data().toInt()); });
    }
    connect(opener_.get(), &CBatchSheetOpener::Ended, this,
            &CDeviceCustomizationDlg::OnSheetEditorEnded);

    tooltip_timer_.setSingleShot(true);
    tooltip_timer_.setInterval(kTooltipDelay);
    connect(&tooltip_timer_, &QTimer::timeout, this, [this] {
        if (tooltip_for_ != nullptr && tooltip_for_->underMouse()) {
            QToolTip::showText(QCursor::pos(), tooltip_for_->toolTip(), tooltip_for_);
        }
    });

    RelayoutPage();
}

CDeviceCustomizationDlg::~CDeviceCustomizationDlg() = default;

void CDeviceCustomizationDlg::SetSelectedDevices(const std::vector<std::string>& macs) {
    selected_ = macs;
}

bool CDeviceCustomizationDlg::LogoChosen() const {
    return !logo_name_->text().isEmpty();
}

bool CDeviceCustomizationDlg::ConfigChosen() const {
    return !config_name_->text().isEmpty();
}

void CDeviceCustomizationDlg::RelayoutPage() {
    const bool logo_shown = LogoChosen();
    const bool config_shown = ConfigChosen();
    logo_name_->setVisible(logo_shown);
    config_name_->setVisible(config_shown);
    const unsigned hidden =
        (logo_shown ? 0u : kBelowLogoName) | (config_shown ? 0u : kBelowConfigName);
    for (const auto& [widget, index] : placed_) {
        const control_place_stu& place = kPlaces[static_cast<size_t>(index)];
        const int steps = std::popcount(place.below & hidden);
        widget->setGeometry(place.rect.translated(0, -steps * kNameRowStep));
    }
    const int hidden_rows = std::popcount(hidden);
    setFixedSize(kFullPageSize.width(), kFullPageSize.height() - hidden_rows * kNameRowStep);
    CentreInParent(this);
}

void CDeviceCustomizationDlg::SetLogoName(const QString& path) {
    logo_name_->setText(path.isEmpty() ? QString() : NameCaption(path));
    logo_name_->setToolTip(path);
}

void CDeviceCustomizationDlg::SetConfigName(const QString& path) {
    config_name_->setText(path.isEmpty() ? QString() : NameCaption(path));
    config_name_->setToolTip(path);
}

QWidget* CDeviceCustomizationDlg::NoteOwner() {
    return isVisible() ? this : window();
}

void CDeviceCustomizationDlg::Note(const QString& text) {
    ShowNote(TrText("Note"), text, NoteButtons::kOkOnly, NoteOwner());
}

bool CDeviceCustomizationDlg::Confirm(const QString& text) {
    return ShowNote(TrText("Note"), text, NoteButtons::kOkCancel, NoteOwner()) == kNoteOk;
}

void CDeviceCustomizationDlg::ReturnToDevices() {
    if (CPageHost* host = MainWindowHost()) {
        host->ShowPage(PAGE_DEVICES);
    }
}

void CDeviceCustomizationDlg::ChooseLogo() {
    const std::optional<QString> chosen = choose_file_(this, QtFileFilter(TrText(kImageFilter)));
    if (!chosen) {
        return;
    }
    const QString path = *chosen;
    if (NeedsCrop(path.toStdString())) {
        logo_path_ = path;
        hide();
        const std::optional<QString> cropped = crop_(path, window());
        show();
        if (!cropped) {
            SetLogoName(QString());
            RelayoutPage();
            return;
        }
        logo_path_ = *cropped;
    } else {
        // A file that is no image would reach the devices as their logo: it is
        // refused here, and the earlier choice stays.
        const CApplicationApp* app = CApplicationApp::GetApp();
        const logo_result_stu logo = PrepareLogo(
            app != nullptr ? app->program_folder : std::string(), path.toStdString(), std::nullopt);
        if (!logo.ok) {
            Note(QString::fromStdString(logo.message));
            return;
        }
        logo_path_ = QString::fromStdString(logo.path);
    }
    SetLogoName(logo_path_);
    RelayoutPage();
}

void CDeviceCustomizationDlg::EditLogo() {
    hide();
    const std::optional<QString> cropped = crop_(logo_path_, window());
    if (cropped) {
        logo_path_ = *cropped;
        SetLogoName(logo_path_);
    } else {
        SetLogoName(QString());
    }
    RelayoutPage();
    show();
}

void CDeviceCustomizationDlg::DeleteLogo() {
    SetLogoName(QString());
    RelayoutPage();
}

void CDeviceCustomizationDlg::ChooseConfigFile() {
    const std::optional<QString> chosen = choose_file_(this, QtFileFilter(TrText(kXmlFilter)));
    if (!chosen) {
        return;
    }
    config_path_ = *chosen;
    SetConfigName(config_path_);
    RelayoutPage();
}

void CDeviceCustomizationDlg::DeleteConfigFile() {
    SetConfigName(QString());
    sheet_path_.clear();
    RelayoutPage();
}

void CDeviceCustomizationDlg::EditConfigFile() {
    if (!ConfigChosen()) {
        Note(TrText("Please select the xml file"));
        return;
    }
    const QString name = config_name_->text();
    const qsizetype dot = name.lastIndexOf('.');
    // Compared as written: "CONFIG.XML" is refused here, although Apply sends it.
    if ((dot < 0 ? name : name.mid(dot)) != QString::fromUtf8(kXmlExtension)) {
        Note(TrText("Modify file is not .xml file!"));
        return;
    }
    if (!Confirm(TrText("Are you sure you want to modify configration?"))) {
        return;
    }
    const CApplicationApp* app = CApplicationApp::GetApp();
    if (app == nullptr) {
        return;  // no program folder to build the sheet in
    }
    std::memset(&template_, 0, sizeof(template_));
    std::string message;
    if (!ParseTemplateXml(config_path_.toStdString(), &template_, &message)) {
        Note(QString::fromStdString(message));
        return;
    }
    CSqlManagement* store = app->results_store;
    const device_row_reader_fn read_row = [store](const std::string& mac, ap_info_stu* device) {
        if (store == nullptr) {
            std::memset(device, 0, sizeof(*device));
            return false;
        }
        return store->GetDeviceByMac(mac, device);
    };
    batch_sheet_creation_stu created =
        CreateBatchSheet(app->program_folder, template_, selected_, read_row);
    // The path is the new sheet's from the moment the template was copied.
    if (!created.path.empty()) {
        sheet_path_ = created.path;
    }
    if (!created.ok) {
        if (!created.message.empty()) {
            Note(QString::fromStdString(created.message));
        }
        Note(TrText("Create excel fields Info error!"));
        return;
    }
    wireless_columns_ = created.wirelessColumns;
    OpenBatchSheet();
}

void CDeviceCustomizationDlg::OpenBatchSheet() {
    opener_->Open(QString::fromStdString(sheet_path_));
}

void CDeviceCustomizationDlg::OnSheetEditorEnded(CBatchSheetOpener::End how) {
    // A sheet handed to a running spreadsheet program is open: Apply reads it once
    // the operator has saved it, so there is no failure to report.
    if (how == CBatchSheetOpener::End::kCouldNotOpen) {
        Note(TrText("Unable to open excel file!"));
    }
}

void CDeviceCustomizationDlg::ApplyCustomization() {
    const bool logo = LogoChosen();
    const bool config = ConfigChosen();
    int mode = kRunNone;
    const char* question = nullptr;
    if (config && logo) {
        mode = kRunBoth;
        question = "Are you sure you want to submit logo and configration?";
    } else if (config) {
        mode = kRunConfig;
        question = "Are you sure you want to submit configration?";
    } else if (logo) {
        mode = kRunLogo;
        question = "Are you sure you want to submit logo?";
    } else {
        Note(TrText("Please choose xml or logo info!"));
        return;
    }
    run_mode_ = mode;
    if (!Confirm(TrText(question))) {
        return;
    }
    const bool personalised = mode != kRunLogo && !sheet_path_.empty();
    if (personalised) {
        batch_sheet_reading_stu reading =
            ReadBatchSheet(sheet_path_, template_, selected_.size(), wireless_columns_);
        if (reading.result != BATCH_READ_OK) {
            // A cell too long for its field has a message that names it.
            Note(reading.message.empty()
                     ? TrText("Obtaining excel format information is incorrect!")
                     : QString::fromStdString(reading.message));
            return;
        }
        records_ = std::move(reading.records);
        const batch_check check = CheckBatchValues(records_, template_, wireless_columns_);
        if (!check.ok) {
            Note(QString::fromStdString(check.message));
            // The operator corrects the sheet and applies again.
            OpenBatchSheet();
            return;
        }
    }

    CApplicationApp* app = CApplicationApp::GetApp();
    if (app == nullptr || app->transmit_manager == nullptr || app->results_store == nullptr) {
        return;  // no engine to send with
    }
    customize_run run;
    run.program_folder = app->program_folder;
    run.chosen_xml = mode != kRunLogo ? config_path_.toStdString() : std::string();
    run.logo_path = mode != kRunConfig ? logo_path_.toStdString() : std::string();
    run.mode = mode;
    run.sheet_generated = personalised;
    run.dual_band = template_.dualBand;
    if (personalised) {
        run.records = records_;
    }

    CPageHost* host = MainWindowHost();
    PostPageMessage(host, PAGE_DEVICES, WM_CUSTOMIZE_STARTED, this);
    if (host != nullptr) {
        host->ShowPage(PAGE_DEVICES);
    }
    const apply_start start =
        StartCustomizeJobs(*app->transmit_manager, *app->results_store, selected_, run);
    if (!start.ok) {
        Note(QString::fromStdString(start.message));
        return;
    }
    // Per-device problems do not stop the run; they are told once, together.
    QStringList problems;
    for (const std::string& warning : start.warnings) {
        problems << QString::fromStdString(warning);
    }
    for (const std::string& mac : start.not_started) {
        problems << QString::fromStdString(mac) + QStringLiteral(": ") +
                        TrText("The transfer could not be started!");
    }
    if (!problems.isEmpty()) {
        Note(problems.join('\n'));
    }
}

void CDeviceCustomizationDlg::PopUpMenu(QMenu* menu) {
    TranslateMenu(menu);
    menu->popup(QCursor::pos());
}

void CDeviceCustomizationDlg::OnMenuCommand(int command) {
    switch (command) {
        case ID_LOGO_EDIT:
            EditLogo();
            break;
        case ID_LOGO_DELETE:
            DeleteLogo();
            break;
        case ID_CONFIG_EDIT:
            EditConfigFile();
            break;
        case ID_CONFIG_DELETE:
            DeleteConfigFile();
            break;
        default:
            break;
    }
}

bool CDeviceCustomizationDlg::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == logo_name_ || widget == config_name_) {
        switch (event->type()) {
            case QEvent::Enter:
                tooltip_for_ = widget;
                tooltip_timer_.start();
                break;
            case QEvent::Leave:
                tooltip_timer_.stop();
                tooltip_for_ = nullptr;
                QToolTip::hideText();
                break;
            case QEvent::ToolTip:
                return true;  // the page's own delay decides
            default:
                break;
        }
    }
    return CPage::eventFilter(watched, event);
}

}  // namespace plindar
