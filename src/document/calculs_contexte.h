#pragma once
// The geometry's whole-drawing computations run on the program's context: its drawing,
// with its settings, the busy pointer and the progress shown meanwhile, and whatever they
// have to say shown through its user interface once they are done.

#include "geometry/ordre.h"
#include "geometry/orientation.h"
#include "geometry/soudure.h"
#include "settings/contexte.h"
#include "model/parametres.h"

namespace korvelin {

// Shows each diagnostic as a message, in order.
void Signale(InterfaceUtilisateur& ui, const Diagnostics& diagnostics);
// The progress of an offset computation, in the fifth panel of the status bar.
SuiviDecalage SuiviDe(const Contexte& ctx);

void CalculDecalageTout(Contexte& ctx);
void DecalageSequence(Contexte& ctx, Code2 etiquette);
// These two also repaint.
void SoudureAutomatique(Contexte& ctx);
void Miroir(Contexte& ctx);
// The number of traces reversed.
int32_t OrientationAutomatique(Contexte& ctx);
ResultatOrdre OrdreAutomatique(Contexte& ctx);

}  // namespace korvelin
