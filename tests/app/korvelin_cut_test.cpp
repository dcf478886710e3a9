// End-to-end runs of build/korvelin-cut in temporary folders, HOME and XDG_CONFIG_HOME
// included, so no run can see or touch the real settings.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <filesystem>
#include <regex>

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
    double t, x, y, z;
};

std::vector<Mouvement> Mouvements(const std::string& cut) {
    std::vector<Mouvement> r;
    static const std::regex ligne(
        R"(T:(-?\d+\.\d{3}) XG:(-?\d+\.\d{3}) YG:(-?\d+\.\d{3}) XD:(-?\d+\.\d{3}) YD:(-?\d+\.\d{3})\r)");
    std::size_t debut = 0;
    int numero = 0;
    while (debut < cut.size()) {
        const std::size_t fin = cut.find('\n', debut);
        const std::string l = cut.substr(debut, fin - debut);
        debut = fin == std::string::npos ? cut.size() : fin + 1;
        if (++numero <= 17 || l.rfind("//", 0) == 0) continue;
        std::smatch m;
        EXPECT_TRUE(std::regex_match(l, m, ligne)) << l;
        if (m.empty()) continue;
        EXPECT_EQ(m[2], m[4]);
        r.push_back({std::stod(m[1]), std::stod(m[2]), std::stod(m[3]), std::stod(m[5])});
    }
    return r;
}

struct Segment {
    double x0, y0, x1, y1;
};

double DistanceAuSegment(double x, double y, const Segment& s) {
    const double dx = s.x1 - s.x0, dy = s.y1 - s.y0;
    const double l2 = dx * dx + dy * dy;
    double t = l2 == 0 ? 0 : ((x - s.x0) * dx + (y - s.y0) * dy) / l2;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(x - (s.x0 + t * dx), y - (s.y0 + t * dy));
}

// The outline of tests/data/hpgl/piece.plt in millimetres once moved to the origin.
std::vector<Segment> ContoursPiece() {
    const std::string plt = DossierTemporaire::Lit(KORVELIN_TEST_DATA "/hpgl/piece.plt");
    std::vector<Segment> s;
    static const std::regex commande(R"((PU|PD)(\d+),(\d+);)");
    double px = 0, py = 0;
    for (auto it = std::sregex_iterator(plt.begin(), plt.end(), commande);
         it != std::sregex_iterator(); ++it) {
        const double x = (std::stod((*it)[2]) - 1016) * 0.025;
        const double y = (std::stod((*it)[3]) - 1016) * 0.025;
        if ((*it)[1] == "PD") s.push_back({px, py, x, y});
        px = x;
        py = y;
    }
    return s;
}

double DistanceAuDessin(double x, double y, const std::vector<Segment>& dessin) {
    double d = 1e300;
    for (const Segment& s : dessin) d = std::min(d, DistanceAuSegment(x, y, s));
    return d;
}

TEST(KorvelinCut, HelpAndUsageErrors) {
    Convertisseur c;
    Execution e = c.Lance({"--help"}, false);
    EXPECT_EQ(e.statut, 0);
    EXPECT_NE(e.sortie.find("Usage : korvelin-cut DESSIN"), std::string::npos);

    const std::vector<std::vector<std::string>> fautes = {
        {},
        {"a.plt", "b.plt"},
        {"a.plt", "--inconnue"},
        {"a.plt", "-o"},
        {"a.plt", "--passes", "0"},
        {"a.plt", "--cote", "4"},
        {"a.plt", "--rayon", "deux"},
        {"a.plt", "--rapport-h", "0"},
        {"a.plt", "--serie", "2", "10", "2", "10"},
        {"a.plt", "--simulation", "--serie", "2", "10"},
        {"--simulation", "--dimension", "50"},
    };
    for (const auto& f : fautes) {
        e = c.Lance(f, false);
        EXPECT_EQ(e.statut, 2) << (f.empty() ? "" : f.back());
        EXPECT_NE(e.erreurs.find("Usage : korvelin-cut"), std::string::npos);
    }
}

TEST(KorvelinCut, FilesThatCannotBeConverted) {
    Convertisseur c;
    Execution e = c.Lance({"absent.plt"});
    EXPECT_EQ(e.statut, 1);
    EXPECT_NE(e.erreurs.find("Fichier introuvable"), std::string::npos);

    c.dossier.Ecrit("notes.txt", "PU0,0;PD1,1;");
    e = c.Lance({"notes.txt"});
    EXPECT_EQ(e.statut, 1);
    EXPECT_NE(e.erreurs.find("Type de fichier non reconnu"), std::string::npos);

    c.dossier.Ecrit("vide.plt", "IN;PU0,0;PU10,10;");
    e = c.Lance({"vide.plt"});
    EXPECT_EQ(e.statut, 1);
    EXPECT_NE(e.erreurs.find("Fichier inexploitable !"), std::string::npos);
    EXPECT_FALSE(fs::exists(c.dossier.Chemin("vide.cut")));
}

