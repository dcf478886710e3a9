#pragma once
// Milling the drawing's offset paths on the machine: one copy, or a series of copies laid
// out in a grid. Every run starts and ends at the logical zero (tool on the surface).

#include <atomic>
#include <string>

#include "machining/session.h"

namespace korvelin {

// The job values as the milling window shows them.
struct TravailFraisage {
    std::string HautDeg = "1";        // clearance height, mm
    std::string ProfFraisage = "-3";  // depth, mm, negative
};

struct Serie {
    int16_t NbX = 1, NbY = 1;            // copies per row, rows
    float DecalX = 0.0f, DecalY = 0.0f;  // spacing, mm
};

// True when one of the seven speeds the minimum times give shows as 0 (or makes no sense).
bool VitessesNulles(const Parametres& v);
// Height and depth typed in the window: "," or "." as separator.
double LectureCote(std::string_view texte);

// One copy. Refused, with the reason in the report, when there is no drawing, a speed is
// 0 or the job does not fit the machine.
CompteRendu FraisageExemplaire(const PosteTravail& poste, Machine& m, const TravailFraisage& travail,
                               const std::atomic<bool>& arret);
// Rows of copies DecalX apart, the rows DecalY apart, each row starting under the first
// copy of the row before; at the end the machine comes back to where the series began.
// Shifts travel at clearance height.
CompteRendu FraisageSerie(const PosteTravail& poste, Machine& m, const TravailFraisage& travail, const Serie& serie,
                          const std::atomic<bool>& arret);

}  // namespace korvelin
