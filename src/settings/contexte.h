#pragma once
// What the offset, welding, ordering and machining functions still take by reference:
// the drawing, the settings values, the settings store and the user interface. The
// readers, the import and the store itself no longer need it; it goes once those
// functions take their values.

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
