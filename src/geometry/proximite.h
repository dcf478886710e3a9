#pragma once
// The second pass of the offset asks, for every offset point, whether a drawn segment of
// its trace passes closer than the cutter radius allows. Testing every segment makes a
// long trace quadratic; a grid of the segments keeps the question to the few that can be
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
    enum class Mode { Jamais, ChaqueSegment, Candidats, Grille };

    // The part of a segment TropProche can find too close: the segment itself, or a
    // single end when the other one is not a finite point.
    struct Candidat {
        double x0, y0, dx, dy, longueur2;
        int32_t segment;
    };

    bool Approche(const Candidat& c, double qx, double qy) const;
    bool Decide(int32_t segment, const PointTrace& q) const;
    void ChoisitGrille();
    std::size_t Colonne(double x) const;
    std::size_t Ligne(double y) const;
    template <class F>
    void PourChaqueCellule(const Candidat& c, F&& f) const;

    const std::vector<PointTrace>* trace_ = nullptr;
    double rayon_ = 0.0;
    Mode mode_ = Mode::Jamais;
    std::vector<Candidat> candidats_;
    double seuil2_ = 0.0;  // square of the distance beyond which no segment is too close
    double marge_ = 0.0;   // covers the rounding of the grid's own arithmetic
    double bordure_ = 0.0; // how far beyond a segment its cells reach

    double x0_ = 0.0, y0_ = 0.0, pas_ = 1.0;
    std::size_t nx_ = 0, ny_ = 0;
    std::vector<std::size_t> debut_;  // per cell, first entry in contenu_ (CSR)
    std::vector<int32_t> contenu_;    // candidate indices, cell after cell
};

}  // namespace korvelin
