#include "machining/simulation.h"

#include <algorithm>
#include <cstdio>
#include <iostream>

#include "machining/fraisage.h"
#include "machining/motifs.h"
#include "model/nombres.h"
#include "platform/fichier.h"
#include "platform/simulateur.h"

namespace korvelin {

ConfigurationSimulee ConfigurationDe(const Parametres& v) {
    ConfigurationSimulee c;
    c.pas = {LongueurPas(v.Pas_X, v.NbPas_X), LongueurPas(v.Pas_Y, v.NbPas_Y), LongueurPas(v.Pas_Z, v.NbPas_Z)};
    c.inversion = {v.InversionSens_X, v.InversionSens_Y, v.InversionSens_Z};
    return c;
}

std::string TexteJournal(const std::vector<EcriturePort>& ecritures, int64_t frequence) {
    std::string texte;
    texte.reserve(ecritures.size() * 20);
    char ligne[64];
    for (const auto& e : ecritures) {
        const int64_t secondes = e.temps / frequence;
        const int64_t micro = (e.temps % frequence) * 1'000'000 / frequence;
        const int n = std::snprintf(ligne, sizeof ligne, "%lld.%06lld %c %02X\n", static_cast<long long>(secondes),
                                    static_cast<long long>(micro), e.registre, e.valeur);
        texte.append(ligne, static_cast<std::size_t>(n));
    }
    return texte;
}

namespace {

void Resume(std::ostream& sortie, const PortSimule& port) {
    static constexpr const char* Noms[3] = {"X", "Y", "Z"};
    for (int a = 0; a < 3; ++a) {
        const auto axe = static_cast<Axe>(a);
        sortie << "Axe " << Noms[a] << " : " << port.Impulsions(axe, +1) << " impulsions en sens positif, "
               << port.Impulsions(axe, -1) << " en sens négatif ; pas nets " << port.PasNets(axe)
               << " ; position finale " << FormatFixe(port.PositionMm(axe), 4, ',') << " mm\n";
    }
    sortie << "Durée programmée : " << FormatFixe(port.DureeProgrammee(), 4, ',') << " s\n";
    sortie << "Moteur : " << port.MisesEnMarche() << " mises en marche, " << port.Arrets() << " arrêts\n";
    if (port.PasMoteurArrete() > 0) {
        sortie << "Attention : " << port.PasMoteurArrete() << " pas envoyés moteur arrêté\n";
    }
}

}  // namespace

int LanceSimulation(Contexte& ctx, const OptionsSimulation& options, std::ostream& sortie) {
    if (options.Test > 2) {
        ctx.ui->Message("Motif de test inconnu : " + std::to_string(options.Test) + " (0, 1 ou 2).", TitreProgramme,
                        Icone::Critique);
        return 1;
    }
    HorlogeVirtuelle horloge;
    PortSimule port(horloge, ConfigurationDe(ctx.parametres), !options.Journal.empty());
    Machine machine(port, horloge, ctx.parametres);
    const std::atomic<bool> jamais{false};
    const TravailFraisage travail{options.HautDeg, options.ProfFraisage};

    const int32_t passesAvant = ctx.parametres.NbPasse;
    ctx.parametres.NbPasse = std::max<int32_t>(1, options.NbPasse);
    CompteRendu cr;
    if (options.Test >= 0) {
        cr = MotifTest(ctx, machine, options.Test, options.DimensionTest, travail, jamais);
    } else if (options.Serie) {
        auto seize = [](int32_t n) { return static_cast<int16_t>(std::clamp<int32_t>(n, -32768, 32767)); };
        const Serie serie{seize(options.NbX), seize(options.NbY), static_cast<float>(options.DecalX),
                          static_cast<float>(options.DecalY)};
        cr = FraisageSerie(ctx, machine, travail, serie, jamais);
    } else {
        cr = FraisageExemplaire(ctx, machine, travail, jamais);
    }
    ctx.parametres.NbPasse = passesAvant;
    if (cr.issue != Issue::Terminee) return 1;

    if (!options.Journal.empty() &&
        !EcrireFichierAtomique(options.Journal, TexteJournal(port.Ecritures(), horloge.Frequence()))) {
        ctx.ui->Message("Impossible d'écrire le journal " + options.Journal, TitreProgramme, Icone::Critique);
        return 1;
    }
    Resume(sortie, port);
    return 0;
}

int LanceSimulation(Contexte& ctx, const OptionsSimulation& options) {
    return LanceSimulation(ctx, options, std::cout);
}

}  // namespace korvelin
