#include "geometry/proximite.h"

#include <algorithm>
#include <cmath>

#include "model/primitives.h"

namespace korvelin {

namespace {

// TropProche measures across the line when the foot of the point falls on the segment;
// its own rounding may put a foot a hair outside, so candidates reach a little further.
constexpr double Debord = 1e-3;
// Below this many segments, the tree costs more than it saves.
constexpr std::size_t SegmentsSansArbre = 48;

bool Fini(const PointTrace& p) { return std::isfinite(p.X) && std::isfinite(p.Y); }

}  // namespace

void ProximiteSegments::Prepare(const std::vector<PointTrace>& trace, double rayon) {
    trace_ = &trace;
    rayon_ = rayon;
    candidats_.clear();
    noeuds_.clear();
    mode_ = Mode::Jamais;
    // TropProche wants rayon - distance > 0.01 with a distance never below 0.
    if (!(rayon > 0.01) || trace.size() < 2) return;
    if (std::isinf(rayon)) {
        mode_ = Mode::ChaqueSegment;
        return;
    }

    double etendue = 0.0;
    for (const PointTrace& p : trace)
        if (Fini(p)) etendue = std::max({etendue, std::fabs(double(p.X)), std::fabs(double(p.Y))});
    // Far above the rounding of TropProche's double arithmetic, far below 0.01.
    const double eps = 1e-9 * (1.0 + rayon + etendue);
    const double seuil = rayon - 0.01 + eps;
    seuil2_ = seuil * seuil;
    bordure_ = seuil + eps;

    candidats_.reserve(trace.size() - 1);
    for (std::size_t s = 0; s + 1 < trace.size(); ++s) {
        const PointTrace& a = trace[s];
        const PointTrace& b = trace[s + 1];
        const bool finiA = Fini(a), finiB = Fini(b);
        // An end off to infinity only leaves TropProche the distance to the other end.
        if (finiA && finiB) {
            const double dx = double(b.X) - a.X, dy = double(b.Y) - a.Y;
            candidats_.push_back({a.X, a.Y, dx, dy, dx * dx + dy * dy, int32_t(s)});
        } else if (finiA || finiB) {
            const PointTrace& p = finiA ? a : b;
            candidats_.push_back({p.X, p.Y, 0.0, 0.0, 0.0, int32_t(s)});
        }
    }
    if (candidats_.empty()) return;
    mode_ = Mode::Candidats;
    if (candidats_.size() >= SegmentsSansArbre) ChoisitArbre();
}

bool ProximiteSegments::Approche(const Candidat& c, double qx, double qy) const {
    const double ux = qx - c.x0, uy = qy - c.y0;
    if (c.longueur2 > 0.0) {
        const double t = (ux * c.dx + uy * c.dy) / c.longueur2;
        if (t >= -Debord && t <= 1.0 + Debord) {
            const double croix = c.dx * uy - c.dy * ux;
            return croix * croix <= seuil2_ * c.longueur2;
        }
        const double vx = ux - c.dx, vy = uy - c.dy;
        return std::min(ux * ux + uy * uy, vx * vx + vy * vy) <= seuil2_;
    }
    return ux * ux + uy * uy <= seuil2_;
}

bool ProximiteSegments::Decide(int32_t s, const PointTrace& q) const {
    const auto& t = *trace_;
    return TropProche(t[s], t[s + 1], q, rayon_);
}

bool ProximiteSegments::TropProcheDuTrace(const PointTrace& q) const {
    // A point off to infinity, or not a number, is never within a finite distance.
    if (mode_ == Mode::Jamais || !Fini(q)) return false;
    if (mode_ == Mode::ChaqueSegment) {
        for (std::size_t s = 0; s + 1 < trace_->size(); ++s)
            if (Decide(int32_t(s), q)) return true;
        return false;
    }
    const double qx = q.X, qy = q.Y;
    if (mode_ == Mode::Candidats) {
        for (const Candidat& c : candidats_)
            if (Approche(c, qx, qy) && Decide(c.segment, q)) return true;
        return false;
    }
    return ParcourtArbre(q);
}

// A tree of boxes over runs of consecutive segments: neighbours along a trace lie close
// together, so the boxes stay small, and an offset point at the full radius from the
// trace (nearly all of them) is cleared after a few boxes.
int32_t ProximiteSegments::Construit(int32_t debut, int32_t fin) {
    Noeud n{INFINITY, INFINITY, -INFINITY, -INFINITY, debut, fin, -1, -1};
    for (int32_t i = debut; i < fin; ++i) {
        const Candidat& c = candidats_[std::size_t(i)];
        for (const double t : {-Debord, 1.0 + Debord}) {
            const double x = c.x0 + t * c.dx, y = c.y0 + t * c.dy;
            n.xmin = std::min(n.xmin, x);
            n.xmax = std::max(n.xmax, x);
            n.ymin = std::min(n.ymin, y);
            n.ymax = std::max(n.ymax, y);
        }
    }
    const int32_t indice = int32_t(noeuds_.size());
    noeuds_.push_back(n);
    if (fin - debut > FeuilleMax) {
        const int32_t milieu = debut + (fin - debut) / 2;
        const int32_t g = Construit(debut, milieu);
        const int32_t d = Construit(milieu, fin);
        noeuds_[std::size_t(indice)].gauche = g;
        noeuds_[std::size_t(indice)].droite = d;
    }
    return indice;
}

void ProximiteSegments::ChoisitArbre() {
    noeuds_.clear();
    noeuds_.reserve(4 * candidats_.size() / FeuilleMax + 4);
    Construit(0, int32_t(candidats_.size()));
    mode_ = Mode::Arbre;
}

bool ProximiteSegments::ParcourtArbre(const PointTrace& q) const {
    const double qx = q.X, qy = q.Y;
    const double limite2 = bordure_ * bordure_;
    int32_t pile[96];
    int hauteur = 0;
    pile[hauteur++] = 0;
    while (hauteur > 0) {
        const Noeud& n = noeuds_[std::size_t(pile[--hauteur])];
        const double ex = std::max({n.xmin - qx, 0.0, qx - n.xmax});
        const double ey = std::max({n.ymin - qy, 0.0, qy - n.ymax});
        if (ex * ex + ey * ey > limite2) continue;
        if (n.gauche < 0) {
            for (int32_t i = n.debut; i < n.fin; ++i) {
                const Candidat& c = candidats_[std::size_t(i)];
                if (Approche(c, qx, qy) && Decide(c.segment, q)) return true;
            }
            continue;
        }
        // Segments earlier in the trace are asked first, as the others would be.
        pile[hauteur++] = n.droite;
        pile[hauteur++] = n.gauche;
    }
    return false;
}

}  // namespace korvelin
