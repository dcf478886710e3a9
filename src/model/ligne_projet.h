#pragma once
// One point line of a project file: four left-aligned fields of 15 characters.

#include <string>
#include <string_view>

#include "model/dessin.h"

namespace korvelin {

std::string LignePointProjet(const PointTrace& p);  // 60 characters (more for wide labels), no line end
// "," read as "."; short lines give blank pen and label fields; letters read as 0.
PointTrace LireLignePointProjet(std::string_view ligne);

}  // namespace korvelin
