// The program's icon: a red rounded tile with three white bars, the batch of
// devices one tool reaches, at the sizes desktops ask for.
#include "app/program_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace plindar {

namespace {

constexpr int kIconSizes[] = {16, 24, 32, 48, 64, 128, 256};
const QColor kAccent(216, 34, 40);

QPixmap DrawIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    QPainterPath tile;
    tile.addRoundedRect(QRectF(0, 0, s, s), s * 0.22, s * 0.22);
    painter.fillPath(tile, kAccent);
    // Three bars of falling length: devices reached one after another.
    const qreal bar = s * 0.13;
    const qreal left = s * 0.22;
    const qreal lengths[] = {0.56, 0.42, 0.28};
    for (int i = 0; i < 3; ++i) {
        QPainterPath path;
        qreal top = s * 0.24 + i * s * 0.2;
        path.addRoundedRect(QRectF(left, top, s * lengths[i], bar), bar / 2, bar / 2);
        painter.fillPath(path, Qt::white);
    }
    return pixmap;
}

}  // namespace

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : kIconSizes) {
        icon.addPixmap(DrawIcon(size));
    }
    return icon;
}

}  // namespace plindar
