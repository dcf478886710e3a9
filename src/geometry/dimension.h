#pragma once
// The arithmetic of the rescaling dialog F_Dimension, shared by the window and the
// command-line converter. Each box is held as the text it shows; behind a value the
// dialog computed stands the exact number, so a ratio derived from a typed size is not cut
// to the digits on screen.

#include <optional>
#include <string>
#include <vector>

#include "settings/contexte.h"

namespace korvelin {

class ModeleDimension {
public:
    std::string H_Initial, V_Initial;
    std::string H_Rapport, V_Rapport;
    std::string H_Resultat, V_Resultat;
    bool Proportions = true;

    void Charger(Contexte& ctx);        // ChargeRapports, then every box
    void ValiderHRapport();
    void ValiderVRapport();
    void ValiderHResultat();
    void ValiderVResultat();
    void CliquerProportions(bool coche);
    // The ratios the boxes stand for; nothing when one is not a number above zero.
    std::optional<double> RapportH() const;
    std::optional<double> RapportV() const;
    // Closing by "Valider" or the close box: stores both ratios and sets RapportH, RapportV.
    // A ratio of zero, below zero or not a number is refused: the text says why, and
    // nothing is stored.
    std::string Fermer(Contexte& ctx);

private:
    using Champ = std::string ModeleDimension::*;
    struct Exact {
        Champ champ;
        std::string montre;
        double valeur;
    };
    std::vector<Exact> exacts_;

    void Pose(Champ champ, double v);
    void Copie(Champ vers, Champ depuis);
    double Valeur(Champ champ) const;
    void Produit(Champ resultat, Champ initial, Champ rapport);
    void NettoieRapport(Champ rapport);
    bool RapportDepuisResultat(Champ initial, Champ resultat, Champ rapport);
    void Reporte(Champ rapport, Champ autreRapport, Champ autreInitial, Champ autreResultat);
};

// A "." typed in one of the editable boxes arrives as ",".
char ToucheDimension(char touche);

}  // namespace korvelin
