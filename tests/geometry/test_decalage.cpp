#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <span>

#include "geometry/decalage.h"
#include "model/listes.h"
#include "model/aide_dessin.h"
#include "settings/aide_contexte.h"

using namespace korvelin;
using namespace korvelin::test;

namespace {

struct Decalage : ::testing::Test, ContexteTemporaire {
    Code2 A = Etiquette(" A");
    void SetUp() override {
        ctx.parametres.RayonFraise = 1.0;
        ctx.parametres.DecalageOutil = 1;
        ctx.parametres.Optimisation_1 = true;
    }
    const std::vector<PointTrace>& R(std::size_t entree = 0) { return ctx.dessin.Trace_Decale.at(entree).Points; }
    void Attend(const Points& attendus, std::size_t entree = 0) {
        ASSERT_EQ(R(entree).size(), attendus.size());
        AttendPoints(R(entree), attendus, 1e-5);
    }
};

TEST_F(Decalage, OutilADroiteAGaucheEtSurLaLigne) {
    AjouteTrace(ctx.dessin, A, {{0, 0}, {10, 0}, {10, 10}});
    CalculDecalageTout(ctx);
    ASSERT_EQ(ctx.dessin.Trace_Decale.size(), 2u);
    Attend({{0, -1}, {11, -1}, {11, 10}});
    for (const PointTrace& p : R()) EXPECT_TRUE(p.Plume.Vide() && p.Sequence == A);
    EXPECT_TRUE(ui.messages.empty());
    ctx.parametres.DecalageOutil = 3;
    DecalageSequence(ctx, A);
    Attend({{0, 1}, {9, 1}, {9, 10}});
    // On the line: the trace itself, pen states and labels included.
    ctx.parametres.DecalageOutil = 2;
    DecalageSequence(ctx, A);
    EXPECT_TRUE(MemesPoints(R(), ctx.dessin.Trace_Initial));
    // Closed contours and runs of aligned points are compared with the step-by-step first
    // pass on random drawings.
}

TEST_F(Decalage, RayonTropGrandPourLeCarre) {
    AjouteTrace(ctx.dessin, A, {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 0}});
    ctx.parametres.RayonFraise = 3.0;
    ctx.parametres.DecalageOutil = 3;
    ctx.parametres.Optimisation_1 = false;
    CalculDecalageTout(ctx);
    Attend({{3, 3}, {-2, 3}, {-2, -2}, {3, -2}, {3, 3}});
    // Every point would bite into the square: the trace is left with no path at all,
    // never with one that gouges.
    ctx.parametres.Optimisation_1 = true;
    DecalageSequence(ctx, A);
    EXPECT_TRUE(R().empty());
    AttendSeulMessage(ui, "Impossible de décaler ce tracé avec ce rayon de fraise", Icone::Critique, "Erreur");
}

