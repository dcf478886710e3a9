#pragma once
// What a core function has to say about its work. It returns these with its result and
// lets its caller (the window, the converter, the machine worker) decide how to show them,
// so one failure reads the same everywhere and no function needs someone there to answer.

#include <cstdint>
#include <string>
#include <vector>

namespace korvelin {

enum class Gravite : uint8_t {
    Information,
    Avertissement,
    // The operation was abandoned; what it was given is left as it was.
    Erreur,
};

struct Diagnostic {
    Gravite gravite = Gravite::Information;
    // In French, whole: the verdict on its first line, then the file, the place and the reason.
    std::string message;
    // The file concerned, and where in it (0: no line, no byte), when known.
    std::string fichier;
    uint64_t ligne = 0;
    // The title of its message box, when not the program's name.
    std::string titre;
};

using Diagnostics = std::vector<Diagnostic>;

inline bool ContientErreur(const Diagnostics& d) {
    for (const Diagnostic& x : d)
        if (x.gravite == Gravite::Erreur) return true;
    return false;
}

}  // namespace korvelin
