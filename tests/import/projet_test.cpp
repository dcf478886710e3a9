#include <gtest/gtest.h>

#include <filesystem>

#include "document/enregistrement.h"
#include "import/projet.h"
#include "settings/fichier_projet.h"
#include "support/import_test.h"
#include "settings/magasin.h"
#include "support/valeurs_temporaires.h"

namespace korvelin {
namespace {

using test::DossierTemporaire;
using test::UiEnregistreuse;

std::vector<std::string> Lignes(const std::string& texte) {
    std::vector<std::string> r;
    for (std::size_t debut = 0, fin; (fin = texte.find("\r\n", debut)) != std::string::npos; debut = fin + 2)
        r.push_back(texte.substr(debut, fin - debut));
    return r;
}

TEST(LectureProjet, LeLecteurSeulDonneLesPointsEtIgnoreLesReglages) {
    const DessinLu l = LitProjet(
        "$$RayonFraise=2\r\n 1.5           2              PD              B\r\n"
        " 4             -1             PD              B\r\n");
    ASSERT_TRUE(l.diagnostics.empty());
    ASSERT_EQ(l.Points.size(), 2u);
    EXPECT_EQ(l.Points[0].Sequence, (Code2{U' ', U'B'}));
    EXPECT_TRUE(l.Bornes.Xmin == 1.5 && l.Bornes.Xmax == 4 && l.Bornes.Ymin == -1 && l.Bornes.Ymax == 2);
    const DessinLu vide = LitProjet("$$RayonFraise=2\r\n", "p.Korvelin");
    ASSERT_TRUE(vide.Refusee());
    EXPECT_EQ(vide.diagnostics[0].fichier, "p.Korvelin");
    EXPECT_EQ(vide.diagnostics[0].message.substr(0, 23), "Fichier inexploitable !");
}

struct Projet : test::ValeursTemporaires {
    Projet() {
        dessin.Trace_Initial = {{0, 0, PlumeBasse, PremiereSequence}, {12.5f, -3, PlumeBasse, PremiereSequence}};
        dessin.NbPoints = 2;
    }
    bool Enregistre() { return EnregistreProjet(dessin, magasin.CheminIni, ui); }
};

TEST(Projet, SaveWritesTheIniBlockThenSixtyCharacterPointLines) {
    Projet p;
    p.dossier.Ecrit("Korvelin.ini", "[Korvelin]\r\n\r\nFichier=" + std::string(70, 'x') + "\r\n");
    p.dessin.NomFichier = p.dossier.Chemin("piece.plt");
    ASSERT_TRUE(p.Enregistre());
    EXPECT_EQ(p.dessin.NomFichier, p.dossier.Chemin("piece.Korvelin"));
    const auto l = Lignes(DossierTemporaire::Lit(p.dessin.NomFichier));
    ASSERT_EQ(l.size(), 5u);
    EXPECT_EQ(l[0], "$$[Korvelin]" + std::string(50, ' '));
    EXPECT_EQ(l[1], "$$" + std::string(60, ' '));
    EXPECT_EQ(l[2], "$$Fichier=" + std::string(70, 'x'));  // a long line is kept whole
    EXPECT_EQ(l[3], " 0              0             PD              A             ");
    EXPECT_EQ(l[4], " 12.5          -3             PD              A             ");
}

TEST(Projet, ReadingRestoresPointsAndLoadsTheStoredSettings) {
    Projet p;
    p.dessin.Trace_Initial.push_back({-1234.567f, 0.001f, PlumeBasse, Code2{U'é', U'\x7f'}});
    p.dessin.NbPoints = 3;
    p.dessin.NomFichier = p.dossier.Chemin("a.dxf");
    ASSERT_TRUE(p.Enregistre());

    test::ValeursTemporaires relu;
    UiEnregistreuse& ui = relu.ui;
    relu.magasin.CheminIni = p.dossier.Ecrit("Korvelin.ini", "[Korvelin]\r\nMargeY=3\r\n");
    const std::string chemin =
        p.dossier.Ecrit("b.Korvelin", "$$RayonFraise=2.5" + std::string(40, ' ') + "\r\n$$MargeX=4\r\n$$MargeX=7\r\n" +
                                          DossierTemporaire::Lit(p.dessin.NomFichier) + "100,5          0\r\n");
    ui.surDimension = test::Rapport(10, 10);
    ASSERT_TRUE(test::OuvreProjet(relu.Cible(), chemin));
    ASSERT_EQ(relu.dessin.NbPoints, 4);
    for (int i = 0; i < 3; ++i) {  // as written, the ratios of the dialog not applied
        EXPECT_EQ(relu.dessin.Trace_Initial[i].X, p.dessin.Trace_Initial[i].X);
        EXPECT_EQ(relu.dessin.Trace_Initial[i].Y, p.dessin.Trace_Initial[i].Y);
        EXPECT_EQ(relu.dessin.Trace_Initial[i].Sequence, p.dessin.Trace_Initial[i].Sequence);
    }
    EXPECT_FLOAT_EQ(relu.dessin.Trace_Initial[3].X, 100.5f);  // a comma reads as a point
    EXPECT_EQ(relu.dessin.Trace_Initial[3].Plume, (Code2{U' ', U' '}));
    EXPECT_EQ(relu.dessin.FichierProjet, chemin);
    EXPECT_DOUBLE_EQ(relu.parametres.RayonFraise, 2.5);
    EXPECT_DOUBLE_EQ(relu.parametres.MargeX, 4);  // the first line of a key wins
    EXPECT_DOUBLE_EQ(relu.parametres.MargeY, 3);  // other keys come from the INI file

    // Trailing blanks dropped by an editor, an empty line, LF or CR alone as line ends,
    // for the settings lines as for the points.
    const std::string bon = " 1             1              PD              A\r\n";
    Projet e;
    ASSERT_TRUE(test::OuvreProjet(
        e.Cible(),
        e.dossier.Ecrit("p.Korvelin", "$$[Korvelin]\r$$RayonFraise=2.5\r$$MargeX=4\n" + bon +
                                          "\r\n 4             5\n 6             -2,5           PU              A\r")));
    const Dessin& d = e.dessin;
    EXPECT_TRUE(e.parametres.RayonFraise == 2.5 && e.parametres.MargeX == 4);
    ASSERT_EQ(d.NbPoints, 4);
    EXPECT_EQ(d.Trace_Initial[1].X, 0);  // an empty line is a point at (0, 0)
    EXPECT_EQ(d.Trace_Initial[1].Sequence, (Code2{U' ', U' '}));
    EXPECT_EQ(d.Trace_Initial[2].Y, 5);
    EXPECT_EQ(d.Trace_Initial[3].Y, -2.5f);
}

TEST(Projet, UnusableFilesKeepTheDrawing) {
    const std::string bon = " 1             1              PD              A\r\n";
    const std::string inexploitable = "Fichier inexploitable !";
    const std::tuple<std::string, std::string, std::size_t> cas[] = {
        {"$$RayonFraise=2\r\n$$MargeX=1\r\n", inexploitable, 0},
        {"", inexploitable, 0},
        {" 5             0\r\n 5             0\r\n", "Fichier vide !", 0},
        // Point lines out of the writer's layout, refused with their number.
        {"50\t0\tPD\t A\r\n", inexploitable, 1},  // tabs would read X = 500
        {bon + "abc  def\r\n", inexploitable, 2},
        {bon + " 5  \r\n", inexploitable, 2},  // no Y
        {"$$a=b\r\n" + bon + " 1             1              PD  x           A\r\n", inexploitable, 3},
        {bon + std::string("\0\0\0 9\0\0\r\n", 9), inexploitable, 2},
        {bon + " 4             5              PD              A             z\r\n", inexploitable, 2},
    };
    for (const auto& [contenu, verdict, ligne] : cas) {
        Projet p;
        EXPECT_FALSE(test::OuvreProjet(p.Cible(), p.dossier.Ecrit("p.Korvelin", contenu)));
        test::AttendRefus(p.ui, verdict, ligne);
        EXPECT_EQ(p.dessin.Trace_Initial[1].X, 12.5f);
        EXPECT_TRUE(p.dessin.FichierProjet.empty());
        EXPECT_EQ(p.ui.nbDimensions, 0);
    }
}

TEST(Projet, SaveOfAnOpenProjectKeepsItsSettingsAndABackup) {
    Projet p;
    p.dossier.Ecrit("Korvelin.ini", "[Korvelin]\r\nRayonFraise=9\r\n");
    const std::string avant = "$$RayonFraise=1.5\r\n$$" + std::string(70, 'y') + "\r\n 0             0\r\n";
    const std::string chemin = p.dossier.Ecrit("p.Korvelin", avant);
    p.dessin.NomFichier = p.dessin.FichierProjet = chemin;
    ASSERT_TRUE(p.Enregistre());
    EXPECT_EQ(DossierTemporaire::Lit(p.dossier.Chemin("p.tmp")), avant);
    auto l = Lignes(DossierTemporaire::Lit(chemin));
    ASSERT_EQ(l.size(), 4u);
    EXPECT_EQ(l[0], "$$RayonFraise=1.5" + std::string(45, ' '));
    EXPECT_EQ(l[1], "$$" + std::string(70, 'y'));

    // A file of that name that the program did not make is the user's: kept, and said so.
    const std::string notes = p.dossier.Ecrit("p.tmp", "Mes réglages à essayer\r\n");
    ASSERT_TRUE(p.Enregistre());
    EXPECT_EQ(DossierTemporaire::Lit(notes), "Mes réglages à essayer\r\n");
    ASSERT_TRUE(Montre(p.ui, p.magasin.Ecrire(p.dessin, {{"MargeX", "5"}})));
    EXPECT_EQ(DossierTemporaire::Lit(notes), "Mes réglages à essayer\r\n");
    EXPECT_EQ(p.magasin.Lire(p.dessin, "MargeX", ""), "5");
    ASSERT_EQ(p.ui.messages.size(), 2u);
    test::AttendMessage(p.ui.messages[1],
                        "Pas de copie de sauvegarde : le fichier " + notes +
                            " existe déjà et n'est pas une copie faite par Korvelin ; il est laissé tel quel.",
                        Icone::Exclamation);

    // Saved under another name: the settings still come from the open project.
    p.dessin.NomFichier = p.dossier.Chemin("nouveau.plt");
    ASSERT_TRUE(p.Enregistre());
    l = Lignes(DossierTemporaire::Lit(p.dossier.Chemin("nouveau.Korvelin")));
    EXPECT_EQ(l[0].substr(0, 17), "$$RayonFraise=1.5");
}

TEST(Projet, FailedWriteSaysSoAndKeepsTheName) {
    Projet p;
    std::filesystem::create_directory(p.dossier.Chemin("piece.Korvelin"));
    p.dessin.NomFichier = p.dossier.Chemin("piece.plt");
    EXPECT_FALSE(p.Enregistre());
    ASSERT_EQ(p.ui.messages.size(), 1u);
    EXPECT_EQ(p.ui.messages[0].texte, "Impossible d'écrire le fichier " + p.dossier.Chemin("piece.Korvelin"));
    EXPECT_EQ(p.dessin.NomFichier, p.dossier.Chemin("piece.plt"));
    EXPECT_TRUE(std::filesystem::is_directory(p.dossier.Chemin("piece.Korvelin")));
}

TEST(Projet, PathsOfTheProjectAndItsBackup) {
    EXPECT_EQ(CheminProjet("/d/piece.Korvelin"), "/d/piece.Korvelin");
    EXPECT_EQ(CheminProjet("/d.v/piece"), "/d.v/piece.Korvelin");
    EXPECT_EQ(CheminSauvegardeProjet("C:\\d\\piece.Korvelin"), "C:\\d\\piece.tmp");
    EXPECT_EQ(LigneReglageProjet("Fichier=/é/à"), "$$Fichier=/é/à" + std::string(48, ' '));
}

}  // namespace
}  // namespace korvelin
