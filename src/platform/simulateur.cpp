#include "platform/simulateur.h"

#include "platform/port.h"

namespace korvelin {

namespace {

struct Lignes {
    uint8_t pas;
    uint8_t direction;
};
// Data register lines of each axis; X has a second pair on bits 6 and 7.
constexpr std::array<Lignes, 3> LignesAxe{{{0x08, 0x04}, {0x02, 0x01}, {0x20, 0x10}}};

}  // namespace

PortSimule::PortSimule(Horloge& horloge, ConfigurationSimulee config, bool enregistrer)
    : horloge_(horloge), config_(config), enregistrer_(enregistrer), debut_(horloge.Lire()) {}

void PortSimule::Note(char registre, uint8_t valeur) {
    if (!enregistrer_ && !SurEcriture) return;
    const EcriturePort e{horloge_.Lire(), registre, valeur};
    if (enregistrer_) ecritures_.push_back(e);
    if (SurEcriture) SurEcriture(e);
}

void PortSimule::EcrireDonnees(uint8_t valeur) {
    if (((valeur >> 4) & 0x0C) != (valeur & 0x0C)) ++incoherencesX_;
    for (std::size_t a = 0; a < 3; ++a) {
        const auto [pas, direction] = LignesAxe[a];
        const bool front = (valeur & pas) && !(donnees_ & pas);
        if (!front) continue;
        int sens = (valeur & direction) ? +1 : -1;
        if (config_.inversion[a]) sens = -sens;
        ++impulsions_[a][sens > 0 ? 0 : 1];
        if (!MoteurEnMarche()) ++pasMoteurArrete_;
    }
    donnees_ = valeur;
    Note('D', valeur);
}

void PortSimule::Controler(uint8_t nouveau) {
    if (nouveau & 0x08)
        ++arrets_;
    else
        ++misesEnMarche_;
    controle_ = nouveau;
    Note('C', nouveau);
}

void PortSimule::MettreBitControle(int bit) { Controler(ValeurControle(controle_, bit, true)); }
void PortSimule::EffacerBitControle(int bit) { Controler(ValeurControle(controle_, bit, false)); }

int64_t PortSimule::Impulsions(Axe axe, int sens) const {
    return impulsions_[static_cast<std::size_t>(axe)][sens > 0 ? 0 : 1];
}

double PortSimule::PositionMm(Axe axe) const {
    return static_cast<double>(PasNets(axe)) * config_.pas[static_cast<std::size_t>(axe)];
}

double PortSimule::DureeProgrammee() const {
    const int64_t f = horloge_.Frequence();
    if (f <= 0) return 0.0;
    return static_cast<double>(horloge_.Lire() - debut_) / static_cast<double>(f);
}

}  // namespace korvelin
