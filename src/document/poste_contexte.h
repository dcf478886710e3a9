#pragma once
// A job's view of the program's context: its paths, its settings values and its interface.

#include "machining/poste_travail.h"
#include "settings/contexte.h"

namespace korvelin {

inline PosteTravail PosteDe(Contexte& ctx) { return {ctx.dessin, ctx.parametres, *ctx.ui}; }

}  // namespace korvelin