TEST(KorvelinCut, PlotterOutputIsCutAtTheCutterRadius) {
    Convertisseur c;
    const std::string piece = c.Piece();
    const Execution e = c.Lance({piece, "--rayon", "1", "--cote", "1", "--profondeur", "-2"});
    ASSERT_EQ(e.statut, 0) << e.erreurs;
    EXPECT_TRUE(std::regex_search(e.sortie, std::regex("^Longueur parcours en mm : \\d+,\\d\n"
                                                       "Temps de fraisage en secondes : \\d+,\\d\n$")))
        << e.sortie;

    const auto mouvements = Mouvements(DossierTemporaire::Lit(c.dossier.Chemin("piece.cut")));
    const auto dessin = ContoursPiece();
    int coupes = 0;
    for (const Mouvement& m : mouvements) {
        if (m.z != -2.0) continue;
        ++coupes;
        const double d = DistanceAuDessin(m.x, m.y, dessin);
        // On the offset lines: exactly R from the outline along the sides, up to R·√2 at the
        // square's corners, never closer than R.
        EXPECT_GE(d, 1 - 0.01) << m.x << " " << m.y;
        EXPECT_LE(d, std::sqrt(2.0) + 0.01) << m.x << " " << m.y;
        // Both outlines run counter-clockwise: the tool on the right of the travel runs
        // outside the square and outside the round one.
        const bool dansCarre = m.x > 0 && m.x < 25.4 && m.y > 0 && m.y < 25.4;
        const bool dansRond = std::hypot(m.x - 50.8, m.y - 12.7) < 6.35;
        EXPECT_FALSE(dansCarre) << m.x << " " << m.y;
        EXPECT_FALSE(dansRond) << m.x << " " << m.y;
    }
    EXPECT_GE(coupes, 4 + 20);
}

TEST(KorvelinCut, OnTheLineTheCutFollowsTheDrawing) {
    Convertisseur c;
    const Execution e = c.Lance({c.Piece(), "--cote", "2", "-o", "ligne.cut"});
    ASSERT_EQ(e.statut, 0) << e.erreurs;
    const auto dessin = ContoursPiece();
    for (const Mouvement& m : Mouvements(DossierTemporaire::Lit(c.dossier.Chemin("ligne.cut"))))
        if (m.z == -3.0) {
            EXPECT_LE(DistanceAuDessin(m.x, m.y, dessin), 0.001);
        }
}

TEST(KorvelinCut, SettingsAndOptionsReachTheFile) {
    Convertisseur c;
    c.dossier.Ecrit("Korvelin.ini", "[Korvelin]\r\nTempsMin_HMat_X=0\r\n");
    Execution e = c.Lance({c.Piece(), "--cote", "2"});
    EXPECT_EQ(e.statut, 1);  // a zero minimum time shows an empty speed, refused
    EXPECT_NE(e.erreurs.find("Les vitesses ne peuvent pas"), std::string::npos);
    EXPECT_FALSE(fs::exists(c.dossier.Chemin("piece.cut")));

    c.dossier.Ecrit("Korvelin.ini",
                    "[Korvelin]\r\nTempsMin_Mat_X=2,5\r\nNbPas_X=200\r\nHautDeg=3\r\n"
                    "PLTRapportH=0,05\r\nPLTRapportV=0,05\r\n");
    e = c.Lance({c.Piece(), "--cote", "2", "--passes", "2", "--marge-x", "10", "--marge-y",
                 "5,5", "--profondeur", "-1,5", "--hauteur", "7"});
    ASSERT_EQ(e.statut, 0) << e.erreurs;
    const std::string cut = DossierTemporaire::Lit(c.dossier.Chemin("piece.cut"));
    EXPECT_NE(cut.find("// Vitesse mati\xE8re X         : 2,000\r\n"), std::string::npos);
    EXPECT_NE(cut.find("// Vitesse mati\xE8re Y         : 2,083\r\n"), std::string::npos);
    EXPECT_NE(cut.find("// Hauteur d\xE9gagement        : 7\r\n"), std::string::npos);
    EXPECT_NE(cut.find("// Profondeur fraisage       : -1,5\r\n"), std::string::npos);
    EXPECT_NE(cut.find("// Nombre de passes          : 2\r\n"), std::string::npos);
    EXPECT_NE(cut.find("// Marge en Y                : 5,5\r\n"), std::string::npos);

    const auto m = Mouvements(cut);
    EXPECT_EQ(m.front().z, 7.0);
    double xmax = 0, ymin = 1e9;
    bool passe1 = false, passe2 = false;
    for (const Mouvement& x : m) {
        if (x.z < 0) {
            xmax = std::max(xmax, x.x);
            ymin = std::min(ymin, x.y);
        }
        passe1 |= x.z == -0.75;
        passe2 |= x.z == -1.5;
    }
    EXPECT_TRUE(passe1 && passe2);
    EXPECT_NEAR(ymin, 5.5, 0.001);                    // the margin
    EXPECT_NEAR(xmax, 10 + (3302 - 1016) * 0.05, 0.002);  // the stored ratios

    e = c.Lance({c.Piece(), "--cote", "2", "--rapport-h", "0,025", "--rapport-v", "0.025",
                 "-o", "petit.cut"});
    ASSERT_EQ(e.statut, 0) << e.erreurs;
    double x2 = 0;
    for (const Mouvement& x : Mouvements(DossierTemporaire::Lit(c.dossier.Chemin("petit.cut"))))
        x2 = std::max(x2, x.x);
    EXPECT_NEAR(x2, (3302 - 1016) * 0.025, 0.002);

    EXPECT_EQ(DossierTemporaire::Lit(c.Ini()).find("Fichier="), std::string::npos);
}

