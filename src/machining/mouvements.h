#pragma once
// The job and its moves: what a job asks for, and the one sequence of moves it makes,
// that the CUT file and the machine run consume alike.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "geometry/attaches.h"
#include "model/dessin.h"

namespace korvelin {

// The job as the milling window shows it: every value is the text of its box, written
// unchanged into the header; numbers are read from them with "," or "." as separator.
struct TravailCUT {
    std::string HautDeg = "1";
    std::string ProfFraisage = "-3";
    int32_t NbPasse = 1;       // below 1 counts as 1
    std::string TexteNbPasse;  // the box's text as typed, for the header while it gives NbPasse
    std::string MargeX = "0";
    std::string MargeY = "0";
    std::string VitMax_Mat_X, VitMax_Mat_Y, VitMax_Mat_Z;
    std::string VitMax_HMat_X, VitMax_HMat_Y;
    std::string VitMax_Descente;  // every Z move out of the material, up and down
    std::string VitMax_Montee;    // shown by the window, not used by the file
    std::string FichierCUT;
    std::string FichierGCode;   // the G-code file, the drawing's name with ".nc"
    std::string VitesseBroche;  // tr/min; empty leaves the spindle to the user
    // The G-code's own: feeds in mm/min (empty: from the speeds of the minimum times), the
    // wait for the spindle to reach its speed, and a program without comments.
    std::string AvanceCoupe, AvancePlongee;
    std::string TemporisationBroche = "2";  // s
    bool SansCommentaires = false;
    Attaches attaches;  // from the settings; none by default
};

struct TotauxCUT {
    double LongueurParcours = 0.0;  // mm of XY moves
    double TempsFraisage = 0.0;     // s, the sum of the T values
};

// Called with the running totals while the file is made, at most every 100 ms, and once
// more when it is complete.
using SuiviCUT = std::function<void(const TotauxCUT&)>;

// One move of the job. The CUT file and the machine run follow the same sequence, made
// once by ParcoursTravail: whatever changes the moves changes both alike. The G-code walks
// each pass with the same CoupePasse, in its own grammar: arcs, and a closed contour's
// next pass straight down.
enum class EtapeMouvement : uint8_t {
    Montee,       // up to the clearance height before a trace
    Deplacement,  // travel at the clearance height to the start of a trace
    Niveau,       // down to the material surface, out of the material
    Descente,     // plunge into the material, then the cut begins
    Coupe,        // along the offset path, in the material
    Attache,      // up onto a tab's top or down after it, in the material
    Remontee,     // lift to the clearance height
    Retour,       // travel back to the zero point
};

struct Mouvement {
    EtapeMouvement etape;
    double t;        // s, as the CUT file states it
    double x, y, z;  // absolute mm, margins included
    // Where the job is, for a run's progress and its stop report: the trace (-1 before the
    // first rise and after the last pass), the pass from 1 (0 outside one) and the point of
    // the path the move heads for (-1 outside a pass).
    int32_t trace = -1, passe = 0, point = -1;
};

// The job's numbers, read once from wherever its caller keeps them.
struct CotesTravail {
    double H = 1.0;             // clearance height, mm
    double P = -3.0;            // depth, mm, negative
    double MX = 0.0, MY = 0.0;  // margins, mm
    int32_t N = 1;              // passes; below 1 counts as 1
    Attaches attaches;
};
// The numbers of the CUT file's job, read from its texts.
CotesTravail CotesDe(const TravailCUT& t);

struct VitessesTravail {
    double matX, matY, matZ, hmatX, hmatY, descente;  // mm/s
    double Coupe() const { return matX < matY ? matX : matY; }
    double Deplacement() const { return hmatX < hmatY ? hmatX : hmatY; }
};

class RecepteurMouvements {
public:
    virtual ~RecepteurMouvements() = default;
    // False stops the job there: no move follows.
    virtual bool Recoit(const Mouvement& m) = 0;
};

// Every move of the job in order; the totals run as the CUT file counts them. False when
// the receiver stopped it.
bool ParcoursTravail(const Dessin& d, const CotesTravail& cotes, const VitessesTravail& v, TotauxCUT& totaux,
                     const SuiviCUT& suivi, RecepteurMouvements& r);

// The program's version as the output files name it: major.minor.revision.
std::string_view TexteVersion();

// Appends v as "0.000" does: three decimals, the exact binary value rounded with halves
// to the even neighbour, "." as separator, no minus sign on a zero. Same text as
// FormatFixe(v, 3, '.'), without its formatting machinery per number.
void AjouteNombreCUT(std::string& sortie, double v);

}  // namespace korvelin
