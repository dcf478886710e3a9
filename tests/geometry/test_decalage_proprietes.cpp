// The cutter never bites into the part, whatever the drawing: on spirals, long dense
// contours, sheets of parts and near-coincident traces, at coordinates up to a metre, no
// cutting move comes closer to its trace than the radius less 0.01 mm, and no offset vertex
// strays from the radius. The distances are measured here by a grid of their own, not by
// the program's tree.

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <unordered_map>

#include <filesystem>

#include "geometry/bouts.h"
#include "geometry/decalage.h"
#include "support/import_test.h"
#include "settings/magasin.h"
#include "model/aide_dessin.h"
#include "settings/aide_contexte.h"

using namespace korvelin;
using namespace korvelin::test;

namespace {

struct Pt {
    double x, y;
};

double Distance2PointSegment(Pt p, Pt a, Pt b) {
    const double ux = b.x - a.x, uy = b.y - a.y, l = ux * ux + uy * uy;
    const double t = l > 0 ? std::clamp(((p.x - a.x) * ux + (p.y - a.y) * uy) / l, 0.0, 1.0) : 0.0;
    const double dx = a.x + t * ux - p.x, dy = a.y + t * uy - p.y;
    return dx * dx + dy * dy;
}

double DistanceSegments(Pt a, Pt b, Pt c, Pt d) {
    auto cote = [](Pt p, Pt q, Pt r) {
        const double v = (q.x - p.x) * (r.y - p.y) - (q.y - p.y) * (r.x - p.x);
        return (v > 0) - (v < 0);
    };
    if (cote(a, b, c) * cote(a, b, d) < 0 && cote(c, d, a) * cote(c, d, b) < 0) return 0;
    return std::sqrt(std::min({Distance2PointSegment(a, c, d), Distance2PointSegment(b, c, d),
                               Distance2PointSegment(c, a, b), Distance2PointSegment(d, a, b)}));
}

// The segments of one trace filed by square cells.
class Grille {
public:
    Grille(const std::vector<Pt>& t, double cote) : t_(t), cote_(cote) {
        for (std::size_t s = 0; s + 1 < t.size(); ++s) {
            const Pt a = t[s], b = t[s + 1];
            for (int64_t i = Cell(std::min(a.x, b.x)); i <= Cell(std::max(a.x, b.x)); ++i)
                for (int64_t j = Cell(std::min(a.y, b.y)); j <= Cell(std::max(a.y, b.y)); ++j)
                    cellules_[Cle(i, j)].push_back(uint32_t(s));
        }
    }
    // The distance from the segment a → b to the trace, exact below `portee`.
    double Distance(Pt a, Pt b, double portee) const {
        double d = INFINITY;
        for (int64_t i = Cell(std::min(a.x, b.x) - portee); i <= Cell(std::max(a.x, b.x) + portee); ++i)
            for (int64_t j = Cell(std::min(a.y, b.y) - portee); j <= Cell(std::max(a.y, b.y) + portee); ++j) {
                const auto c = cellules_.find(Cle(i, j));
                if (c == cellules_.end()) continue;
                for (const uint32_t s : c->second) d = std::min(d, DistanceSegments(a, b, t_[s], t_[s + 1]));
            }
        return d;
    }

private:
    int64_t Cell(double v) const { return int64_t(std::floor(v / cote_)); }
    static uint64_t Cle(int64_t i, int64_t j) { return (uint64_t(i) << 32) ^ uint64_t(uint32_t(j)); }
    const std::vector<Pt>& t_;
    double cote_;
    std::unordered_map<uint64_t, std::vector<uint32_t>> cellules_;
};

struct Bilan {
    double plusPres = INFINITY;  // the nearest any cutting move comes to its trace
    double ecartMax = 0;         // the farthest a vertex strays from the radius
    std::size_t points = 0;      // offset points kept
};

// Every trace against its own offset path.
Bilan Mesure(const Dessin& d, double R) {
    Bilan b;
    std::size_t e = 0;
    for (int32_t i = 0; i < d.NbPoints; ++e) {
        std::vector<Pt> t;
        const Code2 etiquette = d.Trace_Initial[i].Sequence;
        for (; i < d.NbPoints && d.Trace_Initial[i].Sequence == etiquette; ++i)
            t.push_back({d.Trace_Initial[i].X, d.Trace_Initial[i].Y});
        const Grille g(t, std::max(R, 1.0));
        const auto& D = d.Trace_Decale.at(e).Points;
        b.points += D.size();
        for (std::size_t k = 0; k < D.size(); ++k) {
            const Pt p{D[k].X, D[k].Y};
            b.ecartMax = std::max(b.ecartMax, std::fabs(g.Distance(p, p, 2 * R) - R));
            // The tool is lifted over a join marked so: nothing is cut there.
            if (k > 0 && D[k].Plume != MarqueLevee)
                b.plusPres = std::min(b.plusPres, g.Distance({D[k - 1].X, D[k - 1].Y}, p, R));
        }
    }
    return b;
}

// An Archimedean spiral from radius r0, `pas` apart between turns, points `ecart` apart.
Points Spirale(std::size_t n, double r0, double pas, double ecart, double cx = 0, double cy = 0) {
    Points p;
    double theta = 2 * Pi * r0 / pas;
    for (std::size_t i = 0; i < n; ++i) {
        const double r = pas * theta / (2 * Pi);
        p.emplace_back(float(cx + r * std::cos(theta)), float(cy + r * std::sin(theta)));
        theta += ecart / std::hypot(r, pas / (2 * Pi));
    }
    return p;
}

struct Proprietes : ::testing::Test, ValeursTemporaires {
    Dessin d;
    ReglagesDecalage r;
    Diagnostics diagnostics;
    void Regle(double R, int cote) {
        r.rayon = R;
        r.cote = int16_t(cote);
        r.optimisation1 = true;
    }
    void Calcule() { diagnostics = Redecale(d, r); }
};

TEST_F(Proprietes, SpiraleDe250000Points) {
    // 125 m of spiral: the path drifted 0.01 mm towards the trace on the way out, the
    // second pass then took whole turns away and the cutter went straight across.
    AjouteTrace(d, Etiquette(" A"), Spirale(250'000, 20, 5, 0.5));
    for (const int cote : {1, 3}) {
        Regle(1.5, cote);
        Calcule();
        EXPECT_TRUE(diagnostics.empty());
        const Bilan b = Mesure(d, 1.5);
        EXPECT_EQ(b.points, 250'000u);
        EXPECT_LE(b.ecartMax, 0.001);
        EXPECT_GE(b.plusPres, 1.5 - 0.01);
    }
}

TEST_F(Proprietes, SpiraleTropSerreeNommee) {
    // Turns 2 mm apart with a cutter of 3 mm: the path is lifted, with the trace named,
    // rather than cross the turns.
    AjouteTrace(d, Etiquette(" A"), {{-50, -50}, {-40, -50}});
    AjouteTrace(d, Etiquette(" B"), Spirale(3000, 20, 2, 0.5));
    Regle(1.5, 1);
    Calcule();
    ASSERT_EQ(diagnostics.size(), 1u);
    EXPECT_EQ(diagnostics[0].message.rfind("Le tracé  B est trop serré pour ce rayon de fraise", 0), 0u);
    EXPECT_EQ(diagnostics[0].gravite, Gravite::Avertissement);
    const Bilan b = Mesure(d, 1.5);
    EXPECT_GE(b.plusPres, 1.5 - 0.01);
    EXPECT_GT(d.Trace_Decale[1].Points.size(), 1u);
}

TEST_F(Proprietes, DessinsAleatoires) {
    std::uniform_real_distribution<double> u(0.0, 1.0);
    int serres = 0;
    for (int graine = 0; graine < 48; ++graine) {
        std::mt19937 g(graine);
        d = Dessin{};
        const double R = 0.3 + 3 * u(g);
        // Anywhere on a metre of travel.
        const double ox = 1000 * u(g), oy = 1000 * u(g);
        for (int t = 0; t < 1 + int(g() % 5); ++t) {
            const Code2 e(U' ', U'A' + t);
            Points p;
            switch (g() % 4) {
                case 0:  // a spiral, now and then tighter than the cutter
                    p = Spirale(2000 + g() % 20000, 4 * R + 10 * u(g), R * (1.5 + 4 * u(g)), 0.2 + 0.5 * u(g), ox, oy);
                    break;
                case 1: {  // a long dense wavy contour, closed
                    const double rayon = 50 + 300 * u(g), a = 0.05 * u(g);
                    const int n = 5000 + int(g() % 20000), ondes = 1 + int(g() % 8);
                    for (int i = 0; i <= n; ++i) {
                        const double th = 2 * Pi * (i % n) / n, rr = rayon * (1 + a * std::sin(ondes * th));
                        p.emplace_back(float(ox + rr * std::cos(th)), float(oy + rr * std::sin(th)));
                    }
                    break;
                }
                case 2: {  // a sheet of small polygons, each its own trace
                    for (int k = 0; k < 20; ++k) {
                        Points q;
                        const double cx = ox + 40 * (k % 5), cy = oy + 40 * (k / 5), rc = 3 + 10 * u(g);
                        const int cotes = 3 + int(g() % 6);
                        for (int i = 0; i <= cotes; ++i) {
                            const double th = 2 * Pi * (i % cotes) / cotes + (k % 2) * 0.3;
                            q.emplace_back(float(cx + rc * std::cos(th)), float(cy + rc * std::sin(th)));
                        }
                        AjouteTrace(d, Code2(U'a' + t, U'A' + k), q);
                    }
                    continue;
                }
                default: {  // two near-coincident zigzags in one trace, back and forth
                    const int n = 50 + int(g() % 500);
                    for (int i = 0; i < n; ++i) p.emplace_back(float(ox + i), float(oy + 5 * (i % 2)));
                    for (int i = n - 1; i >= 0; --i) p.emplace_back(float(ox + i + 0.0004), float(oy + 5 * (i % 2)));
                    break;
                }
            }
            AjouteTrace(d, e, p);
        }
        Regle(R, g() % 2 ? 1 : 3);
        r.optimisation2 = g() % 2;
        Calcule();
        // A polygon smaller than the cutter inside it has no path at all.
        for (const auto& m : diagnostics) {
            const bool serre = m.message.find("est trop serré pour ce rayon de fraise") != std::string::npos;
            ASSERT_TRUE(serre || m.message == MessageRayonTropGrand) << m.message;
            serres += serre;
        }
        const Bilan b = Mesure(d, R);
        EXPECT_GE(b.plusPres, R - 0.01) << "graine " << graine;
        EXPECT_GT(b.points, 0u);
    }
    EXPECT_GT(serres, 0);
}

TEST_F(Proprietes, ContourFermeAUnPasDeFloatPres) {
    // A full ellipse from another program ends at the float value of 2π, a few
    // micrometres from its start: it still gets its closing corner, not a path that
    // begins and ends beside the trace.
    Points p;
    for (int i = 0; i <= 64; ++i) {
        const double th = 2 * Pi * i / 64;
        p.emplace_back(float(100 + 40 * std::cos(th)), float(50 + 20 * std::sin(th)));
    }
    p.back().second = 50.0000038f;
    AjouteTrace(d, Etiquette(" A"), p);
    Regle(1, 1);
    Calcule();
    const auto& D = d.Trace_Decale[0].Points;
    ASSERT_EQ(D.size(), 65u);
    EXPECT_EQ(D.front().X, D.back().X);
    EXPECT_EQ(D.front().Y, D.back().Y);
    EXPECT_NEAR(D.front().X, 141, 0.01);
    EXPECT_NEAR(D.front().Y, 50, 0.01);
    EXPECT_LE(Mesure(d, 1).ecartMax, 0.03);
}

TEST_F(Proprietes, DessinsDAutresProgrammes) {
    // Every closed contour gets its closing corner, and no cut comes near the part, on
    // drawings written by other programs, with the cutter on either side.
    namespace fs = std::filesystem;
    int fermes = 0;
    for (const auto& f : fs::directory_iterator(fs::path(KORVELIN_TEST_DATA) / "reels")) {
        const std::string ext = f.path().extension().string();
        if (ext != ".dxf" && ext != ".plt" && ext != ".hpgl") continue;
        for (const int cote : {1, 3}) {
            SCOPED_TRACE(f.path().filename().string() + " côté " + std::to_string(cote));
            dossier.Ecrit("Korvelin.ini",
                          "[Korvelin]\r\nRayonFraise=1.5\r\nDecalageOutil=" + std::to_string(cote) + "\r\n");
            ChargeDecalage(magasin, dessin, parametres);
            ChargeOptions(magasin, dessin, parametres);
            ui.messages.clear();
            ASSERT_TRUE(test::Ouvre(Cible(), f.path().string()));
            const Dessin& lu = dessin;
            EXPECT_GE(Mesure(lu, 1.5).plusPres, 1.5 - 0.01);
            std::size_t e = 0;
            for (int32_t i = 0; i < lu.NbPoints; ++e) {
                int32_t j = i;
                while (j < lu.NbPoints && lu.Trace_Initial[j].Sequence == lu.Trace_Initial[i].Sequence) ++j;
                const auto& D = lu.Trace_Decale[e].Points;
                const std::string nom = "Le tracé " + lu.Trace_Initial[i].Sequence.Texte() + " ";
                const bool signale = std::any_of(ui.messages.begin(), ui.messages.end(),
                                                 [&](const auto& m) { return m.texte.rfind(nom, 0) == 0; });
                if (TraceFermee(&lu.Trace_Initial[i], std::size_t(j - i)) && D.size() >= 2 && !signale) {
                    ++fermes;
                    EXPECT_TRUE(D.front().X == D.back().X && D.front().Y == D.back().Y) << "tracé " << e;
                }
                i = j;
            }
        }
    }
    EXPECT_GT(fermes, 20);
}

}  // namespace
