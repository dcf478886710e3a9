#pragma once
// The drawing, the settings values, the settings store and the user interface held
// together, as the main window still owns them and its document still takes them. Nothing
// else sees it: the import, the converter, the loaders, the geometry, the machining and
// the document's own helpers take the values one by one.

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
