#include <gtest/gtest.h>

#include "import/dxf_lecture.h"
#include "import/dxf_texte.h"

namespace korvelin {
namespace {

using test::PairesDXF;
using test::Section;
using test::TexteDXF;
using test::operator+;
using S = std::vector<std::string>;

S Slots(const EntiteDXF& e) {
    S v;
    for (std::size_t i = 0; i < e.Codes.size(); ++i) {
        EXPECT_EQ(e.Codes[i].Code, static_cast<int32_t>(i));
        v.push_back(e.Codes[i].Valeur);
    }
    return v;
}

std::vector<EntiteDXF> Entites(const PairesDXF& p) { return LireDXFTexte(TexteDXF(Section("ENTITIES", p))).Entites; }

TEST(LectureDXF, SlotsParTypeEtValeursParDefaut) {
    EXPECT_EQ(NormaliseLigne("  Calque.2 a.b\t "), "CALQUE,2 A,B");
    const auto e = Entites({
        {"0", "LINE"}, {"5", "2A"}, {"10", "1.5"}, {"20", "2"}, {"30", "0"}, {"11", "12.5"}, {"21", "-4"},
        {"0", "ARC"}, {"10", "1"}, {"20", "2"}, {"40", "3"}, {"50", "350"}, {"51", "10"},
        {"0", "ELLIPSE"}, {"10", "1"}, {"20", "2"}, {"11", "3"}, {"21", "4"}, {"40", "0.5"},
        {"0", "INSERT"}, {"8", "0"}, {"2", "Porte"}, {"10", "5"}, {"20", "6"},
        {"0", "DIMENSION"}, {"2", "*D1"}, {"10", "1"}, {"20", "2"}, {"13", "3"},
        {"0", "POLYLINE"}, {"66", "1"}, {"10", "0"}, {"20", "0"}, {"30", "0"}, {"70", "1"},
        {"0", "VERTEX"}, {"10", "8"}, {"20", "9"}, {"42", "0.3"}, {"0", "SEQEND"},
    });
    ASSERT_EQ(e.size(), 7u);
    EXPECT_EQ(Slots(e[0]), (S{"1,5", "2", "12,5", "-4"}));
    EXPECT_EQ(Slots(e[1]), (S{"1", "2", "3", "350", "10"}));
    EXPECT_EQ(Slots(e[2]), (S{"1", "2", "3", "4", "0,5", "0", "0"}));
    EXPECT_EQ(Slots(e[3]), (S{"PORTE", "5", "6", "1", "1", "0"}));  // scales 1, rotation 0
    EXPECT_EQ(Slots(e[4]), (S{"*D1", "1", "2", "0", "0", "0", "0", "3", "0", "0", "0"}));
    EXPECT_EQ(Slots(e[5]), (S{"0", "0", "0", "1"}));  // pairs as read from its "10"
    EXPECT_EQ(e[6].TypeEntite, "VERTEX");
    EXPECT_EQ(Slots(e[6]), (S{"8", "9"}));
}

TEST(LectureDXF, PairesLuesDepuisLeurPremierCode) {
    const auto e = Entites({
        {"0", "LINE"}, {"10", "1"}, {"11", "3"}, {"20", "2"}, {"21", "4"},            // another order
        {"0", "LINE"}, {"20", "99"}, {"10", "1"}, {"11", "3"}, {"21", "4"},           // a "20" before "10"
        {"0", "LINE"}, {"8", "0"}, {"62", "1"},                                       // no "10": no record
        {"0", "CIRCLE"}, {"10", "5"}, {"x", "9"}, {"40", "7"},                        // ends at the bad code
        {"0", "INSERT"}, {"10", "5"}, {"2", "A"}, {"20", "6"},                        // starts at its name
    });
    ASSERT_EQ(e.size(), 4u);
    EXPECT_EQ(Slots(e[0]), (S{"1", "2", "3", "4"}));
    EXPECT_EQ(Slots(e[1]), (S{"1", "0", "3", "4"}));
    EXPECT_EQ(Slots(e[2]), (S{"5", "0", "0"}));
    EXPECT_EQ(Slots(e[3]), (S{"A", "0", "6", "1", "1", "0"}));
}

TEST(LectureDXF, SectionsEtBlocsReconnusParLeurStructure) {
    // Layers, texts and names that read like keywords or section names open nothing.
    const std::string t = TexteDXF(
        Section("HEADER", {{"9", "$CLAYER"}, {"8", "ENTITIES"}, {"9", "$X"}, {"1", "SECTION"}}) +
        Section("ENTITIES", PairesDXF{{"0", "TEXT"}, {"8", "LINE"}, {"10", "1"}, {"1", "CIRCLE"}} +
                                test::Ligne(1, 2, 3, 4) + PairesDXF{{"0", "ARC"}, {"8", "ENDSEC"}, {"10", "5"}}) +
        Section("BLOCKS", test::Bloc("Porte.1", test::Insertion("LINE", 0, 0)) +
                              PairesDXF{{"0", "BLOCK"}, {"8", "0"}, {"0", "LINE"}, {"10", "1"}, {"0", "ENDBLK"}} +
                              test::Bloc("ENTITIES", {})));
    const DocumentDXF d = LireDXFTexte(t);
    ASSERT_EQ(d.Entites.size(), 2u);
    EXPECT_EQ(d.Entites[0].TypeEntite, "LINE");
    EXPECT_EQ(Slots(d.Entites[1])[0], "5");
    // The name is code 2 of the BLOCK record, not the inserted one; a block without one is left out.
    ASSERT_EQ(d.Blocs.size(), 2u);
    EXPECT_EQ(d.Blocs[0].Nom, "PORTE,1");
    EXPECT_EQ(d.Blocs[0].Entites.size(), 1u);
    EXPECT_EQ(d.Blocs[1].Nom, "ENTITIES");

    // ENTITIES alone, or with lone LF or CR line ends.
    for (const char* fin : {"\r\n", "\n", "\r"})
        EXPECT_EQ(LireDXFTexte(TexteDXF(Section("ENTITIES", test::Ligne(0, 0, 1, 1)), fin)).Entites.size(), 1u);
    EXPECT_TRUE(LireDXFTexte(std::string("\x89PNG\r\n\x1a\n\0\0", 10)).Entites.empty());
}

TEST(LectureDXF, FinDeFichierGardeCeQuiEstLu) {
    std::string t = TexteDXF(PairesDXF{{"0", "SECTION"}, {"2", "ENTITIES"}} + test::Ligne(0, 0, 1, 1) +
                             test::Cercle(1, 2, 3));
    EXPECT_EQ(LireDXFTexte(t).Entites.size(), 2u);
    t.resize(t.size() - 4);  // cut inside the last pair
    EXPECT_EQ(LireDXFTexte(t).Entites.size(), 2u);
    const DocumentDXF d = LireDXFTexte(
        TexteDXF(PairesDXF{{"0", "SECTION"}, {"2", "BLOCKS"}, {"0", "BLOCK"}, {"2", "A"}} + test::Ligne(0, 0, 1, 1)));
    ASSERT_EQ(d.Blocs.size(), 1u);
    EXPECT_EQ(d.Blocs[0].Entites.size(), 1u);
}

}  // namespace
}  // namespace korvelin
