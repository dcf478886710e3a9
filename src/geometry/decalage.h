#pragma once
// Tool-radius offset: the path of the cutter's centre beside each trace, computed from the
// drawing and the offset settings alone. What goes wrong comes back as diagnostics.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "model/dessin.h"
#include "model/diagnostics.h"
#include "model/reglages_outil.h"

namespace korvelin {

// Where a long computation tells how far it is: `texte` gets the progress line, and an
// empty text once a trace is done. Point by point only when asked, it costs otherwise.
struct SuiviDecalage {
    std::function<void(std::string_view)> texte;
    bool pointParPoint = false;
};

// The paths, one entry per trace in drawing order plus the spare one at the end, as
// Dessin::Trace_Decale holds them.
struct ResultatDecalage {
    std::vector<SequenceDecalee> chemins;
    Diagnostics diagnostics;
};

// Every trace's path. `anciens` are the paths computed before (the drawing's own): an
// entry whose trace and settings did not change is kept rather than computed again.
ResultatDecalage CalculDecalageTout(const Dessin& d, std::vector<SequenceDecalee> anciens, const ReglagesDecalage& r,
                                    const SuiviDecalage& suivi = {});
// Computes again the path of the label of every entry but the spare one, in order,
// without rebuilding the entries (the mirror relies on this).
ResultatDecalage DecalageEntrees(const Dessin& d, std::vector<SequenceDecalee> entrees, const ReglagesDecalage& r,
                                 const SuiviDecalage& suivi = {});
// Computes again the path of one trace, in its entry.
ResultatDecalage DecalageSequence(const Dessin& d, std::vector<SequenceDecalee> entrees, Code2 etiquette,
                                  const ReglagesDecalage& r, const SuiviDecalage& suivi = {});

// CalculDecalageTout on the drawing's own paths.
Diagnostics Redecale(Dessin& d, const ReglagesDecalage& r, const SuiviDecalage& suivi = {});

inline constexpr std::string_view MessageRayonTropGrand = "Impossible de décaler ce tracé avec ce rayon de fraise";
// The warning for a trace whose path the cutter cannot follow everywhere: the path is
// lifted at its point n° `point`, or loses points after it.
enum class Serre { Leve, Retire };
std::string MessageTropSerre(Code2 etiquette, Serre s, std::size_t point);

}  // namespace korvelin
