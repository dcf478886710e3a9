#include "support/ui_enregistreuse.h"

#include "geometry/dimension.h"
#include "settings/contexte.h"

namespace korvelin::test {

void UiEnregistreuse::Message(std::string_view texte, std::string_view titre, Icone icone) {
    messages.push_back({std::string(texte), std::string(titre), icone});
}

bool UiEnregistreuse::Question(std::string_view texte, std::string_view) {
    questions.emplace_back(texte);
    return reponseQuestion;
}

void UiEnregistreuse::DialogueDimension(Contexte& ctx) {
    ++nbDimensions;
    if (surDimension) {
        surDimension(ctx);
        return;
    }
    ModeleDimension m;
    m.Charger(ctx);
    m.Fermer(ctx);
}

void UiEnregistreuse::TexteStatut(int panneau, std::string_view texte) {
    statuts.emplace_back(panneau, std::string(texte));
}

}  // namespace korvelin::test
