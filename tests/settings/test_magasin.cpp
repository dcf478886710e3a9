#include <gtest/gtest.h>
#include <sys/stat.h>

#include "model/ligne_projet.h"
#include "platform/fichier.h"
#include "platform/ini.h"
#include "support/valeurs_temporaires.h"
#include "settings/magasin.h"
#include "settings/reglages.h"

using namespace korvelin;
using namespace korvelin::test;

namespace {

struct Magasin : ::testing::Test, ValeursTemporaires {};

std::string ProjetDe(const std::string& reglages) {
    return reglages + LignePointProjet({0, 0, PlumeBasse, PremiereSequence}) + "\r\n" +
           LignePointProjet({12.5f, -3, PlumeBasse, PremiereSequence}) + "\r\n";
}

}  // namespace

TEST(Ini, ProfilCommeSousWindows) {
    DossierTemporaire dossier;
    const std::string ini = dossier.Ecrit(
        "Korvelin.ini",
        "; commentaire gardé\r\n[Autre]\r\nRayonFraise=9\r\n[KORVELIN]\r\n  rayonfraise =  2.5  \r\nMargeX=1\r\n");
    EXPECT_EQ(LireIni(ini, "Korvelin", "RayonFraise"), "2.5");
    EXPECT_EQ(LireIni(ini, "Korvelin", "Absente"), std::nullopt);
    EXPECT_EQ(LireIni(dossier.Chemin("nulle-part.ini"), "Korvelin", "MargeX"), std::nullopt);
    ASSERT_TRUE(EcrireIni(ini, "Korvelin", "MargeY", "4"));
    ASSERT_TRUE(EcrireIni(ini, "Korvelin", "RayonFraise", "3"));
    ASSERT_TRUE(EcrireIni(ini, "Korvelin", "MargeX", std::nullopt));
    EXPECT_EQ(DossierTemporaire::Lit(ini),
              "; commentaire gardé\r\n[Autre]\r\nRayonFraise=9\r\n[KORVELIN]\r\nRayonFraise=3\r\nMargeY=4\r\n");
    // Created with its folders; an old file in Windows-1252 reads as UTF-8.
    const std::string neuf = dossier.Chemin("sous/dossier/Korvelin.ini");
    ASSERT_TRUE(EcrireIni(neuf, "Korvelin", "Fichier", "/tmp/pièce.plt"));
    EXPECT_EQ(DossierTemporaire::Lit(neuf), "[Korvelin]\r\nFichier=/tmp/pièce.plt\r\n");
    const std::string ancien = dossier.Ecrit("ancien.ini",
                                             "[Korvelin]\r\nFichier=C:\\pi\xE8"
                                             "ce.plt\r\n");
    EXPECT_EQ(LireIni(ancien, "Korvelin", "Fichier"), "C:\\pièce.plt");
    // As Notepad saves it (byte order mark), with CR alone as line end; quotes dropped in
    // pairs only, the blanks between them kept.
    const std::string bloc =
        dossier.Ecrit("bloc.ini", "\xEF\xBB\xBF[Korvelin]\rRayonFraise=\"2\"\rMargeX=' 1 '\rFichier=\"\rMargeY=\"4'\r");
    EXPECT_EQ(LireIni(bloc, "Korvelin", "RayonFraise"), "2");
    EXPECT_EQ(LireIni(bloc, "Korvelin", "MargeX"), " 1 ");
    EXPECT_EQ(LireIni(bloc, "Korvelin", "Fichier"), "\"");
    EXPECT_EQ(LireIni(bloc, "Korvelin", "MargeY"), "\"4'");
    ASSERT_TRUE(EcrireIni(bloc, "Korvelin", "MargeY", "5"));
    EXPECT_EQ(DossierTemporaire::Lit(bloc),
              "[Korvelin]\r\nRayonFraise=\"2\"\r\nMargeX=' 1 '\r\nFichier=\"\r\nMargeY=5\r\n");
}

