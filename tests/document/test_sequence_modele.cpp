// The sequencing dialog's behaviour without its window: moves at the ends of the list,
// the order carried into the points and the offset paths, the reversal and the radius box
// (what stays highlighted when the dialog goes is checked on the window).

#include <gtest/gtest.h>

#include "document/calculs.h"
#include "document/sequence_modele.h"
#include "model/aide_dessin.h"
#include "support/valeurs_temporaires.h"
#include "settings/magasin.h"

namespace korvelin::test {
namespace {

const Code2 A{U' ', U'A'}, B{U' ', U'B'}, C{U' ', U'C'};

struct Banc : DocumentTemporaire {
    Code2 choisie = AucuneSequence;
    bool attente = false;
    int dessins = 0;
    ModeleSequence m{doc, choisie, attente};
    Banc() {
        Regle([](Parametres& p) { p.RayonFraise = 0.5; });
        m.Redessine = [this] { ++dessins; };
        // Three open squares as a plotter file: traces " A", " B", " C".
        const std::string plt = dossier.Ecrit(
            "carres.plt", "IN;PU0,0;PD400,0,400,400;PU800,0;PD1200,0,1200,400;PU0,800;PD400,800,400,1200;");
        EXPECT_TRUE(doc.Ouvrir(plt));
        m.Charger();
    }
    std::vector<Code2> OrdreDessin() const {
        std::vector<Code2> r;
        for (const auto& [e, p] : TracesDe(d())) r.push_back(e);
        return r;
    }
    std::vector<Code2> OrdreDecale() const {
        std::vector<Code2> r;
        for (std::size_t k = 0; k < d().NbSequencesDecalees(); ++k) r.push_back(d().Trace_Decale[k].Sequence);
        return r;
    }
};

TEST(ModeleSequence, LesFlechesDeplacentLaTraceDansLaListeLeDessinEtLesDecalages) {
    Banc b;
    ASSERT_EQ(b.m.Etiquettes(), (std::vector<Code2>{A, B, C}));
    EXPECT_EQ(b.m.Selection(), 0);
    EXPECT_EQ(b.choisie, A);
    EXPECT_EQ(b.dessins, 1);

    // Nothing moves past the ends, and nothing reaches the history.
    EXPECT_FALSE(b.m.Plus());
    b.m.Selectionne(2);
    EXPECT_FALSE(b.m.Moins());
    EXPECT_FALSE(b.doc.PeutAnnuler());
    EXPECT_EQ(b.choisie, C);

    ASSERT_TRUE(b.m.Plus());
    ASSERT_TRUE(b.m.Plus());
    const std::vector<Code2> attendu{C, A, B};
    EXPECT_EQ(b.m.Etiquettes(), attendu);
    EXPECT_EQ(b.m.Selection(), 0);
    EXPECT_EQ(b.choisie, C);
    EXPECT_EQ(b.OrdreDessin(), attendu);
    EXPECT_EQ(b.OrdreDecale(), attendu);

    // A drag goes where it is dropped, in one step of the history.
    ASSERT_TRUE(b.m.Deplace(0, 2));
    EXPECT_EQ(b.m.Etiquettes(), (std::vector<Code2>{A, B, C}));
    EXPECT_EQ(b.m.Selection(), 2);
    EXPECT_FALSE(b.m.Deplace(1, 1));
    EXPECT_FALSE(b.m.Deplace(-1, 0));
    EXPECT_FALSE(b.m.Deplace(0, 3));
    EXPECT_EQ(b.doc.NbAnnulables(), 3u);
}

TEST(ModeleSequence, UneEtiquetteEnDeuxMorceauxNeFaitPlusQuUnArticle) {
    Banc b;
    // " A" again after " C": the list shows four items for three labels.
    Dessin v = b.d();
    v.Trace_Initial.push_back({5.0f, 5.0f, PlumeBasse, A});
    v.Trace_Initial.push_back({6.0f, 5.0f, PlumeBasse, A});
    v.NbPoints += 2;
    CalculDecalageTout(v, b.p(), b.ui);
    b.doc.Remplace(std::move(v));
    b.m.Charger();
    ASSERT_EQ(b.m.Etiquettes(), (std::vector<Code2>{A, B, C, A}));
    const auto decale = [&b](std::size_t k) { return XY(b.d().Trace_Decale.at(k).Points); };
    const auto premierA = decale(0), secondA = decale(3);
    b.m.Selectionne(1);
    ASSERT_TRUE(b.m.Plus());
    EXPECT_EQ(b.m.Etiquettes(), (std::vector<Code2>{B, A, C}));
    EXPECT_EQ(b.choisie, B);
    EXPECT_EQ(b.d().NbPoints, int32_t(b.d().Trace_Initial.size()));
    // The offset paths are carried, not recomputed: the first run's comes right after " B",
    // and the second run's is kept among the entries, not lost.
    EXPECT_EQ(decale(1), premierA);
    bool garde = false;
    for (std::size_t k = 0; k < b.d().NbSequencesDecalees(); ++k) garde = garde || decale(k) == secondA;
    EXPECT_TRUE(garde);
}

TEST(ModeleSequence, InverserRenverseLaTraceChoisieEtSeulSonDecalage) {
    Banc b;
    b.m.Selectionne(1);
    const Points avant = XY(b.d().Trace_Initial, 3, 3);
    const auto decaleA = XY(b.d().Trace_Decale[0].Points);
    const auto decaleB = XY(b.d().Trace_Decale[1].Points);
    ASSERT_TRUE(b.m.Inverser());
    EXPECT_EQ(XY(b.d().Trace_Initial, 3, 3), Points(avant.rbegin(), avant.rend()));
    EXPECT_EQ(XY(b.d().Trace_Decale[0].Points), decaleA);
    EXPECT_NE(XY(b.d().Trace_Decale[1].Points), decaleB);
    ASSERT_TRUE(b.doc.Annuler());
    EXPECT_EQ(XY(b.d().Trace_Initial, 3, 3), avant);
}

TEST(ModeleSequence, LeRayonEstEnregistreAChaqueToucheSansRecalculerLesDecalages) {
    Banc b;
    EXPECT_EQ(b.m.TexteRayon(), "3");  // nothing stored yet: the radius every window uses
    const auto decale = XY(b.d().Trace_Decale[0].Points);
    for (const char* t : {"2", "2,", "2,5"}) b.m.ChangeRayon(t);
    EXPECT_EQ(b.p().RayonFraise, 2.5);
    EXPECT_EQ(b.doc.LitReglage("RayonFraise"), "2.5");
    EXPECT_EQ(XY(b.d().Trace_Decale[0].Points), decale);
    EXPECT_FALSE(b.doc.PeutAnnuler());
    // A radius no cutter has keeps the last good one.
    for (const char* t : {"-3", "99"}) b.m.ChangeRayon(t);
    EXPECT_EQ(b.p().RayonFraise, 2.5);
    EXPECT_EQ(b.m.TexteRayon(), "99");
    // The stored French form reads back whole; a stored radius no cutter has is not taken.
    b.m.Charger();
    EXPECT_EQ(b.m.TexteRayon(), "2,5");
    EXPECT_EQ(b.p().RayonFraise, 2.5);
    ASSERT_TRUE(b.doc.EcritReglages({{"RayonFraise", "99"}}));
    b.m.Charger();
    EXPECT_EQ(b.p().RayonFraise, 2.5);
}

}  // namespace
}  // namespace korvelin::test
