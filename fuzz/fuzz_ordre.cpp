// Any drawing given to the ordering of the traces: every trace must come out whole, as one
// run of its own points, an open one as drawn or reversed, a closed one only started at
// another vertex; every trace before the closed one it lies in; the points past the
// counted ones left where they were.
//
// The input is read three bytes a point: x and y on a quarter-millimetre grid round the
// origin, then what the point does: bit 0 starts a new trace at it, bit 1 closes the trace
// after it on its first point, bit 2 closes it a hair's breadth away from it.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>

#include "geometry/ordre.h"
#include "geometry/orientation.h"

using namespace korvelin;

namespace {

// The line of a failed check is printed: the report then says which property broke.
void Verifie(bool vrai, int ligne = __builtin_LINE()) {
    if (vrai) return;
    std::fprintf(stderr, "Vérification de la ligne %d en défaut\n", ligne);
    std::abort();
}

bool Egaux(const PointTrace& a, const PointTrace& b) {
    return a.X == b.X && a.Y == b.Y && a.Plume == b.Plume && a.Sequence == b.Sequence;
}

bool MemesSuites(const PointTrace* a, const PointTrace* b, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i)
        if (!Egaux(a[i], b[i])) return false;
    return true;
}

// `apres` is `avant` as the ordering may leave it.
bool TraceGardee(const PointTrace* avant, const PointTrace* apres, std::size_t n, bool ferme) {
    if (MemesSuites(avant, apres, n)) return true;
    if (!ferme) {
        for (std::size_t i = 0; i < n; ++i)
            if (!Egaux(avant[i], apres[n - 1 - i])) return false;
        return true;
    }
    // Started at vertex k: the points from k, those after the first up to k, and k again.
    // The first point goes, the last (which meets it) stays.
    if (!Egaux(apres[0], apres[n - 1])) return false;
    for (std::size_t k = 1; k + 1 < n; ++k) {
        if (!Egaux(apres[0], avant[k])) continue;
        bool ok = true;
        for (std::size_t i = 0; i + 1 < n && ok; ++i) {
            const std::size_t j = k + i <= n - 1 ? k + i : k + i - (n - 1);
            ok = Egaux(apres[i], avant[j]);
        }
        if (ok) return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille) {
    // A few hundred points: the exact solution of small drawings and the improving moves of
    // larger ones are both reached, in milliseconds.
    if (taille > 3 * 400) return 0;
    Dessin d;
    uint32_t numero = 0;
    std::size_t premier = 0;
    const auto etiquette = [&] { return Code2(U'T', char32_t(U'0' + numero)); };
    for (std::size_t i = 0; i + 3 <= taille; i += 3) {
        const float x = static_cast<int8_t>(donnees[i]) * 0.25f, y = static_cast<int8_t>(donnees[i + 1]) * 0.25f;
        const uint8_t genre = donnees[i + 2];
        if ((genre & 1) && i > 0) {
            ++numero;
            premier = d.Trace_Initial.size();
        }
        d.Trace_Initial.push_back({x, y, PlumeBasse, etiquette()});
        if (genre & 6) {
            PointTrace fin = d.Trace_Initial[premier];
            if (genre & 4) fin.X += 0.0004f;
            d.Trace_Initial.push_back(fin);
        }
    }
    d.NbPoints = static_cast<int32_t>(d.Trace_Initial.size());
    // Points past the counted ones, which nothing may move.
    d.Trace_Initial.push_back({1.0f, 2.0f, PlumeHaute, Code2(U'Z', U'Z')});
    d.Trace_Initial.push_back({3.0f, 4.0f, PlumeBasse, Code2(U'Z', U'Y')});

    const Dessin avant = d;
    const std::vector<TraceDessin> traces = DecoupeTraces(avant);
    const Imbrication imb = CalculImbrication(avant, traces);
    const ResultatOrdre r = OrdreAutomatique(d, {.cote = 2});
    Verifie(d.NbPoints == avant.NbPoints && d.Trace_Initial.size() == avant.Trace_Initial.size());
    Verifie(MemesSuites(avant.Trace_Initial.data() + avant.NbPoints, d.Trace_Initial.data() + d.NbPoints, 2));
    if (!r.change) {
        Verifie(MemesSuites(avant.Trace_Initial.data(), d.Trace_Initial.data(), avant.Trace_Initial.size()));
        return 0;
    }
    // Labels tell the traces apart: each is the label of one trace before and after.
    std::map<uint32_t, std::size_t> traceDe;
    for (std::size_t k = 0; k < traces.size(); ++k) traceDe[avant.Trace_Initial[traces[k].premier].Sequence.Cle()] = k;
    const std::vector<TraceDessin> apres = DecoupeTraces(d);
    Verifie(apres.size() == traces.size());
    std::vector<std::size_t> position(traces.size(), SIZE_MAX);
    for (std::size_t a = 0; a < apres.size(); ++a) {
        const auto it = traceDe.find(d.Trace_Initial[apres[a].premier].Sequence.Cle());
        Verifie(it != traceDe.end() && position[it->second] == SIZE_MAX);
        position[it->second] = a;
        const TraceDessin& t = traces[it->second];
        Verifie(apres[a].nb == t.nb);
        Verifie(TraceGardee(avant.Trace_Initial.data() + t.premier, d.Trace_Initial.data() + apres[a].premier,
                            static_cast<std::size_t>(t.nb), t.ferme));
    }
    for (std::size_t k = 0; k < traces.size(); ++k)
        if (imb.parent[k] >= 0) Verifie(position[k] < position[static_cast<std::size_t>(imb.parent[k])]);
    return 0;
}
