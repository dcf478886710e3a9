#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <tuple>

#include "machining/banc_machine.h"
#include "machining/fraisage.h"
#include "support/dossier_temporaire.h"

using namespace korvelin;
using namespace korvelin::test;

namespace {
// Steps of 0.25 mm add up exactly, so every Z move has an exact count; distinct times tell
// the Z moves apart by their pulse period.
void PasExacts(Parametres& v) {
    v.Pas_X = v.Pas_Y = v.Pas_Z = 1;
    v.NbPas_X = v.NbPas_Y = v.NbPas_Z = 4;
    v.TempsMin_Montee = 2;
    v.TempsMin_Descente = 3;
    v.TempsMin_Mat_Z = 5;
}
}  // namespace

TEST(Fraisage, SequenceZDeDeuxPasses) {
    Banc b;
    PasExacts(b.ctx.parametres);
    b.ctx.parametres.NbPasse = 2;
    DessinDe(b.ctx, {{{1, 1}, {3, 1}, {3, 2}}});
    Machine& m = b.Demarre();
    EXPECT_EQ(FraisageExemplaire(b.ctx, m, {"5", "-2"}, b.arret).issue, Issue::Terminee);
    // +5; pass 1: -5, -1, cut, +6; pass 2: -5, -2, cut, +7; at the end -5 (in 0.25 mm steps).
    EXPECT_EQ(b.Z(), (std::vector<int64_t>{20, -20, -4, 24, -20, -8, 28, -20}));
    EXPECT_EQ(b.port->PasNets(Axe::X) + b.port->PasNets(Axe::Y) + b.port->PasMoteurArrete(), 0);
    EXPECT_EQ(b.port->Controle(), 0x08);
    EXPECT_TRUE(m.MinuterieMoteurActive);
    EXPECT_TRUE(b.ui.messages.empty());
    EXPECT_EQ(b.port->Ecritures()[1].temps, 6000 * 1000);  // motor on, 0.1 s, then 0.5 s

    // A second trace begins at height H without a rise; an empty one moves nothing.
    Banc c;
    PasExacts(c.ctx.parametres);
    DessinDe(c.ctx, {{{0, 0}, {2, 0}}, {}, {{2, 2}, {0, 2}}});
    FraisageExemplaire(c.ctx, c.Demarre(), {"1,5", "-0,5"}, c.arret);
    EXPECT_EQ(c.Z(), (std::vector<int64_t>{6, -6, -2, 8, -6, -2, 8, -6}));
}

TEST(Fraisage, RefusSansDessinOuVitesseNulleUneFoisParSerie) {
    for (auto regle : {+[](Parametres&) {}, +[](Parametres& v) { v.Pas_Z = 0; },
                       +[](Parametres& v) { v.TempsMin_Montee = 0; }, +[](Parametres& v) { v.TempsMin_HMat_Y = 1e9; }}) {
        for (const bool serie : {false, true}) {
            Banc b;
            regle(b.ctx.parametres);
            const bool dessin = VitessesNulles(b.ctx.parametres);  // else no drawing
            if (dessin) DessinDe(b.ctx, {{{1, 1}}});
            Machine& m = b.Demarre();
            const auto cr = serie ? FraisageSerie(b.ctx, m, {}, {3, 2, 10.0f, 10.0f}, b.arret)
                                  : FraisageExemplaire(b.ctx, m, {}, b.arret);
            EXPECT_EQ(cr.issue, Issue::Refusee);
            ASSERT_EQ(b.ui.messages.size(), 1u);
            EXPECT_EQ(b.ui.messages[0].texte, dessin ? "Les vitesses ne peuvent pas être nulles !\r\nRevoir les paramètres"
                                                     : "Il faut ouvrir un dessin !");
            EXPECT_EQ(b.ui.messages[0].titre, dessin ? "Erreur" : "Korvelin");
            EXPECT_EQ(b.ui.messages[0].icone, Icone::Critique);
            EXPECT_TRUE(b.port->Ecritures().empty());
        }
    }
}

