#include "machining/gcode_arcs.h"

#include <cmath>
#include <numbers>

namespace korvelin {

namespace {

// Beyond this radius an arc is a straight line for every purpose, and its centre would
// lie far outside any machine.
constexpr double RayonMax = 10000.0;

class Ajusteur {
public:
    Ajusteur(const PointsChemin& p, double tol) : p_(p), tol_(tol) {}

    std::vector<PieceChemin> Tout() {
        std::vector<PieceChemin> r;
        const std::size_t dernier = p_.size() - 1;
        std::size_t i = 0;
        while (i < dernier) {
            const std::size_t jl = Portee(i, i + 1, [&](std::size_t a, std::size_t b) { return Ligne(a, b); });
            PieceChemin arc;
            const std::size_t ja = Portee(i, i + 2, [&](std::size_t a, std::size_t b) { return Arc(a, b, nullptr); });
            if (ja > jl) {
                Arc(i, ja, &arc);
                arc.fin = ja;
                r.push_back(arc);
                i = ja;
            } else {
                r.push_back({PieceChemin::Nature::Ligne, jl, {}});
                i = jl;
            }
        }
        return r;
    }

private:
    const PointsChemin& p_;
    const double tol_;

    // The farthest j from `premier` on for which ok(i, j) holds, found by doubling then
    // halving the step; i itself when not even `premier` fits.
    template <class Ok>
    std::size_t Portee(std::size_t i, std::size_t premier, Ok&& ok) const {
        const std::size_t dernier = p_.size() - 1;
        if (premier > dernier || !ok(i, premier)) return i;
        std::size_t j = premier, pas = 1;
        while (j + pas <= dernier && ok(i, j + pas)) {
            j += pas;
            pas *= 2;
        }
        while (pas > 1) {
            pas /= 2;
            if (j + pas <= dernier && ok(i, j + pas)) j += pas;
        }
        return j;
    }

    // Every point between i and j near the chord and moving forward along it.
    bool Ligne(std::size_t i, std::size_t j) const {
        if (j == i + 1) return true;
        const double ax = p_[i].x, ay = p_[i].y;
        const double dx = p_[j].x - ax, dy = p_[j].y - ay;
        const double l = std::sqrt(dx * dx + dy * dy);
        if (!(l > 0.0)) return false;
        const double ux = dx / l, uy = dy / l;
        double avant = 0.0;
        for (std::size_t k = i + 1; k < j; ++k) {
            const double vx = p_[k].x - ax, vy = p_[k].y - ay;
            const double t = vx * ux + vy * uy;
            if (std::fabs(vx * uy - vy * ux) > tol_ || t < avant - tol_ || t > l + tol_) return false;
            if (t > avant) avant = t;
        }
        return true;
    }

    // The circle through the first, middle and last points; every point and the middle of
    // every segment near it, turning one way, at most half a turn in all.
    bool Arc(std::size_t i, std::size_t j, PieceChemin* sortie) const {
        const PointPlan a = p_[i], m = p_[(i + j) / 2], b = p_[j];
        const double bx = m.x - a.x, by = m.y - a.y, cx = b.x - a.x, cy = b.y - a.y;
        const double det = 2.0 * (bx * cy - by * cx);
        if (det == 0.0) return false;
        const double b2 = bx * bx + by * by, c2 = cx * cx + cy * cy;
        const double ox = (cy * b2 - by * c2) / det, oy = (bx * c2 - cx * b2) / det;
        const double r = std::sqrt(ox * ox + oy * oy);
        if (!(r <= RayonMax) || !(r > tol_)) return false;
        const PointPlan o{a.x + ox, a.y + oy};
        const double sens = det > 0.0 ? 1.0 : -1.0;
        double balayage = 0.0;
        for (std::size_t k = i + 1; k <= j; ++k) {
            const double ux = p_[k - 1].x - o.x, uy = p_[k - 1].y - o.y;
            const double vx = p_[k].x - o.x, vy = p_[k].y - o.y;
            if (std::fabs(std::sqrt(vx * vx + vy * vy) - r) > tol_) return false;
            const double wx = (ux + vx) / 2, wy = (uy + vy) / 2;
            if (std::fabs(std::sqrt(wx * wx + wy * wy) - r) > tol_) return false;
            const double croix = (ux * vy - uy * vx) * sens;
            if (croix < 0.0) return false;
            balayage += std::atan2(croix, ux * vx + uy * vy);
            // Half a turn drawn in floats may add up to a hair more.
            if (balayage > std::numbers::pi * (1.0 + 1e-6)) return false;
        }
        if (sortie) {
            sortie->nature = sens > 0.0 ? PieceChemin::Nature::ArcTrigo : PieceChemin::Nature::ArcHoraire;
            sortie->centre = o;
        }
        return true;
    }
};

}  // namespace

std::vector<PieceChemin> AjustePieces(const PointsChemin& points, double tolerance) {
    if (points.size() < 2) return {};
    return Ajusteur(points, tolerance).Tout();
}

}  // namespace korvelin
