#pragma once
// Whole-file reading and safe writing.

#include <optional>
#include <string>
#include <string_view>

namespace korvelin {

// The whole file, or nothing when it cannot be read (missing, a folder, no permission).
std::optional<std::string> LireFichier(const std::string& chemin);
// Writes to a temporary file in the same folder and renames it into place, so a failed
// write leaves the old file whole. False on any failure.
bool EcrireFichierAtomique(const std::string& chemin, std::string_view contenu);
bool DossierExiste(const std::string& chemin);
bool FichierExiste(const std::string& chemin);

// UTF-8 of a text that is either valid UTF-8 or Windows-1252.
std::string VersUtf8(std::string_view texte);
bool EstUtf8Valide(std::string_view texte);
// The character a Windows-1252 byte stands for.
char32_t CaractereWindows1252(unsigned char octet);
// Windows-1252 bytes of a UTF-8 text; characters it cannot hold become "?".
std::string VersWindows1252(std::string_view utf8);

}  // namespace korvelin
