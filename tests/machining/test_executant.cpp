#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "machining/banc_machine.h"
#include "machining/executant.h"

using namespace korvelin;
using namespace korvelin::test;

namespace {

DemandeMachine Demande(ActionMachine a) {
    DemandeMachine d;
    d.action = a, d.travail = {"2.71", "-1.3"}, d.serie = {3, 2, 30.0f, 25.0f}, d.option = 2, d.dimension = 23;
    return d;
}

}  // namespace

TEST(Estimation, EgaleALaDureeSimuleeImpulsionParImpulsion) {
    for (const auto action : {ActionMachine::Exemplaire, ActionMachine::Serie, ActionMachine::Motif}) {
        Banc b;
        Parametres& v = b.parametres;
        v.NbPasse = 2, v.InversionSens_Z = true;
        v.TempsMin_Mat_X = 3.33, v.TempsMin_HMat_Y = 0.7, v.TempsMin_Descente = 1.26;  // no whole number of units
        DessinDe(b.dessin, {{{1, 1}, {13.2f, 4.1f}, {3, 19.9f}, {1, 1}}, {{20, 2}, {21.7f, 2}}});
        const DemandeMachine d = Demande(action);
        const Estimation e = EstimeDemande(b.Poste(), d);
        ASSERT_TRUE(e.acceptee);
        const CompteRendu cr = ExecuteDemande(b.Poste(), b.Demarre(), d, b.arret);
        EXPECT_NEAR(e.duree, b.port->DureeProgrammee(), 1e-9) << static_cast<int>(action);
        EXPECT_EQ(e.duree, cr.duree);
        EXPECT_EQ(e.impulsions, cr.impulsions);
        EXPECT_EQ(e.pas, (std::array<int64_t, 3>{0, 0, 0}));
    }
}

TEST(ExecutantMachine, ArretPendantUnFraisageSurLeFilDeLaMachine) {
    Parametres v;
    v.TempsMin_Mat_X = v.TempsMin_HMat_X = v.TempsMin_Mat_Y = v.TempsMin_HMat_Y = 0.5;
    v.TempsMin_Mat_Z = v.TempsMin_Montee = v.TempsMin_Descente = 0.5;
    v.NbPasse = 3;
    Dessin dessin;
    DessinDe(dessin, {{{0, 0}, {400, 0}, {400, 300}}});
    const std::vector<SequenceDecalee>& traces = dessin.Trace_Decale;
    auto horloge = std::make_unique<HorlogeSysteme>();
    auto port = std::make_unique<PortSimule>(*horloge, ConfigurationDe(v));
    const PortSimule& simule = *port;
    HorlogeSysteme montre;
    ExecutantMachine executant(std::move(port), std::move(horloge));
    ASSERT_TRUE(executant.Lance(Demande(ActionMachine::Exemplaire), v, traces));
    EXPECT_FALSE(executant.Lance(Demande(ActionMachine::Exemplaire), v, traces));  // one at a time

    // Wait until the cut has begun, then stop.
    std::vector<EvenementMachine> evenements;
    Avancement a;
    while ((a = executant.DernierAvancement()).ou.point < 1) {
        for (auto& e : executant.Releve()) evenements.push_back(std::move(e));
    }
    EXPECT_GT(a.fraction, 0.0);
    EXPECT_LT(a.fraction, 0.1);
    EXPECT_GT(a.resteSecondes, 60.0);
    const int64_t arret = montre.Lire();
    executant.Arrete();
    executant.Attend();
    EXPECT_FALSE(executant.EnCours());
    for (auto& e : executant.Releve()) evenements.push_back(std::move(e));

    // The estimate came first; the end report says where the run stopped.
    ASSERT_GE(evenements.size(), 3u);
    EXPECT_EQ(evenements[0].genre, EvenementMachine::Genre::Estimation);
    EXPECT_GT(evenements[0].estimation.duree, 60.0);
    const EvenementMachine& fin = evenements.back();
    ASSERT_EQ(fin.genre, EvenementMachine::Genre::Fin);
    EXPECT_EQ(fin.fin.issue, Issue::Interrompue);
    EXPECT_EQ(std::tie(fin.fin.trace, fin.fin.passe, fin.fin.point), std::make_tuple(0, 1, 1));
    EXPECT_GT(fin.fin.X, 0.0);
    EXPECT_EQ(fin.fin.Z, PasPour(-0.4333333, 1.0 / 48) / 48.0);
    EXPECT_FALSE(evenements[evenements.size() - 2].moteurEnMarche);
    EXPECT_TRUE(std::any_of(evenements.begin(), evenements.end(), [](const EvenementMachine& e) {
        return e.genre == EvenementMachine::Genre::Message && e.texte.find("interrompu") != std::string::npos;
    }));

    // Motor off as the last write; no pulse after the one under way at the stop.
    const auto& ecritures = simule.Ecritures();
    ASSERT_FALSE(ecritures.empty());
    EXPECT_EQ(ecritures.back().registre, 'C');
    EXPECT_EQ(simule.Controle() & 0x08, 0x08);
    const auto pas = Rejoue(simule);
    EXPECT_LE(
        std::count_if(pas.begin(), pas.end(), [&](const Impulsion& p) { return ecritures[p.ecriture].temps > arret; }),
        1);
    EXPECT_EQ(simule.PasMoteurArrete(), 0);

    // A refused run tells why through the queue, for the window to show, and sends nothing.
    const std::size_t ecrites = ecritures.size();
    DemandeMachine hors = Demande(ActionMachine::Exemplaire);
    hors.travail.HautDeg = "-1";
    ASSERT_TRUE(executant.Lance(hors, v, traces));
    executant.Attend();
    evenements = executant.Releve();
    ASSERT_EQ(evenements.size(), 3u);
    EXPECT_EQ(evenements[0].genre, EvenementMachine::Genre::Message);
    EXPECT_EQ(evenements[0].icone, Icone::Critique);
    EXPECT_NE(evenements[0].texte.find("dégagement"), std::string::npos) << evenements[0].texte;
    EXPECT_EQ(evenements[2].fin.issue, Issue::Refusee);
    EXPECT_EQ(simule.Ecritures().size(), ecrites);
}
