#pragma once
// The offset and the welding done step by step: every vertex where the parallel meets the
// bisector, every offset point against every segment, every trace looked up by its label,
// the list shifted at each move. Slow, but plainly right; the fast versions must agree
// with it.

#include <string>
#include <vector>

#include "model/dessin.h"
#include "model/diagnostics.h"
#include "model/reglages_outil.h"

namespace korvelin::test {

// The first pass with no guard against far vertices, on the points of one trace.
struct PremierPassage {
    std::vector<PointTrace> points;
    std::string message;     // empty when the computation went through
    double rayonsMax = 0.0;  // the farthest vertex from its drawn point, in radii
};
PremierPassage PremierPassageLitteral(const ReglagesDecalage& r, const std::vector<PointTrace>& P);

// The first pass as the program does it, then the second pass done point by segment.
Diagnostics CalculDecalageToutLitteral(Dessin& d, const ReglagesDecalage& r);
// The chaining passes and reversals of the welding, without the offset and the bounds.
void SoudureLitterale(Dessin& d);

}  // namespace korvelin::test
