// Shared look of the anti-theft windows.
#include "ui/antitheft/antitheft_look.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "app/application_app.h"
#include "ui/controls/color_line.h"
#include "ui/controls/skin_look.h"
#include "ui/controls/t_button_picture.h"
#include "ui/controls/t_dialog.h"
#include "ui/controls/t_edit_gdiplus.h"
#include "ui/controls/t_static_gdiplus.h"
#include "ui/translate_window.h"

namespace plindar {

namespace {}  // namespace

void StyleTitle(CTStaticGdiplus* title) {
    title->SetFace(SkinFace());
    title->SetFont(kAntiTheftTitleHeight, kWeightSemiBold);
    title->SetColour(kAntiTheftText);
}

void StyleLabel(CTStaticGdiplus* label, int height, const QColor& colour) {
    label->SetFace(SkinFace());
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
    cancel->SetCaptionFont(SkinFace(), kAntiTheftButtonHeight, kWeightNormal);
    cancel->SetCaptionColours(kAntiTheftText, kAntiTheftAccent, kAntiTheftText);
}

void StyleConfirmButton(CTButtonPicture* confirm) {
    confirm->SetImages(SkinImagePath(SKIN_APPLY_BTN_NORMAL), SkinImagePath(SKIN_APPLY_BTN_OVER),
                       SkinImagePath(SKIN_APPLY_BTN_DOWN), SkinImagePath(SKIN_APPLY_BTN_DISABLE));
    confirm->SetCaptionFont(SkinFace(), kAntiTheftButtonHeight, kWeightNormal);
    confirm->SetCaptionColours(Qt::white, Qt::white, Qt::white);
}

namespace {

constexpr QSize kTemplateBoxSize(420, 152);
constexpr QRect kTemplateTitleRect(16, 11, 300, 20);
constexpr QRect kTemplateCloseRect(388, 12, 16, 16);
constexpr QRect kTemplateTopLineRect(0, 35, 420, 1);
constexpr QRect kTemplateLabelRect(20, 58, 118, 28);
constexpr QRect kTemplateCancelRect(252, 118, 71, 27);
constexpr QRect kTemplateConfirmRect(332, 118, 67, 27);
constexpr char kCancelText[] = "Cancel";

}  // namespace

template_box_stu BuildTemplateBox(CTDialog* dialog, const char* title, const char* label,
                                  const char* confirm, const char* confirm_name, QWidget* field,
                                  const QRect& field_rect) {
    template_box_stu box;
    box.title = new CTStaticGdiplus(QString::fromUtf8(title), dialog);
    box.close = new CTButtonPicture(dialog);
    box.top_line = new CColorLine(dialog);
    box.label = new CTStaticGdiplus(QString::fromUtf8(label), dialog);
    box.cancel = new CTButtonPicture(dialog);
    box.cancel->setText(QString::fromUtf8(kCancelText));
    box.confirm = new CTButtonPicture(dialog);
    box.confirm->setText(QString::fromUtf8(confirm));
    box.title->setObjectName(QStringLiteral("title"));
    box.close->setObjectName(QStringLiteral("close"));
    box.cancel->setObjectName(QStringLiteral("cancel"));
    box.confirm->setObjectName(QString::fromUtf8(confirm_name));

    // Before the field is filled: what the operator typed or saved is never
    // translated.
    TranslateDialog(dialog);
    dialog->setWindowTitle(box.title->text());
    dialog->SetFillColour(kAntiTheftFill);
    dialog->SetFill(true);
    dialog->SetDrag(true);
    dialog->setFixedSize(kTemplateBoxSize);

    box.title->setGeometry(kTemplateTitleRect);
    box.close->setGeometry(kTemplateCloseRect);
    box.top_line->setGeometry(kTemplateTopLineRect);
    box.label->setGeometry(kTemplateLabelRect);
    field->setGeometry(field_rect);
    box.cancel->setGeometry(kTemplateCancelRect);
    box.confirm->setGeometry(kTemplateConfirmRect);

    StyleTitle(box.title);
    StyleCloseButton(box.close);
    box.top_line->SetColour(kAntiTheftLine);
    StyleLabel(box.label, kAntiTheftLabelHeight, kAntiTheftText);
    NameAfterLabel(field, box.label);
    StyleCancelButton(box.cancel);
    StyleConfirmButton(box.confirm);
    QObject::connect(box.cancel, &QAbstractButton::clicked, dialog, &QDialog::reject);
    QObject::connect(box.close, &QAbstractButton::clicked, dialog, &QDialog::reject);
    ApplyRoundCorners(dialog);
    return box;
}

}  // namespace plindar
