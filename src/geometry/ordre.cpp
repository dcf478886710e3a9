#include "geometry/ordre.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <optional>
#include <span>
#include <utility>

#include "geometry/decalage.h"
#include "geometry/orientation.h"
#include "model/listes.h"

namespace korvelin {

namespace {

struct Pt {
    double x = 0.0, y = 0.0;
};

// Squared where only the order of two distances matters; sqrt is exact enough for lengths
// of a sheet and much cheaper than hypot, which guards against overflows no sheet has.
double Dist2(Pt a, Pt b) { return (a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y); }
double Dist(Pt a, Pt b) { return std::sqrt(Dist2(a, b)); }

Pt De(const PointTrace& p) { return {p.X, p.Y}; }

// The cells of a uniform grid over a box, about four points to a cell.
struct Maillage {
    Maillage(double xmin, double ymin, double xmax, double ymax, std::size_t nbPoints) {
        x0 = xmin;
        y0 = ymin;
        const double lx = std::max(xmax - xmin, 1e-6), ly = std::max(ymax - ymin, 1e-6);
        const double cases = std::clamp(double(nbPoints) / 4.0, 1.0, 1.0e6);
        pas = std::max(std::sqrt(lx * ly / cases), std::max(lx, ly) / 1024.0);
        nx = static_cast<int>(lx / pas) + 1;
        ny = static_cast<int>(ly / pas) + 1;
    }

    static double Carre(double v) { return v < 0.0 ? 0.0 : v * v; }
    std::size_t NbCases() const { return static_cast<std::size_t>(nx) * ny; }
    int Col(double x) const { return std::clamp(static_cast<int>((x - x0) / pas), 0, nx - 1); }
    int Lig(double y) const { return std::clamp(static_cast<int>((y - y0) / pas), 0, ny - 1); }
    std::size_t Case(int x, int y) const { return static_cast<std::size_t>(y) * nx + x; }
    std::size_t CaseDe(Pt p) const { return Case(Col(p.x), Lig(p.y)); }

    // Calls visite(case) for the cells of the square ring at distance r around (cx, cy).
    template <class F>
    void Anneau(int cx, int cy, int r, F&& visite) const {
        for (int y = cy - r; y <= cy + r; ++y) {
            if (y < 0 || y >= ny) continue;
            const bool bordure = y == cy - r || y == cy + r;
            for (int x = cx - r; x <= cx + r; x += (bordure || r == 0) ? 1 : 2 * r) {
                if (x < 0 || x >= nx) continue;
                visite(Case(x, y));
            }
        }
    }

    double x0, y0, pas;
    int nx, ny;
};

// The possible starts of every trace (each vertex of a closed trace, both ends of an open
// one) by cell, for the nearest-neighbour route. A drawing of a million points has about
// as many entries: they are kept small, in one array ordered by cell, and their points
// are read from the drawing. A trace's entries count once it is made available (Rend),
// in that order: among equally near entries of a cell, the one made available first wins.
class GrilleDeparts {
public:
    struct Entree {
        int32_t trace, sommet;
    };

    GrilleDeparts(const Dessin& d, const std::vector<TraceDessin>& t, const Maillage& m)
        : d_(d), t_(t), m_(m), rang_(t.size(), -1) {
        std::vector<uint32_t> compte(m_.NbCases() + 1, 0);
        ChaqueDepart([&](int32_t k, int32_t v) { ++compte[m_.CaseDe(Position(k, v)) + 1]; });
        for (std::size_t c = 1; c < compte.size(); ++c) compte[c] += compte[c - 1];
        debut_ = compte;
        entrees_.resize(compte.back());
        ChaqueDepart([&](int32_t k, int32_t v) { entrees_[compte[m_.CaseDe(Position(k, v))]++] = {k, v}; });
        // The end of each cell's live entries: the entries of finished traces are dropped
        // from it as they are met.
        compte.pop_back();
        fin_ = std::move(compte);
    }

    void Rend(int32_t k) { rang_[k] = rangs_++; }

