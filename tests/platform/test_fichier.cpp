#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/fichier.h"
#include "support/dossier_temporaire.h"

using namespace korvelin;
using korvelin::test::DossierTemporaire;

TEST(Fichier, CeQuiNePeutPasEtreLuEstNommeSansEtreOuvert) {
    DossierTemporaire d;
    const std::string lisible = d.Ecrit("piece.plt", "PU0,0;");
    std::filesystem::create_directory(d.Chemin("dossier.plt"));
    const std::string tube = d.Chemin("tube.plt");
    ASSERT_EQ(::mkfifo(tube.c_str(), 0600), 0);
    EXPECT_EQ(RaisonIllisible(lisible), "");
    EXPECT_EQ(RaisonIllisible(d.Chemin("absent.plt")), "Le fichier « absent.plt » est introuvable.");
    EXPECT_EQ(RaisonIllisible(d.Chemin("dossier.plt")), "« dossier.plt » est un dossier, pas un fichier de dessin.");
    EXPECT_EQ(RaisonIllisible(tube), "« tube.plt » est un périphérique ou un tube, pas un fichier de dessin.");
    EXPECT_EQ(RaisonFichierIllisible("/dev/null", "de paramètres"),
              "« null » est un périphérique ou un tube, pas un fichier de paramètres.");
    // With no writer at the other end, opening the FIFO to read it would wait for ever.
    EXPECT_FALSE(LireFichier(tube));
    if (::geteuid() != 0) {  // root reads whatever the permissions say
        ::chmod(lisible.c_str(), 0);
        EXPECT_EQ(RaisonIllisible(lisible), "Le fichier « piece.plt » ne peut pas être lu : accès refusé.");
    }
}

TEST(Fichier, LeMemeFichierQuelQueSoitLeChemin) {
    DossierTemporaire d;
    const std::string a = d.Ecrit("a.plt", "x");
    std::filesystem::create_directory(d.Chemin("sous"));
    std::filesystem::create_hard_link(a, d.Chemin("lien-dur.plt"));
    std::filesystem::create_symlink(a, d.Chemin("lien.plt"));
    EXPECT_TRUE(MemeFichierDisque(a, d.Chemin("sous/../a.plt")));
    EXPECT_TRUE(MemeFichierDisque(a, d.Dossier() + "/./a.plt"));
    EXPECT_TRUE(MemeFichierDisque(a, d.Chemin("lien-dur.plt")));
    EXPECT_TRUE(MemeFichierDisque(d.Chemin("lien.plt"), a));
    EXPECT_FALSE(MemeFichierDisque(a, d.Ecrit("b.plt", "x")));
    // A file still to be made: the same folder and the same name.
    EXPECT_TRUE(MemeFichierDisque(d.Chemin("neuf.cut"), d.Chemin("sous/../neuf.cut")));
    EXPECT_FALSE(MemeFichierDisque(d.Chemin("neuf.cut"), d.Chemin("sous/neuf.cut")));
    EXPECT_FALSE(MemeFichierDisque(d.Chemin("neuf.cut"), a));
    EXPECT_FALSE(MemeFichierDisque("", ""));
}
