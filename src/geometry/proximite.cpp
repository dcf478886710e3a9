#include "geometry/proximite.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <utility>

#include "model/primitives.h"

namespace korvelin {

namespace {

// TropProche measures across the line when the foot of the point falls on the segment;
// its own rounding may put a foot a hair outside, so candidates reach a little further.
constexpr double Debord = 1e-3;
// Below this many segments or groups, the tree costs more than it saves.
constexpr std::size_t ElementsSansArbre = 48;
// Segments sampled along the trace to tell whether it goes over itself.
constexpr std::size_t Echantillon = 256;

// Segments whose ends fall in the same cells of this size are asked as one: about a
// thousandth of a millimetre, well inside the 0.01 mm TropProche leaves between a point
// at the full radius and one too close.
constexpr double CellulesParMm = 1024.0;
// Past this, cell numbers would lose their units: such a segment stays alone.
constexpr double CelluleMax = 4.0e15;

bool Fini(const PointTrace& p) { return std::isfinite(p.X) && std::isfinite(p.Y); }

// The cells of a segment's two ends, the lower end first, so that a segment drawn the
// other way round falls with it.
struct Cle {
    int64_t ax, ay, bx, by;
    friend bool operator==(const Cle&, const Cle&) = default;
};

bool Cellule(double v, int64_t& c) {
    const double f = std::floor(v * CellulesParMm);
    if (!(std::fabs(f) < CelluleMax)) return false;
    c = static_cast<int64_t>(f);
    return true;
}

bool CleDe(double x0, double y0, double x1, double y1, Cle& k) {
    int64_t ax, ay, bx, by;
    if (!Cellule(x0, ax) || !Cellule(y0, ay) || !Cellule(x1, bx) || !Cellule(y1, by)) return false;
    if (std::pair(bx, by) < std::pair(ax, ay)) {
        std::swap(ax, bx);
        std::swap(ay, by);
    }
    k = {ax, ay, bx, by};
    return true;
}

std::size_t Hache(const Cle& k) {
    uint64_t h = 0;
    for (const int64_t v : {k.ax, k.ay, k.bx, k.by}) {
        h = (h ^ static_cast<uint64_t>(v)) * 0x9E3779B97F4A7C15ull;
        h ^= h >> 29;
    }
    return static_cast<std::size_t>(h);
}

// A segment by the bits of its ends, the lower end first.
struct Bits {
    uint64_t a, b;
    friend bool operator==(const Bits&, const Bits&) = default;
};

}  // namespace

void ProximiteSegments::Prepare(std::span<const PointTrace> trace, double rayon) {
    trace_ = trace;
    rayon_ = rayon;
    candidats_.clear();
    groupes_.clear();
    membres_.clear();
    noeuds_.clear();
    regroupe_ = false;
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
    seuil_ = rayon - 0.01 + eps;
    seuil2_ = seuil_ * seuil_;
    bordure_ = seuil_ + eps;

    if (Superposes()) {
        Regroupe();
    } else {
        candidats_.reserve(trace.size() - 1);
        for (std::size_t s = 0; s + 1 < trace.size(); ++s) {
            Candidat c;
            if (CandidatDe(int32_t(s), c)) candidats_.push_back(int32_t(s));
        }
    }
    const int32_t n = NbElements();
    if (n == 0) return;
    mode_ = Mode::Liste;
    if (n >= int32_t(ElementsSansArbre)) {
        OrdonneDansLEspace();
        noeuds_.reserve(4 * std::size_t(n) / FeuilleMax + 4);
        Construit(0, n);
        mode_ = Mode::Arbre;
    }
}

// How many times the segments of an even sample come back along the trace: about once
// each on a trace that never goes over itself, and as often as it goes round on one that
// does. Gathering costs a pass over a large table; it is only worth it when every offset
// point would meet many segments. Segments drawn again come back with the very same
// coordinates, so the count compares them bit for bit, which is cheap.
bool ProximiteSegments::Superposes() const {
    const std::size_t n = trace_.size() - 1;
    if (n < ElementsSansArbre) return false;
    auto bits = [this](std::size_t s) {
        auto point = [](const PointTrace& p) {
            return (uint64_t(std::bit_cast<uint32_t>(p.X)) << 32) | std::bit_cast<uint32_t>(p.Y);
        };
        uint64_t a = point(trace_[s]), b = point(trace_[s + 1]);
        if (b < a) std::swap(a, b);
        return Bits{a, b};
    };
    auto hache = [](const Bits& k) {
        uint64_t h = (k.a ^ (k.b * 0x9E3779B97F4A7C15ull)) * 0xBF58476D1CE4E5B9ull;
        return std::size_t(h ^ (h >> 31));
    };
    constexpr std::size_t Taille = 4 * Echantillon, Masque = Taille - 1;
    struct Case {
        Bits k;
        bool prise;
    };
    std::vector<Case> table(Taille, Case{{0, 0}, false});
    auto place = [&](const Bits& k) {
        std::size_t i = hache(k) & Masque;
        while (table[i].prise && !(table[i].k == k)) i = (i + 1) & Masque;
        return i;
    };
    std::size_t distincts = 0;
    for (std::size_t e = 0; e < Echantillon; ++e) {
        const Bits k = bits(e * n / Echantillon);
        Case& c = table[place(k)];
        if (!c.prise) ++distincts;
        c = {k, true};
    }
    std::size_t retours = 0;
    for (std::size_t s = 0; s < n; ++s) retours += table[place(bits(s))].prise;
    return double(retours) > retours_ * double(distincts);
}

int32_t ProximiteSegments::NbElements() const { return int32_t(regroupe_ ? groupes_.size() : candidats_.size()); }

bool ProximiteSegments::CandidatDe(int32_t s, Candidat& c) const {
    const PointTrace& a = trace_[std::size_t(s)];
    const PointTrace& b = trace_[std::size_t(s) + 1];
    const bool finiA = Fini(a), finiB = Fini(b);
    // An end off to infinity only leaves TropProche the distance to the other end.
    if (finiA && finiB) {
        const double dx = double(b.X) - a.X, dy = double(b.Y) - a.Y;
        c = {a.X, a.Y, dx, dy, dx * dx + dy * dy, s};
        return true;
    }
    if (!finiA && !finiB) return false;
    const PointTrace& p = finiA ? a : b;
    c = {p.X, p.Y, 0.0, 0.0, 0.0, s};
    return true;
}

inline bool ProximiteSegments::Approche(const Candidat& c, double qx, double qy, double seuil2) const {
    const double ux = qx - c.x0, uy = qy - c.y0;
    if (c.longueur2 > 0.0) {
        const double t = (ux * c.dx + uy * c.dy) / c.longueur2;
        if (t >= -Debord && t <= 1.0 + Debord) {
            const double croix = c.dx * uy - c.dy * ux;
            return croix * croix <= seuil2 * c.longueur2;
        }
        const double vx = ux - c.dx, vy = uy - c.dy;
        return std::min(ux * ux + uy * uy, vx * vx + vy * vy) <= seuil2;
    }
    return ux * ux + uy * uy <= seuil2;
}

bool ProximiteSegments::Decide(int32_t s, const PointTrace& q) const {
    return TropProche(trace_[std::size_t(s)], trace_[std::size_t(s) + 1], q, rayon_);
}

inline bool ProximiteSegments::CandidatTropProche(const Candidat& c, const PointTrace& q) const {
    return Approche(c, q.X, q.Y, seuil2_) && Decide(c.segment, q);
}

bool ProximiteSegments::GroupeTropProche(const Groupe& g, const PointTrace& q) const {
    if (g.fin - g.debut == 1) return CandidatTropProche(g.premier, q);
    // No member comes nearer than the first one less the spread.
    const double s = seuil_ + g.ecart;
    if (!Approche(g.premier, q.X, q.Y, s * s)) return false;
    for (int32_t m = g.debut; m < g.fin; ++m) {
        Candidat c{};
        CandidatDe(membres_[std::size_t(m)], c);
        if (CandidatTropProche(c, q)) return true;
    }
    return false;
}

inline bool ProximiteSegments::ElementTropProche(int32_t i, const PointTrace& q) const {
    if (regroupe_) return GroupeTropProche(groupes_[std::size_t(i)], q);
    Candidat c{};
    CandidatDe(candidats_[std::size_t(i)], c);
    return CandidatTropProche(c, q);
}

bool ProximiteSegments::TropProcheDuTrace(const PointTrace& q) const {
    // A point off to infinity, or not a number, is never within a finite distance.
    if (mode_ == Mode::Jamais || !Fini(q)) return false;
    if (mode_ == Mode::ChaqueSegment) {
        for (std::size_t s = 0; s + 1 < trace_.size(); ++s)
            if (Decide(int32_t(s), q)) return true;
        return false;
    }
    if (mode_ == Mode::Liste) {
        for (int32_t i = 0, n = NbElements(); i < n; ++i)
            if (ElementTropProche(i, q)) return true;
        return false;
    }
    return ParcourtArbre(q);
}

// Segments whose ends share cells, gathered in the order of their first member, by open
// addressing on the cells.
std::vector<int32_t> ProximiteSegments::Rassemble() {
    const std::size_t n = trace_.size() - 1;
    constexpr int32_t Libre = -1, Aucun = -2;
    std::vector<int32_t> groupeDe(n, Aucun);
    // Each place keeps a part of the hash, so that a search rarely reads the cells of a
    // group it does not want.
    struct Place {
        int32_t groupe;
        uint32_t empreinte;
    };
    std::vector<Cle> cles;  // per group, while gathering
    std::vector<std::size_t> haches;
    std::vector<Place> table;
    std::size_t masque = 0;
    auto place = [&](const Cle& k, std::size_t h) {
        std::size_t i = h & masque;
        const uint32_t e = uint32_t(h >> 32);
        while (table[i].groupe != Libre && !(table[i].empreinte == e && cles[std::size_t(table[i].groupe)] == k))
            i = (i + 1) & masque;
        return i;
    };
    // The table grows with the groups, not with the segments: a trace going a thousand
    // times round one circle keeps it small. Groups without cells stay out of it.
    auto agrandit = [&](std::size_t capacite) {
        table.assign(capacite, Place{Libre, 0});
        masque = capacite - 1;
        for (std::size_t g = 0; g < groupes_.size(); ++g)
            if (cles[g].ax != INT64_MIN) table[place(cles[g], haches[g])] = {int32_t(g), uint32_t(haches[g] >> 32)};
    };
    agrandit(64);
    std::size_t rangees = 0;
    for (std::size_t s = 0; s < n; ++s) {
        Candidat c;
        if (!CandidatDe(int32_t(s), c)) continue;
        Cle k;
        int32_t g = -1;
        std::size_t i = 0, h = 0;
        const bool range = CleDe(c.x0, c.y0, c.x0 + c.dx, c.y0 + c.dy, k);
        if (range) {
            h = Hache(k);
            i = place(k, h);
            g = table[i].groupe;
        } else {
            k.ax = INT64_MIN;
        }
        if (g < 0) {
            g = int32_t(groupes_.size());
            groupes_.push_back({c, 0.0, 0, 0});
            cles.push_back(k);
            haches.push_back(h);
            if (range) {
                table[i] = {g, uint32_t(h >> 32)};
                if (2 * ++rangees > table.size()) agrandit(2 * table.size());
            }
        }
        groupeDe[s] = g;
        ++groupes_[std::size_t(g)].fin;
    }
    return groupeDe;
}

void ProximiteSegments::Regroupe() {
    const std::size_t n = trace_.size() - 1;
    regroupe_ = true;
    const std::vector<int32_t> groupeDe = Rassemble();
    int32_t debut = 0;
    for (Groupe& g : groupes_) {
        const int32_t taille = g.fin;
        g.debut = g.fin = debut;
        debut += taille;
    }
    membres_.resize(std::size_t(debut));
    for (std::size_t s = 0; s < n; ++s) {
        if (groupeDe[s] < 0) continue;
        Groupe& g = groupes_[std::size_t(groupeDe[s])];
        membres_[std::size_t(g.fin++)] = int32_t(s);
        if (g.fin - g.debut == 1) continue;
        // How far the member strays from the first one, ends matched either way round.
        const Candidat& r = g.premier;
        Candidat c{};
        CandidatDe(int32_t(s), c);
        const double rx1 = r.x0 + r.dx, ry1 = r.y0 + r.dy, cx1 = c.x0 + c.dx, cy1 = c.y0 + c.dy;
        auto carre = [](double x, double y) { return x * x + y * y; };
        const double droit = std::max(carre(c.x0 - r.x0, c.y0 - r.y0), carre(cx1 - rx1, cy1 - ry1));
        const double renverse = std::max(carre(c.x0 - rx1, c.y0 - ry1), carre(cx1 - r.x0, cy1 - r.y0));
        g.ecart = std::max(g.ecart, std::min(droit, renverse));  // squared until the end
    }
    // Room for the rounding of the spread itself.
    for (Groupe& g : groupes_)
        if (g.ecart > 0.0) g.ecart = std::sqrt(g.ecart) * (1.0 + 1e-9) + 1e-12;
}

namespace {

// Interleaves the bits of two 21-bit numbers: points near each other on the plane get
// near keys.
uint64_t Morton(uint32_t x, uint32_t y) {
    // In 42 bits, so that a key leaves room for a number beside it.
    auto etale = [](uint64_t v) {
        v &= 0x1FFFFF;
        v = (v | v << 16) & 0x0000FFFF0000FFFFull;
        v = (v | v << 8) & 0x00FF00FF00FF00FFull;
        v = (v | v << 4) & 0x0F0F0F0F0F0F0F0Full;
        v = (v | v << 2) & 0x3333333333333333ull;
        v = (v | v << 1) & 0x5555555555555555ull;
        return v;
    };
    return etale(x) | etale(y) << 1;
}

}  // namespace

// Candidates or groups in the order of a curve that fills the plane: a trace that comes
// back near itself (a spiral, a contour and its holes) would otherwise give boxes of whole
// turns, each overlapping every point inside it. Whether any segment is too close does not
// depend on the order in which they are asked.
void ProximiteSegments::OrdonneDansLEspace() {
    const std::size_t n = std::size_t(NbElements());
    auto centre = [this](std::size_t i) {
        Candidat c{};
        if (regroupe_)
            c = groupes_[i].premier;
        else
            CandidatDe(candidats_[i], c);
        return std::pair{c.x0 + c.dx / 2, c.y0 + c.dy / 2};
    };
    double xmin = INFINITY, ymin = INFINITY, xmax = -INFINITY, ymax = -INFINITY;
    for (std::size_t i = 0; i < n; ++i) {
        const auto [x, y] = centre(i);
        if (!std::isfinite(x) || !std::isfinite(y)) continue;
        xmin = std::min(xmin, x), xmax = std::max(xmax, x);
        ymin = std::min(ymin, y), ymax = std::max(ymax, y);
    }
    if (!(xmax > xmin || ymax > ymin)) return;
    // Each key holds its element's number in its low bits: half the room of a key and a
    // number side by side. The plane keeps 21 bits a side while the numbers leave room
    // for them (two million elements), fewer past that, which only makes the order coarser.
    const int bitsNumero = std::bit_width(n);
    const int bitsCote = std::min(21, (63 - bitsNumero) / 2);
    const double pleine = double((uint32_t(1) << bitsCote) - 1);
    const uint64_t horsPlan = uint64_t(1) << (2 * bitsCote);  // after every finite key
    const uint64_t masque = (uint64_t(1) << bitsNumero) - 1;
    // Never a key: the numbers stop short of the mask.
    constexpr uint64_t Place = UINT64_MAX;
    const double echelle = pleine / std::max(xmax - xmin, ymax - ymin);
    std::vector<uint64_t> cles(n);
    for (std::size_t i = 0; i < n; ++i) {
        const auto [x, y] = centre(i);
        const double u = std::clamp((x - xmin) * echelle, 0.0, pleine),
                     v = std::clamp((y - ymin) * echelle, 0.0, pleine);
        const uint64_t cle = std::isfinite(u) && std::isfinite(v) ? Morton(uint32_t(u), uint32_t(v)) : horsPlan;
        cles[i] = (cle << bitsNumero) | i;
    }
    std::sort(cles.begin(), cles.end());
    // Moved in place, cycle by cycle: a copy of a million candidates would double the
    // memory of the whole offset for a moment.
    auto permute = [&cles, n, masque](auto& v) {
        for (std::size_t i = 0; i < n; ++i) {
            if (cles[i] == Place) continue;
            auto tenu = v[i];
            std::size_t j = i;
            while ((cles[j] & masque) != i) {
                const std::size_t k = cles[j] & masque;
                v[j] = v[k];
                cles[j] = Place;
                j = k;
            }
            v[j] = tenu;
            cles[j] = Place;
        }
    };
    if (regroupe_)
        permute(groupes_);
    else
        permute(candidats_);
}

namespace {

float VersLeBas(double v) {
    const float f = static_cast<float>(v);
    return double(f) > v ? std::nextafter(f, -INFINITY) : f;
}

float VersLeHaut(double v) {
    const float f = static_cast<float>(v);
    return double(f) < v ? std::nextafter(f, INFINITY) : f;
}

}  // namespace

// A tree of boxes over runs of consecutive candidates or groups: neighbours along a trace
// lie close together, so the boxes stay small, and an offset point at the full radius from
// the trace (nearly all of them) is cleared after a few boxes.
int32_t ProximiteSegments::Construit(int32_t debut, int32_t fin) {
    const int32_t indice = int32_t(noeuds_.size());
    noeuds_.push_back({INFINITY, INFINITY, -INFINITY, -INFINITY, debut, fin, -1, -1});
    if (fin - debut > FeuilleMax) {
        const int32_t milieu = debut + (fin - debut) / 2;
        const int32_t g = Construit(debut, milieu);
        const int32_t d = Construit(milieu, fin);
        Noeud& n = noeuds_[std::size_t(indice)];
        const Noeud& a = noeuds_[std::size_t(g)];
        const Noeud& b = noeuds_[std::size_t(d)];
        n.gauche = g;
        n.droite = d;
        n.xmin = std::min(a.xmin, b.xmin);
        n.ymin = std::min(a.ymin, b.ymin);
        n.xmax = std::max(a.xmax, b.xmax);
        n.ymax = std::max(a.ymax, b.ymax);
        return indice;
    }
    double xmin = INFINITY, ymin = INFINITY, xmax = -INFINITY, ymax = -INFINITY;
    for (int32_t i = debut; i < fin; ++i) {
        Candidat c{};
        if (regroupe_)
            c = groupes_[std::size_t(i)].premier;
        else
            CandidatDe(candidats_[std::size_t(i)], c);
        const double ecart = regroupe_ ? groupes_[std::size_t(i)].ecart : 0.0;
        for (const double t : {-Debord, 1.0 + Debord}) {
            const double x = c.x0 + t * c.dx, y = c.y0 + t * c.dy;
            xmin = std::min(xmin, x - ecart);
            xmax = std::max(xmax, x + ecart);
            ymin = std::min(ymin, y - ecart);
            ymax = std::max(ymax, y + ecart);
        }
    }
    Noeud& n = noeuds_[std::size_t(indice)];
    n.xmin = VersLeBas(xmin), n.ymin = VersLeBas(ymin);
    n.xmax = VersLeHaut(xmax), n.ymax = VersLeHaut(ymax);
    return indice;
}

void ProximiteSegments::Libere() {
    std::vector<int32_t>().swap(candidats_);
    std::vector<Groupe>().swap(groupes_);
    std::vector<int32_t>().swap(membres_);
    std::vector<Noeud>().swap(noeuds_);
    trace_ = {};
    mode_ = Mode::Jamais;
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
            for (int32_t i = n.debut; i < n.fin; ++i)
                if (ElementTropProche(i, q)) return true;
            continue;
        }
        // Segments earlier in the trace are asked first, as the others would be.
        pile[hauteur++] = n.droite;
        pile[hauteur++] = n.gauche;
    }
    return false;
}

