#include "document/enregistrement.h"

#include <optional>
#include <string_view>

#include "import/projet.h"
#include "model/ligne_projet.h"
#include "platform/fichier.h"
#include "settings/fichier_projet.h"

namespace korvelin {

namespace {

bool EstLigneReglage(std::string_view ligne) { return ligne.size() >= 2 && ligne[0] == '$' && ligne[1] == '$'; }

bool EstVideApresEspaces(std::string_view texte) { return texte.find_first_not_of(" \t") == std::string_view::npos; }

// The settings block of a project that is made from another drawing: every line of the
// INI file, blank lines and the section header included.
std::string ReglagesDepuisIni(const std::string& cheminIni) {
    std::string bloc;
    if (cheminIni.empty()) return bloc;
    const std::optional<std::string> ini = LireFichier(cheminIni);
    if (!ini) return bloc;
    PourChaqueLigne(SansMarqueUtf8(*ini), [&](std::string_view ligne) {
        bloc += LigneReglageProjet(ligne);
        bloc += "\r\n";
        return true;
    });
    return bloc;
}

// The "$$" lines of an existing project, in their order.
std::string ReglagesDepuisProjet(std::string_view projet) {
    std::string bloc;
    PourChaqueLigne(projet, [&](std::string_view ligne) {
        if (EstLigneReglage(ligne)) {
            bloc += LigneReglageProjet(ligne.substr(2));
            bloc += "\r\n";
        }
        return true;
    });
    return bloc;
}

}  // namespace

bool EnregistreProjetSous(const Dessin& d, const std::string& cheminIni, InterfaceUtilisateur& ui,
                          const std::string& chemin) {
    std::string contenu;
    bool reglagesDuProjet = false;
    if (!EstVideApresEspaces(d.FichierProjet)) {
        // Keep the old file as the backup before it is replaced; the settings come from
        // the open project, which is the file being replaced unless the name changed.
        if (const std::optional<std::string> ancien = LireFichier(chemin)) {
            Diagnostics dits;
            CopieDeSecoursProjet(chemin, *ancien, dits);
            for (const Diagnostic& dit : dits) Montre(ui, dit);
        }
        if (const std::optional<std::string> projet = LireFichier(d.FichierProjet)) {
            contenu = ReglagesDepuisProjet(*projet);
            reglagesDuProjet = true;
        }
    }
    if (!reglagesDuProjet) contenu = ReglagesDepuisIni(cheminIni);
    contenu += TextePointsProjet(d);

    if (!EcrireFichierAtomique(chemin, contenu)) {
        ui.Message("Impossible d'écrire le fichier " + chemin, TitreProgramme, Icone::Critique);
        return false;
    }
    return true;
}

bool EnregistreProjet(Dessin& d, const std::string& cheminIni, InterfaceUtilisateur& ui) {
    const std::string chemin = CheminProjet(d.NomFichier);
    if (!EnregistreProjetSous(d, cheminIni, ui, chemin)) return false;
    d.NomFichier = chemin;
    return true;
}

}  // namespace korvelin
