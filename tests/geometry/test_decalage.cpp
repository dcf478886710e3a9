#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <span>

#include "geometry/decalage.h"
#include "document/calculs.h"
#include "model/listes.h"
#include "model/aide_dessin.h"
#include "support/valeurs_temporaires.h"

using namespace korvelin;
using namespace korvelin::test;

namespace {

// An offset needs only a drawing and its settings: no settings file, no one to answer.
TEST(DecalageSeul, UnSegmentEnCinqLignes) {
    Dessin d;
    AjouteTrace(d, Etiquette(" A"), {{0, 0}, {10, 0}});
    const ResultatDecalage r = CalculDecalageTout(d, {}, {.rayon = 1.0, .cote = 1});
    EXPECT_TRUE(r.diagnostics.empty());
    AttendPoints(r.chemins.at(0).Points, {{0, -1}, {10, -1}}, 1e-5);
}

struct Decalage : ::testing::Test {
    Code2 A = Etiquette(" A");
    Dessin d;
    ReglagesDecalage r{.rayon = 1.0, .cote = 1, .optimisation1 = true, .optimisation2 = false};
    std::vector<std::string> statuts;
    SuiviDecalage suivi{[this](std::string_view t) { statuts.emplace_back(t); }, false};
    Diagnostics diagnostics;

