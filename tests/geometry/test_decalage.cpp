#include <gtest/gtest.h>

#include "geometry/decalage.h"
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
}

TEST_F(Decalage, CarreFermeEtPointsAlignes) {
    AjouteTrace(ctx.dessin, A, {{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}});
    AjouteTrace(ctx.dessin, Etiquette(" B"), {{0, 20}, {5, 20}, {10, 20}});
    ctx.parametres.RayonFraise = 2.0;
    CalculDecalageTout(ctx);
    Attend({{-2, -2}, {12, -2}, {12, 12}, {-2, 12}, {-2, -2}});
    EXPECT_EQ(XY(R()).front(), XY(R()).back());
    Attend({{0, 18}, {5, 18}, {10, 18}}, 1);
}

TEST_F(Decalage, RayonTropGrandPourLeCarre) {
    AjouteTrace(ctx.dessin, A, {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 0}});
    ctx.parametres.RayonFraise = 3.0;
    ctx.parametres.DecalageOutil = 3;
    ctx.parametres.Optimisation_1 = false;
    CalculDecalageTout(ctx);
    Attend({{3, 3}, {-2, 3}, {-2, -2}, {3, -2}, {3, 3}});
    ctx.parametres.Optimisation_1 = true;
    DecalageSequence(ctx, A);
    Attend({{3, 3}, {-2, 3}, {-2, -2}, {3, -2}, {3, 3}});
    for (const PointTrace& p : R()) EXPECT_EQ(p.Sequence, MarqueSuppression);
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

TEST_F(Decalage, DroitesParalleles) {
    // Three times the same point: the offset line and the bisector are both horizontal.
    AjouteTrace(ctx.dessin, A, {{0, 0}, {0, 0}, {0, 0}});
    CalculDecalageTout(ctx);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].texte, "Problème d'intersection");
    EXPECT_EQ(ui.messages[0].titre, "Korvelin");
    EXPECT_EQ(R().size(), 1u);  // nothing stored
    // Doubling back is not an exact parallel: no message, the vertex lands far away.
    ui.messages.clear();
    ctx.dessin = Dessin{};
    AjouteTrace(ctx.dessin, A, {{0, 0}, {10, 0}, {2, 0}});
    CalculDecalageTout(ctx);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(R().size(), 3u);
}

}  // namespace