    // The nearest entry whose trace is available and still wanted; the others are dropped
    // on the way.
    template <class Garde>
    std::optional<Entree> PlusProche(Pt q, Garde&& garde) {
        const int cx = m_.Col(q.x), cy = m_.Lig(q.y);
        std::optional<Entree> meilleur;
        std::size_t caseMeilleur = 0;
        double dmin = 1e300;  // squared
        const int rmax = std::max(m_.nx, m_.ny);
        for (int r = 0; r <= rmax; ++r) {
            if (meilleur && dmin <= Maillage::Carre((r - 1) * m_.pas)) break;
            m_.Anneau(cx, cy, r, [&](std::size_t c) {
                uint32_t reste = debut_[c];
                for (uint32_t i = debut_[c]; i < fin_[c]; ++i) {
                    const Entree e = entrees_[i];
                    if (rang_[e.trace] >= 0 && !garde(e.trace)) continue;
                    entrees_[reste++] = e;
                    if (rang_[e.trace] < 0) continue;
                    const double dd = Dist2(q, Position(e.trace, e.sommet));
                    if (dd < dmin || (dd == dmin && c == caseMeilleur && rang_[e.trace] < rang_[meilleur->trace])) {
                        dmin = dd;
                        meilleur = e;
                        caseMeilleur = c;
                    }
                }
                fin_[c] = reste;
            });
        }
        return meilleur;
    }

private:
    Pt Position(int32_t k, int32_t v) const {
        const TraceDessin& t = t_[k];
        return De(d_.Trace_Initial[t.premier + (t.ferme ? v : (v ? t.nb - 1 : 0))]);
    }
    template <class F>
    void ChaqueDepart(F&& f) const {
        for (int32_t k = 0; k < static_cast<int32_t>(t_.size()); ++k) {
            const TraceDessin& t = t_[k];
            const int32_t nb = t.ferme ? t.nb - 1 : (t.nb > 1 ? 2 : 1);
            for (int32_t v = 0; v < nb; ++v) f(k, v);
        }
    }

    const Dessin& d_;
    const std::vector<TraceDessin>& t_;
    Maillage m_;
    std::vector<Entree> entrees_;
    std::vector<uint32_t> debut_, fin_;
    std::vector<int32_t> rang_;
    int32_t rangs_ = 0;
};

// A uniform grid of points, each carrying a trace, for the searches of near traces.
class Grille {
public:
    struct Entree {
        Pt p;
        int32_t trace, sommet;
    };

    Grille(double xmin, double ymin, double xmax, double ymax, std::size_t nbPoints)
        : m_(xmin, ymin, xmax, ymax, nbPoints), cases_(m_.NbCases()) {}

    void Ajoute(const Entree& e) { cases_[m_.CaseDe(e.p)].push_back(e); }

    // The k nearest entries to q but the one of trace `sauf`, nearest first, with their
    // squared distances.
    void Proches(Pt q, int k, int32_t sauf, std::vector<std::pair<double, int32_t>>& sortie) const {
        sortie.clear();
        const int cx = m_.Col(q.x), cy = m_.Lig(q.y);
        const int rmax = std::max(m_.nx, m_.ny);
        for (int r = 0; r <= rmax; ++r) {
            if (static_cast<int>(sortie.size()) == k && sortie.back().first <= Maillage::Carre((r - 1) * m_.pas)) break;
            m_.Anneau(cx, cy, r, [&](std::size_t c) {
                for (const Entree& e : cases_[c]) {
                    if (e.trace == sauf) continue;
                    const std::pair<double, int32_t> p{Dist2(q, e.p), e.trace};
                    if (static_cast<int>(sortie.size()) == k && p >= sortie.back()) continue;
                    sortie.insert(std::upper_bound(sortie.begin(), sortie.end(), p), p);
                    if (static_cast<int>(sortie.size()) > k) sortie.pop_back();
                }
            });
        }
    }

private:
    Maillage m_;
    std::vector<std::vector<Entree>> cases_;
};

// One way through the drawing: the traces in order, the start vertex of each closed one
// and the direction of each open one.
struct Parcours {
    std::vector<int32_t> ordre;
    std::vector<int32_t> depart;  // closed: start vertex; open: 1 when run backwards
};

class Optimiseur {
public:
    Optimiseur(const Dessin& d, const std::vector<TraceDessin>& t, const std::vector<int32_t>& parent)
        : d_(d), t_(t), parent_(parent), n_(static_cast<int32_t>(t.size())) {
        enfants_.assign(n_, 0);
        for (int32_t i = 0; i < n_; ++i)
            if (parent_[i] >= 0) ++enfants_[parent_[i]];
        debutEnfants_.assign(n_ + 1, 0);
        for (int32_t i = 0; i < n_; ++i) debutEnfants_[i + 1] = debutEnfants_[i] + enfants_[i];
        listeEnfants_.resize(debutEnfants_[n_]);
        std::vector<int32_t> place(debutEnfants_.begin(), debutEnfants_.end() - 1);
        for (int32_t i = 0; i < n_; ++i)
            if (parent_[i] >= 0) listeEnfants_[place[parent_[i]]++] = i;
    }

