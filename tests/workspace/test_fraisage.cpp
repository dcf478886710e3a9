// The milling window over a machine without a port: the simulation imposed, files written,
// a run rehearsed and drawn, a run stopped from the button, a close during a run.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QThread>

#include <filesystem>

#include "machining/verificateur_gcode.h"
#include "outils_gui.h"
#include "platform/fichier.h"
#include "workspace/f_fraisage.h"

namespace korvelin::test {
namespace {

TEST(FenetreFraisage, SimulationImposeeFichiersCourseEtArret) {
    DossierTemporaire dossier;
    FenetreEssai f{dossier.Ecrit("Korvelin.ini", "[Korvelin]\r\nMargeX=5\r\nMargeY=5\r\n")};
    f.Montre(800, 600);
    const std::vector<PointTrace> carre{Pt(0, 0), Pt(20, 0), Pt(20, 20), Pt(0, 20), Pt(0, 0)};
    PoseDessin(f.Ctx(), carre, dossier.Chemin("carre.plt"));
    f.Ctx().dessin.Trace_Decale.front().Points = carre;
    f.Ctx().dessin.Xmax = f.Ctx().dessin.Ymax = 20;
    f.Form_Resize(false);

    const OuvreursPort aucun{[](int16_t) { return std::unique_ptr<Port>(); },
                             [](int16_t) { return std::unique_ptr<Port>(); }};
    auto* w = new F_Fraisage(f, aucun);
    ASSERT_EQ(f.messages.size(), 1u);
    EXPECT_NE(f.messages[0].texte.find("groupe lp"), std::string::npos);
    EXPECT_TRUE(w->CB_Simulation->isChecked());
    EXPECT_FALSE(w->CB_Simulation->isEnabled());
    EXPECT_EQ(w->SSTab1->count(), 6);
    EXPECT_EQ(w->SSTab1->tabText(1), Q("Réglage du zéro"));
    EXPECT_EQ(w->TB_CUT->text().toStdString(), dossier.Chemin("carre.cut"));
    EXPECT_EQ(w->TB_GCode->text().toStdString(), dossier.Chemin("carre.nc"));
    EXPECT_EQ(w->TB_Pas_Duplic_X->text(), Q("20"));

    w->Btn_Gener_CUT->click();
    w->Btn_Gener_GCode->click();
    EXPECT_TRUE(std::filesystem::exists(dossier.Chemin("carre.cut")));
    const test::LectureGCode gcode = test::VerifieGCode(DossierTemporaire::Lit(dossier.Chemin("carre.nc")));
    for (const std::string& faute : gcode.fautes) ADD_FAILURE() << faute;
    EXPECT_NE(DossierTemporaire::Lit(dossier.Chemin("carre.nc")).find('('), std::string::npos);
    // The box leaves the comments out.
    w->CB_SansCommentaires->setChecked(true);
    w->Btn_Gener_GCode->click();
    EXPECT_EQ(DossierTemporaire::Lit(dossier.Chemin("carre.nc")).find('('), std::string::npos);
    EXPECT_FALSE(w->TB_LongueurParcours->text().isEmpty());

    // Rehearsed at once: the report, the summary and the path over the drawing.
    w->Btn_Fraiser->click();
    w->AttendFin();
    EXPECT_TRUE(w->L_CompteRendu->text().startsWith(Q("Terminé"))) << w->L_CompteRendu->text().toStdString();
    EXPECT_TRUE(w->L_CompteRendu->text().contains(Q("Simulation : Impulsions X")));
    ASSERT_GE(f.CheminSimule().size(), 5u);
    EXPECT_GT(Compte(f.PB1->Image(), QColor(255, 128, 0)), 100);
    // The motor switched by hand plays on the same simulator: the path stays.
    const std::size_t points = f.CheminSimule().size();
    w->Btn_MotorOff->click();
    w->AttendFin();
    EXPECT_EQ(f.CheminSimule().size(), points);
    EXPECT_EQ(f.messages.size(), 1u);
    // The motors' state shows on its light; the window keeps its colours.
    EXPECT_EQ(w->L_Moteur->text(), Q("Moteurs arrêtés"));
    EXPECT_TRUE(w->styleSheet().isEmpty());

    // A path 3 mm below the table's zero: the margins that make it fit are offered, then set.
    for (PointTrace& p : f.Ctx().dessin.Trace_Decale.front().Points) p.Y -= 3.0f;
    w->TB_MargeY->setText("0");
    emit w->TB_MargeY->editingFinished();
    f.reponseQuestion = true;
    w->Btn_Gener_CUT->click();
    ASSERT_EQ(f.questions.size(), 1u);
    EXPECT_NE(f.questions[0].find("une marge en Y d'au moins 3 mm"), std::string::npos) << f.questions[0];
    EXPECT_EQ(w->TB_MargeY->text(), Q("3"));
    EXPECT_EQ(f.messages.size(), 1u) << "le fichier est écrit sans refus";
    for (PointTrace& p : f.Ctx().dessin.Trace_Decale.front().Points) p.Y += 3.0f;
    w->TB_MargeY->setText("5");
    emit w->TB_MargeY->editingFinished();
    f.questions.clear();
    f.reponseQuestion = false;

    // At real speed, stopped from the button; the job's controls are locked meanwhile.
    w->CB_Instantane->setChecked(false);
    w->Btn_Fraiser->click();
    EXPECT_TRUE(w->EnCours());
    EXPECT_FALSE(w->SSTab1->isEnabled());
    QThread::msleep(50);
    w->Btn_Arret->click();
    w->AttendFin();
    EXPECT_TRUE(w->L_CompteRendu->text().startsWith(Q("Arrêté"))) << w->L_CompteRendu->text().toStdString();
    EXPECT_TRUE(w->SSTab1->isEnabled());

    // Keypad 8 held then let go: one jog step up in Y, then the motor off.
    QKeyEvent appui(QEvent::KeyPress, Qt::Key_8, Qt::KeypadModifier), relache(QEvent::KeyRelease, Qt::Key_8, Qt::KeypadModifier);
    QApplication::sendEvent(w->SSTab1, &appui);
    QApplication::sendEvent(w->SSTab1, &relache);
    w->AttendFin();
    ASSERT_NE(w->Executant(), nullptr);
    EXPECT_EQ(w->Executant()->MachineCourante().PasEnvoyes, (std::array<int64_t, 3>{0, 48, 0}));
    EXPECT_FALSE(w->Executant()->MachineCourante().MoteurEnMarche);

    // A positive depth is asked about first; refused, nothing runs.
    w->TB_ProfFraisage->setText("1");
    w->Btn_Fraiser->click();
    EXPECT_EQ(f.questions.size(), 1u);
    EXPECT_FALSE(w->EnCours());
    w->TB_ProfFraisage->setText("-3");
    f.questions.clear();

    // Closing during a run asks, stops it, and saves the job values at once.
    w->TB_HautDeg->setText("2,5");
    w->Btn_Fraiser->click();
    ASSERT_TRUE(w->EnCours());
    f.reponseQuestion = true;
    w->close();
    EXPECT_EQ(f.questions.size(), 1u);
    EXPECT_FALSE(w->EnCours());
    delete w;
    const std::string ini = LireFichier(dossier.Chemin("Korvelin.ini")).value_or("");
    EXPECT_NE(ini.find("HautDeg=2,5"), std::string::npos) << ini;
    EXPECT_NE(ini.find("NbPasse=1"), std::string::npos);
}

}  // namespace
}  // namespace korvelin::test
