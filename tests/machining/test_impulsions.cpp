#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>
#include <tuple>

#include "machining/banc_machine.h"

using namespace korvelin;
using namespace korvelin::test;

TEST(Impulsions, OctetsDeChaqueAxeEtInversions) {
    const struct {
        int dx, dy, dz;
        std::array<bool, 3> inversion;
        std::vector<uint8_t> octets;
    } cas[] = {{1, 0, 0, {}, {0x44, 0xCC, 0x44}},  {1, 0, 0, {true, false, false}, {0x00, 0x88, 0x00}},
               {0, -1, 0, {}, {0x00, 0x02, 0x00}}, {0, -1, 0, {false, true, false}, {0x01, 0x03, 0x01}},
               {0, 0, 1, {}, {0x10, 0x30, 0x10}},  {0, 0, -1, {false, false, true}, {0x10, 0x30, 0x10}},
               {-1, 1, -1, {}, {0x01, 0xAB, 0x01}}};
    for (const auto& c : cas) {
        Banc b;
        std::tie(b.parametres.InversionSens_X, b.parametres.InversionSens_Y, b.parametres.InversionSens_Z) =
            std::tuple(c.inversion[0], c.inversion[1], c.inversion[2]);
        ImpulsionMoteurs(b.Demarre(), c.dx, c.dy, c.dz, true);
        EXPECT_EQ(b.Donnees(), c.octets);
        // An inverted motor is wired the other way.
        EXPECT_EQ(std::tuple(b.port->PasNets(Axe::X), b.port->PasNets(Axe::Y), b.port->PasNets(Axe::Z)),
                  std::tuple(c.dx, c.dy, c.dz));
    }
    // Edges at 0, 0.2 and 0.6 ms; the 10 ms pulse then waits its 95 remaining units.
    Banc b;
    ImpulsionMoteurs(b.Demarre(), 1, 0, 0, true);
    const auto& e = b.port->Ecritures();
    EXPECT_EQ((std::vector<int64_t>{e[0].temps, e[1].temps, e[2].temps, b.horloge.Lire()}),
              (std::vector<int64_t>{0, 2000, 6000, 6000 + 95 * 1000}));
    ArretMoteur(*b.m);  // bit 3 of the control register, cleared for on
    EXPECT_EQ(b.port->Controle(), 0x08);
    MarcheMoteur(*b.m);
    EXPECT_EQ(b.port->Controle(), 0x00);
}

TEST(Impulsions, PeriodeSelonAxesEtMatiere) {
    Banc b;
    Parametres& v = b.parametres;
    v.TempsMin_Montee = 3, v.TempsMin_Descente = 7, v.TempsMin_Mat_Z = 5, v.TempsMin_Mat_Y = 20, v.TempsMin_HMat_X = 2;
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
    const std::pair<double, int64_t> cas[] = {{0, 0},
                                              {-1, 0},
                                              {std::nan(""), 0},
                                              {0.15 / 1000, 2},
                                              {0.35 / 1000, 4},
                                              {0.00011, 2},
                                              {(5 - 0.15 - 0.35) / 1000, 45}};
    for (const auto& [secondes, unites] : cas) EXPECT_EQ(UnitesAttente(secondes), unites) << secondes;
    Banc b;
    Attente(b.Demarre(), 0.5);
    EXPECT_EQ(b.horloge.Lire(), 5000 * 1000);
    // An absurd minimum time waits for ever rather than wrapping round to no wait at all.
    Attente(*b.m, 1.5e12);
    EXPECT_GE(b.horloge.Lire(), INT64_MAX / 8);
    for (int i = 0; i < 4; ++i) Attente(*b.m, 1.5e12);
    EXPECT_EQ(b.horloge.Lire(), INT64_MAX);
}

