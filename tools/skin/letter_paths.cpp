// Stroke outlines of the few letters the skin's wordmarks use, drawn from lines and arcs.
//
// The wordmarks are built from our own geometry rather than from a font so that the
// images come out the same on every machine, whatever fonts it has installed.
#include "skin/letter_paths.h"

#include <QPointF>
#include <QRectF>
#include <array>

namespace plindar {
namespace {

// Round letters share one bowl: a circle of the x-height, so "o", "a" and "d" match.
constexpr double kBowlRadius = 0.5;
// Arches of "n", "u" and "r" are a little narrower than the bowl, as in most
// geometric faces, so those letters do not look wider than "o".
constexpr double kArchRadius = 0.45;
// Room between two letters' centre lines, on top of the stroke itself.
constexpr double kLetterGap = 0.34;

// Letter units with y up, turned into screen coordinates (y down).
QPointF At(double x, double y) {
    return QPointF(x, -y);
}

// The square around a circle centred at (cx, cy) with y up, as arcTo wants it.
QRectF Around(double cx, double cy, double radius) {
    return QRectF(cx - radius, -(cy + radius), 2 * radius, 2 * radius);
}

void Line(QPainterPath& path, double x0, double y0, double x1, double y1) {
    path.moveTo(At(x0, y0));
    path.lineTo(At(x1, y1));
}

void Bowl(QPainterPath& path) {
    path.addEllipse(Around(kBowlRadius, kBowlRadius, kBowlRadius));
}

// Angles run anticlockwise from three o'clock, so a negative sweep goes over the top.
void LetterP(QPainterPath& p) {
    constexpr double kLobe = 0.35;
    constexpr double kLobeStart = 0.42;
    Line(p, 0, 0, 0, kCapHeight);
    p.lineTo(At(kLobeStart, kCapHeight));
    p.arcTo(Around(kLobeStart, kCapHeight - kLobe, kLobe), 90, -180);
    p.lineTo(At(0, kCapHeight - 2 * kLobe));
}
void LetterL(QPainterPath& p) {
    Line(p, 0, 0, 0, kCapHeight);
}
void LetterI(QPainterPath& p) {
    constexpr double kDotHeight = 1.33;
    // A very short segment: its round caps make a dot as wide as the stem.
    constexpr double kDotLength = 0.02;
    Line(p, 0, 0, 0, 1);
    Line(p, 0, kDotHeight, 0, kDotHeight + kDotLength);
}
void LetterN(QPainterPath& p) {
    Line(p, 0, 0, 0, 1);
    p.moveTo(At(0, 1 - kArchRadius));
    p.arcTo(Around(kArchRadius, 1 - kArchRadius, kArchRadius), 180, -180);
    p.lineTo(At(2 * kArchRadius, 0));
}
void LetterD(QPainterPath& p) {
    Bowl(p);
    Line(p, 2 * kBowlRadius, 0, 2 * kBowlRadius, kCapHeight);
}
void LetterA(QPainterPath& p) {
    Bowl(p);
    Line(p, 2 * kBowlRadius, 0, 2 * kBowlRadius, 1);
}
void LetterR(QPainterPath& p) {
    constexpr double kShoulderSweep = -115;
    Line(p, 0, 0, 0, 1);
    p.moveTo(At(0, 1 - kArchRadius));
    p.arcTo(Around(kArchRadius, 1 - kArchRadius, kArchRadius), 180, kShoulderSweep);
}
void LetterZ(QPainterPath& p) {
    constexpr double kWidth = 0.95;
    p.moveTo(At(0, kCapHeight));
    p.lineTo(At(kWidth, kCapHeight));
    p.lineTo(At(0, 0));
    p.lineTo(At(kWidth, 0));
}
void LetterO(QPainterPath& p) {
    Bowl(p);
}
void LetterV(QPainterPath& p) {
    p.moveTo(At(0, 1));
    p.lineTo(At(kArchRadius, 0));
    p.lineTo(At(2 * kArchRadius, 1));
}
void LetterU(QPainterPath& p) {
    p.moveTo(At(0, 1));
    p.lineTo(At(0, kArchRadius));
    p.arcTo(Around(kArchRadius, kArchRadius, kArchRadius), 180, 180);
    Line(p, 2 * kArchRadius, 1, 2 * kArchRadius, 0);
}

struct letter_stu {
    char letter;
    double width;  // of the centre line, before the gap
    void (*draw)(QPainterPath&);
};

constexpr std::array<letter_stu, 11> kLetters = {{
    {'P', 0.77, LetterP},
    {'l', 0.0, LetterL},
    {'i', 0.0, LetterI},
    {'n', 2 * kArchRadius, LetterN},
    {'d', 2 * kBowlRadius, LetterD},
    {'a', 2 * kBowlRadius, LetterA},
    {'r', 0.62, LetterR},
    {'Z', 0.95, LetterZ},
    {'o', 2 * kBowlRadius, LetterO},
    {'v', 2 * kArchRadius, LetterV},
    {'u', 2 * kArchRadius, LetterU},
}};

// Unknown letters advance by the width of "o".
constexpr double kUnknownWidth = 2 * kBowlRadius;

const letter_stu* Find(char c) {
    for (const letter_stu& l : kLetters) {
        if (l.letter == c) {
            return &l;
        }
    }
    return nullptr;
}

}  // namespace

QPainterPath WordCentreLine(std::string_view word) {
    QPainterPath word_path;
    double x = 0;
    for (char c : word) {
        const letter_stu* letter = Find(c);
        if (letter != nullptr) {
            QPainterPath glyph;
            letter->draw(glyph);
            word_path.addPath(glyph.translated(x, 0));
        }
        x += (letter != nullptr ? letter->width : kUnknownWidth) + kLetterStroke + kLetterGap;
    }
    return word_path;
}

double WordWidth(std::string_view word) {
    double width = 0;
    for (size_t i = 0; i < word.size(); ++i) {
        const letter_stu* letter = Find(word[i]);
        width += letter != nullptr ? letter->width : kUnknownWidth;
        if (i + 1 < word.size()) {
            width += kLetterStroke + kLetterGap;
        }
    }
    return width;
}

}  // namespace plindar
