#include "grbl/reponses_grbl.h"

#include <cmath>

#include "model/nombres.h"

namespace korvelin::grbl {

std::string_view NomEtat(EtatMachine e) {
    switch (e) {
        case EtatMachine::Inconnu: return "inconnu";
        case EtatMachine::Repos: return "au repos";
        case EtatMachine::Cycle: return "en marche";
        case EtatMachine::Suspendu: return "en pause";
        case EtatMachine::Manuel: return "déplacement manuel";
        case EtatMachine::Alarme: return "en alarme";
        case EtatMachine::Porte: return "porte ouverte";
        case EtatMachine::Controle: return "contrôle du G-code";
        case EtatMachine::Origine: return "prise d'origine";
        case EtatMachine::Sommeil: return "en veille";
    }
    return "inconnu";
}

namespace {

std::optional<double> Nombre(std::string_view t) {
    if (t.empty() || t.find(',') != std::string_view::npos) return std::nullopt;
    const std::optional<double> v = LectureLocale(t);
    if (!v || !std::isfinite(*v)) return std::nullopt;
    return v;
}

std::optional<int> Entier(std::string_view t) {
    if (t.empty() || t.size() > 9) return std::nullopt;
    int v = 0;
    for (const char c : t) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + (c - '0');
    }
    return v;
}

// "a,b,c" into n numbers; nothing unless exactly n.
template <std::size_t N>
std::optional<std::array<double, N>> Liste(std::string_view t) {
    std::array<double, N> r{};
    for (std::size_t i = 0; i < N; ++i) {
        const std::size_t virgule = t.find(',');
        const bool dernier = i + 1 == N;
        if (dernier != (virgule == std::string_view::npos)) return std::nullopt;
        const std::optional<double> v = Nombre(t.substr(0, virgule));
        if (!v) return std::nullopt;
        r[i] = *v;
        if (!dernier) t.remove_prefix(virgule + 1);
    }
    return r;
}

std::optional<Axes> Position(std::string_view t) {
    // Boards with more axes send more values: the first three are X, Y and Z.
    std::size_t virgules = 0, fin = t.size();
    for (std::size_t i = 0; i < t.size(); ++i)
        if (t[i] == ',' && ++virgules == 3) {
            fin = i;
            break;
        }
    return Liste<3>(t.substr(0, fin));
}

std::optional<EtatMachine> Etat(std::string_view nom) {
    if (nom == "Idle") return EtatMachine::Repos;
    if (nom == "Run") return EtatMachine::Cycle;
    if (nom == "Hold") return EtatMachine::Suspendu;
    if (nom == "Jog") return EtatMachine::Manuel;
    if (nom == "Alarm") return EtatMachine::Alarme;
    if (nom == "Door") return EtatMachine::Porte;
    if (nom == "Check") return EtatMachine::Controle;
    if (nom == "Home") return EtatMachine::Origine;
    if (nom == "Sleep") return EtatMachine::Sommeil;
    return std::nullopt;
}

bool Champ(RapportEtat& r, std::string_view nom, std::string_view valeur) {
    if (nom == "MPos") return (r.mpos = Position(valeur)).has_value();
    if (nom == "WPos") return (r.wpos = Position(valeur)).has_value();
    if (nom == "WCO") return (r.wco = Position(valeur)).has_value();
    if (nom == "FS") {
        const auto v = Liste<2>(valeur);
        if (!v) return false;
        r.avance = (*v)[0];
        r.broche = (*v)[1];
        return true;
    }
    if (nom == "F") return (r.avance = Nombre(valeur)).has_value();
    if (nom == "Bf") {
        const std::size_t virgule = valeur.find(',');
        if (virgule == std::string_view::npos) return false;
        r.blocsLibres = Entier(valeur.substr(0, virgule));
        r.octetsLibres = Entier(valeur.substr(virgule + 1));
        return r.blocsLibres && r.octetsLibres;
    }
    if (nom == "Ln") {
        const std::optional<int> n = Entier(valeur);
        if (n) r.numeroLigne = *n;
        return n.has_value();
    }
    if (nom == "Ov") {
        const auto v = Liste<3>(valeur);
        if (!v) return false;
        // Overrides are whole percentages, at most a few hundred: anything else is noise
        // on the line, and could not even be held as a whole number.
        for (const double x : *v)
            if (!(x >= 0.0 && x <= 1000.0) || x != std::floor(x)) return false;
        r.surcharges = {static_cast<int>((*v)[0]), static_cast<int>((*v)[1]), static_cast<int>((*v)[2])};
        return true;
    }
    return true;  // Pn, A and what later versions add say nothing the program uses
}

}  // namespace

