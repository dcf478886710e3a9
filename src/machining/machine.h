#pragma once
// The machine driver: step pulses on the parallel port timed on the high-resolution
// clock, straight XY moves interpolated step by step, Z moves, the motor output.
//
// Everything the driver works with lives in one Machine, owned by its user (the milling
// window, a dry run) and passed by reference: the port, the clock, the settings values,
// the motor state and what the current action has done so far.

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>

#include "model/dessin.h"
#include "platform/horloge.h"
#include "platform/port.h"
#include "model/parametres.h"

namespace korvelin {

// Data register lines.
inline constexpr uint8_t LigneDirY = 0x01, LignePasY = 0x02;
inline constexpr uint8_t LigneDirX = 0x44, LignePasX = 0x88;  // both X pairs
inline constexpr uint8_t LigneDirZ = 0x10, LignePasZ = 0x20;
// Control register bit of the motor output: cleared = motor on.
inline constexpr int BitMoteur = 3;

// A move longer than this many steps is refused (no pulse): only absurd values get there.
inline constexpr double PasMaxMouvement = 1e9;

// Where a run is, for the progress and the stop report: trace index, pass from 1, point
// index, and for a series the copy and row from 1 (0 outside a series).
struct Emplacement {
    int32_t trace = -1, passe = 0, point = -1;
    int32_t copie = 0, rangee = 0;
};

struct Machine {
    Machine(Port& port, Horloge& horloge, const Parametres& valeurs);
    Machine(const Machine&) = delete;
    Machine& operator=(const Machine&) = delete;

    Port& port;
    Horloge& horloge;
    // The settings values, read at every use: a minimum time typed in the window counts at once.
    const Parametres& valeurs;

    // Read once, as the milling window does when it opens; 0 when the clock is unsupported.
    int64_t FrequenceCompteur = 0;
    // Counter ticks in one 0.1 ms unit of Attente.
    int64_t TicksParUnite = 0;

    // Motor output as last commanded; false until the first command.
    bool MoteurEnMarche = false;
    // The automatic motor-off timer (fires every 10 s while enabled).
    bool MinuterieMoteurActive = false;
    // Told each time the motor buttons' actions switch the output (the window's background).
    std::function<void(bool enMarche)> SurMoteur;

    // Net logical steps sent per axis (X, Y, Z) since the machine was made: the position
    // in whole steps, from which every move counts its steps.
    std::array<int64_t, 3> PasEnvoyes{};
    // Step position of the current action's zero (a copy's zero in a series): the targets
    // of AllerXY and AllerZ are measured from it.
    std::array<int64_t, 3> Origine{};
    Emplacement Ou;
    // Pulses sent since the current action began, and how many of them ran late by more
    // than a quarter of their period (real back ends only).
    int64_t Impulsions = 0;
    int64_t ImpulsionsEnRetard = 0;

    // Time the waits of the current action have asked for, in 0.1 ms units.
    int64_t UnitesAttendues = 0;
    // Dry run for the estimate: each move counts its pulses and advances the clock by their
    // duration at once, without a port write.
    bool Comptage = false;
    // Told every 64 pulses (progress of a run).
    std::function<void(const Machine&)> SurAvancement;

    // Stop request of the current action, looked at before every pulse.
    const std::atomic<bool>* Arret = nullptr;
    bool ArretDemande() const { return Arret && Arret->load(std::memory_order_relaxed); }

    // Pulse timeline: each wait ends at a deadline counted from the previous deadline, so
    // that the time spent writing to the port does not add up along a run.
    int64_t Echeance = 0;
    bool Ancree = false;
    bool MesureRetards = false;
};

// Rounded to 4 decimals, halves to the even neighbour.
double Arrondi4(double v);
// Millimetres per step; 0 when the pitch or the step count makes no sense.
double LongueurPas(double pas, int16_t nbPas);
// Number of 0.1 ms units a wait of duree seconds lasts (0 for none).
int64_t UnitesAttente(double duree);
// Whole steps of s mm that reach mm from 0, by the rule of the move loops: a distance within
// half a unit of the fourth decimal of a whole count is that count, any other is rounded
// up. The sign follows mm; 0 when s makes no sense. Positions are turned into steps this
// way, never by adding step lengths, so a tool sent back to a position is exactly there.
int64_t PasPour(double mm, double s);

// One simultaneous step on the axes whose d is not 0 (+1 or -1, logical direction).
void ImpulsionMoteurs(Machine& m, int dx, int dy, int dz, bool enMatiere);
// Wait of duree seconds in whole units of 0.1 ms, polling the clock (a real-time run
// sleeps through the first part of long waits). Each wait ends one duration after the
// previous deadline; after a delay of more than one unit it counts from now instead.
void Attente(Machine& m, double duree);
// Wait of a whole number of 0.1 ms units.
void AttenteUnites(Machine& m, int64_t unites);
// Straight move to a step position: the axis with the longer time leads and steps on every
// pulse, the other steps when the line has run a whole step away from it, and both end
// exactly on the target. False when a stop request ended it.
bool DeplacementPas(Machine& m, int64_t cibleX, int64_t cibleY, bool enMatiere);
bool DeplacementPasZ(Machine& m, int64_t cibleZ, bool enMatiere);
// Straight move to (x, y) mm from the action's zero; Z to z mm from it (positive up).
bool AllerXY(Machine& m, double x, double y, bool enMatiere);
bool AllerZ(Machine& m, double z, bool enMatiere);
// Relative moves by whole steps of the distance: the jog arrows and the typed move.
bool DeplacementXY(Machine& m, double dx, double dy, bool enMatiere);
bool DeplacementZ(Machine& m, double dz, bool enMatiere);
// The position in mm from the action's zero.
double PositionMm(const Machine& m, int axe);
void MarcheMoteur(Machine& m);
void ArretMoteur(Machine& m);

}  // namespace korvelin
