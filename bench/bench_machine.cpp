// Pulse timing on the real clock, and the speed of a dry run on the virtual clock.
//
// Run by hand: build with -DKORVELIN_BENCH=ON, then ./bench_machine. The timing cases last
// about 10 s each; SCHED_FIFO needs root or an rtprio limit (it falls back otherwise).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <cmath>
#include <sstream>
#include <thread>
#include <vector>

#include <sys/resource.h>
#include <time.h>

#include "machining/poste_travail.h"
#include "machining/executant.h"
#include "machining/fraisage.h"
#include "machining/machine.h"
#include "machining/session.h"
#include "machining/simulation.h"
#include "platform/horloge.h"
#include "platform/simulateur.h"

using namespace korvelin;

namespace {

// The simulator taking the place of real hardware, so that the run gets exactly the set-up
// of a real port (memory locking, scheduling, late-pulse count). It also notes, for every
// write, the deadline the machine had just waited for: the write's scheduled time.
class PortReelSimule final : public Port {
public:
    explicit PortReelSimule(PortSimule& s) : s_(s) {}
    const Machine* machine = nullptr;
    std::vector<int64_t> prevus;
    bool Disponible() const override { return true; }
    void EcrireDonnees(uint8_t v) override {
        prevus.push_back(machine && machine->Ancree ? machine->Echeance : -1);
        s_.EcrireDonnees(v);
    }
    void MettreBitControle(int b) override { s_.MettreBitControle(b); }
    void EffacerBitControle(int b) override { s_.EffacerBitControle(b); }
    bool Reel() const override { return true; }

private:
    PortSimule& s_;
};

// Keeps the CPUs busy with loops that also touch memory, until told to stop.
struct Charge {
    std::atomic<bool> fin{false};
    std::vector<std::thread> fils;
    explicit Charge(int n) {
        for (int i = 0; i < n; ++i) {
            fils.emplace_back([this] {
                std::vector<uint64_t> memoire(1 << 20);
                uint64_t x = 1;
                while (!fin.load(std::memory_order_relaxed)) {
                    for (std::size_t k = 0; k < memoire.size(); k += 64)
                        memoire[k] = x = x * 6364136223846793005ULL + 1;
                }
                benchmark::DoNotOptimize(memoire.data());
            });
        }
    }
    ~Charge() {
        fin = true;
        for (auto& f : fils) f.join();
    }
};

double Centile(std::vector<double> v, double q) {
    if (v.empty()) return 0;
    const auto k = static_cast<std::size_t>(std::min<double>(v.size() - 1, std::ceil(q * v.size()) - 1));
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(k), v.end());
    return v[k];
}

