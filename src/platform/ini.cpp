#include "platform/ini.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "platform/fichier.h"

namespace korvelin {

namespace {

std::string_view Rogne(std::string_view s) {
    const auto debut = s.find_first_not_of(" \t");
    if (debut == std::string_view::npos) return {};
    const auto fin = s.find_last_not_of(" \t");
    return s.substr(debut, fin - debut + 1);
}

bool EgauxSansCasse(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
        if (x != y) return false;
    }
    return true;
}

std::vector<std::string> Lignes(const std::string& texte) {
    std::vector<std::string> lignes;
    std::size_t debut = 0;
    while (debut < texte.size()) {
        std::size_t fin = texte.find('\n', debut);
        if (fin == std::string::npos) fin = texte.size();
        std::size_t f = fin;
        if (f > debut && texte[f - 1] == '\r') --f;
        lignes.emplace_back(texte, debut, f - debut);
        debut = fin + 1;
    }
    return lignes;
}

// The section name of a "[name]" line, or nothing for other lines.
std::optional<std::string_view> NomSection(std::string_view ligne) {
    ligne = Rogne(ligne);
    if (ligne.size() < 2 || ligne.front() != '[') return std::nullopt;
    const auto fin = ligne.find(']');
    if (fin == std::string_view::npos) return std::nullopt;
    return Rogne(ligne.substr(1, fin - 1));
}

// Key of a "key=value" line (comments and other lines have none).
std::optional<std::string_view> Cle(std::string_view ligne) {
    const auto egal = ligne.find('=');
    if (egal == std::string_view::npos) return std::nullopt;
    const auto cle = Rogne(ligne.substr(0, egal));
    if (cle.empty() || cle.front() == ';') return std::nullopt;
    return cle;
}

std::vector<std::string> LignesDuFichier(const std::string& chemin) {
    const auto contenu = LireFichier(chemin);
    if (!contenu) return {};
    return Lignes(VersUtf8(*contenu));
}

bool CreeDossiers(const std::string& dossier) {
    if (dossier.empty() || DossierExiste(dossier)) return true;
    const auto p = dossier.find_last_of('/', dossier.size() > 1 ? dossier.size() - 2 : 0);
    if (p != std::string::npos && p > 0 && !CreeDossiers(dossier.substr(0, p))) return false;
    return ::mkdir(dossier.c_str(), 0755) == 0 || DossierExiste(dossier);
}

}  // namespace

std::optional<std::string> LireIni(const std::string& chemin, std::string_view section, std::string_view cle) {
    bool dansSection = false;
    for (const std::string& ligne : LignesDuFichier(chemin)) {
        if (auto nom = NomSection(ligne)) {
            dansSection = EgauxSansCasse(*nom, section);
            continue;
        }
        if (!dansSection) continue;
        if (auto k = Cle(ligne); k && EgauxSansCasse(*k, cle))
            return std::string(Rogne(std::string_view(ligne).substr(ligne.find('=') + 1)));
    }
    return std::nullopt;
}

bool EcrireIni(const std::string& chemin, std::string_view section, std::string_view cle,
               std::optional<std::string_view> valeur) {
    std::vector<std::string> lignes = LignesDuFichier(chemin);
    const std::string nouvelle = valeur ? std::string(cle) + "=" + std::string(*valeur) : std::string();
    bool dansSection = false, sectionVue = false, fait = false;
    std::size_t finSection = lignes.size();  // after the last non-blank line of the section
    for (std::size_t i = 0; i < lignes.size() && !fait; ++i) {
        if (auto nom = NomSection(lignes[i])) {
            if (dansSection) break;
            dansSection = EgauxSansCasse(*nom, section);
            if (dansSection) {
                sectionVue = true;
                finSection = i + 1;
            }
            continue;
        }
        if (!dansSection) continue;
        if (!Rogne(lignes[i]).empty()) finSection = i + 1;
        if (auto k = Cle(lignes[i]); k && EgauxSansCasse(*k, cle)) {
            if (valeur) lignes[i] = nouvelle;
            else lignes.erase(lignes.begin() + static_cast<std::ptrdiff_t>(i));
            fait = true;
        }
    }
    if (!fait && valeur) {
        if (!sectionVue) {
            lignes.push_back("[" + std::string(section) + "]");
            finSection = lignes.size();
        }
        lignes.insert(lignes.begin() + static_cast<std::ptrdiff_t>(finSection), nouvelle);
    } else if (!fait) {
        return true;  // nothing to remove
    }
    std::string texte;
    for (const std::string& l : lignes) texte += l + "\r\n";
    const auto barre = chemin.find_last_of('/');
    if (barre != std::string::npos && !CreeDossiers(chemin.substr(0, barre))) return false;
    return EcrireFichierAtomique(chemin, texte);
}

std::string DossierProgramme() {
    char tampon[4096];
    const ssize_t n = ::readlink("/proc/self/exe", tampon, sizeof tampon - 1);
    if (n <= 0) return ".";
    std::string chemin(tampon, static_cast<std::size_t>(n));
    const auto barre = chemin.find_last_of('/');
    return barre == 0 ? "/" : chemin.substr(0, barre);
}

std::string CheminIniParDefaut() {
    const std::string dossier = DossierProgramme();
    // /usr belongs to the package manager: root, who may run the program for direct port
    // access, would otherwise leave a file there that no uninstall removes.
    const bool installe = dossier == "/usr" || dossier.rfind("/usr/", 0) == 0;
    if (!installe && ::access(dossier.c_str(), W_OK) == 0) return dossier + "/Korvelin.ini";
    std::string config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/') config = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home) config = std::string(home) + "/.config";
    else config = "/tmp";
    return config + "/korvelin/Korvelin.ini";
}

}  // namespace korvelin
