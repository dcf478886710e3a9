#include "grbl/banc_grbl.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace korvelin::test {

namespace {

constexpr std::size_t CapaciteRx = 127;
constexpr std::size_t BlocsMax = 15;
constexpr const char* Banniere = "\r\nGrbl 1.1h ['$' for help]\r\n";

std::string Nombre(double v) {
    char t[32];
    const auto r = std::to_chars(t, t + sizeof t, v, std::chars_format::fixed, 3);
    return std::string(t, r.ptr);
}

// GRBL's own cleaning: no blanks, no comments, capitals.
std::string Nettoie(const std::string& l) {
    std::string r;
    bool parenthese = false;
    for (const char c : l) {
        if (parenthese) {
            parenthese = c != ')';
        } else if (c == '(') {
            parenthese = true;
        } else if (c == ';') {
            break;
        } else if (c != ' ' && c != '\t') {
            r.push_back(static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c));
        }
    }
    return r;
}

struct Mot {
    char lettre;
    double valeur;
};

bool Mots(const std::string& l, std::vector<Mot>& mots) {
    std::size_t i = 0;
    while (i < l.size()) {
        const char lettre = l[i++];
        double v = 0.0;
        const auto r = std::from_chars(l.data() + i, l.data() + l.size(), v);
        if (lettre < 'A' || lettre > 'Z' || r.ec != std::errc()) return false;
        i = static_cast<std::size_t>(r.ptr - l.data());
        mots.push_back({lettre, v});
    }
    return true;
}

}  // namespace

BancGrbl::BancGrbl(OptionsBanc o) : o_(o) {
    termios brut{};
    cfmakeraw(&brut);
    char nom[128];
    if (openpty(&maitre_, &esclave_, nom, &brut, nullptr) != 0) {
        defaut_ = "openpty impossible";
        return;
    }
    chemin_ = nom;
    fcntl(maitre_, F_SETFL, fcntl(maitre_, F_GETFL) | O_NONBLOCK);
    // A board that restarts when its port opens: the banner waits in the line.
    Envoie(Banniere);
    fil_ = std::thread([this] { Boucle(); });
}

BancGrbl::~BancGrbl() {
    arret_ = true;
    if (fil_.joinable()) fil_.join();
    if (maitre_ >= 0) close(maitre_);
    if (esclave_ >= 0) close(esclave_);
}

void BancGrbl::Alarme(int code) { alarme_ = code; }
void BancGrbl::Debranche() { debrancher_ = true; }

double BancGrbl::FractionAuDessus() const {
    std::lock_guard<std::mutex> v(mutex_);
    return total_ > 0.0 ? auDessus_ / total_ : 0.0;
}

void BancGrbl::Envoie(const std::string& s) {
    std::size_t fait = 0;
    while (fait < s.size() && maitre_ >= 0) {
        const ssize_t n = write(maitre_, s.data() + fait, s.size() - fait);
        if (n > 0)
            fait += static_cast<std::size_t>(n);
        else if (n < 0 && errno != EAGAIN && errno != EINTR)
            return;
        else
            usleep(100);
    }
}

void BancGrbl::Mesure(Instant t) {
    if (mesure_ && !mesureFinie_) {
        const double d = std::chrono::duration<double>(t - dernierChangement_).count();
        total_ += d;
        if (rx_.size() > o_.seuilMesure) auDessus_ += d;
    }
    dernierChangement_ = t;
}

std::string BancGrbl::Rapport() {
    std::string r = "<" + etat_ + (etat_ == "Hold" ? ":0" : "") + "|MPos:" + Nombre(mpos_[0]) + "," + Nombre(mpos_[1]) +
                    "," + Nombre(mpos_[2]) + "|Bf:" + std::to_string(BlocsMax - planificateur_.size()) + "," +
                    std::to_string(CapaciteRx + 1 - rx_.size()) + "|FS:" + Nombre(avance_) + ",0";
    // Like the board, the work offset only in some reports.
    if (rapports_++ % 10 == 0) r += "|WCO:" + Nombre(wco_[0]) + "," + Nombre(wco_[1]) + "," + Nombre(wco_[2]);
    return r + ">\r\n";
}

