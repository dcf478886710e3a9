// A full repaint of the main window's view on a large drawing.

#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>

#include <cmath>
#include <cstdlib>

#include "model/listes.h"
#include "workspace/f_representation.h"
#include "workspace/zone_dessin.h"
#include "principal_qt.h"

using namespace korvelin;

namespace {

Code2 Etiquette(int n) {
    Code2 e(U' ', U'A');
    for (int i = 0; i < n; ++i) e = ProchaineSequence(e);
    return e;
}

// Toothed wheels of 1000 segments each, 40 to a row, each with an offset path of as many
// segments just outside it.
Dessin Roues(int traces, int segments) {
    Dessin d;
    d.Trace_Initial.reserve(std::size_t(traces) * (segments + 1));
    for (int t = 0; t < traces; ++t) {
        const double cx = 10.0 * (t % 40) + 5, cy = 10.0 * (t / 40) + 5;
        const Code2 e = Etiquette(t);
        SequenceDecalee dec{e, {}};
        dec.Points.reserve(segments + 1);
        for (int k = 0; k <= segments; ++k) {
            const double a = 2 * Pi * k / segments;
            const double r = 3.6 + 0.4 * std::sin(24 * a);
            d.Trace_Initial.push_back({float(cx + r * std::cos(a)), float(cy + r * std::sin(a)), PlumeBasse, e});
            dec.Points.push_back(
                {float(cx + (r + 0.6) * std::cos(a)), float(cy + (r + 0.6) * std::sin(a)), PlumeBasse, e});
        }
        d.Trace_Decale.push_back(std::move(dec));
    }
    d.Trace_Decale.push_back({});
    d.NbPoints = int32_t(d.Trace_Initial.size());
    d.NomFichier = "/banc/roues.plt";
    d.TypeFichier = "PLT";
    return d;
}

// state.range(0): 1 for a million drawing segments, 2 for two million.
void Repaint(benchmark::State& state, bool numeros, bool lissage) {
    F_Representation f(std::string{});
    f.resize(1600, 1000);
    f.show();
    QApplication::processEvents();
    const int traces = 1000 * int(state.range(0));
    f.Doc().ModifieReglages([](Parametres& p) { p.DecalageOutil = 1; });
    f.Doc().Remplace(Roues(traces, 1000));
    f.Lissage = lissage;
    f.Bouton(6)->setChecked(true);
    f.Bouton(2)->blockSignals(true);
    f.Bouton(2)->setChecked(numeros);
    f.Bouton(2)->blockSignals(false);
    for (auto _ : state) {
        f.Form_Resize();
        benchmark::DoNotOptimize(f.PB1->Image().constBits());
    }
    state.counters["segments"] = double(f.Doc().Trace().NbPoints - 1 + traces * 1000);
    if (const char* dossier = std::getenv("KORVELIN_CAPTURES"); dossier && *dossier)
        f.PB1->Image().save(QString::fromUtf8(dossier) + "/banc.png");
    state.counters["largeur"] = f.PB1->width();
    state.counters["hauteur"] = f.PB1->height();
}

void BM_Vue(benchmark::State& s) { Repaint(s, false, true); }
void BM_VueSansLissage(benchmark::State& s) { Repaint(s, false, false); }
void BM_VueAvecNumeros(benchmark::State& s) { Repaint(s, true, true); }

}  // namespace

BENCHMARK(BM_Vue)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_VueSansLissage)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_VueAvecNumeros)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->MinTime(2.0);

int main(int argc, char** argv) { return korvelin::bench::PrincipalQt(argc, argv); }
