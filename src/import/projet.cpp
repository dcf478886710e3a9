#include "import/projet.h"

namespace korvelin {
// Placeholder until the project file lands.
bool AnalyseProjet(Contexte&, const std::string&) { return false; }
bool LectureProjet(Contexte&, const std::string&) { return false; }
bool EnregistreProjet(Contexte&) { return false; }
}  // namespace korvelin
