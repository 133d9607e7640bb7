// The skinned edit box: rounded border, hint, password mask, eye icon, clear mark.
#include "ui/controls/t_edit_gdiplus.h"

#include <QApplication>
#include <QEnterEvent>
#include <QFocusEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QProxyStyle>
#include <algorithm>

#include "app/application_app.h"
#include "ui/controls/skin_look.h"

namespace plindar {

namespace {

constexpr qreal kDefaultPoints = 10.0;
constexpr qreal kCornerRadius = 10.0;
constexpr qreal kBorderWidth = 1.0;
// Text starts this far in from the left and right edges.
constexpr int kTextInset = 6;
// QLineEdit itself keeps this far from its contents' edges; the text margins make
// up the rest of the inset.
constexpr int kLineEditInnerMargin = 2;
constexpr int kIconSize = 16;
constexpr int kIconGap = 4;
// Half the size of the clear mark's "x", and its stroke width.
constexpr qreal kClearHalf = 4.0;
constexpr qreal kClearStroke = 2.0;
const QColor kClearMarkColour(150, 150, 150);

constexpr qreal kEditStylePoints = 9.6;
const QColor kEditStyleBorder(213, 213, 220);
const QColor kEditStyleActive(216, 34, 40);

// Qt's password character depends on the style (usually a bullet); the skinned
// boxes mask with '*'.
class AsteriskMaskStyle : public QProxyStyle {
public:
    explicit AsteriskMaskStyle(QWidget* owner) : QProxyStyle(QApplication::style()->name()) {
        setParent(owner);
    }

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override {
        if (hint == SH_LineEdit_PasswordCharacter) {
            return '*';
        }
        if (hint == SH_LineEdit_PasswordMaskDelay) {
            return 0;  // never show the last typed character in clear
        }
        return QProxyStyle::styleHint(hint, option, widget, data);
    }
};

}  // namespace

CTEditGdiplus::CTEditGdiplus(QWidget* parent) : QLineEdit(parent) {
    setFrame(false);
    setStyle(new AsteriskMaskStyle(this));
    setMouseTracking(true);
    QFont font(SkinFace());
    font.setPointSizeF(kDefaultPoints);
    setFont(font);
    SetTextColour(text_colour_);
    UpdateMargins();
    connect(this, &QLineEdit::textChanged, this, &CTEditGdiplus::OnTextChanged);
}

void CTEditGdiplus::SetHintText(const QString& text, const QColor& colour) {
    hint_ = text;
    hint_colour_ = colour;
    QPalette palette = this->palette();
    palette.setColor(QPalette::PlaceholderText, hint_colour_);
    setPalette(palette);
    UpdateHint();
}

bool CTEditGdiplus::IsHintShowing() const {
    return !hint_.isEmpty() && text().isEmpty() && !hasFocus();
}

void CTEditGdiplus::SetPasswordMode(bool password) {
    password_ = password;
    revealed_ = false;
    UpdateEchoMode();
}

bool CTEditGdiplus::IsMasked() const {
    return echoMode() == Password && !text().isEmpty();
}

void CTEditGdiplus::SetEyeImages(const QString& masked, const QString& plain) {
    eye_masked_ = LoadSkinImage(masked);
    eye_plain_ = LoadSkinImage(plain);
    UpdateMargins();
    update();
}

void CTEditGdiplus::SetClearMark(bool enabled) {
    clear_mark_ = enabled;
    UpdateMargins();
    update();
}

void CTEditGdiplus::SetChangeNotification(int value) {
    notify_ = true;
    notify_value_ = value;
}

void CTEditGdiplus::SetBorderColours(const QColor& normal, const QColor& hover,
                                     const QColor& focused, const QColor& disabled) {
    border_normal_ = normal;
    border_hover_ = hover;
    border_focused_ = focused;
    border_disabled_ = disabled;
    update();
}

void CTEditGdiplus::SetTextColour(const QColor& colour) {
    text_colour_ = colour;
    QPalette palette = this->palette();
    palette.setColor(QPalette::Text, text_colour_);
    // The rounded background is painted here; the line edit's own panel stays clear.
    palette.setColor(QPalette::Base, Qt::transparent);
    setPalette(palette);
}

void CTEditGdiplus::SetBackgroundColour(const QColor& colour) {
    background_ = colour;
    update();
}

void CTEditGdiplus::SetTextFont(const QString& face, qreal points, int weight) {
    QFont font = SkinFont(face, 0, weight);
    font.setPointSizeF(points);
    setFont(font);
}

QColor CTEditGdiplus::BorderColour() const {
    if (!isEnabled()) {
        return border_disabled_;
    }
    if (hasFocus()) {
        return border_focused_;
    }
    return hovering_ ? border_hover_ : border_normal_;
}

bool CTEditGdiplus::HasEye() const {
    return password_ && !eye_masked_.isNull();
}

bool CTEditGdiplus::ShowsClearMark() const {
    return clear_mark_ && !text().isEmpty();
}

QRect CTEditGdiplus::EyeRect() const {
    if (!HasEye()) {
        return QRect();
    }
    return QRect(width() - kTextInset - kIconSize, (height() - kIconSize) / 2, kIconSize,
                 kIconSize);
}

QRect CTEditGdiplus::ClearRect() const {
    if (!ShowsClearMark()) {
        return QRect();
    }
    const int right = HasEye() ? EyeRect().left() - kIconGap : width() - kTextInset;
    return QRect(right - kIconSize, (height() - kIconSize) / 2, kIconSize, kIconSize);
}

void CTEditGdiplus::UpdateEchoMode() {
    setEchoMode(password_ && !revealed_ ? Password : Normal);
    update();
}

void CTEditGdiplus::UpdateHint() {
    // Qt shows a placeholder even in a focused empty box; the hint is for the
    // unfocused box only.
    setPlaceholderText(hasFocus() ? QString() : hint_);
}

void CTEditGdiplus::UpdateMargins() {
    int right = kTextInset - kLineEditInnerMargin;
    if (HasEye()) {
        right += kIconSize + kIconGap;
    }
    if (clear_mark_) {
        right += kIconSize + kIconGap;
    }
    setTextMargins(kTextInset - kLineEditInnerMargin, 0, right, 0);
}

void CTEditGdiplus::OnTextChanged() {
    update();
    if (notify_) {
        emit EditChanged(notify_value_);
    }
}

void CTEditGdiplus::paintEvent(QPaintEvent* event) {
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF box = QRectF(rect()).adjusted(kBorderWidth / 2, kBorderWidth / 2,
                                                   -kBorderWidth / 2, -kBorderWidth / 2);
        const qreal radius = std::min(kCornerRadius, box.height() / 2);
        painter.setPen(QPen(BorderColour(), kBorderWidth));
        painter.setBrush(background_);
        painter.drawRoundedRect(box, radius, radius);
    }
    QLineEdit::paintEvent(event);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (HasEye()) {
        const QPixmap& eye =
            echoMode() == Password || eye_plain_.isNull() ? eye_masked_ : eye_plain_;
        painter.drawPixmap(EyeRect(), eye);
    }
    if (ShowsClearMark()) {
        const QPointF centre = QRectF(ClearRect()).center();
        painter.setPen(QPen(kClearMarkColour, kClearStroke, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(centre + QPointF(-kClearHalf, -kClearHalf),
                         centre + QPointF(kClearHalf, kClearHalf));
        painter.drawLine(centre + QPointF(-kClearHalf, kClearHalf),
                         centre + QPointF(kClearHalf, -kClearHalf));
    }
}

void CTEditGdiplus::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    UpdateHint();
    update();
}

void CTEditGdiplus::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    UpdateHint();
    update();
}

