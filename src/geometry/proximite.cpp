#include "geometry/proximite.h"

#include <algorithm>
#include <cmath>

#include "model/primitives.h"

namespace korvelin {

namespace {

// TropProche measures across the line when the foot of the point falls on the segment;
// its own rounding may put a foot a hair outside, so candidates reach a little further.
constexpr double Debord = 1e-3;
// Below this many segments, a grid costs more than it saves.
constexpr std::size_t SegmentsSansGrille = 48;
// Limits on the grid's size, per candidate segment.
constexpr std::size_t CellulesParSegment = 2;
constexpr std::size_t EntreesParSegment = 32;

bool Fini(const PointTrace& p) { return std::isfinite(p.X) && std::isfinite(p.Y); }

}  // namespace

void ProximiteSegments::Prepare(const std::vector<PointTrace>& trace, double rayon) {
    trace_ = &trace;
    rayon_ = rayon;
    candidats_.clear();
    debut_.clear();
    contenu_.clear();
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
    if (candidats_.size() >= SegmentsSansGrille) ChoisitGrille();
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
    const double fx = (qx - x0_) / pas_, fy = (qy - y0_) / pas_;
    if (!(fx >= 0.0 && fx < double(nx_) && fy >= 0.0 && fy < double(ny_))) return false;
    const std::size_t cellule = std::size_t(fy) * nx_ + std::size_t(fx);
    for (std::size_t k = debut_[cellule]; k < debut_[cellule + 1]; ++k) {
        const Candidat& c = candidats_[contenu_[k]];
        if (Approche(c, qx, qy) && Decide(c.segment, q)) return true;
    }
    return false;
}

std::size_t ProximiteSegments::Colonne(double x) const {
    const double f = std::floor((x - x0_) / pas_);
    return f <= 0.0 ? 0 : f >= double(nx_ - 1) ? nx_ - 1 : std::size_t(f);
}

std::size_t ProximiteSegments::Ligne(double y) const {
    const double f = std::floor((y - y0_) / pas_);
    return f <= 0.0 ? 0 : f >= double(ny_ - 1) ? ny_ - 1 : std::size_t(f);
}

// Every cell within bordure_ of the candidate (its segment stretched by Debord at both
// ends), walking the columns it crosses.
template <class F>
void ProximiteSegments::PourChaqueCellule(const Candidat& c, F&& f) const {
    const double ax = c.x0 - Debord * c.dx, ay = c.y0 - Debord * c.dy;
    const double bx = c.x0 + (1.0 + Debord) * c.dx, by = c.y0 + (1.0 + Debord) * c.dy;
    const double dx = bx - ax, dy = by - ay;
    const std::size_t premiere = Colonne(std::min(ax, bx) - bordure_);
    const std::size_t derniere = Colonne(std::max(ax, bx) + bordure_);
    for (std::size_t cx = premiere; cx <= derniere; ++cx) {
        double bas = std::min(ay, by), haut = std::max(ay, by);
        if (dx != 0.0) {
            // The part of the segment whose x is within bordure_ of this column.
            const double gauche = x0_ + double(cx) * pas_ - bordure_ - marge_;
            const double droite = x0_ + double(cx + 1) * pas_ + bordure_ + marge_;
            double ta = (gauche - ax) / dx, tb = (droite - ax) / dx;
            if (ta > tb) std::swap(ta, tb);
            ta = std::max(ta, 0.0);
            tb = std::min(tb, 1.0);
            if (ta <= tb) {
                const double ya = ay + ta * dy, yb = ay + tb * dy;
                bas = std::min(ya, yb);
                haut = std::max(ya, yb);
            }
        }
        const std::size_t l0 = Ligne(bas - bordure_ - marge_);
        const std::size_t l1 = Ligne(haut + bordure_ + marge_);
        for (std::size_t cy = l0; cy <= l1; ++cy) f(cy * nx_ + cx);
    }
}

void ProximiteSegments::ChoisitGrille() {
    double xmin = INFINITY, xmax = -INFINITY, ymin = INFINITY, ymax = -INFINITY;
    for (const Candidat& c : candidats_) {
        for (const double t : {-Debord, 1.0 + Debord}) {
            const double x = c.x0 + t * c.dx, y = c.y0 + t * c.dy;
            xmin = std::min(xmin, x);
            xmax = std::max(xmax, x);
            ymin = std::min(ymin, y);
            ymax = std::max(ymax, y);
        }
    }
    const std::size_t n = candidats_.size();
    const double largeur = xmax - xmin + 2.0 * bordure_, hauteur = ymax - ymin + 2.0 * bordure_;
    double pas = std::max({bordure_, (largeur + hauteur) / double(n),
                           std::sqrt(largeur * hauteur / double(n))});
    const std::size_t maxCellules = CellulesParSegment * n + 64;
    const std::size_t maxEntrees = EntreesParSegment * n + 1024;
    for (int essai = 0; essai < 200; ++essai, pas *= 1.5) {
        pas_ = pas;
        marge_ = 1e-9 * pas + 1e-9 * bordure_;
        x0_ = xmin - bordure_ - marge_;
        y0_ = ymin - bordure_ - marge_;
        const double fx = std::floor((xmax + bordure_ + marge_ - x0_) / pas) + 1.0;
        const double fy = std::floor((ymax + bordure_ + marge_ - y0_) / pas) + 1.0;
        if (!(fx * fy <= double(maxCellules))) continue;
        nx_ = std::size_t(fx);
        ny_ = std::size_t(fy);
        std::size_t entrees = 0;
        for (const Candidat& c : candidats_) {
            PourChaqueCellule(c, [&](std::size_t) { ++entrees; });
            if (entrees > maxEntrees) break;
        }
        if (entrees > maxEntrees) continue;

        debut_.assign(nx_ * ny_ + 1, 0);
        for (const Candidat& c : candidats_) PourChaqueCellule(c, [&](std::size_t k) { ++debut_[k + 1]; });
        for (std::size_t k = 1; k < debut_.size(); ++k) debut_[k] += debut_[k - 1];
        contenu_.resize(entrees);
        std::vector<std::size_t> ecrit(debut_.begin(), debut_.end() - 1);
        for (std::size_t i = 0; i < n; ++i)
            PourChaqueCellule(candidats_[i], [&](std::size_t k) { contenu_[ecrit[k]++] = int32_t(i); });
        mode_ = Mode::Grille;
        return;
    }
    // No sensible grid (not expected with finite values): every candidate is asked.
}

}  // namespace korvelin
