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

TEST(DeplacementXY, DixMillimetresEnXEtRetour) {
    Banc b;
    Machine& m = b.Demarre();
    PointTrace cible = P(10, 0);
    DeplacementXY(m, P(0, 0), cible, false);
    EXPECT_EQ(b.port->Impulsions(Axe::X, +1), 480);
    EXPECT_EQ(b.port->Impulsions(Axe::X, -1) + b.port->Impulsions(Axe::Y), 0);
    EXPECT_NEAR(cible.X, 10.0, 1e-4);
    PointTrace retour = P(0, 0);
    DeplacementXY(m, cible, retour, false);
    EXPECT_EQ(b.port->PasNets(Axe::X), 0);
    PointTrace meme = P(3, 4);
    const auto avant = b.port->Ecritures().size();
    DeplacementXY(m, P(3, 4), meme, true);
    EXPECT_EQ(b.port->Ecritures().size(), avant);
}

TEST(DeplacementXY, PasInvalideOuTrajetAbsurdeAucuneImpulsion) {
    for (auto regle : {+[](Parametres& v) { v.Pas_X = 0; }, +[](Parametres& v) { v.NbPas_X = 0; },
                       +[](Parametres& v) { v.Pas_X = -1; }}) {
        Banc b;
        regle(b.ctx.parametres);
        Machine& m = b.Demarre();
        PointTrace cible = P(5, 5);
        EXPECT_TRUE(DeplacementXY(m, P(0, 0), cible, false));
        EXPECT_TRUE(b.port->Ecritures().empty());
        EXPECT_EQ(cible.X, 0.0f);
        PointTrace y = P(0, 2);  // X need not move: Y alone goes
        DeplacementXY(m, P(0, 0), y, false);
        EXPECT_EQ(b.port->Impulsions(Axe::Y, +1), 96);
        PointTrace loin = P(0, 1e30);
        DeplacementXY(m, P(0, 0), loin, false);
        EXPECT_EQ(b.port->Impulsions(Axe::Y, +1), 96);
    }
}

TEST(DeplacementXY, DiagonalesAMoinsDUnPasDeLaLigneIdeale) {
    std::mt19937 alea(7);
    std::uniform_real_distribution<double> coord(-30, 30);
    std::uniform_int_distribution<int> temps(1, 30);
    for (int essai = 0; essai < 60; ++essai) {
        Banc b;
        Parametres& v = b.ctx.parametres;
        if (essai % 3 == 0) v.NbPas_Y = 200, v.Pas_Y = 1.25;  // 4-decimal ties on the step length
        v.TempsMin_Mat_X = temps(alea);
        v.TempsMin_Mat_Y = temps(alea);
        Machine& m = b.Demarre();
        const double sX = v.Pas_X / v.NbPas_X, sY = v.Pas_Y / v.NbPas_Y;
        const PointTrace a = P(coord(alea), coord(alea)), c = P(coord(alea), coord(alea));
        PointTrace cible = c;
        DeplacementXY(m, a, cible, true);
        // Replay the step edges: every position reached stays within one step of the line.
        const Droite d = DroitePassantPar(a, c);
        int64_t nx = 0, ny = 0;
        uint8_t avant = 0;
        for (const auto& e : b.port->Ecritures()) {
            const uint8_t front = static_cast<uint8_t>(e.valeur & ~avant);
            avant = e.valeur;
            if (front & LignePasX) nx += (e.valeur & LigneDirX) ? 1 : -1;
            if (front & LignePasY) ny += (e.valeur & LigneDirY) ? 1 : -1;
            const double x = a.X + nx * sX, y = a.Y + ny * sY;
            ASSERT_LE(std::fabs(d.a * x + d.b * y + d.c), std::max(sX, sY) + 1e-9) << essai;
        }
        EXPECT_NEAR(cible.X, a.X + nx * sX, 1e-3);
        EXPECT_NEAR(cible.Y, a.Y + ny * sY, 1e-3);
        EXPECT_LE(std::fabs(cible.X - c.X), sX + 1e-4) << essai;
        EXPECT_LE(std::fabs(cible.Y - c.Y), sY + 1e-4) << essai;
    }
}

TEST(DeplacementXY, AxeLentAvecMoinsDePasNeMenePas) {
    // X needs 100 steps at 10 ms, Y 60 at 20 ms: Y needs the longer time, but led by Y the
    // move would end 40 steps short in X.
    Banc b;
    b.ctx.parametres.TempsMin_Mat_Y = 20;
    Machine& m = b.Demarre();
    PointTrace cible = P(100.0 / 48, 60.0 / 48);
    DeplacementXY(m, P(0, 0), cible, true);
    EXPECT_EQ(b.port->PasNets(Axe::X), 100);
    EXPECT_NEAR(b.port->PasNets(Axe::Y), 60, 1);
}

TEST(DeplacementZ, NombreDImpulsionsEtSens) {
    for (const bool inversion : {false, true}) {
        Banc b;
        b.ctx.parametres.NbPas_Z = 2;
        b.ctx.parametres.InversionSens_Z = inversion;
        Machine& m = b.Demarre();
        DeplacementZ(m, -1, false);
        EXPECT_EQ(b.port->Impulsions(Axe::Z, -1), 2);
        EXPECT_EQ(b.port->Impulsions(Axe::Z, +1), 0);
        EXPECT_EQ(b.Donnees()[1], inversion ? 0x30 : 0x20);
    }
    Banc b;
    Machine& m = b.Demarre();
    for (const double rien : {0.0, std::nan(""), HUGE_VAL}) DeplacementZ(m, rien, false);
    EXPECT_TRUE(b.port->Ecritures().empty());
    // Steps summed one by one: 96 steps of 1/48 mm fall just short of 2 mm.
    DeplacementZ(m, 2, false);
    EXPECT_EQ(b.port->Impulsions(Axe::Z, +1), 97);
}
