#pragma once
// The ends of the traces, filed by position, for the welding: which remaining trace has an
// end that meets a given point, the lowest in drawing order first.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "geometry/index_sequences.h"
#include "model/dessin.h"

namespace korvelin {

// Two points meet when they are less than 0.001 apart on each axis, in 32-bit arithmetic.
bool SeRejoignent(const PointTrace& a, const PointTrace& b);
// The one rule for a closed trace, for the welding, the orientation, the offset and the
// tabs: at least three points and the ends meet. A contour from another program often
// ends a float step or two from where it began.
inline bool TraceFermee(const PointTrace* debut, std::size_t nb) {
    return nb >= 3 && SeRejoignent(debut[0], debut[nb - 1]);
}

struct BoutTrouve {
    uint32_t trace;  // index in the list of traces
    bool fin;        // the trace's last point (it joins reversed); false for its first
};

class IndexBouts {
public:
    // One trace per run; a trace of one point has a start and no end.
    IndexBouts(const std::vector<PointTrace>& points, const std::vector<PlageSequence>& traces);
    // Of the remaining traces with an end meeting p, the first in drawing order; between
    // the two ends of one trace, its start.
    std::optional<BoutTrouve> Cherche(const PointTrace& p);
    void Retire(uint32_t trace);

private:
    struct Bout {
        float x, y;
        uint32_t trace;
        bool fin;
    };
    struct Cellule {
        int64_t cx, cy;
        friend bool operator==(const Cellule&, const Cellule&) = default;
    };

    static std::optional<Cellule> CelluleDe(float x, float y);
    std::size_t Place(const Cellule& c) const;
    uint32_t Numero(const Cellule& c) const;
    void Compacte(std::size_t cellule);

    // Cell numbers by cell coordinates, open addressing; a cell is known by the first end
    // filed in it, from which its coordinates are found again.
    std::vector<uint32_t> numeros_;
    std::vector<std::array<float, 2>> temoins_;
    std::size_t masque_ = 0;
    std::vector<uint32_t> debut_, fin_, morts_;  // per cell: range in bouts_, dead ends in it
    std::vector<Bout> bouts_;
    std::vector<bool> vivante_;                       // per trace
    std::vector<std::array<uint32_t, 2>> celluleDe_;  // per trace: cells of its ends
};

}  // namespace korvelin
