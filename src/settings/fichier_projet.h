#pragma once
// What the settings store needs of the project file it writes into: where its backup goes,
// the backup itself, and the point lines that follow the settings lines.

#include <string>
#include <string_view>

#include "model/dessin.h"
#include "model/diagnostics.h"

namespace korvelin {

// The file a save of the drawing named nomFichier writes: its extension replaced by
// "Korvelin" (appended when the name has none); and the backup beside it ("tmp").
std::string CheminProjet(std::string_view nomFichier);
std::string CheminSauvegardeProjet(std::string_view nomFichier);

// Copies the project's text (contenu) to its backup beside it. A file of that name that
// is not such a backup is the user's own: it is left alone, the user is told, and the
// write goes on without a backup. What is to be told goes into dits; false when the copy
// failed.
bool CopieDeSecoursProjet(const std::string& projet, std::string_view contenu, Diagnostics& dits);

// The point lines of the drawing, each ended by CR LF.
std::string TextePointsProjet(const Dessin& d);

}  // namespace korvelin
