// The mouse on the drawing (pointer coordinates, the segment under a click) and the point
// editor's behaviour, through the document.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "document/edition_point.h"
#include "document/pointage.h"
#include "model/aide_dessin.h"
#include "model/listes.h"
#include "support/valeurs_temporaires.h"

namespace korvelin::test {
namespace {

TEST(Pointage, CoordonneesEtTypesDeFichier) {
    EXPECT_EQ(TexteAbscisse(12.46), "x : 12,5");
    EXPECT_EQ(TexteOrdonnee(3.08), "y : 3,1");
    EXPECT_EQ(TexteAbscisse(0.25), "x : 0,2");  // halves to the even neighbour
    EXPECT_EQ(TexteOrdonnee(-0.04), "y : 0,0");
    EXPECT_TRUE(LeverPermis("PLT"));
    EXPECT_TRUE(LeverPermis("DAT"));
    for (const char* t : {"HPGL", "DXF", "Korvelin", "plt", ""}) EXPECT_FALSE(LeverPermis(t)) << t;
}

TEST(Pointage, LeSegmentSousLeClic) {
    Dessin d;
    AjouteTrace(d, Etiquette(" A"), {{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    AjouteTrace(d, Etiquette(" B"), {{20, 10}, {30, 10}});
    // On the shared end of two segments both fit exactly: the lower index wins.
    EXPECT_EQ(SegmentSousClic(d, 10, 10), 1);
    EXPECT_EQ(SegmentLevable(d, 10, 10), 1);
    EXPECT_EQ(SegmentSousClic(d, 10.02, 5), 1);
    EXPECT_EQ(SegmentSousClic(d, 5, 0.5), 0);
    // The first segment of a trace is found but cannot be lifted.
    EXPECT_EQ(SegmentLevable(d, 5, 0.5), -1);
    EXPECT_EQ(SegmentLevable(d, 25, 10), -1);
    // The connecting move between the traces is a segment like the others.
    EXPECT_EQ(SegmentSousClic(d, 15, 10.05), 3);
    EXPECT_EQ(SegmentLevable(d, 15, 10.05), 3);
    // Outside every thin ellipse, or no number at all.
    EXPECT_EQ(SegmentSousClic(d, 5, 3), -1);
    EXPECT_EQ(SegmentSousClic(d, std::nan(""), 5), -1);
    EXPECT_EQ(SegmentSousClic(d, 1e300, 5), -1);
    // A count beyond the array reads only what is there.
    d.NbPoints = 100;
    EXPECT_EQ(SegmentSousClic(d, 25, 10), 4);
    EXPECT_EQ(SegmentSousClic(Dessin{}, 0, 0), -1);
}

// Two open squares and a closed one, as a plotter file: " A" 0-2, " B" 3-5, " C" 6-10.
struct Atelier : DocumentTemporaire {
    Atelier() {
        Regle([](Parametres& p) { p.RayonFraise = 0.5; });
        const std::string plt = dossier.Ecrit(
            "carres.plt",
            "IN;PU0,0;PD400,0,400,400;PU800,0;PD1200,0,1200,400;PU0,800;PD400,800,400,1200,0,1200,0,800;");
        EXPECT_TRUE(doc.Ouvrir(plt));
        ui.statuts.clear();
    }
    const PointTrace& P(int i) const { return d().Trace_Initial[static_cast<std::size_t>(i)]; }
    std::vector<std::string> Statuts() {
        std::vector<std::string> t;
        for (const auto& [panneau, texte] : ui.statuts)
            if (panneau == 1) t.push_back(texte);
        ui.statuts.clear();
        return t;
    }
};

void Branche(Atelier& a, EditionPoint& e) {
    e.Statut = [&a](std::string_view t) { a.ui.TexteStatut(1, t); };
}

TEST(EditionPoint, UneFlecheTenueAvanceAChaqueTicEtSAnnuleEnUneFois) {
    Atelier a;
    EditionPoint e(a.doc, 1);
    Branche(a, e);
    ASSERT_TRUE(e.Valide());
    EXPECT_EQ(e.X(), 10.0);
    const std::size_t avant = a.doc.NbAnnulables();
    e.Tic();  // no arrow held: nothing
    EXPECT_EQ(a.doc.NbAnnulables(), avant);
    e.Enfonce(EditionPoint::Droite);
    for (int k = 0; k < 5; ++k) e.Tic();
    e.Relache();
    e.Tic();
    e.Clic(EditionPoint::Droite);  // the release's own click
    EXPECT_EQ(e.X(), 10.6);
    EXPECT_EQ(a.P(1).X, 10.6f);
    EXPECT_EQ(a.doc.NbAnnulables(), avant + 1);
    EXPECT_EQ(a.Statuts().front(), "Recalcul du décalage ");
    // A separate click, and the next press, are steps of their own.
    e.Clic(EditionPoint::Bas);
    EXPECT_EQ(a.P(1).Y, -0.1f);
    e.Enfonce(EditionPoint::Gauche);
    e.Tic();
    e.Relache();
    e.Clic(EditionPoint::Gauche);
    EXPECT_EQ(a.P(1).X, 10.4f);
    EXPECT_EQ(a.doc.NbAnnulables(), avant + 3);
    for (int k = 0; k < 3; ++k) ASSERT_TRUE(a.doc.Annuler());
    EXPECT_EQ(a.P(1).X, 10.0f);
    EXPECT_EQ(a.P(1).Y, 0.0f);
}

TEST(EditionPoint, SaisieAnnulationEtPointDecale) {
    Atelier a;
    EditionPoint e(a.doc, 4);
    Branche(a, e);
    e.SaisieX("12,5");
    e.SaisieY("3.25 mm");
    EXPECT_EQ(a.P(4).X, 12.5f);
    EXPECT_EQ(a.P(4).Y, 3.25f);
    e.SaisieX("abc");
    EXPECT_EQ(e.X(), 0.0);
    EXPECT_EQ(a.P(4).X, 0.0f);
    const auto decale = a.d().Trace_Decale;
    e.Annule();
    EXPECT_EQ(a.P(4).X, 30.0f);
    EXPECT_EQ(a.P(4).Y, 0.0f);
    EXPECT_NE(a.d().Trace_Decale[1].Points[0].X, decale[1].Points[0].X);

    // An offset point keeps its new place until its trace is computed again; going back
    // computes the whole path of that trace from the drawing.
    const auto original = a.d().Trace_Decale[1].Points;
    EditionPoint o(a.doc, std::size_t(1), 0);
    Branche(a, o);
    ASSERT_TRUE(o.Valide());
    EXPECT_FALSE(o.Depart());
    a.Statuts();
    o.Clic(EditionPoint::Haut);
    EXPECT_NEAR(a.d().Trace_Decale[1].Points[0].Y, original[0].Y + 0.1, 1e-5);
    EXPECT_EQ(a.P(3).Y, 0.0f);
    EXPECT_EQ(a.Statuts(), (std::vector<std::string>{"Rafraîchissement du dessin ", ""}));
    o.Annule();
    EXPECT_EQ(a.d().Trace_Decale[1].Points[0].Y, original[0].Y);

    // Indices that name nothing change nothing.
    for (EditionPoint* x : {new EditionPoint(a.doc, -1), new EditionPoint(a.doc, 11),
                            new EditionPoint(a.doc, std::size_t(3), 0), new EditionPoint(a.doc, std::size_t(0), 99)}) {
        EXPECT_FALSE(x->Valide());
        x->Clic(EditionPoint::Droite);
        x->Annule();
        EXPECT_FALSE(x->Supprime(false));
        delete x;
    }
    EXPECT_EQ(a.d().NbPoints, 11);
}

TEST(EditionPoint, SuppressionEtPointDeDepart) {
    Atelier a;
    int renumerotes = 0;
    {
        // The question and its answers are the window's test; a point goes only once.
        EditionPoint e(a.doc, 2);
        EXPECT_TRUE(e.Supprime(false));
        EXPECT_EQ(a.d().NbPoints, 10);
        EXPECT_FALSE(e.Supprime(false));
    }
    // The closed trace P0 P1 P2 P3 P0 started at P2 gives P2 P3 P0 P1 P2; the editor follows
    // the point to its new place.
    const int premier = PremierPointSequence(a.d(), Etiquette(" C"));
    ASSERT_EQ(premier, 5);
    const Points avant = XY(a.d().Trace_Initial, 5, 5);
    EditionPoint e(a.doc, premier + 2);
    Branche(a, e);
    e.PointsRenumerotes = [&] { ++renumerotes; };
    ASSERT_TRUE(e.Depart());
    EXPECT_EQ(XY(a.d().Trace_Initial, 5, 5), (Points{avant[2], avant[3], avant[0], avant[1], avant[2]}));
    EXPECT_EQ(e.IndexPoint(), premier);
    EXPECT_EQ(a.Statuts(),
              (std::vector<std::string>{"Décalage du tracé ", "Recalcul du décalage ",
                                        "Reconstitution de la liste des points ", "Rafraichissement du dessin ", ""}));
    EXPECT_FALSE(e.Depart());  // already the first
    e.Clic(EditionPoint::Gauche);
    EXPECT_EQ(a.P(premier).X, avant[2].first - 0.1f);
    EXPECT_EQ(renumerotes, 1);
}

}  // namespace
}  // namespace korvelin::test
