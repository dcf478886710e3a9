#include "model/listes.h"

#include <algorithm>
#include <cmath>

namespace korvelin {

int64_t ArrondiPair(double v) { return static_cast<int64_t>(std::nearbyint(v)); }

Code2 ProchaineSequence(Code2 e) {
    if (e.Vide()) return PremiereSequence;
    if (e.c1() == 0) e = Code2(U' ', e.c0());  // one character: padded with a leading space
    if (e.c1() < U'Z') return Code2(e.c0(), e.c1() + 1);
    if (e.c0() == U' ') return Code2(U'A', U'A');
    char32_t suivant = e.c0() + 1;
    // Code points in the surrogate range cannot be written in UTF-8: step over them.
    if (suivant >= 0xD800 && suivant <= 0xDFFF) suivant = 0xE000;
    return Code2(suivant, U'A');
}

Code2 ProchaineSequence(std::string_view e) { return ProchaineSequence(Code2::De(e)); }

int32_t PremierPointSequence(const Dessin& d, Code2 e) {
    for (int32_t i = 0; i < d.NbPoints; ++i)
        if (d.Trace_Initial[i].Sequence == e) return i;
    return -1;
}

int32_t NbPointsSequence(const Dessin& d, int32_t i) {
    if (i < 0 || i >= d.NbPoints) return 0;
    const Code2 e = d.Trace_Initial[i].Sequence;
    int32_t n = 0;
    while (i + n < d.NbPoints && d.Trace_Initial[i + n].Sequence == e) ++n;
    return n;
}

bool EstDansSequence(const Dessin& d, int32_t i, Code2 e) {
    return i >= 0 && i < d.NbPoints && d.Trace_Initial[i].Sequence == e;
}

void SupprimeSequence(Dessin& d, Code2 e) {
    const int32_t premier = PremierPointSequence(d, e);
    if (premier < 0) return;
    const int32_t n = NbPointsSequence(d, premier);
    auto debut = d.Trace_Initial.begin() + premier;
    // Everything after the trace moves down; the tail entries keep their old values.
    std::move(debut + n, d.Trace_Initial.end(), debut);
    d.NbPoints -= n;
}

void InverseSequence(Dessin& d, Code2 e) {
    const int32_t premier = PremierPointSequence(d, e);
    if (premier < 0) return;
    int32_t n = 0;
    while (EstDansSequence(d, premier + n, e)) ++n;
    const int64_t dernier = ArrondiPair(n / 2.0 - 1.0);
    for (int64_t k = 0; k <= dernier; ++k)
        std::swap(d.Trace_Initial[premier + k], d.Trace_Initial[premier + n - 1 - k]);
}

void DepartSequence(Dessin& d, int32_t p) {
    if (p <= 0 || p >= d.NbPoints) return;
    auto& t = d.Trace_Initial;
    const Code2 e = t[p].Sequence;
    // The run is found from p itself: a search from the start of the list would make a
    // whole drawing's rotations quadratic.
    int32_t premier = p;
    while (premier > 0 && t[premier - 1].Sequence == e) --premier;
    if (premier == p) return;
    int32_t fin = p;
    while (fin < d.NbPoints && t[fin].Sequence == e) ++fin;
    DepartTrace(std::span(t).subspan(static_cast<std::size_t>(premier), static_cast<std::size_t>(fin - premier)),
                static_cast<std::size_t>(p - premier));
}

void DepartTrace(std::span<PointTrace> trace, std::size_t k) {
    const std::size_t n = trace.size();
    if (k == 0 || k >= n) return;
    std::vector<PointTrace> nouveau;
    nouveau.reserve(n);
    nouveau.insert(nouveau.end(), trace.begin() + k, trace.end());
    nouveau.insert(nouveau.end(), trace.begin() + 1, trace.begin() + k);
    nouveau.push_back(trace[k]);
    std::copy(nouveau.begin(), nouveau.end(), trace.begin());
}

bool NumeroteSequences(Dessin& d) {
    auto& t = d.Trace_Initial;
    const int32_t n = std::min<int32_t>(d.NbPoints, static_cast<int32_t>(t.size()));
    Code2 courante = PremiereSequence;
    bool plumeLevee = false;
    int32_t i = 0;
    for (; i < n && t[i].Plume != PlumeBasse; ++i) t[i].Sequence = courante;
    if (i == n) {
        t.clear();
        d.NbPoints = 0;
        return false;
    }
    for (; i < n; ++i) {
        if (t[i].Plume == PlumeBasse && plumeLevee) {
            courante = ProchaineSequence(courante);
            plumeLevee = false;
        } else if (t[i].Plume == PlumeHaute) {
            plumeLevee = true;
        }
        t[i].Sequence = courante;
    }
    int32_t w = 0;
    for (int32_t k = 0; k < n; ++k)
        if (t[k].Plume != PlumeHaute) t[w++] = t[k];
    t.resize(w);
    d.NbPoints = w;
    return true;
}

bool PointsConfondus(const PointTrace& a, const PointTrace& b) {
    const float dx = a.X - b.X;
    const float dy = a.Y - b.Y;
    return std::fabs(static_cast<double>(dx)) < 0.001 && std::fabs(static_cast<double>(dy)) < 0.001;
}

void SupprimeDoublons(Dessin& d) {
    auto& t = d.Trace_Initial;
    if (t.empty()) {
        d.NbPoints = 0;
        return;
    }
    std::size_t k = 0;
    for (std::size_t i = 1; i < t.size(); ++i) {
        if (!(t[i].Plume == t[k].Plume && PointsConfondus(t[i], t[k]))) ++k;
        t[k] = t[i];
    }
    t.resize(k + 1);
    d.NbPoints = static_cast<int32_t>(k);
}

namespace {

void Elargit(Dessin& d, const PointTrace& p) {
    if (p.X < static_cast<float>(d.Xmin)) d.Xmin = p.X;
    if (p.X > static_cast<float>(d.Xmax)) d.Xmax = p.X;
    if (p.Y < static_cast<float>(d.Ymin)) d.Ymin = p.Y;
    if (p.Y > static_cast<float>(d.Ymax)) d.Ymax = p.Y;
}

}  // namespace

void CalculBornes(Dessin& d) {
    if (d.Trace_Initial.empty()) {
        d.Xmin = d.Xmax = d.Ymin = d.Ymax = 0.0;
        return;
    }
    d.Xmin = d.Xmax = d.Trace_Initial[0].X;
    d.Ymin = d.Ymax = d.Trace_Initial[0].Y;
    const int32_t n = std::min<int32_t>(d.NbPoints, static_cast<int32_t>(d.Trace_Initial.size()));
    for (int32_t i = 1; i < n; ++i) Elargit(d, d.Trace_Initial[i]);
    // The last point of each offset path counts too: the cutter goes there.
    for (std::size_t s = 0; s < d.NbSequencesDecalees(); ++s)
        for (const PointTrace& p : d.Trace_Decale[s].Points) Elargit(d, p);
}

}  // namespace korvelin