void BancGrbl::Reset(Instant t) {
    const bool enMouvement = (etat_ == "Run" || etat_ == "Jog") && !planificateur_.empty();
    Mesure(t);
    rx_.clear();
    planificateur_.clear();
    pretConnu_ = false;
    apresReset_ = 0;
    ++resets_;
    if (enMouvement || etat_ == "Alarm") {
        if (enMouvement) Envoie("ALARM:3\r\n");
        etat_ = "Alarm";
    } else {
        etat_ = "Idle";
    }
    Envoie(Banniere);
    if (etat_ == "Alarm") Envoie("[MSG:'$H'|'$X' to unlock]\r\n");
}

void BancGrbl::Octet(char c, Instant t) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (c == '?') {
        Envoie(Rapport());
    } else if (c == '!') {
        if (etat_ == "Jog")
            planificateur_.clear(), etat_ = "Idle";
        else if (etat_ == "Run")
            etat_ = "Hold";
    } else if (c == '~') {
        if (etat_ == "Hold") {
            etat_ = planificateur_.empty() ? "Idle" : "Run";
            finBloc_ = t + o_.dureeBloc;
        }
    } else if (c == 0x18) {
        Reset(t);
    } else if (u == 0x85) {
        if (etat_ == "Jog") {
            planificateur_.clear();
            etat_ = "Idle";
        }
    } else if (u >= 0x80) {
        // overrides and the like: nothing to model
    } else if (rx_.size() >= CapaciteRx) {
        if (defaut_.empty())
            defaut_ = "tampon de réception plein : octet perdu après " + std::to_string(executees_.size()) + " lignes";
    } else {
        Mesure(t);
        if (!mesure_ && !mesureFinie_ && c != '\n' && c != '\r') {
            mesure_ = true;
            debutMesure_ = dernierChangement_ = t;
        }
        rx_.push_back(c);
        ++apresReset_;
    }
}

bool BancGrbl::Mouvement(const std::string& ligne) const {
    if (ligne.rfind("$J=", 0) == 0) return true;
    if (ligne.empty() || ligne[0] == '$') return false;
    return ligne.find_first_of("XYZ") != std::string::npos && ligne.find("G10") == std::string::npos;
}

