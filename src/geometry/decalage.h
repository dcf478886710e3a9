#pragma once
// Tool-radius offset: the path of the cutter's centre beside each trace.

#include "settings/contexte.h"

namespace korvelin {

void DecalageSequence(Contexte& ctx, Code2 etiquette);
// Rebuilds Trace_Decale for every trace.
void CalculDecalageTout(Contexte& ctx);

}  // namespace korvelin
