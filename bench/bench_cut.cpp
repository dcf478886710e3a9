// Writing the CUT file and the G-code of a large drawing, from the offset paths to the file
// on disk, and the peak memory of the whole job.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>

#include "machining/poste_travail.h"
#include "machining/cut.h"
#include "machining/gcode.h"

namespace {

// Rings of 1000 points, 30 to a row, within a travel made large enough for them.
void Dessin(korvelin::Dessin& dessin, korvelin::Parametres& parametres, int64_t n) {
    korvelin::Code2 etiquette = korvelin::PremiereSequence;
    for (int64_t debut = 0; debut < n; debut += 1000) {
        korvelin::SequenceDecalee s{etiquette, {}};
        s.Points.reserve(1000);
        for (int64_t k = 0; k < 1000; ++k) {
            const double a = 2 * korvelin::Pi * k / 999.0;
            s.Points.push_back({static_cast<float>(100 * (debut / 1000 % 30) + 40 * std::cos(a)),
                                static_cast<float>(100 * (debut / 30000) + 40 * std::sin(a)), korvelin::PlumeBasse,
                                etiquette});
        }
        dessin.Trace_Decale.push_back(std::move(s));
        etiquette = korvelin::Code2{etiquette.c0() + 1, etiquette.c1()};
    }
    dessin.Trace_Decale.push_back({});
    parametres.Course_X = parametres.Course_Y = 10000;
}

korvelin::TravailCUT Travail(const std::filesystem::path& chemin) {
    korvelin::TravailCUT t;
    t.VitMax_Mat_X = t.VitMax_Mat_Y = t.VitMax_Mat_Z = "2,083";
    t.VitMax_HMat_X = t.VitMax_HMat_Y = t.VitMax_Descente = t.VitMax_Montee = "4,167";
    t.MargeX = t.MargeY = "50";
    t.FichierCUT = chemin.string();
    t.FichierGCode = chemin.string();
    t.VitesseBroche = "12000";
    return t;
}

void Cut(benchmark::State& etat) {
    korvelin::Dessin dessin;
    korvelin::Parametres parametres;
    korvelin::Diagnostics dits;
    const int64_t n = etat.range(0);
    Dessin(dessin, parametres, n);
    const auto chemin = std::filesystem::temp_directory_path() / "korvelin-bench.cut";
    const korvelin::TravailCUT t = Travail(chemin);
    for (auto _ : etat) {
        korvelin::TotauxCUT totaux;
        if (!korvelin::GenereFichierCUT(korvelin::PosteTravail{dessin, parametres}, t, totaux, dits,
                                        [](const korvelin::TotauxCUT&) {}))
            etat.SkipWithError("CUT refusé");
    }
    std::filesystem::remove(chemin);
    etat.SetItemsProcessed(etat.iterations() * n);
}

// The same job as a G-code program, arcs fitted to every ring: it must not cost more than
// the CUT file.
void GCode(benchmark::State& etat) {
    korvelin::Dessin dessin;
    korvelin::Parametres parametres;
    korvelin::Diagnostics dits;
    const int64_t n = etat.range(0);
    Dessin(dessin, parametres, n);
    const auto chemin = std::filesystem::temp_directory_path() / "korvelin-bench.nc";
    const korvelin::TravailCUT t = Travail(chemin);
    korvelin::ResultatGCode r;
    for (auto _ : etat) {
        korvelin::TotauxCUT totaux;
        if (!korvelin::GenereFichierGCode(
                korvelin::PosteTravail{dessin, parametres}, t, korvelin::DialecteGCode::GRBL, totaux, dits,
                [](const korvelin::TotauxCUT&) {}, &r))
            etat.SkipWithError("G-code refusé");
    }
    // The rings go out as arcs: a few bytes per ring, not per point.
    etat.counters["octets"] = double(r.octets);
    std::filesystem::remove(chemin);
    etat.SetItemsProcessed(etat.iterations() * n);
}

// The CUT file with four tabs on every ring, the second of two passes riding over them:
// the placement, with the nesting of the rings, and the cut pieces at each tab end.
void CutAttaches(benchmark::State& etat) {
    korvelin::Dessin dessin;
    korvelin::Parametres parametres;
    korvelin::Diagnostics dits;
    const int64_t n = etat.range(0);
    Dessin(dessin, parametres, n);
    const auto chemin = std::filesystem::temp_directory_path() / "korvelin-bench-attaches.cut";
    korvelin::TravailCUT t = Travail(chemin);
    t.NbPasse = 2;
    t.attaches = {4, 5, 1};
    for (auto _ : etat) {
        korvelin::TotauxCUT totaux;
        if (!korvelin::GenereFichierCUT(korvelin::PosteTravail{dessin, parametres}, t, totaux, dits,
                                        [](const korvelin::TotauxCUT&) {}))
            etat.SkipWithError("CUT refusé");
    }
    std::filesystem::remove(chemin);
    etat.SetItemsProcessed(etat.iterations() * n);
}

// Peak resident memory of the job in a child process: the drawing (its points and their
// offset paths), then the CUT file written.
void Memoire(benchmark::State& etat) {
    const auto chemin = std::filesystem::temp_directory_path() / "korvelin-bench-memoire.cut";
    for (auto _ : etat) {
        const pid_t fils = ::fork();
        if (fils == 0) {
            korvelin::Dessin dessin;
            korvelin::Parametres parametres;
            korvelin::Diagnostics dits;
            Dessin(dessin, parametres, etat.range(0));
            dessin.Trace_Initial.reserve(static_cast<std::size_t>(etat.range(0)));
            for (const auto& s : dessin.Trace_Decale)
                dessin.Trace_Initial.insert(dessin.Trace_Initial.end(), s.Points.begin(), s.Points.end());
            korvelin::TotauxCUT totaux;
            ::_exit(
                korvelin::GenereFichierCUT(korvelin::PosteTravail{dessin, parametres}, Travail(chemin), totaux, dits)
                    ? 0
                    : 1);
        }
        int statut = 0;
        rusage r{};
        if (fils < 0 || ::wait4(fils, &statut, 0, &r) != fils || !WIFEXITED(statut) || WEXITSTATUS(statut) != 0)
            etat.SkipWithError("CUT refusé");
        etat.counters["pic_Mo"] = static_cast<double>(r.ru_maxrss) / 1024.0;
    }
    std::filesystem::remove(chemin);
}

}  // namespace

BENCHMARK(Cut)->Arg(1'000'000)->Arg(2'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(GCode)->Arg(1'000'000)->Arg(2'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(CutAttaches)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(Memoire)->Arg(1'000'000)->Iterations(1)->Unit(benchmark::kMillisecond);
