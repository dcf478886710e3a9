#pragma once
#include <string>

#include "settings/contexte.h"

namespace korvelin {

// Reads the BLOCKS and ENTITIES sections, then converts the kept entities into the
// drawing. False when the file could not be read (the user has been told).
bool LectureDXF(Contexte& ctx, const std::string& chemin);

}  // namespace korvelin
