// Stroke outlines of the few letters the skin's wordmarks use, drawn from lines and arcs.
#pragma once

#include <QPainterPath>
#include <string_view>

namespace plindar {

// The centre line of `word` in letter units: the baseline is y 0, the x-height 1 and
// capitals and ascenders 1.4, with y growing downwards as on screen. Stroke it with a
// round-capped pen of kLetterStroke units. Letters the table does not know are left
// out, with their advance kept so that spacing stays visible.
QPainterPath WordCentreLine(std::string_view word);

// Width of the word's centre line in letter units, for centring it.
double WordWidth(std::string_view word);

constexpr double kLetterStroke = 0.2;
constexpr double kCapHeight = 1.4;

}  // namespace plindar
