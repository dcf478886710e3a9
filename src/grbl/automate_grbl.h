#pragma once
// The conversation with a GRBL 1.1 board, without any port: fed with the bytes received
// and the time, it says which bytes to write. It streams by counting characters, so the
// board's receive buffer never holds more than it can; each "ok" or "error:N" answers the
// oldest line still unanswered.

#include <chrono>
#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "grbl/programme_grbl.h"
#include "grbl/reponses_grbl.h"

namespace korvelin::grbl {

using Horloge = std::chrono::steady_clock;
using Instant = Horloge::time_point;

// Bytes of the board's 128-byte receive buffer that may wait for their answer.
inline constexpr std::size_t TailleTampon = 127;
inline constexpr std::chrono::milliseconds IntervalleEtat{200};    // "?" five times a second
inline constexpr std::chrono::milliseconds DelaiBanniere{2500};    // then a reset asks for it
inline constexpr std::chrono::milliseconds AttenteMaximale{6000};  // then the port is given up

// "3 min 12 s", for the time left.
std::string TexteDuree(double secondes);

enum class EtatLiaison { Deconnecte, AttenteBanniere, LectureReglages, Prete };
enum class EtatTravail { Aucun, EnCours, Termine, Erreur, Alarme, Arrete, Coupe };

struct Instantane {
    EtatLiaison liaison = EtatLiaison::Deconnecte;
    EtatTravail travail = EtatTravail::Aucun;
    std::string version;      // "1.1h"
    RapportEtat rapport;      // the last status report
    std::optional<Axes> wco;  // the last work offset reported
    std::optional<Axes> positionTravail, positionMachine;
    ReglagesGrbl reglages;
    std::size_t lignesTotal = 0, lignesAcquittees = 0;  // of the job, approach included
    std::size_t derniereLigneAcquittee = 0;             // its number in the G-code text, 0 for none
    double tempsRestant = 0.0;                          // s, from the job's own moves
    std::size_t octetsEnAttente = 0;                    // sent and not yet answered
    std::string bilan;                                  // how the job ended, in words
};

// What the window and the command line show of a snapshot.
// "Ligne 120 sur 600 (20 %), ligne 131 du G-code, reste 3 min 12 s, GRBL en marche".
std::string TexteProgression(const Instantane& e);
// "X 12,500  Y -3,000  Z 5,000 (travail)", or the machine position when the work offset is
// not known yet.
std::string TextePosition(const Instantane& e);

// A jog held down: as far as the travel allows along one axis (0, 1, 2) in the given
// direction (+1 or -1), cancelled when released. Homed, it stops 0.5 mm short of the soft
// limits; otherwise it goes one travel length, which GRBL's own limits still bound.
std::optional<std::string> LigneJogContinu(const Instantane& e, int axe, int sens);
// The jog speed of an axis: a third of its rapid rate, at most 1000 mm/min.
double AvanceJog(const ReglagesGrbl& r, int axe);

class Automate {
public:
    void Ouverture(Instant t);
    void Recoit(std::string_view octets, Instant t);
    // The port is gone: whatever was running stops here.
    void Coupure(std::string_view raison);
    // The bytes to write now: real-time bytes first, then the lines that fit.
    std::string Sortie(Instant t);

    // Each returns the French reason of a refusal, or nothing.
    // Streams lines [depuis, end) of the program after the approach lines (resuming).
    std::optional<std::string> Lance(const Programme& p, std::size_t depuis = 0,
                                     std::vector<LigneProgramme> approche = {});
    // A line outside the job: $H, $X, G10 L20, $J=, $$.
    std::optional<std::string> Commande(std::string_view ligne);
    void Pause() { TempsReel(OctetPause); }
    void Reprise() { TempsReel(OctetReprise); }
    void AnnuleJog() { TempsReel(OctetAnnuleJog); }
    // Ctrl-X: the board stops at once and forgets what it holds; nothing more goes.
    void ArretUrgence();
    // The job stopped without losing the position: a feed hold, then the reset once a
    // status report asked after the hold shows the machine at rest (or after 3 s).
    void ArretApresPause();
    // True while that reset has still to go.
    bool ArretEnAttente() const { return resetApresArret_; }

    const Instantane& Etat() const { return e_; }
    bool Connectee() const { return e_.liaison != EtatLiaison::Deconnecte; }
    // Messages for the user since the last call, in order.
    std::vector<std::string> Messages();

private:
    enum class Origine { Travail, Commande, Reglages };
    struct EnVol {
        std::size_t taille;
        Origine origine;
        std::size_t index;  // in envoi_ for the job
    };

    void TempsReel(char c);
    void Ligne(std::string_view ligne, Instant t);
    void Acquittement(bool ok, int code, Instant t);
    void Rapport(const RapportEtat& r, Instant t);
    void FinTravail(EtatTravail etat, std::string bilan);
    void DemandeArret();
    void Remise();  // what a reset leaves: an empty buffer, a banner to wait for
    void CalculeRestant();
    std::string NomLigne(std::size_t index) const;

    Instantane e_;
    Lignes lignes_;
    std::string tempsReel_;
    std::deque<EnVol> enVol_;
    std::size_t octetsEnVol_ = 0;
    std::deque<std::string> commandes_;
    std::vector<LigneProgramme> envoi_;  // the job's lines as they go
    std::vector<double> finLigne_;       // s to the end of each line of envoi_
    std::size_t prochaine_ = 0;          // next line of envoi_ to send
    std::size_t nbApproche_ = 0;
    bool envoiArrete_ = false;
    bool resetApresArret_ = false;  // after an error: hold, then reset once stopped
    std::size_t demandesEtat_ = 0, rapportsRecus_ = 0, seuilRapport_ = 0;
    std::optional<Instant> limiteArret_;
    int reposApresFin_ = 0;  // Idle reports since the last line was acknowledged
    std::optional<Instant> debutAttente_;
    bool resetBanniere_ = false;
    Instant prochainEtat_{};
    std::vector<std::string> messages_;
};

}  // namespace korvelin::grbl
