// The coordinate list on a real window: its trees, a click that marks, Delete, and the
// right click that hands a point to the point editor.

#include <gtest/gtest.h>

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTreeView>

#include "outils_gui.h"
#include "workspace/f_dimension.h"
#include "workspace/f_liste.h"

namespace korvelin::test {
namespace {

TEST(Liste, ArbresMarqueSuppressionEtClicDroit) {
    DossierTemporaire dossier;
    FenetreEssai f(dossier.Ecrit("Korvelin.ini", "[Korvelin]\r\n"));
    f.Montre(900, 600);
    f.reponseOuvrir = dossier.Ecrit("deux.plt", "IN;PU0,0;PD4000,0,4000,4000;PU8000,0;PD12000,0,12000,4000;");
    RepondreModal<F_Dimension>([](F_Dimension& d) { d.Btn_OK->click(); });
    f.mnu_Ouvrir_Click();
    const Dessin& dessin = f.Doc().Trace();
    ASSERT_EQ(dessin.NbPoints, 6);
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
        ASSERT_EQ(m->rowCount(racine), 2);
        const QModelIndex b = m->index(1, 0, racine);
        EXPECT_EQ(b.data().toString(), Q("Sequence  B - 3 points"));
        EXPECT_EQ(m->rowCount(l.TreeView2->model()->index(0, 0)), 2);

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
        EXPECT_EQ(dessin.NbPoints, 5);
        EXPECT_EQ(f.Panneau(1)->text(), Q("deux.plt "));
        EXPECT_EQ(m->index(1, 0, m->index(0, 0)).data().toString(), Q("Sequence  B - 2 points"));
        l.reject();
    });
    f.Menu("mnu_Liste")->trigger();
    EXPECT_TRUE(vu);
    EXPECT_TRUE(f.Menu("mnu_Annuler")->isEnabled());
}

}  // namespace
}  // namespace korvelin::test
