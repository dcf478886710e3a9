#pragma once
// Arcs and long lines found again in a path of short segments: an offset path follows the
// circles and curves of the drawing with many vertices, which a controller's planner would
// take one by one; G2/G3 and merged G1 moves carry the same path in a few lines.

#include <cstdint>
#include <vector>

namespace korvelin {

struct PointPlan {
    double x = 0.0, y = 0.0;
};

// One piece of the path, from the end of the previous one (or the first point) to `fin`.
struct PieceChemin {
    enum class Nature : uint8_t { Ligne, ArcHoraire, ArcTrigo } nature = Nature::Ligne;
    std::size_t fin = 0;  // index of its last point in the path
    PointPlan centre;     // arcs only
};

// The pieces of the path `points` (points[0] is where the tool stands): every point lies
// within `tolerance` of its piece, and so does the middle of every segment, so the pieces
// stay that close to the whole path. An arc spans at least three points and at most half
// a turn, turning the same way all along.
std::vector<PieceChemin> AjustePieces(const std::vector<PointPlan>& points, double tolerance);

}  // namespace korvelin
