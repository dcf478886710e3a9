#include "model/noms_fichiers.h"

#include "platform/fichier.h"

namespace korvelin {

namespace {
std::size_t DernierSeparateur(std::string_view c) { return c.find_last_of("\\/"); }
}  // namespace

std::string ExtraitRepertoire(std::string_view chemin) {
    const std::size_t p = DernierSeparateur(chemin);
    return p == std::string_view::npos ? std::string() : std::string(chemin.substr(0, p + 1));
}

std::string ExtraitExtension(std::string_view chemin) {
    const std::size_t p = chemin.rfind('.');
    return p == std::string_view::npos ? std::string(chemin) : std::string(chemin.substr(p + 1));
}

std::string SansExtension(std::string_view chemin) {
    const std::size_t p = chemin.rfind('.');
    return p == std::string_view::npos ? std::string() : std::string(chemin.substr(0, p + 1));
}

std::string NomSansDossier(std::string_view chemin) {
    const std::size_t p = DernierSeparateur(chemin);
    return std::string(p == std::string_view::npos ? chemin : chemin.substr(p + 1));
}

std::string EnMajuscules(std::string_view texte) {
    std::string s(texte);
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

bool CopieFichier(const std::string& source, const std::string& destination) {
    const auto contenu = LireFichier(source);
    return contenu && EcrireFichierAtomique(destination, *contenu);
}

std::string_view Rogne(std::string_view s) {
    const auto debut = s.find_first_not_of(' ');
    if (debut == std::string_view::npos) return {};
    return s.substr(debut, s.find_last_not_of(' ') - debut + 1);
}

}  // namespace korvelin
