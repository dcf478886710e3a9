#pragma once
// The order of the traces: everything inside a closed trace is cut before it, and the
// moves out of the material between traces are made short.

#include "geometry/decalage.h"

namespace korvelin {

// Length of the moves out of the material: from the drawing's origin to the first point,
// from the end of each trace to the start of the next, and from the last back to the
// origin, where every job ends.
double LongueurDeplacements(const Dessin& d);

struct ResultatOrdre {
    double avant = 0.0;
    double apres = 0.0;
    bool change = false;
    Diagnostics diagnostics;
};

// Reorders the traces, starts each closed trace at its best vertex and runs each open one
// in its better direction, then rebuilds the offsets. When the drawing's own order already
// keeps the rule and nothing shorter is found, the drawing is left as it is.
ResultatOrdre OrdreAutomatique(Dessin& d, const ReglagesDecalage& r, const SuiviDecalage& suivi = {});

}  // namespace korvelin
