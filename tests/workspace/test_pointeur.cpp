// The mouse on the drawing view (coordinates, side pick, pen lift) and the point editor.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>

#include "model/aide_dessin.h"
#include "model/nombres.h"
#include "outils_gui.h"
#include "workspace/f_dimension.h"
#include "workspace/f_point.h"

namespace korvelin::test {
namespace {

class Pointeur : public ::testing::Test {
protected:
    DossierTemporaire dossier;
    FenetreEssai f{dossier.Chemin("Korvelin.ini")};

    void SetUp() override {
        f.Montre(900, 600);
        f.Doc().ModifieReglages([](Parametres& p) {
            p.RayonFraise = 1.0;
            p.TimerInterval = 10;
        });
        // An open plotter file, so that every change goes through the document.
        RepondreModal<F_Dimension>([](F_Dimension& d) { d.Btn_OK->click(); });
        ASSERT_TRUE(f.Doc().Ouvrir(dossier.Ecrit("equerre.plt", "IN;PU0,0;PD1600,0,1600,800,0,800;")));
        ASSERT_EQ(f.Doc().Trace().NbPoints, 4);
        f.Form_Resize();
    }
    // A mouse event on the picture at a drawing point.
    void Souris(QEvent::Type type, double x, double y, Qt::KeyboardModifiers touches = Qt::NoModifier) {
        const QPointF p = f.PB1->Repere().VersPixel(x, y);
        const Qt::MouseButton b = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent e(type, p, f.PB1->mapToGlobal(p), b, b, touches);
        QApplication::sendEvent(f.PB1, &e);
    }
    std::vector<Code2> Etiquettes() {
        std::vector<Code2> e;
        for (const PointTrace& p : f.Doc().Trace().Trace_Initial) e.push_back(p.Sequence);
        return e;
    }
};

TEST_F(Pointeur, CoordonneesCoteDecalageEtLeverDOutil) {
    f.PB1_MouseMove(Qt::NoButton, Qt::ShiftModifier, 12.46, 3.08);
    EXPECT_EQ(f.Panneau(5)->text(), Q("x : 12,5"));
    EXPECT_EQ(f.Panneau(6)->text(), Q("y : 3,1"));
    f.PB1_MouseMove(Qt::NoButton, Qt::ShiftModifier | Qt::ControlModifier, 30, 30);
    Souris(QEvent::MouseMove, 30, 30);
    EXPECT_EQ(f.Panneau(5)->text(), Q("x : 12,5"));
    Souris(QEvent::MouseMove, 20, 10, Qt::ShiftModifier);
    EXPECT_EQ(f.Panneau(5)->text(), Q("x : 20,0"));

    // The side pick: a rubber band from the first point, wiped by the next move.
    const QImage net = f.PB1->Image();
    f.AttenteCoteDecalage = true;
    f.DernierX = -1;
    f.DernierY = -1;
    Souris(QEvent::MouseMove, 20, 10);
    EXPECT_NE(f.PB1->Image(), net);
    Souris(QEvent::MouseMove, 30, 15);
    EXPECT_EQ(f.DernierX, f.PB1->Repere().VersDessin(f.PB1->Repere().VersPixel(30, 15)).x());
    // No trace chosen: the click is not the end of the wait.
    Souris(QEvent::MouseButtonPress, 20, 10);
    EXPECT_TRUE(f.AttenteCoteDecalage);
    // The side comes from the settings, taken when the click ends the wait.
    const auto decale = f.Doc().Trace().Trace_Decale[0].Points;
    f.Doc().ModifieReglages([](Parametres& p) { p.DecalageOutil = p.DecalageOutil == 1 ? 3 : 1; });
    EXPECT_FALSE(f.Doc().PeutAnnuler());
    f.SequenceADecaler = Code2::De(" A");
    Souris(QEvent::MouseButtonPress, 20, 10);
    EXPECT_FALSE(f.AttenteCoteDecalage);
    EXPECT_EQ(f.SequenceADecaler, AucuneSequence);
    EXPECT_NE(XY(f.Doc().Trace().Trace_Decale[0].Points), XY(decale));
    EXPECT_TRUE(f.Doc().PeutAnnuler());
    EXPECT_TRUE(f.PB1->toolTip().isEmpty());
    EXPECT_TRUE(f.questions.empty());

    // Pen lift: the first segment is refused silently, No leaves the drawing, Yes splits.
    const auto avant = Etiquettes();
    Souris(QEvent::MouseButtonPress, 20, 0);
    EXPECT_TRUE(f.questions.empty());
    f.Lissage = false;
    f.Form_Resize();
    const QImage image = f.PB1->Image();
    Souris(QEvent::MouseButtonPress, 40, 10);
    ASSERT_EQ(f.questions, std::vector<std::string>{"Voulez-vous lever l'outil sur ce segment ?"});
    EXPECT_EQ(f.titreQuestion, "- . - . -");
    EXPECT_EQ(Etiquettes(), avant);
    EXPECT_EQ(f.PB1->Image(), image);  // the preview is gone
    f.reponseQuestion = true;
    Souris(QEvent::MouseButtonPress, 40, 10);
    const Code2 A = Code2::De(" A"), B = Code2::De(" B");
    EXPECT_EQ(Etiquettes(), (std::vector<Code2>{A, A, B, B}));
    ASSERT_TRUE(f.Doc().Annuler());
    EXPECT_EQ(Etiquettes(), avant);
    // Only plotter and point files.
    Retouche(f.Doc(), [](Dessin& d) { d.TypeFichier = "DXF"; });
    Souris(QEvent::MouseButtonPress, 40, 10);
    EXPECT_EQ(f.questions.size(), 2u);
}

TEST_F(Pointeur, EditeurDePoint) {
    F_Point p(f.Doc(), 1, &f);
    p.show();
    EXPECT_TRUE(p.CB_Depart->isEnabled());
    EXPECT_EQ(p.TB_X->text(), Q("40"));
    EXPECT_EQ(p.HScroll1->value(), 40);

    p.CB_Droite->click();
    EXPECT_EQ(p.TB_X->text(), Q("40,1"));
    EXPECT_EQ(f.Doc().Trace().Trace_Initial[1].X, 40.1f);
    // Held down, the arrow repeats with the timer; press to release is one undo step.
    const std::size_t pas = f.Doc().NbAnnulables();
    auto bouton = [&](QEvent::Type type) {
        const QPointF c = p.CB_Haut->rect().center();
        QMouseEvent e(type, c, p.CB_Haut->mapToGlobal(c), Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(p.CB_Haut, &e);
    };
    bouton(QEvent::MouseButtonPress);
    for (QElapsedTimer t; !t.isValid() || (t.elapsed() < 5000 && f.Doc().Trace().Trace_Initial[1].Y < 0.25f);) {
        if (!t.isValid()) t.start();
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    EXPECT_TRUE(p.Timer1->isActive());
    bouton(QEvent::MouseButtonRelease);
    // At least three ticks and the release's click.
    EXPECT_GE(f.Doc().Trace().Trace_Initial[1].Y, 0.35f);
    EXPECT_NEAR(p.Modele().Y(), f.Doc().Trace().Trace_Initial[1].Y, 1e-6);
    EXPECT_EQ(p.TB_Y->text().toStdString(), EcritureLocale(p.Modele().Y()));
    EXPECT_EQ(f.Doc().NbAnnulables(), pas + 1);

    p.TB_Y->setText("abc");
    emit p.TB_Y->editingFinished();
    EXPECT_EQ(p.TB_Y->text(), Q("0"));
    p.HScroll1->setValue(25);
    EXPECT_EQ(p.TB_X->text(), Q("25"));
    EXPECT_EQ(f.Doc().Trace().Trace_Initial[1].X, 25.0f);
    EXPECT_EQ(f.Panneau(1)->text(), QString());

    p.CB_Cancel->click();
    EXPECT_FALSE(p.isVisible());
    EXPECT_EQ(f.Doc().Trace().Trace_Initial[1].X, 40.0f);
    EXPECT_EQ(f.Doc().Trace().Trace_Initial[1].Y, 0.0f);

    // An offset point: no start point; deleting asks first when the settings say so.
    F_Point o(f.Doc(), std::size_t(0), 0, &f);
    EXPECT_FALSE(o.CB_Depart->isEnabled());
    f.Doc().ModifieReglages([](Parametres& r) { r.ConfirmSuppr = true; });
    F_Point s(f.Doc(), 3, &f);
    int renumerotes = 0;
    QObject::connect(&s, &F_Point::PointsRenumerotes, [&] { ++renumerotes; });
    s.show();
    f.reponseQuestion = false;
    s.CB_Supprimer->click();
    EXPECT_EQ(f.questions.back(), "Confirmez-vous la suppression ?");
    EXPECT_EQ(f.Doc().Trace().NbPoints, 4);
    f.reponseQuestion = true;
    s.CB_Supprimer->click();
    EXPECT_EQ(f.Doc().Trace().NbPoints, 3);
    EXPECT_EQ(renumerotes, 1);
    EXPECT_FALSE(s.isVisible());
}

}  // namespace
}  // namespace korvelin::test
