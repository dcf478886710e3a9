#include <gtest/gtest.h>

#include <sstream>
#include <filesystem>
#include <random>
#include <tuple>

#include "machining/banc_machine.h"
#include "machining/fraisage.h"
#include "machining/motifs.h"
#include "support/dossier_temporaire.h"

using namespace korvelin;
using namespace korvelin::test;

namespace {
// Steps of 0.25 mm add up exactly, so every Z move has an exact count; distinct times tell
// the Z moves apart by their pulse period.
void PasExacts(Parametres& v) {
    v.Pas_X = v.Pas_Y = v.Pas_Z = 1;
    v.NbPas_X = v.NbPas_Y = v.NbPas_Z = 4;
    v.TempsMin_Montee = 2, v.TempsMin_Descente = 3, v.TempsMin_Mat_Z = 5;
}
}  // namespace

// Z as signed moves in 0.25 mm steps, and every job back at its start with the motor off.
TEST(Fraisage, SequencesZEtRetourAuDepart) {
    const struct {
        std::vector<std::vector<std::pair<float, float>>> traces;
        int passes;
        TravailFraisage travail;
        bool serie;
        std::vector<int64_t> z;
    } cas[] = {
        // +5; pass 1: -5, -1, cut, +6; pass 2: -5, -2, cut, +7; at the end -5.
        {{{{1, 1}, {3, 1}, {3, 2}}}, 2, {"5", "-2"}, false, {20, -20, -4, 24, -20, -8, 28, -20}},
        // A second trace begins at height H without a rise; an empty one moves nothing.
        {{{{0, 0}, {2, 0}}, {}, {{2, 2}, {0, 2}}}, 1, {"1,5", "-0,5"}, false, {6, -6, -2, 8, -6, -2, 8, -6}},
        // Two copies 10 mm apart. Per copy: +2, -2, -1, +3 (lift after the pass), -2; per
        // shift, at clearance height: +2, -2.
        {{{{0, 0}, {1, 0}}}, 1, {"2", "-1"}, true, {8, -8, -4, 12, -8, 8, -8, 8, -8, -4, 12, -8, 8, -8}},
    };
    for (const auto& c : cas) {
        Banc b;
        PasExacts(b.parametres);
        b.parametres.NbPasse = c.passes;
        DessinDe(b.dessin, c.traces);
        Machine& m = b.Demarre();
        const auto cr = c.serie ? FraisageSerie(b.Poste(), m, c.travail, {2, 1, 10.0f, 5.0f}, b.arret)
                                : FraisageExemplaire(b.Poste(), m, c.travail, b.arret);
        EXPECT_EQ(cr.issue, Issue::Terminee);
        EXPECT_EQ(b.Z(), c.z);
        EXPECT_EQ(b.port->PasNets(Axe::X) + b.port->PasNets(Axe::Y) + b.port->PasMoteurArrete(), 0);
        EXPECT_EQ(b.port->Controle(), 0x08);
        EXPECT_TRUE(m.MinuterieMoteurActive);
        EXPECT_TRUE(cr.diagnostics.empty());
        if (!c.serie) {
            EXPECT_EQ(b.port->Ecritures()[1].temps, 6000 * 1000);  // motor on, 0.1 s, then 0.5 s
        } else {
            EXPECT_EQ(b.port->Impulsions(Axe::X, +1), 2 * 4 + 40);
            EXPECT_EQ(b.port->Impulsions(Axe::Y), 0);
        }
    }
}

TEST(Fraisage, RefusSansDessinOuVitesseNulleUneFoisParSerie) {
    for (auto regle :
         {+[](Parametres&) {}, +[](Parametres& v) { v.Pas_Z = 0; }, +[](Parametres& v) { v.TempsMin_Montee = 0; },
          +[](Parametres& v) { v.TempsMin_HMat_Y = 1e9; }}) {
        for (const bool serie : {false, true}) {
            Banc b;
            regle(b.parametres);
            const bool dessin = VitessesNulles(b.parametres);  // else no drawing
            if (dessin) DessinDe(b.dessin, {{{1, 1}}});
            Machine& m = b.Demarre();
            const auto cr = serie ? FraisageSerie(b.Poste(), m, {}, {3, 2, 10.0f, 10.0f}, b.arret)
                                  : FraisageExemplaire(b.Poste(), m, {}, b.arret);
            EXPECT_EQ(cr.issue, Issue::Refusee);
            Montre(b.ui, cr.diagnostics);
            AttendSeulMessage(b.ui,
                              dessin ? "Les vitesses ne peuvent pas être nulles !\r\nRevoir les paramètres"
                                     : "Il faut ouvrir un dessin !",
                              Icone::Critique, dessin ? "Erreur" : "Korvelin");
            EXPECT_TRUE(b.port->Ecritures().empty());
        }
    }
}

TEST(Fraisage, ArretDemandeArreteLeMoteurEtDitOu) {
    Banc b;
    PasExacts(b.parametres);
    b.parametres.NbPasse = 3;
    DessinDe(b.dessin, {{{0, 0}, {50, 0}, {50, 50}}});
    Machine& m = b.Demarre();
    // Up 5 mm, down 6 in 0.25 mm steps, then along the first side.
    m.SurAvancement = [&b](const Machine& x) { b.arret = b.arret || x.Impulsions == 192; };
    const auto cr = FraisageExemplaire(b.Poste(), m, {"5", "-3"}, b.arret);
    EXPECT_EQ(cr.issue, Issue::Interrompue);
    EXPECT_EQ(cr.impulsions, 192);
    EXPECT_EQ(b.port->Impulsions(Axe::X) + b.port->Impulsions(Axe::Y) + b.port->Impulsions(Axe::Z), 192);
    EXPECT_EQ(std::tie(cr.trace, cr.passe, cr.point), std::make_tuple(0, 1, 1));
    EXPECT_EQ(b.port->Ecritures().back().registre, 'C');  // motor off right after the last pulse
    EXPECT_EQ(b.port->Controle(), 0x08);
    EXPECT_NEAR(cr.Z, -1.0, 1e-9);
    ASSERT_EQ(cr.diagnostics.size(), 1u);
    EXPECT_EQ(cr.diagnostics[0].gravite, Gravite::Avertissement);
    EXPECT_NE(cr.diagnostics[0].message.find("séquence A, passe 1, vers le point 1."), std::string::npos);
    EXPECT_NE(cr.diagnostics[0].message.find("Z = -1,000 mm"), std::string::npos);
    EXPECT_EQ(m.Arret, nullptr);
}

