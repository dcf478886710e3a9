// The sequencing dialog on ten thousand traces of a hundred points: opening it, and one
// press of an arrow (the trace moved in the drawing, its offset entry carried along, the
// two items of the list exchanged).

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QListWidget>
#include <QToolButton>

#include <cmath>
#include <cstdlib>
#include <string>

#include "model/primitives.h"
#include "platform/fichier.h"
#include "workspace/f_sequence.h"
#include "principal_qt.h"

using namespace korvelin;

namespace {

struct Grand {
    Document doc{nullptr, "/tmp/korvelin-banc-sequence.ini"};
    Code2 choisie = AucuneSequence;
    bool attente = false;

    // Written as a plotter file: each pen-up starts a trace, labelled by the reader.
    Grand() {
        std::string plt = "IN;";
        plt.reserve(12'000'000);
        for (int t = 0; t < 10'000; ++t) {
            const double cx = 100.0 * (t % 100) + 50, cy = 100.0 * (t / 100) + 50;
            for (int k = 0; k < 100; ++k) {
                const double a = 2 * Pi * k / 99;
                plt += k == 0 ? "PU" : k == 1 ? ";PD" : ",";
                plt += std::to_string(int(cx + 36 * std::cos(a))) + "," + std::to_string(int(cy + 36 * std::sin(a)));
            }
            plt += ";";
        }
        const std::string chemin = "/tmp/korvelin-banc-sequence.plt";
        EcrireFichierAtomique(chemin, plt);
        if (!doc.Ouvrir(chemin)) std::abort();
    }
};

Grand& G() {
    static Grand g;
    return g;
}

void BM_OuvrirSequence(benchmark::State& state) {
    Grand& g = G();
    for (auto _ : state) {
        F_Sequence f(g.doc, g.choisie, g.attente, [] {});
        benchmark::DoNotOptimize(f.LB_Sequence->count());
    }
    state.counters["traces"] = double(g.doc.Trace().NbSequencesDecalees());
}

void BM_FlecheSequence(benchmark::State& state) {
    Grand& g = G();
    F_Sequence f(g.doc, g.choisie, g.attente, [] {});
    f.LB_Sequence->setCurrentRow(5000);
    bool monte = true;
    for (auto _ : state) {
        (monte ? f.CB_Plus : f.CB_Moins)->click();
        monte = !monte;
    }
    state.counters["points"] = g.doc.Trace().NbPoints;
}

}  // namespace

BENCHMARK(BM_OuvrirSequence)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FlecheSequence)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) { return korvelin::bench::PrincipalQt(argc, argv); }
