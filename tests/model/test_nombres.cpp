#include <gtest/gtest.h>

#include <cfloat>

#include "model/ligne_projet.h"
#include "model/nombres.h"
#include "model/noms_fichiers.h"

using namespace korvelin;

TEST(Nombres, Lectures) {
    const std::pair<const char*, double> plain[] = {
        {"12.5abc", 12.5}, {"12,5", 12.0}, {"", 0.0},       {"lettres", 0.0},     {" 1 2 3", 123.0},
        {"-4e2", -400.0},  {"10,20", 10.0}, {"1e999999", DBL_MAX}};
    for (const auto& [texte, valeur] : plain) EXPECT_EQ(LecturePlain(texte), valeur) << texte;
    EXPECT_DOUBLE_EQ(LecturePlain("2.5 3.5"), 2.53);
    for (const auto& [texte, valeur] : {std::pair{"12,5", 12.5}, {" 12.5 ", 12.5}, {"-0,025", -0.025}})
        EXPECT_EQ(LectureLocale(texte), valeur) << texte;
    for (const char* refuse : {"", "12,5 mm", "1,2,3"}) EXPECT_FALSE(LectureLocale(refuse)) << refuse;
    EXPECT_EQ(LectureLocaleOuPlain("3x"), 3.0);
    EXPECT_EQ(LectureSaisie("2,083"), 2.083);
    EXPECT_EQ(LectureSaisie("150,5 mm"), 150.5);
    for (const auto& [texte, valeur] : {std::pair{"2,5", 2}, {"3,5", 4}, {"99999", 32767}})
        EXPECT_EQ(LectureEntier16(texte), valeur) << texte;
}

TEST(Nombres, Ecritures) {
    EXPECT_EQ(EcritureLocale(0.025), "0,025");
    EXPECT_EQ(EcritureLocale(100), "100");
    EXPECT_EQ(EcritureLocale(0.1 + 0.2), "0,3");
    const std::tuple<double, int, char, const char*> fixes[] = {
        {2.0833333, 3, ',', "2,083"}, {0.0625, 3, '.', "0.062"},  // a true half goes to the even digit
        {0.1875, 3, '.', "0.188"},    {-3, 3, '.', "-3.000"},     {-0.0001, 3, '.', "0.000"}, {12.25, 1, ',', "12,2"}};
    for (const auto& [v, chiffres, virgule, texte] : fixes) EXPECT_EQ(FormatFixe(v, chiffres, virgule), texte);
    for (const auto& [v, texte] : {std::pair{0.0f, " 0"}, {12.5f, " 12.5"}, {-3.0f, "-3"}, {0.1f, " 0.1"}})
        EXPECT_EQ(TexteFlottant32(v), texte);
    EXPECT_EQ(VersFlottant32(1e300), FLT_MAX);
}

TEST(NomsDeFichiers, DecoupageDesChemins) {
    EXPECT_EQ(ExtraitRepertoire("C:\\dessins\\piece.plt"), "C:\\dessins\\");
    EXPECT_EQ(ExtraitRepertoire("/home/a/piece.plt"), "/home/a/");
    EXPECT_EQ(ExtraitRepertoire("piece.plt"), "");
    EXPECT_EQ(ExtraitExtension("piece.plt"), "plt");
    EXPECT_EQ(ExtraitExtension("piece"), "piece");
    EXPECT_EQ(SansExtension("/a/piece.plt"), "/a/piece.");
    EXPECT_EQ(SansExtension("piece"), "");
    EXPECT_EQ(NomSansDossier("C:\\dessins\\piece.plt"), "piece.plt");
}

TEST(LigneProjet, EtiquettesLarges) {
    // The layout, commas and empty lines are checked on whole project files.
    const Code2 large(U'\u4E00', U'A');
    EXPECT_EQ(LireLignePointProjet(LignePointProjet({1, 2, PlumeBasse, large})).Sequence, large);
    // A wide pen field (a damaged file) does not shift the label behind it.
    EXPECT_EQ(LireLignePointProjet(LignePointProjet({1, 2, Code2(U'\u00E9', U'\u4E00'), large})).Sequence, large);
}
