#pragma once
// Tool-radius offset: the path of the cutter's centre beside each trace.

#include <string>

#include "settings/contexte.h"

namespace korvelin {

void DecalageSequence(Contexte& ctx, Code2 etiquette);
// Rebuilds Trace_Decale for every trace.
void CalculDecalageTout(Contexte& ctx);
// DecalageSequence for the label of every entry of Trace_Decale but the spare one, in
// order, without rebuilding the entries (the mirror relies on this).
void DecalageEntrees(Contexte& ctx);
// The warning for a trace whose path the cutter cannot follow everywhere: the path stops
// at its point n° `point`, or loses points after it.
std::string MessageTropSerre(Code2 etiquette, bool arrete, std::size_t point);

}  // namespace korvelin
