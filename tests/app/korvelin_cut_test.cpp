// End-to-end runs of build/korvelin-cut in temporary folders, HOME and XDG_CONFIG_HOME
// included, so no run can see or touch the real settings.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <regex>

#include "grbl/banc_grbl.h"
#include "machining/verificateur_gcode.h"
#include "model/nombres.h"
#include "support/dossier_temporaire.h"

namespace korvelin {
namespace {

namespace fs = std::filesystem;
using test::DossierTemporaire;

std::string Guillemets(const std::string& s) {
    std::string r = "'";
    for (char c : s) r += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return r + "'";
}

struct Execution {
    int statut = -1;
    std::string sortie, erreurs;
};

struct Convertisseur {
    DossierTemporaire dossier;
    // Margins keep a cutter beside the outline within the machine's travel.
    const std::string ini = dossier.Ecrit("Korvelin.ini", "[Korvelin]\r\nRayonFraise=1\r\nMargeX=5\r\nMargeY=5\r\n");
    Convertisseur() {
        fs::create_directories(dossier.Chemin("home")), fs::create_directories(dossier.Chemin("config"));
    }

    // Runs the converter in the temporary folder; "--ini" is added unless given.
    Execution Lance(std::vector<std::string> arguments, bool avecIni = true) {
        if (avecIni) arguments.insert(arguments.end(), {"--ini", ini});
        std::string commande =
            "cd " + Guillemets(dossier.Dossier()) + " && env HOME=" + Guillemets(dossier.Chemin("home")) +
            " XDG_CONFIG_HOME=" + Guillemets(dossier.Chemin("config")) + " timeout 60 " + Guillemets(KORVELIN_CUT_EXE);
        for (const std::string& a : arguments) commande += " " + Guillemets(a);
        commande +=
            " >" + Guillemets(dossier.Chemin("stdout")) + " 2>" + Guillemets(dossier.Chemin("stderr")) + " </dev/null";
        const int brut = std::system(commande.c_str());
        return {WIFEXITED(brut) ? WEXITSTATUS(brut) : -1, DossierTemporaire::Lit(dossier.Chemin("stdout")),
                DossierTemporaire::Lit(dossier.Chemin("stderr"))};
    }
    std::string Piece() {
        return dossier.Ecrit("piece.plt", DossierTemporaire::Lit(KORVELIN_TEST_DATA "/hpgl/piece.plt"));
    }
};

std::vector<std::string> Mots(std::string_view ligne) {
    std::vector<std::string> r;
    for (std::size_t i = 0, j; i < ligne.size(); i = j + 1)
        r.emplace_back(ligne.substr(i, (j = std::min(ligne.find(' ', i), ligne.size())) - i));
    return r;
}

struct Mouvement {
    double x, y, z;
};

// The data lines after the 17 header lines; XG and XD must agree.
std::vector<Mouvement> Mouvements(const std::string& cut) {
    std::vector<Mouvement> r;
    static const std::regex ligne(R"(\nT:-?\d+\.\d{3} XG:(-?\d+\.\d{3}) YG:(-?\d+\.\d{3}) XD:\1 YD:(-?\d+\.\d{3})\r)");
    for (auto it = std::sregex_iterator(cut.begin(), cut.end(), ligne); it != std::sregex_iterator(); ++it)
        r.push_back({LecturePlain((*it)[1].str()), LecturePlain((*it)[2].str()), LecturePlain((*it)[3].str())});
    EXPECT_GE(r.size(), 1u);
    r.erase(r.begin());  // the literal zero line of the header
    return r;
}

// Every run that must be refused: its exit code (2 for a wrong command line, 1 for a job
// that cannot be made) and what it says. No output replaces the drawing, the settings or
// another output, however it is spelled; every check of every output is made before any
// file is written; a file is read by what it holds; a settings file named on the command
// line is read or refused, never silently replaced by the defaults.
TEST(KorvelinCut, RefusalsSayWhyAndWriteNothing) {
    Convertisseur c;
    const std::string piece = c.Piece(), plt = DossierTemporaire::Lit(piece), ini = DossierTemporaire::Lit(c.ini);
    fs::create_directory(c.dossier.Chemin("sous"));
    fs::create_hard_link(c.ini, c.dossier.Chemin("lien.ini"));
    c.dossier.Ecrit("piece.cut", "[Korvelin]\r\n");
    c.dossier.Ecrit("vide.plt", "IN;PU0,0;PU10,10;");
    c.dossier.Ecrit("carre.plt", DossierTemporaire::Lit(KORVELIN_EXEMPLES "/bride.plt"));
    c.dossier.Ecrit("long.plt", "IN;PU0,0;PD40000,0,40000,400,0,400,0,0;");
    c.dossier.Ecrit("broche.ini", "[Korvelin]\r\nRayonFraise=1\r\nMargeX=5\r\nMargeY=5\r\nVitesseBroche=-5\r\n");
    c.dossier.Ecrit("autre.ini", "[Autre]\r\nHautDeg=7\r\n");
    c.dossier.Ecrit("binaire.plt", std::string("PU0,0;PD10,10;\0\x01\x02", 17));
    const std::string lecture = c.dossier.Ecrit("lecture.cut", "garde");
    fs::permissions(lecture, fs::perms::owner_read | fs::perms::group_read);
    const std::string usage = "Usage : korvelin-cut", sansSection = "il n'a pas de section [Korvelin].";
    // "--ini" is added unless the command line ends with "+".
    const std::tuple<int, std::string, const char*> cas[] = {
        {2, usage, "+"},
        {2, usage, "a.plt b.plt +"},
        {2, usage, "a.plt --inconnue +"},
        {2, usage, "a.plt -o +"},
        {2, usage, "a.plt --rayon deux +"},
        {2, usage, "a.plt --dialecte grbl +"},
        {2, usage, "a.plt --gcode a.nc --dialecte mach3 +"},
        {2, usage, "a.plt --broche 9000 +"},
        {2, usage, "a.plt --gcode a.nc --avance 0 +"},
        {2, usage, "a.plt --sans-commentaires +"},
        {2, usage, "piece.plt --attaches 101"},
        {2, usage, "piece.plt --hauteur-attache 0"},
        // Folders and pipes are named by the same check, tested with the files.
        {1, "Le fichier « absent.plt » est introuvable.", "absent.plt"},
        {1, "Fichier inexploitable !", "vide.plt"},
        {1, "« binaire.plt », octet n° 15 : il contient des données binaires, ce n'est pas un dessin",
         "binaire.plt -o binaire.cut"},
        {1, "(-o) est le dessin lui-même", "piece.plt -o ./piece.plt"},
        {1, "(--projet) est le fichier de paramètres", "piece.plt --projet sous/../Korvelin.ini"},
        {1, "(-o) est le fichier de paramètres", "piece.plt -o lien.ini"},
        {1, "(--journal) est le dessin lui-même", "piece.plt --simulation --journal piece.plt"},
        {1, "Les options -o et --projet désignent le même fichier", "piece.plt -o p.Korvelin --projet ./p.Korvelin"},
        {1, "(-o) est le fichier de paramètres", "piece.plt --ini piece.cut +"},
        {1, "(--gcode) est le dessin lui-même", "piece.plt --gcode sous/../piece.plt"},
        {1, "Les options -o et --gcode désignent le même fichier", "piece.plt -o p.nc --gcode ./p.nc"},
        {1, "La vitesse de broche", "piece.plt --projet a.Korvelin -o a.cut --gcode a.nc --ini broche.ini +"},
        {1, "Le fichier « lecture.cut » est en lecture seule", "piece.plt -o lecture.cut"},
        {1, "Le fichier « absent.ini » est introuvable.", "piece.plt --ini absent.ini +"},
        {1, "n'est pas un fichier de paramètres : " + sansSection, "piece.plt --ini piece.plt +"},
        {1, "n'est pas un fichier de paramètres : " + sansSection, "piece.plt --ini autre.ini +"},
        // Tabs as high as the cut is deep would lift the tool out of the stock over them.
        {1, "La hauteur des attaches (2 mm) doit rester", "piece.plt --profondeur -2 --attaches 2 --hauteur-attache 2"},
        // A new user's first job, with no settings file at all (radius 3, margins 0): the
        // margins that make it fit and the command that writes it.
        {1, "il faut une marge en X d'au moins 3 mm et une marge en Y d'au moins 3 mm", "carre.plt +"},
        {1, "relancez avec : --marge-x 3 --marge-y 3\n", "carre.plt +"},
        // Wider than the travel, it is refused whatever the zero.
        {1, "il s'étend sur 1006,000 mm en X pour une course de 1000,000 mm", "long.plt --gcode long.nc +"},
    };
    for (const auto& [statut, message, ligne] : cas) {
        std::vector<std::string> arguments = Mots(ligne);
        const bool avecIni = arguments.back() != "+";
        if (!avecIni) arguments.pop_back();
        const Execution e = c.Lance(arguments, avecIni);
        EXPECT_EQ(e.statut, statut) << ligne;
        EXPECT_NE(e.erreurs.find(message), std::string::npos) << ligne << " : " << e.erreurs;
    }
    EXPECT_EQ(DossierTemporaire::Lit(piece), plt);
    EXPECT_EQ(DossierTemporaire::Lit(c.ini), ini);
    EXPECT_EQ(DossierTemporaire::Lit(c.dossier.Chemin("piece.cut")), "[Korvelin]\r\n");
    EXPECT_EQ(DossierTemporaire::Lit(lecture), "garde");
    for (const char* f :
         {"vide.cut", "binaire.cut", "p.Korvelin", "p.nc", "a.Korvelin", "a.cut", "a.nc", "carre.cut", "long.nc"})
        EXPECT_FALSE(fs::exists(c.dossier.Chemin(f))) << f;

    // The new user's job, still without a settings file, runs with the margins it was told
    // of. The G-code, which runs from the controller's work zero, is written with a warning.
    Execution e = c.Lance({"carre.plt", "--marge-x", "3", "--marge-y", "3"}, false);
    EXPECT_EQ(e.statut, 0) << e.erreurs;
    EXPECT_TRUE(fs::exists(c.dossier.Chemin("carre.cut")));
    e = c.Lance({"carre.plt", "--gcode", "carre.nc"}, false);
    EXPECT_EQ(e.statut, 0) << e.erreurs;
    EXPECT_NE(e.erreurs.find("passe sous le zéro de travail de 3,000 mm en X et de 3,000 mm en Y"), std::string::npos)
        << e.erreurs;
}

TEST(KorvelinCut, PlotterOutputIsCutAtTheCutterRadius) {
    Convertisseur c;
    const std::string avant = DossierTemporaire::Lit(c.ini);
    const Execution e =
        c.Lance({c.Piece(), "--rayon", "1", "--cote", "1", "--profondeur", "-2", "--projet", "piece.Korvelin"});
    ASSERT_EQ(e.statut, 0) << e.erreurs;
    EXPECT_TRUE(std::regex_search(e.sortie, std::regex("^Longueur parcours en mm : \\d+,\\d\n"
                                                       "Temps de fraisage en secondes : \\d+,\\d\n$")))
        << e.sortie;
    // The part is a 25.4 mm square and a polygon within 6.2 mm of (50.8, 12.7) at its
    // nearest: the cutter of radius 1 runs outside both (both outlines run
    // counter-clockwise), one radius away, out to the square's sharp corners. Distances
    // all along the outline are checked on real drawings.
    int coupes = 0;
    double xmin = 1e300, ymin = 1e300, xmax = -1e300, ymax = -1e300;
    for (Mouvement m : Mouvements(DossierTemporaire::Lit(c.dossier.Chemin("piece.cut")))) {
        if (m.z != -2.0) continue;
        m.x -= 5, m.y -= 5;
        ++coupes;
        xmin = std::min(xmin, m.x), xmax = std::max(xmax, m.x), ymin = std::min(ymin, m.y), ymax = std::max(ymax, m.y);
        EXPECT_FALSE(m.x > -0.99 && m.x < 26.39 && m.y > -0.99 && m.y < 26.39) << m.x << " " << m.y;
        EXPECT_GE(std::hypot(m.x - 50.8, m.y - 12.7), 7.2) << m.x << " " << m.y;
    }
    EXPECT_GE(coupes, 4 + 20);
    EXPECT_NEAR(xmin, -1, 0.01);
    EXPECT_NEAR(ymin, -1, 0.01);
    EXPECT_NEAR(xmax, 58.15, 0.01);
    EXPECT_NEAR(ymax, 26.4, 0.01);
    // The settings are never written, wherever they might be.
    EXPECT_EQ(DossierTemporaire::Lit(c.ini), avant);
    EXPECT_TRUE(fs::is_empty(c.dossier.Chemin("home")));
    EXPECT_TRUE(fs::is_empty(c.dossier.Chemin("config")));

    // The project written beside it converts again to the same moves, its settings with it.
    const std::string projet = DossierTemporaire::Lit(c.dossier.Chemin("piece.Korvelin"));
    EXPECT_EQ(projet.rfind("$$[Korvelin]" + std::string(50, ' ') + "\r\n$$RayonFraise=1 ", 0), 0u);
    ASSERT_EQ(c.Lance({"piece.Korvelin", "-o", "b.cut", "--profondeur", "-2"}).statut, 0);
    const auto a = Mouvements(DossierTemporaire::Lit(c.dossier.Chemin("piece.cut")));
    const auto b = Mouvements(DossierTemporaire::Lit(c.dossier.Chemin("b.cut")));
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_NEAR(a[i].x, b[i].x, 0.0015);
        EXPECT_NEAR(a[i].y, b[i].y, 0.0015);
    }

