#include "machining/reglage.h"

#include <cmath>

#include "machining/controles.h"

#include "model/nombres.h"

namespace korvelin {

double PasFleche(int touches) {
    double d = 1.0;
    if (touches & ToucheShift) d = 10.0;
    if (touches & ToucheCtrl) d = d / 10;
    return d;
}

int FlecheDeTouche(int codeTouche) {
    switch (codeTouche) {
        case 104: return 1;
        case 98: return 0;
        case 100: return 2;
        case 102: return 3;
        default: return -1;
    }
}

namespace {

CompteRendu Termine(const PosteTravail& poste, Machine& m, const SessionMachine& session, bool fini,
                    std::string_view quoi) {
    CompteRendu cr;
    if (!fini) {
        ActionArretMoteur(m);
        cr.issue = Issue::Interrompue;
    }
    session.Completer(cr);
    AjouteBilan(poste.dessin, cr, quoi);
    return cr;
}

bool UnPas(Machine& m, int fleche, double d) {
    switch (fleche) {
        case 0: return DeplacementXY(m, 0.0, -d, false);
        case 1: return DeplacementXY(m, 0.0, d, false);
        case 2: return DeplacementXY(m, -d, 0.0, false);
        case 3: return DeplacementXY(m, d, 0.0, false);
        case 4: return DeplacementZ(m, -d, false);
        case 5: return DeplacementZ(m, +d, false);
        default: return true;
    }
}

double LectureDeplacement(std::string_view texte) {
    std::string t(texte);
    for (char& c : t) {
        if (c == ',') c = '.';
    }
    const double v = LecturePlain(t);
    return std::isfinite(v) ? v : 0.0;
}

}  // namespace

CompteRendu FlecheAppuyee(const PosteTravail& poste, Machine& m, EtatFleches& etat, int fleche, int touches,
                          const std::atomic<bool>& arret) {
    if (fleche < 0 || fleche > 5) return {};
    SessionMachine session(m, arret);
    const double d = PasFleche(touches);
    ActionMarcheMoteur(m);
    const bool fini = UnPas(m, fleche, d);
    etat.FlecheEnCours = fleche;
    etat.ToucheFleche = touches;
    // A stop request also ends the repeat.
    etat.Intervalle = fini ? poste.parametres.TimerInterval : 0;
    return Termine(poste, m, session, fini, "Déplacement");
}

CompteRendu FlecheRepetee(const PosteTravail& poste, Machine& m, EtatFleches& etat, const std::atomic<bool>& arret) {
    if (etat.Intervalle == 0) return {};
    return FlecheAppuyee(poste, m, etat, etat.FlecheEnCours, etat.ToucheFleche, arret);
}

void FlecheRelachee(Machine& m, EtatFleches& etat) {
    etat.Intervalle = 0;
    ActionArretMoteur(m);
}

CompteRendu DeplacementSaisi(const PosteTravail& poste, Machine& m, std::string_view texteX, std::string_view texteY,
                             std::string_view texteZ, const std::atomic<bool>& arret) {
    const double dx = LectureDeplacement(texteX), dy = LectureDeplacement(texteY), dz = LectureDeplacement(texteZ);
    if (auto refus = ControleDeplacement(poste.parametres, dx, dy, dz)) return CompteRenduRefus(std::move(*refus));
    SessionMachine session(m, arret);
    ActionMarcheMoteur(m);
    bool fini = DeplacementXY(m, dx, dy, false);
    fini = fini && DeplacementZ(m, dz, false);
    if (fini) ActionArretMoteur(m);
    return Termine(poste, m, session, fini, "Déplacement");
}

std::string NettoieDimensionTest(std::string_view texte) {
    std::string chiffres;
    for (const char c : texte) {
        if (c >= '0' && c <= '9') chiffres += c;
    }
    return chiffres;
}

double DimensionTest(std::string_view texteNettoye) { return LecturePlain(texteNettoye); }

}  // namespace korvelin
