// Pictures of the windows to look at by eye: run with KORVELIN_CAPTURES set to a folder.

#include <gtest/gtest.h>

#include <QAction>
#include <QPixmap>
#include <QScrollBar>

#include <cmath>

#include "model/listes.h"
#include "outils_gui.h"
#include "workspace/f_dimension.h"
#include <QPushButton>

namespace korvelin::test {
namespace {

bool CapturesDemandees() {
    const char* d = std::getenv("KORVELIN_CAPTURES");
    return d && *d;
}

void CaptureWidget(QWidget& w, const std::string& nom) {
    QApplication::processEvents();
    Capture(w.grab().toImage(), nom);
}

// A plate with a toothed wheel, a slot and a square, each with an offset path outside.
std::vector<PointTrace> Plaque() {
    std::vector<PointTrace> p;
    for (int i = 0; i <= 96; ++i) {
        const double a = 2 * Pi * i / 96;
        const double r = (i / 4) % 2 ? 30 : 26;
        p.push_back(Pt(float(50 + r * std::cos(a)), float(40 + r * std::sin(a)), " A"));
    }
    for (int i = 0; i <= 36; ++i) {
        const double a = 2 * Pi * i / 36;
        p.push_back(Pt(float(50 + 6 * std::cos(a)), float(40 + 6 * std::sin(a)), " B"));
    }
    for (auto [x, y] : {std::pair{100.f, 10.f}, {140.f, 10.f}, {140.f, 50.f}, {100.f, 50.f}, {100.f, 10.f}})
        p.push_back(Pt(x, y, " C"));
    return p;
}

TEST(Captures, FenetrePrincipale) {
    if (!CapturesDemandees()) GTEST_SKIP();
    DossierTemporaire dossier;
    FenetreEssai f(dossier.Chemin("Korvelin.ini"));
    f.resize(1100, 700);
    f.show();
    QApplication::processEvents();
    CaptureWidget(f, "fenetre-vide");

    PoseDessin(f.Ctx(), Plaque(), "/essai/plaque.plt");
    Dessin& d = f.Ctx().dessin;
    for (std::size_t s = 0; s + 1 < d.Trace_Decale.size(); ++s) {
        SequenceDecalee& e = d.Trace_Decale[s];
        e.Points.clear();
        int32_t i = PremierPointSequence(d, e.Sequence);
        double cx = 0, cy = 0;
        const int32_t n = NbPointsSequence(d, i);
        for (int32_t k = i; k < i + n; ++k) cx += d.Trace_Initial[k].X, cy += d.Trace_Initial[k].Y;
        cx /= n, cy /= n;
        for (int32_t k = i; k < i + n; ++k) {
            PointTrace q = d.Trace_Initial[k];
            const double dx = q.X - cx, dy = q.Y - cy, l = std::hypot(dx, dy);
            q.X = float(q.X + 3 * dx / l);
            q.Y = float(q.Y + 3 * dy / l);
            e.Points.push_back(q);
        }
    }
    f.setWindowTitle("plaque.plt");
    f.Ctx().dessin.SequenceADecaler = Code2::De(" C");
    f.Form_Resize();
    CaptureWidget(f, "fenetre-dessin");
    f.Bouton(2)->setChecked(true);
    CaptureWidget(f, "fenetre-numeros");
    f.Bouton(2)->setChecked(false);
    f.Zoom(2.0, true);
    f.VScroll1->setValue(200);
    f.HScroll1->setValue(300);
    CaptureWidget(f, "fenetre-zoom2");
    f.Zoom(0.5, false);
    CaptureWidget(f, "fenetre-zoom05");

    // A plotter file opened as the user would, the rescaling dialog on screen.
    f.reponseOuvrir = dossier.Ecrit("piece.plt",
        "IN;PU0,0;PD3216,0;PD3216,1624;PD0,1624;PD0,0;PU800,400;PD2400,400;PD1600,1300;PD800,400;");
    RepondreModal<F_Dimension>([](F_Dimension& d) {
        CaptureWidget(d, "dimension-ouverture");
        d.Btn_OK->click();
    });
    f.Menu("mnu_Z1")->trigger();
    f.mnu_Ouvrir_Click();
    CaptureWidget(f, "fenetre-ouverte");
}

}  // namespace
}  // namespace korvelin::test
