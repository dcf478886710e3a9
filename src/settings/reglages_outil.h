#pragma once
// The settings values the geometry works with, taken out of the program's settings.

#include "model/reglages_outil.h"
#include "settings/parametres.h"

namespace korvelin {

ReglagesDecalage ReglagesDecalageDe(const Parametres& p);
Attaches AttachesDe(const Parametres& p);

}  // namespace korvelin
