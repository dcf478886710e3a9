#pragma once
// The offset and the welding done step by step, every point against every segment and the
// list shifted at each move: slow, but plainly right. The fast versions must agree.

#include "settings/contexte.h"

namespace korvelin::test {

void DecalageLitteral(Contexte& ctx, Code2 etiquette);
void CalculDecalageToutLitteral(Contexte& ctx);
// The chaining passes and reversals of the welding, without the offset and the bounds.
void SoudureLitterale(Dessin& d);

}  // namespace korvelin::test
