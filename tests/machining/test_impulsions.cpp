#include <gtest/gtest.h>

#include <cmath>

#include "machining/machine.h"
#include "machining/banc_machine.h"

using namespace korvelin;
using namespace korvelin::test;

namespace {
using Octets = std::vector<uint8_t>;
}

TEST(Impulsions, OctetsDeChaqueAxeEtInversions) {
    Banc b;
    Machine& m = b.Demarre();
    ImpulsionMoteurs(m, 1, 0, 0, true);
    EXPECT_EQ(b.Donnees(), (Octets{0x44, 0xCC, 0x44}));

    Banc inv;
    inv.ctx.parametres.InversionSens_X = true;
    ImpulsionMoteurs(inv.Demarre(), 1, 0, 0, true);
    EXPECT_EQ(inv.Donnees(), (Octets{0x00, 0x88, 0x00}));
    EXPECT_EQ(inv.port->PasNets(Axe::X), 1);  // the motor is wired the other way round

    Banc y;
    ImpulsionMoteurs(y.Demarre(), 0, -1, 0, false);
    EXPECT_EQ(y.Donnees(), (Octets{0x00, 0x02, 0x00}));
    Banc z;
    ImpulsionMoteurs(z.Demarre(), 0, 0, 1, false);
    EXPECT_EQ(z.Donnees(), (Octets{0x10, 0x30, 0x10}));

    Banc tous;
    ImpulsionMoteurs(tous.Demarre(), -1, 1, -1, true);
    EXPECT_EQ(tous.Donnees(), (Octets{0x01, 0xAB, 0x01}));
    EXPECT_EQ(tous.port->IncoherencesX(), 0);
}

TEST(Impulsions, FrontsAuxInstantsPrevus) {
    Banc b;
    b.ctx.parametres.TempsMin_Mat_X = 10;
    Machine& m = b.Demarre();
    ImpulsionMoteurs(m, 1, 0, 0, true);
    const auto& e = b.port->Ecritures();
    ASSERT_EQ(e.size(), 3u);
    EXPECT_EQ(e[0].temps, 0);
    EXPECT_EQ(e[1].temps, 2000);  // 0.15 ms rounded up to 2 units of 0.1 ms
    EXPECT_EQ(e[2].temps, 6000);  // then 0.35 ms: 4 units
    EXPECT_EQ(b.horloge.Lire(), 6000 + 95 * 1000);
}

namespace {
// Length of one pulse on the virtual clock, in units of 0.1 ms.
int64_t UnitesImpulsion(Banc& b, int dx, int dy, int dz, bool enMatiere) {
    const int64_t avant = b.horloge.Lire();
    ImpulsionMoteurs(*b.m, dx, dy, dz, enMatiere);
    return (b.horloge.Lire() - avant) / 1000;
}
}  // namespace

TEST(Impulsions, PeriodeSelonAxesEtMatiere) {
    Banc b;
    Parametres& v = b.ctx.parametres;
    v.TempsMin_Montee = 3;
    v.TempsMin_Descente = 7;
    v.TempsMin_Mat_Z = 5;
    v.TempsMin_Mat_X = 10;
    v.TempsMin_Mat_Y = 20;
    v.TempsMin_HMat_X = 2;
    b.Demarre();
    EXPECT_EQ(UnitesImpulsion(b, 0, 0, 1, false), 6 + 25);   // rise
    EXPECT_EQ(UnitesImpulsion(b, 0, 0, -1, false), 6 + 65);  // descent
    EXPECT_EQ(UnitesImpulsion(b, 0, 0, -1, true), 6 + 45);   // plunge
    EXPECT_EQ(UnitesImpulsion(b, 1, 1, 0, true), 6 + 195);   // the slower axis sets the pace
    EXPECT_EQ(UnitesImpulsion(b, 1, 0, 0, false), 6 + 15);
    v.InversionSens_Z = true;
    EXPECT_EQ(UnitesImpulsion(b, 0, 0, 1, false), 6 + 65);  // logical up is a physical descent
    EXPECT_EQ(UnitesImpulsion(b, 0, 0, -1, false), 6 + 25);
    // Periods of 0.5 ms or less, 0 and negative times: no final wait.
    v.TempsMin_HMat_X = 0.5;
    EXPECT_EQ(UnitesImpulsion(b, 1, 0, 0, false), 6);
    v.TempsMin_HMat_X = 0;
    EXPECT_EQ(UnitesImpulsion(b, 1, 0, 0, false), 6);
    v.TempsMin_HMat_X = -4;
    EXPECT_EQ(UnitesImpulsion(b, 1, 0, 0, false), 6);
    EXPECT_EQ(UnitesImpulsion(b, 0, 0, 0, false), 6);  // nothing moves: period 0
}

