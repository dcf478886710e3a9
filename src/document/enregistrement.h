#pragma once
// The project writer: the settings lines of the open project (or of the INI file for a
// drawing of another kind), then one line per point of the drawing.

#include <string>

#include "model/dessin.h"
#include "model/interface_utilisateur.h"

namespace korvelin {

// Save: writes SansExtension(NomFichier) + "Korvelin" and makes it NomFichier.
// False after telling the user when the file could not be written.
bool EnregistreProjet(Dessin& d, const std::string& cheminIni, InterfaceUtilisateur& ui);

// What the save writes, to a chosen path; NomFichier is left as it is.
bool EnregistreProjetSous(const Dessin& d, const std::string& cheminIni, InterfaceUtilisateur& ui,
                          const std::string& chemin);

}  // namespace korvelin
