#pragma once
// The distances between an offset path and its trace, measured by a grid of their own,
// not by the program's tree.

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <vector>

#include "model/dessin.h"

namespace korvelin::test {

struct Pt {
    double x, y;
};

inline double Distance2PointSegment(Pt p, Pt a, Pt b) {
    const double ux = b.x - a.x, uy = b.y - a.y, l = ux * ux + uy * uy;
    const double t = l > 0 ? std::clamp(((p.x - a.x) * ux + (p.y - a.y) * uy) / l, 0.0, 1.0) : 0.0;
    const double dx = a.x + t * ux - p.x, dy = a.y + t * uy - p.y;
    return dx * dx + dy * dy;
}

inline double DistanceSegments(Pt a, Pt b, Pt c, Pt d) {
    auto cote = [](Pt p, Pt q, Pt r) {
        const double v = (q.x - p.x) * (r.y - p.y) - (q.y - p.y) * (r.x - p.x);
        return (v > 0) - (v < 0);
    };
    if (cote(a, b, c) * cote(a, b, d) < 0 && cote(c, d, a) * cote(c, d, b) < 0) return 0;
    return std::sqrt(std::min({Distance2PointSegment(a, c, d), Distance2PointSegment(b, c, d),
                               Distance2PointSegment(c, a, b), Distance2PointSegment(d, a, b)}));
}

// The segments of one trace filed by square cells.
class Grille {
public:
    Grille(const std::vector<Pt>& t, double cote) : t_(t), cote_(cote) {
        for (std::size_t s = 0; s + 1 < t.size(); ++s) {
            const Pt a = t[s], b = t[s + 1];
            for (int64_t i = Cell(std::min(a.x, b.x)); i <= Cell(std::max(a.x, b.x)); ++i)
                for (int64_t j = Cell(std::min(a.y, b.y)); j <= Cell(std::max(a.y, b.y)); ++j)
                    cellules_[Cle(i, j)].push_back(uint32_t(s));
        }
    }
    // The distance from the segment a → b to the trace, exact below `portee`.
    double Distance(Pt a, Pt b, double portee) const {
        double d = INFINITY;
        for (int64_t i = Cell(std::min(a.x, b.x) - portee); i <= Cell(std::max(a.x, b.x) + portee); ++i)
            for (int64_t j = Cell(std::min(a.y, b.y) - portee); j <= Cell(std::max(a.y, b.y) + portee); ++j) {
                const auto c = cellules_.find(Cle(i, j));
                if (c == cellules_.end()) continue;
                for (const uint32_t s : c->second) d = std::min(d, DistanceSegments(a, b, t_[s], t_[s + 1]));
            }
        return d;
    }

private:
    int64_t Cell(double v) const { return int64_t(std::floor(v / cote_)); }
    static uint64_t Cle(int64_t i, int64_t j) { return (uint64_t(i) << 32) ^ uint64_t(uint32_t(j)); }
    const std::vector<Pt>& t_;
    double cote_;
    std::unordered_map<uint64_t, std::vector<uint32_t>> cellules_;
};

struct Bilan {
    double plusPres = INFINITY;  // the nearest any cutting move comes to its trace
    double ecartMax = 0;         // the farthest a vertex strays from the radius
    std::size_t points = 0;      // offset points kept
};

// Every trace against its own offset path.
inline Bilan Mesure(const Dessin& d, double R) {
    Bilan b;
    std::size_t e = 0;
    for (int32_t i = 0; i < d.NbPoints; ++e) {
        std::vector<Pt> t;
        const Code2 etiquette = d.Trace_Initial[i].Sequence;
        for (; i < d.NbPoints && d.Trace_Initial[i].Sequence == etiquette; ++i)
            t.push_back({d.Trace_Initial[i].X, d.Trace_Initial[i].Y});
        const Grille g(t, std::max(R, 1.0));
        const auto& D = d.Trace_Decale.at(e).Points;
        b.points += D.size();
        for (std::size_t k = 0; k < D.size(); ++k) {
            const Pt p{D[k].X, D[k].Y};
            b.ecartMax = std::max(b.ecartMax, std::fabs(g.Distance(p, p, 2 * R) - R));
            // The tool is lifted over a join marked so: nothing is cut there.
            if (k > 0 && D[k].Plume != MarqueLevee)
                b.plusPres = std::min(b.plusPres, g.Distance({D[k - 1].X, D[k - 1].Y}, p, R));
        }
    }
    return b;
}

}  // namespace korvelin::test
