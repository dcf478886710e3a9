#pragma once
// The CUT file: the whole job as timed absolute tool positions for another controller.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "machining/travail.h"

namespace korvelin {

// "Générer le fichier .CUT". False after telling the user why, with nothing written; a
// failed write leaves any earlier file at that path whole.
bool GenereFichierCUT(const PosteTravail& poste, const TravailCUT& travail, TotauxCUT& totaux,
                      const SuiviCUT& suivi = {});

// The totals as the window's two boxes show them ("####0.0").
std::string TexteTotal(double valeur);

}  // namespace korvelin
