// The offset of random drawings, compared point for point with the step-by-step version.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <random>

#include "geometry/aide.h"
#include "geometry/decalage.h"
#include "geometry/litteral.h"
#include "support/ui_enregistreuse.h"

using namespace korvelin;
using namespace korvelin::test;

namespace {

bool MemePoint(const PointTrace& a, const PointTrace& b) {
    return std::bit_cast<uint32_t>(a.X) == std::bit_cast<uint32_t>(b.X) &&
           std::bit_cast<uint32_t>(a.Y) == std::bit_cast<uint32_t>(b.Y) && a.Plume == b.Plume &&
           a.Sequence == b.Sequence;
}

void AttendMemesDecalages(const Dessin& a, const Dessin& b, int graine) {
    ASSERT_EQ(a.Trace_Decale.size(), b.Trace_Decale.size()) << graine;
    for (std::size_t e = 0; e < a.Trace_Decale.size(); ++e) {
        const auto& pa = a.Trace_Decale[e].Points;
        const auto& pb = b.Trace_Decale[e].Points;
        ASSERT_EQ(a.Trace_Decale[e].Sequence, b.Trace_Decale[e].Sequence) << graine;
        ASSERT_EQ(pa.size(), pb.size()) << "graine " << graine << " entrée " << e;
        for (std::size_t i = 0; i < pa.size(); ++i)
            ASSERT_TRUE(MemePoint(pa[i], pb[i])) << "graine " << graine << " entrée " << e << " point " << i;
    }
}

void AttendMemesMessages(const UiEnregistreuse& a, const UiEnregistreuse& b, int graine) {
    ASSERT_EQ(a.messages.size(), b.messages.size()) << graine;
    for (std::size_t i = 0; i < a.messages.size(); ++i) EXPECT_EQ(a.messages[i].texte, b.messages[i].texte) << graine;
}

// Shapes that exercise the second pass: lattice walks (many points exactly one radius
// from a segment), wavy closed contours with concave dents, straight runs, repeats.
std::vector<std::pair<float, float>> Forme(std::mt19937& g, int n) {
    std::vector<std::pair<float, float>> p;
    std::uniform_real_distribution<double> u(0.0, 1.0);
    const double ox = std::floor(u(g) * 60), oy = std::floor(u(g) * 60);
    switch (g() % 4) {
    case 0: {  // walk on a lattice of half units
        double x = ox, y = oy;
        for (int i = 0; i < n; ++i) {
            p.emplace_back(float(x), float(y));
            x += 0.5 * int(g() % 5 - 2);
            y += 0.5 * int(g() % 5 - 2);
        }
        break;
    }
    case 1: {  // closed wavy contour
        const double r = 2 + 20 * u(g), a = u(g) * 0.6;
        const int ondes = 1 + int(g() % 12);
        for (int i = 0; i < n; ++i) {
            const double t = 2 * Pi * i / n;
            const double rr = r * (1 + a * std::sin(ondes * t));
            p.emplace_back(float(ox + rr * std::cos(t)), float(oy + rr * std::sin(t)));
        }
        p.push_back(p.front());
        break;
    }
    case 2: {  // random walk with sharp turns
        double x = ox, y = oy;
        for (int i = 0; i < n; ++i) {
            p.emplace_back(float(x), float(y));
            x += (u(g) - 0.5) * 4;
            y += (u(g) - 0.5) * 4;
        }
        break;
    }
    default:  // straight runs with repeated points
        for (int i = 0; i < n; ++i) p.emplace_back(float(ox + (i / 2)), float(oy + (g() % 7 == 0 ? 0.5 : 0.0)));
    }
    return p;
}

void Remplit(Dessin& d, std::mt19937& g) {
    const int traces = 1 + int(g() % 6);
    Code2 e = PremiereSequence;
    for (int t = 0; t < traces; ++t) {
        const int n = g() % 5 == 0 ? 1 + int(g() % 3) : 2 + int(g() % (g() % 3 == 0 ? 900 : 60));
        // Now and then a label used again further on, or the "no trace" label.
        Code2 etiquette = e;
        if (t > 1 && g() % 6 == 0) etiquette = PremiereSequence;
        if (g() % 15 == 0) etiquette = AucuneSequence;
        for (const auto& [x, y] : Forme(g, n)) d.Trace_Initial.push_back({x, y, PlumeBasse, etiquette});
        e = Code2(e.c0, e.c1 + 1);
    }
    d.NbPoints = static_cast<int32_t>(d.Trace_Initial.size());
}

TEST(DecalageAleatoire, CommeLaVersionPasAPas) {
    const double rayons[] = {0.005, 0.01, 0.5, 1.0, 1.01, 3.0, 40.0};
    for (int graine = 0; graine < 400; ++graine) {
        std::mt19937 g(graine);
        UiEnregistreuse uiA, uiB;
        Contexte a(&uiA), b(&uiB);
        Remplit(a.dessin, g);
        b.dessin = a.dessin;
        for (Contexte* c : {&a, &b}) {
            Parametres& p = c->parametres;
            std::mt19937 h(graine);
            p.RayonFraise = rayons[h() % 7];
            p.DecalageOutil = int16_t(1 + h() % 4);
            p.Optimisation_1 = h() % 4 != 0;
            p.AffichageCalcul = h() % 10 == 0;
        }
        CalculDecalageTout(a);
        CalculDecalageToutLitteral(b);
        AttendMemesDecalages(a.dessin, b.dessin, graine);
        AttendMemesMessages(uiA, uiB, graine);
        if (a.parametres.AffichageCalcul) EXPECT_EQ(uiA.statuts, uiB.statuts) << graine;
        if (::testing::Test::HasFatalFailure()) return;
    }
}

TEST(DecalageAleatoire, PointsHorsDuCommun) {
    // Far-off and infinite coordinates, and every offset point marked.
    UiEnregistreuse uiA, uiB;
    Contexte a(&uiA), b(&uiB);
    std::mt19937 g(7);
    for (int i = 0; i < 300; ++i) {
        float x = float(g() % 50), y = float(g() % 50);
        if (i % 97 == 5) x = INFINITY;
        if (i % 89 == 3) y = 1e30f;
        a.dessin.Trace_Initial.push_back({x, y, PlumeBasse, Etiquette(i < 150 ? " A" : " B")});
    }
    a.dessin.NbPoints = 300;
    b.dessin = a.dessin;
    for (const double r : {2.0, 1e20, double(INFINITY)}) {
        a.parametres.RayonFraise = b.parametres.RayonFraise = r;
        CalculDecalageTout(a);
        CalculDecalageToutLitteral(b);
        AttendMemesDecalages(a.dessin, b.dessin, int(r));
        AttendMemesMessages(uiA, uiB, int(r));
    }
}

}  // namespace
