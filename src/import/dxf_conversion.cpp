#include "import/dxf_conversion.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "model/nombres.h"
#include "import/diagnostic.h"
#include "import/limites.h"
#include "model/listes.h"

namespace korvelin {

namespace {

// The farthest a chord may stray from a spline, in drawing units (millimetres): well
// inside the 0.01 mm the offset leaves between the cutter and the part, so that a flattened
// curve written with three decimals never eats into it.
constexpr double ToleranceCourbe = 0.002;
// A spline span is halved at most this many times: 65536 chords.
constexpr int ProfondeurMax = 16;
// Drawing programs stay far below; the evaluation works on a fixed array this size.
constexpr int MaxDegreSpline = 11;
// Rows and columns of an INSERT array, as the 16-bit fields of the format allow.
constexpr long MaxRangees = 32767;

// A double as a 32-bit float without the undefined conversion of values out of range.
float EnFloat(double v) {
    constexpr double Max = std::numeric_limits<float>::max();
    if (std::isfinite(v) && std::fabs(v) > Max) return std::copysign(std::numeric_limits<float>::infinity(), v);
    return static_cast<float>(v);
}

// A flag or a count written as a number, within bounds that no cast can overflow.
long EnEntier(double v, long min, long max) {
    if (!(v >= static_cast<double>(min))) return min;
    if (v >= static_cast<double>(max)) return max;
    return static_cast<long>(v);
}

struct Point3 {
    double x = 0.0, y = 0.0, z = 0.0;
};

Point3 operator-(Point3 a, Point3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Point3 operator+(Point3 a, Point3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Point3 operator*(double k, Point3 a) { return {k * a.x, k * a.y, k * a.z}; }
double Norme(Point3 a) { return std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z); }
Point3 Vectoriel(Point3 a, Point3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }

// The unit vector of a direction; nothing usable (zero, infinite) gives the fallback.
Point3 Unitaire(Point3 a, Point3 repli) {
    const double n = Norme(a);
    if (!(n > 0.0) || !std::isfinite(n)) return repli;
    return (1.0 / n) * a;
}

// a after b.
Placement Produit(const Placement& a, const Placement& b) {
    Placement r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 4; ++j) {
            double s = j == 3 ? a.M[i][3] : 0.0;
            for (int k = 0; k < 3; ++k) s += a.M[i][k] * b.M[k][j];
            r.M[i][j] = s;
        }
    return r;
}

Point3 Applique(const Placement& p, Point3 q) {
    const auto& m = p.M;
    return {m[0][0] * q.x + m[0][1] * q.y + m[0][2] * q.z + m[0][3],
            m[1][0] * q.x + m[1][1] * q.y + m[1][2] * q.z + m[1][3],
            m[2][0] * q.x + m[2][1] * q.y + m[2][2] * q.z + m[2][3]};
}

Point3 Direction(const Placement& p, Point3 q) {
    const auto& m = p.M;
    return {m[0][0] * q.x + m[0][1] * q.y + m[0][2] * q.z, m[1][0] * q.x + m[1][1] * q.y + m[1][2] * q.z,
            m[2][0] * q.x + m[2][1] * q.y + m[2][2] * q.z};
}

// The object coordinate system of an extrusion direction, by the arbitrary axis rule:
// arcs, circles, polylines and block references are written in the plane normal to it.
// (0, 0, -1), which CAD programs write for mirrored entities, turns X into -X.
Placement RepereObjet(double nx, double ny, double nz) {
    Placement r;
    const Point3 n = Unitaire({nx, ny, nz}, {0.0, 0.0, 1.0});
    if (n.x == 0.0 && n.y == 0.0 && n.z > 0.0) return r;
    constexpr double Seuil = 1.0 / 64.0;
    const Point3 ax = Unitaire(std::fabs(n.x) < Seuil && std::fabs(n.y) < Seuil ? Vectoriel({0.0, 1.0, 0.0}, n)
                                                                                : Vectoriel({0.0, 0.0, 1.0}, n),
                               {1.0, 0.0, 0.0});
    const Point3 ay = Unitaire(Vectoriel(n, ax), {0.0, 1.0, 0.0});
    const Point3 axes[3] = {ax, ay, n};
    for (int j = 0; j < 3; ++j) {
        r.M[0][j] = axes[j].x;
        r.M[1][j] = axes[j].y;
        r.M[2][j] = axes[j].z;
    }
    return r;
}

// An angle in degrees brought into [0, 360]. Within one turn of that range the single
// correction is kept as it is (720 stays a full turn from 0); beyond, the angle is taken
// modulo 360 so that the chord loops stay bounded.
float AngleArc(float a) {
    a = NormaliseAngle(a);
    if (a < 0.0f || a > 360.0f) {
        a = std::fmod(a, 360.0f);
        if (a < 0.0f) a += 360.0f;
    }
    return a;
}

// An ellipse parameter far outside the usual range is taken modulo a turn.
float ParametreEllipse(float t) {
    if (std::fabs(t) <= 4.0 * Pi) return t;
    double r = std::fmod(static_cast<double>(t), 2.0 * Pi);
    if (r < 0.0) r += 2.0 * Pi;
    return static_cast<float>(r);
}

// Steps per half turn that keep every chord of the ellipse c + u cos t + v sin t within
// ToleranceCourbe of it: a chord over a parameter step h strays at most |P''| h² / 8, and
// |P''| never exceeds the longer half axis. Never fewer than the 32 of small ellipses.
int PasEllipse(double ux, double uy, double vx, double vy) {
    const double a = std::max(std::hypot(ux, uy), std::hypot(vx, vy));
    if (!std::isfinite(a) || a <= 0.0) return 32;
    const double pas = std::sqrt(8.0 * ToleranceCourbe / a);
    return static_cast<int>(std::clamp(std::ceil(Pi / pas), 32.0, 1.0e5));
}

template <class P>
double EcartAuSegment(P p, P a, P b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double l2 = dx * dx + dy * dy;
    double t = l2 > 0.0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / l2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(p.x - a.x - t * dx, p.y - a.y - t * dy);
}

// Knots that make a usable curve: as many as the degree and the control points ask,
// finite, never decreasing, with a span that is not empty.
bool NoeudsUtilisables(const double* t, std::size_t nb, std::size_t n, int p) {
    if (nb != n + static_cast<std::size_t>(p) + 1) return false;
    for (std::size_t i = 0; i < nb; ++i)
        if (!std::isfinite(t[i]) || (i > 0 && t[i] < t[i - 1])) return false;
    return t[p] < t[n];
}

}  // namespace

float NormaliseAngle(float angle) {
    if (angle > 360.0f) return angle - 360.0f;
    if (angle < 0.0f) return angle + 360.0f;
    return angle;
}

TraceurDXF::TraceurDXF(const DocumentDXF& doc, std::string_view derniereSequence, LimitesDXF limites)
    : doc_(doc), limites_(limites), debut_(derniereSequence), sequenceVide_(derniereSequence.empty()) {
    if (!sequenceVide_) sequence_ = Code2::De(derniereSequence);
    blocParNom_.assign(doc_.Noms.size(), -1);
    for (std::size_t i = 0; i < doc_.Blocs.size(); ++i) {
        const uint32_t nom = doc_.Blocs[i].Nom;
        if (nom < blocParNom_.size() && blocParNom_[nom] < 0) blocParNom_[nom] = static_cast<long>(i);
    }
    enCours_.assign(doc_.Blocs.size(), 0);
}

std::string TraceurDXF::DerniereSequence() const { return nouvelle_ ? sequence_.Texte() : debut_; }

void TraceurDXF::ConvertitTout() {
    const Placement identite;
    for (const EntiteDXF& e : doc_.Entites) {
        if (depassement_) break;
        ConvertitEntite(e, identite);
    }
}

void TraceurDXF::ConvertitEntite(const EntiteDXF& e, const Placement& pl) {
    if (depassement_) return;
    if (++nbEntites_ > limites_.MaxEntites) {
        depassement_ = true;
        return;
    }
    const double* v = doc_.ValeursDe(e);
    if (e.Type == TypeDXF::Insertion)
        Insertion(v, pl);
    else if (e.Type == TypeDXF::Cote)
        // A dimension's block is drawn where the entity holding the dimension is.
        DevelopperBloc(v[ChampsCote::Nom], pl);
    else
        Primitive(e, v, pl);
}

// One entity drawn as a whole or not at all: an entity with a coordinate out of range
// leaves no point and uses no label.
void TraceurDXF::Primitive(const EntiteDXF& e, const double* v, const Placement& pl) {
    const std::size_t n = points_.size(), comptes = nbPointsComptes_;
    const Code2 sequence = sequence_;
    const bool vide = sequenceVide_, nouvelle = nouvelle_;
    horsLimites_ = false;
    switch (e.Type) {
        case TypeDXF::Ligne: Ligne(v, pl); break;
        case TypeDXF::Arc: ArcOuCercle(v, pl, true); break;
        case TypeDXF::Cercle: ArcOuCercle(v, pl, false); break;
        case TypeDXF::Ellipse: Ellipse(v, pl); break;
        case TypeDXF::Polyligne:
        case TypeDXF::PolyligneLegere: Polyligne(e, v, pl); break;
        case TypeDXF::Spline: Spline(v, e.Nombre, pl); break;
        case TypeDXF::Insertion:
        case TypeDXF::Cote: break;
    }
    if (horsLimites_ && !depassement_) {
        points_.resize(n);
        nbPointsComptes_ = comptes;
        sequence_ = sequence;
        sequenceVide_ = vide;
        nouvelle_ = nouvelle;
        ++nbHorsLimites_;
    }
    horsLimites_ = false;
}

TraceurDXF::Plan TraceurDXF::PlanObjet(const Placement& pl, double nx, double ny, double nz, double elevation) {
    const Placement repere = Produit(pl, RepereObjet(nx, ny, nz));
    const auto& m = repere.M;
    return {m[0][0], m[0][1], m[1][0], m[1][1], m[0][2] * elevation + m[0][3], m[1][2] * elevation + m[1][3]};
}

void TraceurDXF::Part(Point2 p) {
    crayon_ = p;
    premierTrait_ = true;
}

void TraceurDXF::Vers(Point2 p) {
    AjouteSegment(crayon_.x, crayon_.y, p.x, p.y, premierTrait_);
    premierTrait_ = false;
    crayon_ = p;
}

void TraceurDXF::Ligne(const double* v, const Placement& pl) {
    using C = ChampsLigne;
    const Point3 a = Applique(pl, {v[C::X1], v[C::Y1], v[C::Z1]});
    const Point3 b = Applique(pl, {v[C::X2], v[C::Y2], v[C::Z2]});
    AjouteSegment(a.x, a.y, b.x, b.y, true);
}

void TraceurDXF::ArcOuCercle(const double* v, const Placement& pl, bool arc) {
    using C = ChampsArc;
    const Plan plan = PlanObjet(pl, v[C::NX], v[C::NY], v[C::NZ], v[C::CZ]);
    const Point2 centre = plan(v[C::CX], v[C::CY]);
    const double r = std::fabs(v[C::Rayon]);

    // Turned, scaled alike on both axes, mirrored: still a circle, whose chords follow the
    // drawing's angles. A mirror runs the arc the other way round: its ends swap and reflect.
    const double s = std::hypot(plan.a, plan.c);
    const double eps = 1e-9 * std::max({s, std::fabs(plan.b), std::fabs(plan.d)});
    const bool direct = std::fabs(plan.a - plan.d) <= eps && std::fabs(plan.b + plan.c) <= eps;
    const bool miroir = std::fabs(plan.a + plan.d) <= eps && std::fabs(plan.b - plan.c) <= eps;
    if (direct || miroir) {
        const double phi = s > 0.0 ? std::atan2(plan.c, plan.a) * 180.0 / Pi : 0.0;
        if (!arc)
            TraceCercle(centre.x, centre.y, r * s);
        else if (direct)
            TraceArc(centre.x, centre.y, r * s, EnFloat(v[C::Debut] + phi), EnFloat(v[C::Fin] + phi));
        else
            TraceArc(centre.x, centre.y, r * s, EnFloat(phi - v[C::Fin]), EnFloat(phi - v[C::Debut]));
        return;
    }

    // Scaled unequally or seen at a slant: an ellipse, drawn by the chords of the arc as
    // they land.
    double a0 = arc ? v[C::Debut] : 0.0, a1 = arc ? v[C::Fin] : 360.0;
    if (!std::isfinite(a0) || !std::isfinite(a1)) {
        horsLimites_ = true;
        return;
    }
    a0 = std::fmod(a0, 360.0);
    double balayage = arc ? std::fmod(a1, 360.0) - a0 : 360.0;
    if (balayage < 0.0) balayage += 360.0;
    const auto point = [&](double angle) {
        const double t = angle * Pi / 180.0;
        return plan(v[C::CX] + r * std::cos(t), v[C::CY] + r * std::sin(t));
    };
    Part(point(a0));
    CordesArc(plan, v[C::CX], v[C::CY], r, a0, balayage, point(a0 + balayage));
}

// Chords of one degree from the start angle, in the direction of the sweep (degrees, at
// most a turn either way); the last one, shorter, ends on the given point.
void TraceurDXF::CordesArc(const Plan& plan, double cx, double cy, double rayon, double debut, double balayage,
                           Point2 fin) {
    const int n = static_cast<int>(std::ceil(std::min(std::fabs(balayage), 360.0) - 1e-9));
    const double pas = balayage < 0.0 ? -1.0 : 1.0;
    for (int k = 1; k < n && !horsLimites_ && !depassement_; ++k) {
        const double t = (debut + k * pas) * Pi / 180.0;
        Vers(plan(cx + rayon * std::cos(t), cy + rayon * std::sin(t)));
    }
    Vers(fin);
}

void TraceurDXF::Ellipse(const double* v, const Placement& pl) {
    using C = ChampsEllipse;
    const Point3 c = Applique(pl, {v[C::CX], v[C::CY], v[C::CZ]});
    const Point3 grand{v[C::AX], v[C::AY], v[C::AZ]};
    // The minor axis turns from the major one about the extrusion direction: (0, 0, -1)
    // runs the ellipse clockwise.
    const Point3 normale = Unitaire({v[C::NX], v[C::NY], v[C::NZ]}, {0.0, 0.0, 1.0});
    const double rapport = v[C::Rapport];
    if (!std::isfinite(rapport)) {
        horsLimites_ = true;
        return;
    }
    const Point3 u = Direction(pl, grand);
    const Point3 w = Direction(pl, rapport * Vectoriel(normale, grand));
    EchantillonneEllipse({c.x, c.y}, {u.x, u.y}, {w.x, w.y}, EnFloat(v[C::Debut]), EnFloat(v[C::Fin]),
                         PasEllipse(u.x, u.y, w.x, w.y));
}

// The vertices in order, each with the bulge of the segment it starts. A bulge is the
// tangent of a quarter of the arc's angle, negative clockwise; above 1 the arc is more
// than half a circle.
void TraceurDXF::Polyligne(const EntiteDXF& e, const double* v, const Placement& pl) {
    using C = ChampsPolyligne;
    const bool legere = e.Type == TypeDXF::PolyligneLegere;
    const long drapeaux = EnEntier(v[C::Drapeaux], 0, 0xFFFF);
    // Meshes and polyface meshes are surfaces, not paths.
    if (!legere && (drapeaux & (16 | 64))) return;
    const bool fermee = drapeaux & 1;
    const bool espace = !legere && (drapeaux & 8);

    sommets_.clear();
    if (legere) {
        using S = ChampsSommetLeger;
        for (std::size_t i = C::Nombre; i + S::Nombre <= e.Nombre; i += S::Nombre)
            sommets_.push_back({v[i + S::X], v[i + S::Y], 0.0, v[i + S::Renflement]});
    } else {
        using S = ChampsSommet;
        for (std::size_t i = C::Nombre; i + S::Nombre <= e.Nombre; i += S::Nombre) {
            // The frame of a spline-fit polyline guides the fitting; the curve is the rest.
            if (EnEntier(v[i + S::Drapeaux], 0, 0xFFFF) & 16) continue;
            sommets_.push_back({v[i + S::X], v[i + S::Y], v[i + S::Z], espace ? 0.0 : v[i + S::Renflement]});
        }
    }
    const std::size_t n = sommets_.size();
    if (n < 2) return;

    if (espace) {
        // A 3-D polyline: its vertices are drawing coordinates, its segments straight.
        const auto place = [&](const Sommet& s) {
            const Point3 p = Applique(pl, {s.x, s.y, s.z});
            return Point2{p.x, p.y};
        };
        Part(place(sommets_[0]));
        for (std::size_t k = 1; k < n && !depassement_ && !horsLimites_; ++k) Vers(place(sommets_[k]));
        if (fermee) Vers(place(sommets_[0]));
        return;
    }
    const Plan plan = PlanObjet(pl, v[C::NX], v[C::NY], v[C::NZ], v[C::Elevation]);
    Part(plan(sommets_[0].x, sommets_[0].y));
    for (std::size_t k = 1; k < n && !depassement_ && !horsLimites_; ++k)
        Renflement(plan, sommets_[k - 1], sommets_[k]);
    if (fermee) Renflement(plan, sommets_[n - 1], sommets_[0]);
}

// The segment from a to b, an arc when a carries a bulge, drawn by chords of one degree.
void TraceurDXF::Renflement(const Plan& plan, const Sommet& a, const Sommet& b) {
    const Point2 fin = plan(b.x, b.y);
    const double renflement = a.renflement;
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double corde = std::hypot(dx, dy);
    if (renflement == 0.0 || !std::isfinite(renflement) || !(corde > 0.0) || !std::isfinite(corde)) {
        Vers(fin);
        return;
    }
    // The centre lies on the chord's perpendicular bisector, on the side the arc turns
    // towards when it is under half a circle, on the other side beyond.
    const double h = corde * (1.0 - renflement * renflement) / (4.0 * renflement);
    const double cx = (a.x + b.x) / 2.0 - dy / corde * h, cy = (a.y + b.y) / 2.0 + dx / corde * h;
    const double rayon = std::hypot(a.x - cx, a.y - cy);
    const double debut = std::atan2(a.y - cy, a.x - cx) * 180.0 / Pi;
    CordesArc(plan, cx, cy, rayon, debut, 4.0 * std::atan(renflement) * 180.0 / Pi, fin);
}

void TraceurDXF::Spline(const double* v, std::size_t nb, const Placement& pl) {
    using C = ChampsSpline;
    const std::size_t nk = static_cast<std::size_t>(v[C::NbNoeuds]), nw = static_cast<std::size_t>(v[C::NbPoids]);
    const std::size_t nc = static_cast<std::size_t>(v[C::NbControles]);
    const std::size_t nf = static_cast<std::size_t>(v[C::NbLissage]);
    if (C::Nombre + nk + nw + 3 * (nc + nf) != nb) return;
    if (nc >= 2)
        SplineControles(v, pl);
    else if (nf >= 2)
        SplineLissage(v, pl);
}

// Halves the parameter interval until the curve stays within the tolerance of the chord
// at its quarter, middle and three-quarter points.
template <class Courbe>
void TraceurDXF::Aplatit(const Courbe& courbe, double u0, Point2 p0, double u1, Point2 p1, Point2 milieu,
                         int profondeur) {
    if (depassement_ || horsLimites_) return;
    const double um = 0.5 * (u0 + u1);
    const Point2 q1 = courbe(0.5 * (u0 + um)), q3 = courbe(0.5 * (um + u1));
    for (const Point2& q : {milieu, q1, q3})
        if (!CoordonneeUtilisable(q.x) || !CoordonneeUtilisable(q.y)) {
            horsLimites_ = true;
            return;
        }
    if (profondeur >= ProfondeurMax ||
        (EcartAuSegment(milieu, p0, p1) <= ToleranceCourbe && EcartAuSegment(q1, p0, p1) <= ToleranceCourbe &&
         EcartAuSegment(q3, p0, p1) <= ToleranceCourbe)) {
        Vers(p1);
        return;
    }
    Aplatit(courbe, u0, p0, um, milieu, q1, profondeur + 1);
    Aplatit(courbe, um, milieu, u1, p1, q3, profondeur + 1);
}

// A rational B-spline by its control points, knots and weights. The control points are
// placed first (the curve follows them under any affine map), then each span is
// evaluated by de Boor's algorithm.
void TraceurDXF::SplineControles(const double* v, const Placement& pl) {
    using C = ChampsSpline;
    const std::size_t nk = static_cast<std::size_t>(v[C::NbNoeuds]), nw = static_cast<std::size_t>(v[C::NbPoids]);
    const std::size_t n = static_cast<std::size_t>(v[C::NbControles]);
    const double* noeudsLus = v + C::Nombre;
    const double* poidsLus = noeudsLus + nk;
    const double* controles = poidsLus + nw;
    const int p = static_cast<int>(std::min<long>(EnEntier(v[C::Degre], 1, MaxDegreSpline), static_cast<long>(n) - 1));

    // Knots that do not fit are replaced by clamped uniform ones; weights that do not fit
    // make the curve polynomial.
    std::vector<double> t(noeudsLus, noeudsLus + nk);
    if (!NoeudsUtilisables(t.data(), nk, n, p)) {
        t.assign(n + p + 1, 0.0);
        for (std::size_t i = p + 1; i < t.size(); ++i) t[i] = static_cast<double>(std::min(i - p, n - p));
    }
    bool rationnelle = nw == n;
    for (std::size_t i = 0; rationnelle && i < nw; ++i) rationnelle = std::isfinite(poidsLus[i]) && poidsLus[i] > 0.0;
    std::vector<std::array<double, 3>> pw(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double w = rationnelle ? poidsLus[i] : 1.0;
        const Point3 q = Applique(pl, {controles[3 * i], controles[3 * i + 1], controles[3 * i + 2]});
        pw[i] = {q.x * w, q.y * w, w};
    }

    bool premier = true;
    Point2 fin;
    for (std::size_t k = p; k < n && !depassement_ && !horsLimites_; ++k) {
        if (!(t[k] < t[k + 1])) continue;
        const auto courbe = [&](double u) {
            std::array<double, 3> d[MaxDegreSpline + 1] = {};
            for (int j = 0; j <= p; ++j) d[j] = pw[k - p + j];
            for (int r = 1; r <= p; ++r)
                for (int j = p; j >= r; --j) {
                    const double g = t[k - p + j];
                    const double alpha = (u - g) / (t[k + 1 + j - r] - g);
                    for (int c = 0; c < 3; ++c) d[j][c] = (1.0 - alpha) * d[j - 1][c] + alpha * d[j][c];
                }
            return Point2{d[p][0] / d[p][2], d[p][1] / d[p][2]};
        };
        const Point2 debut = courbe(t[k]);
        if (premier) {
            Part(debut);
            premier = false;
        } else if (debut.x != fin.x || debut.y != fin.y) {
            Vers(debut);  // a knot repeated past the degree breaks the curve
        }
        fin = courbe(t[k + 1]);
        Aplatit(courbe, t[k], debut, t[k + 1], fin, courbe(0.5 * (t[k] + t[k + 1])), 0);
    }
}

// A spline known only by the points it passes through: the cubic through them with
// parameters spaced as the chords (the curve drawing programs make of them), its end
// tangents those of the file or, when not given, estimated from the first and last
// three points. Solved in the entity's own coordinates, placed as Bézier arcs.
void TraceurDXF::SplineLissage(const double* v, const Placement& pl) {
    using C = ChampsSpline;
    const std::size_t nk = static_cast<std::size_t>(v[C::NbNoeuds]), nw = static_cast<std::size_t>(v[C::NbPoids]);
    const std::size_t nc = static_cast<std::size_t>(v[C::NbControles]);
    const std::size_t nf = static_cast<std::size_t>(v[C::NbLissage]);
    const double* lus = v + C::Nombre + nk + nw + 3 * nc;

    std::vector<Point3> q;
    q.reserve(nf);
    for (std::size_t i = 0; i < nf; ++i) {
        const Point3 p{lus[3 * i], lus[3 * i + 1], lus[3 * i + 2]};
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) {
            horsLimites_ = true;
            return;
        }
        if (q.empty() || Norme(p - q.back()) > 0.0) q.push_back(p);
    }
    const std::size_t n = q.size();
    if (n < 2) return;
    std::vector<double> h(n - 1);
    for (std::size_t i = 0; i + 1 < n; ++i) h[i] = Norme(q[i + 1] - q[i]);

