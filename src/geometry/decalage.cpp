#include "geometry/decalage.h"

namespace korvelin {
// Placeholder until the offset lands.
void DecalageSequence(Contexte&, Code2) {}
void CalculDecalageTout(Contexte& ctx) { ctx.dessin.Trace_Decale.assign(1, {}); }
}  // namespace korvelin