TEST_F(Magasin, SansFichierLesChargeursDonnentLesDefauts) {
    parametres.RayonFraise = 99;
    ChargeDemarrage(magasin, dessin, parametres);
    dessin.TypeFichier = "PLT";
    ChargeRapports(magasin, dessin, parametres);
    // A value set before is replaced by the default; the defaults themselves are the table's.
    const Parametres& p = parametres;
    EXPECT_EQ(p.RayonFraise, 3.0);
    EXPECT_EQ(p.RapportH, 0.025);
    dessin.TypeFichier = "HPGL";
    ChargeRapports(magasin, dessin, parametres);
    EXPECT_EQ(p.RapportV, 0.025);
    dessin.TypeFichier = "DAT";
    ChargeRapports(magasin, dessin, parametres);
    EXPECT_EQ(p.RapportV, 1.0);
    // Keys read one at a time take the default of their row.
    EXPECT_EQ(LireReglage(magasin, dessin, "ProfFraisage"), "-3");
    EXPECT_EQ(LireReglage(magasin, dessin, "PLTRapportH"), "0.025");
    EXPECT_EQ(LireReglage(magasin, dessin, "DXFRapportV"), "1");
    EXPECT_EQ(LireReglage(magasin, dessin, "Inconnue"), "");
    // The values' own defaults are the table's texts as read.
    Parametres lus;
    for (const Reglage& r : TableReglages()) AppliqueReglage(lus, r, r.defaut);
    EXPECT_EQ(lus, Parametres{});
}

TEST_F(Magasin, ValeursStockeesRelues) {
    dossier.Ecrit("Korvelin.ini",
                  "[Korvelin]\r\nTempsMin_Mat_X=12.5\r\nTempsMin_Mat_Y=12,5\r\n"
                  "RayonFraise=2,5\r\nOptionLPT=1\r\nHPGLRapportH=0,5\r\n");
    ChargeMachine(magasin, dessin, parametres);
    ChargeDecalage(magasin, dessin, parametres);
    EXPECT_EQ(parametres.TempsMin_Mat_X, 12.5);
    EXPECT_EQ(parametres.TempsMin_Mat_Y, 12.5);
    EXPECT_EQ(parametres.RayonFraise, 2.5);
    EXPECT_EQ(parametres.AdressePort, 632);
    ASSERT_TRUE(Ecrit({{"OptionLPT", "5"}}));
    ChargeMachine(magasin, dessin, parametres);
    EXPECT_EQ(parametres.AdressePort, 632);
    dessin.TypeFichier = "HPGL";
    ChargeRapports(magasin, dessin, parametres);
    EXPECT_EQ(parametres.RapportH, 0.5);
    // A file name with line breaks stays one entry instead of adding settings of its own.
    ASSERT_TRUE(Ecrit({{"Fichier", "/d/a\r\nDecalageOutil=3\n.plt"}}));
    ChargeDecalage(magasin, dessin, parametres);
    EXPECT_EQ(parametres.DecalageOutil, 1);
    EXPECT_EQ(magasin.Lire(dessin, "Fichier", ""), "/d/a  DecalageOutil=3 .plt");
}

TEST_F(Magasin, LectureSeuleEtEchecDEcriture) {
    magasin.LectureSeule = true;
    EXPECT_TRUE(Ecrit({{"MargeX", "3"}}));
    EXPECT_FALSE(FichierExiste(magasin.CheminIni));
    EXPECT_TRUE(ui.messages.empty());
    magasin.LectureSeule = false;
    magasin.CheminIni = dossier.Chemin("dossier-absent-\x01/");  // a folder name: cannot be a file
    ::mkdir(magasin.CheminIni.c_str(), 0755);
    EXPECT_FALSE(Ecrit({{"MargeX", "3"}}));
    AttendSeulMessage(ui, "Impossible d'écrire le fichier " + magasin.CheminIni);
}

TEST_F(Magasin, ProjetOuvertSertDeMagasin) {
    dossier.Ecrit("Korvelin.ini", "[Korvelin]\r\nMargeX=1\r\nMargeY=2\r\n");
    std::string rayon = "$$RayonFraise=2.5";
    rayon.resize(62, ' ');
    const std::string projet = dossier.Ecrit(
        "piece.Korvelin", ProjetDe("$$[Korvelin]\r\n" + rayon + "\r\n$$MargeX=4\r\n$$MargeX=7\r\n$$SansEgal\r\n"));
    dessin.NomFichier = dessin.FichierProjet = projet;
    EXPECT_EQ(magasin.Lire(dessin, "RayonFraise", "3"), "2.5");
    EXPECT_EQ(magasin.Lire(dessin, "MargeX", "0"), "4");
    EXPECT_EQ(magasin.Lire(dessin, "MargeY", "0"), "2");  // not in the project: the INI's value
    dessin.Trace_Initial = {{1, 1, PlumeBasse, PremiereSequence}};
    dessin.NbPoints = 1;
    ASSERT_TRUE(Ecrit({{"MargeX", "9\r\n5,5"}}));  // no extra point line
    EXPECT_EQ(magasin.Lire(dessin, "MargeX", "0"), "9  5,5");
    ASSERT_TRUE(Ecrit({{"MargeX", "9"}}));
    // A key the project lacks joins its settings lines, not the INI file.
    ASSERT_TRUE(Ecrit({{"MargeY", "6"}}));
    EXPECT_EQ(magasin.Lire(dessin, "MargeY", "0"), "6");
    EXPECT_EQ(LireIni(magasin.CheminIni, "Korvelin", "MargeY"), "2");
    EXPECT_TRUE(FichierExiste(dossier.Chemin("piece.tmp")));
    EXPECT_EQ(DossierTemporaire::Lit(projet), "$$[Korvelin]\r\n" + rayon +
                                                  "\r\n$$MargeX=9\r\n$$MargeX=9\r\n$$SansEgal\r\n$$MargeY=6\r\n" +
                                                  LignePointProjet({1, 1, PlumeBasse, PremiereSequence}) + "\r\n");
}