    const Point3 corde0 = Unitaire(q[1] - q[0], {1.0, 0.0, 0.0});
    const Point3 corde1 = Unitaire(q[n - 1] - q[n - 2], {1.0, 0.0, 0.0});
    Point3 t0 = corde0, t1 = corde1;
    const int donnees = static_cast<int>(EnEntier(v[C::Tangentes], 0, 3));
    if (donnees == 3) {
        t0 = Unitaire({v[C::TX0], v[C::TY0], v[C::TZ0]}, corde0);
        t1 = Unitaire({v[C::TX1], v[C::TY1], v[C::TZ1]}, corde1);
    } else if (n >= 3) {
        t0 = Unitaire(1.5 * (q[1] - q[0]) - 0.5 * (q[2] - q[1]), corde0);
        t1 = Unitaire(1.5 * (q[n - 1] - q[n - 2]) - 0.5 * (q[n - 2] - q[n - 3]), corde1);
    }

    // Derivatives by arc length at every point: the continuity of the second derivative
    // at each inner point gives a tridiagonal system, solved by elimination.
    std::vector<Point3> d(n);
    d[0] = t0;
    d[n - 1] = t1;
    if (n > 2) {
        std::vector<double> diag(n), sup(n);
        std::vector<Point3> rhs(n);
        for (std::size_t i = 1; i + 1 < n; ++i) {
            rhs[i] = 3.0 * ((h[i] / h[i - 1]) * (q[i] - q[i - 1]) + (h[i - 1] / h[i]) * (q[i + 1] - q[i]));
            diag[i] = 2.0 * (h[i - 1] + h[i]);
            sup[i] = h[i - 1];
        }
        rhs[1] = rhs[1] - h[1] * t0;
        rhs[n - 2] = rhs[n - 2] - h[n - 3] * t1;
        for (std::size_t i = 2; i + 1 < n; ++i) {
            const double k = h[i] / diag[i - 1];
            diag[i] -= k * sup[i - 1];
            rhs[i] = rhs[i] - k * rhs[i - 1];
        }
        for (std::size_t i = n - 2; i >= 1; --i) {
            d[i] = (1.0 / diag[i]) * (i + 2 < n ? rhs[i] - sup[i] * d[i + 1] : rhs[i]);
            if (i == 1) break;
        }
    }

