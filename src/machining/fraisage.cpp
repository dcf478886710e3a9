#include "machining/fraisage.h"

#include <algorithm>
#include <cmath>

#include "geometry/attaches.h"
#include "model/parametres.h"
#include "machining/controles.h"
#include "model/nombres.h"

namespace korvelin {

namespace {

bool VitesseNulle(double temps, double pas, int16_t nbPas) {
    const double vitesse = (1000 / temps) * pas / nbPas;
    // The window shows the speed with three decimals: what reads as 0 there is 0 here.
    return !std::isfinite(vitesse) || std::nearbyint(vitesse * 1000) <= 0;
}

struct ValeursRun {
    double H, P, MX, MY;
    int32_t N;
    Attaches attaches;
};

ValeursRun Valeurs(const PosteTravail& poste, const TravailFraisage& t) {
    return {LectureCote(t.HautDeg),
            LectureCote(t.ProfFraisage),
            poste.parametres.MargeX,
            poste.parametres.MargeY,
            poste.parametres.NbPasse < 1 ? 1 : poste.parametres.NbPasse,
            AttachesDe(poste.parametres)};
}

bool Refuse(const PosteTravail& poste, const ValeursRun& r, const GrilleCopies& grille) {
    if (poste.dessin.NbSequencesDecalees() == 0) {
        poste.ui.Message("Il faut ouvrir un dessin !", TitreProgramme, Icone::Critique);
        return true;
    }
    if (VitessesNulles(poste.parametres)) {
        poste.ui.Message("Les vitesses ne peuvent pas être nulles !\r\nRevoir les paramètres", "Erreur",
                         Icone::Critique);
        return true;
    }
    auto refus = ControleValeurs(poste.parametres, r.H, r.N);
    if (!refus) refus = ControleCourses(poste.dessin, poste.parametres, r.H, r.P, r.MX, r.MY, grille);
    if (!refus) refus = ControleAttaches(r.attaches, r.P);
    if (refus) {
        poste.ui.Message(*refus, TitreProgramme, Icone::Critique);
        return true;
    }
    return false;
}

// The moves of one copy from its zero (m.Origine), motor on to motor off. Every position
// is a target in whole steps from that zero, so the copy ends exactly where it began.
// False when a stop request ended it.
bool Exemplaire(const PosteTravail& poste, Machine& m, const ValeursRun& r) {
    const Dessin& d = poste.dessin;
    ActionMarcheMoteur(m);
    Attente(m, 0.5);
    m.MinuterieMoteurActive = false;
    const std::size_t nb = d.NbSequencesDecalees();
    const std::vector<std::vector<SpanAttache>> attaches = PlaceAttaches(d, r.attaches);
    const double zAttache = HauteurAttache(r.P, r.attaches);
    for (std::size_t k = 0; k < nb; ++k) {
        m.Ou.trace = static_cast<int32_t>(k);
        m.Ou.passe = 0;
        m.Ou.point = -1;
        if (k == 0 && !AllerZ(m, r.H, false)) return false;
        const auto& points = d.Trace_Decale[k].Points;
        // A trace without any point has nothing to cut: going through its passes would
        // only lift the tool.
        if (points.empty()) continue;
        for (int32_t p = 1; p <= r.N; ++p) {
            m.Ou.passe = p;
            const double profondeur = r.P * p / r.N;
            m.Ou.point = 0;
            if (!AllerXY(m, points[0].X + r.MX, points[0].Y + r.MY, false)) return false;
            if (!(AllerZ(m, 0.0, false) && AllerZ(m, profondeur, true))) return false;
            // The point reached last: a tab's ends lie between two of them.
            std::size_t j = 0;
            bool suite = true;
            CoupePasse(
                points, attaches[k], r.MX, r.MY, profondeur, zAttache,
                [&](double x, double y, double z, bool vertical) {
                    if (!suite) return;
                    if (vertical) {
                        suite = AllerZ(m, z, true);
                        return;
                    }
                    const std::size_t vise = std::min<std::size_t>(j + 1, points.size() - 1);
                    m.Ou.point = static_cast<int32_t>(vise);
                    suite = AllerXY(m, x, y, true);
                    if (x == points[vise].X + r.MX && y == points[vise].Y + r.MY) j = vise;
                },
                [&](double x, double y) {
                    if (!suite) return;
                    j = std::min<std::size_t>(j + 1, points.size() - 1);
                    m.Ou.point = static_cast<int32_t>(j);
                    suite = AllerZ(m, r.H, false) && AllerXY(m, x, y, false) && AllerZ(m, 0.0, false) &&
                            AllerZ(m, profondeur, true);
                });
            if (!suite || !AllerZ(m, r.H, false)) return false;
        }
    }
    m.Ou.trace = -1;
    m.Ou.passe = 0;
    m.Ou.point = -1;
    if (!(AllerXY(m, 0.0, 0.0, false) && AllerZ(m, 0.0, false))) return false;
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
    SignaleFin(poste, cr, "Fraisage");
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
    const ValeursRun r = Valeurs(poste, travail);
    if (Refuse(poste, r, {})) {
        CompteRendu cr;
        cr.issue = Issue::Refusee;
        return cr;
    }
    SessionMachine session(m, arret);
    const bool fini = Exemplaire(poste, m, r);
    return Conclut(poste, m, session, fini);
}

CompteRendu FraisageSerie(const PosteTravail& poste, Machine& m, const TravailFraisage& travail, const Serie& serie,
                          const std::atomic<bool>& arret) {
    const ValeursRun r = Valeurs(poste, travail);
    // Checked once: a refused copy must not leave the machine wandering through the shifts.
    if (Refuse(poste, r, {serie.NbX, serie.NbY, serie.DecalX, serie.DecalY})) {
        CompteRendu cr;
        cr.issue = Issue::Refusee;
        return cr;
    }
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
