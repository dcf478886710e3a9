#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>

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

TEST(Fichier, EcritureAtomiquePermissionsEtTemporairesMorts) {
    DossierTemporaire d;
    const std::string sortie = d.Ecrit("sortie.cut", "ancien");
    auto entrees = [&d] {
        std::size_t n = 0;
        for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(d.Dossier())) ++n;
        return n;
    };
    // Left by a killed writer: removed by the next write beside the same file. A live
    // writer's (locked), a younger one, and names of another pattern stay.
    const std::string mort = d.Ecrit("sortie.cut.tmp-a1B2c3", "x");
    const std::string vivant = d.Ecrit("sortie.cut.tmp-zzzzzz", "x");
    const std::string jeune = d.Ecrit("sortie.cut.tmp-yyyyyy", "x");
    for (const std::string& a : {std::string("sortie.cut.tmp-abcde"), std::string("autre.cut.tmp-abcdef")})
        d.Ecrit(a, "x");
    const timespec vieux[2] = {{0, UTIME_OMIT}, {::time(nullptr) - 60, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, mort.c_str(), vieux, 0), 0);
    ASSERT_EQ(::utimensat(AT_FDCWD, vivant.c_str(), vieux, 0), 0);
    const int verrou = ::open(vivant.c_str(), O_RDONLY);
    ASSERT_EQ(::flock(verrou, LOCK_EX), 0);
    ::chmod(sortie.c_str(), 06750);
    {
        EcritureAtomique e(sortie);
        ASSERT_TRUE(e.Ouvert());
        EXPECT_TRUE(e.Ecrit("abandonné"));
        // Abandoned: nothing of it stays, the old file is whole.
    }
    EXPECT_EQ(DossierTemporaire::Lit(sortie), "ancien");
    EXPECT_FALSE(std::filesystem::exists(mort));
    EXPECT_EQ(entrees(), 5u);
    ASSERT_TRUE(EcrireFichierAtomique(sortie, "nouveau"));
    ::close(verrou);
    EXPECT_EQ(DossierTemporaire::Lit(sortie), "nouveau");
    EXPECT_EQ(entrees(), 5u);
    EXPECT_TRUE(std::filesystem::exists(vivant) && std::filesystem::exists(jeune));
    // Fresh permissions: the same read and write bits, never setuid or setgid.
    struct stat st {};
    ASSERT_EQ(::stat(sortie.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0750u);
    // A read-only file is refused, as cp refuses it, even to the superuser.
    ::chmod(sortie.c_str(), 0444);
    EXPECT_EQ(RaisonNonRemplacable(sortie), "Le fichier « sortie.cut » est en lecture seule : il n'est pas remplacé.");
    EXPECT_FALSE(EcrireFichierAtomique(sortie, "encore"));
    EXPECT_EQ(DossierTemporaire::Lit(sortie), "nouveau");
    EXPECT_EQ(RaisonNonRemplacable(d.Chemin("neuf.cut")), "");
    EXPECT_EQ(RaisonNonRemplacable(d.Dossier()).rfind("« ", 0), 0u);
}
