#pragma once
// Values, and a document, whose settings live in a temporary INI file and whose dialogs are
// recorded.

#include <functional>
#include <string>

#include "document/document.h"
#include "document/importation.h"
#include "machining/poste_travail.h"
#include "settings/magasin_reglages.h"
#include "support/dossier_temporaire.h"
#include "support/ui_enregistreuse.h"

namespace korvelin::test {

// The values an import or a job works on, with the settings in a temporary INI file and
// the dialogs recorded.
struct ValeursTemporaires {
    DossierTemporaire dossier;
    UiEnregistreuse ui;
    Dessin dessin;
    Parametres parametres;
    MagasinReglages magasin;
    ValeursTemporaires() { magasin.CheminIni = dossier.Chemin("Korvelin.ini"); }
    CibleImport Cible() { return {dessin, parametres, magasin, ui}; }
    PosteTravail Poste() const { return {dessin, parametres}; }
    // Writes as the windows do: what went wrong shown; false on an error.
    bool Ecrit(const EcrituresReglages& e) { return Montre(ui, magasin.Ecrire(dessin, e)); }
};

// A document with the same temporary settings file and recorded dialogs.
struct DocumentTemporaire {
    DossierTemporaire dossier;
    UiEnregistreuse ui;
    Document doc{&ui, dossier.Chemin("Korvelin.ini")};
    const Dessin& d() const { return doc.Trace(); }
    const Parametres& p() const { return doc.Reglages(); }
    void Regle(const std::function<void(Parametres&)>& changement) { doc.ModifieReglages(changement); }
};

// The drawing of `doc` changed by hand, then given back to it as a new document.
inline void Retouche(Document& doc, const std::function<void(Dessin&)>& changement) {
    Dessin d = doc.Trace();
    changement(d);
    doc.Remplace(std::move(d));
}

}  // namespace korvelin::test