TEST_F(Decalage, LeCoinRentrantPerdSesPointsTropProches) {
    // A slot narrower than the cutter, on the cutter's side: its offset points would
    // bite into the walls. The two vertices at the mouth stay, exactly one radius away.
    AjouteTrace(ctx.dessin, A, {{0, 0}, {10, 0}, {10, 1}, {11, 1}, {11, 0}, {20, 0}});
    CalculDecalageTout(ctx);
    Attend({{0, -1}, {11, -1}, {10, -1}, {20, -1}});
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(Decalage, ProgressionDansLeCinquiemePanneau) {
    ctx.parametres.AffichageCalcul = true;
    AjouteTrace(ctx.dessin, A, {{0, 0}, {10, 0}, {10, 10}});
    CalculDecalageTout(ctx);
    ASSERT_EQ(ui.statuts.size(), 5u);
    EXPECT_EQ(ui.statuts[0], std::make_pair(5, std::string("Tracé  A - 1er passage, point n° 1")));
    EXPECT_EQ(ui.statuts[1], std::make_pair(5, std::string("Tracé  A - 2nd passage, point n° 0")));
    EXPECT_EQ(ui.statuts.back(), std::make_pair(5, std::string()));
    // Without the option the panel is only emptied.
    ui.statuts.clear();
    ctx.parametres.AffichageCalcul = false;
    DecalageSequence(ctx, A);
    EXPECT_EQ(ui.statuts, (std::vector<std::pair<int, std::string>>{{5, ""}}));
}

TEST_F(Decalage, CasOuRienNeChange) {
    AjouteTrace(ctx.dessin, A, {{4, 4}});
    AjouteTrace(ctx.dessin, Etiquette(" B"), {{0, 0}, {10, 0}});
    CalculDecalageTout(ctx);
    ASSERT_EQ(ctx.dessin.Trace_Decale.size(), 3u);
    // A single point keeps what its entry held: the point itself, never the origin.
    ASSERT_EQ(R().size(), 1u);
    EXPECT_EQ(XY(R()), (Points{{4, 4}}));
    EXPECT_EQ(R()[0].Sequence, A);
    Attend({{0, -1}, {10, -1}}, 1);
    const int sabliers = ui.nbSabliers;
    DecalageSequence(ctx, AucuneSequence);
    EXPECT_EQ(ui.nbSabliers, sabliers);
    DecalageSequence(ctx, Etiquette("ZZ"));  // no such trace
    EXPECT_TRUE(ui.messages.empty());
    ctx.dessin = Dessin{};
    CalculDecalageTout(ctx);
    EXPECT_EQ(ctx.dessin.Trace_Decale.size(), 1u);
}

TEST_F(Decalage, UnTraceSansDirection) {
    // Three times the same point: no side to offset to, nothing stored.
    AjouteTrace(ctx.dessin, A, {{0, 0}, {0, 0}, {0, 0}});
    CalculDecalageTout(ctx);
    AttendSeulMessage(ui, "Problème d'intersection", Icone::Aucune);
    EXPECT_EQ(R().size(), 1u);
    // A repeated point inside a trace is passed beside, on the same side.
    ui.messages.clear();
    ctx.dessin = Dessin{};
    AjouteTrace(ctx.dessin, A, {{0, 0}, {5, 0}, {5, 0}, {5, 0}, {10, 0}});
    CalculDecalageTout(ctx);
    EXPECT_TRUE(ui.messages.empty());
    for (const PointTrace& p : R()) EXPECT_FLOAT_EQ(p.Y, -1);
}

// The points from `debut` on lie on the circle of radius 1 round c, from `de` to `a`,
// at most 10° apart, through `par` half way.
void AttendArc(const std::vector<PointTrace>& p, std::size_t debut, std::size_t nb, std::pair<float, float> c,
               std::pair<float, float> de, std::pair<float, float> par, std::pair<float, float> a) {
    ASSERT_GE(p.size(), debut + nb);
    AttendPoints(p, {de}, 1e-5, debut);
    AttendPoints(p, {par}, 1e-5, debut + nb / 2);
    AttendPoints(p, {a}, 1e-5, debut + nb - 1);
    for (std::size_t i = debut; i < debut + nb; ++i) {
        EXPECT_NEAR(std::hypot(p[i].X - c.first, p[i].Y - c.second), 1.0, 1e-5) << i;
        if (i > debut) {
            EXPECT_LE(std::hypot(p[i].X - p[i - 1].X, p[i].Y - p[i - 1].Y), 2 * std::sin(Pi / 36) + 1e-5);
        }
    }
}

TEST_F(Decalage, DemiTourAutourDuBout) {
    // Doubling back sent the vertex some 1e16 mm away: the cutter now rolls round the end,
    // on the outside whatever its side.
    AjouteTrace(ctx.dessin, A, {{0, 0}, {10, 0}, {2, 0}});
    CalculDecalageTout(ctx);
    ASSERT_EQ(R().size(), 21u);
    AttendPoints(R(), {{0, -1}}, 1e-5);
    AttendArc(R(), 1, 19, {10, 0}, {10, -1}, {11, 0}, {10, 1});
    AttendPoints(R(), {{2, 1}}, 1e-5, 20);
    ctx.parametres.DecalageOutil = 3;
    DecalageSequence(ctx, A);
    ASSERT_EQ(R().size(), 21u);
    AttendArc(R(), 1, 19, {10, 0}, {10, 1}, {11, 0}, {10, -1});
    AttendPoints(R(), {{2, -1}}, 1e-5, 20);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(Decalage, AllerRetourFerme) {
    // The lines met exactly parallel there ("Problème d'intersection"): going there and
    // back now gives a closed path round both ends, one radius from the segment.
    AjouteTrace(ctx.dessin, A, {{0, 0}, {3, 4}, {0, 0}});
    CalculDecalageTout(ctx);
    EXPECT_TRUE(ui.messages.empty());
    ASSERT_EQ(R().size(), 39u);
    AttendArc(R(), 1, 19, {3, 4}, {3.8f, 3.4f}, {3.6f, 4.8f}, {2.2f, 4.6f});
    AttendArc(R(), 20, 19, {0, 0}, {-0.8f, 0.6f}, {-0.6f, -0.8f}, {0.8f, -0.6f});
    EXPECT_EQ(XY(R()).front(), XY(R()).back());
}

TEST_F(Decalage, CoinsAiguCreuxEtSaillants) {
    // 45° between the two segments: the vertex lies 2.6 radii out.
    const float c = float(10 - 10 * std::sqrt(0.5)), s = float(10 * std::sqrt(0.5));
    AjouteTrace(ctx.dessin, A, {{0, 0}, {10, 0}, {c, s}});
    CalculDecalageTout(ctx);
    ASSERT_EQ(R().size(), 3u);
    EXPECT_NEAR(std::hypot(R()[1].X - 10, R()[1].Y), 1 / std::sin(Pi / 8), 1e-4);
    // Rounded when very convex corners are asked for: 135° in 14 steps.
    ctx.parametres.Optimisation_2 = true;
    DecalageSequence(ctx, A);
    ASSERT_EQ(R().size(), 17u);
    const float milieu = float(Pi / 8);  // half way round: 22.5° below the axis
    AttendArc(R(), 1, 15, {10, 0}, {10, -1}, {10 + std::cos(milieu), -std::sin(milieu)},
              {10 + std::sqrt(0.5f), std::sqrt(0.5f)});
    // Inside the same corner nothing is rounded; ninety degrees is not sharp enough.
    ctx.parametres.DecalageOutil = 3;
    DecalageSequence(ctx, A);
    EXPECT_EQ(R().size(), 3u);
    ctx.dessin = Dessin{};
    ctx.parametres.DecalageOutil = 1;
    AjouteTrace(ctx.dessin, A, {{0, 0}, {10, 0}, {10, 10}});
    CalculDecalageTout(ctx);
    Attend({{0, -1}, {11, -1}, {11, 10}});
}

TEST_F(Decalage, CreuxTropEtroit) {
    // A V far narrower than the cutter, the cutter inside: its vertex would lie a hundred
    // radii back, so there is none; outside, the cutter rolls round the point.
    ctx.parametres.Optimisation_1 = false;
    ctx.parametres.DecalageOutil = 3;
    AjouteTrace(ctx.dessin, A, {{0, 0}, {100, 1}, {0, 2}});
    CalculDecalageTout(ctx);
    ASSERT_EQ(R().size(), 2u);
    EXPECT_NEAR(R()[0].Y, 1, 0.02);
    EXPECT_NEAR(R()[1].Y, 1, 0.02);
    ctx.parametres.DecalageOutil = 1;
    DecalageSequence(ctx, A);
    ASSERT_EQ(R().size(), 21u);
    EXPECT_NEAR(R()[10].X, 101, 1e-3);
}

}  // namespace

namespace {

TEST_F(Decalage, ChaqueTraceCalculeeUneFois) {
    // Rebuilding every path after the traces were reordered or one was reversed computes
    // only the trace that changed; the others keep their paths. The progress text tells
    // which traces were computed.
    ctx.parametres.AffichageCalcul = true;
    const Code2 B = Etiquette(" B"), C = Etiquette(" C");
    AjouteTrace(ctx.dessin, A, {{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}});
    AjouteTrace(ctx.dessin, B, {{20, 0}, {30, 0}, {30, 10}});
    AjouteTrace(ctx.dessin, C, {{40, 0}, {50, 0}, {50, 10}});
    CalculDecalageTout(ctx);
    const std::vector<PointTrace> cheminB = R(1);
    auto calcules = [this] {
        std::string s;
        for (const auto& [panneau, texte] : ui.statuts)
            if (texte.find("point n° 1") != std::string::npos && texte.find("1er") != std::string::npos) s += texte.substr(7, 2);
        ui.statuts.clear();
        return s;
    };
    EXPECT_EQ(calcules(), " A B C");
    // C before B, and A reversed.
    std::vector<PointTrace>& t = ctx.dessin.Trace_Initial;
    std::rotate(t.begin() + 5, t.begin() + 8, t.end());
    std::reverse(t.begin(), t.begin() + 5);
    CalculDecalageTout(ctx);
    EXPECT_EQ(calcules(), " A");
    ASSERT_EQ(ctx.dessin.Trace_Decale[2].Sequence, B);
    EXPECT_TRUE(MemesPoints(R(2), cheminB));
    // Another radius changes every path.
    ctx.parametres.RayonFraise = 2;
    CalculDecalageTout(ctx);
    EXPECT_EQ(calcules(), " A C B");
    // A closed trace started from another of its points, as the ordering does, has its
    // path turned with it: the path a fresh computation gives, to the float.
    DepartTrace(std::span(t).first(5), 2);
    CalculDecalageTout(ctx);
    EXPECT_EQ(calcules(), "");
    Contexte frais(&ui);
    frais.parametres = ctx.parametres;
    frais.dessin.Trace_Initial = t;
    frais.dessin.NbPoints = ctx.dessin.NbPoints;
    CalculDecalageTout(frais);
    calcules();
    ASSERT_EQ(R(0).size(), 5u);
    AttendPoints(R(0), XY(frais.dessin.Trace_Decale[0].Points), 1e-4);
    // A trace that changed under a kept label never keeps its old path, even when its
    // new one cannot be computed.
    t[5] = t[6] = t[7] = PointTrace{5, 5, PlumeBasse, C};
    ui.messages.clear();
    CalculDecalageTout(ctx);
    AttendSeulMessage(ui, "Problème d'intersection", Icone::Aucune);
    EXPECT_EQ(XY(R(1)), (Points{{5, 5}}));
}

}  // namespace
