#pragma once
// The typed settings values: plain data that the geometry, the machining and the windows
// take as const&. The settings loaders fill them from the store; the defaults below are
// the default texts of the key table (settings/reglages.h) as read, which a test keeps in
// step.

#include <cstdint>

#include "model/reglages_outil.h"

namespace korvelin {

struct Parametres {
    // ChargeCouleurs: red + 256·green + 65536·blue.
    int32_t CouleurNumero = 0, CouleurSequence = 16711680, CouleurSelectionne = 255, CouleurDeselectionne = 100,
            CouleurDecalage = 65280;

    // ChargeDecalage.
    double RayonFraise = 3.0;
    int16_t DecalageOutil = 1;  // 1 tool on the right, 2 on the line, 3 on the left

    // ChargeMarges.
    double MargeX = 0.0, MargeY = 0.0;

    // ChargeRapports (keys depend on TypeFichier).
    double RapportH = 1.0, RapportV = 1.0;

    // ChargeOptions.
    bool AffichageCalcul = false, ConfirmSuppr = true, Optimisation_1 = true, Optimisation_2 = false;
    int16_t TimerInterval = 275;
    // Holding tabs on every outline: count, width along the offset path, height (mm).
    int16_t AttachesNombre = 0;
    double AttachesLargeur = 5.0, AttachesHauteur = 1.0;

    // ChargeMachine.
    int16_t OptionLPT = 0;
    int16_t AdressePort = 0;  // set from OptionLPT by the loader
    double Course_X = 1000.0, Course_Y = 500.0, Course_Z = 200.0;
    int16_t NbPas_X = 48, NbPas_Y = 48, NbPas_Z = 48;
    double Pas_X = 1.0, Pas_Y = 1.0, Pas_Z = 1.0;
    double TempsMin_Mat_X = 10.0, TempsMin_Mat_Y = 10.0, TempsMin_Mat_Z = 10.0;
    double TempsMin_HMat_X = 10.0, TempsMin_HMat_Y = 10.0;
    double TempsMin_Descente = 10.0, TempsMin_Montee = 10.0;
    bool InversionSens_X = false, InversionSens_Y = false, InversionSens_Z = false;

    // Job value of the milling window.
    int32_t NbPasse = 1;

    bool operator==(const Parametres&) const = default;
};

// The values the geometry works with, taken out of the settings values.
ReglagesDecalage ReglagesDecalageDe(const Parametres& p);
Attaches AttachesDe(const Parametres& p);

}  // namespace korvelin
