// korvelin-cut --grbl against the stand-in board: the exit code tells how the job ended.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>

#include "grbl/banc_grbl.h"
#include "support/dossier_temporaire.h"

namespace korvelin {
namespace {

struct Envoi {
    int statut;
    std::string erreurs;
};

Envoi Lance(const test::DossierTemporaire& d, const std::string& port, const std::string& options = "") {
    const std::string ini = d.Ecrit("Korvelin.ini", "[Korvelin]\r\nRayonFraise=1\r\n");
    const std::string commande = "cd '" + d.Dossier() + "' && HOME='" + d.Dossier() + "' timeout 60 '" KORVELIN_CUT_EXE
                                 "' '" KORVELIN_EXEMPLES "/bride.plt' --ini Korvelin.ini --grbl '" + port + "' " + options +
                                 " 2>erreurs </dev/null >/dev/null";
    const int brut = std::system(commande.c_str());
    return {WIFEXITED(brut) ? WEXITSTATUS(brut) : -1, test::DossierTemporaire::Lit(d.Chemin("erreurs"))};
}

TEST(KorvelinCutGrbl, TravailEnvoyeEtCodesDeRetour) {
    test::DossierTemporaire d;
    {
        test::BancGrbl carte;
        const Envoi e = Lance(d, carte.Chemin());
        EXPECT_EQ(e.statut, 0) << e.erreurs;
        EXPECT_NE(e.erreurs.find("Travail terminé"), std::string::npos) << e.erreurs;
        EXPECT_EQ(carte.Defaut(), "");
        const std::vector<std::string> x = carte.Executees();
        ASSERT_GT(x.size(), 20u);
        EXPECT_EQ(x.back(), "M2");
        // Neither a CUT file nor a G-code file is left behind: only the settings and the messages.
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(d.Dossier()), {}), 2);
    }
    {
        test::BancGrbl carte;
        carte.Alarme(1);
        const Envoi e = Lance(d, carte.Chemin());
        EXPECT_EQ(e.statut, 4) << e.erreurs;
        EXPECT_NE(e.erreurs.find("alarme"), std::string::npos) << e.erreurs;
    }
    const Envoi e = Lance(d, d.Chemin("absent"));
    EXPECT_EQ(e.statut, 5) << e.erreurs;
    EXPECT_NE(e.erreurs.find("n'existe pas"), std::string::npos) << e.erreurs;
}

}  // namespace
}  // namespace korvelin
