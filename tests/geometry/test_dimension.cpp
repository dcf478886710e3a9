#include <gtest/gtest.h>

#include "geometry/dimension.h"
#include "settings/magasin.h"
#include "settings/aide_contexte.h"
#include "support/dossier_temporaire.h"

using namespace korvelin;
using korvelin::test::DossierTemporaire;

namespace {

struct Dimension : ::testing::Test {
    DossierTemporaire dossier;
    Contexte ctx;
    ModeleDimension m;

    void SetUp() override {
        ctx.CheminIni = dossier.Chemin("Korvelin.ini");
        ctx.dessin.TypeFichier = "PLT";
        ctx.dessin.Xmax = 4000;
        ctx.dessin.Ymax = 2000;
        m.Charger(ctx);
    }
};

TEST_F(Dimension, ResultatEtRapportSeDeduisentLUnDeLAutre) {
    EXPECT_EQ(m.H_Initial, "4000");
    EXPECT_EQ(m.H_Rapport, "0,025");
    EXPECT_EQ(m.H_Resultat, "100");
    EXPECT_EQ(m.V_Resultat, "50");

    m.H_Resultat = "150";
    m.ValiderHResultat();
    EXPECT_EQ(m.H_Rapport, "0,0375");
    EXPECT_EQ(m.V_Rapport, "0,0375");
    EXPECT_EQ(m.V_Resultat, "75");

    // The decimal comma of a typed result counts.
    m.H_Resultat = "150,5";
    m.ValiderHResultat();
    EXPECT_EQ(m.H_Rapport, "0,037625");
    m.V_Resultat = "150,5";
    m.ValiderVResultat();
    EXPECT_EQ(m.V_Rapport, "0,07525");
    EXPECT_EQ(m.H_Rapport, "0,07525");
    EXPECT_EQ(m.H_Resultat, "301");
}

TEST_F(Dimension, SansProportionsChaqueAxeSeul) {
    m.CliquerProportions(false);
    m.H_Rapport = "0,5";
    m.ValiderHRapport();
    EXPECT_EQ(m.H_Resultat, "2000");
    EXPECT_EQ(m.V_Rapport, "0,025");
    EXPECT_EQ(m.V_Resultat, "50");
    // Checking the box again copies the ratio, the result waits for a box to be left.
    m.CliquerProportions(true);
    EXPECT_EQ(m.V_Rapport, "0,5");
    EXPECT_EQ(m.V_Resultat, "50");
    m.ValiderVRapport();
    EXPECT_EQ(m.V_Resultat, "1000");
}

TEST_F(Dimension, RapportsQuiNeSontPasDesNombresEtHauteurNulle) {
    m.H_Rapport = "abc";
    m.ValiderHRapport();
    EXPECT_EQ(m.H_Rapport, "0");
    EXPECT_EQ(m.H_Resultat, "0");
    m.V_Rapport = "12.5 mm";
    m.ValiderVRapport();
    EXPECT_EQ(m.V_Rapport, "12,5");
    EXPECT_EQ(m.H_Rapport, "12,5");
    EXPECT_EQ(ToucheDimension('.'), ',');
    EXPECT_EQ(ToucheDimension('7'), '7');
    // A drawing of no height keeps the ratio it had.
    ctx.dessin.Ymax = 0;
    m.Charger(ctx);
    EXPECT_EQ(m.V_Initial, "0");
    m.V_Resultat = "80";
    m.ValiderVResultat();
    EXPECT_EQ(m.V_Rapport, "0,025");
    EXPECT_EQ(m.H_Rapport, "0,025");
}

TEST_F(Dimension, LaFermetureMemoriseLesRapportsDuType) {
    m.CliquerProportions(false);
    m.H_Rapport = "0,1";
    m.V_Rapport = "0,2";
    m.Fermer(ctx);
    EXPECT_EQ(ctx.parametres.RapportH, 0.1);
    EXPECT_EQ(ctx.parametres.RapportV, 0.2);
    EXPECT_EQ(LireParametre(ctx, "PLTRapportH", ""), "0,1");
    EXPECT_EQ(LireParametre(ctx, "PLTRapportV", ""), "0,2");
    // The next import of the type starts from them; another type keeps its own.
    ModeleDimension suivant;
    suivant.Charger(ctx);
    EXPECT_EQ(suivant.V_Resultat, "400");
    ctx.dessin.TypeFichier = "DXF";
    suivant.Charger(ctx);
    EXPECT_EQ(suivant.H_Rapport, "1");
}

// One bad ratio never poisons later imports: a stored one gives way to the default with a
// warning, a typed one keeps the dialog open and is not stored.
TEST(DimensionRapports, ZeroNegatifOuPasUnNombre) {
    for (const char* mauvais : {"0", "-0,5", "abc", "nan"}) {
        test::ContexteTemporaire t;
        t.dossier.Ecrit("Korvelin.ini", std::string("[Korvelin]\r\nPLTRapportH=") + mauvais + "\r\n");
        t.ctx.dessin.TypeFichier = "PLT";
        t.ctx.dessin.Xmax = 4000;
        ChargeRapports(t.ctx);  // as the reader does before the dialog, which says it once
        ModeleDimension m;
        m.Charger(t.ctx);
        EXPECT_EQ(m.H_Rapport, "0,025") << mauvais;
        ASSERT_EQ(t.ui.messages.size(), 1u) << mauvais;
        EXPECT_EQ(t.ui.messages[0].icone, Icone::Exclamation);
        EXPECT_NE(t.ui.messages[0].texte.find("PLTRapportH"), std::string::npos);

        m.V_Rapport = mauvais;
        EXPECT_NE(m.Fermer(t.ctx).find("vertical"), std::string::npos) << mauvais;
        EXPECT_EQ(LireParametre(t.ctx, "PLTRapportV", "rien"), "rien");
    }
}

}  // namespace
