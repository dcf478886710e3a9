#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numeric>
#include <random>

#include "document/calculs.h"
#include "geometry/orientation.h"
#include "support/import_test.h"
#include "model/aide_dessin.h"
#include "model/listes.h"
#include "support/valeurs_temporaires.h"

using namespace korvelin;
using namespace korvelin::test;

namespace {

struct Element {
    Points points;
    int parent = -1;  // index of the closed trace it lies in
    bool ferme() const { return points.size() >= 3 && points.front() == points.back(); }
};

Points Carre(float x, float y, float c) { return {{x, y}, {x + c, y}, {x + c, y + c}, {x, y + c}, {x, y}}; }

// A closed trace drawn either way and from any vertex; an open one either way.
Points Bouscule(Points p, std::mt19937& alea) {
    const bool ferme = p.front() == p.back();
    if (ferme) p.pop_back();
    if (alea() & 1) std::reverse(p.begin(), p.end());
    if (ferme) {
        std::rotate(p.begin(), p.begin() + static_cast<std::ptrdiff_t>(alea() % p.size()), p.end());
        p.push_back(p.front());
    }
    return p;
}

// Parts side by side: an outline, holes in some corners of it, an island in some holes,
// and engravings in some islands and corners. Children come before their parent.
std::vector<Element> Feuille(std::mt19937& alea, int nx, int ny) {
    std::vector<Element> e;
    for (int i = 0; i < nx; ++i)
        for (int j = 0; j < ny; ++j) {
            const float x = 50.0f * i + float(alea() % 5), y = 50.0f * j + float(alea() % 5);
            const std::size_t debut = e.size();
            for (int c = 0; c < 4; ++c) {
                const float hx = x + (c & 1 ? 22 : 3), hy = y + (c & 2 ? 22 : 3);
                const unsigned genre = alea() % 4;
                if (genre == 1) e.push_back({{{hx + 2, hy + 2}, {hx + 12, hy + 9}}, -2});
                if (genre < 2) continue;
                std::vector<Element> dedans;  // the hole comes after what it holds
                if (alea() & 1) {
                    dedans.push_back({Carre(hx + 4, hy + 4, 7)});
                    if (alea() & 1) dedans.push_back({{{hx + 5, hy + 5}, {hx + 9, hy + 6}}});
                }
                for (Element& f : dedans) f.parent = static_cast<int>(e.size() + dedans.size());
                e.insert(e.end(), dedans.begin(), dedans.end());
                e.push_back({Carre(hx, hy, 15), -2});
            }
            e.push_back({Carre(x, y, 40), -1});
            for (std::size_t k = debut; k + 1 < e.size(); ++k)
                if (e[k].parent == -2) e[k].parent = static_cast<int>(e.size()) - 1;
        }
    return e;
}

// The spare entry past the counted points, which the ordering must leave where it is.
const PointTrace Reserve{1.0f, 2.0f, PlumeHaute, AucuneSequence};

void Remplit(Dessin& d, const std::vector<Element>& e, const std::vector<int>& ordre, std::mt19937& alea) {
    d = Dessin{};
    for (const int i : ordre) AjouteTrace(d, Code2(U'a', char32_t(U'0' + i)), Bouscule(e[i].points, alea));
    d.Trace_Initial.push_back(Reserve);
}

// The same path, maybe run the other way or, when closed, started at another vertex.
bool MemeChemin(Points a, Points b, bool ferme) {
    if (a.size() != b.size() || (ferme && a.front() != a.back())) return false;
    if (ferme) a.pop_back(), b.pop_back();
    for (int sens = 0; sens < 2; ++sens) {
        for (std::size_t r = 0; r < b.size(); ++r) {
            if (a == b) return true;
            if (!ferme) break;
            std::rotate(b.begin(), b.begin() + 1, b.end());
        }
        std::reverse(b.begin(), b.end());
    }
    return false;
}

// Each element is in the result as a trace of its own, whole and in its own order, before
// the closed trace it lies in.
void VerifieResultat(const Dessin& d, const std::vector<Element>& e) {
    const auto traces = TracesDe(d);
    ASSERT_EQ(traces.size(), e.size());
    ASSERT_EQ(d.Trace_Initial.size(), std::size_t(d.NbPoints) + 1);
    EXPECT_TRUE(MemesPoints({d.Trace_Initial.back()}, {Reserve}));
    std::vector<int> position(e.size(), -1);
    for (std::size_t t = 0; t < traces.size(); ++t) {
        const int i = static_cast<int>(traces[t].first.c1() - U'0');
        ASSERT_EQ(position[i], -1) << "élément " << i << " en deux morceaux";
        position[i] = static_cast<int>(t);
        ASSERT_TRUE(MemeChemin(traces[t].second, e[i].points, e[i].ferme())) << "élément " << i;
    }
    for (std::size_t i = 0; i < e.size(); ++i)
        if (e[i].parent >= 0) {
            EXPECT_LT(position[i], position[e[i].parent]) << "élément " << i;
        }
}

// The elements drawn in a shuffled order, then ordered and checked against their nesting.
ResultatOrdre OrdonneMelange(Dessin& d, const std::vector<Element>& e, std::mt19937& alea) {
    std::vector<int> ordre(e.size());
    std::iota(ordre.begin(), ordre.end(), 0);
    std::shuffle(ordre.begin(), ordre.end(), alea);
    Remplit(d, e, ordre, alea);
    const ResultatOrdre r = OrdreAutomatique(d, {.cote = 2});
    VerifieResultat(d, e);
    return r;
}

}  // namespace

