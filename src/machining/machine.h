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
#include "settings/parametres.h"

namespace korvelin {

// Data register lines.
inline constexpr uint8_t LigneDirY = 0x01, LignePasY = 0x02;
inline constexpr uint8_t LigneDirX = 0x44, LignePasX = 0x88;  // both X pairs
inline constexpr uint8_t LigneDirZ = 0x10, LignePasZ = 0x20;
// Control register bit of the motor output: cleared = motor on.
inline constexpr int BitMoteur = 3;

// A move longer than this many steps is refused (no pulse): only absurd values get there.
inline constexpr double PasMaxMouvement = 1e9;

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

    // Net logical steps sent per axis (X, Y, Z) since the machine was made.
    std::array<int64_t, 3> PasEnvoyes{};
    // Pulses sent since the current action began, and how many of them ran late by more
    // than a quarter of their period (real back ends only).
    int64_t Impulsions = 0;
    int64_t ImpulsionsEnRetard = 0;

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

// One simultaneous step on the axes whose d is not 0 (+1 or -1, logical direction).
void ImpulsionMoteurs(Machine& m, int dx, int dy, int dz, bool enMatiere);
// Wait of duree seconds in whole units of 0.1 ms, polling the clock (a real-time run
// sleeps through the first part of long waits). Each wait ends one duration after the
// previous deadline; after a delay of more than one unit it counts from now instead.
void Attente(Machine& m, double duree);
// Straight move; cible receives the position reached. False when a stop request ended it.
bool DeplacementXY(Machine& m, const PointTrace& courant, PointTrace& cible, bool enMatiere);
// Relative Z move of dz mm (positive up). False when a stop request ended it.
bool DeplacementZ(Machine& m, double dz, bool enMatiere);
void MarcheMoteur(Machine& m);
void ArretMoteur(Machine& m);

}  // namespace korvelin
