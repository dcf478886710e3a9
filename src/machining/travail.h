#pragma once
// The checks every output of a job makes before anything is written, and the names its
// files get by default.

#include <optional>
#include <string>
#include <string_view>

#include "machining/mouvements.h"
#include "machining/poste_travail.h"

namespace korvelin {

// The drawing's name with ".nc" in place of its extension.
std::string NomFichierGCodeParDefaut(std::string_view nomFichier);

// The checks every output of the job makes before writing anything: a drawing, speeds,
// the destination's folder, not the open drawing itself, the values and the travel.
// `nature` names the file in the messages ("CUT"); a G-code program (NatureGCode) has its
// extent checked against the travel, from the controller's work zero. The speeds, or
// nothing, with the reason in `dits`; the warnings that do not stop the job join `dits`
// too. The totals are set to zero once the speeds are known good.
inline constexpr std::string_view NatureGCode = "G-code";
std::optional<VitessesTravail> PrepareTravail(const PosteTravail& poste, const TravailCUT& travail,
                                              const std::string& fichier, std::string_view nature, TotauxCUT& totaux,
                                              Diagnostics& dits);

}  // namespace korvelin
