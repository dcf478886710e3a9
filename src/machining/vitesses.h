#pragma once
// The speeds the milling window shows beside the minimum step times, and the CUT file
// name it proposes.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/parametres.h"

namespace korvelin {

// (1000 / time) × pitch / steps per turn in mm/s, as "0.000" with the French comma.
// Empty when the time, the pitch or the step count is 0 (or the result is not a finite
// number): an empty speed reads as 0 and the CUT writer refuses it.
std::string TexteVitesse(double tempsMinMs, double pas, int32_t nbPas);

// The seven speed boxes of the milling window, from the minimum times of the settings.
struct TextesVitesses {
    std::string Mat_X, Mat_Y, Mat_Z;
    std::string HMat_X, HMat_Y;
    std::string Descente, Montee;
};
TextesVitesses TextesVitessesParametres(const Parametres& p);

// A stepper output never pulses faster than once a microsecond, and no speed goes past
// 100 m/s: far beyond any small mill, and short enough to write in any output.
inline constexpr double ImpulsionMinS = 1e-6;
inline constexpr double VitesseMaxMmS = 100000.0;

// Why a speed in mm/s cannot drive an axis of `pas` mm per `nbPas` steps; `nom` names it
// in the message ("matière X"). Nothing when it can; a zero or negative speed is left to
// the caller's own message.
std::optional<std::string> ControleVitesse(std::string_view nom, double vitesse, double pas, int32_t nbPas);

// The CUT file proposed for a drawing: in the file name, every ".PLT", ".plt", ".DAT" and
// ".dat" becomes ".cut"; a name with another extension gets "cut" as its extension
// instead, and a name without any gets ".cut" appended, so the proposal never names the
// drawing itself.
std::string NomFichierCUTParDefaut(std::string_view nomFichier);

}  // namespace korvelin
