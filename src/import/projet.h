#pragma once
// The program's own document: settings lines "$$…" then one 60-character line per point.

#include <string>
#include <string_view>
#include <vector>

#include "settings/contexte.h"
#include "settings/fichier_projet.h"

namespace korvelin {

// Measures the point lines: sets Xmin, Xmax, Ymin, Ymax in file units. False after a
// message when the file cannot be used. The drawing's points are left alone, so that a
// file that turns out unusable changes nothing.
bool AnalyseProjet(Contexte& ctx, const std::string& chemin);
bool LectureProjet(Contexte& ctx, const std::string& chemin);
// Save: writes SansExtension(NomFichier) + "Korvelin" and makes it NomFichier.
// False after telling the user when the file could not be written.
bool EnregistreProjet(Contexte& ctx);

// The same steps on a text already in memory. The settings stored in the file are loaded
// from the file at chemin; with an empty chemin the loaders read the INI values.
bool AnalyseProjetTexte(Contexte& ctx, std::string_view texte);
bool LectureProjetTexte(Contexte& ctx, std::string_view texte, const std::string& chemin);

// What the save writes, to a chosen path; NomFichier is left as it is.
bool EnregistreProjetSous(Contexte& ctx, const std::string& chemin);

// One settings line as the project stores it: "$$" then the text padded with blanks to
// 60 characters; a longer text is kept whole. No line end.
std::string LigneReglageProjet(std::string_view texte);

}  // namespace korvelin
