#include "grbl/programme_grbl.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "model/nombres.h"

namespace korvelin::grbl {

std::string NombreGrbl(double v) {
    std::string t = FormatFixe(v, 3, '.');
    while (t.back() == '0') t.pop_back();
    if (t.back() == '.') t.pop_back();
    return t;
}

std::string LigneNettoyee(std::string_view ligne) {
    std::string r;
    r.reserve(ligne.size());
    bool parenthese = false;
    for (const char c : ligne) {
        if (parenthese) {
            if (c == ')') parenthese = false;
            continue;
        }
        if (c == '(') {
            parenthese = true;
        } else if (c == ';') {
            break;
        } else if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            continue;
        } else {
            r.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
        }
    }
    return r;
}

namespace {

bool TempsReel(unsigned char c) { return c == '?' || c == '!' || c == '~' || c == 0x18 || c >= 0x80; }

}  // namespace

std::variant<Programme, std::string> PrepareProgramme(std::string_view texte) {
    Programme p;
    std::size_t numero = 0;
    std::size_t debut = 0;
    while (debut < texte.size()) {
        const std::size_t fin = std::min(texte.find('\n', debut), texte.size());
        const std::string_view brute = texte.substr(debut, fin - debut);
        debut = fin + 1;
        ++numero;
        const std::string nom = "ligne " + TexteEntier(numero) + " du G-code : ";
        std::string propre = LigneNettoyee(brute);
        // Only the cleaned line reaches the board: what a comment holds is never sent.
        for (const char c : propre) {
            const unsigned char u = static_cast<unsigned char>(c);
            if (TempsReel(u))
                return nom + "le caractère " +
                       (u >= 0x80 ? std::string("non ASCII") : "« " + std::string(1, c) + " »") +
                       " serait pris par GRBL pour une commande immédiate (pause, reprise ou remise à zéro).";
            if (u < ' ' || u == 0x7f)
                return nom + "caractère de contrôle (code " + TexteEntier(static_cast<int>(u)) + ").";
        }
        if (propre.empty()) continue;
        if (propre.size() > LongueurMaxLigne)
            return nom + "la ligne a " + TexteEntier(propre.size()) + " caractères utiles, GRBL n'en accepte que " +
                   TexteEntier(LongueurMaxLigne) + ".";
        p.lignes.push_back({numero, std::move(propre)});
    }
    return p;
}

namespace {

struct Mot {
    char lettre;
    double valeur;
};

// The words of a cleaned line; a word whose number does not read is left out: the
// board refuses that line, so the job stops there anyway.
std::vector<Mot> Mots(std::string_view l) {
    std::vector<Mot> mots;
    std::size_t i = 0;
    while (i < l.size()) {
        const char lettre = l[i++];
        std::size_t j = i;
        while (j < l.size() && ((l[j] >= '0' && l[j] <= '9') || l[j] == '.' || l[j] == '-' || l[j] == '+')) ++j;
        if (lettre >= 'A' && lettre <= 'Z' && j > i) {
            const std::optional<double> v = LectureLocale(l.substr(i, j - i));
            if (v && std::isfinite(*v)) mots.push_back({lettre, *v});
        }
        i = j;
    }
    return mots;
}

constexpr double DeuxPi = 2.0 * std::numbers::pi;

struct Etendue {
    Axes min{0.0, 0.0, 0.0}, max{0.0, 0.0, 0.0};
    bool vide = true;
    void Ajoute(const Axes& p) {
        for (int k = 0; k < 3; ++k) {
            if (vide || p[k] < min[k]) min[k] = p[k];
            if (vide || p[k] > max[k]) max[k] = p[k];
        }
        vide = false;
    }
};

// The arc from `a` to `b` about the centre (cx, cy), clockwise for G2: its length with the
// Z change, and the points where it reaches furthest along X and Y.
double Arc(const Axes& a, const Axes& b, double cx, double cy, bool horaire, Etendue& e) {
    const double r = std::hypot(a[0] - cx, a[1] - cy);
    const double t0 = std::atan2(a[1] - cy, a[0] - cx);
    const double t1 = std::atan2(b[1] - cy, b[0] - cx);
    double balayage = horaire ? t0 - t1 : t1 - t0;  // positive, in (0, 2π]
    while (balayage <= 1e-12) balayage += DeuxPi;
    while (balayage > DeuxPi) balayage -= DeuxPi;
    for (int q = 0; q < 4; ++q) {
        const double angle = q * std::numbers::pi / 2.0;
        double d = horaire ? t0 - angle : angle - t0;
        d = std::fmod(d, DeuxPi);
        if (d < 0.0) d += DeuxPi;
        if (d <= balayage) e.Ajoute({cx + r * std::cos(angle), cy + r * std::sin(angle), a[2]});
    }
    e.Ajoute(b);
    return std::hypot(balayage * r, b[2] - a[2]);
}

}  // namespace

