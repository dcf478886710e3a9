#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "geometry/orientation.h"
#include "support/import_test.h"
#include "model/aide_dessin.h"
#include "model/ligne_projet.h"
#include "model/listes.h"
#include "support/valeurs_temporaires.h"

using namespace korvelin;
using namespace korvelin::test;

namespace {

// A closed rectangle, anticlockwise from its lower left corner.
Points Rectangle(float x0, float y0, float x1, float y1) { return {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}, {x0, y0}}; }

// The same contour drawn the other way and from another vertex.
Points Bouscule(Points p, bool sens, std::size_t depart) {
    p.pop_back();
    if (sens) std::reverse(p.begin(), p.end());
    std::rotate(p.begin(), p.begin() + static_cast<std::ptrdiff_t>(depart % p.size()), p.end());
    p.push_back(p.front());
    return p;
}

struct Cas {
    Points points;
    int profondeur;
    bool ouvert = false;
};

// Three levels of nesting in one part; a second part sharing the first's right edge; a
// notch hole touching the outline, whose first point lies on it; a hole sharing an edge
// with the deepest island; an open engraving.
const std::vector<Cas> Feuille = {
    {Rectangle(0, 0, 100, 100), 0},   {Rectangle(10, 10, 90, 90), 1},   {Rectangle(20, 20, 80, 80), 2},
    {Rectangle(30, 30, 70, 70), 3},   {Rectangle(100, 0, 150, 100), 0}, {Rectangle(0, 40, 5, 60), 1},
    {Rectangle(110, 10, 150, 30), 1}, {Rectangle(120, 50, 140, 70), 1}, {{{32, 32}, {40, 40}, {45, 32}}, 4, true},
};

}  // namespace

TEST(Orientation, ImbricationEtSensQuelsQueSoientLesTraces) {
    std::mt19937 alea(11);
    for (const int16_t cote : {1, 3}) {
        for (int essai = 0; essai < 20; ++essai) {
            Dessin d;
            std::vector<std::size_t> ordre(Feuille.size());
            for (std::size_t i = 0; i < ordre.size(); ++i) ordre[i] = i;
            std::shuffle(ordre.begin(), ordre.end(), alea);
            Code2 e = PremiereSequence;
            for (const std::size_t i : ordre) {
                const Cas& k = Feuille[i];
                AjouteTrace(d, e, k.ouvert ? k.points : Bouscule(k.points, alea() & 1, alea()));
                e = ProchaineSequence(e);
            }
            const Points ouvert = Feuille.back().points;
            OrientationAutomatique(d, {.rayon = 1.0, .cote = cote});

            const auto traces = DecoupeTraces(d);
            const Imbrication imb = CalculImbrication(d, traces);
            ASSERT_EQ(traces.size(), Feuille.size());
            for (std::size_t t = 0; t < traces.size(); ++t) {
                const Cas& k = Feuille[ordre[t]];
                ASSERT_EQ(imb.profondeur[t], k.profondeur) << "tracé " << ordre[t];
                if (k.ouvert) {
                    EXPECT_EQ(XY(d.Trace_Initial, traces[t].premier, 3), ouvert);
                    continue;
                }
                // Material on the left: an outline turns anticlockwise, a hole clockwise.
                const bool antihoraire = AireSignee(d, traces[t]) > 0;
                EXPECT_EQ(antihoraire, (k.profondeur % 2 == 0) == (cote == 1)) << "tracé " << ordre[t];
            }
            // The offsets follow: the outer outline is cut outside, the first hole inside it.
            ASSERT_EQ(d.Trace_Decale.size(), Feuille.size() + 1);
            for (std::size_t t = 0; t < traces.size(); ++t) {
                if (ordre[t] > 1) continue;
                for (const PointTrace& p : d.Trace_Decale[t].Points) {
                    const bool dehors = p.X < 0 || p.X > 100 || p.Y < 0 || p.Y > 100;
                    const bool dedans = p.X > 10 && p.X < 90 && p.Y > 10 && p.Y < 90;
                    EXPECT_TRUE(ordre[t] == 0 ? dehors : dedans) << p.X << " " << p.Y;
                }
            }
        }
    }
}

TEST(Orientation, SurLeTraceRienNeChange) {
    Dessin d;
    AjouteTrace(d, PremiereSequence, Rectangle(0, 0, 10, 10));
    AjouteTrace(d, Etiquette(" B"), Bouscule(Rectangle(2, 2, 8, 8), false, 0));
    const auto avant = d.Trace_Initial;
    EXPECT_EQ(OrientationAutomatique(d, {.cote = 2}).inverses, 0);
    EXPECT_TRUE(MemesPoints(d.Trace_Initial, avant));
}

TEST(Orientation, ApresLImportationSeulementSiDemandee) {
    // A square drawn clockwise: with the material on the left its cutter would run inside.
    std::string points;
    for (const auto& [x, y] : Bouscule(Rectangle(0, 0, 10, 10), true, 0))
        points += LignePointProjet({x, y, PlumeBasse, PremiereSequence}) + "\r\n";
    for (const bool demandee : {false, true}) {
        ValeursTemporaires c;
        const std::string reglages =
            std::string("$$DecalageOutil=1\r\n") + (demandee ? "$$OrientationAuto=Vrai\r\n" : "");
        ASSERT_TRUE(test::Ouvre(c.Cible(), c.dossier.Ecrit("p.korvelin", reglages + points)));
        const auto traces = DecoupeTraces(c.dessin);
        ASSERT_EQ(traces.size(), 1u);
        EXPECT_EQ(AireSignee(c.dessin, traces[0]) > 0, demandee);
        // The bounds take in the offset path, outside the square only once it is turned.
        EXPECT_EQ(c.dessin.Xmax > 10, demandee);
    }
}
