#pragma once
// The second pass of the offset asks, for every offset point, whether a drawn segment of
// its trace passes closer than the cutter radius allows. Testing every segment makes a
// long trace quadratic; a tree of boxes over the segments keeps the question to the few that can be
// near the point. The answer is always the one TropProche gives.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/dessin.h"

namespace korvelin {

class ProximiteSegments {
public:
    // Prepares the question for the segments trace[s] → trace[s + 1]. The trace must stay
    // alive and unchanged while the object is asked.
    void Prepare(const std::vector<PointTrace>& trace, double rayon);
    // True when TropProche(trace[s], trace[s + 1], q, rayon) holds for some segment s.
    bool TropProcheDuTrace(const PointTrace& q) const;

private:
    enum class Mode { Jamais, ChaqueSegment, Candidats, Arbre };

    // The part of a segment TropProche can find too close: the segment itself, or a
    // single end when the other one is not a finite point.
    struct Candidat {
        double x0, y0, dx, dy, longueur2;
        int32_t segment;
    };

    bool Approche(const Candidat& c, double qx, double qy) const;
    bool Decide(int32_t segment, const PointTrace& q) const;
    struct Noeud {
        double xmin, ymin, xmax, ymax;  // around the node's segments, stretched as TropProche reaches
        int32_t debut, fin;             // its candidates
        int32_t gauche, droite;         // children, -1 for a leaf
    };
    static constexpr int32_t FeuilleMax = 8;

    void ChoisitArbre();
    int32_t Construit(int32_t debut, int32_t fin);
    bool ParcourtArbre(const PointTrace& q) const;

    const std::vector<PointTrace>* trace_ = nullptr;
    double rayon_ = 0.0;
    Mode mode_ = Mode::Jamais;
    std::vector<Candidat> candidats_;
    double seuil2_ = 0.0;  // square of the distance beyond which no segment is too close
    double bordure_ = 0.0; // a box farther than this from the point holds nothing too close
    std::vector<Noeud> noeuds_;  // node 0 is the root
};

}  // namespace korvelin
