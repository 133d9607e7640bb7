// The skinned label: state colours and backgrounds, character wrapping, placement.
#include "ui/controls/t_static_gdiplus.h"

#include <QEnterEvent>
#include <QEvent>
#include <QFontMetrics>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "app/application_app.h"
#include "ui/controls/skin_look.h"

namespace plindar {

namespace {

constexpr int kDefaultTextHeight = 15;
const QColor kDefaultTextColour(112, 112, 112);

size_t StateIndex(StaticState state) {
    return static_cast<size_t>(state);
}

// Length of the character starting at `i`: surrogate pairs stay together.
qsizetype CharLength(const QString& text, qsizetype i) {
    return text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()
               ? 2
               : 1;
}

enum class Horizontal { kLeft, kCentre, kRight };
enum class Vertical { kTop, kMiddle, kBottom };

struct placement_stu {
    Horizontal horizontal;
    Vertical vertical;
};

placement_stu PlacementOf(int code) {
    switch (code) {
        case kStaticTopRight:
            return {Horizontal::kRight, Vertical::kTop};
        case kStaticBottomLeft:
            return {Horizontal::kLeft, Vertical::kBottom};
        case kStaticCentre:
            return {Horizontal::kCentre, Vertical::kMiddle};
        case kStaticLeftMiddle:
            return {Horizontal::kLeft, Vertical::kMiddle};
        case kStaticRightMiddle:
            return {Horizontal::kRight, Vertical::kMiddle};
        case kStaticTopCentre:
            return {Horizontal::kCentre, Vertical::kTop};
        case kStaticBottomCentre:
            return {Horizontal::kCentre, Vertical::kBottom};
        case kStaticTopLeft:
        case kStaticTopLeftToo:
        default:
            return {Horizontal::kLeft, Vertical::kTop};
    }
}

int AlignedX(Horizontal horizontal, int left, int room, int width) {
    switch (horizontal) {
        case Horizontal::kLeft:
            return left;
        case Horizontal::kCentre:
            return left + (room - width) / 2;
        case Horizontal::kRight:
            break;
    }
    return left + room - width;
}

}  // namespace

QStringList BreakStaticText(const QString& text, const QFont& font, int width) {
    const QFontMetrics metrics(font);
    QStringList lines;
    QString source = text;
    source.remove(QLatin1Char('\r'));
    for (const QString& paragraph : source.split(QLatin1Char('\n'))) {
        QString line;
        for (qsizetype i = 0; i < paragraph.size();) {
            const qsizetype length = CharLength(paragraph, i);
            const QString next = line + paragraph.mid(i, length);
            if (!line.isEmpty() && metrics.horizontalAdvance(next) > width) {
                lines << line;
                line = paragraph.mid(i, length);
            } else {
                line = next;
            }
            i += length;
        }
        lines << line;
    }
    return lines;
}

QRect PlaceStaticBlock(const QStringList& lines, const QFont& font, const QRect& area, int code) {
    const QFontMetrics metrics(font);
    int block_width = 0;
    for (const QString& line : lines) {
        block_width = std::max(block_width, metrics.horizontalAdvance(line));
    }
    const int block_height = static_cast<int>(lines.size()) * metrics.height();
    const placement_stu placement = PlacementOf(code);
    const int x = AlignedX(placement.horizontal, area.left(), area.width(), block_width);
    int y = area.top();
    if (placement.vertical == Vertical::kMiddle) {
        y = area.top() + (area.height() - block_height) / 2;
    } else if (placement.vertical == Vertical::kBottom) {
        y = area.top() + area.height() - block_height;
    }
    return QRect(x, y, block_width, block_height);
}

CTStaticGdiplus::CTStaticGdiplus(QWidget* parent) : CTStaticGdiplus(QString(), parent) {}

CTStaticGdiplus::CTStaticGdiplus(const QString& text, QWidget* parent)
    : QLabel(text, parent), text_font_(SkinFont(SkinFace(), kDefaultTextHeight, kWeightDontCare)) {
    colours_.fill(kDefaultTextColour);
    QWidget::setFont(text_font_);
}

void CTStaticGdiplus::SetText(const QString& text) {
    setText(text);
}

void CTStaticGdiplus::SetFace(const QString& face) {
    text_font_.setFamily(face.isEmpty() ? SkinFace() : face);
    QWidget::setFont(text_font_);
    update();
}

void CTStaticGdiplus::SetFont(int height, int weight, bool italic, bool underline) {
    text_font_ = SkinFont(text_font_.family(), height, weight, italic, underline);
    QWidget::setFont(text_font_);
    update();
}

void CTStaticGdiplus::SetColours(const QColor& normal, const QColor& hover, const QColor& pressed,
                                 const QColor& disabled) {
    colours_ = {normal, hover, pressed, disabled};
    update();
}

void CTStaticGdiplus::SetColour(const QColor& colour) {
    colours_.fill(colour);
    update();
}

QColor CTStaticGdiplus::StateColour() const {
    return colours_[StateIndex(State())];
}

void CTStaticGdiplus::SetBackgroundImages(const QString& normal, const QString& hover,
                                          const QString& pressed, const QString& disabled) {
    backgrounds_ = {LoadSkinImage(normal), LoadSkinImage(hover), LoadSkinImage(pressed),
                    LoadSkinImage(disabled)};
    update();
}

void CTStaticGdiplus::SetFillColour(const QColor& colour) {
    fill_colour_ = colour;
    update();
}

void CTStaticGdiplus::SetTextAlignment(int code) {
    alignment_ = code;
    update();
}

StaticState CTStaticGdiplus::State() const {
    if (!isEnabled()) {
        return StaticState::kDisabled;
    }
    if (pressed_) {
        return StaticState::kPressed;
    }
    return hovering_ ? StaticState::kHover : StaticState::kNormal;
}

void CTStaticGdiplus::SetShrinkToFit(bool shrink) {
    shrink_to_fit_ = shrink;
    update();
}

QFont CTStaticGdiplus::DrawFont() const {
    return shrink_to_fit_ ? FitFontToBox(text_font_, text(), width(), height()) : text_font_;
}

QRect CTStaticGdiplus::TextBlockRect() const {
    const QFont font = DrawFont();
    return PlaceStaticBlock(BreakStaticText(text(), font, width()), font, rect(), alignment_);
}

void CTStaticGdiplus::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QPixmap& background = backgrounds_[StateIndex(State())];
    if (!background.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(rect(), background);
    } else if (fill_colour_.isValid()) {
        painter.fillRect(rect(), fill_colour_);
    }
    if (text().isEmpty()) {
        return;
    }
    const QFont font = DrawFont();
    const QStringList lines = BreakStaticText(text(), font, width());
    const QRect block = PlaceStaticBlock(lines, font, rect(), alignment_);
    const placement_stu placement = PlacementOf(alignment_);
    const QFontMetrics metrics(font);
    painter.setFont(font);
    painter.setPen(StateColour());
    int y = block.top();
    for (const QString& line : lines) {
        const int line_width = metrics.horizontalAdvance(line);
        const int x = AlignedX(placement.horizontal, block.left(), block.width(), line_width);
        painter.drawText(QRect(x, y, line_width, metrics.height()),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, line);
        y += metrics.height();
    }
}

void CTStaticGdiplus::enterEvent(QEnterEvent* event) {
    hovering_ = true;
    update();
    QLabel::enterEvent(event);
}

void CTStaticGdiplus::leaveEvent(QEvent* event) {
    hovering_ = false;
    update();
    QLabel::leaveEvent(event);
}

void CTStaticGdiplus::mousePressEvent(QMouseEvent* event) {
    // A plain label lets the press through, so the dialog under it can be dragged by
    // its title; only a label that acts as a link takes the press itself.
    if (event->button() == Qt::LeftButton &&
        isSignalConnected(QMetaMethod::fromSignal(&CTStaticGdiplus::clicked))) {
        pressed_ = true;
        update();
        event->accept();
        return;
    }
    QLabel::mousePressEvent(event);
}

void CTStaticGdiplus::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && pressed_) {
        pressed_ = false;
        update();
        if (rect().contains(event->position().toPoint())) {
            emit clicked();
        }
        event->accept();
        return;
    }
    QLabel::mouseReleaseEvent(event);
}

void CTStaticGdiplus::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) {
        pressed_ = false;
        update();
    }
    QLabel::changeEvent(event);
}

}  // namespace plindar
