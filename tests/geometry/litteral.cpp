#include "geometry/litteral.h"

#include <cmath>
#include <string>

#include "model/listes.h"
#include "model/primitives.h"

namespace korvelin::test {

namespace {

void Cotes(const PointTrace& p, double th, double R, PointTrace& g, PointTrace& d) {
    g = d = PointTrace{};
    g.X = float(p.X + R * std::cos(th + Pi / 2));
    g.Y = float(p.Y + R * std::sin(th + Pi / 2));
    d.X = float(p.X - R * std::cos(th + Pi / 2));
    d.Y = float(p.Y - R * std::sin(th + Pi / 2));
}

}  // namespace

void DecalageLitteral(Contexte& ctx, Code2 e) {
    if (e == AucuneSequence) return;
    Dessin& d = ctx.dessin;
    const Parametres& prm = ctx.parametres;
    const double R = prm.RayonFraise;
    const std::string lib = "Tracé " + e.Texte();
    ctx.ui->Sablier(true);
    const int32_t premier = PremierPointSequence(d, e);
    const int32_t n = NbPointsSequence(d, premier);
    if (n < 2) return ctx.ui->Sablier(false);
    std::vector<PointTrace> P(d.Trace_Initial.begin() + premier, d.Trace_Initial.begin() + premier + n);
    SequenceDecalee* sortie = nullptr;
    for (auto& s : d.Trace_Decale)
        if (!sortie && s.Sequence == e) sortie = &s;
    if (prm.DecalageOutil == 2) {
        sortie->Points = P;
        return ctx.ui->Sablier(false);
    }
    auto& T = d.Trace_Travail;
    T.assign(n, PointTrace{});
    double th = 0;
    AngleSegment(P[0], P[1], th);
    PointTrace g, dr, A, B;
    Cotes(P[0], th, R, g, dr);
    const char s = CoteDe(P[0], P[1], g);
    A = (prm.DecalageOutil == 1 ? s == 'D' : s == 'G') ? g : dr;
    T[0] = A;
    for (int32_t k = 1; k <= n - 2; ++k) {
        if (prm.AffichageCalcul) ctx.ui->TexteStatut(5, lib + " - 1er passage, point n° " + std::to_string(k));
        if (!Intersection(DroiteAngle(A, th), DroiteAngle(P[k], Bissectrice(P[k - 1], P[k], P[k + 1])), B)) {
            ctx.ui->Message("Problème d'intersection", "Korvelin", Icone::Aucune);
            return ctx.ui->Sablier(false);
        }
        T[k] = A = B;
        th = 0;
        AngleSegment(P[k], P[k + 1], th);
    }
    th = 0;
    AngleSegment(P[n - 2], P[n - 1], th);
    Cotes(P[n - 1], th, R, g, dr);
    T[n - 1] = Distance(dr, T[n - 2]) < Distance(g, T[n - 2]) ? dr : g;
    if (P[0].X == P[n - 1].X && P[0].Y == P[n - 1].Y && (T[0].X != T[n - 1].X || T[0].Y != T[n - 1].Y)) {
        PointTrace c;
        if (!Intersection(DroitePassantPar(T[0], T[1]), DroitePassantPar(T[n - 2], T[n - 1]), c)) {
            ctx.ui->Message("Problème d'intersection fin", "Korvelin", Icone::Aucune);
            return ctx.ui->Sablier(false);
        }
        T[0] = T[n - 1] = c;
    }
    auto& D = sortie->Points;
    D = T;
    for (auto& p : D) p.Sequence = e;
    if (prm.Optimisation_1) {
        for (int32_t i = 0; i < n; ++i) {
            if (prm.AffichageCalcul) ctx.ui->TexteStatut(5, lib + " - 2nd passage, point n° " + std::to_string(i));
            for (int32_t k = 0; k + 1 < n; ++k)
                if (TropProche(P[k], P[k + 1], D[i], R)) D[i].Sequence = MarqueSuppression;
        }
        std::size_t w = 0;
        for (int32_t i = 0; i < n; ++i)
            if (D[i].Sequence != MarqueSuppression) D[w++] = D[i];
        if (w > 0)
            D.resize(w);
        else
            ctx.ui->Message("Impossible de décaler ce tracé avec ce rayon de fraise", "Erreur", Icone::Critique);
    }
    ctx.ui->TexteStatut(5, "");
    ctx.ui->Sablier(false);
}

void CalculDecalageToutLitteral(Contexte& ctx) {
    Dessin& d = ctx.dessin;
    d.Trace_Decale.clear();
    Code2 prec = AucuneSequence;
    for (int32_t i = 0; i < d.NbPoints; ++i)
        if (d.Trace_Initial[i].Sequence != prec) {
            prec = d.Trace_Initial[i].Sequence;
            d.Trace_Decale.push_back({prec, std::vector<PointTrace>(1)});
        }
    d.Trace_Decale.emplace_back();
    for (std::size_t k = 0; k + 1 < d.Trace_Decale.size(); ++k) DecalageLitteral(ctx, d.Trace_Decale[k].Sequence);
}

namespace {

bool Rejoint(const PointTrace& a, const PointTrace& b) {
    return std::fabs(a.X - b.X) < 0.001 && std::fabs(a.Y - b.Y) < 0.001;
}

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
            if (!Rejoint(t[j], E)) continue;
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
        if (d.Trace_Initial[i].Sequence != prec) {
            prec = d.Trace_Initial[i].Sequence;
            InverseSequence(d, prec);
        }
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
