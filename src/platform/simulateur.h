#pragma once
// A recording stand-in for the parallel port: it keeps every write with its time, and
// plays the machine behind the port, counting steps from the rising step edges and the
// direction lines of each axis.

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/horloge.h"
#include "platform/port.h"

namespace korvelin {

enum class Axe { X = 0, Y = 1, Z = 2 };

// The simulated machine: millimetres per step, and the axes whose motors are wired the
// other way round (a set direction line then moves them backwards).
struct ConfigurationSimulee {
    std::array<double, 3> pas{1.0 / 48, 1.0 / 48, 1.0 / 48};
    std::array<bool, 3> inversion{false, false, false};
};

struct EcriturePort {
    int64_t temps = 0;    // clock ticks
    char registre = 'D';  // 'D' data, 'C' control
    uint8_t valeur = 0;   // the register's new value
};

class PortSimule final : public Port {
public:
    // With enregistrer false only the counts are kept (long dry runs).
    PortSimule(Horloge& horloge, ConfigurationSimulee config, bool enregistrer = true);

    bool Disponible() const override { return true; }
    void EcrireDonnees(uint8_t valeur) override;
    void MettreBitControle(int bit) override;
    void EffacerBitControle(int bit) override;
    bool Reel() const override { return false; }

    // Told of every write as it happens (a journal written as the run goes).
    std::function<void(const EcriturePort&)> SurEcriture;

    const std::vector<EcriturePort>& Ecritures() const { return ecritures_; }
    void Reserver(std::size_t nb) { ecritures_.reserve(nb); }
    uint8_t Donnees() const { return donnees_; }
    uint8_t Controle() const { return controle_; }

    // Steps of an axis in its positive and negative direction, after the wiring.
    int64_t Impulsions(Axe axe, int sens) const;
    int64_t Impulsions(Axe axe) const { return Impulsions(axe, +1) + Impulsions(axe, -1); }
    int64_t PasNets(Axe axe) const { return Impulsions(axe, +1) - Impulsions(axe, -1); }
    double PositionMm(Axe axe) const;
    // Seconds from the simulator's creation to now on its clock.
    double DureeProgrammee() const;

    bool MoteurEnMarche() const { return (controle_ & 0x08) == 0; }
    int64_t MisesEnMarche() const { return misesEnMarche_; }
    int64_t Arrets() const { return arrets_; }
    // Faults a real machine would suffer: steps sent while the motor output is off, the
    // two X line pairs disagreeing.
    int64_t PasMoteurArrete() const { return pasMoteurArrete_; }
    int64_t IncoherencesX() const { return incoherencesX_; }

private:
    void Note(char registre, uint8_t valeur);
    void Controler(uint8_t nouveau);

    Horloge& horloge_;
    ConfigurationSimulee config_;
    bool enregistrer_;
    int64_t debut_;
    uint8_t donnees_ = 0;
    uint8_t controle_ = 0;
    std::vector<EcriturePort> ecritures_;
    std::array<std::array<int64_t, 2>, 3> impulsions_{};
    int64_t misesEnMarche_ = 0, arrets_ = 0, pasMoteurArrete_ = 0, incoherencesX_ = 0;
};

}  // namespace korvelin
