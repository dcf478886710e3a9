#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "machining/banc_machine.h"
#include "machining/simulation.h"
#include "support/dossier_temporaire.h"

using namespace korvelin;
using namespace korvelin::test;

TEST(Simulation, JournalDesEcritures) {
    HorlogeVirtuelle h;
    PortSimule p(h, {});
    p.EffacerBitControle(3);
    h.AttendreJusqua(2000);
    p.EcrireDonnees(0xCC);
    h.AttendreJusqua(123'456'789'0);
    p.EcrireDonnees(0x0A);
    EXPECT_EQ(TexteJournal(p.Ecritures(), h.Frequence()), "0.000000 C 00\n0.000200 D CC\n123.456789 D 0A\n");
}

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
    const std::string resume = sortie.str();
    EXPECT_NE(resume.find("Axe X : 480 impulsions en sens positif, 480 en sens négatif ; pas nets 0 ; position "
                          "finale 0,0000 mm"),
              std::string::npos)
        << resume;
    EXPECT_NE(resume.find("Axe Z : "), std::string::npos);
    EXPECT_NE(resume.find("Durée programmée : "), std::string::npos);
    EXPECT_NE(resume.find("Moteur : 1 mises en marche, 1 arrêts"), std::string::npos);
    EXPECT_TRUE(ui.messages.empty());

    const std::string journal = DossierTemporaire::Lit(o.Journal);
    std::istringstream lignes(journal);
    std::string ligne;
    const std::regex forme(R"(\d+\.\d{6} [DC] [0-9A-F]{2})");
    int n = 0;
    double avant = -1;
    while (std::getline(lignes, ligne)) {
        ASSERT_TRUE(std::regex_match(ligne, forme)) << ligne;
        const double t = std::stod(ligne);
        EXPECT_GE(t, avant);
        avant = t;
        ++n;
    }
    EXPECT_EQ(journal.substr(0, 14), "0.000000 C 00\n");
    EXPECT_EQ(journal.substr(14, 14), "0.600000 D 10\n");  // after 0.1 s and 0.5 s, the rise
    // 2 control writes, 3 per pulse: 960 in X, and in Z 2 mm up, down, 1 mm in, 3 mm out, 2 mm down.
    auto pasZ = [](double dz) {
        double parcouru = 0;
        int n = 0;
        while (dz > parcouru) parcouru = parcouru + 1.0 / 48, ++n;
        return n;
    };
    EXPECT_EQ(n, 2 + 3 * (960 + 3 * pasZ(2) + pasZ(1) + pasZ(3)));
}

TEST(Simulation, EchecsEtAutresTravaux) {
    UiEnregistreuse ui;
    Contexte ctx(&ui);
    std::ostringstream sortie;
    OptionsSimulation o;
    EXPECT_EQ(LanceSimulation(ctx, o, sortie), 1);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].texte, "Il faut ouvrir un dessin !");
    EXPECT_TRUE(sortie.str().empty());

    o.Test = 7;
    EXPECT_EQ(LanceSimulation(ctx, o, sortie), 1);
    EXPECT_EQ(ui.messages.size(), 2u);

    o.Test = 0;
    o.DimensionTest = 20;
    EXPECT_EQ(LanceSimulation(ctx, o, sortie), 0);
    EXPECT_NE(sortie.str().find("Axe X : 960 impulsions en sens positif, 960 en sens négatif"), std::string::npos)
        << sortie.str();

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
    EXPECT_NE(serie.str().find("Axe Y : 576 impulsions en sens positif, 0 en sens négatif ; pas nets 576 ; "
                               "position finale 12,0000 mm"),
              std::string::npos)
        << serie.str();
    EXPECT_NE(serie.str().find("Moteur : 13 mises en marche, 7 arrêts"), std::string::npos);
    EXPECT_EQ(ctx.parametres.NbPasse, 1);  // the job's passes do not stay in the settings

    OptionsSimulation mauvais;
    mauvais.Journal = "/dossier/qui/n/existe/pas/journal.txt";
    DessinDe(ctx, {{{0, 0}}});
    std::ostringstream rien;
    EXPECT_EQ(LanceSimulation(ctx, mauvais, rien), 1);
    EXPECT_NE(ui.messages.back().texte.find("journal"), std::string::npos);
}
