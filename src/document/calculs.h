#pragma once
// The geometry's whole-drawing computations as the window and the converter run them: on
// a drawing with its settings values, the busy pointer and the progress shown meanwhile
// through the interface the caller passes in, and whatever they have to say shown there
// once they are done.

#include "geometry/ordre.h"
#include "geometry/orientation.h"
#include "geometry/soudure.h"
#include "model/interface_utilisateur.h"
#include "model/parametres.h"

namespace korvelin {

// Shows each diagnostic as a message, in order.
void Signale(InterfaceUtilisateur& ui, const Diagnostics& diagnostics);
// The progress of an offset computation, in the fifth panel of the status bar.
SuiviDecalage SuiviDe(const Parametres& p, InterfaceUtilisateur& ui);

void CalculDecalageTout(Dessin& d, const Parametres& p, InterfaceUtilisateur& ui);
void DecalageSequence(Dessin& d, const Parametres& p, InterfaceUtilisateur& ui, Code2 etiquette);
// These two also repaint.
void SoudureAutomatique(Dessin& d, const Parametres& p, InterfaceUtilisateur& ui);
void Miroir(Dessin& d, const Parametres& p, InterfaceUtilisateur& ui);
// The number of traces reversed.
int32_t OrientationAutomatique(Dessin& d, const Parametres& p, InterfaceUtilisateur& ui);
ResultatOrdre OrdreAutomatique(Dessin& d, const Parametres& p, InterfaceUtilisateur& ui);

}  // namespace korvelin
