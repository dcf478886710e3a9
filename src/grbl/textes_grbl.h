#pragma once
// What GRBL 1.1 means by its numbered answers, in the user's words.

#include <string>

namespace korvelin::grbl {

// The text of "error:N"; an unknown number is named as such.
std::string TexteErreur(int code);
// The text of "ALARM:N".
std::string TexteAlarme(int code);

}  // namespace korvelin::grbl
