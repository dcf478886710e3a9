#include "geometry/attaches.h"

#include <algorithm>
#include <limits>

#include "geometry/orientation.h"
#include "model/nombres.h"

namespace korvelin {

namespace {

// A turn sharper than this between two segments is a corner; the gentler turns of a curve
// drawn as many short segments are not.
const double CosinusCoin = std::cos(30.0 * Pi / 180.0);

struct Troncon {
    double debut, fin;  // mm along the path
};

// The stretches between corners, in order along the path; the first point closes the path
// and counts as a corner, which the even slots never cross anyway.
std::vector<Troncon> TronconsDroits(const std::vector<PointTrace>& points, const std::vector<double>& abscisses) {
    std::vector<Troncon> r;
    double ux = 0.0, uy = 0.0;  // direction of the last segment of some length
    bool premier = true;
    for (std::size_t j = 1; j < points.size(); ++j) {
        const double l = abscisses[j] - abscisses[j - 1];
        if (!(l > 0.0)) continue;
        const double vx = (double(points[j].X) - points[j - 1].X) / l;
        const double vy = (double(points[j].Y) - points[j - 1].Y) / l;
        if (premier || ux * vx + uy * vy < CosinusCoin)
            r.push_back({abscisses[j - 1], abscisses[j]});
        else
            r.back().fin = abscisses[j];
        premier = false;
        ux = vx;
        uy = vy;
    }
    return r;
}

std::vector<SpanAttache> PlaceSurContour(const std::vector<PointTrace>& points, const Attaches& a, bool& incomplet) {
    std::vector<double> abscisses(points.size(), 0.0);
    for (std::size_t j = 1; j < points.size(); ++j)
        abscisses[j] =
            abscisses[j - 1] + std::hypot(double(points[j].X) - points[j - 1].X, double(points[j].Y) - points[j - 1].Y);
    const double L = abscisses.back();
    const double W = a.Portee();
    // Each tab has a slot of its own along the path, with some cut left in it.
    int32_t nombre = a.nombre;
    while (nombre > 0 && !(W * nombre < L)) --nombre;
    incomplet = nombre < a.nombre;
    if (!(L > 0.0) || nombre == 0 || !std::isfinite(L)) return {};
    const std::vector<Troncon> troncons = TronconsDroits(points, abscisses);
    const double pas = L / nombre;
    std::vector<SpanAttache> r;
    std::size_t t0 = 0;
    for (int32_t i = 0; i < nombre; ++i) {
        const double basFente = i * pas + W / 2, hautFente = (i + 1) * pas - W / 2;
        const double ideal = (i + 0.5) * pas;
        double centre = ideal, ecart = -1.0;
        while (t0 < troncons.size() && troncons[t0].fin <= i * pas) ++t0;
        for (std::size_t t = t0; t < troncons.size() && troncons[t].debut < (i + 1) * pas; ++t) {
            const double lo = std::max(troncons[t].debut + W / 2, basFente);
            const double hi = std::min(troncons[t].fin - W / 2, hautFente);
            if (lo > hi) continue;
            const double c = std::clamp(ideal, lo, hi);
            if (ecart < 0.0 || std::fabs(c - ideal) < ecart) {
                centre = c;
                ecart = std::fabs(c - ideal);
            }
        }
        auto point = [&](double abscisse, double& x, double& y) {
            const std::size_t j = static_cast<std::size_t>(
                std::upper_bound(abscisses.begin(), abscisses.end(), abscisse) - abscisses.begin());
            const std::size_t b = std::clamp<std::size_t>(j, 1, points.size() - 1);
            const double l = abscisses[b] - abscisses[b - 1];
            const double f = l > 0.0 ? (abscisse - abscisses[b - 1]) / l : 0.0;
            x = points[b - 1].X + (double(points[b].X) - points[b - 1].X) * f;
            y = points[b - 1].Y + (double(points[b].Y) - points[b - 1].Y) * f;
        };
        SpanAttache s;
        auto place = [&](double demi) {
            s.debut = centre - demi;
            s.fin = centre + demi;
            point(s.debut, s.x0, s.y0);
            point(s.fin, s.x1, s.y1);
            return std::hypot(s.x1 - s.x0, s.y1 - s.y0);
        };
        // The bridge is what lies between the cutter at the two ends: on a curve the chord
        // is shorter than the path, so the span widens until the ends stand W apart, within
        // the tab's slot.
        if (place(W / 2) < W) {
            double bas = W / 2, haut = std::min(centre - i * pas, (i + 1) * pas - centre);
            if (place(haut) >= W) {
                for (int k = 0; k < 50; ++k) {
                    const double m = (bas + haut) / 2;
                    (place(m) < W ? bas : haut) = m;
                }
            }
            place(haut);
        }
        r.push_back(s);
    }
    return r;
}

// A label as the user reads it, without the blank that pads a one-letter one.
std::string SansBlancs(const std::string& s) {
    const auto debut = s.find_first_not_of(' ');
    if (debut == std::string::npos) return {};
    return s.substr(debut, s.find_last_not_of(' ') - debut + 1);
}

}  // namespace

std::optional<std::string> ControleAttaches(const Attaches& a, double profondeur) {
    if (a.nombre <= 0) return std::nullopt;
    if (!(a.largeur > 0.0) || !std::isfinite(a.largeur))
        return "La largeur des attaches doit être un nombre de millimètres positif !";
    if (!(a.hauteur > 0.0) || !std::isfinite(a.hauteur))
        return "La hauteur des attaches doit être un nombre de millimètres positif !";
    if (!(a.hauteur < -profondeur))
        return "La hauteur des attaches (" + EcritureLocale(a.hauteur) +
               " mm) doit rester inférieure à la profondeur de fraisage (" + EcritureLocale(-profondeur) +
               " mm) : au-dessus des attaches, l'outil sortirait de la matière.";
    return std::nullopt;
}

std::vector<std::vector<SpanAttache>> PlaceAttaches(const Dessin& d, const Attaches& a,
                                                    std::vector<std::size_t>* incomplets,
                                                    std::vector<std::size_t>* leves) {
    const std::size_t n = d.NbSequencesDecalees();
    std::vector<std::vector<SpanAttache>> r(n);
    if (!a.Actives()) return r;
    // The offset paths as the traces of a drawing of their own, two labels taking turns so
    // that each path stays one trace, for the nesting the orientation uses.
    Dessin chemins;
    std::vector<std::size_t> chemin;  // the offset path of each of its traces
    for (std::size_t k = 0; k < n; ++k) {
        const auto& points = d.Trace_Decale[k].Points;
        if (points.empty()) continue;
        const Code2 etiquette = chemin.size() % 2 == 0 ? PremiereSequence : Code2{U' ', U'B'};
        for (PointTrace p : points) {
            p.Sequence = etiquette;
            chemins.Trace_Initial.push_back(p);
        }
        chemin.push_back(k);
    }
    if (chemins.Trace_Initial.size() > static_cast<std::size_t>(std::numeric_limits<int32_t>::max())) return r;
    chemins.NbPoints = static_cast<int32_t>(chemins.Trace_Initial.size());
    if (!CoordonneesFinies(chemins)) return r;
    const std::vector<TraceDessin> traces = DecoupeTraces(chemins);
    if (traces.size() != chemin.size()) return r;
    const Imbrication imb = CalculImbrication(chemins, traces);
    // Narrow tabs on a hostile drawing of countless outlines would fill the memory; no real
    // sheet comes near this many.
    constexpr std::size_t MaxTotal = 1000000;
    std::size_t total = 0;
    std::vector<char> tient(traces.size(), 0);  // a hole with a part inside
    for (std::size_t i = 0; i < traces.size(); ++i)
        if (traces[i].ferme && imb.profondeur[i] % 2 == 0 && imb.parent[i] >= 0) tient[imb.parent[i]] = 1;
    for (std::size_t i = 0; i < traces.size(); ++i) {
        if (!traces[i].ferme || (imb.profondeur[i] % 2 != 0 && !tient[i])) continue;
        if (CheminLeve(d.Trace_Decale[chemin[i]].Points)) {
            if (leves) leves->push_back(chemin[i]);
            continue;
        }
        bool incomplet = false;
        r[chemin[i]] = PlaceSurContour(d.Trace_Decale[chemin[i]].Points, a, incomplet);
        if (incomplet && incomplets) incomplets->push_back(chemin[i]);
        total += r[chemin[i]].size();
        if (total > MaxTotal) {
            if (incomplets) incomplets->clear();
            if (leves) leves->clear();
            return std::vector<std::vector<SpanAttache>>(n);
        }
    }
    return r;
}

std::string AvertissementAttaches(const Dessin& d, const Attaches& a) {
    std::vector<std::size_t> incomplets, leves;
    PlaceAttaches(d, a, &incomplets, &leves);
    // A sheet of countless small parts must not give a message nobody can read.
    auto noms = [&d](const std::vector<std::size_t>& traces) {
        constexpr std::size_t MaxNoms = 10;
        std::string r;
        for (std::size_t i = 0; i < traces.size() && i < MaxNoms; ++i) {
            if (i > 0) r += ", ";
            r += "« " + SansBlancs(d.Trace_Decale[traces[i]].Sequence.Texte()) + " »";
        }
        if (traces.size() > MaxNoms) r += " et " + TexteEntier(traces.size() - MaxNoms) + " autres";
        return r;
    };
    std::string texte;
    if (!incomplets.empty())
        texte = (incomplets.size() == 1 ? "Le tracé " + noms(incomplets) + " est trop petit"
                                        : "Les tracés " + noms(incomplets) + " sont trop petits") +
                " pour " + TexteEntier(a.nombre) + " attaches de " + EcritureLocale(a.largeur) +
                " mm avec une fraise de " + EcritureLocale(a.diametre) +
                " mm : ils en reçoivent moins, ou aucune. Vérifiez qu'ils restent tenus.";
    if (!leves.empty())
        texte += (texte.empty() ? "" : "\r\n") +
                 (leves.size() == 1 ? "Le tracé " + noms(leves) +
                                          ", levé par endroits, ne reçoit aucune attache. Vérifiez qu'il reste tenu."
                                    : "Les tracés " + noms(leves) +
                                          ", levés par endroits, ne reçoivent aucune attache. Vérifiez qu'ils restent "
                                          "tenus.");
    return texte;
}

}  // namespace korvelin
