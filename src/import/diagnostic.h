#pragma once
// How a reader tells the user that a file cannot be used: the program's short verdict
// ("Fichier inexploitable !", "Fichier vide !") on its first line, then on a line of its
// own which file, where (a line or a byte) and what was wrong, and that nothing was read.

#include <string>
#include <string_view>

#include "settings/contexte.h"

namespace korvelin {

inline constexpr std::string_view Inexploitable = "Fichier inexploitable !";
inline constexpr std::string_view Vide = "Fichier vide !";

// "Fichier inexploitable !\r\n« piece.dat », ligne 3 : … Rien n'a été lu." `ligne` 0 names
// no line. The file is the one being opened (NomFichier of the drawing).
std::string MessageRefus(const Contexte& ctx, std::string_view verdict, std::size_t ligne, std::string_view raison);

// The same for a file not yet opened, with the place in words ("octet n° 5"; empty for none).
std::string MessageRefusFichier(std::string_view fichier, std::string_view verdict, std::string_view lieu,
                                std::string_view raison);

// The refusal shown as a critical message box; always false, for the reader to return.
bool Refuse(Contexte& ctx, std::string_view verdict, std::size_t ligne, std::string_view raison);

}  // namespace korvelin
