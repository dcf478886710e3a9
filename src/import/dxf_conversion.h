#pragma once
// Second stage of the DXF import: entity records become segments of the drawing. Every
// LINE, ARC, CIRCLE, ELLIPSE and SPLINE, and every POLYLINE or LWPOLYLINE as a whole, is a
// trace of its own; the automatic welding at the end joins the traces whose ends meet.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "import/dxf_lecture.h"
#include "import/lecture.h"
#include "model/dessin.h"

namespace korvelin {

// An affine map of space: where the coordinates of an entity land in the drawing.
// x' = M[0][0] x + M[0][1] y + M[0][2] z + M[0][3], and so on for y' and z'; only x' and
// y' are drawn. Block references compose their maps, so nested blocks land exactly.
struct Placement {
    double M[3][4] = {{1.0, 0.0, 0.0, 0.0}, {0.0, 1.0, 0.0, 0.0}, {0.0, 0.0, 1.0, 0.0}};
};

// One correction of 360 degrees at most.
float NormaliseAngle(float angle);

// Builds the points of an import without touching the drawing.
class TraceurDXF {
public:
    TraceurDXF(const DocumentDXF& doc, std::string_view derniereSequence, LimitesDXF limites = {});

    // Every entity of the ENTITIES section with the identity placement.
    void ConvertitTout();

    void AjouteSegment(double x1, double y1, double x2, double y2, bool nouvelleSequence);
    // Each segment that goes on from the end of the one before in the same trace adds its
    // end only, instead of both its points: half the points of a long polyline. The removal
    // of repeated points after the welding makes the same drawing of either layout, and the
    // bound on the points still counts two a segment.
    void FusionneLesDoublons() { fusionne_ = true; }
    // Chords of one degree; angles in degrees.
    void TraceArc(double cx, double cy, double rayon, float debut, float fin);
    void TraceCercle(double cx, double cy, double rayon);
    // Chords of π / pasParDemiTour in the parameter; the major axis end is relative to the
    // centre, the ratio is minor / major.
    void TraceEllipse(double cx, double cy, double grandX, double grandY, float rapport, float debut, float fin,
                      int pasParDemiTour);

    std::vector<PointTrace>& Points() { return points_; }
    // Label of the last trace made; the previous one when none was.
    std::string DerniereSequence() const;
    // True when the import went past its limits; the points are then incomplete.
    bool Depassement() const { return depassement_; }
    std::size_t NbHorsLimites() const { return nbHorsLimites_; }
    std::size_t NbBouclesBlocs() const { return nbBoucles_; }
    std::size_t NbTropImbriques() const { return nbTropImbriques_; }

private:
    struct Point2 {
        double x = 0.0, y = 0.0;
    };
    // The plane of an entity in object coordinates, as it lands in the drawing.
    struct Plan {
        double a, b, c, d, e, f;
        Point2 operator()(double x, double y) const { return {a * x + b * y + e, c * x + d * y + f}; }
    };
    struct Sommet {
        double x, y, z, renflement;
    };

    const DocumentDXF& doc_;
    LimitesDXF limites_;
    std::vector<PointTrace> points_;
    std::size_t nbPointsComptes_ = 0;  // two a segment, whatever is stored
    bool fusionne_ = false;
    std::string debut_;
    Code2 sequence_;
    bool sequenceVide_;
    bool nouvelle_ = false;
    std::vector<long> blocParNom_;  // index of the first block of each name, -1 when none
    std::vector<char> enCours_;
    std::size_t profondeur_ = 0;
    std::size_t nbEntites_ = 0;
    bool depassement_ = false;
    bool horsLimites_ = false;
    std::size_t nbHorsLimites_ = 0, nbBoucles_ = 0, nbTropImbriques_ = 0;
    // The trace being drawn: where the pen is, and whether the next segment starts it.
    Point2 crayon_;
    bool premierTrait_ = true;
    std::vector<Sommet> sommets_;

    void ConvertitEntite(const EntiteDXF& e, const Placement& pl);
    void Primitive(const EntiteDXF& e, const double* v, const Placement& pl);
    void Ligne(const double* v, const Placement& pl);
    void ArcOuCercle(const double* v, const Placement& pl, bool arc);
    void Ellipse(const double* v, const Placement& pl);
    void Polyligne(const EntiteDXF& e, const double* v, const Placement& pl);
    void Spline(const double* v, std::size_t nb, const Placement& pl);
    void SplineControles(const double* v, const Placement& pl);
    void SplineLissage(const double* v, const Placement& pl);
    void Insertion(const double* v, const Placement& pl);
    void DevelopperBloc(double nom, const Placement& pl);

    // The plane of the object coordinates of that extrusion direction, at that elevation.
    static Plan PlanObjet(const Placement& pl, double nx, double ny, double nz, double elevation);
    void Part(Point2 p);
    void Vers(Point2 p);
    void Renflement(const Plan& plan, const Sommet& a, const Sommet& b);
    void CordesArc(const Plan& plan, double cx, double cy, double rayon, double debut, double balayage, Point2 fin);
    void EchantillonneEllipse(Point2 c, Point2 u, Point2 v, float debut, float fin, int pasParDemiTour);
    template <class Courbe>
    void Aplatit(const Courbe& courbe, double u0, Point2 p0, double u1, Point2 p1, Point2 milieu, int profondeur);
};

// The points of an import, in file units, and the label of its last trace: the next DXF
// import continues after it.
struct DessinLuDXF : DessinLu {
    std::string DerniereSequence;
};

// Converts the ENTITIES of the document into points, their labels following
// derniereSequence. A document with nothing to draw gives no point and no error. Refused
// when the blocks grow past the limits; entities left out give a warning. The document is
// released once its points are made.
DessinLuDXF ConvertitDXF(DocumentDXF doc, std::string_view nomFichier = {}, std::string_view derniereSequence = {},
                         const LimitesDXF& limites = {}, bool fusionneDoublons = false);

}  // namespace korvelin
