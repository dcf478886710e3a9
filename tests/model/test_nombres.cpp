#include <gtest/gtest.h>

#include <cfloat>

#include "model/ligne_projet.h"
#include "model/nombres.h"
#include "model/noms_fichiers.h"

using namespace korvelin;

// The suite runs under the C locale and under a French one (where the C library reads
// "0.025" as 0 and writes 1.5 as "1,5"): these must read and write the same under both.
TEST(Nombres, Lectures) {
    const std::pair<const char*, double> plain[] = {{"12.5abc", 12.5}, {"12,5", 12.0},        {"", 0.0},
                                                    {"lettres", 0.0},  {" 1 2 3", 123.0},     {"-4e2", -400.0},
                                                    {"10,20", 10.0},   {"1e999999", DBL_MAX}, {"-1e400", -DBL_MAX},
                                                    {"1e-400", 0.0},   {"0.025", 0.025},      {"+2.5", 2.5}};
    for (const auto& [texte, valeur] : plain) EXPECT_EQ(LecturePlain(texte), valeur) << texte;
    EXPECT_DOUBLE_EQ(LecturePlain("2.5 3.5"), 2.53);
    const std::pair<const char*, double> locale[] = {{"12,5", 12.5},   {" 12.5 ", 12.5},     {"-0,025", -0.025},
                                                     {"0,025", 0.025}, {"1.0e400", DBL_MAX}, {"+3", 3.0}};
    for (const auto& [texte, valeur] : locale) EXPECT_EQ(LectureLocale(texte), valeur) << texte;
    for (const char* refuse : {"", "12,5 mm", "1,2,3", "-", "1e"}) EXPECT_FALSE(LectureLocale(refuse)) << refuse;
    EXPECT_EQ(LectureLocaleOuPlain("3x"), 3.0);
    EXPECT_EQ(LectureSaisie("2,083"), 2.083);
    EXPECT_EQ(LectureSaisie("150,5 mm"), 150.5);
    for (const auto& [texte, valeur] : {std::pair{"2,5", 2}, {"3,5", 4}, {"99999", 32767}})
        EXPECT_EQ(LectureEntier16(texte), valeur) << texte;
}

TEST(Nombres, Ecritures) {
    EXPECT_EQ(EcritureLocale(0.025), "0,025");
    EXPECT_EQ(EcritureLocale(100), "100");
    EXPECT_EQ(EcritureLocale(-1500000), "-1500000");
    EXPECT_EQ(EcriturePoint(1.5), "1.5");
    EXPECT_EQ(EcritureLocale(1e-9), "1e-9");
    // Every value reads back as itself: a saved ratio keeps all its digits.
    for (const double v : {0.1 + 0.2, 100.0 / 4445.0, 1.0 / 3.0, -123456.789012345678, 6.02e23, DBL_MAX, 5e-324}) {
        EXPECT_EQ(LectureLocale(EcritureLocale(v)), v) << EcritureLocale(v);
        EXPECT_EQ(LecturePlain(EcriturePoint(v)), v) << EcriturePoint(v);
    }
    // A box shows at most six significant digits.
    const std::pair<double, const char*> affiches[] = {
        {100.0 / 4445.0, "0,0224972"}, {0.0375, "0,0375"}, {100.00000000000001, "100"},
        {1234.5678, "1234,57"},        {0.0, "0"},         {-2.5, "-2,5"},
        {1234567.0, "1234570"}};
    for (const auto& [v, texte] : affiches) EXPECT_EQ(EcritureAffichage(v), texte);
    EXPECT_EQ(ArrondiSignificatif(double(1.2f), 7), 1.2);
    EXPECT_EQ(TexteEntier(-32768), "-32768");
    const std::tuple<double, int, char, const char*> fixes[] = {
        {2.0833333, 3, ',', "2,083"}, {0.0625, 3, '.', "0.062"},  // a true half goes to the even digit
        {0.1875, 3, '.', "0.188"},    {-3, 3, '.', "-3.000"},    {-0.0001, 3, '.', "0.000"},
        {12.25, 1, ',', "12,2"},      {1.5, 3, '.', "1.500"}};
    for (const auto& [v, chiffres, virgule, texte] : fixes) EXPECT_EQ(FormatFixe(v, chiffres, virgule), texte);
    EXPECT_EQ(FormatFixe(DBL_MAX, 0, '.').size(), 309u);
    const std::pair<float, const char*> flottants[] = {{0.0f, " 0"},   {12.5f, " 12.5"},         {-3.0f, "-3"},
                                                       {0.1f, " 0.1"}, {220.0003f, " 220.0003"}, {1e-5f, " 1e-05"}};
    for (const auto& [v, texte] : flottants) EXPECT_EQ(TexteFlottant32(v), texte);
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
