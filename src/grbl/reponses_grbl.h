#pragma once
// The lines GRBL 1.1 sends back, read into values: acknowledgements, alarms, the banner,
// settings and the status report.

#include <array>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace korvelin::grbl {

using Axes = std::array<double, 3>;  // X, Y, Z in mm

enum class EtatMachine { Inconnu, Repos, Cycle, Suspendu, Manuel, Alarme, Porte, Controle, Origine, Sommeil };

// The French name of a state, as the window and the progress line show it.
std::string_view NomEtat(EtatMachine e);

// "<Idle|MPos:…|FS:…>": what the report holds; what it leaves out stays empty.
struct RapportEtat {
    EtatMachine etat = EtatMachine::Inconnu;
    int sousEtat = -1;                             // Hold:0 complete, Hold:1 decelerating; Door:N
    std::optional<Axes> mpos, wpos;                // one of them, as $10 asks
    std::optional<Axes> wco;                       // sent every few reports only
    std::optional<double> avance, broche;          // FS (or F alone)
    std::optional<int> blocsLibres, octetsLibres;  // Bf: planner blocks, receive buffer bytes
    std::optional<long> numeroLigne;               // Ln
    std::optional<std::array<int, 3>> surcharges;  // Ov: feed, rapid, spindle in %
};

// Nothing when the line is not a well-formed status report.
std::optional<RapportEtat> LectureRapport(std::string_view ligne);

enum class GenreReponse { Vide, Ok, Erreur, Alarme, Banniere, Reglage, Rapport, Message, Autre };

struct Reponse {
    GenreReponse genre = GenreReponse::Autre;
    int code = 0;         // error:N, ALARM:N, $N=
    double valeur = 0.0;  // $N=value
    std::string version;  // the banner's "1.1h"
    std::optional<RapportEtat> rapport;
};

// One received line, without its end.
Reponse LectureReponse(std::string_view ligne);

// The settings that the job checks read: $22 homing, $110-$112 rates, $130-$132 travel.
struct ReglagesGrbl {
    std::map<int, double> valeurs;
    bool Connu(int n) const { return valeurs.count(n) != 0; }
    double Valeur(int n, double defaut) const {
        const auto i = valeurs.find(n);
        return i == valeurs.end() ? defaut : i->second;
    }
    bool OrigineActive() const { return Valeur(22, 0.0) != 0.0; }
    bool CoursesConnues() const { return Connu(130) && Connu(131) && Connu(132); }
    Axes Courses() const { return {Valeur(130, 0.0), Valeur(131, 0.0), Valeur(132, 0.0)}; }
    // mm/min; GRBL's own defaults when the board did not say.
    Axes Rapides() const { return {Valeur(110, 500.0), Valeur(111, 500.0), Valeur(112, 500.0)}; }
};

// Gathers the lines of a received byte stream; CR, LF or both end a line.
class Lignes {
public:
    // Calls f(ligne) for every line the bytes complete.
    template <class F>
    void Recoit(std::string_view octets, F&& f) {
        for (const char c : octets) {
            if (c == '\r' || c == '\n') {
                if (!courante_.empty()) f(std::string_view(courante_));
                courante_.clear();
            } else if (courante_.size() < 1024) {  // a line can not grow without end on noise
                courante_.push_back(c);
            }
        }
    }
    void Vide() { courante_.clear(); }

private:
    std::string courante_;
};

}  // namespace korvelin::grbl
