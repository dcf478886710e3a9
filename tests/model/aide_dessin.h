#pragma once
// Drawings built from point lists, and their points compared, for the core's tests.

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <utility>
#include <vector>

#include "model/dessin.h"

namespace korvelin::test {

using Points = std::vector<std::pair<float, float>>;

inline Code2 Etiquette(const char* texte) { return Code2::De(texte); }

// Appends one trace of pen-down points and keeps NbPoints in step with the array.
inline void AjouteTrace(Dessin& d, Code2 etiquette, const Points& points) {
    for (const auto& [x, y] : points) d.Trace_Initial.push_back({x, y, PlumeBasse, etiquette});
    d.NbPoints = static_cast<int32_t>(d.Trace_Initial.size());
}

// The coordinates of n points from debut (all the rest by default).
inline Points XY(const std::vector<PointTrace>& p, std::size_t debut = 0, std::size_t n = SIZE_MAX) {
    Points r;
    for (std::size_t i = debut; i < p.size() && r.size() < n; ++i) r.emplace_back(p[i].X, p[i].Y);
    return r;
}

// The traces of the drawing's counted points, in order.
inline std::vector<std::pair<Code2, Points>> TracesDe(const Dessin& d) {
    std::vector<std::pair<Code2, Points>> t;
    for (int32_t i = 0; i < d.NbPoints; ++i) {
        const PointTrace& p = d.Trace_Initial[i];
        if (t.empty() || t.back().first != p.Sequence) t.push_back({p.Sequence, {}});
        t.back().second.emplace_back(p.X, p.Y);
    }
    return t;
}

// The points from debut on, within tol on each axis; a negative tol asks for float equality to a few ulps.
inline void AttendPoints(const std::vector<PointTrace>& p, const Points& attendus, double tol = -1,
                         std::size_t debut = 0) {
    ASSERT_GE(p.size(), debut + attendus.size());
    for (std::size_t i = 0; i < attendus.size(); ++i) {
        const PointTrace& q = p[debut + i];
        if (tol < 0) {
            EXPECT_FLOAT_EQ(q.X, attendus[i].first) << "point " << debut + i;
            EXPECT_FLOAT_EQ(q.Y, attendus[i].second) << "point " << debut + i;
        } else {
            EXPECT_NEAR(q.X, attendus[i].first, tol) << "point " << debut + i;
            EXPECT_NEAR(q.Y, attendus[i].second, tol) << "point " << debut + i;
        }
    }
}

// Bit for bit, codes included.
inline bool MemesPoints(const std::vector<PointTrace>& a, const std::vector<PointTrace>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const PointTrace& p, const PointTrace& q) {
        return std::bit_cast<uint32_t>(p.X) == std::bit_cast<uint32_t>(q.X) &&
               std::bit_cast<uint32_t>(p.Y) == std::bit_cast<uint32_t>(q.Y) && p.Plume == q.Plume &&
               p.Sequence == q.Sequence;
    });
}

inline bool MemesDecalages(const Dessin& a, const Dessin& b) {
    return std::equal(a.Trace_Decale.begin(), a.Trace_Decale.end(), b.Trace_Decale.begin(), b.Trace_Decale.end(),
                      [](const SequenceDecalee& x, const SequenceDecalee& y) {
                          return x.Sequence == y.Sequence && MemesPoints(x.Points, y.Points);
                      });
}

}  // namespace korvelin::test
