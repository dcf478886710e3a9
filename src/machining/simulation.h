#pragma once
// Dry run of a job against the recording port simulator on a virtual clock.

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "platform/simulateur.h"
#include "machining/session.h"

namespace korvelin {

struct OptionsSimulation {
    // Job values as the milling window would show them.
    std::string HautDeg = "1";
    std::string ProfFraisage = "-3";
    int32_t NbPasse = 1;
    // --serie NX DX NY DY: a series instead of one copy.
    bool Serie = false;
    int32_t NbX = 1, NbY = 1;
    double DecalX = 0.0, DecalY = 0.0;
    // --test 0|1|2 --dimension D: a test pattern instead of the drawing.
    int Test = -1;
    double DimensionTest = 0.0;
    // --journal FICHIER: one line per port write.
    std::string Journal;
    // --estimation: the exact duration from a dry run that counts the pulses, nothing run.
    bool Estimation = false;
    // A journal stops the run past this size: a long job would otherwise fill the disk.
    std::size_t TailleMaxJournal = std::size_t{1} << 30;
};

// Runs the job and prints the French summary to `sortie`; returns the exit status: 0, or
// 1 with the reason in `dits`. The run's own report (a stop, late pulses) joins `dits`.
int LanceSimulation(const PosteTravail& poste, const OptionsSimulation& options, Diagnostics& dits,
                    std::ostream& sortie);

// The simulated machine that matches the settings (steps, inversions).
ConfigurationSimulee ConfigurationDe(const Parametres& v);
// One line per port write: seconds with six decimals, register, value in hex ("0.000200 D CC").
std::string TexteJournal(const std::vector<EcriturePort>& ecritures, int64_t frequence);
void AjouteLigneJournal(std::string& texte, const EcriturePort& e, int64_t frequence);
// "1 h 02 min 03,4 s", "2 min 05,0 s", "12,3 s".
std::string TexteDuree(double secondes);

}  // namespace korvelin
