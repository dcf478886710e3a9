// The view draws no offset line where the path is lifted: the tool cuts nothing there.

#include <gtest/gtest.h>

#include "outils_gui.h"

namespace korvelin::test {
namespace {

TEST(VueLevee, RienSurLaLevee) {
    DossierTemporaire dossier;
    FenetreEssai f{dossier.Chemin("Korvelin.ini")};
    f.Lissage = false;
    f.Montre(900, 600);
    f.Bouton(6)->setChecked(false);
    PoseDessin(f.Doc(), {Pt(0, 0), Pt(40, 0), Pt(40, 20), Pt(0, 20), Pt(0, 0)});
    Retouche(f.Doc(), [](Dessin& d) {
        std::vector<PointTrace>& chemin = d.Trace_Decale[0].Points;
        chemin = {Pt(2, 2), Pt(38, 2), Pt(38, 18), Pt(2, 18)};
        chemin[2].Plume = MarqueLevee;
    });
    f.Form_Resize();
    const QImage& im = f.PB1->Image();
    // The drawing [0, 40] × [0, 20] fills the width with a twentieth of margin.
    const QSize t = f.PB1->size();
    auto P = [&](double x, double y) { return QPointF((x + 2) * t.width() / 44.0, (21 - y) * t.height() / 22.0); };
    const QColor vert(0, 255, 0);
    EXPECT_TRUE(Pres(im, vert, P(20, 2)));
    EXPECT_FALSE(Pres(im, vert, P(38, 10), 3));
    EXPECT_TRUE(Pres(im, vert, P(20, 18)));
}

}  // namespace
}  // namespace korvelin::test