    // From the origin through every trace and back to the origin.
    double Longueur(const Parcours& p) const {
        double l = 0.0;
        Pt c{};
        for (const int32_t k : p.ordre) {
            l += Dist(c, Entree(k, p.depart[k]));
            c = Sortie(k, p.depart[k]);
        }
        return l + Dist(c, Pt{});
    }

    bool Respecte(const Parcours& p) const {
        std::vector<int32_t> pos(n_);
        for (int32_t i = 0; i < n_; ++i) pos[p.ordre[i]] = i;
        for (int32_t k = 0; k < n_; ++k)
            if (parent_[k] >= 0 && pos[parent_[k]] < pos[k]) return false;
        return true;
    }

    // Nearest neighbour among the traces whose inner traces are all done.
    Parcours PlusProcheVoisin() const {
        Parcours p;
        p.depart.assign(n_, 0);
        double xmin = 0, ymin = 0, xmax = 0, ymax = 0;
        std::size_t nb = 0;
        for (int32_t k = 0; k < n_; ++k) {
            for (int32_t i = t_[k].premier; i < t_[k].premier + t_[k].nb; ++i) {
                const PointTrace& q = d_.Trace_Initial[i];
                xmin = std::min(xmin, double(q.X));
                xmax = std::max(xmax, double(q.X));
                ymin = std::min(ymin, double(q.Y));
                ymax = std::max(ymax, double(q.Y));
            }
            nb += t_[k].ferme ? t_[k].nb - 1 : 2;
        }
        GrilleDeparts g(d_, t_, Maillage(xmin, ymin, xmax, ymax, nb));
        std::vector<char> fait(n_, 0);
        std::vector<int32_t> restant = enfants_;
        for (int32_t k = 0; k < n_; ++k)
            if (restant[k] == 0) g.Rend(k);
        Pt c{};
        for (int32_t etape = 0; etape < n_; ++etape) {
            const std::optional<GrilleDeparts::Entree> e = g.PlusProche(c, [&](int32_t k) { return !fait[k]; });
            if (!e) break;  // cannot happen: the nesting is a forest
            const int32_t k = e->trace;
            p.ordre.push_back(k);
            p.depart[k] = e->sommet;
            fait[k] = 1;
            c = Sortie(k, p.depart[k]);
            if (parent_[k] >= 0 && --restant[parent_[k]] == 0) g.Rend(parent_[k]);
        }
        return p;
    }

    // 2-opt and Or-opt moves between near traces, then the best start of each trace,
    // again until nothing gains.
    void Ameliore(Parcours& p) {
        p_ = &p;
        pos_.assign(n_, 0);
        for (int32_t i = 0; i < n_; ++i) pos_[p.ordre[i]] = i;
        bouts_.resize(n_);
        for (int32_t k = 0; k < n_; ++k) bouts_[k] = {Entree(k, p.depart[k]), Sortie(k, p.depart[k])};
        Voisins(p);
        // Until nothing gains; the bound only guards against rounding going round in circles.
        for (int tour = 0; tour < 100; ++tour) {
            const bool gagne = Local();
            const bool departs = Departs();
            if (!departs && !gagne) break;
            // New starts move the entries the neighbours were found from; after the first
            // rounds they move little, within their own traces.
            if (departs && tour < 2) Voisins(p);
        }
        p_ = nullptr;
    }

