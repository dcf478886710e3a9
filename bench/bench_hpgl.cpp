// Reading a large plotter file: the reading pass alone, the reader stage (commands,
// scaling, cleaning, labelling) and the whole import with the welding and the offsets.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "document/importation.h"
#include "import/hpgl.h"

namespace {

// Closed polygons of nbParTrace points on a grid, as drawing programs write them: either
// one pen-down command holding the whole outline (long lists, a pair per point) or one
// command per point, each on its own line.
std::string TexteHPGL(int64_t nbPoints, bool listesLongues, int64_t nbParTrace = 500) {
    std::string t = "IN;SP1;";
    t.reserve(static_cast<std::size_t>(nbPoints) * 14);
    char paire[64];
    for (int64_t i = 0; i < nbPoints; ++i) {
        const int64_t trace = i / nbParTrace, k = i % nbParTrace;
        const double a = 2 * korvelin::Pi * static_cast<double>(k) / (nbParTrace - 1.0);
        const long x = 4000 * (trace % 100) + std::lround(1500 * std::cos(a));
        const long y = 4000 * (trace / 100) + std::lround(1500 * std::sin(a));
        if (!listesLongues) {
            std::snprintf(paire, sizeof paire, "%s%ld,%ld;\n", k == 0 ? "PU" : "PD", x, y);
        } else if (k == 0) {
            std::snprintf(paire, sizeof paire, "PU%ld,%ld;PD", x, y);
        } else {
            const bool dernier = k == nbParTrace - 1 || i == nbPoints - 1;
            std::snprintf(paire, sizeof paire, "%ld,%ld%s", x, y, dernier ? ";\n" : ",");
        }
        t += paire;
    }
    return t + "PU;SP;";
}

// Arg 0: points; arg 1: 1 for long pen-down lists, 0 for one pair per command.
void Commandes(benchmark::State& etat) {
    const std::string texte = TexteHPGL(etat.range(0), etat.range(1) != 0);
    std::size_t nb = 0;
    for (auto _ : etat) {
        nb = korvelin::AnalyseTexteHPGL(texte).Points.size();
        benchmark::DoNotOptimize(nb);
    }
    etat.counters["points_lus"] = static_cast<double>(nb);
    etat.SetBytesProcessed(etat.iterations() * static_cast<int64_t>(texte.size()));
}

void Lecteur(benchmark::State& etat) {
    const std::string texte = TexteHPGL(etat.range(0), true);
    for (auto _ : etat) {
        korvelin::Dessin dessin;
        korvelin::Parametres parametres;
        korvelin::MagasinReglages magasin;
        korvelin::InterfaceSilencieuse ui;
        magasin.LectureSeule = true;
        dessin.TypeFichier = "PLT";
        korvelin::SuiviSilencieux suivi;
        benchmark::DoNotOptimize(korvelin::AcheveHPGL(korvelin::CibleImport{dessin, parametres, magasin, ui},
                                                      korvelin::LitHPGL(texte), suivi, false));
        benchmark::DoNotOptimize(dessin.NbPoints);
    }
    etat.SetItemsProcessed(etat.iterations() * etat.range(0));
}

void ImportComplet(benchmark::State& etat) {
    const auto chemin = std::filesystem::temp_directory_path() / "korvelin-bench-hpgl.plt";
    std::ofstream(chemin, std::ios::binary) << TexteHPGL(etat.range(0), true, 100);
    for (auto _ : etat) {
        korvelin::Dessin dessin;
        korvelin::Parametres parametres;
        korvelin::MagasinReglages magasin;
        korvelin::InterfaceSilencieuse ui;
        magasin.LectureSeule = true;
        dessin.TypeFichier = "PLT";
        korvelin::SuiviSilencieux suivi;
        benchmark::DoNotOptimize(
            korvelin::ImporteHPGL(korvelin::CibleImport{dessin, parametres, magasin, ui}, chemin.string(), suivi));
    }
    std::filesystem::remove(chemin);
    etat.SetItemsProcessed(etat.iterations() * etat.range(0));
}

}  // namespace

BENCHMARK(Commandes)
    ->Args({1'000'000, 1})
    ->Args({2'000'000, 1})
    ->Args({1'000'000, 0})
    ->Args({2'000'000, 0})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(Lecteur)->Arg(1'000'000)->Arg(2'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(ImportComplet)->Arg(1'000'000)->Arg(2'000'000)->Unit(benchmark::kMillisecond)->Iterations(2);
