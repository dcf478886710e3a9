#pragma once
// The settings store's keys and loaders, and the helpers that ask the store of a context
// and show the user what went wrong.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/ini.h"
#include "settings/contexte.h"
#include "settings/reglages.h"

namespace korvelin {

inline constexpr std::string_view SectionIni = "Korvelin";
inline constexpr std::string_view NomFichierIni = "Korvelin.ini";

std::string LireParametre(Contexte& ctx, std::string_view cle, std::string_view defaut);
// The key with the default of its row in the table (the empty text for unknown keys; a
// ratio key's default follows the file type it starts with).
std::string LireReglage(Contexte& ctx, std::string_view cle);
// The store's writes for the drawing of the context, what went wrong shown through its
// user interface; false when the file could not be written (the old one stays).
bool EcrireParametre(Contexte& ctx, std::string_view cle, std::string_view valeur);
bool EcrireParametres(Contexte& ctx, const EcrituresReglages& ecritures);
bool RetablitDefauts(Contexte& ctx, const std::vector<std::string>& cles);

// Reads the stored settings once (the INI file and the open project's lines) and gives
// each key's text from there; for loaders and dialogs that read many keys together.
class SourceReglages {
public:
    SourceReglages(MagasinReglages& magasin, const Dessin& d);
    explicit SourceReglages(Contexte& ctx);
    std::string Valeur(std::string_view cle, std::string_view defaut) const;

private:
    std::optional<ValeursIni> ini_;
    std::vector<std::string> projet_;  // the "$$" lines holding "=", while a project is open
    bool projetOuvert_ = false;
};

void ChargeCouleurs(Contexte& ctx);
void ChargeDecalage(Contexte& ctx);
void ChargeMarges(Contexte& ctx);
// A stored ratio that cannot scale a drawing gives way to the default, with a warning; the
// rescaling dialog, which loads them again right after the reader, does not repeat it.
// The warnings come back for the caller to show or, when the dialog loads them again right
// after, to drop.
Diagnostics ChargeRapports(Contexte& ctx);
void ChargeOptions(Contexte& ctx);
void ChargeMachine(Contexte& ctx);
// The five loaders of the window's start-up, in their order, from one reading.
void ChargeDemarrage(Contexte& ctx);
// The six loaders of a project just read, in their order, from one reading.
Diagnostics ChargeReglagesProjet(Contexte& ctx);

// "Vrai" / "Faux" (LectureBooleen reads them back).
std::string TexteBooleen(bool v);

// Base address of the parallel port for "OptionLPT"; other options keep the current one.
int16_t AdresseDuPort(int16_t option, int16_t actuelle);

}  // namespace korvelin