    void Tout() { diagnostics = Redecale(d, r, suivi); }
    void Une(Code2 e) {
        ResultatDecalage res = DecalageSequence(d, std::move(d.Trace_Decale), e, r, suivi);
        d.Trace_Decale = std::move(res.chemins);
        diagnostics = std::move(res.diagnostics);
    }
    const std::vector<PointTrace>& R(std::size_t entree = 0) { return d.Trace_Decale.at(entree).Points; }
    void Attend(const Points& attendus, std::size_t entree = 0) {
        ASSERT_EQ(R(entree).size(), attendus.size());
        AttendPoints(R(entree), attendus, 1e-5);
    }
    void AttendSeul(Gravite g, std::string_view message) {
        ASSERT_EQ(diagnostics.size(), 1u);
        EXPECT_EQ(diagnostics[0].gravite, g);
        EXPECT_EQ(diagnostics[0].message, message);
    }
};

TEST_F(Decalage, OutilADroiteAGaucheEtSurLaLigne) {
    AjouteTrace(d, A, {{0, 0}, {10, 0}, {10, 10}});
    Tout();
    ASSERT_EQ(d.Trace_Decale.size(), 2u);
    Attend({{0, -1}, {11, -1}, {11, 10}});
    for (const PointTrace& p : R()) EXPECT_TRUE(p.Plume.Vide() && p.Sequence == A);
    EXPECT_TRUE(diagnostics.empty());
    r.cote = 3;
    Une(A);
    Attend({{0, 1}, {9, 1}, {9, 10}});
    // On the line: the trace itself, pen states and labels included.
    r.cote = 2;
    Une(A);
    EXPECT_TRUE(MemesPoints(R(), d.Trace_Initial));
    // Closed contours and runs of aligned points are compared with the step-by-step first
    // pass on random drawings; slots narrower than the cutter and points exactly one radius
    // from the trace, with the step-by-step second pass on lattice walks.
}

TEST_F(Decalage, PointsSeulsEtTracesSansDirection) {
    AjouteTrace(d, A, {{4, 4}});
    AjouteTrace(d, Etiquette(" B"), {{0, 0}, {10, 0}});
    Tout();
    ASSERT_EQ(d.Trace_Decale.size(), 3u);
    // A single point keeps what its entry held: the point itself, never the origin.
    ASSERT_EQ(R().size(), 1u);
    EXPECT_EQ(XY(R()), (Points{{4, 4}}));
    EXPECT_EQ(R()[0].Sequence, A);
    Attend({{0, -1}, {10, -1}}, 1);
    Une(AucuneSequence);
    Une(Etiquette("ZZ"));  // no such trace
    EXPECT_TRUE(diagnostics.empty());
    d = Dessin{};
    Tout();
    EXPECT_EQ(d.Trace_Decale.size(), 1u);
    // A repeated point inside a trace is passed beside, on the same side.
    diagnostics.clear();
    d = Dessin{};
    AjouteTrace(d, A, {{0, 0}, {5, 0}, {5, 0}, {5, 0}, {10, 0}});
    Tout();
    EXPECT_TRUE(diagnostics.empty());
    for (const PointTrace& p : R()) EXPECT_FLOAT_EQ(p.Y, -1);
}

// The points from `debut` on lie on the circle of radius 1 round c, from `de` to `a`,
// at most 10° apart, through `par` half way.
void AttendArc(const std::vector<PointTrace>& p, std::size_t debut, std::size_t nb, std::pair<float, float> c,
               std::pair<float, float> de, std::pair<float, float> par, std::pair<float, float> a) {
    ASSERT_GE(p.size(), debut + nb);
    AttendPoints(p, {de}, 1e-5, debut);
    AttendPoints(p, {par}, 1e-5, debut + nb / 2);
    AttendPoints(p, {a}, 1e-5, debut + nb - 1);
    for (std::size_t i = debut; i < debut + nb; ++i) {
        EXPECT_NEAR(std::hypot(p[i].X - c.first, p[i].Y - c.second), 1.0, 1e-5) << i;
        if (i > debut) {
            EXPECT_LE(std::hypot(p[i].X - p[i - 1].X, p[i].Y - p[i - 1].Y), 2 * std::sin(Pi / 36) + 1e-5);
        }
    }
}

TEST_F(Decalage, DemiTourAutourDuBout) {
    // Doubling back sent the vertex some 1e16 mm away: the cutter now rolls round the end,
    // on the outside whatever its side.
    AjouteTrace(d, A, {{0, 0}, {10, 0}, {2, 0}});
    Tout();
    ASSERT_EQ(R().size(), 21u);
    AttendPoints(R(), {{0, -1}}, 1e-5);
    AttendArc(R(), 1, 19, {10, 0}, {10, -1}, {11, 0}, {10, 1});
    AttendPoints(R(), {{2, 1}}, 1e-5, 20);
    r.cote = 3;
    Une(A);
    ASSERT_EQ(R().size(), 21u);
    AttendArc(R(), 1, 19, {10, 0}, {10, 1}, {11, 0}, {10, -1});
    AttendPoints(R(), {{2, -1}}, 1e-5, 20);
    EXPECT_TRUE(diagnostics.empty());
}

TEST_F(Decalage, AllerRetourFerme) {
    // The lines met exactly parallel there ("Problème d'intersection"): going there and
    // back now gives a closed path round both ends, one radius from the segment.
    AjouteTrace(d, A, {{0, 0}, {3, 4}, {0, 0}});
    Tout();
    EXPECT_TRUE(diagnostics.empty());
    ASSERT_EQ(R().size(), 39u);
    AttendArc(R(), 1, 19, {3, 4}, {3.8f, 3.4f}, {3.6f, 4.8f}, {2.2f, 4.6f});
    AttendArc(R(), 20, 19, {0, 0}, {-0.8f, 0.6f}, {-0.6f, -0.8f}, {0.8f, -0.6f});
    EXPECT_EQ(XY(R()).front(), XY(R()).back());
}

TEST_F(Decalage, CoinsAiguCreuxEtSaillants) {
    // 45° between the two segments: the vertex lies 2.6 radii out.
    const float c = float(10 - 10 * std::sqrt(0.5)), s = float(10 * std::sqrt(0.5));
    AjouteTrace(d, A, {{0, 0}, {10, 0}, {c, s}});
    Tout();
    ASSERT_EQ(R().size(), 3u);
    EXPECT_NEAR(std::hypot(R()[1].X - 10, R()[1].Y), 1 / std::sin(Pi / 8), 1e-4);
    // Rounded when very convex corners are asked for: 135° in 14 steps.
    r.optimisation2 = true;
    Une(A);
    ASSERT_EQ(R().size(), 17u);
    const float milieu = float(Pi / 8);  // half way round: 22.5° below the axis
    AttendArc(R(), 1, 15, {10, 0}, {10, -1}, {10 + std::cos(milieu), -std::sin(milieu)},
              {10 + std::sqrt(0.5f), std::sqrt(0.5f)});
    // Inside the same corner nothing is rounded; ninety degrees is not sharp enough.
    r.cote = 3;
    Une(A);
    EXPECT_EQ(R().size(), 3u);
    d = Dessin{};
    r.cote = 1;
    AjouteTrace(d, A, {{0, 0}, {10, 0}, {10, 10}});
    Tout();
    Attend({{0, -1}, {11, -1}, {11, 10}});
}

TEST_F(Decalage, CreuxTropEtroit) {
    // A V far narrower than the cutter, the cutter inside: its vertex would lie a hundred
    // radii back, so there is none; outside, the cutter rolls round the point.
    r.optimisation1 = false;
    r.cote = 3;
    AjouteTrace(d, A, {{0, 0}, {100, 1}, {0, 2}});
    Tout();
    ASSERT_EQ(R().size(), 2u);
    EXPECT_NEAR(R()[0].Y, 1, 0.02);
    EXPECT_NEAR(R()[1].Y, 1, 0.02);
    r.cote = 1;
    Une(A);
    ASSERT_EQ(R().size(), 21u);
    EXPECT_NEAR(R()[10].X, 101, 1e-3);
}

TEST_F(Decalage, ChaqueTraceCalculeeUneFois) {
    // Rebuilding every path after the traces were reordered or one was reversed computes
    // only the trace that changed; the others keep their paths. The progress text tells
    // which traces were computed.
    suivi.pointParPoint = true;
    const Code2 B = Etiquette(" B"), C = Etiquette(" C");
    AjouteTrace(d, A, {{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}});
    AjouteTrace(d, B, {{20, 0}, {30, 0}, {30, 10}});
    AjouteTrace(d, C, {{40, 0}, {50, 0}, {50, 10}});
    Tout();
    ASSERT_GE(statuts.size(), 6u);
    EXPECT_EQ(statuts[0], "Tracé  A - 1er passage, point n° 1");
    EXPECT_NE(std::find(statuts.begin(), statuts.end(), "Tracé  A - 2nd passage, point n° 0"), statuts.end());
    EXPECT_EQ(statuts.back(), "");
    const std::vector<PointTrace> cheminB = R(1);
    auto calcules = [this] {
        std::string s;
        for (const std::string& texte : statuts)
            if (texte.find("point n° 1") != std::string::npos && texte.find("1er") != std::string::npos)
                s += texte.substr(7, 2);
        statuts.clear();
        return s;
    };
    EXPECT_EQ(calcules(), " A B C");
    // C before B, and A reversed.
    std::vector<PointTrace>& t = d.Trace_Initial;
    std::rotate(t.begin() + 5, t.begin() + 8, t.end());
    std::reverse(t.begin(), t.begin() + 5);
    Tout();
    EXPECT_EQ(calcules(), " A");
    ASSERT_EQ(d.Trace_Decale[2].Sequence, B);
    EXPECT_TRUE(MemesPoints(R(2), cheminB));
    // Another radius changes every path.
    r.rayon = 2;
    Tout();
    EXPECT_EQ(calcules(), " A C B");
    // A closed trace started from another of its points, as the ordering does, has its
    // path turned with it: the path a fresh computation gives, to the float.
    DepartTrace(std::span(t).first(5), 2);
    Tout();
    EXPECT_EQ(calcules(), "");
    Dessin frais;
    frais.Trace_Initial = t;
    frais.NbPoints = d.NbPoints;
    const ResultatDecalage calcul = CalculDecalageTout(frais, {}, r);
    ASSERT_EQ(R(0).size(), 5u);
    AttendPoints(R(0), XY(calcul.chemins[0].Points), 1e-4);
    // A trace that changed under a kept label never keeps its old path, even when its
    // new one cannot be computed: three times the same point has no side to offset to.
    t[5] = t[6] = t[7] = PointTrace{5, 5, PlumeBasse, C};
    Tout();
    AttendSeul(Gravite::Information, "Problème d'intersection");
    EXPECT_EQ(XY(R(1)), (Points{{5, 5}}));
    // Without the option the panel is only emptied.
    suivi.pointParPoint = false;
    statuts.clear();
    r.rayon = 3;
    Tout();
    EXPECT_EQ(statuts, std::vector<std::string>{""});
}

// Run on the program's context, the offset takes the context's settings and shows what it
// says as it always has: under the busy pointer, the progress in the fifth panel, and the
// one trace that cannot be offset at all under the title "Erreur".
TEST(DecalageValeurs, ReglagesEtMessages) {
    ValeursTemporaires c;
    c.parametres.RayonFraise = 3.0;
    c.parametres.DecalageOutil = 3;
    c.parametres.Optimisation_1 = true;
    c.parametres.AffichageCalcul = true;
    AjouteTrace(c.dessin, Etiquette(" A"), {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 0}});
    AjouteTrace(c.dessin, Etiquette(" B"), {{5, 5}, {5, 5}, {5, 5}});
    CalculDecalageTout(c.dessin, c.parametres, c.ui);
    // Every point would bite into the square: it is left with no path at all, never with
    // one that gouges.
    EXPECT_TRUE(c.dessin.Trace_Decale[0].Points.empty());
    ASSERT_EQ(c.ui.messages.size(), 2u);
    AttendMessage(c.ui.messages[0], std::string(MessageRayonTropGrand), Icone::Critique, "Erreur");
    AttendMessage(c.ui.messages[1], "Problème d'intersection", Icone::Aucune);
    EXPECT_EQ(c.ui.nbSabliers, 1);
    ASSERT_FALSE(c.ui.statuts.empty());
    EXPECT_EQ(c.ui.statuts[0], std::make_pair(5, std::string("Tracé  A - 1er passage, point n° 1")));
}

}  // namespace
