// Welding and offset on large drawings. Each case runs at two sizes, the second twice the
// first, to show the cost grows with the drawing and not with its square.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "document/calculs.h"
#include "geometry/soudure.h"
#include "document/importation.h"
#include "import/hpgl.h"
#include "model/listes.h"

using namespace korvelin;

namespace {

// Closed contours of `cotes` segments each, every segment its own two-point trace, the
// traces shuffled and one in three reversed.
Dessin Morceaux(int contours, int cotes) {
    std::mt19937 g(1);
    std::vector<std::pair<PointTrace, PointTrace>> segments;
    const int colonnes = int(std::ceil(std::sqrt(double(contours))));
    for (int c = 0; c < contours; ++c) {
        const double cx = 30.0 * (c % colonnes), cy = 30.0 * (c / colonnes);
        auto sommet = [&](int k) {
            const double t = 2 * Pi * (k % cotes) / cotes;
            return PointTrace{float(cx + 10 * std::cos(t)), float(cy + 10 * std::sin(t)), PlumeBasse, {}};
        };
        for (int k = 0; k < cotes; ++k) {
            auto s = std::pair{sommet(k), sommet(k + 1)};
            if (g() % 3 == 0) std::swap(s.first, s.second);
            segments.push_back(s);
        }
    }
    std::shuffle(segments.begin(), segments.end(), g);
    Dessin d;
    Code2 e = PremiereSequence;
    for (auto& [a, b] : segments) {
        a.Sequence = b.Sequence = e;
        d.Trace_Initial.push_back(a);
        d.Trace_Initial.push_back(b);
        e = ProchaineSequence(e);
    }
    d.NbPoints = int32_t(d.Trace_Initial.size());
    return d;
}

// Closed wavy contours: the waves give concave stretches where the second pass removes
// points.
Dessin Contours(int contours, int points) {
    Dessin d;
    Code2 e = PremiereSequence;
    const int colonnes = int(std::ceil(std::sqrt(double(contours))));
    for (int c = 0; c < contours; ++c) {
        const double cx = 60.0 * (c % colonnes), cy = 60.0 * (c / colonnes);
        for (int k = 0; k <= points - 1; ++k) {
            const double t = 2 * Pi * (k % (points - 1)) / (points - 1);
            const double r = 20 * (1 + 0.3 * std::sin(12 * t));
            d.Trace_Initial.push_back({float(cx + r * std::cos(t)), float(cy + r * std::sin(t)), PlumeBasse, e});
        }
        e = ProchaineSequence(e);
    }
    d.NbPoints = int32_t(d.Trace_Initial.size());
    return d;
}

// One long wavy line.
Dessin Ligne(int points) {
    Dessin d;
    for (int k = 0; k < points; ++k) {
        const double x = 0.05 * k;
        d.Trace_Initial.push_back({float(x), float(5 * std::sin(x / 3)), PlumeBasse, PremiereSequence});
    }
    d.NbPoints = points;
    return d;
}

void Soudure(benchmark::State& state) {
    const Dessin modele = Morceaux(int(state.range(0)), 100);
    Dessin dessin;
    Parametres parametres;
    MagasinReglages magasin;
    InterfaceSilencieuse ui;
    parametres.RayonFraise = 1.0;
    for (auto _ : state) {
        state.PauseTiming();
        dessin = modele;
        state.ResumeTiming();
        SoudureAutomatique(dessin, parametres, ui);
        benchmark::DoNotOptimize(dessin.NbPoints);
    }
    state.counters["traces"] = double(modele.NbPoints / 2);
    state.counters["apres"] = double(dessin.NbSequencesDecalees());
}
BENCHMARK(Soudure)->Arg(1000)->Arg(2000)->Unit(benchmark::kMillisecond);

void DecalageContours(benchmark::State& state) {
    Dessin dessin;
    Parametres parametres;
    MagasinReglages magasin;
    InterfaceSilencieuse ui;
    dessin = Contours(int(state.range(0)), 1000);
    parametres.RayonFraise = 3.0;
    parametres.Optimisation_1 = true;
    for (auto _ : state) CalculDecalageTout(dessin, parametres, ui);
    state.counters["points"] = double(dessin.NbPoints);
}
BENCHMARK(DecalageContours)->Arg(1000)->Arg(2000)->Unit(benchmark::kMillisecond);

void DecalageUnSeulTrace(benchmark::State& state) {
    Dessin dessin;
    Parametres parametres;
    MagasinReglages magasin;
    InterfaceSilencieuse ui;
    dessin = Ligne(int(state.range(0)));
    parametres.RayonFraise = 3.0;
    parametres.Optimisation_1 = true;
    for (auto _ : state) CalculDecalageTout(dessin, parametres, ui);
    state.counters["points"] = double(dessin.NbPoints);
}
BENCHMARK(DecalageUnSeulTrace)->Arg(1000000)->Arg(2000000)->Unit(benchmark::kMillisecond);

// The same circle drawn over and over at one place, as some plotter files repeat a hole:
// once welded it is one trace going round and round, every offset point beside as many
// segments as there are circles. Import, welding and offset, as opening the file does.
void CerclesSuperposes(benchmark::State& state) {
    std::string texte = "IN;SP1;";
    for (int64_t k = 0; k < state.range(0); ++k) texte += "PU50,50;CI10;";
    for (auto _ : state) {
        Dessin dessin;
        Parametres parametres;
        MagasinReglages magasin;
        InterfaceSilencieuse ui;
        magasin.LectureSeule = true;
        dessin.TypeFichier = "PLT";
        parametres.RayonFraise = 1.0;
        parametres.Optimisation_1 = true;
        SuiviSilencieux suivi;
        benchmark::DoNotOptimize(AcheveHPGL(CibleImport{dessin, parametres, magasin, ui}, LitHPGL(texte), suivi));
        state.counters["points"] = double(dessin.NbPoints);
        state.counters["traces"] = double(dessin.NbSequencesDecalees());
    }
}
BENCHMARK(CerclesSuperposes)->Arg(25000)->Arg(50000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
