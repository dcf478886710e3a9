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
    } cas[] = {{3, ToucheShift, Axe::X, 480},
               {3, ToucheCtrl, Axe::X, 5},
               {3, ToucheShift | ToucheCtrl, Axe::X, 48},
               {2, 0, Axe::X, -48},
               {1, 0, Axe::Y, 48},
               {0, ToucheShift, Axe::Y, -480},
               {5, 0, Axe::Z, 48},
               {4, ToucheCtrl, Axe::Z, -5}};
    for (const auto& c : cas) {
        Banc b;
        Machine& m = b.Demarre();
        EtatFleches etat;
        FlecheAppuyee(b.Poste(), m, etat, c.fleche, c.touches, b.arret);
        EXPECT_EQ(b.port->PasNets(c.axe), c.pas) << c.fleche << " " << c.touches;
        EXPECT_EQ(b.port->Impulsions(Axe::X) + b.port->Impulsions(Axe::Y) + b.port->Impulsions(Axe::Z),
                  c.pas < 0 ? -c.pas : c.pas);
        EXPECT_TRUE(m.MoteurEnMarche);  // stays on while the arrow is held
    }
}

TEST(Fleches, RepetitionTantQueLaFlecheEstTenue) {
    Banc b;
    b.parametres.TimerInterval = 275;
    Machine& m = b.Demarre();
    EtatFleches etat;
    FlecheAppuyee(b.Poste(), m, etat, 1, 0, b.arret);
    EXPECT_EQ(etat.Intervalle, 275);
    FlecheRepetee(b.Poste(), m, etat, b.arret);
    FlecheRepetee(b.Poste(), m, etat, b.arret);
    FlecheRelachee(m, etat);
    EXPECT_FALSE(m.MoteurEnMarche);
    FlecheRepetee(b.Poste(), m, etat, b.arret);  // a late timer tick after release moves nothing
    EXPECT_EQ(b.port->PasNets(Axe::Y), 3 * 48);
    // The automatic motor-off acts only once a run has enabled it.
    ActionMarcheMoteur(m);
    MinuterieMoteurDeclenchee(m);
    EXPECT_TRUE(m.MoteurEnMarche);
    m.MinuterieMoteurActive = true;
    MinuterieMoteurDeclenchee(m);
    EXPECT_EQ(b.port->Controle(), 0x08);
}

// Each axis counted in its own steps (Z: 2 per mm).
TEST(DeplacementSaisi, VirguleOuPoint) {
    Banc b;
    b.parametres.NbPas_Z = 2;
    Machine& m = b.Demarre();
    DeplacementSaisi(b.Poste(), m, "1,5", "-0.25", "2 mm", b.arret);
    EXPECT_EQ(b.port->PasNets(Axe::X), 72);
    EXPECT_EQ(b.port->PasNets(Axe::Y), -12);
    EXPECT_EQ(b.port->PasNets(Axe::Z), 4);
    EXPECT_FALSE(m.MoteurEnMarche);
    EXPECT_EQ(NettoieDimensionTest("-1,5 mm"), "15");
    EXPECT_EQ(DimensionTest(NettoieDimensionTest("abc")), 0.0);
}

TEST(Motifs, ChaqueMotifRevientAuDepart) {
    for (int option = 0; option < 4; ++option) {
        for (const double D : {20.0, 37.0, 0.0}) {
            Banc b;
            b.parametres.TempsMin_Mat_Z = 5;
            Machine& m = b.Demarre();
            const auto cr = MotifTest(b.Poste(), m, option, D, {"2", "-1"}, b.arret);
            if (option == 3) {  // no such pattern
                EXPECT_TRUE(b.port->Ecritures().empty());
                continue;
            }
            EXPECT_EQ(cr.issue, Issue::Terminee);
            for (const Axe a : {Axe::X, Axe::Y, Axe::Z}) EXPECT_EQ(b.port->PasNets(a), 0) << option << " " << D;
            EXPECT_FALSE(m.MoteurEnMarche);
            EXPECT_EQ(b.port->Impulsions(Axe::X) + b.port->Impulsions(Axe::Y) > 0, D > 0) << option;
            // Holes: plunges in material (the only pulses at the in-material Z period).
            const auto z = b.Z();
            if (D > 0) {
                EXPECT_EQ(std::count(z.begin(), z.end(), -48), option == 0 ? 4 : (option == 1 ? 8 : 1));
            }
        }
    }
}
