#pragma once
// A G-code program as it goes to GRBL: each line cleaned of what the board must not see,
// numbered as in the text, and replayed as the board would run it for its extent, its
// duration and the state at any line.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "grbl/reponses_grbl.h"

namespace korvelin::grbl {

// GRBL's line buffer holds 80 characters with the line end: longer lines are refused.
inline constexpr std::size_t LongueurMaxLigne = 79;

struct LigneProgramme {
    std::size_t numero = 0;  // in the text, from 1; 0 for lines the program adds
    std::string texte;       // without comment, blanks or line end
};

struct Programme {
    std::vector<LigneProgramme> lignes;  // empty and comment-only lines are left out
};

// Comments, blanks and the line end removed, letters in capitals: what GRBL itself keeps
// of a line. Bytes outside printable ASCII are kept so that the check below refuses them.
std::string LigneNettoyee(std::string_view ligne);

// The program of a G-code text, or the French reason it cannot go to the board, naming
// the line: a character that GRBL would take as a real-time command (?, !, ~ and bytes
// from 0x80 up act wherever they appear, and would pause or reset the machine mid-job),
// another control byte, or a line too long for its buffer. Comments are never sent, so
// what they hold does not matter.
std::variant<Programme, std::string> PrepareProgramme(std::string_view texte);

// The board's modal state and position after a line, as the replay follows it.
struct EtatModal {
    Axes position{0.0, 0.0, 0.0};  // work coordinates, mm
    int mouvement = 0;             // 0, 1, 2, 3 (G0…G3)
    bool absolu = true;            // G90 / G91
    bool pouces = false;           // G20 / G21
    double avance = 0.0;           // mm/min
    bool broche = false;           // M3/M4 until M5
    bool brocheInverse = false;    // M4
    double vitesseBroche = 0.0;    // S
};

// What the replay learns of the whole job.
struct Analyse {
    Axes min{0.0, 0.0, 0.0}, max{0.0, 0.0, 0.0};  // extent of the tool path from the work zero
    bool mouvement = false;                       // false: the program moves nothing
    std::vector<double> fin;                      // s from the start to the end of each line of the program
    std::vector<EtatModal> apres;                 // the state after each line
    double Duree() const { return fin.empty() ? 0.0 : fin.back(); }
};

// Replays the program from the work zero, with the board's rapid rates (mm/min) for G0.
// Arcs (G2/G3 with I J or R in the XY plane) count by their true length and reach.
Analyse Rejoue(const Programme& p, const Axes& rapides);

// Index in p.lignes of the line numbered `numero` in the text, or of the next one sent.
std::optional<std::size_t> IndexDeLigne(const Programme& p, std::size_t numero);

// The index where the contour holding line `index` starts: just after the last line before
// it that leaves the tool at the program's highest Z (the clearance height), so a resumed
// job recuts that contour whole instead of entering the material mid-path.
std::size_t DebutDuContour(const Programme& p, const Analyse& a, std::size_t index);

// The safe approach to resume at line `index`, in order: rise to the clearance height,
// travel above the start, spindle on as the job had it, a dwell for it to reach its
// speed, plunge at the slowest feed the job used downward, then the job's modes and feed.
std::vector<LigneProgramme> ApprocheReprise(const Programme& p, const Analyse& a, std::size_t index,
                                            double temporisation = 3.0);

// Why the job cannot start from the board's current work zero, or nothing. When homing is
// on ($22), machine positions (work position + WCO) must lie within [-travel, 0] on each
// axis, as GRBL's soft limits count them; without homing the machine position means
// nothing, and only the job's extent must fit the travel.
std::optional<std::string> ControleCourse(const Analyse& a, const ReglagesGrbl& r, const Axes& wco);

// Commands as lines for the board.
std::string NombreGrbl(double v);  // "." separator, at most 3 decimals, no trailing zeros
// A relative jog at `avance` mm/min; zero axes are left out.
std::string LigneJog(const Axes& deplacement, double avance);
inline constexpr std::string_view LigneOrigine = "$H";
inline constexpr std::string_view LigneDeverrouillage = "$X";
inline constexpr std::string_view LigneZeroTravail = "G10 L20 P1 X0 Y0 Z0";
inline constexpr std::string_view LigneReglages = "$$";

// Real-time bytes: they act at once, never enter the receive buffer, need no ack.
inline constexpr char OctetEtat = '?';
inline constexpr char OctetPause = '!';
inline constexpr char OctetReprise = '~';
inline constexpr char OctetReset = 0x18;
inline constexpr char OctetAnnuleJog = static_cast<char>(0x85);

}  // namespace korvelin::grbl