    const auto place = [&](Point3 p) {
        const Point3 r = Applique(pl, p);
        return Point2{r.x, r.y};
    };
    Part(place(q[0]));
    for (std::size_t i = 0; i + 1 < n && !depassement_ && !horsLimites_; ++i) {
        const Point2 b[4] = {place(q[i]), place(q[i] + (h[i] / 3.0) * d[i]), place(q[i + 1] - (h[i] / 3.0) * d[i + 1]),
                             place(q[i + 1])};
        const auto courbe = [&](double u) {
            const double s = 1.0 - u;
            const double c0 = s * s * s, c1 = 3.0 * s * s * u, c2 = 3.0 * s * u * u, c3 = u * u * u;
            return Point2{c0 * b[0].x + c1 * b[1].x + c2 * b[2].x + c3 * b[3].x,
                          c0 * b[0].y + c1 * b[1].y + c2 * b[2].y + c3 * b[3].y};
        };
        Aplatit(courbe, 0.0, b[0], 1.0, b[3], courbe(0.5), 0);
    }
}

// The block lands scaled, turned and moved, its base point on the insertion point; an
// array repeats it along the turned axes. Spacings of 0 repeat nothing.
void TraceurDXF::Insertion(const double* v, const Placement& pl) {
    using C = ChampsInsertion;
    const double nom = v[C::Nom];
    if (!(nom >= 0.0 && nom < static_cast<double>(blocParNom_.size()))) return;
    const long index = blocParNom_[static_cast<std::size_t>(nom)];
    if (index < 0) return;
    const BlocDXF& bloc = doc_.Blocs[static_cast<std::size_t>(index)];

    const Placement exterieur = Produit(pl, RepereObjet(v[C::NX], v[C::NY], v[C::NZ]));
    const double rotation = v[C::Rotation] * Pi / 180.0;
    const double c = std::cos(rotation), s = std::sin(rotation);
    const double ex = v[C::EchelleX], ey = v[C::EchelleY], ez = v[C::EchelleZ];
    const long colonnes = v[C::EcartColonnes] != 0.0 ? EnEntier(v[C::Colonnes], 1, MaxRangees) : 1;
    const long rangees = v[C::EcartRangees] != 0.0 ? EnEntier(v[C::Rangees], 1, MaxRangees) : 1;
    for (long r = 0; r < rangees; ++r)
        for (long k = 0; k < colonnes; ++k) {
            if (depassement_) return;
            // Every copy past the first counts as one more entity.
            if ((r > 0 || k > 0) && ++nbEntites_ > limites_.MaxEntites) {
                depassement_ = true;
                return;
            }
            const double dx = k * v[C::EcartColonnes], dy = r * v[C::EcartRangees];
            Placement propre;
            propre.M[0][0] = c * ex;
            propre.M[0][1] = -s * ey;
            propre.M[1][0] = s * ex;
            propre.M[1][1] = c * ey;
            propre.M[2][2] = ez;
            // The base point goes to the origin before the scale and the turn.
            const double bx = dx - ex * bloc.BaseX, by = dy - ey * bloc.BaseY;
            propre.M[0][3] = v[C::X] + c * bx - s * by;
            propre.M[1][3] = v[C::Y] + s * bx + c * by;
            propre.M[2][3] = v[C::Z] - ez * bloc.BaseZ;
            DevelopperBloc(nom, Produit(exterieur, propre));
        }
}

