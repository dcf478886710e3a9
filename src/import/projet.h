#pragma once
// The program's own document: settings lines "$$…" then one 60-character line per point.

#include <string>

#include "settings/contexte.h"

namespace korvelin {

bool AnalyseProjet(Contexte& ctx, const std::string& chemin);
bool LectureProjet(Contexte& ctx, const std::string& chemin);
// Save: writes SansExtension(NomFichier) + "Korvelin" and makes it NomFichier.
// False after telling the user when the file could not be written.
bool EnregistreProjet(Contexte& ctx);

}  // namespace korvelin
