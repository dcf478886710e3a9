#include "machining/flux_fichier.h"

namespace korvelin {

FluxFichier::FluxFichier(const std::string& chemin) : fichier_(chemin) { tampon.reserve(TailleTampon + 4096); }

void FluxFichier::Vide() {
    fichier_.Ecrit(tampon);
    verses_ += tampon.size();
    tampon.clear();
}

bool FluxFichier::Termine() {
    Vide();
    return fichier_.Termine();
}

}  // namespace korvelin
