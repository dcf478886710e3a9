// Where the straight cut over a removed run of offset points would bite into the part, the
// path is lifted over it. The CUT file and the G-code are replayed here as a controller
// reads them; the distances to the drawing are measured by this file alone.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "geometry/attaches.h"
#include "geometry/decalage.h"
#include "machining/banc_machine.h"
#include "machining/cut.h"
#include "machining/fraisage.h"
#include "machining/gcode.h"
#include "machining/verificateur_gcode.h"
#include "model/aide_dessin.h"
#include "model/nombres.h"
#include "support/valeurs_temporaires.h"
#include "support/import_test.h"
#include "support/dossier_temporaire.h"

namespace korvelin {
namespace {

using test::Points;

constexpr double H = 5.0, Marge = 100.0;

double DistancePointSegment(double px, double py, double ax, double ay, double bx, double by) {
    const double ux = bx - ax, uy = by - ay, l = ux * ux + uy * uy;
    const double t = l > 0 ? std::clamp(((px - ax) * ux + (py - ay) * uy) / l, 0.0, 1.0) : 0.0;
    return std::hypot(ax + t * ux - px, ay + t * uy - py);
}

// The distance between two segments: zero when they cross, else the nearest end to the
// other segment.
double DistanceSegments(double ax, double ay, double bx, double by, double cx, double cy, double dx, double dy) {
    auto cote = [](double px, double py, double qx, double qy, double rx, double ry) {
        const double v = (qx - px) * (ry - py) - (qy - py) * (rx - px);
        return (v > 0) - (v < 0);
    };
    if (cote(ax, ay, bx, by, cx, cy) * cote(ax, ay, bx, by, dx, dy) < 0 &&
        cote(cx, cy, dx, dy, ax, ay) * cote(cx, cy, dx, dy, bx, by) < 0)
        return 0;
    return std::min({DistancePointSegment(ax, ay, cx, cy, dx, dy), DistancePointSegment(bx, by, cx, cy, dx, dy),
                     DistancePointSegment(cx, cy, ax, ay, bx, by), DistancePointSegment(dx, dy, ax, ay, bx, by)});
}

// An Archimedean spiral, points 0.5 mm apart, whose turns stand `large` apart except from
// turn 3 to turn 6, where they stand `serre` apart.
Points Spirale(double large, double serre) {
    Points p;
    double theta = 0, r = 8;
    while (theta < 2 * Pi * 10) {
        p.emplace_back(float(r * std::cos(theta)), float(r * std::sin(theta)));
        const double pas = theta >= 2 * Pi * 3 && theta < 2 * Pi * 6 ? serre : large;
        const double d = 0.5 / std::hypot(r, pas / (2 * Pi));
        theta += d;
        r += pas * d / (2 * Pi);
    }
    return p;
}

struct Levee : ::testing::Test, test::ValeursTemporaires {
    TravailCUT t;
    double R = 1.5;
    Code2 seul = AucuneSequence;

    Levee() {
        t.HautDeg = "5";
        t.ProfFraisage = "-2";
        t.NbPasse = 2;
        t.MargeX = t.MargeY = "100";
        for (std::string* v : {&t.VitMax_Mat_X, &t.VitMax_Mat_Y, &t.VitMax_Mat_Z, &t.VitMax_HMat_X, &t.VitMax_HMat_Y,
                               &t.VitMax_Descente, &t.VitMax_Montee})
            *v = "2,000";
        dessin.NomFichier = dossier.Chemin("piece.plt");
        t.FichierCUT = dossier.Chemin("piece.cut");
        t.FichierGCode = dossier.Chemin("piece.nc");
    }

    void Decale(int cote) {
        parametres.RayonFraise = R;
        parametres.DecalageOutil = int16_t(cote);
        const ReglagesDecalage r{.rayon = R, .cote = int16_t(cote), .optimisation1 = true};
        diagnostics = Redecale(dessin, r);
    }

