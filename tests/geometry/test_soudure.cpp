#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "geometry/decalage.h"
#include "geometry/litteral.h"
#include "geometry/soudure.h"
#include "model/aide_dessin.h"
#include "model/listes.h"

using namespace korvelin;
using namespace korvelin::test;

namespace {

TEST(Soudure, DessinsVidesOuTropCourts) {
    // Chains, closed contours, stray points, near misses and the mirror are compared with
    // the step-by-step welding and the mirror done trace by trace below. An empty drawing,
    // or one that counts more points than it holds:
    const ReglagesDecalage r{.rayon = 3.0, .cote = 2};
    Dessin d;
    SoudureAutomatique(d, r);
    EXPECT_EQ(d.NbPoints, 0);
    EXPECT_EQ(d.Trace_Decale.size(), 1u);
    d.NbPoints = 5;  // more than the array holds
    SoudureAutomatique(d, r);
    Miroir(d, r);
    EXPECT_EQ(d.NbPoints, 0);
}

// Contours cut into pieces, shuffled, some reversed, with stray points and near misses.
void Morceaux(Dessin& d, std::mt19937& g) {
    std::vector<Points> morceaux;
    const int contours = 1 + int(g() % 12);
    for (int c = 0; c < contours; ++c) {
        const float ox = float(g() % 8) * 3, oy = float(g() % 8) * 3;
        const int n = 3 + int(g() % 8);
        Points sommets;
        for (int k = 0; k < n; ++k) sommets.emplace_back(ox + float(g() % 5), oy + float(g() % 5));
        if (g() % 3) sommets.push_back(sommets.front());
        for (std::size_t k = 0; k + 1 < sommets.size();) {
            const std::size_t l = std::min(sommets.size() - 1, k + 1 + g() % 3);
            Points m(sommets.begin() + k, sommets.begin() + l + 1);
            if (g() % 3 == 0) std::reverse(m.begin(), m.end());
            const float ecarts[] = {0.0f, 0.0009f, 0.001f, 0.0011f};
            if (g() % 6 == 0) m.front().first += ecarts[g() % 4];
            if (g() % 8 == 0) m.back().second -= ecarts[g() % 4];
            morceaux.push_back(m);
            k = l;
        }
        if (g() % 2) morceaux.push_back({sommets[g() % sommets.size()]});
    }
    std::shuffle(morceaux.begin(), morceaux.end(), g);
    Code2 e = PremiereSequence;
    const bool repetees = g() % 5 == 0;
    for (std::size_t k = 0; k < morceaux.size(); ++k) {
        const Code2 etiquette = repetees && k % 4 == 3 ? PremiereSequence : e;
        for (const auto& [x, y] : morceaux[k]) d.Trace_Initial.push_back({x, y, PlumeBasse, etiquette});
        e = ProchaineSequence(e);
    }
    d.NbPoints = int32_t(d.Trace_Initial.size());
}

bool MemeDessin(const Dessin& a, const Dessin& b, bool decalages) {
    if (a.NbPoints != b.NbPoints || !MemesPoints(a.Trace_Initial, b.Trace_Initial)) return false;
    if (!decalages) return true;
    return MemesDecalages(a, b) && a.Xmin == b.Xmin && a.Xmax == b.Xmax && a.Ymin == b.Ymin && a.Ymax == b.Ymax;
}

TEST(SoudureAleatoire, CommeLaVersionPasAPas) {
    for (int graine = 0; graine < 1500; ++graine) {
        std::mt19937 g(graine);
        Dessin a, b;
        const ReglagesDecalage r;
        Morceaux(a, g);
        b = a;
        const Diagnostics da = SoudureAutomatique(a, r);
        SoudureLitterale(b);
        ASSERT_TRUE(MemeDessin(a, b, false)) << "graine " << graine;

        // The mirror of the result, against the mirror done trace by trace.
        EXPECT_EQ(da.size(), CalculDecalageToutLitteral(b, r).size()) << "graine " << graine;
        CalculBornes(b);
        ASSERT_TRUE(MemeDessin(a, b, true)) << "graine " << graine;
        Miroir(a, r);
        for (PointTrace& p : b.Trace_Initial) p.X = float(b.Xmax - p.X);
        for (std::size_t e = 0; e + 1 < b.Trace_Decale.size(); ++e) InverseSequence(b, b.Trace_Decale[e].Sequence);
        for (std::size_t e = 0; e + 1 < b.Trace_Decale.size(); ++e) {
            const Code2 etiquette = b.Trace_Decale[e].Sequence;
            ResultatDecalage res = DecalageSequence(b, std::move(b.Trace_Decale), etiquette, r);
            b.Trace_Decale = std::move(res.chemins);
        }
        CalculBornes(b);
        ASSERT_TRUE(MemeDessin(a, b, true)) << "miroir, graine " << graine;
    }
}

}  // namespace
