#include "machining/fraisage.h"

#include <cmath>

#include "model/nombres.h"

namespace korvelin {

namespace {

bool VitesseNulle(double temps, double pas, int16_t nbPas) {
    const double vitesse = (1000 / temps) * pas / nbPas;
    // The window shows the speed with three decimals: what reads as 0 there is 0 here.
    return !std::isfinite(vitesse) || std::nearbyint(vitesse * 1000) <= 0;
}

bool Refuse(Contexte& ctx) {
    if (ctx.dessin.NbSequencesDecalees() == 0) {
        ctx.ui->Message("Il faut ouvrir un dessin !", TitreProgramme, Icone::Critique);
        return true;
    }
    if (VitessesNulles(ctx.parametres)) {
        ctx.ui->Message("Les vitesses ne peuvent pas être nulles !\r\nRevoir les paramètres", "Erreur", Icone::Critique);
        return true;
    }
    return false;
}

struct ValeursRun {
    double H, P, MX, MY;
    int32_t N;
};

ValeursRun Valeurs(const Contexte& ctx, const TravailFraisage& t) {
    return {LectureCote(t.HautDeg), LectureCote(t.ProfFraisage), ctx.parametres.MargeX, ctx.parametres.MargeY,
            ctx.parametres.NbPasse < 1 ? 1 : ctx.parametres.NbPasse};
}

// The moves of one copy, motor on to motor off. False when a stop request ended it.
bool Exemplaire(Contexte& ctx, Machine& m, const ValeursRun& r, CompteRendu& cr) {
    const Dessin& d = ctx.dessin;
    ActionMarcheMoteur(m);
    Attente(m, 0.5);
    m.MinuterieMoteurActive = false;
    double X = 0, Y = 0;
    const std::size_t nb = d.NbSequencesDecalees();
    for (std::size_t k = 0; k < nb; ++k) {
        cr.trace = static_cast<int32_t>(k);
        cr.passe = 0;
        cr.point = -1;
        if (k == 0 && !DeplacementZ(m, +r.H, false)) return false;
        const auto& points = d.Trace_Decale[k].Points;
        // A trace without any point has nothing to cut: going through its passes would
        // only lift the tool.
        if (points.empty()) continue;
        for (int32_t p = 1; p <= r.N; ++p) {
            cr.passe = p;
            const double profondeur = r.P * p / r.N;
            for (std::size_t j = 0; j < points.size(); ++j) {
                cr.point = static_cast<int32_t>(j);
                const PointTrace courant{static_cast<float>(X), static_cast<float>(Y), {}, {}};
                PointTrace cible{static_cast<float>(points[j].X + r.MX), static_cast<float>(points[j].Y + r.MY), {}, {}};
                if (!DeplacementXY(m, courant, cible, j > 0)) return false;
                if (j == 0) {
                    if (!DeplacementZ(m, -r.H, false)) return false;
                    if (!DeplacementZ(m, profondeur, true)) return false;
                }
                X = cible.X;
                Y = cible.Y;
            }
            if (!DeplacementZ(m, std::fabs(r.H - profondeur), false)) return false;
        }
    }
    cr.trace = -1;
    cr.passe = 0;
    cr.point = -1;
    PointTrace zero{};
    if (!DeplacementXY(m, {static_cast<float>(X), static_cast<float>(Y), {}, {}}, zero, false)) return false;
    if (!DeplacementZ(m, -r.H, false)) return false;
    ActionArretMoteur(m);
    m.MinuterieMoteurActive = true;
    return true;
}

CompteRendu Conclut(Contexte& ctx, Machine& m, const SessionMachine& session, CompteRendu cr, bool fini) {
    if (!fini) {
        ActionArretMoteur(m);
        m.MinuterieMoteurActive = true;
        cr.issue = Issue::Interrompue;
    }
    session.Completer(cr);
    SignaleFin(ctx, cr, "Fraisage");
    return cr;
}

// Relative XY move at clearance height: up, move, down. Returns the move reached in (dx, dy).
bool Decalage(Machine& m, double H, double& dx, double& dy) {
    if (!DeplacementZ(m, H, false)) return false;
    PointTrace cible{static_cast<float>(dx), static_cast<float>(dy), {}, {}};
    if (!DeplacementXY(m, PointTrace{}, cible, false)) return false;
    dx = cible.X;
    dy = cible.Y;
    return DeplacementZ(m, -H, false);
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

CompteRendu FraisageExemplaire(Contexte& ctx, Machine& m, const TravailFraisage& travail,
                               const std::atomic<bool>& arret) {
    CompteRendu cr;
    if (Refuse(ctx)) {
        cr.issue = Issue::Refusee;
        return cr;
    }
    SessionMachine session(m, arret);
    const bool fini = Exemplaire(ctx, m, Valeurs(ctx, travail), cr);
    return Conclut(ctx, m, session, cr, fini);
}

CompteRendu FraisageSerie(Contexte& ctx, Machine& m, const TravailFraisage& travail, const Serie& serie,
                          const std::atomic<bool>& arret) {
    CompteRendu cr;
    // Checked once: a refused copy must not leave the machine wandering through the shifts.
    if (Refuse(ctx)) {
        cr.issue = Issue::Refusee;
        return cr;
    }
    SessionMachine session(m, arret);
    const ValeursRun r = Valeurs(ctx, travail);
    auto serieComplete = [&]() {
        ActionMarcheMoteur(m);
        for (int32_t rangee = 1; rangee <= serie.NbY; ++rangee) {
            cr.rangee = rangee;
            double retourX = 0.0;
            for (int32_t copie = 1; copie <= serie.NbX; ++copie) {
                cr.copie = copie;
                if (!Exemplaire(ctx, m, r, cr)) return false;
                // The copy has switched the motor output off: the shift needs it on.
                ActionMarcheMoteur(m);
                double dx = serie.DecalX, dy = 0.0;
                if (!Decalage(m, r.H, dx, dy)) return false;
                retourX += dx;
            }
            // Back under the row's first copy, by the distance the shifts actually made.
            double dx = -retourX, dy = serie.DecalY;
            if (!Decalage(m, r.H, dx, dy)) return false;
        }
        ActionArretMoteur(m);
        m.MinuterieMoteurActive = true;
        return true;
    };
    const bool fini = serieComplete();
    if (fini) {
        cr.copie = 0;
        cr.rangee = 0;
    }
    return Conclut(ctx, m, session, cr, fini);
}

}  // namespace korvelin
