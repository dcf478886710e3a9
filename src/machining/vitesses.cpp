#include "machining/vitesses.h"

#include <cmath>

#include "model/nombres.h"

namespace korvelin {

namespace {

void RemplaceDans(std::string& texte, std::string_view cherche, std::string_view par) {
    std::size_t pos = 0;
    while ((pos = texte.find(cherche, pos)) != std::string::npos) {
        texte.replace(pos, cherche.size(), par);
        pos += par.size();
    }
}

}  // namespace

std::string TexteVitesse(double tempsMinMs, double pas, int32_t nbPas) {
    if (tempsMinMs == 0.0 || pas == 0.0 || nbPas == 0) return {};
    const double vitesse = (1000.0 / tempsMinMs) * pas / nbPas;
    if (!std::isfinite(vitesse)) return {};
    return FormatFixe(vitesse, 3, ',');
}

std::optional<std::string> ControleVitesse(std::string_view nom, double vitesse, double pas, int32_t nbPas) {
    const std::string debut = "La vitesse " + std::string(nom);
    if (!(vitesse <= VitesseMaxMmS))
        return debut + " dépasse " + FormatFixe(VitesseMaxMmS, 0, ',') + " mm/s : revoir les paramètres.";
    const double pasMm = std::fabs(pas) / nbPas;
    if (nbPas > 0 && std::isfinite(pasMm) && pasMm > 0.0 && vitesse > 0.0 && pasMm / vitesse < ImpulsionMinS)
        return debut + " demande au moteur plus d'un pas par microseconde : revoir les paramètres.";
    return std::nullopt;
}

TextesVitesses TextesVitessesParametres(const Parametres& p) {
    TextesVitesses t;
    t.HMat_X = TexteVitesse(p.TempsMin_HMat_X, p.Pas_X, p.NbPas_X);
    t.Mat_X = TexteVitesse(p.TempsMin_Mat_X, p.Pas_X, p.NbPas_X);
    t.HMat_Y = TexteVitesse(p.TempsMin_HMat_Y, p.Pas_Y, p.NbPas_Y);
    t.Mat_Y = TexteVitesse(p.TempsMin_Mat_Y, p.Pas_Y, p.NbPas_Y);
    t.Descente = TexteVitesse(p.TempsMin_Descente, p.Pas_Z, p.NbPas_Z);
    t.Mat_Z = TexteVitesse(p.TempsMin_Mat_Z, p.Pas_Z, p.NbPas_Z);
    t.Montee = TexteVitesse(p.TempsMin_Montee, p.Pas_Z, p.NbPas_Z);
    return t;
}

std::string NomFichierCUTParDefaut(std::string_view nomFichier) {
    const std::size_t separateur = nomFichier.find_last_of("\\/");
    const std::size_t debutNom = separateur == std::string_view::npos ? 0 : separateur + 1;
    const std::string dossier(nomFichier.substr(0, debutNom));
    std::string nom(nomFichier.substr(debutNom));

    const std::size_t point = nom.rfind('.');
    const std::string extension = point == std::string::npos ? "" : nom.substr(point + 1);
    if (extension == "PLT" || extension == "plt" || extension == "DAT" || extension == "dat") {
        RemplaceDans(nom, ".PLT", ".cut");
        RemplaceDans(nom, ".plt", ".cut");
        RemplaceDans(nom, ".DAT", ".cut");
        RemplaceDans(nom, ".dat", ".cut");
    } else if (point == std::string::npos) {
        nom += ".cut";
    } else {
        nom = nom.substr(0, point + 1) + "cut";
    }
    return dossier + nom;
}

}  // namespace korvelin
