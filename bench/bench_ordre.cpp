// Orientation and order of large sheets of parts, each at two sizes, the second twice the
// first; and the travel before and after ordering the drawings of tests/data/reels.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <utility>
#include <random>

#include "document/calculs.h"
#include "geometry/orientation.h"
#include "document/importation.h"
#include "model/listes.h"

using namespace korvelin;

namespace {

// A circle of n vertices, closed, either way round and starting anywhere.
void Cercle(std::vector<std::vector<PointTrace>>& traces, double cx, double cy, double r, int n, std::mt19937& g) {
    std::vector<PointTrace> t;
    const int depart = int(g() % n);
    const bool sens = g() & 1;
    for (int k = 0; k <= n; ++k) {
        const double a = 2 * Pi * ((depart + (sens ? -k : k)) % n) / n;
        t.push_back({float(cx + r * std::cos(a)), float(cy + r * std::sin(a)), PlumeBasse, {}});
    }
    traces.push_back(std::move(t));
}

// Parts of one outline and four holes, one of them with an island, n vertices to each
// outline and n / 4 to each hole; the traces shuffled.
Dessin Feuille(int parties, int n) {
    std::mt19937 g(7);
    std::vector<std::vector<PointTrace>> traces;
    const int colonnes = int(std::ceil(std::sqrt(double(parties))));
    for (int p = 0; p < parties; ++p) {
        const double cx = 100.0 * (p % colonnes), cy = 100.0 * (p / colonnes);
        Cercle(traces, cx, cy, 45, n, g);
        for (int h = 0; h < 4; ++h) Cercle(traces, cx + (h & 1 ? 20 : -20), cy + (h & 2 ? 20 : -20), 12, n / 4, g);
        Cercle(traces, cx + 20, cy + 20, 6, n / 4, g);
    }
    std::shuffle(traces.begin(), traces.end(), g);
    Dessin d;
    Code2 e = PremiereSequence;
    for (auto& t : traces) {
        for (PointTrace& q : t) q.Sequence = e, d.Trace_Initial.push_back(q);
        e = ProchaineSequence(e);
    }
    d.NbPoints = int32_t(d.Trace_Initial.size());
    return d;
}

// Arguments: parts, vertices per outline. Six traces to a part.
void Args(benchmark::internal::Benchmark* b) {
    b->Args({1667, 16})->Args({3334, 16});     // 10 000 and 20 000 traces
    b->Args({500, 1000})->Args({1000, 1000});  // 1 and 2 million points
    b->Unit(benchmark::kMillisecond);
}

void BM_Imbrication(benchmark::State& state) {
    const Dessin d = Feuille(int(state.range(0)), int(state.range(1)));
    for (auto _ : state) {
        const auto traces = DecoupeTraces(d);
        benchmark::DoNotOptimize(CalculImbrication(d, traces));
    }
    state.counters["traces"] = double(DecoupeTraces(d).size());
    state.counters["points"] = d.NbPoints;
}
BENCHMARK(BM_Imbrication)->Apply(Args);

// Squares one inside the other, the worst nesting: every trace lies in all the bigger ones.
void BM_ImbricationConcentrique(benchmark::State& state) {
    Dessin d;
    Code2 e = PremiereSequence;
    for (int64_t k = 0; k < state.range(0); ++k) {
        const float r = float(k + 1);
        for (const auto& [x, y] : {std::pair{-r, -r}, {r, -r}, {r, r}, {-r, r}, {-r, -r}})
            d.Trace_Initial.push_back({x, y, PlumeBasse, e});
        e = ProchaineSequence(e);
    }
    d.NbPoints = int32_t(d.Trace_Initial.size());
    for (auto _ : state) {
        const auto traces = DecoupeTraces(d);
        benchmark::DoNotOptimize(CalculImbrication(d, traces));
    }
}
BENCHMARK(BM_ImbricationConcentrique)->Arg(1000)->Arg(2000)->Unit(benchmark::kMillisecond);

// Orders a fresh copy of the drawing at each turn, with the travel before and after.
void MesureOrdre(benchmark::State& state, const Dessin& d) {
    Dessin dessin;
    Parametres parametres;
    MagasinReglages magasin;
    InterfaceSilencieuse ui;
    parametres.DecalageOutil = 2;  // the offsets are copies: the order's own cost shows
    ResultatOrdre r;
    for (auto _ : state) {
        state.PauseTiming();
        dessin = d;
        state.ResumeTiming();
        r = OrdreAutomatique(dessin, parametres, ui);
    }
    state.counters["avant_mm"] = r.avant;
    state.counters["apres_mm"] = r.apres;
}

void BM_OrdreAutomatique(benchmark::State& state) {
    const Dessin d = Feuille(int(state.range(0)), int(state.range(1)));
    MesureOrdre(state, d);
}
BENCHMARK(BM_OrdreAutomatique)->Apply(Args);

// 50,000 parts of one outline each (16 vertices), strewn in any order: the optimiser alone
// must order them in under a second.
void BM_OrdreCinquanteMillePieces(benchmark::State& state) {
    std::mt19937 g(5);
    std::vector<std::vector<PointTrace>> traces;
    const int colonnes = int(std::ceil(std::sqrt(double(state.range(0)))));
    for (int p = 0; p < state.range(0); ++p) Cercle(traces, 30.0 * (p % colonnes), 30.0 * (p / colonnes), 12, 16, g);
    std::shuffle(traces.begin(), traces.end(), g);
    Dessin d;
    Code2 e = PremiereSequence;
    for (auto& t : traces) {
        for (PointTrace& q : t) q.Sequence = e, d.Trace_Initial.push_back(q);
        e = ProchaineSequence(e);
    }
    d.NbPoints = int32_t(d.Trace_Initial.size());
    MesureOrdre(state, d);
}
BENCHMARK(BM_OrdreCinquanteMillePieces)->Arg(50000)->Unit(benchmark::kMillisecond);

// Short strokes strewn over the sheet in any order: the drawing order zigzags.
void BM_OrdreTraitsEpars(benchmark::State& state) {
    std::mt19937 g(3);
    std::uniform_real_distribution<float> u(0.0f, 1000.0f);
    Dessin d;
    Code2 e = PremiereSequence;
    for (int64_t k = 0; k < state.range(0); ++k) {
        const float x = u(g), y = u(g);
        d.Trace_Initial.push_back({x, y, PlumeBasse, e});
        d.Trace_Initial.push_back({x + u(g) / 100, y + u(g) / 100, PlumeBasse, e});
        e = ProchaineSequence(e);
    }
    d.NbPoints = int32_t(d.Trace_Initial.size());
    MesureOrdre(state, d);
}
BENCHMARK(BM_OrdreTraitsEpars)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);

