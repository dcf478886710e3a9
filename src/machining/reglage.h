#pragma once
// Setting the zero by hand: the jog arrows (held arrows repeat), the typed relative move.

#include <atomic>
#include <string>
#include <string_view>

#include "machining/session.h"

namespace korvelin {

// The arrows, by index: 0 Y down, 1 Y up, 2 X down, 3 X up, 4 Z down, 5 Z up.
inline constexpr int AucuneFleche = 99;
// Keyboard flags that come with a press.
inline constexpr int ToucheShift = 1, ToucheCtrl = 2;

// What the window keeps about the held arrow.
struct EtatFleches {
    int FlecheEnCours = AucuneFleche;
    int ToucheFleche = 0;
    // Interval of the repeat timer, ms; 0 stops the repeat.
    int Intervalle = 0;
};

// 1 mm; 10 with Shift; then a tenth of that with Ctrl.
double PasFleche(int touches);
// Numeric keypad key code to arrow (8, 2, 4, 6 of the keypad), or -1.
int FlecheDeTouche(int codeTouche);

// Mouse down on an arrow: motor on, one step, the repeat armed with TimerInterval.
CompteRendu FlecheAppuyee(const PosteTravail& poste, Machine& m, EtatFleches& etat, int fleche, int touches,
                          const std::atomic<bool>& arret);
// The repeat timer firing: the same again while the interval is not 0.
CompteRendu FlecheRepetee(const PosteTravail& poste, Machine& m, EtatFleches& etat, const std::atomic<bool>& arret);
// Mouse up: the repeat stops, motor off.
void FlecheRelachee(Machine& m, EtatFleches& etat);

// "Déplacement": relative move by the three texts ("," or "." separator); the window then
// puts "0" back in the three boxes.
CompteRendu DeplacementSaisi(const PosteTravail& poste, Machine& m, std::string_view texteX, std::string_view texteY,
                             std::string_view texteZ, const std::atomic<bool>& arret);

// The pattern size keeps its digits only: a whole number of millimetres.
std::string NettoieDimensionTest(std::string_view texte);
double DimensionTest(std::string_view texteNettoye);

}  // namespace korvelin