void CTEditGdiplus::enterEvent(QEnterEvent* event) {
    hovering_ = true;
    update();
    QLineEdit::enterEvent(event);
}

void CTEditGdiplus::leaveEvent(QEvent* event) {
    hovering_ = false;
    update();
    QLineEdit::leaveEvent(event);
}

void CTEditGdiplus::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        if (EyeRect().contains(at)) {
            revealed_ = !revealed_;
            UpdateEchoMode();
            event->accept();
            return;
        }
        if (ClearRect().contains(at)) {
            clear();
            event->accept();
            return;
        }
    }
    QLineEdit::mousePressEvent(event);
}

void CTEditGdiplus::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const bool on_icon = EyeRect().contains(at) || ClearRect().contains(at);
    setCursor(on_icon ? Qt::ArrowCursor : Qt::IBeamCursor);
    QLineEdit::mouseMoveEvent(event);
}

void CTEditGdiplus::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    update();
}

void CTEditGdiplus::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) {
        update();
    }
    QLineEdit::changeEvent(event);
}

void ApplyEditStyle(CTEditGdiplus* edit) {
    if (edit == nullptr) {
        return;
    }
    edit->SetTextColour(Qt::black);
    edit->SetBackgroundColour(Qt::white);
    edit->SetTextFont(SkinFace(), kEditStylePoints);
    edit->SetBorderColours(kEditStyleBorder, kEditStyleActive, kEditStyleActive, Qt::black);
}

void NameAfterLabel(QWidget* edit, QLabel* label) {
    if (edit == nullptr || label == nullptr) {
        return;
    }
    label->setBuddy(edit);
    // Qt finds a buddy's label among its siblings only; elsewhere the name is fixed
    // now, so name after labels that are already translated.
    if (label->parentWidget() != edit->parentWidget()) {
        edit->setAccessibleName(label->text());
    }
}

}  // namespace plindar
