#include "settings/fichier_projet.h"

#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <vector>

#include "model/ligne_projet.h"
#include "platform/fichier.h"

namespace korvelin {

namespace {

bool EstLigneReglage(std::string_view ligne) { return ligne.size() >= 2 && ligne[0] == '$' && ligne[1] == '$'; }

// Up to and including the "." that starts the extension of the file name; the whole path
// and a "." when the name has no extension (a "." in a folder name is not one).
std::string Base(std::string_view nom) {
    const std::size_t separateur = nom.find_last_of("\\/");
    const std::size_t point = nom.rfind('.');
    if (point == std::string_view::npos || (separateur != std::string_view::npos && point < separateur))
        return std::string(nom) + ".";
    return std::string(nom.substr(0, point + 1));
}

// True when the file reads as a project, as the backup of one does: a plain file, not a
// link, whose every line is a settings line or a point line laid out as the writer does.
// It is read by pieces, so a huge file of someone else's costs no memory.
bool EstCopieDeProjet(const std::string& chemin) {
    struct stat st {};
    if (::lstat(chemin.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size == 0) return false;
    std::ifstream f(chemin, std::ios::binary);
    if (!f) return false;
    std::string reste;
    std::vector<char> tampon(1 << 20);
    bool conforme = true;
    auto examine = [&](std::string_view ligne) {
        conforme = EstLigneReglage(ligne) || LignePointProjetConforme(ligne);
        return conforme;
    };
    while (conforme && f) {
        f.read(tampon.data(), static_cast<std::streamsize>(tampon.size()));
        reste.append(tampon.data(), static_cast<std::size_t>(f.gcount()));
        // Only whole lines now; the piece after the last line end waits for the next read.
        const std::size_t fin = reste.find_last_of("\r\n");
        if (fin == std::string::npos) {
            if (reste.size() > tampon.size()) return false;  // no project line is that long
            continue;
        }
        PourChaqueLigne(std::string_view(reste).substr(0, fin), examine);
        reste.erase(0, fin + 1);
    }
    if (conforme && !reste.empty()) PourChaqueLigne(reste, examine);
    return conforme && !f.bad();
}

}  // namespace

std::string CheminProjet(std::string_view nomFichier) { return Base(nomFichier) + "Korvelin"; }

std::string CheminSauvegardeProjet(std::string_view nomFichier) { return Base(nomFichier) + "tmp"; }

bool CopieDeSecoursProjet(const std::string& projet, std::string_view contenu, Diagnostics& dits) {
    const std::string copie = CheminSauvegardeProjet(projet);
    struct stat st {};
    if (::lstat(copie.c_str(), &st) == 0 && !EstCopieDeProjet(copie)) {
        dits.push_back({Gravite::Avertissement,
                        "Pas de copie de sauvegarde : le fichier " + copie +
                            " existe déjà et n'est pas une copie faite par Korvelin ; il est laissé tel quel.",
                        copie,
                        0,
                        {}});
        return true;
    }
    if (!EcrireFichierAtomique(copie, contenu)) {
        dits.push_back({Gravite::Erreur, "Impossible d'écrire le fichier " + copie, copie, 0, {}});
        return false;
    }
    return true;
}

std::string TextePointsProjet(const Dessin& d) {
    std::string texte;
    const std::size_t n = std::min(static_cast<std::size_t>(std::max<int32_t>(d.NbPoints, 0)), d.Trace_Initial.size());
    texte.reserve(n * 62);
    for (std::size_t i = 0; i < n; ++i) {
        texte += LignePointProjet(d.Trace_Initial[i]);
        texte += "\r\n";
    }
    return texte;
}

}  // namespace korvelin
