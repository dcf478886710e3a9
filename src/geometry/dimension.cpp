#include "geometry/dimension.h"

#include "settings/magasin.h"

namespace korvelin {
// Placeholder until the rescaling arithmetic lands.
void ModeleDimension::Charger(Contexte& ctx) { ChargeRapports(ctx); }
void ModeleDimension::ValiderHRapport() {}
void ModeleDimension::ValiderVRapport() {}
void ModeleDimension::ValiderHResultat() {}
void ModeleDimension::ValiderVResultat() {}
void ModeleDimension::CliquerProportions(bool) {}
void ModeleDimension::Fermer(Contexte&) {}
char ToucheDimension(char touche) { return touche == '.' ? ',' : touche; }
}  // namespace korvelin
