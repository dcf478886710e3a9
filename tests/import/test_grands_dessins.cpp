// Large drawings at a bounded memory: files read a block at a time and polylines stored
// one point a vertex must give exactly the drawing of the whole text with two points a
// segment, and traces reordered a group at a time must each come out whole.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <random>
#include <string>

#include "import/dxf.h"
#include "import/dxf_conversion.h"
#include "import/dxf_lecture.h"
#include "geometry/ordre.h"
#include "model/aide_dessin.h"
#include "model/listes.h"
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

// A sheet of 25,600 parts in a shuffled order, each a square drawn from any corner either
// way and a line inside it drawn either way: some 180,000 points, reordered in several
// groups. Each trace comes out as one run, its own points in its own order or reversed,
// and every line before its square.
TEST(GrandsDessins, LOrdreParGroupesRendChaqueTraceEntier) {
    std::mt19937 alea(7);
    std::map<uint32_t, std::pair<test::Points, bool>> traces;  // by label: points, closed
    std::vector<std::pair<Code2, Code2>> parties;              // line, square
    Code2 etiquette = PremiereSequence;
    for (int i = 0; i < 160; ++i)
        for (int j = 0; j < 160; ++j) {
            const float x = 30.0f * i, y = 30.0f * j;
            test::Points carre = {{x, y}, {x + 20, y}, {x + 20, y + 20}, {x, y + 20}};
            std::rotate(carre.begin(), carre.begin() + alea() % 4, carre.end());
            if (alea() & 1) std::reverse(carre.begin(), carre.end());
            carre.push_back(carre.front());
            test::Points ligne = {{x + 5, y + 5}, {x + 12, y + 9}};
            if (alea() & 1) std::reverse(ligne.begin(), ligne.end());
            const Code2 l = etiquette, c = ProchaineSequence(l);
            etiquette = ProchaineSequence(c);
            traces[l.Cle()] = {ligne, false};
            traces[c.Cle()] = {carre, true};
            parties.push_back({l, c});
        }
    std::vector<uint32_t> ordre;
    for (const auto& [cle, t] : traces) ordre.push_back(cle);
    std::shuffle(ordre.begin(), ordre.end(), alea);
    Dessin d;
    std::map<uint32_t, Code2> codes;
    for (const auto& [l, c] : parties) codes[l.Cle()] = l, codes[c.Cle()] = c;
    for (const uint32_t cle : ordre) test::AjouteTrace(d, codes[cle], traces[cle].first);
    const PointTrace apres{1.0f, 2.0f, PlumeHaute, AucuneSequence};
    d.Trace_Initial.push_back(apres);

    ASSERT_TRUE(OrdreAutomatique(d, {.cote = 2}).change);
    EXPECT_TRUE(test::MemesPoints({d.Trace_Initial.back()}, {apres}));
    const auto resultat = test::TracesDe(d);
    ASSERT_EQ(resultat.size(), traces.size());
    std::map<uint32_t, std::size_t> position;
    for (std::size_t k = 0; k < resultat.size(); ++k) {
        const auto& [code, a] = resultat[k];
        ASSERT_TRUE(position.emplace(code.Cle(), k).second) << "tracé en deux morceaux";
        test::Points b = traces[code.Cle()].first;
        ASSERT_EQ(a.size(), b.size());
        if (traces[code.Cle()].second) {
            // The same cycle from another corner, either way.
            ASSERT_EQ(a.front(), a.back());
            test::Points tour(a.begin(), a.end() - 1), origine(b.begin(), b.end() - 1);
            bool trouve = false;
            for (int sens = 0; sens < 2 && !trouve; ++sens, std::reverse(origine.begin(), origine.end()))
                for (std::size_t r = 0; r < origine.size() && !trouve; ++r) {
                    test::Points essai = origine;
                    std::rotate(essai.begin(), essai.begin() + static_cast<std::ptrdiff_t>(r), essai.end());
                    trouve = essai == tour;
                }
            ASSERT_TRUE(trouve) << k;
        } else {
            if (a != b) std::reverse(b.begin(), b.end());
            ASSERT_EQ(a, b) << k;
        }
    }
    for (const auto& [l, c] : parties) ASSERT_LT(position[l.Cle()], position[c.Cle()]);
}

}  // namespace
}  // namespace korvelin
