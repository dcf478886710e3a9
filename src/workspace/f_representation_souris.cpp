// The mouse on the drawing view: pointer coordinates, the offset side pick and pen lifting.

#include "workspace/f_representation.h"

namespace korvelin {

void F_Representation::PB1_MouseDown(Qt::MouseButton, Qt::KeyboardModifiers, double, double) {}

void F_Representation::PB1_MouseMove(Qt::MouseButtons, Qt::KeyboardModifiers, double, double) {}

}  // namespace korvelin
