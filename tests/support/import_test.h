#pragma once
// The import as the document runs it, for tests that hold a Contexte: what it says goes to
// the context's user interface, and the rescaling dialog to the recorder when that is the
// interface (else the stored ratios are taken).

#include <string>
#include <string_view>

#include "document/importation.h"
#include "import/dat.h"
#include "import/dxf.h"
#include "import/hpgl.h"
#include "import/projet.h"
#include "settings/contexte.h"
#include "settings/magasin.h"
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
    return OuvrirDessin(ctx, etat, chemin, suivi);
}
inline bool OuvreProjet(Contexte& ctx, const std::string& chemin) {
    SuiviDuContexte suivi(ctx);
    return ImporteProjet(ctx, chemin, suivi);
}
inline bool OuvreDAT(Contexte& ctx, const std::string& chemin) {
    SuiviDuContexte suivi(ctx);
    return ImporteDAT(ctx, chemin, suivi);
}
inline bool OuvreDXF(Contexte& ctx, const std::string& chemin, EtatImport* etat = nullptr) {
    EtatImport seul;
    SuiviDuContexte suivi(ctx);
    return ImporteDXF(ctx, etat ? *etat : seul, chemin, suivi);
}
// The import from a text in memory.
inline bool ImporteTexteDAT(Contexte& ctx, std::string_view texte) {
    SuiviDuContexte suivi(ctx);
    return AcheveDAT(ctx, LitDAT(texte, ctx.dessin.NomFichier), suivi);
}
inline bool ImporteTexteHPGL(Contexte& ctx, std::string_view texte) {
    SuiviDuContexte suivi(ctx);
    ChargeRapports(ctx);
    return AcheveHPGL(ctx, LitHPGL(texte, ctx.dessin.NomFichier), suivi);
}
inline bool ImporteTexteDXF(Contexte& ctx, std::string_view texte, EtatImport* etat = nullptr) {
    EtatImport seul;
    SuiviDuContexte suivi(ctx);
    return AcheveDXF(ctx, etat ? *etat : seul, LitDXF(texte, ctx.dessin.NomFichier, (etat ? *etat : seul).SequenceDXF),
                     suivi);
}

}  // namespace korvelin::test
