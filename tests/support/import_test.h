#pragma once
// The import as the document runs it, for tests: what it says goes to the target's user
// interface, and the rescaling dialog to the recorder when that is the interface (else the
// stored ratios are taken).

#include <string>
#include <string_view>

#include "document/importation.h"
#include "support/valeurs_temporaires.h"
#include "support/ui_enregistreuse.h"

namespace korvelin::test {

class SuiviDeLaCible : public SuiviImport {
public:
    explicit SuiviDeLaCible(const CibleImport& c) : ui_(c.ui), enregistreuse_(dynamic_cast<UiEnregistreuse*>(&c.ui)) {}
    void Signale(const Diagnostic& d) override { Montre(ui_, d); }
    Rapports Demande(ModeleDimension& m) override {
        return enregistreuse_ ? enregistreuse_->Demande(m) : DimensionSansDialogue().Demande(m);
    }

private:
    InterfaceUtilisateur& ui_;
    UiEnregistreuse* enregistreuse_;
};

inline bool Ouvre(const CibleImport& c, const std::string& chemin) {
    EtatImport etat;
    SuiviDeLaCible suivi(c);
    return OuvrirDessin(c, etat, chemin, suivi);
}
inline bool OuvreProjet(const CibleImport& c, const std::string& chemin) {
    SuiviDeLaCible suivi(c);
    return ImporteProjet(c, chemin, suivi);
}
}  // namespace korvelin::test
