// The drawing view, checked on the pixels of its picture.

#include <gtest/gtest.h>

#include <QAction>
#include <QFontMetricsF>
#include <QScrollBar>

#include "outils_gui.h"

namespace korvelin::test {
namespace {

const QColor Normal(100, 0, 0), Choisi(255, 0, 0), Bleu(0, 0, 255), Vert(0, 255, 0),
    Numero(200, 0, 200);

class Vue : public ::testing::Test {
protected:
    DossierTemporaire dossier;
    FenetreEssai f{dossier.Chemin("Korvelin.ini")};

    void SetUp() override {
        f.Lissage = false;  // exact colours
        f.resize(900, 600);
        f.show();
        QApplication::processEvents();
        Parametres& p = f.Ctx().parametres;
        p.CouleurDeselectionne = 100;
        p.CouleurSelectionne = 255;
        p.CouleurSequence = 16711680;
        p.CouleurDecalage = 65280;
        p.CouleurNumero = 200 + 200 * 65536;
        p.DecalageOutil = 1;
        f.Bouton(6)->setChecked(false);
    }
    const QImage& Image() { return f.PB1->Image(); }
    // The space the picture is fitted into.
    int W() { return f.Cadre->width() - f.VScroll1->width(); }
    int H() { return f.Cadre->height() - f.HScroll1->height(); }
    // Pixel of a drawing point for a drawing spanning [x0, x0 + ex] × [y0, y0 + ey].
    QPointF Pixel(double x, double y, double x0, double ex, double y0, double ey, double z = 1) {
        const QSize t = f.PB1->size();
        return {(x - x0 + 0.05 * ex) * t.width() * z / (1.1 * ex),
                (y0 + ey + 0.05 * ey - y) * t.height() * z / (1.1 * ey)};
    }
};

TEST_F(Vue, UnCarreTombeOuLeCadrageLeDit) {
    PoseDessin(f.Ctx(), {Pt(0, 0), Pt(40, 0), Pt(40, 20), Pt(0, 20), Pt(0, 0)});
    f.Form_Resize();
    // Twice as wide as high, the window is relatively less wide: the width is filled.
    ASSERT_GT(2.0, double(W()) / H());
    EXPECT_EQ(f.PB1->width(), W());
    EXPECT_EQ(f.PB1->height(), int(std::lround(W() / 2.0)));
    EXPECT_EQ(f.PB1->pos(), QPoint(0, 0));
    const QImage& im = Image();
    EXPECT_EQ(im.size(), f.PB1->size());
    // The four sides, sampled in their middles, and the inside and outside left white.
    EXPECT_TRUE(Pres(im, Normal, Pixel(0, 10, 0, 40, 0, 20).x(), Pixel(0, 10, 0, 40, 0, 20).y()));
    EXPECT_TRUE(Pres(im, Normal, Pixel(40, 10, 0, 40, 0, 20).x(), Pixel(40, 10, 0, 40, 0, 20).y()));
    EXPECT_TRUE(Pres(im, Normal, Pixel(20, 0, 0, 40, 0, 20).x(), Pixel(20, 0, 0, 40, 0, 20).y()));
    EXPECT_TRUE(Pres(im, Normal, Pixel(20, 20, 0, 40, 0, 20).x(), Pixel(20, 20, 0, 40, 0, 20).y()));
    const QPointF milieu = Pixel(20, 10, 0, 40, 0, 20);
    EXPECT_TRUE(MemeCouleur(im.pixel(milieu.toPoint()), Qt::white));
    const QPointF dehors = Pixel(-1, 10, 0, 40, 0, 20);
    EXPECT_TRUE(MemeCouleur(im.pixel(dehors.toPoint()), Qt::white));
    EXPECT_EQ(Compte(im, Choisi, 0, 0, im.width(), im.height()), 0);
}

TEST_F(Vue, UnDessinRelativementPlusHautRemplitLaHauteur) {
    PoseDessin(f.Ctx(), {Pt(0, 0), Pt(10, 0), Pt(10, 30), Pt(0, 30)});
    f.Form_Resize();
    EXPECT_EQ(f.PB1->height(), H());
    EXPECT_EQ(f.PB1->width(), int(std::lround(H() / 3.0)));
    EXPECT_TRUE(Pres(Image(), Normal, Pixel(10, 15, 0, 10, 0, 30).x(), Pixel(10, 15, 0, 10, 0, 30).y()));
}

TEST_F(Vue, LesDeplacementsSontPointillesEtLaSequenceChoisieEnSurbrillance) {
    // Trace A goes up the left side, trace B down the right side: the move from the top
    // of A to the top of B is a horizontal dotted line at Y = 20.
    PoseDessin(f.Ctx(), {Pt(0, 0), Pt(0, 20), Pt(40, 20, " B"), Pt(40, 0, " B")});
    f.Ctx().dessin.SequenceADecaler = Code2::De(" B");
    f.Form_Resize();
    const QImage& im = Image();
    const QPointF haut = Pixel(0, 20, 0, 40, 0, 20), basDroit = Pixel(40, 0, 0, 40, 0, 20);
    const int ligne = int(std::floor(haut.y()));
    const int x0 = int(haut.x()) + 5, x1 = int(basDroit.x()) - 5;
    int colores = 0;
    for (int x = x0; x <= x1; ++x)
        if (Compte(im, Choisi, x, ligne - 1, x, ligne + 1) > 0) ++colores;
    const double part = double(colores) / (x1 - x0 + 1);
    EXPECT_GT(part, 0.2);
    EXPECT_LT(part, 0.7);
    // The move arrives at B, so it takes B's colour; A keeps the plain colour, solid.
    EXPECT_EQ(Compte(im, Normal, x0, ligne - 1, x1, ligne + 1), 0);
    const QPointF milieuA = Pixel(0, 10, 0, 40, 0, 20), milieuB = Pixel(40, 10, 0, 40, 0, 20);
    EXPECT_TRUE(Pres(im, Normal, milieuA.x(), milieuA.y()));
    EXPECT_TRUE(Pres(im, Choisi, milieuB.x(), milieuB.y()));
    int pleins = 0;
    const int colA = int(std::floor(milieuA.x()));
    for (int y = int(haut.y()) + 3; y < int(basDroit.y()) - 3; ++y)
        if (Compte(im, Normal, colA - 1, y, colA + 1, y) > 0) ++pleins;
    EXPECT_EQ(pleins, int(basDroit.y()) - 3 - (int(haut.y()) + 3));
}

TEST_F(Vue, LesLeviersDuZoom) {
    PoseDessin(f.Ctx(), {Pt(0, 0), Pt(40, 0), Pt(40, 20), Pt(0, 20), Pt(0, 0)});
    f.Form_Resize();
    const QSize normale = f.PB1->size();

    // Above 1 the picture area itself grows; the scroll bars slide it.
    f.Zoom(2.0, true);
    EXPECT_EQ(f.PB1->width(), 2 * W());
    EXPECT_NEAR(f.PB1->height(), 2 * normale.height(), 1);
    EXPECT_EQ(f.VScroll1->minimum(), -f.PB1->height());
    EXPECT_EQ(f.VScroll1->maximum(), f.PB1->height());
    EXPECT_EQ(f.HScroll1->maximum(), f.PB1->width());
    EXPECT_EQ(f.HScroll1->pageStep(), f.PB1->width() + f.PB1->width() / 10);
    f.VScroll1->setValue(120);
    f.HScroll1->setValue(-30);
    EXPECT_EQ(f.PB1->pos(), QPoint(30, -120));
    const QPointF coin = Pixel(40, 20, 0, 40, 0, 20);
    EXPECT_TRUE(Pres(Image(), Normal, coin.x(), coin.y()));

    // Below 1 the area keeps its size and the drawing takes its top-left part.
    f.Zoom(0.1, false);
    EXPECT_EQ(f.PB1->size(), normale);
    EXPECT_EQ(f.PB1->pos(), QPoint(30, -120));  // repainting does not move the picture
    const QImage& im = Image();
    const QPointF droit = Pixel(40, 10, 0, 40, 0, 20, 0.1);
    EXPECT_TRUE(Pres(im, Normal, droit.x(), droit.y()));
    EXPECT_EQ(Compte(im, Normal, int(normale.width() * 0.1) + 2, 0, im.width(), im.height()), 0);
    EXPECT_EQ(Compte(im, Normal, 0, int(normale.height() * 0.1) + 2, im.width(), im.height()), 0);

    // The toolbar's 1:1 leaves the picture where it is, the menu's brings it back.
    f.Zoom(1.0, false);
    EXPECT_EQ(f.PB1->pos(), QPoint(30, -120));
    EXPECT_EQ(f.PB1->size(), normale);
    f.Menu("mnu_Z1")->trigger();
    EXPECT_EQ(f.PB1->pos(), QPoint(0, 0));
    EXPECT_EQ(f.VScroll1->value(), 0);
}

TEST_F(Vue, LesMarqueursDeSequence) {
    PoseDessin(f.Ctx(), {Pt(0, 0), Pt(40, 0), Pt(40, 20, " B"), Pt(0, 20, " B")});
    f.Form_Resize();
    const QImage sans = Image();
    EXPECT_EQ(Compte(sans, Bleu, 0, 0, sans.width(), sans.height()), 0);

    f.Bouton(6)->setChecked(true);  // repaints
    const QImage& im = Image();
    Capture(im, "marqueurs");
    const QPointF a = Pixel(0, 0, 0, 40, 0, 20);
    const QPointF b = Pixel(40, 20, 0, 40, 0, 20);
    // A circle around each start point, and nothing blue elsewhere.
    EXPECT_GT(Compte(im, Bleu, int(a.x()) - 25, int(a.y()) - 25, int(a.x()) + 25, int(a.y()) + 25), 10);
    EXPECT_GT(Compte(im, Bleu, int(b.x()) - 25, int(b.y()) - 25, int(b.x()) + 25, int(b.y()) + 25), 10);
    const QPointF milieu = Pixel(20, 10, 0, 40, 0, 20);
    EXPECT_EQ(Compte(im, Bleu, int(milieu.x()) - 40, int(milieu.y()) - 40, int(milieu.x()) + 40,
                     int(milieu.y()) + 40), 0);

    // Trace A runs to the right: its circle is white inside, hiding the trace, and the arrow
    // runs below it (right of the direction of travel), pointing right.
    // The circle's radius is the width of the number's text.
    const double r = QFontMetricsF(f.PB1->font(), &im).horizontalAdvance(QStringLiteral("1"));
    ASSERT_GT(r, 3);
    EXPECT_TRUE(MemeCouleur(im.pixel(int(a.x() + 0.75 * r), int(a.y())), Qt::white));
    EXPECT_TRUE(Pres(im, Bleu, a.x() + r, a.y()));
    EXPECT_TRUE(Pres(im, Bleu, a.x() + 1.5 * r, a.y() + r, 1));
    EXPECT_FALSE(Pres(im, Bleu, a.x() + 1.5 * r, a.y() - r, 1));
    // Trace B runs to the left: its arrow is above its circle.
    EXPECT_TRUE(Pres(im, Bleu, b.x() - 1.5 * r, b.y() - r, 1));
    EXPECT_FALSE(Pres(im, Bleu, b.x() - 1.5 * r, b.y() + r, 1));
}

TEST_F(Vue, UneSequenceSansEtiquetteNAPasDeMarqueur) {
    PoseDessin(f.Ctx(), {Pt(0, 0, "  "), Pt(40, 0, "  "), Pt(40, 20, "  "), Pt(0, 20, "  ")});
    f.Bouton(6)->setChecked(true);
    f.Form_Resize();
    EXPECT_EQ(Compte(Image(), Bleu, 0, 0, Image().width(), Image().height()), 0);
}

TEST_F(Vue, LeDecalage) {
    PoseDessin(f.Ctx(), {Pt(0, 0), Pt(40, 0), Pt(40, 20), Pt(0, 20), Pt(0, 0)});
    Dessin& d = f.Ctx().dessin;
    d.Trace_Decale[0].Points = {Pt(2, 2), Pt(38, 2), Pt(38, 18)};
    // The spare entry is never drawn.
    d.Trace_Decale.back().Points = {Pt(2, 10), Pt(38, 10)};
    f.Form_Resize();
    const QImage& im = Image();
    const QPointF bas = Pixel(20, 2, 0, 40, 0, 20), droite = Pixel(38, 10, 0, 40, 0, 20);
    EXPECT_TRUE(Pres(im, Vert, bas.x(), bas.y()));
    EXPECT_TRUE(Pres(im, Vert, droite.x(), droite.y()));
    const QPointF reserve = Pixel(20, 10, 0, 40, 0, 20);
    EXPECT_FALSE(Pres(im, Vert, reserve.x(), reserve.y(), 3));

    f.Ctx().parametres.DecalageOutil = 2;
    f.Form_Resize();
    EXPECT_EQ(Compte(Image(), Vert, 0, 0, Image().width(), Image().height()), 0);
}

TEST_F(Vue, LesNumerosDesPoints) {
    PoseDessin(f.Ctx(), {Pt(0, 0), Pt(40, 0), Pt(40, 20), Pt(0, 20)});
    f.Ctx().parametres.CouleurNumero = Numero.red() + 65536 * Numero.blue();
    f.Form_Resize();
    EXPECT_EQ(Compte(Image(), Numero, 0, 0, Image().width(), Image().height()), 0);
    f.Bouton(2)->setChecked(true);
    // Every point, the last one included, carries its number in a circle.
    for (const QPointF p : {Pixel(0, 0, 0, 40, 0, 20), Pixel(40, 0, 0, 40, 0, 20),
                            Pixel(40, 20, 0, 40, 0, 20), Pixel(0, 20, 0, 40, 0, 20)})
        EXPECT_GT(Compte(Image(), Numero, int(p.x()) - 20, int(p.y()) - 20, int(p.x()) + 20,
                         int(p.y()) + 20), 10);
}

TEST(NumerosDesPoints, UnNumeroQuiChevaucheLeDernierDessineEstOmis) {
    Dessin d;
    d.Trace_Initial = {Pt(0, 0), Pt(1.5f, 0), Pt(3, 0), Pt(3.5f, 0), Pt(5.1f, 0), Pt(20, 0)};
    d.NbPoints = int32_t(d.Trace_Initial.size());
    const auto largeur = [](int64_t) { return 1.0; };
    // Against the last number drawn, not the previous point: 3 is 3 away from 0.
    EXPECT_EQ(PointsNumerotes(d, largeur), (std::vector<int32_t>{0, 2, 4, 5}));
    // The radius follows the width of the number's text.
    const auto large = [](int64_t n) { return n >= 3 ? 4.0 : 1.0; };
    EXPECT_EQ(PointsNumerotes(d, large), (std::vector<int32_t>{0, 4, 5}));
    d.NbPoints = 0;
    EXPECT_TRUE(PointsNumerotes(d, largeur).empty());
}

TEST_F(Vue, DesPointsConfondusDisentFichierVide) {
    PoseDessin(f.Ctx(), {Pt(5, 5), Pt(5, 5), Pt(5, 5)});
    f.Form_Resize();
    ASSERT_EQ(f.messages.size(), 1u);
    EXPECT_EQ(f.messages[0].texte, "Fichier vide !");
    EXPECT_EQ(f.messages[0].titre, "Korvelin");
    EXPECT_EQ(f.messages[0].icone, Icone::Critique);
    EXPECT_EQ(Compte(Image(), Normal, 0, 0, Image().width(), Image().height()), 0);
    // Nothing loaded: nothing painted, nothing said.
    f.Ctx().dessin.NomFichier.clear();
    f.Form_Resize();
    EXPECT_EQ(f.messages.size(), 1u);
}

TEST_F(Vue, UnDessinSurUneSeuleLigneEstCentre) {
    PoseDessin(f.Ctx(), {Pt(0, 5), Pt(40, 5)});
    f.Form_Resize();
    const QImage& im = Image();
    ASSERT_GT(im.height(), 2);
    const int ligne = im.height() / 2;
    EXPECT_GT(Compte(im, Normal, 0, ligne - 1, im.width(), ligne + 1), im.width() * 0.8);
    EXPECT_TRUE(f.messages.empty());

    PoseDessin(f.Ctx(), {Pt(3, 0), Pt(3, 40)});
    f.Form_Resize();
    const QImage& v = Image();
    const int colonne = v.width() / 2;
    EXPECT_GT(Compte(v, Normal, colonne - 1, 0, colonne + 1, v.height()), v.height() * 0.8);
}

TEST_F(Vue, UnPointQuiNEstPasUnNombreNEmpechePasLeReste) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    PoseDessin(f.Ctx(), {Pt(0, 0), Pt(40, 0), Pt(40, 20), Pt(nan, nan, " B"), Pt(0, 20, " B"),
                         Pt(0, 10, " B")});
    f.Bouton(2)->setChecked(true);
    f.Bouton(6)->setChecked(true);
    f.Form_Resize();
    const QPointF bas = Pixel(20, 0, 0, 40, 0, 20), gauche = Pixel(0, 15, 0, 40, 0, 20);
    EXPECT_TRUE(Pres(Image(), Normal, bas.x(), bas.y()));
    EXPECT_TRUE(Pres(Image(), Normal, gauche.x(), gauche.y()));
}

TEST_F(Vue, LesMarquesPassageresDurentJusquAuProchainDessin) {
    PoseDessin(f.Ctx(), {Pt(0, 0), Pt(100, 0), Pt(100, 50), Pt(0, 50), Pt(0, 0)});
    f.Form_Resize();
    const QImage avant = Image();

    f.PB1->TraitInverse(0, 0, 100, 50);
    EXPECT_NE(Image(), avant);
    f.PB1->TraitInverse(0, 0, 100, 50);
    EXPECT_EQ(Image(), avant);

    // Scale width 110: a cross of half-size 2 drawing units.
    f.PB1->MarquePoint(50, 25, Choisi);
    const QPointF c = Pixel(50, 25, 0, 100, 0, 50);
    const double d = 2 * f.PB1->Repere().Sx;
    EXPECT_TRUE(Pres(Image(), Choisi, c.x(), c.y() - d + 1));
    EXPECT_TRUE(Pres(Image(), Choisi, c.x() + d - 1, c.y()));
    EXPECT_FALSE(Pres(Image(), Choisi, c.x() + d + 3, c.y()));
    f.Form_Resize();
    EXPECT_EQ(Image(), avant);
}

TEST(Repere, AllerEtRetour) {
    EtendueVue e{10, 50, -5, 15};
    const RepereVue r = RepereDe(e, QSize(440, 220), 0.5);
    EXPECT_DOUBLE_EQ(r.Largeur, 88.0);
    EXPECT_DOUBLE_EQ(r.Hauteur, 44.0);
    const QPointF p = r.VersPixel(10, 15);
    EXPECT_NEAR(p.x(), 10.0, 1e-9);  // the 2-unit margin at 5 pixels per unit
    EXPECT_NEAR(p.y(), 5.0, 1e-9);
    const QPointF q = r.VersDessin(r.VersPixel(33.25, -1.5));
    EXPECT_NEAR(q.x(), 33.25, 1e-9);
    EXPECT_NEAR(q.y(), -1.5, 1e-9);
}

TEST(Cadrage, ExtremesSansDivisionParZero) {
    EtendueVue e;
    Dessin d;
    d.Xmin = d.Xmax = 3;
    d.Ymin = d.Ymax = 3;
    EXPECT_FALSE(EtendueDeVue(d, e));
    d.Xmax = 1e30;
    ASSERT_TRUE(EtendueDeVue(d, e));
    const QSize t = CadrePicture(e, 800, 600, 2.0);
    EXPECT_GE(t.height(), 1);
    EXPECT_LE(t.width(), 32767);
    d.Xmax = std::numeric_limits<double>::infinity();
    EXPECT_FALSE(EtendueDeVue(d, e));
}

TEST(Couleurs, RougePlusVertFois256PlusBleuFois65536) {
    EXPECT_EQ(CouleurQt(16711680), QColor(0, 0, 255));
    EXPECT_EQ(CouleurQt(100), QColor(100, 0, 0));
    EXPECT_EQ(CouleurQt(65280), QColor(0, 255, 0));
    EXPECT_EQ(CouleurQt(1 + 2 * 256 + 3 * 65536), QColor(1, 2, 3));
}

}  // namespace
}  // namespace korvelin::test
