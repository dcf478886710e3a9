#pragma once
#include <string>
#include <string_view>

#include "settings/contexte.h"

namespace korvelin {

// Reads the BLOCKS and ENTITIES sections, then converts the kept entities into the
// drawing. False when the file could not be read (the user has been told).
bool LectureDXF(Contexte& ctx, const std::string& chemin);

// The same from the text of a DXF file.
bool LectureDXFTexte(Contexte& ctx, std::string_view texte);

}  // namespace korvelin
