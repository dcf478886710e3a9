#include "machining/mouvements.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "model/nombres.h"

namespace korvelin {

namespace {

#define KORVELIN_TEXTE_(x) #x
#define KORVELIN_TEXTE(x) KORVELIN_TEXTE_(x)
constexpr const char* TexteVersion_ = KORVELIN_TEXTE(KORVELIN_VERSION_MAJEURE) "." KORVELIN_TEXTE(
    KORVELIN_VERSION_MINEURE) "." KORVELIN_TEXTE(KORVELIN_VERSION_REVISION);

}  // namespace

std::string_view TexteVersion() { return TexteVersion_; }

void AjouteNombreCUT(std::string& sortie, double v) {
    // Beyond 2^52 thousandths the integer steps of doubles are coarser than the halves.
    constexpr double Limite = 4503599627370496.0;
    const double p = v * 1000.0;
    if (!(std::fabs(p) < Limite)) {
        sortie += FormatFixe(v, 3, '.');
        return;
    }
    // p is the product rounded; e is what rounding took away, exactly. Only when p lies on
    // a half can e decide the rounding: otherwise p and v·1000 round alike.
    const double e = std::fma(v, 1000.0, -p);
    double n = std::nearbyint(p);
    if (p - std::floor(p) == 0.5 && e != 0.0) n = e > 0.0 ? std::floor(p) + 1.0 : std::floor(p);
    const bool negatif = n < 0.0;
    uint64_t entier = static_cast<uint64_t>(std::fabs(n));
    char tampon[32];
    char* fin = tampon + sizeof tampon;
    char* c = fin;
    for (int k = 0; k < 3; ++k) {
        *--c = static_cast<char>('0' + entier % 10);
        entier /= 10;
    }
    *--c = '.';
    do {
        *--c = static_cast<char>('0' + entier % 10);
        entier /= 10;
    } while (entier != 0);
    if (negatif) *--c = '-';
    sortie.append(c, static_cast<std::size_t>(fin - c));
}

namespace {

// Hands each move on, stamped with where the job is; its duration joins the running time,
// and the totals are reported. Once the receiver has stopped, nothing more goes out.
class Emetteur {
public:
    Emetteur(RecepteurMouvements& r, TotauxCUT& totaux, const SuiviCUT& suivi)
        : r_(r), totaux_(totaux), suivi_(suivi), prochainSuivi_(std::chrono::steady_clock::now() + Intervalle) {}

    int32_t trace = -1, passe = 0, point = -1;

    void Emet(EtapeMouvement etape, double t, double x, double y, double z) {
        if (arrete_) return;
        if (!r_.Recoit(Mouvement{etape, t, x, y, z, trace, passe, point})) {
            arrete_ = true;
            return;
        }
        totaux_.TempsFraisage += t;
        if (suivi_ && (++lignes_ & 1023) == 0) {
            const auto maintenant = std::chrono::steady_clock::now();
            if (maintenant >= prochainSuivi_) {
                suivi_(totaux_);
                prochainSuivi_ = maintenant + Intervalle;
            }
        }
    }
    bool Arrete() const { return arrete_; }

    // CalculTemps: the time of an XY move at speed v; its length joins the running path.
    double Temps(double x1, double x2, double y1, double y2, double v) {
        const double d = std::sqrt((x2 - x1) * (x2 - x1) + (y2 - y1) * (y2 - y1));
        if (d == 0.0) return 0.0;
        totaux_.LongueurParcours += d;
        return d / v;
    }

private:
    static constexpr std::chrono::milliseconds Intervalle{100};
    RecepteurMouvements& r_;
    TotauxCUT& totaux_;
    const SuiviCUT& suivi_;
    std::chrono::steady_clock::time_point prochainSuivi_;
    uint32_t lignes_ = 0;
    bool arrete_ = false;
};

}  // namespace

CotesTravail CotesDe(const TravailCUT& t) {
    return {LectureSaisie(t.HautDeg),
            LectureSaisie(t.ProfFraisage),
            LectureSaisie(t.MargeX),
            LectureSaisie(t.MargeY),
            t.NbPasse,
            t.attaches};
}

namespace {

// The job's walk: each trace's passes in order, the tool travelling and plunging at each
// start, then back over the zero.
class Parcours {
public:
    Parcours(const Dessin& d, const CotesTravail& c, const VitessesTravail& v, TotauxCUT& totaux, const SuiviCUT& suivi,
             RecepteurMouvements& r)
        : d_(d),
          v_(v),
          e_(r, totaux, suivi),
          H(c.H),
          P(c.P),
          N(c.N < 1 ? 1 : c.N),
          MX(c.MX),
          MY(c.MY),
          attaches_(PlaceAttaches(d, c.attaches)),
          zAttache_(HauteurAttache(P, c.attaches)) {}

