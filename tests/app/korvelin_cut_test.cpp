// End-to-end runs of build/korvelin-cut in temporary folders, HOME and XDG_CONFIG_HOME
// included, so no run can see or touch the real settings.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <regex>

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

class Convertisseur {
public:
    DossierTemporaire dossier;

    Convertisseur() {
        fs::create_directories(dossier.Chemin("home"));
        fs::create_directories(dossier.Chemin("config"));
        ini_ = dossier.Ecrit("Korvelin.ini", "[Korvelin]\r\nRayonFraise=1\r\n");
    }

    const std::string& Ini() const { return ini_; }

    // Runs the converter in the temporary folder; "--ini" is added unless given.
    Execution Lance(std::vector<std::string> arguments, bool avecIni = true) {
        if (avecIni) {
            arguments.push_back("--ini");
            arguments.push_back(ini_);
        }
        std::string commande = "cd " + Guillemets(dossier.Dossier()) + " && env HOME=" +
                               Guillemets(dossier.Chemin("home")) + " XDG_CONFIG_HOME=" +
                               Guillemets(dossier.Chemin("config")) + " " +
                               Guillemets(KORVELIN_CUT_EXE);
        for (const std::string& a : arguments) commande += " " + Guillemets(a);
        commande += " >" + Guillemets(dossier.Chemin("stdout")) + " 2>" +
                    Guillemets(dossier.Chemin("stderr")) + " </dev/null";
        const int brut = std::system(commande.c_str());
        Execution e;
        e.statut = WIFEXITED(brut) ? WEXITSTATUS(brut) : -1;
        e.sortie = DossierTemporaire::Lit(dossier.Chemin("stdout"));
        e.erreurs = DossierTemporaire::Lit(dossier.Chemin("stderr"));
        return e;
    }

    std::string Piece() {
        return dossier.Ecrit("piece.plt",
                             DossierTemporaire::Lit(KORVELIN_TEST_DATA "/hpgl/piece.plt"));
    }

private:
    std::string ini_;
};

struct Mouvement {
    double x, y, z;
};

// The data lines after the 17 header lines; XG and XD must agree.
std::vector<Mouvement> Mouvements(const std::string& cut) {
    std::vector<Mouvement> r;
    static const std::regex ligne(R"(\nT:-?\d+\.\d{3} XG:(-?\d+\.\d{3}) YG:(-?\d+\.\d{3}) XD:\1 YD:(-?\d+\.\d{3})\r)");
    for (auto it = std::sregex_iterator(cut.begin(), cut.end(), ligne); it != std::sregex_iterator(); ++it)
        r.push_back({std::stod((*it)[1]), std::stod((*it)[2]), std::stod((*it)[3])});
    EXPECT_GE(r.size(), 1u);
    r.erase(r.begin());  // the literal zero line of the header
    return r;
}

// Distance to the outline of tests/data/hpgl/piece.plt, in millimetres once moved to the origin.
double DistanceAuDessin(double x, double y) {
    static const std::string plt = DossierTemporaire::Lit(KORVELIN_TEST_DATA "/hpgl/piece.plt");
    static const std::regex commande(R"((PU|PD)(\d+),(\d+);)");
    double d = 1e300, px = 0, py = 0;
    for (auto it = std::sregex_iterator(plt.begin(), plt.end(), commande); it != std::sregex_iterator(); ++it) {
        const double qx = (std::stod((*it)[2]) - 1016) * 0.025, qy = (std::stod((*it)[3]) - 1016) * 0.025;
        const double dx = qx - px, dy = qy - py, l2 = dx * dx + dy * dy;
        const double t = l2 == 0 ? 0 : std::clamp(((x - px) * dx + (y - py) * dy) / l2, 0.0, 1.0);
        if ((*it)[1] == "PD") d = std::min(d, std::hypot(x - px - t * dx, y - py - t * dy));
        px = qx;
        py = qy;
    }
    return d;
}

