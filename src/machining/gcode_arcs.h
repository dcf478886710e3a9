#pragma once
// Arcs and long lines found again in a path of short segments: an offset path follows the
// circles and curves of the drawing with many vertices, which a controller's planner would
// take one by one; G2/G3 and merged G1 moves carry the same path in a few lines.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "model/dessin.h"

namespace korvelin {

struct PointPlan {
    double x = 0.0, y = 0.0;
};

// The points of a path as the fitting reads them: a list of their own, or an offset path
// read in place with the margins added, exactly as the cut computes them; a path of a
// million points is then not copied into doubles first.
class PointsChemin {
public:
    PointsChemin(const std::vector<PointPlan>& points) : plan_(points.data()), n_(points.size()) {}
    PointsChemin(std::span<const PointTrace> points, double mx, double my)
        : trace_(points.data()), n_(points.size()), mx_(mx), my_(my) {}
    std::size_t size() const { return n_; }
    PointPlan operator[](std::size_t i) const {
        return plan_ ? plan_[i] : PointPlan{trace_[i].X + mx_, trace_[i].Y + my_};
    }

private:
    const PointPlan* plan_ = nullptr;
    const PointTrace* trace_ = nullptr;
    std::size_t n_ = 0;
    double mx_ = 0.0, my_ = 0.0;
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
std::vector<PieceChemin> AjustePieces(const PointsChemin& points, double tolerance);

}  // namespace korvelin
