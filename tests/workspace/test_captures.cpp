// Pictures of the windows to look at by eye: run with KORVELIN_CAPTURES set to a folder.

#include <gtest/gtest.h>

#include <QPushButton>

#include <cmath>

#include "outils_gui.h"
#include "workspace/f_dimension.h"

namespace korvelin::test {
namespace {

void CaptureWidget(QWidget& w, const std::string& nom) {
    QApplication::processEvents();
    w.grab().save(QString(std::getenv("KORVELIN_CAPTURES")) + "/" + QString::fromStdString(nom) + ".png");
}

TEST(Captures, FenetrePrincipale) {
    if (const char* d = std::getenv("KORVELIN_CAPTURES"); !d || !*d) GTEST_SKIP();
    DossierTemporaire dossier;
    FenetreEssai f(dossier.Chemin("Korvelin.ini"));
    f.Montre(1100, 700);
    // A toothed wheel beside a square, the square highlighted.
    std::vector<PointTrace> plaque;
    for (int i = 0; i <= 96; ++i) {
        const double a = 2 * Pi * i / 96, r = (i / 4) % 2 ? 30 : 26;
        plaque.push_back(Pt(float(50 + r * std::cos(a)), float(40 + r * std::sin(a))));
    }
    for (auto [x, y] : {std::pair{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 0}})
        plaque.push_back(Pt(100 + 40 * x, 10 + 40 * y, " C"));
    PoseDessin(f.Ctx(), plaque, "/essai/plaque.plt");
    f.SequenceADecaler = Code2::De(" C");
    f.Bouton(2)->setChecked(true);
    CaptureWidget(f, "fenetre-dessin");

    // A plotter file opened as the user would, the rescaling dialog on screen.
    f.reponseOuvrir = dossier.Ecrit("piece.plt",
        "IN;PU0,0;PD3216,0;PD3216,1624;PD0,1624;PD0,0;PU800,400;PD2400,400;PD1600,1300;PD800,400;");
    RepondreModal<F_Dimension>([](F_Dimension& d) {
        CaptureWidget(d, "dimension-ouverture");
        d.Btn_OK->click();
    });
    f.mnu_Ouvrir_Click();
}

}  // namespace
}  // namespace korvelin::test
