#include "geometry/dimension.h"
#include "model/interface_utilisateur.h"

namespace korvelin {

void InterfaceSilencieuse::DialogueDimension(Contexte& ctx) {
    ModeleDimension m;
    m.Charger(ctx);
    m.Fermer(ctx);
}

}  // namespace korvelin
