// The offset of random drawings, compared point for point with the step-by-step version.

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "geometry/decalage.h"
#include "geometry/litteral.h"
#include "model/aide_dessin.h"
#include "support/ui_enregistreuse.h"

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

TEST(DecalageAleatoire, CommeLaVersionPasAPas) {
    const double rayons[] = {0.005, 0.01, 0.5, 1.0, 1.01, 3.0, 40.0};
    for (int graine = 0; graine < 200; ++graine) {
        std::mt19937 g(graine);
        UiEnregistreuse uiA, uiB;
        Contexte a(&uiA), b(&uiB);
        const int traces = 1 + int(g() % 6);
        for (int t = 0; t < traces; ++t) {
            // Now and then a label used again further on, or the "no trace" label.
            Code2 e(U' ', U'A' + t);
            if (t > 1 && g() % 6 == 0) e = PremiereSequence;
            if (g() % 15 == 0) e = AucuneSequence;
            AjouteForme(a.dessin, e, g, g() % 5 == 0 ? 1 + int(g() % 3) : 2 + int(g() % (g() % 3 ? 60 : 900)));
        }
        a.dessin.NbPoints = int32_t(a.dessin.Trace_Initial.size());
        b.dessin = a.dessin;
        for (Contexte* c : {&a, &b}) {
            std::mt19937 h(graine);
            c->parametres.RayonFraise = rayons[h() % 7];
            c->parametres.DecalageOutil = int16_t(1 + h() % 4);
            c->parametres.Optimisation_1 = h() % 4 != 0;
        }
        CalculDecalageTout(a);
        CalculDecalageToutLitteral(b);
        ASSERT_TRUE(MemesDecalages(a.dessin, b.dessin)) << "graine " << graine;
        ASSERT_EQ(uiA.messages.size(), uiB.messages.size()) << "graine " << graine;
        for (std::size_t i = 0; i < uiA.messages.size(); ++i) EXPECT_EQ(uiA.messages[i].texte, uiB.messages[i].texte);
    }
}

TEST(DecalageAleatoire, PointsHorsDuCommun) {
    // Far-off and infinite coordinates, huge and infinite radii.
    UiEnregistreuse uiA, uiB;
    Contexte a(&uiA), b(&uiB);
    std::mt19937 g(7);
    for (int i = 0; i < 300; ++i) {
        const float x = i % 97 == 5 ? INFINITY : float(g() % 50), y = i % 89 == 3 ? 1e30f : float(g() % 50);
        a.dessin.Trace_Initial.push_back({x, y, PlumeBasse, Etiquette(i < 150 ? " A" : " B")});
    }
    a.dessin.NbPoints = 300;
    b.dessin = a.dessin;
    for (const double r : {2.0, 1e20, double(INFINITY)}) {
        a.parametres.RayonFraise = b.parametres.RayonFraise = r;
        CalculDecalageTout(a);
        CalculDecalageToutLitteral(b);
        EXPECT_TRUE(MemesDecalages(a.dessin, b.dessin)) << r;
        EXPECT_EQ(uiA.messages.size(), uiB.messages.size()) << r;
    }
}

}  // namespace
