// The skinned selection box and its open list.
#include "ui/controls/custom_combo_box.h"

#include <QAbstractItemView>
#include <QEnterEvent>
#include <QEvent>
#include <QFrame>
#include <QHelpEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStandardItemModel>
#include <QToolTip>
#include <algorithm>

#include "app/application_app.h"
#include "ui/controls/skin_look.h"

namespace plindar {

namespace {

constexpr int kFieldHeight = 24;
constexpr int kArrowAreaWidth = 24;
constexpr qreal kCornerRadius = 5.0;
constexpr int kTextLeftMargin = 8;
constexpr int kIconSize = 18;
constexpr int kIconTextGap = 6;
constexpr int kComboTextHeight = 14;
// The drawn arrow: a triangle of this size, beside a separator inset vertically.
constexpr int kTriangleWidth = 8;
constexpr int kTriangleHeight = 5;
constexpr int kSeparatorInset = 5;

const QColor kSelectionText(50, 50, 50);
const QColor kPlaceholderText(190, 190, 190);
const QColor kFrame(200, 200, 200);
const QColor kFrameActive(255, 128, 31);
const QColor kTriangle(100, 100, 100);
const QColor kTriangleActive(60, 120, 210);
const QColor kSeparator(215, 215, 215);
const QColor kSeparatorActive(160, 200, 240);

// The open list.
constexpr int kItemHeight = 30;
constexpr int kHighlightInsetX = 4;
constexpr int kHighlightInsetY = 2;
constexpr int kItemIconLeft = 8;
constexpr int kTickSize = 12;
constexpr int kTickRightMargin = 10;
constexpr int kTickTextGap = 6;
constexpr qreal kTickStroke = 2.0;
constexpr int kItemSeparatorInset = 12;
constexpr int kToolTipShowMs = 8000;
const QColor kListFrame(80, 140, 220);
const QColor kItemHighlight(235, 244, 255);
const QColor kItemTextActive(20, 80, 200);
const QColor kItemText(50, 50, 50);
const QColor kItemTextDisabled(180, 180, 180);
const QColor kItemSeparator(235, 235, 235);

enum ArrowImage { ARROW_NORMAL, ARROW_HOVER, ARROW_OPEN, ARROW_DISABLED };

QRect TickRect(const QRect& row) {
    return QRect(row.right() - kTickRightMargin - kTickSize + 1,
                 row.top() + (row.height() - kTickSize) / 2, kTickSize, kTickSize);
}

void DrawTick(QPainter* painter, const QRect& box, const QColor& colour) {
    painter->setPen(QPen(colour, kTickStroke, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const QPointF a(box.left(), box.top() + box.height() * 0.55);
    const QPointF b(box.left() + box.width() * 0.4, box.top() + box.height() * 0.85);
    const QPointF c(box.right(), box.top() + box.height() * 0.2);
    painter->drawLine(a, b);
    painter->drawLine(b, c);
}

}  // namespace

CDropListItemDelegate::CDropListItemDelegate(CCustomComboBox* combo)
    : QStyledItemDelegate(combo), combo_(combo) {}

QRect CDropListItemDelegate::TextRect(const QStyleOptionViewItem& option,
                                      const QModelIndex& index) const {
    const QIcon icon = index.data(Qt::DecorationRole).value<QIcon>();
    int left = option.rect.left() + kItemIconLeft;
    if (!icon.isNull()) {
        left += kIconSize + kIconTextGap;
    }
    // The tick's room is kept on every row, so a text fits or not whatever is selected.
    const int right = TickRect(option.rect).left() - kTickTextGap;
    return QRect(left, option.rect.top(), std::max(0, right - left), option.rect.height());
}

bool CDropListItemDelegate::TextFits(const QStyleOptionViewItem& option,
                                     const QModelIndex& index) const {
    const QFontMetrics metrics(option.font);
    return metrics.horizontalAdvance(index.data(Qt::DisplayRole).toString()) <=
           TextRect(option, index).width();
}

void CDropListItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const {
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QRect row = option.rect;
    painter->fillRect(row, Qt::white);
    const bool enabled = (index.flags() & Qt::ItemIsEnabled) != 0;
    const bool current = index.row() == combo_->currentIndex();
    const bool pointed = (option.state & (QStyle::State_MouseOver | QStyle::State_Selected)) != 0;
    QColor text_colour = kItemText;
    if (!enabled) {
        text_colour = kItemTextDisabled;
    } else if (pointed || current) {
        painter->setPen(Qt::NoPen);
        painter->setBrush(kItemHighlight);
        painter->drawRoundedRect(QRectF(row.adjusted(kHighlightInsetX, kHighlightInsetY,
                                                     -kHighlightInsetX, -kHighlightInsetY)),
                                 kCornerRadius, kCornerRadius);
        text_colour = kItemTextActive;
    }
    const QIcon icon = index.data(Qt::DecorationRole).value<QIcon>();
    if (!icon.isNull()) {
        const QRect icon_rect(row.left() + kItemIconLeft,
                              row.top() + (row.height() - kIconSize) / 2, kIconSize, kIconSize);
        icon.paint(painter, icon_rect, Qt::AlignCenter, enabled ? QIcon::Normal : QIcon::Disabled);
    }
    const QRect text_rect = TextRect(option, index);
    const QString text = index.data(Qt::DisplayRole).toString();
    painter->setFont(option.font);
    painter->setPen(text_colour);
    painter->drawText(text_rect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                      option.fontMetrics.elidedText(text, Qt::ElideRight, text_rect.width()));
    if (current) {
        const QPixmap tick = combo_->TickIcon();
        if (!tick.isNull()) {
            painter->drawPixmap(TickRect(row), tick);
        } else {
            DrawTick(painter, TickRect(row), kItemTextActive);
        }
    }
    if (index.row() < index.model()->rowCount(index.parent()) - 1) {
        painter->setRenderHint(QPainter::Antialiasing, false);
        painter->setPen(kItemSeparator);
        painter->drawLine(row.left() + kItemSeparatorInset, row.bottom(),
                          row.right() - kItemSeparatorInset, row.bottom());
    }
    painter->restore();
}

QSize CDropListItemDelegate::sizeHint(const QStyleOptionViewItem& option,
                                      const QModelIndex& index) const {
    return QSize(QStyledItemDelegate::sizeHint(option, index).width(), kItemHeight);
}

bool CDropListItemDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                                      const QStyleOptionViewItem& option,
                                      const QModelIndex& index) {
    if (event == nullptr || view == nullptr || event->type() != QEvent::ToolTip) {
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    }
    if (!index.isValid() || TextFits(option, index)) {
        QToolTip::hideText();
        event->ignore();
        return false;
    }
    QToolTip::showText(event->globalPos(), index.data(Qt::DisplayRole).toString(), view,
                       view->visualRect(index), kToolTipShowMs);
    return true;
}

CDropListBoxWnd::CDropListBoxWnd(QWidget* parent) : QListView(parent) {
    setFrameShape(QFrame::NoFrame);
    setMouseTracking(true);
    setUniformItemSizes(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTextElideMode(Qt::ElideRight);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Base, Qt::white);
    setPalette(palette);
}

CDropListWnd::CDropListWnd(QObject* parent) : QObject(parent) {}

void CDropListWnd::Attach(QWidget* frame) {
    if (frame == frame_ || frame == nullptr) {
        return;
    }
    if (frame_ != nullptr) {
        frame_->removeEventFilter(this);
    }
    frame_ = frame;
    frame_->installEventFilter(this);
    ApplyFrameStyle();
}

void CDropListWnd::ApplyFrameStyle() {
    // A one-pixel box keeps the list one pixel in from the edges, where the frame
    // is painted.
    if (auto* frame = qobject_cast<QFrame*>(frame_)) {
        frame->setFrameStyle(QFrame::Box | QFrame::Plain);
        frame->setLineWidth(1);
    }
}

bool CDropListWnd::eventFilter(QObject* watched, QEvent* event) {
    if (watched != frame_) {
        return false;
    }
    switch (event->type()) {
        case QEvent::Show:
        case QEvent::StyleChange:
            ApplyFrameStyle();
            break;
        case QEvent::Hide:
            emit Hidden();
            break;
        case QEvent::Paint: {
            QPainter painter(frame_);
            painter.fillRect(frame_->rect(), Qt::white);
            painter.setPen(kListFrame);
            painter.drawRect(frame_->rect().adjusted(0, 0, -1, -1));
            return true;
        }
        default:
            break;
    }
    return false;
}

CCustomComboBox::CCustomComboBox(QWidget* parent) : QComboBox(parent) {
    setFont(SkinFont(SkinFace(), kComboTextHeight, kWeightDontCare));
    setView(new CDropListBoxWnd(this));
    setItemDelegate(new CDropListItemDelegate(this));
    setIconSize(QSize(kIconSize, kIconSize));
    frame_ = new CDropListWnd(this);
    frame_->Attach(view()->parentWidget());
    connect(frame_, &CDropListWnd::Hidden, this, [this] {
        open_ = false;
        update();
    });
    setCurrentIndex(-1);
}

int CCustomComboBox::AddItem(const QString& text, const QIcon& icon) {
    const int selection = currentIndex();
    addItem(icon, text);
    // QComboBox selects the first item added to an empty box; the skinned box starts
    // with nothing selected and shows its placeholder.
    if (currentIndex() != selection) {
        setCurrentIndex(selection);
    }
    return count() - 1;
}

void CCustomComboBox::SetItemEnabled(int index, bool enabled) {
    auto* items = qobject_cast<QStandardItemModel*>(model());
    if (items == nullptr || items->item(index) == nullptr) {
        return;
    }
    items->item(index)->setEnabled(enabled);
}

bool CCustomComboBox::IsItemEnabled(int index) const {
    const QModelIndex item = model()->index(index, modelColumn(), rootModelIndex());
    return item.isValid() && (item.flags() & Qt::ItemIsEnabled) != 0;
}

void CCustomComboBox::Select(int index) {
    setCurrentIndex(index >= 0 && index < count() ? index : -1);
}

void CCustomComboBox::SetPlaceholder(const QString& text) {
    setPlaceholderText(text);
    update();
}

void CCustomComboBox::SetArrowImages(const QString& normal, const QString& hover,
                                     const QString& open, const QString& disabled) {
    arrows_ = {LoadSkinImage(normal), LoadSkinImage(hover), LoadSkinImage(open),
               LoadSkinImage(disabled)};
    update();
}

void CCustomComboBox::SetTickIcon(const QString& path) {
    tick_ = LoadSkinImage(path);
}

QColor CCustomComboBox::FrameColour() const {
    return hovering_ || open_ ? kFrameActive : kFrame;
}

QSize CCustomComboBox::sizeHint() const {
    return QSize(QComboBox::sizeHint().width(), kFieldHeight);
}

QSize CCustomComboBox::minimumSizeHint() const {
    return QSize(QComboBox::minimumSizeHint().width(), kFieldHeight);
}

void CCustomComboBox::showPopup() {
    open_ = true;
    update();
    QComboBox::showPopup();
}

void CCustomComboBox::hidePopup() {
    QComboBox::hidePopup();
    open_ = false;
    update();
}

void CCustomComboBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool active = hovering_ || open_;
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(FrameColour());
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(box, kCornerRadius, kCornerRadius);

