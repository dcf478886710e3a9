#include "machining/gcode_memoire.h"

#include <cstdlib>
#include <filesystem>

#include "platform/fichier.h"

namespace korvelin {

std::optional<std::string> ProgrammeGCode(const PosteTravail& poste, TravailCUT travail, DialecteGCode dialecte,
                                          TotauxCUT& totaux, Diagnostics& dits) {
    // The writer makes files: it writes one in a folder of its own, read back and removed.
    namespace fs = std::filesystem;
    std::error_code ec;
    std::string modele = (fs::temp_directory_path(ec) / "korvelin-gcode-XXXXXX").string();
    if (ec || ::mkdtemp(modele.data()) == nullptr) {
        dits.push_back(RefusTravail("Impossible de créer un dossier temporaire pour le programme G-code."));
        return std::nullopt;
    }
    travail.FichierGCode = (fs::path(modele) / "programme.nc").string();
    std::optional<std::string> texte;
    if (GenereFichierGCode(poste, travail, dialecte, totaux, dits)) {
        texte = LireFichier(travail.FichierGCode);
        if (!texte) dits.push_back(RefusTravail("Impossible de relire le programme G-code " + travail.FichierGCode));
    }
    fs::remove_all(modele, ec);
    return texte;
}

}  // namespace korvelin
