#include "import/dat.h"

namespace korvelin {
// Placeholder until the reader lands.
bool LectureDAT(Contexte&, const std::string&) { return false; }
}  // namespace korvelin
namespace korvelin {
bool AnalyseDAT(Contexte&, const std::string&) { return false; }
}  // namespace korvelin
