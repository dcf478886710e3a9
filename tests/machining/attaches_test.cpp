#include <gtest/gtest.h>

#include <cmath>

#include "geometry/attaches.h"
#include "machining/banc_machine.h"
#include "machining/fraisage.h"

namespace korvelin {
namespace {

using Chemin = std::vector<std::pair<float, float>>;

Chemin Carre(float x0, float y0, float c) { return {{x0, y0}, {x0 + c, y0}, {x0 + c, y0 + c}, {x0, y0 + c}, {x0, y0}}; }

TEST(Attaches, OutlinesAndHoldingHolesEvenlyAndOffTheCorners) {
    Dessin dessin;
    Parametres parametres;
    Chemin cercle;
    for (int i = 0; i <= 64; ++i)
        cercle.push_back({float(100 + 10 * std::cos(i * Pi / 32)), float(10 * std::sin(i * Pi / 32))});
    // An outline, its hole holding a part, that part, an open path, a circle of short
    // segments, and a hole that holds nothing.
    test::DessinDe(dessin, {Carre(0, 0, 40),
                            Carre(10, 10, 20),
                            Carre(15, 15, 10),
                            {{50, 0}, {60, 0}},
                            cercle,
                            Carre(200, 0, 40),
                            Carre(210, 10, 20)});
    // A bridge of 4 mm with a cutter of 2 mm: the cutter rises over 6 mm.
    const auto spans = PlaceAttaches(dessin, {3, 4, 1, 2});
    ASSERT_EQ(spans.size(), 7u);
    EXPECT_EQ(spans[1].size(), 3u);  // else the slug would fall out with the part
    EXPECT_TRUE(spans[3].empty());
    EXPECT_EQ(spans[5].size(), 3u);
    EXPECT_TRUE(spans[6].empty());
    ASSERT_EQ(spans[2].size(), 3u);  // 40 mm long: each tab gets its slot of 13.3 mm
    // Even slots of 160 / 3 mm: the second tab would straddle the corner at 80 mm and goes
    // to the nearer side of it; the others stay centred.
    ASSERT_EQ(spans[0].size(), 3u);
    const double centres[] = {80.0 / 3, 77, 400.0 / 3};
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(spans[0][i].debut, centres[i] - 3, 1e-9);
        EXPECT_NEAR(spans[0][i].fin, centres[i] + 3, 1e-9);
    }
    EXPECT_NEAR(spans[0][1].x0, 40, 1e-6);
    EXPECT_NEAR(spans[0][1].y0, 34, 1e-6);
    EXPECT_NEAR(spans[0][1].y1, 40, 1e-6);
    // A curve is not a row of corners; on it the span widens so that the cutter's ends
    // stand the bridge plus the diameter apart.
    ASSERT_EQ(spans[4].size(), 3u);
    const double L = 64 * 20 * std::sin(Pi / 64);
    for (const SpanAttache& t : spans[4]) {
        EXPECT_NEAR(std::hypot(t.x1 - t.x0, t.y1 - t.y0), 6, 1e-9);
        EXPECT_GT(t.fin - t.debut, 6.0);
    }
    EXPECT_NEAR((spans[4][0].debut + spans[4][0].fin) / 2, L / 6, 1e-3);
    EXPECT_EQ(AvertissementAttaches(dessin, {3, 4, 1, 2}), "");
    // More tabs than the small square takes: as many as fit, and it is named.
    std::vector<std::size_t> incomplets;
    const auto serres = PlaceAttaches(dessin, {7, 4, 1, 2}, &incomplets);
    EXPECT_EQ(serres[0].size(), 7u);
    EXPECT_EQ(serres[2].size(), 6u);                       // 40 mm: six slots of 6 mm and some cut
    EXPECT_EQ(incomplets, (std::vector<std::size_t>{2}));  // the empty hole gets none anyway
    EXPECT_EQ(AvertissementAttaches(dessin, {7, 4, 1, 2}).rfind("Le tracé « C » est trop petit pour 7", 0), 0u);
    // No tabs, or hostile values: none anywhere.
    for (const Attaches a : {Attaches{0, 6, 1}, Attaches{3, NAN, 1}, Attaches{3, 6, -1}})
        for (const auto& s : PlaceAttaches(dessin, a)) EXPECT_TRUE(s.empty());
}

TEST(Attaches, RefusedWhenTheyCannotHold) {
    EXPECT_EQ(ControleAttaches({0, 0, 0}, -3), std::nullopt);  // none asked for
    EXPECT_EQ(ControleAttaches({2, 3, 2.999, 6}, -3), std::nullopt);
    const std::pair<Attaches, const char*> refus[] = {{{2, 0, 1}, "La largeur"},
                                                      {{2, -1, 1}, "La largeur"},
                                                      {{2, NAN, 1}, "La largeur"},
                                                      {{2, 3, 0}, "La hauteur des attaches doit"},
                                                      {{2, 3, 3}, "La hauteur des attaches (3 mm) doit rester"},
                                                      {{2, 3, 4}, "La hauteur des attaches (4 mm)"}};
    for (const auto& [a, debut] : refus) {
        const auto r = ControleAttaches(a, -3);
        ASSERT_TRUE(r.has_value()) << debut;
        EXPECT_EQ(r->rfind(debut, 0), 0u) << *r;
    }
    // Above the surface every tab would leave the stock.
    EXPECT_TRUE(ControleAttaches({2, 3, 1}, 1).has_value());
}

TEST(Attaches, TheCutterRidesOverEachTabOnTheDeepPassesOnly) {
    test::Banc b;
    Parametres& v = b.parametres;
    v.Pas_X = v.Pas_Y = v.Pas_Z = 1;
    v.NbPas_X = v.NbPas_Y = v.NbPas_Z = 4;
    v.NbPasse = 4;  // -0,5, -1, -1,5, -2: the tab top is at -1
    // A bridge of 2 mm with a cutter of 1 mm: the cutter rises over 3 mm.
    v.AttachesNombre = 2, v.AttachesLargeur = 2, v.AttachesHauteur = 1;
    v.RayonFraise = 0.5;
    // Slots of 16 mm centred on the corners at 8 and 24 mm: the tabs move to [5, 8] and
    // [21, 24], on the first side of each corner.
    test::DessinDe(b.dessin, {Carre(0, 0, 8)});
    ASSERT_EQ(FraisageExemplaire(b.Poste(), b.Demarre(), {"1", "-2"}, b.arret).issue, Issue::Terminee);
    auto abscisse = [](int64_t x, int64_t y) {  // in steps along the square
        if (y == 0) return x;
        if (x == 32) return 32 + y;
        if (y == 32) return 64 + 32 - x;
        return 96 + 32 - y;
    };
    auto dansAttache = [](int64_t s) { return (s > 20 && s <= 32) || (s > 84 && s <= 96); };  // reached at each pulse
    int passe = 0;
    int64_t zAvant = 0;
    int surAttaches = 0;
    for (const test::Impulsion& i : test::Rejoue(*b.port)) {
        if (zAvant > 0 && i.z <= 0) ++passe;
        zAvant = i.z;
        if (!i.xy || i.z > 0 || passe > 4) continue;
        const int64_t s = abscisse(i.x, i.y);
        const int64_t profondeur = -2 * passe;
        if (passe <= 2 || !dansAttache(s)) {
            EXPECT_EQ(i.z, profondeur) << passe << ' ' << s;
        } else {
            EXPECT_EQ(i.z, -4) << passe << ' ' << s;
            ++surAttaches;
        }
    }
    EXPECT_EQ(passe, 5);  // and the last level at the zero
    EXPECT_EQ(surAttaches, 2 * 2 * 12);
}

}  // namespace
}  // namespace korvelin
