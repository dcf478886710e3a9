#pragma once
// The CUT file: the whole job as timed absolute tool positions for another controller.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "machining/travail.h"

namespace korvelin {

// "Générer le fichier .CUT". False, with nothing written and the reason in `dits`; a
// failed write leaves any earlier file at that path whole. The job's warnings join `dits`.
bool GenereFichierCUT(const PosteTravail& poste, const TravailCUT& travail, TotauxCUT& totaux, Diagnostics& dits,
                      const SuiviCUT& suivi = {});

// The totals as the window's two boxes show them ("####0.0").
std::string TexteTotal(double valeur);

}  // namespace korvelin
