#include "import/dxf.h"

namespace korvelin {
// Placeholder until the reader lands.
bool LectureDXF(Contexte&, const std::string&) { return false; }
}  // namespace korvelin