    // The G-code asked for alone: no CUT file beside it. The clearance, feeds and spindle
    // given on the command line are those the machine gets.
    fs::remove(c.dossier.Chemin("piece.cut"));
    ASSERT_EQ(c.Lance(Mots("piece.plt --gcode piece.nc --dialecte linuxcnc --hauteur 7 --avance 300 "
                           "--avance-plongee 50 --broche 9000 --attente-broche 3"))
                  .statut,
              0);
    EXPECT_FALSE(fs::exists(c.dossier.Chemin("piece.cut")));
    const std::string gcode = DossierTemporaire::Lit(c.dossier.Chemin("piece.nc"));
    EXPECT_TRUE(gcode.ends_with("\nM30\n"));
    EXPECT_TRUE(test::VerifieGCode(gcode).fautes.empty());
    for (const char* ligne : {"\nG0 Z7\nM3 S9000\nG4 P3\n", "\nG1 Z-3 F50\n", " F300\n"})
        EXPECT_NE(gcode.find(ligne), std::string::npos) << ligne << gcode;
}

// Drawings made by other programs, ordered, with tabs, in two passes: the G-code starts
// and ends safe, passes the checker, cuts what the CUT file cuts, and rises less often.
TEST(KorvelinCut, GCodeOfDrawingsFromOtherProgramsPassesTheChecker) {
    Convertisseur c;
    for (const char* nom : {"blocs_r12.dxf", "piece_r2018.dxf", "courbe_gnuplot.hpgl", "plaque_pic2plot.hpgl"}) {
        c.dossier.Ecrit(nom, DossierTemporaire::Lit(std::string(KORVELIN_TEST_DATA "/reels/") + nom));
        std::vector<std::string> arguments = Mots(
            "--orientation --ordre --passes 2 --attaches 2 --largeur-attache 1 "
            "--hauteur-attache 0,5 --broche 10000 -o x.cut --gcode x.nc");
        arguments.insert(arguments.begin(), nom);
        const Execution e = c.Lance(arguments);
        ASSERT_EQ(e.statut, 0) << nom << e.erreurs;
        EXPECT_NE(e.sortie.find("depuis l'origine et retour"), std::string::npos);
        const std::string gcode = DossierTemporaire::Lit(c.dossier.Chemin("x.nc"));
        const test::LectureGCode l = test::VerifieGCode(gcode);
        for (const std::string& f : l.fautes) ADD_FAILURE() << nom << " " << f;
        const std::string texteCut = DossierTemporaire::Lit(c.dossier.Chemin("x.cut"));
        const std::vector<test::TronconCoupe> cut = test::CoupesCUT(texteCut);
        EXPECT_LE(test::EcartCoupes(l.coupes, cut), 0.005) << nom;
        EXPECT_LE(test::EcartCoupes(cut, l.coupes), 0.005) << nom;
        // The CUT file rises after every pass.
        std::int64_t montees = 0;
        for (std::size_t i = 0; (i = texteCut.find("//Remont", i)) != std::string::npos; ++i) ++montees;
        EXPECT_LT(l.remontees, montees - 1) << nom;
    }
}

// The help; a DXF file named .plt is read as DXF, with a warning; a settings file as
// Windows writes it (Notepad's byte order mark, CR alone, quoted values); the count of
// passes as typed; the ratios given in place of the rescaling dialog's.
TEST(KorvelinCut, HelpAndInputsReadByWhatTheyHold) {
    Convertisseur c;
    Execution e = c.Lance({"--help"}, false);
    EXPECT_EQ(e.statut, 0);
    EXPECT_NE(e.sortie.find("Usage : korvelin-cut DESSIN"), std::string::npos);
    c.dossier.Ecrit("formes.plt", DossierTemporaire::Lit(KORVELIN_TEST_DATA "/dxf/formes_r12.dxf"));
    e = c.Lance({"formes.plt", "-o", "formes.cut"});
    EXPECT_EQ(e.statut, 0) << e.erreurs;
    EXPECT_NE(e.erreurs.find("« formes.plt » est un fichier DXF malgré son extension"), std::string::npos);
    EXPECT_GT(Mouvements(DossierTemporaire::Lit(c.dossier.Chemin("formes.cut"))).size(), 10u);

    c.Piece();
    c.dossier.Ecrit("bloc.ini", "\xEF\xBB\xBF[Korvelin]\rHautDeg=\"7\"\rNbPasse=2.5\rMargeX=5\rMargeY=5\r");
    e = c.Lance({"piece.plt", "--ini", "bloc.ini"}, false);
    ASSERT_EQ(e.statut, 0) << e.erreurs;
    std::string cut = DossierTemporaire::Lit(c.dossier.Chemin("piece.cut"));
    EXPECT_NE(cut.find("// Hauteur d\xE9gagement        : 7\r\n"), std::string::npos);
    EXPECT_NE(cut.find("// Nombre de passes          : 2.5\r\n"), std::string::npos);
    EXPECT_NE(cut.find("YD:-1.500\r"), std::string::npos);  // the first of two passes of -3
    e = c.Lance({"piece.plt", "--passes", "3,0"});
    ASSERT_EQ(e.statut, 0) << e.erreurs;
    cut = DossierTemporaire::Lit(c.dossier.Chemin("piece.cut"));
    EXPECT_NE(cut.find("// Nombre de passes          : 3,0\r\n"), std::string::npos);
    EXPECT_NE(cut.find("YD:-1.000\r"), std::string::npos);

    // The part, 57.15 × 25.4 mm at the plotter's 0.025 mm, twice as wide and half as high;
    // the cutter runs outside it, its margins of 5 mm away from the origin.
    ASSERT_EQ(c.Lance(Mots("piece.plt --rapport-h 0,05 --rapport-v 0,0125 -o r.cut")).statut, 0);
    double xmax = 0, ymax = 0;
    for (const Mouvement& m : Mouvements(DossierTemporaire::Lit(c.dossier.Chemin("r.cut"))))
        xmax = std::max(xmax, m.x), ymax = std::max(ymax, m.y);
    EXPECT_NEAR(xmax, 5 + 114.3 + 1, 0.01);
    EXPECT_NEAR(ymax, 5 + 12.7 + 1, 0.01);
}

TEST(KorvelinCut, DryRunOnTheSimulatedMachine) {
    // The summary and the journal are checked on the simulation itself; here, the options reach it.
    Convertisseur c;
    Execution e = c.Lance({c.Piece(), "--simulation", "--serie", "2", "40", "1", "0", "--journal", "j.txt"});
    ASSERT_EQ(e.statut, 0) << e.erreurs;
    EXPECT_NE(e.sortie.find("Impulsions en retard : 0 sur "), std::string::npos);
    EXPECT_NE(e.sortie.find("X = 0,0000 mm, Y = 0,0000 mm, Z = 0,0000 mm\n"), std::string::npos);
    EXPECT_EQ(DossierTemporaire::Lit(c.dossier.Chemin("j.txt")).rfind("0.000000 C 00\n", 0), 0u);
    EXPECT_FALSE(fs::exists(c.dossier.Chemin("piece.cut")));
    EXPECT_EQ(c.Lance({"--simulation", "--test", "1", "--dimension", "20"}).statut, 0);
    // The estimate alone, with a warning for a depth above the surface.
    e = c.Lance({c.Piece(), "--estimation", "--profondeur", "0,5"});
    EXPECT_EQ(e.statut, 0);
    EXPECT_TRUE(std::regex_search(e.sortie, std::regex("^Dur\xC3\xA9"
                                                       "e estim\xC3\xA9"
                                                       "e : \\d+ min \\d+,\\d s \\(")))
        << e.sortie;
    EXPECT_NE(e.erreurs.find("positive"), std::string::npos);
}

TEST(KorvelinCut, TabsFromTheCommandLine) {
    // The second pass rises from -2 to -1 onto each tab of the two outlines, the square and
    // the round part; the first, at -1 itself, cuts straight.
    Convertisseur c;
    const std::string piece = c.Piece();
    auto montees = [&](std::vector<std::string> options) {
        options.insert(options.begin(), {piece, "--profondeur", "-2", "--passes", "2"});
        const Execution e = c.Lance(options);
        EXPECT_EQ(e.statut, 0) << e.erreurs;
        const std::vector<Mouvement> m = Mouvements(DossierTemporaire::Lit(c.dossier.Chemin("piece.cut")));
        int n = 0;
        for (std::size_t i = 1; i < m.size(); ++i) n += m[i - 1].z == -2.0 && m[i].z == -1.0;
        return n;
    };
    EXPECT_EQ(montees({}), 0);
    EXPECT_EQ(montees({"--attaches", "3", "--largeur-attache", "4", "--hauteur-attache", "1"}), 2 * 3);
}

// --grbl against the stand-in board: the exit code tells how the job ended, and neither a
// CUT file nor a G-code file is left behind.
TEST(KorvelinCut, GrblJobSentAndExitCodes) {
    Convertisseur c;
    const auto envoi = [&](const std::string& port, std::vector<std::string> plus = {}) {
        plus.insert(plus.begin(), {KORVELIN_EXEMPLES "/bride.plt", "--grbl", port});
        return c.Lance(plus);
    };
    std::size_t complet = 0;
    {
        test::BancGrbl carte;
        const Execution e = envoi(carte.Chemin());
        EXPECT_EQ(e.statut, 0) << e.erreurs;
        EXPECT_NE(e.erreurs.find("Travail terminé"), std::string::npos) << e.erreurs;
        EXPECT_EQ(carte.Defaut(), "");
        const std::vector<std::string> x = carte.Executees();
        ASSERT_GT(x.size(), 20u);
        EXPECT_EQ(x.back(), "M2");
        complet = x.size();
        // Only the settings, the two empty home folders and the captured messages.
        EXPECT_EQ(std::distance(fs::directory_iterator(c.dossier.Dossier()), {}), 5);
        EXPECT_TRUE(fs::is_empty(c.dossier.Chemin("home")) && fs::is_empty(c.dossier.Chemin("config")));
    }
    {
        // Resumed at a line: the rest of the job only, its contour started again. With one
        // feed for the whole job, only the first line of the file carries it: the
        // approach must set it again on a board that was reset.
        test::BancGrbl carte;
        const Execution e = envoi(carte.Chemin(), {"--reprise", "80"});
        EXPECT_EQ(e.statut, 0) << e.erreurs;
        EXPECT_NE(e.erreurs.find("Reprise à la ligne "), std::string::npos) << e.erreurs;
        EXPECT_LT(carte.Executees().size(), complet);
        EXPECT_EQ(carte.Executees().back(), "M2");
    }
    test::BancGrbl carte;
    carte.Alarme(1);
    Execution e = envoi(carte.Chemin());
    EXPECT_EQ(e.statut, 4) << e.erreurs;
    EXPECT_NE(e.erreurs.find("alarme"), std::string::npos) << e.erreurs;
    e = envoi(c.dossier.Chemin("absent"));
    EXPECT_EQ(e.statut, 5) << e.erreurs;
    EXPECT_NE(e.erreurs.find("n'existe pas"), std::string::npos) << e.erreurs;
}

}  // namespace
}  // namespace korvelin
