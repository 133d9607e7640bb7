// Shared look of the anti-theft windows.
#include "ui/antitheft/antitheft_look.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "app/application_app.h"
#include "records/translate_text.h"
#include "ui/controls/skin_look.h"
#include "ui/controls/t_button_picture.h"
#include "ui/controls/t_static_gdiplus.h"

namespace plindar {

namespace {

QString Face() {
    return QString::fromUtf8(kDefaultFaceName);
}

}  // namespace

void StyleTitle(CTStaticGdiplus* title) {
    title->SetFace(Face());
    title->SetFont(kAntiTheftTitleHeight, kWeightSemiBold);
    title->SetColour(kAntiTheftText);
}

void StyleLabel(CTStaticGdiplus* label, int height, const QColor& colour) {
    label->SetFace(Face());
    label->SetFont(height, kWeightNormal);
    label->SetColour(colour);
}

void StyleCloseButton(CTButtonPicture* close) {
    const QString image = SkinImagePath(SKIN_BTN_CHILD_CLOSE);
    close->SetImages(image, image, image, image);
    close->setToolTip(TrText("Close"));
}

void StyleCancelButton(CTButtonPicture* cancel) {
    cancel->SetImages(SkinImagePath(SKIN_CANCEL_BTN_NORMAL), SkinImagePath(SKIN_CANCEL_BTN_OVER),
                      SkinImagePath(SKIN_CANCEL_BTN_DOWN), SkinImagePath(SKIN_CANCEL_BTN_NORMAL));
    cancel->SetCaptionFont(Face(), kAntiTheftButtonHeight, kWeightNormal);
    cancel->SetCaptionColours(kAntiTheftText, kAntiTheftAccent, kAntiTheftText);
}

void StyleConfirmButton(CTButtonPicture* confirm) {
    confirm->SetImages(SkinImagePath(SKIN_APPLY_BTN_NORMAL), SkinImagePath(SKIN_APPLY_BTN_OVER),
                       SkinImagePath(SKIN_APPLY_BTN_DOWN), SkinImagePath(SKIN_APPLY_BTN_DISABLE));
    confirm->SetCaptionFont(Face(), kAntiTheftButtonHeight, kWeightNormal);
    confirm->SetCaptionColours(Qt::white, Qt::white, Qt::white);
}

void CentreOnOwner(QWidget* window, QWidget* owner) {
    QRect area;
    if (owner != nullptr) {
        area = QRect(owner->mapToGlobal(QPoint(0, 0)), owner->size());
    } else if (QScreen* screen = QGuiApplication::primaryScreen()) {
        area = screen->availableGeometry();
    }
    if (area.isValid()) {
        QRect frame(QPoint(0, 0), window->size());
        frame.moveCenter(area.center());
        window->move(frame.topLeft());
    }
}

}  // namespace plindar
