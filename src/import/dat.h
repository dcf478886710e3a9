#pragma once
#include <string>

#include "settings/contexte.h"

namespace korvelin {

bool AnalyseDAT(Contexte& ctx, const std::string& chemin);
bool LectureDAT(Contexte& ctx, const std::string& chemin);

}  // namespace korvelin
