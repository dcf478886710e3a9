#pragma once
// The G-code program as text, for a sender that streams it instead of saving it: the
// very program "Générer le fichier G-code" writes, with the same checks and messages.

#include <optional>
#include <string>

#include "machining/gcode.h"

namespace korvelin {

// Nothing, with the reason in `dits` (the job's checks, or no room for the temporary file);
// the job's warnings join `dits`.
std::optional<std::string> ProgrammeGCode(const PosteTravail& poste, TravailCUT travail, DialecteGCode dialecte,
                                          TotauxCUT& totaux, Diagnostics& dits);

}  // namespace korvelin
