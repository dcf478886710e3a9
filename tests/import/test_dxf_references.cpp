// Drawings written by an independent DXF library and by drawing programs, and the geometry
// that library reports for them: the ends of every trace and the bounding box, or the
// length and the extent of the whole drawing.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "import/dxf_conversion.h"

namespace korvelin {
namespace {

bool Proche(double x, double y, const PointTrace& p) { return std::fabs(p.X - x) < 1e-3 && std::fabs(p.Y - y) < 1e-3; }

class ReferenceDXF : public ::testing::TestWithParam<const char*> {};

TEST_P(ReferenceDXF, MemesExtremitesEtMemeBoite) {
    const std::string base = std::string(KORVELIN_TEST_DATA) + "/dxf/" + GetParam();
    const auto doc = LireDXF(base + ".dxf");
    ASSERT_TRUE(doc.has_value());
    TraceurDXF t(*doc, "");
    t.ConvertitTout();
    const std::vector<PointTrace>& p = t.Points();
    ASSERT_FALSE(p.empty());
    std::vector<std::pair<std::size_t, std::size_t>> traces;  // first and last index
    for (std::size_t i = 0; i < p.size(); ++i)
        if (i == 0 || !(p[i].Sequence == p[i - 1].Sequence))
            traces.push_back({i, i});
        else
            traces.back().second = i;

    std::ifstream f(base + ".attendu");
    std::string ligne, mot;
    std::size_t k = 0;
    while (std::getline(f, ligne)) {
        std::istringstream l(ligne);
        double x0, y0, x1, y1;
        l >> mot;
        if (mot == "trace") {
            l >> mot >> x0 >> y0 >> x1 >> y1;
            ASSERT_LT(k, traces.size());
            const PointTrace &a = p[traces[k].first], &b = p[traces[k].second];
            // A mirrored arc runs the other way round: its ends are compared as a pair.
            EXPECT_TRUE((Proche(x0, y0, a) && Proche(x1, y1, b)) || (Proche(x0, y0, b) && Proche(x1, y1, a)))
                << "trace " << k << " " << mot << ": (" << a.X << ", " << a.Y << ") -> (" << b.X << ", " << b.Y << ")";
            ++k;
        } else if (mot == "boite") {
            l >> x0 >> y0 >> x1 >> y1;
            float xmin = p[0].X, xmax = xmin, ymin = p[0].Y, ymax = ymin;
            for (const PointTrace& q : p) {
                xmin = std::min(xmin, q.X), xmax = std::max(xmax, q.X);
                ymin = std::min(ymin, q.Y), ymax = std::max(ymax, q.Y);
            }
            // Chords cut inside curves by at most a few hundredths at these sizes.
            EXPECT_NEAR(xmin, x0, 0.05);
            EXPECT_NEAR(ymin, y0, 0.05);
            EXPECT_NEAR(xmax, x1, 0.05);
            EXPECT_NEAR(ymax, y1, 0.05);
        }
    }
    EXPECT_EQ(k, traces.size());
}

INSTANTIATE_TEST_SUITE_P(Fichiers, ReferenceDXF,
                         ::testing::Values("formes_r12", "blocs_r12", "cote_r12", "ellipses_r2000"));

}  // namespace
}  // namespace korvelin