    // A small drawing is solved exactly: every set of traces done, ending at every start
    // choice of its last trace. Empty when the drawing is too large for that.
    std::optional<Parcours> Exact() const {
        if (n_ > MaxExact) return std::nullopt;
        std::vector<std::pair<int32_t, int32_t>> choix;  // trace, start
        for (int32_t k = 0; k < n_; ++k) {
            const int32_t nb = t_[k].ferme ? t_[k].nb - 1 : (t_[k].nb > 1 ? 2 : 1);
            for (int32_t dep = 0; dep < nb; ++dep) choix.push_back({k, dep});
            if (choix.size() > MaxChoixExact) return std::nullopt;
        }
        std::vector<uint32_t> masqueEnfants(n_, 0);
        for (int32_t k = 0; k < n_; ++k)
            if (parent_[k] >= 0) masqueEnfants[parent_[k]] |= 1u << k;
        const std::size_t nc = choix.size(), nm = std::size_t{1} << n_;
        std::vector<double> cout(nm * nc, 1e300);
        std::vector<int32_t> venu(nm * nc, -1);
        for (std::size_t c = 0; c < nc; ++c) {
            const auto [k, dep] = choix[c];
            if (masqueEnfants[k] == 0) cout[(std::size_t{1} << k) * nc + c] = Dist(Pt{}, Entree(k, dep));
        }
        for (std::size_t m = 1; m < nm; ++m)
            for (std::size_t c = 0; c < nc; ++c) {
                const double base = cout[m * nc + c];
                if (base >= 1e300) continue;
                const Pt fin = Sortie(choix[c].first, choix[c].second);
                for (std::size_t c2 = 0; c2 < nc; ++c2) {
                    const auto [k2, dep2] = choix[c2];
                    if ((m >> k2) & 1u || (masqueEnfants[k2] & ~m) != 0) continue;
                    const std::size_t m2 = m | (std::size_t{1} << k2);
                    const double v = base + Dist(fin, Entree(k2, dep2));
                    if (v < cout[m2 * nc + c2]) {
                        cout[m2 * nc + c2] = v;
                        venu[m2 * nc + c2] = static_cast<int32_t>(c);
                    }
                }
            }
        // The way back to the origin counts as much as any other move.
        std::size_t m = nm - 1, c = 0;
        auto total = [&](std::size_t x) {
            return cout[m * nc + x] + Dist(Sortie(choix[x].first, choix[x].second), Pt{});
        };
        for (std::size_t x = 1; x < nc; ++x)
            if (total(x) < total(c)) c = x;
        Parcours p;
        p.depart.assign(n_, 0);
        for (int32_t etape = 0; etape < n_; ++etape) {
            const auto [k, dep] = choix[c];
            p.ordre.push_back(k);
            p.depart[k] = dep;
            const int32_t avant = venu[m * nc + c];
            m &= ~(std::size_t{1} << k);
            if (avant >= 0) c = static_cast<std::size_t>(avant);
        }
        std::reverse(p.ordre.begin(), p.ordre.end());
        return p;
    }

private:
    static constexpr int32_t MaxExact = 10;
    static constexpr std::size_t MaxChoixExact = 48;
    static constexpr int K = 10;
    // A move shifts every trace between its ends: past this many, the few it would gain are
    // not worth a time growing with the square of the drawing.
    static constexpr int32_t MaxEtendue = 20000;
    static constexpr double Gain = 1e-7;
    const Dessin& d_;
    const std::vector<TraceDessin>& t_;
    const std::vector<int32_t>& parent_;
    int32_t n_;
    std::vector<int32_t> enfants_;
    std::vector<int32_t> debutEnfants_, listeEnfants_;  // the children of each trace, side by side
    Parcours* p_ = nullptr;
    std::vector<int32_t> pos_;
    // The entry and exit of each trace for its current start, side by side: the moves read
    // nothing else of the drawing.
    struct Bouts {
        Pt e, s;
    };
    std::vector<Bouts> bouts_;
    std::vector<int32_t> voisins_;
    std::vector<char> procheOrigine_;  // among the K traces nearest the origin

