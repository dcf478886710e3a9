#pragma once
// The settings store: single values by key, in the INI file or, while a project file is
// the current document, in that file's "$$" lines.

#include <string>
#include <string_view>

#include "settings/contexte.h"

namespace korvelin {

inline constexpr std::string_view SectionIni = "Korvelin";
inline constexpr std::string_view NomFichierIni = "Korvelin.ini";

std::string LireParametre(Contexte& ctx, std::string_view cle, std::string_view defaut);
// False after telling the user, when the file could not be written (the old one stays).
bool EcrireParametre(Contexte& ctx, std::string_view cle, std::string_view valeur);

void ChargeCouleurs(Contexte& ctx);
void ChargeDecalage(Contexte& ctx);
void ChargeMarges(Contexte& ctx);
void ChargeRapports(Contexte& ctx);
void ChargeOptions(Contexte& ctx);
void ChargeMachine(Contexte& ctx);
// The five loaders of the window's start-up, in their order.
void ChargeDemarrage(Contexte& ctx);

// "Vrai" / "Faux".
std::string TexteBooleen(bool v);
bool LectureBooleen(std::string_view texte);

}  // namespace korvelin

namespace korvelin {
// Base address of the parallel port for "OptionLPT"; other options keep the current one.
int16_t AdresseDuPort(int16_t option, int16_t actuelle);
}  // namespace korvelin
