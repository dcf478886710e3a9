#pragma once
// What the geometry needs to know of the cutter and the job, as plain values: the offset
// and the tabs are computed from these alone, whoever chose them.

#include <cmath>
#include <cstdint>

namespace korvelin {

// The side the cutter's centre runs on, beside each trace.
struct ReglagesDecalage {
    double rayon = 3.0;  // mm; a negative radius puts the cutter on the other side
    // 1 on the right of the travel, 2 on the line itself, 3 on the left.
    int16_t cote = 1;
    // Drops the offset points that come nearer the trace than the radius (concave corners).
    bool optimisation1 = true;
    // Rounds every corner sharper than 60° instead of reaching far out to its vertex.
    bool optimisation2 = false;
};

// The tabs of the job: none unless the three values make sense.
struct Attaches {
    int32_t nombre = 0;     // per outline
    double largeur = 0.0;   // mm: the bridge of material left between the part and the sheet
    double hauteur = 0.0;   // mm above the full depth
    double diametre = 0.0;  // the cutter's: it rises over the bridge plus its own width
    bool Actives() const {
        return nombre > 0 && std::isfinite(largeur) && largeur > 0.0 && std::isfinite(hauteur) && hauteur > 0.0;
    }
    // The stretch of the cutter's path over which it rises.
    double Portee() const { return largeur + diametre; }
};

// The count is bounded: a hostile settings file must not fill the memory with spans.
inline constexpr int32_t MaxAttaches = 100;

}  // namespace korvelin
