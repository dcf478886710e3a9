#include <gtest/gtest.h>

#include <cmath>

#include "machining/banc_machine.h"
#include "machining/controles.h"
#include "machining/executant.h"
#include "machining/motifs.h"
#include "machining/reglage.h"

using namespace korvelin;
using namespace korvelin::test;

TEST(Controles, ValeursQuiAbimeraientLaMachineOuLaPiece) {
    const struct {
        void (*regle)(Parametres&);
        double H;
        int32_t N;
        const char* message;  // nullptr: accepted
    } cas[] = {
        {+[](Parametres&) {}, 1, 1000, nullptr},
        {+[](Parametres&) {}, 0, 1,
         "La hauteur de dégagement doit être au-dessus de la surface de la pièce (plus de 0 mm) !"},
        {+[](Parametres&) {}, -10, 1,
         "La hauteur de dégagement doit être au-dessus de la surface de la pièce (plus de 0 mm) !"},
        {+[](Parametres&) {}, 1, 1001, "Le nombre de passes ne peut pas dépasser 1000 !"},
        {+[](Parametres& v) { v.RayonFraise = -1; }, 1, 1, "Le rayon de fraise ne peut pas être négatif !"},
        {+[](Parametres& v) { v.RayonFraise = 1e300; }, 1, 1, "Le rayon de fraise ne peut pas dépasser 50 mm !"},
        {+[](Parametres& v) { v.RayonFraise = 50; }, 1, 1, nullptr},
        {+[](Parametres& v) { v.RayonFraise = 0; }, 1, 1,
         "Le rayon de fraise ne peut pas être nul quand l'outil est décalé du tracé !"},
        {+[](Parametres& v) { v.RayonFraise = 0, v.DecalageOutil = 2; }, 1, 1, nullptr},
        {+[](Parametres& v) { v.MargeX = 1e300; }, 1, 1,
         "La marge en X doit rester dans la course de la machine (de 0 à 1000,000 mm) !"},
        {+[](Parametres& v) { v.MargeY = -0.5; }, 1, 1,
         "La marge en Y doit rester dans la course de la machine (de 0 à 500,000 mm) !"},
        // A margin equal to the travel is the far end of the table, still on it.
        {+[](Parametres& v) { v.MargeX = v.Course_X, v.MargeY = v.Course_Y; }, 1, 1, nullptr},
    };
    for (const auto& c : cas) {
        Parametres v;
        c.regle(v);
        const auto refus = ControleValeurs(v, c.H, c.N);
        EXPECT_EQ(refus.value_or(""), c.message ? c.message : "") << c.H;
    }
}

TEST(Controles, CoursesDuTravailDeLaSerieDesMotifsEtDesDeplacements) {
    Dessin dessin;
    Parametres parametres;
    DessinDe(dessin, {{{0, 0}, {100, 0}}, {{100, 0}, {100, 480}}});
    Parametres v;
    // Within the travel to the millimetre; the Z travel holds the height and the depth.
    EXPECT_FALSE(ControleCourses(dessin, v, 1, -3, 0, 20));
    EXPECT_EQ(ControleCourses(dessin, v, 1, -3, 0, 25).value_or(""),
              "Le travail sort de la course de la machine : la séquence B dépasse la course en Y de 5,000 mm ; il faut "
              "une marge en Y d'au plus 20 mm.");
    EXPECT_EQ(ControleCourses(dessin, v, 150, -60, 0, 0).value_or(""),
              "Le travail sort de la course de la machine : de la hauteur de dégagement à la profondeur, l'outil "
              "dépasse la course en Z de 10,000 mm.");
    // The copies of a series, and copies laid out towards negative X.
    EXPECT_FALSE(ControleCourses(dessin, v, 1, -3, 0, 0, {9, 1, 100.0, 0.0}));
    EXPECT_NE(ControleCourses(dessin, v, 1, -3, 0, 0, {1000, 1000, 100.0, 100.0}), std::nullopt);
    EXPECT_EQ(ControleCourses(dessin, v, 1, -3, 500, 0, {3, 1, -300.0, 0.0}).value_or(""),
              "Le travail sort de la course de la machine : la séquence A dépasse la course en X de 100,000 mm ; il "
              "faut une marge en X d'au moins 600 mm.");
    // A 5 km move or a NaN never gets through.
    dessin.Trace_Decale[0].Points[1].X = 5e6f;
    EXPECT_NE(ControleCourses(dessin, v, 1, -3, 0, 0), std::nullopt);
    dessin.Trace_Decale[0].Points[1].X = NAN;
    EXPECT_EQ(ControleCourses(dessin, v, 1, -3, 0, 0).value_or(""),
              "Le travail sort de la course de la machine : la séquence A dépasse la course en X.");

    EXPECT_FALSE(ControleMotif(v, 500, 1, -3));
    EXPECT_NE(ControleMotif(v, 1e6, 1, -3), std::nullopt);
    EXPECT_NE(ControleMotif(v, 50, -1, -3), std::nullopt);
    EXPECT_FALSE(ControleDeplacement(v, -1000, 500, -200));
    // Backwards past the travel is as far as forwards: the end stop waits there too.
    EXPECT_EQ(ControleDeplacement(v, -1001, 0, 0).value_or(""),
              "Le déplacement en X dépasse la course de la machine (1000,000 mm) !");
    EXPECT_EQ(ControleDeplacement(v, 0, 0, 1e30).value_or(""),
              "Le déplacement en Z dépasse la course de la machine (200,000 mm) !");
}

TEST(Controles, RefusAvantToutMouvement) {
    // A run, a pattern, a typed move and an estimate: refused with the reason in their
    // report, for the caller to show; nothing sent.
    Banc b;
    DessinDe(b.dessin, {{{-2, 0}, {10, 0}}});
    Machine& m = b.Demarre();
    DemandeMachine d;  // the estimate refuses as the run does
    d.action = ActionMachine::Exemplaire, d.travail = {"2", "-1"};
    const CompteRendu refus[] = {FraisageExemplaire(b.Poste(), m, {"2", "-1"}, b.arret),
                                 MotifTest(b.Poste(), m, 0, 20, {"-1", "-1"}, b.arret),
                                 DeplacementSaisi(b.Poste(), m, "5000", "0", "0", b.arret)};
    const Estimation e = EstimeDemande(b.Poste(), d);
    EXPECT_FALSE(e.acceptee);
    EXPECT_TRUE(b.port->Ecritures().empty());
    for (const CompteRendu& cr : refus) {
        EXPECT_EQ(cr.issue, Issue::Refusee);
        ASSERT_EQ(cr.diagnostics.size(), 1u);
        EXPECT_EQ(cr.diagnostics[0].gravite, Gravite::Erreur);
    }
    EXPECT_EQ(refus[0].diagnostics[0].message,
              "Le travail sort de la course de la machine : la séquence A dépasse la course en X de 2,000 mm ; il faut "
              "une marge en X d'au moins 2 mm.");
    ASSERT_EQ(e.diagnostics.size(), 1u);
    EXPECT_EQ(e.diagnostics[0].message, refus[0].diagnostics[0].message);
}