TEST(KorvelinCut, HelpUsageAndFilesThatCannotBeConverted) {
    Convertisseur c;
    Execution e = c.Lance({"--help"}, false);
    EXPECT_EQ(e.statut, 0);
    EXPECT_NE(e.sortie.find("Usage : korvelin-cut DESSIN"), std::string::npos);
    const std::vector<std::vector<std::string>> fautes = {
        {}, {"a.plt", "b.plt"}, {"a.plt", "--inconnue"}, {"a.plt", "-o"}, {"a.plt", "--passes", "0"},
        {"a.plt", "--cote", "4"}, {"a.plt", "--rayon", "deux"}, {"a.plt", "--serie", "2", "10", "2", "10"},
        {"--simulation", "--dimension", "50"}};
    for (const auto& f : fautes) {
        e = c.Lance(f, false);
        EXPECT_EQ(e.statut, 2) << (f.empty() ? "" : f.back());
        EXPECT_NE(e.erreurs.find("Usage : korvelin-cut"), std::string::npos);
    }
    c.dossier.Ecrit("notes.txt", "PU0,0;PD1,1;");
    c.dossier.Ecrit("vide.plt", "IN;PU0,0;PU10,10;");
    const std::pair<const char*, const char*> refus[] = {{"absent.plt", "Fichier introuvable"},
                                                         {"notes.txt", "Type de fichier non reconnu"},
                                                         {"vide.plt", "Fichier inexploitable !"}};
    for (const auto& [dessin, message] : refus) {
        e = c.Lance({dessin});
        EXPECT_EQ(e.statut, 1);
        EXPECT_NE(e.erreurs.find(message), std::string::npos) << e.erreurs;
    }
    EXPECT_FALSE(fs::exists(c.dossier.Chemin("vide.cut")));
}

TEST(KorvelinCut, PlotterOutputIsCutAtTheCutterRadius) {
    Convertisseur c;
    const std::string avant = DossierTemporaire::Lit(c.Ini());
    const Execution e = c.Lance({c.Piece(), "--rayon", "1", "--cote", "1", "--profondeur", "-2"});
    ASSERT_EQ(e.statut, 0) << e.erreurs;
    EXPECT_TRUE(std::regex_search(e.sortie, std::regex("^Longueur parcours en mm : \\d+,\\d\n"
                                                       "Temps de fraisage en secondes : \\d+,\\d\n$")))
        << e.sortie;
    int coupes = 0;
    for (const Mouvement& m : Mouvements(DossierTemporaire::Lit(c.dossier.Chemin("piece.cut")))) {
        if (m.z != -2.0) continue;
        ++coupes;
        // R from the outline along the sides, up to R·√2 at the square's corners.
        const double d = DistanceAuDessin(m.x, m.y);
        EXPECT_GE(d, 1 - 0.01) << m.x << " " << m.y;
        EXPECT_LE(d, std::sqrt(2.0) + 0.01) << m.x << " " << m.y;
        // Both outlines run counter-clockwise: the tool on the right runs outside them.
        EXPECT_FALSE(m.x > 0 && m.x < 25.4 && m.y > 0 && m.y < 25.4) << m.x << " " << m.y;
        EXPECT_GE(std::hypot(m.x - 50.8, m.y - 12.7), 6.35) << m.x << " " << m.y;
    }
    EXPECT_GE(coupes, 4 + 20);
    // The settings are never written, wherever they might be.
    EXPECT_EQ(DossierTemporaire::Lit(c.Ini()), avant);
    EXPECT_TRUE(fs::is_empty(c.dossier.Chemin("home")));
    EXPECT_TRUE(fs::is_empty(c.dossier.Chemin("config")));
}

TEST(KorvelinCut, SettingsAndOptionsReachTheFile) {
    Convertisseur c;
    c.dossier.Ecrit("Korvelin.ini", "[Korvelin]\r\nTempsMin_HMat_X=0\r\n");
    Execution e = c.Lance({c.Piece(), "--cote", "2"});
    EXPECT_EQ(e.statut, 1);  // a zero minimum time shows an empty speed, refused
    EXPECT_NE(e.erreurs.find("Les vitesses ne peuvent pas"), std::string::npos);

    c.dossier.Ecrit("Korvelin.ini", "[Korvelin]\r\nTempsMin_Mat_X=2,5\r\nNbPas_X=200\r\nHautDeg=3\r\n"
                                    "PLTRapportH=0,05\r\nPLTRapportV=0,05\r\n");
    e = c.Lance({c.Piece(), "--cote", "2", "--passes", "2", "--marge-y", "5,5", "--profondeur",
                 "-1,5", "--hauteur", "7"});
    ASSERT_EQ(e.statut, 0) << e.erreurs;
    const std::string cut = DossierTemporaire::Lit(c.dossier.Chemin("piece.cut"));
    for (const char* ligne : {"// Vitesse mati\xE8re X         : 2,000\r\n", "// Vitesse mati\xE8re Y         : 2,083\r\n",
                              "// Hauteur d\xE9gagement        : 7\r\n", "// Profondeur fraisage       : -1,5\r\n",
                              "// Nombre de passes          : 2\r\n", "// Marge en Y                : 5,5\r\n"})
        EXPECT_NE(cut.find(ligne), std::string::npos) << ligne;
    double xmax = 0, ymin = 1e9;
    int passes = 0;
    for (const Mouvement& m : Mouvements(cut)) {
        if (m.z < 0) xmax = std::max(xmax, m.x), ymin = std::min(ymin, m.y);
        passes += m.z == -0.75 || m.z == -1.5;
    }
    EXPECT_GT(passes, 20);
    EXPECT_NEAR(ymin, 5.5, 0.001);                   // the margin
    EXPECT_NEAR(xmax, (3302 - 1016) * 0.05, 0.002);  // the stored ratios...

    e = c.Lance({c.Piece(), "--cote", "2", "--rapport-h", "0,025", "--rapport-v", "0.025", "-o", "b.cut"});
    ASSERT_EQ(e.statut, 0) << e.erreurs;
    xmax = 0;
    for (const Mouvement& m : Mouvements(DossierTemporaire::Lit(c.dossier.Chemin("b.cut"))))
        xmax = std::max(xmax, m.x);
    EXPECT_NEAR(xmax, (3302 - 1016) * 0.025, 0.002);  // ...or those of the command line
}

