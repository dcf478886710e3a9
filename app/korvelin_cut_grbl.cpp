#include "korvelin_cut_grbl.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <iostream>
#include <thread>

#include <unistd.h>

#include "grbl/liaison_grbl.h"
#include "machining/gcode_memoire.h"
#include "model/nombres.h"

namespace korvelin::cli {

namespace {

using namespace std::chrono_literals;
using namespace korvelin::grbl;

std::atomic<bool> interruption{false};

extern "C" void SurInterruption(int) { interruption = true; }

void Erreur(const std::string& texte) { std::cerr << texte << '\n'; }

int CodeDeFin(EtatTravail e) {
    switch (e) {
        case EtatTravail::Termine: return 0;
        case EtatTravail::Erreur: return CodeErreurGrbl;
        case EtatTravail::Alarme: return CodeAlarmeGrbl;
        case EtatTravail::Coupe: return CodeLiaison;
        case EtatTravail::Arrete: return CodeInterrompu;
        case EtatTravail::Aucun:
        case EtatTravail::EnCours: break;
    }
    return 1;
}

void Messages(LiaisonGrbl& liaison) {
    for (const std::string& m : liaison.Messages()) Erreur(m);
}

// Waits up to 10 s for the board to answer with its state, and its work offset when it
// homes. False, after saying why, when it did not.
bool AttendCarte(LiaisonGrbl& liaison, const std::string& chemin) {
    std::cerr << "Connexion à GRBL sur " << chemin << "…\n";
    const auto limite = grbl::Horloge::now() + 10s;
    while (liaison.Active() && grbl::Horloge::now() < limite) {
        const Instantane e = liaison.Etat();
        if (e.liaison == EtatLiaison::Prete && e.rapport.etat != EtatMachine::Inconnu &&
            (e.wco || !e.reglages.OrigineActive()))
            break;
        std::this_thread::sleep_for(10ms);
    }
    Messages(liaison);
    const Instantane e = liaison.Etat();
    if (e.liaison == EtatLiaison::Prete && e.rapport.etat != EtatMachine::Inconnu) return true;
    if (liaison.Active()) Erreur("GRBL ne répond pas sur " + chemin + ".");
    return false;
}

// The progress until the job ends; Ctrl-C resets the board. The job's end state.
EtatTravail SuitTravail(LiaisonGrbl& liaison) {
    struct sigaction action {};
    action.sa_handler = SurInterruption;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    const bool terminal = ::isatty(2);
    std::size_t dernierDixieme = 0;
    auto prochain = grbl::Horloge::now();
    bool arretDemande = false;
    Instantane e;
    while (true) {
        e = liaison.Etat();
        if (e.travail != EtatTravail::EnCours) break;
        if (interruption && !arretDemande) {
            arretDemande = true;
            liaison.Avec([](Automate& m) { m.ArretUrgence(); });
            continue;
        }
        Messages(liaison);
        if (grbl::Horloge::now() >= prochain) {
            const std::size_t dixieme = e.lignesTotal ? e.lignesAcquittees * 10 / e.lignesTotal : 0;
            if (terminal)
                std::cerr << '\r' << TexteProgression(e) << "\x1b[K" << std::flush;
            else if (dixieme > dernierDixieme)
                std::cerr << TexteProgression(e) << '\n';
            dernierDixieme = dixieme;
            prochain = grbl::Horloge::now() + 200ms;
        }
        std::this_thread::sleep_for(10ms);
    }
    if (terminal) std::cerr << '\r' << TexteProgression(e) << "\x1b[K\n";
    // Leave the reset time to go out before the port closes.
    if (e.travail == EtatTravail::Arrete || e.travail == EtatTravail::Erreur) std::this_thread::sleep_for(300ms);
    Messages(liaison);
    return e.travail;
}

}  // namespace

int EnvoieGrbl(const PosteTravail& poste, InterfaceUtilisateur& ui, const Options& o, const TravailCUT& t) {
    TotauxCUT totaux;
    Diagnostics dits;
    const std::optional<std::string> texte = ProgrammeGCode(poste, t, DialecteGCode::GRBL, totaux, dits);
    Montre(ui, dits);
    if (!texte) return 1;
    auto prepare = PrepareProgramme(*texte);
    if (const std::string* refus = std::get_if<std::string>(&prepare)) {
        Erreur(*refus);
        return 1;
    }
    const Programme& programme = std::get<Programme>(prepare);

    std::string raison;
    std::unique_ptr<Transport> port = OuvrePortSerie(o.grbl, o.debit, raison);
    if (!port) {
        Erreur(raison);
        return CodeLiaison;
    }
    LiaisonGrbl liaison(std::move(port));
    if (!AttendCarte(liaison, o.grbl)) return CodeLiaison;

    std::size_t depuis = 0;
    std::vector<LigneProgramme> approche;
    if (o.reprise) {
        const Analyse a = Rejoue(programme, liaison.Etat().reglages.Rapides());
        const std::optional<std::size_t> index = IndexDeLigne(programme, static_cast<std::size_t>(*o.reprise));
        if (!index) {
            Erreur("Le programme n'a aucune ligne à partir de la ligne " + TexteEntier(*o.reprise) + ".");
            return 1;
        }
        depuis = DebutDuContour(programme, a, *index);
        approche = ApprocheReprise(programme, a, depuis);
        std::cerr << "Reprise à la ligne " << TexteEntier(programme.lignes[depuis].numero)
                  << " du G-code, début du contour, après une approche par le haut.\n";
    }
    if (const auto refus = liaison.Avec([&](Automate& m) { return m.Lance(programme, depuis, std::move(approche)); })) {
        Erreur(*refus);
        return liaison.Etat().rapport.etat == EtatMachine::Alarme ? CodeAlarmeGrbl : 1;
    }
    return CodeDeFin(SuitTravail(liaison));
}

}  // namespace korvelin::cli
