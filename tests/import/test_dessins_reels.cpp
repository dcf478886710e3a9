// Drawings written by other programs, each measured by an independent reader when it was
// generated (its ".mesure" beside it). Opened as the window opens them and written as a
// CUT file, the cut must follow their true geometry, and a cutter beside the trace must
// never wander off the part.

#include <gtest/gtest.h>

#include <charconv>
#include <cstring>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

#include "document/calculs.h"
#include "settings/aide_contexte.h"
#include "document/travail_initial.h"
#include "geometry/decalage.h"
#include "support/import_test.h"
#include "machining/cut.h"
#include "settings/magasin.h"
#include "settings/aide_contexte.h"

namespace korvelin {
namespace {

namespace fs = std::filesystem;

struct Mesure {
    double longueur = 0.0, largeur = 0.0, hauteur = 0.0;
};

Mesure LitMesure(const fs::path& chemin) {
    Mesure m;
    std::ifstream f(chemin);
    std::string cle;
    double valeur;
    while (f >> cle >> valeur) {
        if (cle == "longueur") m.longueur = valeur;
        if (cle == "largeur") m.largeur = valeur;
        if (cle == "hauteur") m.hauteur = valeur;
    }
    return m;
}

// What the CUT file cuts: the moves made below the surface.
struct Coupe {
    double longueur = 0.0;
    double xmin = std::numeric_limits<double>::infinity(), ymin = xmin;
    double xmax = -xmin, ymax = -xmin;
    double Largeur() const { return xmax - xmin; }
    double Hauteur() const { return ymax - ymin; }
};

Coupe LitCoupe(const std::string& texte) {
    Coupe c;
    std::istringstream lignes(texte);
    std::string ligne;
    bool dedans = false;
    double px = 0, py = 0;
    while (std::getline(lignes, ligne)) {
        // "T:t XG:x YG:y XD:x YD:z", read without the C library: the runs under a French
        // locale would read every decimal point as the end of the number.
        double v[5];
        std::size_t n = 0, i = 0;
        for (const char* cle : {"T:", " XG:", " YG:", " XD:", " YD:"}) {
            if (ligne.compare(i, std::strlen(cle), cle) != 0) break;
            i += std::strlen(cle);
            const auto r = std::from_chars(ligne.data() + i, ligne.data() + ligne.size(), v[n]);
            if (r.ec != std::errc()) break;
            i = static_cast<std::size_t>(r.ptr - ligne.data());
            ++n;
        }
        if (n != 5) continue;
        const double x = v[1], y = v[2], z = v[4];
        const bool sous = z < 0.0;
        if (sous) {
            if (dedans) c.longueur += std::hypot(x - px, y - py);
            c.xmin = std::min(c.xmin, x), c.xmax = std::max(c.xmax, x);
            c.ymin = std::min(c.ymin, y), c.ymax = std::max(c.ymax, y);
        }
        dedans = sous;
        px = x, py = y;
    }
    return c;
}

struct DessinReel : test::ValeursTemporaires {
    Coupe Fraise(const fs::path& fichier, int cote, double rayon, bool coinsConvexes) {
        dossier.Ecrit("Korvelin.ini", "[Korvelin]\r\nDecalageOutil=" + std::to_string(cote) +
                                          "\r\nRayonFraise=" + std::to_string(rayon) +
                                          "\r\nOptimisation_2=" + (coinsConvexes ? "Vrai" : "Faux") + "\r\n");
        ChargeDecalage(magasin, dessin, parametres);
        ChargeOptions(magasin, dessin, parametres);
        ui.messages.clear();
        EXPECT_TRUE(test::Ouvre(Cible(), fichier.string())) << fichier;
        TravailCUT travail = TravailCUTInitial(magasin, dessin, parametres);
        // Margins keep a cutter beside the outline within the machine's travel; the cut is
        // measured back from the part's zero.
        constexpr double Marge = 40;
        travail.MargeX = travail.MargeY = "40";
        travail.NbPasse = 1;
        travail.FichierCUT = dossier.Chemin("sortie.cut");
        TotauxCUT totaux;
        EXPECT_TRUE(GenereFichierCUT(Poste(), travail, totaux))
            << fichier << (ui.messages.empty() ? "" : ui.messages.back().texte);
        Coupe c = LitCoupe(test::DossierTemporaire::Lit(travail.FichierCUT));
        c.xmin -= Marge, c.xmax -= Marge, c.ymin -= Marge, c.ymax -= Marge;
        return c;
    }
};

std::vector<fs::path> Dessins() {
    std::vector<fs::path> r;
    for (const auto& f : fs::directory_iterator(fs::path(KORVELIN_TEST_DATA) / "reels"))
        if (f.path().extension() == ".mesure") r.push_back(fs::path(f.path()).replace_extension());
    std::sort(r.begin(), r.end());
    return r;
}

TEST(DessinsReels, LaCoupeSuitLaGeometrieVraie) {
    const auto dessins = Dessins();
    ASSERT_GE(dessins.size(), 10u);
    for (const fs::path& dessin : dessins) {
        SCOPED_TRACE(dessin.filename().string());
        const Mesure vraie = LitMesure(fs::path(dessin) += ".mesure");
        DessinReel d;
        const Coupe c = d.Fraise(dessin, 2, 1.5, false);
        EXPECT_TRUE(d.ui.messages.empty()) << d.ui.messages[0].texte;
        EXPECT_NEAR(c.longueur, vraie.longueur, 0.02 * vraie.longueur);
        EXPECT_NEAR(c.Largeur(), vraie.largeur, 0.01 * std::max(vraie.largeur, vraie.hauteur));
        EXPECT_NEAR(c.Hauteur(), vraie.hauteur, 0.01 * std::max(vraie.largeur, vraie.hauteur));
    }
}

TEST(DessinsReels, UneFraiseACoteDuTraceResteContreLaPiece) {
    constexpr double R = 1.5;
    for (const fs::path& dessin : Dessins()) {
        SCOPED_TRACE(dessin.filename().string());
        const Mesure vraie = LitMesure(fs::path(dessin) += ".mesure");
        for (const bool coinsConvexes : {true, false})
            for (const int cote : {1, 3}) {
                DessinReel d;
                const Coupe c = d.Fraise(dessin, cote, R, coinsConvexes);
                // The drawing lies in [0, largeur] × [0, hauteur] once opened. A trace too
                // small for the cutter may be refused with a message; it must not send
                // the cutter away all the same.
                const double marge = (coinsConvexes ? 2 : 10) * R + 1e-3;
                EXPECT_GE(c.xmin, -marge) << "côté " << cote;
                EXPECT_GE(c.ymin, -marge) << "côté " << cote;
                EXPECT_LE(c.xmax, vraie.largeur + marge) << "côté " << cote;
                EXPECT_LE(c.ymax, vraie.hauteur + marge) << "côté " << cote;
            }
    }
}

}  // namespace
}  // namespace korvelin
