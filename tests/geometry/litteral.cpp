#include "geometry/litteral.h"

#include <algorithm>
#include <cmath>

#include "geometry/decalage.h"
#include "model/listes.h"
#include "model/primitives.h"

namespace korvelin::test {

namespace {

// DecalageSequence finds the trace and its entry by label; only its second pass is
// replaced here by the plain loop.
void DecalageLitteral(Dessin& d, const ReglagesDecalage& prm, Code2 e, Diagnostics& diagnostics) {
    SequenceDecalee* s = nullptr;
    for (auto& x : d.Trace_Decale)
        if (!s && x.Sequence == e) s = &x;
    if (!s || e == AucuneSequence) return;
    // An entry left empty tells that nothing was stored.
    auto& D = s->Points;
    const std::vector<PointTrace> avant = std::move(D);
    D.clear();
    const bool optimise = prm.optimisation1;
    ReglagesDecalage sans = prm;
    sans.optimisation1 = false;
    ResultatDecalage res = DecalageSequence(d, std::move(d.Trace_Decale), e, sans);
    d.Trace_Decale = std::move(res.chemins);
    diagnostics.insert(diagnostics.end(), res.diagnostics.begin(), res.diagnostics.end());
    // The entries came back in the same storage: s and D still name this one.
    const bool stocke = !D.empty();
    if (!stocke) D = avant;
    if (!stocke || !optimise || prm.cote == 2) return;
    const int32_t premier = PremierPointSequence(d, e);
    const int32_t n = NbPointsSequence(d, premier);
    const PointTrace* P = &d.Trace_Initial[premier];
    for (auto& q : D)
        for (int32_t k = 0; k + 1 < n; ++k)
            if (TropProche(P[k], P[k + 1], q, prm.rayon)) q.Sequence = MarqueSuppression;
    // A join is too close when some drawn segment crosses it or comes near one of their
    // four ends, every segment asked.
    auto jointureTropProche = [&](const PointTrace& a, const PointTrace& b) {
        auto croise = [](const PointTrace& p, const PointTrace& q, const PointTrace& r, const PointTrace& t) {
            auto o = [](const PointTrace& u, const PointTrace& v, const PointTrace& w) {
                const double x = (double(v.X) - u.X) * (double(w.Y) - u.Y) - (double(v.Y) - u.Y) * (double(w.X) - u.X);
                return (x > 0) - (x < 0);
            };
            return o(p, q, r) * o(p, q, t) < 0 && o(r, t, p) * o(r, t, q) < 0;
        };
        // A cut from or to a point off to infinity is never measured.
        if (!std::isfinite(a.X) || !std::isfinite(a.Y) || !std::isfinite(b.X) || !std::isfinite(b.Y)) return false;
        for (int32_t k = 0; k + 1 < n; ++k)
            if ((croise(a, b, P[k], P[k + 1]) && prm.rayon > 0.01) || TropProche(P[k], P[k + 1], a, prm.rayon) ||
                TropProche(P[k], P[k + 1], b, prm.rayon) || TropProche(a, b, P[k], prm.rayon) ||
                TropProche(a, b, P[k + 1], prm.rayon))
                return true;
        return false;
    };
    // A closed path whose closing corner went round starts at its first kept point.
    const bool ferme =
        n >= 3 && std::fabs(double(P[0].X - P[n - 1].X)) < 0.001 && std::fabs(double(P[0].Y - P[n - 1].Y)) < 0.001;
    if (ferme && D.size() >= 3 && D[0].Sequence == MarqueSuppression && D[0].X == D.back().X && D[0].Y == D.back().Y) {
        std::size_t k = 0;
        while (k + 1 < D.size() && D[k].Sequence == MarqueSuppression) ++k;
        if (k + 1 < D.size()) {
            std::vector<PointTrace> tourne(D.begin() + std::ptrdiff_t(k), D.end() - 1);
            tourne.insert(tourne.end(), D.begin(), D.begin() + std::ptrdiff_t(k) + 1);
            D = tourne;
        }
    }
    // A join too close is lifted over.
    std::size_t w = 0, serre = SIZE_MAX, levee = SIZE_MAX;
    double retire = 0;
    for (std::size_t i = 0; i < D.size(); ++i) {
        if (i > 0 && (D[i - 1].Sequence == MarqueSuppression || D[i].Sequence == MarqueSuppression))
            retire += Distance(D[i - 1], D[i]);
        if (D[i].Sequence == MarqueSuppression) continue;
        if (retire > 2 * Pi * std::fabs(prm.rayon) && serre == SIZE_MAX) serre = w;
        retire = 0;
        PointTrace q = D[i];
        if (w > 0 && jointureTropProche(D[w - 1], q)) {
            q.Plume = MarqueLevee;
            if (levee == SIZE_MAX) levee = w;
        }
        D[w++] = q;
    }
    D.resize(w);
    if (w == 0)
        diagnostics.push_back({Gravite::Erreur, "Impossible de décaler ce tracé avec ce rayon de fraise", "", 0, {}});
    else if (levee != SIZE_MAX)
        diagnostics.push_back({Gravite::Avertissement, MessageTropSerre(e, Serre::Leve, levee), "", 0, {}});
    else if (serre != SIZE_MAX)
        diagnostics.push_back({Gravite::Avertissement, MessageTropSerre(e, Serre::Retire, serre), "", 0, {}});
}

}  // namespace

PremierPassage PremierPassageLitteral(const ReglagesDecalage& prm, const std::vector<PointTrace>& P) {
    PremierPassage r;
    const double R = prm.rayon;
    const std::size_t n = P.size();
    auto lateraux = [R](const PointTrace& p, double theta, PointTrace& g, PointTrace& d) {
        const double cx = R * std::cos(theta + Pi / 2), cy = R * std::sin(theta + Pi / 2);
        g = d = PointTrace{};
        g.X = float(p.X + cx), g.Y = float(p.Y + cy);
        d.X = float(p.X - cx), d.Y = float(p.Y - cy);
    };
    auto ecart = [&](const PointTrace& q, const PointTrace& p) {
        r.rayonsMax = std::max(r.rayonsMax, Distance(q, p) / std::fabs(R));
    };
    std::vector<PointTrace>& T = r.points;
    T.assign(n, PointTrace{});
    double theta = AngleSegment(P[0], P[1]);
    PointTrace g, d;
    lateraux(P[0], theta, g, d);
    const char cote = CoteDe(P[0], P[1], g);
    T[0] = (prm.cote == 1 ? cote == 'D' : cote == 'G') ? g : d;
    const bool gauche = T[0].X == g.X && T[0].Y == g.Y;
    for (std::size_t k = 1; k + 1 < n; ++k) {
        PointTrace B;
        // The parallel beside P[k] itself, in double.
        const double sn = std::sin(theta), cs = std::cos(theta), rg = gauche ? R : -R;
        const double px = double(P[k].X) - rg * sn, py = double(P[k].Y) + rg * cs;
        const Droite parallele{sn, -cs, py * cs - px * sn};
        if (!Intersection(parallele, DroiteAngle(P[k], Bissectrice(P[k - 1], P[k], P[k + 1])), B)) {
            r.message = "Problème d'intersection";
            return r;
        }
        T[k] = B;
        ecart(B, P[k]);
        theta = AngleSegment(P[k], P[k + 1]);
    }
    lateraux(P[n - 1], AngleSegment(P[n - 2], P[n - 1]), g, d);
    T[n - 1] = Distance(d, T[n - 2]) < Distance(g, T[n - 2]) ? d : g;
    const bool ferme =
        n >= 3 && std::fabs(double(P[0].X - P[n - 1].X)) < 0.001 && std::fabs(double(P[0].Y - P[n - 1].Y)) < 0.001;
    if (ferme && (T[0].X != T[n - 1].X || T[0].Y != T[n - 1].Y)) {
        PointTrace coin;
        if (!Intersection(DroitePassantPar(T[0], T[1]), DroitePassantPar(T[n - 2], T[n - 1]), coin)) {
            r.message = "Problème d'intersection fin";
            return r;
        }
        T[0] = T[n - 1] = coin;
        ecart(coin, P[0]);
    }
    return r;
}

Diagnostics CalculDecalageToutLitteral(Dessin& d, const ReglagesDecalage& r) {
    Diagnostics diagnostics;
    d.Trace_Decale.clear();
    Code2 prec = AucuneSequence;
    for (int32_t i = 0; i < d.NbPoints; ++i)
        if (d.Trace_Initial[i].Sequence != prec) {
            prec = d.Trace_Initial[i].Sequence;
            PointTrace depart = d.Trace_Initial[i];
            depart.Plume = Code2{};
            d.Trace_Decale.push_back({prec, {depart}});
        }
    d.Trace_Decale.emplace_back();
    // A label carried by two runs is computed once, for its first run.
    for (std::size_t k = 0; k + 1 < d.Trace_Decale.size(); ++k) {
        bool deja = false;
        for (std::size_t j = 0; j < k; ++j) deja = deja || d.Trace_Decale[j].Sequence == d.Trace_Decale[k].Sequence;
        if (!deja) DecalageLitteral(d, r, d.Trace_Decale[k].Sequence, diagnostics);
    }
    return diagnostics;
}

namespace {

void Passe(Dessin& d) {
    std::vector<PointTrace> soudee(d.NbPoints + 1);
    int32_t nb = 0;
    const int32_t total = d.NbPoints;
    auto& t = d.Trace_Initial;
    auto ajoute = [&](Code2 L, bool inverse, Code2 N) {
        const int32_t p = PremierPointSequence(d, L), k = NbPointsSequence(d, p);
        for (int32_t i = 0; i < k; ++i) {
            soudee[nb] = t[inverse ? p + k - 1 - i : p + i];
            soudee[nb++].Sequence = N;
        }
        SupprimeSequence(d, L);
    };
    Code2 C = t[0].Sequence;
    ajoute(C, false, C);
    while (d.NbPoints >= 1) {
        const PointTrace E = soudee[nb - 1];
        int32_t j = 0;
        bool fin = false;
        for (; j < d.NbPoints; ++j) {
            if (!(std::fabs(t[j].X - E.X) < 0.001 && std::fabs(t[j].Y - E.Y) < 0.001)) continue;
            if (j == 0 || t[j - 1].Sequence != t[j].Sequence) break;
            if (j == d.NbPoints - 1 || t[j + 1].Sequence != t[j].Sequence) {
                fin = true;
                break;
            }
        }
        if (j < d.NbPoints) {
            ajoute(t[j].Sequence, fin, C);
        } else {
            C = t[0].Sequence;
            ajoute(C, false, C);
        }
    }
    t = soudee;
    d.NbPoints = total;
    SupprimeDoublons(d);
}

void InverseTout(Dessin& d) {
    Code2 prec{0xFFFF, 0xFFFF};
    for (int32_t i = 0; i < d.NbPoints; ++i)
        if (d.Trace_Initial[i].Sequence != prec) InverseSequence(d, prec = d.Trace_Initial[i].Sequence);
}

}  // namespace

void SoudureLitterale(Dessin& d) {
    if (d.NbPoints < 1) return;
    Passe(d);
    InverseTout(d);
    if (d.NbPoints >= 1) Passe(d);
    InverseTout(d);
    SupprimeDoublons(d);
}

}  // namespace korvelin::test