TEST(Fraisage, SerieDeDeuxCopiesEnGrille) {
    Banc b;
    PasExacts(b.ctx.parametres);
    DessinDe(b.ctx, {{{0, 0}, {1, 0}}});
    const auto cr = FraisageSerie(b.ctx, b.Demarre(), {"2", "-1"}, {2, 1, 10.0f, 5.0f}, b.arret);
    EXPECT_EQ(cr.issue, Issue::Terminee);
    // Two copies, two X shifts, then back under the first copy with the Y shift.
    EXPECT_EQ(b.port->Impulsions(Axe::X, +1), 2 * 4 + 2 * 40);
    EXPECT_EQ(b.port->Impulsions(Axe::X, -1), 2 * 4 + 80);
    EXPECT_EQ(b.port->PasNets(Axe::Y), 20);
    EXPECT_NEAR(cr.Y, 5.0, 1e-9);
    // Every shift at clearance height with the motor output on.
    EXPECT_EQ(b.port->PasMoteurArrete(), 0);
    // Per copy: +2, -2, -1, +3 (lift after the pass), -2; per shift: +2, -2.
    EXPECT_EQ(b.Z(), (std::vector<int64_t>{8, -8, -4, 12, -8, 8, -8, 8, -8, -4, 12, -8, 8, -8, 8, -8}));
}

namespace {
// Passes writes on to the simulator and raises the stop request after a number of them.
struct PortQuiArrete final : Port {
    PortSimule& sim;
    std::atomic<bool>& arret;
    int restant;
    PortQuiArrete(PortSimule& s, std::atomic<bool>& a, int n) : sim(s), arret(a), restant(n) {}
    bool Disponible() const override { return true; }
    void EcrireDonnees(uint8_t v) override {
        sim.EcrireDonnees(v);
        if (--restant == 0) arret = true;
    }
    void MettreBitControle(int bit) override { sim.MettreBitControle(bit); }
    void EffacerBitControle(int bit) override { sim.EffacerBitControle(bit); }
    bool Reel() const override { return false; }
};
}  // namespace

TEST(Fraisage, ArretDemandeArreteLeMoteurEtDitOu) {
    Banc b;
    PasExacts(b.ctx.parametres);
    b.ctx.parametres.NbPasse = 3;
    DessinDe(b.ctx, {{{0, 0}, {50, 0}, {50, 50}}});
    b.Demarre();
    PortQuiArrete port(*b.port, b.arret, 3 * 200);
    Machine m(port, b.horloge, b.ctx.parametres);
    const auto cr = FraisageExemplaire(b.ctx, m, {"5", "-3"}, b.arret);
    EXPECT_EQ(cr.issue, Issue::Interrompue);
    EXPECT_EQ(cr.impulsions, 200);
    EXPECT_EQ(b.port->Impulsions(Axe::X) + b.port->Impulsions(Axe::Y) + b.port->Impulsions(Axe::Z), 200);
    EXPECT_EQ(std::tie(cr.trace, cr.passe, cr.point), std::make_tuple(0, 1, 1));
    EXPECT_EQ(b.port->Ecritures().back().registre, 'C');  // motor off right after the last pulse
    EXPECT_EQ(b.port->Controle(), 0x08);
    EXPECT_NEAR(cr.Z, -1.0, 1e-9);
    ASSERT_EQ(b.ui.messages.size(), 1u);
    EXPECT_NE(b.ui.messages[0].texte.find("séquence A, passe 1, vers le point 1."), std::string::npos);
    EXPECT_NE(b.ui.messages[0].texte.find("Z = -1,000 mm"), std::string::npos);
    EXPECT_EQ(m.Arret, nullptr);
}

