#pragma once
// The arithmetic of the rescaling dialog F_Dimension, shared by the window and the
// command-line converter. Each box is held as the text it shows.

#include <string>

#include "settings/contexte.h"

namespace korvelin {

struct ModeleDimension {
    std::string H_Initial, V_Initial;
    std::string H_Rapport, V_Rapport;
    std::string H_Resultat, V_Resultat;
    bool Proportions = true;

    void Charger(Contexte& ctx);        // ChargeRapports, then every box
    void ValiderHRapport();
    void ValiderVRapport();
    void ValiderHResultat();
    void ValiderVResultat();
    void CliquerProportions(bool coche);
    // Closing by "Valider" or the close box: stores both ratios and sets RapportH, RapportV.
    void Fermer(Contexte& ctx);
};

// A "." typed in one of the editable boxes arrives as ",".
char ToucheDimension(char touche);

}  // namespace korvelin
