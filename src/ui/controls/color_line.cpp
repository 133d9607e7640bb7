// The separator line, and the accessible role that says it is one.
#include "ui/controls/color_line.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPainter>
#include <mutex>

namespace plindar {

namespace {

QAccessibleInterface* ColorLineAccessible(const QString& class_name, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget != nullptr &&
        class_name == QLatin1String(CColorLine::staticMetaObject.className())) {
        return new QAccessibleWidget(widget, QAccessible::Separator);
    }
    return nullptr;
}

}  // namespace

CColorLine::CColorLine(QWidget* parent) : QWidget(parent) {
    static std::once_flag factory_installed;
    std::call_once(factory_installed, [] { QAccessible::installFactory(ColorLineAccessible); });
}

void CColorLine::SetColour(const QColor& colour) {
    colour_ = colour;
    update();
}

void CColorLine::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(colour_);
    const int y = height() / 2;
    painter.drawLine(0, y, width() - 1, y);
}

}  // namespace plindar