    bool Tout() {
        const std::size_t nbTraces = d_.NbSequencesDecalees();
        for (std::size_t k = 0; k < nbTraces && !e_.Arrete(); ++k) {
            e_.trace = static_cast<int32_t>(k);
            e_.passe = 0;
            e_.point = -1;
            e_.Emet(E::Montee, k == 0 ? std::fabs(H) / v_.descente : std::fabs(H - P / N) / v_.descente, X_, Y_, H);
            for (int32_t p = 1; p <= N && !e_.Arrete(); ++p) Passe(k, p);
        }
        e_.trace = -1;
        e_.passe = 0;
        e_.point = -1;
        Remonte();
        const double tRetour = e_.Temps(X_, 0.0, Y_, 0.0, v_.Deplacement());
        if (tRetour != 0.0) e_.Emet(E::Retour, tRetour, 0.0, 0.0, H);
        e_.Emet(E::Niveau, std::fabs(H / v_.descente), 0.0, 0.0, 0.0);
        return !e_.Arrete();
    }

private:
    using E = EtapeMouvement;

    const Dessin& d_;
    const VitessesTravail& v_;
    Emetteur e_;
    const double H, P;
    const int32_t N;
    const double MX, MY;
    const std::vector<std::vector<SpanAttache>> attaches_;
    const double zAttache_;
    double X_ = 0.0, Y_ = 0.0;  // where the tool stands in XY

    void Remonte() { e_.Emet(E::Remontee, std::fabs((H - P) / v_.descente), X_, Y_, H); }

    // Travel at the clearance height to (xt, yt), down to the surface, plunge: the start of
    // a path, and of each piece of a lifted one.
    void Entre(double xt, double yt, double profondeur) {
        const double tDep = e_.Temps(X_, xt, Y_, yt, v_.Deplacement());
        if (tDep != 0.0) e_.Emet(E::Deplacement, tDep, xt, yt, H);
        e_.Emet(E::Niveau, std::fabs(H / v_.descente), xt, yt, 0.0);
        e_.Emet(E::Descente, std::fabs(P / v_.matZ), xt, yt, profondeur);
        X_ = xt;
        Y_ = yt;
    }

    void Passe(std::size_t k, int32_t p) {
        const std::vector<PointTrace>& points = d_.Trace_Decale[k].Points;
        const double profondeur = P * p / N;
        // A trace without points has no pass to report: the tool only waits above.
        e_.passe = points.empty() ? 0 : p;
        if (!points.empty()) {
            e_.point = 0;
            Entre(points[0].X + MX, points[0].Y + MY, profondeur);
        }
        double Z = profondeur;
        // The point reached last: a tab's ends lie between two of them.
        std::size_t j = 0;
        CoupePasse(
            points, attaches_[k], MX, MY, profondeur, zAttache_,
            [&](double xt, double yt, double zt, bool vertical) {
                // Stopped: the rest of the pass is not worth walking.
                if (e_.Arrete()) return;
                if (vertical) {
                    e_.Emet(E::Attache, std::fabs(zt - Z) / v_.matZ, xt, yt, zt);
                    Z = zt;
                    return;
                }
                const std::size_t vise = std::min<std::size_t>(j + 1, points.size() - 1);
                e_.point = static_cast<int32_t>(vise);
                const double tCoupe = e_.Temps(X_, xt, Y_, yt, v_.Coupe());
                if (tCoupe != 0.0) e_.Emet(E::Coupe, tCoupe, xt, yt, zt);
                if (xt == points[vise].X + MX && yt == points[vise].Y + MY) j = vise;
                X_ = xt;
                Y_ = yt;
            },
            [&](double xt, double yt) {
                if (e_.Arrete()) return;
                j = std::min<std::size_t>(j + 1, points.size() - 1);
                e_.point = static_cast<int32_t>(j);
                Remonte();
                Entre(xt, yt, profondeur);
                Z = profondeur;
            });
        Remonte();
    }
};

}  // namespace

bool ParcoursTravail(const Dessin& d, const CotesTravail& c, const VitessesTravail& v, TotauxCUT& totaux,
                     const SuiviCUT& suivi, RecepteurMouvements& r) {
    return Parcours(d, c, v, totaux, suivi, r).Tout();
}

}  // namespace korvelin