namespace {

// What one line asks for, its modal words already applied to the state.
struct Demande {
    std::optional<double> cible[3], i, j, r, pause;
    std::optional<int> mouvement;
    bool sansMouvement = false;  // G4, G10, G28, G30, G53, G92: their axis words move nothing we follow
    bool temporisation = false;
};

void LitMotG(double valeur, EtatModal& s, Demande& d) {
    const int g = static_cast<int>(std::lround(valeur * 10.0));
    if (g == 0 || g == 10 || g == 20 || g == 30)
        d.mouvement = g / 10;
    else if (g == 40)
        d.sansMouvement = d.temporisation = true;
    else if (g == 100 || g == 280 || g == 300 || g == 530 || g == 920)
        d.sansMouvement = true;
    else if (g == 900)
        s.absolu = true;
    else if (g == 910)
        s.absolu = false;
    else if (g == 200)
        s.pouces = true;
    else if (g == 210)
        s.pouces = false;
}

void LitMotM(double valeur, EtatModal& s) {
    const int n = static_cast<int>(std::lround(valeur));
    if (n == 3 || n == 4)
        s.broche = true, s.brocheInverse = n == 4;
    else if (n == 5)
        s.broche = false;
    else if (n == 2 || n == 30)
        s.broche = false, s.absolu = true, s.mouvement = 1;
}

Demande LitLigne(std::string_view texte, EtatModal& s) {
    Demande d;
    for (const Mot& m : Mots(texte)) {
        const double u = s.pouces ? 25.4 : 1.0;
        switch (m.lettre) {
            case 'G': LitMotG(m.valeur, s, d); break;
            case 'M': LitMotM(m.valeur, s); break;
            case 'X': d.cible[0] = m.valeur * u; break;
            case 'Y': d.cible[1] = m.valeur * u; break;
            case 'Z': d.cible[2] = m.valeur * u; break;
            case 'I': d.i = m.valeur * u; break;
            case 'J': d.j = m.valeur * u; break;
            case 'R': d.r = m.valeur * u; break;
            case 'F': s.avance = m.valeur * u; break;
            case 'S': s.vitesseBroche = m.valeur; break;
            case 'P': d.pause = m.valeur; break;
            default: break;
        }
    }
    if (d.mouvement) s.mouvement = *d.mouvement;
    return d;
}

// Moves the state to where the line sends the tool; the time the move takes.
double Deplace(const Demande& d, EtatModal& s, const Axes& rapides, Etendue& e) {
    const Axes depart = s.position;
    Axes b = depart;
    for (int k = 0; k < 3; ++k)
        if (d.cible[k]) b[k] = s.absolu ? *d.cible[k] : depart[k] + *d.cible[k];
    if (e.vide) e.Ajoute(depart);
    double longueur = 0.0;
    if ((s.mouvement == 2 || s.mouvement == 3) && (d.i || d.j || d.r)) {
        double cx = depart[0] + d.i.value_or(0.0), cy = depart[1] + d.j.value_or(0.0);
        if (d.r && !d.i && !d.j) {
            // The centre on the side R's sign and the direction choose.
            const double dx = b[0] - depart[0], dy = b[1] - depart[1];
            const double corde = std::hypot(dx, dy);
            const double h2 = (*d.r) * (*d.r) - corde * corde / 4.0;
            double h = h2 > 0.0 && corde > 0.0 ? std::sqrt(h2) / corde : 0.0;
            if ((s.mouvement == 2) == (*d.r > 0.0)) h = -h;
            cx = depart[0] + dx / 2.0 - h * dy;
            cy = depart[1] + dy / 2.0 + h * dx;
        }
        longueur = Arc(depart, b, cx, cy, s.mouvement == 2, e);
    } else {
        e.Ajoute(b);
        longueur = std::sqrt((b[0] - depart[0]) * (b[0] - depart[0]) + (b[1] - depart[1]) * (b[1] - depart[1]) +
                             (b[2] - depart[2]) * (b[2] - depart[2]));
    }
    double duree = 0.0;
    if (s.mouvement == 0) {
        for (int k = 0; k < 3; ++k)
            if (rapides[k] > 0.0) duree = std::max(duree, std::fabs(b[k] - depart[k]) / rapides[k] * 60.0);
    } else if (s.avance > 0.0) {
        duree = longueur / s.avance * 60.0;
    }
    s.position = b;
    return duree;
}

}  // namespace