    // The nearest a stretch of cut (margins taken off) comes to any drawn segment (of the
    // trace `seul` only, when one is named), when nearer than the radius.
    double PlusPres(double x0, double y0, double x1, double y1) const {
        double d = INFINITY;
        const auto& P = dessin.Trace_Initial;
        const double ax = x0 - Marge, ay = y0 - Marge, bx = x1 - Marge, by = y1 - Marge;
        for (int32_t s = 0; s + 1 < dessin.NbPoints; ++s) {
            if (P[s].Sequence != P[s + 1].Sequence || (seul != AucuneSequence && P[s].Sequence != seul)) continue;
            // Boxes farther apart than the radius hold nothing nearer.
            if (std::min<double>(P[s].X, P[s + 1].X) > std::max(ax, bx) + R ||
                std::max<double>(P[s].X, P[s + 1].X) < std::min(ax, bx) - R ||
                std::min<double>(P[s].Y, P[s + 1].Y) > std::max(ay, by) + R ||
                std::max<double>(P[s].Y, P[s + 1].Y) < std::min(ay, by) - R)
                continue;
            d = std::min(d, DistanceSegments(ax, ay, bx, by, P[s].X, P[s].Y, P[s + 1].X, P[s + 1].Y));
        }
        return d;
    }

    // Replays the CUT file: every XY move below the clearance height is a level cut, clear
    // of the drawing; the tool rises alone first. Returns the cuts at full depth and
    // counts the plunges.
    std::vector<test::TronconCoupe> RejoueCUT(int& plongees) {
        const std::string texte = test::DossierTemporaire::Lit(t.FichierCUT);
        std::vector<test::TronconCoupe> coupes;
        double x = 0, y = 0, z = 0;
        int numero = 0;
        bool premiere = true;
        plongees = 0;
        for (std::size_t debut = 0, fin; (fin = texte.find("\r\n", debut)) != std::string::npos; debut = fin + 2) {
            const std::string_view ligne(texte.data() + debut, fin - debut);
            if (++numero <= 17 || !ligne.starts_with("T:")) continue;
            auto champ = [&](std::string_view nom) {
                const std::size_t i = ligne.find(nom) + nom.size();
                return LecturePlain(ligne.substr(i, ligne.find(' ', i) - i));
            };
            const double x1 = champ(" XG:"), y1 = champ(" YG:"), z1 = champ(" YD:");
            if (premiere) {
                EXPECT_TRUE(x1 == 0 && y1 == 0 && z1 == H) << "le premier mouvement ne fait que monter";
            }
            premiere = false;
            if (z1 < 0 && z1 < z && x1 == x && y1 == y) ++plongees;
            if (x1 != x || y1 != y) {
                if (z < H) {
                    EXPECT_TRUE(z1 == z && z < 0) << "déplacement hors coupe sous le dégagement, ligne " << numero;
                    // The file's three decimals move a point by up to 0.0007 mm.
                    EXPECT_GE(PlusPres(x, y, x1, y1), R - 0.01 - 0.0008) << "ligne " << numero;
                    if (z1 == -2) coupes.push_back({x - Marge, y - Marge, x1 - Marge, y1 - Marge, z1});
                } else {
                    EXPECT_EQ(z1, H) << "ligne " << numero;
                }
            }
            x = x1, y = y1, z = z1;
        }
        return coupes;
    }

    // Both files, replayed: clear of the drawing, lifted where the path is, and cutting
    // the path's every piece to its end. Returns the CUT file's cuts at full depth.
    std::vector<test::TronconCoupe> VerifieFichiers() {
        TotauxCUT totaux;
        Diagnostics dits;
        EXPECT_TRUE(GenereFichierCUT(Poste(), t, totaux, dits));
        EXPECT_TRUE(GenereFichierGCode(Poste(), t, DialecteGCode::GRBL, totaux, dits));
        int plongees = 0;
        const std::vector<test::TronconCoupe> coupes = RejoueCUT(plongees);
        // One plunge for each pass of each piece.
        int morceaux = 0;
        for (std::size_t k = 0; k < dessin.NbSequencesDecalees(); ++k)
            for (std::size_t j = 0; j < dessin.Trace_Decale[k].Points.size(); ++j)
                morceaux += j == 0 || dessin.Trace_Decale[k].Points[j].Plume == MarqueLevee;
        EXPECT_EQ(plongees, morceaux * t.NbPasse);

        const test::LectureGCode g = test::VerifieGCode(test::DossierTemporaire::Lit(t.FichierGCode));
        for (const std::string& f : g.fautes) ADD_FAILURE() << f;
        EXPECT_EQ(g.remontees, morceaux * t.NbPasse);
        // Arcs replace runs of points within 0.0025 mm; the file has three decimals.
        for (const test::TronconCoupe& c : g.coupes) EXPECT_GE(PlusPres(c.x0, c.y0, c.x1, c.y1), R - 0.01 - 0.0035);
        EXPECT_LE(test::EcartCoupes(g.coupes, test::CoupesCUT(test::DossierTemporaire::Lit(t.FichierCUT))), 0.005);
        return coupes;
    }

