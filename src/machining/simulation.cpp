#include "machining/simulation.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "machining/executant.h"
#include "machining/flux_fichier.h"
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

void AjouteLigneJournal(std::string& texte, const EcriturePort& e, int64_t frequence) {
    const int64_t secondes = e.temps / frequence;
    const int64_t micro = (e.temps % frequence) * 1'000'000 / frequence;
    texte += TexteEntier(secondes);
    texte += '.';
    const std::string fraction = TexteEntier(micro);
    texte.append(fraction.size() < 6 ? 6 - fraction.size() : 0, '0');
    texte += fraction;
    texte += ' ';
    texte += e.registre;
    texte += ' ';
    constexpr char Hex[] = "0123456789ABCDEF";
    const unsigned v = static_cast<unsigned char>(e.valeur);
    texte += Hex[v >> 4];
    texte += Hex[v & 15];
    texte += '\n';
}

std::string TexteJournal(const std::vector<EcriturePort>& ecritures, int64_t frequence) {
    std::string texte;
    texte.reserve(ecritures.size() * 20);
    for (const auto& e : ecritures) AjouteLigneJournal(texte, e, frequence);
    return texte;
}

std::string TexteDuree(double secondes) {
    if (!std::isfinite(secondes) || secondes < 0) secondes = 0;
    const double minutes = std::floor(secondes / 60);
    const double heures = std::floor(minutes / 60);
    std::string t;
    auto deuxChiffres = [](double v) {
        const auto n = static_cast<long long>(v);
        return (n < 10 ? "0" : "") + TexteEntier(n);
    };
    if (heures > 0)
        t = FormatFixe(heures, 0, ',') + " h " + deuxChiffres(minutes - 60 * heures) + " min ";
    else if (minutes > 0)
        t = FormatFixe(minutes, 0, ',') + " min ";
    return t + FormatFixe(secondes - 60 * minutes, 1, ',') + " s";
}

namespace {

void Resume(std::ostream& sortie, const PortSimule& port, const CompteRendu& cr) {
    static constexpr const char* Noms[3] = {"X", "Y", "Z"};
    for (int a = 0; a < 3; ++a) {
        const auto axe = static_cast<Axe>(a);
        sortie << "Axe " << Noms[a] << " : " << port.Impulsions(axe, +1) << " impulsions en sens positif, "
               << port.Impulsions(axe, -1) << " en sens négatif ; pas nets " << port.PasNets(axe)
               << " ; position finale " << FormatFixe(port.PositionMm(axe), 4, ',') << " mm\n";
    }
    sortie << "Durée programmée : " << FormatFixe(port.DureeProgrammee(), 4, ',') << " s\n";
    sortie << "Moteur : " << port.MisesEnMarche() << " mises en marche, " << port.Arrets() << " arrêts\n";
    sortie << "Impulsions en retard : " << cr.impulsionsEnRetard << " sur " << cr.impulsions << "\n";
    sortie << "Position d'arrivée par rapport au départ : X = " << FormatFixe(cr.X, 4, ',')
           << " mm, Y = " << FormatFixe(cr.Y, 4, ',') << " mm, Z = " << FormatFixe(cr.Z, 4, ',') << " mm\n";
    if (port.PasMoteurArrete() > 0) {
        sortie << "Attention : " << port.PasMoteurArrete() << " pas envoyés moteur arrêté\n";
    }
}

DemandeMachine DemandeDe(const OptionsSimulation& options) {
    DemandeMachine d;
    d.travail = {options.HautDeg, options.ProfFraisage};
    if (options.Test >= 0) {
        d.action = ActionMachine::Motif;
        d.option = options.Test;
        d.dimension = options.DimensionTest;
    } else if (options.Serie) {
        d.action = ActionMachine::Serie;
        auto seize = [](int32_t n) { return static_cast<int16_t>(std::clamp<int32_t>(n, -32768, 32767)); };
        d.serie = {seize(options.NbX), seize(options.NbY), static_cast<float>(options.DecalX),
                   static_cast<float>(options.DecalY)};
    }
    return d;
}

}  // namespace

int LanceSimulation(const PosteTravail& poste, const OptionsSimulation& options, Diagnostics& dits,
                    std::ostream& sortie) {
    if (options.Test > 2) {
        dits.push_back(RefusTravail("Motif de test inconnu : " + TexteEntier(options.Test) + " (0, 1 ou 2)."));
        return 1;
    }
    // The job's passes count for this run only.
    Parametres valeurs = poste.parametres;
    valeurs.NbPasse = std::max<int32_t>(1, options.NbPasse);
    const DemandeMachine demande = DemandeDe(options);
    if (options.Estimation) {
        const Estimation e = EstimeDemande({poste.dessin, valeurs}, demande);
        dits.insert(dits.end(), e.diagnostics.begin(), e.diagnostics.end());
        if (!e.acceptee) return 1;
        sortie << "Durée estimée : " << TexteDuree(e.duree) << " (" << FormatFixe(e.duree, 4, ',') << " s)\n"
               << "Impulsions : " << e.impulsions << "\n";
        return 0;
    }

    HorlogeVirtuelle horloge;
    PortSimule port(horloge, ConfigurationDe(valeurs), false);
    Machine machine(port, horloge, valeurs);
    std::atomic<bool> arret{false};
    // The journal goes to its file as the run goes, and stops it past its limit.
    std::unique_ptr<FluxFichier> journal;
    bool tropLong = false;
    if (!options.Journal.empty()) {
        journal = std::make_unique<FluxFichier>(options.Journal);
        if (!journal->Ouvert()) {
            dits.push_back(RefusTravail("Impossible d'écrire le journal " + options.Journal));
            return 1;
        }
        port.SurEcriture = [&](const EcriturePort& e) {
            if (tropLong) return;
            AjouteLigneJournal(journal->tampon, e, horloge.Frequence());
            journal->Verse();
            if (journal->Taille() > options.TailleMaxJournal) {
                tropLong = true;
                arret = true;
            }
        };
    }
    const CompteRendu cr = ExecuteDemande({poste.dessin, valeurs}, machine, demande, arret);
    // The stop report of a run ended by the size limit would say it was asked for.
    if (tropLong) {
        dits.push_back(RefusTravail("Le journal dépasse 1 Go : simulation arrêtée, aucun journal écrit."));
        return 1;
    }
    dits.insert(dits.end(), cr.diagnostics.begin(), cr.diagnostics.end());
    if (cr.issue != Issue::Terminee) return 1;
    if (journal && !journal->Termine()) {
        dits.push_back(RefusTravail("Impossible d'écrire le journal " + options.Journal));
        return 1;
    }
    Resume(sortie, port, cr);
    return 0;
}

}  // namespace korvelin
