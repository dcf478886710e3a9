#include <gtest/gtest.h>

#include "import/ouverture.h"
#include "platform/ini.h"
#include "settings/magasin.h"
#include "support/dossier_temporaire.h"
#include "support/ui_enregistreuse.h"

namespace korvelin {
namespace {

using test::DossierTemporaire;
using test::UiEnregistreuse;

struct Ouverture {
    DossierTemporaire dossier;
    UiEnregistreuse ui;
    Contexte ctx{&ui};
    Ouverture() {
        ctx.CheminIni = dossier.Chemin("Korvelin.ini");
        ctx.parametres.DecalageOutil = 2;  // offsets on the line keep the bounds of the points
    }
};

const char* const Projet2Traces =
    "$$RayonFraise=2\r\n"
    " 10            10             PD              A\r\n"
    " 15            12             PD              B\r\n"
    " 20            17             PD              B\r\n";

TEST(OuvrirDessin, PlotterFileByItsExtension) {
    Ouverture o;
    const std::string chemin = o.dossier.Ecrit("piece.PLT", "PU0,0;PD4000,0;PD4000,2000;");
    ASSERT_TRUE(OuvrirDessin(o.ctx, chemin));
    const Dessin& d = o.ctx.dessin;
    EXPECT_EQ(d.NomFichier, chemin);
    EXPECT_EQ(d.TypeFichier, "PLT");
    EXPECT_EQ(d.NbPoints, 3);
    EXPECT_DOUBLE_EQ(d.Xmax, 100);  // 0.025 mm per plotter unit
    EXPECT_DOUBLE_EQ(d.Ymax, 50);
    EXPECT_FALSE(d.AttenteCoteDecalage);
    EXPECT_EQ(LireIni(o.ctx.CheminIni, SectionIni, "Fichier"), chemin);

    const std::string hpgl = o.dossier.Ecrit("piece.hpgl", "PU0,0;PD40,0;PD40,20;");
    ASSERT_TRUE(OuvrirDessin(o.ctx, hpgl));
    EXPECT_EQ(d.TypeFichier, "HPGL");
    EXPECT_DOUBLE_EQ(d.Xmax, 40);
}

TEST(OuvrirDessin, ProjectBecomesTheSettingsStoreOnlyWhenRead) {
    Ouverture o;
    const std::string projet = o.dossier.Ecrit("p.korvelin", Projet2Traces);
    ASSERT_TRUE(OuvrirDessin(o.ctx, projet));
    EXPECT_EQ(o.ctx.dessin.TypeFichier, "KORVELIN");
    EXPECT_EQ(o.ctx.dessin.FichierProjet, projet);
    EXPECT_DOUBLE_EQ(o.ctx.parametres.RayonFraise, 2);

    const std::string vide = o.dossier.Ecrit("vide.Korvelin", "$$MargeX=1\r\n");
    // The drawing of the first project stays in memory, but not as a settings store.
    EXPECT_TRUE(OuvrirDessin(o.ctx, vide));
    EXPECT_EQ(o.ctx.dessin.NomFichier, vide);
    EXPECT_TRUE(o.ctx.dessin.FichierProjet.empty());
    EXPECT_EQ(o.ui.messages.back().texte, "Fichier inexploitable !");
}

TEST(OuvrirDessin, AnotherTypeAfterAProjectLeavesBothFilesAlone) {
    Ouverture o;
    const std::string projet = o.dossier.Ecrit("p.Korvelin", Projet2Traces);
    const std::string plt = o.dossier.Ecrit("a.plt", "PU0,0;PD400,0;PD400,400;");
    ASSERT_TRUE(OuvrirDessin(o.ctx, projet));
    ASSERT_TRUE(OuvrirDessin(o.ctx, plt));
    EXPECT_TRUE(o.ctx.dessin.FichierProjet.empty());
    // A settings write now goes to the INI file, never into the drawing just opened.
    ASSERT_TRUE(EcrireParametre(o.ctx, "HautDeg", "7"));
    EXPECT_EQ(DossierTemporaire::Lit(projet), Projet2Traces);
    EXPECT_EQ(DossierTemporaire::Lit(plt), "PU0,0;PD400,0;PD400,400;");
    EXPECT_EQ(LireIni(o.ctx.CheminIni, SectionIni, "HautDeg"), "7");
    EXPECT_EQ(LireIni(o.ctx.CheminIni, SectionIni, "Fichier"), plt);
}

TEST(OuvrirDessin, LoneFirstPointIsDroppedAndTheRestMovedToTheOrigin) {
    Ouverture o;
    ASSERT_TRUE(OuvrirDessin(o.ctx, o.dossier.Ecrit("p.Korvelin", Projet2Traces)));
    const Dessin& d = o.ctx.dessin;
    ASSERT_EQ(d.NbPoints, 2);
    EXPECT_FLOAT_EQ(d.Trace_Initial[0].X, 0);
    EXPECT_FLOAT_EQ(d.Trace_Initial[0].Y, 0);
    EXPECT_FLOAT_EQ(d.Trace_Initial[1].X, 5);
    EXPECT_FLOAT_EQ(d.Trace_Initial[1].Y, 5);
    EXPECT_DOUBLE_EQ(d.Xmin, 0);

    // Without a lone point the drawing stays where it lies.
    Ouverture p;
    ASSERT_TRUE(OuvrirDessin(p.ctx, p.dossier.Ecrit("q.Korvelin",
                                                   " 10            10             PD              A\r\n"
                                                   " 15            12             PD              A\r\n")));
    EXPECT_FLOAT_EQ(p.ctx.dessin.Trace_Initial[0].X, 10);
    EXPECT_DOUBLE_EQ(p.ctx.dessin.Xmin, 10);
}

TEST(OuvrirDessin, UnknownTypeReadsNothingAndKeepsTheDrawing) {
    Ouverture o;
    ASSERT_TRUE(OuvrirDessin(o.ctx, o.dossier.Ecrit("a.plt", "PU0,0;PD400,0;PD400,400;")));
    const std::string texte = o.dossier.Ecrit("notes.txt", "PU0,0;PD1,1;");
    EXPECT_TRUE(OuvrirDessin(o.ctx, texte));
    EXPECT_EQ(o.ctx.dessin.TypeFichier, "TXT");
    EXPECT_EQ(o.ctx.dessin.NomFichier, texte);
    EXPECT_EQ(o.ctx.dessin.NbPoints, 3);
    EXPECT_EQ(o.ui.nbDimensions, 1);

    Ouverture sansExtension;
    EXPECT_FALSE(OuvrirDessin(sansExtension.ctx, sansExtension.dossier.Ecrit("Makefile", "")));
    EXPECT_EQ(sansExtension.ctx.dessin.TypeFichier, "MAKEFILE");
}

TEST(OuvrirDessin, FewerThanTwoPointsStopsTheOpen) {
    Ouverture o;
    EXPECT_FALSE(OuvrirDessin(o.ctx, o.dossier.Ecrit("un.plt", "PU5,5;PD5,5;")));
    EXPECT_FALSE(OuvrirDessin(o.ctx, o.dossier.Ecrit("rien.plt", "PU5,5;")));
    EXPECT_EQ(o.ctx.dessin.NbPoints, 0);
    EXPECT_FALSE(OuvrirDessin(o.ctx, o.dossier.Chemin("absent.plt")));
}

}  // namespace
}  // namespace korvelin
