// The load-template dialog.
#include "ui/antitheft/load_template_dlg.h"

#include <QPointer>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QTimer>

#include "app/application_app.h"
#include "ui/antitheft/antitheft_look.h"
#include "ui/controls/color_line.h"
#include "ui/controls/custom_combo_box.h"
#include "ui/controls/skin_look.h"
#include "ui/controls/t_button_picture.h"
#include "ui/controls/t_edit_gdiplus.h"
#include "ui/controls/t_static_gdiplus.h"
#include "ui/note_dlg.h"
#include "ui/translate_window.h"

namespace plindar {

namespace {

constexpr QRect kListRect(140, 58, 230, 28);
constexpr QRect kDeleteRect(380, 64, 16, 16);

constexpr int kDeleteButtonTimerMs = 100;

constexpr char kTitleText[] = "Load Template";
constexpr char kLabelText[] = "Select Template:";
constexpr char kLoadText[] = "Load";
constexpr char kDeleteTip[] = "Delete";
constexpr char kNoteTitle[] = "Note";
constexpr char kNothingSelectedText[] = "Please select a template!";

}  // namespace

CLoadTemplateDlg::CLoadTemplateDlg(const std::string& file_path, antitheft_page_stu* page,
                                   QWidget* owner)
    : CTDialog(owner, DialogKind::kWindow), model_(file_path), page_(page) {
    setObjectName(QStringLiteral("loadTemplateDialog"));
    list_ = new CCustomComboBox(this);
    list_->setObjectName(QStringLiteral("templates"));
    delete_ = new CTButtonPicture(this);
    delete_->setObjectName(QStringLiteral("delete"));
    delete_->setGeometry(kDeleteRect);
    const template_box_stu box =
        BuildTemplateBox(this, kTitleText, kLabelText, kLoadText, "load", list_, kListRect);
    title_ = box.title;
    close_ = box.close;
    cancel_ = box.cancel;
    load_ = box.confirm;

    list_->SetArrowImages(SkinImagePath(SKIN_COMBOX_DOWN));
    delete_->SetImages(SkinImagePath(SKIN_BTN_CLOSE_NORMAL), SkinImagePath(SKIN_BTN_CLOSE_OVER),
                       SkinImagePath(SKIN_BTN_CLOSE_DOWN), SkinImagePath(SKIN_BTN_CLOSE_DOWN));
    delete_->setToolTip(TrText(kDeleteTip));
    delete_->hide();

    connect(load_, &QAbstractButton::clicked, this, &CLoadTemplateDlg::LoadTemplate);
    connect(delete_, &QAbstractButton::clicked, this, &CLoadTemplateDlg::DeleteTemplate);
    connect(list_, &QComboBox::currentIndexChanged, this, [this](int index) {
        model_.Select(index < 0 ? std::nullopt : std::optional<size_t>(index));
    });

    list_error_ = model_.ListTemplates(page_->template_name);
    FillList();

    delete_timer_ = new QTimer(this);
    delete_timer_->setInterval(kDeleteButtonTimerMs);
    connect(delete_timer_, &QTimer::timeout, this, &CLoadTemplateDlg::UpdateDeleteButton);
    delete_timer_->start();
    UpdateDeleteButton();
}

void CLoadTemplateDlg::FillList() {
    // The list follows the model, not the other way round, while it is rebuilt.
    const std::optional<size_t> selected = model_.Selected();
    const QSignalBlocker quiet(list_);
    list_->clear();
    for (const std::string& name : model_.Names()) {
        list_->AddItem(QString::fromStdString(name));
    }
    list_->Select(selected.has_value() ? static_cast<int>(*selected) : -1);
}

void CLoadTemplateDlg::UpdateDeleteButton() {
    delete_->setVisible(list_->GetSelection() >= 0);
}

void CLoadTemplateDlg::showEvent(QShowEvent* event) {
    if (!event->spontaneous() && !opened_) {
        opened_ = true;
        CentreOnOwner(this, parentWidget());
        if (!list_error_.empty()) {
            // Once the dialog is up, so the message sits over it.
            QPointer<CLoadTemplateDlg> self = this;
            QTimer::singleShot(0, this, [self] {
                if (self != nullptr) {
                    ShowNote(TrText(kNoteTitle), QString::fromStdString(self->list_error_),
                             NoteButtons::kOkOnly, self.data());
                }
            });
        }
    }
    CTDialog::showEvent(event);
}

void CLoadTemplateDlg::LoadTemplate() {
    if (!model_.Selected().has_value()) {
        // Loading nothing would empty every box of the page and switch it off.
        ShowNote(TrText(kNoteTitle), TrText(kNothingSelectedText), NoteButtons::kOkOnly, this);
        return;
    }
    model_.LoadTemplate(page_);
    accept();
}

void CLoadTemplateDlg::DeleteTemplate() {
    if (model_.DeleteTemplate()) {
        FillList();
        UpdateDeleteButton();
    }
}

}  // namespace plindar
