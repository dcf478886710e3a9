#pragma once
// The settings store's keys and loaders: each takes the store, the drawing whose open
// project may hold the settings (and whose type names the ratio keys) and the values it
// fills, and returns what went wrong for its caller to show.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/ini.h"
#include "model/parametres.h"
#include "settings/magasin_reglages.h"
#include "settings/reglages.h"

namespace korvelin {

inline constexpr std::string_view SectionIni = "Korvelin";
inline constexpr std::string_view NomFichierIni = "Korvelin.ini";

// The key with the default of its row in the table (the empty text for unknown keys; a
// ratio key's default follows the file type it starts with).
std::string LireReglage(MagasinReglages& m, const Dessin& d, std::string_view cle);

// Reads the stored settings once (the INI file and the open project's lines) and gives
// each key's text from there; for loaders and dialogs that read many keys together.
class SourceReglages {
public:
    SourceReglages(MagasinReglages& magasin, const Dessin& d);
    std::string Valeur(std::string_view cle, std::string_view defaut) const;

private:
    std::optional<ValeursIni> ini_;
    std::vector<std::string> projet_;  // the "$$" lines holding "=", while a project is open
    bool projetOuvert_ = false;
};

// These loaders cannot fail: a text that does not read gives the reading's own value.
void ChargeCouleurs(MagasinReglages& m, const Dessin& d, Parametres& p);
void ChargeDecalage(MagasinReglages& m, const Dessin& d, Parametres& p);
void ChargeMarges(MagasinReglages& m, const Dessin& d, Parametres& p);
// A stored ratio that cannot scale a drawing gives way to the default, with a warning; the
// rescaling dialog, which loads them again right after the reader, does not repeat it.
// The warnings come back for the caller to show or, when the dialog loads them again right
// after, to drop.
Diagnostics ChargeRapports(MagasinReglages& m, const Dessin& d, Parametres& p);
void ChargeOptions(MagasinReglages& m, const Dessin& d, Parametres& p);
void ChargeMachine(MagasinReglages& m, const Dessin& d, Parametres& p);
// The five loaders of the window's start-up, in their order, from one reading.
void ChargeDemarrage(MagasinReglages& m, const Dessin& d, Parametres& p);
// The six loaders of a project just read, in their order, from one reading.
Diagnostics ChargeReglagesProjet(MagasinReglages& m, const Dessin& d, Parametres& p);

// "Vrai" / "Faux" (LectureBooleen reads them back).
std::string TexteBooleen(bool v);

// Base address of the parallel port for "OptionLPT"; other options keep the current one.
int16_t AdresseDuPort(int16_t option, int16_t actuelle);

}  // namespace korvelin
