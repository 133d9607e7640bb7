// The operator message dialog and the one call that shows it.
#include "ui/note_dlg.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QShowEvent>
#include <algorithm>

#include "app/application_app.h"
#include "records/translate_text.h"
#include "ui/controls/color_line.h"
#include "ui/controls/skin_look.h"
#include "ui/controls/t_button_picture.h"
#include "ui/controls/t_static_gdiplus.h"
#include "ui/translate_window.h"

namespace plindar {

namespace {

constexpr QSize kDialogSize(415, 162);
const QColor kBackground(248, 248, 248);
const QColor kText(68, 68, 79);
const QColor kLine(235, 238, 237);
const QColor kCancelActive(216, 34, 40);
constexpr int kTextHeight = 17;

constexpr QRect kTitleRect(16, 11, 105, 18);
constexpr QRect kCloseRect(388, 12, 16, 16);
constexpr QRect kTopLineRect(0, 35, 420, 1);
constexpr QRect kMessageRect(65, 49, 320, 60);
constexpr QRect kBottomLineRect(0, 116, 420, 1);
constexpr QRect kCancelRect(252, 128, 71, 27);
constexpr QRect kOkRect(332, 128, 67, 27);
const QColor kFrame(215, 215, 215);

}  // namespace

CNoteDlg::CNoteDlg(const QString& title, const QString& text, bool show_cancel, QWidget* owner)
    : CTDialog(owner, DialogKind::kWindow), show_cancel_(show_cancel) {
    setObjectName(QStringLiteral("note_dialog"));
    const QString face = SkinFace();

    title_ = new CTStaticGdiplus(this);
    message_ = new CTStaticGdiplus(this);
    close_ = new CTButtonPicture(this);
    cancel_ = new CTButtonPicture(this);
    ok_ = new CTButtonPicture(this);
    top_line_ = new CColorLine(this);
    bottom_line_ = new CColorLine(this);
    title_->setObjectName(QStringLiteral("title"));
    message_->setObjectName(QStringLiteral("message"));
    close_->setObjectName(QStringLiteral("close"));
    cancel_->setObjectName(QStringLiteral("cancel"));
    ok_->setObjectName(QStringLiteral("ok"));
    ok_->setText(QStringLiteral("Ok"));
    cancel_->setText(QStringLiteral("Cancel"));

    // The fixed captions are translated here; title and text arrive translated.
    TranslateDialog(this);
    SetFillColour(kBackground);
    SetFill(true);
    SetDrag(true);

    setFixedSize(kDialogSize);
    title_->setGeometry(kTitleRect);
    close_->setGeometry(kCloseRect);
    top_line_->setGeometry(kTopLineRect);
    message_->setGeometry(kMessageRect);
    bottom_line_->setGeometry(kBottomLineRect);
    cancel_->setGeometry(kCancelRect);
    ok_->setGeometry(kOkRect);

    top_line_->SetColour(kLine);
    bottom_line_->SetColour(kLine);
    bottom_line_->hide();
    for (CTStaticGdiplus* label : {title_, message_}) {
        label->SetFace(face);
        label->SetColour(kText);
    }
    title_->SetFont(kTextHeight, kWeightSemiBold);
    message_->SetFont(kTextHeight, kWeightNormal);
    title_->SetText(title);
    message_->SetText(text);
    setWindowTitle(title);
    GrowForText();
    SetFrameColour(kFrame);

    const QString close_image = SkinImagePath(SKIN_BTN_CHILD_CLOSE2);
    close_->SetImages(close_image, close_image, close_image, close_image);
    close_->setToolTip(TrText("Close"));
    cancel_->SetImages(SkinImagePath(SKIN_CANCEL_BTN_NORMAL), SkinImagePath(SKIN_CANCEL_BTN_OVER),
                       SkinImagePath(SKIN_CANCEL_BTN_DOWN), SkinImagePath(SKIN_CANCEL_BTN_NORMAL));
    cancel_->SetCaptionFont(face, kTextHeight, kWeightNormal);
    cancel_->SetCaptionColours(kText, kCancelActive, kText);
    ok_->SetImages(SkinImagePath(SKIN_APPLY_BTN_NORMAL), SkinImagePath(SKIN_APPLY_BTN_OVER),
                   SkinImagePath(SKIN_APPLY_BTN_DOWN), SkinImagePath(SKIN_APPLY_BTN_DISABLE));
    ok_->SetCaptionFont(face, kTextHeight, kWeightNormal);
    ok_->SetCaptionColours(Qt::white, Qt::white, Qt::white);
    cancel_->setVisible(show_cancel_);

    connect(ok_, &QAbstractButton::clicked, this, [this] { done(kNoteOk); });
    connect(cancel_, &QAbstractButton::clicked, this, [this] { done(kNoteCancel); });
    connect(close_, &QAbstractButton::clicked, this, [this] { done(kNoteCancel); });

    ApplyRoundCorners(this);
}

void CNoteDlg::GrowForText() {
    // A message longer than the box's few lines makes the box taller, so that no
    // line of it is cut off; the buttons move down with it.
    const QStringList lines =
        BreakStaticText(message_->text(), message_->TextFont(), kMessageRect.width());
    const int needed = lines.size() * QFontMetrics(message_->TextFont()).height();
    const int extra = std::max(0, needed - kMessageRect.height());
    if (extra == 0) {
        return;
    }
    setFixedSize(kDialogSize + QSize(0, extra));
    message_->setGeometry(kMessageRect.adjusted(0, 0, 0, extra));
    bottom_line_->setGeometry(kBottomLineRect.translated(0, extra));
    cancel_->setGeometry(kCancelRect.translated(0, extra));
    ok_->setGeometry(kOkRect.translated(0, extra));
}

void CNoteDlg::reject() {
    done(kNoteCancel);
}

void CNoteDlg::showEvent(QShowEvent* event) {
    if (!event->spontaneous() && !centred_) {
        CentreOnOwner(this, parentWidget());
        centred_ = true;
    }
    CTDialog::showEvent(event);
}

int ShowNote(const QString& title, const QString& text, NoteButtons buttons, QWidget* owner) {
    // On the heap: an owner that goes away during the nested loop takes the dialog
    // with it, which a dialog on this stack could not survive.
    QPointer<CNoteDlg> dialog = new CNoteDlg(title, text, buttons == NoteButtons::kOkCancel, owner);
    const int result = dialog->exec();
    delete dialog.data();
    return result == kNoteOk ? kNoteOk : kNoteCancel;
}

}  // namespace plindar
