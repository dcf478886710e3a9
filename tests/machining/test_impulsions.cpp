#include <gtest/gtest.h>

#include <cmath>

#include "machining/banc_machine.h"

using namespace korvelin;
using namespace korvelin::test;

TEST(Impulsions, OctetsDeChaqueAxeEtInversions) {
    using Octets = std::vector<uint8_t>;
    const struct {
        int dx, dy, dz;
        bool inversionX;
        Octets octets;
    } cas[] = {{1, 0, 0, false, {0x44, 0xCC, 0x44}}, {1, 0, 0, true, {0x00, 0x88, 0x00}},
               {0, -1, 0, false, {0x00, 0x02, 0x00}}, {0, 0, 1, false, {0x10, 0x30, 0x10}},
               {-1, 1, -1, false, {0x01, 0xAB, 0x01}}};
    for (const auto& c : cas) {
        Banc b;
        b.ctx.parametres.InversionSens_X = c.inversionX;
        ImpulsionMoteurs(b.Demarre(), c.dx, c.dy, c.dz, true);
        EXPECT_EQ(b.Donnees(), c.octets);
        EXPECT_EQ(b.port->PasNets(Axe::X), c.dx);  // an inverted motor is wired the other way
        EXPECT_EQ(b.port->IncoherencesX(), 0);
    }
    // Edges at 0, 0.2 and 0.6 ms; the 10 ms pulse then waits its 95 remaining units.
    Banc b;
    ImpulsionMoteurs(b.Demarre(), 1, 0, 0, true);
    const auto& e = b.port->Ecritures();
    EXPECT_EQ(e[0].temps, 0);
    EXPECT_EQ(e[1].temps, 2000);
    EXPECT_EQ(e[2].temps, 6000);
    EXPECT_EQ(b.horloge.Lire(), 6000 + 95 * 1000);
    // The motor output is bit 3 of the control register, cleared for on.
    ArretMoteur(*b.m);
    EXPECT_EQ(b.port->Controle(), 0x08);
    MarcheMoteur(*b.m);
    EXPECT_EQ(b.port->Controle(), 0x00);
}

TEST(Impulsions, PeriodeSelonAxesEtMatiere) {
    Banc b;
    Parametres& v = b.ctx.parametres;
    v.TempsMin_Montee = 3;
    v.TempsMin_Descente = 7;
    v.TempsMin_Mat_Z = 5;
    v.TempsMin_Mat_Y = 20;
    v.TempsMin_HMat_X = 2;
    b.Demarre();
    auto unites = [&b](int dx, int dy, int dz, bool enMatiere) {
        const int64_t avant = b.horloge.Lire();
        ImpulsionMoteurs(*b.m, dx, dy, dz, enMatiere);
        return (b.horloge.Lire() - avant) / 1000 - 6;  // units after the falling edge
    };
    EXPECT_EQ(unites(0, 0, 1, false), 25);
    EXPECT_EQ(unites(0, 0, -1, false), 65);
    EXPECT_EQ(unites(0, 0, -1, true), 45);
    EXPECT_EQ(unites(1, 1, 0, true), 195);  // the slower axis sets the pace
    EXPECT_EQ(unites(1, 0, 0, false), 15);
    v.InversionSens_Z = true;
    EXPECT_EQ(unites(0, 0, 1, false), 65);  // logical up is a physical descent
    EXPECT_EQ(unites(0, 0, -1, false), 25);
    for (const double t : {0.5, 0.0, -4.0}) {
        v.TempsMin_HMat_X = t;
        EXPECT_EQ(unites(1, 0, 0, false), 0);
    }
    EXPECT_EQ(unites(0, 0, 0, false), 0);
}

TEST(Impulsions, AttenteEnUnitesDeDixiemeDeMilliseconde) {
    EXPECT_EQ(UnitesAttente(0), 0);
    EXPECT_EQ(UnitesAttente(-1), 0);
    EXPECT_EQ(UnitesAttente(std::nan("")), 0);
    EXPECT_EQ(UnitesAttente(0.15 / 1000), 2);
    EXPECT_EQ(UnitesAttente(0.35 / 1000), 4);
    EXPECT_EQ(UnitesAttente(0.00011), 2);
    EXPECT_EQ(UnitesAttente((5 - 0.15 - 0.35) / 1000), 45);
    Banc b;
    Attente(b.Demarre(), 0.5);
    EXPECT_EQ(b.horloge.Lire(), 5000 * 1000);
}

namespace {
// A clock whose waits overrun their deadline by a chosen amount, and a port that counts
// as real hardware, for the late-pulse count.
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
    for (const int64_t retard : {0, 50'000, 300'000}) {
        h.retard = retard;
        ImpulsionMoteurs(m, 1, 0, 0, false);
    }
    EXPECT_EQ(m.ImpulsionsEnRetard, 1);
    // After a late edge the timeline starts again from it: no burst of short pulses.
    h.retard = 0;
    const int64_t avant = h.t;
    ImpulsionMoteurs(m, 1, 0, 0, false);
    EXPECT_EQ(h.t - avant, 11 * 100'000);
    EXPECT_EQ(m.ImpulsionsEnRetard, 1);
}
