#pragma once
// Machine actions run on a thread of their own, so that the window stays alive, shows the
// progress and can stop a run at once. The thread owns the Machine, the port and copies of
// the settings and of the offset paths taken when the action starts; it reaches the window
// only through a queue of events the window polls.

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "machining/fraisage.h"
#include "machining/session.h"
#include "model/interface_utilisateur.h"

namespace korvelin {

// MinuterieMoteur: the automatic motor-off timer firing (acts once a run has enabled it).
enum class ActionMachine { Exemplaire, Serie, Motif, Fleche, Deplacement, MarcheMoteur, ArretMoteur, MinuterieMoteur };

// One action and the values it needs (each action reads its own).
struct DemandeMachine {
    ActionMachine action = ActionMachine::Exemplaire;
    TravailFraisage travail;
    Serie serie;
    int option = 0;          // test pattern
    double dimension = 0.0;  // its size, mm
    int fleche = 0, touches = 0;
    std::string texteX = "0", texteY = "0", texteZ = "0";  // typed move
};

// Runs the action on this machine; the stop request is looked at before every pulse. The
// report holds what the action has to say: refusal, stop, late pulses.
CompteRendu ExecuteDemande(const PosteTravail& poste, Machine& m, const DemandeMachine& d,
                           const std::atomic<bool>& arret);

// The action's exact duration and pulses from a dry run on the virtual clock, every pulse
// counted, none sent; refused, with the reason in its diagnostics, as the run would be.
struct Estimation {
    bool acceptee = false;
    double duree = 0.0;  // s
    int64_t impulsions = 0;
    std::array<int64_t, 3> pas{};  // net steps per axis at the end
    Diagnostics diagnostics;
};
Estimation EstimeDemande(const PosteTravail& poste, const DemandeMachine& d);

struct Avancement {
    Emplacement ou;
    double fraction = 0.0;  // of the estimated duration, 0 to 1
    double resteSecondes = 0.0;
};

// Progress is not queued: the window reads the latest one (DernierAvancement), so that the
// pulse thread neither allocates nor waits for a lock the window might hold.
struct EvenementMachine {
    enum class Genre { Estimation, Moteur, Message, Fin };
    Genre genre = Genre::Fin;
    Estimation estimation;
    bool moteurEnMarche = false;
    std::string texte, titre;
    Icone icone = Icone::Aucune;
    CompteRendu fin;  // the end report: issue, place, position, late pulses
};

// Events pushed by the machine thread, taken all at once by the window.
class FileEvenements {
public:
    void Pousse(EvenementMachine e);
    std::vector<EvenementMachine> Releve();

private:
    std::mutex verrou_;
    std::deque<EvenementMachine> file_;
};

class ExecutantMachine {
public:
    ExecutantMachine(std::unique_ptr<Port> port, std::unique_ptr<Horloge> horloge);
    // Stops a running action and waits for its thread.
    ~ExecutantMachine();
    ExecutantMachine(const ExecutantMachine&) = delete;
    ExecutantMachine& operator=(const ExecutantMachine&) = delete;

    // Starts the action with copies of the settings and of the offset paths (the spare last
    // entry included). False, with nothing started, while another action runs.
    bool Lance(const DemandeMachine& d, const Parametres& valeurs, const std::vector<SequenceDecalee>& traces);
    // Stop request: honoured before the next pulse, motor output off.
    void Arrete();
    bool EnCours() const { return enCours_.load(); }
    // Waits for the running action to end.
    void Attend();
    std::vector<EvenementMachine> Releve() { return file_.Releve(); }
    // Where the running action stands, the fraction of its estimated duration done and the
    // time left.
    Avancement DernierAvancement() const;
    bool PortSimule() const { return !port_->Reel(); }
    // The machine as it stands, for measurements once the thread has ended or from the port.
    const Machine& MachineCourante() const { return *machine_; }

private:
    void Deroule(DemandeMachine d);

    std::unique_ptr<Port> port_;
    std::unique_ptr<Horloge> horloge_;
    FileEvenements file_;
    // What an action's report has to say goes into the queue, for the window to show.
    void PousseMessages(const Diagnostics& diagnostics);
    // Copies taken when an action starts: nothing the window changes reaches the run.
    Dessin dessin_;
    Parametres parametres_{};
    std::unique_ptr<Machine> machine_;
    std::atomic<bool> arret_{false};
    // Written by the pulse thread every 64 pulses, read by the window.
    std::atomic<int32_t> trace_{-1}, passe_{0}, point_{-1}, copie_{0}, rangee_{0};
    std::atomic<int64_t> unitesFaites_{0}, unitesPrevues_{0};
    std::atomic<bool> enCours_{false};
    std::thread fil_;
};

}  // namespace korvelin
