#pragma once
// Values and a context whose settings live in a temporary INI file and whose dialogs are
// recorded.

#include <string>

#include "document/importation.h"
#include "machining/poste_travail.h"
#include "settings/contexte.h"
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
    PosteTravail Poste() { return {dessin, parametres, ui}; }
    // Writes as the windows do: what went wrong shown; false on an error.
    bool Ecrit(const EcrituresReglages& e) { return Montre(ui, magasin.Ecrire(dessin, e)); }
};

// The same held in a Contexte, for the document.
struct ContexteTemporaire {
    DossierTemporaire dossier;
    UiEnregistreuse ui;
    Contexte ctx{&ui};
    ContexteTemporaire() { ctx.magasin.CheminIni = dossier.Chemin("Korvelin.ini"); }
    // Writes as the windows do: what went wrong shown; false on an error.
    bool Ecrit(const EcrituresReglages& e) { return Montre(ui, ctx.magasin.Ecrire(ctx.dessin, e)); }
};

}  // namespace korvelin::test
