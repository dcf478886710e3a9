#include "machining/motifs.h"

#include <cmath>

namespace korvelin {

namespace {

// The moves of a pattern; each returns false once a stop request has ended a move.
struct Trajet {
    Machine& m;
    double H, P;

    bool Monte() { return DeplacementZ(m, H, false); }
    bool Descend() { return DeplacementZ(m, -H, false); }
    bool Perce() { return DeplacementZ(m, P, true) && DeplacementZ(m, -P, false); }
    bool Va(double dx, double dy) {
        PointTrace cible{static_cast<float>(dx), static_cast<float>(dy), {}, {}};
        return DeplacementXY(m, PointTrace{}, cible, false);
    }
};

bool Carre(Trajet& t, double D) {
    if (!(t.Perce() && t.Monte())) return false;
    const double coins[3][2] = {{0, D}, {D, 0}, {0, -D}};
    for (int i = 0; i < 3; ++i) {
        if (!(t.Va(coins[i][0], coins[i][1]) && t.Descend() && t.Perce() && t.Monte())) return false;
    }
    return t.Va(-D, 0) && t.Descend();
}

bool Octogone(Trajet& t, double D) {
    const double a = 0.29289 * D, b = 0.41421 * D;
    if (!t.Monte()) return false;
    const double coins[8][2] = {{0, a}, {0, b}, {a, a}, {b, 0}, {a, -a}, {0, -b}, {-a, -a}, {-b, 0}};
    for (const auto& c : coins) {
        if (!(t.Va(c[0], c[1]) && t.Descend() && t.Perce() && t.Monte())) return false;
    }
    return t.Va(-a, 0) && t.Descend();
}

bool Cercle(Trajet& t, double D) {
    if (!t.Monte()) return false;
    PointTrace c{};
    const double pasAngle = 2 * Pi / 360;
    for (double angle = 0; angle <= 2 * Pi; angle += pasAngle) {
        PointTrace cible{static_cast<float>(D / 2 + (D / 2) * std::cos(angle)),
                         static_cast<float>(D / 2 + (D / 2) * std::sin(angle)), {}, {}};
        if (!DeplacementXY(t.m, c, cible, false)) return false;
        if (angle == 0 && !(t.Descend() && DeplacementZ(t.m, t.P, true))) return false;
        c = cible;
    }
    if (!(DeplacementZ(t.m, -t.P, false) && t.Monte())) return false;
    // Back from where the circle actually ended, so the corner is reached whatever the
    // rounding of the last step.
    PointTrace depart{};
    return DeplacementXY(t.m, c, depart, false) && t.Descend();
}

}  // namespace

CompteRendu MotifTest(Contexte& ctx, Machine& m, int option, double D, const TravailFraisage& travail,
                      const std::atomic<bool>& arret) {
    if (option < 0 || option > 2) return {};
    if (!std::isfinite(D)) D = 0.0;
    SessionMachine session(m, arret);
    Trajet t{m, LectureCote(travail.HautDeg), LectureCote(travail.ProfFraisage)};
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
    SignaleFin(ctx, cr, "Motif de test");
    return cr;
}

}  // namespace korvelin
