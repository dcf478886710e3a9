#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>

#include "machining/banc_machine.h"
#include "machining/cut.h"
#include "machining/gcode.h"
#include "machining/verificateur_gcode.h"
#include "machining/vitesses.h"
#include "model/nombres.h"
#include "support/dossier_temporaire.h"
#include "support/ui_enregistreuse.h"

namespace korvelin {
namespace {

using test::CoupesCUT;
using test::DossierTemporaire;
using test::EcartCoupes;
using test::LectureGCode;
using test::UiEnregistreuse;
using test::VerifieGCode;

struct Travail : test::ValeursTemporaires {
    TravailCUT t;

    Travail() {
        t.HautDeg = "5";
        t.ProfFraisage = "-2,5";
        t.NbPasse = 2;
        t.MargeX = "1,5";
        t.MargeY = "7";
        t.VitMax_Mat_X = "2,083", t.VitMax_Mat_Y = "4,000", t.VitMax_Mat_Z = "1,000";
        t.VitMax_HMat_X = "5,000", t.VitMax_HMat_Y = "8,000", t.VitMax_Descente = "2,500";
        dessin.NomFichier = dossier.Chemin("pièce (1).plt");
        t.FichierCUT = dossier.Chemin("piece.cut");
        t.FichierGCode = dossier.Chemin("piece.nc");
        // A repeated point, a trace starting where the last one ended, thousandths that round.
        test::DessinDe(dessin, {{{10, 0}, {10, 20}, {10, 20}, {0, 20.0005f}}, {{0, 20.0005f}, {30.1234f, 5}, {40, 5}}});
    }
    // Both files written as the window writes them: what they say, shown.
    bool CUT(TotauxCUT& totaux) {
        Diagnostics dits;
        const bool ecrit = GenereFichierCUT(Poste(), t, totaux, dits);
        Montre(ui, dits);
        return ecrit;
    }
    bool GCode(DialecteGCode d, TotauxCUT& totaux, ResultatGCode* r = nullptr) {
        Diagnostics dits;
        const bool ecrit = GenereFichierGCode(Poste(), t, d, totaux, dits, {}, r);
        Montre(ui, dits);
        return ecrit;
    }
};

// Every program a test writes goes through the checker; its cuts must be the CUT file's.
LectureGCode Verifie(const std::string& gcode, const std::string& cut = {}) {
    const LectureGCode l = VerifieGCode(gcode);
    for (const std::string& f : l.fautes) ADD_FAILURE() << f;
    if (!cut.empty()) {
        const std::vector<test::TronconCoupe> c = CoupesCUT(cut);
        EXPECT_FALSE(c.empty());
        EXPECT_LE(EcartCoupes(l.coupes, c), 0.005);
        EXPECT_LE(EcartCoupes(c, l.coupes), 0.005);
    }
    return l;
}

// The lines that are not comments.
std::vector<std::string> Codes(const std::string& texte) {
    std::vector<std::string> r;
    std::size_t debut = 0;
    while (debut < texte.size()) {
        const std::size_t fin = texte.find('\n', debut);
        if (texte[debut] != '(') r.push_back(texte.substr(debut, fin - debut));
        debut = fin + 1;
    }
    return r;
}

TEST(FichierGCode, SafeStartAndEndAndTheCutsOfTheCutFileInBothDialects) {
    for (const DialecteGCode d : {DialecteGCode::GRBL, DialecteGCode::LinuxCNC}) {
        Travail w;
        const bool linuxcnc = d == DialecteGCode::LinuxCNC;
        w.t.VitesseBroche = linuxcnc ? "12000" : "";
        // Tabs, written alike in both files: the second pass rides over them at -1,5. The
        // closed square is cut in two passes without rising between them.
        if (linuxcnc) {
            w.t.attaches = {2, 1, 1, 2};
            test::DessinDe(w.dessin, {{{10, 0}, {10, 20}, {10, 20}, {0, 20.0005f}},
                                      {{50, 0}, {58, 0}, {58, 8}, {50, 8}, {50, 0}}});
        }
        TotauxCUT cut, gcode;
        ASSERT_TRUE(w.CUT(cut));
        ASSERT_TRUE(w.GCode(d, gcode));
        const std::string texte = DossierTemporaire::Lit(w.t.FichierGCode);
        const LectureGCode l = Verifie(texte, DossierTemporaire::Lit(w.t.FichierCUT));
        EXPECT_EQ(l.remontees, linuxcnc ? 3 : 4);
        EXPECT_EQ(std::count_if(l.coupes.begin(), l.coupes.end(), [](const auto& c) { return c.z == -1.5; }) > 0,
                  linuxcnc);
        // The same moves in XY: a closed contour's next pass starts where the last one ended.
        EXPECT_NEAR(gcode.LongueurParcours, cut.LongueurParcours, 0.01);

        const std::vector<std::string> codes = Codes(texte);
        std::vector<std::string> debut = {
            linuxcnc ? "G21 G90 G91.1 G17 G94 G40 G49 G80" : "G21 G90 G17 G94 G40 G49 G80", "G0 Z5"};
        if (linuxcnc) debut.insert(debut.end(), {"M3 S12000", "G4 P2"});
        debut.insert(debut.end(), {"G0 X11.5 Y7", "G1 Z0 F150", "G1 Z-1.25 F60"});
        ASSERT_GT(codes.size(), debut.size() + 4);
        EXPECT_EQ(std::vector<std::string>(codes.begin(), codes.begin() + long(debut.size())), debut);
        const std::vector<std::string> fin = {"G0 Z5", "M5", "G0 X0 Y0", linuxcnc ? "M30" : "M2"};
        EXPECT_EQ(std::vector<std::string>(codes.end() - 4, codes.end()), fin);
        EXPECT_NEAR(l.avanceCoupe, 2.083 * 60, 1e-9);

        EXPECT_NE(texte.find("(Dessin : piece 1.plt)\n"), std::string::npos);
        EXPECT_NE(texte.find("(Fichier cree a l'aide de Korvelin version "), std::string::npos);
        EXPECT_NE(texte.find("(Avance de coupe : 124.98 mm/min [temps mini matiere X, Y])"), std::string::npos)
            << texte.substr(0, 900);
        EXPECT_EQ(texte.find("(Attaches : 2 par contour, largeur 1 mm, hauteur 1 mm)") != std::string::npos, linuxcnc);
    }
}

// Circles and arcs of many short segments go out as a few G2/G3 within the tolerance, and
// a spiral of 250,000 points as far fewer lines than points.
TEST(FichierGCode, ArcsFittedToShortSegments) {
    Travail w;
    w.t.NbPasse = 1;
    std::vector<std::vector<std::pair<float, float>>> traces;
    for (int c = 0; c < 12; ++c) {
        const double cx = 20 + 25 * (c % 4), cy = 20 + 25 * (c / 4), r = 3 + c;
        std::vector<std::pair<float, float>> t;
        for (int i = 0; i <= 360; ++i)
            t.push_back({float(cx + r * std::cos((c % 2 ? i : -i) * Pi / 180)),
                         float(cy + r * std::sin((c % 2 ? i : -i) * Pi / 180))});
        traces.push_back(t);
    }
    // A slot: two half circles joined by lines, drawn in points 0.2 mm apart.
    std::vector<std::pair<float, float>> fente;
    for (int i = 0; i <= 100; ++i) fente.push_back({float(120 + i * 0.2), 10.0f});
    for (int i = 1; i <= 180; ++i)
        fente.push_back({float(140 + 5 * std::sin(i * Pi / 180)), float(15 - 5 * std::cos(i * Pi / 180))});
    for (int i = 1; i <= 100; ++i) fente.push_back({float(140 - i * 0.2), 20.0f});
    traces.push_back(fente);
    // Points a few ten-thousandths apart on a small circle, then a sharp turn: no arc may
    // round to a whole turn, no move to nothing.
    std::vector<std::pair<float, float>> menu;
    for (int i = 0; i < 200; ++i)
        menu.push_back({float(200 + 5 * std::cos(i * 0.00007)), float(10 + 5 * std::sin(i * 0.00007))});
    menu.push_back({190.0f, 5.0f});
    traces.push_back(menu);
    std::vector<std::pair<float, float>> spirale;
    for (int i = 0; i < 250000; ++i) {
        const double a = i * 0.01, r = 5 + a * 0.05;
        spirale.push_back({float(300 + r * std::cos(a)), float(300 + r * std::sin(a))});
    }
    traces.push_back(spirale);
    // A line of many points, one repeated, then back over itself; a row of corners that
    // no arc may smooth; three quarters of a turn clockwise, more than one arc may take.
    traces.push_back({{400, 50}, {401, 50}, {401, 50}, {402, 50.001f}, {405, 50}, {400, 50}});
    traces.push_back({{400, 60}, {401, 60.2f}, {402, 60}, {403, 60.2f}, {404, 60}});
    std::vector<std::pair<float, float>> troisQuarts;
    for (int i = 0; i <= 270; ++i)
        troisQuarts.push_back({float(430 + 10 * std::cos(-i * Pi / 180)), float(30 + 10 * std::sin(-i * Pi / 180))});
    traces.push_back(troisQuarts);
    test::DessinDe(w.dessin, traces);
    TotauxCUT cut, gcode;
    ASSERT_TRUE(w.CUT(cut));
    ResultatGCode r;
    ASSERT_TRUE(w.GCode(DialecteGCode::GRBL, gcode, &r));
    const std::string texte = DossierTemporaire::Lit(w.t.FichierGCode);
    const LectureGCode l = Verifie(texte, DossierTemporaire::Lit(w.t.FichierCUT));
    EXPECT_EQ(r.octets, texte.size());
    EXPECT_EQ(r.sorties, 18);  // one after each trace
    EXPECT_LT(l.lignes, 250000 / 20);
    // The slot: its lines and its half circle, whatever few points the lines take in.
    const std::size_t debutFente = texte.find("(Trace M)\n");
    const std::vector<std::string> codesFente =
        Codes(texte.substr(debutFente, texte.find("(Trace N", debutFente) - debutFente));
    EXPECT_LE(codesFente.size(), 8u);
    EXPECT_EQ(
        std::count_if(codesFente.begin(), codesFente.end(), [](const std::string& c) { return c.starts_with("G3"); }),
        1);
    // Each circle: two half turns.
    for (int c = 0; c < 12; ++c) {
        const std::string cercle = "(Trace " + Code2{U' ', char32_t(U'A' + c)}.Texte().substr(1) + ")\n";
        const std::size_t i = texte.find(cercle);
        ASSERT_NE(i, std::string::npos);
        const std::vector<std::string> codes = Codes(texte.substr(i, texte.find("(Trace", i + 1) - i));
        ASSERT_EQ(codes.size(), 6u) << texte.substr(i, 400);
        EXPECT_EQ(codes[3].substr(0, 2), c % 2 ? "G3" : "G2");
        EXPECT_EQ(codes[4].substr(0, 2), c % 2 ? "G3" : "G2");
    }
    EXPECT_NEAR(gcode.LongueurParcours, cut.LongueurParcours, 0.01 * cut.LongueurParcours);
}

// No byte a controller would act on: accents taken off, signs of real-time commands left
// out of names, lines cut to 80 bytes; no comments at all when asked. Feeds in mm/min and
// the spindle's wait as the user gives them, stated in the header; no wait asked, none written.
TEST(FichierGCode, PrintableAsciiShortLinesFeedsAsGivenAndNoComments) {
    EXPECT_EQ(TexteCommentaireGCode("Fichier créé à l'aide œuvre « x »"), "Fichier cree a l'aide oeuvre \" x \"");
    EXPECT_EQ(TexteCommentaireGCode("a(b)c;d!e~f?g%h\x18i\x7Fj\x01k\xE2\x82\xAC"), "abcdefghijk");
    EXPECT_EQ(TexteCommentaireGCode(std::string(200, 'x')).size(), 78u);
    for (const bool commentaires : {true, false}) {
        Travail w;
        w.t.SansCommentaires = !commentaires;
        w.t.AvanceCoupe = "900", w.t.AvancePlongee = "120,5", w.t.VitesseBroche = "18000";
        w.t.TemporisationBroche = commentaires ? "3,5" : "0";
        w.dessin.NomFichier = w.dossier.Chemin("Pièce à l'étau !~%?; (" + std::string(150, 'n') + ").plt");
        TotauxCUT totaux;
        ASSERT_TRUE(w.GCode(DialecteGCode::GRBL, totaux));
        const std::string texte = DossierTemporaire::Lit(w.t.FichierGCode);
        const LectureGCode l = Verifie(texte);
        EXPECT_EQ(l.avanceCoupe, 900);
        EXPECT_EQ(l.avancePlongee, 120.5);
        EXPECT_EQ(texte.find('('), commentaires ? 0u : std::string::npos);
        EXPECT_EQ(texte.find("\nG4 ") == std::string::npos, !commentaires);
        if (!commentaires) continue;
        for (const char* attendu :
             {"(Dessin : Piece a l'etau  nnnn", "\nM3 S18000\nG4 P3.5\n", "(Avance de coupe : 900 mm/min [reglee])",
              "(Avance de plongee : 120.5 mm/min [reglee])", "(Broche : 18000 tr/min, attente 3.5 s)"})
            EXPECT_NE(texte.find(attendu), std::string::npos) << attendu;
    }
}

TEST(FichierGCode, NumbersFileNamesAndDialects) {
    const std::pair<double, const char*> nombres[] = {{0.0, "0"},
                                                      {-0.0, "0"},
                                                      {-0.0004, "0"},
                                                      {2.5, "2.5"},
                                                      {-3.0, "-3"},
                                                      {0.0625, "0.062"},
                                                      {1e15, "1000000000000000"},
                                                      {-1e-300, "0"},
                                                      {999.9996, "1000"}};
    for (const auto& [v, texte] : nombres) {
        std::string s;
        AjouteNombreGCode(s, v);
        EXPECT_EQ(s, texte) << v;
    }
    // The names proposed beside the drawing.
    const std::array<const char*, 3> noms[] = {{"/d/piece.PLT", "/d/piece.cut", "/d/piece.nc"},
                                               {"C:\\d\\piece.DAT", "C:\\d\\piece.cut", "C:\\d\\piece.nc"},
                                               {"/d/a.plt.plt", "/d/a.cut.cut", "/d/a.plt.nc"},
                                               {"/d/piece.Korvelin", "/d/piece.cut", "/d/piece.nc"},
                                               {"/d.plt/piece", "/d.plt/piece.cut", "/d.plt/piece.nc"},
                                               {"/x.dat/piece.plt", "/x.dat/piece.cut", "/x.dat/piece.nc"},
                                               {"C:\\d\\a.b.dxf", "C:\\d\\a.b.cut", "C:\\d\\a.b.nc"},
                                               {"", ".cut", ".nc"}};
    for (const auto& [dessin, cut, nc] : noms)
        EXPECT_EQ(NomFichierCUTParDefaut(dessin) + " | " + NomFichierGCodeParDefaut(dessin),
                  cut + std::string(" | ") + nc);
    EXPECT_EQ(LectureDialecte("GRBL"), DialecteGCode::GRBL);
    EXPECT_EQ(LectureDialecte("linuxcnc"), DialecteGCode::LinuxCNC);
    EXPECT_EQ(LectureDialecte("mach3"), std::nullopt);
}

TEST(FichierGCode, RefusalsLeaveEveryFileAsItWas) {
    const std::pair<std::function<void(Travail&)>, std::string> cas[] = {
        {[](Travail& w) { w.t.FichierGCode = w.dossier.Chemin("./d.dxf"); },
         "Le fichier G-code ne peut pas remplacer le dessin ouvert !"},
        {[](Travail& w) { w.t.FichierGCode = w.dossier.Chemin("absent/x.nc"); },
         "Le dossier de destination du fichier G-code n'existe pas, merci de le corriger"},
        {[](Travail& w) { w.t.VitesseBroche = "200000"; }, "La vitesse de broche « 200000"},
        {[](Travail& w) { w.t.VitesseBroche = "vite"; },
         "La vitesse de broche « vite » n'est pas un nombre de tours par minute positif, au plus 100000 !"},
        {[](Travail& w) { w.t.HautDeg = "0,0004"; }, "La hauteur de dégagement « 0,0004 » doit atteindre"},
        {[](Travail& w) { w.t.AvanceCoupe = "0"; }, "L'avance de coupe « 0 » doit être un nombre de mm/min positif"},
        {[](Travail& w) { w.t.AvancePlongee = "1e6"; }, "L'avance de plongée « 1e6"},
        {[](Travail& w) { w.t.TemporisationBroche = "-1"; }, "L'attente après la mise en marche"},
        {[](Travail& w) {
             w.t.attaches = {2, 3, 2.5, 2};
         },
         "La hauteur des attaches (2,5 mm) doit rester"},
        {[](Travail& w) { w.t.FichierGCode = w.dossier.Chemin("un_dossier"); }, "Impossible d'écrire le fichier "},
    };
    for (const auto& [prepare, texte] : cas) {
        Travail w;
        std::filesystem::create_directory(w.dossier.Chemin("un_dossier"));
        w.dossier.Ecrit("piece.nc", "ancien");
        w.dessin.NomFichier = w.dossier.Ecrit("d.dxf", "dessin");
        prepare(w);
        TotauxCUT totaux;
        EXPECT_FALSE(w.GCode(DialecteGCode::GRBL, totaux)) << texte;
        ASSERT_EQ(w.ui.messages.size(), 1u) << texte;
        EXPECT_EQ(w.ui.messages[0].texte.rfind(texte, 0), 0u) << w.ui.messages[0].texte;
        EXPECT_EQ(DossierTemporaire::Lit(w.dossier.Chemin("piece.nc")), "ancien");
        EXPECT_EQ(DossierTemporaire::Lit(w.dossier.Chemin("d.dxf")), "dessin");
    }
}

}  // namespace
}  // namespace korvelin
