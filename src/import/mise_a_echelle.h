#pragma once
// The step every reader shares once it has measured a drawing in file units: the rescaling
// dialog, and a check that the chosen ratios keep the drawing within usable numbers.

#include "settings/contexte.h"

namespace korvelin {

// Past this magnitude a coordinate is taken as garbage: the offset and the view square
// and subtract coordinates, and 32-bit floats would overflow or lose every millimetre.
inline constexpr double LimiteCoordonnee = 1e12;

bool CoordonneeUtilisable(double v);

struct BornesImport {
    double Xmin = 0.0, Xmax = 0.0, Ymin = 0.0, Ymax = 0.0;
};

// Loads the ratios of the file type and shows the rescaling dialog for a drawing of these
// bounds; RapportH and RapportV then hold the chosen ratios. False, after telling the user,
// when those ratios would take the drawing out of range; the bounds of the drawing are then
// those it had before.
bool DemandeRapports(Contexte& ctx, const BornesImport& bornes);

}  // namespace korvelin
