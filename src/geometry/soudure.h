#pragma once
// Whole-drawing operations: automatic welding of traces whose ends meet, and the mirror.

#include "geometry/decalage.h"

namespace korvelin {

// mnu_Soudure_Click: joins traces, recomputes offsets and bounds.
Diagnostics SoudureAutomatique(Dessin& d, const ReglagesDecalage& r, const SuiviDecalage& suivi = {});
// mnu_Miroir: flips the drawing left to right and reverses every trace.
Diagnostics Miroir(Dessin& d, const ReglagesDecalage& r, const SuiviDecalage& suivi = {});

}  // namespace korvelin
