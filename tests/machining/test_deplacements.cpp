#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "machining/banc_machine.h"
#include "model/primitives.h"

using namespace korvelin;
using namespace korvelin::test;

namespace {
PointTrace P(double x, double y) { return {static_cast<float>(x), static_cast<float>(y), {}, {}}; }
}  // namespace

TEST(DeplacementXY, DixMillimetresEnX) {
    Banc b;
    Machine& m = b.Demarre();
    PointTrace cible = P(10, 0);
    EXPECT_TRUE(DeplacementXY(m, P(0, 0), cible, false));
    EXPECT_EQ(b.port->Impulsions(Axe::X, +1), 480);
    EXPECT_EQ(b.port->Impulsions(Axe::X, -1), 0);
    EXPECT_EQ(b.port->Impulsions(Axe::Y), 0);
    EXPECT_NEAR(cible.X, 10.0, 1e-4);
    EXPECT_EQ(cible.Y, 0.0f);
    // And back, to the same step.
    PointTrace retour = P(0, 0);
    DeplacementXY(m, cible, retour, false);
    EXPECT_EQ(b.port->PasNets(Axe::X), 0);
}

TEST(DeplacementXY, MemePointAucuneImpulsion) {
    Banc b;
    Machine& m = b.Demarre();
    PointTrace cible = P(3, 4);
    DeplacementXY(m, P(3, 4), cible, true);
    EXPECT_TRUE(b.port->Ecritures().empty());
}

TEST(DeplacementXY, PasInvalideOuTrajetAbsurdeAucuneImpulsion) {
    for (auto regle : {+[](Parametres& v) { v.Pas_X = 0; }, +[](Parametres& v) { v.NbPas_X = 0; },
                       +[](Parametres& v) { v.Pas_X = -1; }, +[](Parametres& v) { v.NbPas_X = -48; }}) {
        Banc b;
        regle(b.ctx.parametres);
        Machine& m = b.Demarre();
        PointTrace cible = P(5, 5);
        EXPECT_TRUE(DeplacementXY(m, P(0, 0), cible, false));
        EXPECT_TRUE(b.port->Ecritures().empty());
        EXPECT_EQ(cible.X, 0.0f);
        EXPECT_EQ(cible.Y, 0.0f);
    }
    Banc b;
    b.ctx.parametres.Pas_X = 0;
    Machine& m = b.Demarre();
    PointTrace cible = P(0, 2);  // X need not move: Y alone goes
    DeplacementXY(m, P(0, 0), cible, false);
    EXPECT_EQ(b.port->Impulsions(Axe::Y, +1), 96);
    EXPECT_EQ(b.port->Impulsions(Axe::X), 0);
    PointTrace loin = P(0, 1e30);
    DeplacementXY(m, P(0, 0), loin, false);
    EXPECT_EQ(b.port->Impulsions(Axe::Y, +1), 96);
}

namespace {
// Replays the step edges and checks every position reached lies within one step of the
// ideal line; returns the end position in steps.
std::pair<int64_t, int64_t> VerifieLigne(const PortSimule& port, double sX, double sY, PointTrace a, PointTrace c) {
    const Droite d = DroitePassantPar(a, c);
    int64_t nx = 0, ny = 0;
    uint8_t avant = 0;
    for (const auto& e : port.Ecritures()) {
        const uint8_t front = static_cast<uint8_t>(e.valeur & ~avant);
        avant = e.valeur;
        if (front & LignePasX) nx += (e.valeur & LigneDirX) ? 1 : -1;
        if (front & LignePasY) ny += (e.valeur & LigneDirY) ? 1 : -1;
        if (!(front & (LignePasX | LignePasY))) continue;
        const double x = a.X + nx * sX, y = a.Y + ny * sY;
        EXPECT_LE(std::fabs(d.a * x + d.b * y + d.c), std::max(sX, sY) + 1e-9) << x << " " << y;
    }
    return {nx, ny};
}
}  // namespace

