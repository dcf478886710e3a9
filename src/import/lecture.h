#pragma once
// What a reader gives back: the drawing as the file holds it, in the file's own units, and
// what it has to say about the file. A reader changes nothing else; the scaling, the
// cleaning and the offsets that follow are the import's own steps.

#include <string>
#include <utility>
#include <vector>

#include "model/dessin.h"
#include "model/diagnostics.h"

namespace korvelin {

struct BornesImport {
    double Xmin = 0.0, Xmax = 0.0, Ymin = 0.0, Ymax = 0.0;
};

struct DessinLu {
    // The points in file units, with their pen states and, where the file names them,
    // their trace labels.
    std::vector<PointTrace> Points;
    // Point files carry numbers finer than a float: their exact values, pen down, one
    // trace; Points is then empty.
    std::vector<std::pair<double, double>> Coordonnees;
    // The extent the rescaling dialog shows, in file units.
    BornesImport Bornes;
    // Warnings first, in the order met; an error means nothing usable was read.
    Diagnostics diagnostics;

    bool Refusee() const { return ContientErreur(diagnostics); }
};

// A reading that ends on this diagnostic.
inline DessinLu RefusLu(Diagnostic d) {
    DessinLu l;
    l.diagnostics.push_back(std::move(d));
    return l;
}

}  // namespace korvelin
