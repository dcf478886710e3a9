#include "geometry/soudure.h"

#include <algorithm>

#include "geometry/bouts.h"
#include "geometry/decalage.h"
#include "geometry/index_sequences.h"
#include "model/listes.h"

namespace korvelin {

namespace {

// The welded list is built in a new array sized like the drawing plus one spare entry;
// the spare stays past the counted points once the doubles are removed.
struct Soudee {
    std::vector<PointTrace> points;
    std::size_t nb = 0;

    void Ajoute(const std::vector<PointTrace>& source, PlageSequence p, bool inverse, Code2 etiquette) {
        for (int32_t k = 0; k < p.nb; ++k) {
            PointTrace pt = source[p.premier + (inverse ? p.nb - 1 - k : k)];
            pt.Sequence = etiquette;
            points[nb++] = pt;
        }
    }
};

// Chains traces by their ends, each chain taking the label of the trace that starts it.
// Traces are handled by their place in the list: valid when no two carry the same label.
void ChaineParIndex(const Dessin& d, const std::vector<PlageSequence>& traces, Soudee& s) {
    IndexBouts bouts(d.Trace_Initial, traces);
    const uint32_t nbTraces = static_cast<uint32_t>(traces.size());
    std::vector<bool> prise(nbTraces, false);
    auto ajoute = [&](uint32_t t, bool inverse, Code2 etiquette) {
        s.Ajoute(d.Trace_Initial, traces[t], inverse, etiquette);
        prise[t] = true;
        bouts.Retire(t);
    };
    uint32_t premiere = 0;
    for (;;) {
        while (premiere < nbTraces && prise[premiere]) ++premiere;
        if (premiere == nbTraces) break;
        const Code2 chaine = d.Trace_Initial[traces[premiere].premier].Sequence;
        ajoute(premiere, false, chaine);
        while (const auto bout = bouts.Cherche(s.points[s.nb - 1])) ajoute(bout->trace, bout->fin, chaine);
    }
}

// The chaining step by step on the list itself, each joined trace found by its label and
// removed from the list. Kept for drawings where one label names several traces, whose
// outcome depends on those lookups.
void ChaineParEtiquette(Dessin& d, Soudee& s) {
    auto ajoute = [&](Code2 etiquette, bool inverse, Code2 nouvelle) {
        const int32_t premier = PremierPointSequence(d, etiquette);
        s.Ajoute(d.Trace_Initial, {premier, NbPointsSequence(d, premier)}, inverse, nouvelle);
        SupprimeSequence(d, etiquette);
    };
    const auto& t = d.Trace_Initial;
    Code2 chaine = t[0].Sequence;
    ajoute(chaine, false, chaine);
    while (d.NbPoints >= 1) {
        const PointTrace bout = s.points[s.nb - 1];
        const int32_t n = d.NbPoints;
        int32_t trouve = -1;
        bool fin = false;
        for (int32_t j = 0; j < n && trouve < 0; ++j) {
            if (!SeRejoignent(t[j], bout)) continue;
            if (j == 0 || t[j - 1].Sequence != t[j].Sequence) {
                trouve = j;
            } else if (j == n - 1 || t[j + 1].Sequence != t[j].Sequence) {
                trouve = j;
                fin = true;
            }
        }
        if (trouve >= 0) {
            ajoute(t[trouve].Sequence, fin, chaine);
        } else {
            chaine = t[0].Sequence;
            ajoute(chaine, false, chaine);
        }
    }
}

void PasseSoudure(Dessin& d) {
    d.NbPoints = NbPointsUtiles(d);
    if (d.NbPoints < 1) return;
    const IndexSequences sequences(d);
    Soudee s;
    s.points.resize(static_cast<std::size_t>(d.NbPoints) + 1);
    const int32_t total = d.NbPoints;
    if (sequences.EtiquettesUniques())
        ChaineParIndex(d, sequences.Plages(), s);
    else
        ChaineParEtiquette(d, s);
    d.Trace_Initial = std::move(s.points);
    d.NbPoints = total;
    // The two coincident points at each weld become one.
    SupprimeDoublons(d);
}

// Every trace of the drawing runs the other way.
void InverseTraces(Dessin& d) {
    std::vector<Code2> etiquettes;
    for (const PlageSequence& p : PlagesSequences(d)) etiquettes.push_back(d.Trace_Initial[p.premier].Sequence);
    InverseSequences(d, etiquettes);
}

}  // namespace

void SoudureAutomatique(Contexte& ctx) {
    Dessin& d = ctx.dessin;
    d.NbPoints = NbPointsUtiles(d);
    if (d.NbPoints >= 1) {
        // The second pass, on reversed traces, extends the chains at their starts.
        PasseSoudure(d);
        InverseTraces(d);
        PasseSoudure(d);
        InverseTraces(d);
        SupprimeDoublons(d);
    }
    CalculDecalageTout(ctx);
    CalculBornes(d);
    ctx.ui->Rafraichir();
}

void Miroir(Contexte& ctx) {
    Dessin& d = ctx.dessin;
    for (PointTrace& p : d.Trace_Initial) p.X = static_cast<float>(d.Xmax - p.X);
    // Mirrored, every trace would be milled the other way round: reversing it keeps the
    // material on the same side of the cutter.
    std::vector<Code2> etiquettes;
    for (std::size_t e = 0; e < d.NbSequencesDecalees(); ++e) etiquettes.push_back(d.Trace_Decale[e].Sequence);
    d.NbPoints = NbPointsUtiles(d);
    InverseSequences(d, etiquettes);
    DecalageEntrees(ctx);
    CalculBornes(d);
    ctx.ui->Rafraichir();
}

}  // namespace korvelin
