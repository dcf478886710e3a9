#pragma once
// First stage of the DXF import: the BLOCKS and ENTITIES sections of a text DXF file
// become compact entity records. Every value is read once, as a number, into one array
// shared by the whole document; only names of blocks are kept as text. Nothing here
// touches the drawing.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvelin {

// How far an import may grow. A few nested INSERTs can multiply a small file into
// billions of points; past these bounds the import is refused with a message.
struct LimitesDXF {
    std::size_t MaxPoints = 10'000'000;
    std::size_t MaxEntites = 10'000'000;  // entities converted, block contents counted each time
    std::size_t MaxImbrication = 128;     // blocks inside blocks
};

enum class TypeDXF : uint8_t { Ligne, Arc, Cercle, Ellipse, Polyligne, PolyligneLegere, Spline, Insertion, Cote };

// Where each value of an entity sits in its run of values. A value the file does not
// give holds the default of its group code (0, 1 for scales, ratios and the Z of an
// extrusion, a whole turn for the end of an ellipse).
struct ChampsLigne {  // LINE: 10 20 30 11 21 31
    static constexpr std::size_t X1 = 0, Y1 = 1, Z1 = 2, X2 = 3, Y2 = 4, Z2 = 5, Nombre = 6;
};
struct ChampsArc {  // CIRCLE stops before the angles: 10 20 30 40 210 220 230 (50 51)
    static constexpr std::size_t CX = 0, CY = 1, CZ = 2, Rayon = 3, NX = 4, NY = 5, NZ = 6, Debut = 7, Fin = 8,
                                 Nombre = 9;
};
struct ChampsEllipse {  // 10 20 30, major axis end 11 21 31, 40, 41 42, 210 220 230
    static constexpr std::size_t CX = 0, CY = 1, CZ = 2, AX = 3, AY = 4, AZ = 5, Rapport = 6, Debut = 7, Fin = 8,
                                 NX = 9, NY = 10, NZ = 11, Nombre = 12;
};
// POLYLINE (70, 30 of its own point, 210 220 230) and LWPOLYLINE (70, 38, 210 220 230),
// followed by their vertices.
struct ChampsPolyligne {
    static constexpr std::size_t Drapeaux = 0, Elevation = 1, NX = 2, NY = 3, NZ = 4, Nombre = 5;
};
struct ChampsSommet {  // a VERTEX of a POLYLINE: 10 20 30 42 70
    static constexpr std::size_t X = 0, Y = 1, Z = 2, Renflement = 3, Drapeaux = 4, Nombre = 5;
};
struct ChampsSommetLeger {  // a vertex of a LWPOLYLINE: 10 20 42
    static constexpr std::size_t X = 0, Y = 1, Renflement = 2, Nombre = 3;
};
// SPLINE: 71, 70, the counts of what follows, which end tangents were given (bit 1 the
// start one, 12 22 32; bit 2 the end one, 13 23 33); then the knots (40), the weights
// (41), the control points (10 20 30) and the fit points (11 21 31).
struct ChampsSpline {
    static constexpr std::size_t Degre = 0, Drapeaux = 1, NbNoeuds = 2, NbPoids = 3, NbControles = 4, NbLissage = 5,
                                 Tangentes = 6, TX0 = 7, TY0 = 8, TZ0 = 9, TX1 = 10, TY1 = 11, TZ1 = 12, Nombre = 13;
};
// INSERT: the name (an index into DocumentDXF::Noms), 10 20 30, 41 42 43, 50, the array
// of 70 columns and 71 rows spaced by 44 and 45, 210 220 230.
struct ChampsInsertion {
    static constexpr std::size_t Nom = 0, X = 1, Y = 2, Z = 3, EchelleX = 4, EchelleY = 5, EchelleZ = 6, Rotation = 7,
                                 Colonnes = 8, Rangees = 9, EcartColonnes = 10, EcartRangees = 11, NX = 12, NY = 13,
                                 NZ = 14, Nombre = 15;
};
struct ChampsCote {  // DIMENSION: the name of its block
    static constexpr std::size_t Nom = 0, Nombre = 1;
};

struct EntiteDXF {
    TypeDXF Type = TypeDXF::Ligne;
    uint32_t Nombre = 0;    // values in its run
    std::size_t Debut = 0;  // its first value in DocumentDXF::Valeurs
};

struct BlocDXF {
    uint32_t Nom = 0;  // index into DocumentDXF::Noms
    double BaseX = 0.0, BaseY = 0.0, BaseZ = 0.0;
    std::vector<EntiteDXF> Entites;
};

struct DocumentDXF {
    std::vector<BlocDXF> Blocs;
    std::vector<EntiteDXF> Entites;  // the ENTITIES section
    std::vector<double> Valeurs;
    // Names of blocks, upper case; the same name always has the same index.
    std::vector<std::string> Noms;
    // The reading stopped at the bounds: the file holds more than an import may draw.
    bool Tronque = false;
    // What tells a damaged or foreign file: the sections met, the "0 EOF" that ends every
    // whole file, the lines read, and the first line that should hold a group code and
    // does not (0 for none).
    std::size_t NbSections = 0;
    bool FinTrouvee = false;
    std::size_t NbLignes = 0;
    std::size_t LigneCodeIllisible = 0;

    const double* ValeursDe(const EntiteDXF& e) const { return Valeurs.data() + e.Debut; }
};

// A value as a number: sign, digits with one decimal point or comma, an optional
// exponent, blanks around; nothing else (so INF and NAN are not numbers). False when
// the text is not a number; too small reads as 0, too large as an infinity.
bool LitNombreDXF(std::string_view texte, double& valeur);

// Parses a whole DXF text. Never fails: what cannot be understood is left out.
DocumentDXF LireDXFTexte(std::string_view texte, const LimitesDXF& limites = {});

class LectureParBlocs;

// Parses the rest of a file read a block at a time, `debut` being what was read of it
// already; only the block being read is held.
DocumentDXF LireDXFParBlocs(LectureParBlocs& source, std::string debut, const LimitesDXF& limites = {});

// Reads the file; nothing when it cannot be read.
std::optional<DocumentDXF> LireDXF(const std::string& chemin, const LimitesDXF& limites = {});

}  // namespace korvelin
