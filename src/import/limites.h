#pragma once
// Bounds every reader applies to what a file may ask for, so that a damaged or hostile
// file gives a clear message instead of exhausting memory or filling the drawing with
// infinities that would poison the offset and the machine moves.

#include <cmath>
#include <cstddef>

namespace korvelin {

// Far beyond any drawing a small milling machine can cut (hundreds of metres of moves
// per megabyte of points), yet it keeps the point array of one import near half a gigabyte.
inline constexpr std::size_t MaxPointsImport = 20'000'000;

// One thousand kilometres in millimetres, or in plotter units before scaling. A float
// still has sub-millimetre steps up to a few thousand kilometres, and every product the
// offset computes from such values stays finite.
inline constexpr double CoordonneeMax = 1.0e9;

// NaN reads as 0, infinities and huge values stop at the bound.
inline double CoordonneeBornee(double v) {
    if (std::isnan(v)) return 0.0;
    if (v > CoordonneeMax) return CoordonneeMax;
    if (v < -CoordonneeMax) return -CoordonneeMax;
    return v;
}

// Past this magnitude a coordinate read from a point or DXF file is taken as garbage: the
// offset and the view square and subtract coordinates, and 32-bit floats would overflow or
// lose every millimetre.
inline constexpr double LimiteCoordonnee = 1e12;

inline bool CoordonneeUtilisable(double v) { return std::isfinite(v) && std::fabs(v) <= LimiteCoordonnee; }

inline constexpr const char* MessageTropDePoints = "Le dessin dépasse 20000000 points : fichier inexploitable !";
}  // namespace korvelin
