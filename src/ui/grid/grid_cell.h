// CGridCell: what one cell of the grid holds (text, text format, font, colours,
// image index), and the text format flags and grid-line modes that go with it.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>

namespace plindar {

// Text format flags of a cell, combinable with |. 0 is left and top. The vertical
// flags take effect only on single-line text: text that may hold several lines
// always starts at the top, as multi-line text drawing does.
enum GridTextFormat : unsigned {
    kGridTextLeft = 0x00,
    kGridTextTop = 0x00,
    kGridTextCentre = 0x01,
    kGridTextRight = 0x02,
    kGridTextVCentre = 0x04,
    kGridTextBottom = 0x08,
    kGridTextSingleLine = 0x20,
};

// Which lines the grid draws between cells; the values are those callers store.
enum GridLines {
    kGridLinesNone = 0,
    kGridLinesHorizontal = 1,
    kGridLinesVertical = 2,
    kGridLinesBoth = 3,
};

// No image in a cell.
constexpr int kGridNoImage = -1;

struct CGridCell {
    QString text;
    unsigned format = kGridTextLeft;
    QFont font;
    // An invalid colour means the grid's default for the cell's kind of row.
    QColor fg_colour;
    QColor bk_colour;
    int image = kGridNoImage;
};

}  // namespace plindar
