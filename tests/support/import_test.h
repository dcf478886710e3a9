#pragma once
// The import as the document runs it, for tests that hold a Contexte: what it says goes to
// the context's user interface, and the rescaling dialog to the recorder when that is the
// interface (else the stored ratios are taken).

#include <string>
#include <string_view>

#include "document/importation.h"
#include "settings/aide_contexte.h"
#include "support/ui_enregistreuse.h"

namespace korvelin::test {

class SuiviDuContexte : public SuiviImport {
public:
    explicit SuiviDuContexte(Contexte& ctx) : ui_(*ctx.ui), enregistreuse_(dynamic_cast<UiEnregistreuse*>(ctx.ui)) {}
    void Signale(const Diagnostic& d) override { Montre(ui_, d); }
    Rapports Demande(ModeleDimension& m) override {
        return enregistreuse_ ? enregistreuse_->Demande(m) : DimensionSansDialogue().Demande(m);
    }

private:
    InterfaceUtilisateur& ui_;
    UiEnregistreuse* enregistreuse_;
};

inline bool Ouvre(Contexte& ctx, const std::string& chemin) {
    EtatImport etat;
    SuiviDuContexte suivi(ctx);
    return OuvrirDessin(Cible(ctx), etat, chemin, suivi);
}
inline bool OuvreProjet(Contexte& ctx, const std::string& chemin) {
    SuiviDuContexte suivi(ctx);
    return ImporteProjet(Cible(ctx), chemin, suivi);
}
}  // namespace korvelin::test
