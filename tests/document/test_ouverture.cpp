#include <gtest/gtest.h>

#include "support/import_test.h"
#include "platform/ini.h"
#include "settings/magasin.h"
#include "support/valeurs_temporaires.h"

namespace korvelin {
namespace {

using test::DossierTemporaire;

struct Ouverture : test::ValeursTemporaires {
    Ouverture() {
        parametres.DecalageOutil = 2;  // offsets on the line keep the bounds of the points
    }
    std::string Ini(const char* cle) { return LireIni(magasin.CheminIni, SectionIni, cle).value_or("?"); }
};

// A lone first point " A", then a trace " B".
const char* const Projet2Traces =
    "$$RayonFraise=2\r\n"
    " 10            10             PD              A\r\n"
    " 15            12             PD              B\r\n"
    " 20            17             PD              B\r\n";

TEST(OuvrirDessin, ReadsByExtensionAndRemembersThePath) {
    Ouverture o;
    const std::string plt = o.dossier.Ecrit("piece.PLT", "PU0,0;PD4000,0;PD4000,2000;");
    ASSERT_TRUE(test::Ouvre(o.Cible(), plt));
    EXPECT_EQ(o.dessin.NomFichier, plt);
    EXPECT_EQ(o.dessin.TypeFichier, "PLT");
    EXPECT_DOUBLE_EQ(o.dessin.Xmax, 100);  // 0.025 mm per plotter unit
    EXPECT_EQ(o.Ini("Fichier"), plt);

    ASSERT_TRUE(test::Ouvre(o.Cible(), o.dossier.Ecrit("b.hpgl", "PU0,0;PD400,0;PD400,200;")));
    EXPECT_EQ(o.dessin.TypeFichier, "HPGL");
    EXPECT_DOUBLE_EQ(o.dessin.Xmax, 10);

    // Another extension reads nothing: the drawing in memory goes on under the new name.
    const std::string texte = o.dossier.Ecrit("notes.txt", "PU0,0;PD1,1;");
    EXPECT_TRUE(test::Ouvre(o.Cible(), texte));
    EXPECT_EQ(o.dessin.TypeFichier, "TXT");
    EXPECT_EQ(o.dessin.NbPoints, 3);
    EXPECT_FALSE(test::Ouvre(o.Cible(), o.dossier.Ecrit("un.plt", "PU5,5;PD5,5;")));
}

TEST(OuvrirDessin, ProjectIsTheSettingsStoreUntilAnotherTypeIsOpened) {
    Ouverture o;
    const std::string projet = o.dossier.Ecrit("p.korvelin", Projet2Traces);
    ASSERT_TRUE(test::Ouvre(o.Cible(), projet));
    EXPECT_EQ(o.dessin.TypeFichier, "KORVELIN");
    EXPECT_EQ(o.dessin.FichierProjet, projet);
    EXPECT_DOUBLE_EQ(o.parametres.RayonFraise, 2);
    // The lone first point is dropped and the rest moved to the origin; without one the
    // drawing stays where it lies.
    ASSERT_EQ(o.dessin.NbPoints, 2);
    EXPECT_FLOAT_EQ(o.dessin.Trace_Initial[0].X, 0);
    EXPECT_FLOAT_EQ(o.dessin.Trace_Initial[1].Y, 5);
    Ouverture q;
    ASSERT_TRUE(test::Ouvre(q.Cible(), q.dossier.Ecrit("q.Korvelin",
                                                       " 10            10             PD              A\r\n"
                                                       " 15            12             PD              A\r\n")));
    EXPECT_FLOAT_EQ(q.dessin.Trace_Initial[0].X, 10);
    EXPECT_DOUBLE_EQ(q.dessin.Xmin, 10);

    // Nothing but the lone point and one more: a single point is left, and the user is told.
    const std::size_t avant = o.ui.messages.size();
    EXPECT_FALSE(test::Ouvre(o.Cible(), o.dossier.Ecrit("deux.Korvelin",
                                                        " 10            10             PD              A\r\n"
                                                        " 15            12             PD              B\r\n")));
    EXPECT_EQ(o.dessin.NbPoints, 1);
    ASSERT_EQ(o.ui.messages.size(), avant + 1);
    EXPECT_TRUE(o.ui.messages.back().texte.starts_with("Fichier vide !\r\n« " + o.dossier.Chemin("deux.Korvelin")));

    const std::string plt = o.dossier.Ecrit("a.plt", "PU0,0;PD400,0;PD400,400;");
    ASSERT_TRUE(test::Ouvre(o.Cible(), plt));
    // Its path goes to the INI file, not into the project that was open.
    EXPECT_TRUE(o.dessin.FichierProjet.empty());
    EXPECT_EQ(DossierTemporaire::Lit(projet), Projet2Traces);
    EXPECT_EQ(o.Ini("Fichier"), plt);

    // An unusable project keeps the drawing in memory, but never as a settings store.
    EXPECT_TRUE(test::Ouvre(o.Cible(), o.dossier.Ecrit("vide.Korvelin", "$$MargeX=1\r\n")));
    EXPECT_TRUE(o.dessin.FichierProjet.empty());
    EXPECT_TRUE(o.ui.messages.back().texte.starts_with("Fichier inexploitable !\r\n« "));
}

}  // namespace
}  // namespace korvelin