    Pt Point(int32_t k, int32_t v) const { return De(d_.Trace_Initial[t_[k].premier + v]); }
    Pt Entree(int32_t k, int32_t dep) const {
        const TraceDessin& t = t_[k];
        if (t.ferme) return Point(k, dep);
        return Point(k, dep ? t.nb - 1 : 0);
    }
    Pt Sortie(int32_t k, int32_t dep) const {
        const TraceDessin& t = t_[k];
        if (t.ferme) return Point(k, dep);
        return Point(k, dep ? 0 : t.nb - 1);
    }
    // Ends at a position of the current way; the tool leaves from the origin before the
    // first trace and comes back to it after the last.
    Pt S(int32_t i) const { return i < 0 ? Pt{} : bouts_[p_->ordre[i]].s; }
    Pt E(int32_t i) const { return bouts_[p_->ordre[i]].e; }
    double D(Pt a, int32_t j) const { return j >= n_ ? Dist(a, Pt{}) : Dist(a, E(j)); }

    void Voisins(const Parcours& p) {
        voisins_.assign(static_cast<std::size_t>(n_) * K, -1);
        double xmin = 0, ymin = 0, xmax = 0, ymax = 0;
        std::vector<Pt> rep(n_);
        for (int32_t k = 0; k < n_; ++k) {
            rep[k] = Entree(k, p.depart[k]);
            xmin = std::min(xmin, rep[k].x);
            xmax = std::max(xmax, rep[k].x);
            ymin = std::min(ymin, rep[k].y);
            ymax = std::max(ymax, rep[k].y);
        }
        Grille g(xmin, ymin, xmax, ymax, static_cast<std::size_t>(n_));
        for (int32_t k = 0; k < n_; ++k) g.Ajoute({rep[k], k, 0});
        std::vector<std::pair<double, int32_t>> proches;
        for (int32_t k = 0; k < n_; ++k) {
            g.Proches(rep[k], K, k, proches);
            for (std::size_t j = 0; j < proches.size(); ++j)
                voisins_[static_cast<std::size_t>(k) * K + j] = proches[j].second;
        }
        procheOrigine_.assign(n_, 0);
        g.Proches(Pt{}, K, -1, proches);
        for (const auto& [d2, k] : proches) procheOrigine_[k] = 1;
    }

    bool Inverser(int32_t k) const { return !t_[k].ferme; }

    // No trace of positions i..j may have its parent there too: reversing would cut the
    // parent first.
    bool InversionPermise(int32_t i, int32_t j) const {
        for (int32_t q = i; q <= j; ++q) {
            const int32_t pa = parent_[p_->ordre[q]];
            if (pa >= 0 && pos_[pa] >= i && pos_[pa] <= j) return false;
        }
        return true;
    }

    void Inverse(int32_t i, int32_t j) {
        std::reverse(p_->ordre.begin() + i, p_->ordre.begin() + j + 1);
        for (int32_t q = i; q <= j; ++q) {
            const int32_t k = p_->ordre[q];
            pos_[k] = q;
            if (Inverser(k)) {
                p_->depart[k] ^= 1;
                std::swap(bouts_[k].e, bouts_[k].s);
            }
        }
    }

    // Reverses i..j when it shortens the way.
    bool Essai2Opt(int32_t i, int32_t j) {
        if (i > j || i < 0 || j >= n_ || j - i > MaxEtendue) return false;
        const double avant = Dist(S(i - 1), E(i)) + D(S(j), j + 1);
        const double apres = Dist(S(i - 1), S(j)) + D(E(i), j + 1);
        if (avant - apres <= Gain || !InversionPermise(i, j)) return false;
        Inverse(i, j);
        return true;
    }

