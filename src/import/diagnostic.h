#pragma once
// How a reader says that a file cannot be used: the program's short verdict
// ("Fichier inexploitable !", "Fichier vide !") on its first line, then on a line of its
// own which file, where (a line or a byte) and what was wrong, and that nothing was read.

#include <cstddef>
#include <string>
#include <string_view>

#include "model/diagnostics.h"

namespace korvelin {

inline constexpr std::string_view Inexploitable = "Fichier inexploitable !";
inline constexpr std::string_view Vide = "Fichier vide !";

// "Fichier inexploitable !\r\n« piece.dat », ligne 3 : … Rien n'a été lu." `ligne` 0 names
// no line.
std::string MessageRefus(std::string_view fichier, std::string_view verdict, std::size_t ligne,
                         std::string_view raison);

// The same with the place in words ("octet n° 5"; empty for none).
std::string MessageRefusFichier(std::string_view fichier, std::string_view verdict, std::string_view lieu,
                                std::string_view raison);

// The refusal as the error a reader returns.
Diagnostic Refus(std::string_view fichier, std::string_view verdict, std::size_t ligne, std::string_view raison);

// Any other error or warning about the file, its text whole.
Diagnostic Erreur(std::string message, std::string_view fichier);
Diagnostic Avertissement(std::string message, std::string_view fichier);

}  // namespace korvelin
