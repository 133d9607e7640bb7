// CTButtonPicture: a push button drawn from four state images, with its own caption
// font, caption colours and caption placement.
#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QPixmap>
#include <QRect>
#include <QString>
#include <array>

namespace plindar {

// Caption placement codes (the button-style alignment values pages pass).
constexpr int kCaptionLeft = 0x100;          // x = margin + 2, vertically centred
constexpr int kCaptionRight = 0x200;         // x = width - margin - text width - 2
constexpr int kCaptionCentre = 0x300;        // centred on both axes (the default)
constexpr int kCaptionTopCentre = 0x700;     // horizontally centred, y = 0
constexpr int kCaptionBottomLeft = 0x800;    // x = 0, y = height - text height
constexpr int kCaptionBottomCentre = 0xB00;  // horizontally centred, at the bottom
// Any other value puts the caption at the top-left corner.

enum class ButtonState {
    kNormal,
    kHover,
    kPressed,
    kDisabled,
};
constexpr size_t kButtonStateCount = 4;

class CTButtonPicture : public QAbstractButton {
    Q_OBJECT

public:
    explicit CTButtonPicture(QWidget* parent = nullptr);

    // Loads normal, hover, pressed and disabled in that order and stops at the first
    // path that does not load; the states after it have no image.
    void SetImages(const QString& normal, const QString& hover = QString(),
                   const QString& pressed = QString(), const QString& disabled = QString());
    bool HasImage(ButtonState state) const;

    // Face, height in pixels and weight (0 = normal, 400 normal, 700 bold).
    void SetCaptionFont(const QString& face, int height, int weight);
    void SetCaptionFace(const QString& face);
    void SetCaptionHeight(int height);
    void SetCaptionWeight(int weight);
    // Normal state; hover and pressed; disabled.
    void SetCaptionColours(const QColor& normal, const QColor& active, const QColor& disabled);
    void SetCaptionAlignment(int code);
    void SetCaptionMargin(int margin);
    void SetUnderlineOnHover(bool underline);
    void SetFrameOnHover(bool frame);

    ButtonState DrawState() const;
    QColor CaptionColour() const;
    // Where the caption is drawn for the current size, font and alignment.
    QRect CaptionRect() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    QFont CaptionFont() const;

    std::array<QPixmap, kButtonStateCount> images_;
    bool hovering_ = false;
    QString face_;
    int caption_height_;
    int caption_weight_ = 0;
    QColor colour_normal_ = Qt::white;
    QColor colour_active_ = Qt::white;
    QColor colour_disabled_ = Qt::white;
    bool underline_on_hover_ = false;
    bool frame_on_hover_ = false;
    int alignment_ = kCaptionCentre;
    int margin_ = 0;
    // The accessible name came from the tooltip (an image-only button), so it
    // follows later tooltip changes.
    bool name_from_tooltip_ = false;
};

}  // namespace plindar
