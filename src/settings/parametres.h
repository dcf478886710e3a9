#pragma once
// The typed settings values, filled by the loaders from the store. Their defaults are
// those of the key table (settings/reglages.h), applied when the values are made.

#include <cstdint>

namespace korvelin {

struct Parametres {
    // ChargeCouleurs: red + 256·green + 65536·blue.
    int32_t CouleurNumero, CouleurSequence, CouleurSelectionne, CouleurDeselectionne, CouleurDecalage;

    // ChargeDecalage.
    double RayonFraise;
    int16_t DecalageOutil;  // 1 tool on the right, 2 on the line, 3 on the left

    // ChargeMarges.
    double MargeX, MargeY;

    // ChargeRapports (keys depend on TypeFichier).
    double RapportH, RapportV;

    // ChargeOptions.
    bool AffichageCalcul, ConfirmSuppr, Optimisation_1, Optimisation_2;
    int16_t TimerInterval;
    // Holding tabs on every outline: count, width along the offset path, height (mm).
    int16_t AttachesNombre;
    double AttachesLargeur, AttachesHauteur;

    // ChargeMachine.
    int16_t OptionLPT;
    int16_t AdressePort = 0;  // set from OptionLPT by the loader
    double Course_X, Course_Y, Course_Z;
    int16_t NbPas_X, NbPas_Y, NbPas_Z;
    double Pas_X, Pas_Y, Pas_Z;
    double TempsMin_Mat_X, TempsMin_Mat_Y, TempsMin_Mat_Z;
    double TempsMin_HMat_X, TempsMin_HMat_Y;
    double TempsMin_Descente, TempsMin_Montee;
    bool InversionSens_X, InversionSens_Y, InversionSens_Z;

    // Job value of the milling window.
    int32_t NbPasse;

    Parametres();
};

}  // namespace korvelin
