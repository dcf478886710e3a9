#include <gtest/gtest.h>

#include "model/aide_dessin.h"
#include "model/listes.h"

using namespace korvelin;
using namespace korvelin::test;

namespace {

// Labels given by the pen-down points; other pens by hand.
Dessin DessinDe(std::initializer_list<std::tuple<float, float, const char*>> points) {
    Dessin d;
    for (auto [x, y, e] : points) AjouteTrace(d, Etiquette(e), {{x, y}});
    return d;
}

// Points given as x, y and the pen: 'b' down, 'h' up, ' ' neither.
Dessin DessinPlumes(std::initializer_list<std::tuple<float, float, char>> points) {
    Dessin d;
    for (auto [x, y, p] : points)
        d.Trace_Initial.push_back({x, y, p == 'b' ? PlumeBasse : p == 'h' ? PlumeHaute : Code2{}, {}});
    d.NbPoints = static_cast<int32_t>(d.Trace_Initial.size());
    return d;
}

std::string Etiquettes(const Dessin& d) {
    std::string s;
    for (int32_t i = 0; i < d.NbPoints; ++i) s += d.Trace_Initial[i].Sequence.Texte() + "|";
    return s;
}

}  // namespace

TEST(ProchaineSequence, SuitLaSuiteDesEtiquettesSansJamaisSeRepeter) {
    EXPECT_EQ(ProchaineSequence(std::string_view("")), PremiereSequence);
    for (const auto& [avant, apres] : {std::pair{"A", " B"}, {" Z", "AA"}, {"AZ", "BA"}, {" M", " N"}})
        EXPECT_EQ(ProchaineSequence(std::string_view(avant)).Texte(), apres);
    EXPECT_EQ(ProchaineSequence(std::string_view("ZZ")), Code2(U'[', U'A'));
    Code2 e = PremiereSequence;
    for (int i = 0; i < 2'000'000; ++i) {
        const Code2 precedente = e;
        e = ProchaineSequence(e);
        ASSERT_NE(e, precedente);
        ASSERT_FALSE(e.c0() >= 0xD800 && e.c0() <= 0xDFFF);
    }
    EXPECT_EQ(Code2::De(e.Texte()), e);  // survives the UTF-8 round trip of project files
}

// A code is packed in four bytes; pairs that do not fit (a far second character, as a
// project written by hand may hold) must still read back and compare exactly.
TEST(ProchaineSequence, LesEtiquettesLointainesRestentExactesEtDistinctes) {
    const std::vector<Code2> codes = {Code2(U'A', U'\u4E2D'), Code2(U'\U0010FFFF', U'\U0001F600'),
                                      Code2(U'A', U'\u4E2E'), Code2(U'\U0010FFFF', U'\u07FF'),
                                      Code2(U' ', U'\u4E2D'), Code2(U'A', U'B')};
    for (std::size_t i = 0; i < codes.size(); ++i) {
        EXPECT_EQ(Code2::De(codes[i].Texte()), codes[i]) << i;
        EXPECT_EQ(Code2(codes[i].c0(), codes[i].c1()), codes[i]) << i;
        for (std::size_t j = 0; j < i; ++j) EXPECT_NE(codes[i], codes[j]) << i << " " << j;
    }
    EXPECT_EQ(codes[1].c0(), U'\U0010FFFF');
    EXPECT_EQ(codes[1].c1(), U'\U0001F600');
    EXPECT_EQ(sizeof(PointTrace), 16u);
}

