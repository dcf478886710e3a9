#pragma once
// korvelin-cut --grbl: the job streamed to a GRBL board.

#include "korvelin_cut_options.h"
#include "machining/cut.h"
#include "machining/poste_travail.h"
#include "model/interface_utilisateur.h"

namespace korvelin::cli {

// Exit codes beyond 0 (done), 1 (refused or failed) and 2 (usage).
inline constexpr int CodeErreurGrbl = 3;  // the board refused a line
inline constexpr int CodeAlarmeGrbl = 4;  // the board raised an alarm, or was in alarm
inline constexpr int CodeLiaison = 5;     // port unusable, no GRBL on it, or link lost
inline constexpr int CodeInterrompu = 6;  // stopped by the user (Ctrl-C): GRBL reset

int EnvoieGrbl(const PosteTravail& poste, InterfaceUtilisateur& ui, const Options& o, const TravailCUT& t);

}  // namespace korvelin::cli