// A block that is being expanded is not expanded again inside itself, and a name that
// names no block draws nothing.
void TraceurDXF::DevelopperBloc(double nom, const Placement& pl) {
    if (!(nom >= 0.0 && nom < static_cast<double>(blocParNom_.size()))) return;
    const long index = blocParNom_[static_cast<std::size_t>(nom)];
    if (index < 0) return;
    const auto i = static_cast<std::size_t>(index);
    if (enCours_[i]) {
        ++nbBoucles_;
        return;
    }
    if (profondeur_ >= limites_.MaxImbrication) {
        ++nbTropImbriques_;
        return;
    }
    enCours_[i] = 1;
    ++profondeur_;
    for (const EntiteDXF& e : doc_.Blocs[i].Entites) {
        if (depassement_) break;
        ConvertitEntite(e, pl);
    }
    --profondeur_;
    enCours_[i] = 0;
}

void TraceurDXF::AjouteSegment(double x1, double y1, double x2, double y2, bool nouvelleSequence) {
    if (depassement_ || horsLimites_) return;
    if (!CoordonneeUtilisable(x1) || !CoordonneeUtilisable(y1) || !CoordonneeUtilisable(x2) ||
        !CoordonneeUtilisable(y2)) {
        horsLimites_ = true;
        return;
    }
    if (nbPointsComptes_ + 2 > limites_.MaxPoints) {
        depassement_ = true;
        return;
    }
    nbPointsComptes_ += 2;
    if (nouvelleSequence) {
        sequence_ = sequenceVide_ ? ProchaineSequence(std::string_view()) : ProchaineSequence(sequence_);
        sequenceVide_ = false;
        nouvelle_ = true;
    }
    const PointTrace debut{static_cast<float>(x1), static_cast<float>(y1), PlumeBasse, sequence_};
    const bool suite = fusionne_ && !nouvelleSequence && !points_.empty() && points_.back().X == debut.X &&
                       points_.back().Y == debut.Y && points_.back().Sequence == debut.Sequence;
    if (!suite) points_.push_back(debut);
    points_.push_back({static_cast<float>(x2), static_cast<float>(y2), PlumeBasse, sequence_});
}

