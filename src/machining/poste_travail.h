#pragma once
// What a job works from, handed in by its caller: the offset paths, the settings values,
// and the one interface through which it tells what it refused or how it went.

#include "model/dessin.h"
#include "model/interface_utilisateur.h"
#include "model/parametres.h"

namespace korvelin {

struct PosteTravail {
    const Dessin& dessin;
    const Parametres& parametres;
    InterfaceUtilisateur& ui;
};

}  // namespace korvelin
