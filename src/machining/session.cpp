#include "machining/session.h"

#include <pthread.h>
#include <sched.h>
#include <sys/mman.h>

#include "model/nombres.h"

namespace korvelin {

// Measured with 10,000 pulses of 1 ms on a shared two-core virtual machine (bench_machine),
// error of each edge against its scheduled time:
//   normal scheduling        p99 4 to 16 ms, p99.9 8 to 32 ms: any other busy process
//                            takes the core for whole time slices;
//   SCHED_FIFO, polling      p99 1 to 2 µs, p99.9 under 60 µs, but the kernel's real-time
//                            throttling (950 ms in each second) stops the thread for about
//                            50 ms every second;
//   SCHED_FIFO, sleeping     p99 under 1 µs, p99.9 1 to 15 µs, p99.99 0.2 to 1 ms, max
//   through long waits       about 2 ms: the thread is never preempted while it polls (no
//                            gap over 0.1 ms between clock reads, no page fault in a pulse
//                            train), but a few sleeps in 10,000 wake up 1 to 2 ms late. Long
//                            waits therefore poll their last quarter, up to 1 ms (see
//                            AvanceReveil), which absorbs these late wake-ups for pulses of
//                            4 ms and more; a few remain with pulses near 1 ms.
// Without the privilege for SCHED_FIFO the run goes on with normal scheduling.
Ordonnancement OrdonnancementRetenu() { return Ordonnancement::TempsReel; }

namespace {
// A real-time thread sleeps through long waits until this long before the deadline.
constexpr int64_t MargeReveil = 150'000;
}  // namespace

SessionMachine::SessionMachine(Machine& m, const std::atomic<bool>& arret, Ordonnancement ordonnancement)
    : m_(m), arretPrecedent_(m.Arret), depart_(m.PasEnvoyes) {
    m_.Arret = &arret;
    m_.Ancree = false;
    m_.Impulsions = 0;
    m_.ImpulsionsEnRetard = 0;
    m_.UnitesAttendues = 0;
    m_.Origine = m_.PasEnvoyes;
    m_.Ou = {};
    if (!m_.port.Reel() || m_.Comptage) return;
    // No page fault inside a pulse. Refused without the privilege: the run goes on.
    memoireVerrouillee_ = mlockall(MCL_CURRENT | MCL_FUTURE) == 0;
    if (ordonnancement == Ordonnancement::TempsReel) {
        sched_param parametre{};
        if (pthread_getschedparam(pthread_self(), &politiquePrecedente_, &parametre) == 0) {
            prioritePrecedente_ = parametre.sched_priority;
            sched_param fifo{};
            fifo.sched_priority = sched_get_priority_min(SCHED_FIFO) + 1;
            ordonnancementChange_ = pthread_setschedparam(pthread_self(), SCHED_FIFO, &fifo) == 0;
            if (ordonnancementChange_) m_.horloge.ReveilAvantEcheance(MargeReveil);
        }
    }
}

SessionMachine::~SessionMachine() {
    if (ordonnancementChange_) {
        m_.horloge.ReveilAvantEcheance(0);
        sched_param parametre{};
        parametre.sched_priority = prioritePrecedente_;
        pthread_setschedparam(pthread_self(), politiquePrecedente_, &parametre);
    }
    if (memoireVerrouillee_) munlockall();
    m_.Arret = arretPrecedent_;
}

void SessionMachine::Completer(CompteRendu& cr) const {
    const Parametres& v = m_.valeurs;
    cr.impulsions = m_.Impulsions;
    cr.trace = m_.Ou.trace;
    cr.passe = m_.Ou.passe;
    cr.point = m_.Ou.point;
    cr.copie = m_.Ou.copie;
    cr.rangee = m_.Ou.rangee;
    cr.duree = static_cast<double>(m_.UnitesAttendues) * 0.0001;
    cr.impulsionsEnRetard = m_.ImpulsionsEnRetard;
    cr.X = static_cast<double>(m_.PasEnvoyes[0] - depart_[0]) * LongueurPas(v.Pas_X, v.NbPas_X);
    cr.Y = static_cast<double>(m_.PasEnvoyes[1] - depart_[1]) * LongueurPas(v.Pas_Y, v.NbPas_Y);
    cr.Z = static_cast<double>(m_.PasEnvoyes[2] - depart_[2]) * LongueurPas(v.Pas_Z, v.NbPas_Z);
}

void ActionMarcheMoteur(Machine& m) {
    MarcheMoteur(m);
    Attente(m, 0.1);
    if (m.SurMoteur) m.SurMoteur(true);
}

void ActionArretMoteur(Machine& m) {
    ArretMoteur(m);
    if (m.SurMoteur) m.SurMoteur(false);
}

void MinuterieMoteurDeclenchee(Machine& m) {
    if (m.MinuterieMoteurActive) ActionArretMoteur(m);
}

namespace {

std::string Mm(double v) { return FormatFixe(v, 3, ',') + " mm"; }

}  // namespace

CompteRendu CompteRenduRefus(std::string message, std::string titre) {
    CompteRendu cr;
    cr.issue = Issue::Refusee;
    cr.diagnostics.push_back(RefusTravail(std::move(message), std::move(titre)));
    return cr;
}

void AjouteBilan(const Dessin& d, CompteRendu& cr, std::string_view quoi) {
    if (cr.issue == Issue::Interrompue) {
        std::string texte = std::string(quoi) + " interrompu à la demande.";
        if (cr.trace >= 0) {
            const auto& traces = d.Trace_Decale;
            std::string etiquette = static_cast<std::size_t>(cr.trace) < traces.size()
                                        ? traces[static_cast<std::size_t>(cr.trace)].Sequence.Texte()
                                        : std::string();
            etiquette.erase(0, etiquette.find_first_not_of(' '));
            texte += "\r\nArrêt pendant la séquence " + etiquette;
            if (cr.passe > 0) texte += ", passe " + TexteEntier(cr.passe);
            if (cr.point >= 0) texte += ", vers le point " + TexteEntier(cr.point);
            if (cr.copie > 0) {
                texte += ", exemplaire " + TexteEntier(cr.copie) + " de la rangée " + TexteEntier(cr.rangee);
            }
            texte += ".";
        } else if (cr.copie > 0) {
            // Travelling to a copy's zero or back to it, in a series.
            texte += "\r\nArrêt hors des séquences, exemplaire " + TexteEntier(cr.copie) + " de la rangée " +
                     TexteEntier(cr.rangee) + ".";
        }
        texte += "\r\nPosition de l'outil par rapport au départ : X = " + Mm(cr.X) + ", Y = " + Mm(cr.Y) +
                 ", Z = " + Mm(cr.Z) + ".\r\nLe moteur est arrêté.";
        cr.diagnostics.push_back({Gravite::Avertissement, std::move(texte), {}, 0, {}});
    }
    if (cr.impulsionsEnRetard > 0) {
        cr.diagnostics.push_back({Gravite::Avertissement,
                                  TexteEntier(cr.impulsionsEnRetard) + " impulsions sur " + TexteEntier(cr.impulsions) +
                                      " sont parties en retard de plus d'un quart de leur période.\r\n"
                                      "Des pas ont pu être perdus : vérifiez la position de l'outil.",
                                  {},
                                  0,
                                  {}});
    }
}

}  // namespace korvelin
