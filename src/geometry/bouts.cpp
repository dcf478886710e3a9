#include "geometry/bouts.h"

#include <algorithm>
#include <cmath>

namespace korvelin {

namespace {

// Cells are wider than the meeting distance, so meeting points lie in neighbouring cells.
constexpr double CellulesParUnite = 256.0;
constexpr double LimiteCellule = 4.0e18;
constexpr uint32_t SansCellule = UINT32_MAX;

}  // namespace

bool SeRejoignent(const PointTrace& a, const PointTrace& b) {
    const float dx = a.X - b.X;
    const float dy = a.Y - b.Y;
    return std::fabs(static_cast<double>(dx)) < 0.001 && std::fabs(static_cast<double>(dy)) < 0.001;
}

std::optional<IndexBouts::Cellule> IndexBouts::CelluleDe(float x, float y) {
    // A point that is not finite meets nothing.
    if (!std::isfinite(x) || !std::isfinite(y)) return std::nullopt;
    // Past the limit floats are so far apart that only equal values meet, and equal
    // values fall in the same cell.
    const double fx = std::clamp(std::floor(double(x) * CellulesParUnite), -LimiteCellule, LimiteCellule);
    const double fy = std::clamp(std::floor(double(y) * CellulesParUnite), -LimiteCellule, LimiteCellule);
    return Cellule{static_cast<int64_t>(fx), static_cast<int64_t>(fy)};
}

IndexBouts::IndexBouts(const std::vector<PointTrace>& points,
                       const std::vector<PlageSequence>& traces) {
    vivante_.assign(traces.size(), true);
    celluleDe_.assign(traces.size(), {SansCellule, SansCellule});
    std::vector<Bout> bruts;
    std::vector<uint32_t> cellule;
    bruts.reserve(2 * traces.size());
    cellule.reserve(2 * traces.size());
    cellules_.reserve(2 * traces.size());
    for (uint32_t t = 0; t < traces.size(); ++t) {
        const PlageSequence& p = traces[t];
        const int nbBouts = p.nb >= 2 ? 2 : 1;
        for (int b = 0; b < nbBouts; ++b) {
            const PointTrace& pt = points[p.premier + (b == 0 ? 0 : p.nb - 1)];
            const auto c = CelluleDe(pt.X, pt.Y);
            if (!c) continue;
            const auto [it, nouvelle] = cellules_.emplace(*c, uint32_t(debut_.size()));
            if (nouvelle) debut_.push_back(0);
            ++debut_[it->second];
            bruts.push_back({pt.X, pt.Y, t, b == 1});
            cellule.push_back(it->second);
            celluleDe_[t][b] = it->second;
        }
    }
    // Cell by cell, ends in drawing order (counting sort keeps that order).
    const std::size_t nbCellules = debut_.size();
    std::size_t somme = 0;
    for (std::size_t c = 0; c < nbCellules; ++c) {
        const std::size_t n = debut_[c];
        debut_[c] = somme;
        somme += n;
    }
    fin_ = debut_;
    morts_.assign(nbCellules, 0);
    bouts_.resize(bruts.size());
    for (std::size_t i = 0; i < bruts.size(); ++i) bouts_[fin_[cellule[i]]++] = bruts[i];
}

std::optional<BoutTrouve> IndexBouts::Cherche(const PointTrace& p) {
    const auto centre = CelluleDe(p.X, p.Y);
    if (!centre) return std::nullopt;
    std::optional<BoutTrouve> meilleur;
    for (int64_t dy = -1; dy <= 1; ++dy) {
        for (int64_t dx = -1; dx <= 1; ++dx) {
            const auto it = cellules_.find({centre->cx + dx, centre->cy + dy});
            if (it == cellules_.end()) continue;
            const uint32_t c = it->second;
            for (std::size_t k = debut_[c]; k < fin_[c]; ++k) {
                const Bout& b = bouts_[k];
                if (!vivante_[b.trace]) continue;
                PointTrace q;
                q.X = b.x;
                q.Y = b.y;
                if (!SeRejoignent(q, p)) continue;
                if (!meilleur || b.trace < meilleur->trace ||
                    (b.trace == meilleur->trace && !b.fin && meilleur->fin))
                    meilleur = BoutTrouve{b.trace, b.fin};
                break;  // the rest of this cell comes later in drawing order
            }
        }
    }
    return meilleur;
}

void IndexBouts::Retire(uint32_t trace) {
    vivante_[trace] = false;
    const auto [c0, c1] = celluleDe_[trace];
    if (c0 != SansCellule) ++morts_[c0];
    if (c1 != SansCellule) ++morts_[c1];
    for (const uint32_t c : {c0, c1})
        if (c != SansCellule && 2 * morts_[c] > fin_[c] - debut_[c]) Compacte(c);
}

// Drops the ends of removed traces from a cell, so that scans do not keep stepping
// over them.
void IndexBouts::Compacte(std::size_t c) {
    std::size_t w = debut_[c];
    for (std::size_t k = debut_[c]; k < fin_[c]; ++k)
        if (vivante_[bouts_[k].trace]) bouts_[w++] = bouts_[k];
    fin_[c] = w;
    morts_[c] = 0;
}

}  // namespace korvelin
