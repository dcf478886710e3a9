#include "machining/machine.h"

#include <cmath>

#include "model/primitives.h"

namespace korvelin {

Machine::Machine(Port& p, Horloge& h, const Parametres& v) : port(p), horloge(h), valeurs(v) {
    FrequenceCompteur = horloge.Frequence();
    TicksParUnite = std::llrint(static_cast<double>(FrequenceCompteur) * 0.0001);
    MesureRetards = port.Reel();
}

double Arrondi4(double v) { return std::nearbyint(v * 10000.0) / 10000.0; }

double LongueurPas(double pas, int16_t nbPas) {
    if (!(pas > 0.0) || nbPas <= 0) return 0.0;
    const double s = pas / nbPas;
    return std::isfinite(s) && s > 0.0 ? s : 0.0;
}

int64_t UnitesAttente(double duree) {
    const double n = duree / 0.0001;
    if (!(n > 0.0)) return 0;
    // The count of whole units that reaches n: a wait never ends early.
    const double unites = std::ceil(n);
    return unites < 9.2e18 ? static_cast<int64_t>(unites) : INT64_MAX / 4;
}

int64_t PasPour(double mm, double s) {
    if (!(s > 0.0) || !std::isfinite(mm)) return 0;
    const double n = std::fabs(mm) / s;
    // Beyond any move the machine can make: the moves refuse it.
    if (!(n < 1e15)) return mm < 0 ? -1'000'000'000'000'000 : 1'000'000'000'000'000;
    double k = std::nearbyint(n);
    if (std::fabs(n - k) * s >= 0.00005) k = std::ceil(n);
    const auto pas = static_cast<int64_t>(k);
    return mm < 0 ? -pas : pas;
}

void AttenteUnites(Machine& m, int64_t unites) {
    if (unites <= 0 || m.TicksParUnite <= 0) return;
    m.UnitesAttendues = m.UnitesAttendues > INT64_MAX - unites ? INT64_MAX : m.UnitesAttendues + unites;
    const int64_t maintenant = m.horloge.Lire();
    // Re-anchor after idle time or a delay of more than one unit: a late edge is not
    // followed by a burst of short pulses that the motors could not follow.
    if (!m.Ancree || maintenant - m.Echeance > m.TicksParUnite) {
        m.Echeance = maintenant;
        m.Ancree = true;
    }
    // Saturated: an absurd duration must not wrap round to a deadline already past.
    constexpr int64_t Plafond = INT64_MAX / 4;
    const int64_t ticks = unites > Plafond / m.TicksParUnite ? Plafond : unites * m.TicksParUnite;
    m.Echeance = m.Echeance > INT64_MAX - ticks ? INT64_MAX : m.Echeance + ticks;
    m.horloge.AttendreJusqua(m.Echeance);
}

void Attente(Machine& m, double duree) { AttenteUnites(m, UnitesAttente(duree)); }

namespace {

int Signe(int d) { return d > 0 ? 1 : (d < 0 ? -1 : 0); }

// The largest minimum time of the moving axes (physical directions), ms.
double Periode(const Parametres& v, int px, int py, int pz, bool enMatiere) {
    double periode = 0.0;
    auto retient = [&periode](double t) {
        if (t > periode) periode = t;
    };
    if (px != 0) retient(enMatiere ? v.TempsMin_Mat_X : v.TempsMin_HMat_X);
    if (py != 0) retient(enMatiere ? v.TempsMin_Mat_Y : v.TempsMin_HMat_Y);
    if (pz != 0) retient(enMatiere ? v.TempsMin_Mat_Z : (pz == 1 ? v.TempsMin_Montee : v.TempsMin_Descente));
    return periode;
}

int Physique(bool inversion, int d) { return inversion ? -Signe(d) : Signe(d); }

// The 0.1 ms units one pulse lasts: the three waits of ImpulsionMoteurs.
int64_t UnitesImpulsion(const Parametres& v, int dx, int dy, int dz, bool enMatiere) {
    const double T = Periode(v, Physique(v.InversionSens_X, dx), Physique(v.InversionSens_Y, dy),
                             Physique(v.InversionSens_Z, dz), enMatiere);
    return UnitesAttente(0.15 / 1000) + UnitesAttente(0.35 / 1000) + UnitesAttente((T - 0.15 - 0.35) / 1000);
}

}  // namespace

// One pulse, here with X stepping forward (D = 0x44, S = 0x88):
//
//            |<-0.15->|<--- 0.35 --->|<-------- T - 0.15 - 0.35 -------->|
//  write:    D        D+S            D                                    next pulse
//  dir  X  __/‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾‾
//  step X  ___________/‾‾‾‾‾‾‾‾‾‾‾‾‾‾\_____________________________________
//                     ^ the driver steps on this edge
//
// Times in ms, each wait rounded up to whole 0.1 ms units (2, 4 and the rest); T is the
// largest minimum time of the moving axes, so no axis steps faster than it may.
void ImpulsionMoteurs(Machine& m, int dx, int dy, int dz, bool enMatiere) {
    const Parametres& v = m.valeurs;
    const int lx = Signe(dx), ly = Signe(dy), lz = Signe(dz);
    const int px = v.InversionSens_X ? -lx : lx;
    const int py = v.InversionSens_Y ? -ly : ly;
    const int pz = v.InversionSens_Z ? -lz : lz;

    uint8_t direction = 0;
    if (px == 1) direction |= LigneDirX;
    if (py == 1) direction |= LigneDirY;
    if (pz == 1) direction |= LigneDirZ;
    uint8_t pas = 0;
    if (px != 0) pas |= LignePasX;
    if (py != 0) pas |= LignePasY;
    if (pz != 0) pas |= LignePasZ;

    const double periode = Periode(v, px, py, pz, enMatiere);
    const double fin = (periode - 0.15 - 0.35) / 1000;
    m.port.EcrireDonnees(direction);
    Attente(m, 0.15 / 1000);
    // The rising edge is what the drivers act on: its delay is the pulse's delay.
    const int64_t retard = m.MesureRetards ? m.horloge.Lire() - m.Echeance : 0;
    m.port.EcrireDonnees(static_cast<uint8_t>(direction + pas));
    Attente(m, 0.35 / 1000);
    m.port.EcrireDonnees(direction);
    Attente(m, fin);

    m.PasEnvoyes[0] += lx;
    m.PasEnvoyes[1] += ly;
    m.PasEnvoyes[2] += lz;
    ++m.Impulsions;
    if (m.MesureRetards) {
        const int64_t unites = UnitesAttente(0.15 / 1000) + UnitesAttente(0.35 / 1000) + UnitesAttente(fin);
        if (4 * retard > unites * m.TicksParUnite) ++m.ImpulsionsEnRetard;
    }
    if (m.SurAvancement && (m.Impulsions & 63) == 0) m.SurAvancement(m);
}

namespace {

// The trailing axis steps when the line has run a whole step away from it (to the fourth
// decimal of a millimetre).
bool EcartAtteint(double ecart, double pas) {
    const double seuil = Arrondi4(pas);
    return seuil > 0.0 ? Arrondi4(ecart) >= seuil : ecart >= pas;
}

// A dry run's move: the clock advances by the pulses' duration, the counts as if sent.
void Compte(Machine& m, int dx, int dy, int dz, int64_t nb, bool enMatiere) {
    if (nb <= 0) return;
    const int64_t unites = UnitesImpulsion(m.valeurs, dx, dy, dz, enMatiere);
    AttenteUnites(m, unites > INT64_MAX / nb ? INT64_MAX : unites * nb);
    m.PasEnvoyes[0] += Signe(dx) * nb;
    m.PasEnvoyes[1] += Signe(dy) * nb;
    m.PasEnvoyes[2] += Signe(dz) * nb;
    m.Impulsions += nb;
}

}  // namespace

bool DeplacementPas(Machine& m, int64_t cibleX, int64_t cibleY, bool enMatiere) {
    const Parametres& v = m.valeurs;
    const int64_t ecartX = cibleX - m.PasEnvoyes[0], ecartY = cibleY - m.PasEnvoyes[1];
    const int64_t nX = ecartX < 0 ? -ecartX : ecartX, nY = ecartY < 0 ? -ecartY : ecartY;
    if (nX > PasMaxMouvement || nY > PasMaxMouvement) return !m.ArretDemande();
    if (nX == 0 && nY == 0) return !m.ArretDemande();
    const int dirX = ecartX > 0 ? 1 : -1, dirY = ecartY > 0 ? 1 : -1;

    // The axis needing the longer time leads (steps × minimum time). The trailing axis can
    // take at most one step per pulse, so the leader must also be the axis with more steps.
    const double tX = static_cast<double>(nX) * (enMatiere ? v.TempsMin_Mat_X : v.TempsMin_HMat_X);
    const double tY = static_cast<double>(nY) * (enMatiere ? v.TempsMin_Mat_Y : v.TempsMin_HMat_Y);
    bool xMene = tY < tX;
    if (xMene ? nX < nY : nY < nX) xMene = !xMene;
    const int64_t nMene = xMene ? nX : nY, nSuit = xMene ? nY : nX;
    const int dirMene = xMene ? dirX : dirY, dirSuit = xMene ? dirY : dirX;
    const double pasSuit = xMene ? LongueurPas(v.Pas_Y, v.NbPas_Y) : LongueurPas(v.Pas_X, v.NbPas_X);

    if (m.Comptage) {
        if (m.ArretDemande()) return false;
        const int64_t seul = nMene - nSuit;
        Compte(m, xMene ? dirX : dirSuit, xMene ? dirSuit : dirY, 0, nSuit, enMatiere);
        Compte(m, xMene ? dirX : 0, xMene ? 0 : dirY, 0, seul, enMatiere);
        return true;
    }

    // After i leader steps the line stands i·nSuit/nMene trailer steps from the start; the
    // trailer is suivi steps along. Counted in whole steps, it ends on its target.
    int64_t suivi = 0;
    for (int64_t i = 1; i <= nMene; ++i) {
        if (m.ArretDemande()) return false;
        int pas = 0;
        if (suivi < nSuit) {
            const double ecart = static_cast<double>(i * nSuit - suivi * nMene) / static_cast<double>(nMene);
            if (ecart >= 1.0 || EcartAtteint(ecart * pasSuit, pasSuit)) {
                pas = dirSuit;
                ++suivi;
            }
        }
        if (xMene)
            ImpulsionMoteurs(m, dirMene, pas, 0, enMatiere);
        else
            ImpulsionMoteurs(m, pas, dirMene, 0, enMatiere);
    }
    return true;
}

bool DeplacementPasZ(Machine& m, int64_t cibleZ, bool enMatiere) {
    const int64_t ecart = cibleZ - m.PasEnvoyes[2];
    const int64_t n = ecart < 0 ? -ecart : ecart;
    if (n > PasMaxMouvement || n == 0) return !m.ArretDemande();
    const int dir = ecart > 0 ? 1 : -1;
    if (m.Comptage) {
        if (m.ArretDemande()) return false;
        Compte(m, 0, 0, dir, n, enMatiere);
        return true;
    }
    for (int64_t i = 0; i < n; ++i) {
        if (m.ArretDemande()) return false;
        ImpulsionMoteurs(m, 0, 0, dir, enMatiere);
    }
    return true;
}

namespace {

double PasAxe(const Parametres& v, int axe) {
    switch (axe) {
        case 0: return LongueurPas(v.Pas_X, v.NbPas_X);
        case 1: return LongueurPas(v.Pas_Y, v.NbPas_Y);
        default: return LongueurPas(v.Pas_Z, v.NbPas_Z);
    }
}

}  // namespace

bool AllerXY(Machine& m, double x, double y, bool enMatiere) {
    return DeplacementPas(m, m.Origine[0] + PasPour(x, PasAxe(m.valeurs, 0)),
                          m.Origine[1] + PasPour(y, PasAxe(m.valeurs, 1)), enMatiere);
}

bool AllerZ(Machine& m, double z, bool enMatiere) {
    return DeplacementPasZ(m, m.Origine[2] + PasPour(z, PasAxe(m.valeurs, 2)), enMatiere);
}

bool DeplacementXY(Machine& m, double dx, double dy, bool enMatiere) {
    return DeplacementPas(m, m.PasEnvoyes[0] + PasPour(dx, PasAxe(m.valeurs, 0)),
                          m.PasEnvoyes[1] + PasPour(dy, PasAxe(m.valeurs, 1)), enMatiere);
}

bool DeplacementZ(Machine& m, double dz, bool enMatiere) {
    return DeplacementPasZ(m, m.PasEnvoyes[2] + PasPour(dz, PasAxe(m.valeurs, 2)), enMatiere);
}

double PositionMm(const Machine& m, int axe) {
    const auto a = static_cast<std::size_t>(axe);
    return static_cast<double>(m.PasEnvoyes[a] - m.Origine[a]) * PasAxe(m.valeurs, axe);
}

void MarcheMoteur(Machine& m) {
    m.port.EffacerBitControle(BitMoteur);
    m.MoteurEnMarche = true;
}

void ArretMoteur(Machine& m) {
    m.port.MettreBitControle(BitMoteur);
    m.MoteurEnMarche = false;
}

}  // namespace korvelin
