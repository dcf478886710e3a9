#pragma once
// Point files: one continuous trace written as "X Y" lines.

#include <cstdint>
#include <string>
#include <string_view>

#include "settings/contexte.h"

namespace korvelin {

struct MesureDAT {
    int32_t NbPoints = 0;
    double Xmin = 0.0, Xmax = 0.0, Ymin = 0.0, Ymax = 0.0;  // file units
};

// Checks and measures a point file. False, after telling the user, when it holds no data
// line, when its points all coincide or when it cannot be read. The drawing is not touched:
// the measure goes to *mesure when given.
bool AnalyseDAT(Contexte& ctx, const std::string& chemin, MesureDAT* mesure = nullptr);
// Replaces the drawing by the trace of the file; false when the file was refused (the
// user has been told and the drawing is unchanged).
bool LectureDAT(Contexte& ctx, const std::string& chemin);

// The same two from the text of a point file.
bool AnalyseTexteDAT(Contexte& ctx, std::string_view texte, MesureDAT* mesure = nullptr);
bool LectureDATTexte(Contexte& ctx, std::string_view texte);

}  // namespace korvelin
