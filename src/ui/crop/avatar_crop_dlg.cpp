// The cropping dialog: layout, loading the source, Apply and the ways of leaving.
#include "ui/crop/avatar_crop_dlg.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>

#include "app/application_app.h"
#include "ui/controls/color_line.h"
#include "ui/controls/skin_look.h"
#include "ui/controls/t_button_picture.h"
#include "ui/controls/t_static_gdiplus.h"
#include "ui/crop/crop_texts.h"
#include "ui/crop/image_preview_ctrl.h"
#include "ui/note_dlg.h"
#include "ui/translate_window.h"

namespace plindar {

namespace {

constexpr QSize kDialogSize(420, 276);
constexpr QRect kTitleRect(16, 18, 358, 48);
constexpr QRect kCloseRect(388, 18, 16, 16);
constexpr QRect kTopLineRect(0, 64, 420, 1);
constexpr QRect kViewRect(16, 70, 387, 118);
// Two lines of hint fill the room between the view and the lower line.
constexpr QRect kHintRect(16, 193, 387, 37);
constexpr QRect kBottomLineRect(0, 232, 420, 1);
constexpr QRect kCancelRect(252, 242, 71, 27);
constexpr QRect kApplyRect(332, 242, 67, 27);

const QColor kTitleColour(68, 68, 79);
const QColor kHintColour(181, 181, 190);
const QColor kLineColour(235, 237, 237);
const QColor kCancelActive(216, 34, 40);
// A floating box over a white page needs an edge when there is no shadow.
const QColor kFrameColour(215, 215, 215);
constexpr int kTitlePixels = 17;
constexpr int kHintPixels = 16;
constexpr int kButtonPixels = 17;

QColor DialogBackground() {
    const CApplicationApp* app = CApplicationApp::GetApp();
    return app != nullptr ? ToQColor(app->settings.ChildBkColor) : QColor(Qt::white);
}

}  // namespace

CAvatarCropDlg::CAvatarCropDlg(const QString& source_path, QWidget* owner)
    : CTDialog(owner, DialogKind::kWindow), source_path_(source_path) {
    setObjectName(QStringLiteral("avatar_crop_dialog"));
    const QString face = SkinFace();

    title_ = new CTStaticGdiplus(this);
    close_ = new CTButtonPicture(this);
    top_line_ = new CColorLine(this);
    view_ = new CImagePreviewCtrl(this);
    hint_ = new CTStaticGdiplus(this);
    bottom_line_ = new CColorLine(this);
    cancel_ = new CTButtonPicture(this);
    apply_ = new CTButtonPicture(this);
    title_->setObjectName(QStringLiteral("title"));
    close_->setObjectName(QStringLiteral("close"));
    view_->setObjectName(QStringLiteral("view"));
    hint_->setObjectName(QStringLiteral("hint"));
    cancel_->setObjectName(QStringLiteral("cancel"));
    apply_->setObjectName(QStringLiteral("apply"));

    setFixedSize(kDialogSize);
    title_->setGeometry(kTitleRect);
    close_->setGeometry(kCloseRect);
    top_line_->setGeometry(kTopLineRect);
    view_->setGeometry(kViewRect);
    hint_->setGeometry(kHintRect);
    bottom_line_->setGeometry(kBottomLineRect);
    cancel_->setGeometry(kCancelRect);
    apply_->setGeometry(kApplyRect);

    SetFillColour(DialogBackground());
    SetFill(true);
    SetFrameColour(kFrameColour);
    SetDrag(true);

    title_->SetFace(face);
    title_->SetFont(kTitlePixels, kWeightSemiBold);
    title_->SetColour(kTitleColour);
    // Level with the close button, whatever the label's height.
    title_->SetTextAlignment(kStaticTopLeft);
    // A long file name is drawn smaller rather than cut off.
    title_->SetShrinkToFit(true);
    hint_->SetFace(face);
    hint_->SetFont(kHintPixels, kWeightNormal);
    hint_->SetColour(kHintColour);
    hint_->SetTextAlignment(kStaticTopLeft);
    hint_->SetShrinkToFit(true);
    hint_->SetText(TrText(kCropHintFirstLine) + QLatin1Char('\n') + TrText(kCropHintSecondLine));
    top_line_->SetColour(kLineColour);
    bottom_line_->SetColour(kLineColour);

    const QString close_image = SkinImagePath(SKIN_BTN_CHILD_CLOSE2);
    close_->SetImages(close_image, close_image, close_image, close_image);
    close_->setToolTip(TrText(kCropClose));
    cancel_->setText(TrText(kCropCancel));
    cancel_->SetImages(SkinImagePath(SKIN_CANCEL_BTN_NORMAL), SkinImagePath(SKIN_CANCEL_BTN_OVER),
                       SkinImagePath(SKIN_CANCEL_BTN_DOWN), SkinImagePath(SKIN_CANCEL_BTN_NORMAL));
    cancel_->SetCaptionFont(face, kButtonPixels, kWeightNormal);
    cancel_->SetCaptionColours(kTitleColour, kCancelActive, kTitleColour);
    apply_->setText(TrText(kCropApply));
    apply_->SetImages(SkinImagePath(SKIN_APPLY_BTN_NORMAL), SkinImagePath(SKIN_APPLY_BTN_OVER),
                      SkinImagePath(SKIN_APPLY_BTN_DOWN), SkinImagePath(SKIN_APPLY_BTN_DISABLE));
    apply_->SetCaptionFont(face, kButtonPixels, kWeightNormal);
    apply_->SetCaptionColours(Qt::white, Qt::white, Qt::white);

    connect(apply_, &QAbstractButton::clicked, this, &CAvatarCropDlg::Apply);
    connect(cancel_, &QAbstractButton::clicked, this, &QDialog::reject);
    connect(close_, &QAbstractButton::clicked, this, &QDialog::reject);

    ApplyRoundCorners(this);
    LoadSource();
}

CAvatarCropDlg::~CAvatarCropDlg() = default;

void CAvatarCropDlg::LoadSource() {
    loaded_ = view_->LoadImage(source_path_);
    // Named after the file even when it failed to load, so the message that follows
    // is about a file the operator can see.
    const QString title = FillPlaceholders(TrText(kCropTitleFormat), QStringLiteral("%s"),
                                           {QFileInfo(source_path_).fileName()});
    title_->SetText(title);
    setWindowTitle(title);
    apply_->setEnabled(loaded_);
}

void CAvatarCropDlg::showEvent(QShowEvent* event) {
    CTDialog::showEvent(event);
    if (event->spontaneous() || first_show_done_) {
        return;
    }
    first_show_done_ = true;
    CentreOnScreen(this, parentWidget());
    if (!loaded_) {
        // After the show, so that the message stands over a dialog the operator sees;
        // the timer dies with the dialog.
        QTimer::singleShot(0, this, &CAvatarCropDlg::ReportLoadFailure);
    }
}

void CAvatarCropDlg::ReportLoadFailure() {
    ShowNote(TrText(kCropNoteTitle), TrText(kCropLoadFailed), NoteButtons::kOkOnly, this);
}

void CAvatarCropDlg::Apply() {
    const CApplicationApp* app = CApplicationApp::GetApp();
    if (!view_->IsLoaded() || app == nullptr) {
        return;  // without the application object there is no program folder to write to
    }
    const logo_result_stu result = view_->WriteOutput(app->program_folder);
    if (!result.ok) {
        // The dialog stays open so that the operator can try again or cancel, but is
        // told why nothing was saved.
        ShowNote(TrText(kCropNoteTitle), QString::fromStdString(result.message),
                 NoteButtons::kOkOnly, this);
        return;
    }
    output_path_ = QString::fromStdString(result.path);
    accept();
}

}  // namespace plindar