// 10,000 pulses of 1 ms (2 + 4 + 4 units of 0.1 ms): error of every write against its
// scheduled time, and how far the run's end drifted from 10 s (the timeline starts again
// after any edge more than 0.1 ms late). Arguments: loader threads; scheduling 0 normal,
// 1 SCHED_FIFO polling every wait, 2 SCHED_FIFO sleeping through long waits (the choice).
void BM_CadenceImpulsions(benchmark::State& state) {
    constexpr int NbImpulsions = 10'000;
    const int chargeurs = static_cast<int>(state.range(0));
    const auto ordonnancement = state.range(1) ? Ordonnancement::TempsReel : Ordonnancement::Normal;
    Parametres v;
    v.TempsMin_HMat_X = 0.9;
    std::vector<double> erreurs;
    int64_t enRetard = 0;
    double derive = 0;
    for (auto _ : state) {
        HorlogeSysteme horloge;
        PortSimule simule(horloge, {});
        simule.Reserver(3 * NbImpulsions + 8);
        PortReelSimule port(simule);
        port.prevus.reserve(3 * NbImpulsions + 8);
        Machine m(port, horloge, v);
        port.machine = &m;
        const std::atomic<bool> arret{false};
        Charge charge(chargeurs);
        {
            SessionMachine session(m, arret, ordonnancement);
            if (state.range(1) == 1) horloge.ReveilAvantEcheance(0);  // real-time, polling only
            for (int i = 0; i < NbImpulsions; ++i) ImpulsionMoteurs(m, (i & 1) ? 1 : -1, 0, 0, false);
        }
        enRetard = m.ImpulsionsEnRetard;
        const auto& e = simule.Ecritures();
        erreurs.clear();
        for (std::size_t i = 1; i < e.size(); ++i) {
            if (port.prevus[i] >= 0) erreurs.push_back(static_cast<double>(e[i].temps - port.prevus[i]) / 1000.0);
        }
        derive = static_cast<double>(e.back().temps - e.front().temps) / 1e6 - (NbImpulsions * 1.0 - 0.4);
    }
    state.counters["derive_ms"] = derive;
    state.counters["mediane_us"] = Centile(erreurs, 0.5);
    state.counters["p99_us"] = Centile(erreurs, 0.99);
    state.counters["p999_us"] = Centile(erreurs, 0.999);
    state.counters["max_us"] = *std::max_element(erreurs.begin(), erreurs.end());
    state.counters["en_retard"] = static_cast<double>(enRetard);
}
BENCHMARK(BM_CadenceImpulsions)
    ->ArgsProduct({{0, 1, 2}, {0, 1, 2}})
    ->ArgNames({"chargeurs", "fifo"})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// 100 closed traces of 1,000 points each, points about 0.5 mm apart, 3 passes.
void DessinAleatoire(Dessin& d) {
    d.Trace_Decale.clear();
    uint64_t graine = 12345;
    auto hasard = [&graine] {
        graine = graine * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(graine >> 11) / 9007199254740992.0;
    };
    for (int t = 0; t < 100; ++t) {
        SequenceDecalee s;
        const double cx = 20 + (t % 10) * 30, cy = 20 + (t / 10) * 30;
        for (int i = 0; i < 1000; ++i) {
            const double a = 2 * Pi * i / 1000, r = 12 + 2 * hasard();
            s.Points.push_back({static_cast<float>(cx + r * std::cos(a)), static_cast<float>(cy + r * std::sin(a)),
                                PlumeBasse, PremiereSequence});
        }
        d.Trace_Decale.push_back(std::move(s));
    }
    d.Trace_Decale.push_back({});
}

void BM_SimulationGrandDessin(benchmark::State& state) {
    Dessin dessin;
    Parametres parametres;
    Diagnostics dits;
    DessinAleatoire(dessin);
    OptionsSimulation o;
    o.NbPasse = 3;
    std::string resume;
    for (auto _ : state) {
        std::ostringstream sortie;
        benchmark::DoNotOptimize(LanceSimulation(PosteTravail{dessin, parametres}, o, dits, sortie));
        resume = sortie.str();
    }
    state.SetLabel(resume.substr(0, resume.find(';')));
}
BENCHMARK(BM_SimulationGrandDessin)->Unit(benchmark::kMillisecond)->Iterations(3);

// The estimate shown before a run: the same job, every pulse counted, none simulated.
void BM_EstimationGrandDessin(benchmark::State& state) {
    Dessin dessin;
    Parametres parametres;
    DessinAleatoire(dessin);
    parametres.NbPasse = 3;
    DemandeMachine d;
    Estimation e;
    for (auto _ : state) e = EstimeDemande(PosteTravail{dessin, parametres}, d);
    state.counters["duree_s"] = e.duree;
    state.counters["impulsions"] = static_cast<double>(e.impulsions);
}
BENCHMARK(BM_EstimationGrandDessin)->Unit(benchmark::kMillisecond);

