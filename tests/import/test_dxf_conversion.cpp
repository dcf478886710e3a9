#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>

#include "import/dxf.h"
#include "import/dxf_conversion.h"
#include "import/dxf_texte.h"
#include "support/valeurs_temporaires.h"
#include "document/importation.h"

namespace korvelin {
namespace {

using test::FichierDXF;
using test::PairesDXF;
using test::operator+;
using test::N;
using test::Paires;

// The traces made, in order; each segment must start where the one before ended.
std::vector<std::vector<PointTrace>> Traces(const std::vector<PointTrace>& points) {
    std::vector<std::vector<PointTrace>> t;
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (t.empty() || !(t.back().back().Sequence == points[i].Sequence)) {
            t.emplace_back();
        } else if (t.back().size() % 2 == 0) {
            EXPECT_NEAR(points[i].X, points[i - 1].X, 1e-5);
            EXPECT_NEAR(points[i].Y, points[i - 1].Y, 1e-5);
        }
        t.back().push_back(points[i]);
    }
    return t;
}

std::vector<std::vector<PointTrace>> Convertit(const PairesDXF& entites, const PairesDXF& blocs = {}) {
    const DocumentDXF doc = LireDXFTexte(FichierDXF(blocs, entites));
    TraceurDXF t(doc, "");
    t.ConvertitTout();
    return Traces(t.Points());
}

#define EXPECT_POINT(p, x, y)          \
    do {                               \
        EXPECT_NEAR((p).X, (x), 1e-4); \
        EXPECT_NEAR((p).Y, (y), 1e-4); \
    } while (0)

double C(double deg) { return std::cos(deg * Pi / 180); }
double S(double deg) { return std::sin(deg * Pi / 180); }

TEST(ConversionDXF, CordesDesArcsEtDesCercles) {
    EXPECT_EQ(NormaliseAngle(-10.0f), 350.0f);
    EXPECT_EQ(NormaliseAngle(720.0f), 360.0f);  // one correction only
    const DocumentDXF doc;
    TraceurDXF t(doc, "");
    t.TraceCercle(10, 20, 5);  // 361 chords, the last from 360 to 360 degrees
    ASSERT_EQ(t.Points().size(), 722u);
    EXPECT_POINT(t.Points()[180], 10, 25);
    EXPECT_POINT(t.Points()[720], 15, 20);
    t.TraceArc(0, 0, 10, 0, 90);
    EXPECT_EQ(t.Points().size(), 722u + 2 * 91);
    t.TraceArc(0, 0, 10, 10.2f, 10.7f);  // less than a degree: a single chord
    ASSERT_EQ(t.Points().size(), 722u + 2 * 92);
    EXPECT_POINT(t.Points()[904], 10 * C(10.2), 10 * S(10.2));
    EXPECT_POINT(t.Points()[905], 10 * C(10.7), 10 * S(10.7));
    t.TraceArc(0, 0, 10, 350, 10);  // through 0: 10 + 1 + 10 + 1 chords
    const auto traces = Traces(t.Points());
    ASSERT_EQ(traces.size(), 4u);
    ASSERT_EQ(traces[3].size(), 44u);
    EXPECT_POINT(traces[3][20], 10, 0);
    EXPECT_POINT(traces[3].back(), 10 * C(10), 10 * S(10));
    t.TraceArc(0, 0, 10, 1e30f, 3e9f);  // angles far outside a turn stay bounded
    EXPECT_LE(t.Points().size(), 722u + 2 * 114 + 2 * 722);
}

TEST(ConversionDXF, Ellipses) {
    const DocumentDXF doc;
    TraceurDXF t(doc, "");
    t.TraceEllipse(0, 0, 20, 0, 0.5f, 0.0f, static_cast<float>(2 * Pi), 32);  // 65 samples
    ASSERT_EQ(t.Points().size(), 128u);
    EXPECT_POINT(t.Points()[32], 0, 10);
    EXPECT_POINT(t.Points().back(), 20, 0);
    // Through parameter 0, ends at 1. The ends of turned and partial ellipses are compared
    // with an independent reader's on reference drawings.
    t.TraceEllipse(0, 0, 10, 0, 0.5f, 5.0f, 1.0f, 32);
    const auto traces = Traces(t.Points());
    ASSERT_EQ(traces.size(), 2u);
    EXPECT_EQ(traces[1].size(), 2u * 23);
    // Shorter than half a step: one chord; absurd parameters: bounded.
    TraceurDXF court(doc, "");
    court.TraceEllipse(0, 0, 10, 0, 0.5f, 0.0f, 0.01f, 32);
    EXPECT_EQ(court.Points().size(), 2u);
    court.TraceEllipse(0, 0, 10, 0, 0.0f, -1e30f, 1e30f, 32);
    EXPECT_LE(court.Points().size(), 2u + 2 * 330);
    // An ELLIPSE entity of 100 mm by 50: every chord within 0.002 mm of the true curve,
    // measured at its middle, where a chord strays most.
    const auto grande = Convertit(Paires("0 ELLIPSE 10 0 20 0 11 100 21 0 40 0.5 41 0 42 " + N(2 * Pi)));
    ASSERT_EQ(grande.size(), 1u);
    double pire = 0.0;
    for (std::size_t i = 1; i < grande[0].size(); ++i) {
        const double mx = (grande[0][i - 1].X + grande[0][i].X) / 2.0, my = (grande[0][i - 1].Y + grande[0][i].Y) / 2.0;
        const double angle = std::atan2(my / 50.0, mx / 100.0);
        pire = std::max(pire, std::hypot(mx - 100.0 * std::cos(angle), my - 50.0 * std::sin(angle)));
    }
    EXPECT_LE(pire, 0.0021);
    EXPECT_GT(pire, 0.0005);  // not drowned in points either
}

TEST(ConversionDXF, PolylignesQueLesProgrammesNEcriventPas) {
    // Touching lines, closed and open polylines are compared with an independent reader's
    // on reference drawings. A lone vertex draws nothing; a header without a point of its
    // own has its vertices; bit 128 does not close.
    const auto t = Convertit(test::Polyligne({{1, 1}}, true) + Paires("0 POLYLINE 70 128") +
                             Paires("0 VERTEX 10 20 20 0 0 VERTEX 10 30 20 0 0 VERTEX 10 30 20 5 0 SEQEND"));
    ASSERT_EQ(t.size(), 1u);
    ASSERT_EQ(t[0].size(), 4u);
    EXPECT_POINT(t[0][0], 20, 0);
    EXPECT_POINT(t[0][3], 30, 5);
}

// The lowest and leftmost points of a trace.
PointTrace Minimum(const std::vector<PointTrace>& t) {
    PointTrace m = t[0];
    for (const PointTrace& p : t) m.X = std::min(m.X, p.X), m.Y = std::min(m.Y, p.Y);
    return m;
}

TEST(ConversionDXF, Renflements) {
    const auto legere = [](const std::vector<std::array<double, 3>>& s, bool fermee) {
        PairesDXF p{{"0", "LWPOLYLINE"}, {"90", N(s.size())}, {"70", fermee ? "1" : "0"}};
        for (const auto& [x, y, b] : s) p = p + PairesDXF{{"10", N(x)}, {"20", N(y)}, {"42", N(b)}};
        return p;
    };
    const auto t = Convertit(legere({{0, 0, 1}, {20, 0, 0}}, false) + legere({{0, 0, -1}, {20, 0, 0}}, false) +
                             legere({{0, 0, 2}, {20, 0, 0}}, false) +
                             legere({{0, 0, 0}, {20, 0, 0}, {20, 10, 0}, {0, 10, 1}}, true));
    ASSERT_EQ(t.size(), 4u);
    // A bulge of 1 is half a circle counter-clockwise: 180 chords of one degree.
    ASSERT_EQ(t[0].size(), 360u);
    for (const PointTrace& p : t[0]) EXPECT_NEAR(std::hypot(p.X - 10, p.Y), 10, 1e-4);
    EXPECT_POINT(t[0][179], 10, -10);
    EXPECT_POINT(t[0].back(), 20, 0);
    EXPECT_POINT(t[1][179], 10, 10);  // clockwise
    // Above 1, more than half a circle: 4 atan 2 = 253.7 degrees about (10, -7.5).
    EXPECT_EQ(t[2].size(), 2u * 254);
    EXPECT_NEAR(Minimum(t[2]).Y, -20, 1e-3);
    EXPECT_POINT(t[2].back(), 20, 0);
    // The bulge of the last vertex rounds the closing segment.
    EXPECT_NEAR(Minimum(t[3]).X, -5, 1e-3);
    EXPECT_POINT(t[3].back(), 0, 0);
}

TEST(ConversionDXF, DirectionsDExtrusion) {
    const PairesDXF bas = Paires("210 0 220 0 230 -1");
    const auto t = Convertit(test::Arc(10, 0, 5, 0, 90) + bas + test::Cercle(10, 3, 1) + bas +
                                 Paires("0 LWPOLYLINE 10 1 20 0 10 2 20 0") + bas +
                                 Paires("0 ELLIPSE 10 0 20 0 11 10 21 0 40 0.5 41 0 42 " + N(Pi / 2)) + bas +
                                 test::Insertion("L", 5, 0) + bas +
                                 // Seen edge-on: the circle of the plane x = 3 is a segment.
                                 test::Cercle(0, 0, 5) + Paires("30 3 210 1 220 0 230 0"),
                             test::Bloc("L", test::Ligne(1, 0, 2, 0)));
    ASSERT_EQ(t.size(), 6u);
    // Mirrored in X, as the arbitrary axis rule makes (0, 0, -1).
    EXPECT_POINT(t[0].front(), -10, 5);
    EXPECT_POINT(t[0].back(), -15, 0);
    EXPECT_POINT(t[1][0], -9, 3);
    EXPECT_POINT(t[2][1], -2, 0);
    EXPECT_POINT(t[3].back(), 0, -5);  // the ellipse runs clockwise
    EXPECT_POINT(t[4][0], -6, 0);
    EXPECT_POINT(t[4][1], -7, 0);
    for (const PointTrace& p : t[5]) EXPECT_NEAR(p.X, 3, 1e-5);
    EXPECT_NEAR(Minimum(t[5]).Y, -5, 1e-3);
}

TEST(ConversionDXF, Insertions) {
    const PairesDXF blocs = Paires("0 BLOCK 2 B 10 10 20 10") + test::Ligne(10, 10, 12, 10) +
                            Paires("0 ENDBLK 0 BLOCK 2 N 10 1 20 0") + test::Insertion("B", 1, 0, 2, 2) +
                            Paires("0 ENDBLK");
    // Scaled, mirrored, turned and nested insertions are compared with an independent
    // reader's on reference drawings; here, base points, arrays, missing and looping blocks.
    auto t = Convertit(test::Insertion("AUTRE", 0, 0) + test::Insertion("B", 100, 0, 1, 1, 90) +
                           test::Insertion("N", 0, 50, 1, 1, 90) + test::Insertion("B", 0, -50, 1, 1, 90) +
                           Paires("70 2 71 2 44 5 45 7") + test::Insertion("B", 0, 0) + Paires("70 5 71 5 45 1"),
                       blocs);
    ASSERT_EQ(t.size(), 2u + 4 + 5);  // a missing block draws nothing
    // The base point lands on the insertion point, nested placements compose.
    EXPECT_POINT(t[0][0], 100, 0);
    EXPECT_POINT(t[0][1], 100, 2);
    EXPECT_POINT(t[1][0], 0, 50);
    EXPECT_POINT(t[1][1], 0, 54);
    // An array repeats along the turned axes, rows by columns; no spacing, no copies.
    const float attendus[4][2] = {{0, -50}, {0, -45}, {-7, -50}, {-7, -45}};
    for (int k = 0; k < 4; ++k) {
        EXPECT_POINT(t[2 + k][0], attendus[k][0], attendus[k][1]);
        EXPECT_POINT(t[2 + k][1], attendus[k][0], attendus[k][1] + 2);
    }
    EXPECT_POINT(t[10][0], 0, 4);

    // A block inserting itself, directly or not, and a chain deeper than the limit.
    PairesDXF chaine = test::Bloc("A", test::Ligne(0, 0, 1, 0) + test::Insertion("B", 1, 0)) +
                       test::Bloc("B", test::Insertion("A", 0, 1) + test::Insertion("B", 5, 5));
    for (int i = 0; i < 200; ++i)
        chaine = chaine + test::Bloc("N" + std::to_string(i),
                                     test::Ligne(0, 0, 1, 0) + test::Insertion("N" + std::to_string(i + 1), 0, 1));
    const DocumentDXF doc = LireDXFTexte(FichierDXF(chaine, test::Insertion("A", 0, 0) + test::Insertion("N0", 0, 0)));
    TraceurDXF tr(doc, "");
    tr.ConvertitTout();
    EXPECT_EQ(tr.NbBouclesBlocs(), 2u);
    EXPECT_EQ(tr.NbTropImbriques(), 1u);
    EXPECT_EQ(Traces(tr.Points()).size(), 1 + LimitesDXF{}.MaxImbrication);
}

// The farthest a chord strays from the circle of that centre and radius.
double EcartAuCercle(const std::vector<PointTrace>& t, double cx, double cy, double r) {
    double ecart = 0;
    for (std::size_t i = 0; i + 1 < t.size(); i += 2) {
        ecart = std::max(ecart, std::fabs(std::hypot(t[i].X - cx, t[i].Y - cy) - r));
        ecart = std::max(ecart, r - std::hypot((t[i].X + t[i + 1].X) / 2 - cx, (t[i].Y + t[i + 1].Y) / 2 - cy));
    }
    return ecart;
}

TEST(ConversionDXF, Splines) {
    // A full circle of radius 10: four rational quadratic spans.
    const double s = std::sqrt(0.5);
    PairesDXF cercle = Paires("0 SPLINE 71 2 40 0 40 0 40 0 40 1 40 1 40 2 40 2 40 3 40 3 40 4 40 4 40 4");
    const double coins[9][2] = {{1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}, {1, 0}};
    for (int i = 0; i < 9; ++i)
        cercle = cercle + PairesDXF{{"10", N(10 * coins[i][0])}, {"20", N(10 * coins[i][1])}, {"41", N(i % 2 ? s : 1)}};
    const PairesDXF lissage = Paires("0 SPLINE 11 0 21 0 11 10 21 10 11 10 21 10 11 20 21 0 11 30 21 10");
    const auto t =
        Convertit(cercle + test::Insertion("C", 0, 0, 100, 100) + lissage + lissage + Paires("12 0 22 1 13 1 23 0") +
                      // Knots that do not fit: uniform ones, which make a degree 1 curve its control polygon.
                      Paires("0 SPLINE 71 1 40 0 10 0 20 0 10 10 20 0 10 10 20 10"),
                  test::Bloc("C", cercle));
    ASSERT_EQ(t.size(), 5u);
    EXPECT_LE(EcartAuCercle(t[0], 0, 0, 10), 0.0101);
    EXPECT_POINT(t[0].front(), 10, 0);
    EXPECT_POINT(t[0].back(), 10, 0);
    EXPECT_LE(t[0].size(), 2u * 256);
    // Placed first, flattened after: the tolerance holds in the drawing's millimetres.
    EXPECT_LE(EcartAuCercle(t[1], 0, 0, 1000), 0.0101 + 1000 * 1e-7);
    // Through every fit point (the repeated one once), leaving along the tangent given.
    for (const auto& [x, y] : std::vector<std::pair<float, float>>{{0, 0}, {10, 10}, {20, 0}, {30, 10}}) {
        const auto passe = [&, x = x, y = y](const std::vector<PointTrace>& trace) {
            return std::any_of(trace.begin(), trace.end(), [&](const PointTrace& p) {
                return std::fabs(p.X - x) < 1e-4 && std::fabs(p.Y - y) < 1e-4;
            });
        };
        EXPECT_TRUE(passe(t[2]) && passe(t[3])) << x << " " << y;
    }
    EXPECT_LT(std::fabs(t[3][1].X - t[3][0].X), 0.05 * (t[3][1].Y - t[3][0].Y));
    // Without tangents, the one of the first three points: 1.5 (P1 - P0) - 0.5 (P2 - P1).
    EXPECT_NEAR(std::atan2(t[2][1].Y - t[2][0].Y, t[2][1].X - t[2][0].X), std::atan2(2, 1), 0.05);
    ASSERT_EQ(t[4].size(), 4u);
    EXPECT_POINT(t[4][1], 10, 0);
    EXPECT_POINT(t[4][3], 10, 10);
}

TEST(ConversionDXF, BornesDesPointsEtDesNombres) {
    PairesDXF blocs = test::Bloc("B0", test::Cercle(0, 0, 1));
    for (int n = 1; n <= 6; ++n) {
        PairesDXF corps;
        for (int k = 0; k < 10; ++k) corps = corps + test::Insertion("B" + std::to_string(n - 1), k, 0);
        blocs = blocs + test::Bloc("B" + std::to_string(n), corps);
    }
    const DocumentDXF doc = LireDXFTexte(FichierDXF(blocs, test::Insertion("B6", 0, 0)));
    TraceurDXF t(doc, "", LimitesDXF{100'000, 10'000'000, 128});
    t.ConvertitTout();
    EXPECT_TRUE(t.Depassement());
    EXPECT_LE(t.Points().size(), 100'000u);
    // Every copy of an array counts, even of an empty block.
    const DocumentDXF tableau = LireDXFTexte(
        FichierDXF(test::Bloc("VIDE", {}), test::Insertion("VIDE", 0, 0) + Paires("70 32767 71 32767 44 1 45 1")));
    TraceurDXF tt(tableau, "", LimitesDXF{100'000, 1000, 128});
    tt.ConvertitTout();
    EXPECT_TRUE(tt.Depassement());

    // Entities out of range leave no point and use no label.
    const auto traces = Convertit(test::Ligne(0, 0, 1e30, 0) + test::Cercle(0, 0, 3e38) +
                                      test::Insertion("B0", 0, 0, 1e30, 1e30) + test::Ligne(0, 0, 1, 1) +
                                      test::Arc(0, 0, 1, 1e99, 10) + Paires("0 SPLINE 10 0 20 0 10 1e30 20 0"),
                                  test::Bloc("B0", test::Arc(1, 1, 1, 0, 90)));
    ASSERT_EQ(traces.size(), 1u);
    EXPECT_EQ(traces[0][0].Sequence, Code2(U' ', U'A'));
}

struct ImportDXF : ::testing::Test, test::ValeursTemporaires {
    EtatImport etat;
    bool Importe(std::string_view texte) { return AcheveDXF(Cible(), etat, LitDXF(texte, "", etat.SequenceDXF), ui); }
    void SetUp() override {
        dessin.TypeFichier = "DXF";
        dessin.Trace_Initial = {{1, 2, PlumeBasse, PremiereSequence}, {3, 4, PlumeBasse, PremiereSequence}};
        dessin.NbPoints = 2;
        dessin.Xmax = 3;
    }
};

TEST_F(ImportDXF, OrigineRapportsEtEtiquettesSuivies) {
    ui.surDimension = [this](ModeleDimension&) {
        EXPECT_EQ(dessin.Xmin, 10);
        EXPECT_EQ(dessin.Ymax, 25);
        return Rapports{2, 0.5};
    };
    ASSERT_TRUE(Importe(FichierDXF({}, test::Ligne(10, 20, 30, 25))));
    EXPECT_EQ(ui.nbDimensions, 1);
    ASSERT_EQ(dessin.NbPoints, 2);
    EXPECT_POINT(dessin.Trace_Initial[1], 40, 2.5);
    EXPECT_EQ(etat.SequenceDXF, " A");
    // The next import goes on from " A".
    ui.surDimension = nullptr;
    ASSERT_TRUE(Importe(FichierDXF({}, test::Ligne(0, 0, 1, 0) + test::Ligne(5, 5, 6, 6))));
    EXPECT_EQ(dessin.Trace_Initial[0].Sequence, Code2(U' ', U'B'));
    EXPECT_EQ(etat.SequenceDXF, " C");
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ImportDXF, SansEntitePasDeDXFOuCoupe) {
    // Entities only in an unused block: nothing to draw, and the user is told.
    EXPECT_FALSE(Importe(FichierDXF(test::Bloc("B", test::Ligne(0, 0, 1, 1)), {{"0", "TEXT"}, {"10", "0"}})));
    EXPECT_EQ(dessin.NbPoints, 2);
    EXPECT_EQ(ui.nbDimensions, 0);
    test::AttendRefus(ui, "Fichier vide !");
    // A text file named .dxf is no drawing.
    ui.messages.clear();
    EXPECT_FALSE(Importe("Liste des pièces\r\n12 vis M3\r\n4 écrous\r\n"));
    test::AttendRefus(ui, "Fichier inexploitable !");
    EXPECT_NE(ui.messages[0].texte.find("pas un fichier DXF"), std::string::npos);
    // A file cut short is read up to the cut, with a warning that says where it stops.
    ui.messages.clear();
    const std::string entier = FichierDXF({}, test::Cercle(0, 0, 10) + test::Ligne(0, 0, 30, 0));
    const std::string coupe = entier.substr(0, entier.find("LINE") - 3);
    ASSERT_TRUE(Importe(coupe));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].icone, Icone::Exclamation);
    EXPECT_NE(ui.messages[0].texte.find("s'arrête à la ligne"), std::string::npos) << ui.messages[0].texte;
    float xmax = 0.0f;
    for (int32_t i = 0; i < dessin.NbPoints; ++i) xmax = std::max(xmax, dessin.Trace_Initial[i].X);
    EXPECT_NEAR(xmax, 20.0, 1e-3);  // the circle only
}

TEST_F(ImportDXF, RefusLaisseLeDessinEtSignale) {
    etat.SequenceDXF = " C";
    const DocumentDXF doc = LireDXFTexte(FichierDXF({}, test::Cercle(0, 0, 1) + test::Cercle(5, 0, 1)));
    EXPECT_FALSE(AcheveDXF(Cible(), etat, ConvertitDXF(doc, "", etat.SequenceDXF, LimitesDXF{1000, 1000, 10}), ui));
    ui.surDimension = test::Rapport(1e300, 1);
    EXPECT_FALSE(AcheveDXF(Cible(), etat, ConvertitDXF(doc, "", etat.SequenceDXF), ui));
    EXPECT_FALSE(ImporteDXF(Cible(), etat, dossier.Chemin("absent.dxf"), ui));
    EXPECT_FALSE(
        ImporteDXF(Cible(), etat, dossier.Ecrit("b.dxf", std::string("AutoCAD Binary DXF\r\n\x1a\0", 22)), ui));
    ASSERT_EQ(ui.messages.size(), 4u);
    for (const auto& m : ui.messages) {
        EXPECT_EQ(m.icone, Icone::Critique);
        EXPECT_EQ(m.titre, "Korvelin");
    }
    EXPECT_NE(ui.messages[2].texte.find("absent.dxf"), std::string::npos);
    EXPECT_NE(ui.messages[3].texte.find("binaire"), std::string::npos);
    EXPECT_EQ(dessin.NbPoints, 2);
    EXPECT_POINT(dessin.Trace_Initial[1], 3, 4);
    EXPECT_EQ(dessin.Xmax, 3);
    EXPECT_EQ(etat.SequenceDXF, " C");
    // Entities left out are reported, the rest is imported (the ratio the dialog closed
    // on was stored: another is typed).
    ui.surDimension = test::Rapport(1, 1);
    ASSERT_TRUE(Importe(FichierDXF({}, test::Ligne(0, 0, 1e20, 0) + test::Ligne(0, 0, 1, 1))));
    ASSERT_EQ(ui.messages.size(), 5u);
    EXPECT_EQ(ui.messages[4].icone, Icone::Exclamation);
    EXPECT_NE(ui.messages[4].texte.find("1 aux coordonnées hors limites"), std::string::npos);
}

}  // namespace
}  // namespace korvelin
