#pragma once
// Path helpers. Both "\" and "/" separate folders.

#include <string>
#include <string_view>

namespace korvelin {

std::string ExtraitRepertoire(std::string_view chemin);  // up to and including the last separator
std::string ExtraitExtension(std::string_view chemin);   // after the last "."; the whole text without one
std::string SansExtension(std::string_view chemin);      // up to and including the last "."; "" without one
std::string NomSansDossier(std::string_view chemin);     // after the last separator
std::string EnMajuscules(std::string_view texte);        // ASCII upper case
// The text without the blanks around it, as settings values and boxes are compared.
std::string_view Rogne(std::string_view s);
bool CopieFichier(const std::string& source, const std::string& destination);

}  // namespace korvelin