TEST(Impulsions, AttenteEnUnitesDeDixiemeDeMilliseconde) {
    EXPECT_EQ(UnitesAttente(0), 0);
    EXPECT_EQ(UnitesAttente(-1), 0);
    EXPECT_EQ(UnitesAttente(0.15 / 1000), 2);
    EXPECT_EQ(UnitesAttente(0.35 / 1000), 4);
    EXPECT_EQ(UnitesAttente(0.1), 1000);
    EXPECT_EQ(UnitesAttente(0.00011), 2);
    EXPECT_EQ(UnitesAttente((5 - 0.15 - 0.35) / 1000), 45);
    Banc b;
    Machine& m = b.Demarre();
    Attente(m, 0.5);
    EXPECT_EQ(b.horloge.Lire(), 5000 * 1000);
    Attente(m, 0);
    Attente(m, std::nan(""));
    EXPECT_EQ(b.horloge.Lire(), 5000 * 1000);
}

TEST(Impulsions, MoteurSurLeBit3DuRegistreDeControle) {
    Banc b;
    Machine& m = b.Demarre();
    EXPECT_EQ(b.port->Controle(), 0x00);
    ArretMoteur(m);
    EXPECT_EQ(b.port->Controle(), 0x08);
    EXPECT_FALSE(m.MoteurEnMarche);
    MarcheMoteur(m);
    EXPECT_EQ(b.port->Controle(), 0x00);
    EXPECT_TRUE(m.MoteurEnMarche);
    EXPECT_EQ(b.port->MisesEnMarche(), 1);
    EXPECT_EQ(b.port->Arrets(), 1);
}

namespace {
// A clock that lets each wait overrun its deadline by a chosen amount, and a port that
// counts as real hardware, to exercise the late-pulse count.
struct HorlogeEnRetard final : Horloge {
    int64_t t = 0, retard = 0;
    int64_t Frequence() const override { return 1'000'000'000; }
    int64_t Lire() override { return t; }
    void AttendreJusqua(int64_t e) override { t = std::max(t, e) + retard; }
};
struct PortReel final : Port {
    bool Disponible() const override { return true; }
    void EcrireDonnees(uint8_t) override {}
    void MettreBitControle(int) override {}
    void EffacerBitControle(int) override {}
    bool Reel() const override { return true; }
};
}  // namespace

TEST(Impulsions, RetardsDePlusDUnQuartDePeriodeComptes) {
    Parametres v;
    v.TempsMin_HMat_X = 1;  // 2 + 4 + 5 units: 1.1 ms, a quarter is 275 µs
    HorlogeEnRetard h;
    PortReel p;
    Machine m(p, h, v);
    ImpulsionMoteurs(m, 1, 0, 0, false);
    h.retard = 50'000;
    ImpulsionMoteurs(m, 1, 0, 0, false);
    EXPECT_EQ(m.ImpulsionsEnRetard, 0);
    h.retard = 300'000;
    ImpulsionMoteurs(m, 1, 0, 0, false);
    EXPECT_EQ(m.ImpulsionsEnRetard, 1);
    // After a late edge the timeline starts again from it: no burst of short pulses.
    h.retard = 0;
    const int64_t avant = h.t;
    ImpulsionMoteurs(m, 1, 0, 0, false);
    EXPECT_EQ(h.t - avant, 11 * 100'000);
    EXPECT_EQ(m.ImpulsionsEnRetard, 1);
    EXPECT_EQ(m.Impulsions, 4);
}
