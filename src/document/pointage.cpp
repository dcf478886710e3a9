#include "document/pointage.h"

#include <algorithm>
#include <cmath>

#include "model/nombres.h"
#include "model/primitives.h"

namespace korvelin {

std::string TexteAbscisse(double x) { return "x : " + FormatFixe(x, 1, ','); }
std::string TexteOrdonnee(double y) { return "y : " + FormatFixe(y, 1, ','); }

bool LeverPermis(const std::string& typeFichier) { return typeFichier == "PLT" || typeFichier == "DAT"; }

int32_t SegmentSousClic(const Dessin& d, double x, double y) {
    const int32_t n = std::min<int32_t>(d.NbPoints, static_cast<int32_t>(d.Trace_Initial.size()));
    PointTrace c;
    c.X = VersFlottant32(x);
    c.Y = VersFlottant32(y);
    double meilleur = 10000000000.0;
    int32_t k = -1;
    for (int32_t i = 0; i + 1 < n; ++i) {
        const PointTrace& a = d.Trace_Initial[i];
        const PointTrace& b = d.Trace_Initial[i + 1];
        const double d0 = Distance(c, a), d1 = Distance(c, b), l = Distance(a, b);
        if (!(d0 + d1 < 1.01 * l)) continue;
        const double exces = std::fabs(l - d0 - d1);
        if (exces < meilleur) {
            meilleur = exces;
            k = i;
        }
    }
    return k;
}

int32_t SegmentLevable(const Dessin& d, double x, double y) {
    const int32_t k = SegmentSousClic(d, x, y);
    if (k <= 0 || d.Trace_Initial[k - 1].Sequence != d.Trace_Initial[k].Sequence) return -1;
    return k;
}

}  // namespace korvelin
