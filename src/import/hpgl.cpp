#include "import/hpgl.h"

namespace korvelin {
// Placeholder until the reader lands.
bool LectureHPGL(Contexte&, const std::string&) { return false; }
}  // namespace korvelin
