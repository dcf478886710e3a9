#pragma once
// The CUT file: the whole job as timed absolute tool positions for another controller.

#include <cstdint>
#include <functional>
#include <string>

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

// "Générer le fichier .CUT". False after telling the user why, with nothing written; a
// failed write leaves any earlier file at that path whole.
bool GenereFichierCUT(Contexte& ctx, const TravailCUT& travail, TotauxCUT& totaux,
                      const SuiviCUT& suivi = {});

// The totals as the window's two boxes show them ("####0.0").
std::string TexteTotal(double valeur);

// Appends v as "0.000" does: three decimals, the exact binary value rounded with halves
// to the even neighbour, "." as separator, no minus sign on a zero. Same text as
// FormatFixe(v, 3, '.'), without its formatting machinery per number.
void AjouteNombreCUT(std::string& sortie, double v);

}  // namespace korvelin
