#pragma once
// The whole-drawing offset and the welding done step by step: every offset point against
// every segment, every trace looked up by its label, the list shifted at each move. Slow,
// but plainly right; the fast versions must agree with it.

#include "settings/contexte.h"

namespace korvelin::test {

void CalculDecalageToutLitteral(Contexte& ctx);
// The chaining passes and reversals of the welding, without the offset and the bounds.
void SoudureLitterale(Dessin& d);

}  // namespace korvelin::test
