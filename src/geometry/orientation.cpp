#include "geometry/orientation.h"

#include <algorithm>
#include <cmath>

#include "geometry/bouts.h"
#include "geometry/decalage.h"
#include "model/listes.h"

namespace korvelin {

namespace {

// Closer than this to a contour, a point decides nothing about which side it is on:
// the program's own distance for two points that meet.
constexpr double Tolerance = 0.001;

struct Boite {
    double xmin, ymin, xmax, ymax;
};

Boite BoiteDe(const Dessin& d, const TraceDessin& t) {
    Boite b{1e300, 1e300, -1e300, -1e300};
    for (int32_t i = t.premier; i < t.premier + t.nb; ++i) {
        const PointTrace& p = d.Trace_Initial[i];
        b.xmin = std::min(b.xmin, double(p.X));
        b.xmax = std::max(b.xmax, double(p.X));
        b.ymin = std::min(b.ymin, double(p.Y));
        b.ymax = std::max(b.ymax, double(p.Y));
    }
    return b;
}

bool BoiteDans(const Boite& a, const Boite& b) {
    return a.xmin >= b.xmin - Tolerance && a.xmax <= b.xmax + Tolerance && a.ymin >= b.ymin - Tolerance &&
           a.ymax <= b.ymax + Tolerance;
}

enum class Position { Dedans, Dehors, Bord };

double Distance2Segment(double px, double py, double ax, double ay, double bx, double by) {
    const double ux = bx - ax, uy = by - ay;
    const double l = ux * ux + uy * uy;
    double t = l > 0.0 ? ((px - ax) * ux + (py - ay) * uy) / l : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    const double dx = ax + t * ux - px, dy = ay + t * uy - py;
    return dx * dx + dy * dy;
}

// The winding number of the closed trace round the point, in one pass with the nearness
// to its edges: a point on the contour is reported as such rather than as a coin toss.
Position PositionPoint(const Dessin& d, const TraceDessin& c, double px, double py) {
    const auto& t = d.Trace_Initial;
    int enroulement = 0;
    const double tol2 = Tolerance * Tolerance;
    for (int32_t i = c.premier; i + 1 < c.premier + c.nb; ++i) {
        const double ax = t[i].X, ay = t[i].Y, bx = t[i + 1].X, by = t[i + 1].Y;
        if (Distance2Segment(px, py, ax, ay, bx, by) <= tol2) return Position::Bord;
        const double croix = (bx - ax) * (py - ay) - (px - ax) * (by - ay);
        if (ay <= py) {
            if (by > py && croix > 0.0) ++enroulement;
        } else if (by <= py && croix < 0.0) {
            --enroulement;
        }
    }
    return enroulement != 0 ? Position::Dedans : Position::Dehors;
}

// Whether trace a lies inside the closed trace c: the first of its vertices, then of the
// middles of its segments, that is clearly off c's contour decides. Two traces lying on
// each other all along hold neither the other.
bool Contient(const Dessin& d, const TraceDessin& c, const TraceDessin& a) {
    const auto& t = d.Trace_Initial;
    const int32_t n = a.ferme ? a.nb - 1 : a.nb;
    for (int32_t i = a.premier; i < a.premier + n; ++i) {
        const Position p = PositionPoint(d, c, t[i].X, t[i].Y);
        if (p != Position::Bord) return p == Position::Dedans;
    }
    for (int32_t i = a.premier; i + 1 < a.premier + a.nb; ++i) {
        const double x = (double(t[i].X) + t[i + 1].X) / 2.0, y = (double(t[i].Y) + t[i + 1].Y) / 2.0;
        const Position p = PositionPoint(d, c, x, y);
        if (p != Position::Bord) return p == Position::Dedans;
    }
    return false;
}

}  // namespace

std::vector<TraceDessin> DecoupeTraces(const Dessin& d) {
    std::vector<TraceDessin> traces;
    const int32_t n = std::min<int32_t>(d.NbPoints, static_cast<int32_t>(d.Trace_Initial.size()));
    for (int32_t i = 0; i < n;) {
        TraceDessin t;
        t.premier = i;
        while (i < n && d.Trace_Initial[i].Sequence == d.Trace_Initial[t.premier].Sequence) ++i;
        t.nb = i - t.premier;
        t.ferme = TraceFermee(&d.Trace_Initial[t.premier], std::size_t(t.nb));
        traces.push_back(t);
    }
    return traces;
}

bool CoordonneesFinies(const Dessin& d) {
    const int32_t n = std::min<int32_t>(d.NbPoints, static_cast<int32_t>(d.Trace_Initial.size()));
    for (int32_t i = 0; i < n; ++i)
        if (!std::isfinite(d.Trace_Initial[i].X) || !std::isfinite(d.Trace_Initial[i].Y)) return false;
    return true;
}

double AireSignee(const Dessin& d, const TraceDessin& t) {
    // Measured from the first point, so that a part far from the origin keeps its digits.
    const auto& p = d.Trace_Initial;
    const double x0 = p[t.premier].X, y0 = p[t.premier].Y;
    double s = 0.0;
    for (int32_t i = t.premier + 1; i + 1 < t.premier + t.nb; ++i)
        s += (p[i].X - x0) * (p[i + 1].Y - y0) - (p[i + 1].X - x0) * (p[i].Y - y0);
    return s;
}

Imbrication CalculImbrication(const Dessin& d, const std::vector<TraceDessin>& traces) {
    const std::size_t n = traces.size();
    Imbrication r;
    r.parent.assign(n, -1);
    r.profondeur.assign(n, 0);
    std::vector<Boite> boites(n);
    std::vector<int32_t> fermes;
    Boite tout{1e300, 1e300, -1e300, -1e300};
    for (std::size_t i = 0; i < n; ++i) {
        boites[i] = BoiteDe(d, traces[i]);
        tout.xmin = std::min(tout.xmin, boites[i].xmin);
        tout.ymin = std::min(tout.ymin, boites[i].ymin);
        tout.xmax = std::max(tout.xmax, boites[i].xmax);
        tout.ymax = std::max(tout.ymax, boites[i].ymax);
        if (traces[i].ferme) fermes.push_back(static_cast<int32_t>(i));
    }
    if (fermes.empty()) return r;

    // A grid over the drawing: each closed trace is filed in the cells its box covers, and
    // a trace can only lie in those filed in the cell of its own box's centre, whose box
    // holds its box. Only those pairs are tested point by point.
    const bool finies = std::isfinite(tout.xmax - tout.xmin) && std::isfinite(tout.ymax - tout.ymin);
    const int g = finies ? std::clamp(static_cast<int>(std::sqrt(double(fermes.size()))), 1, 1024) : 1;
    const double lx = std::max(tout.xmax - tout.xmin, 1e-9), ly = std::max(tout.ymax - tout.ymin, 1e-9);
    auto colonne = [&](double x) {
        return g == 1 ? 0 : std::clamp(static_cast<int>((x - tout.xmin) / lx * g), 0, g - 1);
    };
    auto rangee = [&](double y) {
        return g == 1 ? 0 : std::clamp(static_cast<int>((y - tout.ymin) / ly * g), 0, g - 1);
    };
    // A box over many cells goes to a list of its own that every trace looks through:
    // filed cell by cell, a thousand nested rings would fill the memory.
    constexpr int MaxCasesParBoite = 64;
    std::vector<std::vector<int32_t>> cases(static_cast<std::size_t>(g) * g);
    std::vector<int32_t> grandes;
    for (const int32_t f : fermes) {
        const Boite& b = boites[f];
        const int x0 = colonne(b.xmin - Tolerance), x1 = colonne(b.xmax + Tolerance);
        const int y0 = rangee(b.ymin - Tolerance), y1 = rangee(b.ymax + Tolerance);
        if ((x1 - x0 + 1) * (y1 - y0 + 1) > MaxCasesParBoite) {
            grandes.push_back(f);
            continue;
        }
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) cases[static_cast<std::size_t>(y) * g + x].push_back(f);
    }

