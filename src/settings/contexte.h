#pragma once
// The drawing, the settings values, the settings store and the user interface held
// together, as the main window and the converter still own them and the document and the
// import still take them. Nothing below the document room sees it: the loaders, the
// geometry, the machining and the document's own helpers take the values one by one.

#include <string>
#include <vector>

#include "model/dessin.h"
#include "model/interface_utilisateur.h"
#include "settings/magasin_reglages.h"
#include "model/parametres.h"

namespace korvelin {

struct Contexte {
    Dessin dessin;
    Parametres parametres;

    // The program's one settings store.
    MagasinReglages magasin;

    InterfaceUtilisateur* ui = &silence;

    explicit Contexte(InterfaceUtilisateur* interface = nullptr) {
        if (interface) ui = interface;
    }
    Contexte(const Contexte&) = delete;
    Contexte& operator=(const Contexte&) = delete;

private:
    InterfaceSilencieuse silence;
};

}  // namespace korvelin
