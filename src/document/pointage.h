#pragma once
// What a mouse position on the drawing means: the coordinates shown while Shift is held,
// and the segment a click lands on when the user lifts the tool.

#include <cstdint>
#include <string>

#include "model/dessin.h"

namespace korvelin {

// "x : 12,5" and "y : 3,1": one decimal, halves to the even neighbour.
std::string TexteAbscisse(double x);
std::string TexteOrdonnee(double y);

// Only plotter (.plt) and point files have segments the user may lift the tool on: their
// traces came from pen moves, not from shapes.
bool LeverPermis(const std::string& typeFichier);

// The segment k (point k to point k + 1, connecting moves between traces included) whose
// ends are nearest, summed, to (x, y) relative to its length: the click must lie inside
// the thin ellipse d0 + d1 < 1.01·L. On a tie the lower index wins. -1 when none.
int32_t SegmentSousClic(const Dessin& d, double x, double y);

// The same segment when the tool may be lifted on it: -1 also when it is the first
// segment of its trace, which would leave nothing before the lift.
int32_t SegmentLevable(const Dessin& d, double x, double y);

}  // namespace korvelin
