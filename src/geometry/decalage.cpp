#include "geometry/decalage.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <span>
#include <string>
#include <unordered_map>

#include "geometry/bouts.h"
#include "geometry/index_sequences.h"
#include "geometry/proximite.h"
#include "model/listes.h"
#include "model/nombres.h"
#include "model/primitives.h"

namespace korvelin {

namespace {

constexpr std::string_view MessageIntersection = "Problème d'intersection";
constexpr std::string_view MessageTropDePoints = "Le décalage dépasse 40000000 points : calcul abandonné !";

// A vertex farther than this many radii from its drawn point comes from two nearly
// parallel lines meeting far away, where the trace turns back on itself or nearly: the
// machine would run into its end stops.
constexpr double RayonsMax = 10.0;
// With the option for very convex corners the cutter rolls round every corner sharper
// than 60°, whose vertex lies more than two radii out. A concave vertex that far out is
// kept only where both its segments reach along it (a real narrow notch); beside a tiny
// back-step of a jittery curve it would lie far off the part, so it is left out.
constexpr double RayonsMaxSaillant = 2.0;
constexpr double PasArc = 10.0 * Pi / 180.0;
// The rounded corners can give a drawing of hairpins nineteen offset points for each of
// its own: past this many points for the whole drawing the offset is abandoned rather
// than let it fill the memory.
constexpr std::size_t MaxPointsDecales = 40'000'000;
// Past this many points, a trace's segment index is not kept for the next trace.
constexpr std::size_t TraceLongue = 1 << 16;

// The two points at distance R beside P, square to the direction theta.
void PointsLateraux(const PointTrace& P, double theta, double R, PointTrace& gauche, PointTrace& droite) {
    const double cx = R * std::cos(theta + Pi / 2.0);
    const double cy = R * std::sin(theta + Pi / 2.0);
    gauche = PointTrace{};
    droite = PointTrace{};
    gauche.X = static_cast<float>(P.X + cx);
    gauche.Y = static_cast<float>(P.Y + cy);
    droite.X = static_cast<float>(P.X - cx);
    droite.Y = static_cast<float>(P.Y - cy);
}

// The line of direction theta at distance R beside P, in double: the cutter's centre line
// along a segment through P.
Droite Parallele(const PointTrace& P, double theta, double R, bool gauche) {
    const double sn = std::sin(theta), cs = std::cos(theta), r = gauche ? R : -R;
    const double x = double(P.X) - r * sn, y = double(P.Y) + r * cs;
    return {sn, -cs, y * cs - x * sn};
}

PointTrace Lateral(const PointTrace& P, double theta, double R, bool gauche) {
    PointTrace g, d;
    PointsLateraux(P, theta, R, g, d);
    return gauche ? g : d;
}

bool MemePosition(const PointTrace& a, const PointTrace& b) { return a.X == b.X && a.Y == b.Y; }

struct Vecteur {
    double x = 0.0, y = 0.0;
    bool Nul() const { return x == 0.0 && y == 0.0; }
};

Vecteur De(const PointTrace& a, const PointTrace& b) {
    return {static_cast<double>(b.X) - a.X, static_cast<double>(b.Y) - a.Y};
}

enum class Forme { Saillant, Rentrant, Droit };

// The corner between the directions u and v, seen from the cutter's side (cote: +1 when it
// runs on the left, -1 on the right, 0 for a zero radius). Doubling back exactly is a
// convex corner on both sides.
Forme FormeCoin(Vecteur u, Vecteur v, int cote) {
    const double croix = u.x * v.y - u.y * v.x;
    const double scalaire = u.x * v.x + u.y * v.y;
    if (cote == 0) return Forme::Droit;
    if (croix == 0.0) {
        if (scalaire < 0.0) return Forme::Saillant;
        return scalaire > 0.0 ? Forme::Droit : Forme::Rentrant;
    }
    // Not a number ends as concave: no vertex is emitted.
    return cote * croix < 0.0 ? Forme::Saillant : Forme::Rentrant;
}

// The signed angle the cutter's centre sweeps round a convex corner; half a turn round
// the outside of the end where the trace doubles back.
double Balayage(Vecteur u, Vecteur v, int cote) {
    const double croix = u.x * v.y - u.y * v.x;
    const double scalaire = u.x * v.x + u.y * v.y;
    return -cote * (croix == 0.0 && scalaire < 0.0 ? Pi : std::atan2(std::fabs(croix), scalaire));
}

// The angle between two points of a rounded corner.
double PasArcPour(double R) {
    // Chords of 10° would cut 0.004 radii inside the circle: past a radius of 2.6 mm more
    // than the 0.01 mm allowed beside the part. Larger cutters get finer steps.
    const double sagitteMax = 0.005;
    // Past the largest cutter the program accepts, the steps stop getting finer.
    return std::fabs(R) > sagitteMax ? std::clamp(2.0 * std::acos(1.0 - sagitteMax / std::fabs(R)), 0.01, PasArc)
                                     : PasArc;
}

// The cutter's centre goes round P from the end of the incoming offset segment to the
// start of the outgoing one, in steps of at most 10°.
void Arc(std::vector<PointTrace>& T, const PointTrace& P, double thetaEntree, double thetaSortie, double balayage,
         double R, bool gauche) {
    const double angle = std::fabs(balayage);
    const int pas = std::isfinite(angle) ? std::max(1, static_cast<int>(std::ceil(angle / PasArcPour(R) - 1e-9))) : 1;
    auto ajoute = [&T](const PointTrace& q) {
        if (T.empty() || !MemePosition(T.back(), q)) T.push_back(q);
    };
    ajoute(Lateral(P, thetaEntree, R, gauche));
    const double r = gauche ? R : -R;
    const double phi = thetaEntree + Pi / 2.0;
    for (int j = 1; j < pas; ++j) {
        const double a = phi + balayage * j / pas;
        PointTrace q;
        q.X = static_cast<float>(P.X + r * std::cos(a));
        q.Y = static_cast<float>(P.Y + r * std::sin(a));
        ajoute(q);
    }
    ajoute(Lateral(P, thetaSortie, R, gauche));
}

// Whether the concave vertex B at P lies beside both of its segments, A → P and P → C:
// then it is within a radius of the drawing, however far from P.
bool Soutenu(const PointTrace& B, const PointTrace& A, const PointTrace& P, const PointTrace& C) {
    const Vecteur u = De(A, P), v = De(P, C), a = De(A, B), p = De(P, B);
    const double lu = u.x * u.x + u.y * u.y, lv = v.x * v.x + v.y * v.y;
    if (lu == 0.0 || lv == 0.0) return false;
    const double tu = (a.x * u.x + a.y * u.y) / lu, tv = (p.x * v.x + p.y * v.y) / lv;
    return tu >= 0.0 && tu <= 1.0 && tv >= 0.0 && tv <= 1.0;
}

// Whether a vertex lies within so many radii of its drawn point, with a few float steps
// of slack so that a zero radius still keeps the vertices that fall on the drawing.
bool AssezPres(const PointTrace& B, const PointTrace& P, double rayons, double R) {
    const double ecart = std::max(std::fabs(double(P.X)), std::fabs(double(P.Y)));
    const double limite = rayons * std::fabs(R) + 1e-6 * (1.0 + ecart);
    const double dx = double(B.X) - P.X, dy = double(B.Y) - P.Y;
    return dx * dx + dy * dy <= limite * limite;
}

enum class Issue { Stocke, Copie, Abandon, Debordement };

uint64_t Melange(uint64_t h, uint64_t v) {
    h = (h ^ v) * 0x9E3779B97F4A7C15ull;
    return h ^ (h >> 31);
}

// The points of the run, its label and the settings the path depends on, in 64 bits:
// never zero, so that zero can mean "not computed".
uint64_t EmpreinteDe(const ReglagesDecalage& r, Code2 etiquette, std::span<const PointTrace> P) {
    uint64_t h = Melange(0x243F6A8885A308D3ull, std::bit_cast<uint64_t>(r.rayon));
    h = Melange(h, (uint64_t(uint16_t(r.cote)) << 2) | (r.optimisation1 ? 2u : 0u) | (r.optimisation2 ? 1u : 0u));
    h = Melange(h, CleEtiquette(etiquette));
    h = Melange(h, P.size());
    for (const PointTrace& p : P) {
        h = Melange(h, (uint64_t(std::bit_cast<uint32_t>(p.X)) << 32) | std::bit_cast<uint32_t>(p.Y));
        h = Melange(h, CleEtiquette(p.Plume) ^ (CleEtiquette(p.Sequence) << 7));
    }
    return h == 0 ? 1 : h;
}

uint64_t PointHache(const PointTrace& p) {
    return Melange(
        Melange(0x13198A2E03707344ull, (uint64_t(std::bit_cast<uint32_t>(p.X)) << 32) | std::bit_cast<uint32_t>(p.Y)),
        CleEtiquette(p.Plume) ^ (CleEtiquette(p.Sequence) << 7));
}

// The same for a closed trace, its last point on its first, whatever point it starts
// from: a sum over its directed segments. Zero when the trace is not closed so.
uint64_t EmpreinteTourDe(const ReglagesDecalage& prm, Code2 etiquette, std::span<const PointTrace> P) {
    const std::size_t n = P.size();
    if (n < 4 || !MemePosition(P[0], P[n - 1]) || !(P[0].Plume == P[n - 1].Plume)) return 0;
    uint64_t somme = 0;
    uint64_t precedent = PointHache(P[0]);
    for (std::size_t i = 1; i < n; ++i) {
        const uint64_t h = PointHache(P[i]);
        somme += Melange(precedent, h);
        precedent = h;
    }
    const uint64_t h = Melange(EmpreinteDe(prm, etiquette, P.first(0)), Melange(somme, n));
    return h == 0 ? 1 : h;
}

// Turns the stored path of entry s to the trace P when P is its old trace started from
// another of its points. False when it is not.
bool TournePourDepart(SequenceDecalee& s, uint64_t tour, std::span<const PointTrace> P) {
    const std::size_t n = P.size();
    if (s.EmpreinteTour == 0 || s.EmpreinteTour != tour || s.Points.size() != n) return false;
    std::size_t j = 0;
    auto egal = [](const PointTrace& p, float x, float y) {
        return std::bit_cast<uint32_t>(p.X) == std::bit_cast<uint32_t>(x) &&
               std::bit_cast<uint32_t>(p.Y) == std::bit_cast<uint32_t>(y);
    };
    while (j + 1 < n && !(egal(P[j], s.DepartX, s.DepartY) && egal(P[j + 1], s.SuivantX, s.SuivantY))) ++j;
    if (j + 1 >= n) return false;
    const std::size_t decalage = (n - 1 - j) % (n - 1);
    s.Points.pop_back();
    std::rotate(s.Points.begin(), s.Points.begin() + std::ptrdiff_t(decalage), s.Points.end());
    s.Points.push_back(s.Points.front());
    s.DepartX = P[0].X, s.DepartY = P[0].Y, s.SuivantX = P[1].X, s.SuivantY = P[1].Y;
    return true;
}

// One computation of paths: what it reads, where it writes, what it has to say, and the
// working storage its traces share.
struct Calcul {
    const Dessin& d;
    std::vector<SequenceDecalee>& entrees;
    const ReglagesDecalage& r;
    const SuiviDecalage& suivi;
    Diagnostics& diagnostics;
    std::vector<PointTrace> travail = {};
    ProximiteSegments proximite = ProximiteSegments();