TEST(Ordre, CreusesAvantContoursEtJamaisPlusLongQueLeDessin) {
    std::mt19937 alea(5);
    for (int essai = 0; essai < 12; ++essai) {
        const std::vector<Element> e = Feuille(alea, 2 + essai % 3, 3);
        // Any order, then an order that already keeps the rule (parts in any order).
        for (const bool valable : {false, true}) {
            std::vector<int> ordre(e.size());
            std::iota(ordre.begin(), ordre.end(), 0);
            if (!valable) {
                std::shuffle(ordre.begin(), ordre.end(), alea);
            } else {
                std::vector<std::pair<int, int>> parties;  // first, outline
                for (int i = 0, debut = 0; i < static_cast<int>(e.size()); ++i)
                    if (e[i].parent < 0 && e[i].ferme()) {  // an outline closes its part
                        parties.push_back({debut, i});
                        debut = i + 1;
                    }
                std::shuffle(parties.begin(), parties.end(), alea);
                ordre.clear();
                for (const auto& [a, b] : parties)
                    for (int i = a; i <= b; ++i) ordre.push_back(i);
            }
            Dessin d;
            Remplit(d, e, ordre, alea);
            const double propre = LongueurDeplacements(d);
            const ResultatOrdre r = OrdreAutomatique(d, {.cote = 2});
            EXPECT_DOUBLE_EQ(r.avant, propre);
            EXPECT_NEAR(r.apres, LongueurDeplacements(d), 1e-9);
            if (valable) {
                EXPECT_LE(r.apres, r.avant);
            }
            VerifieResultat(d, e);
            EXPECT_EQ(d.Trace_Decale.size(), e.size() + 1);
        }
    }
}