TEST(DeplacementXY, DiagonalesPresDeLaLigneIdeale) {
    std::mt19937 alea(7);
    std::uniform_real_distribution<double> coord(-30, 30);
    std::uniform_int_distribution<int> temps(1, 30);
    for (int essai = 0; essai < 60; ++essai) {
        Banc b;
        Parametres& v = b.ctx.parametres;
        v.NbPas_X = 48;
        v.NbPas_Y = essai % 3 == 0 ? 200 : 48;
        v.Pas_Y = essai % 3 == 0 ? 1.25 : 1;  // 4-decimal ties on the step length
        v.TempsMin_Mat_X = temps(alea);
        v.TempsMin_Mat_Y = temps(alea);
        Machine& m = b.Demarre();
        const double sX = v.Pas_X / v.NbPas_X, sY = v.Pas_Y / v.NbPas_Y;
        const PointTrace a = P(coord(alea), coord(alea)), c = P(coord(alea), coord(alea));
        PointTrace cible = c;
        DeplacementXY(m, a, cible, true);
        const auto [nx, ny] = VerifieLigne(*b.port, sX, sY, a, c);
        EXPECT_NEAR(cible.X, a.X + nx * sX, 1e-3);
        EXPECT_NEAR(cible.Y, a.Y + ny * sY, 1e-3);
        // The move ends within one step of its target on both axes.
        EXPECT_LE(std::fabs(cible.X - c.X), sX + 1e-4) << essai;
        EXPECT_LE(std::fabs(cible.Y - c.Y), sY + 1e-4) << essai;
    }
}

TEST(DeplacementXY, AxeLentAvecMoinsDePasNeMenePas) {
    // X needs 100 steps at 10 ms, Y 60 at 20 ms: Y would need the longer time, but led by Y
    // the move would end 40 steps short in X.
    Banc b;
    b.ctx.parametres.TempsMin_Mat_X = 10;
    b.ctx.parametres.TempsMin_Mat_Y = 20;
    Machine& m = b.Demarre();
    PointTrace cible = P(100.0 / 48, 60.0 / 48);
    DeplacementXY(m, P(0, 0), cible, true);
    EXPECT_EQ(b.port->PasNets(Axe::X), 100);
    EXPECT_NEAR(b.port->PasNets(Axe::Y), 60, 1);
}

TEST(DeplacementXY, AxeMeneurSelonLeTemps) {
    // Same step counts: the slower axis leads, and the other follows at every pulse.
    Banc b;
    b.ctx.parametres.TempsMin_HMat_X = 5;
    b.ctx.parametres.TempsMin_HMat_Y = 20;
    Machine& m = b.Demarre();
    PointTrace cible = P(1, 1);
    DeplacementXY(m, P(0, 0), cible, false);
    EXPECT_EQ(b.port->Impulsions(Axe::Y, +1), 48);
    EXPECT_GE(b.port->Impulsions(Axe::X, +1), 47);
    EXPECT_NEAR(b.port->DureeProgrammee(), 48 * 0.0201, 0.03);
}

TEST(DeplacementZ, NombreDImpulsionsEtSens) {
    for (const bool inversion : {false, true}) {
        Banc b;
        b.ctx.parametres.Pas_Z = 1;
        b.ctx.parametres.NbPas_Z = 2;
        b.ctx.parametres.InversionSens_Z = inversion;
        Machine& m = b.Demarre();
        EXPECT_TRUE(DeplacementZ(m, -1, false));
        EXPECT_EQ(b.port->Impulsions(Axe::Z, -1), 2);
        EXPECT_EQ(b.port->Impulsions(Axe::Z, +1), 0);
        EXPECT_EQ(b.Donnees()[1], inversion ? 0x30 : 0x20);
    }
    Banc b;
    Machine& m = b.Demarre();
    DeplacementZ(m, 0, false);
    DeplacementZ(m, std::nan(""), false);
    DeplacementZ(m, INFINITY, false);
    EXPECT_TRUE(b.port->Ecritures().empty());
    // Steps summed one by one: 5 mm of 1/48 mm steps takes 241 pulses, not 240.
    DeplacementZ(m, 5, false);
    double somme = 0;
    int n = 0;
    while (5 > somme) {
        somme = somme + 1.0 / 48;
        ++n;
    }
    EXPECT_EQ(b.port->Impulsions(Axe::Z, +1), n);
}

TEST(DeplacementZ, ArretEntreDeuxImpulsions) {
    Banc b;
    Machine& m = b.Demarre();
    b.arret = true;
    m.Arret = &b.arret;
    EXPECT_FALSE(DeplacementZ(m, 3, false));
    PointTrace cible = P(3, 0);
    EXPECT_FALSE(DeplacementXY(m, P(0, 0), cible, false));
    EXPECT_TRUE(b.port->Ecritures().empty());
    EXPECT_EQ(cible.X, 0.0f);
}
