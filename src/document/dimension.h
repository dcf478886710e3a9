#pragma once
// The arithmetic of the rescaling dialog F_Dimension, shared by the window and the
// command-line converter. Each box is held as the text it shows; behind a value the
// dialog computed stands the exact number, so a ratio derived from a typed size is not cut
// to the digits on screen.

#include <optional>
#include <string>
#include <vector>

namespace korvelin {

class ModeleDimension {
public:
    std::string H_Initial, V_Initial;
    std::string H_Rapport, V_Rapport;
    std::string H_Resultat, V_Resultat;
    bool Proportions = true;

    // Every box, for a drawing of that size in file units and the ratios of its type.
    void Charger(double largeur, double hauteur, double rapportH, double rapportV);
    void ValiderHRapport();
    void ValiderVRapport();
    void ValiderHResultat();
    void ValiderVResultat();
    void CliquerProportions(bool coche);
    // The ratios the boxes stand for; nothing when one is not a number above zero.
    std::optional<double> RapportH() const;
    std::optional<double> RapportV() const;
    // Closing by "Valider" or the close box. A ratio of zero, below zero or not a number
    // is refused: the text says why, and the dialog stays. Empty when both ratios can be
    // taken; the import then stores them.
    std::string Fermer() const;

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

// The ratios from file units to millimetres an import applies.
struct Rapports {
    double H = 1.0, V = 1.0;
};

// The rescaling dialog, asked in the middle of an import. Its caller passes it in: the
// window shows F_Dimension, the converter takes its options, a batch run the ratios as
// loaded.
class DemandeDimension {
public:
    virtual ~DemandeDimension() = default;
    // The model comes loaded with the drawing's size and the stored ratios of its type.
    virtual Rapports Demande(ModeleDimension& modele) = 0;
};

// Accepts the ratios as loaded.
class DimensionSansDialogue : public DemandeDimension {
public:
    Rapports Demande(ModeleDimension& modele) override;
};

}  // namespace korvelin
