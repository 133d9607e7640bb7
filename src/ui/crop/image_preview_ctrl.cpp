// The cropping view: painting, and mouse and wheel events handed to the geometry.
#include "ui/crop/image_preview_ctrl.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPen>
#include <QWheelEvent>

#include "ui/controls/skin_look.h"
#include "ui/crop/crop_texts.h"
#include "ui/translate_window.h"

namespace plindar {

namespace {

const QColor kBackground(40, 40, 40);
// Outside the box the view is dimmed by black at this opacity (of 255).
const QColor kDimming(0, 0, 0, 140);
const QColor kBoxOutline(255, 255, 255);
constexpr int kBoxOutlineWidth = 2;
const QColor kSmallFrame(180, 180, 180);
const QColor kSmallSizeColour(255, 220, 100);
const QColor kSmallSavedColour(200, 200, 200);
// 9 points at the 96 dots per inch the layout is drawn for.
constexpr int kSmallNotePixels = 12;
// The note starts this far below the image; its second line this far below the first.
constexpr int kSmallNoteGap = 2;
constexpr int kSmallNoteLineStep = 14;

QRect ToQRect(const logo_rect_stu& r) {
    return r.IsEmpty() ? QRect() : QRect(r.left, r.top, r.Width(), r.Height());
}

logo_rect_stu ClientOf(const QWidget* widget) {
    return {0, 0, widget->width(), widget->height()};
}

logo_point_stu ToPoint(const QPoint& p) {
    return {p.x(), p.y()};
}

// The wait cursor for as long as a load takes, however the load ends.
class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

CImagePreviewCtrl::CImagePreviewCtrl(QWidget* parent) : QWidget(parent) {
    // The cursor follows the pointer over the box and the image without a button held.
    setMouseTracking(true);
    // Every pixel is painted, so Qt need not clear the area first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

bool CImagePreviewCtrl::LoadImage(const QString& path) {
    WaitCursor wait;
    drag_ = DragMode::kNone;
    wheel_remainder_ = 0;
    scaler_.Clear();
    const bool loaded = image_.LoadImage(path.toStdString());
    view_ = LoadCropView(loaded ? image_.Size() : logo_size_stu{}, ClientOf(this));
    if (loaded && !image_.IsSmall()) {
        scaler_.SetImage(image_.Image());
    }
    update();
    return loaded;
}

QRect CImagePreviewCtrl::ImageRect() const {
    return ToQRect(view_.image_rect);
}

QRect CImagePreviewCtrl::CropBox() const {
    return ToQRect(view_.crop_box);
}

logo_result_stu CImagePreviewCtrl::WriteOutput(const std::string& program_folder) const {
    // A small image is written whole whatever the source rectangle says.
    return WriteLogoOutput(program_folder, image_, CropSource());
}

void CImagePreviewCtrl::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), kBackground);
    const QRect shown = ImageRect();
    if (!IsLoaded() || shown.isEmpty()) {
        return;
    }

    if (IsSmall()) {
        // Enlarged pixel by pixel: a logo that small is judged by its pixels.
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter.drawImage(shown, image_.Image());
        painter.setPen(QPen(kSmallFrame, 1));
        painter.setBrush(Qt::NoBrush);
        // A one-pixel pen covers the right and bottom edges of its rectangle too, so
        // this frame lies one pixel outside the image on every side.
        painter.drawRect(shown.adjusted(-1, -1, 0, 0));
        PaintSmallNote(&painter);
        return;
    }

    const QImage& part = scaler_.Render(shown, rect());
    if (!part.isNull()) {
        painter.drawImage(shown.intersected(rect()).topLeft(), part);
    }
    const QRect box = CropBox();
    if (box.isEmpty()) {
        return;
    }
    // Above and below the box across the whole view, then beside it between them.
    const QRect all = rect();
    painter.fillRect(QRect(all.left(), all.top(), all.width(), box.top() - all.top()), kDimming);
    painter.fillRect(QRect(all.left(), box.bottom() + 1, all.width(), all.bottom() - box.bottom()),
                     kDimming);
    painter.fillRect(QRect(all.left(), box.top(), box.left() - all.left(), box.height()), kDimming);
    painter.fillRect(QRect(box.right() + 1, box.top(), all.right() - box.right(), box.height()),
                     kDimming);
    // Centred on the box's edge: one pixel over the dimmed side, one over the box.
    painter.setPen(
        QPen(kBoxOutline, kBoxOutlineWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(box.left(), box.top(), box.width(), box.height()));
}

void CImagePreviewCtrl::PaintSmallNote(QPainter* painter) const {
    const logo_size_stu size = image_.Size();
    const QString first =
        FillPlaceholders(TrText(kCropSmallSizeFormat), QStringLiteral("%u"),
                         {QString::number(size.width), QString::number(size.height)});
    const QString second = TrText(kCropSmallSavedWhole);
    const QFont base = SkinFont(SkinFace(), kSmallNotePixels, kWeightNormal);
    const int top = ImageRect().bottom() + 1 + kSmallNoteGap;
    const struct {
        const QString& text;
        const QColor& colour;
        int top;
    } lines[] = {
        {first, kSmallSizeColour, top},
        {second, kSmallSavedColour, top + kSmallNoteLineStep},
    };
    for (const auto& line : lines) {
        painter->setFont(FitFontToBox(base, line.text, width()));
        painter->setPen(line.colour);
        painter->drawText(QRect(0, line.top, width(), height() - line.top),
                          Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, line.text);
    }
}

void CImagePreviewCtrl::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (IsLoaded()) {
        view_ = ResizeView(view_, ClientOf(this));
    } else {
        view_.client = ClientOf(this);
    }
    update();
}

