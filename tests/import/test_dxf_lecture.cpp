#include <gtest/gtest.h>

#include <cmath>

#include "import/dxf_lecture.h"
#include "import/dxf_texte.h"
#include "model/dessin.h"

namespace korvelin {
namespace {

using test::Paires;
using test::PairesDXF;
using test::Section;
using test::TexteDXF;
using test::operator+;
using V = std::vector<double>;

V Valeurs(const DocumentDXF& d, const EntiteDXF& e) { return V(d.ValeursDe(e), d.ValeursDe(e) + e.Nombre); }

DocumentDXF Lit(const PairesDXF& p) { return LireDXFTexte(TexteDXF(Section("ENTITIES", p))); }

TEST(LectureDXF, Nombres) {
    double v = 0;
    EXPECT_TRUE(LitNombreDXF(" -1,5E+2 ", v) && v == -150.0);
    EXPECT_TRUE(LitNombreDXF("+12.5", v) && v == 12.5);
    EXPECT_TRUE(LitNombreDXF("1E400", v) && std::isinf(v));
    EXPECT_TRUE(LitNombreDXF("-1e-400", v) && v == 0.0);
    EXPECT_TRUE(LitNombreDXF("0." + std::string(300, '1'), v) && std::fabs(v - 0.1111111) < 1e-6);
    for (const char* mauvais : {"", "-", ".", "INF", "NAN", "1,2,3", "12 5", "1E", "0x1A"})
        EXPECT_FALSE(LitNombreDXF(mauvais, v)) << mauvais;
}

TEST(LectureDXF, ValeursParTypeEtParDefaut) {
    const DocumentDXF d =
        Lit(Paires("0 LINE 5 2A 10 1.5 11 12,5 20 2 21 -4 30 ? 0 ARC 10 1 20 2 40 3 50 350 51 10 230 -1 "
                   "0 CIRCLE 40 3 0 ELLIPSE 10 1 11 3 21 4 40 0.5 0 INSERT 8 0") +
            PairesDXF{{"2", " Porte.1"}} +
            Paires("10 5 20 6 70 3 44 7 0 DIMENSION 2 *D1 10 1 "
                   "0 LINE 67 1 10 9 "  // paper space: left out
                   "0 TEXT 10 9 1 LINE 0 INSERT 2 PORTE.1"));
    ASSERT_EQ(d.Entites.size(), 7u);
    EXPECT_EQ(Valeurs(d, d.Entites[0]), (V{1.5, 2, 0, 12.5, -4, 0}));
    EXPECT_EQ(Valeurs(d, d.Entites[1]), (V{1, 2, 0, 3, 0, 0, -1, 350, 10}));
    EXPECT_EQ(d.Entites[2].Type, TypeDXF::Cercle);
    EXPECT_EQ(Valeurs(d, d.Entites[2]), (V{0, 0, 0, 3, 0, 0, 1}));
    EXPECT_EQ(Valeurs(d, d.Entites[3]), (V{1, 0, 0, 3, 4, 0, 0.5, 0, 2 * Pi, 0, 0, 1}));
    EXPECT_EQ(Valeurs(d, d.Entites[4]), (V{0, 5, 6, 0, 1, 1, 1, 0, 3, 1, 7, 0, 0, 0, 1}));
    EXPECT_EQ(Valeurs(d, d.Entites[5]), (V{1}));
    // Names are kept once, upper case.
    EXPECT_EQ(d.Noms, (std::vector<std::string>{"PORTE.1", "*D1"}));
    EXPECT_EQ(Valeurs(d, d.Entites[6])[0], 0);
}

TEST(LectureDXF, SommetsEtPoints) {
    const DocumentDXF d =
        Lit(Paires("0 POLYLINE 66 1 10 0 20 0 30 2 70 128 0 VERTEX 10 1 20 2 42 0.5 "
                   "0 VERTEX 10 ? 20 7 70 16 "     // unreadable: the X before
                   "0 SEQEND 0 VERTEX 10 8 20 8 "  // after SEQEND: nobody's
                   "0 LWPOLYLINE 90 3 70 1 10 0 20 0 42 -1 10 5 20 ? 10 6 20 1 210 0 230 -1 38 4 "
                   "0 SPLINE 70 8 71 2 40 0 40 1 41 1 41 ? 10 1 20 2 10 3 20 4 30 5 11 9 21 9 13 1"));
    ASSERT_EQ(d.Entites.size(), 3u);
    EXPECT_EQ(Valeurs(d, d.Entites[0]), (V{128, 2, 0, 0, 1, 1, 2, 0, 0.5, 0, 1, 7, 0, 0, 16}));
    EXPECT_EQ(Valeurs(d, d.Entites[1]), (V{1, 4, 0, 0, -1, 0, 0, -1, 5, 0, 0, 6, 1, 0}));
    const V s = Valeurs(d, d.Entites[2]);
    ASSERT_EQ(s.size(), 13u + 2 + 2 + 6 + 3);
    EXPECT_EQ(V(s.begin(), s.begin() + 7), (V{2, 8, 2, 2, 2, 1, 2}));  // end tangent only
    EXPECT_TRUE(std::isnan(s[16]));                                    // the unreadable weight
    EXPECT_EQ(V(s.begin() + 17, s.end()), (V{1, 2, 0, 3, 4, 5, 9, 9, 0}));
}

TEST(LectureDXF, SectionsEtBlocsReconnusParLeurStructure) {
    // Layers, texts and names that read like keywords or section names open nothing.
    const std::string t = TexteDXF(
        Section("HEADER", Paires("9 $CLAYER 8 ENTITIES 9 $X 1 SECTION")) +
        Section("ENTITIES",
                Paires("0 TEXT 8 LINE 10 1 1 CIRCLE") + test::Ligne(1, 2, 3, 4) + Paires("0 ARC 8 ENDSEC 10 5")) +
        Section("BLOCKS", Paires("0 BLOCK 8 0 2 Porte 10 3 20 -2 3 Porte") + test::Insertion("LINE", 0, 0) +
                              Paires("0 ENDBLK 0 BLOCK 8 0 0 LINE 10 1 0 ENDBLK") + test::Bloc("ENTITIES", {})));
    const DocumentDXF d = LireDXFTexte(t);
    ASSERT_EQ(d.Entites.size(), 2u);
    EXPECT_EQ(d.Entites[0].Type, TypeDXF::Ligne);
    EXPECT_EQ(Valeurs(d, d.Entites[1])[0], 5);
    // The name is code 2 of the BLOCK record, not the inserted one; a block without one is left out.
    ASSERT_EQ(d.Blocs.size(), 2u);
    EXPECT_EQ(d.Noms[d.Blocs[0].Nom], "PORTE");
    EXPECT_EQ(d.Blocs[0].BaseX, 3);
    EXPECT_EQ(d.Blocs[0].BaseY, -2);
    EXPECT_EQ(d.Blocs[0].Entites.size(), 1u);
    EXPECT_EQ(d.Noms[d.Blocs[1].Nom], "ENTITIES");
    EXPECT_TRUE(LireDXFTexte(std::string("\x89PNG\r\n\x1a\n\0\0", 10)).Entites.empty());
}

TEST(LectureDXF, FinDeFichierEtBornes) {
    std::string t =
        TexteDXF(Paires("0 SECTION 2 ENTITIES") + test::Ligne(0, 0, 1, 1) + test::Cercle(1, 2, 3) + Paires("x 9 40 5"));
    DocumentDXF d = LireDXFTexte(t);
    ASSERT_EQ(d.Entites.size(), 2u);
    EXPECT_EQ(Valeurs(d, d.Entites[1])[ChampsArc::Rayon], 3);  // the bad code ended the circle
    t.resize(t.size() - 4);                                    // cut inside the last pair
    EXPECT_EQ(LireDXFTexte(t).Entites.size(), 2u);
    d = LireDXFTexte(TexteDXF(Paires("0 SECTION 2 BLOCKS 0 BLOCK 2 A") + test::Ligne(0, 0, 1, 1)));
    ASSERT_EQ(d.Blocs.size(), 1u);
    EXPECT_EQ(d.Blocs[0].Entites.size(), 1u);

    // Past the bounds the reading stops and says so: by entities, or by values.
    PairesDXF lignes;
    for (int i = 0; i < 50; ++i) lignes = lignes + test::Ligne(i, 0, i, 1);
    EXPECT_FALSE(LireDXFTexte(TexteDXF(Section("ENTITIES", lignes)), LimitesDXF{10'000, 50, 8}).Tronque);
    d = LireDXFTexte(TexteDXF(Section("ENTITIES", lignes)), LimitesDXF{10'000, 49, 8});
    EXPECT_TRUE(d.Tronque);
    EXPECT_EQ(d.Entites.size(), 49u);
    PairesDXF sommets = Paires("0 LWPOLYLINE");
    for (int i = 0; i < 3000; ++i) sommets = sommets + Paires("10 1 20 2");
    EXPECT_TRUE(LireDXFTexte(TexteDXF(Section("ENTITIES", sommets)), LimitesDXF{1000, 50, 8}).Tronque);
}

}  // namespace
}  // namespace korvelin
