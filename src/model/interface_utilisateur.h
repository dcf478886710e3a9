#pragma once
// The one way the core reaches the user. The Qt window implements it; tests record it;
// the command-line converter prints to standard error.

#include <string>
#include <string_view>

namespace korvelin {

struct Contexte;

enum class Icone { Aucune, Critique, Information, Question, Exclamation };

inline constexpr std::string_view TitreProgramme = "Korvelin";

class InterfaceUtilisateur {
public:
    virtual ~InterfaceUtilisateur() = default;
    virtual void Message(std::string_view texte, std::string_view titre, Icone icone) = 0;
    // Yes/No question; true for Yes.
    virtual bool Question(std::string_view texte, std::string_view titre) = 0;
    // The rescaling dialog, modal; sets RapportH and RapportV of the context.
    virtual void DialogueDimension(Contexte& ctx) = 0;
    // Form_Resize: lay out the main window and repaint the whole view.
    virtual void Rafraichir(Contexte& ctx) = 0;
    // Status-bar panel, numbered from 1.
    virtual void TexteStatut(int panneau, std::string_view texte) = 0;
    virtual void Sablier(bool actif) = 0;
    // Lets the window handle pending events during a long operation.
    virtual void TraiterEvenements() {}
};

// Says nothing, accepts the dialog as loaded. Useful for batch work.
class InterfaceSilencieuse : public InterfaceUtilisateur {
public:
    void Message(std::string_view, std::string_view, Icone) override {}
    bool Question(std::string_view, std::string_view) override { return false; }
    void DialogueDimension(Contexte& ctx) override;
    void Rafraichir(Contexte&) override {}
    void TexteStatut(int, std::string_view) override {}
    void Sablier(bool) override {}
};

}  // namespace korvelin
