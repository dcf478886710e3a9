// The document's history on a drawing of a million points: taking back a point move, and
// the memory that a hundred steps hold.

#include <benchmark/benchmark.h>

#include <cmath>
#include <string>

#include "document/document.h"
#include "document/edition_point.h"
#include "document/pointage.h"
#include "settings/fichier_projet.h"
#include "model/dessin.h"
#include "model/listes.h"
#include "platform/fichier.h"

using namespace korvelin;

namespace {

// A thousand closed traces of a thousand points, opened as a project so the document is
// the one the window would hold, offset paths computed.
struct Grand {
    Document doc;
    std::string chemin;

    Grand() {
        Dessin d;
        d.Trace_Initial.reserve(1'000'000);
        Code2 e{};
        for (int t = 0; t < 1000; ++t) {
            e = ProchaineSequence(e);
            const double cx = 10.0 * (t % 40) + 5, cy = 10.0 * (t / 40) + 5;
            for (int k = 0; k < 1000; ++k) {
                const double a = 2 * Pi * k / 999;
                d.Trace_Initial.push_back(
                    {float(cx + 3.6 * std::cos(a)), float(cy + 3.6 * std::sin(a)), PlumeBasse, e});
            }
        }
        d.NbPoints = int32_t(d.Trace_Initial.size());
        chemin = "/tmp/korvelin-banc-document.Korvelin";
        EcrireFichierAtomique(chemin, "$$RayonFraise=0.3\r\n" + TextePointsProjet(d));
        if (!doc.Ouvrir(chemin)) std::abort();
    }
};

Grand& Dessin1M() {
    static Grand g;
    return g;
}

void BM_AnnulerUnDeplacementDePoint(benchmark::State& state) {
    Grand& g = Dessin1M();
    int32_t i = 500'500;
    for (auto _ : state) {
        state.PauseTiming();
        const PointTrace p = g.doc.Trace().Trace_Initial[i];
        g.doc.DeplacePoint(i, p.X + 0.1f, p.Y);
        state.ResumeTiming();
        g.doc.Annuler();
    }
    state.counters["points"] = g.doc.Trace().NbPoints;
}

void BM_AnnulerUnMiroir(benchmark::State& state) {
    Grand& g = Dessin1M();
    for (auto _ : state) {
        state.PauseTiming();
        g.doc.Miroir();
        state.ResumeTiming();
        g.doc.Annuler();
    }
}

// 100 changes of each kind the point editor and the sequencing dialog make; the figure is
// the history's memory.
void BM_MemoireDe100Etapes(benchmark::State& state) {
    Grand& g = Dessin1M();
    for (auto _ : state) {
        g.doc.Ouvrir(g.chemin);
        for (int k = 0; k < 100; ++k) {
            switch (k % 4) {
                case 0: g.doc.DeplacePoint(1000 * k + 10, float(k), 1.0f); break;
                case 1: g.doc.Inverse(g.doc.Trace().Trace_Initial[1000 * k].Sequence); break;
                case 2: g.doc.DeplaceSequence(std::size_t(k), std::size_t(k + 100)); break;
                case 3: g.doc.SupprimePoint(1000 * k + 20); break;
            }
        }
        benchmark::DoNotOptimize(g.doc.NbAnnulables());
    }
    state.counters["etapes"] = double(g.doc.NbAnnulables());
    state.counters["octets"] = double(g.doc.MemoireHistorique());
    state.counters["octets_dessin"] = double(g.doc.Trace().Trace_Initial.capacity() * sizeof(PointTrace));
}

// A click on the view looks through every segment of the drawing.
void BM_SegmentSousUnClic(benchmark::State& state) {
    Grand& g = Dessin1M();
    const PointTrace p = g.doc.Trace().Trace_Initial[700'300];
    for (auto _ : state) benchmark::DoNotOptimize(SegmentSousClic(g.doc.Trace(), p.X + 0.001, p.Y));
}

// One tick of a held arrow in the point editor: the move, the trace's offset path, and
// the step joined to the one before.
void BM_TicDeFlecheTenue(benchmark::State& state) {
    Grand& g = Dessin1M();
    EditionPoint e(g.doc, 300'300);
    e.Enfonce(EditionPoint::Droite);
    for (auto _ : state) e.Tic();
    e.Relache();
    state.counters["etapes"] = double(g.doc.NbAnnulables());
}

}  // namespace

BENCHMARK(BM_SegmentSousUnClic)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TicDeFlecheTenue)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AnnulerUnDeplacementDePoint)->Unit(benchmark::kMicrosecond)->Iterations(200);
BENCHMARK(BM_AnnulerUnMiroir)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_MemoireDe100Etapes)->Unit(benchmark::kMillisecond)->Iterations(1);
