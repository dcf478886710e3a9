#pragma once
// INI file access with the behaviour of the Windows profile functions: section and key
// names compared without regard to case, values trimmed, other lines kept, CR LF ends.

#include <optional>
#include <string>
#include <string_view>

namespace korvelin {

// The value, or nothing when the file, the section or the key is missing.
std::optional<std::string> LireIni(const std::string& chemin, std::string_view section,
                                   std::string_view cle);
// Writes (or, with no value, removes) the key. False when the file could not be written.
bool EcrireIni(const std::string& chemin, std::string_view section, std::string_view cle,
               std::optional<std::string_view> valeur);

// Where the program keeps Korvelin.ini: beside the program when that folder is writable
// and outside /usr, else $XDG_CONFIG_HOME/korvelin (default ~/.config/korvelin).
std::string CheminIniParDefaut();
std::string DossierProgramme();

}  // namespace korvelin
