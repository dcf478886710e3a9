#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "import/hpgl.h"
#include "settings/aide_contexte.h"

namespace korvelin {
namespace {

using test::UiEnregistreuse;

// The import up to the labelling; ratio 1 for "HPGL" without settings.
struct Import {
    UiEnregistreuse ui;
    Contexte ctx{&ui};
    explicit Import(std::string type = "HPGL") { ctx.dessin.TypeFichier = std::move(type); }
    bool Lit(std::string_view texte) { return PrepareDessinHPGL(ctx, texte); }
    void Attend(const std::vector<std::pair<float, float>>& xy) {
        const Dessin& d = ctx.dessin;
        ASSERT_EQ(d.NbPoints, static_cast<int32_t>(xy.size()));
        for (std::size_t i = 0; i < xy.size(); ++i) {
            EXPECT_FLOAT_EQ(d.Trace_Initial[i].X, xy[i].first) << i;
            EXPECT_FLOAT_EQ(d.Trace_Initial[i].Y, xy[i].second) << i;
            EXPECT_EQ(d.Trace_Initial[i].Plume, PlumeBasse) << i;
        }
    }
};

TEST(LectureHPGL, PenMovesMakeLabelledTracesAndKeepTheLastPoint) {
    Import a;
    ASSERT_TRUE(a.Lit("PU0,0;PD100,0;PD100,100;PU0,0;"));
    a.Attend({{0, 0}, {100, 0}, {100, 100}});
    EXPECT_EQ(a.ctx.dessin.Trace_Initial[2].Sequence, PremiereSequence);

    Import b;  // a pen-down on the pen-up position is not doubled; no final pen-up needed
    ASSERT_TRUE(b.Lit("PU10,10;PD10,10;PD20,10;PU30,0;PD40,0;"));
    b.Attend({{0, 10}, {10, 10}, {20, 0}, {30, 0}});  // moved to the origin
    EXPECT_EQ(b.ctx.dessin.Trace_Initial[2].Sequence, (Code2{U' ', U'B'}));

    Import c;  // "PA" after a closed pen-up is a pen-down move
    ASSERT_TRUE(c.Lit("PU0,0;PA10,0;PA10,10;"));
    c.Attend({{0, 0}, {10, 0}, {10, 10}});
}

TEST(LectureHPGL, CoordinatesOfOneCommand) {
    auto p = AnalyseTexteHPGL("PD10,20,30,40;PD 10,20;PD;PD100;pu7,8;LB1,2;").Points;
    ASSERT_EQ(p.size(), 3u);
    EXPECT_FLOAT_EQ(p[0].X, 10);  // only the first pair
    EXPECT_FLOAT_EQ(p[0].Y, 20);
    EXPECT_FLOAT_EQ(p[1].X, 0);  // a blank after the letters is the separator
    EXPECT_FLOAT_EQ(p[1].Y, 10);
    EXPECT_EQ(p[2].Plume, PlumeHaute);  // lower case is a command too
    // A second point at the origin is overwritten by the next one.
    p = AnalyseTexteHPGL("PU5,5;PU0,0;PU7,7;").Points;
    ASSERT_EQ(p.size(), 2u);
    EXPECT_FLOAT_EQ(p[1].X, 7);
    // One CR then one LF are skipped after ";"; text after the last ";" is ignored.
    p = AnalyseTexteHPGL("PU0,0;\r\nPD10,0;\nPD10,10;\r\r\nPD0,0;PD5,5").Points;
    ASSERT_EQ(p.size(), 4u);
    EXPECT_FLOAT_EQ(p.back().Y, 10);
}

TEST(LectureHPGL, CirclesAndArcs) {
    auto p = AnalyseTexteHPGL("PD50,50;CI10;").Points;
    ASSERT_EQ(p.size(), 361u);  // the centre is replaced
    for (const PointTrace& q : p) EXPECT_NEAR(std::hypot(q.X - 50.0, q.Y - 50.0), 10.0, 1e-4);
    EXPECT_FLOAT_EQ(p.front().X, 60);
    EXPECT_NEAR(p.back().X, 60, 1e-4);
    // A centre reached pen-up becomes a pen-up move to the circle's start, so the circle
    // is a trace of its own, not joined by a cut to the trace before it.
    p = AnalyseTexteHPGL("PU50,50;CI10;").Points;
    ASSERT_EQ(p.size(), 362u);
    EXPECT_EQ(p[0].Plume, PlumeHaute);
    EXPECT_FLOAT_EQ(p[0].X, p[1].X);
    EXPECT_FLOAT_EQ(p[0].Y, p[1].Y);
    Import cercle;
    ASSERT_TRUE(cercle.Lit("PU0,0;PD10,0;PU50,50;CI10;"));
    ASSERT_EQ(cercle.ctx.dessin.NbPoints, 2 + 361);
    EXPECT_EQ(cercle.ctx.dessin.Trace_Initial[1].Sequence, PremiereSequence);
    EXPECT_EQ(cercle.ctx.dessin.Trace_Initial[2].Sequence, (Code2{U' ', U'B'}));
    EXPECT_FLOAT_EQ(cercle.ctx.dessin.Trace_Initial[2].X, 60);

    p = AnalyseTexteHPGL("PU10,0;PD10,0;AA0,0,90;").Points;
    ASSERT_GE(p.size(), 2u + 89u);
    EXPECT_FLOAT_EQ(p[2].X, 10);  // the first arc point lies on the current point
    EXPECT_GT(p[3].Y, 0);
    EXPECT_NEAR(p.back().Y, 10, 0.01);
    p = AnalyseTexteHPGL("PU10,0;PD10,0;AA0,0,-90;AA;").Points;  // "AA" alone: same again
    EXPECT_LT(p[3].Y, 0);
    EXPECT_NEAR(p.back().X, -10, 0.2);
}

TEST(LectureHPGL, TheSixRewritesMatchPlainReplacementInOrder) {
    EXPECT_EQ(RemplacementsHPGL("PUPDPAPA5,5;pa1;PDAA1;PDCI4;"), ";PD5,5;pa1;;AA1;;CI4;");
    auto remplace = [](std::string t, const std::string& a, const std::string& b) {
        for (std::size_t pos = 0; (pos = t.find(a, pos)) != std::string::npos; pos += b.size())
            t.replace(pos, a.size(), b);
        return t;
    };
    std::mt19937 alea(7);
    for (int essai = 0; essai < 2000; ++essai) {
        std::string t;
        for (int k = alea() % 40; k > 0; --k) t += "PUDACI;,0"[alea() % 9];
        std::string r = remplace(t, "PUPDPA", "PD");
        r = remplace(remplace(remplace(r, "PDPA", ";PD"), "PUPA", ";PU"), "PA", ";PD");
        r = remplace(remplace(r, "PDAA", ";AA"), "PDCI", ";CI");
        ASSERT_EQ(RemplacementsHPGL(t), r) << t;
    }
}

TEST(LectureHPGL, ScalesAfterTheDialogFromTheLowerLeftCorner) {
    Import plt("PLT");
    plt.ui.surDimension = [](Contexte& ctx) {
        EXPECT_DOUBLE_EQ(ctx.dessin.Xmin, 100);  // plotter units while the dialog is up
        EXPECT_DOUBLE_EQ(ctx.dessin.Ymax, 2200);
        EXPECT_DOUBLE_EQ(ctx.parametres.RapportH, 0.025);
    };
    ASSERT_TRUE(plt.Lit("PU100,200;PD4100,200;PD4100,2200;"));
    EXPECT_EQ(plt.ui.nbDimensions, 1);
    plt.Attend({{0, 0}, {100, 0}, {100, 50}});

    Import hpgl("HPGL");
    ASSERT_TRUE(hpgl.Lit("PU100,200;PD4100,200;"));
    hpgl.Attend({{0, 0}, {4000, 0}});

    Import choisi("PLT");
    choisi.ui.surDimension = [](Contexte& ctx) {
        ctx.parametres.RapportH = 2;
        ctx.parametres.RapportV = 0.5;
    };
    ASSERT_TRUE(choisi.Lit("PU0,0;PD10,10;"));
    choisi.Attend({{0, 0}, {20, 5}});
}

TEST(LectureHPGL, FilesWithoutPenDownOrUnreadable) {
    for (const char* texte : {"", "PU1,1;PU2,2;", "PD1,1"}) {
        Import im;
        im.ctx.dessin.Trace_Initial.assign(3, PointTrace{1, 1, PlumeBasse, PremiereSequence});
        im.ctx.dessin.NbPoints = 3;
        EXPECT_FALSE(im.Lit(texte));
        EXPECT_EQ(im.ctx.dessin.NbPoints, 0);
        EXPECT_EQ(im.ctx.dessin.NbSequencesDecalees(), 0u);
        EXPECT_EQ(im.ui.nbDimensions, 0);
        test::AttendSeulMessage(im.ui, "Fichier inexploitable !");
    }
    test::DossierTemporaire dossier;
    Import im;
    im.ctx.dessin.NbPoints = 2;
    im.ctx.dessin.Trace_Initial.resize(2);
    EXPECT_FALSE(LectureHPGL(im.ctx, dossier.Chemin("absent.plt")));
    EXPECT_FALSE(LectureHPGL(im.ctx, dossier.Dossier()));
    EXPECT_EQ(im.ctx.dessin.NbPoints, 2);
    ASSERT_EQ(im.ui.messages.size(), 2u);
    EXPECT_EQ(im.ui.messages[0].texte, "Impossible de lire le fichier " + dossier.Chemin("absent.plt"));
}

TEST(LectureHPGL, HostileInputStaysFiniteAndBounded) {
    const std::string grand(400, '9');
    const std::string textes[] = {
        "PU0,0;PD1e300,-1e300;PD" + grand + ",-" + grand + ";",
        "PU0,0;PD1,1;AA0,0,1e300;AA0,0,-1e300;AA;",
        "AA10,0,90;CI5;PU1,1;CI1e300;CI-" + grand + ";",  // before any point, huge radius
        std::string("PU0,0;\0PD5,5;PD\0 1,2;\0;;;", 25),
        std::string(3'000'000, 'P') + "PD1,1,PD2,2",  // megabytes without ";"
    };
    for (const std::string& t : textes) {
        const CommandesHPGL c = AnalyseTexteHPGL(t);
        EXPECT_LT(c.Points.size(), 10000u);
        for (const PointTrace& p : c.Points)
            ASSERT_TRUE(std::fabs(p.X) <= 1e9f && std::fabs(p.Y) <= 1e9f) << t.substr(0, 30);
        Import im;
        im.Lit(t);
    }
    // One sweep is cut at four turns; a file asking for too many points is refused.
    EXPECT_LE(AnalyseTexteHPGL("PU10,0;AA0,0,1e300;").Points.size(), 1u + 4 * 360 + 2);
    std::string cercles = "PU0,0;";
    for (int k = 0; k < 30; ++k) cercles += "CI10;";
    EXPECT_TRUE(AnalyseTexteHPGL(cercles, 5000).TropDePoints);
    EXPECT_FALSE(AnalyseTexteHPGL(cercles, 20000).TropDePoints);
    // Inputs the fuzzer kept: the reader stage is quick and sound on them.
    for (const char* nom : {"/fuzz/hpgl-decalage-lent-1.plt", "/fuzz/hpgl-decalage-lent-2.plt"}) {
        Import im;
        EXPECT_TRUE(im.Lit(test::DossierTemporaire::Lit(std::string(KORVELIN_TEST_DATA) + nom)));
    }
}

}  // namespace
}  // namespace korvelin
