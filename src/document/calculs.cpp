#include "document/calculs.h"

#include <type_traits>
#include <utility>

#include "geometry/index_sequences.h"

namespace korvelin {

namespace {

// The computation with the busy pointer shown, and its diagnostics before it goes.
template <class Calcul>
auto Occupe(const Parametres& p, InterfaceUtilisateur& ui, Calcul&& calcul) {
    ui.Sablier(true);
    auto resultat = calcul(ReglagesDecalageDe(p), SuiviDe(p, ui));
    if constexpr (std::is_same_v<decltype(resultat), Diagnostics>)
        Signale(ui, resultat);
    else
        Signale(ui, resultat.diagnostics);
    ui.Sablier(false);
    return resultat;
}

// The geometry's notes ("Problème d'intersection") have always come without an icon.
Icone IconeCalcul(Gravite g) { return g == Gravite::Information ? Icone::Aucune : IconeDe(g); }

void CorrigeNbPoints(Dessin& d) {
    if (d.NbPoints > static_cast<int32_t>(d.Trace_Initial.size())) d.NbPoints = NbPointsUtiles(d);
}

}  // namespace

void Signale(InterfaceUtilisateur& ui, const Diagnostics& diagnostics) {
    for (const Diagnostic& x : diagnostics)
        // The one trace the cutter cannot follow at all has always been told under this title.
        ui.Message(x.message, x.message == MessageRayonTropGrand ? "Erreur" : TitreProgramme, IconeCalcul(x.gravite));
}

SuiviDecalage SuiviDe(const Parametres& p, InterfaceUtilisateur& ui) {
    InterfaceUtilisateur* u = &ui;
    return {[u](std::string_view texte) { u->TexteStatut(5, texte); }, p.AffichageCalcul};
}

void CalculDecalageTout(Dessin& d, const Parametres& p, InterfaceUtilisateur& ui) {
    Occupe(p, ui, [&](const ReglagesDecalage& r, const SuiviDecalage& s) { return Redecale(d, r, s); });
}

void DecalageSequence(Dessin& d, const Parametres& p, InterfaceUtilisateur& ui, Code2 etiquette) {
    if (etiquette == AucuneSequence) return;
    CorrigeNbPoints(d);
    Occupe(p, ui, [&](const ReglagesDecalage& r, const SuiviDecalage& s) {
        ResultatDecalage res = korvelin::DecalageSequence(d, std::move(d.Trace_Decale), etiquette, r, s);
        d.Trace_Decale = std::move(res.chemins);
        return std::move(res.diagnostics);
    });
}

void SoudureAutomatique(Dessin& d, const Parametres& p, InterfaceUtilisateur& ui) {
    Occupe(p, ui,
           [&](const ReglagesDecalage& r, const SuiviDecalage& s) { return korvelin::SoudureAutomatique(d, r, s); });
    ui.Rafraichir();
}

void Miroir(Dessin& d, const Parametres& p, InterfaceUtilisateur& ui) {
    Occupe(p, ui, [&](const ReglagesDecalage& r, const SuiviDecalage& s) { return korvelin::Miroir(d, r, s); });
    ui.Rafraichir();
}

int32_t OrientationAutomatique(Dessin& d, const Parametres& p, InterfaceUtilisateur& ui) {
    return Occupe(p, ui,
                  [&](const ReglagesDecalage& r, const SuiviDecalage& s) {
                      return korvelin::OrientationAutomatique(d, r, s);
                  })
        .inverses;
}

ResultatOrdre OrdreAutomatique(Dessin& d, const Parametres& p, InterfaceUtilisateur& ui) {
    return Occupe(
        p, ui, [&](const ReglagesDecalage& r, const SuiviDecalage& s) { return korvelin::OrdreAutomatique(d, r, s); });
}

}  // namespace korvelin