void BancGrbl::Traite(const std::string& brute, Instant t) {
    const std::string l = Nettoie(brute);
    executees_.push_back(l);
    if ((l == "M2" || l == "M30") && mesure_) {
        Mesure(t);
        mesureFinie_ = true;
    }
    if (l.size() > 79) return Envoie("error:11\r\n");
    if (l.empty()) return Envoie("ok\r\n");
    if (l == "$$") {
        Envoie("$22=0\r\n$110=3000.000\r\n$111=3000.000\r\n$112=600.000\r\n");
        for (int k = 0; k < 3; ++k) Envoie("$13" + std::to_string(k) + "=" + Nombre(o_.courses[k]) + "\r\n");
        return Envoie("ok\r\n");
    }
    if (l == "$X") {
        if (etat_ == "Alarm") etat_ = "Idle", Envoie("[MSG:Caution: Unlocked]\r\n");
        return Envoie("ok\r\n");
    }
    if (l == "$H") return Envoie("error:5\r\n");  // homing not enabled ($22=0)
    const bool jog = l.rfind("$J=", 0) == 0;
    if (l[0] == '$' && !jog) return Envoie("error:3\r\n");
    if (etat_ == "Alarm") return Envoie("error:9\r\n");
    if (jog && etat_ != "Idle" && etat_ != "Jog") return Envoie("error:8\r\n");
    std::vector<Mot> mots;
    if (!Mots(jog ? l.substr(3) : l, mots)) return Envoie("error:2\r\n");
    bool relatif = jog ? false : relatif_, axes = false, g10 = false, g4 = false;
    int mode = mode_;
    std::array<double, 3> cible{};
    bool donne[3] = {false, false, false};
    double avance = jog ? 0.0 : avance_;
    for (const Mot& m : mots) {
        const int v = static_cast<int>(std::lround(m.valeur * 10));
        switch (m.lettre) {
            case 'G':
                if (v == 0 || v == 10 || v == 20 || v == 30)
                    mode = v / 10;
                else if (v == 900)
                    relatif = false;
                else if (v == 910)
                    relatif = true;
                else if (v == 100)
                    g10 = true;
                else if (v == 40)
                    g4 = true;
                // The rest of what GRBL 1.1 knows: planes, units, modes, cancels, offsets.
                else if (v != 170 && v != 180 && v != 190 && v != 200 && v != 210 && v != 280 && v != 300 && v != 400 &&
                         v != 490 && v != 530 && (v < 540 || v > 590 || v % 10) && v != 610 && v != 800 && v != 930 &&
                         v != 940 && v != 921 && v != 920)
                    return Envoie("error:20\r\n");
                break;
            case 'M':
                if (v != 0 && v != 10 && v != 20 && v != 30 && v != 40 && v != 50 && v != 70 && v != 80 && v != 90 &&
                    v != 300)
                    return Envoie("error:20\r\n");
                break;
            case 'X':
            case 'Y':
            case 'Z': {
                const int k = m.lettre - 'X';
                cible[k] = m.valeur;
                donne[k] = axes = true;
                break;
            }
            case 'F': avance = m.valeur; break;
            case 'S':
            case 'P':
            case 'L':
            case 'I':
            case 'J':
            case 'R':
            case 'N': break;
            default: return Envoie("error:20\r\n");
        }
    }
    if (g10) {
        // G10 L20 P1: the given axes of the current position become the work zero there.
        for (int k = 0; k < 3; ++k)
            if (donne[k]) wco_[k] = mpos_[k] - cible[k];
        return Envoie("ok\r\n");
    }
    if ((mode != 0 || jog) && axes && avance <= 0.0) return Envoie("error:22\r\n");
    if (!jog) relatif_ = relatif, mode_ = mode, avance_ = avance;
    if (axes || g4) {
        std::array<double, 3> depart = planificateur_.empty() ? mpos_ : planificateur_.back().cible;
        for (int k = 0; k < 3; ++k)
            if (donne[k]) depart[k] = relatif ? depart[k] + cible[k] : cible[k] + wco_[k];
        if (planificateur_.empty()) finBloc_ = t + o_.dureeBloc;
        planificateur_.push_back({depart, jog});
        if (etat_ == "Idle") etat_ = jog ? "Jog" : "Run";
    }
    Envoie("ok\r\n");
}

void BancGrbl::Boucle() {
    while (!arret_) {
        if (debrancher_) {
            std::lock_guard<std::mutex> v(mutex_);
            close(maitre_);
            close(esclave_);
            maitre_ = esclave_ = -1;
            return;
        }
        pollfd p{maitre_, POLLIN, 0};
        const timespec attente{0, 50'000};
        ppoll(&p, 1, &attente, nullptr);
        char tampon[256];
        const ssize_t n = (p.revents & POLLIN) ? read(maitre_, tampon, sizeof tampon) : 0;
        std::lock_guard<std::mutex> v(mutex_);
        const Instant t = std::chrono::steady_clock::now();
        for (ssize_t i = 0; i < n; ++i) Octet(tampon[i], t);
        if (const int a = alarme_.exchange(0)) {
            planificateur_.clear();
            etat_ = "Alarm";
            Envoie("ALARM:" + std::to_string(a) + "\r\n");
        }
        // The planner runs its blocks one after the other, unless held.
        if ((etat_ == "Run" || etat_ == "Jog") && !planificateur_.empty() && t >= finBloc_) {
            mpos_ = planificateur_.front().cible;
            planificateur_.pop_front();
            finBloc_ = t + o_.dureeBloc;
            if (planificateur_.empty()) etat_ = "Idle";
        }
        // The line at the head of the buffer, once complete and given its time.
        const std::size_t fin = rx_.find_first_of("\r\n");
        if (fin == std::string::npos) continue;
        if (!pretConnu_) {
            pret_ = std::max(t, dernierFini_) + o_.delai;
            pretConnu_ = true;
        }
        const std::string ligne = rx_.substr(0, fin);
        if (t < pret_ || (Mouvement(Nettoie(ligne)) && planificateur_.size() >= BlocsMax)) continue;
        Mesure(t);
        rx_.erase(0, fin + 1);
        pretConnu_ = false;
        dernierFini_ = t;
        Traite(ligne, t);
    }
}

}  // namespace korvelin::test
