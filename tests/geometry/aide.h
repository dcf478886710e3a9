#pragma once
// Drawings for the geometry tests.

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

}  // namespace korvelin::test
