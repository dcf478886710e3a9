#include "support/ui_enregistreuse.h"

namespace korvelin::test {

void UiEnregistreuse::Message(std::string_view texte, std::string_view titre, Icone icone) {
    messages.push_back({std::string(texte), std::string(titre), icone});
}

bool UiEnregistreuse::Question(std::string_view texte, std::string_view) {
    questions.emplace_back(texte);
    return reponseQuestion;
}

Rapports UiEnregistreuse::Demande(ModeleDimension& modele) {
    ++nbDimensions;
    if (surDimension) return surDimension(modele);
    return DimensionSansDialogue().Demande(modele);
}

void UiEnregistreuse::TexteStatut(int panneau, std::string_view texte) {
    statuts.emplace_back(panneau, std::string(texte));
}

}  // namespace korvelin::test