// The dialogs store all their values at once: one rewrite, the file the writes one by
// one would leave. The line a reading finds is the one written, however it is spaced.
TEST_F(Magasin, EcritureEnLotCommeUneParUne) {
    const EcrituresReglages valeurs = {
        {"RayonFraise", "1.5"}, {"MargeX", "2"}, {"Fichier", "/a\nb"}, {"MargeX", "3"}, {"ConfirmSuppr", "Faux"}};
    const std::string ini = "[Autre]\r\nMargeX=8\r\n[Korvelin]\r\nmargex = 1\r\n\r\n[Fin]\r\n";
    const std::string projet = ProjetDe("$$[Korvelin]\r\n$$RayonFraise = 2\r\n$$MargeX=1\r\n$$Rem\r\n");
    std::string attendus[2];
    for (int enLot = 0; enLot < 2; ++enLot) {
        for (const bool avecProjet : {false, true}) {
            ValeursTemporaires t;
            t.dossier.Ecrit("Korvelin.ini", ini);
            std::string chemin = t.magasin.CheminIni;
            if (avecProjet) {
                chemin = t.dessin.NomFichier = t.dessin.FichierProjet = t.dossier.Ecrit("p.Korvelin", projet);
                t.dessin.Trace_Initial = {{0, 0, PlumeBasse, PremiereSequence},
                                          {12.5f, -3, PlumeBasse, PremiereSequence}};
                t.dessin.NbPoints = 2;
            }
            if (enLot) {
                ASSERT_TRUE(t.Ecrit(valeurs));
            } else {
                for (const auto& [cle, valeur] : valeurs) ASSERT_TRUE(t.Ecrit({{cle, valeur}}));
            }
            if (enLot) {
                EXPECT_EQ(DossierTemporaire::Lit(chemin), attendus[avecProjet]);
            }
            attendus[avecProjet] = DossierTemporaire::Lit(chemin);
            EXPECT_EQ(t.magasin.Lire(t.dessin, "RayonFraise", ""), "1.5");
            EXPECT_EQ(t.magasin.Lire(t.dessin, "MargeX", ""), "3");
            EXPECT_EQ(t.magasin.Lire(t.dessin, "Fichier", ""), "/a b");
        }
    }
    EXPECT_EQ(attendus[0],
              "[Autre]\r\nMargeX=8\r\n[Korvelin]\r\nMargeX=3\r\nRayonFraise=1.5\r\nFichier=/a b\r\n"
              "ConfirmSuppr=Faux\r\n\r\n[Fin]\r\n");
    EXPECT_EQ(attendus[1], ProjetDe("$$[Korvelin]\r\n$$RayonFraise=1.5\r\n$$MargeX=3\r\n$$Rem\r\n$$Fichier=/a b\r\n"
                                    "$$ConfirmSuppr=Faux\r\n"));
}

TEST_F(Magasin, UnDessinDUnAutreTypeNEstJamaisReecrit) {
    const std::string plt = dossier.Ecrit("piece.plt", "PU0,0;PD10,10;");
    dessin.NomFichier = plt;
    dessin.FichierProjet = dossier.Chemin("ancien.Korvelin");
    ASSERT_TRUE(Ecrit({{"MargeX", "3"}}));
    EXPECT_EQ(DossierTemporaire::Lit(plt), "PU0,0;PD10,10;");
    EXPECT_EQ(LireIni(magasin.CheminIni, "Korvelin", "MargeX"), "3");
}
