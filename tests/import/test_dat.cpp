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
    // The file is refused with this message and the drawing is left as it was.
    void ExpectRefus(std::string_view texte, const std::string& message) {
        ui.messages.clear();
        EXPECT_FALSE(LectureDATTexte(ctx, texte)) << texte;
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].texte, message);
        EXPECT_EQ(ui.messages[0].titre, "Korvelin");
        EXPECT_EQ(ui.messages[0].icone, Icone::Critique);
        EXPECT_EQ(ctx.dessin.NbPoints, 2);
        EXPECT_EQ(ctx.dessin.Trace_Initial[0].X, 7.0f);
        EXPECT_EQ(ctx.dessin.Xmax, 9.0);
    }
};

TEST_F(LectureDATTest, PointsMisALOrigineDernierPointGarde) {
    ASSERT_TRUE(LectureDATTexte(ctx, "10.5 20.0\r\n30.0 40.25\r\nProfil NACA\r\n"));
    EXPECT_EQ(ui.nbDimensions, 1);
    ASSERT_EQ(ctx.dessin.NbPoints, 2);
    const auto& t = ctx.dessin.Trace_Initial;
    EXPECT_EQ(t[0].X, 0.0f);
    EXPECT_EQ(t[0].Y, 0.0f);
    EXPECT_EQ(t[1].X, 19.5f);
    EXPECT_EQ(t[1].Y, 20.25f);
    EXPECT_EQ(t[1].Plume, PlumeBasse);
    EXPECT_EQ(t[1].Sequence, PremiereSequence);

    // Integers, tabs, a leading blank and a last line without its end are skipped; a third
    // column runs into Y; repeated points go; ratios apply.
    ui.surDimension = [](Contexte& c) { c.parametres.RapportH = 10; };
    ASSERT_TRUE(LectureDATTexte(ctx, "1 2\r\n1.0\t2.0\r\n 3.0 4.0\r\n1.5 2.5 3.5\r\n0.5 0.5\n0.5 0.5\n9.0 9.0"));
    ASSERT_EQ(ctx.dessin.NbPoints, 2);
    EXPECT_FLOAT_EQ(t[0].X, 10.0f);
    EXPECT_FLOAT_EQ(t[0].Y, 2.03f);
    EXPECT_FLOAT_EQ(t[1].X, 0.0f);
}

TEST_F(LectureDATTest, FichiersRefuses) {
    ExpectRefus("10 20\r\n30 40\r\n", "Fichier inexploitable !");
    ExpectRefus("1.5 2.5", "Fichier inexploitable !");
    ExpectRefus("1.5 2.5\r\n1.5 2.5\r\n", "Fichier vide !");
    ExpectRefus("0.0 0.0\r\n1.0e300 2.0\r\n", "Fichier inexploitable ! La ligne 2 porte une coordonnée hors limites.");
    ui.surDimension = [](Contexte& c) { c.parametres.RapportH = 1e200; };
    ExpectRefus("0.0 0.0\r\n1.0 2.0\r\n", "Les rapports choisis donnent des dimensions hors limites : le dessin "
                                          "n'est pas importé.");
    EXPECT_EQ(ctx.dessin.Xmin, 0.0);
}

TEST_F(LectureDATTest, DepuisUnFichier) {
    EXPECT_FALSE(LectureDAT(ctx, ""));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_FALSE(LectureDAT(ctx, dossier.Chemin("absent.dat")));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].texte.find("absent.dat"), std::string::npos);

    const std::string chemin = dossier.Ecrit("aile.dat", "AILE\r\n1.0 0.0\r\n0.5 0.06\r\n0.0 0.0\r\n0.5 -0.04\r\n");
    MesureDAT m;
    ASSERT_TRUE(AnalyseDAT(ctx, chemin, &m));
    EXPECT_EQ(m.NbPoints, 4);
    EXPECT_DOUBLE_EQ(m.Ymin, -0.04);
    EXPECT_DOUBLE_EQ(m.Ymax, 0.06);
    EXPECT_EQ(ctx.dessin.Xmax, 9.0);  // measuring changes nothing
    ASSERT_TRUE(LectureDAT(ctx, chemin));
    EXPECT_EQ(ctx.dessin.NbPoints, 4);
}

}  // namespace
}  // namespace korvelin
