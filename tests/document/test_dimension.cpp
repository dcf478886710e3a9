#include <gtest/gtest.h>

#include "document/dimension.h"
#include "document/importation.h"
#include "support/valeurs_temporaires.h"
#include "settings/magasin.h"

using namespace korvelin;

namespace {

// The dialog's own boxes (initial texts, a result typed, a point typed) are checked on the
// window; here the arithmetic behind them.
TEST(Dimension, RapportsEtResultatsAvecOuSansProportions) {
    ModeleDimension m;
    m.Charger(4000, 2000, 0.025, 0.025);
    // The decimal comma of a typed result counts.
    m.H_Resultat = "150,5";
    m.ValiderHResultat();
    EXPECT_EQ(m.H_Rapport, "0,037625");
    m.V_Resultat = "150,5";
    m.ValiderVResultat();
    EXPECT_EQ(m.V_Rapport, "0,07525");
    EXPECT_EQ(m.H_Rapport, "0,07525");
    EXPECT_EQ(m.H_Resultat, "301");

    m.Charger(4000, 2000, 0.025, 0.025);
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

    // A box as the dialog wrote it stands for the exact value behind its rounded text:
    // copying a ratio to the other axis, or leaving a result untouched, loses no fraction.
    m.Charger(3000, 1000, 0.025, 0.025);
    m.H_Resultat = "100";
    m.ValiderHResultat();
    EXPECT_EQ(*m.RapportV(), *m.RapportH());
    EXPECT_DOUBLE_EQ(*m.RapportH(), 1.0 / 30);
    m.ValiderVResultat();
    EXPECT_DOUBLE_EQ(*m.RapportH(), 1.0 / 30);

    // Ratios that are not numbers.
    m.H_Rapport = "abc";
    m.ValiderHRapport();
    EXPECT_EQ(m.H_Rapport, "0");
    EXPECT_EQ(m.H_Resultat, "0");
    m.V_Rapport = "12.5 mm";
    m.ValiderVRapport();
    EXPECT_EQ(m.V_Rapport, "12,5");
    EXPECT_EQ(m.H_Rapport, "12,5");
    // A drawing of no height keeps the ratio it had.
    m.Charger(4000, 0, 0.025, 0.025);
    EXPECT_EQ(m.V_Initial, "0");
    m.V_Resultat = "80";
    m.ValiderVResultat();
    EXPECT_EQ(m.V_Rapport, "0,025");
    EXPECT_EQ(m.H_Rapport, "0,025");
}

// The import stores the ratios the dialog closed on, for the type of the drawing, and the
// next import of that type starts from them; another type keeps its own.
TEST(DimensionRapports, LImportMemoriseLesRapportsDuType) {
    test::ValeursTemporaires t;
    t.dessin.TypeFichier = "PLT";
    t.ui.surDimension = [](ModeleDimension& m) {
        m.CliquerProportions(false);
        m.H_Rapport = "0,1";
        m.V_Rapport = "0,2";
        EXPECT_EQ(m.Fermer(), "");
        return Rapports{*m.RapportH(), *m.RapportV()};
    };
    ChoisitRapports(t.Cible(), {0, 4000, 0, 2000}, t.ui);
    EXPECT_EQ(t.magasin.Lire(t.dessin, "PLTRapportV", ""), "0,2");
    std::string vu;
    t.ui.surDimension = [&vu](ModeleDimension& m) {
        vu = m.V_Resultat + " " + m.H_Rapport;
        return Rapports{*m.RapportH(), *m.RapportV()};
    };
    ChoisitRapports(t.Cible(), {0, 4000, 0, 2000}, t.ui);
    EXPECT_EQ(vu, "400 0,1");
    t.dessin.TypeFichier = "DXF";
    ChoisitRapports(t.Cible(), {0, 4000, 0, 2000}, t.ui);
    EXPECT_EQ(vu, "2000 1");
}

// One bad ratio never poisons later imports: a stored one gives way to the default with a
// warning, a typed one keeps the dialog open and is not stored.
TEST(DimensionRapports, ZeroNegatifOuPasUnNombre) {
    for (const char* mauvais : {"0", "-0,5", "abc", "nan"}) {
        test::ValeursTemporaires t;
        t.dossier.Ecrit("Korvelin.ini", std::string("[Korvelin]\r\nPLTRapportH=") + mauvais + "\r\n");
        t.dessin.TypeFichier = "PLT";
        for (const Diagnostic& d : ChargeRapports(t.magasin, t.dessin, t.parametres))
            t.ui.Signale(d);  // as the import does, once
        t.ui.surDimension = [&](ModeleDimension& m) {
            EXPECT_EQ(m.H_Rapport, "0,025") << mauvais;
            m.V_Rapport = mauvais;
            EXPECT_NE(m.Fermer().find("vertical"), std::string::npos) << mauvais;
            return Rapports{0.025, 0.0};
        };
        ChoisitRapports(t.Cible(), {0, 4000, 0, 0}, t.ui);
        ASSERT_EQ(t.ui.messages.size(), 1u) << mauvais;
        EXPECT_EQ(t.ui.messages[0].icone, Icone::Exclamation);
        EXPECT_NE(t.ui.messages[0].texte.find("PLTRapportH"), std::string::npos);
        EXPECT_EQ(t.magasin.Lire(t.dessin, "PLTRapportV", "rien"), "rien");
    }
}

}  // namespace
