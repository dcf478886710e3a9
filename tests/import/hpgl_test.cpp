#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "document/importation.h"
#include "import/hpgl.h"
#include "model/aide_dessin.h"
#include "model/nombres.h"
#include "support/valeurs_temporaires.h"

namespace korvelin {
namespace {

using test::UiEnregistreuse;

// The import up to the labelling, the user typing ratio 1 in the rescaling dialog.
struct Import : test::ValeursTemporaires {
    explicit Import(std::string type = "HPGL") {
        dessin.TypeFichier = std::move(type);
        ui.surDimension = test::Rapport(1, 1);
    }
    bool Lit(std::string_view texte) { return AcheveHPGL(Cible(), LitHPGL(texte), ui, false); }
    void Attend(const test::Points& xy) {
        ASSERT_EQ(dessin.NbPoints, static_cast<int32_t>(xy.size()));
        test::AttendPoints(dessin.Trace_Initial, xy);
        for (int32_t i = 0; i < dessin.NbPoints; ++i) EXPECT_EQ(dessin.Trace_Initial[i].Plume, PlumeBasse) << i;
    }
};

// The points read, written "x,y" pen down and "^x,y" pen up, blank-separated.
void AttendPoints(std::string_view texte, std::string_view attendus) {
    const std::vector<PointTrace> p = AnalyseTexteHPGL(texte).Points;
    std::string lus;
    for (const PointTrace& q : p)
        lus += (lus.empty() ? "" : " ") + std::string(q.Plume == PlumeBasse ? "" : "^") + EcritureLocale(q.X) + ";" +
               EcritureLocale(q.Y);
    std::string voulus(attendus);
    for (char& c : voulus) c = c == ',' ? ';' : c == '.' ? ',' : c;
    EXPECT_EQ(lus, voulus) << texte;
}

TEST(LectureHPGL, PenMovesMakeLabelledTracesAndKeepTheLastPoint) {
    // A pen-down on the pen-up position is not doubled; no final pen-up needed. (A final
    // move to the parking place is left out where the scaling is checked.)
    Import im;
    ASSERT_TRUE(im.Lit("PU10,10;PD10,10;PD20,10;PU30,0;PD40,0;"));
    im.Attend({{0, 10}, {10, 10}, {20, 0}, {30, 0}});  // moved to the origin
    EXPECT_EQ(im.dessin.Trace_Initial[1].Sequence, PremiereSequence);
    EXPECT_EQ(im.dessin.Trace_Initial[2].Sequence, (Code2{U' ', U'B'}));
}

TEST(LectureHPGL, CommandsParametersAndWhatIsSkipped) {
    const std::pair<std::string, const char*> cas[] = {
        // Lists of pairs, blanks and line breaks as separators, signs, decimals, lower case,
        // commands without ";" between them; a lone last number is no point.
        {"in;pu+100,-50.5\tpd 200 -50.5,\r\n200,100 ;PD;PA300,.5PU0,0PD7;",
         "^100,-50.5 100,-50.5 200,-50.5 200,100 300,0.5 ^0,0"},
        // A second point at the origin is overwritten by the next one.
        {"PU5,5;PU0,0;PU7,7;", "^5,5 ^7,7"},
        // "PR" makes every pair relative, pen-up and pen-down alike, until "PA" or "IN"; after
        // "IN" the pen is up at the origin, and a stroke from there is a trace of its own.
        {"PU10,10;PR;PD5,0,0,5;PU-15,-15;PA;PD30,30;IN;PD3,4;", "^10,10 10,10 15,10 15,15 ^0,0 0,0 30,30 ^0,0 0,0 3,4"},
        // "IN" alone ends the relative mode: the pair after it is absolute.
        {"PR;PU1,1;IN;PU10,10;PD3,4;", "^1,1 ^10,10 10,10 3,4"},
        // A plotter preamble, a printer job header and printer escapes (one carrying 5 bytes of
        // data); labels holding ";" and letters, up to ETX or to the terminator "DT" sets;
        // encoded polylines, quoted names, a symbol letter; scaling that is not applied.
        {"\x1b.Y\x1b.I81;;17:\x1b.N;19:IN;\x1b%-12345X@PJL ENTER LANGUAGE=HPGL2\r\n\x1b"
         "E\x1b%0BBP1,\"PD5,5\";\x1b*b5WPD1,1SC0,10,0,10;IP0,0,4000,4000;"
         "SP1;SMP;PU10,10;LBsin;PD99,99;x\x03PD20,10;DT$,1;LBPU1,1;\x03$PE<=PD?;"
         "PD20,\x1b&l1O20;DT;LBPD7,7;\x03PU;",
         "^10,10 10,10 20,10 20,20"},
        // A label that is never closed runs to the end of the text.
        {"PU0,0;PD10,0;LB PD10,10;PD0,10;", "^0,0 0,0 10,0"},
        // Edge rectangles, drawn from the pen's position whatever the pen state; the pen ends
        // there, as it was.
        {"PU10,10;EA30,20;ER-5,5;PU50,50;",
         "^10,10 10,10 30,10 30,20 10,20 10,10 ^10,10 10,10 5,10 5,15 10,15 10,10 ^10,10 ^50,50"},
    };
    for (const auto& [texte, attendus] : cas) AttendPoints(texte, attendus);
}

TEST(LectureHPGL, CirclesAndArcs) {
    auto p = AnalyseTexteHPGL("PD50,50;CI10;").Points;
    ASSERT_EQ(p.size(), 361u);  // the centre is replaced
    for (const PointTrace& q : p) EXPECT_NEAR(std::hypot(q.X - 50.0, q.Y - 50.0), 10.0, 1e-4);
    EXPECT_FLOAT_EQ(p.front().X, 60);
    EXPECT_NEAR(p.back().X, 60, 1e-4);
    // A centre reached pen-up becomes a pen-up move to the circle's start, so the circle
    // is a trace of its own, not joined by a cut to the trace before it. The pen goes back
    // to the centre: the next circle is around it, and a stroke starts there.
    p = AnalyseTexteHPGL("PU;PA50,50;CI10;CI20,5;PD50,40;").Points;
    ASSERT_EQ(p.size(), 1u + 361 + 1 + 361 + 3);
    EXPECT_EQ(p[0].Plume, PlumeHaute);
    EXPECT_FLOAT_EQ(p[0].X, p[1].X);
    EXPECT_FLOAT_EQ(p[0].Y, p[1].Y);
    EXPECT_EQ(p[362].Plume, PlumeHaute);
    EXPECT_FLOAT_EQ(p[362].X, 70);
    EXPECT_EQ(p[p.size() - 3].Plume, PlumeHaute);
    EXPECT_FLOAT_EQ(p[p.size() - 2].X, 50);
    EXPECT_FLOAT_EQ(p[p.size() - 2].Y, 50);

    p = AnalyseTexteHPGL("PU10,0;PD10,0;AA0,0,90;").Points;
    ASSERT_GE(p.size(), 2u + 89u);
    EXPECT_FLOAT_EQ(p[2].X, 10);  // the first arc point lies on the current point
    EXPECT_GT(p[3].Y, 0);
    EXPECT_NEAR(p.back().Y, 10, 0.01);
    p = AnalyseTexteHPGL("PU10,0;PD10,0;AA0,0,-90;AA;").Points;  // "AA" alone: same again
    EXPECT_LT(p[3].Y, 0);
    EXPECT_NEAR(p.back().X, -10, 1e-4);
    // A relative centre; a sweep between two steps ends on the exact end, where the next
    // relative move starts; with the pen up an arc only moves the pen.
    p = AnalyseTexteHPGL("PU10,0;PD;AR-10,0,45.5,5;PR0,1;PU;AA0,0,-45.5;PD;PR1,0;").Points;
    ASSERT_EQ(p.size(), 1u + 47 + 1 + 1 + 2);
    EXPECT_FLOAT_EQ(p[47].X, static_cast<float>(10 * std::cos(45.5 * Pi / 180)));
    EXPECT_FLOAT_EQ(p[48].Y, static_cast<float>(10 * std::sin(45.5 * Pi / 180) + 1));
    EXPECT_EQ(p[49].Plume, PlumeHaute);
    EXPECT_NEAR(std::hypot(p[49].X, p[49].Y), std::hypot(p[48].X, p[48].Y), 1e-4);
    EXPECT_FLOAT_EQ(p[51].X, p[49].X + 1);
}

TEST(LectureHPGL, ScalesAfterTheDialogFromTheLowerLeftCorner) {
    // Plotter units while the dialog is up, over what the pen draws: the pen parked at the
    // origin does not count. The ratio of each file type is checked with the settings.
    Import plt;
    plt.ui.surDimension = [&plt](ModeleDimension& m) {
        EXPECT_DOUBLE_EQ(plt.dessin.Xmin, 100);
        EXPECT_DOUBLE_EQ(plt.dessin.Ymin, 200);
        EXPECT_DOUBLE_EQ(plt.dessin.Ymax, 2200);
        EXPECT_EQ(m.H_Initial, "4000");
        EXPECT_EQ(m.V_Initial, "2000");
        EXPECT_DOUBLE_EQ(*m.RapportH(), 0.025);
        return Rapports{*m.RapportH(), *m.RapportV()};
    };
    ASSERT_TRUE(plt.Lit("IN;PU;PA100,200;PD4100,200,4100,2200;PU;PA0,0;"));
    EXPECT_EQ(plt.ui.nbDimensions, 1);
    plt.Attend({{0, 0}, {100, 0}, {100, 50}});
    Import choisi("PLT");
    choisi.ui.surDimension = test::Rapport(2, 0.5);
    ASSERT_TRUE(choisi.Lit("PU0,0;PD10,10;"));
    choisi.Attend({{0, 0}, {20, 5}});
}

TEST(LectureHPGL, FilesWithoutPenDownOrUnreadable) {
    for (const char* texte : {"", "PU1,1;PU2,2;", "LB PD1,1;PD2,2;", "PE<=PD?;PU3,3;"}) {
        Import im;
        im.dessin.Trace_Initial.assign(3, PointTrace{1, 1, PlumeBasse, PremiereSequence});
        im.dessin.NbPoints = 3;
        EXPECT_FALSE(im.Lit(texte));
        EXPECT_EQ(im.dessin.NbPoints, 3);
        EXPECT_EQ(im.ui.nbDimensions, 0);
        test::AttendRefus(im.ui, "Fichier inexploitable !");
    }
    test::DossierTemporaire dossier;
    Import im;
    im.dessin.NbPoints = 2;
    im.dessin.Trace_Initial.resize(2);
    EXPECT_FALSE(ImporteHPGL(im.Cible(), dossier.Chemin("absent.plt"), im.ui));
    EXPECT_FALSE(ImporteHPGL(im.Cible(), dossier.Dossier(), im.ui));
    EXPECT_EQ(im.dessin.NbPoints, 2);
    ASSERT_EQ(im.ui.messages.size(), 2u);
    EXPECT_EQ(im.ui.messages[0].texte, "Impossible de lire le fichier " + dossier.Chemin("absent.plt"));
}

TEST(LectureHPGL, HostileInputStaysFiniteAndBounded) {
    const std::string grand(400, '9');
    const std::string textes[] = {
        "PU0,0;PD" + grand + ",-" + grand + ".5;PD0." + std::string(400, '0') + "1,1e300;",
        "PU0,0;PD1,1;AA0,0," + grand + ";AA0,0,-" + grand + ";AA;AR;AA1;",
        "AA10,0,90;CI5;PU1,1;CI" + grand + ";CI-" + grand + ";",  // before any point, huge radius
        std::string("PU0,0;\0PD5,5;PD\0 1,2;\0;;;", 25),
        std::string(3'000'000, 'P') + "PD1,1,PD2,2",    // megabytes without ";"
        "PU0,0;PD1,1;\x1b*b" + grand + "WPD5,5;\x1b.",  // escapes cut short
        std::string(100'000, '-') + "PD" + std::string(100'000, '.') + "LB",
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
    EXPECT_LE(AnalyseTexteHPGL("PU10,0;PD;AA0,0," + grand + ";").Points.size(), 1u + 4 * 360 + 2);
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