namespace {

// Every order keeping the rule, every start of every trace, from the origin and back.
double OptimumForceBrute(const std::vector<Element>& e) {
    std::vector<int> ordre(e.size());
    std::iota(ordre.begin(), ordre.end(), 0);
    double meilleur = 1e300;
    auto choix = [&](int i) { return e[i].ferme() ? e[i].points.size() - 1 : 2; };
    do {
        bool permis = true;
        for (std::size_t a = 0; a < ordre.size(); ++a)
            for (std::size_t b = a + 1; b < ordre.size(); ++b)
                if (e[ordre[a]].parent == ordre[b] ? false : e[ordre[b]].parent == ordre[a]) permis = false;
        if (!permis) continue;
        std::function<void(std::size_t, std::pair<float, float>, double)> suite =
            [&](std::size_t k, std::pair<float, float> ici, double l) {
                if (l >= meilleur) return;
                if (k == ordre.size()) {
                    meilleur = std::min(meilleur, l + std::hypot(double(ici.first), double(ici.second)));
                    return;
                }
                const Element& x = e[ordre[k]];
                for (std::size_t c = 0; c < choix(ordre[k]); ++c) {
                    const auto entree = x.ferme() ? x.points[c] : (c ? x.points.back() : x.points.front());
                    const auto sortie = x.ferme() ? entree : (c ? x.points.front() : x.points.back());
                    suite(k + 1, sortie,
                          l + std::hypot(double(entree.first) - ici.first, double(entree.second) - ici.second));
                }
            };
        suite(0, {0.0f, 0.0f}, 0.0);
    } while (std::next_permutation(ordre.begin(), ordre.end()));
    return meilleur;
}

}  // namespace

TEST(Ordre, OptimumDesPetitsDessins) {
    std::mt19937 alea(3);
    std::uniform_real_distribution<float> u(0.0f, 60.0f);
    for (int essai = 0; essai < 30; ++essai) {
        std::vector<Element> e;
        const int n = 3 + essai % 4;
        for (int i = 0; i < n; ++i) {
            const float x = u(alea), y = u(alea);
            if (alea() % 2)
                e.push_back({{{x, y}, {u(alea), u(alea)}}});
            else
                e.push_back({{{x, y}, {x + 8, y + 1}, {x + 3, y + 7}, {x, y}}});
        }
        // An island with an engraving in it, which must come first.
        e.push_back({{{72, 72}, {75, 74}}});
        e.push_back({Carre(70, 70, 10)});
        e[e.size() - 2].parent = static_cast<int>(e.size()) - 1;
        Dessin d;
        const ResultatOrdre r = OrdonneMelange(d, e, alea);
        EXPECT_NEAR(r.apres, OptimumForceBrute(e), 1e-4) << "essai " << essai;
    }
}

// A sheet of 8,100 parts, some 185,000 points: more than one group of traces is moved at a
// time, and every trace must still come out whole.
TEST(Ordre, UneGrandeFeuilleRangeeParGroupes) {
    std::mt19937 alea(7);
    const std::vector<Element> e = Feuille(alea, 90, 90);
    Dessin d;
    EXPECT_TRUE(OrdonneMelange(d, e, alea).change);
    EXPECT_GT(d.NbPoints, 2 * (1 << 16));  // three groups at least
}

