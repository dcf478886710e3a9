#include <gtest/gtest.h>

#include "import/dat.h"
#include "support/dossier_temporaire.h"
#include "support/ui_enregistreuse.h"

namespace korvelin {
namespace {

class LectureDATTest : public ::testing::Test {
protected:
    test::DossierTemporaire dossier;
    test::UiEnregistreuse ui;
    Contexte ctx{&ui};

    void SetUp() override {
        ctx.CheminIni = dossier.Chemin("Korvelin.ini");
        ctx.dessin.TypeFichier = "DAT";
        ctx.dessin.Trace_Initial = {{7, 8, PlumeBasse, PremiereSequence}, {9, 9, PlumeBasse, PremiereSequence}};
        ctx.dessin.NbPoints = 2;
        ctx.dessin.Xmax = 9;
    }
    void ExpectDessinInchange() {
        EXPECT_EQ(ctx.dessin.NbPoints, 2);
        ASSERT_EQ(ctx.dessin.Trace_Initial.size(), 2u);
        EXPECT_EQ(ctx.dessin.Trace_Initial[0].X, 7.0f);
        EXPECT_EQ(ctx.dessin.Xmax, 9.0);
    }
    void ExpectMessage(const std::string& texte) {
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].texte, texte);
        EXPECT_EQ(ui.messages[0].titre, "Korvelin");
        EXPECT_EQ(ui.messages[0].icone, Icone::Critique);
    }
};

TEST_F(LectureDATTest, DeuxPointsMisALOrigine) {
    ASSERT_TRUE(LectureDATTexte(ctx, "10.5 20.0\r\n30.0 40.25\r\nProfil NACA\r\n"));
    EXPECT_EQ(ui.nbDimensions, 1);
    ASSERT_EQ(ctx.dessin.NbPoints, 2);
    const auto& t = ctx.dessin.Trace_Initial;
    EXPECT_EQ(t[0].X, 0.0f);
    EXPECT_EQ(t[0].Y, 0.0f);
    EXPECT_EQ(t[1].X, 19.5f);
    EXPECT_EQ(t[1].Y, 20.25f);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(t[i].Plume, PlumeBasse);
        EXPECT_EQ(t[i].Sequence, PremiereSequence);
    }
}

TEST_F(LectureDATTest, LignesRetenuesOuSautees) {
    // Integers, tabs, a leading blank, a third column that runs into Y, no final line end.
    ASSERT_TRUE(LectureDATTexte(ctx, "1 2\r\n1.0\t2.0\r\n 3.0 4.0\r\n1.5 2.5 3.5\r\n0.5 0.5\r\n9.0 9.0"));
    ASSERT_EQ(ctx.dessin.NbPoints, 2);
    const auto& t = ctx.dessin.Trace_Initial;
    EXPECT_FLOAT_EQ(t[0].X, 1.0f);
    EXPECT_FLOAT_EQ(t[0].Y, 2.03f);
    EXPECT_FLOAT_EQ(t[1].X, 0.0f);
    EXPECT_FLOAT_EQ(t[1].Y, 0.0f);
}

TEST_F(LectureDATTest, LeDernierPointResteEtLesDoublonsPartent) {
    ui.surDimension = [](Contexte& c) {
        EXPECT_DOUBLE_EQ(c.dessin.Xmin, 0.0);
        EXPECT_DOUBLE_EQ(c.dessin.Xmax, 1.0);
        EXPECT_DOUBLE_EQ(c.dessin.Ymax, 0.5);
        c.parametres.RapportH = 10;
        c.parametres.RapportV = 2;
    };
    ASSERT_TRUE(LectureDATTexte(ctx, "1.0 0.0\n0.5 0.5\n0.5 0.5\n0.0 0.0\n1.0 0.0\n"));
    ASSERT_EQ(ctx.dessin.NbPoints, 4);
    const auto& t = ctx.dessin.Trace_Initial;
    ASSERT_GE(t.size(), 4u);
    EXPECT_EQ(t[1].X, 5.0f);
    EXPECT_EQ(t[1].Y, 1.0f);
    EXPECT_EQ(t[3].X, 10.0f);
    EXPECT_EQ(t[3].Y, 0.0f);
}

TEST_F(LectureDATTest, FichiersRefuses) {
    EXPECT_FALSE(LectureDATTexte(ctx, "10 20\r\n30 40\r\n"));
    ExpectMessage("Fichier inexploitable !");
    ExpectDessinInchange();
    ui.messages.clear();

    EXPECT_FALSE(LectureDATTexte(ctx, "1.5 2.5\r\n1.5 2.5\r\n1.5 2.5\r\n"));
    ExpectMessage("Fichier vide !");
    ExpectDessinInchange();
    ui.messages.clear();

    EXPECT_FALSE(LectureDATTexte(ctx, "1.5 2.5\r\n"));
    ExpectMessage("Fichier vide !");
    ui.messages.clear();

    // Only a last line without its end: no data line.
    EXPECT_FALSE(LectureDATTexte(ctx, "1.5 2.5"));
    ExpectMessage("Fichier inexploitable !");
    ui.messages.clear();

    EXPECT_FALSE(LectureDATTexte(ctx, "0.0 0.0\r\n1.0e300 2.0\r\n"));
    ExpectMessage("Fichier inexploitable ! La ligne 2 porte une coordonnée hors limites.");
    ExpectDessinInchange();
    ui.messages.clear();

    ui.surDimension = [](Contexte& c) { c.parametres.RapportH = 1e200; };
    EXPECT_FALSE(LectureDATTexte(ctx, "0.0 0.0\r\n1.0 2.0\r\n"));
    ASSERT_EQ(ui.messages.size(), 1u);
    ExpectDessinInchange();
    EXPECT_EQ(ctx.dessin.Xmin, 0.0);
    EXPECT_EQ(ui.nbDimensions, 1);
}

TEST_F(LectureDATTest, DepuisUnFichier) {
    EXPECT_FALSE(LectureDAT(ctx, ""));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_FALSE(LectureDAT(ctx, dossier.Chemin("absent.dat")));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].texte.find("absent.dat"), std::string::npos);
    ExpectDessinInchange();
    EXPECT_FALSE(AnalyseDAT(ctx, dossier.Dossier()));

    const std::string chemin = dossier.Ecrit("aile.dat", "AILE\r\n1.0 0.0\r\n0.5 0.06\r\n0.0 0.0\r\n0.5 -0.04\r\n");
    MesureDAT m;
    ASSERT_TRUE(AnalyseDAT(ctx, chemin, &m));
    EXPECT_EQ(m.NbPoints, 4);
    EXPECT_DOUBLE_EQ(m.Xmin, 0.0);
    EXPECT_DOUBLE_EQ(m.Xmax, 1.0);
    EXPECT_DOUBLE_EQ(m.Ymin, -0.04);
    EXPECT_DOUBLE_EQ(m.Ymax, 0.06);
    ExpectDessinInchange();
    ASSERT_TRUE(LectureDAT(ctx, chemin));
    EXPECT_EQ(ctx.dessin.NbPoints, 4);
}

}  // namespace
}  // namespace korvelin
