// The DXF and point-file imports on large drawings, stage by stage and whole (read,
// convert, weld, offset), and the peak memory of a whole import. Each size runs at 1x and
// 2x to show how the time and the memory grow.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdlib.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "document/importation.h"
#include "import/dat.h"
#include "import/dxf.h"
#include "import/dxf_conversion.h"
#include "import/dxf_lecture.h"

using namespace korvelin;

namespace {

void Paire(std::string& t, const char* code, double v) {
    char tampon[64];
    std::snprintf(tampon, sizeof tampon, "%s\r\n%.6f\r\n", code, v);
    t += tampon;
}

std::string Entete() { return "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n"; }
std::string Fin() { return "  0\r\nENDSEC\r\n  0\r\nEOF\r\n"; }

// Closed polygons of 100 sides, each side one LINE, every other polygon drawn backwards.
std::string DessinLignes(int nbLignes) {
    std::string t = Entete();
    t.reserve(static_cast<std::size_t>(nbLignes) * 130);
    const int cotes = 100;
    for (int n = 0; n * cotes < nbLignes; ++n) {
        const double cx = (n % 20) * 30.0, cy = (n / 20) * 30.0;
        for (int k = 0; k < cotes && n * cotes + k < nbLignes; ++k) {
            int a = k, b = k + 1;
            if (n % 2) std::swap(a, b);
            t += "  0\r\nLINE\r\n  8\r\n0\r\n";
            Paire(t, " 10", cx + 10 * std::cos(a * 2 * Pi / cotes));
            Paire(t, " 20", cy + 10 * std::sin(a * 2 * Pi / cotes));
            Paire(t, " 30", 0);
            Paire(t, " 11", cx + 10 * std::cos(b * 2 * Pi / cotes));
            Paire(t, " 21", cy + 10 * std::sin(b * 2 * Pi / cotes));
            Paire(t, " 31", 0);
        }
    }
    return t + Fin();
}

// Half circles, half arcs of random spans, scattered.
std::string DessinArcs(int nb) {
    std::mt19937 g(7);
    std::uniform_real_distribution<double> pos(0, 1000), rayon(1, 20), angle(0, 360);
    std::string t = Entete();
    for (int i = 0; i < nb; ++i) {
        const bool cercle = i % 2 == 0;
        t += cercle ? "  0\r\nCIRCLE\r\n  8\r\n0\r\n" : "  0\r\nARC\r\n  8\r\n0\r\n";
        Paire(t, " 10", pos(g));
        Paire(t, " 20", pos(g));
        Paire(t, " 30", 0);
        Paire(t, " 40", rayon(g));
        if (!cercle) {
            Paire(t, " 50", angle(g));
            Paire(t, " 51", angle(g));
        }
    }
    return t + Fin();
}

// A point of a closed wavy outline, k of n around it.
double OndeX(int k, int n) { return 2000 * std::cos(k * 2 * Pi / n) * (1 + 0.1 * std::sin(k * 40 * Pi / n)); }
double OndeY(int k, int n) { return 2000 * std::sin(k * 2 * Pi / n) * (1 + 0.1 * std::sin(k * 40 * Pi / n)); }

// One closed LWPOLYLINE of n vertices on the outline, every tenth segment a small arc.
std::string DessinPolyligneLegere(int n) {
    std::string t = Entete() + "  0\r\nLWPOLYLINE\r\n  8\r\n0\r\n 90\r\n" + std::to_string(n) + "\r\n 70\r\n1\r\n";
    t.reserve(static_cast<std::size_t>(n) * 48);
    for (int k = 0; k < n; ++k) {
        Paire(t, " 10", OndeX(k, n));
        Paire(t, " 20", OndeY(k, n));
        if (k % 10 == 0) Paire(t, " 42", 0.2);
    }
    return t + Fin();
}

// One clamped cubic SPLINE of n control points on the outline.
std::string DessinSpline(int n) {
    std::string t = Entete() + "  0\r\nSPLINE\r\n  8\r\n0\r\n 70\r\n8\r\n 71\r\n3\r\n";
    t.reserve(static_cast<std::size_t>(n) * 64);
    for (int k = 0; k < n + 4; ++k) Paire(t, " 40", std::clamp(k - 3, 0, n - 3));
    for (int k = 0; k < n; ++k) {
        Paire(t, " 10", OndeX(k, n));
        Paire(t, " 20", OndeY(k, n));
    }
    return t + Fin();
}

std::string Profil(int nbLignes) {
    std::string t = "PROFIL\r\n";
    char tampon[64];
    for (int i = 0; i < nbLignes; ++i) {
        const double a = i * 2 * Pi / nbLignes;
        std::snprintf(tampon, sizeof tampon, "%.6f %.6f\r\n", 100 * std::cos(a), 40 * std::sin(a));
        t += tampon;
    }
    return t;
}

class Dossier {
public:
    Dossier() {
        std::string modele = (std::filesystem::temp_directory_path() / "korvelin-bench-XXXXXX").string();
        chemin_ = ::mkdtemp(modele.data());
    }
    ~Dossier() { std::filesystem::remove_all(chemin_); }
    std::string Ecrit(const std::string& nom, const std::string& contenu) const {
        const std::string c = (chemin_ / nom).string();
        std::ofstream(c, std::ios::binary) << contenu;
        return c;
    }

private:
    std::filesystem::path chemin_;
};

const Dossier& Temporaire() {
    static Dossier d;
    return d;
}

void Lecture(benchmark::State& state, std::string (*genere)(int)) {
    const std::string texte = genere(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(LireDXFTexte(texte));
    state.SetComplexityN(state.range(0));
}

void Conversion(benchmark::State& state, std::string (*genere)(int)) {
    const DocumentDXF doc = LireDXFTexte(genere(static_cast<int>(state.range(0))));
    std::size_t points = 0;
    for (auto _ : state) {
        TraceurDXF t(doc, "");
        t.ConvertitTout();
        points = t.Points().size();
        benchmark::DoNotOptimize(points);
    }
    state.counters["points"] = static_cast<double>(points);
    state.SetComplexityN(state.range(0));
}

// From the file on disk to the welded drawing with its offset paths.
void Import(benchmark::State& state, std::string (*genere)(int)) {
    const std::string chemin = Temporaire().Ecrit("dessin" + std::to_string(state.range(0)) + ".dxf",
                                                  genere(static_cast<int>(state.range(0))));
    int32_t points = 0;
    for (auto _ : state) {
        Dessin dessin;
        Parametres parametres;
        MagasinReglages magasin;
        InterfaceSilencieuse ui;
        dessin.TypeFichier = "DXF";
        EtatImport etat;
        SuiviSilencieux suivi;
        if (!ImporteDXF(CibleImport{dessin, parametres, magasin, ui}, etat, chemin, suivi))
            state.SkipWithError("import refusé");
        points = dessin.NbPoints;
    }
    state.counters["points"] = points;
    state.SetComplexityN(state.range(0));
}

// Peak resident memory of a whole import from the file, in a child process so that only
// the import is measured (and what the parent held when it forked, a few megabytes).
void Memoire(benchmark::State& state, std::string (*genere)(int)) {
    const std::string chemin = Temporaire().Ecrit("memoire" + std::to_string(state.range(0)) + ".dxf",
                                                  genere(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        const pid_t fils = ::fork();
        if (fils == 0) {
            Dessin dessin;
            Parametres parametres;
            MagasinReglages magasin;
            InterfaceSilencieuse ui;
            dessin.TypeFichier = "DXF";
            EtatImport etat;
            SuiviSilencieux suivi;
            ::_exit(ImporteDXF(CibleImport{dessin, parametres, magasin, ui}, etat, chemin, suivi) ? 0 : 1);
        }
        int statut = 0;
        rusage r{};
        if (fils < 0 || ::wait4(fils, &statut, 0, &r) != fils || !WIFEXITED(statut) || WEXITSTATUS(statut) != 0)
            state.SkipWithError("import refusé");
        state.counters["pic_Mo"] = static_cast<double>(r.ru_maxrss) / 1024.0;
    }
}

// The reading pass alone: lines cut, numbers read, the drawing measured.
void LectureDAT(benchmark::State& state) {
    const std::string texte = Profil(static_cast<int>(state.range(0)));
    MesureDAT m;
    for (auto _ : state) benchmark::DoNotOptimize(LitDAT(texte, {}, &m));
    state.SetComplexityN(state.range(0));
}

void ImportDAT(benchmark::State& state) {
    const std::string chemin = Temporaire().Ecrit("profil" + std::to_string(state.range(0)) + ".dat",
                                                  Profil(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        Dessin dessin;
        Parametres parametres;
        MagasinReglages magasin;
        InterfaceSilencieuse ui;
        dessin.TypeFichier = "DAT";
        SuiviSilencieux suivi;
        if (!ImporteDAT(CibleImport{dessin, parametres, magasin, ui}, chemin, suivi))
            state.SkipWithError("import refusé");
    }
    state.SetComplexityN(state.range(0));
}

}  // namespace

BENCHMARK_CAPTURE(Lecture, lignes, DessinLignes)->Arg(40'000)->Arg(80'000)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK_CAPTURE(Conversion, lignes, DessinLignes)
    ->Arg(40'000)
    ->Arg(80'000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();
BENCHMARK_CAPTURE(Import, lignes, DessinLignes)->Arg(40'000)->Arg(80'000)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK_CAPTURE(Lecture, arcs, DessinArcs)->Arg(5'000)->Arg(10'000)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK_CAPTURE(Conversion, arcs, DessinArcs)->Arg(5'000)->Arg(10'000)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK_CAPTURE(Import, arcs, DessinArcs)->Arg(5'000)->Arg(10'000)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK_CAPTURE(Import, polyligne_legere, DessinPolyligneLegere)
    ->Arg(100'000)
    ->Arg(200'000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();
BENCHMARK_CAPTURE(Import, spline, DessinSpline)
    ->Arg(100'000)
    ->Arg(200'000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();
BENCHMARK_CAPTURE(Memoire, lignes, DessinLignes)
    ->Arg(1'000'000)
    ->Arg(2'000'000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(LectureDAT)->Arg(200'000)->Arg(400'000)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(ImportDAT)->Arg(200'000)->Arg(400'000)->Unit(benchmark::kMillisecond)->Complexity();