// The milling and the simulator on a drawing and values of their own.
struct Simulation : ::testing::Test, ValeursTemporaires {
    // Run as the converter runs it: what it says, shown.
    int Lance(const OptionsSimulation& o, std::ostream& sortie) {
        Diagnostics dits;
        const int statut = LanceSimulation(Poste(), o, dits, sortie);
        Montre(ui, dits);
        return statut;
    }
};

TEST_F(Simulation, ChaqueTravailRevientExactementAuDepart) {
    // Steps of 1/48 and 1/160 mm, heights and depths that are no whole number of them, three
    // passes: summed step lengths used to leave Z a few steps low after each copy.
    Parametres& v = parametres;
    v.MargeX = 2.3, v.MargeY = 0.7, v.NbPasse = 3;
    v.NbPas_Y = 200, v.Pas_Y = 1.25, v.NbPas_Z = 160;
    v.TempsMin_Mat_X = v.TempsMin_HMat_X = 1;  // shorter pulses keep the virtual clock small
    std::mt19937 alea(3);
    std::uniform_real_distribution<float> coord(0, 7);
    std::vector<std::vector<std::pair<float, float>>> traces(12);
    for (auto& t : traces)
        for (int k = 0; k < 9; ++k) t.push_back({coord(alea), coord(alea)});
    DessinDe(dessin, traces);
    HorlogeVirtuelle horloge;
    PortSimule port(horloge, ConfigurationDe(v), false);
    Machine m(port, horloge, v);
    const std::atomic<bool> jamais{false};
    for (const CompteRendu& cr : {FraisageSerie(Poste(), m, {"3.3", "-1.7"}, {10, 10, 9.7f, 10.1f}, jamais),
                                  FraisageExemplaire(Poste(), m, {"2.71", "-0.33"}, jamais),
                                  MotifTest(Poste(), m, 1, 37, {"1.01", "-0.77"}, jamais)}) {
        EXPECT_EQ(cr.issue, Issue::Terminee);
        EXPECT_TRUE(cr.diagnostics.empty());
    }
    for (const Axe a : {Axe::X, Axe::Y, Axe::Z}) EXPECT_EQ(port.PasNets(a), 0);
    EXPECT_EQ(port.PasMoteurArrete(), 0);
}

TEST_F(Simulation, ResumeEtJournalDUnFraisage) {
    DessinDe(dessin, {{{0, 0}, {10, 0}}});
    const OptionsSimulation o{.HautDeg = "2", .ProfFraisage = "-1", .Journal = dossier.Chemin("journal.txt")};
    std::ostringstream sortie;
    ASSERT_EQ(Lance(o, sortie), 0);
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
    EXPECT_EQ(lignes.size(), 2 + 3 * (960 + 3 * 96 + 48 + 144u));
}

TEST_F(Simulation, EchecsMotifsEtSeries) {
    std::ostringstream sortie, serie;
    EXPECT_EQ(Lance({}, sortie), 1);
    EXPECT_EQ(ui.messages.at(0).texte, "Il faut ouvrir un dessin !");
    OptionsSimulation o;
    o.Test = 7;
    EXPECT_EQ(Lance(o, sortie), 1);
    EXPECT_TRUE(sortie.str().empty());

    DessinDe(dessin, {{{0, 0}, {1, 0}}});
    o = {};
    o.Serie = true, o.NbX = 2, o.NbY = 3, o.DecalX = 5, o.DecalY = 4, o.NbPasse = 2;
    EXPECT_EQ(Lance(o, serie), 0);
    EXPECT_NE(serie.str().find("Axe Y : 384 impulsions en sens positif, 384 en sens négatif ; pas nets 0"),
              std::string::npos);
    EXPECT_NE(serie.str().find("Moteur : 13 mises en marche, 7 arrêts"), std::string::npos);
    EXPECT_EQ(parametres.NbPasse, 1);  // the job's passes do not stay in the settings
    EXPECT_EQ(Lance({.Journal = "/dossier/qui/n/existe/pas/journal.txt"}, sortie), 1);
    EXPECT_NE(ui.messages.back().texte.find("journal"), std::string::npos);

    // A journal past its limit stops the run; no file is left, and no stop message.
    ui.messages.clear();
    EXPECT_EQ(Lance({.Journal = dossier.Chemin("j.txt"), .TailleMaxJournal = 4000}, sortie), 1);
    AttendSeulMessage(ui, "Le journal dépasse 1 Go : simulation arrêtée, aucun journal écrit.");
    EXPECT_TRUE(std::filesystem::is_empty(dossier.Dossier()));
    // The pass limit holds for dry runs too.
    o = {};
    o.NbPasse = 1001;
    EXPECT_EQ(Lance(o, sortie), 1);
    EXPECT_EQ(ui.messages.back().texte, "Le nombre de passes ne peut pas dépasser 1000 !");
}
