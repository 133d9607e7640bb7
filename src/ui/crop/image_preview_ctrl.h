// CImagePreviewCtrl: the cropping view: the image on a dark ground with the crop box;
// the box and the image follow the mouse and the wheel zooms at the pointer.
#pragma once

#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>
#include <string>

#include "content/logo_image.h"
#include "ui/crop/preview_scaler.h"

class QPainter;

namespace plindar {

class CImagePreviewCtrl : public QWidget {
    Q_OBJECT

public:
    explicit CImagePreviewCtrl(QWidget* parent = nullptr);

    // Replaces the image; zoom 1, no pan, the box centred. False, with the view
    // empty, for a file that is missing or no image Qt decodes.
    bool LoadImage(const QString& path);
    bool IsLoaded() const { return image_.IsLoaded(); }
    // The image fits the logo and is saved whole: no box, a frame and a note instead.
    bool IsSmall() const { return image_.IsSmall(); }
    logo_size_stu ImageSize() const { return image_.Size(); }

    // The layout as the geometry functions hold it: zoom, pan, image rectangle, box
    // and remembered centre, in view coordinates.
    const crop_view_stu& Layout() const { return view_; }
    QRect ImageRect() const;
    QRect CropBox() const;
    // The box in image pixels: the region the output is rendered from.
    logo_rectf_stu CropSource() const { return CropSourceRect(view_); }

    // Renders what the box covers (or a small image whole) into a new time-stamped
    // JPEG in the output folder of `program_folder`.
    logo_result_stu WriteOutput(const std::string& program_folder) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    // The view gets the wheel while the pointer is over it, focused or not, so it
    // needs no hook to see wheel turns meant for it.
    void wheelEvent(QWheelEvent* event) override;

private:
    enum class DragMode {
        kNone,
        kBox,
        kPan,
    };

    void PaintSmallNote(QPainter* painter) const;
    void UpdateCursor(const QPoint& pointer);

    CLogoImage image_;
    crop_view_stu view_;
    CPreviewScaler scaler_;
    DragMode drag_ = DragMode::kNone;
    QPoint drag_start_;
    logo_rect_stu drag_start_box_;
    logo_point_stu drag_start_pan_;
    // Wheel turns smaller than a notch (touchpads, fine wheels) add up to one step.
    int wheel_remainder_ = 0;
};

}  // namespace plindar
