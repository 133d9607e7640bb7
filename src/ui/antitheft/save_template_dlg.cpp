// The save-template dialog.
#include "ui/antitheft/save_template_dlg.h"

#include <QPointer>
#include <QShowEvent>
#include <utility>

#include "content/antitheft_templates.h"
#include "ui/antitheft/antitheft_look.h"
#include "ui/controls/color_line.h"
#include "ui/controls/t_button_picture.h"
#include "ui/controls/t_edit_gdiplus.h"
#include "ui/controls/t_static_gdiplus.h"
#include "ui/note_dlg.h"
#include "ui/translate_window.h"

namespace plindar {

namespace {

constexpr QSize kDialogSize(420, 152);
constexpr QRect kTitleRect(16, 11, 300, 20);
constexpr QRect kCloseRect(388, 12, 16, 16);
constexpr QRect kTopLineRect(0, 35, 420, 1);
constexpr QRect kLabelRect(20, 58, 118, 28);
constexpr QRect kNameRect(140, 58, 256, 28);
constexpr QRect kCancelRect(252, 118, 71, 27);
constexpr QRect kSaveRect(332, 118, 67, 27);

constexpr char kTitleText[] = "Save Template";
constexpr char kLabelText[] = "Template Name:";
constexpr char kCancelText[] = "Cancel";
constexpr char kSaveText[] = "Save";
constexpr char kNoteTitle[] = "Note";

}  // namespace

CSaveTemplateDlg::CSaveTemplateDlg(const std::string& file_path, const antitheft_values& page,
                                   QWidget* owner)
    : CTDialog(owner, DialogKind::kWindow), file_path_(file_path), page_(page) {
    setObjectName(QStringLiteral("saveTemplateDialog"));
    title_ = new CTStaticGdiplus(QString::fromUtf8(kTitleText), this);
    close_ = new CTButtonPicture(this);
    top_line_ = new CColorLine(this);
    label_ = new CTStaticGdiplus(QString::fromUtf8(kLabelText), this);
    name_ = new CTEditGdiplus(this);
    cancel_ = new CTButtonPicture(this);
    cancel_->setText(QString::fromUtf8(kCancelText));
    save_ = new CTButtonPicture(this);
    save_->setText(QString::fromUtf8(kSaveText));
    title_->setObjectName(QStringLiteral("title"));
    close_->setObjectName(QStringLiteral("close"));
    name_->setObjectName(QStringLiteral("templateName"));
    cancel_->setObjectName(QStringLiteral("cancel"));
    save_->setObjectName(QStringLiteral("save"));

    TranslateDialog(this);
    setWindowTitle(title_->text());
    SetFillColour(kAntiTheftFill);
    SetFill(true);
    SetDrag(true);
    setFixedSize(kDialogSize);

    title_->setGeometry(kTitleRect);
    close_->setGeometry(kCloseRect);
    top_line_->setGeometry(kTopLineRect);
    label_->setGeometry(kLabelRect);
    name_->setGeometry(kNameRect);
    cancel_->setGeometry(kCancelRect);
    save_->setGeometry(kSaveRect);

    StyleTitle(title_);
    StyleCloseButton(close_);
    top_line_->SetColour(kAntiTheftLine);
    StyleLabel(label_, kAntiTheftLabelHeight, kAntiTheftText);
    ApplyEditStyle(name_);
    name_->setMaxLength(static_cast<int>(kTemplateNameMaxCharacters));
    NameAfterLabel(name_, label_);
    StyleCancelButton(cancel_);
    StyleConfirmButton(save_);

    connect(save_, &QAbstractButton::clicked, this, &CSaveTemplateDlg::SaveTemplate);
    connect(cancel_, &QAbstractButton::clicked, this, &CSaveTemplateDlg::reject);
    connect(close_, &QAbstractButton::clicked, this, &CSaveTemplateDlg::reject);

    ApplyRoundCorners(this);
}

void CSaveTemplateDlg::showEvent(QShowEvent* event) {
    if (!event->spontaneous() && !opened_) {
        opened_ = true;
        CentreOnOwner(this, parentWidget());
    }
    CTDialog::showEvent(event);
    name_->setFocus(Qt::OtherFocusReason);
}

void CSaveTemplateDlg::SaveTemplate() {
    const template_save_result_stu saved =
        plindar::SaveTemplate(file_path_, name_->text().toStdString(), page_);
    if (saved.saved) {
        accept();
        return;
    }
    QPointer<CSaveTemplateDlg> self = this;
    ShowNote(TrText(kNoteTitle), QString::fromStdString(saved.message), NoteButtons::kOkOnly, this);
    if (self == nullptr) {
        return;
    }
    if (saved.clear_name_box) {
        name_->clear();
    }
    name_->setFocus(Qt::OtherFocusReason);
}

}  // namespace plindar
