// Files written on a French desktop and read on another, and the reverse: the C library's
// decimal comma must reach neither a settings file nor a project nor a reading. (The whole
// suite also runs under both locales: point files and old projects with commas are read
// under each by the readers' own tests.)

#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "document/dimension.h"
#include "document/enregistrement.h"
#include "support/import_test.h"
#include "support/valeurs_temporaires.h"
#include "settings/magasin.h"

namespace korvelin {
namespace {

using test::DossierTemporaire;

void Locale(const char* nom) { ASSERT_NE(std::setlocale(LC_NUMERIC, nom), nullptr) << nom; }

// The suite's own locale comes back after the test: the tests that follow in the same
// process must run under the locale the run asked for.
struct LocaleRendue {
    std::string avant = std::setlocale(LC_NUMERIC, nullptr);
    ~LocaleRendue() { std::setlocale(LC_NUMERIC, avant.c_str()); }
};

TEST(Locales, ReglagesEtProjetsSeRelisentPareilDUneLocaleALAutre) {
    const LocaleRendue rendue;
    for (const auto& [ecriture, lecture] : {std::pair{"C", "fr_FR.UTF-8"}, {"fr_FR.UTF-8", "C"}}) {
        SCOPED_TRACE(std::string(ecriture) + " puis " + lecture);
        Locale(ecriture);
        test::ValeursTemporaires e;
        // A radius typed "1,5" is stored as a plain number with its fraction.
        ASSERT_TRUE(e.magasin.Ecrire(e.dessin, {{"RayonFraise", "1,5"}, {"MargeX", "12,5"}, {"TempsMin_Mat_X", "0.75"}})
                        .empty());
        EXPECT_NE(DossierTemporaire::Lit(e.magasin.CheminIni).find("RayonFraise=1.5\r\n"), std::string::npos);
        e.dessin.TypeFichier = "PLT";
        e.ui.surDimension = [](ModeleDimension& m) {
            EXPECT_EQ(m.H_Rapport, "0,025");
            m.H_Resultat = "100";
            m.ValiderHResultat();
            EXPECT_EQ(m.H_Rapport, "0,0224972");  // what the box shows, not the ratio used
            EXPECT_EQ(m.Fermer(), "");
            return Rapports{*m.RapportH(), *m.RapportV()};
        };
        ChoisitRapports(e.Cible(), {0, 4445, 0, 0}, e.ui);
        const float coins[][2] = {{220.0003f, 81.9651f}, {-0.025f, 1e-6f}, {999999.9f, -12345.67f}};
        for (const auto& c : coins) e.dessin.Trace_Initial.push_back({c[0], c[1], PlumeBasse, PremiereSequence});
        e.dessin.NbPoints = 3;
        e.dessin.NomFichier = e.dossier.Chemin("piece.plt");
        ASSERT_TRUE(EnregistreProjet(e.dessin, e.magasin.CheminIni, e.ui));

        Locale(lecture);
        test::ValeursTemporaires l;
        l.magasin.CheminIni = e.magasin.CheminIni;
        l.dessin.TypeFichier = "PLT";
        ChargeDemarrage(l.magasin, l.dessin, l.parametres);
        ChargeRapports(l.magasin, l.dessin, l.parametres);
        EXPECT_EQ(l.parametres.RayonFraise, 1.5);
        EXPECT_EQ(l.parametres.MargeX, 12.5);
        EXPECT_EQ(l.parametres.TempsMin_Mat_X, 0.75);
        EXPECT_EQ(l.parametres.RapportH, 100.0 / 4445.0);
        ASSERT_TRUE(test::OuvreProjet(l.Cible(), e.dessin.NomFichier));
        ASSERT_EQ(l.dessin.NbPoints, 3);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(l.dessin.Trace_Initial[i].X, coins[i][0]);
            EXPECT_EQ(l.dessin.Trace_Initial[i].Y, coins[i][1]);
        }
        EXPECT_EQ(l.parametres.RayonFraise, 1.5);  // from the project's own lines
    }
}

}  // namespace
}  // namespace korvelin
