// The milling window's behaviour without the window: its boxes, what its close saves, the
// reports of a run and the simulated path.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "document/fenetre_fraisage.h"
#include "platform/fichier.h"
#include "support/dossier_temporaire.h"

using namespace korvelin;
using namespace korvelin::test;

TEST(ModeleFraisage, BoitesEtSauvegardeDeFermeture) {
    DossierTemporaire dossier;
    MagasinReglages magasin;
    Dessin d;
    Parametres p;
    magasin.CheminIni = dossier.Ecrit("Korvelin.ini", "[Korvelin]\r\nNbPasse=2,7\r\nPas_Z=1\r\nNbPas_Z=200\r\n");
    ChargeMachine(magasin, d, p);
    d.NomFichier = "/pieces/bride.PLT";
    d.Xmax = 40.5, d.Ymax = 12;
    ModeleFraisage m(magasin, d, p);
    m.Charge();
    const ChampsFraisage& c = m.Champs();
    EXPECT_EQ(c.CUT, "/pieces/bride.cut");
    EXPECT_EQ(c.NbPasse, "2,7");
    EXPECT_EQ(p.NbPasse, 2);
    EXPECT_EQ(c.Pas_Duplic_X, "40,5");
    EXPECT_EQ(c.Dim_Test, "50");

    // 0 passes shows 1 again.
    m.ChangeNbPasse("0");
    EXPECT_EQ(c.NbPasse, "1");
    EXPECT_EQ(p.NbPasse, 1);
    // A decimal comma in a time box; the Z speed follows the Z pitch and steps.
    m.ValideTemps(5, "2,5");
    EXPECT_EQ(p.TempsMin_Mat_Z, 2.5);
    EXPECT_EQ(c.Vitesses[5], "2,000");
    // A time of 0 is kept, its speed shows empty.
    m.ValideTemps(0, "0");
    EXPECT_EQ(c.Vitesses[0], "");
    m.ValideMarge(true, "3,25");
    EXPECT_EQ(p.MargeX, 3.25);
    // Tabs: a count that is no whole number in range, or a size that is not positive,
    // keeps the last good value.
    for (const char* t : {"4", "2,5", "-1", "1000"}) m.ValideAttaches(0, t);
    for (const char* t : {"6,5", "0", "abc"}) m.ValideAttaches(1, t);
    EXPECT_EQ(c.AttachesNombre, "4");
    EXPECT_EQ(p.AttachesLargeur, 6.5);
    EXPECT_EQ(c.AttachesLargeur, "6,5");
    EXPECT_EQ(m.Travail().attaches.nombre, 4);  // the files the window writes carry them

    m.Champs().SansCommentaires = true;
    EXPECT_TRUE(m.Travail().SansCommentaires);
    const EcrituresReglages e = m.EcrituresFermeture();
    ASSERT_EQ(e.size(), 16u);
    EXPECT_EQ(e[15], (std::pair<std::string, std::string>{"GCodeSansCommentaires", "Vrai"}));
    EXPECT_EQ(e[9], (std::pair<std::string, std::string>{"NbPasse", "1"}));
    // Written in one rewrite, read back as typed: the other keys and their texts.
    ASSERT_TRUE(magasin.Ecrire(d, e).empty());
    p.TempsMin_Mat_Z = p.MargeX = 0;
    p.AttachesNombre = 0;
    ChargeMachine(magasin, d, p);
    ChargeMarges(magasin, d, p);
    ChargeOptions(magasin, d, p);
    EXPECT_EQ(p.AttachesNombre, 4);
    EXPECT_TRUE(TravailCUTInitial(magasin, d, p).SansCommentaires);
    EXPECT_EQ(p.TempsMin_Mat_Z, 2.5);
    EXPECT_EQ(p.MargeX, 3.25);
    // The header carries the box's text; the job its count.
    EXPECT_EQ(m.Travail().TexteNbPasse, "1");

    // A ".dat" drawing, and one with another extension that must not be overwritten.
    d.NomFichier = "/p/a.dat";
    m.Charge();
    EXPECT_EQ(m.Champs().CUT, "/p/a.cut");
    d.NomFichier = "/p/a.dxf";
    m.Charge();
    EXPECT_NE(m.Champs().CUT, "/p/a.dxf");
}

