#pragma once
// The command line of korvelin-cut.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "machining/gcode.h"
#include "machining/simulation.h"

namespace korvelin::cli {

struct Options {
    std::string dessin;
    std::string sortie;  // -o
    std::optional<std::string> ini;
    std::optional<double> rayon;
    std::optional<int16_t> cote;
    std::optional<std::string> hauteur, profondeur;
    std::optional<int32_t> passes;
    std::string passesTexte;  // as typed, for the header of the CUT file
    std::optional<double> margeX, margeY;
    std::optional<double> rapportH, rapportV;
    std::string projet;
    bool orientation = false;  // --orientation
    bool ordre = false;        // --ordre
    // --attaches N --largeur-attache W --hauteur-attache H: the tabs, over the settings.
    std::optional<int32_t> attaches;
    std::optional<double> largeurAttache, hauteurAttache;

    bool simulation = false;
    bool serie = false;
    int32_t nbX = 1, nbY = 1;
    double decalX = 0.0, decalY = 0.0;
    int test = -1;
    std::optional<double> dimension;
    std::string journal;
    bool estimation = false;

    // --gcode: the G-code file, written instead of the CUT file unless -o asks for it too.
    std::string gcode;
    DialecteGCode dialecte = DialecteGCode::GRBL;
    bool dialecteDonne = false;
    // With --gcode, over the settings: feeds in mm/min, spindle in tr/min, its wait in s,
    // and no comment lines. Kept as typed, as the settings keep them.
    std::optional<std::string> avance, avancePlongee, broche, attenteBroche;
    bool sansCommentaires = false;

    // --grbl PORT: the job streamed to a GRBL board; --debit, --reprise LIGNE with it.
    std::string grbl;
    int debit = 115200;
    std::optional<int32_t> reprise;

    bool aide = false;
};

// The CUT file is written unless only the G-code or the GRBL board is asked for.
inline bool AvecCUT(const Options& o) {
    return !o.simulation && ((o.gcode.empty() && o.grbl.empty()) || !o.sortie.empty());
}

// Fills the options; on a usage error returns the French reason.
std::optional<std::string> AnalyseOptions(const std::vector<std::string>& arguments, Options& options);

extern const char* const Usage;

}  // namespace korvelin::cli