    // Moves positions i..i+l-1 between q and q+1, reversed or not.
    bool EssaiOrOpt(int32_t i, int32_t l, int32_t q) {
        const int32_t j = i + l - 1;
        if (i < 0 || j >= n_ || (q >= i - 1 && q <= j) || q < -1 || q >= n_ || std::abs(q - i) > MaxEtendue)
            return false;
        const double retrait = Dist(S(i - 1), E(i)) + D(S(j), j + 1) - D(S(i - 1), j + 1);
        const double base = D(S(q), q + 1);
        const double droit = Dist(S(q), E(i)) + D(S(j), q + 1) - base;
        const double inverse = Dist(S(q), S(j)) + D(E(i), q + 1) - base;
        const bool renverse = inverse < droit;
        if (retrait - std::min(droit, inverse) <= Gain) return false;
        if (renverse && !InversionPermise(i, j)) return false;
        if (q > j) {
            // Later: no parent of the moved traces among those it passes.
            for (int32_t r = i; r <= j; ++r) {
                const int32_t pa = parent_[p_->ordre[r]];
                if (pa >= 0 && pos_[pa] > j && pos_[pa] <= q) return false;
            }
        } else {
            // Earlier: none of the traces it passes may lie inside a moved one. The moved
            // traces' children are fewer to look at than the traces passed, but on an
            // outline of countless holes.
            int64_t nbEnfants = 0;
            for (int32_t r = i; r <= j; ++r) nbEnfants += enfants_[p_->ordre[r]];
            if (nbEnfants < i - q - 1) {
                for (int32_t r = i; r <= j; ++r) {
                    const int32_t k = p_->ordre[r];
                    for (int32_t e = debutEnfants_[k]; e < debutEnfants_[k + 1]; ++e)
                        if (pos_[listeEnfants_[e]] > q && pos_[listeEnfants_[e]] < i) return false;
                }
            } else {
                for (int32_t r = q + 1; r < i; ++r) {
                    const int32_t pa = parent_[p_->ordre[r]];
                    if (pa >= 0 && pos_[pa] >= i && pos_[pa] <= j) return false;
                }
            }
        }
        if (renverse) Inverse(i, j);
        auto& o = p_->ordre;
        int32_t a, b;
        if (q > j) {
            std::rotate(o.begin() + i, o.begin() + j + 1, o.begin() + q + 1);
            a = i;
            b = q;
        } else {
            std::rotate(o.begin() + q + 1, o.begin() + i, o.begin() + j + 1);
            a = q + 1;
            b = j;
        }
        for (int32_t r = a; r <= b; ++r) pos_[o[r]] = r;
        return true;
    }

