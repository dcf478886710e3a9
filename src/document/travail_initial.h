#pragma once
// The job as the milling window and the converter start it: its values from the settings.

#include "machining/travail.h"
#include "model/parametres.h"
#include "settings/magasin_reglages.h"

namespace korvelin {

// What the milling window shows when it opens: the job values from the settings, the
// margins, the speeds for the minimum times, and the proposed file name.
TravailCUT TravailCUTInitial(MagasinReglages& m, const Dessin& d, Parametres& p);
// What the job takes from the settings as they stand: margins, speeds, spindle, tabs.
void ReglagesDuTravail(MagasinReglages& m, const Dessin& d, const Parametres& p, TravailCUT& t);

}  // namespace korvelin
