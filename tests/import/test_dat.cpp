#include <gtest/gtest.h>

#include "document/importation.h"
#include "import/dat.h"
#include "model/aide_dessin.h"
#include "support/valeurs_temporaires.h"

namespace korvelin {
namespace {

struct LectureDATTest : ::testing::Test, test::ValeursTemporaires {
    void SetUp() override {
        dessin.TypeFichier = "DAT";
        dessin.Trace_Initial = {{7, 8, PlumeBasse, PremiereSequence}, {9, 9, PlumeBasse, PremiereSequence}};
        dessin.NbPoints = 2;
        dessin.Xmax = 9;
    }
    // The file is refused with this verdict and line, and the drawing is left as it was.
    void ExpectRefus(std::string_view texte, std::string_view verdict, std::size_t ligne = 0) {
        ui.messages.clear();
        EXPECT_FALSE(AcheveDAT(Cible(), LitDAT(texte), ui)) << texte;
        test::AttendRefus(ui, verdict, ligne);
        EXPECT_TRUE(dessin.NbPoints == 2 && dessin.Trace_Initial[0].X == 7.0f && dessin.Xmax == 9.0);
    }
};

TEST(LectureDAT, LeLecteurSeulDonneLesValeursExactes) {
    const DessinLu l = LitDAT("X Y\r\n0.1 -2.5\r\n3.0 4.0\r\n");
    ASSERT_TRUE(l.diagnostics.empty());
    EXPECT_EQ(l.Coordonnees, (std::vector<std::pair<double, double>>{{0.1, -2.5}, {3.0, 4.0}}));
    EXPECT_TRUE(l.Bornes.Xmin == 0.1 && l.Bornes.Ymin == -2.5 && l.Bornes.Ymax == 4.0);
}

TEST_F(LectureDATTest, PointsMisALOrigineDernierPointGarde) {
    ASSERT_TRUE(AcheveDAT(Cible(), LitDAT("10.5 20.0\r\n30.0 40.25\r\nProfil NACA\r\n"), ui));
    EXPECT_EQ(ui.nbDimensions, 1);
    ASSERT_EQ(dessin.NbPoints, 2);
    const auto& t = dessin.Trace_Initial;
    EXPECT_EQ(test::XY(t, 0, 2), (test::Points{{0, 0}, {19.5f, 20.25f}}));
    EXPECT_TRUE(t[1].Plume == PlumeBasse && t[1].Sequence == PremiereSequence);

    // Integers, tabs, a leading blank and a last line without its end are skipped; a third
    // column runs into Y; repeated points go; ratios apply.
    ui.surDimension = [](ModeleDimension& m) { return Rapports{10, *m.RapportV()}; };
    ASSERT_TRUE(
        AcheveDAT(Cible(), LitDAT("1 2\r\n1.0\t2.0\r\n 3.0 4.0\r\n1.5 2.5 3.5\r\n0.5 0.5\n0.5 0.5\n9.0 9.0"), ui));
    ASSERT_EQ(dessin.NbPoints, 2);
    test::AttendPoints(t, {{10.0f, 2.03f}, {0.0f, t[1].Y}});
}

TEST_F(LectureDATTest, FichiersRefuses) {
    ExpectRefus("10 20\r\n30 40\r\n", "Fichier inexploitable !", 1);
    ExpectRefus("1.5 2.5", "Fichier inexploitable !");
    // Binary or text that only here and there looks like two numbers is not a profile.
    ExpectRefus("\x7f\x45LF\x02\r\n1.5 2.5\r\n\x01x.y z.w\r\n0.5 ..\r\n-- . .\r\n\xff 3.0 4.0\r\n",
                "Fichier inexploitable !", 1);
    ExpectRefus("1.5 2.5\r\n1.5 2.5\r\n", "Fichier vide !");
    // Beyond the double range as beyond the coordinate limit: the line is named.
    ExpectRefus("0.0 0.0\r\n1.0e300 2.0\r\n", "Fichier inexploitable !", 2);
    ExpectRefus("0.0 0.0\r\n1.0 2.0\r\n1.0e400 2.0\r\n", "Fichier inexploitable !", 3);
    ui.surDimension = [](ModeleDimension& m) { return Rapports{1e200, *m.RapportV()}; };
    ui.messages.clear();
    EXPECT_FALSE(AcheveDAT(Cible(), LitDAT("0.0 0.0\r\n1.0 2.0\r\n"), ui));
    test::AttendSeulMessage(ui,
                            "Les rapports choisis donnent des dimensions hors limites : le dessin n'est pas importé.");
    EXPECT_EQ(dessin.Xmin, 0.0);
}

TEST_F(LectureDATTest, DepuisUnFichier) {
    EXPECT_FALSE(ImporteDAT(Cible(), "", ui));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_FALSE(ImporteDAT(Cible(), dossier.Chemin("absent.dat"), ui));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].texte.find("absent.dat"), std::string::npos);

    const std::string chemin = dossier.Ecrit("aile.dat", "AILE\r\n1.0 0.0\r\n0.5 0.06\r\n0.0 0.0\r\n0.5 -0.04\r\n");
    ASSERT_TRUE(ImporteDAT(Cible(), chemin, ui));
    EXPECT_EQ(dessin.NbPoints, 4);
}

}  // namespace
}  // namespace korvelin
