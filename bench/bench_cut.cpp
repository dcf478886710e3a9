// Writing the CUT file of a large drawing, from the offset paths to the file on disk.
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>

#include "machining/cut.h"

namespace {

void Cut(benchmark::State& etat) {
    korvelin::Contexte ctx;
    const int64_t n = etat.range(0);
    korvelin::Code2 etiquette = korvelin::PremiereSequence;
    for (int64_t debut = 0; debut < n; debut += 1000) {
        korvelin::SequenceDecalee s{etiquette, {}};
        s.Points.reserve(1000);
        for (int64_t k = 0; k < 1000; ++k) {
            const double a = 2 * korvelin::Pi * k / 999.0;
            s.Points.push_back({static_cast<float>(100 * (debut / 1000 % 30) + 40 * std::cos(a)),
                                static_cast<float>(100 * (debut / 30000) + 40 * std::sin(a)),
                                korvelin::PlumeBasse, etiquette});
        }
        ctx.dessin.Trace_Decale.push_back(std::move(s));
        etiquette = korvelin::Code2{etiquette.c0 + 1, etiquette.c1};
    }
    ctx.dessin.Trace_Decale.push_back({});
    korvelin::TravailCUT t;
    t.VitMax_Mat_X = t.VitMax_Mat_Y = t.VitMax_Mat_Z = "2,083";
    t.VitMax_HMat_X = t.VitMax_HMat_Y = t.VitMax_Descente = t.VitMax_Montee = "4,167";
    const auto chemin = std::filesystem::temp_directory_path() / "korvelin-bench.cut";
    t.FichierCUT = chemin.string();
    for (auto _ : etat) {
        korvelin::TotauxCUT totaux;
        benchmark::DoNotOptimize(korvelin::GenereFichierCUT(ctx, t, totaux, [](const korvelin::TotauxCUT&) {}));
    }
    std::filesystem::remove(chemin);
    etat.SetItemsProcessed(etat.iterations() * n);
}

}  // namespace

BENCHMARK(Cut)->Arg(1'000'000)->Arg(2'000'000)->Unit(benchmark::kMillisecond);