// Chords of one degree from the start angle; the last chord of each run goes to the end
// angle, even when it has no length left.
void TraceurDXF::TraceArc(double cx, double cy, double rayon, float debut, float fin) {
    if (!std::isfinite(debut) || !std::isfinite(fin)) {
        horsLimites_ = true;
        return;
    }
    const float a0 = AngleArc(debut), a1 = AngleArc(fin);
    float p = a0;
    bool premiere = true;
    // Each chord starts at the angle the previous one ended on: its point is kept.
    float angleConnu = std::numeric_limits<float>::quiet_NaN();
    Point2 pointConnu;
    const auto point = [&](float angle) {
        if (angle != angleConnu) {
            const double r = angle * Pi / 180.0;
            pointConnu = {rayon * std::cos(r) + cx, rayon * std::sin(r) + cy};
            angleConnu = angle;
        }
        return pointConnu;
    };
    const auto corde = [&](float de, float a) {
        const Point2 q0 = point(de);
        const Point2 q1 = point(a);
        AjouteSegment(q0.x, q0.y, q1.x, q1.y, premiere);
        premiere = false;
        p = a;
    };
    if (a0 <= a1) {
        for (float a = a0; a <= a1 - 1.0f; a += 1.0f) corde(a, a + 1.0f);
        corde(p, a1);
    } else {
        for (float a = a0; a <= 359.0f; a += 1.0f) corde(a, a + 1.0f);
        corde(p, 360.0f);
        for (float a = 0.0f; a <= a1 - 1.0f; a += 1.0f) corde(a, a + 1.0f);
        corde(p, a1);
    }
}

