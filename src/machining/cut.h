#pragma once
// The CUT file: the whole job as timed absolute tool positions for another controller.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "geometry/attaches.h"
#include "settings/contexte.h"

namespace korvelin {

// The job as the milling window shows it: every value is the text of its box, written
// unchanged into the header; numbers are read from them with "," or "." as separator.
struct TravailCUT {
    std::string HautDeg = "1";
    std::string ProfFraisage = "-3";
    int32_t NbPasse = 1;  // below 1 counts as 1
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
    Attaches attaches;          // from the settings; none by default
};

struct TotauxCUT {
    double LongueurParcours = 0.0;  // mm of XY moves
    double TempsFraisage = 0.0;     // s, the sum of the T values
};

// Called with the running totals while the file is made, at most every 100 ms, and once
// more when it is complete.
using SuiviCUT = std::function<void(const TotauxCUT&)>;

// What the milling window shows when it opens: the job values from the settings, the
// margins, the speeds for the minimum times, and the proposed file name.
TravailCUT TravailCUTInitial(Contexte& ctx);
// What the job takes from the settings as they stand: margins, speeds, spindle, tabs.
void ReglagesDuTravail(Contexte& ctx, TravailCUT& t);

// "Générer le fichier .CUT". False after telling the user why, with nothing written; a
// failed write leaves any earlier file at that path whole.
bool GenereFichierCUT(Contexte& ctx, const TravailCUT& travail, TotauxCUT& totaux,
                      const SuiviCUT& suivi = {});

// One move of the job. The CUT file and the G-code are two writings of the same sequence,
// made once by ParcoursTravail: whatever changes the moves changes both files alike.
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
};

struct VitessesTravail {
    double matX, matY, matZ, hmatX, hmatY, descente;  // mm/s
    double Coupe() const { return matX < matY ? matX : matY; }
    double Deplacement() const { return hmatX < hmatY ? hmatX : hmatY; }
};

class RecepteurMouvements {
public:
    virtual ~RecepteurMouvements() = default;
    virtual void Recoit(const Mouvement& m) = 0;
};

// The checks every output of the job makes before writing anything: a drawing, speeds,
// the destination's folder, not the open drawing itself, the values and the travel.
// `nature` names the file in the messages ("CUT"); a G-code program (NatureGCode) has its
// extent checked against the travel, from the controller's work zero. The speeds, or
// nothing after telling the user why. The totals are set to zero once the speeds are
// known good.
inline constexpr std::string_view NatureGCode = "G-code";
std::optional<VitessesTravail> PrepareTravail(Contexte& ctx, const TravailCUT& travail,
                                              const std::string& fichier, std::string_view nature,
                                              TotauxCUT& totaux);

// Every move of the job in order; the totals run as the CUT file counts them.
void ParcoursTravail(const Dessin& d, const TravailCUT& travail, const VitessesTravail& v,
                     TotauxCUT& totaux, const SuiviCUT& suivi, RecepteurMouvements& r);

// The program's version as the output files name it: major.minor.revision.
std::string_view TexteVersion();

// The totals as the window's two boxes show them ("####0.0").
std::string TexteTotal(double valeur);

// Appends v as "0.000" does: three decimals, the exact binary value rounded with halves
// to the even neighbour, "." as separator, no minus sign on a zero. Same text as
// FormatFixe(v, 3, '.'), without its formatting machinery per number.
void AjouteNombreCUT(std::string& sortie, double v);

}  // namespace korvelin
