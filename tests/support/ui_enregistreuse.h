#pragma once
// An InterfaceUtilisateur that records what the core asked of the user; as the follower
// of an import, it records what the import says as messages, and the rescaling dialogs.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "document/importation.h"
#include "model/interface_utilisateur.h"

namespace korvelin::test {

struct MessageRecu {
    std::string texte;
    std::string titre;
    Icone icone;
};

class UiEnregistreuse : public InterfaceUtilisateur, public SuiviImport {
public:
    std::vector<MessageRecu> messages;
    std::vector<std::string> questions;
    std::vector<std::pair<int, std::string>> statuts;
    int nbDimensions = 0;
    int nbRafraichissements = 0;
    int nbSabliers = 0;
    bool reponseQuestion = true;
    // Runs in place of the rescaling dialog; by default the ratios are accepted as loaded.
    std::function<Rapports(ModeleDimension&)> surDimension;

    void Message(std::string_view texte, std::string_view titre, Icone icone) override;
    bool Question(std::string_view texte, std::string_view titre) override;
    Rapports Demande(ModeleDimension& modele) override;
    void Signale(const Diagnostic& d) override { Montre(*this, d); }
    void Rafraichir() override { ++nbRafraichissements; }
    void TexteStatut(int panneau, std::string_view texte) override;
    void Sablier(bool actif) override {
        if (actif) ++nbSabliers;
    }
};

// Ratios typed in the rescaling dialog.
inline std::function<Rapports(ModeleDimension&)> Rapport(double h, double v) {
    return [h, v](ModeleDimension&) { return Rapports{h, v}; };
}

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

// The one message shown so far is a refusal: the verdict on its first line, then which
// file, the line when one is given, and that nothing was read.
inline void AttendRefus(const UiEnregistreuse& ui, std::string_view verdict, std::size_t ligne = 0) {
    ASSERT_EQ(ui.messages.size(), 1u);
    const std::string& t = ui.messages[0].texte;
    EXPECT_EQ(ui.messages[0].icone, Icone::Critique);
    EXPECT_EQ(t.substr(0, t.find("\r\n")), verdict) << t;
    if (ligne > 0) {
        EXPECT_NE(t.find(", ligne " + std::to_string(ligne) + " : "), std::string::npos) << t;
    }
    EXPECT_NE(t.find("Rien n'a été lu"), std::string::npos) << t;
}

}  // namespace korvelin::test
