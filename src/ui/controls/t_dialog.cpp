// The skinned dialog base: background, dragging, keys, rounded corners.
#include "ui/controls/t_dialog.h"

#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRegion>
#include <QScreen>
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
        // A hidden window gets its resize events only when it shows.
        if (watched == window_ &&
            (event->type() == QEvent::Resize || event->type() == QEvent::Show)) {
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

void CTDialog::SetFrameColour(const QColor& colour) {
    frame_colour_ = colour;
    update();
}

void CTDialog::SetFill(bool fill) {
    fill_ = fill;
    update();
}

void CTDialog::showEvent(QShowEvent* event) {
    // A push button in a dialog presses itself on Enter when it is a default button,
    // bypassing keyPressEvent below; skinned dialogs have none.
    for (QPushButton* button : findChildren<QPushButton*>()) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    QDialog::showEvent(event);
}

void CTDialog::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    if (!background_.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(rect(), background_);
    } else if (fill_) {
        painter.fillRect(rect(), fill_colour_);
    }
    if (frame_colour_.isValid()) {
        painter.setPen(frame_colour_);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
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

namespace {

// Halves rounded down, as the pages' places are figured (817 - 420 = 397 → 198).
void MoveCentreTo(QWidget* window, const QRect& area) {
    if (area.isValid()) {
        window->move(area.x() + (area.width() - window->width()) / 2,
                     area.y() + (area.height() - window->height()) / 2);
    }
}

QRect ScreenArea(const QWidget* owner) {
    QScreen* screen = owner != nullptr ? owner->screen() : nullptr;
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    return screen != nullptr ? screen->availableGeometry() : QRect();
}

}  // namespace

void CentreOnOwner(QWidget* window, const QWidget* owner) {
    MoveCentreTo(window, owner != nullptr ? owner->window()->frameGeometry() : ScreenArea(nullptr));
}

void CentreOnScreen(QWidget* window, const QWidget* owner) {
    MoveCentreTo(window, ScreenArea(owner));
}

void CentreInParent(QWidget* page) {
    if (const QWidget* holder = page->parentWidget()) {
        MoveCentreTo(page, holder->rect());
    }
}

void ApplyRoundCorners(QWidget* window) {
    if (window == nullptr) {
        return;
    }
    // The keeper has no meta-object of its own, so findChild could not tell it from
    // any other child; RTTI can.
    for (QObject* child : window->children()) {
        if (auto* keeper = dynamic_cast<RoundCornerKeeper*>(child)) {
            keeper->Cut();
            return;
        }
    }
    window->installEventFilter(new RoundCornerKeeper(window));
}

}  // namespace plindar
