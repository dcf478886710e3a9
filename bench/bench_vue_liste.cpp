// The coordinate list on a million points: filling its model, opening the dialog until it
// has painted, and a deletion with the rebuilding of both trees that follows it.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTreeView>

#include "document/liste_modele.h"
#include "workspace/f_liste.h"
#include "workspace/f_representation.h"
#include "principal_qt.h"

using namespace korvelin;

namespace {

Code2 Etiquette(int n) {
    // Two characters far enough for 100,000 traces, as the importers number them.
    return Code2(char32_t(U'A' + n / 26), char32_t(U'A' + n % 26));
}

// A window whose document is open on `points` points in traces of `parTrace` points, each
// with an offset path as long.
struct Banc {
    F_Representation f{std::string{}};
    Banc(int points, int parTrace) {
        f.resize(1200, 800);
        f.show();
        QApplication::processEvents();
        Dessin d;
        d.Trace_Initial.reserve(std::size_t(points));
        for (int t = 0; t < points / parTrace; ++t) {
            SequenceDecalee dec{Etiquette(t), {}};
            for (int k = 0; k < parTrace; ++k) {
                const float x = float(t % 1000) * 10 + float(k % 7), y = float(t / 1000) * 10 + float(k / 7) * 0.01f;
                d.Trace_Initial.push_back({x, y, PlumeBasse, dec.Sequence});
                dec.Points.push_back({x + 0.5f, y, PlumeBasse, dec.Sequence});
            }
            d.Trace_Decale.push_back(std::move(dec));
        }
        d.Trace_Decale.push_back({});
        d.NbPoints = int32_t(d.Trace_Initial.size());
        d.NomFichier = "/banc/liste.plt";
        d.TypeFichier = "PLT";
        f.Doc().ModifieReglages([](Parametres& p) {
            p.ConfirmSuppr = false;
            p.RayonFraise = 0.5;
        });
        f.Doc().Remplace(std::move(d));
    }
};

// state.range(0): points per trace, in a drawing of a million points.
void BM_ListeRemplissage(benchmark::State& state) {
    Banc b(1000000, int(state.range(0)));
    ListeModele m(b.f.Doc());
    for (auto _ : state) {
        m.Remplit();
        benchmark::DoNotOptimize(m.NbTraces(Arbre::Initial));
    }
}

void BM_ListeOuverture(benchmark::State& state) {
    Banc b(1000000, int(state.range(0)));
    for (auto _ : state) {
        F_Liste l(b.f);
        l.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(l.TreeView1->model());
    }
}

// Delete on the first point of the first trace, open in the tree: the point goes from the
// document (its trace's offset recomputed), the main view repaints, both trees are rebuilt.
void BM_ListeSuppression(benchmark::State& state) {
    Banc b(1000000, int(state.range(0)));
    F_Liste l(b.f);
    l.show();
    QApplication::processEvents();
    QTreeView* t = l.TreeView1;
    for (auto _ : state) {
        const QModelIndex trace = t->model()->index(0, 0, t->model()->index(0, 0));
        t->expand(trace);
        t->setCurrentIndex(t->model()->index(0, 0, trace));
        l.ToucheSuppr(t);
        QApplication::processEvents();
    }
    state.counters["points"] = b.f.Doc().Trace().NbPoints;
}

// The rebuilding alone, both trees, as after a deletion: the part of the deletion that is
// the list's, to set beside its opening.
void BM_ListeReconstruction(benchmark::State& state) {
    Banc b(1000000, int(state.range(0)));
    F_Liste l(b.f);
    l.show();
    QApplication::processEvents();
    for (auto _ : state) {
        l.Remplissage();
        QApplication::processEvents();
    }
}

// The main window's repaint on the same drawing, which every change of the document costs.
void BM_ListeRepaintFenetre(benchmark::State& state) {
    Banc b(1000000, int(state.range(0)));
    for (auto _ : state) b.f.Form_Resize();
}

}  // namespace

BENCHMARK(BM_ListeReconstruction)->Arg(1000)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListeRepaintFenetre)->Arg(1000)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListeRemplissage)->Arg(1000)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListeOuverture)->Arg(1000)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListeSuppression)->Arg(1000)->Arg(10)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) { return korvelin::bench::PrincipalQt(argc, argv); }
