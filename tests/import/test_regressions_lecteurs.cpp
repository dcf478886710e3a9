#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "import/dat.h"
#include "support/import_test.h"
#include "support/ui_enregistreuse.h"
#include "support/dossier_temporaire.h"

namespace korvelin {
namespace {

void ExpectDessinSain(const Dessin& d) {
    ASSERT_GE(d.NbPoints, 0);
    ASSERT_LE(static_cast<std::size_t>(d.NbPoints), d.Trace_Initial.size());
    for (int32_t i = 0; i < d.NbPoints; ++i)
        EXPECT_TRUE(std::isfinite(d.Trace_Initial[i].X) && std::isfinite(d.Trace_Initial[i].Y));
}

// Inputs that once broke a reader and the fuzzers' seeds, and damaged copies of them (cut
// in half, bytes flipped, another type's name), go through the window's own opening: the
// drawing stays sound, a point file is imported exactly when its measure accepts it, and
// every refusal says which file and why, never the bare verdict alone.
TEST(RegressionsLecteurs, AucunRefusMuet) {
    namespace fs = std::filesystem;
    test::DossierTemporaire dossier;
    std::vector<std::string> chemins, pointsOriginaux;
    int n = 0;
    auto ajoute = [&](const std::string& extension, const std::string& contenu) {
        chemins.push_back(dossier.Ecrit("f" + std::to_string(n++) + extension, contenu));
    };
    for (const fs::path& racine : {fs::path(KORVELIN_TEST_DATA) / "fuzz", fs::path(KORVELIN_FUZZ_CORPUS)})
        for (const auto& f : fs::recursive_directory_iterator(racine)) {
            if (!f.is_regular_file()) continue;
            const std::string contenu = test::DossierTemporaire::Lit(f.path().string());
            const std::string extension = f.path().extension().string();
            ajoute(extension, contenu);
            if (extension == ".dat") pointsOriginaux.push_back(chemins.back());
            ajoute(extension, contenu.substr(0, contenu.size() / 2));
            std::string abime = contenu;
            for (std::size_t i = 7; i < abime.size(); i += 13) abime[i] = static_cast<char>(abime[i] ^ 0x5A);
            ajoute(extension, abime);
            for (const char* autre : {".dxf", ".dat", ".Korvelin", ".plt"})
                if (extension != autre) ajoute(autre, contenu);
        }
    for (const char* extension : {".dxf", ".dat", ".Korvelin", ".plt", ".hpgl"}) {
        ajoute(extension, "");
        ajoute(extension, "Liste des pièces :\n12 vis\n");
        ajoute(extension, std::string("\x7f"
                                      "ELF\0\x02\x01\0\0\0",
                                      11));
    }
    int muets = 0, refus = 0;
    for (const std::string& chemin : chemins) {
        test::ValeursTemporaires v;
        const test::UiEnregistreuse& ui = v.ui;
        const bool lu = test::Ouvre(v.Cible(), chemin);
        ExpectDessinSain(v.dessin);
        if (std::find(pointsOriginaux.begin(), pointsOriginaux.end(), chemin) != pointsOriginaux.end()) {
            EXPECT_EQ(lu, !LitFichierDAT(chemin).Refusee()) << chemin;
        }
        for (const auto& m : ui.messages) {
            // Refusals of the file; the offset's own messages speak of a trace.
            if (m.icone != Icone::Critique || m.texte.find("ichier") == std::string::npos) continue;
            ++refus;
            if (m.texte.find(chemin) == std::string::npos) {
                ++muets;
                ADD_FAILURE() << chemin << " : " << m.texte;
            }
        }
    }
    EXPECT_EQ(muets, 0);
    EXPECT_GT(refus, 30);
}

}  // namespace
}  // namespace korvelin