TEST(ModeleFraisage, CompteRenduDArret) {
    CompteRendu cr;
    cr.issue = Issue::Interrompue;
    cr.trace = 2, cr.passe = 3, cr.point = 9, cr.copie = 2, cr.rangee = 1;
    cr.X = 1.5, cr.Z = -0.25;
    const std::string s = TexteCompteRendu(cr);
    EXPECT_NE(s.find("Arrêté au tracé 3, passe 3, vers le point 9, copie 2 de la rangée 1"), std::string::npos) << s;
    EXPECT_NE(s.find("X 1,500, Y 0,000, Z -0,250"), std::string::npos) << s;
    EXPECT_EQ(s.find("perdus"), std::string::npos);
    // Stopped on the rise before a trace: no pass, no point yet.
    cr.passe = 0, cr.point = -1, cr.copie = 0;
    EXPECT_TRUE(TexteCompteRendu(cr).starts_with("Arrêté au tracé 3 ; position")) << TexteCompteRendu(cr);
    cr.issue = Issue::Terminee, cr.impulsionsEnRetard = 4;
    EXPECT_NE(TexteCompteRendu(cr).find("4 en retard : des pas ont pu être perdus"), std::string::npos);
    EXPECT_NE(MessagePortIndisponible().find("groupe lp"), std::string::npos);
}

TEST(CheminSimule, LignesEnEscalierReduitesAuxCoins) {
    const double s = 1.0 / 48;
    CheminSimule c(0.75 * s);
    // A staircase along a slope of 1/3, then a turn straight up, then a plunge.
    for (int i = 0; i <= 300; ++i) c.Note(i * s, (i / 3) * s, 0.0);
    for (int j = 1; j <= 100; ++j) c.Note(300 * s, (100 + j) * s, 0.0);
    c.Note(300 * s, 200 * s, -1.0);
    const auto& p = c.Points();
    ASSERT_EQ(p.size(), 4u);
    EXPECT_NEAR(p[1].x, 300 * s, 1e-12);
    EXPECT_NEAR(p[1].y, 100 * s, 1e-12);
    EXPECT_NEAR(p[2].y, 200 * s, 1e-12);
    EXPECT_EQ(p[3].z, -1.0);
}

TEST(CheminSimule, CercleEnPasResteAMoinsDUnPas) {
    const double s = 1.0 / 48, tol = 0.75 * s;
    CheminSimule c(tol);
    std::vector<std::pair<double, double>> positions;
    for (int i = 0; i <= 20000; ++i) {
        const double a = 2 * std::numbers::pi * i / 20000;
        const double x = std::round(10 * std::cos(a) / s) * s, y = std::round(10 * std::sin(a) / s) * s;
        positions.emplace_back(x, y);
        c.Note(x, y, -1.0);
    }
    const auto& p = c.Points();
    EXPECT_LT(p.size(), 2000u);  // against 20,000 positions
    EXPECT_GT(p.size(), 20u);
    // Every position the tool went through lies near the path kept.
    for (const auto& [x, y] : positions) {
        double meilleur = 1e9;
        for (size_t k = 1; k < p.size(); ++k) {
            const double ux = p[k].x - p[k - 1].x, uy = p[k].y - p[k - 1].y;
            const double l2 = ux * ux + uy * uy;
            const double t = l2 > 0 ? std::clamp(((x - p[k - 1].x) * ux + (y - p[k - 1].y) * uy) / l2, 0.0, 1.0) : 0.0;
            meilleur = std::min(meilleur, std::hypot(x - p[k - 1].x - t * ux, y - p[k - 1].y - t * uy));
        }
        ASSERT_LE(meilleur, 2 * tol) << x << " " << y;
    }
}
