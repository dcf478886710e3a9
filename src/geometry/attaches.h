#pragma once
// Holding tabs: short stretches of every outline where the last passes leave material, so
// that the part stays held to the sheet until it is broken free by hand.

#include <cmath>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "model/dessin.h"
#include "model/reglages_outil.h"

namespace korvelin {

// Tabs asked for with values that cannot hold a part: a width of 0 or less, a height of 0
// or less, or one that reaches the surface (the tool would leave the stock over them, and
// cut nothing there). The French reason, or nothing when they are sound or not asked for.
std::optional<std::string> ControleAttaches(const Attaches& a, double profondeur);

// One tab on an offset path: the stretch, in mm from the path's first point, over which
// the cutter rises, and its two ends on the path (margins not included).
struct SpanAttache {
    double debut = 0.0, fin = 0.0;
    double x0 = 0.0, y0 = 0.0, x1 = 0.0, y1 = 0.0;
};

// For each offset path of the drawing (NbSequencesDecalees entries), its tabs in the order
// the cutter meets them; empty for open paths and for holes with no part inside.
// An outline is a closed offset path inside an even number of others: the offsets keep the
// nesting of the traces they follow, and they are what the machine cuts. A hole that holds
// a part is tabbed too, or its slug would fall out with the part tabbed to it. A path too
// short for every tab asked gets as many as fit, and its index goes to `incomplets`. A
// lifted outline gets none, its pieces are no outline to hold: its index goes to `leves`.
std::vector<std::vector<SpanAttache>> PlaceAttaches(const Dessin& d, const Attaches& a,
                                                    std::vector<std::size_t>* incomplets = nullptr,
                                                    std::vector<std::size_t>* leves = nullptr);

// The warning naming the traces that get fewer tabs than asked, or none for being lifted;
// empty when every one has its count.
std::string AvertissementAttaches(const Dessin& d, const Attaches& a);

// The height of the tabs' top: P + H. A pass deeper than it rises to it over each tab.
inline double HauteurAttache(double profondeur, const Attaches& a) { return profondeur + a.hauteur; }

// Whether the offset path goes on as new pieces somewhere (see MarqueLevee).
inline bool CheminLeve(std::span<const PointTrace> points) {
    for (std::size_t j = 1; j < points.size(); ++j)
        if (points[j].Plume == MarqueLevee) return true;
    return false;
}

// The cut of one pass along an offset path, after its first point: calls
// vers(x, y, z, vertical) for each target, margins added, vertical for the rise onto a tab
// and the plunge after it, and leve(x, y) where the path goes on as a new piece at (x, y):
// the tool rises, travels, and comes down there to z as at the start of the path. With no
// tab, a pass no deeper than the tabs' top, or a lifted path (it never gets tabs), the
// targets are the path's points themselves.
template <class Vers, class Leve>
void CoupePasse(std::span<const PointTrace> points, const std::vector<SpanAttache>& spans, double mx, double my,
                double z, double zAttache, Vers&& vers, Leve&& leve) {
    if (spans.empty() || !(z < zAttache) || CheminLeve(points)) {
        for (std::size_t j = 1; j < points.size(); ++j) {
            if (points[j].Plume == MarqueLevee)
                leve(points[j].X + mx, points[j].Y + my);
            else
                vers(points[j].X + mx, points[j].Y + my, z, false);
        }
        return;
    }
    // The tab ends in order, each a rise (even) or a plunge (odd); the lengths are summed
    // segment by segment as PlaceAttaches sums them, so that both agree on every end.
    std::size_t bout = 0;
    const std::size_t nbBouts = 2 * spans.size();
    double abscisse = 0.0, zc = z;
    for (std::size_t j = 1; j < points.size(); ++j) {
        const double ax = points[j - 1].X, ay = points[j - 1].Y;
        const double bx = points[j].X, by = points[j].Y;
        const double l = std::hypot(bx - ax, by - ay);
        double fait = 0.0;  // along this segment, already reached
        for (; bout < nbBouts && l > 0.0; ++bout) {
            const SpanAttache& t = spans[bout / 2];
            const double e = (bout % 2 == 0 ? t.debut : t.fin) - abscisse;
            if (e > l) break;
            const double f = e / l;
            const double x = ax + (bx - ax) * f + mx, y = ay + (by - ay) * f + my;
            if (e > fait) vers(x, y, zc, false);
            fait = e;
            zc = bout % 2 == 0 ? zAttache : z;
            vers(x, y, zc, true);
        }
        if (l > fait || l == 0.0) vers(bx + mx, by + my, zc, false);
        abscisse += l;
    }
}

}  // namespace korvelin