    bool Local() {
        std::deque<int32_t> file(p_->ordre.begin(), p_->ordre.end());
        std::vector<char> enFile(n_, 1);
        bool gagne = false;
        auto reveille = [&](int32_t k) {
            if (k >= 0 && !enFile[k]) {
                enFile[k] = 1;
                file.push_back(k);
            }
        };
        // A bound far above what converging takes, against rounding going round in circles.
        int64_t budget = 200LL * n_ + 1000;
        while (!file.empty() && budget > 0) {
            const int32_t a = file.front();
            file.pop_front();
            enFile[a] = 0;
            bool ameliore = false;
            // A move that joins a to c gains only when a's ends lie nearer c than the moves
            // that now reach or leave a; the neighbours come nearest first.
            const int32_t pa = pos_[a];
            const double seuil = std::max(Dist(S(pa - 1), E(pa)), D(S(pa), pa + 1));
            for (int v = 0; v < K && !ameliore; ++v) {
                const int32_t c = voisins_[static_cast<std::size_t>(a) * K + v];
                if (c < 0) break;
                const Bouts &ba = bouts_[a], &bc = bouts_[c];
                if (std::min(std::min(Dist2(ba.e, bc.e), Dist2(ba.e, bc.s)),
                             std::min(Dist2(ba.s, bc.e), Dist2(ba.s, bc.s))) >= seuil * seuil)
                    break;
                // The reversals that join a and c, by either end of each, then a alone or
                // with its next or previous traces moved beside c.
                const int32_t p = pos_[a], q = pos_[c];
                ameliore =
                    q > p ? Essai2Opt(p + 1, q) || Essai2Opt(p, q - 1) : Essai2Opt(q, p - 1) || Essai2Opt(q + 1, p);
                for (int32_t l = 1; l <= 3 && !ameliore; ++l)
                    for (const int32_t i : {pos_[a], pos_[a] - l + 1}) {
                        ameliore = EssaiOrOpt(i, l, pos_[c]) || EssaiOrOpt(i, l, pos_[c] - 1);
                        if (ameliore || l == 1) break;
                    }
                if (ameliore) {
                    reveille(c);
                    for (const int32_t k : {pos_[a] - 1, pos_[a] + 1, pos_[c] - 1, pos_[c] + 1})
                        if (k >= 0 && k < n_) reveille(p_->ordre[k]);
                }
            }
            // The origin is where the way begins and ends: the traces near it may move to
            // either end of the way.
            if (!ameliore && procheOrigine_[a]) {
                const int32_t p = pos_[a];
                ameliore = Essai2Opt(0, p) || Essai2Opt(p, n_ - 1);
                for (int32_t l = 1; l <= 3 && !ameliore; ++l)
                    for (const int32_t i : {pos_[a], pos_[a] - l + 1}) {
                        ameliore = EssaiOrOpt(i, l, -1) || EssaiOrOpt(i, l, n_ - 1);
                        if (ameliore || l == 1) break;
                    }
                if (ameliore)
                    for (const int32_t k : {0, n_ - 1, pos_[a] - 1, pos_[a] + 1})
                        if (k >= 0 && k < n_) reveille(p_->ordre[k]);
            }
            if (ameliore) {
                gagne = true;
                --budget;
                reveille(a);
            }
        }
        return gagne;
    }

