#pragma once
// The program's own document: settings lines "$$…" then one 60-character line per point.

#include <string>
#include <string_view>
#include <vector>

#include "settings/contexte.h"

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

// The file a save of the drawing named nomFichier writes: its extension replaced by
// "Korvelin" (appended when the name has none); and the backup beside it ("tmp").
std::string CheminProjet(std::string_view nomFichier);
std::string CheminSauvegardeProjet(std::string_view nomFichier);

// Copies the project's text (contenu) to its backup beside it. A file of that name that
// is not such a backup is the user's own: it is left alone, the user is told, and the
// write goes on without a backup. False after telling the user when the copy failed.
bool CopieDeSecoursProjet(Contexte& ctx, const std::string& projet, std::string_view contenu);

// What the save writes, to a chosen path; NomFichier is left as it is.
bool EnregistreProjetSous(Contexte& ctx, const std::string& chemin);

// One settings line as the project stores it: "$$" then the text padded with blanks to
// 60 characters; a longer text is kept whole. No line end.
std::string LigneReglageProjet(std::string_view texte);
// The point lines of the drawing, each ended by CR LF.
std::string TextePointsProjet(const Dessin& d);

}  // namespace korvelin
