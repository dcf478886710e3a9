// The question of the offset's second pass, asked of traces that go over themselves again
// and again, with points right at the distance where the answer turns.

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "geometry/proximite.h"
#include "model/primitives.h"

using namespace korvelin;

namespace {

TEST(Proximite, CommeTropProcheSurChaqueSegment) {
    std::mt19937 g(3);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    for (int essai = 0; essai < 60; ++essai) {
        // A walk gone over several times, each time a little off (within one cell of the
        // grouping or across), sometimes the other way round.
        std::vector<PointTrace> tour;
        double x = 0, y = 0;
        const int n = 3 + int(g() % 80);
        for (int i = 0; i < n; ++i) {
            tour.push_back({float(x), float(y), PlumeBasse, PremiereSequence});
            const double pas = g() % 5 ? 6 : 2e-3;  // now and then a segment shorter than the spread
            x += (u(g) - 0.5) * pas, y += (u(g) - 0.5) * pas;
        }
        const double decalages[] = {0.0, 2e-4, -6e-4, 3e-3};
        std::vector<PointTrace> trace;
        for (int fois = 1 + int(g() % 30); fois > 0; --fois) {
            const double dx = decalages[g() % 4], dy = decalages[g() % 4];
            const bool inverse = g() % 3 == 0;
            for (std::size_t k = 0; k < tour.size(); ++k) {
                const PointTrace& p = tour[inverse ? tour.size() - 1 - k : k];
                trace.push_back({float(p.X + dx), float(p.Y + dy), PlumeBasse, PremiereSequence});
            }
        }
        const double rayon = 0.2 + 3 * u(g);
        // Segments gathered and left alone, whatever the trace.
        ProximiteSegments groupes(0.0), segments(INFINITY);
        groupes.Prepare(trace, rayon);
        segments.Prepare(trace, rayon);
        // Points beside a segment or one of its ends, at the limit or a hair either side.
        const double ecarts[] = {0.0, 1e-5, -1e-5, 3e-4, -3e-4, 1e-3, -1e-3};
        for (int q = 0; q < 400; ++q) {
            const std::size_t s = g() % (trace.size() - 1);
            const PointTrace& a = trace[s];
            const PointTrace& b = trace[s + 1];
            const double t = g() % 4 == 0 ? 1.0 : u(g), angle = u(g) * 2 * Pi;
            const double d = rayon - 0.01 + ecarts[g() % 7];
            PointTrace p{float(a.X + t * (b.X - a.X) + d * std::cos(angle)),
                         float(a.Y + t * (b.Y - a.Y) + d * std::sin(angle)),
                         {},
                         {}};
            bool attendu = false;
            for (std::size_t k = 0; k + 1 < trace.size() && !attendu; ++k)
                attendu = TropProche(trace[k], trace[k + 1], p, rayon);
            ASSERT_EQ(groupes.TropProcheDuTrace(p), attendu) << "essai " << essai << ", point " << q;
            ASSERT_EQ(segments.TropProcheDuTrace(p), attendu) << "essai " << essai << ", point " << q;
        }
    }
}

}  // namespace