// Travel before and after on drawings made by other programs.
void BM_OrdreDessinsReels(benchmark::State& state) {
    const std::filesystem::path dossier =
        std::filesystem::path(__FILE__).parent_path() / ".." / "tests" / "data" / "reels";
    std::vector<std::string> fichiers;
    for (const auto& f : std::filesystem::directory_iterator(dossier)) {
        const std::string ext = f.path().extension().string();
        if (ext == ".dxf" || ext == ".hpgl" || ext == ".plt") fichiers.push_back(f.path().string());
    }
    std::sort(fichiers.begin(), fichiers.end());
    for (auto _ : state) {
        for (const std::string& f : fichiers) {
            Dessin dessin;
            Parametres parametres;
            MagasinReglages magasin;
            InterfaceSilencieuse ui;
            parametres.DecalageOutil = 1;
            parametres.RayonFraise = 1.0;
            EtatImport etat;
            SuiviSilencieux suivi;
            if (!OuvrirDessin(CibleImport{dessin, parametres, magasin, ui}, etat, f, suivi)) continue;
            OrientationAutomatique(dessin, parametres, ui);
            const ResultatOrdre r = OrdreAutomatique(dessin, parametres, ui);
            state.counters[std::filesystem::path(f).filename().string()] = r.apres / r.avant;
        }
    }
}
BENCHMARK(BM_OrdreDessinsReels)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
