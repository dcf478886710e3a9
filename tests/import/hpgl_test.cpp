#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "import/hpgl.h"
#include "support/dossier_temporaire.h"
#include "support/ui_enregistreuse.h"

namespace korvelin {
namespace {

using test::DossierTemporaire;
using test::UiEnregistreuse;

struct Xy {
    float x, y;
};

std::vector<Xy> Coordonnees(const std::vector<PointTrace>& points, std::size_t n) {
    std::vector<Xy> r;
    for (std::size_t i = 0; i < n; ++i) r.push_back({points[i].X, points[i].Y});
    return r;
}

void AttendPoints(const Dessin& d, const std::vector<Xy>& attendus) {
    ASSERT_EQ(d.NbPoints, static_cast<int32_t>(attendus.size()));
    for (std::size_t i = 0; i < attendus.size(); ++i) {
        EXPECT_FLOAT_EQ(d.Trace_Initial[i].X, attendus[i].x) << "point " << i;
        EXPECT_FLOAT_EQ(d.Trace_Initial[i].Y, attendus[i].y) << "point " << i;
        EXPECT_EQ(d.Trace_Initial[i].Plume, PlumeBasse) << "point " << i;
    }
}

// The import up to the labelling, in file units (ratio 1 for "HPGL" without settings).
struct Import {
    UiEnregistreuse ui;
    Contexte ctx{&ui};
    explicit Import(std::string type = "HPGL") { ctx.dessin.TypeFichier = std::move(type); }
    bool Lit(std::string_view texte) { return PrepareDessinHPGL(ctx, texte); }
    const Dessin& d() const { return ctx.dessin; }
};

std::string ReferenceRemplace(std::string t, const std::string& a, const std::string& b) {
    for (std::size_t pos = 0; (pos = t.find(a, pos)) != std::string::npos; pos += b.size())
        t.replace(pos, a.size(), b);
    return t;
}

TEST(LectureHPGL, PenUpThenDownMakesOneTraceWithoutTheMoves) {
    const auto brut = AnalyseTexteHPGL("PU0,0;PD100,0;PD100,100;PU0,0;").Points;
    ASSERT_EQ(brut.size(), 5u);  // the pen-up point is followed by its pen-down copy
    EXPECT_EQ(brut[0].Plume, PlumeHaute);
    EXPECT_EQ(brut[1].Plume, PlumeBasse);
    EXPECT_EQ(brut[4].Plume, PlumeHaute);

    Import im;
    ASSERT_TRUE(im.Lit("PU0,0;PD100,0;PD100,100;PU0,0;"));
    AttendPoints(im.d(), {{0, 0}, {100, 0}, {100, 100}});
    for (int i = 0; i < 3; ++i) EXPECT_EQ(im.d().Trace_Initial[i].Sequence, PremiereSequence);
}

TEST(LectureHPGL, PenDownOnThePenUpPositionIsNotDoubled) {
    Import im;
    ASSERT_TRUE(im.Lit("PU10,10;PD10,10;PD20,10;PU0,0;"));
    AttendPoints(im.d(), {{10, 10}, {20, 10}});
}

TEST(LectureHPGL, CoordinatesOfOnePenCommand) {
    // Only the first pair of a command counts.
    auto p = AnalyseTexteHPGL("PD10,20,30,40;").Points;
    ASSERT_EQ(p.size(), 1u);
    EXPECT_FLOAT_EQ(p[0].X, 10);
    EXPECT_FLOAT_EQ(p[0].Y, 20);
    // A blank after the letters is the separator: X is empty, Y the first number.
    p = AnalyseTexteHPGL("PD 10,20;").Points;
    ASSERT_EQ(p.size(), 1u);
    EXPECT_FLOAT_EQ(p[0].X, 0);
    EXPECT_FLOAT_EQ(p[0].Y, 10);
    // No separator: no point.
    EXPECT_TRUE(AnalyseTexteHPGL("PD;PU;PD100;").Points.empty());
    // Lower-case commands are pen commands too; unknown ones are skipped.
    p = AnalyseTexteHPGL("IN;SP1;pu10,10;pd20,20;LBtexte;").Points;
    ASSERT_EQ(p.size(), 3u);
    EXPECT_EQ(p[0].Plume, PlumeHaute);
    EXPECT_EQ(p[2].Plume, PlumeBasse);
}

TEST(LectureHPGL, SecondPointAtTheOriginIsOverwritten) {
    const auto p = AnalyseTexteHPGL("PU5,5;PU0,0;PU7,7;").Points;
    const auto c = Coordonnees(p, p.size());
    ASSERT_EQ(c.size(), 2u);
    EXPECT_FLOAT_EQ(c[1].x, 7);
}

TEST(LectureHPGL, CircleReplacesItsCentre) {
    const auto p = AnalyseTexteHPGL("PU50,50;CI10;").Points;
    ASSERT_EQ(p.size(), 361u);
    for (const PointTrace& q : p) {
        EXPECT_EQ(q.Plume, PlumeBasse);
        EXPECT_NEAR(std::hypot(q.X - 50.0, q.Y - 50.0), 10.0, 1e-4);
    }
    EXPECT_FLOAT_EQ(p.front().X, 60);
    EXPECT_FLOAT_EQ(p.front().Y, 50);
    EXPECT_NEAR(p.back().X, 60, 1e-4);
    EXPECT_NEAR(p.back().Y, 50, 1e-4);
    EXPECT_TRUE(AnalyseTexteHPGL("PU50,50;CI0;").Points.size() == 1u);
}

TEST(LectureHPGL, ArcsTurnBothWaysByDegrees) {
    auto p = AnalyseTexteHPGL("PU10,0;PD10,0;AA0,0,90;").Points;
    ASSERT_GE(p.size(), 2u + 89u);
    ASSERT_LE(p.size(), 2u + 91u);
    EXPECT_FLOAT_EQ(p[2].X, 10);  // the first arc point lies on the current point
    EXPECT_NEAR(p[3].Y, 10 * std::sin(Pi / 180), 1e-4);
    EXPECT_NEAR(p.back().X, 0, 0.2);
    EXPECT_NEAR(p.back().Y, 10, 0.01);

    p = AnalyseTexteHPGL("PU10,0;PD10,0;AA0,0,-90;").Points;
    EXPECT_LT(p[3].Y, 0);
    EXPECT_NEAR(p.back().Y, -10, 0.01);

    // Without separator the previous centre and sweep are used again.
    p = AnalyseTexteHPGL("PU10,0;PD10,0;AA0,0,90;AA;").Points;
    EXPECT_NEAR(p.back().X, -10, 0.2);
}

TEST(LectureHPGL, TheSixRewritesInTheirOrder) {
    EXPECT_EQ(RemplacementsHPGL("PUPDPA1,2;"), "PD1,2;");
    EXPECT_EQ(RemplacementsHPGL("PDPA1,2;"), ";PD1,2;");
    EXPECT_EQ(RemplacementsHPGL("PUPA1,2;"), ";PU1,2;");
    EXPECT_EQ(RemplacementsHPGL("PA1,2;"), ";PD1,2;");
    EXPECT_EQ(RemplacementsHPGL("PDAA1,2,3;PDCI4;"), ";AA1,2,3;;CI4;");
    // A rewrite can make the pattern of a later one.
    EXPECT_EQ(RemplacementsHPGL("PUPDPAPA5,5;"), ";PD5,5;");
    EXPECT_EQ(RemplacementsHPGL("pa1,2;"), "pa1,2;");

    // Against a plain find-and-replace on random command soup.
    std::mt19937 alea(7);
    const std::string lettres = "PUDACI;,0";
    for (int essai = 0; essai < 2000; ++essai) {
        std::string t;
        const int n = alea() % 40;
        for (int k = 0; k < n; ++k) t += lettres[alea() % lettres.size()];
        std::string r = ReferenceRemplace(t, "PUPDPA", "PD");
        r = ReferenceRemplace(r, "PDPA", ";PD");
        r = ReferenceRemplace(r, "PUPA", ";PU");
        r = ReferenceRemplace(r, "PA", ";PD");
        r = ReferenceRemplace(r, "PDAA", ";AA");
        r = ReferenceRemplace(r, "PDCI", ";CI");
        ASSERT_EQ(RemplacementsHPGL(t), r) << t;
    }
}

TEST(LectureHPGL, PaAfterAClosedPenUpIsAPenDownMove) {
    Import im;
    ASSERT_TRUE(im.Lit("PU0,0;PA10,0;PA10,10;"));
    AttendPoints(im.d(), {{0, 0}, {10, 0}, {10, 10}});
}

TEST(LectureHPGL, LineEndsAfterTheSemicolon) {
    // One CR then one LF are skipped; a second CR starts the next token.
    const auto p = AnalyseTexteHPGL("PU0,0;\r\nPD10,0;\nPD10,10;\r\r\nPD0,0;PD5,5").Points;
    ASSERT_EQ(p.size(), 4u);
    EXPECT_FLOAT_EQ(p.back().Y, 10);
}

TEST(LectureHPGL, FinalPointIsKept) {
    Import im;
    ASSERT_TRUE(im.Lit("PU0,0;PD10,0;PD10,10;"));
    AttendPoints(im.d(), {{0, 0}, {10, 0}, {10, 10}});
}

TEST(LectureHPGL, TracesAreLabelledInOrder) {
    Import im;
    ASSERT_TRUE(im.Lit("PU0,0;PD10,0;PU20,0;PD30,0;PU40,0;PD50,0;"));
    ASSERT_EQ(im.d().NbPoints, 6);
    EXPECT_EQ(im.d().Trace_Initial[1].Sequence, PremiereSequence);
    EXPECT_EQ(im.d().Trace_Initial[2].Sequence, (Code2{U' ', U'B'}));
    EXPECT_EQ(im.d().Trace_Initial[5].Sequence, (Code2{U' ', U'C'}));
}

TEST(LectureHPGL, ScalesAfterTheDialogFromTheLowerLeftCorner) {
    Import plt("PLT");
    int vus = 0;
    plt.ui.surDimension = [&](Contexte& ctx) {
        ++vus;
        EXPECT_DOUBLE_EQ(ctx.dessin.Xmin, 100);  // plotter units while the dialog is up
        EXPECT_DOUBLE_EQ(ctx.dessin.Xmax, 4100);
        EXPECT_DOUBLE_EQ(ctx.dessin.Ymax, 2200);
        EXPECT_DOUBLE_EQ(ctx.parametres.RapportH, 0.025);  // loaded before the dialog
    };
    ASSERT_TRUE(plt.Lit("PU100,200;PD4100,200;PD4100,2200;"));
    EXPECT_EQ(vus, 1);
    AttendPoints(plt.d(), {{0, 0}, {100, 0}, {100, 50}});

    Import hpgl("HPGL");
    ASSERT_TRUE(hpgl.Lit("PU100,200;PD4100,200;"));
    AttendPoints(hpgl.d(), {{0, 0}, {4000, 0}});

    Import choisi("PLT");
    choisi.ui.surDimension = [](Contexte& ctx) {
        ctx.parametres.RapportH = 2;
        ctx.parametres.RapportV = 0.5;
    };
    ASSERT_TRUE(choisi.Lit("PU0,0;PD10,10;"));
    AttendPoints(choisi.d(), {{0, 0}, {20, 5}});
}

TEST(LectureHPGL, NoPenDownPointLeavesAnEmptyDrawing) {
    for (const char* texte : {"", "PU1,1;PU2,2;", "IN;SP1;", "PD1,1"}) {
        Import im;
        im.ctx.dessin.Trace_Initial.assign(3, PointTrace{1, 1, PlumeBasse, PremiereSequence});
        im.ctx.dessin.NbPoints = 3;
        EXPECT_FALSE(im.Lit(texte));
        EXPECT_EQ(im.d().NbPoints, 0);
        EXPECT_TRUE(im.d().Trace_Initial.empty());
        EXPECT_EQ(im.d().NbSequencesDecalees(), 0u);
        EXPECT_EQ(im.ui.nbDimensions, 0);
        ASSERT_EQ(im.ui.messages.size(), 1u);
        EXPECT_EQ(im.ui.messages[0].texte, "Fichier inexploitable !");
        EXPECT_EQ(im.ui.messages[0].titre, "Korvelin");
        EXPECT_EQ(im.ui.messages[0].icone, Icone::Critique);
    }
}

TEST(LectureHPGL, UnreadableFileKeepsTheDrawing) {
    DossierTemporaire dossier;
    UiEnregistreuse ui;
    Contexte ctx(&ui);
    ctx.dessin.Trace_Initial.assign(2, PointTrace{1, 2, PlumeBasse, PremiereSequence});
    ctx.dessin.NbPoints = 2;
    const std::string absent = dossier.Chemin("absent.plt");
    EXPECT_FALSE(LectureHPGL(ctx, absent));
    EXPECT_FALSE(LectureHPGL(ctx, dossier.Dossier()));
    EXPECT_FALSE(LectureHPGL(ctx, ""));
    EXPECT_EQ(ctx.dessin.NbPoints, 2);
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].texte, "Impossible de lire le fichier " + absent);
    EXPECT_EQ(ui.messages[0].icone, Icone::Critique);
}

