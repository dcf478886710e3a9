#include <gtest/gtest.h>

#include <cmath>

#include "import/dxf.h"
#include "import/dxf_conversion.h"
#include "import/dxf_texte.h"
#include "support/dossier_temporaire.h"
#include "support/ui_enregistreuse.h"

namespace korvelin {
namespace {

using test::FichierDXF;
using test::PairesDXF;
using test::operator+;

constexpr double Tol = 1e-4;

struct Trace {
    Code2 etiquette;
    std::vector<PointTrace> points;
};

// The traces made by the conversion, in order.
std::vector<Trace> Traces(const std::vector<PointTrace>& points) {
    std::vector<Trace> t;
    for (const PointTrace& p : points) {
        EXPECT_EQ(p.Plume, PlumeBasse);
        if (t.empty() || !(t.back().etiquette == p.Sequence)) t.push_back({p.Sequence, {}});
        t.back().points.push_back(p);
    }
    return t;
}

std::vector<Trace> Convertit(const std::string& texte, std::string_view depart = "") {
    const DocumentDXF doc = LireDXFTexte(texte);
    TraceurDXF t(doc, depart);
    t.ConvertitTout();
    EXPECT_FALSE(t.Depassement());
    return Traces(t.Points());
}

std::vector<Trace> ConvertitEntites(const PairesDXF& entites, const PairesDXF& blocs = {}) {
    return Convertit(FichierDXF(blocs, entites));
}

void ExpectPoint(const PointTrace& p, double x, double y, const char* quoi = "") {
    EXPECT_NEAR(p.X, x, Tol) << quoi;
    EXPECT_NEAR(p.Y, y, Tol) << quoi;
}

// Segments come in pairs of points; each segment starts where the one before ended.
void ExpectChaine(const Trace& t) {
    ASSERT_EQ(t.points.size() % 2, 0u);
    for (std::size_t i = 2; i < t.points.size(); i += 2) {
        EXPECT_NEAR(t.points[i].X, t.points[i - 1].X, 1e-5) << i;
        EXPECT_NEAR(t.points[i].Y, t.points[i - 1].Y, 1e-5) << i;
    }
}

TEST(ConversionDXF, OutilsAngulaires) {
    EXPECT_DOUBLE_EQ(Argument(0, 0), Pi / 2);
    EXPECT_DOUBLE_EQ(Argument(0, -1), 3 * Pi / 2);
    EXPECT_DOUBLE_EQ(Argument(-2, 0), Pi);
    EXPECT_NEAR(Argument(-1, -1), 5 * Pi / 4, 1e-12);
    EXPECT_NEAR(Argument(1, -1), 7 * Pi / 4, 1e-12);
    EXPECT_NEAR(RotationX(1, 0, Pi / 2), 0, 1e-12);
    EXPECT_NEAR(RotationY(1, 0, Pi / 2), 1, 1e-12);
    EXPECT_DOUBLE_EQ(Module(3, 4), 5);
    EXPECT_EQ(NormaliseAngle(370.0f), 10.0f);
    EXPECT_EQ(NormaliseAngle(-10.0f), 350.0f);
    EXPECT_EQ(NormaliseAngle(720.0f), 360.0f);  // one correction only
    EXPECT_EQ(NormaliseAngle(360.0f), 360.0f);
}

TEST(ConversionDXF, NombresDesSlots) {
    float v = 7.0f;
    EXPECT_TRUE(LitNombreDXF("12,5", v));
    EXPECT_EQ(v, 12.5f);
    EXPECT_TRUE(LitNombreDXF("-1,5E+2", v));
    EXPECT_EQ(v, -150.0f);
    EXPECT_TRUE(LitNombreDXF(",5", v));
    EXPECT_EQ(v, 0.5f);
    EXPECT_TRUE(LitNombreDXF("1E-400", v));
    EXPECT_EQ(v, 0.0f);
    EXPECT_TRUE(LitNombreDXF("1E400", v));
    EXPECT_TRUE(std::isinf(v));
    EXPECT_TRUE(LitNombreDXF("1E39", v));
    EXPECT_TRUE(std::isinf(v));
    for (const char* mauvais : {"", "-", "INF", "NAN", "1,2,3", "12 5", "1E", "0X10", "ABC"})
        EXPECT_FALSE(LitNombreDXF(mauvais, v)) << mauvais;
}

TEST(ConversionDXF, CercleEnTroisCentSoixanteEtUneCordes) {
    const DocumentDXF doc;
    TraceurDXF t(doc, "");
    t.TraceCercle(10, 20, 5);
    const auto traces = Traces(t.Points());
    ASSERT_EQ(traces.size(), 1u);
    ASSERT_EQ(traces[0].points.size(), 722u);
    ExpectChaine(traces[0]);
    ExpectPoint(traces[0].points[0], 15, 20);
    ExpectPoint(traces[0].points[180], 10, 25);  // chord 90 starts at 90 degrees
    // The last chord, from 360 to 360 degrees, has no length.
    ExpectPoint(traces[0].points[720], 15, 20);
    ExpectPoint(traces[0].points[721], 15, 20);
}

TEST(ConversionDXF, ArcsEtLeurDerniereCorde) {
    const DocumentDXF doc;
    {
        TraceurDXF t(doc, "");
        t.TraceArc(0, 0, 10, 0, 90);
        EXPECT_EQ(t.Points().size(), 2u * 91);
        ExpectPoint(t.Points().back(), 0, 10);
    }
    {
        // Less than a degree: one chord between the two angles.
        TraceurDXF t(doc, "");
        t.TraceArc(0, 0, 10, 10.2f, 10.7f);
        ASSERT_EQ(t.Points().size(), 2u);
        ExpectPoint(t.Points()[0], 10 * std::cos(10.2 * Pi / 180), 10 * std::sin(10.2 * Pi / 180));
        ExpectPoint(t.Points()[1], 10 * std::cos(10.7 * Pi / 180), 10 * std::sin(10.7 * Pi / 180));
    }
    {
        // Through 0 degrees: 350 to 360, a chord from 360 to 360, 0 to 10, a chord from 10 to 10.
        TraceurDXF t(doc, "");
        t.TraceArc(0, 0, 10, 350, 10);
        const auto traces = Traces(t.Points());
        ASSERT_EQ(traces.size(), 1u);
        ASSERT_EQ(traces[0].points.size(), 2u * 22);
        ExpectChaine(traces[0]);
        ExpectPoint(traces[0].points[0], 10 * std::cos(350 * Pi / 180), 10 * std::sin(350 * Pi / 180));
        ExpectPoint(traces[0].points[20], 10, 0);
        ExpectPoint(traces[0].points.back(), 10 * std::cos(10 * Pi / 180), 10 * std::sin(10 * Pi / 180));
        for (const PointTrace& p : traces[0].points) EXPECT_GT(p.X, 9.8);
    }
    {
        // Angles far outside a turn stay bounded.
        TraceurDXF t(doc, "");
        t.TraceArc(0, 0, 10, 1e30f, 3e9f);
        EXPECT_LE(t.Points().size(), 2u * 722);
        EXPECT_GT(t.Points().size(), 0u);
    }
}

TEST(ConversionDXF, Ellipses) {
    const DocumentDXF doc;
    {
        TraceurDXF t(doc, "");
        t.TraceEllipse(0, 0, 20, 0, 0.5f, 0.0f, static_cast<float>(2 * Pi), 32);
        ASSERT_EQ(t.Points().size(), 2u * 64);
        ExpectPoint(t.Points()[0], 20, 0);
        ExpectPoint(t.Points()[32], 0, 10);  // sample 16: a quarter turn
        ExpectPoint(t.Points().back(), 20, 0);
    }
    {
        // From 5 to 1 the ellipse passes parameter 0 (and 2π), and ends at parameter 1.
        TraceurDXF t(doc, "");
        t.TraceEllipse(0, 0, 10, 0, 0.5f, 5.0f, 1.0f, 32);
        const auto traces = Traces(t.Points());
        ASSERT_EQ(traces.size(), 1u);
        ExpectChaine(traces[0]);
        ExpectPoint(traces[0].points.front(), 10 * std::cos(5.0), 5 * std::sin(5.0));
        ExpectPoint(traces[0].points.back(), 10 * std::cos(1.0), 5 * std::sin(1.0));
        const std::size_t cordes = traces[0].points.size() / 2;
        EXPECT_EQ(cordes, static_cast<std::size_t>(std::lround((1.0 + 2 * Pi - 5.0) / (Pi / 32))));
        bool parZero = false;
        for (const PointTrace& p : traces[0].points) parZero |= p.X > 9.99f;
        EXPECT_TRUE(parZero);
    }
    {
        // Major axis end straight below the centre: parameter 0 is that end.
        TraceurDXF t(doc, "");
        t.TraceEllipse(50, 0, 0, -10, 0.6f, 0.0f, 1.0f, 32);
        ExpectPoint(t.Points().front(), 50, -10);
        ExpectPoint(t.Points().back(), 50 + 6 * std::sin(1.0), -10 * std::cos(1.0));
    }
    {
        // Shorter than half a step: one chord between its ends; no span at all: nothing.
        TraceurDXF t(doc, "");
        t.TraceEllipse(0, 0, 10, 0, 0.5f, 0.0f, 0.01f, 32);
        ASSERT_EQ(t.Points().size(), 2u);
        ExpectPoint(t.Points()[1], 10 * std::cos(0.01f), 5 * std::sin(0.01f));
        t.TraceEllipse(0, 0, 10, 0, 0.5f, 1.0f, 1.0f, 32);
        EXPECT_EQ(t.Points().size(), 2u);
    }
    {
        // Flat (ratio 0) and absurd parameters: a bounded number of chords, all finite.
        TraceurDXF t(doc, "");
        t.TraceEllipse(0, 0, 10, 0, 0.0f, -1e30f, 1e30f, 32);
        EXPECT_LE(t.Points().size(), 2u * 400);
        for (const PointTrace& p : t.Points()) EXPECT_NEAR(p.Y, 0, 1e-6);
    }
}

TEST(ConversionDXF, ChaqueEntiteUneTraceEtiquetteSuivante) {
    const auto traces = ConvertitEntites(test::Ligne(0, 0, 10, 0) + test::Ligne(10, 0, 10, 5) +
                                         test::Cercle(0, 0, 1) + test::Arc(0, 0, 2, 0, 45));
    ASSERT_EQ(traces.size(), 4u);
    EXPECT_EQ(traces[0].etiquette, Code2(U' ', U'A'));
    EXPECT_EQ(traces[1].etiquette, Code2(U' ', U'B'));
    EXPECT_EQ(traces[2].etiquette, Code2(U' ', U'C'));
    EXPECT_EQ(traces[3].etiquette, Code2(U' ', U'D'));
    ASSERT_EQ(traces[0].points.size(), 2u);
    ExpectPoint(traces[0].points[1], 10, 0);
    ExpectPoint(traces[1].points[0], 10, 0);
    // Labels go on from the last one given; past " Z" comes "AA".
    const auto suite = Convertit(FichierDXF({}, test::Ligne(0, 0, 1, 0) + test::Ligne(1, 0, 2, 0)), " Z");
    ASSERT_EQ(suite.size(), 2u);
    EXPECT_EQ(suite[0].etiquette, Code2(U'A', U'A'));
    EXPECT_EQ(suite[1].etiquette, Code2(U'A', U'B'));
}

TEST(ConversionDXF, Polylignes) {
    const std::vector<std::pair<double, double>> carre = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    auto traces = ConvertitEntites(test::Polyligne(carre, true) + test::Polyligne(carre, false));
    ASSERT_EQ(traces.size(), 2u);
    ASSERT_EQ(traces[0].points.size(), 8u);
    ExpectChaine(traces[0]);
    ExpectPoint(traces[0].points[7], 0, 0);
    ASSERT_EQ(traces[1].points.size(), 6u);
    ExpectPoint(traces[1].points[5], 0, 10);

    // One vertex or none: nothing; no slot 3: open; an unreadable X keeps the one before.
    traces = ConvertitEntites(test::Polyligne({{1, 1}}, true) + test::Polyligne({}, true) +
                              PairesDXF{{"0", "POLYLINE"}, {"10", "0"}, {"20", "0"}, {"0", "VERTEX"}, {"10", "1"},
                                        {"20", "1"}, {"0", "VERTEX"}, {"10", "5"}, {"20", "1"}, {"0", "VERTEX"},
                                        {"10", "?"}, {"20", "7"}, {"0", "SEQEND"}});
    ASSERT_EQ(traces.size(), 1u);
    ASSERT_EQ(traces[0].points.size(), 4u);
    ExpectPoint(traces[0].points[3], 5, 7);

    // A polyline that ends the section with its vertices.
    traces = ConvertitEntites(PairesDXF{{"0", "POLYLINE"}, {"10", "0"}, {"20", "0"}, {"30", "0"}, {"70", "1"},
                                        {"0", "VERTEX"}, {"10", "1"}, {"20", "1"}, {"0", "VERTEX"}, {"10", "2"},
                                        {"20", "1"}});
    ASSERT_EQ(traces.size(), 1u);
    EXPECT_EQ(traces[0].points.size(), 4u);
}

TEST(ConversionDXF, BlocsPlacesEchellesEtRotations) {
    const PairesDXF blocs = test::Bloc("P", test::Polyligne({{0, 0}, {2, 0}, {2, 1}}, true));
    // Scaled by 3 and 2, moved to (100, 50): the polyline closes on its first vertex as placed.
    auto traces = ConvertitEntites(test::Insertion("P", 100, 50, 3, 2), blocs);
    ASSERT_EQ(traces.size(), 1u);
    ASSERT_EQ(traces[0].points.size(), 6u);
    ExpectPoint(traces[0].points[0], 100, 50);
    ExpectPoint(traces[0].points[1], 106, 50);
    ExpectPoint(traces[0].points[3], 106, 52);
    ExpectPoint(traces[0].points[5], 100, 50);

    // Turned by 90 degrees about the block origin, then moved.
    traces = ConvertitEntites(test::Insertion("P", 10, 0, 1, 1, 90), blocs);
    ASSERT_EQ(traces.size(), 1u);
    ExpectPoint(traces[0].points[1], 10, 2);
    ExpectPoint(traces[0].points[3], 9, 2);

    // A block naming no block draws nothing; a block's own base point is not subtracted.
    traces = ConvertitEntites(test::Insertion("AUTRE", 0, 0), blocs);
    EXPECT_TRUE(traces.empty());
}

TEST(ConversionDXF, InsertionsEnMiroir) {
    const PairesDXF blocs = test::Bloc("A", test::Arc(10, 0, 5, 0, 90));
    // Mirrored left to right: the quarter turns from 90 to 180 degrees about (-10, 0).
    auto traces = ConvertitEntites(test::Insertion("A", 0, 0, -1, 1), blocs);
    ASSERT_EQ(traces.size(), 1u);
    ExpectPoint(traces[0].points.front(), -10, 5);
    ExpectPoint(traces[0].points.back(), -15, 0);
    for (const PointTrace& p : traces[0].points) EXPECT_GE(p.Y, -1e-4);
    // Mirrored top to bottom: from 270 to 360 about (10, 0).
    traces = ConvertitEntites(test::Insertion("A", 0, 0, 1, -1), blocs);
    ExpectPoint(traces[0].points.front(), 10, -5);
    ExpectPoint(traces[0].points.back(), 15, 0);
    for (const PointTrace& p : traces[0].points) EXPECT_LE(p.Y, 1e-4);
    // Both: a half turn, from 180 to 270 about (-10, 0).
    traces = ConvertitEntites(test::Insertion("A", 0, 0, -1, -1), blocs);
    ExpectPoint(traces[0].points.front(), -15, 0);
    ExpectPoint(traces[0].points.back(), -10, -5);

    // A mirrored ellipse keeps its curve: the quarter from parameter 0 to π/2 ends below.
    const PairesDXF ellipse = test::Bloc("E", PairesDXF{{"0", "ELLIPSE"}, {"10", "0"}, {"20", "0"}, {"11", "10"},
                                                       {"21", "0"}, {"40", "0.5"}, {"41", "0"}, {"42", "1.5707963"}});
    traces = ConvertitEntites(test::Insertion("E", 0, 0, 1, -1), ellipse);
    ExpectPoint(traces[0].points.front(), 10, 0);
    ExpectPoint(traces[0].points.back(), 0, -5);
}

TEST(ConversionDXF, BlocsImbriques) {
    // A block inside a block lands where the outer insert carries it.
    const PairesDXF blocs = test::Bloc("L", test::Ligne(0, 0, 1, 0)) +
                            test::Bloc("DEUX", test::Insertion("L", 10, 0) + test::Insertion("L", 0, 0, 1, 1, 90));
    auto traces = ConvertitEntites(test::Insertion("DEUX", 100, 100, 2, 2, 90), blocs);
    ASSERT_EQ(traces.size(), 2u);
    ExpectPoint(traces[0].points[0], 100, 120);
    ExpectPoint(traces[0].points[1], 100, 122);
    ExpectPoint(traces[1].points[0], 100, 100);
    ExpectPoint(traces[1].points[1], 98, 100);
    // Mirrored outside, turned inside: the inner turn runs the other way.
    traces = ConvertitEntites(test::Insertion("DEUX", 0, 0, -1, 1), blocs);
    ASSERT_EQ(traces.size(), 2u);
    ExpectPoint(traces[0].points[1], -11, 0);
    ExpectPoint(traces[1].points[1], 0, 1);
}

TEST(ConversionDXF, CotesDessineesParLeurBloc) {
    const PairesDXF blocs = test::Bloc("*D1", test::Ligne(0, 0, 0, 5) + test::Ligne(0, 5, 20, 5) +
                                                   PairesDXF{{"0", "MTEXT"}, {"10", "5"}, {"20", "6"}, {"1", "20"}});
    const PairesDXF cote = {{"0", "DIMENSION"}, {"2", "*D1"}, {"10", "30"}, {"20", "40"}, {"13", "0"}, {"23", "0"}};
    auto traces = ConvertitEntites(cote, blocs);
    ASSERT_EQ(traces.size(), 2u);
    ExpectPoint(traces[1].points[1], 20, 5);
}

TEST(ConversionDXF, BlocQuiSInsereLuiMeme) {
    const PairesDXF blocs = test::Bloc("A", test::Ligne(0, 0, 1, 0) + test::Insertion("B", 1, 0)) +
                            test::Bloc("B", test::Insertion("A", 0, 1) + test::Insertion("B", 5, 5));
    const DocumentDXF doc = LireDXFTexte(FichierDXF(blocs, test::Insertion("A", 0, 0)));
    TraceurDXF t(doc, "");
    t.ConvertitTout();
    EXPECT_FALSE(t.Depassement());
    EXPECT_EQ(Traces(t.Points()).size(), 1u);
    EXPECT_EQ(t.NbBouclesBlocs(), 2u);

    // A chain of nested blocks deeper than the limit stops there.
    PairesDXF chaine;
    for (int i = 0; i < 300; ++i)
        chaine = chaine + test::Bloc("N" + std::to_string(i),
                                     test::Ligne(0, 0, 1, 0) + test::Insertion("N" + std::to_string(i + 1), 0, 1));
    const DocumentDXF profond = LireDXFTexte(FichierDXF(chaine, test::Insertion("N0", 0, 0)));
    TraceurDXF tp(profond, "");
    tp.ConvertitTout();
    EXPECT_EQ(Traces(tp.Points()).size(), LimitesDXF{}.MaxImbrication);
    EXPECT_EQ(tp.NbTropImbriques(), 1u);
}

TEST(ConversionDXF, LimitesDePointsEtDEntites) {
    // Ten inserts of ten inserts of ... a circle: far more points than allowed.
    PairesDXF blocs = test::Bloc("B0", test::Cercle(0, 0, 1));
    for (int n = 1; n <= 6; ++n) {
        PairesDXF corps;
        for (int k = 0; k < 10; ++k) corps = corps + test::Insertion("B" + std::to_string(n - 1), k, 0);
        blocs = blocs + test::Bloc("B" + std::to_string(n), corps);
    }
    const DocumentDXF doc = LireDXFTexte(FichierDXF(blocs, test::Insertion("B6", 0, 0)));
    {
        TraceurDXF t(doc, "", LimitesDXF{100'000, 10'000'000, 128});
        t.ConvertitTout();
        EXPECT_TRUE(t.Depassement());
        EXPECT_LE(t.Points().size(), 100'000u);
    }
    {
        TraceurDXF t(doc, "", LimitesDXF{10'000'000, 1000, 128});
        t.ConvertitTout();
        EXPECT_TRUE(t.Depassement());
    }
}

TEST(ConversionDXF, CoordonneesHorsLimitesIgnorees) {
    const auto traces = ConvertitEntites(test::Ligne(0, 0, 1e30, 0) + test::Cercle(0, 0, 3e38) +
                                         test::Insertion("B", 0, 0, 1e30, 1e30) + test::Ligne(0, 0, 1, 1) +
                                         PairesDXF{{"0", "ARC"}, {"10", "0"}, {"20", "0"}, {"40", "1"},
                                                   {"50", "1E99"}, {"51", "10"}},
                                         test::Bloc("B", test::Arc(1, 1, 1, 0, 90)));
    // Only the sound line is drawn, and it takes the first label.
    ASSERT_EQ(traces.size(), 1u);
    EXPECT_EQ(traces[0].etiquette, Code2(U' ', U'A'));
    ExpectPoint(traces[0].points[1], 1, 1);
}

class ImportDXF : public ::testing::Test {
protected:
    test::DossierTemporaire dossier;
    test::UiEnregistreuse ui;
    Contexte ctx{&ui};

    void SetUp() override {
        ctx.CheminIni = dossier.Chemin("Korvelin.ini");
        ctx.dessin.TypeFichier = "DXF";
    }
    void DessinPrecedent() {
        ctx.dessin.Trace_Initial = {{1, 2, PlumeBasse, PremiereSequence}, {3, 4, PlumeBasse, PremiereSequence}};
        ctx.dessin.NbPoints = 2;
        ctx.dessin.Xmin = 1;
        ctx.dessin.Xmax = 3;
    }
};

TEST_F(ImportDXF, MiseALOrigineEtRapports) {
    ui.surDimension = [](Contexte& c) {
        EXPECT_DOUBLE_EQ(c.dessin.Xmin, 10);
        EXPECT_DOUBLE_EQ(c.dessin.Xmax, 30);
        EXPECT_DOUBLE_EQ(c.dessin.Ymin, 20);
        EXPECT_DOUBLE_EQ(c.dessin.Ymax, 25);
        c.parametres.RapportH = 2;
        c.parametres.RapportV = 0.5;
    };
    ASSERT_TRUE(LectureDXFTexte(ctx, FichierDXF({}, test::Ligne(10, 20, 30, 25))));
    EXPECT_EQ(ui.nbDimensions, 1);
    EXPECT_TRUE(ui.messages.empty());
    ASSERT_EQ(ctx.dessin.NbPoints, 2);
    ExpectPoint(ctx.dessin.Trace_Initial[0], 0, 0);
    ExpectPoint(ctx.dessin.Trace_Initial[1], 40, 2.5);
    EXPECT_EQ(ctx.SequenceDXF, " A");
}

TEST_F(ImportDXF, EtiquettesContinuentDUnImportALAutre) {
    const std::string un = FichierDXF({}, test::Ligne(0, 0, 1, 0) + test::Ligne(5, 5, 6, 6));
    ASSERT_TRUE(LectureDXFTexte(ctx, un));
    EXPECT_EQ(ctx.SequenceDXF, " B");
    ASSERT_TRUE(LectureDXFTexte(ctx, un));
    EXPECT_EQ(ctx.SequenceDXF, " D");
    EXPECT_EQ(ctx.dessin.Trace_Initial[0].Sequence, Code2(U' ', U'C'));
}

TEST_F(ImportDXF, SansEntiteLeDessinEstVide) {
    DessinPrecedent();
    ASSERT_TRUE(LectureDXFTexte(ctx, FichierDXF(test::Bloc("B", test::Ligne(0, 0, 1, 1)),
                                                PairesDXF{{"0", "TEXT"}, {"10", "0"}, {"20", "0"}})));
    EXPECT_EQ(ctx.dessin.NbPoints, 0);
    EXPECT_EQ(ctx.dessin.Trace_Initial.size(), 1u);
    EXPECT_EQ(ctx.dessin.NbSequencesDecalees(), 0u);
    EXPECT_EQ(ui.nbDimensions, 0);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(ctx.SequenceDXF, "");
}

TEST_F(ImportDXF, ImportRefuseLaisseLeDessin) {
    DessinPrecedent();
    ctx.SequenceDXF = " C";
    // More points than allowed.
    const DocumentDXF doc = LireDXFTexte(FichierDXF({}, test::Cercle(0, 0, 1) + test::Cercle(5, 0, 1)));
    EXPECT_FALSE(ConvertitDXF(ctx, doc, LimitesDXF{1000, 1000, 10}));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].icone, Icone::Critique);
    EXPECT_EQ(ui.messages[0].titre, "Korvelin");
    EXPECT_EQ(ui.nbDimensions, 0);
    // Ratios that take the drawing out of range.
    ui.surDimension = [](Contexte& c) { c.parametres.RapportH = 1e300; };
    EXPECT_FALSE(ConvertitDXF(ctx, doc));
    EXPECT_EQ(ui.messages.size(), 2u);
    for (Contexte* c : {&ctx}) {
        EXPECT_EQ(c->dessin.NbPoints, 2);
        ExpectPoint(c->dessin.Trace_Initial[1], 3, 4);
        EXPECT_DOUBLE_EQ(c->dessin.Xmax, 3);
        EXPECT_EQ(c->SequenceDXF, " C");
    }
    // A file that cannot be read, a binary DXF file.
    EXPECT_FALSE(LectureDXF(ctx, dossier.Chemin("absent.dxf")));
    ASSERT_EQ(ui.messages.size(), 3u);
    EXPECT_NE(ui.messages[2].texte.find("absent.dxf"), std::string::npos);
    const std::string binaire = dossier.Ecrit("b.dxf", std::string("AutoCAD Binary DXF\r\n\x1a\0\0\0SECTION", 31));
    EXPECT_FALSE(LectureDXF(ctx, binaire));
    ASSERT_EQ(ui.messages.size(), 4u);
    EXPECT_NE(ui.messages[3].texte.find("binaire"), std::string::npos);
    EXPECT_EQ(ctx.dessin.NbPoints, 2);
}

TEST_F(ImportDXF, EntitesIgnoreesSignalees) {
    ASSERT_TRUE(LectureDXFTexte(ctx, FichierDXF({}, test::Ligne(0, 0, 1e20, 0) + test::Ligne(0, 0, 1, 1))));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].icone, Icone::Exclamation);
    EXPECT_NE(ui.messages[0].texte.find("1 aux coordonnées hors limites"), std::string::npos);
    EXPECT_EQ(ctx.dessin.NbPoints, 2);
}

}  // namespace
}  // namespace korvelin
