#include "machining/verificateur_gcode.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <regex>
#include <string_view>
#include <set>
#include <unordered_map>

#include "model/nombres.h"

namespace korvelin::test {

namespace {

constexpr double ToleranceRayon = 0.005;

struct Mot {
    char lettre;
    std::string texte;
    double valeur;
};

// A number as the program writes it: no exponent, no "+", no leading or trailing zero.
bool NombreStrict(const std::string& n) {
    static const std::regex forme("-?(0|[1-9][0-9]*)(\\.[0-9]*[1-9])?");
    return std::regex_match(n, forme);
}

// Words as "X-1.25", one blank apart.
bool LitMots(const std::string& ligne, std::vector<Mot>& mots) {
    mots.clear();
    std::size_t i = 0;
    while (i < ligne.size()) {
        const std::size_t fin = std::min(ligne.find(' ', i), ligne.size());
        const std::string mot = ligne.substr(i, fin - i);
        if (mot.size() < 2 || !std::isupper(static_cast<unsigned char>(mot[0]))) return false;
        const std::string n = mot.substr(1);
        if (!NombreStrict(n) || n == "-0") return false;
        mots.push_back({mot[0], n, LecturePlain(n)});
        i = fin + 1;
        if (fin + 1 == ligne.size()) return false;  // a trailing blank
    }
    return !mots.empty();
}

}  // namespace

LectureGCode VerifieGCode(const std::string& texte) {
    LectureGCode r;
    auto faute = [&](int ligne, const std::string& quoi) {
        if (r.fautes.size() < 20) r.fautes.push_back("ligne " + std::to_string(ligne) + " : " + quoi);
    };
    for (std::size_t i = 0; i < texte.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(texte[i]);
        if (c != '\n' && (c < 0x20 || c > 0x7E)) {
            faute(int(std::count(texte.begin(), texte.begin() + long(i), '\n')) + 1,
                  "octet " + std::to_string(c) + " hors de l'ASCII imprimable");
        }
    }
    if (texte.empty() || texte.back() != '\n') faute(0, "le fichier ne finit pas par une fin de ligne");

    const std::set<std::string> gConnus = {"0", "1", "2", "3", "4", "17", "21", "40", "49", "80", "90", "91.1", "94"};
    const std::set<std::string> mConnus = {"2", "3", "5", "30"};
    bool mm = false, absolu = false, surveille = false, broche = false, fin = false, xyConnu = false, zConnu = false;
    int mouvement = -1;  // 0 to 3
    double avance = 0.0, x = 0.0, y = 0.0, z = 0.0, s = 0.0;
    int64_t mouvements = 0;
    int m5 = -1;
    struct Hauteurs {
        int numero;
        double avant, apres;
    };
    std::vector<Hauteurs> hauteurs;
    std::vector<Mot> mots;
    int numero = 0;
    std::size_t debut = 0;
    while (debut < texte.size()) {
        const std::size_t nl = std::min(texte.find('\n', debut), texte.size());
        const std::string ligne = texte.substr(debut, nl - debut);
        debut = nl + 1;
        ++numero;
        ++r.lignes;
        if (ligne.size() > 80) faute(numero, "ligne de " + std::to_string(ligne.size()) + " octets");
        if (fin) faute(numero, "ligne après la fin du programme");
        if (!ligne.empty() && ligne.front() == '(') {
            if (ligne.back() != ')' || ligne.find_first_of("()", 1) != ligne.size() - 1)
                faute(numero, "commentaire mal fermé");
            for (const char c : std::string_view(ligne).substr(1, ligne.size() - 2))
                if (std::string_view(";!~?%").find(c) != std::string_view::npos)
                    faute(numero, std::string("caractère « ") + c + " » dans un commentaire");
            continue;
        }
        if (!LitMots(ligne, mots)) {
            faute(numero, "ligne illisible : " + ligne);
            continue;
        }
        std::optional<double> nx, ny, nz, ni, nj, np;
        int motionBloc = -1;
        bool g4 = false;
        for (const Mot& m : mots) {
            switch (m.lettre) {
                case 'G':
                    if (!gConnus.count(m.texte)) faute(numero, "G" + m.texte + " inconnu");
                    if (m.texte == "21") mm = true;
                    if (m.texte == "90") absolu = true;
                    if (m.texte == "40" || m.texte == "49" || m.texte == "80") surveille = true;
                    if (m.texte == "4") g4 = true;
                    if (m.valeur <= 3 && m.texte != "80") {
                        if (motionBloc >= 0) faute(numero, "deux mouvements dans un bloc");
                        motionBloc = int(m.valeur);
                    }
                    break;
                case 'M':
                    if (!mConnus.count(m.texte)) faute(numero, "M" + m.texte + " inconnu");
                    if (m.texte == "3") {
                        if (!(s > 0.0) && ligne.find(" S") == std::string::npos) faute(numero, "M3 sans vitesse");
                        broche = true;
                    }
                    if (m.texte == "5") {
                        broche = false;
                        m5 = numero;
                    }
                    if (m.texte == "2" || m.texte == "30") fin = true;
                    break;
                case 'S': s = m.valeur; break;
                case 'F':
                    if (!(m.valeur > 0.0)) faute(numero, "avance nulle");
                    avance = m.valeur;
                    break;
                case 'X': nx = m.valeur; break;
                case 'Y': ny = m.valeur; break;
                case 'Z': nz = m.valeur; break;
                case 'I': ni = m.valeur; break;
                case 'J': nj = m.valeur; break;
                case 'P': np = m.valeur; break;
                default: faute(numero, std::string("mot ") + m.lettre + " inconnu");
            }
        }
        if (g4 && (!np || *np < 0.0 || nx || ny || nz)) faute(numero, "G4 sans durée, ou avec des axes");
        if (np && !g4) faute(numero, "P sans G4");
        if (motionBloc >= 0) mouvement = motionBloc;
        const bool axes = nx || ny || nz;
        if (!axes) {
            if (ni || nj) faute(numero, "I ou J sans mouvement");
            continue;
        }
        if (g4) continue;
        if (mouvement < 0) {
            faute(numero, "axes sans mode de mouvement");
            continue;
        }
        if (!mm || !absolu || !surveille) faute(numero, "mouvement avant la ligne d'état (G21 G90 G40 G49 G80)");
        if (mouvement > 0 && !(avance > 0.0)) faute(numero, "mouvement d'avance sans avance");
        if ((ni || nj) != (mouvement >= 2)) faute(numero, "I et J vont avec G2 et G3 seulement");
        ++mouvements;
        if (mouvements == 1) {
            if (mouvement != 0 || nx || ny || !nz || !(*nz > 0.0))
                faute(numero, "le premier mouvement doit être G0 Z seul, au-dessus de la pièce");
            r.degagement = nz.value_or(0.0);
        }
        if ((nx || ny) && !xyConnu && !(nx && ny)) faute(numero, "premier mouvement XY sans X et Y");
        if (!zConnu && !nz) faute(numero, "mouvement XY avant tout Z");
        const double x1 = nx.value_or(x), y1 = ny.value_or(y), z1 = nz.value_or(z);
        const bool xy = xyConnu ? (x1 != x || y1 != y) : bool(nx || ny);
        const double H = r.degagement;
        if (mouvement == 0) {
            if (nz && z1 < H - 1e-9) faute(numero, "G0 plus bas que le dégagement");
            if (xy && zConnu && z < H - 1e-9) faute(numero, "G0 en XY sous le dégagement");
            if (nz && zConnu && z1 > z && !xy && mouvements > 1) ++r.remontees;
        } else if (xy && (z1 > 0.0 || z > 0.0) && z1 < H) {
            faute(numero, "déplacement XY entre la pièce et le dégagement");
        }
        if (xy && nz && mouvement != 0 && z1 != z) {
            // A cut that also changes depth: none is written, a ramp would need a check of its own.
            faute(numero, "mouvement en XY et en Z à la fois");
        }
        if (mouvement >= 2) {
            ++r.arcs;
            const double cx = x + ni.value_or(0.0), cy = y + nj.value_or(0.0);
            const double r0 = std::hypot(x - cx, y - cy), r1 = std::hypot(x1 - cx, y1 - cy);
            if (std::fabs(r0 - r1) > ToleranceRayon) faute(numero, "rayons de début et de fin différents");
            if (x1 == x && y1 == y) faute(numero, "arc d'un tour complet");
            const double a0 = std::atan2(y - cy, x - cx), a1 = std::atan2(y1 - cy, x1 - cx);
            double balayage = a1 - a0;
            if (mouvement == 3 && balayage <= 0.0) balayage += 2 * M_PI;
            if (mouvement == 2 && balayage >= 0.0) balayage -= 2 * M_PI;
            // The program fits arcs of at most half a turn: more is a rounding gone wrong.
            if (std::fabs(balayage) > M_PI + 0.01) faute(numero, "arc de plus d'un demi-tour");
            if (z1 < 0.0 && z1 == z) {
                const int n = std::max(1, int(std::ceil(std::fabs(balayage) / (M_PI / 720))));
                double px = x, py = y;
                for (int k = 1; k <= n; ++k) {
                    const double a = a0 + balayage * k / n;
                    const double qx = k == n ? x1 : cx + r0 * std::cos(a), qy = k == n ? y1 : cy + r0 * std::sin(a);
                    r.coupes.push_back({px, py, qx, qy, z1});
                    px = qx;
                    py = qy;
                }
            }
            r.avanceCoupe = avance;
        } else if (mouvement == 1) {
            if (xy && z1 < 0.0 && z1 == z) r.coupes.push_back({x, y, x1, y1, z1});
            (xy ? r.avanceCoupe : r.avancePlongee) = avance;
        }
        hauteurs.push_back({numero, zConnu ? z : z1, z1});
        if (zConnu && mouvement != 0 && nz && z1 > z && !xy && z1 > 0.0) faute(numero, "remontée hors matière en G1");
        x = x1;
        y = y1;
        z = z1;
        xyConnu = xyConnu || (nx && ny);
        zConnu = zConnu || bool(nz);
    }
    // The last cut is the last move that ends in the material; nothing goes down after it.
    int derniereCoupe = -1;
    std::size_t k = hauteurs.size();
    while (k > 0 && hauteurs[k - 1].apres > 0.0) --k;
    if (k > 0) derniereCoupe = hauteurs[k - 1].numero;
    for (; k < hauteurs.size(); ++k)
        if (hauteurs[k].apres < hauteurs[k].avant) faute(hauteurs[k].numero, "descente après la dernière coupe");
    if (!fin) faute(numero, "pas de M2 ni de M30");
    if (broche || m5 < derniereCoupe) faute(numero, "pas de M5 après la dernière coupe");
    if (z != r.degagement || x != 0.0 || y != 0.0) faute(numero, "la fin n'est pas au-dessus du zéro, au dégagement");
    return r;
}

std::vector<TronconCoupe> CoupesCUT(const std::string& texte) {
    std::vector<TronconCoupe> r;
    bool premier = true;
    double x = 0, y = 0, z = 0;
    std::size_t debut = 0;
    int numero = 0;
    while (debut < texte.size()) {
        const std::size_t fin = std::min(texte.find('\n', debut), texte.size());
        const std::string_view ligne(texte.data() + debut, fin - debut);
        debut = fin + 1;
        // After the header and its literal zero line, every line not a comment is a move.
        if (++numero <= 17 || !ligne.starts_with("T:")) continue;
        auto champ = [&](std::string_view nom) {
            const std::size_t i = ligne.find(nom);
            if (i == std::string_view::npos) return double(NAN);
            const std::size_t j = i + nom.size();
            return LecturePlain(ligne.substr(j, ligne.find_first_of(" \r", j) - j));
        };
        const double x1 = champ(" XG:"), y1 = champ(" YG:"), z1 = champ(" YD:");
        if (!premier && z1 == z && z1 < 0.0 && (x1 != x || y1 != y)) r.push_back({x, y, x1, y1, z1});
        premier = false;
        x = x1;
        y = y1;
        z = z1;
    }
    return r;
}

double EcartCoupes(const std::vector<TronconCoupe>& a, const std::vector<TronconCoupe>& b) {
    constexpr double Case = 1.0;
    struct Cle {
        int64_t x, y, z;
        bool operator==(const Cle&) const = default;
    };
    struct Hache {
        std::size_t operator()(const Cle& c) const {
            return std::hash<int64_t>()(c.x * 73856093 ^ c.y * 19349663 ^ c.z * 83492791);
        }
    };
    auto cle = [](double x, double y, double z) {
        return Cle{int64_t(std::floor(x / Case)), int64_t(std::floor(y / Case)), int64_t(std::llround(z * 1000))};
    };
    std::unordered_map<Cle, std::vector<std::size_t>, Hache> grille;
    for (std::size_t k = 0; k < b.size(); ++k) {
        const TronconCoupe& t = b[k];
        const auto [x0, y0, z] = cle(std::min(t.x0, t.x1) - 0.01, std::min(t.y0, t.y1) - 0.01, t.z);
        const auto [x1, y1, z1] = cle(std::max(t.x0, t.x1) + 0.01, std::max(t.y0, t.y1) + 0.01, t.z);
        for (int64_t i = x0; i <= x1; ++i)
            for (int64_t j = y0; j <= y1; ++j) grille[Cle{i, j, z}].push_back(k);
    }
    auto distance = [&](double px, double py, double pz) {
        const auto it = grille.find(cle(px, py, pz));
        double d = 1e18;  // squared
        if (it == grille.end()) return 1e9;
        for (const std::size_t k : it->second) {
            const TronconCoupe& t = b[k];
            const double dx = t.x1 - t.x0, dy = t.y1 - t.y0, l2 = dx * dx + dy * dy;
            const double u = l2 > 0.0 ? std::clamp(((px - t.x0) * dx + (py - t.y0) * dy) / l2, 0.0, 1.0) : 0.0;
            const double ex = px - t.x0 - u * dx, ey = py - t.y0 - u * dy;
            d = std::min(d, ex * ex + ey * ey);
        }
        return std::sqrt(d);
    };
    double pire = 0.0;
    for (const TronconCoupe& t : a) {
        const int n = std::max(1, int(std::ceil(std::hypot(t.x1 - t.x0, t.y1 - t.y0) / 0.1)));
        for (int k = 0; k <= n; ++k)
            pire = std::max(pire, distance(t.x0 + (t.x1 - t.x0) * k / n, t.y0 + (t.y1 - t.y0) * k / n, t.z));
    }
    return pire;
}

}  // namespace korvelin::test
