#pragma once
#include <string>

#include "settings/contexte.h"

namespace korvelin {

// Replaces the drawing with the plotter file. False when nothing usable was read
// (the user has been told why).
bool LectureHPGL(Contexte& ctx, const std::string& chemin);

}  // namespace korvelin
