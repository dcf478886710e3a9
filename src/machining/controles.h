#pragma once
// Checks made before the machine moves, a dry run starts or a CUT file is written: values
// that would damage the machine or the part, and moves beyond the axes' travel. Each gives
// the French reason of the refusal, or nothing when the job may go.

#include <cstdint>
#include <optional>
#include <string>

#include "model/dessin.h"
#include "settings/parametres.h"

namespace korvelin {

// More passes than this cut steps of a few micrometres and only make a run endless.
inline constexpr int32_t MaxPasses = 1000;
// A larger cutter does not fit such a machine: the value is a typing error.
inline constexpr double RayonMaxFraise = 50.0;

// The cutter radius, as the offset paths were computed with it.
std::optional<std::string> ControleRayon(const Parametres& v);
// Clearance height above the surface, passes, radius, margins within the travel.
std::optional<std::string> ControleValeurs(const Parametres& v, double H, int32_t N);

// The copies of a series: NbX per row NbX, DecalX apart; NbY rows DecalY apart.
struct GrilleCopies {
    int32_t NbX = 1, NbY = 1;
    double DecalX = 0.0, DecalY = 0.0;
};

// Every position of the job (drawing plus margins, copies of a series) must lie between the
// zero point and the travel in X and Y; the Z moves, from the clearance height down to the
// depth, must fit in the Z travel. The message names the axis, the trace and the distance.
std::optional<std::string> ControleCourses(const Dessin& d, const Parametres& v, double H, double P, double MX,
                                           double MY, const GrilleCopies& grille = {});
// A test pattern of D mm from wherever the tool stands.
std::optional<std::string> ControleMotif(const Parametres& v, double D, double H, double P);
// A typed move.
std::optional<std::string> ControleDeplacement(const Parametres& v, double dx, double dy, double dz);

// A depth above the surface cuts nothing: allowed, but the user is told.
inline bool ProfondeurPositive(double P) { return P > 0.0; }

}  // namespace korvelin
