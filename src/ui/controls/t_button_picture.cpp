// The picture button: state images, caption font, colours and placement.
#include "ui/controls/t_button_picture.h"

#include <QEnterEvent>
#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

#include "app/application_app.h"
#include "ui/controls/skin_look.h"

namespace plindar {

namespace {

constexpr int kDefaultCaptionHeight = 16;
// Keeps the caption off the edge it is aligned to, beyond the margin.
constexpr int kCaptionEdgeGap = 2;

size_t StateIndex(ButtonState state) {
    return static_cast<size_t>(state);
}

}  // namespace

CTButtonPicture::CTButtonPicture(QWidget* parent)
    : QAbstractButton(parent), face_(SkinFace()), caption_height_(kDefaultCaptionHeight) {
    setCursor(Qt::PointingHandCursor);
    // The parent shows through wherever the images are transparent.
    setAttribute(Qt::WA_NoSystemBackground);
}

void CTButtonPicture::SetImages(const QString& normal, const QString& hover, const QString& pressed,
                                const QString& disabled) {
    const std::array<const QString*, kButtonStateCount> paths = {&normal, &hover, &pressed,
                                                                 &disabled};
    images_ = {};
    for (size_t i = 0; i < kButtonStateCount; ++i) {
        images_[i] = LoadSkinImage(*paths[i]);
        if (images_[i].isNull()) {
            break;
        }
    }
    updateGeometry();
    update();
}

bool CTButtonPicture::HasImage(ButtonState state) const {
    return !images_[StateIndex(state)].isNull();
}

void CTButtonPicture::SetCaptionFont(const QString& face, int height, int weight) {
    face_ = face;
    caption_height_ = height;
    caption_weight_ = weight;
    update();
}

void CTButtonPicture::SetCaptionFace(const QString& face) {
    face_ = face;
    update();
}

void CTButtonPicture::SetCaptionHeight(int height) {
    caption_height_ = height;
    update();
}

void CTButtonPicture::SetCaptionWeight(int weight) {
    caption_weight_ = weight;
    update();
}

void CTButtonPicture::SetCaptionColours(const QColor& normal, const QColor& active,
                                        const QColor& disabled) {
    colour_normal_ = normal;
    colour_active_ = active;
    colour_disabled_ = disabled;
    update();
}

void CTButtonPicture::SetCaptionAlignment(int code) {
    alignment_ = code;
    update();
}

void CTButtonPicture::SetCaptionMargin(int margin) {
    margin_ = margin;
    update();
}

void CTButtonPicture::SetUnderlineOnHover(bool underline) {
    underline_on_hover_ = underline;
    update();
}

void CTButtonPicture::SetFrameOnHover(bool frame) {
    frame_on_hover_ = frame;
    update();
}

ButtonState CTButtonPicture::DrawState() const {
    if (!isEnabled()) {
        return ButtonState::kDisabled;
    }
    if (isDown()) {
        return ButtonState::kPressed;
    }
    return hovering_ ? ButtonState::kHover : ButtonState::kNormal;
}

QColor CTButtonPicture::CaptionColour() const {
    switch (DrawState()) {
        case ButtonState::kNormal:
            return colour_normal_;
        case ButtonState::kHover:
        case ButtonState::kPressed:
            return colour_active_;
        case ButtonState::kDisabled:
            break;
    }
    return colour_disabled_;
}

QFont CTButtonPicture::CaptionFont() const {
    const bool underline = underline_on_hover_ && DrawState() == ButtonState::kHover;
    const QFont font = SkinFont(face_, caption_height_, caption_weight_, false, underline);
    // A caption wider than the button is drawn smaller rather than cut off.
    return FitFontToBox(font, text(), width() - 2 * (margin_ + kCaptionEdgeGap));
}

QRect CTButtonPicture::CaptionRect() const {
    const QFontMetrics metrics(CaptionFont());
    const int text_width = metrics.horizontalAdvance(text());
    const int text_height = metrics.height();
    const int centred_x = (width() - text_width) / 2;
    const int centred_y = (height() - text_height) / 2;
    const int bottom_y = height() - text_height;
    int x = 0;
    int y = 0;
    switch (alignment_) {
        case kCaptionCentre:
            x = centred_x;
            y = centred_y;
            break;
        case kCaptionLeft:
            x = margin_ + kCaptionEdgeGap;
            y = centred_y;
            break;
        case kCaptionRight:
            x = width() - margin_ - text_width - kCaptionEdgeGap;
            y = centred_y;
            break;
        case kCaptionTopCentre:
            x = centred_x;
            break;
        case kCaptionBottomLeft:
            y = bottom_y;
            break;
        case kCaptionBottomCentre:
            x = centred_x;
            y = bottom_y;
            break;
        default:
            break;
    }
    return QRect(std::max(x, 0), std::max(y, 0), text_width, text_height);
}

QSize CTButtonPicture::sizeHint() const {
    const QPixmap& normal = images_[StateIndex(ButtonState::kNormal)];
    if (!normal.isNull()) {
        return normal.size();
    }
    const QFontMetrics metrics(CaptionFont());
    return QSize(metrics.horizontalAdvance(text()) + 2 * (margin_ + kCaptionEdgeGap),
                 metrics.height() + 2 * kCaptionEdgeGap);
}

void CTButtonPicture::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const ButtonState state = DrawState();
    const QPixmap& image = images_[StateIndex(state)];
    if (!image.isNull()) {
        if (image.width() > width() || image.height() > height()) {
            painter.drawPixmap(rect(), image);
        } else {
            painter.drawPixmap(0, 0, image);
        }
    }
    if (state == ButtonState::kHover && frame_on_hover_) {
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(colour_active_);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    if (!text().isEmpty()) {
        painter.setFont(CaptionFont());
        painter.setPen(CaptionColour());
        painter.drawText(CaptionRect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text());
    }
}

void CTButtonPicture::enterEvent(QEnterEvent* event) {
    hovering_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void CTButtonPicture::leaveEvent(QEvent* event) {
    hovering_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void CTButtonPicture::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) {
        update();
    }
    QAbstractButton::changeEvent(event);
}

bool CTButtonPicture::event(QEvent* event) {
    if (event->type() == QEvent::ToolTipChange && text().isEmpty() &&
        (accessibleName().isEmpty() || name_from_tooltip_)) {
        // An image-only button has no caption for a screen reader to announce.
        setAccessibleName(toolTip());
        name_from_tooltip_ = true;
    }
    return QAbstractButton::event(event);
}

}  // namespace plindar
