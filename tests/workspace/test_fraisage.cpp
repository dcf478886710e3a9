// The milling window over a machine without a port: the simulation imposed, files written,
// a run rehearsed and drawn, a run stopped from the button, a close during a run; then its
// "GRBL" tab against the stand-in board.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "grbl/banc_grbl.h"
#include "machining/verificateur_gcode.h"
#include "outils_gui.h"
#include "platform/fichier.h"
#include "workspace/f_fraisage.h"
#include "workspace/onglet_grbl.h"

namespace korvelin::test {
namespace {

template <class F>
bool AttendFenetre(F&& condition, std::chrono::seconds limite = std::chrono::seconds(10)) {
    const auto fin = std::chrono::steady_clock::now() + limite;
    while (std::chrono::steady_clock::now() < fin) {
        QCoreApplication::processEvents();
        if (condition()) return true;
        QThread::msleep(2);
    }
    return condition();
}

// The milling window, without a parallel port, over a 20 mm square drawn as its own path.
struct FenetreCarre {
    DossierTemporaire dossier;
    FenetreEssai f;
    F_Fraisage* w;
    explicit FenetreCarre(const std::string& reglages)
        : f(dossier.Ecrit("Korvelin.ini", "[Korvelin]\r\n" + reglages + "\r\n")) {
        f.Montre(800, 600);
        const std::vector<PointTrace> carre{Pt(0, 0), Pt(20, 0), Pt(20, 20), Pt(0, 20), Pt(0, 0)};
        PoseDessin(f.Doc(), carre, dossier.Chemin("carre.plt"));
        Retouche(f.Doc(), [&](Dessin& d) { d.Trace_Decale.front().Points = carre; });
        const OuvreursPort aucun{[](int16_t) { return std::unique_ptr<Port>(); },
                                 [](int16_t) { return std::unique_ptr<Port>(); }};
        w = new F_Fraisage(f, aucun);
    }
};

TEST(FenetreFraisage, SimulationImposeeFichiersCourseEtArret) {
    FenetreCarre fc("MargeX=5\r\nMargeY=5");
    const DossierTemporaire& dossier = fc.dossier;
    FenetreEssai& f = fc.f;
    auto* w = fc.w;
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
    auto descend = [&](float dy) {
        Retouche(f.Doc(), [dy](Dessin& d) {
            for (PointTrace& p : d.Trace_Decale.front().Points) p.Y += dy;
        });
    };
    descend(-3.0f);
    w->TB_MargeY->setText("0");
    emit w->TB_MargeY->editingFinished();
    f.reponseQuestion = true;
    w->Btn_Gener_CUT->click();
    ASSERT_EQ(f.questions.size(), 1u);
    EXPECT_NE(f.questions[0].find("une marge en Y d'au moins 3 mm"), std::string::npos) << f.questions[0];
    EXPECT_EQ(w->TB_MargeY->text(), Q("3"));
    EXPECT_EQ(f.messages.size(), 1u) << "le fichier est écrit sans refus";
    descend(3.0f);
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
    QKeyEvent appui(QEvent::KeyPress, Qt::Key_8, Qt::KeypadModifier),
        relache(QEvent::KeyRelease, Qt::Key_8, Qt::KeypadModifier);
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

// The job's controls as the user clicks them: pause and resume, the emergency stop, unlock,
// a jog step, then "Reprendre à la ligne…" that finishes the job from its contour; then a
// close in the middle of a job, which holds and resets first.
TEST(OngletGrbl, PauseArretDeplacementRepriseEtFermetureEnCours) {
    FenetreCarre fc("RayonFraise=1\r\nNbPasse=2");
    FenetreEssai& f = fc.f;
    auto* w = fc.w;
    ASSERT_EQ(w->SSTab1->tabText(5), Q("GRBL"));
    OngletGrbl& o = *w->Onglet_Grbl;
    EXPECT_FALSE(o.Btn_Depart->isEnabled());
    BancGrbl carte({.dureeBloc = std::chrono::milliseconds(150)});  // reports catch the tool on its way
    o.Connecte(carte.Chemin());
    ASSERT_TRUE(AttendFenetre([&] { return o.Btn_Depart->isEnabled(); }));
    EXPECT_TRUE(o.L_Etat->text().startsWith(Q("GRBL 1.1h au repos"))) << o.L_Etat->text().toStdString();
    o.Btn_Depart->click();
    ASSERT_TRUE(AttendFenetre([&] { return carte.Etat() == "Run"; }));
    o.Btn_Pause->click();
    ASSERT_TRUE(AttendFenetre([&] { return carte.Etat() == "Hold"; }));
    const auto arret = carte.Position();
    QThread::msleep(200);
    EXPECT_EQ(carte.Position(), arret) << "la machine ne bouge plus pendant la pause";
    o.Btn_Reprise->click();
    ASSERT_TRUE(AttendFenetre([&] { return carte.Etat() == "Run" && carte.Position() != arret; }));

    o.Btn_ArretUrgence->click();
    ASSERT_TRUE(AttendFenetre([&] { return carte.Resets() == 1 && !o.TravailEnCours(); }));
    // Nothing of the job after the stop: the settings asked again, "$$", and no more.
    QThread::msleep(300);
    EXPECT_LE(carte.OctetsApresReset(), 3u) << "rien du travail n'est envoyé après l'arrêt d'urgence";
    EXPECT_EQ(carte.Etat(), "Alarm");
    const std::string arretee = carte.Executees().back();
    ASSERT_TRUE(AttendFenetre([&] { return o.Btn_Deverrouille->isEnabled(); }));
    o.Btn_Deverrouille->click();
    ASSERT_TRUE(AttendFenetre([&] { return carte.Etat() == "Idle" && o.Btn_Jog[1]->isEnabled(); }));
    const auto avant = carte.Position();
    o.Btn_Jog[1]->pressed();  // X+ clicked: one step of the chosen size
    o.Btn_Jog[1]->released();
    ASSERT_TRUE(AttendFenetre([&] { return carte.Position()[0] != avant[0] && carte.Etat() == "Idle"; }));
    EXPECT_NEAR(carte.Position()[0] - avant[0], 1.0, 1e-6);

    ASSERT_TRUE(
        AttendFenetre([&] { return o.Btn_Reprendre->isEnabled() && o.L_Etat->text().contains(Q("au repos")); }));
    RepondreModal<QInputDialog>([](QInputDialog& d) { d.accept(); });  // the line it proposes
    o.Btn_Reprendre->click();
    ASSERT_TRUE(AttendFenetre([&] { return !o.TravailEnCours() && carte.Executees().back() == "M2"; },
                              std::chrono::seconds(30)))
        << o.TE_Journal->toPlainText().toStdString() << " / " << carte.Executees().back() << " / "
        << (f.messages.empty() ? std::string() : f.messages.back().texte);
    EXPECT_NE(std::find(carte.Executees().begin(), carte.Executees().end(), arretee), carte.Executees().end());
    ASSERT_TRUE(AttendFenetre([&] { return o.L_Progression->text().contains(Q("reste 0 s")); }))
        << o.L_Progression->text().toStdString();
    EXPECT_GE(f.CheminSimule().size(), 2u);  // the tool's path over the drawing
    EXPECT_EQ(carte.Defaut(), "");

    ASSERT_TRUE(AttendFenetre([&] { return o.Btn_Depart->isEnabled(); }));
    o.Btn_Depart->click();
    ASSERT_TRUE(AttendFenetre([&] { return carte.Etat() == "Run"; }));
    f.reponseQuestion = true;
    w->close();
    ASSERT_FALSE(f.questions.empty());
    EXPECT_NE(f.questions.back().find("GRBL"), std::string::npos);
    ASSERT_TRUE(AttendFenetre([&] { return carte.Resets() == 2; }));
    EXPECT_EQ(carte.Etat(), "Idle");  // held to a stop first: no alarm, the position kept
    delete w;
}

}  // namespace
}  // namespace korvelin::test
