// The two dialogs over the traces of a real window: the coordinate list (its trees, a
// click that marks, Delete, the right click that hands a point to the point editor) and
// the sequencing dialog (the two lists kept side by side, an item let go elsewhere doing
// what the arrows do, and what "Décaler" leaves for the view).

#include <gtest/gtest.h>

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QToolButton>
#include <QTreeView>

#include "outils_gui.h"
#include "settings/magasin.h"
#include "workspace/f_dimension.h"
#include "workspace/f_liste.h"
#include "workspace/f_sequence.h"

namespace korvelin::test {
namespace {

// Three open squares, opened as the user does: traces " A" (points 0-2), " B" (3-5), " C" (6-8).
class Traces : public ::testing::Test {
protected:
    DossierTemporaire dossier;
    FenetreEssai f{dossier.Chemin("Korvelin.ini")};

    void SetUp() override {
        f.Montre(900, 600);
        RepondreModal<F_Dimension>([](F_Dimension& d) { d.Btn_OK->click(); });
        f.OuvreDessin(dossier.Ecrit("carres.plt",
                                    "IN;PU0,0;PD400,0,400,400;PU800,0;PD1200,0,1200,400;PU0,800;PD400,800,400,1200;"));
        ASSERT_EQ(f.Doc().Trace().NbPoints, 9);
    }
};

QStringList Textes(const QListWidget* l) {
    QStringList t;
    for (int k = 0; k < l->count(); ++k) t << l->item(k)->text();
    return t;
}

TEST_F(Traces, ListeArbresMarqueSuppressionEtClicDroit) {
    const Dessin& dessin = f.Doc().Trace();
    f.reponseQuestion = true;
    std::vector<PointChoisi> edites;
    f.EditeurPoint = [&](QWidget* parent, const PointChoisi& p, QPoint) {
        EXPECT_TRUE(qobject_cast<F_Liste*>(parent));
        edites.push_back(p);
    };
    bool vu = false;
    RepondreModal<F_Liste>([&](F_Liste& l) {
        vu = true;
        EXPECT_EQ(l.Label_Decale->palette().color(QPalette::WindowText), CouleurQt(f.Doc().Reglages().CouleurDecalage));
        QTreeView* t = l.TreeView1;
        QAbstractItemModel* m = t->model();
        const QModelIndex racine = m->index(0, 0);
        EXPECT_TRUE(t->isExpanded(racine));
        EXPECT_EQ(racine.data(ArbreListe::RoleCle).toString(), Q("Racine"));
        ASSERT_EQ(m->rowCount(racine), 3);
        const QModelIndex b = m->index(1, 0, racine);
        EXPECT_EQ(b.data().toString(), Q("Sequence  B - 3 points"));
        EXPECT_EQ(m->rowCount(l.TreeView2->model()->index(0, 0)), 3);

        // A click on a point draws the cross in the selection colour.
        const QColor rouge = CouleurQt(f.Doc().Reglages().CouleurSelectionne);
        const int avant = Compte(f.PB1->Image(), rouge);
        l.NodeClick(t, m->index(1, 0, b));
        EXPECT_GT(Compte(f.PB1->Image(), rouge), avant);

        // A right click on another point selects it and opens the editor on it.
        t->expand(b);
        QApplication::processEvents();
        const QModelIndex dernier = m->index(2, 0, b);
        const QPoint ici = t->visualRect(dernier).center();
        QMouseEvent clic(QEvent::MouseButtonRelease, ici, t->viewport()->mapToGlobal(ici), Qt::RightButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(t->viewport(), &clic);
        EXPECT_EQ(t->currentIndex(), dernier);
        ASSERT_EQ(edites.size(), 1u);
        EXPECT_TRUE(edites[0].traceInitial);
        EXPECT_EQ(edites[0].index, 5);
        EXPECT_TRUE(l.EditionTraceInitial);

        // Delete, confirmed, takes the selected point away and the tree follows.
        QKeyEvent suppr(QEvent::KeyRelease, Qt::Key_Delete, Qt::NoModifier);
        QApplication::sendEvent(t, &suppr);
        EXPECT_EQ(f.questions, (std::vector<std::string>{"Confirmez-vous la suppression ?"}));
        EXPECT_EQ(dessin.NbPoints, 8);
        EXPECT_EQ(f.Panneau(1)->text(), Q("carres.plt "));
        EXPECT_EQ(m->index(1, 0, m->index(0, 0)).data().toString(), Q("Sequence  B - 2 points"));
        l.reject();
    });
    f.Menu("mnu_Liste")->trigger();
    EXPECT_TRUE(vu);
    EXPECT_TRUE(f.Menu("mnu_Annuler")->isEnabled());
}

TEST_F(Traces, SequenceDeplaceInverseEtLanceLeChoixDuCote) {
    bool vu = false;
    RepondreModal<F_Sequence>([&](F_Sequence& s) {
        vu = true;
        EXPECT_EQ(s.TB_RayonFraise->text(), Q("3"));
        EXPECT_EQ(Textes(s.LB_Sequence), QStringList({" A", " B", " C"}));
        EXPECT_EQ(Textes(s.LB_Ordre), QStringList({"1", "2", "3"}));
        EXPECT_EQ(f.SequenceADecaler, Code2(U' ', U'A'));

        s.LB_Sequence->setCurrentRow(2);
        EXPECT_EQ(f.SequenceADecaler, Code2(U' ', U'C'));
        EXPECT_EQ(s.LB_Ordre->currentRow(), 2);
        s.CB_Plus->click();
        EXPECT_EQ(Textes(s.LB_Sequence), QStringList({" A", " C", " B"}));
        EXPECT_EQ(Textes(s.LB_Ordre), QStringList({"1", "2", "3"}));
        EXPECT_EQ(s.LB_Ordre->currentRow(), 1);

        // Dropped on the lower half of the last item, " C" goes last again.
        const QRect r = s.LB_Sequence->visualItemRect(s.LB_Sequence->item(2));
        s.LB_Sequence->Depose(QPoint(r.center().x(), r.bottom() - 1));
        EXPECT_EQ(Textes(s.LB_Sequence), QStringList({" A", " B", " C"}));
        EXPECT_EQ(s.LB_Sequence->currentRow(), 2);
        s.Btn_Inversion->click();  // what it does to the drawing is the model's test

        // Each keystroke in the radius box is stored.
        s.TB_RayonFraise->clear();
        QKeyEvent touche(QEvent::KeyPress, Qt::Key_2, Qt::NoModifier, Q("2"));
        QApplication::sendEvent(s.TB_RayonFraise, &touche);
        EXPECT_EQ(f.Doc().LitReglage("RayonFraise"), "2");
        s.Btn_Decalage->click();
    });
    f.mnu_sequencement_Click();
    EXPECT_TRUE(vu);
    EXPECT_TRUE(f.AttenteCoteDecalage);
    EXPECT_EQ(f.SequenceADecaler, Code2(U' ', U'C'));
    EXPECT_EQ(f.PB1->toolTip(), Q("Cliquez du côté à décaler"));
    EXPECT_EQ(f.DernierX, -1.0);
    EXPECT_EQ(f.DernierY, -1.0f);
    EXPECT_EQ(f.Doc().NbAnnulables(), 3u);

    // Closed by OK, no trace stays highlighted.
    f.AttenteCoteDecalage = false;
    RepondreModal<F_Sequence>([](F_Sequence& s) { s.Btn_OK->click(); });
    f.mnu_sequencement_Click();
    EXPECT_EQ(f.SequenceADecaler, AucuneSequence);
}

}  // namespace
}  // namespace korvelin::test