    const QRect arrow_area(width() - kArrowAreaWidth, 0, kArrowAreaWidth, height());
    ArrowImage which = ARROW_NORMAL;
    if (!isEnabled()) {
        which = ARROW_DISABLED;
    } else if (open_) {
        which = ARROW_OPEN;
    } else if (hovering_) {
        which = ARROW_HOVER;
    }
    const QPixmap& arrow = arrows_[which].isNull() ? arrows_[ARROW_NORMAL] : arrows_[which];
    if (!arrow.isNull()) {
        const QSize fitted =
            arrow.size().scaled(arrow_area.size(), Qt::KeepAspectRatio).boundedTo(arrow.size());
        QRect target(QPoint(0, 0), fitted);
        target.moveCenter(arrow_area.center());
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(target, arrow);
    } else {
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(active ? kSeparatorActive : kSeparator);
        painter.drawLine(arrow_area.left(), kSeparatorInset, arrow_area.left(),
                         height() - 1 - kSeparatorInset);
        painter.setRenderHint(QPainter::Antialiasing);
        const QPointF centre = QRectF(arrow_area).center();
        QPainterPath triangle;
        triangle.moveTo(centre.x() - kTriangleWidth / 2.0, centre.y() - kTriangleHeight / 2.0);
        triangle.lineTo(centre.x() + kTriangleWidth / 2.0, centre.y() - kTriangleHeight / 2.0);
        triangle.lineTo(centre.x(), centre.y() + kTriangleHeight / 2.0);
        triangle.closeSubpath();
        painter.fillPath(triangle, active ? kTriangleActive : kTriangle);
    }

    int text_left = kTextLeftMargin;
    const int selection = currentIndex();
    QString text = placeholderText();
    QColor colour = kPlaceholderText;
    if (selection >= 0) {
        text = itemText(selection);
        colour = kSelectionText;
        const QIcon icon = itemIcon(selection);
        if (!icon.isNull()) {
            icon.paint(&painter,
                       QRect(kTextLeftMargin, (height() - kIconSize) / 2, kIconSize, kIconSize));
            text_left += kIconSize + kIconTextGap;
        }
    }
    const QRect text_rect(text_left, 0, std::max(0, arrow_area.left() - text_left - kIconTextGap),
                          height());
    painter.setFont(font());
    painter.setPen(colour);
    painter.drawText(text_rect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     fontMetrics().elidedText(text, Qt::ElideRight, text_rect.width()));
}

void CCustomComboBox::enterEvent(QEnterEvent* event) {
    hovering_ = true;
    update();
    QComboBox::enterEvent(event);
}

void CCustomComboBox::leaveEvent(QEvent* event) {
    hovering_ = false;
    update();
    QComboBox::leaveEvent(event);
}

}  // namespace plindar
