#include "machining/executant.h"

#include <algorithm>
#include <cmath>

#include "machining/motifs.h"
#include "machining/reglage.h"

namespace korvelin {

CompteRendu ExecuteDemande(const PosteTravail& poste, Machine& m, const DemandeMachine& d,
                           const std::atomic<bool>& arret) {
    switch (d.action) {
        case ActionMachine::Exemplaire: return FraisageExemplaire(poste, m, d.travail, arret);
        case ActionMachine::Serie: return FraisageSerie(poste, m, d.travail, d.serie, arret);
        case ActionMachine::Motif: return MotifTest(poste, m, d.option, d.dimension, d.travail, arret);
        case ActionMachine::Fleche: {
            EtatFleches etat;
            return FlecheAppuyee(poste, m, etat, d.fleche, d.touches, arret);
        }
        case ActionMachine::Deplacement: return DeplacementSaisi(poste, m, d.texteX, d.texteY, d.texteZ, arret);
        case ActionMachine::MarcheMoteur: {
            SessionMachine session(m, arret);
            ActionMarcheMoteur(m);
            CompteRendu cr;
            session.Completer(cr);
            return cr;
        }
        case ActionMachine::ArretMoteur: ActionArretMoteur(m); return {};
        case ActionMachine::MinuterieMoteur: MinuterieMoteurDeclenchee(m); return {};
    }
    return {};
}

Estimation EstimeDemande(const PosteTravail& poste, const DemandeMachine& d) {
    HorlogeVirtuelle horloge;
    PortAbsent port;
    Machine m(port, horloge, poste.parametres);
    m.Comptage = true;
    const std::atomic<bool> jamais{false};
    const CompteRendu cr = ExecuteDemande(poste, m, d, jamais);
    Estimation e;
    e.acceptee = cr.issue == Issue::Terminee;
    e.duree = cr.duree;
    e.impulsions = cr.impulsions;
    e.pas = m.PasEnvoyes;
    e.diagnostics = cr.diagnostics;
    return e;
}

void FileEvenements::Pousse(EvenementMachine e) {
    std::lock_guard<std::mutex> garde(verrou_);
    file_.push_back(std::move(e));
}

std::vector<EvenementMachine> FileEvenements::Releve() {
    std::lock_guard<std::mutex> garde(verrou_);
    std::vector<EvenementMachine> r(std::make_move_iterator(file_.begin()), std::make_move_iterator(file_.end()));
    file_.clear();
    return r;
}

// Nothing on the machine thread asks a question or touches the window: what an action has
// to say goes into the queue.
void ExecutantMachine::PousseMessages(const Diagnostics& diagnostics) {
    for (const Diagnostic& d : diagnostics) {
        EvenementMachine e;
        e.genre = EvenementMachine::Genre::Message;
        e.texte = d.message;
        e.titre = d.titre.empty() ? std::string(TitreProgramme) : d.titre;
        e.icone = IconeDe(d.gravite);
        file_.Pousse(std::move(e));
    }
}

ExecutantMachine::ExecutantMachine(std::unique_ptr<Port> port, std::unique_ptr<Horloge> horloge)
    : port_(std::move(port)), horloge_(std::move(horloge)) {
    machine_ = std::make_unique<Machine>(*port_, *horloge_, parametres_);
    machine_->SurMoteur = [this](bool enMarche) {
        EvenementMachine e;
        e.genre = EvenementMachine::Genre::Moteur;
        e.moteurEnMarche = enMarche;
        file_.Pousse(std::move(e));
    };
}

ExecutantMachine::~ExecutantMachine() {
    Arrete();
    Attend();
}

bool ExecutantMachine::Lance(const DemandeMachine& d, const Parametres& valeurs,
                             const std::vector<SequenceDecalee>& traces) {
    if (enCours_.load()) return false;
    Attend();
    // Copies taken now: nothing the window changes during the run reaches it.
    parametres_ = valeurs;
    if (d.action == ActionMachine::Exemplaire || d.action == ActionMachine::Serie)
        dessin_.Trace_Decale = traces;
    else
        dessin_.Trace_Decale.clear();
    arret_ = false;
    enCours_ = true;
    fil_ = std::thread(&ExecutantMachine::Deroule, this, d);
    return true;
}

void ExecutantMachine::Arrete() { arret_ = true; }

Avancement ExecutantMachine::DernierAvancement() const {
    Avancement a;
    const int64_t faites = unitesFaites_.load(std::memory_order_acquire);
    a.ou = {trace_.load(std::memory_order_relaxed), passe_.load(std::memory_order_relaxed),
            point_.load(std::memory_order_relaxed), copie_.load(std::memory_order_relaxed),
            rangee_.load(std::memory_order_relaxed)};
    const int64_t prevues = unitesPrevues_.load();
    a.fraction = prevues > 0 ? std::min(1.0, static_cast<double>(faites) / static_cast<double>(prevues)) : 0.0;
    a.resteSecondes = static_cast<double>(std::max<int64_t>(0, prevues - faites)) * 0.0001;
    return a;
}

void ExecutantMachine::Attend() {
    if (fil_.joinable()) fil_.join();
}

void ExecutantMachine::Deroule(DemandeMachine d) {
    Machine& m = *machine_;
    EvenementMachine fin;
    fin.genre = EvenementMachine::Genre::Fin;
    const bool estimee =
        d.action == ActionMachine::Exemplaire || d.action == ActionMachine::Serie || d.action == ActionMachine::Motif;
    Estimation estimation;
    if (estimee) {
        // The refusals come from the dry run, before anything moves.
        estimation = EstimeDemande({dessin_, parametres_}, d);
        PousseMessages(estimation.diagnostics);
        EvenementMachine e;
        e.genre = EvenementMachine::Genre::Estimation;
        e.estimation = estimation;
        file_.Pousse(std::move(e));
        if (!estimation.acceptee) {
            fin.fin.issue = Issue::Refusee;
            file_.Pousse(std::move(fin));
            enCours_ = false;
            return;
        }
    }
    unitesPrevues_ = std::llround(estimation.duree / 0.0001);
    unitesFaites_ = 0;
    trace_ = -1, passe_ = 0, point_ = -1, copie_ = 0, rangee_ = 0;
    m.SurAvancement = [this](const Machine& mm) {
        trace_.store(mm.Ou.trace, std::memory_order_relaxed);
        passe_.store(mm.Ou.passe, std::memory_order_relaxed);
        point_.store(mm.Ou.point, std::memory_order_relaxed);
        copie_.store(mm.Ou.copie, std::memory_order_relaxed);
        rangee_.store(mm.Ou.rangee, std::memory_order_relaxed);
        unitesFaites_.store(mm.UnitesAttendues, std::memory_order_release);
    };
    fin.fin = ExecuteDemande({dessin_, parametres_}, m, d, arret_);
    m.SurAvancement = nullptr;
    PousseMessages(fin.fin.diagnostics);
    file_.Pousse(std::move(fin));
    enCours_ = false;
}

}  // namespace korvelin
