#pragma once
// Qt's own texts (the file dialogs, the buttons of message boxes) in French, like the rest
// of the program.

class QCoreApplication;

namespace korvelin {

// Installs Qt's French translations from the system's Qt folder; false when they are not
// installed there (the program then shows Qt's English texts).
bool ChargeTraductions(QCoreApplication& application);

}  // namespace korvelin
