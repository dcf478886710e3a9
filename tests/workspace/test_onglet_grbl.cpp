// The "GRBL" tab of the milling window against the stand-in board: the window's job
// streamed to its end, then a close in the middle of a job that holds and resets first.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QInputDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QThread>

#include <algorithm>
#include <chrono>

#include "grbl/banc_grbl.h"
#include "outils_gui.h"
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
        PoseDessin(f.Ctx(), carre, dossier.Chemin("carre.plt"));
        f.Ctx().dessin.Trace_Decale.front().Points = carre;
        f.Ctx().dessin.Xmax = f.Ctx().dessin.Ymax = 20;
        const OuvreursPort aucun{[](int16_t) { return std::unique_ptr<Port>(); },
                                 [](int16_t) { return std::unique_ptr<Port>(); }};
        w = new F_Fraisage(f, aucun);
    }
};

TEST(OngletGrbl, TravailDeLaFenetreEnvoyePuisFermetureEnCours) {
    FenetreCarre fc("RayonFraise=1");
    FenetreEssai& f = fc.f;
    auto* w = fc.w;
    ASSERT_EQ(w->SSTab1->tabText(5), Q("GRBL"));
    OngletGrbl& o = *w->Onglet_Grbl;
    EXPECT_FALSE(o.Btn_Depart->isEnabled());
    {
        OptionsBanc lentement;
        lentement.dureeBloc = std::chrono::milliseconds(100);  // reports catch the tool on its way
        BancGrbl carte(lentement);
        o.Connecte(carte.Chemin());
        ASSERT_TRUE(AttendFenetre([&] { return o.Btn_Depart->isEnabled(); }));
        EXPECT_TRUE(o.L_Etat->text().startsWith(Q("GRBL 1.1h au repos"))) << o.L_Etat->text().toStdString();
        o.Btn_Depart->click();
        ASSERT_TRUE(AttendFenetre([&] { return !o.TravailEnCours() && o.Btn_Depart->isEnabled(); }));
        EXPECT_TRUE(o.L_Progression->text().contains(Q("reste 0 s"))) << o.L_Progression->text().toStdString();
        EXPECT_EQ(carte.Executees().back(), "M2");
        EXPECT_GE(f.CheminSimule().size(), 2u);  // the tool's path over the drawing
        EXPECT_EQ(carte.Defaut(), "");
        o.Deconnecte();
    }
    OptionsBanc lent;
    lent.dureeBloc = std::chrono::milliseconds(50);
    BancGrbl carte(lent);
    o.Connecte(carte.Chemin());
    ASSERT_TRUE(AttendFenetre([&] { return o.Btn_Depart->isEnabled(); }));
    o.Btn_Depart->click();
    ASSERT_TRUE(AttendFenetre([&] { return carte.Etat() == "Run"; }));
    f.reponseQuestion = true;
    w->close();
    ASSERT_FALSE(f.questions.empty());
    EXPECT_NE(f.questions.back().find("GRBL"), std::string::npos);
    ASSERT_TRUE(AttendFenetre([&] { return carte.Resets() == 1; }));
    EXPECT_EQ(carte.Etat(), "Idle");  // held to a stop first: no alarm, the position kept
    delete w;
}

// The job's controls as the user clicks them: pause and resume, the emergency stop, unlock,
// a jog step, then "Reprendre à la ligne…" that finishes the job from its contour.
TEST(OngletGrbl, PauseRepriseArretDeplacementEtReprise) {
    FenetreCarre fc("RayonFraise=1\r\nNbPasse=2");
    FenetreEssai& f = fc.f;
    auto* w = fc.w;
    OngletGrbl& o = *w->Onglet_Grbl;
    OptionsBanc lent;
    lent.dureeBloc = std::chrono::milliseconds(150);
    BancGrbl carte(lent);
    o.Connecte(carte.Chemin());
    ASSERT_TRUE(AttendFenetre([&] { return o.Btn_Depart->isEnabled(); }));
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

    ASSERT_TRUE(AttendFenetre([&] { return o.Btn_Reprendre->isEnabled() && o.L_Etat->text().contains(Q("au repos")); }));
    RepondreModal<QInputDialog>([](QInputDialog& d) { d.accept(); });  // the line it proposes
    o.Btn_Reprendre->click();
    ASSERT_TRUE(AttendFenetre([&] { return carte.Executees().back() == "M2"; }, std::chrono::seconds(30)))
        << o.TE_Journal->toPlainText().toStdString() << " / " << carte.Executees().back() << " / "
        << (f.messages.empty() ? std::string() : f.messages.back().texte);
    EXPECT_NE(std::find(carte.Executees().begin(), carte.Executees().end(), arretee), carte.Executees().end());
    EXPECT_EQ(carte.Defaut(), "");
    delete w;
}

}  // namespace
}  // namespace korvelin::test
