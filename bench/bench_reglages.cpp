// Loading the settings from a large INI file, and writing the values of the parameters
// dialog into it.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "settings/magasin.h"

namespace {

// A file of about mega megabytes, written by Windows (Windows-1252): the program's
// section, then a long one of another program sharing the file.
std::string IniVolumineux(int mega) {
    const auto chemin = std::filesystem::temp_directory_path() / ("korvelin-bench-" + std::to_string(mega) + ".ini");
    std::ofstream f(chemin, std::ios::binary);
    f << "[Korvelin]\r\nRayonFraise=2,5\r\nMargeX=10\r\nTempsMin_Mat_X=12.5\r\nCouleurSequence=255\r\n[Historique]\r\n";
    const std::size_t taille = static_cast<std::size_t>(mega) << 20;
    for (std::size_t n = 0, i = 0; n < taille; ++i) {
        const std::string ligne = "Fichier" + std::to_string(i) +
                                  "=C:\\Atelier\\pi\xE8"
                                  "ce " +
                                  std::to_string(i) + ".plt\r\n";
        f << ligne;
        n += ligne.size();
    }
    return chemin.string();
}

void ChargementIni(benchmark::State& etat) {
    korvelin::MagasinReglages magasin;
    korvelin::Dessin d;
    korvelin::Parametres p;
    magasin.CheminIni = IniVolumineux(static_cast<int>(etat.range(0)));
    d.TypeFichier = "PLT";
    for (auto _ : etat) {
        korvelin::ChargeDemarrage(magasin, d, p);
        korvelin::ChargeRapports(magasin, d, p);
        benchmark::DoNotOptimize(p.RayonFraise);
    }
    std::filesystem::remove(magasin.CheminIni);
}

// The 35 values the parameters dialog stores on OK.
korvelin::EcrituresReglages ValeursDuDialogue() {
    korvelin::EcrituresReglages e;
    for (const korvelin::Reglage& r : korvelin::TableReglages())
        if (r.chargeur != korvelin::Chargeur::Aucun && !r.prefixeType && e.size() < 35) e.emplace_back(r.cle, r.defaut);
    return e;
}

void EcritureUneParUne(benchmark::State& etat) {
    korvelin::MagasinReglages magasin;
    const korvelin::Dessin d;
    magasin.CheminIni = IniVolumineux(static_cast<int>(etat.range(0)));
    const korvelin::EcrituresReglages valeurs = ValeursDuDialogue();
    for (auto _ : etat)
        for (const auto& [cle, valeur] : valeurs) benchmark::DoNotOptimize(magasin.Ecrire(d, {{cle, valeur}}));
    std::filesystem::remove(magasin.CheminIni);
}

void EcritureEnLot(benchmark::State& etat) {
    korvelin::MagasinReglages magasin;
    const korvelin::Dessin d;
    magasin.CheminIni = IniVolumineux(static_cast<int>(etat.range(0)));
    const korvelin::EcrituresReglages valeurs = ValeursDuDialogue();
    for (auto _ : etat) benchmark::DoNotOptimize(magasin.Ecrire(d, valeurs));
    std::filesystem::remove(magasin.CheminIni);
}

}  // namespace

BENCHMARK(ChargementIni)->Arg(1)->Arg(20)->Unit(benchmark::kMillisecond);
BENCHMARK(EcritureUneParUne)->Arg(20)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(EcritureEnLot)->Arg(20)->Unit(benchmark::kMillisecond);
