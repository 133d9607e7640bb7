// CTDialog: the base of every page and dialog: optional stretched background image
// or fill colour, dragging by the background, and no closing on Enter or Escape.
#pragma once

#include <QColor>
#include <QDialog>
#include <QPixmap>
#include <QString>

namespace plindar {

// How a skinned dialog sits on the screen: a borderless window of its own (message
// dialog, template dialogs) or a page embedded in the main window.
enum class DialogKind {
    kWindow,
    kChildPage,
};

class CTDialog : public QDialog {
    Q_OBJECT

public:
    explicit CTDialog(QWidget* owner = nullptr, DialogKind kind = DialogKind::kWindow);

    // Stretched over the whole dialog. An empty path does nothing; a file that does
    // not load leaves no image, so the fill colour (if any) shows instead.
    void SetBackgroundImage(const QString& path);
    bool HasBackgroundImage() const { return !background_.isNull(); }

    // The colour painted under the controls when there is no background image and
    // the fill flag is set. Default white, fill off.
    void SetFillColour(const QColor& colour);
    void SetFill(bool fill);
    QColor FillColour() const { return fill_colour_; }
    bool Fill() const { return fill_; }

    // A one-pixel edge around the dialog, so a box that floats over a page of the
    // same colour stands out even without a compositor's shadow. None by default.
    void SetFrameColour(const QColor& colour);

    // With the flag set, pressing the left button on the background moves the window.
    void SetDrag(bool drag) { drag_ = drag; }
    bool Drag() const { return drag_; }

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    // Enter and Escape never close or cancel a skinned dialog.
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPixmap background_;
    QColor fill_colour_ = Qt::white;
    bool fill_ = false;
    QColor frame_colour_;
    bool drag_ = false;
};

// Places a top-level `window` over the middle of `owner`'s window, or of the
// primary screen when there is no owner.
void CentreOnOwner(QWidget* window, const QWidget* owner);
// Places a top-level `window` in the middle of the screen `owner` is on (the
// primary screen without an owner).
void CentreOnScreen(QWidget* window, const QWidget* owner);
// Places a page in the middle of the widget that holds it.
void CentreInParent(QWidget* page);

// Cuts `window` to a rounded rectangle (8 x 8 corner ellipse) and keeps it cut when
// the window is resized later.
void ApplyRoundCorners(QWidget* window);

}  // namespace plindar
