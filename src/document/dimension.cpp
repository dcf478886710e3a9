#include "document/dimension.h"

#include <algorithm>
#include <cmath>

#include "model/nombres.h"
#include "settings/reglages.h"

namespace korvelin {

using M = ModeleDimension;

void M::Pose(Champ champ, double v) {
    this->*champ = EcritureAffichage(v);
    for (Exact& e : exacts_)
        if (e.champ == champ) {
            e = {champ, this->*champ, v};
            return;
        }
    exacts_.push_back({champ, this->*champ, v});
}

void M::Copie(Champ vers, Champ depuis) {
    const std::string texte = this->*depuis;
    for (const Exact& e : exacts_)
        if (e.champ == depuis && e.montre == texte) {
            Pose(vers, e.valeur);
            this->*vers = texte;
            return;
        }
    this->*vers = texte;
}

// A box still showing what the dialog wrote stands for the exact value behind it; a box
// the user typed into is read as typed, the locale way first.
double M::Valeur(Champ champ) const {
    const std::string& texte = this->*champ;
    for (const Exact& e : exacts_)
        if (e.champ == champ && e.montre == texte) return e.valeur;
    return LectureLocaleOuPlain(texte);
}

void M::Produit(Champ resultat, Champ initial, Champ rapport) { Pose(resultat, Valeur(initial) * Valeur(rapport)); }

// A ratio box left with something that is not a number keeps the number it starts with.
void M::NettoieRapport(Champ rapport) {
    if (!LectureLocale(this->*rapport)) Pose(rapport, LecturePlain(this->*rapport));
}

// A typed result gives the ratio; the decimal comma counts, so 150,5 means 150.5.
bool M::RapportDepuisResultat(Champ initial, Champ resultat, Champ rapport) {
    const double taille = Valeur(initial);
    if (taille == 0.0) return false;
    const std::string& texte = this->*resultat;
    const bool tape = std::none_of(exacts_.begin(), exacts_.end(),
                                   [&](const Exact& e) { return e.champ == resultat && e.montre == texte; });
    Pose(rapport, (tape ? LectureSaisie(texte) : Valeur(resultat)) / taille);
    return true;
}

void M::Reporte(Champ rapport, Champ autreRapport, Champ autreInitial, Champ autreResultat) {
    if (!Proportions) return;
    Copie(autreRapport, rapport);
    Produit(autreResultat, autreInitial, autreRapport);
}

void M::Charger(double largeur, double hauteur, double rapportH, double rapportV) {
    exacts_.clear();
    Pose(&M::V_Rapport, rapportV);
    Pose(&M::H_Rapport, rapportH);
    Pose(&M::H_Initial, largeur);
    Pose(&M::V_Initial, hauteur);
    Produit(&M::H_Resultat, &M::H_Rapport, &M::H_Initial);
    Produit(&M::V_Resultat, &M::V_Rapport, &M::V_Initial);
}

void M::ValiderHRapport() {
    NettoieRapport(&M::H_Rapport);
    Produit(&M::H_Resultat, &M::H_Initial, &M::H_Rapport);
    Reporte(&M::H_Rapport, &M::V_Rapport, &M::V_Initial, &M::V_Resultat);
}

void M::ValiderVRapport() {
    NettoieRapport(&M::V_Rapport);
    Produit(&M::V_Resultat, &M::V_Initial, &M::V_Rapport);
    Reporte(&M::V_Rapport, &M::H_Rapport, &M::H_Initial, &M::H_Resultat);
}

void M::ValiderHResultat() {
    if (!RapportDepuisResultat(&M::H_Initial, &M::H_Resultat, &M::H_Rapport)) return;
    Reporte(&M::H_Rapport, &M::V_Rapport, &M::V_Initial, &M::V_Resultat);
}

void M::ValiderVResultat() {
    if (!RapportDepuisResultat(&M::V_Initial, &M::V_Resultat, &M::V_Rapport)) return;
    Reporte(&M::V_Rapport, &M::H_Rapport, &M::H_Initial, &M::H_Resultat);
}

void M::CliquerProportions(bool coche) {
    Proportions = coche;
    if (coche) Copie(&M::V_Rapport, &M::H_Rapport);
}

std::optional<double> M::RapportH() const {
    const double v = Valeur(&M::H_Rapport);
    return RapportUtilisable(v) ? std::optional(v) : std::nullopt;
}

std::optional<double> M::RapportV() const {
    const double v = Valeur(&M::V_Rapport);
    return RapportUtilisable(v) ? std::optional(v) : std::nullopt;
}

std::string M::Fermer() const {
    const auto h = RapportH(), v = RapportV();
    if (!h || !v)
        return std::string("Le rapport ") + (h ? "vertical" : "horizontal") + " « " + (h ? V_Rapport : H_Rapport) +
               " » n'est pas utilisable : il faut un nombre plus grand que zéro, par exemple 0,025 "
               "pour un fichier de traceur.";
    return {};
}

char ToucheDimension(char touche) { return touche == '.' ? ',' : touche; }

}  // namespace korvelin

namespace korvelin {

Rapports DimensionSansDialogue::Demande(ModeleDimension& modele) {
    return {modele.RapportH().value_or(0.0), modele.RapportV().value_or(0.0)};
}

}  // namespace korvelin
