#pragma once
// One point line of a project file: four left-aligned fields of 15 characters.

#include <string>
#include <string_view>

#include "model/dessin.h"

namespace korvelin {

std::string LignePointProjet(const PointTrace& p);  // 60 characters (more for wide labels), no line end
// "," read as "."; short lines give blank pen and label fields; letters read as 0.
PointTrace LireLignePointProjet(std::string_view ligne);
// True when the line has the layout the writer gives it (trailing blanks may be missing,
// "," may stand for "."), or is empty: two numbers in their columns, then a pen and a
// label of two characters each, blanks after them, no control character below the blank
// (labels run through every character from the blank up, DEL included).
bool LignePointProjetConforme(std::string_view ligne);

}  // namespace korvelin