Analyse Rejoue(const Programme& p, const Axes& rapides) {
    Analyse a;
    a.fin.reserve(p.lignes.size());
    a.apres.reserve(p.lignes.size());
    EtatModal s;
    Etendue e;
    double temps = 0.0;
    for (const LigneProgramme& l : p.lignes) {
        const Demande d = LitLigne(l.texte, s);
        double duree = d.pause && d.temporisation ? std::max(0.0, *d.pause) : 0.0;
        if ((d.cible[0] || d.cible[1] || d.cible[2]) && !d.sansMouvement) {
            duree = Deplace(d, s, rapides, e);
            a.mouvement = true;
        }
        temps += duree;
        a.fin.push_back(temps);
        a.apres.push_back(s);
    }
    if (!e.vide) {
        a.min = e.min;
        a.max = e.max;
    }
    return a;
}

std::optional<std::size_t> IndexDeLigne(const Programme& p, std::size_t numero) {
    const auto it = std::lower_bound(p.lignes.begin(), p.lignes.end(), numero,
                                     [](const LigneProgramme& l, std::size_t n) { return l.numero < n; });
    if (it == p.lignes.end()) return std::nullopt;
    return static_cast<std::size_t>(it - p.lignes.begin());
}

std::size_t DebutDuContour(const Programme&, const Analyse& a, std::size_t index) {
    index = std::min(index, a.apres.size());
    for (std::size_t k = index; k-- > 0;)
        if (a.apres[k].position[2] >= a.max[2] - 1e-9) return k + 1;
    return 0;
}