TEST(ListeDePoints, RechercheSuppressionEtInversion) {
    Dessin d = DessinDe({{0, 0, " A"}, {1, 0, " A"}, {2, 0, " B"}, {3, 0, " B"}, {4, 0, " B"}});
    EXPECT_EQ(PremierPointSequence(d, Etiquette(" B")), 2);
    EXPECT_EQ(PremierPointSequence(d, Etiquette(" Q")), -1);
    EXPECT_EQ(NbPointsSequence(d, 2), 3);
    EXPECT_EQ(NbPointsSequence(d, 4), 1);

    d = DessinDe({{0, 0, " A"}, {1, 0, " A"}, {2, 0, " B"}, {3, 0, " C"}});
    SupprimeSequence(d, Etiquette(" A"));
    EXPECT_EQ(Etiquettes(d), " B| C|");
    EXPECT_EQ(d.Trace_Initial[0].X, 2.0f);
    EXPECT_EQ(d.Trace_Initial.size(), 4u);  // the array is not shrunk

    for (int n = 1; n <= 6; ++n) {
        Points b, inverse;
        for (int k = 0; k < n; ++k) b.emplace_back(float(k), 0), inverse.emplace_back(float(n - 1 - k), 0);
        d = Dessin{};
        AjouteTrace(d, Etiquette(" A"), {{-1, 0}});
        AjouteTrace(d, Etiquette(" B"), b);
        AjouteTrace(d, Etiquette(" C"), {{-2, 0}});
        InverseSequence(d, Etiquette(" B"));
        inverse.insert(inverse.begin(), {-1, 0});
        inverse.emplace_back(-2, 0);
        EXPECT_EQ(XY(d.Trace_Initial), inverse) << "n=" << n;
    }
    // The spare entry past the counted points is no part of the last trace, even when it
    // still carries its label.
    d = Dessin{};
    AjouteTrace(d, Etiquette(" A"), {{0, 0}, {1, 0}});
    d.Trace_Initial.push_back({9, 9, PlumeBasse, Etiquette(" A")});
    InverseSequence(d, Etiquette(" A"));
    EXPECT_EQ(XY(d.Trace_Initial), (Points{{1, 0}, {0, 0}, {9, 9}}));
}

TEST(ListeDePoints, SupprimeDoublonsGardeLaPlumeEtLaTolerance) {
    Dessin d =
        DessinPlumes({{0, 0, 'b'}, {0.0009f, 0, 'b'}, {0.0009f, 0, 'h'}, {5, 5, 'b'}, {5.002f, 5, 'b'}, {9, 9, ' '}});
    SupprimeDoublons(d);
    // The spare last entry stays just past the counted points.
    ASSERT_EQ(d.NbPoints, 4);
    ASSERT_EQ(d.Trace_Initial.size(), 5u);
    EXPECT_EQ(d.Trace_Initial[1].Plume, PlumeHaute);
    EXPECT_FLOAT_EQ(d.Trace_Initial[3].X, 5.002f);
    EXPECT_EQ(d.Trace_Initial[4].X, 9.0f);
}

TEST(ListeDePoints, NumeroteSequencesOuvreUneTraceApresChaqueLever) {
    Dessin d =
        DessinPlumes({{0, 0, 'h'}, {0, 0, 'b'}, {1, 0, 'b'}, {5, 5, 'h'}, {5, 5, 'b'}, {6, 5, 'b'}, {7, 7, 'h'}});
    ASSERT_TRUE(NumeroteSequences(d));
    EXPECT_EQ(d.Trace_Initial.size(), 4u);
    EXPECT_EQ(Etiquettes(d), " A| A| B| B|");
    // A lone first point is a trace of its own, not joined to the next by a cut.
    d = DessinPlumes({{0, 0, 'b'}, {0, 0, 'h'}, {1, 1, 'b'}, {2, 2, 'b'}});
    ASSERT_TRUE(NumeroteSequences(d));
    EXPECT_EQ(Etiquettes(d), " A| B| B|");
    // Without any pen-down the drawing is emptied.
    d = DessinPlumes({{0, 0, 'h'}, {1, 1, 'h'}});
    EXPECT_FALSE(NumeroteSequences(d));
    EXPECT_EQ(d.NbPoints, 0);
    EXPECT_TRUE(d.Trace_Initial.empty());
}

TEST(ListeDePoints, CalculBornesCompteLeDernierPointDesDecalages) {
    Dessin d = DessinDe({{1, 2, " A"}, {3, -4, " A"}});
    d.Trace_Decale = {{Etiquette(" A"), {{0, 0, {}, {}}, {10, 20, {}, {}}}}, {Etiquette(" Z"), {{99, 99, {}, {}}}}};
    CalculBornes(d);
    // The spare entry (99, 99) is skipped.
    EXPECT_TRUE(d.Xmin == 0.0 && d.Xmax == 10.0 && d.Ymin == -4.0 && d.Ymax == 20.0);
}
