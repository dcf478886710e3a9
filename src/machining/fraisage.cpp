#include "machining/fraisage.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "geometry/attaches.h"
#include "model/parametres.h"
#include "machining/controles.h"
#include "machining/mouvements.h"
#include "model/nombres.h"

namespace korvelin {

namespace {

bool VitesseNulle(double temps, double pas, int16_t nbPas) {
    const double vitesse = (1000 / temps) * pas / nbPas;
    // The window shows the speed with three decimals: what reads as 0 there is 0 here.
    return !std::isfinite(vitesse) || std::nearbyint(vitesse * 1000) <= 0;
}

CotesTravail Valeurs(const PosteTravail& poste, const TravailFraisage& t) {
    return {LectureCote(t.HautDeg),
            LectureCote(t.ProfFraisage),
            poste.parametres.MargeX,
            poste.parametres.MargeY,
            poste.parametres.NbPasse < 1 ? 1 : poste.parametres.NbPasse,
            AttachesDe(poste.parametres)};
}

// The report of a refused run, or nothing when the job may run.
std::optional<CompteRendu> Refuse(const PosteTravail& poste, const CotesTravail& r, const GrilleCopies& grille) {
    if (poste.dessin.NbSequencesDecalees() == 0) return CompteRenduRefus("Il faut ouvrir un dessin !");
    if (VitessesNulles(poste.parametres))
        return CompteRenduRefus("Les vitesses ne peuvent pas être nulles !\r\nRevoir les paramètres", "Erreur");
    auto refus = ControleValeurs(poste.parametres, r.H, r.N);
    if (!refus) refus = ControleCourses(poste.dessin, poste.parametres, r.H, r.P, r.MX, r.MY, grille);
    if (!refus) refus = ControleAttaches(r.attaches, r.P);
    if (refus) return CompteRenduRefus(std::move(*refus));
    return std::nullopt;
}

// The job's moves as pulses: each one a straight move to its target in whole steps from
// the copy's zero, so the copy ends exactly where it began. The moves the CUT file states
// without a length are not in the stream; the machine would not have stepped for them.
class PiloteMachine : public RecepteurMouvements {
public:
    explicit PiloteMachine(Machine& m) : m_(m) {}

