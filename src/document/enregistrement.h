#pragma once
// The project writer: the settings lines of the open project (or of the INI file for a
// drawing of another kind), then one line per point of the drawing.

#include <string>

#include "settings/contexte.h"

namespace korvelin {

// Save: writes SansExtension(NomFichier) + "Korvelin" and makes it NomFichier.
// False after telling the user when the file could not be written.
bool EnregistreProjet(Contexte& ctx);

// What the save writes, to a chosen path; NomFichier is left as it is.
bool EnregistreProjetSous(Contexte& ctx, const std::string& chemin);

}  // namespace korvelin