TEST(KorvelinCut, ProjectWrittenAndConvertedAgain) {
    Convertisseur c;
    Execution e = c.Lance({c.Piece(), "--projet", "piece.Korvelin", "-o", "a.cut"});
    ASSERT_EQ(e.statut, 0) << e.erreurs;
    const std::string projet = DossierTemporaire::Lit(c.dossier.Chemin("piece.Korvelin"));
    EXPECT_EQ(projet.rfind("$$[Korvelin]" + std::string(50, ' ') + "\r\n$$RayonFraise=1 ", 0), 0u);

    e = c.Lance({"piece.Korvelin", "-o", "b.cut"});
    ASSERT_EQ(e.statut, 0) << e.erreurs;
    const auto a = Mouvements(DossierTemporaire::Lit(c.dossier.Chemin("a.cut")));
    const auto b = Mouvements(DossierTemporaire::Lit(c.dossier.Chemin("b.cut")));
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_NEAR(a[i].x, b[i].x, 0.0015);
        EXPECT_NEAR(a[i].y, b[i].y, 0.0015);
    }
    // The project's own settings count, and the command line still wins over them.
    c.dossier.Ecrit("sur.Korvelin", "$$DecalageOutil=2\r\n" + projet.substr(projet.find("\r\n ") + 2));
    for (const char* cote : {"", "1"}) {
        std::vector<std::string> args = {"sur.Korvelin", "-o", "c.cut"};
        if (*cote) args.insert(args.end(), {"--cote", cote});
        ASSERT_EQ(c.Lance(args).statut, 0);
        for (const Mouvement& m : Mouvements(DossierTemporaire::Lit(c.dossier.Chemin("c.cut")))) {
            if (m.z >= 0) continue;
            const double d = DistanceAuDessin(m.x, m.y);
            EXPECT_TRUE(*cote ? d > 0.99 && d < 1.42 : d < 0.001) << cote << " " << d;
        }
    }
}

TEST(KorvelinCut, DryRunOnTheSimulatedMachine) {
    Convertisseur c;
    Execution e = c.Lance({c.Piece(), "--simulation", "--serie", "2", "40", "1", "0", "--journal", "j.txt"});
    ASSERT_EQ(e.statut, 0) << e.erreurs;
    EXPECT_NE(e.sortie.find("Dur\xC3\xA9" "e programm\xC3\xA9" "e"), std::string::npos) << e.sortie;
    EXPECT_FALSE(DossierTemporaire::Lit(c.dossier.Chemin("j.txt")).empty());
    EXPECT_FALSE(fs::exists(c.dossier.Chemin("piece.cut")));
    EXPECT_EQ(c.Lance({"--simulation", "--test", "1", "--dimension", "20"}).statut, 0);
}

TEST(KorvelinCut, NeverReplacesTheDrawing) {
    Convertisseur c;
    const std::string piece = c.Piece();
    const std::string original = DossierTemporaire::Lit(piece);
    Execution e = c.Lance({piece, "-o", "./piece.plt"});
    EXPECT_EQ(e.statut, 1);
    EXPECT_NE(e.erreurs.find("Le fichier CUT ne peut pas remplacer le dessin ouvert !"), std::string::npos);
    EXPECT_EQ(c.Lance({piece, "--projet", piece}).statut, 1);
    EXPECT_EQ(DossierTemporaire::Lit(piece), original);
    // A drawing whose extension is not replaced by ".cut" gets "cut" as extension.
    c.dossier.Ecrit("dessin.HPGL", "PU0,0;PD40,0;PD40,40;");
    ASSERT_EQ(c.Lance({"dessin.HPGL"}).statut, 0);
    EXPECT_TRUE(fs::exists(c.dossier.Chemin("dessin.cut")));
}

}  // namespace
}  // namespace korvelin
