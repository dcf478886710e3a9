#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "machining/banc_machine.h"
#include "support/dossier_temporaire.h"

using namespace korvelin;
using namespace korvelin::test;

TEST(Simulation, ResumeEtJournalDUnFraisage) {
    DossierTemporaire dossier;
    UiEnregistreuse ui;
    Contexte ctx(&ui);
    DessinDe(ctx, {{{0, 0}, {10, 0}}});
    OptionsSimulation o;
    o.HautDeg = "2";
    o.ProfFraisage = "-1";
    o.Journal = dossier.Chemin("journal.txt");
    std::ostringstream sortie;
    ASSERT_EQ(LanceSimulation(ctx, o, sortie), 0);
    EXPECT_NE(sortie.str().find("Axe X : 480 impulsions en sens positif, 480 en sens négatif ; pas nets 0 ; "
                                "position finale 0,0000 mm\n"),
              std::string::npos)
        << sortie.str();
    EXPECT_NE(sortie.str().find("Moteur : 1 mises en marche, 1 arrêts"), std::string::npos);

    std::istringstream journal(DossierTemporaire::Lit(o.Journal));
    std::vector<std::string> lignes;
    const std::regex forme(R"(\d+\.\d{6} [DC] [0-9A-F]{2})");
    for (std::string l; std::getline(journal, l);) {
        ASSERT_TRUE(std::regex_match(l, forme)) << l;
        lignes.push_back(l);
    }
    EXPECT_EQ(lignes[0], "0.000000 C 00");
    EXPECT_EQ(lignes[1], "0.600000 D 10");  // after 0.1 s and 0.5 s, the rise
    EXPECT_EQ(lignes[2], "0.600200 D 30");
    EXPECT_TRUE(lignes.back().ends_with(" C 08"));
    // 3 writes per pulse: 960 in X; in Z 2 mm up, down, 1 mm in, 3 mm out, 2 mm down.
    EXPECT_EQ(lignes.size(), 2 + 3 * (960 + 3 * 97 + 48 + 144u));
}

TEST(Simulation, EchecsMotifsEtSeries) {
    UiEnregistreuse ui;
    Contexte ctx(&ui);
    std::ostringstream sortie;
    OptionsSimulation o;
    EXPECT_EQ(LanceSimulation(ctx, o, sortie), 1);
    EXPECT_EQ(ui.messages.at(0).texte, "Il faut ouvrir un dessin !");
    o.Test = 7;
    EXPECT_EQ(LanceSimulation(ctx, o, sortie), 1);
    EXPECT_TRUE(sortie.str().empty());

    o.Test = 0;
    o.DimensionTest = 20;
    EXPECT_EQ(LanceSimulation(ctx, o, sortie), 0);
    EXPECT_NE(sortie.str().find("Axe X : 960 impulsions en sens positif, 960 en sens négatif"), std::string::npos);

    DessinDe(ctx, {{{0, 0}, {1, 0}}});
    o = {};
    o.Serie = true;
    o.NbX = 2;
    o.NbY = 3;
    o.DecalX = 5;
    o.DecalY = 4;
    o.NbPasse = 2;
    std::ostringstream serie;
    EXPECT_EQ(LanceSimulation(ctx, o, serie), 0);
    EXPECT_NE(serie.str().find("Axe Y : 576 impulsions en sens positif, 0 en sens négatif ; pas nets 576"),
              std::string::npos);
    EXPECT_NE(serie.str().find("Moteur : 13 mises en marche, 7 arrêts"), std::string::npos);
    EXPECT_EQ(ctx.parametres.NbPasse, 1);  // the job's passes do not stay in the settings

    OptionsSimulation mauvais;
    mauvais.Journal = "/dossier/qui/n/existe/pas/journal.txt";
    EXPECT_EQ(LanceSimulation(ctx, mauvais, sortie), 1);
    EXPECT_NE(ui.messages.back().texte.find("journal"), std::string::npos);
}
