// Streaming to GRBL keeps the board's receive buffer full: against the stand-in board
// answering each line after 1 ms, the share of the job's time during which the buffer
// holds more than 64 bytes (goal: at least 90 %).

#include <benchmark/benchmark.h>

#include <string>
#include <thread>

#include "grbl/banc_grbl.h"
#include "grbl/liaison_grbl.h"
#include "model/nombres.h"

namespace {

using namespace korvelin;
using namespace std::chrono_literals;

// Short segments, as a finely divided curve gives them.
grbl::Programme Job(int segments) {
    std::string t = "G21G90\nG0Z5\nG0X10Y10\nG1Z-1F100\n";
    for (int i = 0; i < segments; ++i)
        t += "G1X" + FormatFixe(10.0 + (i % 400) * 0.05, 3, '.') + "Y" + FormatFixe(10.0 + (i % 37) * 0.05, 3, '.') +
             "F600\n";
    t += "G0Z5\nM2\n";
    return std::get<grbl::Programme>(grbl::PrepareProgramme(t));
}

void BM_TamponGrblPlein(benchmark::State& state) {
    const grbl::Programme p = Job(static_cast<int>(state.range(0)));
    double fraction = 0.0;
    int n = 0;
    for (auto _ : state) {
        test::OptionsBanc o;
        o.delai = 1ms;
        o.dureeBloc = 500us;
        test::BancGrbl carte(o);
        std::string erreur;
        grbl::LiaisonGrbl liaison(grbl::OuvrePortSerie(carte.Chemin(), grbl::DebitParDefaut, erreur));
        const auto limite = grbl::Horloge::now() + 60s;
        while (liaison.Etat().liaison != grbl::EtatLiaison::Prete && grbl::Horloge::now() < limite)
            std::this_thread::sleep_for(1ms);
        if (liaison.Avec([&](grbl::Automate& m) { return m.Lance(p); })) {
            state.SkipWithError("travail refusé");
            return;
        }
        while (liaison.Etat().travail == grbl::EtatTravail::EnCours && grbl::Horloge::now() < limite)
            std::this_thread::sleep_for(1ms);
        if (!carte.Defaut().empty() || liaison.Etat().travail != grbl::EtatTravail::Termine) {
            state.SkipWithError("débordement ou travail inachevé");
            return;
        }
        fraction += carte.FractionAuDessus();
        ++n;
    }
    state.counters["tampon_plus_de_64_octets_pct"] = 100.0 * fraction / n;
    state.counters["lignes"] = static_cast<double>(p.lignes.size());
}
BENCHMARK(BM_TamponGrblPlein)->Arg(2000)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
