#pragma once
// The job as a G-code program, for the controllers most machines have today: the moves of
// the CUT file, in the same order, at the speeds the milling window shows.

#include <optional>
#include <string>
#include <string_view>

#include "machining/cut.h"

namespace korvelin {

// Only the program's end differs between them.
enum class DialecteGCode { GRBL, LinuxCNC };

// "grbl" or "linuxcnc", in any case.
std::optional<DialecteGCode> LectureDialecte(std::string_view texte);

// The drawing's name with ".nc" in place of its extension.
std::string NomFichierGCodeParDefaut(std::string_view nomFichier);

// "Générer le fichier G-code": writes travail.FichierGCode with the checks and the totals
// of the CUT file. False after telling the user why; a failed write leaves any earlier
// file at that path whole.
bool GenereFichierGCode(Contexte& ctx, const TravailCUT& travail, DialecteGCode dialecte,
                        TotauxCUT& totaux, const SuiviCUT& suivi = {});
// Its checks alone, so that a caller writing several files makes every check first.
bool ControleFichierGCode(Contexte& ctx, const TravailCUT& travail);

// A G-code number: "." as separator, at most three decimals and no trailing zeros, never an
// exponent, no minus sign on a zero.
void AjouteNombreGCode(std::string& sortie, double v);

}  // namespace korvelin
