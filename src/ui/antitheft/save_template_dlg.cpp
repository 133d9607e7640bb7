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

constexpr QRect kNameRect(140, 58, 256, 28);

constexpr char kTitleText[] = "Save Template";
constexpr char kLabelText[] = "Template Name:";
constexpr char kSaveText[] = "Save";
constexpr char kNoteTitle[] = "Note";

}  // namespace

CSaveTemplateDlg::CSaveTemplateDlg(const std::string& file_path, const antitheft_values& page,
                                   QWidget* owner)
    : CTDialog(owner, DialogKind::kWindow), file_path_(file_path), page_(page) {
    setObjectName(QStringLiteral("saveTemplateDialog"));
    name_ = new CTEditGdiplus(this);
    name_->setObjectName(QStringLiteral("templateName"));
    const template_box_stu box =
        BuildTemplateBox(this, kTitleText, kLabelText, kSaveText, "save", name_, kNameRect);
    title_ = box.title;
    close_ = box.close;
    cancel_ = box.cancel;
    save_ = box.confirm;

    ApplyEditStyle(name_);
    name_->setMaxLength(static_cast<int>(kTemplateNameMaxCharacters));

    connect(save_, &QAbstractButton::clicked, this, &CSaveTemplateDlg::SaveTemplate);
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
