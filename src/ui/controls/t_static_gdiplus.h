// CTStaticGdiplus: a transparent label with its own font, state colours, optional
// state backgrounds and character-wrapped text placed by an alignment code.
#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QPixmap>
#include <QRect>
#include <QString>
#include <QStringList>
#include <array>

namespace plindar {

// Alignment codes of the label text block.
constexpr int kStaticTopLeft = 0;
constexpr int kStaticTopRight = 1;
constexpr int kStaticTopLeftToo = 2;  // an older code for top-left, kept for callers
constexpr int kStaticBottomLeft = 3;
constexpr int kStaticCentre = 4;
constexpr int kStaticLeftMiddle = 5;  // the default
constexpr int kStaticRightMiddle = 6;
constexpr int kStaticTopCentre = 7;
constexpr int kStaticBottomCentre = 8;

enum class StaticState {
    kNormal,
    kHover,
    kPressed,
    kDisabled,
};
constexpr size_t kStaticStateCount = 4;

// The lines of `text` for a label `width` pixels wide: a new line at every '\n' and
// before the first character that would run past the width (no word boundaries; a
// line holds at least one character).
QStringList BreakStaticText(const QString& text, const QFont& font, int width);

// Where the block of `lines` goes in `area` for an alignment code; each line is
// aligned the same way horizontally inside the block.
QRect PlaceStaticBlock(const QStringList& lines, const QFont& font, const QRect& area, int code);

class CTStaticGdiplus : public QLabel {
    Q_OBJECT

public:
    explicit CTStaticGdiplus(QWidget* parent = nullptr);
    explicit CTStaticGdiplus(const QString& text, QWidget* parent = nullptr);

    void SetText(const QString& text);
    void SetFace(const QString& face);
    // Height in pixels, weight (0 = normal), italic, underline.
    void SetFont(int height, int weight, bool italic = false, bool underline = false);
    QFont TextFont() const { return text_font_; }

    void SetColours(const QColor& normal, const QColor& hover, const QColor& pressed,
                    const QColor& disabled);
    // One colour for every state.
    void SetColour(const QColor& colour);
    QColor StateColour() const;

    // Stretched over the label in the state they belong to; a missing file leaves
    // that state without a background.
    void SetBackgroundImages(const QString& normal, const QString& hover = QString(),
                             const QString& pressed = QString(),
                             const QString& disabled = QString());
    // Painted when the state has no background image; an invalid colour is none.
    void SetFillColour(const QColor& colour);

    void SetTextAlignment(int code);
    int TextAlignment() const { return alignment_; }

    StaticState State() const;
    // The block of text lines for the current size, font, text and alignment.
    QRect TextBlockRect() const;
    // When set, a text that does not fit the label is drawn in a smaller font
    // instead of breaking into lines that the label cuts off. Off by default.
    void SetShrinkToFit(bool shrink);
    // The font the text is drawn in now (the set font, or a smaller one).
    QFont DrawFont() const;

signals:
    // Left button pressed and released over the label. Only a label with a receiver
    // takes presses (and shows the pressed state); others pass them to the window.
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    bool shrink_to_fit_ = false;
    QFont text_font_;
    std::array<QColor, kStaticStateCount> colours_;
    std::array<QPixmap, kStaticStateCount> backgrounds_;
    QColor fill_colour_;
    int alignment_ = kStaticLeftMiddle;
    bool hovering_ = false;
    bool pressed_ = false;
};

}  // namespace plindar
