#pragma once
// The job as a G-code program, for the controllers most machines have today: the cuts of
// the CUT file in the same order, with arcs as arcs, a start and an end that keep the tool
// at the clearance height, feeds in mm/min, and only printable ASCII.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "machining/travail.h"

namespace korvelin {

// Only the program's end differs between them.
enum class DialecteGCode { GRBL, LinuxCNC };

// "grbl" or "linuxcnc", in any case.
std::optional<DialecteGCode> LectureDialecte(std::string_view texte);

// GRBL's line buffer holds 128 bytes; some controllers and senders hold fewer.
inline constexpr std::size_t LongueurLigneGCode = 80;

struct ResultatGCode {
    std::size_t octets = 0;
    int64_t sorties = 0;  // rises to the clearance height after the first
};

// "Générer le fichier G-code": writes travail.FichierGCode after the checks of the CUT
// file and its own (spindle, feeds, wait). The totals are those of the program's moves.
// False, with the reason in `dits`; a failed write leaves any earlier file at that path
// whole. The job's warnings join `dits`.
bool GenereFichierGCode(const PosteTravail& poste, const TravailCUT& travail, DialecteGCode dialecte, TotauxCUT& totaux,
                        Diagnostics& dits, const SuiviCUT& suivi = {}, ResultatGCode* resultat = nullptr);
// Its checks alone, so that a caller writing several files makes every check first.
bool ControleFichierGCode(const PosteTravail& poste, const TravailCUT& travail, Diagnostics& dits);

// A text as a comment may carry it: accents taken off, other non-ASCII characters and those
// a controller acts on anywhere ("(", ")", ";", "!", "~", "?", "%") left out, control bytes
// too, and cut so that the comment line keeps within LongueurLigneGCode bytes.
std::string TexteCommentaireGCode(std::string_view utf8);

// A G-code number: "." as separator, at most three decimals and no trailing zeros, never an
// exponent, no minus sign on a zero.
void AjouteNombreGCode(std::string& sortie, double v);

}  // namespace korvelin