namespace {

// A plain 2-opt and Or-opt pass, written apart from the program's: every reversal and every
// move of one to three traces, each trace keeping its start, until nothing gains, and
// never a trace after the closed trace it lies in (parent[i]: the position, in the drawing
// as given, of the trace that holds the trace at position i). The length it reaches.
double DeuxOptIndependant(const Dessin& d, const std::vector<int>& parent) {
    struct Pas {
        std::pair<double, double> entree, sortie;
        int element;
    };
    std::vector<Pas> t;
    for (const auto& [code, points] : TracesDe(d))
        t.push_back({{points.front().first, points.front().second},
                     {points.back().first, points.back().second},
                     static_cast<int>(t.size())});
    const int n = static_cast<int>(t.size());
    auto dist = [](std::pair<double, double> a, std::pair<double, double> b) {
        return std::hypot(a.first - b.first, a.second - b.second);
    };
    auto longueur = [&](const std::vector<Pas>& v) {
        double l = 0;
        std::pair<double, double> c{0, 0};
        for (const Pas& p : v) l += dist(c, p.entree), c = p.sortie;
        return l + dist(c, {0, 0});
    };
    auto valable = [&](const std::vector<Pas>& v) {
        std::vector<int> pos(n);
        for (int i = 0; i < n; ++i) pos[v[i].element] = i;
        for (int i = 0; i < n; ++i)
            if (parent[i] >= 0 && pos[i] > pos[parent[i]]) return false;
        return true;
    };
    double l = longueur(t);
    for (bool gagne = true; gagne;) {
        gagne = false;
        for (int i = 0; i < n; ++i)
            for (int j = i + 1; j < n; ++j) {
                std::vector<Pas> v = t;
                std::reverse(v.begin() + i, v.begin() + j + 1);
                for (int k = i; k <= j; ++k) std::swap(v[k].entree, v[k].sortie);
                const double lv = longueur(v);
                if (lv < l - 1e-9 && valable(v)) t = std::move(v), l = lv, gagne = true;
            }
        for (int taille = 1; taille <= 3; ++taille)
            for (int i = 0; i + taille <= n; ++i)
                for (int q = 0; q + taille <= n; ++q) {
                    if (q == i) continue;
                    std::vector<Pas> v = t;
                    std::vector<Pas> bloc(v.begin() + i, v.begin() + i + taille);
                    v.erase(v.begin() + i, v.begin() + i + taille);
                    v.insert(v.begin() + q, bloc.begin(), bloc.end());
                    const double lv = longueur(v);
                    if (lv < l - 1e-9 && valable(v)) t = std::move(v), l = lv, gagne = true;
                }
    }
    return l;
}

}  // namespace

// On a sheet of parts in any order, the route is within 1 % of what a plain 2-opt/Or-opt
// pass still finds from it, and counts the way back to the origin.
TEST(Ordre, UnDeuxOptIndependantGagneMoinsDUnPourCent) {
    std::mt19937 alea(11);
    for (const auto& [nx, ny] : {std::pair{4, 4}, {6, 3}}) {
        const std::vector<Element> e = Feuille(alea, nx, ny);
        Dessin d;
        const ResultatOrdre r = OrdonneMelange(d, e, alea);
        // The sheet's own nesting, by the traces' labels.
        const auto traces = TracesDe(d);
        std::vector<int> position(e.size()), parent(traces.size(), -1);
        for (std::size_t k = 0; k < traces.size(); ++k) position[traces[k].first.c1() - U'0'] = static_cast<int>(k);
        for (std::size_t i = 0; i < e.size(); ++i)
            if (e[i].parent >= 0) parent[position[i]] = position[e[i].parent];
        const double independant = DeuxOptIndependant(d, parent);
        EXPECT_NEAR(independant, r.apres, 1e-9 + 0.01 * r.apres) << nx << "x" << ny;
        EXPECT_LE(independant, r.apres + 1e-9);
    }
    // Drawings made by other programs, with the nesting the orientation finds.
    for (const char* nom : {"blocs_r12.dxf", "courbe_gnuplot.hpgl", "piece_r2018.dxf", "inkscape_r14.dxf"}) {
        ValeursTemporaires c;
        c.parametres.DecalageOutil = 2;
        ASSERT_TRUE(test::Ouvre(c.Cible(), std::string(KORVELIN_TEST_DATA "/reels/") + nom)) << nom;
        OrientationAutomatique(c.dessin, c.parametres, c.ui);
        const ResultatOrdre r = OrdreAutomatique(c.dessin, c.parametres, c.ui);
        const auto traces = DecoupeTraces(c.dessin);
        EXPECT_GE(traces.size(), 5u) << nom;
        const Imbrication imb = CalculImbrication(c.dessin, traces);
        const double independant = DeuxOptIndependant(c.dessin, imb.parent);
        EXPECT_NEAR(independant, r.apres, 1e-9 + 0.01 * r.apres) << nom;
        EXPECT_LE(r.apres, r.avant) << nom;
    }
}
