// The anti-theft page: its two layouts, the checks before sending, the hand-over to
// the device list and the template dialogs.
#include "ui/antitheft/antitheft_page.h"

#include <QFontMetrics>
#include <QPointer>

#include "content/apply_jobs.h"
#include "records/program_folder.h"
#include "ui/antitheft/antitheft_look.h"
#include "ui/antitheft/load_template_dlg.h"
#include "ui/antitheft/save_template_dlg.h"
#include "ui/controls/color_line.h"
#include "ui/controls/skin_look.h"
#include "ui/controls/t_button_picture.h"
#include "ui/controls/t_edit_gdiplus.h"
#include "ui/controls/t_static_gdiplus.h"
#include "ui/note_dlg.h"
#include "ui/translate_window.h"

namespace plindar {

namespace {

constexpr int kPageWidth = 420;

// The texts the page is built with; the window translation replaces them.
constexpr char kTitleText[] = "Anti-Theft Protection";
constexpr char kLoadTemplateText[] = "Load template";
constexpr char kSaveTemplateText[] = "Save as template";
constexpr char kLockCodeText[] = "Lock Code ";
constexpr char kConfirmLockCodeText[] = "Confirm Lock Code ";
constexpr char kRequiredMark[] = "*";
// Written with escaped line breaks, as the language files keep it, so that it can be
// looked up; the lookup turns them into line breaks.
constexpr char kHelpText[] =
    "Used to bind the device to the\\nnetwork. If the password is incorrect,\\nthe "
    "configuration will not take effect\\neven if parameters are delivered.";
constexpr char kSwitchText[] = "Anti-Theft Protection:";
constexpr char kEnableText[] = "Enable";
constexpr char kAcNameText[] = "AC Name";
constexpr char kPrimaryDnsText[] = "Primary DNS";
constexpr char kSecondaryDnsText[] = "Secondary DNS";
constexpr char kOptionalMark[] = "(optional)";
constexpr char kCancelText[] = "Cancel";
constexpr char kApplyText[] = "Apply";

constexpr char kNoteTitle[] = "Note";
constexpr char kConfirmApplyText[] = "Are you sure you want to apply configuration?";
constexpr char kNoEngineText[] = "The device engine is not running: nothing was sent.";

// Controls that stay where they are in both layouts.
constexpr QRect kTitleRect(16, 11, 300, 20);
constexpr QRect kCloseRect(388, 12, 16, 16);
constexpr QRect kTopLineRect(0, 35, kPageWidth, 1);
constexpr QRect kLoadTemplateRect(20, 49, 136, 28);
constexpr QRect kSaveTemplateRect(166, 49, 136, 28);

// A row: its label on the left, its box on the right, both at the row's top.
constexpr int kLabelX = 20;
constexpr int kBoxX = 184;
constexpr int kBoxWidth = 216;
constexpr int kRowHeight = 28;
constexpr int kMarkGap = 2;
constexpr int kNoteGap = 4;

constexpr int kLockRowY = 91;
constexpr int kConfirmRowY = 127;
constexpr int kAcNameRowY = 263;
constexpr int kPrimaryDnsRowY = 299;
constexpr int kSecondaryDnsRowY = 335;

constexpr int kSwitchWidth = 40;
constexpr int kSwitchHeight = 20;
constexpr int kEnableGap = 8;
constexpr int kEnableWidth = 120;
constexpr int kHelpHeight = 60;

// What moves when the switch changes: with the switch off the help text takes the
// Confirm Lock Code box's place, the switch row follows it up, and the bottom band
// keeps its distance from the shrunken page's lower edge.
struct page_layout_stu {
    int height;
    int help_y;
    int switch_y;
    int bottom_line_y;
    int buttons_y;
};
constexpr int kFullHeight = 426;
constexpr int kShortHeight = 278;
// Gaps above the help text and above the switch row.
constexpr int kHelpGap = 8;
constexpr int kSwitchGap = 6;
constexpr int kHelpBelowConfirm = kConfirmRowY + kRowHeight + kHelpGap;
constexpr int kSwitchBelowHelp = kHelpHeight + kSwitchGap;
constexpr int kBottomLineAboveEdge = 46;
constexpr int kButtonsAboveEdge = 34;
constexpr page_layout_stu kFullLayout = {
    kFullHeight, kHelpBelowConfirm, kHelpBelowConfirm + kSwitchBelowHelp,
    kFullHeight - kBottomLineAboveEdge, kFullHeight - kButtonsAboveEdge};
constexpr page_layout_stu kShortLayout = {
    kShortHeight, kConfirmRowY, kConfirmRowY + kSwitchBelowHelp,
    kShortHeight - kBottomLineAboveEdge, kShortHeight - kButtonsAboveEdge};
static_assert(kFullLayout.switch_y + kSwitchHeight < kAcNameRowY,
              "the AC Name row starts below the switch");
static_assert(kSecondaryDnsRowY + kRowHeight < kFullLayout.bottom_line_y,
              "the last row ends above the bottom band");
static_assert(kShortLayout.switch_y + kSwitchHeight < kShortLayout.bottom_line_y,
              "the switch stays above the bottom band of the short page");

constexpr int kCancelX = 252;
constexpr int kApplyX = 332;
constexpr QSize kCancelSize(71, 27);
constexpr QSize kApplySize(67, 27);

QString Tr(const char* text) {
    return TrText(text);
}

// The help text with its line breaks, also where no language was chosen and the
// lookup hands the text back as written.
QString ResolvedHelpText() {
    QString text = Tr(kHelpText);
    text.replace(QStringLiteral("\\n"), QStringLiteral("\n"));
    return text;
}

QString FromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

CTStaticGdiplus* MakeLabel(QWidget* parent, const char* text, const char* name) {
    auto* label = new CTStaticGdiplus(QString::fromUtf8(text), parent);
    label->setObjectName(QString::fromUtf8(name));
    return label;
}

}  // namespace

CAntiTheftProtectionDlg::CAntiTheftProtectionDlg(QWidget* parent)
    : CPage(PAGE_ANTITHEFT, QSize(kPageWidth, kFullHeight), parent) {
    setObjectName(QStringLiteral("antiTheftPage"));
    CreateControls();
    TranslateDialog(this);
    // After the translation, which would otherwise treat the escaped line breaks
    // as part of the text.
    help_->SetText(ResolvedHelpText());
    SetFillColour(kAntiTheftFill);
    SetFill(true);
    StyleControls();
    PlaceControls();
    ApplyRoundCorners(this);
    LayOutForSwitch();
}

CAntiTheftProtectionDlg::labelled_box CAntiTheftProtectionDlg::AddRow(const char* label,
                                                                      RowMark mark, size_t limit) {
    labelled_box row;
    row.optional = mark == RowMark::kOptional;
    row.label = new CTStaticGdiplus(QString::fromUtf8(label), this);
    row.mark =
        new CTStaticGdiplus(QString::fromUtf8(row.optional ? kOptionalMark : kRequiredMark), this);
    row.box = new CTEditGdiplus(this);
    row.box->setMaxLength(static_cast<int>(limit));
    return row;
}

void CAntiTheftProtectionDlg::CreateControls() {
    title_ = MakeLabel(this, kTitleText, "title");
    close_ = new CTButtonPicture(this);
    close_->setObjectName(QStringLiteral("close"));
    top_line_ = new CColorLine(this);
    load_template_ = new CTButtonPicture(this);
    load_template_->setObjectName(QStringLiteral("loadTemplate"));
    load_template_->setText(QString::fromUtf8(kLoadTemplateText));
    save_template_ = new CTButtonPicture(this);
    save_template_->setObjectName(QStringLiteral("saveTemplate"));
    save_template_->setText(QString::fromUtf8(kSaveTemplateText));

    lock_row_ = AddRow(kLockCodeText, RowMark::kRequired, kLockCodeMaxCharacters);
    confirm_row_ = AddRow(kConfirmLockCodeText, RowMark::kRequired, kConfirmLockCodeMaxCharacters);
    // Filled after the translation (see the constructor).
    help_ = MakeLabel(this, "", "help");
    switch_label_ = MakeLabel(this, kSwitchText, "switchLabel");
    switch_ = new CTButtonPicture(this);
    switch_->setObjectName(QStringLiteral("switch"));
    switch_->setCheckable(true);
    enable_label_ = MakeLabel(this, kEnableText, "enableLabel");
    ac_name_row_ = AddRow(kAcNameText, RowMark::kRequired, kAcNameMaxCharacters);
    primary_dns_row_ = AddRow(kPrimaryDnsText, RowMark::kOptional, kDnsMaxCharacters);
    secondary_dns_row_ = AddRow(kSecondaryDnsText, RowMark::kOptional, kDnsMaxCharacters);
    bottom_line_ = new CColorLine(this);
    cancel_ = new CTButtonPicture(this);
    cancel_->setObjectName(QStringLiteral("cancel"));
    cancel_->setText(QString::fromUtf8(kCancelText));
    apply_ = new CTButtonPicture(this);
    apply_->setObjectName(QStringLiteral("apply"));
    apply_->setText(QString::fromUtf8(kApplyText));

    lock_code_ = lock_row_.box;
    confirm_lock_code_ = confirm_row_.box;
    ac_name_ = ac_name_row_.box;
    primary_dns_ = primary_dns_row_.box;
    secondary_dns_ = secondary_dns_row_.box;
    lock_code_->setObjectName(QStringLiteral("lockCode"));
    confirm_lock_code_->setObjectName(QStringLiteral("confirmLockCode"));
    ac_name_->setObjectName(QStringLiteral("acName"));
    primary_dns_->setObjectName(QStringLiteral("primaryDns"));
    secondary_dns_->setObjectName(QStringLiteral("secondaryDns"));

    connect(switch_, &QAbstractButton::clicked, this, &CAntiTheftProtectionDlg::OnSwitch);
    connect(apply_, &QAbstractButton::clicked, this, &CAntiTheftProtectionDlg::OnApply);
    connect(cancel_, &QAbstractButton::clicked, this, &CAntiTheftProtectionDlg::OnReturn);
    connect(close_, &QAbstractButton::clicked, this, &CAntiTheftProtectionDlg::OnReturn);
    connect(load_template_, &QAbstractButton::clicked, this,
            &CAntiTheftProtectionDlg::OnLoadTemplate);
    connect(save_template_, &QAbstractButton::clicked, this,
            &CAntiTheftProtectionDlg::OnSaveTemplate);
}

void CAntiTheftProtectionDlg::StyleControls() {
    StyleTitle(title_);
    StyleCloseButton(close_);
    top_line_->SetColour(kAntiTheftLine);
    bottom_line_->SetColour(kAntiTheftLine);

    const QString face = QString::fromUtf8(kDefaultFaceName);
    const QString template_image = SkinImagePath(SKIN_BTN_TEMPLATE);
    for (CTButtonPicture* button : {load_template_, save_template_}) {
        button->SetImages(template_image, template_image, template_image, template_image);
        button->SetCaptionFont(face, kAntiTheftTemplateButtonHeight, kWeightNormal);
        button->SetCaptionColours(kAntiTheftAccent, kAntiTheftAccent, kAntiTheftNote);
    }

    for (const labelled_box* row :
         {&lock_row_, &confirm_row_, &ac_name_row_, &primary_dns_row_, &secondary_dns_row_}) {
        StyleLabel(row->label, kAntiTheftLabelHeight, kAntiTheftText);
        ApplyEditStyle(row->box);
        NameAfterLabel(row->box, row->label);
    }
    for (const labelled_box* row : {&lock_row_, &confirm_row_, &ac_name_row_}) {
        StyleLabel(row->mark, kAntiTheftLabelHeight, kAntiTheftAccent);
    }
    for (const labelled_box* row : {&primary_dns_row_, &secondary_dns_row_}) {
        StyleLabel(row->mark, kAntiTheftNoteHeight, kAntiTheftNote);
        row->box->SetHintText(QString::fromUtf8(kDnsPlaceholder), kAntiTheftHint);
    }
    StyleLabel(help_, kAntiTheftNoteHeight, kAntiTheftNote);
    help_->SetTextAlignment(kStaticTopLeft);
    StyleLabel(switch_label_, kAntiTheftLabelHeight, kAntiTheftText);
    StyleLabel(enable_label_, kAntiTheftLabelHeight, kAntiTheftText);
    // An image-only button: its name for screen readers is the label beside it.
    switch_->setAccessibleName(enable_label_->text());

    StyleCancelButton(cancel_);
    StyleConfirmButton(apply_);
}

void CAntiTheftProtectionDlg::PlaceMark(const labelled_box& row) {
    // Right after the label's text, whatever length the translation gave it.
    const int text_width = QFontMetrics(row.label->TextFont()).horizontalAdvance(row.label->text());
    const int x = row.label->x() + text_width + (row.optional ? kNoteGap : kMarkGap);
    row.mark->setGeometry(x, row.label->y(), std::max(kBoxX - x, 1), kRowHeight);
}

void CAntiTheftProtectionDlg::PlaceControls() {
    title_->setGeometry(kTitleRect);
    close_->setGeometry(kCloseRect);
    top_line_->setGeometry(kTopLineRect);
    load_template_->setGeometry(kLoadTemplateRect);
    save_template_->setGeometry(kSaveTemplateRect);
    struct row_place {
        const labelled_box* row;
        int y;
    };
    const row_place rows[] = {
        {&lock_row_, kLockRowY},
        {&confirm_row_, kConfirmRowY},
        {&ac_name_row_, kAcNameRowY},
        {&primary_dns_row_, kPrimaryDnsRowY},
        {&secondary_dns_row_, kSecondaryDnsRowY},
    };
    for (const row_place& place : rows) {
        place.row->label->setGeometry(kLabelX, place.y, kBoxX - kLabelX, kRowHeight);
        place.row->box->setGeometry(kBoxX, place.y, kBoxWidth, kRowHeight);
        PlaceMark(*place.row);
    }
}

void CAntiTheftProtectionDlg::LayOutForSwitch() {
    const page_layout_stu& layout = switch_on_ ? kFullLayout : kShortLayout;
    const QString image = SkinImagePath(switch_on_ ? SKIN_BTN_SWITCH_ON : SKIN_BTN_SWITCH_OFF);
    switch_->SetImages(image, image, image, image);
    switch_->setChecked(switch_on_);
    for (QWidget* control : SwitchedRows()) {
        control->setVisible(switch_on_);
    }

    help_->setGeometry(kBoxX, layout.help_y, kBoxWidth, kHelpHeight);
    switch_label_->setGeometry(kLabelX, layout.switch_y, kBoxX - kLabelX, kSwitchHeight);
    switch_->setGeometry(kBoxX, layout.switch_y, kSwitchWidth, kSwitchHeight);
    enable_label_->setGeometry(kBoxX + kSwitchWidth + kEnableGap, layout.switch_y, kEnableWidth,
                               kSwitchHeight);
    bottom_line_->setGeometry(0, layout.bottom_line_y, kPageWidth, 1);
    cancel_->setGeometry(QRect(QPoint(kCancelX, layout.buttons_y), kCancelSize));
    apply_->setGeometry(QRect(QPoint(kApplyX, layout.buttons_y), kApplySize));

    setFixedSize(kPageWidth, layout.height);
    CentreInParent(this);
    lock_code_->setFocus(Qt::OtherFocusReason);
}

std::vector<QWidget*> CAntiTheftProtectionDlg::SwitchedRows() const {
    std::vector<QWidget*> controls;
    for (const labelled_box* row :
         {&confirm_row_, &ac_name_row_, &primary_dns_row_, &secondary_dns_row_}) {
        controls.push_back(row->label);
        controls.push_back(row->mark);
        controls.push_back(row->box);
    }
    return controls;
}

QWidget* CAntiTheftProtectionDlg::InitialFocus() {
    return lock_code_;
}

void CAntiTheftProtectionDlg::SetSelectedDevices(const std::vector<std::string>& macs) {
    selected_ = macs;
}

antitheft_values CAntiTheftProtectionDlg::Values() const {
    antitheft_values values;
    values.lock_code = lock_code_->text().toStdString();
    values.confirm_lock_code = confirm_lock_code_->text().toStdString();
    values.enable = switch_on_;
    values.ac_name = ac_name_->text().toStdString();
    values.primary_dns = primary_dns_->text().toStdString();
    values.secondary_dns = secondary_dns_->text().toStdString();
    return values;
}

antitheft_values CAntiTheftProtectionDlg::TemplateValues() const {
    antitheft_values values = Values();
    // The hint used to be the box's own text, and template files hold it that way.
    for (std::string* dns : {&values.primary_dns, &values.secondary_dns}) {
        if (dns->empty()) {
            *dns = kDnsPlaceholder;
        }
    }
    return values;
}

void CAntiTheftProtectionDlg::FillFrom(const antitheft_page_stu& loaded) {
    switch_on_ = loaded.values.enable;
    lock_code_->setText(FromUtf8(loaded.values.lock_code));
    confirm_lock_code_->setText(FromUtf8(loaded.values.confirm_lock_code));
    ac_name_->setText(FromUtf8(loaded.values.ac_name));
    // A stored hint means the box was not filled: it shows as the hint again.
    auto dns_text = [](const std::string& stored) {
        return IsDnsFilled(stored) ? FromUtf8(stored) : QString();
    };
    primary_dns_->setText(dns_text(loaded.values.primary_dns));
    secondary_dns_->setText(dns_text(loaded.values.secondary_dns));
    template_name_ = loaded.template_name;
}

CTEditGdiplus* CAntiTheftProtectionDlg::BoxOf(AntiTheftField field) const {
    switch (field) {
        case ANTITHEFT_FIELD_LOCK_CODE:
            return lock_code_;
        case ANTITHEFT_FIELD_CONFIRM_LOCK_CODE:
            return confirm_lock_code_;
        case ANTITHEFT_FIELD_AC_NAME:
            return ac_name_;
        case ANTITHEFT_FIELD_PRIMARY_DNS:
            return primary_dns_;
        case ANTITHEFT_FIELD_SECONDARY_DNS:
            return secondary_dns_;
        case ANTITHEFT_FIELD_NONE:
            break;
    }
    return nullptr;
}

void CAntiTheftProtectionDlg::Note(const QString& text) {
    ShowNote(Tr(kNoteTitle), text, NoteButtons::kOkOnly, this);
}

void CAntiTheftProtectionDlg::OnSwitch() {
    switch_on_ = !switch_on_;
    LayOutForSwitch();
}

void CAntiTheftProtectionDlg::OnApply() {
    const antitheft_values values = Values();
    // The Lock Code checks run with the switch off too: its text is sent either way,
    // and a quote in it would break the command.
    antitheft_check check = ValidateAntiTheftInput(values);
    if (check.ok) {
        // Template texts are not held to the boxes' limits while they are typed.
        check = CheckAntiTheftLimits(values);
    }
    if (!check.ok) {
        QPointer<CAntiTheftProtectionDlg> self = this;
        Note(FromUtf8(check.message));
        if (self != nullptr) {
            if (CTEditGdiplus* box = BoxOf(check.focus)) {
                box->setFocus(Qt::OtherFocusReason);
            }
        }
        return;
    }
    auto engine_ready = [] {
        const CApplicationApp* app = CApplicationApp::GetApp();
        return app != nullptr && app->transmit_manager != nullptr && app->results_store != nullptr;
    };
    if (!engine_ready()) {
        Note(Tr(kNoEngineText));
        return;
    }
    QPointer<CAntiTheftProtectionDlg> self = this;
    if (ShowNote(Tr(kNoteTitle), Tr(kConfirmApplyText), NoteButtons::kOkCancel, this) != kNoteOk) {
        return;
    }
    // The confirmation ran a nested event loop: the page or the engine may be gone.
    if (self == nullptr) {
        return;
    }
    if (!engine_ready()) {
        Note(Tr(kNoEngineText));
        return;
    }
    CApplicationApp* app = CApplicationApp::GetApp();
    CPageHost* host = MainWindowHost();
    PostPageMessage(host, PAGE_DEVICES, WM_ANTITHEFT_STARTED, this);
    if (host != nullptr) {
        host->ShowPage(PAGE_DEVICES);
    }
    const apply_start start =
        SendAntiTheftCommand(*app->transmit_manager, *app->results_store, selected_, values);
    if (!start.ok) {
        ShowNote(Tr(kNoteTitle), FromUtf8(start.message), NoteButtons::kOkOnly, window());
    }
}

void CAntiTheftProtectionDlg::OnReturn() {
    // The boxes keep what was typed for the next opening.
    if (CPageHost* host = MainWindowHost()) {
        host->ShowPage(PAGE_DEVICES);
    }
}

void CAntiTheftProtectionDlg::OnLoadTemplate() {
    antitheft_page_stu state{Values(), template_name_};
    QPointer<CAntiTheftProtectionDlg> self = this;
    hide();
    // On the heap: a page that goes away during the dialog takes it along.
    QPointer<CLoadTemplateDlg> dialog =
        new CLoadTemplateDlg(TemplateFilePath(GetProgramFolder()), &state, this);
    const int result = dialog->exec();
    delete dialog.data();
    if (self == nullptr) {
        return;
    }
    show();
    if (result == QDialog::Accepted) {
        FillFrom(state);
        LayOutForSwitch();
        // A template's texts are not held to the boxes' limits: the box has cut what
        // does not fit, and the operator should know before sending it.
        const antitheft_check limits = CheckAntiTheftLimits(state.values);
        if (!limits.ok) {
            Note(FromUtf8(limits.message));
            if (self != nullptr) {
                if (CTEditGdiplus* box = BoxOf(limits.focus)) {
                    box->setFocus(Qt::OtherFocusReason);
                }
            }
        }
    } else {
        lock_code_->setFocus(Qt::OtherFocusReason);
    }
}

void CAntiTheftProtectionDlg::OnSaveTemplate() {
    QPointer<CAntiTheftProtectionDlg> self = this;
    hide();
    QPointer<CSaveTemplateDlg> dialog =
        new CSaveTemplateDlg(TemplateFilePath(GetProgramFolder()), TemplateValues(), this);
    dialog->exec();
    delete dialog.data();
    if (self == nullptr) {
        return;
    }
    show();
    lock_code_->setFocus(Qt::OtherFocusReason);
}

}  // namespace plindar
