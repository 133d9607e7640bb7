// The skinned dialog base: background, dragging, keys, rounded corners.
#include "ui/controls/t_dialog.h"

#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <QWindow>

#include "ui/controls/skin_look.h"

namespace plindar {

namespace {

constexpr qreal kCornerRadius = 4.0;  // an 8 x 8 corner ellipse

// Re-cuts its window whenever the window changes size, so a page laid out after
// ApplyRoundCorners still gets round corners.
class RoundCornerKeeper : public QObject {
public:
    explicit RoundCornerKeeper(QWidget* window) : QObject(window), window_(window) { Cut(); }

    void Cut() {
        QPainterPath path;
        path.addRoundedRect(QRectF(window_->rect()), kCornerRadius, kCornerRadius);
        window_->setMask(QRegion(path.toFillPolygon().toPolygon()));
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ && event->type() == QEvent::Resize) {
            Cut();
        }
        return false;
    }

private:
    QWidget* window_;
};

}  // namespace

CTDialog::CTDialog(QWidget* owner, DialogKind kind) : QDialog(owner) {
    if (kind == DialogKind::kChildPage) {
        setWindowFlags(Qt::Widget);
    } else {
        setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    }
}

void CTDialog::SetBackgroundImage(const QString& path) {
    if (path.isEmpty()) {
        return;
    }
    background_ = LoadSkinImage(path);
    update();
}

void CTDialog::SetFillColour(const QColor& colour) {
    fill_colour_ = colour;
    update();
}

void CTDialog::SetFill(bool fill) {
    fill_ = fill;
    update();
}

void CTDialog::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    if (!background_.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(rect(), background_);
    } else if (fill_) {
        painter.fillRect(rect(), fill_colour_);
    }
    painter.end();
    QDialog::paintEvent(event);
}

void CTDialog::mousePressEvent(QMouseEvent* event) {
    if (drag_ && event->button() == Qt::LeftButton) {
        QWindow* handle = window()->windowHandle();
        // Wayland lets only the compositor move a window; it does so for a press
        // handed over with startSystemMove, which the other platforms honour too.
        if (handle != nullptr && handle->startSystemMove()) {
            event->accept();
            return;
        }
    }
    QDialog::mousePressEvent(event);
}

void CTDialog::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // QDialog would reject on Escape and press the default button on Enter.
            event->accept();
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

void ApplyRoundCorners(QWidget* window) {
    if (window == nullptr) {
        return;
    }
    if (auto* keeper =
            window->findChild<RoundCornerKeeper*>(QString(), Qt::FindDirectChildrenOnly)) {
        keeper->Cut();
        return;
    }
    window->installEventFilter(new RoundCornerKeeper(window));
}

}  // namespace plindar
