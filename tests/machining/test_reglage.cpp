#include <gtest/gtest.h>

#include <algorithm>

#include "machining/banc_machine.h"
#include "machining/motifs.h"
#include "machining/reglage.h"

using namespace korvelin;
using namespace korvelin::test;

TEST(Fleches, PasAvecShiftEtCtrl) {
    EXPECT_EQ((std::vector<int>{FlecheDeTouche(104), FlecheDeTouche(98), FlecheDeTouche(100), FlecheDeTouche(102),
                                FlecheDeTouche(65)}),
              (std::vector<int>{1, 0, 2, 3, -1}));

    const struct {
        int fleche, touches;
        Axe axe;
        int64_t pas;
    } cas[] = {{3, ToucheShift, Axe::X, 480}, {3, ToucheCtrl, Axe::X, 5}, {3, ToucheShift | ToucheCtrl, Axe::X, 48},
               {2, 0, Axe::X, -48},           {1, 0, Axe::Y, 48},         {0, ToucheShift, Axe::Y, -480},
               {5, 0, Axe::Z, 48},            {4, ToucheCtrl, Axe::Z, -5}};
    for (const auto& c : cas) {
        Banc b;
        Machine& m = b.Demarre();
        EtatFleches etat;
        FlecheAppuyee(b.ctx, m, etat, c.fleche, c.touches, b.arret);
        EXPECT_EQ(b.port->PasNets(c.axe), c.pas) << c.fleche << " " << c.touches;
        EXPECT_EQ(b.port->Impulsions(Axe::X) + b.port->Impulsions(Axe::Y) + b.port->Impulsions(Axe::Z),
                  c.pas < 0 ? -c.pas : c.pas);
        EXPECT_TRUE(m.MoteurEnMarche);  // stays on while the arrow is held
    }
}

TEST(Fleches, RepetitionTantQueLaFlecheEstTenue) {
    Banc b;
    b.ctx.parametres.TimerInterval = 275;
    Machine& m = b.Demarre();
    std::vector<bool> fond;
    m.SurMoteur = [&fond](bool marche) { fond.push_back(marche); };
    EtatFleches etat;
    EXPECT_EQ(etat.FlecheEnCours, AucuneFleche);
    FlecheAppuyee(b.ctx, m, etat, 1, 0, b.arret);
    EXPECT_EQ(etat.FlecheEnCours, 1);
    EXPECT_EQ(etat.Intervalle, 275);
    FlecheRepetee(b.ctx, m, etat, b.arret);
    FlecheRepetee(b.ctx, m, etat, b.arret);
    EXPECT_EQ(b.port->PasNets(Axe::Y), 3 * 48);
    FlecheRelachee(m, etat);
    EXPECT_EQ(etat.Intervalle, 0);
    EXPECT_FALSE(m.MoteurEnMarche);
    FlecheRepetee(b.ctx, m, etat, b.arret);  // a late timer tick after release moves nothing
    EXPECT_EQ(b.port->PasNets(Axe::Y), 3 * 48);
    EXPECT_EQ(fond, (std::vector<bool>{true, true, true, false}));
    // The automatic motor-off acts only once a run has enabled it.
    ActionMarcheMoteur(m);
    MinuterieMoteurDeclenchee(m);
    EXPECT_TRUE(m.MoteurEnMarche);
    m.MinuterieMoteurActive = true;
    MinuterieMoteurDeclenchee(m);
    EXPECT_EQ(b.port->Controle(), 0x08);
}

TEST(DeplacementSaisi, VirguleOuPoint) {
    Banc b;
    Machine& m = b.Demarre();
    DeplacementSaisi(b.ctx, m, "1,5", "-0.25", "2 mm", b.arret);
    EXPECT_EQ(b.port->PasNets(Axe::X), 72);
    EXPECT_EQ(b.port->PasNets(Axe::Y), -12);
    EXPECT_EQ(b.port->PasNets(Axe::Z), 97);  // 96 steps of 1/48 mm add up to just under 2 mm
    EXPECT_FALSE(m.MoteurEnMarche);
    EXPECT_EQ(NettoieDimensionTest("12.5"), "125");
    EXPECT_EQ(NettoieDimensionTest("-1,5 mm"), "15");
    EXPECT_EQ(DimensionTest(NettoieDimensionTest("abc")), 0.0);
}

namespace {
int64_t PasXY(const PortSimule& p) { return p.Impulsions(Axe::X) + p.Impulsions(Axe::Y); }
}  // namespace

TEST(Motifs, ChaqueMotifRevientAuDepart) {
    for (int option = 0; option < 3; ++option) {
        for (const double D : {20.0, 37.0}) {
            Banc b;
            b.ctx.parametres.TempsMin_Mat_Z = 5;
            Machine& m = b.Demarre();
            const auto cr = MotifTest(b.ctx, m, option, D, {"2", "-1"}, b.arret);
            EXPECT_EQ(cr.issue, Issue::Terminee);
            EXPECT_LE(std::abs(b.port->PasNets(Axe::X)), 1) << option << " " << D;
            EXPECT_LE(std::abs(b.port->PasNets(Axe::Y)), 1) << option << " " << D;
            EXPECT_EQ(b.port->PasNets(Axe::Z), 0);
            EXPECT_FALSE(m.MoteurEnMarche);
            EXPECT_GT(PasXY(*b.port), 0);
            // Holes: plunges in material (the only pulses at the in-material Z period).
            const auto z = b.Z();
            const auto plongees = std::count(z.begin(), z.end(), -48);
            EXPECT_EQ(plongees, option == 0 ? 4 : (option == 1 ? 8 : 1)) << option;
        }
    }
}

TEST(Motifs, CercleDeDiametreNulEtOptionInconnue) {
    Banc b;
    b.ctx.parametres.TempsMin_Mat_Z = 5;
    Machine& m = b.Demarre();
    MotifTest(b.ctx, m, 2, 0, {"2", "-1"}, b.arret);
    EXPECT_EQ(PasXY(*b.port), 0);
    EXPECT_EQ(b.Z(), (std::vector<int64_t>{97, -97, -48, 145, -97}));  // out of the hole and up merge
    Banc autre;
    MotifTest(autre.ctx, autre.Demarre(), 3, 20, {}, autre.arret);
    EXPECT_TRUE(autre.port->Ecritures().empty());
}