namespace {
// Pulses of a move along one axis, worked out on their own: the step is added until the
// position, rounded to 4 decimals, reaches the target's.
int64_t PasAxe(double& position, float cible, double pas) {
    const double fin = std::nearbyint(static_cast<double>(cible) * 1e4) / 1e4;
    double x = static_cast<float>(position);
    int64_t n = 0;
    const int sens = fin > x ? 1 : -1;
    while (sens * (std::nearbyint(x * 1e4) / 1e4 - fin) < 0) x = x + sens * pas, n += sens;
    position = static_cast<float>(x);
    return n;
}

int64_t PasZ(double dz, double pas) {
    double parcouru = 0;
    int64_t n = 0;
    while (std::fabs(dz) > parcouru) parcouru = parcouru + pas, ++n;
    return dz > 0 ? n : -n;
}
}  // namespace

TEST(Fraisage, PasNetsDUnTravailCompletComptesAPart) {
    Banc b;
    Parametres& v = b.ctx.parametres;
    v.MargeX = 2.3;
    v.NbPasse = 3;
    v.NbPas_Y = 200;
    v.Pas_Y = 1.25;
    // Closed traces joined by travels along one axis: every move runs along X or Y, so
    // each count below is that of a single axis.
    const std::vector<std::vector<std::pair<float, float>>> traces = {
        {{0, 0}, {12.37f, 0}, {12.37f, 7.01f}, {0, 7.01f}, {0, 0}},
        {{20.5f, 0}, {25.125f, 0}, {25.125f, 9.99f}, {20.5f, 9.99f}, {20.5f, 0}},
        {{20.5f, 15}, {20.5f, 3.3f}, {20.5f, 15}},
        {{-2.3f, 15}, {-2.3f, 0.4f}, {-2.3f, 15}}};
    DessinDe(b.ctx, traces);
    Machine& m = b.Demarre();
    FraisageExemplaire(b.ctx, m, {"3.3", "-1.7"}, b.arret);

    const double sX = 1.0 / 48, sY = 1.25 / 200, sZ = 1.0 / 48;
    double x = 0, y = 0;
    int64_t nx = 0, ny = 0, nz = PasZ(3.3, sZ);
    for (const auto& t : traces) {
        for (int p = 1; p <= 3; ++p) {
            for (std::size_t j = 0; j < t.size(); ++j) {
                nx += PasAxe(x, static_cast<float>(t[j].first + 2.3), sX);
                ny += PasAxe(y, static_cast<float>(t[j].second + 0.0), sY);
                if (j == 0) nz += PasZ(-3.3, sZ) + PasZ(-1.7 * p / 3, sZ);
            }
            nz += PasZ(std::fabs(3.3 - -1.7 * p / 3), sZ);
        }
    }
    nx += PasAxe(x, 0, sX);
    ny += PasAxe(y, 0, sY);
    nz += PasZ(-3.3, sZ);
    EXPECT_EQ(b.port->PasNets(Axe::X), nx);
    EXPECT_EQ(b.port->PasNets(Axe::Y), ny);
    EXPECT_EQ(b.port->PasNets(Axe::Z), nz);
    EXPECT_EQ(m.PasEnvoyes[2], nz);
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
    EXPECT_NE(sortie.str().find("Axe X : 480 impulsions en sens positif, 480 en sens négatif ; pas nets 0 ; "
                                "position finale 0,0000 mm\n"),
              std::string::npos)
        << sortie.str();
    EXPECT_NE(sortie.str().find("Moteur : 1 mises en marche, 1 arrêts"), std::string::npos);
    std::istringstream journal(DossierTemporaire::Lit(o.Journal));
    std::vector<std::string> lignes;
    for (std::string l; std::getline(journal, l);) lignes.push_back(l);
    ASSERT_GT(lignes.size(), 3u);
    EXPECT_EQ(lignes[0], "0.000000 C 00");
    EXPECT_EQ(lignes[1], "0.600000 D 10");  // after 0.1 s and 0.5 s, the rise
    EXPECT_EQ(lignes[2], "0.600200 D 30");
    EXPECT_EQ(lignes.back().substr(lignes.back().size() - 5), " C 08");
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
