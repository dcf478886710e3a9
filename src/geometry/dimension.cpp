#include "geometry/dimension.h"

#include "model/nombres.h"
#include "settings/magasin.h"

namespace korvelin {

namespace {

// The boxes the dialog computes from always hold numbers it wrote itself; the plain
// reading only stands in for a text that somehow is not one.
double Valeur(const std::string& texte) { return LectureLocaleOuPlain(texte); }

std::string Produit(const std::string& a, const std::string& b) {
    return EcritureLocale(Valeur(a) * Valeur(b));
}

// A ratio box left with something that is not a number keeps the number it starts with.
void NettoieRapport(std::string& rapport) {
    if (!LectureLocale(rapport)) rapport = EcritureLocale(LecturePlain(rapport));
}

// A typed result gives the ratio; the decimal comma counts, so 150,5 means 150.5.
bool RapportDepuisResultat(const std::string& initial, const std::string& resultat,
                           std::string& rapport) {
    const double taille = Valeur(initial);
    if (taille == 0.0) return false;
    rapport = EcritureLocale(LectureSaisie(resultat) / taille);
    return true;
}

}  // namespace

void ModeleDimension::Charger(Contexte& ctx) {
    ChargeRapports(ctx);
    const Dessin& d = ctx.dessin;
    V_Rapport = EcritureLocale(ctx.parametres.RapportV);
    H_Rapport = EcritureLocale(ctx.parametres.RapportH);
    H_Initial = EcritureLocale(d.Xmax - d.Xmin);
    V_Initial = EcritureLocale(d.Ymax - d.Ymin);
    H_Resultat = Produit(H_Rapport, H_Initial);
    V_Resultat = Produit(V_Rapport, V_Initial);
}

void ModeleDimension::ValiderHRapport() {
    NettoieRapport(H_Rapport);
    H_Resultat = Produit(H_Initial, H_Rapport);
    if (Proportions) {
        V_Rapport = H_Rapport;
        V_Resultat = Produit(V_Initial, V_Rapport);
    }
}

void ModeleDimension::ValiderVRapport() {
    NettoieRapport(V_Rapport);
    V_Resultat = Produit(V_Initial, V_Rapport);
    if (Proportions) {
        H_Rapport = V_Rapport;
        H_Resultat = Produit(H_Initial, H_Rapport);
    }
}

void ModeleDimension::ValiderHResultat() {
    if (!RapportDepuisResultat(H_Initial, H_Resultat, H_Rapport)) return;
    if (Proportions) {
        V_Rapport = H_Rapport;
        V_Resultat = Produit(V_Initial, V_Rapport);
    }
}

void ModeleDimension::ValiderVResultat() {
    if (!RapportDepuisResultat(V_Initial, V_Resultat, V_Rapport)) return;
    if (Proportions) {
        H_Rapport = V_Rapport;
        H_Resultat = Produit(H_Initial, H_Rapport);
    }
}

void ModeleDimension::CliquerProportions(bool coche) {
    Proportions = coche;
    if (coche) V_Rapport = H_Rapport;
}

void ModeleDimension::Fermer(Contexte& ctx) {
    const std::string& type = ctx.dessin.TypeFichier;
    EcrireParametres(ctx, {{type + "RapportV", V_Rapport}, {type + "RapportH", H_Rapport}});
    ctx.parametres.RapportV = Valeur(V_Rapport);
    ctx.parametres.RapportH = Valeur(H_Rapport);
}

char ToucheDimension(char touche) { return touche == '.' ? ',' : touche; }

}  // namespace korvelin
