// Drawings written by other programs, each measured by an independent reader when it was
// generated (its ".mesure" beside it). Opened as the window opens them and written as a
// CUT file, the cut must follow their true geometry, and a cutter beside the trace must
// never wander off the part.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>

#include "document/travail_initial.h"
#include "geometry/bouts.h"
#include "geometry/mesure_decalage.h"
#include "machining/cut.h"
#include "machining/verificateur_gcode.h"
#include "support/valeurs_temporaires.h"
#include "settings/magasin.h"
#include "support/import_test.h"

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
    for (const test::TronconCoupe& t : test::CoupesCUT(texte)) {
        c.longueur += std::hypot(t.x1 - t.x0, t.y1 - t.y0);
        c.xmin = std::min({c.xmin, t.x0, t.x1}), c.xmax = std::max({c.xmax, t.x0, t.x1});
        c.ymin = std::min({c.ymin, t.y0, t.y1}), c.ymax = std::max({c.ymax, t.y0, t.y1});
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
        Diagnostics dits;
        EXPECT_TRUE(GenereFichierCUT(Poste(), travail, totaux, dits))
            << fichier << (dits.empty() ? "" : dits.back().message);
        Coupe c = LitCoupe(test::DossierTemporaire::Lit(travail.FichierCUT));
        c.xmin -= Marge, c.xmax -= Marge, c.ymin -= Marge, c.ymax -= Marge;
        return c;
    }
};

// No cut comes near the part, and every closed contour gets its closing corner unless
// its trace was said too tight. The closed contours checked.
int VerifieDecalages(const Dessin& lu, const test::UiEnregistreuse& ui, double R) {
    int fermes = 0;
    EXPECT_GE(test::Mesure(lu, R).plusPres, R - 0.01);
    std::size_t e = 0;
    for (int32_t i = 0, j; i < lu.NbPoints; ++e, i = j) {
        for (j = i; j < lu.NbPoints && lu.Trace_Initial[j].Sequence == lu.Trace_Initial[i].Sequence;) ++j;
        const auto& D = lu.Trace_Decale[e].Points;
        const std::string nom = "Le tracé " + lu.Trace_Initial[i].Sequence.Texte() + " ";
        const bool signale = std::any_of(ui.messages.begin(), ui.messages.end(),
                                         [&](const auto& m) { return m.texte.rfind(nom, 0) == 0; });
        if (TraceFermee(&lu.Trace_Initial[i], std::size_t(j - i)) && D.size() >= 2 && !signale) {
            ++fermes;
            EXPECT_TRUE(D.front().X == D.back().X && D.front().Y == D.back().Y) << "tracé " << e;
        }
    }
    return fermes;
}

std::vector<fs::path> Dessins() {
    std::vector<fs::path> r;
    for (const auto& f : fs::directory_iterator(fs::path(KORVELIN_TEST_DATA) / "reels"))
        if (f.path().extension() == ".mesure") r.push_back(fs::path(f.path()).replace_extension());
    std::sort(r.begin(), r.end());
    return r;
}

// On the trace, the cut follows the true geometry; beside it, the cutter never bites into
// the part and stays against it: the drawing lies in [0, largeur] × [0, hauteur] once opened. A trace too small for
// the cutter may be refused with a message; it must not send the cutter away all the same.
TEST(DessinsReels, LaCoupeSuitLaGeometrieVraieEtResteContreLaPiece) {
    constexpr double R = 1.5;
    const auto dessins = Dessins();
    ASSERT_GE(dessins.size(), 10u);
    int fermes = 0;
    for (const fs::path& dessin : dessins) {
        SCOPED_TRACE(dessin.filename().string());
        const Mesure vraie = LitMesure(fs::path(dessin) += ".mesure");
        DessinReel d;
        const Coupe c = d.Fraise(dessin, 2, R, false);
        EXPECT_TRUE(d.ui.messages.empty()) << d.ui.messages[0].texte;
        EXPECT_NEAR(c.longueur, vraie.longueur, 0.02 * vraie.longueur);
        EXPECT_NEAR(c.Largeur(), vraie.largeur, 0.01 * std::max(vraie.largeur, vraie.hauteur));
        EXPECT_NEAR(c.Hauteur(), vraie.hauteur, 0.01 * std::max(vraie.largeur, vraie.hauteur));
        for (const bool coinsConvexes : {true, false})
            for (const int cote : {1, 3}) {
                SCOPED_TRACE("côté " + std::to_string(cote) + (coinsConvexes ? ", coins convexes" : ""));
                DessinReel b;
                const Coupe bord = b.Fraise(dessin, cote, R, coinsConvexes);
                if (!coinsConvexes) fermes += VerifieDecalages(b.dessin, b.ui, R);
                const double marge = (coinsConvexes ? 2 : 10) * R + 1e-3;
                EXPECT_GE(bord.xmin, -marge);
                EXPECT_GE(bord.ymin, -marge);
                EXPECT_LE(bord.xmax, vraie.largeur + marge);
                EXPECT_LE(bord.ymax, vraie.hauteur + marge);
            }
    }
    EXPECT_GT(fermes, 20);
}

}  // namespace
}  // namespace korvelin