void TraceurDXF::TraceCercle(double cx, double cy, double rayon) { TraceArc(cx, cy, rayon, 0.0f, 360.0f); }

void TraceurDXF::TraceEllipse(double cx, double cy, double grandX, double grandY, float rapport, float debut, float fin,
                              int pasParDemiTour) {
    if (!std::isfinite(rapport)) {
        horsLimites_ = true;
        return;
    }
    EchantillonneEllipse({cx, cy}, {grandX, grandY}, {-rapport * grandY, rapport * grandX}, debut, fin, pasParDemiTour);
}

// The points c + u cos t + v sin t; u and v are the ends of two conjugate half axes.
void TraceurDXF::EchantillonneEllipse(Point2 c, Point2 u, Point2 v, float debut, float fin, int pasParDemiTour) {
    if (!std::isfinite(debut) || !std::isfinite(fin) || pasParDemiTour <= 0) {
        horsLimites_ = true;
        return;
    }
    const float t0 = ParametreEllipse(debut);
    float t1 = ParametreEllipse(fin);
    if (t1 < t0) t1 = EnFloat(t1 + 2.0 * Pi);
    const float limite = EnFloat(t1 + Pi / (2.0 * pasParDemiTour));
    const float pas = EnFloat(Pi / pasParDemiTour);

    // The samples are those of the step loop from the start parameter, the last one taken at
    // the end parameter itself so that an elliptical arc ends where the next entity starts
    // (an arc shorter than half a step is then one chord instead of nothing).
    std::size_t echantillons = 0;
    const auto echantillon = [&](double parametre) {
        const double ct = std::cos(parametre), st = std::sin(parametre);
        const Point2 p{c.x + u.x * ct + v.x * st, c.y + u.y * ct + v.y * st};
        if (echantillons == 0)
            Part(p);
        else
            Vers(p);
        ++echantillons;
    };
    for (float t = t0; t <= limite && !depassement_ && !horsLimites_; t += pas) {
        const bool dernier = !(t + pas <= limite);
        if (!dernier || echantillons == 0) echantillon(t);
        if (dernier && t1 != t0) echantillon(t1);
    }
}

