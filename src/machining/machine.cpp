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

void Attente(Machine& m, double duree) {
    const int64_t unites = UnitesAttente(duree);
    if (unites == 0 || m.TicksParUnite <= 0) return;
    const int64_t maintenant = m.horloge.Lire();
    // Re-anchor after idle time or a delay of more than one unit: a late edge is not
    // followed by a burst of short pulses that the motors could not follow.
    if (!m.Ancree || maintenant - m.Echeance > m.TicksParUnite) {
        m.Echeance = maintenant;
        m.Ancree = true;
    }
    m.Echeance += unites * m.TicksParUnite;
    m.horloge.AttendreJusqua(m.Echeance);
}

namespace {

int Signe(int d) { return d > 0 ? 1 : (d < 0 ? -1 : 0); }

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

    double periode = 0.0;
    auto retient = [&periode](double t) {
        if (t > periode) periode = t;
    };
    if (px != 0) retient(enMatiere ? v.TempsMin_Mat_X : v.TempsMin_HMat_X);
    if (py != 0) retient(enMatiere ? v.TempsMin_Mat_Y : v.TempsMin_HMat_Y);
    if (pz != 0) retient(enMatiere ? v.TempsMin_Mat_Z : (pz == 1 ? v.TempsMin_Montee : v.TempsMin_Descente));

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
}

namespace {

// The trailing axis steps when the line has run a whole step away from it.
bool EcartAtteint(double ecart, double pas) {
    const double seuil = Arrondi4(pas);
    return seuil > 0.0 ? Arrondi4(ecart) >= seuil : ecart >= pas;
}

}  // namespace

bool DeplacementXY(Machine& m, const PointTrace& courant, PointTrace& cible, bool enMatiere) {
    const Parametres& v = m.valeurs;
    const double sX = LongueurPas(v.Pas_X, v.NbPas_X);
    const double sY = LongueurPas(v.Pas_Y, v.NbPas_Y);
    const double x0 = courant.X, y0 = courant.Y, xc = cible.X, yc = cible.Y;
    const double distX = std::fabs(xc - x0), distY = std::fabs(yc - y0);

    // An axis that must move but has no sensible step, or a move of absurd length: no pulse.
    const double nX = distX > 0.0 ? (sX > 0.0 ? distX / sX : INFINITY) : 0.0;
    const double nY = distY > 0.0 ? (sY > 0.0 ? distY / sY : INFINITY) : 0.0;
    if (!(nX <= PasMaxMouvement) || !(nY <= PasMaxMouvement)) {
        cible = courant;
        return !m.ArretDemande();
    }

    const double tempsX = enMatiere ? v.TempsMin_Mat_X : v.TempsMin_HMat_X;
    const double tempsY = enMatiere ? v.TempsMin_Mat_Y : v.TempsMin_HMat_Y;
    const double vX = (1000 / tempsX) * sX;
    const double vY = (1000 / tempsY) * sY;
    const Droite ligne = DroitePassantPar(courant, cible);
    const int dirX = xc > x0 ? 1 : -1;
    const int dirY = yc > y0 ? 1 : -1;
    const double tX = distX / vX, tY = distY / vY;

    // The axis needing the longer time leads. The trailing axis can take at most one step
    // per pulse, so the leader must also be the axis with more steps: otherwise the move
    // would end short of its target on the other axis.
    bool xMene = tY < tX;
    if (xMene ? nX < nY : nY < nX) xMene = !xMene;

    double x = x0, y = y0;
    bool interrompu = false;
    if (xMene) {
        const double fin = Arrondi4(xc);
        while ((Arrondi4(x) < fin && dirX == 1) || (Arrondi4(x) > fin && dirX == -1)) {
            if (m.ArretDemande()) {
                interrompu = true;
                break;
            }
            x = x + dirX * sX;
            const double yLigne = (-ligne.a * x - ligne.c) / ligne.b;
            int pasY = 0;
            if (sY > 0.0 && EcartAtteint(std::fabs(yLigne - y), sY)) {
                pasY = y < yLigne ? 1 : -1;
                y += pasY * sY;
            }
            ImpulsionMoteurs(m, dirX, pasY, 0, enMatiere);
        }
    } else {
        const double fin = Arrondi4(yc);
        while ((Arrondi4(y) < fin && dirY == 1) || (Arrondi4(y) > fin && dirY == -1)) {
            if (m.ArretDemande()) {
                interrompu = true;
                break;
            }
            y = y + dirY * sY;
            const double xLigne = (-ligne.b * y - ligne.c) / ligne.a;
            int pasX = 0;
            if (sX > 0.0 && EcartAtteint(std::fabs(xLigne - x), sX)) {
                pasX = x < xLigne ? 1 : -1;
                x += pasX * sX;
            }
            ImpulsionMoteurs(m, pasX, dirY, 0, enMatiere);
        }
    }
    cible.X = static_cast<float>(x);
    cible.Y = static_cast<float>(y);
    return !interrompu;
}

bool DeplacementZ(Machine& m, double dz, bool enMatiere) {
    const double sZ = LongueurPas(m.valeurs.Pas_Z, m.valeurs.NbPas_Z);
    const double distance = std::fabs(dz);
    if (sZ <= 0.0 || !(distance / sZ <= PasMaxMouvement)) return !m.ArretDemande();
    const int dir = dz > 0 ? 1 : -1;
    double parcouru = 0;
    while (distance > parcouru) {
        if (m.ArretDemande()) return false;
        ImpulsionMoteurs(m, 0, 0, dir, enMatiere);
        parcouru = parcouru + sZ;
    }
    return true;
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
