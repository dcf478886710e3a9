#include "model/parametres.h"

#include <algorithm>
#include <cmath>

namespace korvelin {

ReglagesDecalage ReglagesDecalageDe(const Parametres& p) {
    return {p.RayonFraise, p.DecalageOutil, p.Optimisation_1, p.Optimisation_2};
}

Attaches AttachesDe(const Parametres& p) {
    return {std::clamp<int32_t>(p.AttachesNombre, 0, MaxAttaches), p.AttachesLargeur, p.AttachesHauteur,
            2.0 * std::fabs(p.RayonFraise)};
}

}  // namespace korvelin
