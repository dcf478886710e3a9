#pragma once
// The program's own document: settings lines "$$…" then one 60-character line per point.

#include <string>
#include <string_view>

#include "import/lecture.h"

namespace korvelin {

// The point lines of a project, in millimetres already, with their labels and bounds; the
// settings lines are the settings store's business. Refused when a point line is not laid
// out as the program writes it, when there is none, or when all points coincide.
DessinLu LitProjet(std::string_view texte, std::string_view nomFichier = {});
DessinLu LitFichierProjet(const std::string& chemin);

// One settings line as the project stores it: "$$" then the text padded with blanks to
// 60 characters; a longer text is kept whole. No line end.
std::string LigneReglageProjet(std::string_view texte);

}  // namespace korvelin
