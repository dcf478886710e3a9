// The offset of random drawings: compared point for point with the step-by-step version,
// and never farther from the drawing than the guard at the corners allows.

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "geometry/decalage.h"
#include "geometry/litteral.h"
#include "geometry/mesure_decalage.h"
#include "model/aide_dessin.h"
#include "model/primitives.h"

using namespace korvelin;
using namespace korvelin::test;

namespace {

// Lattice walks (many points exactly one radius from a segment), wavy closed contours
// with concave dents, sharp random walks, straight runs with repeated points.
void AjouteForme(Dessin& d, Code2 e, std::mt19937& g, int n) {
    std::uniform_real_distribution<double> u(0.0, 1.0);
    const int forme = int(g() % 4);
    const double r = 2 + 20 * u(g), a = u(g) * 0.6, ondes = double(1 + g() % 12);
    double x = std::floor(u(g) * 60), y = std::floor(u(g) * 60);
    const double ox = x, oy = y;
    for (int i = 0; i <= n; ++i) {
        const double t = 2 * Pi * i / n;
        if (forme == 1) {
            x = ox + r * (1 + a * std::sin(ondes * t)) * std::cos(t);
            y = oy + r * (1 + a * std::sin(ondes * t)) * std::sin(t);
        }
        if (forme == 1 && i == n) x = ox + r, y = oy;  // closed exactly
        if (forme != 1 && i == n) break;
        d.Trace_Initial.push_back({float(x), float(y), PlumeBasse, e});
        if (forme == 0) x += 0.5 * int(g() % 5 - 2), y += 0.5 * int(g() % 5 - 2);
        if (forme == 2) x += (u(g) - 0.5) * 4, y += (u(g) - 0.5) * 4;
        if (forme == 3) x += i % 2, y = oy + (g() % 7 == 0 ? 0.5 : 0.0);
    }
}

enum Difficile { Epingles, ZigzagPlat, Doublons, Ferme, ToujoursAGauche, NbDifficiles };

// Traces whose corners put the vertex far away or nowhere: hairpins going back exactly
// or nearly, zigzags close to a line, repeated points, closed traces with a sharp
// closing corner. ToujoursAGauche turns left only, at any angle up to going back.
std::vector<PointTrace> TraceDifficile(std::mt19937& g, Difficile forme) {
    std::uniform_real_distribution<double> u(0.0, 1.0);
    const int n = 2 + int(g() % 30);
    std::vector<PointTrace> p;
    auto ajoute = [&p](double x, double y) { p.push_back({float(x), float(y), PlumeBasse, PremiereSequence}); };
    double x = std::floor(u(g) * 40), y = std::floor(u(g) * 40), cap = u(g) * 2 * Pi;
    ajoute(x, y);
    for (int i = 1; i < n; ++i) {
        const PointTrace dernier = p.back();
        const double pas = 1 + 10 * u(g);
        switch (forme) {
            case Epingles:
                if (i > 1 && g() % 2) {
                    const PointTrace avant = p[p.size() - 2];
                    if (g() % 2)
                        p.push_back(avant);  // straight back to the point before
                    else
                        ajoute(dernier.X + (avant.X - dernier.X) * 0.5, dernier.Y + (avant.Y - dernier.Y) * 0.5);
                    continue;
                }
                cap += (u(g) - 0.5) * 0.5;
                break;
            case ZigzagPlat: cap = (i % 2 ? 0.0 : Pi) + (u(g) - 0.5) * std::pow(10.0, -1.0 - 5 * u(g)); break;
            case Doublons:
                if (g() % 3 == 0) {
                    p.push_back(dernier);
                    continue;
                }
                cap += (u(g) - 0.5) * 6;
                break;
            case Ferme: cap += Pi - std::pow(10.0, -6 * u(g)) * (g() % 2 ? 1 : -1); break;
            case ToujoursAGauche: cap += g() % 4 == 0 ? Pi : Pi * u(g); break;
            default: break;
        }
        ajoute(dernier.X + pas * std::cos(cap), dernier.Y + pas * std::sin(cap));
    }
    if (forme == Ferme) p.push_back(p.front());
    return p;
}

double DistanceAuTrace(const PointTrace& q, const std::vector<PointTrace>& P) {
    double d2 = INFINITY;
    for (std::size_t s = 0; s + 1 < P.size(); ++s)
        d2 = std::min(d2, Distance2PointSegment({q.X, q.Y}, {P[s].X, P[s].Y}, {P[s + 1].X, P[s + 1].Y}));
    return std::sqrt(d2);
}

TEST(DecalageAleatoire, CommeLaVersionPasAPas) {
    const double rayons[] = {0.005, 0.01, 0.5, 1.0, 1.01, 3.0, 40.0};
    for (int graine = 0; graine < 200; ++graine) {
        std::mt19937 g(graine);
        Dessin a, b;
        const int traces = 1 + int(g() % 6);
        for (int t = 0; t < traces; ++t) {
            // Now and then a label used again further on, or the "no trace" label.
            Code2 e(U' ', U'A' + t);
            if (t > 1 && g() % 6 == 0) e = PremiereSequence;
            if (g() % 15 == 0) e = AucuneSequence;
            if (g() % 4 == 0) {
                for (PointTrace p : TraceDifficile(g, Difficile(g() % NbDifficiles)))
                    a.Trace_Initial.push_back({p.X, p.Y, PlumeBasse, e});
                continue;
            }
            AjouteForme(a, e, g, g() % 5 == 0 ? 1 + int(g() % 3) : 2 + int(g() % (g() % 3 ? 60 : 900)));
        }
        a.NbPoints = int32_t(a.Trace_Initial.size());
        b = a;
        std::mt19937 h(graine);
        ReglagesDecalage r;
        r.rayon = rayons[h() % 7];
        r.cote = int16_t(1 + h() % 4);
        r.optimisation1 = h() % 4 != 0;
        r.optimisation2 = h() % 3 == 0;
        const Diagnostics da = Redecale(a, r), db = CalculDecalageToutLitteral(b, r);
        ASSERT_TRUE(MemesDecalages(a, b)) << "graine " << graine;
        ASSERT_EQ(da.size(), db.size()) << "graine " << graine;
        for (std::size_t i = 0; i < da.size(); ++i)
            EXPECT_TRUE(da[i].message == db[i].message && da[i].gravite == db[i].gravite) << da[i].message;
    }
}

// Where the step-by-step vertices all stay near their points the guard changes nothing;
// elsewhere no offset point lies farther than ten radii from the drawing, nor farther
// than two with the option for very convex corners when every corner is convex.
TEST(DecalageAleatoire, JamaisLoinDuDessin) {
    const double rayons[] = {0.005, 0.5, 1.0, 3.0, -1.0};
    int compares = 0, gardes = 0;
    for (int graine = 0; graine < 4000; ++graine) {
        std::mt19937 g(graine);
        // One drawing in two is an ordinary one, where the guard should rarely act.
        const auto forme = Difficile(graine % (2 * NbDifficiles));
        Dessin c;
        if (forme >= NbDifficiles) AjouteForme(c, PremiereSequence, g, 2 + int(g() % 60));
        const std::vector<PointTrace> P = forme < NbDifficiles ? TraceDifficile(g, forme) : c.Trace_Initial;
        ReglagesDecalage prm;
        prm.rayon = rayons[g() % 5];
        // Turning left with the cutter on the right: every corner is convex.
        prm.cote = forme == ToujoursAGauche ? 1 : int16_t(1 + 2 * (g() % 2));
        prm.optimisation1 = false;
        prm.optimisation2 = g() % 2;
        c.Trace_Initial = P;
        c.NbPoints = int32_t(P.size());
        const Diagnostics diagnostics = Redecale(c, prm);
        const std::vector<PointTrace>& F = c.Trace_Decale[0].Points;
        const PremierPassage L = PremierPassageLitteral(prm, P);
        const bool unPoint =
            std::all_of(P.begin(), P.end(), [&](const PointTrace& q) { return q.X == P[0].X && q.Y == P[0].Y; });
        if (unPoint && P.size() >= 3) {
            ASSERT_EQ(diagnostics.size(), 1u) << graine;
            EXPECT_EQ(diagnostics[0].message, "Problème d'intersection");
            continue;
        }
        ASSERT_TRUE(diagnostics.empty()) << "graine " << graine << " : " << diagnostics[0].message;
        const double r = std::fabs(prm.rayon);
        // A repeated point has no bisector of its own: the program passes beside it.
        const bool repetes = std::adjacent_find(P.begin(), P.end(), [](const PointTrace& a, const PointTrace& b) {
                                 return a.X == b.X && a.Y == b.Y;
                             }) != P.end();
        if (L.message.empty() && !repetes && L.rayonsMax < (prm.optimisation2 ? 1.9 : 9.5)) {
            ++compares;
            ASSERT_EQ(XY(F), XY(L.points)) << "graine " << graine;
        } else {
            ++gardes;
        }
        const double borne = prm.optimisation2 ? 2 : 10;
        for (const PointTrace& q : F)
            ASSERT_LE(DistanceAuTrace(q, P), borne * r * (1 + 1e-5) + 1e-4) << "graine " << graine;
    }
    // Both kinds of drawing came up often enough to tell.
    EXPECT_GT(compares, 500) << gardes;
    EXPECT_GT(gardes, 2000) << compares;
}

TEST(DecalageAleatoire, PointsHorsDuCommun) {
    // Far-off and infinite coordinates, huge and infinite radii.
    Dessin a, b;
    std::mt19937 g(7);
    for (int i = 0; i < 300; ++i) {
        const float x = i % 97 == 5 ? INFINITY : float(g() % 50), y = i % 89 == 3 ? 1e30f : float(g() % 50);
        a.Trace_Initial.push_back({x, y, PlumeBasse, Etiquette(i < 150 ? " A" : " B")});
    }
    a.NbPoints = 300;
    b = a;
    for (const double r : {2.0, 1e20, double(INFINITY)}) {
        const ReglagesDecalage reglages{.rayon = r};
        const Diagnostics da = Redecale(a, reglages), db = CalculDecalageToutLitteral(b, reglages);
        // Whether a cut coming from 1e30 mm away passes a trace at the radius or not is
        // beyond double arithmetic: both versions stop such a path, maybe not at the
        // same point.
        const bool serre = std::any_of(da.begin(), da.end(), [](const Diagnostic& m) {
            return m.message.find("trop serré") != std::string::npos;
        });
        if (!serre) {
            EXPECT_TRUE(MemesDecalages(a, b)) << r;
        }
        EXPECT_EQ(da.size(), db.size()) << r;
    }
}

}  // namespace