namespace {
// A clock whose waits overrun their deadline by a chosen amount, on a port that counts as real.
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
    for (const int64_t retard : {0, 50'000, 300'000, 0}) h.retard = retard, ImpulsionMoteurs(m, 1, 0, 0, false);
    EXPECT_EQ(m.ImpulsionsEnRetard, 1);
    // After a late edge the timeline starts again from it: no burst of short pulses.
    const int64_t avant = h.t;
    ImpulsionMoteurs(m, 1, 0, 0, false);
    EXPECT_EQ(h.t - avant, 11 * 100'000);
}

TEST(DeplacementXY, PasEntiersDeLaPositionVisee) {
    // Within half a unit of the fourth decimal a count is whole; anything more is one
    // step further, as the move loops reach a target.
    const double s = 1.0 / 48;
    EXPECT_EQ(PasPour(2.0, s), 96);  // 96 steps of 1/48 added one by one fall just short of 2
    EXPECT_EQ(PasPour(-2.0, s), -96);
    EXPECT_EQ(PasPour(10.00004, s), 480);
    EXPECT_EQ(PasPour(10.0001, s), 481);
    EXPECT_EQ(PasPour(-0.001, s), -1);
    EXPECT_EQ(PasPour(5, 0), 0);
    EXPECT_EQ(PasPour(std::nan(""), s), 0);
    EXPECT_GT(PasPour(1e300, s), PasMaxMouvement);

    // A step length that makes no sense keeps its axis still; a move of absurd length
    // sends nothing.
    for (auto regle : {+[](Parametres& v) { v.Pas_X = 0; }, +[](Parametres& v) { v.NbPas_X = 0; },
                       +[](Parametres& v) { v.Pas_X = -1; }}) {
        Banc b;
        regle(b.parametres);
        Machine& m = b.Demarre();
        EXPECT_TRUE(DeplacementXY(m, 5, 0, false));
        EXPECT_TRUE(b.port->Ecritures().empty());
        DeplacementXY(m, 5, 2, false);
        DeplacementXY(m, 0, 1e30, false);
        EXPECT_EQ(b.port->Impulsions(Axe::Y, +1), 96);
        EXPECT_EQ(b.port->Impulsions(Axe::X), 0);
    }
    Banc b;
    Machine& m = b.Demarre();
    for (const double rien : {0.0, std::nan(""), HUGE_VAL}) DeplacementZ(m, rien, false);
    EXPECT_TRUE(b.port->Ecritures().empty());
}

// Random moves and pulse periods: whichever axis is slower leads, every position reached
// stays within one step of the line between the two step positions, the move ends on the
// target's and the position read back is it.
TEST(DeplacementXY, DiagonalesAMoinsDUnPasDeLaLigneEtArriveeExacte) {
    std::mt19937 alea(7);
    std::uniform_real_distribution<double> coord(-30, 30);
    std::uniform_int_distribution<int> temps(1, 30);
    for (int essai = 0; essai < 60; ++essai) {
        Banc b;
        Parametres& v = b.parametres;
        if (essai % 3 == 0) v.NbPas_Y = 200, v.Pas_Y = 1.25;  // 4-decimal ties on the step length
        v.TempsMin_Mat_X = temps(alea);
        v.TempsMin_Mat_Y = temps(alea);
        Machine& m = b.Demarre();
        const double sX = v.Pas_X / v.NbPas_X, sY = v.Pas_Y / v.NbPas_Y;
        const double ax = coord(alea), ay = coord(alea), cx = coord(alea), cy = coord(alea);
        AllerXY(m, ax, ay, false);
        const std::size_t depuis = Rejoue(*b.port).size();
        AllerXY(m, cx, cy, true);
        const double x0 = PasPour(ax, sX) * sX, y0 = PasPour(ay, sY) * sY;
        const double x1 = PasPour(cx, sX) * sX, y1 = PasPour(cy, sY) * sY;
        const auto pas = Rejoue(*b.port);
        for (std::size_t i = depuis; i < pas.size(); ++i) {
            const double x = pas[i].x * sX, y = pas[i].y * sY;
            const double ecart = std::fabs((x1 - x0) * (y - y0) - (y1 - y0) * (x - x0)) / std::hypot(x1 - x0, y1 - y0);
            ASSERT_LE(ecart, std::max(sX, sY) + 1e-9) << essai;
        }
        EXPECT_EQ(b.port->PasNets(Axe::X), PasPour(cx, sX)) << essai;
        EXPECT_EQ(b.port->PasNets(Axe::Y), PasPour(cy, sY)) << essai;
        EXPECT_NEAR(PositionMm(m, 0), x1, 1e-9);
        // No step back and forth on the way.
        EXPECT_EQ(b.port->Impulsions(Axe::X), std::abs(PasPour(ax, sX)) + std::abs(PasPour(cx, sX) - PasPour(ax, sX)));
        EXPECT_EQ(b.port->Impulsions(Axe::Y), std::abs(PasPour(ay, sY)) + std::abs(PasPour(cy, sY) - PasPour(ay, sY)));
    }
}