TEST(KorvelinCut, NeverWritesTheSettingsFile) {
    Convertisseur c;
    const std::string avant = DossierTemporaire::Lit(c.Ini());
    const auto date = fs::last_write_time(c.Ini());
    ASSERT_EQ(c.Lance({c.Piece()}).statut, 0);
    EXPECT_EQ(DossierTemporaire::Lit(c.Ini()), avant);
    EXPECT_EQ(fs::last_write_time(c.Ini()), date);
    EXPECT_FALSE(fs::exists(c.dossier.Chemin("Korvelin.tmp")));
    EXPECT_TRUE(fs::is_empty(c.dossier.Chemin("home")));
    EXPECT_TRUE(fs::is_empty(c.dossier.Chemin("config")));
}

TEST(KorvelinCut, ProjectWrittenAndConvertedAgain) {
    Convertisseur c;
    const std::string piece = c.Piece();
    Execution e = c.Lance({piece, "--projet", "piece.Korvelin", "-o", "a.cut"});
    ASSERT_EQ(e.statut, 0) << e.erreurs;
    const std::string projet = DossierTemporaire::Lit(c.dossier.Chemin("piece.Korvelin"));
    EXPECT_EQ(projet.rfind("$$[Korvelin]" + std::string(50, ' ') + "\r\n", 0), 0u);
    EXPECT_NE(projet.find("$$RayonFraise=1" + std::string(47, ' ') + "\r\n"), std::string::npos);

    e = c.Lance({"piece.Korvelin", "-o", "b.cut"});
    ASSERT_EQ(e.statut, 0) << e.erreurs;
    const auto a = Mouvements(DossierTemporaire::Lit(c.dossier.Chemin("a.cut")));
    const auto b = Mouvements(DossierTemporaire::Lit(c.dossier.Chemin("b.cut")));
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_NEAR(a[i].x, b[i].x, 0.0015);
        EXPECT_NEAR(a[i].y, b[i].y, 0.0015);
        EXPECT_EQ(a[i].z, b[i].z);
    }
    // The project's own settings count, and the command line still wins over them.
    c.dossier.Ecrit("sur.Korvelin", "$$DecalageOutil=2\r\n" + projet.substr(projet.find("\r\n ") + 2));
    e = c.Lance({"sur.Korvelin", "-o", "c.cut"});
    ASSERT_EQ(e.statut, 0) << e.erreurs;
    const auto dessin = ContoursPiece();
    for (const Mouvement& m : Mouvements(DossierTemporaire::Lit(c.dossier.Chemin("c.cut"))))
        if (m.z < 0) {
            EXPECT_LE(DistanceAuDessin(m.x, m.y, dessin), 0.001);
        }
    e = c.Lance({"sur.Korvelin", "--cote", "1", "-o", "d.cut"});
    ASSERT_EQ(e.statut, 0) << e.erreurs;
    for (const Mouvement& m : Mouvements(DossierTemporaire::Lit(c.dossier.Chemin("d.cut"))))
        if (m.z < 0) {
            EXPECT_GE(DistanceAuDessin(m.x, m.y, dessin), 0.99);
        }
}

TEST(KorvelinCut, NeverReplacesTheDrawing) {
    Convertisseur c;
    const std::string piece = c.Piece();
    const std::string original = DossierTemporaire::Lit(piece);
    Execution e = c.Lance({piece, "-o", "./piece.plt"});
    EXPECT_EQ(e.statut, 1);
    EXPECT_NE(e.erreurs.find("Le fichier CUT ne peut pas remplacer le dessin ouvert !"),
              std::string::npos);
    e = c.Lance({piece, "--projet", piece});
    EXPECT_EQ(e.statut, 1);
    EXPECT_EQ(DossierTemporaire::Lit(piece), original);

    // The proposed name of a drawing whose extension is not replaced by ".cut".
    c.dossier.Ecrit("dessin.HPGL", "PU0,0;PD40,0;PD40,40;");
    e = c.Lance({"dessin.HPGL"});
    ASSERT_EQ(e.statut, 0) << e.erreurs;
    EXPECT_TRUE(fs::exists(c.dossier.Chemin("dessin.cut")));
}

}  // namespace
}  // namespace korvelin
