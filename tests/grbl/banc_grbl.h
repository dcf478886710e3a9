#pragma once
// A GRBL 1.1 stand-in on a pseudo-terminal, as strict as the board: a 128-byte receive
// buffer that loses what arrives when it is full, real-time bytes acted on wherever they
// fall, a 15-block planner whose fullness holds back the "ok" of a motion line, answers
// that take their time. Tests open Chemin() as they would open /dev/ttyACM0.

#include <array>
#include <atomic>
#include <chrono>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace korvelin::test {

struct OptionsBanc {
    std::chrono::microseconds delai{100};      // from a complete line to its answer
    std::chrono::microseconds dureeBloc{300};  // one planned move
    std::array<double, 3> courses{300.0, 200.0, 80.0};
    std::size_t seuilMesure = 64;  // bytes, for FractionAuDessus
};

class BancGrbl {
public:
    explicit BancGrbl(OptionsBanc o = {});
    ~BancGrbl();

    const std::string& Chemin() const { return chemin_; }
    void Alarme(int code);  // a limit switch hit
    void Debranche();       // the cable pulled: the pseudo-terminal closed

    // Not empty once the stand-in saw what a board would not survive (its buffer overrun).
    std::string Defaut() const { return Lu(defaut_); }
    std::vector<std::string> Executees() const { return Lu(executees_); }  // lines taken, cleaned, in order
    std::size_t OctetsApresReset() const { return Lu(apresReset_); }       // line bytes since the last reset
    int Resets() const { return Lu(resets_); }
    std::string Etat() const { return Lu(etat_); }                // "Idle", "Run", "Hold", "Jog", "Alarm"
    std::array<double, 3> Position() const { return Lu(mpos_); }  // machine position
    // Share of the time, from the first line to the "M2" that ends a job, during which the
    // receive buffer held more than seuilMesure bytes.
    double FractionAuDessus() const;

private:
    using Instant = std::chrono::steady_clock::time_point;
    struct Bloc {
        std::array<double, 3> cible;
        bool jog;
    };

    template <class T>
    T Lu(const T& v) const {
        std::lock_guard<std::mutex> verrou(mutex_);
        return v;
    }
    void Boucle();
    void Octet(char c, Instant t);
    void Traite(const std::string& ligne, Instant t);
    void Reset(Instant t);
    void Envoie(const std::string& s);
    void Mesure(Instant t);
    bool Mouvement(const std::string& ligne) const;
    std::string Rapport();

    OptionsBanc o_;
    int maitre_ = -1, esclave_ = -1;
    std::string chemin_;
    mutable std::mutex mutex_;
    std::atomic<bool> arret_{false}, debrancher_{false};
    std::atomic<int> alarme_{0};
    std::thread fil_;

    std::string rx_;  // the receive buffer
    std::deque<Bloc> planificateur_;
    Instant finBloc_{}, pret_{}, dernierFini_{};
    bool pretConnu_ = false;
    std::string etat_ = "Idle";
    std::array<double, 3> mpos_{0.0, 0.0, 0.0}, wco_{0.0, 0.0, 0.0};
    bool relatif_ = false;
    int mode_ = 0;
    double avance_ = 0.0;
    int rapports_ = 0;
    std::string defaut_;
    std::vector<std::string> executees_;
    std::size_t apresReset_ = 0;
    int resets_ = 0;
    bool mesure_ = false, mesureFinie_ = false;
    Instant debutMesure_{}, dernierChangement_{};
    double auDessus_ = 0.0, total_ = 0.0;
};

}  // namespace korvelin::test
