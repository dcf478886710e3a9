#pragma once
// The second pass of the offset asks, for every offset point, whether a drawn segment of
// its trace passes closer than the cutter radius allows. Testing every segment makes a
// long trace quadratic; a tree of boxes over the segments keeps the question to the few that can be
// near the point. A trace that goes over the same place again and again (one circle
// drawn a thousand times) would still leave a thousand segments near every point: there,
// segments whose ends fall in the same tiny cells are gathered into one group, asked one
// by one only when the point comes near the group. The answer is always the one
// TropProche gives.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "model/dessin.h"

namespace korvelin {

class ProximiteSegments {
public:
    // Segments are gathered when those of a sample come back this many times on average.
    explicit ProximiteSegments(double retours = 8.0) : retours_(retours) {}
    // Prepares the question for the segments trace[s] → trace[s + 1]. The trace must stay
    // alive and unchanged while the object is asked.
    void Prepare(std::span<const PointTrace> trace, double rayon);
    // True when TropProche(trace[s], trace[s + 1], q, rayon) holds for some segment s.
    bool TropProcheDuTrace(const PointTrace& q) const;
    // True when some drawn segment passes closer than the radius less 0.01 to any point
    // of the segment a → b: the straight cut that would join what the second pass keeps.
    bool SegmentTropProche(const PointTrace& a, const PointTrace& b) const;
    // Hands back the storage of a long trace's segments once its questions are done.
    void Libere();

private:
    enum class Mode { Jamais, ChaqueSegment, Liste, Arbre };

    // The part of a segment TropProche can find too close: the segment itself, or a
    // single end when the other one is not a finite point.
    struct Candidat {
        double x0, y0, dx, dy, longueur2;
        int32_t segment;
    };
    // Segments lying on one another: every member is within `ecart` of the first.
    struct Groupe {
        Candidat premier;
        double ecart;
        int32_t debut, fin;  // its segments in membres_
    };
    // The tree holds candidates, or groups once the segments are gathered. Its boxes are
    // in single precision, rounded outwards: a box a hair too large only asks a few more
    // segments, and a million segments keep 8 MB of tree instead of 12.
    struct Noeud {
        float xmin, ymin, xmax, ymax;  // around the node's segments, stretched as TropProche reaches
        int32_t debut, fin;            // its candidates or groups
        int32_t gauche, droite;        // children, -1 for a leaf
    };
    static constexpr int32_t FeuilleMax = 8;

    // False when neither end of the segment is a finite point: it is never too close.
    bool CandidatDe(int32_t segment, Candidat& c) const;
    bool Approche(const Candidat& c, double qx, double qy, double seuil2) const;
    bool Decide(int32_t segment, const PointTrace& q) const;
    bool CandidatTropProche(const Candidat& c, const PointTrace& q) const;
    bool GroupeTropProche(const Groupe& g, const PointTrace& q) const;
    bool ElementTropProche(int32_t i, const PointTrace& q) const;
    int32_t NbElements() const;
    bool Superposes() const;
    void Regroupe();
    // The group of each segment (negative for none), the groups counted but not filled.
    std::vector<int32_t> Rassemble();
    void OrdonneDansLEspace();
    int32_t Construit(int32_t debut, int32_t fin);
    bool ParcourtArbre(const PointTrace& q) const;
    bool ElementCoupe(int32_t i, double ax, double ay, double bx, double by) const;
    bool SegmentCoupe(int32_t segment, double ax, double ay, double bx, double by) const;

    std::span<const PointTrace> trace_;
    double rayon_ = 0.0;
    double retours_;
    Mode mode_ = Mode::Jamais;
    double seuil_ = 0.0;    // the distance beyond which no segment is too close
    double seuil2_ = 0.0;   // its square
    double bordure_ = 0.0;  // a box farther than this from the point holds nothing too close
    bool regroupe_ = false;
    // While the segments are not gathered: those with a finite end, by number, their
    // geometry read from the trace when asked (a million segments would otherwise hold
    // 48 MB beside the trace's own points).
    std::vector<int32_t> candidats_;
    std::vector<Groupe> groupes_;   // once they are
    std::vector<int32_t> membres_;  // segments, group by group
    std::vector<Noeud> noeuds_;     // node 0 is the root
};

}  // namespace korvelin
