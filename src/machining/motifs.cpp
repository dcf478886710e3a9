#include "machining/motifs.h"

#include <cmath>

#include "machining/controles.h"

namespace korvelin {

namespace {

// The moves of a pattern, every position measured from its start corner in whole steps;
// each returns false once a stop request has ended a move.
struct Trajet {
    Machine& m;
    double H, P;

    bool Monte() { return AllerZ(m, H, false); }
    bool Descend() { return AllerZ(m, 0.0, false); }
    bool Perce() { return AllerZ(m, P, true) && AllerZ(m, 0.0, false); }
    bool Va(double x, double y) { return AllerXY(m, x, y, false); }
};

bool Carre(Trajet& t, double D) {
    if (!(t.Perce() && t.Monte())) return false;
    const double coins[3][2] = {{0, D}, {D, D}, {D, 0}};
    for (const auto& c : coins) {
        if (!(t.Va(c[0], c[1]) && t.Descend() && t.Perce() && t.Monte())) return false;
    }
    return t.Va(0, 0) && t.Descend();
}

bool Octogone(Trajet& t, double D) {
    const double a = 0.29289 * D, b = 0.41421 * D;
    if (!t.Monte()) return false;
    // The corners the relative moves (0, a), (0, b), (a, a), (b, 0), (a, -a), (0, -b),
    // (-a, -a), (-b, 0) visit one after the other.
    const double coins[8][2] = {{0, a},         {0, a + b}, {a, 2 * a + b}, {a + b, 2 * a + b}, {2 * a + b, a + b},
                                {2 * a + b, a}, {a + b, 0}, {a, 0}};
    for (const auto& c : coins) {
        if (!(t.Va(c[0], c[1]) && t.Descend() && t.Perce() && t.Monte())) return false;
    }
    return t.Va(0, 0) && t.Descend();
}

bool Cercle(Trajet& t, double D) {
    if (!t.Monte()) return false;
    const double pasAngle = 2 * Pi / 360;
    for (double angle = 0; angle <= 2 * Pi; angle += pasAngle) {
        if (!t.Va(D / 2 + (D / 2) * std::cos(angle), D / 2 + (D / 2) * std::sin(angle))) return false;
        if (angle == 0 && !(t.Descend() && AllerZ(t.m, t.P, true))) return false;
    }
    return AllerZ(t.m, 0.0, false) && t.Monte() && t.Va(0, 0) && t.Descend();
}

}  // namespace

CompteRendu MotifTest(const PosteTravail& poste, Machine& m, int option, double D, const TravailFraisage& travail,
                      const std::atomic<bool>& arret) {
    if (option < 0 || option > 2) return {};
    const double H = LectureCote(travail.HautDeg), P = LectureCote(travail.ProfFraisage);
    if (auto refus = ControleMotif(poste.parametres, D, H, P)) return CompteRenduRefus(std::move(*refus));
    SessionMachine session(m, arret);
    Trajet t{m, H, P};
    ActionMarcheMoteur(m);
    bool fini = false;
    switch (static_cast<Motif>(option)) {
        case Motif::CarrePercages: fini = Carre(t, D); break;
        case Motif::OctogonePercages: fini = Octogone(t, D); break;
        case Motif::DetourageCercle: fini = Cercle(t, D); break;
    }
    ActionArretMoteur(m);
    CompteRendu cr;
    if (!fini) cr.issue = Issue::Interrompue;
    session.Completer(cr);
    AjouteBilan(poste.dessin, cr, "Motif de test");
    return cr;
}

}  // namespace korvelin
