#pragma once
// Where each trace label first appears in the drawing, found once for a whole-drawing
// operation instead of one scan of the point list per trace.

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

#include "model/dessin.h"

namespace korvelin {

inline uint64_t CleEtiquette(Code2 e) { return e.Cle(); }

struct PlageSequence {
    int32_t premier = 0;  // index of the first point
    int32_t nb = 0;       // points of the run that starts there
};

// Counted points of the drawing, never more than the array holds.
int32_t NbPointsUtiles(const Dessin& d);

// The runs of equal labels among the counted points, in drawing order.
std::vector<PlageSequence> PlagesSequences(const Dessin& d);

class IndexSequences {
public:
    explicit IndexSequences(const Dessin& d);
    // The run PremierPointSequence and NbPointsSequence would give for that label.
    std::optional<PlageSequence> Cherche(Code2 etiquette) const;
    // True when no label is carried by two runs.
    bool EtiquettesUniques() const { return uniques_; }
    const std::vector<PlageSequence>& Plages() const { return plages_; }

private:
    std::vector<PlageSequence> plages_;
    std::unordered_map<uint64_t, PlageSequence> premiere_;
    bool uniques_ = true;
};

// Same result as InverseSequence called for each label in turn: a run reversed twice is
// back as it was, and reversing one run leaves the others where they are.
void InverseSequences(Dessin& d, const std::vector<Code2>& etiquettes);

}  // namespace korvelin
