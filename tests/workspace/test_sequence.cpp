// The sequencing dialog in the window: the two lists kept side by side, an item let go
// elsewhere doing what the arrows do, and what "Décaler" leaves for the view.

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include "outils_gui.h"
#include "settings/magasin.h"
#include "workspace/f_dimension.h"
#include "workspace/f_sequence.h"

namespace korvelin::test {
namespace {

QStringList Textes(const QListWidget* l) {
    QStringList t;
    for (int k = 0; k < l->count(); ++k) t << l->item(k)->text();
    return t;
}

TEST(Sequence, LeDialogueDeplaceInverseEtLanceLeChoixDuCote) {
    DossierTemporaire dossier;
    FenetreEssai f(dossier.Chemin("Korvelin.ini"));
    f.Montre(800, 600);
    RepondreModal<F_Dimension>([](F_Dimension& d) { d.Btn_OK->click(); });
    f.OuvreDessin(
        dossier.Ecrit("carres.plt", "IN;PU0,0;PD400,0,400,400;PU800,0;PD1200,0,1200,400;PU0,800;PD400,800,400,1200;"));
    ASSERT_EQ(f.Doc().Trace().NbPoints, 9);

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
        EXPECT_EQ(f.Doc().Trace().Trace_Initial[3].Sequence, Code2(U' ', U'C'));

        // Dropped on the lower half of the last item, " C" goes last again.
        const QRect r = s.LB_Sequence->visualItemRect(s.LB_Sequence->item(2));
        s.LB_Sequence->Depose(QPoint(r.center().x(), r.bottom() - 1));
        EXPECT_EQ(Textes(s.LB_Sequence), QStringList({" A", " B", " C"}));
        EXPECT_EQ(s.LB_Sequence->currentRow(), 2);
        EXPECT_EQ(f.Doc().Trace().Trace_Initial[6].Sequence, Code2(U' ', U'C'));
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
