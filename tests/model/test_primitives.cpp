#include <gtest/gtest.h>

#include <cmath>

#include "model/primitives.h"

using namespace korvelin;

namespace {
PointTrace P(float x, float y) { return {x, y, PlumeBasse, PremiereSequence}; }
}  // namespace

TEST(Primitives, AnglesDroitesEtIntersection) {
    for (const auto& [x, y, angle] :
         {std::tuple{1.f, 0.f, 0.0}, {0.f, 1.f, Pi / 2}, {-1.f, 0.f, Pi}, {0.f, -1.f, 3 * Pi / 2}})
        EXPECT_DOUBLE_EQ(AngleSegment(P(0, 0), P(x, y)), angle);
    EXPECT_NEAR(AngleSegment(P(0, 0), P(1, -1)), 7 * Pi / 4, 1e-12);
    double laisse = 1.25;
    AngleSegment(P(3, 3), P(3, 3), laisse);
    EXPECT_EQ(laisse, 1.25);
    const Droite d = DroitePassantPar(P(0, 0), P(10, 0));
    EXPECT_NEAR(d.a * 5 + d.b * -2 + d.c, 2.0, 1e-12);  // positive on the right of travel
    EXPECT_NEAR(DroitePassantPar(P(2, 2), P(2, 2)).a, std::sin(3 * Pi / 2), 1e-15);
    PointTrace x = P(7, 7);
    EXPECT_FALSE(Intersection(DroiteAngle(P(0, 0), 0), DroiteAngle(P(0, 5), 0), x));
    EXPECT_EQ(x.X, 7.0f);
    ASSERT_TRUE(Intersection(DroiteAngle(P(0, -1), 0), DroiteAngle(P(10, 0), 3 * Pi / 4), x));
    EXPECT_NEAR(x.X, 11.0f, 1e-5);
    EXPECT_NEAR(x.Y, -1.0f, 1e-5);
}

TEST(Primitives, CoteDeEtTropProche) {
    EXPECT_EQ(CoteDe(P(1, 1), P(1, 1), P(0, 0)), ' ');
    EXPECT_EQ(CoteDe(P(0, 0), P(10, 0), P(5, 1)), 'G');
    EXPECT_EQ(CoteDe(P(0, 0), P(10, 0), P(5, -1)), 'D');
    EXPECT_EQ(CoteDe(P(0, 0), P(10, 0), P(20, 0)), 'C');
    // Exactly R - 0.01 from the segment is not too close; a little nearer is. Beyond the
    // ends the nearer end counts; a segment of zero length behaves as a point.
    EXPECT_FALSE(TropProche(P(0, 0), P(10, 0), P(5, 0), 0.01));
    EXPECT_TRUE(TropProche(P(0, 0), P(10, 0), P(5, 0), 0.0101));
    EXPECT_TRUE(TropProche(P(0, 0), P(10, 0), P(5, 0.98f), 1.0));
    EXPECT_TRUE(TropProche(P(0, 0), P(10, 0), P(10.5f, 0), 1.0));
    EXPECT_FALSE(TropProche(P(0, 0), P(10, 0), P(11.5f, 0), 1.0));
    EXPECT_TRUE(TropProche(P(3, 3), P(3, 3), P(3.5f, 3), 1.0));
}
