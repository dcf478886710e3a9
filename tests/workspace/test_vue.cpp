// The drawing view, checked on the pixels of its picture.

#include <gtest/gtest.h>

#include <QAction>
#include <QFontMetricsF>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include "outils_gui.h"

namespace korvelin::test {
namespace {

const QColor Normal(100, 0, 0), Choisi(255, 0, 0), Bleu(0, 0, 255), Vert(0, 255, 0), Numero(200, 0, 200);
const std::vector<PointTrace> Carre = {Pt(0, 0), Pt(40, 0), Pt(40, 20), Pt(0, 20), Pt(0, 0)},
                              DeuxTraces = {Pt(0, 0), Pt(40, 0), Pt(40, 20, " B"), Pt(0, 20, " B")};

class Vue : public ::testing::Test {
protected:
    DossierTemporaire dossier;
    FenetreEssai f{dossier.Chemin("Korvelin.ini")};
    double ex = 40, ey = 20;  // the drawing spans [0, ex] × [0, ey]

    void SetUp() override {
        f.Lissage = false;  // exact colours
        f.Montre(900, 600);
        // The other colours are the defaults, and the tool is on the right.
        f.Doc().ModifieReglages([](Parametres& p) { p.CouleurNumero = Numero.red() + 65536 * Numero.blue(); });
        f.Bouton(6)->setChecked(false);
    }
    const QImage& Peint(const std::vector<PointTrace>& points) {
        PoseDessin(f.Doc(), points);  // repainted at once
        return Image();
    }
    const QImage& Image() { return f.PB1->Image(); }
    // The space the picture is fitted into.
    int W() { return f.Cadre->width() - f.VScroll1->width(); }
    int H() { return f.Cadre->height() - f.HScroll1->height(); }
    // Pixel of a drawing point, the picture showing a twentieth of the span around it.
    QPointF P(double x, double y, double z = 1) {
        const QSize t = f.PB1->size();
        return {(x + 0.05 * ex) * t.width() * z / (1.1 * ex), (1.05 * ey - y) * t.height() * z / (1.1 * ey)};
    }
};

TEST_F(Vue, LeCadrageEtLeDecalage) {
    // Points all in one place leave nothing to fit.
    const QImage& im = Peint({Pt(5, 5), Pt(5, 5), Pt(5, 5)});
    ASSERT_EQ(f.messages.size(), 1u);
    AttendMessage(f.messages[0], "Fichier vide !");
    EXPECT_EQ(Compte(im, Normal), 0);
    // Nothing loaded: nothing painted, nothing said.
    Retouche(f.Doc(), [](Dessin& d) { d.NomFichier.clear(); });
    EXPECT_EQ(f.messages.size(), 1u);

    Peint(Carre);
    // The window is relatively less wide than the drawing: the width is filled.
    ASSERT_GT(2.0, double(W()) / H());
    EXPECT_EQ(f.PB1->size(), QSize(W(), int(std::lround(W() / 2.0))));
    EXPECT_EQ(f.PB1->pos(), QPoint(0, 0));
    EXPECT_EQ(im.size(), f.PB1->size());
    for (const QPointF p : {P(0, 10), P(40, 10), P(20, 0), P(20, 20)}) EXPECT_TRUE(Pres(im, Normal, p));
    EXPECT_TRUE(MemeCouleur(im.pixel(P(20, 10).toPoint()), Qt::white));
    EXPECT_TRUE(MemeCouleur(im.pixel(P(-1, 10).toPoint()), Qt::white));
    EXPECT_EQ(Compte(im, Choisi), 0);
    // The offset path, with the tool on the right; never the spare entry, and no line where
    // the path is lifted (the tool cuts nothing there), but again after it.
    Retouche(f.Doc(), [](Dessin& d) {
        d.Trace_Decale[0].Points = {Pt(2, 2), Pt(38, 2), Pt(38, 18), Pt(2, 18)};
        d.Trace_Decale[0].Points[2].Plume = MarqueLevee;
        d.Trace_Decale.back().Points = {Pt(2, 10), Pt(38, 10)};
    });
    EXPECT_TRUE(Pres(im, Vert, P(20, 2)));
    EXPECT_FALSE(Pres(im, Vert, P(38, 10), 3));
    EXPECT_TRUE(Pres(im, Vert, P(20, 18)));
    EXPECT_FALSE(Pres(im, Vert, P(20, 10), 3));
    f.Doc().ModifieReglages([](Parametres& p) { p.DecalageOutil = 2; });
    f.Form_Resize();
    EXPECT_EQ(Compte(im, Vert), 0);

    ex = 10, ey = 30;
    Peint({Pt(0, 0), Pt(10, 0), Pt(10, 30), Pt(0, 30)});
    EXPECT_EQ(f.PB1->size(), QSize(int(std::lround(H() / 3.0)), H()));
    EXPECT_TRUE(Pres(im, Normal, P(10, 15)));

    // A drawing on one line is centred across it.
    Peint({Pt(0, 5), Pt(40, 5)});
    ASSERT_GT(im.height(), 2);
    EXPECT_GT(Compte(im, Normal, 0, im.height() / 2 - 1, im.width(), im.height() / 2 + 1), im.width() * 0.8);
    Peint({Pt(3, 0), Pt(3, 40)});
    EXPECT_GT(Compte(im, Normal, im.width() / 2 - 1, 0, im.width() / 2 + 1, im.height()), im.height() * 0.8);
    EXPECT_EQ(f.messages.size(), 1u);
}

TEST_F(Vue, LesDeplacementsSontPointillesEtLaSequenceChoisieEnSurbrillance) {
    // Trace A goes up the left side, trace B down the right side: the move from the top
    // of A to the top of B is a horizontal dotted line at Y = 20.
    f.SequenceADecaler = Code2::De(" B");
    const QImage& im = Peint({Pt(0, 0), Pt(0, 20), Pt(40, 20, " B"), Pt(40, 0, " B")});
    const int haut = int(P(0, 20).y()), bas = int(P(0, 0).y()), colA = int(P(0, 10).x());
    const int x0 = int(P(0, 20).x()) + 5, x1 = int(P(40, 0).x()) - 5;
    int colores = 0, pleins = 0;
    for (int x = x0; x <= x1; ++x) colores += Compte(im, Choisi, x, haut - 1, x, haut + 1) > 0;
    for (int y = haut + 3; y < bas - 3; ++y) pleins += Compte(im, Normal, colA - 1, y, colA + 1, y) > 0;
    EXPECT_GT(colores, 0.2 * (x1 - x0 + 1));
    EXPECT_LT(colores, 0.7 * (x1 - x0 + 1));
    // The move arrives at B, so it takes B's colour; A keeps the plain colour, solid.
    EXPECT_EQ(Compte(im, Normal, x0, haut - 1, x1, haut + 1), 0);
    EXPECT_EQ(pleins, bas - 3 - (haut + 3));
    EXPECT_TRUE(Pres(im, Normal, P(0, 10)));
    EXPECT_TRUE(Pres(im, Choisi, P(40, 10)));
}

TEST_F(Vue, LesLeviersDuZoom) {
    Peint(Carre);
    const QSize normale = f.PB1->size();
    // Above 1 the picture area itself grows; the scroll bars slide it.
    f.Zoom(2.0, true);
    EXPECT_EQ(f.PB1->width(), 2 * W());
    EXPECT_NEAR(f.PB1->height(), 2 * normale.height(), 1);
    f.VScroll1->setValue(120);
    f.HScroll1->setValue(-30);
    EXPECT_EQ(f.PB1->pos(), QPoint(30, -120));
    EXPECT_TRUE(Pres(Image(), Normal, P(40, 20)));

    // Below 1 the area keeps its size and the drawing takes its top-left part.
    f.Zoom(0.1, false);
    EXPECT_EQ(f.PB1->size(), normale);
    EXPECT_EQ(f.PB1->pos(), QPoint(30, -120));  // repainting does not move the picture
    const QImage& im = Image();
    EXPECT_TRUE(Pres(im, Normal, P(40, 10, 0.1)));
    EXPECT_EQ(Compte(im, Normal, int(normale.width() * 0.1) + 2, 0), 0);
    EXPECT_EQ(Compte(im, Normal, 0, int(normale.height() * 0.1) + 2), 0);

    // The toolbar's 1:1 leaves the picture where it is, the menu's brings it back.
    f.Zoom(1.0, false);
    EXPECT_EQ(f.PB1->pos(), QPoint(30, -120));
    f.Menu("mnu_Z1")->trigger();
    EXPECT_EQ(f.PB1->pos(), QPoint(0, 0));
    EXPECT_EQ(f.VScroll1->value(), 0);
}

TEST_F(Vue, LesBarresLaMoletteEtLeBoutonDuMilieu) {
    Peint(Carre);
    f.Zoom(2.0, true);
    // A click in the trough moves one window, an arrow a tenth of one, and at either end a
    // tenth of the window still shows the picture.
    EXPECT_EQ(f.HScroll1->pageStep(), W());
    EXPECT_EQ(f.HScroll1->singleStep(), W() / 10);
    EXPECT_EQ(f.VScroll1->pageStep(), H());
    EXPECT_EQ(f.HScroll1->maximum(), f.PB1->width() - W() / 10);
    EXPECT_EQ(f.VScroll1->minimum(), -(H() - H() / 10));
    f.HScroll1->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(f.PB1->x(), -W());

    auto molette = [&](QPoint c, int cran, Qt::KeyboardModifiers touches) {
        QWheelEvent w(QPointF(c), QPointF(f.Cadre->mapToGlobal(c)), {}, QPoint(0, cran), Qt::NoButton, touches,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(f.Cadre, &w);
    };
    const int v = f.VScroll1->value();
    molette({100, 100}, -120, Qt::NoModifier);
    EXPECT_EQ(f.VScroll1->value(), v + 3 * f.VScroll1->singleStep());

    // Ctrl+wheel goes one level down, the point under the pointer staying there.
    const QPoint c(300, 200);
    auto sous = [&] { return f.PB1->Repere().VersDessin(QPointF(c - f.PB1->pos())); };
    const QPointF avant = sous();
    molette(c, -120, Qt::ControlModifier);
    EXPECT_EQ(f.FacteurZoom, 1.0);
    EXPECT_NEAR(sous().x(), avant.x(), 1.5 / f.PB1->Repere().Sx);
    EXPECT_NEAR(sous().y(), avant.y(), 1.5 / f.PB1->Repere().Sy);
    molette(c, 120, Qt::ControlModifier);
    EXPECT_EQ(f.FacteurZoom, 2.0);
    molette(c, 120, Qt::ControlModifier);
    EXPECT_EQ(f.FacteurZoom, 2.0);  // no level above the menus' last

    // The middle button drags the picture with the hand, and is no click on the drawing.
    int clics = 0;
    QObject::connect(f.PB1, &ZoneDessin::SourisEnfoncee, [&] { ++clics; });
    const QPoint depart = f.PB1->pos();
    auto souris = [&](QEvent::Type t, QPoint ecran, Qt::MouseButtons boutons) {
        QMouseEvent m(t, QPointF(f.PB1->mapFromGlobal(ecran)), QPointF(ecran), Qt::MiddleButton, boutons,
                      Qt::NoModifier);
        QApplication::sendEvent(f.PB1, &m);
    };
    const QPoint g = f.PB1->mapToGlobal(QPoint(400, 300));
    souris(QEvent::MouseButtonPress, g, Qt::MiddleButton);
    souris(QEvent::MouseMove, g + QPoint(20, -10), Qt::MiddleButton);
    souris(QEvent::MouseMove, g + QPoint(30, -10), Qt::MiddleButton);
    souris(QEvent::MouseButtonRelease, g + QPoint(30, -10), Qt::NoButton);
    EXPECT_EQ(f.PB1->pos(), depart + QPoint(30, -10));
    EXPECT_EQ(clics, 0);
}

TEST_F(Vue, LesNumerosEtLesMarqueursDeSequence) {
    const QImage& im = Peint(DeuxTraces);
    EXPECT_EQ(Compte(im, Numero), 0);
    EXPECT_EQ(Compte(im, Bleu), 0);
    f.Bouton(2)->setChecked(true);  // repaints
    // Every point, the last one included, carries its number in a circle.
    for (const QPointF p : {P(0, 0), P(40, 0), P(40, 20), P(0, 20)}) EXPECT_GT(Autour(im, Numero, p, 20), 10);
    f.Bouton(2)->setChecked(false);
    f.Bouton(6)->setChecked(true);
    // A circle around each start point, and nothing blue elsewhere.
    const QPointF a = P(0, 0), b = P(40, 20);
    EXPECT_GT(Autour(im, Bleu, a, 25), 10);
    EXPECT_GT(Autour(im, Bleu, b, 25), 10);
    EXPECT_EQ(Autour(im, Bleu, P(20, 10), 40), 0);
    // Trace A runs to the right: its circle, as wide as the number's text, is white inside,
    // hiding the trace, and the arrow runs below it (right of the way), pointing right.
    const double r = QFontMetricsF(f.PB1->font(), &im).horizontalAdvance(QStringLiteral("1"));
    ASSERT_GT(r, 3);
    EXPECT_TRUE(MemeCouleur(im.pixel(int(a.x() + 0.75 * r), int(a.y())), Qt::white));
    EXPECT_TRUE(Pres(im, Bleu, a + QPointF(r, 0)));
    EXPECT_TRUE(Pres(im, Bleu, a + QPointF(1.5 * r, r)));
    EXPECT_FALSE(Pres(im, Bleu, a + QPointF(1.5 * r, -r)));
    // Trace B runs to the left: its arrow is above its circle.
    EXPECT_TRUE(Pres(im, Bleu, b + QPointF(-1.5 * r, -r)));
    EXPECT_FALSE(Pres(im, Bleu, b + QPointF(-1.5 * r, r)));
    // A trace without a label has no marker.
    Peint({Pt(0, 0, "  "), Pt(40, 0, "  "), Pt(40, 20, "  "), Pt(0, 20, "  ")});
    EXPECT_EQ(Compte(im, Bleu), 0);

    // A point that is not a number spoils neither the rest nor the numbers and markers.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    f.Bouton(2)->setChecked(true);
    Peint({Pt(0, 0), Pt(40, 0), Pt(40, 20), Pt(nan, nan, " B"), Pt(0, 20, " B"), Pt(0, 10, " B")});
    EXPECT_TRUE(Pres(im, Normal, P(20, 0)));
    EXPECT_TRUE(Pres(im, Normal, P(0, 15)));
}

TEST_F(Vue, LesMarquesPassageresDurentJusquAuProchainDessin) {
    ex = 100, ey = 50;
    const QImage avant = Peint({Pt(0, 0), Pt(100, 0), Pt(100, 50), Pt(0, 50), Pt(0, 0)});
    f.PB1->TraitInverse(0, 0, 100, 50);
    EXPECT_NE(Image(), avant);
    f.PB1->TraitInverse(0, 0, 100, 50);
    EXPECT_EQ(Image(), avant);
    // Scale width 110: a cross of half-size 2 drawing units.
    f.PB1->MarquePoint(50, 25, Choisi);
    const QPointF c = P(50, 25);
    const double d = 2 * f.PB1->Repere().Sx;
    EXPECT_TRUE(Pres(Image(), Choisi, c + QPointF(0, 1 - d)));
    EXPECT_TRUE(Pres(Image(), Choisi, c + QPointF(d - 1, 0)));
    EXPECT_FALSE(Pres(Image(), Choisi, c + QPointF(d + 3, 0)));
    f.Form_Resize();
    EXPECT_EQ(Image(), avant);
}

TEST(NumerosDesPoints, UnNumeroQuiChevaucheLeDernierDessineEstOmis) {
    Dessin d;
    d.Trace_Initial = {Pt(0, 0), Pt(1.5f, 0), Pt(3, 0), Pt(3.5f, 0), Pt(5.1f, 0), Pt(20, 0)};
    d.NbPoints = int32_t(d.Trace_Initial.size());
    const auto largeur = [](int64_t) { return 1.0; };
    // Against the last number drawn, not the previous point: 3 is 3 away from 0.
    EXPECT_EQ(PointsNumerotes(d, largeur), (std::vector<int32_t>{0, 2, 4, 5}));
    // The radius follows the width of the number's text.
    EXPECT_EQ(PointsNumerotes(d, [](int64_t n) { return n >= 3 ? 4.0 : 1.0; }), (std::vector<int32_t>{0, 4, 5}));
    d.NbPoints = 0;
    EXPECT_TRUE(PointsNumerotes(d, largeur).empty());
}

TEST(Repere, AllerRetourEtExtremes) {
    const RepereVue r = RepereDe(EtendueVue{10, 50, -5, 15}, QSize(440, 220), 0.5);
    const QPointF q = r.VersDessin(r.VersPixel(33.25, -1.5));
    EXPECT_NEAR(q.x(), 33.25, 1e-9);
    EXPECT_NEAR(q.y(), -1.5, 1e-9);
    EtendueVue e;
    Dessin d;
    d.Xmin = d.Xmax = d.Ymin = d.Ymax = 3;
    EXPECT_FALSE(EtendueDeVue(d, e));
    d.Xmax = 1e30;
    ASSERT_TRUE(EtendueDeVue(d, e));
    const QSize t = CadrePicture(e, 800, 600, 2.0);
    EXPECT_GE(t.height(), 1);
    EXPECT_LE(t.width(), 32767);
    d.Xmax = std::numeric_limits<double>::infinity();
    EXPECT_FALSE(EtendueDeVue(d, e));
}

}  // namespace
}  // namespace korvelin::test
