#include "grbl/automate_grbl.h"

#include <algorithm>

#include "grbl/textes_grbl.h"
#include "model/nombres.h"

namespace korvelin::grbl {

namespace {

// GRBL 1.1 on an ATmega328p plans 15 blocks; a board that plans more only makes the
// estimate of what has run a little late.
constexpr int BlocsPlanificateur = 15;

}  // namespace

std::string TexteDuree(double s) {
    const long total = s > 0.0 && s < 1e9 ? static_cast<long>(s + 0.5) : 0;
    if (total < 60) return TexteEntier(total) + " s";
    if (total < 3600) return TexteEntier(total / 60) + " min " + TexteEntier(total % 60) + " s";
    return TexteEntier(total / 3600) + " h " + TexteEntier(total / 60 % 60) + " min";
}

void Automate::Ouverture(Instant t) {
    e_ = Instantane{};
    e_.liaison = EtatLiaison::AttenteBanniere;
    lignes_.Vide();
    tempsReel_.clear();
    enVol_.clear();
    octetsEnVol_ = 0;
    commandes_.clear();
    envoi_.clear();
    prochaine_ = 0;
    debutAttente_ = t;
    resetBanniere_ = false;
    resetApresArret_ = false;
}

std::vector<std::string> Automate::Messages() {
    std::vector<std::string> r;
    r.swap(messages_);
    return r;
}

void Automate::TempsReel(char c) {
    if (Connectee()) tempsReel_.push_back(c);
}

std::string Automate::NomLigne(std::size_t index) const {
    const LigneProgramme& l = envoi_[index];
    if (l.numero == 0) return "la ligne d'approche « " + l.texte + " »";
    return "la ligne " + TexteEntier(l.numero) + " (« " + l.texte + " »)";
}

void Automate::FinTravail(EtatTravail etat, std::string bilan) {
    if (e_.travail != EtatTravail::EnCours) return;
    e_.travail = etat;
    e_.bilan = bilan;
    envoiArrete_ = true;
    messages_.push_back(std::move(bilan));
}

void Automate::Remise() {
    enVol_.clear();
    octetsEnVol_ = 0;
    commandes_.clear();
    envoiArrete_ = true;
    resetApresArret_ = false;
    lignes_.Vide();
    e_.liaison = EtatLiaison::AttenteBanniere;
    debutAttente_.reset();
    resetBanniere_ = true;           // the reset is sent: no second one to ask for the banner
    rapportsRecus_ = demandesEtat_;  // a poll the reset cut short is never answered
}

void Automate::ArretUrgence() {
    if (!Connectee()) return;
    tempsReel_.assign(1, OctetReset);
    const std::string apres = e_.derniereLigneAcquittee
                                  ? " après la ligne " + TexteEntier(e_.derniereLigneAcquittee) + " acquittée"
                                  : std::string();
    FinTravail(EtatTravail::Arrete, "Arrêt d'urgence : GRBL est remis à zéro" + apres +
                                        ". La position peut être perdue : refaites la prise d'origine si besoin.");
    Remise();
}

void Automate::DemandeArret() {
    tempsReel_.push_back(OctetPause);
    resetApresArret_ = true;
    // The report that tells the machine has stopped must be asked after the hold: it is
    // the next "?", which goes right behind the "!".
    seuilRapport_ = demandesEtat_ + 1;
    limiteArret_.reset();
    prochainEtat_ = Instant{};
}

void Automate::ArretApresPause() {
    if (e_.travail != EtatTravail::EnCours) return;
    FinTravail(EtatTravail::Arrete, "Travail arrêté après la ligne " + TexteEntier(e_.derniereLigneAcquittee) +
                                        " acquittée : GRBL est mis en pause puis remis à zéro, position conservée.");
    DemandeArret();
}

void Automate::Coupure(std::string_view raison) {
    if (!Connectee()) return;
    const std::string derniere = e_.derniereLigneAcquittee
                                     ? "dernière ligne acquittée : " + TexteEntier(e_.derniereLigneAcquittee)
                                     : std::string("aucune ligne acquittée");
    FinTravail(EtatTravail::Coupe, "La liaison avec GRBL est coupée (" + std::string(raison) +
                                       ") : le travail s'est arrêté, " + derniere + ".");
    if (e_.travail != EtatTravail::Coupe)
        messages_.push_back("La liaison avec GRBL est coupée (" + std::string(raison) + ").");
    e_.liaison = EtatLiaison::Deconnecte;
    e_.rapport.etat = EtatMachine::Inconnu;
    enVol_.clear();
    octetsEnVol_ = 0;
    commandes_.clear();
    tempsReel_.clear();
}

std::string Automate::Sortie(Instant t) {
    if (!Connectee()) return {};
    std::string s;
    s.swap(tempsReel_);
    if (e_.liaison == EtatLiaison::AttenteBanniere) {
        if (!debutAttente_) debutAttente_ = t;
        // Boards that do not restart when the port opens say nothing until reset.
        if (!resetBanniere_ && t - *debutAttente_ >= DelaiBanniere) {
            s.push_back(OctetReset);
            resetBanniere_ = true;
        } else if (t - *debutAttente_ >= AttenteMaximale) {
            Coupure("aucune bannière « Grbl 1.1 » reçue : est-ce bien une carte GRBL, à 115200 bauds ?");
            return {};
        }
        return s;
    }
    if (t >= prochainEtat_) {
        s.push_back(OctetEtat);
        ++demandesEtat_;
        prochainEtat_ = t + IntervalleEtat;
    }
    // After an error or a stop: once the machine has come to rest on the hold, the reset
    // forgets the lines behind it without losing the position. A board that never says so
    // is reset all the same.
    if (resetApresArret_ && !limiteArret_) limiteArret_ = t + std::chrono::seconds(3);
    const bool auRepos = rapportsRecus_ >= seuilRapport_ &&
                         ((e_.rapport.etat == EtatMachine::Suspendu && e_.rapport.sousEtat == 0) ||
                          e_.rapport.etat == EtatMachine::Repos || e_.rapport.etat == EtatMachine::Alarme);
    if (resetApresArret_ && (auRepos || t >= *limiteArret_)) {
        s.push_back(OctetReset);
        Remise();
        return s;
    }
    auto place = [&](std::size_t n) { return octetsEnVol_ + n + 1 <= TailleTampon; };
    while (true) {
        if (e_.travail == EtatTravail::EnCours && !envoiArrete_ && prochaine_ < envoi_.size()) {
            const std::string& l = envoi_[prochaine_].texte;
            if (!place(l.size())) break;
            s.append(l).push_back('\n');
            enVol_.push_back({l.size() + 1, Origine::Travail, prochaine_});
            octetsEnVol_ += l.size() + 1;
            ++prochaine_;
        } else if (!commandes_.empty()) {
            const std::string& l = commandes_.front();
            if (!place(l.size())) break;
            s.append(l).push_back('\n');
            enVol_.push_back({l.size() + 1, l == LigneReglages ? Origine::Reglages : Origine::Commande, 0});
            octetsEnVol_ += l.size() + 1;
            commandes_.pop_front();
        } else {
            break;
        }
    }
    e_.octetsEnAttente = octetsEnVol_;
    return s;
}

void Automate::Recoit(std::string_view octets, Instant t) {
    if (!Connectee()) return;
    lignes_.Recoit(octets, [&](std::string_view l) { Ligne(l, t); });
}

void Automate::Ligne(std::string_view ligne, Instant t) {
    const Reponse r = LectureReponse(ligne);
    switch (r.genre) {
        case GenreReponse::Ok: Acquittement(true, 0, t); break;
        case GenreReponse::Erreur: Acquittement(false, r.code, t); break;
        case GenreReponse::Alarme: {
            e_.rapport.etat = EtatMachine::Alarme;
            const std::string texte = TexteAlarme(r.code);
            const std::string apres = e_.derniereLigneAcquittee
                                          ? " après la ligne " + TexteEntier(e_.derniereLigneAcquittee) + " acquittée"
                                          : std::string();
            if (e_.travail == EtatTravail::EnCours)
                FinTravail(EtatTravail::Alarme, "Le travail s'est arrêté" + apres + " : " + texte + ".");
            else
                messages_.push_back("A" + texte.substr(1) + ".");
            break;
        }
        case GenreReponse::Banniere: {
            const bool attendue = e_.liaison == EtatLiaison::AttenteBanniere;
            FinTravail(EtatTravail::Arrete, "GRBL a redémarré pendant le travail : il s'est arrêté après la ligne " +
                                                TexteEntier(e_.derniereLigneAcquittee) + " acquittée.");
            Remise();
            if (r.version.substr(0, 3) != "1.1") {
                Coupure("la carte annonce GRBL " + r.version + ", il faut GRBL 1.1");
                return;
            }
            if (!attendue && e_.travail != EtatTravail::Arrete) messages_.push_back("GRBL a redémarré.");
            e_.version = r.version;
            e_.liaison = EtatLiaison::LectureReglages;
            e_.reglages = {};
            commandes_.emplace_back(LigneReglages);
            prochainEtat_ = t;
            break;
        }
        case GenreReponse::Reglage: e_.reglages.valeurs[r.code] = r.valeur; break;
        case GenreReponse::Rapport: Rapport(*r.rapport, t); break;
        case GenreReponse::Message:
            if (ligne.find("'$H'|'$X' to unlock") != std::string_view::npos)
                messages_.push_back("GRBL est verrouillé : faites la prise d'origine ($H) ou déverrouillez-le ($X).");
            break;
        case GenreReponse::Vide:
        case GenreReponse::Autre: break;
    }
}

void Automate::Acquittement(bool ok, int code, Instant t) {
    if (enVol_.empty()) return;  // an answer to a line sent before a reset
    const EnVol v = enVol_.front();
    enVol_.pop_front();
    octetsEnVol_ -= v.taille;
    e_.octetsEnAttente = octetsEnVol_;
    switch (v.origine) {
        case Origine::Reglages:
            if (e_.liaison == EtatLiaison::LectureReglages) e_.liaison = EtatLiaison::Prete;
            break;
        case Origine::Commande:
            if (!ok) messages_.push_back("Commande refusée : " + TexteErreur(code) + ".");
            break;
        case Origine::Travail:
            if (e_.travail != EtatTravail::EnCours) break;  // answers to lines the board ran before it stopped
            if (!ok) {
                FinTravail(EtatTravail::Erreur, "GRBL refuse " + NomLigne(v.index) + " : " + TexteErreur(code) +
                                                    ". Le travail est arrêté là.");
                DemandeArret();
                break;
            }
            ++e_.lignesAcquittees;
            if (envoi_[v.index].numero) e_.derniereLigneAcquittee = envoi_[v.index].numero;
            if (e_.lignesAcquittees == envoi_.size()) {
                reposApresFin_ = 0;
                prochainEtat_ = t;
            }
            CalculeRestant();
            break;
    }
}

void Automate::Rapport(const RapportEtat& r, Instant t) {
    e_.rapport = r;
    ++rapportsRecus_;
    if (r.wco) e_.wco = r.wco;
    if (e_.wco) {
        const Axes& w = *e_.wco;
        if (r.mpos) {
            e_.positionMachine = r.mpos;
            e_.positionTravail = Axes{(*r.mpos)[0] - w[0], (*r.mpos)[1] - w[1], (*r.mpos)[2] - w[2]};
        } else {
            e_.positionTravail = r.wpos;
            e_.positionMachine = Axes{(*r.wpos)[0] + w[0], (*r.wpos)[1] + w[1], (*r.wpos)[2] + w[2]};
        }
    }
    if (e_.travail == EtatTravail::EnCours) {
        CalculeRestant();
        // The board may report Idle between planning the last block and starting it: two
        // Idle reports in a row, after the last answer, say the job has run.
        if (e_.lignesAcquittees == envoi_.size() && r.etat == EtatMachine::Repos && ++reposApresFin_ >= 2) {
            e_.tempsRestant = 0.0;
            FinTravail(EtatTravail::Termine,
                       "Travail terminé : " + TexteEntier(e_.lignesAcquittees) + " lignes envoyées et exécutées.");
        } else if (e_.lignesAcquittees == envoi_.size()) {
            if (r.etat != EtatMachine::Repos) reposApresFin_ = 0;
            prochainEtat_ = std::min(prochainEtat_, t + IntervalleEtat / 4);
        }
    }
}

void Automate::CalculeRestant() {
    if (envoi_.empty()) return;
    // Lines answered wait in the planner before they run.
    const std::size_t enFile = e_.rapport.blocsLibres
                                   ? static_cast<std::size_t>(std::max(0, BlocsPlanificateur - *e_.rapport.blocsLibres))
                                   : 0;
    const std::size_t faites = e_.lignesAcquittees > enFile ? e_.lignesAcquittees - enFile : 0;
    e_.tempsRestant = faites == 0 ? finLigne_.back() : finLigne_.back() - finLigne_[faites - 1];
}

std::optional<std::string> Automate::Lance(const Programme& p, std::size_t depuis,
                                           std::vector<LigneProgramme> approche) {
    if (e_.liaison != EtatLiaison::Prete) return std::string("GRBL n'est pas prêt : la connexion n'est pas achevée.");
    if (e_.travail == EtatTravail::EnCours) return std::string("Un travail est déjà en cours.");
    if (e_.rapport.etat == EtatMachine::Alarme)
        return std::string(
            "GRBL est en alarme : faites la prise d'origine ($H) ou déverrouillez-le ($X) "
            "avant de lancer le travail.");
    if (e_.rapport.etat != EtatMachine::Repos)
        return "GRBL n'est pas au repos (état : " + std::string(NomEtat(e_.rapport.etat)) +
               ") : le travail ne peut pas partir.";
    if (depuis >= p.lignes.size()) return std::string("Le programme n'a aucune ligne à envoyer.");
    for (const LigneProgramme& l : approche)
        if (l.texte.size() > LongueurMaxLigne)
            return std::string(
                "Le point de reprise est hors de portée : ses coordonnées ne tiennent pas sur une ligne.");
    if (!commandes_.empty() || !enVol_.empty())
        return std::string("GRBL n'a pas encore répondu à la commande précédente.");
    const Analyse a = Rejoue(p, e_.reglages.Rapides());
    if (e_.reglages.OrigineActive() && !e_.wco)
        return std::string("Le zéro de travail n'est pas encore connu : attendez un rapport d'état de GRBL.");
    if (auto refus = ControleCourse(a, e_.reglages, e_.wco.value_or(Axes{0.0, 0.0, 0.0}))) return refus;

    nbApproche_ = approche.size();
    envoi_ = std::move(approche);
    envoi_.insert(envoi_.end(), p.lignes.begin() + static_cast<std::ptrdiff_t>(depuis), p.lignes.end());
    finLigne_.assign(nbApproche_, 0.0);
    const double avant = depuis == 0 ? 0.0 : a.fin[depuis - 1];
    for (std::size_t k = depuis; k < p.lignes.size(); ++k) finLigne_.push_back(a.fin[k] - avant);
    prochaine_ = 0;
    envoiArrete_ = false;
    resetApresArret_ = false;
    reposApresFin_ = 0;
    e_.travail = EtatTravail::EnCours;
    e_.bilan.clear();
    e_.lignesTotal = envoi_.size();
    e_.lignesAcquittees = 0;
    e_.derniereLigneAcquittee = 0;
    CalculeRestant();
    return std::nullopt;
}

std::optional<std::string> Automate::Commande(std::string_view ligne) {
    if (e_.liaison != EtatLiaison::Prete) return std::string("GRBL n'est pas prêt : la connexion n'est pas achevée.");
    // GRBL itself refuses a jog while a job holds: the job must end or be stopped first.
    if (e_.travail == EtatTravail::EnCours)
        return std::string("Un travail est en cours : la commande attendra sa fin.");
    const std::string propre = LigneNettoyee(ligne);
    if (propre.empty() || propre.size() > LongueurMaxLigne) return std::string("Commande vide ou trop longue.");
    for (const char c : propre)
        if (static_cast<unsigned char>(c) < ' ' || static_cast<unsigned char>(c) >= 0x7f || c == '?' || c == '!' ||
            c == '~')
            return std::string("Caractère interdit dans la commande.");
    commandes_.push_back(propre);
    return std::nullopt;
}

std::string TexteProgression(const Instantane& e) {
    const std::size_t pourcent = e.lignesTotal ? e.lignesAcquittees * 100 / e.lignesTotal : 0;
    std::string t = "Ligne " + TexteEntier(e.lignesAcquittees) + " sur " + TexteEntier(e.lignesTotal) + " (" +
                    TexteEntier(pourcent) + " %)";
    if (e.derniereLigneAcquittee) t += ", ligne " + TexteEntier(e.derniereLigneAcquittee) + " du G-code";
    return t + ", reste " + TexteDuree(e.tempsRestant) + ", GRBL " + std::string(NomEtat(e.rapport.etat));
}

std::string TextePosition(const Instantane& e) {
    const std::optional<Axes>& p = e.positionTravail ? e.positionTravail
                                   : e.rapport.mpos  ? e.rapport.mpos
                                                     : e.rapport.wpos;
    if (!p) return "Position inconnue";
    return "X " + FormatFixe((*p)[0], 3, ',') + "  Y " + FormatFixe((*p)[1], 3, ',') + "  Z " +
           FormatFixe((*p)[2], 3, ',') +
           (e.positionTravail ? " (travail)"
            : e.rapport.mpos  ? " (machine)"
                              : " (travail)");
}

double AvanceJog(const ReglagesGrbl& r, int axe) { return std::min(1000.0, r.Rapides()[axe] / 3.0); }

std::optional<std::string> LigneJogContinu(const Instantane& e, int axe, int sens) {
    if (axe < 0 || axe > 2 || (sens != 1 && sens != -1) || !e.reglages.CoursesConnues()) return std::nullopt;
    const double course = e.reglages.Courses()[axe];
    double distance = course;
    if (e.reglages.OrigineActive()) {
        if (!e.positionMachine) return std::nullopt;
        const double m = (*e.positionMachine)[axe];
        distance = sens > 0 ? -0.5 - m : m - (-course + 0.5);
        if (distance <= 0.0) return std::nullopt;
    }
    Axes d{0.0, 0.0, 0.0};
    d[axe] = sens * distance;
    return LigneJog(d, AvanceJog(e.reglages, axe));
}

}  // namespace korvelin::grbl