// The window's side while a run goes on: polls the queue every 16 ms and draws (allocates).
struct Fenetre {
    std::atomic<bool> fin{false};
    std::thread fil;
    explicit Fenetre(ExecutantMachine& e) {
        fil = std::thread([this, &e] {
            std::vector<std::string> dessin;
            while (!fin.load()) {
                for (const auto& ev : e.Releve()) dessin.push_back(ev.texte);
                dessin.assign(2000, std::string(64, 'x'));
                std::this_thread::sleep_for(std::chrono::milliseconds(16));
            }
        });
    }
    ~Fenetre() {
        fin = true;
        fil.join();
    }
};

// 10,000 pulses of 1 ms on the machine thread with the window polling, as a run from the
// window goes: error of every write against the deadline the machine had waited for.
// Argument: loader threads.
void BM_CadenceFilMachine(benchmark::State& state) {
    Parametres v;
    v.TempsMin_HMat_X = 0.9;
    std::vector<double> erreurs;
    int64_t enRetard = 0;
    for (auto _ : state) {
        auto horloge = std::make_unique<HorlogeSysteme>();
        PortSimule simule(*horloge, {});
        simule.Reserver(3 * 10'000 + 64);
        auto port = std::make_unique<PortReelSimule>(simule);
        port->prevus.reserve(3 * 10'000 + 64);
        PortReelSimule& p = *port;
        ExecutantMachine executant(std::move(port), std::move(horloge));
        p.machine = &executant.MachineCourante();
        Charge charge(static_cast<int>(state.range(0)));
        Fenetre fenetre(executant);
        DemandeMachine d;
        d.action = ActionMachine::Deplacement;
        d.texteX = "208.333333";  // 10,000 steps of 1/48 mm
        executant.Lance(d, v, {});
        executant.Attend();
        enRetard = executant.MachineCourante().ImpulsionsEnRetard;
        const auto& e = simule.Ecritures();
        erreurs.clear();
        // Only data writes carry a deadline; control writes go through the simulator directly.
        std::size_t k = 0;
        for (const auto& w : e) {
            if (w.registre != 'D') continue;
            if (k < p.prevus.size() && p.prevus[k] >= 0)
                erreurs.push_back(static_cast<double>(w.temps - p.prevus[k]) / 1000.0);
            ++k;
        }
    }
    state.counters["mediane_us"] = Centile(erreurs, 0.5);
    state.counters["p99_us"] = Centile(erreurs, 0.99);
    state.counters["p999_us"] = Centile(erreurs, 0.999);
    state.counters["p9999_us"] = Centile(erreurs, 0.9999);
    state.counters["max_us"] = *std::max_element(erreurs.begin(), erreurs.end());
    state.counters["en_retard"] = static_cast<double>(enRetard);
}
BENCHMARK(BM_CadenceFilMachine)
    ->Arg(0)
    ->Arg(2)
    ->ArgName("chargeurs")
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Where the late edges come from: the system clock's waits done again, noting how late each
// sleep woke up, the longest gap between two clock reads while polling (the thread was not
// running: preempted by an interrupt, another thread or the host), and the page faults and
// involuntary switches of the machine thread.
class HorlogeMesuree final : public Horloge {
public:
    int64_t Frequence() const override { return 1'000'000'000; }
    int64_t Lire() override {
        timespec t{};
        clock_gettime(CLOCK_MONOTONIC, &t);
        return static_cast<int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
    }
    void ReveilAvantEcheance(int64_t marge) override {
        marge_ = marge;
        rusage r{};
        getrusage(RUSAGE_THREAD, &r);
        if (marge > 0)
            debut_ = r;
        else
            fin_ = r;
    }
    void AttendreJusqua(int64_t echeance) override {
        if (const int64_t avance = AvanceReveil(marge_, echeance - Lire())) {
            const int64_t reveil = echeance - avance;
            timespec t{static_cast<time_t>(reveil / 1'000'000'000), static_cast<long>(reveil % 1'000'000'000)};
            while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &t, nullptr) == EINTR) {
            }
            const int64_t retard = Lire() - reveil;
            reveils.push_back(static_cast<double>(retard) / 1000.0);
            if (Lire() > echeance) ++echeancesManquees;
        }
        int64_t avant = Lire();
        for (int64_t maintenant; (maintenant = Lire()) <= echeance; avant = maintenant) {
            trouMax = std::max(trouMax, maintenant - avant);
            if (maintenant - avant > 100'000) ++trous;
        }
    }
    std::vector<double> reveils;
    int64_t trouMax = 0, trous = 0, echeancesManquees = 0;
    rusage debut_{}, fin_{};

private:
    int64_t marge_ = 0;
};

// Arguments: loader threads, pulse period in 0.1 ms units (2,000 pulses of 10 ms, or
// 10,000 of 1 ms).
void BM_OrigineRetards(benchmark::State& state) {
    Parametres v;
    v.TempsMin_HMat_X = static_cast<double>(state.range(1)) / 10 - 0.1;
    const int pas = state.range(1) >= 100 ? 2'000 : 10'000;
    HorlogeMesuree* h = nullptr;
    for (auto _ : state) {
        auto horloge = std::make_unique<HorlogeMesuree>();
        h = horloge.get();
        h->reveils.reserve(20'000);
        PortSimule simule(*horloge, {});
        simule.Reserver(3 * 10'000 + 64);
        auto port = std::make_unique<PortReelSimule>(simule);
        port->prevus.reserve(3 * 10'000 + 64);
        ExecutantMachine executant(std::move(port), std::move(horloge));
        Charge charge(static_cast<int>(state.range(0)));
        Fenetre fenetre(executant);
        DemandeMachine d;
        d.action = ActionMachine::Deplacement;
        d.texteX = std::to_string(pas / 48.0);
        executant.Lance(d, v, {});
        executant.Attend();
        state.counters["echeances_manquees"] = static_cast<double>(h->echeancesManquees);
        state.counters["reveil_p999_us"] = Centile(h->reveils, 0.999);
        state.counters["reveil_max_us"] =
            h->reveils.empty() ? 0 : *std::max_element(h->reveils.begin(), h->reveils.end());
        state.counters["trou_max_us"] = static_cast<double>(h->trouMax) / 1000.0;
        state.counters["trous_100us"] = static_cast<double>(h->trous);
        state.counters["fautes_pages"] =
            static_cast<double>(h->fin_.ru_minflt - h->debut_.ru_minflt + h->fin_.ru_majflt - h->debut_.ru_majflt);
        state.counters["commutations_forcees"] = static_cast<double>(h->fin_.ru_nivcsw - h->debut_.ru_nivcsw);
    }
}
BENCHMARK(BM_OrigineRetards)
    ->ArgsProduct({{0, 2}, {10, 100}})
    ->ArgNames({"chargeurs", "periode"})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// From the stop request to the last write (the motor output switched off), on a run of 1 ms
// pulses with the window polling.
void BM_LatenceArret(benchmark::State& state) {
    Parametres v;
    v.TempsMin_HMat_X = 0.9;
    std::vector<double> latences;
    for (auto _ : state) {
        for (int essai = 0; essai < 20; ++essai) {
            auto horloge = std::make_unique<HorlogeSysteme>();
            HorlogeSysteme montre;
            PortSimule simule(*horloge, {});
            simule.Reserver(3 * 10'000 + 64);
            ExecutantMachine executant(std::make_unique<PortReelSimule>(simule), std::move(horloge));
            Fenetre fenetre(executant);
            DemandeMachine d;
            d.action = ActionMachine::Deplacement;
            d.texteX = "208.333333";
            executant.Lance(d, v, {});
            std::this_thread::sleep_for(std::chrono::milliseconds(150 + 7 * essai));
            const int64_t t0 = montre.Lire();
            executant.Arrete();
            executant.Attend();
            latences.push_back(static_cast<double>(simule.Ecritures().back().temps - t0) / 1000.0);
        }
    }
    state.counters["mediane_us"] = Centile(latences, 0.5);
    state.counters["max_us"] = *std::max_element(latences.begin(), latences.end());
}
BENCHMARK(BM_LatenceArret)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
