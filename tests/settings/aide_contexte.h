#pragma once
// A Contexte whose settings live in a temporary INI file and whose dialogs are recorded.

#include <gtest/gtest.h>

#include <string>

#include "settings/contexte.h"
#include "support/dossier_temporaire.h"
#include "support/ui_enregistreuse.h"

namespace korvelin::test {

struct ContexteTemporaire {
    DossierTemporaire dossier;
    UiEnregistreuse ui;
    Contexte ctx{&ui};
    ContexteTemporaire() { ctx.CheminIni = dossier.Chemin("Korvelin.ini"); }
};

inline void AttendMessage(const MessageRecu& m, const std::string& texte, Icone icone = Icone::Critique,
                          const std::string& titre = "Korvelin") {
    EXPECT_EQ(m.texte, texte);
    EXPECT_EQ(m.icone, icone);
    EXPECT_EQ(m.titre, titre);
}

// The one message shown so far.
inline void AttendSeulMessage(const UiEnregistreuse& ui, const std::string& texte, Icone icone = Icone::Critique,
                              const std::string& titre = "Korvelin") {
    ASSERT_EQ(ui.messages.size(), 1u);
    AttendMessage(ui.messages[0], texte, icone, titre);
}

}  // namespace korvelin::test
