#pragma once
// Whole-drawing operations: automatic welding of traces whose ends meet, and the mirror.

#include "settings/contexte.h"

namespace korvelin {

// mnu_Soudure_Click: joins traces, recomputes offsets and bounds, repaints.
void SoudureAutomatique(Contexte& ctx);
// mnu_Miroir: flips the drawing left to right and reverses every trace.
void Miroir(Contexte& ctx);

}  // namespace korvelin
