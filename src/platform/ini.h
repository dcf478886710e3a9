#pragma once
// INI file access with the behaviour of the Windows profile functions: section and key
// names compared without regard to case, values trimmed and unquoted, other lines kept,
// CR LF ends written; a byte order mark and any line ends accepted on reading.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>

namespace korvelin {

// The keys of one section, read from the file once, so that loading forty settings reads
// and decodes the file once instead of forty times.
class ValeursIni {
public:
    // Nothing when the file cannot be read (missing, a folder, no permission).
    static std::optional<ValeursIni> Lire(const std::string& chemin, std::string_view section);
    // The first value of the key in the section.
    std::optional<std::string> Valeur(std::string_view cle) const;
    bool SectionPresente() const { return sectionPresente_; }
    // True when the file holds anything but blank lines and comments outside the section.
    bool AutreContenu() const { return autreContenu_; }

private:
    std::unordered_map<std::string, std::string> valeurs_;  // key in upper case
    bool sectionPresente_ = false;
    bool autreContenu_ = false;
};

// The value, or nothing when the file, the section or the key is missing.
std::optional<std::string> LireIni(const std::string& chemin, std::string_view section, std::string_view cle);

// One key to write; with no value the key is removed.
struct EcritureIni {
    std::string cle;
    std::optional<std::string> valeur;
};
// Writes the keys in their order, in one rewrite of the file. False when the file could
// not be written (the old one stays whole).
bool EcrireIni(const std::string& chemin, std::string_view section, std::span<const EcritureIni> ecritures);
bool EcrireIni(const std::string& chemin, std::string_view section, std::string_view cle,
               std::optional<std::string_view> valeur);

// Where the program keeps Korvelin.ini: beside the program when that folder is writable
// and outside /usr, else $XDG_CONFIG_HOME/korvelin (default ~/.config/korvelin).
std::string CheminIniParDefaut();
std::string DossierProgramme();

}  // namespace korvelin
