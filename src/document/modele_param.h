#pragma once
// What the parameters dialog F_Param does, without the window: the texts of its boxes,
// the settings its handlers change at once, the colours of its labels, and the one batch
// its OK stores. The dialog is a thin shell that shows these texts and calls these
// handlers.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/document.h"
#include "settings/magasin.h"

namespace korvelin {

class ModeleParam {
public:
    // An editable box: its control name, the key it stores under, and the speed boxes
    // it feeds.
    struct Boite {
        std::string_view nom;
        std::string_view cle;
    };
    // A speed box, from a minimum time and the pitch and step count of its axis.
    struct BoiteVitesse {
        std::string_view nom;
        double Parametres::*temps;
        double Parametres::*pas;
        int16_t Parametres::*nbPas;
    };
    // The boxes of the settings, in the order of the machine description.
    static const std::vector<Boite>& Boites();
    static const std::vector<BoiteVitesse>& BoitesVitesses();
    // Settings beyond the machine description that the dialog also shows as boxes, their
    // keys being their control names; only those the settings table holds.
    static std::vector<std::string_view> BoitesSupplementaires();

    static constexpr std::array<std::string_view, 5> ClesCouleurs = {
        "CouleurNumero", "CouleurSequence", "CouleurSelectionne", "CouleurDeselectionne", "CouleurDecalage"};

    explicit ModeleParam(Document& doc);

    // Fills every box from the settings (the margins read again from the store, so margin
    // edits that were cancelled are lost here). Recomputes nothing.
    void Charger();

    const Parametres& Valeurs() const { return doc_.Reglages(); }
    // The text of a box by its control name (speed boxes included); empty for no box.
    const std::string& Texte(std::string_view nom) const;
    // A box left or confirmed: the value stored in its setting, the speeds of its axis
    // shown again; the cutter radius recomputes every offset path.
    void Valider(std::string_view nom, std::string_view texte);

    // The offset side (1, 2, 3) and the two optimisations recompute every offset path.
    void ChoisirCote(int16_t cote);
    void CocherOptimisation(int numero, bool coche);
    // The others only change their setting.
    void CocherInversion(char axe, bool coche);
    void CocherAffichageCalcul(bool coche) {
        doc_.ModifieReglages([coche](Parametres& q) { q.AffichageCalcul = coche; });
    }
    void CocherConfirmSuppr(bool coche) {
        doc_.ModifieReglages([coche](Parametres& q) { q.ConfirmSuppr = coche; });
    }
    void ChoisirPort(int16_t option) {
        doc_.ModifieReglages([option](Parametres& q) { q.OptionLPT = option; });
    }
    void ChangerIntervalle(int valeur);
    bool OrientationAuto = false;  // stored at OK only

    // The colours the five labels are drawn in (red + 256·green + 65536·blue); they reach
    // the settings at OK only. A cancelled pick (no colour) keeps the label's colour.
    std::array<int32_t, 5> Couleurs{};
    void ChoisirCouleur(int index, std::optional<int32_t> couleur);
    // The five colour keys back to their defaults in the store at once, then every box
    // filled again.
    void ValeursCouleursParDefaut();

    // Every value in the dialog's order, as OK stores them in one batch.
    EcrituresReglages Ecritures();
    // OK: the colours taken from the labels, the port address set, everything stored.
    bool Ok();

    static constexpr int IntervalleMin = 50, IntervalleMax = 1000, IntervallePas = 25;

private:
    const Parametres& p() const { return doc_.Reglages(); }
    void MontreVitesses();
    void ChangeDecalage(double rayon, int16_t cote);

    Document& doc_;
    std::vector<std::pair<std::string, std::string>> textes_;
};

// A number as the settings store keeps it whatever the locale: "." as decimal point, no
// thousands separator, a leading blank when it is not negative (" 275", "-3").
std::string TexteNombreNeutre(double v);

}  // namespace korvelin
