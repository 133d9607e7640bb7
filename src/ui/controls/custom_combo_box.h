// CCustomComboBox: the skinned selection box, with the frame of its open list
// (CDropListWnd) and the list inside it (CDropListBoxWnd) that paint the items.
#pragma once

#include <QColor>
#include <QComboBox>
#include <QIcon>
#include <QListView>
#include <QPixmap>
#include <QString>
#include <QStyledItemDelegate>
#include <array>

namespace plindar {

class CCustomComboBox;

// Paints one item of the open list and shows the full text of an item that does
// not fit as a tooltip.
class CDropListItemDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    explicit CDropListItemDelegate(CCustomComboBox* combo);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

    // True when the item's text fits in its row without an ellipsis.
    bool TextFits(const QStyleOptionViewItem& option, const QModelIndex& index) const;

private:
    QRect TextRect(const QStyleOptionViewItem& option, const QModelIndex& index) const;

    CCustomComboBox* combo_;
};

// The list inside the open drop-down.
class CDropListBoxWnd : public QListView {
    Q_OBJECT

public:
    explicit CDropListBoxWnd(QWidget* parent = nullptr);
};

// Takes over the frame Qt puts around the open list while it shows: white with a
// one-pixel frame in 80,140,220.
class CDropListWnd : public QObject {
    Q_OBJECT

public:
    explicit CDropListWnd(QObject* parent = nullptr);
    void Attach(QWidget* frame);

signals:
    // The open list closed, however it was closed (a click outside, Escape, a pick).
    void Hidden();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ApplyFrameStyle();

    QWidget* frame_ = nullptr;
};

// Items carry text and an optional icon; `currentIndex()` is the selection.
class CCustomComboBox : public QComboBox {
    Q_OBJECT

public:
    explicit CCustomComboBox(QWidget* parent = nullptr);

    // Appends an item; adding items never changes the selection (-1 at first).
    int AddItem(const QString& text, const QIcon& icon = QIcon());
    void SetItemEnabled(int index, bool enabled);
    bool IsItemEnabled(int index) const;
    // -1 selects nothing and shows the placeholder.
    void Select(int index);
    int GetSelection() const { return currentIndex(); }

    // Shown in 190,190,190 while nothing is selected.
    void SetPlaceholder(const QString& text);
    // Normal, hovered, open, disabled; without them a triangle is drawn.
    void SetArrowImages(const QString& normal, const QString& hover = QString(),
                        const QString& open = QString(), const QString& disabled = QString());
    // Drawn at the right of the current item in the open list instead of the tick.
    void SetTickIcon(const QString& path);
    QPixmap TickIcon() const { return tick_; }

    bool IsHovering() const { return hovering_; }
    bool IsOpen() const { return open_; }
    QColor FrameColour() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    void showPopup() override;
    void hidePopup() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    std::array<QPixmap, 4> arrows_;
    QPixmap tick_;
    CDropListWnd* frame_ = nullptr;
    bool hovering_ = false;
    bool open_ = false;
};

}  // namespace plindar