TEST(LectureHPGL, FromAFileRunsTheWholeImport) {
    DossierTemporaire dossier;
    UiEnregistreuse ui;
    Contexte ctx(&ui);
    ctx.dessin.TypeFichier = "HPGL";
    const std::string chemin = dossier.Ecrit("a.hpgl", "IN;PU0,0;PD10,0;PD10,10;PU;");
    ASSERT_TRUE(LectureHPGL(ctx, chemin));
    EXPECT_EQ(ctx.dessin.NbPoints, 3);
    EXPECT_EQ(ui.nbDimensions, 1);
    EXPECT_GE(ui.nbRafraichissements, 1);  // the welding repaints
}

TEST(LectureHPGL, HostileNumbersStayFiniteAndBounded) {
    const std::string grand(400, '9');
    const std::string textes[] = {
        "PU0,0;PD1e300,-1e300;PD" + grand + ",-" + grand + ";",
        "PU0,0;PD1,1;AA0,0,1e300;AA0,0,-1e300;AA;",
        "AA10,0,90;AA5;AA;",            // arcs before any point start from the origin
        "CI5;PU1,1;CI1e300;CI-" + grand + ";",  // circles before any point, huge radius
        "PU1,1;AA1,1,360;AA" + grand + "," + grand + ",45;",
        std::string("PU0,0;\0PD5,5;PD\0 1,2;\0;;;", 25),
    };
    for (const std::string& t : textes) {
        const CommandesHPGL c = AnalyseTexteHPGL(t);
        EXPECT_FALSE(c.TropDePoints);
        EXPECT_LT(c.Points.size(), 10000u) << t.substr(0, 40);
        for (const PointTrace& p : c.Points) {
            ASSERT_TRUE(std::isfinite(p.X) && std::isfinite(p.Y)) << t.substr(0, 40);
            ASSERT_LE(std::fabs(p.X), 1e9f);
            ASSERT_LE(std::fabs(p.Y), 1e9f);
        }
        Import im;
        im.Lit(t);  // the whole preparation copes too
    }
    // One sweep is cut at a few turns.
    const auto p = AnalyseTexteHPGL("PU10,0;AA0,0,1e300;").Points;
    EXPECT_LE(p.size(), 1u + 4 * 360 + 2);
    EXPECT_GE(p.size(), 1u + 4 * 360);
}

TEST(LectureHPGL, TextWithoutSemicolonGivesNothing) {
    Import im;
    EXPECT_FALSE(im.Lit(std::string(3'000'000, 'P') + "PD1,1,PD2,2"));
    EXPECT_EQ(im.ui.messages.size(), 1u);
}

TEST(LectureHPGL, TooManyPointsStopTheReading) {
    std::string cercles = "PU0,0;";
    for (int k = 0; k < 30; ++k) cercles += "CI10;";
    const CommandesHPGL c = AnalyseTexteHPGL(cercles, 5000);
    EXPECT_TRUE(c.TropDePoints);
    EXPECT_LE(c.Points.size(), 5000u);
    EXPECT_FALSE(AnalyseTexteHPGL(cercles, 20000).TropDePoints);
}

}  // namespace
}  // namespace korvelin
