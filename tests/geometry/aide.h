#pragma once
// Drawings and comparisons for the geometry tests.

#include <algorithm>
#include <bit>
#include <initializer_list>
#include <utility>

#include "settings/contexte.h"

namespace korvelin::test {

inline Code2 Etiquette(const char* texte) { return Code2::De(texte); }

// Appends one trace of pen-down points and keeps NbPoints in step with the array.
inline void AjouteTrace(Dessin& d, Code2 etiquette, std::initializer_list<std::pair<float, float>> points) {
    for (const auto& [x, y] : points) d.Trace_Initial.push_back({x, y, PlumeBasse, etiquette});
    d.NbPoints = static_cast<int32_t>(d.Trace_Initial.size());
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