    Calcul(const Dessin& d_, std::vector<SequenceDecalee>& e, const ReglagesDecalage& r_, const SuiviDecalage& s,
           Diagnostics& diag)
        : d(d_), entrees(e), r(r_), suivi(s), diagnostics(diag) {}

    void Progression(Code2 etiquette, const char* passage, std::size_t point) const {
        if (suivi.pointParPoint && suivi.texte)
            suivi.texte("Tracé " + etiquette.Texte() + passage + TexteEntier(point));
    }
    void Vide() const {
        if (suivi.texte) suivi.texte("");
    }
    void Dit(Gravite g, std::string message) {
        Diagnostic x;
        x.gravite = g;
        x.message = std::move(message);
        diagnostics.push_back(std::move(x));
    }
};

// The side of the trace the cutter runs on, from its first segment.
struct Cote {
    bool gauche = false;
    // +1 when the cutter really runs on the left, -1 on the right, 0 for a zero radius: a
    // negative radius puts the "left" points on the right.
    int physique = 0;
};

Cote CoteDeLaFraise(std::span<const PointTrace> P, const ReglagesDecalage& r) {
    PointTrace gauche, droite;
    PointsLateraux(P[0], AngleSegment(P[0], P[1]), r.rayon, gauche, droite);
    const char cote = CoteDe(P[0], P[1], gauche);
    Cote c;
    c.gauche = r.cote == 1 ? cote == 'D' : cote == 'G';
    c.physique = (r.rayon > 0.0 ? 1 : r.rayon < 0.0 ? -1 : 0) * (c.gauche ? 1 : -1);
    return c;
}

// The points the closing corner takes its lines through: after the start on the first
// offset line, and before the end on the last.
struct Extremites {
    PointTrace apresDebut, avantFin;
};

// The first pass: the start beside the first point, a vertex (or a rounded corner) at
// each inner point, the end beside the last point.
Issue Sommets(Calcul& c, Code2 etiquette, std::span<const PointTrace> P, Cote cote, std::size_t plafond,
              std::vector<PointTrace>& T, Extremites& x) {
    const double R = c.r.rayon;
    const std::size_t n = P.size();
    const bool aGauche = cote.gauche;
    double theta = AngleSegment(P[0], P[1]);
    PointTrace A = Lateral(P[0], theta, R, aGauche);
    T.push_back(A);

    // The last direction the trace had: a repeated point has none of its own.
    Vecteur direction = De(P[0], P[1]);
    double thetaDirection = theta;
    bool dirige = !direction.Nul();
    bool sansDirection = true;
    for (std::size_t i = 1; i < n && sansDirection; ++i) sansDirection = MemePosition(P[i], P[0]);
    const double rayons = c.r.optimisation2 ? RayonsMaxSaillant : RayonsMax;

    // Each vertex: the parallel to the incoming segment meets the bisector of the corner.
    for (std::size_t k = 1; k + 1 < n; ++k) {
        c.Progression(etiquette, " - 1er passage, point n° ", k);
        const Vecteur u = De(P[k - 1], P[k]), v = De(P[k], P[k + 1]);
        if (!u.Nul()) {
            direction = u;
            thetaDirection = theta;
            dirige = true;
        }
        const double thetaSortie = AngleSegment(P[k], P[k + 1]);
        const bool coin = dirige && !v.Nul();
        const Forme formeCoin = coin ? FormeCoin(direction, v, cote.physique) : Forme::Droit;

        // The parallel is taken beside this very point, never through the previous
        // vertex: a rounding carried from vertex to vertex would drift the path towards
        // the trace over a long curve.
        const Droite parallele = Parallele(P[k], theta, R, aGauche);
        const Droite bissectrice = DroiteAngle(P[k], Bissectrice(P[k - 1], P[k], P[k + 1]));
        PointTrace B;
        PointTrace entreeCoin, sortieCoin;
        if (coin && Intersection(parallele, bissectrice, B) &&
            (AssezPres(B, P[k], rayons, R) || (formeCoin == Forme::Rentrant && AssezPres(B, P[k], RayonsMax, R) &&
                                               Soutenu(B, P[k - 1], P[k], P[k + 1])))) {
            T.push_back(B);
            A = entreeCoin = sortieCoin = B;
            theta = thetaSortie;
        } else if (coin) {
            // Too far away: a convex corner is rounded, a concave one gets no vertex.
            entreeCoin = Lateral(P[k], thetaDirection, R, aGauche);
            A = sortieCoin = Lateral(P[k], thetaSortie, R, aGauche);
            if (formeCoin == Forme::Saillant)
                Arc(T, P[k], thetaDirection, thetaSortie, Balayage(direction, v, cote.physique), R, aGauche);
            else if (formeCoin == Forme::Droit)
                T.push_back(A);
            theta = thetaSortie;
        } else if (dirige || !v.Nul()) {
            // Beside a repeated point the cutter keeps to the one direction there is.
            if (dirige)
                theta = thetaDirection;
            else
                theta = thetaSortie;
            A = entreeCoin = sortieCoin = Lateral(P[k], theta, R, aGauche);
            T.push_back(A);
        } else if (sansDirection) {
            // All the trace at one point: it has no side to be offset to.
            c.Dit(Gravite::Information, std::string(MessageIntersection));
            return Issue::Abandon;
        } else {
            // Points repeated at the start: the direction comes later.
            entreeCoin = sortieCoin = A;
        }
        if (k == 1) x.apresDebut = entreeCoin;
        if (k + 2 == n) x.avantFin = sortieCoin;
        if (T.size() > plafond) return Issue::Debordement;
    }

    // The last point stays on the side the path has been running on.
    PointTrace gauche, droite;
    PointsLateraux(P[n - 1], AngleSegment(P[n - 2], P[n - 1]), R, gauche, droite);
    T.push_back(Distance(droite, A) < Distance(gauche, A) ? droite : gauche);
    if (n == 2) {
        x.apresDebut = T.back();
        x.avantFin = T.front();
    }
    return Issue::Stocke;
}

// A closed path meets itself at a proper corner: the vertex where its first and last
// offset lines cross, or an arc round a convex corner too sharp for one.
void FermeCoin(std::span<const PointTrace> P, Cote cote, const ReglagesDecalage& r, const Extremites& x,
               std::vector<PointTrace>& T) {
    const std::size_t n = P.size();
    // The corner at the first point, between the last segment that has a direction and
    // the first one.
    std::size_t dernier = n - 1, premierSegment = 0;
    while (dernier > 0 && MemePosition(P[dernier - 1], P[dernier])) --dernier;
    while (premierSegment + 1 < n && MemePosition(P[premierSegment], P[premierSegment + 1])) ++premierSegment;
    const bool dirigeCoin = dernier > 0 && premierSegment + 1 < n;
    const Vecteur u = dirigeCoin ? De(P[dernier - 1], P[dernier]) : Vecteur{};
    const Vecteur v = dirigeCoin ? De(P[premierSegment], P[premierSegment + 1]) : Vecteur{};
    const Forme forme = dirigeCoin ? FormeCoin(u, v, cote.physique) : Forme::Rentrant;
    const double rayons = r.optimisation2 ? RayonsMaxSaillant : RayonsMax;
    const Droite premiere = DroitePassantPar(T.front(), x.apresDebut);
    const Droite derniere = DroitePassantPar(x.avantFin, T.back());
    PointTrace coin;
    if (Intersection(premiere, derniere, coin) &&
        (AssezPres(coin, P[0], rayons, r.rayon) ||
         (forme == Forme::Rentrant && AssezPres(coin, P[0], RayonsMax, r.rayon) &&
          Soutenu(coin, P[dernier - 1], P[0], P[premierSegment + 1])))) {
        T.back() = coin;
        T.front() = coin;
    } else if (dirigeCoin && forme != Forme::Rentrant) {
        const PointTrace depart = T.front();
        Arc(T, P[0], AngleSegment(P[dernier - 1], P[dernier]), AngleSegment(P[premierSegment], P[premierSegment + 1]),
            Balayage(u, v, cote.physique), r.rayon, cote.gauche);
        if (!MemePosition(T.back(), depart)) T.push_back(depart);
    }
}

// The second pass: offset points that come too near the drawn trace (concave corners)
// would make the cutter bite into the part, so they are dropped.
// True when the path is lifted somewhere.
bool RetireTropProches(Calcul& c, Code2 etiquette, std::span<const PointTrace> P, bool ferme,
                       std::vector<PointTrace>& D) {
    const double R = c.r.rayon;
    const std::size_t m = D.size();
    c.proximite.Prepare(P, R);
    for (std::size_t i = 0; i < m; ++i) {
        c.Progression(etiquette, " - 2nd passage, point n° ", i);
        if (c.proximite.TropProcheDuTrace(D[i])) D[i].Sequence = MarqueSuppression;
    }
    // A closed path whose closing corner goes starts at its first kept point instead and
    // goes round to it again: the run removed round the corner is joined like any other,
    // never left uncut.
    if (ferme && m >= 3 && D[0].Sequence == MarqueSuppression && MemePosition(D[0], D[m - 1])) {
        std::size_t k = 0;
        while (k < m - 1 && D[k].Sequence == MarqueSuppression) ++k;
        if (k < m - 1) {
            D.pop_back();
            std::rotate(D.begin(), D.begin() + std::ptrdiff_t(k), D.end());
            D.push_back(D.front());
        }
    }
    // Every cut between two kept points, above all the straight one that joins the points
    // kept on both sides of a removed run, must itself stay clear of the trace. Where it
    // does not (a spiral tighter than the cutter), the path is lifted over it: the tool
    // rises at the last point before, and comes down at the next kept point as at the
    // start of a trace. Every kept point lies clear of the trace: coming down on it is safe.
    // A removed run longer than a turn round the cutter is no mere concave corner: the
    // trace is too tight for it there, and the user is told which trace.
    std::size_t w = 0, serre = SIZE_MAX, levee = SIZE_MAX;
    double retire = 0.0;
    for (std::size_t i = 0; i < m; ++i) {
        if (i > 0 && (D[i - 1].Sequence == MarqueSuppression || D[i].Sequence == MarqueSuppression))
            retire += Distance(D[i - 1], D[i]);
        if (D[i].Sequence == MarqueSuppression) continue;
        if (retire > 2.0 * Pi * std::fabs(R) && serre == SIZE_MAX) serre = w;
        retire = 0.0;
        if (w > 0 && c.proximite.SegmentTropProche(D[w - 1], D[i])) {
            D[i].Plume = MarqueLevee;
            if (levee == SIZE_MAX) levee = w;
        }
        D[w++] = D[i];
    }
    if (w > 0) {
        D.resize(w);
    } else {
        // Every point would gouge: the trace is left without a path rather than cut along
        // one that bites into the part everywhere.
        D.clear();
        c.Dit(Gravite::Erreur, std::string(MessageRayonTropGrand));
    }
    if (levee != SIZE_MAX)
        c.Dit(Gravite::Avertissement, MessageTropSerre(etiquette, Serre::Leve, levee));
    else if (serre != SIZE_MAX && w > 0)
        c.Dit(Gravite::Avertissement, MessageTropSerre(etiquette, Serre::Retire, serre));
    return levee != SIZE_MAX;
}

// Offsets the run of `nb` points from `premier` into entry `entree`, with at most
// `plafond` points.
Issue DecaleTrace(Calcul& c, Code2 etiquette, int32_t premier, int32_t nb, std::size_t entree, std::size_t plafond,
                  bool* unPourUn = nullptr) {
    if (unPourUn) *unPourUn = false;
    const std::size_t n = static_cast<std::size_t>(nb);
    // The trace's own points, read in place: the drawing does not change meanwhile.
    const std::span<const PointTrace> P(c.d.Trace_Initial.data() + premier, n);

    if (c.r.cote == 2) {
        c.entrees[entree].Points.assign(P.begin(), P.end());
        // A pen state read from a file never lifts the tool.
        for (PointTrace& p : c.entrees[entree].Points)
            if (p.Plume == MarqueLevee) p.Plume = Code2{};
        return Issue::Copie;
    }

    std::vector<PointTrace>& T = c.travail;
    T.clear();
    const bool ferme = TraceFermee(P.data(), n);
    // A point for each drawn point, and the half turn at most that rounds the closing
    // corner: a smooth trace then never moves its path while it grows, which for a
    // million points would hold it twice over for a moment.
    const std::size_t arcFermeture = ferme ? static_cast<std::size_t>(std::ceil(Pi / PasArcPour(c.r.rayon))) + 3 : 0;
    T.reserve(n + arcFermeture);
    const Cote cote = CoteDeLaFraise(P, c.r);
    Extremites x;
    if (const Issue issue = Sommets(c, etiquette, P, cote, plafond, T, x); issue != Issue::Stocke) return issue;
    if (ferme && !MemePosition(T.front(), T.back())) FermeCoin(P, cote, c.r, x, T);
    if (T.size() > plafond) return Issue::Debordement;

    // Handed over rather than copied: a long trace would otherwise be held three times.
    std::vector<PointTrace>& D = c.entrees[entree].Points;
    D.swap(T);
    T.clear();
    for (PointTrace& p : D) p.Sequence = etiquette;
    const std::size_t m = D.size();
    const bool leve = c.r.optimisation1 && RetireTropProches(c, etiquette, P, ferme, D);
    // The index of a long trace goes before the next trace's path or the writing of the
    // job needs the room; that of a short one serves the next trace again.
    if (n > TraceLongue) c.proximite.Libere();
    // One offset point per drawn point, closed on itself, nothing removed nor lifted.
    if (unPourUn) *unPourUn = !leve && m == n && D.size() == n && MemePosition(D.front(), D.back());
    return Issue::Stocke;
}

}  // namespace

std::string MessageTropSerre(Code2 etiquette, Serre s, std::size_t point) {
    return "Le tracé " + etiquette.Texte() + " est trop serré pour ce rayon de fraise : " +
           (s == Serre::Leve ? "son parcours est levé au point n° "
                             : "des points de son parcours sont retirés après le point n° ") +
           TexteEntier(point) + " pour ne pas entamer la pièce.";
}

namespace {

// Points held by the entries.
std::size_t PointsDecales(const std::vector<SequenceDecalee>& entrees) {
    std::size_t total = 0;
    for (const SequenceDecalee& s : entrees) total += s.Points.size();
    return total;
}

std::size_t Plafond(std::size_t total, std::size_t actuel) {
    const std::size_t autres = total - actuel;
    return autres >= MaxPointsDecales ? 0 : MaxPointsDecales - autres;
}

std::size_t NbEntrees(const std::vector<SequenceDecalee>& entrees) { return entrees.empty() ? 0 : entrees.size() - 1; }

// The first run of the label among the counted points: its first point and its length.
std::pair<int32_t, int32_t> PremiereSuite(const Dessin& d, Code2 etiquette) {
    const int32_t n = NbPointsUtiles(d);
    int32_t i = 0;
    while (i < n && d.Trace_Initial[std::size_t(i)].Sequence != etiquette) ++i;
    int32_t nb = 0;
    while (i + nb < n && d.Trace_Initial[std::size_t(i + nb)].Sequence == etiquette) ++nb;
    return {i, nb};
}

// Empties every entry whose path was computed from another trace, or with other
// settings, before anything is computed: whatever stops the computation must not leave
// it to be cut. Returns what each entry's path must be computed from.
std::vector<uint64_t> OublieLesPerimes(const Dessin& d, std::vector<SequenceDecalee>& entrees,
                                       const ReglagesDecalage& r, const IndexSequences& sequences,
                                       const std::unordered_map<uint64_t, std::size_t>& premiereEntree) {
    const std::size_t nbEntrees = NbEntrees(entrees);
    std::vector<uint64_t> empreintes(nbEntrees, 0);
    for (std::size_t e = 0; e < nbEntrees; ++e) {
        SequenceDecalee& s = entrees[e];
        const auto plage = sequences.Cherche(s.Sequence);
        if (plage && premiereEntree.at(CleEtiquette(s.Sequence)) == e)
            empreintes[e] =
                EmpreinteDe(r, s.Sequence, {d.Trace_Initial.data() + plage->premier, std::size_t(plage->nb)});
        if (s.Empreinte == 0 || s.Empreinte == empreintes[e]) continue;
        if (plage && empreintes[e] != 0) {
            const std::span<const PointTrace> P(d.Trace_Initial.data() + plage->premier, std::size_t(plage->nb));
            if (TournePourDepart(s, EmpreinteTourDe(r, s.Sequence, P), P)) {
                s.Empreinte = empreintes[e];
                continue;
            }
        }
        s.Empreinte = 0;
        s.EmpreinteTour = 0;
        s.Points.clear();
        if (plage) {
            PointTrace depart = d.Trace_Initial[std::size_t(plage->premier)];
            depart.Plume = Code2{};
            s.Points.push_back(depart);
        }
    }
    return empreintes;
}

}  // namespace

ResultatDecalage DecalageSequence(const Dessin& d, std::vector<SequenceDecalee> entrees, Code2 etiquette,
                                  const ReglagesDecalage& r, const SuiviDecalage& suivi) {
    ResultatDecalage res{std::move(entrees), {}};
    if (etiquette == AucuneSequence) return res;
    Calcul c(d, res.chemins, r, suivi, res.diagnostics);
    const auto [premier, nb] = PremiereSuite(d, etiquette);
    std::size_t entree = 0;
    while (entree < c.entrees.size() && c.entrees[entree].Sequence != etiquette) ++entree;
    if (nb < 2 || entree >= c.entrees.size()) return res;
    const std::size_t plafond = Plafond(PointsDecales(c.entrees), c.entrees[entree].Points.size());
    const uint64_t empreinte =
        EmpreinteDe(r, etiquette, std::span<const PointTrace>(d.Trace_Initial.data() + premier, std::size_t(nb)));
    c.entrees[entree].Empreinte = 0;
    c.entrees[entree].EmpreinteTour = 0;
    const Issue issue = DecaleTrace(c, etiquette, premier, nb, entree, plafond);
    if (issue == Issue::Stocke || issue == Issue::Copie) c.entrees[entree].Empreinte = empreinte;
    if (issue == Issue::Stocke) c.Vide();
    if (issue == Issue::Debordement) c.Dit(Gravite::Erreur, std::string(MessageTropDePoints));
    return res;
}

ResultatDecalage DecalageEntrees(const Dessin& d, std::vector<SequenceDecalee> entrees, const ReglagesDecalage& r,
                                 const SuiviDecalage& suivi) {
    ResultatDecalage res{std::move(entrees), {}};
    const std::size_t nbEntrees = NbEntrees(res.chemins);
    if (nbEntrees == 0) return res;
    Calcul c(d, res.chemins, r, suivi, res.diagnostics);

    // The lookups DecalageSequence makes for each label, done once for all.
    const IndexSequences sequences(d);
    std::unordered_map<uint64_t, std::size_t> premiereEntree;
    premiereEntree.reserve(c.entrees.size());
    for (std::size_t e = 0; e < c.entrees.size(); ++e) premiereEntree.emplace(CleEtiquette(c.entrees[e].Sequence), e);
    const std::vector<uint64_t> empreintes = OublieLesPerimes(d, c.entrees, r, sequences, premiereEntree);

    // The progress line is emptied after every trace only when it shows the progress,
    // otherwise once at the end.
    bool aVider = false;
    std::size_t total = PointsDecales(c.entrees);
    std::vector<bool> tente(nbEntrees, false);
    for (std::size_t e = 0; e < nbEntrees; ++e) {
        const Code2 etiquette = c.entrees[e].Sequence;
        if (etiquette == AucuneSequence) continue;
        const auto plage = sequences.Cherche(etiquette);
        if (!plage || plage->nb < 2) continue;
        const std::size_t entree = premiereEntree.at(CleEtiquette(etiquette));
        // Computed already from this very trace with these settings, or tried in this
        // pass for an earlier run of the label: kept as it is.
        if (c.entrees[entree].Empreinte != 0 || tente[entree]) continue;
        tente[entree] = true;
        const std::size_t avant = c.entrees[entree].Points.size();
        bool unPourUn = false;
        const Issue issue =
            DecaleTrace(c, etiquette, plage->premier, plage->nb, entree, Plafond(total, avant), &unPourUn);
        if (issue == Issue::Stocke || issue == Issue::Copie) {
            SequenceDecalee& s = c.entrees[entree];
            s.Empreinte = empreintes[entree];
            const std::span<const PointTrace> P(d.Trace_Initial.data() + plage->premier, std::size_t(plage->nb));
            s.EmpreinteTour = unPourUn ? EmpreinteTourDe(r, etiquette, P) : 0;
            s.DepartX = P[0].X, s.DepartY = P[0].Y, s.SuivantX = P[1].X, s.SuivantY = P[1].Y;
        }
        total = total - avant + c.entrees[entree].Points.size();
        if (issue == Issue::Debordement) {
            // Once is enough: the traces left keep what they held.
            c.Dit(Gravite::Erreur, std::string(MessageTropDePoints));
            break;
        }
        if (issue == Issue::Stocke) {
            if (suivi.pointParPoint)
                c.Vide();
            else
                aVider = true;
        }
    }
    if (aVider) c.Vide();
    return res;
}

ResultatDecalage CalculDecalageTout(const Dessin& d, std::vector<SequenceDecalee> anciens, const ReglagesDecalage& r,
                                    const SuiviDecalage& suivi) {
    const int32_t n = NbPointsUtiles(d);
    // The paths computed before, by label in order, for the traces that did not change:
    // the entries follow their traces through a reordering, a reversal or a welding.
    // Only the first entry of a label holds a computed path.
    std::unordered_map<uint64_t, std::size_t> indices;
    for (std::size_t e = 0; e < NbEntrees(anciens); ++e) {
        const auto [a, nouvelle] = indices.emplace(CleEtiquette(anciens[e].Sequence), e);
        if (nouvelle && anciens[e].Empreinte == 0) a->second = SIZE_MAX;
    }
    std::vector<SequenceDecalee> entrees;
    Code2 precedente = AucuneSequence;
    for (int32_t i = 0; i < n; ++i) {
        const Code2 e = d.Trace_Initial[i].Sequence;
        if (e == precedente) continue;
        precedente = e;
        if (auto a = indices.find(CleEtiquette(e)); a != indices.end() && a->second != SIZE_MAX) {
            // Checked against its trace by DecalageEntrees before it is kept.
            entrees.push_back(std::move(anciens[a->second]));
            a->second = SIZE_MAX;
            continue;
        }
        // Until its path is computed, an entry holds the trace's own first point, not the
        // part's zero: a one-point trace, or one whose offset failed, must not send the
        // cutter down at the origin.
        PointTrace depart = d.Trace_Initial[i];
        depart.Plume = Code2{};
        entrees.push_back({e, {depart}});
    }
    entrees.emplace_back();  // the spare entry
    anciens.clear();
    return DecalageEntrees(d, std::move(entrees), r, suivi);
}

Diagnostics Redecale(Dessin& d, const ReglagesDecalage& r, const SuiviDecalage& suivi) {
    if (d.NbPoints > static_cast<int32_t>(d.Trace_Initial.size())) d.NbPoints = NbPointsUtiles(d);
    ResultatDecalage res = CalculDecalageTout(d, std::move(d.Trace_Decale), r, suivi);
    d.Trace_Decale = std::move(res.chemins);
    return std::move(res.diagnostics);
}

}  // namespace korvelin
