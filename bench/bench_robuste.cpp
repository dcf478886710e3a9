// Large drawings through every stage: the offset of a 10^6-point spiral with the distances
// that keep the cutter off the part, and the whole converter on 10^6-point HPGL, DXF and
// point files, with its time and its peak memory.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <unordered_map>
#include <vector>

#include "document/calculs.h"
#include "model/nombres.h"

namespace {

namespace fs = std::filesystem;
using korvelin::PointTrace;

double Distance2Segment(double px, double py, const PointTrace& a, const PointTrace& b) {
    const double ux = double(b.X) - a.X, uy = double(b.Y) - a.Y, l = ux * ux + uy * uy;
    const double t = l > 0 ? std::clamp(((px - a.X) * ux + (py - a.Y) * uy) / l, 0.0, 1.0) : 0.0;
    const double dx = a.X + t * ux - px, dy = a.Y + t * uy - py;
    return dx * dx + dy * dy;
}

// The nearest the offset's vertices and the middles of its moves come to the trace, and
// the farthest a vertex strays from the radius, by a grid of the trace's segments.
struct Mesure {
    double plusPres = INFINITY, ecartMax = 0;
};

Mesure Mesure1(const std::vector<PointTrace>& trace, const std::vector<PointTrace>& chemin, double R) {
    const double c = 2 * R;
    auto cle = [c](double x, double y) {
        return (uint64_t(uint32_t(int32_t(std::floor(x / c)))) << 32) | uint32_t(int32_t(std::floor(y / c)));
    };
    std::unordered_map<uint64_t, std::vector<uint32_t>> grille;
    for (std::size_t s = 0; s + 1 < trace.size(); ++s)
        for (const PointTrace* p : {&trace[s], &trace[s + 1]}) {
            auto& v = grille[cle(p->X, p->Y)];
            if (v.empty() || v.back() != s) v.push_back(uint32_t(s));
        }
    auto distance = [&](double x, double y) {
        double d2 = INFINITY;
        for (int i = -1; i <= 1; ++i)
            for (int j = -1; j <= 1; ++j) {
                const auto it = grille.find(cle(x + i * c, y + j * c));
                if (it == grille.end()) continue;
                for (const uint32_t s : it->second) d2 = std::min(d2, Distance2Segment(x, y, trace[s], trace[s + 1]));
            }
        return std::sqrt(d2);
    };
    Mesure m;
    for (std::size_t k = 0; k < chemin.size(); ++k) {
        const double d = distance(chemin[k].X, chemin[k].Y);
        m.ecartMax = std::max(m.ecartMax, std::fabs(d - R));
        m.plusPres = std::min(m.plusPres, d);
        if (k > 0)
            m.plusPres = std::min(m.plusPres, distance((double(chemin[k - 1].X) + chemin[k].X) / 2,
                                                       (double(chemin[k - 1].Y) + chemin[k].Y) / 2));
    }
    return m;
}

// An Archimedean spiral, turns 5 mm apart, points 0.5 mm apart.
std::vector<PointTrace> Spirale(std::size_t n) {
    std::vector<PointTrace> p;
    p.reserve(n);
    double theta = 2 * korvelin::Pi * 20 / 5;
    for (std::size_t i = 0; i < n; ++i) {
        const double r = 5 * theta / (2 * korvelin::Pi);
        p.push_back(
            {float(r * std::cos(theta)), float(r * std::sin(theta)), korvelin::PlumeBasse, korvelin::PremiereSequence});
        theta += 0.5 / std::hypot(r, 5 / (2 * korvelin::Pi));
    }
    return p;
}

// The offset of the spiral, timed; the distances once, after.
void ProprietesSpirale(benchmark::State& etat) {
    const std::vector<PointTrace> trace = Spirale(std::size_t(etat.range(0)));
    korvelin::Dessin d;
    korvelin::Parametres p;
    p.RayonFraise = 1.5;
    p.DecalageOutil = 1;
    p.Optimisation_1 = true;
    korvelin::InterfaceSilencieuse silence;
    for (auto _ : etat) {
        d = korvelin::Dessin{};
        d.Trace_Initial = trace;
        d.NbPoints = int32_t(trace.size());
        korvelin::CalculDecalageTout(d, p, silence);
    }
    const auto& chemin = d.Trace_Decale[0].Points;
    const Mesure m = Mesure1(trace, chemin, 1.5);
    etat.counters["points_gardes"] = double(chemin.size());
    etat.counters["plus_pres_mm"] = m.plusPres;
    etat.counters["ecart_rayon_mm"] = m.ecartMax;
    if (m.plusPres < 1.5 - 0.01 || m.ecartMax > 0.001) etat.SkipWithError("le parcours entame la pièce");
    etat.SetItemsProcessed(etat.iterations() * etat.range(0));
}

// 1000 rings of 1000 points, 30 to a row, 100 mm apart, in the format asked for.
enum Format { HPGL, DXF, DAT, DXFLignes };

std::string Nombre(double v) { return korvelin::FormatFixe(v, 3, '.'); }

fs::path Fichier(Format f) {
    static const char* const noms[] = {"anneaux.plt", "anneaux.dxf", "spirale.dat", "lignes.dxf"};
    const fs::path chemin = fs::temp_directory_path() / "korvelin-bench-robuste" / noms[f];
    if (fs::exists(chemin)) return chemin;
    fs::create_directories(chemin.parent_path());
    std::ofstream o(chemin, std::ios::binary);
    auto anneau = [](int k, int i) {
        const double a = 2 * korvelin::Pi * (i % 999) / 999.0;
        return std::pair{100.0 * (k % 30) + 50 + 40 * std::cos(a), 100.0 * (k / 30) + 50 + 40 * std::sin(a)};
    };
    if (f == HPGL) {
        o << "IN;";
        for (int k = 0; k < 1000; ++k) {
            for (int i = 0; i < 1000; ++i) {
                const auto [x, y] = anneau(k, i);
                o << (i == 0 ? "PU" : i == 1 ? "PD" : ",") << std::lround(x * 40) << ',' << std::lround(y * 40);
                if (i == 0) o << ';';
            }
            o << ";\n";
        }
    } else if (f == DXF || f == DXFLignes) {
        o << "0\nSECTION\n2\nENTITIES\n";
        for (int k = 0; k < 1000; ++k) {
            if (f == DXF) o << "0\nLWPOLYLINE\n8\n0\n90\n1000\n70\n0\n";
            for (int i = 0; i < 1000; ++i) {
                const auto [x, y] = anneau(k, i);
                if (f == DXF) {
                    o << "10\n" << Nombre(x) << "\n20\n" << Nombre(y) << '\n';
                } else {
                    const auto [x2, y2] = anneau(k, i + 1);
                    o << "0\nLINE\n8\n0\n10\n"
                      << Nombre(x) << "\n20\n"
                      << Nombre(y) << "\n11\n"
                      << Nombre(x2) << "\n21\n"
                      << Nombre(y2) << '\n';
                }
            }
        }
        o << "0\nENDSEC\n0\nEOF\n";
    } else {
        for (const PointTrace& p : Spirale(1'000'000)) o << Nombre(p.X + 500) << ' ' << Nombre(p.Y + 500) << '\n';
    }
    return chemin;
}

// The converter in a child process: its time, and its peak memory from the kernel.
void Convertisseur(benchmark::State& etat) {
    const auto format = Format(etat.range(0));
    const int64_t options = etat.range(1);  // 1: orientation and order, 2: the G-code too
    const fs::path dessin = Fichier(format);
    const fs::path dossier = dessin.parent_path();
    {
        std::ofstream ini(dossier / "Korvelin.ini", std::ios::binary);
        ini << "[Korvelin]\r\nRayonFraise=1\r\nDecalageOutil=1\r\nCourse_X=10000\r\nCourse_Y=10000\r\nMargeX="
               "10\r\nMargeY=10\r\n";
    }
    std::vector<std::string> arguments = {KORVELIN_CUT_EXE,
                                          dessin.string(),
                                          "--ini",
                                          (dossier / "Korvelin.ini").string(),
                                          "-o",
                                          (dossier / "sortie.cut").string(),
                                          "--rapport-h",
                                          "1",
                                          "--rapport-v",
                                          "1"};
    if (format == HPGL) arguments.back() = arguments[arguments.size() - 3] = "0,025";
    if (options >= 1) arguments.insert(arguments.end(), {"--orientation", "--ordre"});
    if (options >= 2) arguments.insert(arguments.end(), {"--gcode", (dossier / "sortie.nc").string()});
    for (auto _ : etat) {
        const auto debut = std::chrono::steady_clock::now();
        const pid_t fils = ::fork();
        if (fils == 0) {
            std::vector<char*> argv;
            for (std::string& a : arguments) argv.push_back(a.data());
            argv.push_back(nullptr);
            const int nul = ::open("/dev/null", O_WRONLY);
            ::dup2(nul, 1);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        int statut = 0;
        rusage r{};
        if (fils < 0 || ::wait4(fils, &statut, 0, &r) != fils || !WIFEXITED(statut) || WEXITSTATUS(statut) != 0)
            etat.SkipWithError("conversion refusée");
        etat.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - debut).count());
        etat.counters["pic_Mo"] = double(r.ru_maxrss) / 1024.0;
        // The processor time of the child, less sensitive than the wall clock to a
        // machine shared with other work.
        etat.counters["cpu_s"] =
            double(r.ru_utime.tv_sec + r.ru_stime.tv_sec) + double(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
    }
}

}  // namespace

BENCHMARK(ProprietesSpirale)->Arg(250'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(Convertisseur)
    ->ArgsProduct({{HPGL, DXF, DAT}, {0, 1, 2}})
    ->Args({DXFLignes, 0})
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
