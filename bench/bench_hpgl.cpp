// Reading a large plotter file: the reader stage alone (rewrites, commands, scaling,
// cleaning, labelling) and the whole import with the welding and the offsets.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "import/hpgl.h"

namespace {

// Closed polygons of 100 points, one trace each, as plotter software writes them.
std::string TexteHPGL(int64_t nbPoints) {
    std::string t = "IN;SP1;";
    t.reserve(static_cast<std::size_t>(nbPoints) * 16);
    char ligne[64];
    for (int64_t i = 0; i < nbPoints; ++i) {
        const int64_t trace = i / 100, k = i % 100;
        const double a = 2 * korvelin::Pi * k / 99.0;
        const long x = 4000 * (trace % 100) + std::lround(1500 * std::cos(a));
        const long y = 4000 * (trace / 100) + std::lround(1500 * std::sin(a));
        std::snprintf(ligne, sizeof ligne, "%s%ld,%ld;\n", k == 0 ? "PU" : "PD", x, y);
        t += ligne;
    }
    return t + "PU;SP;";
}

void Lecteur(benchmark::State& etat) {
    const std::string texte = TexteHPGL(etat.range(0));
    for (auto _ : etat) {
        korvelin::Contexte ctx;
        ctx.ParametresEnLectureSeule = true;
        ctx.dessin.TypeFichier = "PLT";
        benchmark::DoNotOptimize(korvelin::PrepareDessinHPGL(ctx, texte));
        benchmark::DoNotOptimize(ctx.dessin.NbPoints);
    }
    etat.SetItemsProcessed(etat.iterations() * etat.range(0));
}

void Commandes(benchmark::State& etat) {
    const std::string texte = TexteHPGL(etat.range(0));
    for (auto _ : etat) benchmark::DoNotOptimize(korvelin::AnalyseTexteHPGL(texte).Points.size());
    etat.SetItemsProcessed(etat.iterations() * etat.range(0));
}

void ImportComplet(benchmark::State& etat) {
    const auto chemin = std::filesystem::temp_directory_path() / "korvelin-bench-hpgl.plt";
    std::ofstream(chemin, std::ios::binary) << TexteHPGL(etat.range(0));
    for (auto _ : etat) {
        korvelin::Contexte ctx;
        ctx.ParametresEnLectureSeule = true;
        ctx.dessin.TypeFichier = "PLT";
        benchmark::DoNotOptimize(korvelin::LectureHPGL(ctx, chemin.string()));
    }
    std::filesystem::remove(chemin);
    etat.SetItemsProcessed(etat.iterations() * etat.range(0));
}

}  // namespace

BENCHMARK(Commandes)->Arg(1'000'000)->Arg(2'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(Lecteur)->Arg(1'000'000)->Arg(2'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(ImportComplet)->Arg(1'000'000)->Arg(2'000'000)->Unit(benchmark::kMillisecond)->Iterations(2);
