#include "geometry/litteral.h"

#include <cmath>

#include "geometry/decalage.h"
#include "model/listes.h"
#include "model/primitives.h"

namespace korvelin::test {

namespace {

// DecalageSequence finds the trace and its entry by label; only its second pass is
// replaced here by the plain loop.
void DecalageLitteral(Contexte& ctx, Code2 e) {
    Parametres& prm = ctx.parametres;
    SequenceDecalee* s = nullptr;
    for (auto& x : ctx.dessin.Trace_Decale)
        if (!s && x.Sequence == e) s = &x;
    if (!s || e == AucuneSequence) return;
    // An entry left empty tells that nothing was stored.
    auto& D = s->Points;
    const std::vector<PointTrace> avant = std::move(D);
    D.clear();
    const bool optimise = prm.Optimisation_1;
    prm.Optimisation_1 = false;
    DecalageSequence(ctx, e);
    prm.Optimisation_1 = optimise;
    const bool stocke = !D.empty();
    if (!stocke) D = avant;
    if (!stocke || !optimise || prm.DecalageOutil == 2) return;
    const int32_t premier = PremierPointSequence(ctx.dessin, e);
    const int32_t n = NbPointsSequence(ctx.dessin, premier);
    const PointTrace* P = &ctx.dessin.Trace_Initial[premier];
    for (auto& q : D)
        for (int32_t k = 0; k + 1 < n; ++k)
            if (TropProche(P[k], P[k + 1], q, prm.RayonFraise)) q.Sequence = MarqueSuppression;
    std::size_t w = 0;
    for (auto& q : D)
        if (q.Sequence != MarqueSuppression) D[w++] = q;
    if (w > 0)
        D.resize(w);
    else
        ctx.ui->Message("Impossible de décaler ce tracé avec ce rayon de fraise", "Erreur", Icone::Critique);
}

}  // namespace

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