namespace {

double Distance2PointSegment(double px, double py, double ax, double ay, double bx, double by) {
    const double ux = bx - ax, uy = by - ay, l = ux * ux + uy * uy;
    const double t = l > 0.0 ? std::clamp(((px - ax) * ux + (py - ay) * uy) / l, 0.0, 1.0) : 0.0;
    // From the nearer end: a segment coming from very far keeps its precision near the point.
    const double dx = t <= 0.5 ? ax + t * ux - px : bx - (1.0 - t) * ux - px;
    const double dy = t <= 0.5 ? ay + t * uy - py : by - (1.0 - t) * uy - py;
    return dx * dx + dy * dy;
}

// The side of c from the line a → b: its sign, zero when on it.
double Orient(double ax, double ay, double bx, double by, double cx, double cy) {
    return (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
}

// Distance between the segments p0 p1 and q0 q1: zero when they cross, otherwise the
// nearest of an end to the other segment.
double DistanceSegments(double p0x, double p0y, double p1x, double p1y, double q0x, double q0y, double q1x,
                        double q1y) {
    const double o1 = Orient(p0x, p0y, p1x, p1y, q0x, q0y), o2 = Orient(p0x, p0y, p1x, p1y, q1x, q1y);
    const double o3 = Orient(q0x, q0y, q1x, q1y, p0x, p0y), o4 = Orient(q0x, q0y, q1x, q1y, p1x, p1y);
    if (((o1 > 0.0 && o2 < 0.0) || (o1 < 0.0 && o2 > 0.0)) && ((o3 > 0.0 && o4 < 0.0) || (o3 < 0.0 && o4 > 0.0)))
        return 0.0;
    return std::sqrt(std::min(
        {Distance2PointSegment(q0x, q0y, p0x, p0y, p1x, p1y), Distance2PointSegment(q1x, q1y, p0x, p0y, p1x, p1y),
         Distance2PointSegment(p0x, p0y, q0x, q0y, q1x, q1y), Distance2PointSegment(p1x, p1y, q0x, q0y, q1x, q1y)}));
}

}  // namespace

bool ProximiteSegments::SegmentCoupe(int32_t s, double ax, double ay, double bx, double by) const {
    const PointTrace& p = trace_[std::size_t(s)];
    const PointTrace& q = trace_[std::size_t(s) + 1];
    const bool finiP = Fini(p), finiQ = Fini(q);
    if (!finiP && !finiQ) return false;
    const PointTrace& u = finiP ? p : q;
    const PointTrace& v = finiQ ? q : p;
    // A drawn segment wholly beyond the threshold on one side of the cut's line is never
    // too close: the neighbours of an offset segment, one radius beside it, go at this cost.
    const double ux = bx - ax, uy = by - ay, l = std::sqrt(ux * ux + uy * uy);
    if (mode_ != Mode::ChaqueSegment && l > 0.0) {
        const double du = (ux * (u.Y - ay) - uy * (u.X - ax)) / l, dv = (ux * (v.Y - ay) - uy * (v.X - ax)) / l;
        if ((du > seuil_ && dv > seuil_) || (du < -seuil_ && dv < -seuil_)) return false;
    }
    return rayon_ - DistanceSegments(ax, ay, bx, by, u.X, u.Y, v.X, v.Y) > 0.01;
}

bool ProximiteSegments::ElementCoupe(int32_t i, double ax, double ay, double bx, double by) const {
    if (!regroupe_) return SegmentCoupe(candidats_[std::size_t(i)], ax, ay, bx, by);
    const Groupe& g = groupes_[std::size_t(i)];
    for (int32_t m = g.debut; m < g.fin; ++m)
        if (SegmentCoupe(membres_[std::size_t(m)], ax, ay, bx, by)) return true;
    return false;
}

bool ProximiteSegments::SegmentTropProche(const PointTrace& a, const PointTrace& b) const {
    if (mode_ == Mode::Jamais || !Fini(a) || !Fini(b)) return false;
    const double ax = a.X, ay = a.Y, bx = b.X, by = b.Y;
    if (mode_ == Mode::ChaqueSegment) {
        for (std::size_t s = 0; s + 1 < trace_.size(); ++s)
            if (SegmentCoupe(int32_t(s), ax, ay, bx, by)) return true;
        return false;
    }
    if (mode_ == Mode::Liste) {
        for (int32_t i = 0, n = NbElements(); i < n; ++i)
            if (ElementCoupe(i, ax, ay, bx, by)) return true;
        return false;
    }
    const double xmin = std::min(ax, bx) - bordure_, xmax = std::max(ax, bx) + bordure_;
    const double ymin = std::min(ay, by) - bordure_, ymax = std::max(ay, by) + bordure_;
    int32_t pile[96];
    int hauteur = 0;
    pile[hauteur++] = 0;
    while (hauteur > 0) {
        const Noeud& n = noeuds_[std::size_t(pile[--hauteur])];
        if (n.xmin > xmax || n.xmax < xmin || n.ymin > ymax || n.ymax < ymin) continue;
        if (n.gauche < 0) {
            for (int32_t i = n.debut; i < n.fin; ++i)
                if (ElementCoupe(i, ax, ay, bx, by)) return true;
            continue;
        }
        pile[hauteur++] = n.droite;
        pile[hauteur++] = n.gauche;
    }
    return false;
}

}  // namespace korvelin
