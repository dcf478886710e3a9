#include "geometry/soudure.h"

#include "geometry/decalage.h"
#include "model/listes.h"

namespace korvelin {
// Placeholder until the welding lands.
void SoudureAutomatique(Contexte& ctx) {
    CalculDecalageTout(ctx);
    CalculBornes(ctx.dessin);
    ctx.ui->Rafraichir(ctx);
}
void Miroir(Contexte& ctx) { ctx.ui->Rafraichir(ctx); }
}  // namespace korvelin
