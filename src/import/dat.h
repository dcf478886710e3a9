#pragma once
// Point files: one continuous trace written as "X Y" lines.

#include <cstdint>
#include <string>
#include <string_view>

#include "import/lecture.h"

namespace korvelin {

struct MesureDAT {
    int32_t NbPoints = 0;
    double Xmin = 0.0, Xmax = 0.0, Ymin = 0.0, Ymax = 0.0;  // file units
};

// The points of the file as exact coordinates, one trace pen down, with their bounds (and
// their count and bounds in *mesure when given). Refused when the file holds no data line,
// when its points all coincide or when a coordinate is out of range.
DessinLu LitDAT(std::string_view texte, std::string_view nomFichier = {}, MesureDAT* mesure = nullptr);
DessinLu LitFichierDAT(const std::string& chemin, MesureDAT* mesure = nullptr);

}  // namespace korvelin
