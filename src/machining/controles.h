#pragma once
// Checks made before the machine moves, a dry run starts or a CUT file is written: values
// that would damage the machine or the part, and moves beyond the axes' travel. Each gives
// the French reason of the refusal, or nothing when the job may go.

#include <cstdint>
#include <optional>
#include <string>

#include "model/dessin.h"
#include "model/parametres.h"

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
// Margins that bring every position of the job within the travel: for each axis the
// current margin when it already fits, else the nearest one that does, rounded to the tenth
// of a millimetre away from the edge it keeps clear of.
struct MargesConseillees {
    double X = 0.0, Y = 0.0;
};
// Nothing when the job already fits, or when no margin can make it fit (the job is wider
// than the travel).
std::optional<MargesConseillees> MargesPourLaCourse(const Dessin& d, const Parametres& v, double MX, double MY,
                                                    const GrilleCopies& grille = {});
// "il faut une marge en X d'au moins 3,4 mm": the change that the margins need, in words.
std::string TexteMargesConseillees(const MargesConseillees& m, double MX, double MY);

// A G-code job runs from the work zero set on the controller, not from the table's zero:
// only its extent (largest minus smallest coordinate, per axis) must fit the travel. The
// refusal when it does not; otherwise a warning when the tool goes below that zero (beside
// an outline drawn at the origin it goes down to minus the cutter's radius), else nothing.
struct ControleZeroTravail {
    std::optional<std::string> refus;
    std::optional<std::string> avertissement;
};
ControleZeroTravail ControleEtendue(const Dessin& d, const Parametres& v, double H, double P, double MX, double MY);

// A test pattern of D mm from wherever the tool stands.
std::optional<std::string> ControleMotif(const Parametres& v, double D, double H, double P);
// A typed move.
std::optional<std::string> ControleDeplacement(const Parametres& v, double dx, double dy, double dz);

// A depth above the surface cuts nothing: allowed, but the user is told.
inline bool ProfondeurPositive(double P) { return P > 0.0; }

}  // namespace korvelin
