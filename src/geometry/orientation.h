#pragma once
// Which traces lie inside which closed ones, and the direction of the closed traces that
// leaves every part on the material side of the cutter.

#include <cstdint>
#include <vector>

#include "geometry/decalage.h"

namespace korvelin {

// One trace: a maximal run of points with the same label.
struct TraceDessin {
    int32_t premier = 0;
    int32_t nb = 0;
    bool ferme = false;  // at least three points and the last meets the first
};

std::vector<TraceDessin> DecoupeTraces(const Dessin& d);

// For each trace, the closed trace that holds it most closely (-1 for none) and the number
// of closed traces around it. A closed trace at an even depth is an outline, at an odd
// depth a hole. The parents make a forest, even where crossed traces hold each other.
struct Imbrication {
    std::vector<int32_t> parent;
    std::vector<int32_t> profondeur;
};

Imbrication CalculImbrication(const Dessin& d, const std::vector<TraceDessin>& traces);

// Whether every counted point has finite coordinates: the commands leave any other
// drawing as it is.
bool CoordonneesFinies(const Dessin& d);

// Twice the signed area of a closed trace, positive when it turns anticlockwise.
double AireSignee(const Dessin& d, const TraceDessin& t);

// Reverses every closed trace whose direction puts the cutter inside its part, then
// rebuilds the offsets and the bounds. Open traces, and everything when the tool follows
// the line, are left alone.
struct ResultatOrientation {
    int32_t inverses = 0;
    Diagnostics diagnostics;
};
ResultatOrientation OrientationAutomatique(Dessin& d, const ReglagesDecalage& r, const SuiviDecalage& suivi = {});

}  // namespace korvelin
