// The coordinate list without its window: texts and keys of both trees, the point a text
// marks, and every deletion through the document.

#include <gtest/gtest.h>

#include "document/liste_modele.h"
#include "document/calculs.h"
#include "model/aide_dessin.h"
#include "support/valeurs_temporaires.h"

namespace korvelin::test {
namespace {

// " A" (2 points), " B" (6, its point 7 at (12.5, 3)), " C" (4), " D" (1), then " A" again.
struct Liste : DocumentTemporaire {
    Liste() {
        Regle([](Parametres& p) {
            p.RayonFraise = 0.5;
            p.ConfirmSuppr = false;
        });
        Dessin d;
        AjouteTrace(d, Etiquette(" A"), {{0, 0}, {5, 0}});
        AjouteTrace(d, Etiquette(" B"), {{10, 0}, {20, 0}, {20, 10}, {10, 10}, {10, 5}, {12.5f, 3}});
        AjouteTrace(d, Etiquette(" C"), {{30, 0}, {40, 0}, {40, 10}, {30, 0}});
        AjouteTrace(d, Etiquette(" D"), {{50, 50}});
        AjouteTrace(d, Etiquette(" A"), {{60, 0}, {-0.0004f, 70}});
        CalculDecalageTout(d, p(), ui);
        doc.Remplace(std::move(d));
    }
};

// The document's offset paths are those of a whole recomputation.
void AttendDecalagesComplets(Liste& l) {
    const Dessin& d = l.d();
    Dessin complet;
    complet.Trace_Initial = d.Trace_Initial;
    complet.NbPoints = d.NbPoints;
    CalculDecalageTout(complet, l.p(), l.ui);
    ASSERT_EQ(d.Trace_Decale.size(), complet.Trace_Decale.size());
    for (std::size_t e = 0; e < d.Trace_Decale.size(); ++e)
        EXPECT_EQ(XY(d.Trace_Decale[e].Points), XY(complet.Trace_Decale[e].Points)) << e;
}

constexpr Noeud Racine{Noeud::Racine, 0, 0};
constexpr Noeud Trace(std::size_t t) { return {Noeud::Sequence, t, 0}; }
constexpr Noeud Point(std::size_t t, std::size_t p) { return {Noeud::Point, t, p}; }

TEST(ListeModele, TextesEtClesDesDeuxArbres) {
    Liste l;
    ListeModele m(l.doc);
    const Arbre I = Arbre::Initial, D = Arbre::Decale;
    EXPECT_EQ(m.Texte(I, Racine), "Tracé initial");
    EXPECT_EQ(m.Texte(D, Racine), "Tracé décalé");
    EXPECT_EQ(m.Cle(I, Racine), "Racine");
    EXPECT_EQ(m.Cle(D, Racine), "Racine");

    ASSERT_EQ(m.NbTraces(I), 5u);
    EXPECT_EQ(m.Texte(I, Trace(1)), "Sequence  B - 6 points");
    EXPECT_EQ(m.Cle(I, Trace(1)), " B");
    EXPECT_EQ(m.Texte(I, Point(1, 5)), "N°     7   x=12,500   y=3,000");
    EXPECT_EQ(m.Cle(I, Point(1, 5)), " B7");
    // The second run of " A" keeps its label in the text, and a key of its own.
    EXPECT_EQ(m.Texte(I, Trace(4)), "Sequence  A - 2 points");
    EXPECT_EQ(m.Cle(I, Trace(4)), " A#2");
    EXPECT_EQ(m.Cle(I, Point(4, 1)), " A#2:14");
    EXPECT_EQ(m.Texte(I, Point(4, 1)), "N°    14   x=0,000   y=70,000");
    EXPECT_EQ(m.Texte(I, Point(4, 2)), "");  // past the end: nothing, no crash

    const Dessin& d = l.d();
    ASSERT_EQ(m.NbTraces(D), d.NbSequencesDecalees());
    ASSERT_EQ(m.NbTraces(D), 5u);
    EXPECT_EQ(m.Texte(D, Trace(2)), "Séquence  C - " + std::to_string(d.Trace_Decale[2].Points.size()) + " points");
    EXPECT_EQ(m.Cle(D, Point(2, 1)), " C1");
    EXPECT_EQ(m.Cle(D, Trace(4)), " A#2");
    EXPECT_TRUE(m.Texte(D, Point(2, 1)).starts_with("N°     1   x="));

    m.Separateur = '.';
    const std::string texte = m.Texte(I, Point(1, 5));
    EXPECT_EQ(texte, "N°     7   x=12.500   y=3.000");
    for (const std::string& t : {texte, std::string("N°     7   x=12,500   y=3,000")}) {
        const auto p = ListeModele::PointDuTexte(t);
        ASSERT_TRUE(p);
        EXPECT_DOUBLE_EQ(p->first, 12.5);
        EXPECT_DOUBLE_EQ(p->second, 3.0);
    }
    EXPECT_FALSE(ListeModele::PointDuTexte(m.Texte(I, Trace(1))));
    EXPECT_FALSE(ListeModele::PointDuTexte("Tracé initial"));
}

TEST(ListeModele, SuppressionsParLeDocument) {
    Liste l;
    const Dessin& d = l.d();
    ListeModele m(l.doc);
    const Arbre I = Arbre::Initial, D = Arbre::Decale;

    // Refused confirmation: nothing changes.
    l.Regle([](Parametres& p) { p.ConfirmSuppr = true; });
    l.ui.reponseQuestion = false;
    EXPECT_FALSE(m.Supprime(I, Point(1, 0)));
    ASSERT_EQ(l.ui.questions.size(), 1u);
    EXPECT_EQ(l.ui.questions[0], "Confirmez-vous la suppression ?");
    EXPECT_EQ(d.NbPoints, 15);

    // Without confirmation a point goes at once.
    l.Regle([](Parametres& p) { p.ConfirmSuppr = false; });
    EXPECT_TRUE(m.Supprime(I, Point(1, 0)));
    EXPECT_EQ(l.ui.questions.size(), 1u);
    EXPECT_EQ(d.NbPoints, 14);
    m.Remplit();
    EXPECT_EQ(m.Texte(I, Trace(1)), "Sequence  B - 5 points");

    // The four points of " C", and the only point of " D" with its trace node.
    EXPECT_TRUE(m.Supprime(I, Trace(2)));
    EXPECT_EQ(d.NbPoints, 10);
    m.Remplit();
    EXPECT_EQ(m.Cle(I, Trace(2)), " D");
    const std::size_t entrees = d.NbSequencesDecalees();
    EXPECT_TRUE(m.Supprime(I, Point(2, 0)));
    m.Remplit();
    ASSERT_EQ(m.NbTraces(I), 3u);
    EXPECT_EQ(d.NbSequencesDecalees(), entrees - 1);

    // The second run of " A" goes alone, and comes back with the undo.
    const std::vector<PointTrace> avant(d.Trace_Initial.begin(), d.Trace_Initial.begin() + d.NbPoints);
    EXPECT_TRUE(m.Supprime(I, Trace(2)));
    m.Remplit();
    ASSERT_EQ(m.NbTraces(I), 2u);
    EXPECT_EQ(m.Texte(I, Trace(0)), "Sequence  A - 2 points");
    EXPECT_EQ(d.NbPoints, 7);
    ASSERT_TRUE(l.doc.Annuler());
    ASSERT_EQ(d.NbPoints, int32_t(avant.size()));
    EXPECT_EQ(XY(d.Trace_Initial), XY(avant));
    m.Remplit();
    // A point of that second run, deleted or moved: its own offset path is the one
    // recomputed, never the first run's.
    EXPECT_TRUE(m.Supprime(I, Point(2, 0)));
    AttendDecalagesComplets(l);
    ASSERT_TRUE(l.doc.Annuler());
    ASSERT_TRUE(l.doc.DeplacePoint(d.NbPoints - 2, 61, 5));
    AttendDecalagesComplets(l);
    ASSERT_TRUE(l.doc.Annuler());
    m.Remplit();

    // The offset tree: a point of an entry goes, the drawing stays; the root and the
    // trace nodes change nothing.
    const int32_t points = d.NbPoints;
    const std::size_t n = d.Trace_Decale[1].Points.size();
    EXPECT_TRUE(m.Supprime(D, Point(1, 0)));
    EXPECT_EQ(d.Trace_Decale[1].Points.size(), n - 1);
    EXPECT_EQ(d.NbPoints, points);
    EXPECT_FALSE(m.Supprime(D, Trace(1)));
    EXPECT_FALSE(m.Supprime(D, Racine));
    EXPECT_FALSE(m.Supprime(I, Racine));
    // A node left over from before a change is refused, not followed out of the drawing.
    EXPECT_FALSE(m.Supprime(I, Point(0, 99)));
    EXPECT_FALSE(m.Supprime(D, Point(99, 0)));
    EXPECT_FALSE(m.Choisi(I, Trace(0)));
    const auto c = m.Choisi(I, Point(1, 2));
    ASSERT_TRUE(c);
    EXPECT_TRUE(c->traceInitial);
    EXPECT_EQ(c->index, 4);
}

}  // namespace
}  // namespace korvelin::test