    // Each closed trace starts at the vertex nearest the way through it, each open one runs
    // in its shorter direction.
    bool Departs() {
        bool gagne = false;
        for (int32_t i = 0; i < n_; ++i) {
            const int32_t k = p_->ordre[i];
            const TraceDessin& t = t_[k];
            const Pt prec = S(i - 1);
            auto cout = [&](int32_t dep) { return Dist(prec, Entree(k, dep)) + D(Sortie(k, dep), i + 1); };
            const int32_t nbChoix = t.ferme ? t.nb - 1 : (t.nb > 1 ? 2 : 1);
            int32_t meilleur = p_->depart[k];
            double cmin = cout(meilleur);
            for (int32_t dep = 0; dep < nbChoix; ++dep) {
                const double c = cout(dep);
                if (c < cmin - Gain) {
                    cmin = c;
                    meilleur = dep;
                }
            }
            if (meilleur != p_->depart[k]) {
                p_->depart[k] = meilleur;
                bouts_[k] = {Entree(k, meilleur), Sortie(k, meilleur)};
                gagne = true;
            }
        }
        return gagne;
    }
};

// Each trace turned and started as chosen where it lies, then the traces moved into their
// order a group at a time: a group of the next traces (an eighth of the drawing, or one
// trace larger than that) goes aside, the traces still to place close up towards the end,
// and the group takes the room freed at the front. Every move is a run of whole traces,
// and the room aside is a fraction of a second copy of the drawing. The points past
// NbPoints stay where they were.
void Applique(Dessin& d, const std::vector<TraceDessin>& traces, const Parcours& p) {
    std::vector<PointTrace>& points = d.Trace_Initial;
    std::size_t total = 0;
    for (std::size_t k = 0; k < traces.size(); ++k) {
        const TraceDessin& t = traces[k];
        const std::span<PointTrace> trace(points.data() + t.premier, static_cast<std::size_t>(t.nb));
        if (!t.ferme && p.depart[k])
            std::reverse(trace.begin(), trace.end());
        else if (t.ferme)
            DepartTrace(trace, static_cast<std::size_t>(p.depart[k]));
        total += trace.size();
    }
    const std::size_t groupe = std::max<std::size_t>(total / 8, 1 << 16);
    std::vector<std::size_t> debut(traces.size());  // where each trace is now
    for (std::size_t k = 0; k < traces.size(); ++k) debut[k] = static_cast<std::size_t>(traces[k].premier);
    std::vector<int32_t> restantes(traces.size());  // the traces to place, as they lie
    for (std::size_t k = 0; k < traces.size(); ++k) restantes[k] = static_cast<int32_t>(k);
    std::vector<char> aPart(traces.size(), 0);
    std::vector<PointTrace> cote;
    std::size_t place = 0, suivante = 0;
    while (suivante < p.ordre.size()) {
        cote.clear();
        while (suivante < p.ordre.size() && (cote.empty() || cote.size() + traces[p.ordre[suivante]].nb <= groupe)) {
            const int32_t k = p.ordre[suivante++];
            const auto premier = points.begin() + static_cast<std::ptrdiff_t>(debut[k]);
            cote.insert(cote.end(), premier, premier + traces[k].nb);
            aPart[k] = 1;
        }
        std::size_t fin = total;
        std::size_t garde = restantes.size();
        for (std::size_t r = restantes.size(); r-- > 0;) {
            const int32_t k = restantes[r];
            if (aPart[k]) continue;
            const std::size_t nb = static_cast<std::size_t>(traces[k].nb), nouveau = fin - nb;
            if (nouveau != debut[k]) {
                const auto premier = points.begin() + static_cast<std::ptrdiff_t>(debut[k]);
                std::move_backward(premier, premier + static_cast<std::ptrdiff_t>(nb),
                                   points.begin() + static_cast<std::ptrdiff_t>(fin));
                debut[k] = nouveau;
            }
            fin = nouveau;
            restantes[--garde] = k;
        }
        restantes.erase(restantes.begin(), restantes.begin() + static_cast<std::ptrdiff_t>(garde));
        std::copy(cote.begin(), cote.end(), points.begin() + static_cast<std::ptrdiff_t>(place));
        place += cote.size();
    }
}

}  // namespace

double LongueurDeplacements(const Dessin& d) {
    const int32_t n = std::min<int32_t>(d.NbPoints, static_cast<int32_t>(d.Trace_Initial.size()));
    double l = 0.0;
    Pt c{};
    for (int32_t i = 0; i < n; ++i) {
        if (i == 0 || d.Trace_Initial[i].Sequence != d.Trace_Initial[i - 1].Sequence)
            l += Dist(c, De(d.Trace_Initial[i]));
        c = De(d.Trace_Initial[i]);
    }
    return l + Dist(c, Pt{});
}

ResultatOrdre OrdreAutomatique(Dessin& d, const ReglagesDecalage& reglages, const SuiviDecalage& suivi) {
    ResultatOrdre r;
    r.avant = r.apres = LongueurDeplacements(d);
    const std::vector<TraceDessin> traces = DecoupeTraces(d);
    if (traces.empty() || !CoordonneesFinies(d)) return r;
    const Imbrication imb = CalculImbrication(d, traces);
    Optimiseur opt(d, traces, imb.parent);

    Parcours propre;
    for (int32_t k = 0; k < static_cast<int32_t>(traces.size()); ++k) propre.ordre.push_back(k);
    propre.depart.assign(traces.size(), 0);
    const bool propreValable = opt.Respecte(propre);

    std::optional<Parcours> exact = opt.Exact();
    Parcours meilleur = exact ? std::move(*exact) : opt.PlusProcheVoisin();
    if (!exact) opt.Ameliore(meilleur);
    double lMeilleur = opt.Longueur(meilleur);
    if (propreValable && !(lMeilleur < r.avant)) {
        // The drawing's own order keeps the rule and is as short already: improved the
        // same way, it can only get shorter.
        Parcours p = propre;
        opt.Ameliore(p);
        const double l = opt.Longueur(p);
        if (l < lMeilleur) {
            meilleur = std::move(p);
            lMeilleur = l;
        }
        if (!(lMeilleur < r.avant)) return r;
    }
    Applique(d, traces, meilleur);
    r.apres = LongueurDeplacements(d);
    r.change = true;
    r.diagnostics = Redecale(d, reglages, suivi);
    CalculBornes(d);
    return r;
}

}  // namespace korvelin
