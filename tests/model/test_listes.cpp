#include <gtest/gtest.h>

#include "model/listes.h"

using namespace korvelin;

namespace {

Dessin DessinDe(std::initializer_list<std::tuple<float, float, const char*>> points) {
    Dessin d;
    for (auto [x, y, e] : points) d.Trace_Initial.push_back({x, y, PlumeBasse, Code2::De(e)});
    d.NbPoints = static_cast<int32_t>(d.Trace_Initial.size());
    return d;
}

std::string Etiquettes(const Dessin& d) {
    std::string s;
    for (int32_t i = 0; i < d.NbPoints; ++i) s += d.Trace_Initial[i].Sequence.Texte() + "|";
    return s;
}

}  // namespace

TEST(ProchaineSequence, SuitLaSuiteDesEtiquettes) {
    EXPECT_EQ(ProchaineSequence(std::string_view("")), PremiereSequence);
    EXPECT_EQ(ProchaineSequence(std::string_view("A")).Texte(), " B");
    EXPECT_EQ(ProchaineSequence(std::string_view(" Z")).Texte(), "AA");
    EXPECT_EQ(ProchaineSequence(std::string_view("AZ")).Texte(), "BA");
    EXPECT_EQ(ProchaineSequence(std::string_view(" M")).Texte(), " N");
    EXPECT_EQ(ProchaineSequence(std::string_view("ZZ")), Code2(U'[', U'A'));
}

TEST(ProchaineSequence, NeRepeteJamaisMemeApresDesMillionsDeTraces) {
    Code2 e = PremiereSequence;
    Code2 precedente = e;
    for (int i = 0; i < 2'000'000; ++i) {
        e = ProchaineSequence(e);
        ASSERT_NE(e, precedente);
        ASSERT_FALSE(e.c0 >= 0xD800 && e.c0 <= 0xDFFF);
        precedente = e;
    }
    EXPECT_EQ(Code2::De(e.Texte()), e);  // survives the UTF-8 round trip of project files
}

TEST(ListeDePoints, RechercheEtLongueurDesTraces) {
    Dessin d = DessinDe({{0, 0, " A"}, {1, 0, " A"}, {2, 0, " B"}, {3, 0, " B"}, {4, 0, " B"}});
    EXPECT_EQ(PremierPointSequence(d, Code2::De(" B")), 2);
    EXPECT_EQ(PremierPointSequence(d, Code2::De(" Q")), -1);
    EXPECT_EQ(NbPointsSequence(d, 2), 3);
    EXPECT_EQ(NbPointsSequence(d, 4), 1);
    EXPECT_TRUE(EstDansSequence(d, 1, Code2::De(" A")));
    EXPECT_FALSE(EstDansSequence(d, 5, Code2::De(" B")));
}

TEST(ListeDePoints, SupprimeSequenceDecaleLaSuite) {
    Dessin d = DessinDe({{0, 0, " A"}, {1, 0, " A"}, {2, 0, " B"}, {3, 0, " C"}});
    SupprimeSequence(d, Code2::De(" A"));
    EXPECT_EQ(d.NbPoints, 2);
    EXPECT_EQ(Etiquettes(d), " B| C|");
    EXPECT_EQ(d.Trace_Initial[0].X, 2.0f);
    EXPECT_EQ(d.Trace_Initial.size(), 4u);  // the array is not shrunk
}

TEST(ListeDePoints, InverseSequenceRetourneChaqueLongueur) {
    for (int n = 1; n <= 6; ++n) {
        Dessin d;
        d.Trace_Initial.push_back({-1, 0, PlumeBasse, Code2::De(" A")});
        for (int k = 0; k < n; ++k) d.Trace_Initial.push_back({float(k), 0, PlumeBasse, Code2::De(" B")});
        d.Trace_Initial.push_back({-2, 0, PlumeBasse, Code2::De(" C")});
        d.NbPoints = n + 2;
        InverseSequence(d, Code2::De(" B"));
        for (int k = 0; k < n; ++k) EXPECT_EQ(d.Trace_Initial[1 + k].X, float(n - 1 - k)) << "n=" << n;
        EXPECT_EQ(d.Trace_Initial[0].X, -1.0f);
        EXPECT_EQ(d.Trace_Initial[n + 1].X, -2.0f);
    }
}

TEST(ListeDePoints, SupprimeDoublonsGardeLaPlumeEtLaTolerance) {
    Dessin d;
    d.Trace_Initial = {{0, 0, PlumeBasse, {}},      {0.0009f, 0, PlumeBasse, {}}, {0.0009f, 0, PlumeHaute, {}},
                       {5, 5, PlumeBasse, {}},      {5.002f, 5, PlumeBasse, {}},  {9, 9, {}, {}}};
    SupprimeDoublons(d);
    // The spare last entry stays just past the counted points.
    ASSERT_EQ(d.NbPoints, 4);
    ASSERT_EQ(d.Trace_Initial.size(), 5u);
    EXPECT_EQ(d.Trace_Initial[1].Plume, PlumeHaute);
    EXPECT_FLOAT_EQ(d.Trace_Initial[3].X, 5.002f);
    EXPECT_EQ(d.Trace_Initial[4].X, 9.0f);
}

TEST(ListeDePoints, NumeroteSequencesOuvreUneTraceApresChaqueLever) {
    Dessin d;
    d.Trace_Initial = {{0, 0, PlumeHaute, {}}, {0, 0, PlumeBasse, {}}, {1, 0, PlumeBasse, {}},
                       {5, 5, PlumeHaute, {}}, {5, 5, PlumeBasse, {}}, {6, 5, PlumeBasse, {}},
                       {7, 7, PlumeHaute, {}}};
    d.NbPoints = 7;
    ASSERT_TRUE(NumeroteSequences(d));
    EXPECT_EQ(d.NbPoints, 4);
    EXPECT_EQ(d.Trace_Initial.size(), 4u);
    EXPECT_EQ(Etiquettes(d), " A| A| B| B|");
}

TEST(ListeDePoints, NumeroteSequencesSansPlumeBasseVideLeDessin) {
    Dessin d;
    d.Trace_Initial = {{0, 0, PlumeHaute, {}}, {1, 1, PlumeHaute, {}}};
    d.NbPoints = 2;
    EXPECT_FALSE(NumeroteSequences(d));
    EXPECT_EQ(d.NbPoints, 0);
    EXPECT_TRUE(d.Trace_Initial.empty());
}

TEST(ListeDePoints, CalculBornesCompteLeDernierPointDesDecalages) {
    Dessin d = DessinDe({{1, 2, " A"}, {3, -4, " A"}});
    d.Trace_Decale = {{Code2::De(" A"), {{0, 0, {}, {}}, {10, 20, {}, {}}}}, {Code2::De(" Z"), {{99, 99, {}, {}}}}};
    CalculBornes(d);
    EXPECT_EQ(d.Xmin, 0.0);
    EXPECT_EQ(d.Xmax, 10.0);
    EXPECT_EQ(d.Ymin, -4.0);
    EXPECT_EQ(d.Ymax, 20.0);  // the spare entry (99, 99) is skipped
}
