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

std::string EnMajusculesAscii(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return r;
}

// The text of the file as the profile functions see it: no byte order mark, UTF-8.
std::optional<std::string> TexteDuFichier(const std::string& chemin) {
    const auto contenu = LireFichier(chemin);
    if (!contenu) return std::nullopt;
    return VersUtf8(SansMarqueUtf8(*contenu));
}

std::vector<std::string> Lignes(std::string_view texte) {
    std::vector<std::string> lignes;
    PourChaqueLigne(texte, [&](std::string_view l) {
        lignes.emplace_back(l);
        return true;
    });
    return lignes;
}

// A value between matching quotes loses them, as GetPrivateProfileString does; blanks
// inside the quotes are kept.
std::string_view SansGuillemets(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
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

bool CreeDossiers(const std::string& dossier) {
    if (dossier.empty() || DossierExiste(dossier)) return true;
    const auto p = dossier.find_last_of('/', dossier.size() > 1 ? dossier.size() - 2 : 0);
    if (p != std::string::npos && p > 0 && !CreeDossiers(dossier.substr(0, p))) return false;
    return ::mkdir(dossier.c_str(), 0755) == 0 || DossierExiste(dossier);
}

}  // namespace

std::optional<ValeursIni> ValeursIni::Lire(const std::string& chemin, std::string_view section) {
    const std::optional<std::string> contenu = LireFichier(chemin);
    if (!contenu) return std::nullopt;
    // Only the lines of the section are decoded: the rest of a large file shared with
    // other programs is passed over as it is (section names compare in ASCII).
    const std::string_view texte = SansMarqueUtf8(*contenu);
    const bool utf8 = EstUtf8Valide(texte);
    ValeursIni v;
    bool dansSection = false;
    PourChaqueLigne(texte, [&](std::string_view ligne) {
        if (auto nom = NomSection(ligne)) {
            dansSection = EgauxSansCasse(*nom, section);
            v.sectionPresente_ = v.sectionPresente_ || dansSection;
            if (!dansSection) v.autreContenu_ = true;
            return true;
        }
        const std::string_view l = Rogne(ligne);
        if (!dansSection) {
            if (!l.empty() && l.front() != ';' && l.front() != '#') v.autreContenu_ = true;
            return true;
        }
        const std::string decodee = utf8 ? std::string() : DepuisWindows1252(ligne);
        const std::string_view lu = utf8 ? ligne : std::string_view(decodee);
        if (auto k = Cle(lu))
            v.valeurs_.emplace(EnMajusculesAscii(*k), std::string(SansGuillemets(Rogne(lu.substr(lu.find('=') + 1)))));
        return true;
    });
    return v;
}

std::optional<std::string> ValeursIni::Valeur(std::string_view cle) const {
    const auto it = valeurs_.find(EnMajusculesAscii(Rogne(cle)));
    if (it == valeurs_.end()) return std::nullopt;
    return it->second;
}

std::optional<std::string> LireIni(const std::string& chemin, std::string_view section, std::string_view cle) {
    const std::optional<ValeursIni> v = ValeursIni::Lire(chemin, section);
    if (!v) return std::nullopt;
    return v->Valeur(cle);
}

namespace {

// One key written into the lines of the file, as WritePrivateProfileString does: the
// first line of the key in the section replaced (or removed), else a line added after
// the last non-blank line of the section, the section made at the end when missing.
void AppliqueEcriture(std::vector<std::string>& lignes, std::string_view section, const EcritureIni& e) {
    std::string nouvelle;
    if (e.valeur) {
        nouvelle.reserve(e.cle.size() + 1 + e.valeur->size());
        nouvelle.append(e.cle).append(1, '=').append(*e.valeur);
    }
    bool dansSection = false, sectionVue = false;
    std::size_t finSection = lignes.size();
    for (std::size_t i = 0; i < lignes.size(); ++i) {
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
        if (auto k = Cle(lignes[i]); k && EgauxSansCasse(*k, e.cle)) {
            if (e.valeur)
                lignes[i] = std::move(nouvelle);
            else
                lignes.erase(lignes.begin() + static_cast<std::ptrdiff_t>(i));
            return;
        }
    }
    if (!e.valeur) return;  // nothing to remove
    if (!sectionVue) {
        std::string entete(1, '[');
        entete.append(section).append(1, ']');
        lignes.push_back(std::move(entete));
        finSection = lignes.size();
    }
    lignes.insert(lignes.begin() + static_cast<std::ptrdiff_t>(finSection), std::move(nouvelle));
}

}  // namespace

bool EcrireIni(const std::string& chemin, std::string_view section, std::span<const EcritureIni> ecritures) {
    if (ecritures.empty()) return true;
    const std::optional<std::string> texte = TexteDuFichier(chemin);
    std::vector<std::string> lignes = texte ? Lignes(*texte) : std::vector<std::string>{};
    for (const EcritureIni& e : ecritures) AppliqueEcriture(lignes, section, e);
    std::string sortie;
    std::size_t taille = 0;
    for (const std::string& l : lignes) taille += l.size() + 2;
    sortie.reserve(taille);
    for (const std::string& l : lignes) {
        sortie += l;
        sortie += "\r\n";
    }
    if (texte && sortie == SansMarqueUtf8(*texte)) return true;  // nothing changes
    const auto barre = chemin.find_last_of('/');
    if (barre != std::string::npos && barre > 0 && !CreeDossiers(chemin.substr(0, barre))) return false;
    return EcrireFichierAtomique(chemin, sortie);
}

bool EcrireIni(const std::string& chemin, std::string_view section, std::string_view cle,
               std::optional<std::string_view> valeur) {
    const EcritureIni e{std::string(cle), valeur ? std::optional<std::string>(*valeur) : std::nullopt};
    return EcrireIni(chemin, section, std::span<const EcritureIni>(&e, 1));
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
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/')
        config = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        config = std::string(home) + "/.config";
    else
        config = "/tmp";
    return config + "/korvelin/Korvelin.ini";
}

}  // namespace korvelin
