// The cutter never bites into the part, whatever the drawing: on spirals, long dense
// contours, sheets of parts and near-coincident traces, at coordinates up to a metre, no
// cutting move comes closer to its trace than the radius less 0.01 mm, and no offset vertex
// strays from the radius. The distances are measured by a grid of their own, not by the
// program's tree; the drawings of other programs are measured so where they are milled.

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "geometry/decalage.h"
#include "geometry/mesure_decalage.h"
#include "model/aide_dessin.h"

using namespace korvelin;
using namespace korvelin::test;

namespace {

// An Archimedean spiral from radius r0, `pas` apart between turns, points `ecart` apart.
Points Spirale(std::size_t n, double r0, double pas, double ecart, double cx = 0, double cy = 0) {
    Points p;
    double theta = 2 * Pi * r0 / pas;
    for (std::size_t i = 0; i < n; ++i) {
        const double r = pas * theta / (2 * Pi);
        p.emplace_back(float(cx + r * std::cos(theta)), float(cy + r * std::sin(theta)));
        theta += ecart / std::hypot(r, pas / (2 * Pi));
    }
    return p;
}

struct Proprietes : ::testing::Test {
    Dessin d;
    ReglagesDecalage r;
    Diagnostics diagnostics;
    void Regle(double R, int cote) {
        r.rayon = R;
        r.cote = int16_t(cote);
        r.optimisation1 = true;
    }
    void Calcule() { diagnostics = Redecale(d, r); }
};

TEST_F(Proprietes, SpiraleDe250000Points) {
    // 125 m of spiral: the path drifted 0.01 mm towards the trace on the way out, the
    // second pass then took whole turns away and the cutter went straight across.
    AjouteTrace(d, Etiquette(" A"), Spirale(250'000, 20, 5, 0.5));
    for (const int cote : {1, 3}) {
        Regle(1.5, cote);
        Calcule();
        EXPECT_TRUE(diagnostics.empty());
        const Bilan b = Mesure(d, 1.5);
        EXPECT_EQ(b.points, 250'000u);
        EXPECT_LE(b.ecartMax, 0.001);
        EXPECT_GE(b.plusPres, 1.5 - 0.01);
    }
}

TEST_F(Proprietes, DessinsAleatoires) {
    std::uniform_real_distribution<double> u(0.0, 1.0);
    int serres = 0;
    for (int graine = 0; graine < 48; ++graine) {
        std::mt19937 g(graine);
        d = Dessin{};
        const double R = 0.3 + 3 * u(g);
        // Anywhere on a metre of travel.
        const double ox = 1000 * u(g), oy = 1000 * u(g);
        for (int t = 0; t < 1 + int(g() % 5); ++t) {
            const Code2 e(U' ', U'A' + t);
            Points p;
            switch (g() % 4) {
                case 0:  // a spiral, now and then tighter than the cutter
                    p = Spirale(2000 + g() % 20000, 4 * R + 10 * u(g), R * (1.5 + 4 * u(g)), 0.2 + 0.5 * u(g), ox, oy);
                    break;
                case 1: {  // a long dense wavy contour, closed
                    const double rayon = 50 + 300 * u(g), a = 0.05 * u(g);
                    const int n = 5000 + int(g() % 20000), ondes = 1 + int(g() % 8);
                    for (int i = 0; i <= n; ++i) {
                        const double th = 2 * Pi * (i % n) / n, rr = rayon * (1 + a * std::sin(ondes * th));
                        p.emplace_back(float(ox + rr * std::cos(th)), float(oy + rr * std::sin(th)));
                    }
                    break;
                }
                case 2: {  // a sheet of small polygons, each its own trace
                    for (int k = 0; k < 20; ++k) {
                        Points q;
                        const double cx = ox + 40 * (k % 5), cy = oy + 40 * (k / 5), rc = 3 + 10 * u(g);
                        const int cotes = 3 + int(g() % 6);
                        for (int i = 0; i <= cotes; ++i) {
                            const double th = 2 * Pi * (i % cotes) / cotes + (k % 2) * 0.3;
                            q.emplace_back(float(cx + rc * std::cos(th)), float(cy + rc * std::sin(th)));
                        }
                        AjouteTrace(d, Code2(U'a' + t, U'A' + k), q);
                    }
                    continue;
                }
                default: {  // two near-coincident zigzags in one trace, back and forth
                    const int n = 50 + int(g() % 500);
                    for (int i = 0; i < n; ++i) p.emplace_back(float(ox + i), float(oy + 5 * (i % 2)));
                    for (int i = n - 1; i >= 0; --i) p.emplace_back(float(ox + i + 0.0004), float(oy + 5 * (i % 2)));
                    break;
                }
            }
            AjouteTrace(d, e, p);
        }
        Regle(R, g() % 2 ? 1 : 3);
        r.optimisation2 = g() % 2;
        Calcule();
        // A polygon smaller than the cutter inside it has no path at all.
        for (const auto& m : diagnostics) {
            const bool serre = m.message.find("est trop serré pour ce rayon de fraise") != std::string::npos;
            ASSERT_TRUE(serre || m.message == MessageRayonTropGrand) << m.message;
            serres += serre;
        }
        const Bilan b = Mesure(d, R);
        EXPECT_GE(b.plusPres, R - 0.01) << "graine " << graine;
        EXPECT_GT(b.points, 0u);
    }
    EXPECT_GT(serres, 0);
}

TEST_F(Proprietes, ContourFermeAUnPasDeFloatPres) {
    // A full ellipse from another program ends at the float value of 2π, a few
    // micrometres from its start: it still gets its closing corner, not a path that
    // begins and ends beside the trace.
    Points p;
    for (int i = 0; i <= 64; ++i) {
        const double th = 2 * Pi * i / 64;
        p.emplace_back(float(100 + 40 * std::cos(th)), float(50 + 20 * std::sin(th)));
    }
    p.back().second = 50.0000038f;
    AjouteTrace(d, Etiquette(" A"), p);
    Regle(1, 1);
    Calcule();
    const auto& D = d.Trace_Decale[0].Points;
    ASSERT_EQ(D.size(), 65u);
    EXPECT_EQ(D.front().X, D.back().X);
    EXPECT_EQ(D.front().Y, D.back().Y);
    EXPECT_NEAR(D.front().X, 141, 0.01);
    EXPECT_NEAR(D.front().Y, 50, 0.01);
    EXPECT_LE(Mesure(d, 1).ecartMax, 0.03);
}

}  // namespace