std::vector<LigneProgramme> ApprocheReprise(const Programme&, const Analyse& a, std::size_t index,
                                            double temporisation) {
    const EtatModal s = index == 0 || a.apres.empty() ? EtatModal{} : a.apres[std::min(index, a.apres.size()) - 1];
    const double degagement = std::max(a.max[2], s.position[2]);
    // The slowest feed the job goes down at, else its slowest feed.
    double plongee = 0.0, plusLente = 0.0;
    for (std::size_t k = 0; k < a.apres.size(); ++k) {
        const EtatModal& e = a.apres[k];
        if (e.mouvement == 0 || e.avance <= 0.0) continue;
        const Axes avant = k == 0 ? Axes{0.0, 0.0, 0.0} : a.apres[k - 1].position;
        if (plusLente == 0.0 || e.avance < plusLente) plusLente = e.avance;
        if (e.position[2] < avant[2] && e.position[0] == avant[0] && e.position[1] == avant[1] &&
            (plongee == 0.0 || e.avance < plongee))
            plongee = e.avance;
    }
    if (plongee == 0.0) plongee = plusLente;
    std::vector<LigneProgramme> r;
    auto ligne = [&](std::string t) { r.push_back({0, std::move(t)}); };
    // Words that would make a line too long for the board go on a line of their own.
    auto mouvement = [&](std::string g, std::initializer_list<std::string> mots) {
        std::string l = g;
        for (const std::string& m : mots) {
            if (l.size() > g.size() && l.size() + m.size() > LongueurMaxLigne) {
                ligne(l);
                l = g;
            }
            l += m;
        }
        ligne(l);
    };
    ligne("G21G90");
    ligne("G0Z" + NombreGrbl(degagement));
    mouvement("G0", {"X" + NombreGrbl(s.position[0]), "Y" + NombreGrbl(s.position[1])});
    if (s.broche) {
        ligne(std::string(s.brocheInverse ? "M4" : "M3") + "S" + NombreGrbl(s.vitesseBroche));
        ligne("G4P" + NombreGrbl(temporisation));
    }
    if (s.position[2] < degagement && plongee > 0.0)
        mouvement("G1", {"F" + NombreGrbl(plongee), "Z" + NombreGrbl(s.position[2])});
    if (s.pouces) ligne("G20");
    if (!s.absolu) ligne("G91");
    const double u = s.pouces ? 25.4 : 1.0;
    // The feed too: a program writes it only where it changes, and a board just reset has
    // none, so the contour's first G1 would be refused.
    if (s.avance > 0.0) ligne("G1F" + NombreGrbl(s.avance / u));
    if (s.mouvement == 0) ligne("G0");
    return r;
}

std::optional<std::string> ControleCourse(const Analyse& a, const ReglagesGrbl& r, const Axes& wco) {
    if (!r.CoursesConnues())
        return std::string(
            "Les courses de la machine ($130 à $132) ne sont pas connues : "
            "les réglages de GRBL n'ont pas été lus.");
    if (!a.mouvement) return std::nullopt;
    constexpr double Tolerance = 1e-4;
    constexpr const char* NomsAxes[3] = {"X", "Y", "Z"};
    const Axes c = r.Courses();
    for (int k = 0; k < 3; ++k) {
        const std::string axe = NomsAxes[k];
        const std::string reglage = "$13" + TexteEntier(k);
        if (r.OrigineActive()) {
            const double bas = a.min[k] + wco[k], haut = a.max[k] + wco[k];
            if (bas < -c[k] - Tolerance || haut > Tolerance)
                return "Le travail sort de la course en " + axe + " depuis le zéro de travail actuel : il irait de " +
                       FormatFixe(bas, 3, ',') + " à " + FormatFixe(haut, 3, ',') +
                       " mm en coordonnées machine, la course va de " + FormatFixe(-c[k], 3, ',') + " à 0 (réglage " +
                       reglage + "). Déplacez le zéro de travail.";
        } else if (a.max[k] - a.min[k] > c[k] + Tolerance) {
            return "Le travail s'étend sur " + FormatFixe(a.max[k] - a.min[k], 3, ',') + " mm en " + axe +
                   ", plus que la course de la machine (" + FormatFixe(c[k], 3, ',') + " mm, réglage " + reglage + ").";
        }
    }
    return std::nullopt;
}

std::string LigneJog(const Axes& d, double avance) {
    std::string l = "$J=G91G21";
    constexpr char Lettres[3] = {'X', 'Y', 'Z'};
    for (int k = 0; k < 3; ++k)
        if (d[k] != 0.0) l += Lettres[k] + NombreGrbl(d[k]);
    return l + "F" + NombreGrbl(avance);
}

}  // namespace korvelin::grbl