    std::vector<std::vector<int32_t>> autour(n);
    for (std::size_t a = 0; a < n; ++a) {
        const Boite& b = boites[a];
        const auto& cas =
            cases[static_cast<std::size_t>(rangee((b.ymin + b.ymax) / 2)) * g + colonne((b.xmin + b.xmax) / 2)];
        auto essaie = [&](const std::vector<int32_t>& liste) {
            for (const int32_t c : liste)
                if (c != static_cast<int32_t>(a) && BoiteDans(b, boites[c]) && Contient(d, traces[c], traces[a]))
                    autour[a].push_back(c);
        };
        essaie(cas);
        essaie(grandes);
        r.profondeur[a] = static_cast<int32_t>(autour[a].size());
    }
    // The nearest of the traces around is the one the most traces surround.
    for (std::size_t a = 0; a < n; ++a)
        for (const int32_t c : autour[a])
            if (r.parent[a] < 0 || r.profondeur[c] > r.profondeur[r.parent[a]]) r.parent[a] = c;
    // Crossed traces can each hold a point of the other, and their parents then go round in
    // a loop: it is cut where it is met, so that every chain of parents ends.
    std::vector<char> etat(n, 0);  // 1 on the chain being followed, 2 done
    for (std::size_t a = 0; a < n; ++a) {
        int32_t k = static_cast<int32_t>(a);
        while (k >= 0 && etat[k] == 0) {
            etat[k] = 1;
            k = r.parent[k];
        }
        if (k >= 0 && etat[k] == 1) r.parent[k] = -1;
        for (k = static_cast<int32_t>(a); k >= 0 && etat[k] == 1; k = r.parent[k]) etat[k] = 2;
    }
    return r;
}

ResultatOrientation OrientationAutomatique(Dessin& d, const ReglagesDecalage& r, const SuiviDecalage& suivi) {
    const int16_t cote = r.cote;
    if (cote == 2 || !CoordonneesFinies(d)) return {};
    // Material on the left of the travel: an outline turns anticlockwise round its part, a
    // hole clockwise; on the right, the other way round.
    const bool gauche = cote == 1;
    const std::vector<TraceDessin> traces = DecoupeTraces(d);
    const Imbrication imb = CalculImbrication(d, traces);
    int32_t inverses = 0;
    for (std::size_t i = 0; i < traces.size(); ++i) {
        const TraceDessin& t = traces[i];
        if (!t.ferme) continue;
        const double aire = AireSignee(d, t);
        if (aire == 0.0) continue;
        const bool contour = imb.profondeur[i] % 2 == 0;
        const bool voulueAntihoraire = contour == gauche;
        if ((aire > 0.0) != voulueAntihoraire) {
            // What InverseSequence does, without looking the label up again.
            std::reverse(d.Trace_Initial.begin() + t.premier, d.Trace_Initial.begin() + t.premier + t.nb);
            ++inverses;
        }
    }
    ResultatOrientation res{inverses, {}};
    if (inverses > 0) {
        res.diagnostics = Redecale(d, r, suivi);
        CalculBornes(d);
    }
    return res;
}

}  // namespace korvelin