    bool Recoit(const Mouvement& mv) override {
        m_.Ou.trace = mv.trace;
        m_.Ou.passe = mv.passe;
        m_.Ou.point = mv.point;
        using E = EtapeMouvement;
        switch (mv.etape) {
            case E::Montee:
            case E::Niveau:
            case E::Remontee: return AllerZ(m_, mv.z, false);
            case E::Descente:
            case E::Attache: return AllerZ(m_, mv.z, true);
            case E::Coupe: return AllerXY(m_, mv.x, mv.y, true);
            case E::Deplacement:
            case E::Retour: return AllerXY(m_, mv.x, mv.y, false);
        }
        return false;
    }

private:
    Machine& m_;
};

// One copy from its zero (m.Origine), motor on to motor off. False when a stop request
// ended it.
bool Exemplaire(const PosteTravail& poste, Machine& m, const CotesTravail& r) {
    ActionMarcheMoteur(m);
    Attente(m, 0.5);
    m.MinuterieMoteurActive = false;
    PiloteMachine pilote(m);
    // The machine keeps its own time: the durations the stream states are not used.
    TotauxCUT totaux;
    if (!ParcoursTravail(poste.dessin, r, {1, 1, 1, 1, 1, 1}, totaux, {}, pilote)) return false;
    ActionArretMoteur(m);
    m.MinuterieMoteurActive = true;
    return true;
}

CompteRendu Conclut(const PosteTravail& poste, Machine& m, const SessionMachine& session, bool fini) {
    CompteRendu cr;
    if (!fini) {
        ActionArretMoteur(m);
        m.MinuterieMoteurActive = true;
        cr.issue = Issue::Interrompue;
    }
    session.Completer(cr);
    AjouteBilan(poste.dessin, cr, "Fraisage");
    return cr;
}

// From the zero of one copy to that of another, at clearance height.
bool Transfert(Machine& m, double H, const std::array<int64_t, 3>& origine) {
    if (!AllerZ(m, H, false)) return false;
    m.Origine = origine;
    return AllerXY(m, 0.0, 0.0, false) && AllerZ(m, 0.0, false);
}

}  // namespace

bool VitessesNulles(const Parametres& v) {
    return VitesseNulle(v.TempsMin_Mat_X, v.Pas_X, v.NbPas_X) || VitesseNulle(v.TempsMin_Mat_Y, v.Pas_Y, v.NbPas_Y) ||
           VitesseNulle(v.TempsMin_Mat_Z, v.Pas_Z, v.NbPas_Z) || VitesseNulle(v.TempsMin_HMat_X, v.Pas_X, v.NbPas_X) ||
           VitesseNulle(v.TempsMin_HMat_Y, v.Pas_Y, v.NbPas_Y) ||
           VitesseNulle(v.TempsMin_Descente, v.Pas_Z, v.NbPas_Z) || VitesseNulle(v.TempsMin_Montee, v.Pas_Z, v.NbPas_Z);
}

double LectureCote(std::string_view texte) {
    const double v = LectureSaisie(texte);
    return std::isfinite(v) ? v : 0.0;
}

CompteRendu FraisageExemplaire(const PosteTravail& poste, Machine& m, const TravailFraisage& travail,
                               const std::atomic<bool>& arret) {
    const CotesTravail r = Valeurs(poste, travail);
    if (std::optional<CompteRendu> refus = Refuse(poste, r, {})) return std::move(*refus);
    SessionMachine session(m, arret);
    const bool fini = Exemplaire(poste, m, r);
    return Conclut(poste, m, session, fini);
}

CompteRendu FraisageSerie(const PosteTravail& poste, Machine& m, const TravailFraisage& travail, const Serie& serie,
                          const std::atomic<bool>& arret) {
    const CotesTravail r = Valeurs(poste, travail);
    // Checked once: a refused copy must not leave the machine wandering through the shifts.
    if (std::optional<CompteRendu> refus = Refuse(poste, r, {serie.NbX, serie.NbY, serie.DecalX, serie.DecalY}))
        return std::move(*refus);
    SessionMachine session(m, arret);
    const std::array<int64_t, 3> depart = m.Origine;
    const double sX = LongueurPas(poste.parametres.Pas_X, poste.parametres.NbPas_X);
    const double sY = LongueurPas(poste.parametres.Pas_Y, poste.parametres.NbPas_Y);
    auto serieComplete = [&]() {
        ActionMarcheMoteur(m);
        bool premiere = true;
        for (int32_t rangee = 1; rangee <= serie.NbY; ++rangee) {
            for (int32_t copie = 1; copie <= serie.NbX; ++copie) {
                // Each copy's zero in whole steps from the series' start: the spacing does
                // not add up its rounding from copy to copy.
                const std::array<int64_t, 3> origine{
                    depart[0] + PasPour(static_cast<double>(serie.DecalX) * (copie - 1), sX),
                    depart[1] + PasPour(static_cast<double>(serie.DecalY) * (rangee - 1), sY), depart[2]};
                m.Ou = {};
                m.Ou.copie = copie;
                m.Ou.rangee = rangee;
                if (!premiere) {
                    // The copy before has switched the motor output off: the shift needs it on.
                    ActionMarcheMoteur(m);
                    if (!Transfert(m, r.H, origine)) return false;
                }
                premiere = false;
                m.Origine = origine;
                if (!Exemplaire(poste, m, r)) return false;
            }
        }
        // Back to where the series began, ready for the next one.
        m.Ou = {};
        if (!premiere) {
            ActionMarcheMoteur(m);
            if (!Transfert(m, r.H, depart)) return false;
        }
        ActionArretMoteur(m);
        m.MinuterieMoteurActive = true;
        return true;
    };
    const bool fini = serieComplete();
    m.Origine = depart;
    return Conclut(poste, m, session, fini);
}

}  // namespace korvelin
