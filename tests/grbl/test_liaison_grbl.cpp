// The link on its thread against the stand-in board on a pseudo-terminal: every wait is
// bounded, a test that would hang fails instead.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "grbl/banc_grbl.h"
#include "grbl/liaison_grbl.h"

namespace korvelin::grbl {
namespace {

using namespace std::chrono_literals;
using test::BancGrbl;
using test::OptionsBanc;

template <class F>
bool Attend(F&& condition, std::chrono::milliseconds limite = 10s) {
    const auto fin = Horloge::now() + limite;
    while (Horloge::now() < fin) {
        if (condition()) return true;
        std::this_thread::sleep_for(1ms);
    }
    return condition();
}

// A job of short segments at the clearance and in the material, as the writer makes them.
std::string Job(int segments) {
    std::string t = "(Fichier créé pour GRBL)\nG21 G90 G17\nM3 S10000\nG0 Z5\nG0 X10 Y10\nG1 Z-1 F100\n";
    for (int i = 0; i < segments; ++i)
        t += "G1 X" + std::to_string(10 + i % 50) + ".25 Y" + std::to_string(10 + i % 7) + ".5 F600\n";
    return t + "G0 Z5\nM5\nM2\n";
}

Programme Prepare(const std::string& texte) { return std::get<Programme>(PrepareProgramme(texte)); }

struct Banc {
    BancGrbl carte;
    std::unique_ptr<LiaisonGrbl> liaison;

    // Blocks that last long enough for the machine to be still moving when the test acts,
    // however loaded the computer is.
    explicit Banc(OptionsBanc o = {}) : carte(o) {
        std::string erreur;
        auto port = OuvrePortSerie(carte.Chemin(), DebitParDefaut, erreur);
        EXPECT_TRUE(port) << erreur;
        liaison = std::make_unique<LiaisonGrbl>(std::move(port));
        EXPECT_TRUE(Attend([&] {
            const Instantane e = liaison->Etat();
            return e.liaison == EtatLiaison::Prete && e.wco.has_value();
        })) << "GRBL jamais prêt";
    }
    ~Banc() { EXPECT_EQ(carte.Defaut(), ""); }

