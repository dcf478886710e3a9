#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "import/projet.h"
#include "support/dossier_temporaire.h"
#include "support/ui_enregistreuse.h"

namespace korvelin {
namespace {

using test::DossierTemporaire;
using test::UiEnregistreuse;

std::vector<std::string> Lignes(const std::string& texte) {
    std::vector<std::string> r;
    std::size_t debut = 0;
    while (debut < texte.size()) {
        const std::size_t fin = texte.find("\r\n", debut);
        if (fin == std::string::npos) {
            r.push_back(texte.substr(debut) + "<sans fin de ligne>");
            break;
        }
        r.push_back(texte.substr(debut, fin - debut));
        debut = fin + 2;
    }
    return r;
}

std::size_t Caracteres(const std::string& s) {
    std::size_t n = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

struct Projet {
    DossierTemporaire dossier;
    UiEnregistreuse ui;
    Contexte ctx{&ui};

    Projet() { ctx.CheminIni = dossier.Chemin("Korvelin.ini"); }

    void Dessine(std::vector<PointTrace> points) {
        ctx.dessin.Trace_Initial = std::move(points);
        ctx.dessin.NbPoints = static_cast<int32_t>(ctx.dessin.Trace_Initial.size());
    }
    std::string Ecrit(const std::string& nom, const std::string& contenu) {
        return dossier.Ecrit(nom, contenu);
    }
};

const PointTrace A0{0, 0, PlumeBasse, PremiereSequence};
const PointTrace A1{12.5f, -3, PlumeBasse, PremiereSequence};

TEST(Projet, SaveWritesTheIniBlockThenSixtyCharacterPointLines) {
    Projet p;
    p.Ecrit("Korvelin.ini", "[Korvelin]\r\nRayonFraise=2,5\r\n\r\nFichier=" +
                                std::string(70, 'x') + "\r\n");
    p.Dessine({A0, A1});
    p.ctx.dessin.NomFichier = p.dossier.Chemin("piece.plt");
    ASSERT_TRUE(EnregistreProjet(p.ctx));
    const std::string chemin = p.dossier.Chemin("piece.Korvelin");
    EXPECT_EQ(p.ctx.dessin.NomFichier, chemin);

    const auto l = Lignes(DossierTemporaire::Lit(chemin));
    ASSERT_EQ(l.size(), 6u);
    EXPECT_EQ(l[0], "$$[Korvelin]" + std::string(50, ' '));
    EXPECT_EQ(l[1], "$$RayonFraise=2,5" + std::string(45, ' '));
    EXPECT_EQ(l[2], "$$" + std::string(60, ' '));
    EXPECT_EQ(l[3], "$$Fichier=" + std::string(70, 'x'));  // a long line is kept whole
    EXPECT_EQ(l[4], " 0             " " 0             " "PD             " " A             ");
    EXPECT_EQ(l[5], " 12.5          " "-3             " "PD             " " A             ");
}

TEST(Projet, SavedFileReadsBackTheSamePoints) {
    Projet p;
    const PointTrace large{-1234.567f, 0.001f, PlumeBasse, Code2{U'é', U'Z'}};
    p.Dessine({A0, A1, large});
    p.ctx.dessin.NomFichier = p.dossier.Chemin("a.dxf");
    ASSERT_TRUE(EnregistreProjet(p.ctx));

    UiEnregistreuse ui;
    Contexte relu(&ui);
    ASSERT_TRUE(LectureProjet(relu, p.ctx.dessin.NomFichier));
    ASSERT_EQ(relu.dessin.NbPoints, 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(relu.dessin.Trace_Initial[i].X, p.ctx.dessin.Trace_Initial[i].X);
        EXPECT_EQ(relu.dessin.Trace_Initial[i].Y, p.ctx.dessin.Trace_Initial[i].Y);
        EXPECT_EQ(relu.dessin.Trace_Initial[i].Plume, PlumeBasse);
        EXPECT_EQ(relu.dessin.Trace_Initial[i].Sequence, p.ctx.dessin.Trace_Initial[i].Sequence);
    }
    EXPECT_EQ(ui.nbDimensions, 1);
    EXPECT_TRUE(ui.messages.empty());
}

TEST(Projet, ReadingKeepsCoordinatesAndLoadsTheStoredSettings) {
    Projet p;
    p.Ecrit("Korvelin.ini", "[Korvelin]\r\nRayonFraise=7\r\nMargeY=3\r\n");
    const std::string chemin =
        p.Ecrit("p.Korvelin",
                "$$RayonFraise=2.5" + std::string(40, ' ') + "\r\n"
                "$$MargeX=4\r\n$$MargeX=7\r\n"
                "100,5          200            PD             " " A\r\n"
                "300            400            PD              A\r\n");
    p.ui.surDimension = [](Contexte& ctx) { ctx.parametres.RapportH = ctx.parametres.RapportV = 10; };
    ASSERT_TRUE(LectureProjet(p.ctx, chemin));
    const Dessin& d = p.ctx.dessin;
    ASSERT_EQ(d.NbPoints, 2);
    EXPECT_FLOAT_EQ(d.Trace_Initial[0].X, 100.5f);  // no scaling, a comma reads as a point
    EXPECT_FLOAT_EQ(d.Trace_Initial[1].Y, 400);
    EXPECT_EQ(d.FichierProjet, chemin);
    EXPECT_DOUBLE_EQ(p.ctx.parametres.RayonFraise, 2.5);
    EXPECT_DOUBLE_EQ(p.ctx.parametres.MargeX, 4);  // the first line of a key wins
    EXPECT_DOUBLE_EQ(p.ctx.parametres.MargeY, 3);  // keys the project lacks come from the INI
}

TEST(Projet, UnusableFilesKeepTheDrawing) {
    struct Cas {
        std::string contenu;
        std::string message;
    };
    const Cas cas[] = {
        {"$$RayonFraise=2\r\n$$MargeX=1\r\n", "Fichier inexploitable !"},
        {"", "Fichier inexploitable !"},
        {" 5  \r\n 5\r\n", "Fichier vide !"},
        {"$$x\r\n 1             2              PD              A\r\n", "Fichier vide !"},
    };
    for (const Cas& c : cas) {
        Projet p;
        p.Dessine({A0, A1});
        const std::string chemin = p.Ecrit("p.Korvelin", c.contenu);
        EXPECT_FALSE(LectureProjet(p.ctx, chemin));
        EXPECT_FALSE(AnalyseProjet(p.ctx, chemin));
        ASSERT_EQ(p.ui.messages.size(), 2u);
        EXPECT_EQ(p.ui.messages[0].texte, c.message);
        EXPECT_EQ(p.ui.messages[0].titre, "Korvelin");
        EXPECT_EQ(p.ui.messages[0].icone, Icone::Critique);
        EXPECT_EQ(p.ctx.dessin.NbPoints, 2);
        EXPECT_EQ(p.ctx.dessin.Trace_Initial[1].X, 12.5f);
        EXPECT_TRUE(p.ctx.dessin.FichierProjet.empty());
        EXPECT_EQ(p.ui.nbDimensions, 0);
    }
}

TEST(Projet, OddPointLinesReadAsZeroAndBlanks) {
    Projet p;
    const std::string chemin = p.Ecrit(
        "p.Korvelin", "$$a=b\r\n 1             1              PD              A\r\n"
                      "\r\n"                              // an empty line is a point at (0, 0)
                      "abc           def\r\n" +            // letters read as 0
                          std::string("\0\0\0 9\0\0\r\n", 9) +  // NUL bytes
                          " 4             5\n"             // short line, LF only
                          " 6             7\r" +           // CR only
                          std::string(100000, '8'));        // a huge last line without end
    ASSERT_TRUE(LectureProjet(p.ctx, chemin));
    const Dessin& d = p.ctx.dessin;
    ASSERT_EQ(d.NbPoints, 7);
    EXPECT_EQ(d.Trace_Initial[1].X, 0);
    EXPECT_EQ(d.Trace_Initial[1].Plume, (Code2{U' ', U' '}));
    EXPECT_EQ(d.Trace_Initial[1].Sequence, (Code2{U' ', U' '}));
    EXPECT_EQ(d.Trace_Initial[2].X, 0);
    EXPECT_EQ(d.Trace_Initial[4].Y, 5);
    EXPECT_TRUE(std::isfinite(d.Trace_Initial[6].X));
}

TEST(Projet, SaveOfAnOpenProjectKeepsItsSettingsAndABackup) {
    Projet p;
    p.Ecrit("Korvelin.ini", "[Korvelin]\r\nRayonFraise=9\r\n");
    const std::string chemin = p.Ecrit(
        "p.Korvelin", "$$RayonFraise=1.5\r\n$$" + std::string(70, 'y') + "\r\n"
                      " 0             0              PD              A\r\n");
    p.ctx.dessin.NomFichier = chemin;
    p.ctx.dessin.FichierProjet = chemin;
    p.Dessine({A0, A1});
    const std::string avant = DossierTemporaire::Lit(chemin);
    ASSERT_TRUE(EnregistreProjet(p.ctx));
    EXPECT_EQ(p.ctx.dessin.NomFichier, chemin);
    EXPECT_EQ(DossierTemporaire::Lit(p.dossier.Chemin("p.tmp")), avant);
    const auto l = Lignes(DossierTemporaire::Lit(chemin));
    ASSERT_EQ(l.size(), 4u);
    EXPECT_EQ(l[0], "$$RayonFraise=1.5" + std::string(45, ' '));
    EXPECT_EQ(Caracteres(l[0]), 62u);
    EXPECT_EQ(l[1], "$$" + std::string(70, 'y'));
    EXPECT_EQ(l[3].substr(0, 5), " 12.5");
}

TEST(Projet, SaveUnderAnotherNameTakesTheSettingsOfTheOpenProject) {
    Projet p;
    const std::string ancien = p.Ecrit("ancien.Korvelin", "$$MargeX=4\r\n 1 \r\n");
    p.ctx.dessin.FichierProjet = ancien;
    p.ctx.dessin.NomFichier = p.dossier.Chemin("nouveau.Korvelin");
    p.Dessine({A0, A1});
    ASSERT_TRUE(EnregistreProjet(p.ctx));
    const auto l = Lignes(DossierTemporaire::Lit(p.dossier.Chemin("nouveau.Korvelin")));
    ASSERT_EQ(l.size(), 3u);
    EXPECT_EQ(l[0].substr(0, 10), "$$MargeX=4");
}

TEST(Projet, FailedWriteSaysSoAndKeepsTheName) {
    Projet p;
    std::filesystem::create_directory(p.dossier.Chemin("piece.Korvelin"));
    p.Dessine({A0, A1});
    p.ctx.dessin.NomFichier = p.dossier.Chemin("piece.plt");
    EXPECT_FALSE(EnregistreProjet(p.ctx));
    ASSERT_EQ(p.ui.messages.size(), 1u);
    EXPECT_EQ(p.ui.messages[0].texte,
              "Impossible d'écrire le fichier " + p.dossier.Chemin("piece.Korvelin"));
    EXPECT_EQ(p.ui.messages[0].icone, Icone::Critique);
    EXPECT_EQ(p.ctx.dessin.NomFichier, p.dossier.Chemin("piece.plt"));
    EXPECT_TRUE(std::filesystem::is_directory(p.dossier.Chemin("piece.Korvelin")));

    Projet q;
    q.Dessine({A0, A1});
    q.ctx.dessin.NomFichier = q.dossier.Chemin("absent/piece.plt");
    EXPECT_FALSE(EnregistreProjet(q.ctx));
}

TEST(Projet, PathsOfTheProjectAndItsBackup) {
    EXPECT_EQ(CheminProjet("/d/piece.plt"), "/d/piece.Korvelin");
    EXPECT_EQ(CheminProjet("/d/piece.Korvelin"), "/d/piece.Korvelin");
    EXPECT_EQ(CheminProjet("/d.v/piece"), "/d.v/piece.Korvelin");
    EXPECT_EQ(CheminProjet("C:\\d.v\\piece.dxf"), "C:\\d.v\\piece.Korvelin");
    EXPECT_EQ(CheminSauvegardeProjet("/d/piece.Korvelin"), "/d/piece.tmp");
    EXPECT_EQ(LigneReglageProjet(""), "$$" + std::string(60, ' '));
    EXPECT_EQ(Caracteres(LigneReglageProjet("Fichier=/é/à")), 62u);
}

}  // namespace
}  // namespace korvelin