void CImagePreviewCtrl::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !IsLoaded()) {
        QWidget::mousePressEvent(event);
        return;
    }
    const logo_point_stu at = ToPoint(event->position().toPoint());
    if (!view_.small_image && view_.crop_box.Contains(at)) {
        drag_ = DragMode::kBox;
        drag_start_box_ = view_.crop_box;
    } else if (view_.image_rect.Contains(at)) {
        drag_ = DragMode::kPan;
        drag_start_pan_ = view_.pan;
    } else {
        QWidget::mousePressEvent(event);
        return;
    }
    // Qt keeps sending the moves to this view until the button is released, even
    // outside it: that is the capture.
    drag_start_ = event->position().toPoint();
    UpdateCursor(drag_start_);
    event->accept();
}

void CImagePreviewCtrl::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const logo_point_stu moved{at.x() - drag_start_.x(), at.y() - drag_start_.y()};
    switch (drag_) {
        case DragMode::kBox:
            view_ = DragCropBox(view_, drag_start_box_, moved);
            update();
            break;
        case DragMode::kPan:
            view_ = PanImage(view_, drag_start_pan_, moved);
            update();
            break;
        case DragMode::kNone:
            break;
    }
    UpdateCursor(at);
    QWidget::mouseMoveEvent(event);
}

void CImagePreviewCtrl::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && drag_ != DragMode::kNone) {
        drag_ = DragMode::kNone;
        view_ = RememberCropCentre(view_);
        UpdateCursor(event->position().toPoint());
        event->accept();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

void CImagePreviewCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
    const logo_point_stu at = ToPoint(event->position().toPoint());
    if (event->button() != Qt::LeftButton || !IsLoaded() || !view_.image_rect.Contains(at) ||
        view_.crop_box.Contains(at)) {
        QWidget::mouseDoubleClickEvent(event);
        return;
    }
    // The press that came with the double click may have started a pan; the reset
    // replaces whatever it did.
    drag_ = DragMode::kNone;
    view_ = ResetView(view_);
    UpdateCursor(event->position().toPoint());
    update();
    event->accept();
}

void CImagePreviewCtrl::wheelEvent(QWheelEvent* event) {
    const int delta = event->angleDelta().y();
    if (!IsLoaded() || delta == 0) {
        QWidget::wheelEvent(event);
        return;
    }
    event->accept();
    if ((wheel_remainder_ > 0) != (delta > 0)) {
        wheel_remainder_ = 0;  // a turn the other way starts afresh
    }
    wheel_remainder_ += delta;
    const logo_point_stu pointer = ToPoint(event->position().toPoint());
    bool changed = false;
    while (wheel_remainder_ >= QWheelEvent::DefaultDeltasPerStep ||
           wheel_remainder_ <= -QWheelEvent::DefaultDeltasPerStep) {
        const int step = wheel_remainder_ > 0 ? QWheelEvent::DefaultDeltasPerStep
                                              : -QWheelEvent::DefaultDeltasPerStep;
        wheel_remainder_ -= step;
        const crop_view_stu before = view_;
        view_ = ZoomAt(view_, pointer, step);
        changed = changed || view_.zoom != before.zoom;
    }
    if (!changed) {
        return;
    }
    if (drag_ != DragMode::kNone) {
        // A drag goes on from the zoomed layout: its start box and pan were in the
        // old scale and would pull the view back.
        drag_start_ = event->position().toPoint();
        drag_start_box_ = view_.crop_box;
        drag_start_pan_ = view_.pan;
    }
    UpdateCursor(event->position().toPoint());
    update();
}

void CImagePreviewCtrl::UpdateCursor(const QPoint& pointer) {
    const logo_point_stu at = ToPoint(pointer);
    if (IsLoaded() &&
        (drag_ != DragMode::kNone || (!view_.small_image && view_.crop_box.Contains(at)))) {
        setCursor(Qt::SizeAllCursor);
    } else if (IsLoaded() && view_.image_rect.Contains(at)) {
        setCursor(Qt::PointingHandCursor);
    } else {
        unsetCursor();
    }
}

}  // namespace plindar