namespace {

Diagnostic TropGrand(std::string_view nom, const LimitesDXF& limites) {
    return Erreur(
        "Ce dessin est trop grand pour être importé : une fois ses blocs développés, il "
        "dépasse " +
            TexteEntier(limites.MaxPoints) + " points ou " + TexteEntier(limites.MaxEntites) + " entités.",
        nom);
}

}  // namespace

DessinLuDXF ConvertitDXF(DocumentDXF doc, std::string_view nomFichier, std::string_view derniereSequence,
                         const LimitesDXF& limites, bool fusionneDoublons) {
    DessinLuDXF l;
    l.DerniereSequence = std::string(derniereSequence);
    if (doc.Tronque) {
        l.diagnostics.push_back(TropGrand(nomFichier, limites));
        return l;
    }
    TraceurDXF traceur(doc, derniereSequence, limites);
    if (fusionneDoublons) traceur.FusionneLesDoublons();
    traceur.ConvertitTout();
    // The records are no longer needed: the welding and the offsets that follow use the room.
    doc = DocumentDXF();
    if (traceur.Depassement()) {
        l.diagnostics.push_back(TropGrand(nomFichier, limites));
        return l;
    }
    if (traceur.NbHorsLimites() || traceur.NbBouclesBlocs() || traceur.NbTropImbriques()) {
        std::string texte = "Certaines entités du dessin ont été ignorées :";
        if (traceur.NbHorsLimites())
            texte += "\n- " + TexteEntier(traceur.NbHorsLimites()) + " aux coordonnées hors limites";
        if (traceur.NbBouclesBlocs())
            texte += "\n- " + TexteEntier(traceur.NbBouclesBlocs()) + " insertion(s) d'un bloc dans lui-même";
        if (traceur.NbTropImbriques())
            texte += "\n- " + TexteEntier(traceur.NbTropImbriques()) + " bloc(s) imbriqué(s) trop profondément";
        l.diagnostics.push_back(Avertissement(std::move(texte), nomFichier));
    }

    std::vector<PointTrace>& points = traceur.Points();
    if (points.empty()) return l;

    BornesImport& b = l.Bornes;
    b = {points[0].X, points[0].X, points[0].Y, points[0].Y};
    for (const PointTrace& p : points) {
        if (p.X < b.Xmin)
            b.Xmin = p.X;
        else if (p.X > b.Xmax)
            b.Xmax = p.X;
        if (p.Y < b.Ymin)
            b.Ymin = p.Y;
        else if (p.Y > b.Ymax)
            b.Ymax = p.Y;
    }
    l.DerniereSequence = traceur.DerniereSequence();
    l.Points = std::move(points);
    return l;
}

}  // namespace korvelin
