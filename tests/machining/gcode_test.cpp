#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <regex>
#include <sstream>

#include "machining/banc_machine.h"
#include "machining/cut.h"
#include "machining/gcode.h"
#include "model/nombres.h"
#include "support/dossier_temporaire.h"
#include "support/ui_enregistreuse.h"

namespace korvelin {
namespace {

using test::DossierTemporaire;
using test::UiEnregistreuse;
using Position = std::array<double, 3>;

struct Travail {
    DossierTemporaire dossier;
    UiEnregistreuse ui;
    Contexte ctx{&ui};
    TravailCUT t;

    Travail() {
        t.HautDeg = "5";
        t.ProfFraisage = "-2,5";
        t.NbPasse = 2;
        t.MargeX = "1,5";
        t.MargeY = "7";
        t.VitMax_Mat_X = "2,083", t.VitMax_Mat_Y = "4,000", t.VitMax_Mat_Z = "1,000";
        t.VitMax_HMat_X = "5,000", t.VitMax_HMat_Y = "8,000", t.VitMax_Descente = "2,500";
        ctx.dessin.NomFichier = dossier.Chemin("pi\xC3\xA8" "ce (1).plt");
        t.FichierCUT = dossier.Chemin("piece.cut");
        t.FichierGCode = dossier.Chemin("piece.nc");
        // A repeated point, a trace starting where the last one ended, thousandths that round.
        test::DessinDe(ctx, {{{10, 0}, {10, 20}, {10, 20}, {0, 20.0005f}},
                             {{0, 20.0005f}, {30.1234f, 5}, {40, 5}}});
    }
    bool GCode(DialecteGCode d, TotauxCUT& totaux) { return GenereFichierGCode(ctx, t, d, totaux); }
};

// The positions of the CUT file's data lines, after its literal zero line.
std::vector<Position> PositionsCUT(const std::string& texte) {
    std::vector<Position> r;
    std::istringstream flux(texte);
    std::string ligne;
    int n = 0;
    while (std::getline(flux, ligne))
        if (++n > 17 && ligne.rfind("//", 0) != 0) {
            const auto champ = [&](const char* nom) { return LecturePlain(ligne.substr(ligne.find(nom) + 3)); };
            r.push_back({champ("XG:"), champ("YG:"), champ("YD:")});
        }
    return r;
}

struct Programme {
    std::vector<std::string> codes;       // the lines without comments
    std::vector<Position> positions;      // after each move
    std::vector<double> avances;          // the feed of each move, 0 for a rapid one
};

// Reads the program as a controller would: modal axes and feed; every number checked.
Programme Lit(const std::string& texte) {
    static const std::regex nombre(R"(-?(0|[1-9][0-9]*)(\.[0-9]{0,2}[1-9])?)");
    Programme p;
    Position ici{NAN, NAN, NAN};
    double avance = NAN;
    std::istringstream flux(texte);
    std::string ligne;
    while (std::getline(flux, ligne)) {
        EXPECT_EQ(ligne.find('\r'), std::string::npos);
        if (ligne.empty()) {
            ADD_FAILURE() << "ligne vide";
            continue;
        }
        if (ligne.front() == '(') {
            EXPECT_EQ(ligne.find_first_of("()", 1), ligne.size() - 1) << ligne;
            continue;
        }
        p.codes.push_back(ligne);
        std::istringstream mots(ligne);
        std::string mot, g;
        bool mouvement = false;
        while (mots >> mot) {
            const std::string valeur = mot.substr(1);
            if (mot[0] == 'G' && (valeur == "0" || valeur == "1")) g = valeur, mouvement = true;
            if (mot[0] != 'X' && mot[0] != 'Y' && mot[0] != 'Z' && mot[0] != 'F' && mot[0] != 'S') continue;
            EXPECT_TRUE(std::regex_match(valeur, nombre) && valeur != "-0") << ligne;
            const double v = LecturePlain(valeur);
            if (mot[0] == 'F') avance = v;
            if (mot[0] >= 'X' && mot[0] <= 'Z') ici[static_cast<std::size_t>(mot[0] - 'X')] = v;
        }
        if (!mouvement) continue;
        p.positions.push_back(ici);
        p.avances.push_back(g == "0" ? 0.0 : avance);
    }
    return p;
}

TEST(FichierGCode, SameMovesAsTheCutFileInBothDialects) {
    for (const DialecteGCode d : {DialecteGCode::GRBL, DialecteGCode::LinuxCNC}) {
        Travail w;
        w.t.VitesseBroche = d == DialecteGCode::GRBL ? "" : "12000";
        // Tabs, written once for both files: the second pass rides over them at -1,5.
        const bool attaches = d == DialecteGCode::LinuxCNC;
        if (attaches) {
            w.t.attaches = {2, 3, 1};
            test::DessinDe(w.ctx, {{{10, 0}, {10, 20}, {10, 20}, {0, 20.0005f}},
                                   {{50, 0}, {58, 0}, {58, 8}, {50, 8}, {50, 0}}});
        }
        TotauxCUT cut, gcode;
        ASSERT_TRUE(GenereFichierCUT(w.ctx, w.t, cut));
        ASSERT_TRUE(w.GCode(d, gcode));
        EXPECT_EQ(gcode.LongueurParcours, cut.LongueurParcours);
        EXPECT_EQ(gcode.TempsFraisage, cut.TempsFraisage);

        // A move that goes nowhere gives no G-code line; every other one is there, in order.
        std::vector<Position> attendues;
        for (const Position& q : PositionsCUT(DossierTemporaire::Lit(w.t.FichierCUT)))
            if (attendues.empty() || q != attendues.back()) attendues.push_back(q);
        const Programme p = Lit(DossierTemporaire::Lit(w.t.FichierGCode));
        EXPECT_EQ(p.positions, attendues);
        EXPECT_EQ(std::count_if(attendues.begin(), attendues.end(), [](const Position& q) { return q[2] == -1.5; }),
                  attaches ? 4 : 0);

        // Rapid moves only at the clearance height; cuts at the smaller XY speed, Z moves at
        // the plunge speed going into the material and at the Z speed otherwise (mm/min).
        for (std::size_t i = 0; i < p.positions.size(); ++i) {
            const Position& q = p.positions[i];
            const Position avant = i == 0 ? Position{0, 0, 0} : p.positions[i - 1];
            const double attendue = q[2] == avant[2] && q[2] == 5 && i > 0 ? 0.0
                                    : q[2] == avant[2]                     ? 2.083 * 60
                                    : q[2] < 0 && avant[2] <= 0            ? 60.0
                                                                           : 2.5 * 60;
            EXPECT_NEAR(p.avances[i], attendue, 1e-9) << i;
        }

        const bool broche = !w.t.VitesseBroche.empty();
        const std::vector<std::string> debut = {"G21 G90 G17", "M3 S12000"};
        EXPECT_EQ(p.codes[0], debut[0]);
        EXPECT_EQ(p.codes[1] == debut[1], broche);
        EXPECT_EQ(p.codes[p.codes.size() - 2] == "M5", broche);
        EXPECT_EQ(p.codes.back(), d == DialecteGCode::GRBL ? "M2" : "M30");
        const std::string texte = DossierTemporaire::Lit(w.t.FichierGCode);
        EXPECT_NE(texte.find("(Dessin : pi\xC3\xA8" "ce [1].plt)\n"), std::string::npos);
        EXPECT_NE(texte.find("(Rayon de la fraise : 3 mm)"), std::string::npos);
        EXPECT_NE(texte.find("(Profondeur de fraisage : -2.5 mm)"), std::string::npos);
        EXPECT_EQ(texte.find("(Attaches : 2 par contour, largeur 3 mm, hauteur 1 mm)") != std::string::npos, attaches);
    }
}

TEST(FichierGCode, NumbersNamesAndDialects) {
    const std::pair<double, const char*> nombres[] = {
        {0.0, "0"},      {-0.0, "0"},         {-0.0004, "0"}, {2.5, "2.5"},     {-3.0, "-3"},
        {0.0625, "0.062"}, {1e15, "1000000000000000"}, {-1e-300, "0"}, {999.9996, "1000"}};
    for (const auto& [v, texte] : nombres) {
        std::string s;
        AjouteNombreGCode(s, v);
        EXPECT_EQ(s, texte) << v;
    }
    for (const auto& [dessin, nc] : {std::pair{"/d/piece.PLT", "/d/piece.nc"}, {"/d.x/piece", "/d.x/piece.nc"},
                                     {"C:\\d\\a.b.dxf", "C:\\d\\a.b.nc"}, {"", ".nc"}})
        EXPECT_EQ(NomFichierGCodeParDefaut(dessin), nc);
    EXPECT_EQ(LectureDialecte("GRBL"), DialecteGCode::GRBL);
    EXPECT_EQ(LectureDialecte("linuxcnc"), DialecteGCode::LinuxCNC);
    EXPECT_EQ(LectureDialecte("mach3"), std::nullopt);
}

TEST(FichierGCode, RefusalsLeaveEveryFileAsItWas) {
    const std::pair<std::function<void(Travail&)>, std::string> cas[] = {
        {[](Travail& w) {
             w.ctx.dessin.NomFichier = w.dossier.Ecrit("d.dxf", "dessin");
             w.t.FichierGCode = w.dossier.Chemin("./d.dxf");
         },
         "Le fichier G-code ne peut pas remplacer le dessin ouvert !"},
        {[](Travail& w) { w.t.FichierGCode = w.dossier.Chemin("absent/x.nc"); },
         "Le dossier de destination du fichier G-code n'existe pas, merci de le corriger"},
        {[](Travail& w) { w.t.VitesseBroche = "vite"; },
         "La vitesse de broche \xC2\xAB vite \xC2\xBB n'est pas un nombre de tours par minute positif !"},
        {[](Travail& w) { w.t.FichierGCode = w.dossier.Chemin("un_dossier"); },
         "Impossible d'\xC3\xA9" "crire le fichier "},
    };
    for (const auto& [prepare, texte] : cas) {
        Travail w;
        std::filesystem::create_directory(w.dossier.Chemin("un_dossier"));
        w.dossier.Ecrit("piece.nc", "ancien");
        prepare(w);
        TotauxCUT totaux;
        EXPECT_FALSE(w.GCode(DialecteGCode::GRBL, totaux)) << texte;
        ASSERT_EQ(w.ui.messages.size(), 1u) << texte;
        EXPECT_EQ(w.ui.messages[0].texte.rfind(texte, 0), 0u) << w.ui.messages[0].texte;
        EXPECT_EQ(DossierTemporaire::Lit(w.dossier.Chemin("piece.nc")), "ancien");
        if (std::filesystem::exists(w.dossier.Chemin("d.dxf"))) {
            EXPECT_EQ(DossierTemporaire::Lit(w.dossier.Chemin("d.dxf")), "dessin");
        }
    }
}

}  // namespace
}  // namespace korvelin
