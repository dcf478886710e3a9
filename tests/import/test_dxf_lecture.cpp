#include <gtest/gtest.h>

#include "import/dxf_lecture.h"
#include "import/dxf_texte.h"
#include "support/dossier_temporaire.h"

namespace korvelin {
namespace {

using test::FichierDXF;
using test::PairesDXF;
using test::Section;
using test::TexteDXF;
using test::operator+;

std::vector<std::string> Slots(const EntiteDXF& e) {
    std::vector<std::string> v;
    for (std::size_t i = 0; i < e.Codes.size(); ++i) {
        EXPECT_EQ(e.Codes[i].Code, static_cast<int32_t>(i));
        v.push_back(e.Codes[i].Valeur);
    }
    return v;
}

using S = std::vector<std::string>;

DocumentDXF Entites(const PairesDXF& p) { return LireDXFTexte(TexteDXF(Section("ENTITIES", p))); }

TEST(LectureDXF, LignesNormalisees) {
    EXPECT_EQ(NormaliseLigne("  Calque.2 a.b\t "), "CALQUE,2 A,B");
    EXPECT_EQ(NormaliseLigne(""), "");
    EXPECT_TRUE(EstEntiteConnue(" line "));
    EXPECT_TRUE(EstEntiteConnue("Dimension"));
    EXPECT_FALSE(EstEntiteConnue("LWPOLYLINE"));
    EXPECT_FALSE(EstEntiteConnue("SEQEND"));
}

TEST(LectureDXF, DispositionDesSlotsParType) {
    const DocumentDXF d = Entites({
        {"0", "LINE"}, {"5", "2A"}, {"8", "0"}, {"10", "1.5"}, {"20", "2"}, {"30", "0"}, {"11", "12.5"},
        {"21", "-4"}, {"31", "0"},
        {"0", "ARC"}, {"10", "1"}, {"20", "2"}, {"40", "3"}, {"50", "350"}, {"51", "10"},
        {"0", "CIRCLE"}, {"10", "4"}, {"20", "5"}, {"30", "7"}, {"40", "6"}, {"210", "0"}, {"220", "0"}, {"230", "1"},
        {"0", "ELLIPSE"}, {"100", "AcDbEllipse"}, {"10", "1"}, {"20", "2"}, {"11", "3"}, {"21", "4"}, {"40", "0.5"},
        {"0", "VERTEX"}, {"10", "8"}, {"20", "9"}, {"42", "0.3"},
        {"0", "INSERT"}, {"8", "0"}, {"2", "Porte"}, {"10", "5"}, {"20", "6"},
        {"0", "DIMENSION"}, {"2", "*D1"}, {"10", "1"}, {"20", "2"}, {"13", "3"},
    });
    ASSERT_EQ(d.Entites.size(), 7u);
    EXPECT_EQ(d.Entites[0].TypeEntite, "LINE");
    EXPECT_EQ(Slots(d.Entites[0]), (S{"1,5", "2", "12,5", "-4"}));
    EXPECT_EQ(Slots(d.Entites[1]), (S{"1", "2", "3", "350", "10"}));
    EXPECT_EQ(Slots(d.Entites[2]), (S{"4", "5", "6"}));
    // Codes 41 and 42 missing: the ellipse runs from 0 to 0.
    EXPECT_EQ(Slots(d.Entites[3]), (S{"1", "2", "3", "4", "0,5", "0", "0"}));
    EXPECT_EQ(Slots(d.Entites[4]), (S{"8", "9"}));
    // An insert without scales has both at 1, without rotation 0.
    EXPECT_EQ(Slots(d.Entites[5]), (S{"PORTE", "5", "6", "1", "1", "0"}));
    EXPECT_EQ(Slots(d.Entites[6]), (S{"*D1", "1", "2", "0", "0", "0", "0", "3", "0", "0", "0"}));
}

TEST(LectureDXF, OrdreDesCodesIndifferent) {
    const DocumentDXF d = Entites({
        {"0", "LINE"}, {"10", "1"}, {"11", "3"}, {"20", "2"}, {"21", "4"},
        {"0", "LINE"}, {"10", "1"}, {"20", "2"}, {"11", "3"}, {"21", "4"},
        {"0", "INSERT"}, {"2", "B"}, {"50", "30"}, {"42", "2"}, {"10", "7"}, {"41", "-1"}, {"20", "8"},
    });
    ASSERT_EQ(d.Entites.size(), 3u);
    EXPECT_EQ(Slots(d.Entites[0]), (S{"1", "2", "3", "4"}));
    EXPECT_EQ(Slots(d.Entites[1]), (S{"1", "2", "3", "4"}));
    EXPECT_EQ(Slots(d.Entites[2]), (S{"B", "7", "8", "-1", "2", "30"}));
}

TEST(LectureDXF, PaireDeDepartEtFinDEntite) {
    const DocumentDXF d = Entites({
        // Pairs before the first "10" are not read, even a "20".
        {"0", "LINE"}, {"20", "99"}, {"10", "1"}, {"11", "3"}, {"21", "4"},
        // No "10" before the next "0": no record.
        {"0", "LINE"}, {"8", "0"}, {"62", "1"},
        {"0", "CIRCLE"}, {"10", "1"}, {"20", "2"}, {"40", "3"},
        // A code line that is not a number ends the entity; the next one is still read.
        {"0", "CIRCLE"}, {"10", "5"}, {"x", "9"}, {"40", "7"},
        {"0", "LINE"}, {"10", "6"}, {"20", "7"}, {"11", "8"}, {"21", "9"},
        // INSERT pairs start at the name.
        {"0", "INSERT"}, {"10", "5"}, {"2", "A"}, {"20", "6"},
        {"0", "INSERT"}, {"10", "5"}, {"20", "6"},
    });
    ASSERT_EQ(d.Entites.size(), 5u);
    EXPECT_EQ(Slots(d.Entites[0]), (S{"1", "0", "3", "4"}));
    EXPECT_EQ(Slots(d.Entites[1]), (S{"1", "2", "3"}));
    EXPECT_EQ(Slots(d.Entites[2]), (S{"5", "0", "0"}));
    EXPECT_EQ(Slots(d.Entites[3]), (S{"6", "7", "8", "9"}));
    EXPECT_EQ(Slots(d.Entites[4]), (S{"A", "0", "6", "1", "1", "0"}));
}

TEST(LectureDXF, PolyligneGardeSesPairesEtSesSommets) {
    const DocumentDXF d = Entites(test::Polyligne({{0, 0}, {10, 0}, {10, 5}}, true) +
                                  PairesDXF{{"0", "POLYLINE"}, {"66", "1"}, {"10", "0"}, {"20", "0"}});
    ASSERT_EQ(d.Entites.size(), 5u);
    EXPECT_EQ(d.Entites[0].TypeEntite, "POLYLINE");
    EXPECT_EQ(Slots(d.Entites[0]), (S{"0,0", "0,0", "0,0", "1"}));
    EXPECT_EQ(d.Entites[1].TypeEntite, "VERTEX");
    EXPECT_EQ(Slots(d.Entites[2]), (S{"10,000000", "0,000000"}));
    EXPECT_EQ(d.Entites[3].TypeEntite, "VERTEX");
    EXPECT_EQ(Slots(d.Entites[4]), (S{"0", "0"}));
}

TEST(LectureDXF, MotsClesHorsDesLignesDeCode) {
    // Layers, texts and block names that read like keywords or section names.
    const std::string t = TexteDXF(
        Section("HEADER", {{"9", "$CLAYER"}, {"8", "ENTITIES"}, {"9", "$X"}, {"1", "SECTION"}}) +
        Section("TABLES", {{"0", "LAYER"}, {"2", "BLOCKS"}, {"0", "LAYER"}, {"2", "LINE"}}) +
        Section("BLOCKS", test::Bloc("ENTITIES", test::Ligne(0, 0, 1, 1)) + test::Bloc("LINE", {})) +
        Section("ENTITIES", PairesDXF{{"0", "TEXT"}, {"8", "LINE"}, {"10", "1"}, {"20", "2"}, {"1", "CIRCLE"}} +
                                test::Ligne(1, 2, 3, 4) + PairesDXF{{"0", "ARC"}, {"8", "ENDSEC"}, {"10", "5"}}));
    const DocumentDXF d = LireDXFTexte(t);
    ASSERT_EQ(d.Blocs.size(), 2u);
    EXPECT_EQ(d.Blocs[0].Nom, "ENTITIES");
    ASSERT_EQ(d.Blocs[0].Entites.size(), 1u);
    EXPECT_EQ(d.Blocs[1].Nom, "LINE");
    EXPECT_TRUE(d.Blocs[1].Entites.empty());
    ASSERT_EQ(d.Entites.size(), 2u);
    EXPECT_EQ(d.Entites[0].TypeEntite, "LINE");
    EXPECT_EQ(d.Entites[1].TypeEntite, "ARC");
    EXPECT_EQ(Slots(d.Entites[1])[0], "5");
}

TEST(LectureDXF, SectionsOuQuEllesSoient) {
    const PairesDXF ligne = test::Ligne(1, 2, 3, 4);
    // ENTITIES first, with no BLOCKS at all.
    EXPECT_EQ(LireDXFTexte(TexteDXF(Section("ENTITIES", ligne))).Entites.size(), 1u);
    // ENTITIES second, after a header.
    EXPECT_EQ(LireDXFTexte(TexteDXF(Section("HEADER", {}) + Section("ENTITIES", ligne))).Entites.size(), 1u);
    // ENTITIES before BLOCKS.
    const DocumentDXF d = LireDXFTexte(TexteDXF(Section("ENTITIES", ligne) + Section("BLOCKS", test::Bloc("B", ligne))));
    EXPECT_EQ(d.Entites.size(), 1u);
    ASSERT_EQ(d.Blocs.size(), 1u);
    EXPECT_EQ(d.Blocs[0].Entites.size(), 1u);
    // Nothing that looks like a DXF file.
    EXPECT_TRUE(LireDXFTexte("\x89PNG\r\n\x1a\n\0\0").Entites.empty());
    EXPECT_TRUE(LireDXFTexte("").Entites.empty());
}

TEST(LectureDXF, FinDeFichierGardeCeQuiEstLu) {
    // A section without ENDSEC, a last entity without its final "0".
    std::string t = TexteDXF(PairesDXF{{"0", "SECTION"}, {"2", "ENTITIES"}} + test::Ligne(0, 0, 1, 1) +
                             PairesDXF{{"0", "CIRCLE"}, {"10", "1"}, {"20", "2"}, {"40", "3"}});
    EXPECT_EQ(LireDXFTexte(t).Entites.size(), 2u);
    // The same cut in the middle of a pair.
    t.resize(t.size() - 4);
    EXPECT_EQ(LireDXFTexte(t).Entites.size(), 2u);
    // A block without ENDBLK, a BLOCKS section without ENDSEC.
    const DocumentDXF d = LireDXFTexte(TexteDXF(PairesDXF{{"0", "SECTION"}, {"2", "BLOCKS"}, {"0", "BLOCK"}, {"2", "A"}} +
                                                test::Ligne(0, 0, 1, 1)));
    ASSERT_EQ(d.Blocs.size(), 1u);
    EXPECT_EQ(d.Blocs[0].Entites.size(), 1u);
    EXPECT_TRUE(d.Entites.empty());
}

TEST(LectureDXF, BlocsNommesParLeurCode2) {
    const std::string t = FichierDXF(
        // A block record with no linetype code and its own "10": the name is what code 2 says.
        test::Bloc("Porte.1", test::Ligne(0, 0, 5, 0) + test::Arc(0, 0, 5, 0, 90)) +
            // No name: not kept.
            PairesDXF{{"0", "BLOCK"}, {"8", "0"}, {"0", "LINE"}, {"10", "1"}, {"0", "ENDBLK"}} +
            // A block holding an insert: its name is not the inserted one.
            test::Bloc("CADRE", test::Insertion("PORTE,1", 0, 0)),
        {});
    const DocumentDXF d = LireDXFTexte(t);
    ASSERT_EQ(d.Blocs.size(), 2u);
    EXPECT_EQ(d.Blocs[0].Nom, "PORTE,1");
    EXPECT_EQ(d.Blocs[0].Entites.size(), 2u);
    EXPECT_EQ(d.Blocs[1].Nom, "CADRE");
    ASSERT_EQ(d.Blocs[1].Entites.size(), 1u);
    EXPECT_EQ(d.Blocs[1].Entites[0].Codes[0].Valeur, "PORTE,1");
}

TEST(LectureDXF, FinsDeLigneEtTypesIgnores) {
    const PairesDXF p = Section("ENTITIES", PairesDXF{{"0", "LWPOLYLINE"}, {"10", "0"}, {"20", "0"}, {"0", "SPLINE"},
                                                     {"10", "1"}, {"0", "POINT"}, {"10", "1"}, {"20", "1"}} +
                                              test::Ligne(0, 0, 1, 1) + PairesDXF{{"0", "SEQEND"}});
    for (const char* fin : {"\r\n", "\n", "\r"}) {
        const DocumentDXF d = LireDXFTexte(TexteDXF(p, fin));
        ASSERT_EQ(d.Entites.size(), 1u) << "fin de ligne " << int(fin[0]);
        EXPECT_EQ(d.Entites[0].TypeEntite, "LINE");
    }
}

TEST(LectureDXF, FichierIllisible) {
    test::DossierTemporaire dossier;
    EXPECT_FALSE(LireDXF(dossier.Chemin("absent.dxf")).has_value());
    EXPECT_FALSE(LireDXF(dossier.Dossier()).has_value());
    const std::string chemin = dossier.Ecrit("a.dxf", TexteDXF(Section("ENTITIES", test::Ligne(0, 0, 1, 1))));
    const auto d = LireDXF(chemin);
    ASSERT_TRUE(d.has_value());
    EXPECT_EQ(d->Entites.size(), 1u);
}

}  // namespace
}  // namespace korvelin