    Diagnostics diagnostics;
};

// Whether some cut passes within 0.001 mm of (x, y).
bool Coupe(const std::vector<test::TronconCoupe>& coupes, float x, float y) {
    return std::any_of(coupes.begin(), coupes.end(), [&](const test::TronconCoupe& c) {
        return DistancePointSegment(x, y, c.x0, c.y0, c.x1, c.y1) < 0.001;
    });
}

// What the path used to cut, up to where it stopped, and every later piece to the end.
void CouvreToutLeChemin(const std::vector<PointTrace>& D, const std::vector<test::TronconCoupe>& coupes) {
    for (const PointTrace& p : D) EXPECT_TRUE(Coupe(coupes, p.X, p.Y)) << p.X << " " << p.Y;
}

TEST_F(Levee, JointureAuTraversDuTraceLevee) {
    // A square that winds in 2 mm from its first side: the points beside that side are too
    // near the last one, and the cut that would join the corner before them to the corner
    // after them crosses the trace's fourth side. The tool rises there instead, and cuts on.
    test::AjouteTrace(dessin, test::Etiquette(" A"), {{0, -20}, {0, 0}, {40, 0}, {40, 40}, {0, 40}, {0, 2}, {38, 2}});
    Decale(3);
    ASSERT_EQ(diagnostics.size(), 1u);
    EXPECT_EQ(diagnostics[0].message,
              "Le tracé  A est trop serré pour ce rayon de fraise : son parcours est levé au point n° 2 pour ne pas "
              "entamer la pièce.");
    const std::vector<PointTrace>& D = dessin.Trace_Decale[0].Points;
    test::AttendPoints(D, {{-1.5f, -20}, {-1.5f, 1.5f}, {38.5f, 38.5f}, {1.5f, 38.5f}, {1.5f, 3.5f}, {38, 3.5f}}, 1e-4);
    ASSERT_EQ(D.size(), 6u);
    for (std::size_t j = 0; j < D.size(); ++j) EXPECT_EQ(D[j].Plume == MarqueLevee, j == 2) << j;
    const auto coupes = VerifieFichiers();
    CouvreToutLeChemin(D, coupes);
}

TEST(LeveeAttaches, UnContourLeveNaPasDAttache) {
    // Two outlines, the second lifted on one side: tabs would be placed along the whole
    // path, lift included. It gets none, and the warning says why.
    Dessin d;
    test::DessinDe(
        d, {{{0, 0}, {50, 0}, {50, 50}, {0, 50}, {0, 0}}, {{100, 0}, {150, 0}, {150, 50}, {100, 50}, {100, 0}}});
    d.Trace_Decale[1].Points[2].Plume = MarqueLevee;
    const Attaches a{.nombre = 2, .largeur = 3, .hauteur = 1, .diametre = 3};
    const auto spans = PlaceAttaches(d, a);
    EXPECT_EQ(spans[0].size(), 2u);
    EXPECT_TRUE(spans[1].empty());
    EXPECT_EQ(AvertissementAttaches(d, a),
              "Le tracé « B », levé par endroits, ne reçoit aucune attache. Vérifiez qu'il reste tenu.");
}

TEST(LeveeMachine, LeFraisageSeLeveAussi) {
    // The same square milled on the simulated machine, in steps of 0.01 mm replayed from the
    // port: the tool moves in XY below the clearance height only when cutting, clear of the
    // trace, and comes down once for each of the path's two pieces.
    test::Banc b;
    Parametres& v = b.parametres;
    v.Pas_X = v.Pas_Y = v.Pas_Z = 1;
    v.NbPas_X = v.NbPas_Y = v.NbPas_Z = 100;
    v.MargeX = v.MargeY = Marge;
    const Points trace{{0, -20}, {0, 0}, {40, 0}, {40, 40}, {0, 40}, {0, 2}, {38, 2}};
    test::AjouteTrace(b.dessin, test::Etiquette(" A"), trace);
    Redecale(b.dessin, {.rayon = 1.5, .cote = 3, .optimisation1 = true});
    EXPECT_EQ(FraisageExemplaire(b.Poste(), b.Demarre(), {"5", "-2"}, b.arret).issue, Issue::Terminee);
    int64_t pas[3] = {0, 0, 0};
    uint8_t avant = 0;
    int descentes = 0;
    bool enHaut = true;
    double plusPres = INFINITY;
    for (const EcriturePort& e : b.port->Ecritures()) {
        if (e.registre != 'D') continue;
        const uint8_t front = static_cast<uint8_t>(e.valeur & ~avant);
        avant = e.valeur;
        if (front & LignePasX) pas[0] += (e.valeur & LigneDirX) ? 1 : -1;
        if (front & LignePasY) pas[1] += (e.valeur & LigneDirY) ? 1 : -1;
        if (front & LignePasZ) pas[2] += (e.valeur & LigneDirZ) ? 1 : -1;
        const double x = pas[0] * 0.01 - Marge, y = pas[1] * 0.01 - Marge, z = pas[2] * 0.01;
        if (z >= 5 - 1e-9) enHaut = true;
        if (z < -1 && enHaut) ++descentes, enHaut = false;
        if ((front & (LignePasX | LignePasY)) && z < 5 - 1e-9) {
            EXPECT_LT(z, -1.99) << "déplacement hors coupe sous le dégagement";
            for (std::size_t s = 0; s + 1 < trace.size(); ++s)
                plusPres = std::min(plusPres, DistancePointSegment(x, y, trace[s].first, trace[s].second,
                                                                   trace[s + 1].first, trace[s + 1].second));
        }
    }
    // A step moves the tool 0.01 mm on each axis.
    EXPECT_GE(plusPres, 1.5 - 0.01 - 0.015);
    EXPECT_EQ(descentes, 2);
}

TEST_F(Levee, SpiraleTropSerreePourLaFraise) {
    // Turns 5 mm apart, then three turns 2 mm apart that the cutter of 3 mm cannot enter,
    // then 5 mm again: the path cut to the tight turns and stopped; now it is lifted over
    // them, and the turns beyond are cut too.
    const Points s = Spirale(5, 2);
    test::AjouteTrace(dessin, test::Etiquette(" A"), s);
    for (const int cote : {1, 3}) {
        Decale(cote);
        ASSERT_EQ(diagnostics.size(), 1u);
        EXPECT_NE(diagnostics[0].message.find("son parcours est levé au point n° "), std::string::npos);
        const std::vector<PointTrace>& D = dessin.Trace_Decale[0].Points;
        const auto premiere =
            std::find_if(D.begin() + 1, D.end(), [](const PointTrace& p) { return p.Plume == MarqueLevee; });
        ASSERT_NE(premiere, D.end());
        // Before the lift, the path the old program cut; well past it, the outer turns.
        EXPECT_GT(premiere - D.begin(), 100);
        EXPECT_GT(D.end() - premiere, 1000);
        const auto coupes = VerifieFichiers();
        CouvreToutLeChemin(D, coupes);
    }
}

TEST_F(Levee, EngrenagesDUnAutreProgramme) {
    // Gears drawn by another program, with a cutter of 4 mm too wide for their teeth on
    // either side: many traces are lifted, none is cut into. Construction lines cross the
    // gears: each path is written and measured alone against its own trace.
    ASSERT_TRUE(test::Ouvre(Cible(), std::string(KORVELIN_TEST_DATA) + "/reels/engrenages_inkscape.hpgl"));
    R = 2;
    for (const int cote : {1, 3}) {
        Decale(cote);
        const auto leves = std::count_if(diagnostics.begin(), diagnostics.end(), [](const Diagnostic& m) {
            return m.message.find("son parcours est levé") != std::string::npos;
        });
        EXPECT_GE(leves, 3);
        const std::vector<SequenceDecalee> chemins = dessin.Trace_Decale;
        for (std::size_t k = 0; k + 1 < chemins.size(); ++k) {
            dessin.Trace_Decale = {chemins[k], {}};
            seul = chemins[k].Sequence;
            VerifieFichiers();
        }
        dessin.Trace_Decale = chemins;
    }
}

}  // namespace
}  // namespace korvelin
