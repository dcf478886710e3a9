#pragma once
// Second stage of the DXF import: entity records become segments of the drawing. Every
// LINE, ARC, CIRCLE, ELLIPSE and every POLYLINE as a whole is a trace of its own; the
// automatic welding at the end joins the traces whose ends meet.

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "import/dxf_lecture.h"
#include "model/dessin.h"
#include "settings/contexte.h"

namespace korvelin {

// How far an import may grow. A few nested INSERTs can multiply a small file into
// billions of points; past these bounds the import is refused with a message.
struct LimitesDXF {
    std::size_t MaxPoints = 10'000'000;
    std::size_t MaxEntites = 10'000'000;  // entities converted, block contents counted each time
    std::size_t MaxImbrication = 128;      // blocks inside blocks
};

// Where the entities of a block land: scaled, turned counter-clockwise about the origin
// (radians), then moved.
struct Placement {
    float DecalageX = 0.0f, DecalageY = 0.0f;
    float EchelleX = 1.0f, EchelleY = 1.0f;
    float Rotation = 0.0f;
};

double Module(double x, double y);
// Polar angle in [0, 2π).
double Argument(double x, double y);
double RotationX(double x, double y, double angle);
double RotationY(double x, double y, double angle);
// One correction of 360 degrees at most.
float NormaliseAngle(float angle);

// A slot value as a number: "," is the decimal separator of the stored texts.
// False when the text is not a number.
bool LitNombreDXF(std::string_view texte, float& valeur);

// Builds the points of an import without touching the drawing.
class TraceurDXF {
public:
    TraceurDXF(const DocumentDXF& doc, std::string_view derniereSequence, LimitesDXF limites = {});

    // Every entity of the ENTITIES section with the identity placement.
    void ConvertitTout();
    void ConvertitEntite(const std::vector<EntiteDXF>& entites, std::size_t index,
                         const Placement& placement);
    void DevelopperBloc(std::string_view nom, const Placement& placement);
    // A DIMENSION's block, placed like the entity that holds the dimension.
    void DevelopperBlocDirect(std::string_view nom, const Placement& conteneur);
    // Index of the first block of that name, -1 when none.
    long IndexBloc(std::string_view nom) const;

    void AjouteSegment(double x1, double y1, double x2, double y2, bool nouvelleSequence);
    // Chords of one degree; angles in degrees.
    void TraceArc(double cx, double cy, double rayon, float debut, float fin);
    void TraceCercle(double cx, double cy, double rayon);
    // Chords of π / pasParDemiTour in the parameter; the major axis end is relative to the
    // centre, the ratio is minor / major.
    void TraceEllipse(double cx, double cy, double grandX, double grandY, float rapport,
                      float debut, float fin, int pasParDemiTour);

    std::vector<PointTrace>& Points() { return points_; }
    // Label of the last trace made; the previous one when none was.
    std::string DerniereSequence() const;
    // True when the import went past its limits; the points are then incomplete.
    bool Depassement() const { return depassement_; }
    std::size_t NbHorsLimites() const { return nbHorsLimites_; }
    std::size_t NbBouclesBlocs() const { return nbBoucles_; }
    std::size_t NbTropImbriques() const { return nbTropImbriques_; }

private:
    const DocumentDXF& doc_;
    LimitesDXF limites_;
    std::vector<PointTrace> points_;
    std::string debut_;
    Code2 sequence_;
    bool sequenceVide_;
    bool nouvelle_ = false;
    std::unordered_map<std::string_view, long> indexBlocs_;
    std::vector<char> enCours_;
    std::size_t profondeur_ = 0;
    std::size_t nbEntites_ = 0;
    bool depassement_ = false;
    bool horsLimites_ = false;
    std::size_t nbHorsLimites_ = 0, nbBoucles_ = 0, nbTropImbriques_ = 0;

    void Primitive(const EntiteDXF& e, const std::vector<EntiteDXF>& entites, std::size_t index,
                   const Placement& pl);
    void Ligne(const EntiteDXF& e, const Placement& pl);
    void ArcOuCercle(const EntiteDXF& e, const Placement& pl, bool arc);
    void Ellipse(const EntiteDXF& e, const Placement& pl);
    void Polyligne(const std::vector<EntiteDXF>& entites, std::size_t index, const Placement& pl);
    void Developpe(std::string_view nom, const Placement& placement);
};

// Converts the ENTITIES of the document into the drawing and finishes the import: bounds,
// rescaling dialog, shift to the origin, automatic welding. A document with nothing to draw
// leaves the drawing empty. False, with the drawing unchanged and the user told, when the
// import was refused.
bool ConvertitDXF(Contexte& ctx, const DocumentDXF& doc, const LimitesDXF& limites = {});

}  // namespace korvelin
