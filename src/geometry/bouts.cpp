#include "geometry/bouts.h"

#include <algorithm>
#include <cmath>

namespace korvelin {

namespace {

// Cells are wider than the meeting distance, so a point meets only points of its own cell
// or, when it lies that close to a side, of the cell beyond that side.
constexpr double CellulesParUnite = 64.0;
constexpr double BordCellule = 0.0011 * CellulesParUnite;
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

std::size_t IndexBouts::Place(const Cellule& c) const {
    uint64_t h = static_cast<uint64_t>(c.cx) * 0x9E3779B97F4A7C15ull + static_cast<uint64_t>(c.cy);
    h ^= h >> 31;
    h *= 0xBF58476D1CE4E5B9ull;
    h ^= h >> 29;
    std::size_t i = static_cast<std::size_t>(h) & masque_;
    while (numeros_[i] != SansCellule && !(CelluleDe(temoins_[numeros_[i]][0], temoins_[numeros_[i]][1]) == c))
        i = (i + 1) & masque_;
    return i;
}

uint32_t IndexBouts::Numero(const Cellule& c) const { return numeros_[Place(c)]; }

IndexBouts::IndexBouts(const std::vector<PointTrace>& points, const std::vector<PlageSequence>& traces) {
    std::size_t capacite = 16;
    while (capacite < 4 * traces.size()) capacite *= 2;
    numeros_.assign(capacite, SansCellule);
    masque_ = capacite - 1;
    vivante_.assign(traces.size(), true);
    celluleDe_.assign(traces.size(), {SansCellule, SansCellule});
    auto bout = [&](uint32_t t, int b) -> const PointTrace& {
        const PlageSequence& p = traces[t];
        return points[p.premier + (b == 0 ? 0 : p.nb - 1)];
    };
    auto nbBouts = [&](uint32_t t) { return traces[t].nb >= 2 ? 2 : 1; };
    // First the cells and how many ends each holds, then the ends filed cell by cell in
    // drawing order: no list of every end is held on the way, which on a drawing of a
    // million single segments would double what the index needs.
    for (uint32_t t = 0; t < traces.size(); ++t) {
        for (int b = 0; b < nbBouts(t); ++b) {
            const PointTrace& pt = bout(t, b);
            const auto c = CelluleDe(pt.X, pt.Y);
            if (!c) continue;
            const std::size_t place = Place(*c);
            if (numeros_[place] == SansCellule) {
                numeros_[place] = uint32_t(debut_.size());
                temoins_.push_back({pt.X, pt.Y});
                debut_.push_back(0);
            }
            const uint32_t numero = numeros_[place];
            ++debut_[numero];
            celluleDe_[t][b] = numero;
        }
    }
    const std::size_t nbCellules = debut_.size();
    uint32_t somme = 0;
    for (std::size_t c = 0; c < nbCellules; ++c) {
        const uint32_t n = debut_[c];
        debut_[c] = somme;
        somme += n;
    }
    fin_ = debut_;
    morts_.assign(nbCellules, 0);
    bouts_.resize(somme);
    for (uint32_t t = 0; t < traces.size(); ++t)
        for (int b = 0; b < nbBouts(t); ++b)
            if (const uint32_t c = celluleDe_[t][b]; c != SansCellule) {
                const PointTrace& pt = bout(t, b);
                bouts_[fin_[c]++] = {pt.X, pt.Y, t, b == 1};
            }
}

std::optional<BoutTrouve> IndexBouts::Cherche(const PointTrace& p) {
    const auto centre = CelluleDe(p.X, p.Y);
    if (!centre) return std::nullopt;
    // Which neighbours are close enough to hold a meeting point.
    auto voisins = [](float v, int64_t cellule, int64_t& bas, int64_t& haut) {
        const double f = double(v) * CellulesParUnite - double(cellule);
        const bool limite = std::fabs(double(v) * CellulesParUnite) >= LimiteCellule;
        bas = !limite && f < BordCellule ? -1 : 0;
        haut = !limite && f > 1.0 - BordCellule ? 1 : 0;
    };
    int64_t x0, x1, y0, y1;
    voisins(p.X, centre->cx, x0, x1);
    voisins(p.Y, centre->cy, y0, y1);
    std::optional<BoutTrouve> meilleur;
    for (int64_t dy = y0; dy <= y1; ++dy) {
        for (int64_t dx = x0; dx <= x1; ++dx) {
            const uint32_t c = Numero({centre->cx + dx, centre->cy + dy});
            if (c == SansCellule) continue;
            for (std::size_t k = debut_[c]; k < fin_[c]; ++k) {
                const Bout& b = bouts_[k];
                if (!vivante_[b.trace]) continue;
                PointTrace q;
                q.X = b.x;
                q.Y = b.y;
                if (!SeRejoignent(q, p)) continue;
                if (!meilleur || b.trace < meilleur->trace || (b.trace == meilleur->trace && !b.fin && meilleur->fin))
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
    uint32_t w = debut_[c];
    for (std::size_t k = debut_[c]; k < fin_[c]; ++k)
        if (vivante_[bouts_[k].trace]) bouts_[w++] = bouts_[k];
    fin_[c] = w;
    morts_[c] = 0;
}

}  // namespace korvelin