std::optional<RapportEtat> LectureRapport(std::string_view ligne) {
    if (ligne.size() < 3 || ligne.front() != '<' || ligne.back() != '>') return std::nullopt;
    std::string_view reste = ligne.substr(1, ligne.size() - 2);
    RapportEtat r;
    bool premier = true;
    while (true) {
        const std::size_t barre = reste.find('|');
        const std::string_view champ = reste.substr(0, barre);
        if (premier) {
            const std::size_t dp = champ.find(':');
            const std::optional<EtatMachine> e = Etat(champ.substr(0, dp));
            if (!e) return std::nullopt;
            r.etat = *e;
            if (dp != std::string_view::npos) {
                const std::optional<int> s = Entier(champ.substr(dp + 1));
                if (!s) return std::nullopt;
                r.sousEtat = *s;
            }
            premier = false;
        } else {
            const std::size_t dp = champ.find(':');
            if (dp == std::string_view::npos) return std::nullopt;
            if (!Champ(r, champ.substr(0, dp), champ.substr(dp + 1))) return std::nullopt;
        }
        if (barre == std::string_view::npos) break;
        reste.remove_prefix(barre + 1);
    }
    if (!r.mpos && !r.wpos) return std::nullopt;
    return r;
}

Reponse LectureReponse(std::string_view ligne) {
    while (!ligne.empty() && (ligne.back() == ' ' || ligne.back() == '\t')) ligne.remove_suffix(1);
    Reponse r;
    if (ligne.empty()) {
        r.genre = GenreReponse::Vide;
    } else if (ligne == "ok") {
        r.genre = GenreReponse::Ok;
    } else if (ligne.substr(0, 6) == "error:") {
        const std::optional<int> n = Entier(ligne.substr(6));
        r.genre = GenreReponse::Erreur;
        r.code = n.value_or(0);
    } else if (ligne.substr(0, 6) == "ALARM:") {
        const std::optional<int> n = Entier(ligne.substr(6));
        r.genre = GenreReponse::Alarme;
        r.code = n.value_or(0);
    } else if (ligne.substr(0, 5) == "Grbl " || ligne.substr(0, 8) == "GrblHAL ") {
        // grblHAL, on 32-bit boards, speaks the same protocol with a larger buffer.
        r.genre = GenreReponse::Banniere;
        const std::string_view v = ligne.substr(ligne.find(' ') + 1);
        r.version = std::string(v.substr(0, v.find(' ')));
    } else if (ligne.front() == '<') {
        r.rapport = LectureRapport(ligne);
        r.genre = r.rapport ? GenreReponse::Rapport : GenreReponse::Autre;
    } else if (ligne.front() == '$') {
        const std::size_t egal = ligne.find('=');
        const std::optional<int> n = egal == std::string_view::npos ? std::nullopt : Entier(ligne.substr(1, egal - 1));
        // "$N=V (commentaire)" on some builds: the value stops at the first blank.
        std::string_view valeur = egal == std::string_view::npos ? std::string_view{} : ligne.substr(egal + 1);
        valeur = valeur.substr(0, valeur.find(' '));
        const std::optional<double> v = Nombre(valeur);
        if (n && v) {
            r.genre = GenreReponse::Reglage;
            r.code = *n;
            r.valeur = *v;
        }
    } else if (ligne.front() == '[') {
        r.genre = GenreReponse::Message;
    }
    return r;
}

}  // namespace korvelin::grbl
