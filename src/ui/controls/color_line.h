// CColorLine: one horizontal one-pixel line of one colour across the middle.
#pragma once

#include <QColor>
#include <QWidget>

namespace plindar {

class CColorLine : public QWidget {
    Q_OBJECT

public:
    explicit CColorLine(QWidget* parent = nullptr);

    void SetColour(const QColor& colour);
    QColor Colour() const { return colour_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor colour_{128, 128, 128};
};

}  // namespace plindar