    Instantane Etat() { return liaison->Etat(); }
    std::optional<std::string> Lance(const Programme& p, std::size_t depuis = 0, std::vector<LigneProgramme> a = {}) {
        return liaison->Avec([&](Automate& m) { return m.Lance(p, depuis, std::move(a)); });
    }
    bool Fini() { return Etat().travail != EtatTravail::EnCours; }
};

TEST(LiaisonGrbl, TravailEntierSansDebordementAvecPauseEtReprise) {
    Banc b({.dureeBloc = 2ms});
    EXPECT_EQ(b.Etat().version, "1.1h");
    EXPECT_EQ(b.Etat().reglages.Courses(), (Axes{300.0, 200.0, 80.0}));
    const Programme p = Prepare(Job(600));
    ASSERT_FALSE(b.Lance(p));
    const double total = b.Etat().tempsRestant;
    EXPECT_GT(total, 0.0);
    ASSERT_TRUE(Attend([&] { return b.Etat().lignesAcquittees > 200; }));
    b.liaison->Avec([](Automate& m) { m.Pause(); });
    ASSERT_TRUE(Attend([&] { return b.Etat().rapport.etat == EtatMachine::Suspendu; }));
    const std::array<double, 3> arretee = b.carte.Position();
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(b.carte.Position(), arretee);  // held: the machine does not move
    EXPECT_LT(b.Etat().tempsRestant, total);
    b.liaison->Avec([](Automate& m) { m.Reprise(); });
    ASSERT_TRUE(Attend([&] { return b.Fini(); }, 20s));
    const Instantane e = b.Etat();
    EXPECT_EQ(e.travail, EtatTravail::Termine) << e.bilan;
    EXPECT_EQ(e.lignesAcquittees, p.lignes.size());
    EXPECT_EQ(e.derniereLigneAcquittee, p.lignes.back().numero);
    EXPECT_EQ(e.tempsRestant, 0.0);
    std::vector<std::string> attendues;
    for (const auto& l : p.lignes) attendues.push_back(l.texte);
    std::vector<std::string> recues = b.carte.Executees();
    recues.erase(recues.begin());  // $$
    EXPECT_EQ(recues, attendues);
}

TEST(LiaisonGrbl, ArretUrgencePuisPlusRien) {
    Banc b({.dureeBloc = 20ms});
    ASSERT_FALSE(b.Lance(Prepare(Job(2000))));
    ASSERT_TRUE(Attend([&] { return b.Etat().lignesAcquittees > 30; }));
    b.liaison->Avec([](Automate& m) { m.ArretUrgence(); });
    ASSERT_TRUE(Attend([&] { return b.carte.Resets() == 1; }));
    ASSERT_TRUE(Attend([&] { return b.Etat().liaison == EtatLiaison::Prete; }));
    const Instantane e = b.Etat();
    EXPECT_EQ(e.travail, EtatTravail::Arrete);
    EXPECT_NE(e.bilan.find("Arrêt d'urgence"), std::string::npos);
    EXPECT_EQ(b.carte.Etat(), "Alarm");  // reset in motion, as the board does
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(b.carte.OctetsApresReset(), 3u);  // only "$$\n" asked again after the banner
    // In alarm no job starts.
    const auto refus = b.Lance(Prepare(Job(5)));
    ASSERT_TRUE(refus);
    EXPECT_NE(refus->find("alarme"), std::string::npos);
}

TEST(LiaisonGrbl, ErreurLigne500EtAlarme) {
    Banc b({.dureeBloc = 1ms});
    std::string texte;
    for (int i = 1; i <= 700; ++i)
        texte += i == 500 ? "G7 X1\n" : i == 1 ? "G1 F600\n" : "G1 X" + std::to_string(i % 40) + "\n";
    ASSERT_FALSE(b.Lance(Prepare(texte)));
    ASSERT_TRUE(Attend([&] { return b.Fini(); }));
    Instantane e = b.Etat();
    EXPECT_EQ(e.travail, EtatTravail::Erreur);
    EXPECT_EQ(e.derniereLigneAcquittee, 499u);
    EXPECT_NE(e.bilan.find("ligne 500 (« G7X1 »)"), std::string::npos) << e.bilan;
    EXPECT_NE(e.bilan.find("commande G-code inconnue"), std::string::npos) << e.bilan;
    // Held, then reset once stopped: the lines already in the buffer after it never run.
    ASSERT_TRUE(Attend([&] { return b.carte.Resets() == 1; }));
    ASSERT_TRUE(Attend([&] { return b.Etat().liaison == EtatLiaison::Prete; }));
    const std::vector<std::string> x = b.carte.Executees();
    const auto faute = std::find(x.begin(), x.end(), "G7X1");
    ASSERT_NE(faute, x.end());
    // After it, only lines that were in the board's buffer when it answered (at most 127
    // bytes of 6-byte lines), then "$$" asked again after the reset's banner.
    EXPECT_LE(x.end() - faute - 2, 127 / 6);
    EXPECT_EQ(x.back(), "$$");
    EXPECT_EQ(b.carte.Etat(), "Idle");

    // An alarm in the middle of the next job stops it with its text.
    ASSERT_FALSE(b.Lance(Prepare(Job(2000))));
    ASSERT_TRUE(Attend([&] { return b.Etat().lignesAcquittees > 50; }));
    b.carte.Alarme(1);
    ASSERT_TRUE(Attend([&] { return b.Fini(); }));
    e = b.Etat();
    EXPECT_EQ(e.travail, EtatTravail::Alarme);
    EXPECT_NE(e.bilan.find("fin de course"), std::string::npos) << e.bilan;
}

TEST(LiaisonGrbl, CableDebrancheEnCoursDeTravail) {
    Banc b({.dureeBloc = 1ms});
    ASSERT_FALSE(b.Lance(Prepare(Job(3000))));
    ASSERT_TRUE(Attend([&] { return b.Etat().lignesAcquittees > 100; }));
    b.carte.Debranche();
    ASSERT_TRUE(Attend([&] { return !b.liaison->Active(); }));
    const Instantane e = b.Etat();
    EXPECT_EQ(e.travail, EtatTravail::Coupe);
    EXPECT_EQ(e.liaison, EtatLiaison::Deconnecte);
    EXPECT_GT(e.derniereLigneAcquittee, 100u);
    EXPECT_NE(e.bilan.find("coupée"), std::string::npos);
    EXPECT_NE(e.bilan.find("dernière ligne acquittée : " + std::to_string(e.derniereLigneAcquittee)), std::string::npos)
        << e.bilan;
    // Commands to a lost link are refused, not sent into the void.
    EXPECT_TRUE(b.liaison->Avec([](Automate& m) { return m.Commande("$X"); }));
}

TEST(LiaisonGrbl, JogAnnuleEtZeroDeTravail) {
    Banc b({.dureeBloc = 300ms});  // longer than the status period
    for (int i = 0; i < 3; ++i)
        ASSERT_FALSE(b.liaison->Avec([](Automate& m) { return m.Commande(LigneJog({10.0, 0.0, 0.0}, 1000.0)); }));
    ASSERT_TRUE(Attend([&] { return b.Etat().rapport.etat == EtatMachine::Manuel; }));
    b.liaison->Avec([](Automate& m) { m.AnnuleJog(); });
    ASSERT_TRUE(Attend([&] { return b.Etat().rapport.etat == EtatMachine::Repos; }));
    EXPECT_LT(b.carte.Position()[0], 30.0);  // the jogs still queued were dropped
    const double x = b.carte.Position()[0];
    ASSERT_FALSE(b.liaison->Avec([](Automate& m) { return m.Commande(LigneZeroTravail); }));
    ASSERT_TRUE(Attend([&] {
        const auto p = b.Etat().positionTravail;
        return p && std::abs((*p)[0]) < 1e-9 && b.Etat().wco && std::abs((*b.Etat().wco)[0] - x) < 1e-9;
    }));
    ASSERT_FALSE(b.liaison->Avec([](Automate& m) { return m.Commande(LigneOrigine); }));
    ASSERT_TRUE(Attend([&] { return !b.liaison->Messages().empty(); }));  // error:5, homing off
}

TEST(LiaisonGrbl, RepriseALaLigneAvecApproche) {
    Banc b;
    const Programme p = Prepare(Job(40));
    const Analyse a = Rejoue(p, b.Etat().reglages.Rapides());
    const std::size_t index = *IndexDeLigne(p, 20);
    ASSERT_FALSE(b.Lance(p, index, ApprocheReprise(p, a, index, 0.5)));
    ASSERT_TRUE(Attend([&] { return b.Fini(); }));
    EXPECT_EQ(b.Etat().travail, EtatTravail::Termine) << b.Etat().bilan;
    const std::vector<std::string> x = b.carte.Executees();
    const std::vector<std::string> debut(x.begin() + 1, x.begin() + 8);  // after $$
    // Line 19 left the tool at (22.25, 15.5, -1) in the material.
    EXPECT_EQ(debut, (std::vector<std::string>{"G21G90", "G0Z5", "G0X22.25Y15.5", "M3S10000", "G4P0.5", "G1F100Z-1",
                                               "G1F600"}));
    EXPECT_EQ(x[8], p.lignes[index].texte);
    EXPECT_EQ(x.size(), 8 + p.lignes.size() - index);
}

}  // namespace
}  // namespace korvelin::grbl
