#pragma once
// What opening a drawing does once its path is chosen: remember it, read it by its
// extension, drop a lone first point, compute the bounds.

#include <string>

#include "settings/contexte.h"

namespace korvelin {

// True when the drawing now has at least two points (the caller repaints and shows the
// point count and size); false when the open stopped early.
bool OuvrirDessin(Contexte& ctx, const std::string& chemin);

}  // namespace korvelin
