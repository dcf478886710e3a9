#pragma once
// What one action on the machine (a run, a jog step, a test pattern) sets up around its
// pulses, and what it reports when it ends.

#include <atomic>
#include <cstdint>
#include <string>

#include "machining/machine.h"
#include "machining/poste_travail.h"
#include "model/diagnostics.h"

namespace korvelin {

enum class Issue { Terminee, Refusee, Interrompue };

struct CompteRendu {
    Issue issue = Issue::Terminee;
    int64_t impulsions = 0;
    // Pulses that left more than a quarter of their period late (real port only).
    int64_t impulsionsEnRetard = 0;
    // Where a milling run was when it ended: trace index, pass from 1, point index, and
    // for a series the copy and row from 1 (0 outside a series).
    int32_t trace = -1, passe = 0, point = -1;
    int32_t copie = 0, rangee = 0;
    // The tool's position at the end, relative to where the action began (mm).
    double X = 0.0, Y = 0.0, Z = 0.0;
    // Time the action's waits asked for, s: its exact duration on the virtual clock.
    double duree = 0.0;
    // Why it was refused, how it was stopped, the late pulses: for its caller to show.
    Diagnostics diagnostics;
};

// A refused action's report: nothing moved.
CompteRendu CompteRenduRefus(std::string message, std::string titre = {});

// How the pulse thread is scheduled on a real port.
enum class Ordonnancement { Normal, TempsReel };
// The choice for runs on a real port.
Ordonnancement OrdonnancementRetenu();

// For the lifetime of one action: the stop request, a fresh pulse timeline and counts,
// and on a real port the memory locked and the scheduling chosen; all undone at the end.
class SessionMachine {
public:
    SessionMachine(Machine& m, const std::atomic<bool>& arret, Ordonnancement ordonnancement = OrdonnancementRetenu());
    ~SessionMachine();
    SessionMachine(const SessionMachine&) = delete;
    SessionMachine& operator=(const SessionMachine&) = delete;

    // Fills the counts, the place reached and the position into the report.
    void Completer(CompteRendu& cr) const;

private:
    Machine& m_;
    const std::atomic<bool>* arretPrecedent_;
    std::array<int64_t, 3> depart_;
    bool memoireVerrouillee_ = false;
    bool ordonnancementChange_ = false;
    int politiquePrecedente_ = 0;
    int prioritePrecedente_ = 0;
};

// The motor buttons' actions: output on, 0.1 s for the drivers to wake, or output off;
// each tells Machine::SurMoteur.
void ActionMarcheMoteur(Machine& m);
void ActionArretMoteur(Machine& m);
// The automatic motor-off timer firing: motor off when the timer is enabled.
void MinuterieMoteurDeclenchee(Machine& m);
inline constexpr int IntervalleMinuterieMoteur = 10000;  // ms

// After an action: the stop report or the late-pulse warning joins its diagnostics, when
// there is one to give. `quoi` names the action ("Fraisage").
void AjouteBilan(const Dessin& d, CompteRendu& cr, std::string_view quoi);

}  // namespace korvelin
