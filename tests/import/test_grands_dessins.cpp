// Large drawings at a bounded memory: files read a block at a time and polylines stored
// one point a vertex must give exactly the drawing of the whole text with two points a
// segment.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "import/dxf.h"
#include "import/dxf_conversion.h"
#include "import/dxf_lecture.h"
#include "support/valeurs_temporaires.h"
#include "support/import_test.h"

namespace korvelin {
namespace {

namespace fs = std::filesystem;

// The reader's block: a line end placed across its edge is the case to check.
constexpr std::size_t Bloc = 1 << 18;

void DocumentsEgaux(const DocumentDXF& a, const DocumentDXF& b) {
    EXPECT_EQ(a.Valeurs, b.Valeurs);
    ASSERT_EQ(a.Entites.size(), b.Entites.size());
    for (std::size_t i = 0; i < a.Entites.size(); ++i) {
        EXPECT_EQ(a.Entites[i].Type, b.Entites[i].Type);
        EXPECT_EQ(a.Entites[i].Nombre, b.Entites[i].Nombre);
    }
    EXPECT_EQ(a.NbLignes, b.NbLignes);
    EXPECT_EQ(a.FinTrouvee, b.FinTrouvee);
    EXPECT_EQ(a.LigneCodeIllisible, b.LigneCodeIllisible);
    EXPECT_EQ(a.NbSections, b.NbSections);
}

// A comment longer than a block, then one whose end falls at `decalage` from the block's
// edge, with CR LF, LF or a lone CR; then lines, one with a code that is no number. Then
// files cut short.
TEST(GrandsDessins, LesLignesAChevalSurDeuxBlocsSeLisentCommeDansLeTexte) {
    test::DossierTemporaire dossier;
    for (const std::string fin : {"\r\n", "\n", "\r"})
        for (int decalage = -2; decalage <= 1; ++decalage) {
            std::string t = "999" + fin + std::string(Bloc + 1000, 'c') + fin + "0" + fin + "SECTION" + fin + "2" +
                            fin + "ENTITIES" + fin + "999" + fin;
            t += std::string(2 * Bloc - t.size() + decalage, 'x') + fin;
            for (int i = 0; i < 40000; ++i)
                t += "0" + fin + "LINE" + fin + "10" + fin + std::to_string(i) + ".5" + fin + "20" + fin + "-7.25" +
                     fin + "11" + fin + "3" + fin + "21" + fin + std::to_string(i) + fin;
            t += "x1" + fin + "5" + fin + "0" + fin + "ENDSEC" + fin + "0" + fin + "EOF" + fin;
            const std::string chemin = dossier.Ecrit("lignes.dxf", t);
            const std::optional<DocumentDXF> parBlocs = LireDXF(chemin);
            ASSERT_TRUE(parBlocs.has_value());
            SCOPED_TRACE((fin == "\r\n" ? "CR LF"
                          : fin == "\n" ? "LF"
                                        : "CR") +
                         std::string(", décalage ") + std::to_string(decalage));
            DocumentsEgaux(*parBlocs, LireDXFTexte(t));
            EXPECT_EQ(parBlocs->Entites.size(), 40000u);
        }
    // A file cut after a whole line, a value or a code: the end of the file is no further line.
    const std::string coupe = "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\n0\n20\n0\n11\n1\n21\n1\n";
    for (const std::string& t : {coupe, coupe + "0\n"}) {
        const std::optional<DocumentDXF> parBlocs = LireDXF(dossier.Ecrit("coupe.dxf", t));
        ASSERT_TRUE(parBlocs.has_value());
        DocumentsEgaux(*parBlocs, LireDXFTexte(t));
    }
    EXPECT_FALSE(LireDXF(dossier.Dossier()).has_value());
}

// Every DXF drawing of the tests, imported from its file (read by blocks, one point a
// vertex) and from its text (two points a segment): the same points, the same paths.
TEST(GrandsDessins, LImportDUnFichierDonneLeDessinDuTexte) {
    std::size_t nb = 0;
    for (const char* dossier : {"/reels", "/dxf"})
        for (const auto& e : fs::directory_iterator(std::string(KORVELIN_TEST_DATA) + dossier)) {
            if (e.path().extension() != ".dxf") continue;
            const std::string chemin = e.path().string();
            SCOPED_TRACE(chemin);
            test::ValeursTemporaires fichier, texte;
            EtatImport etatFichier, etatTexte;
            test::SuiviDeLaCible suiviFichier(fichier.Cible()), suiviTexte(texte.Cible());
            const bool lu = ImporteDXF(fichier.Cible(), etatFichier, chemin, suiviFichier);
            const DessinLuDXF l = LitDXF(test::DossierTemporaire::Lit(chemin), chemin);
            const std::size_t pointsTexte = l.Points.size();
            ASSERT_EQ(lu, AcheveDXF(texte.Cible(), etatTexte, l, suiviTexte));
            ASSERT_EQ(fichier.ui.messages.size(), texte.ui.messages.size());
            for (std::size_t m = 0; m < texte.ui.messages.size(); ++m)
                EXPECT_EQ(fichier.ui.messages[m].texte, texte.ui.messages[m].texte);
            EXPECT_EQ(etatFichier.SequenceDXF, etatTexte.SequenceDXF);
            if (!lu) continue;
            ++nb;
            const Dessin &a = fichier.dessin, &b = texte.dessin;
            ASSERT_EQ(a.NbPoints, b.NbPoints);
            EXPECT_LE(std::size_t(a.NbPoints), pointsTexte);
            for (int32_t i = 0; i < a.NbPoints; ++i) {
                const PointTrace &p = a.Trace_Initial[i], &q = b.Trace_Initial[i];
                ASSERT_TRUE(p.X == q.X && p.Y == q.Y && p.Plume == q.Plume && p.Sequence == q.Sequence) << i;
            }
            ASSERT_EQ(a.Trace_Decale.size(), b.Trace_Decale.size());
            for (std::size_t s = 0; s < a.Trace_Decale.size(); ++s) {
                const auto &p = a.Trace_Decale[s].Points, &q = b.Trace_Decale[s].Points;
                ASSERT_EQ(p.size(), q.size()) << s;
                for (std::size_t i = 0; i < p.size(); ++i) ASSERT_TRUE(p[i].X == q[i].X && p[i].Y == q[i].Y) << s;
            }
        }
    EXPECT_GE(nb, 10u);
}

// The bound on the points counts two a segment whatever is stored: a polyline of four
// segments needs eight.
TEST(GrandsDessins, LaBorneDesPointsNeDependPasDeLaFusion) {
    const std::string t =
        "0\nSECTION\n2\nENTITIES\n0\nLWPOLYLINE\n90\n5\n70\n0\n10\n0\n20\n0\n10\n1\n20\n0\n10\n1\n20\n1\n10\n0\n20\n"
        "1\n10\n0\n20\n2\n0\nENDSEC\n0\nEOF\n";
    for (const bool fusion : {false, true}) {
        LimitesDXF limites;
        limites.MaxPoints = 7;
        EXPECT_TRUE(ConvertitDXF(LireDXFTexte(t), "p.dxf", "", limites, fusion).Refusee()) << fusion;
        limites.MaxPoints = 8;
        const DessinLuDXF l = ConvertitDXF(LireDXFTexte(t), "p.dxf", "", limites, fusion);
        EXPECT_FALSE(l.Refusee()) << fusion;
        EXPECT_EQ(l.Points.size(), fusion ? 5u : 8u);
    }
}

}  // namespace
}  // namespace korvelin
