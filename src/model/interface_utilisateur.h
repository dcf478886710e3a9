#pragma once
// The one way the core reaches the user. The Qt window implements it; tests record it;
// the command-line converter prints to standard error.

#include <string>
#include <string_view>

#include "model/diagnostics.h"

namespace korvelin {

enum class Icone { Aucune, Critique, Information, Question, Exclamation };

inline constexpr std::string_view TitreProgramme = "Korvelin";

class InterfaceUtilisateur {
public:
    virtual ~InterfaceUtilisateur() = default;
    virtual void Message(std::string_view texte, std::string_view titre, Icone icone) = 0;
    // Yes/No question; true for Yes.
    virtual bool Question(std::string_view texte, std::string_view titre) = 0;
    // Form_Resize: lay out the main window and repaint the whole view.
    virtual void Rafraichir() = 0;
    // Status-bar panel, numbered from 1.
    virtual void TexteStatut(int panneau, std::string_view texte) = 0;
    virtual void Sablier(bool actif) = 0;
    // Lets the window handle pending events during a long operation.
    virtual void TraiterEvenements() {}
};

// Says nothing. Useful for batch work.
class InterfaceSilencieuse : public InterfaceUtilisateur {
public:
    void Message(std::string_view, std::string_view, Icone) override {}
    bool Question(std::string_view, std::string_view) override { return false; }
    void Rafraichir() override {}
    void TexteStatut(int, std::string_view) override {}
    void Sablier(bool) override {}
};

inline Icone IconeDe(Gravite g) {
    switch (g) {
        case Gravite::Erreur: return Icone::Critique;
        case Gravite::Avertissement: return Icone::Exclamation;
        case Gravite::Information: break;
    }
    return Icone::Information;
}

// A diagnostic as a message box of the program.
inline void Montre(InterfaceUtilisateur& ui, const Diagnostic& d) {
    ui.Message(d.message, d.titre.empty() ? TitreProgramme : std::string_view(d.titre), IconeDe(d.gravite));
}

// Every diagnostic in its order; false when one of them is an error.
inline bool Montre(InterfaceUtilisateur& ui, const Diagnostics& dits) {
    for (const Diagnostic& d : dits) Montre(ui, d);
    return !ContientErreur(dits);
}

}  // namespace korvelin
