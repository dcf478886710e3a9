#include "grbl/liaison_grbl.h"

namespace korvelin::grbl {

LiaisonGrbl::LiaisonGrbl(std::unique_ptr<Transport> transport, Observateur observateur)
    : transport_(std::move(transport)), observateur_(std::move(observateur)) {
    automate_.Ouverture(Horloge::now());
    fil_ = std::thread([this] { Boucle(); });
}

LiaisonGrbl::~LiaisonGrbl() {
    arret_ = true;
    transport_->Reveille();
    fil_.join();
}

Instantane LiaisonGrbl::Etat() {
    std::lock_guard<std::mutex> verrou(mutex_);
    return automate_.Etat();
}

std::vector<std::string> LiaisonGrbl::Messages() {
    std::lock_guard<std::mutex> verrou(mutex_);
    return automate_.Messages();
}

void LiaisonGrbl::Boucle() {
    std::string recus;
    while (!arret_) {
        std::string sortie;
        {
            std::lock_guard<std::mutex> verrou(mutex_);
            sortie = automate_.Sortie(Horloge::now());
        }
        bool vivant = sortie.empty() || transport_->Ecrit(sortie);
        // An answer is awaited only when something is in flight; the status polls and
        // the wake-up keep the wait short otherwise.
        if (vivant) vivant = transport_->Lit(recus, std::chrono::milliseconds(20));
        {
            std::lock_guard<std::mutex> verrou(mutex_);
            if (!recus.empty()) automate_.Recoit(recus, Horloge::now());
            if (!vivant) automate_.Coupure(transport_->Raison());
            if (!automate_.Connectee()) active_ = false;
        }
        const bool changement = !recus.empty() || !sortie.empty() || !active_;
        recus.clear();
        if (changement && observateur_) observateur_();
        if (!active_) break;
    }
}

}  // namespace korvelin::grbl
