#include "document/calculs_contexte.h"

#include <type_traits>
#include <utility>

#include "geometry/index_sequences.h"

namespace korvelin {

namespace {

// The computation with the busy pointer shown, and its diagnostics before it goes.
template <class Calcul>
auto Occupe(Contexte& ctx, Calcul&& calcul) {
    ctx.ui->Sablier(true);
    auto resultat = calcul(ReglagesDecalageDe(ctx.parametres), SuiviDe(ctx));
    if constexpr (std::is_same_v<decltype(resultat), Diagnostics>)
        Signale(*ctx.ui, resultat);
    else
        Signale(*ctx.ui, resultat.diagnostics);
    ctx.ui->Sablier(false);
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

SuiviDecalage SuiviDe(const Contexte& ctx) {
    InterfaceUtilisateur* ui = ctx.ui;
    return {[ui](std::string_view texte) { ui->TexteStatut(5, texte); }, ctx.parametres.AffichageCalcul};
}

void CalculDecalageTout(Contexte& ctx) {
    Occupe(ctx, [&](const ReglagesDecalage& r, const SuiviDecalage& s) { return Redecale(ctx.dessin, r, s); });
}

void DecalageSequence(Contexte& ctx, Code2 etiquette) {
    if (etiquette == AucuneSequence) return;
    Dessin& d = ctx.dessin;
    CorrigeNbPoints(d);
    Occupe(ctx, [&](const ReglagesDecalage& r, const SuiviDecalage& s) {
        ResultatDecalage res = korvelin::DecalageSequence(d, std::move(d.Trace_Decale), etiquette, r, s);
        d.Trace_Decale = std::move(res.chemins);
        return std::move(res.diagnostics);
    });
}

void SoudureAutomatique(Contexte& ctx) {
    Occupe(ctx, [&](const ReglagesDecalage& r, const SuiviDecalage& s) {
        return korvelin::SoudureAutomatique(ctx.dessin, r, s);
    });
    ctx.ui->Rafraichir();
}

void Miroir(Contexte& ctx) {
    Occupe(ctx, [&](const ReglagesDecalage& r, const SuiviDecalage& s) { return korvelin::Miroir(ctx.dessin, r, s); });
    ctx.ui->Rafraichir();
}

int32_t OrientationAutomatique(Contexte& ctx) {
    return Occupe(ctx, [&](const ReglagesDecalage& r,
                           const SuiviDecalage& s) { return korvelin::OrientationAutomatique(ctx.dessin, r, s); })
        .inverses;
}

ResultatOrdre OrdreAutomatique(Contexte& ctx) {
    return Occupe(ctx, [&](const ReglagesDecalage& r, const SuiviDecalage& s) {
        return korvelin::OrdreAutomatique(ctx.dessin, r, s);
    });
}

}  // namespace korvelin
