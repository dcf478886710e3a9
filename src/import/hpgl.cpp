#include "import/hpgl.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "import/diagnostic.h"
#include "import/limites.h"
#include "model/nombres.h"
#include "model/primitives.h"
#include "platform/fichier.h"

namespace korvelin {

namespace {

// An arc that sweeps more than a full turn only goes over the same circle again; a few
// turns are kept for files that really do that, and beyond them the sweep is cut so that
// one command (an "AA" of 1e300 degrees) cannot ask for an unbounded number of points.
constexpr double BalayageMaxDegres = 4.0 * 360.0;
constexpr double PasArc = 2.0 * Pi / 360.0;

constexpr char ETX = '\x03';  // ends a label until "DT" names another terminator
constexpr char ESC = '\x1b';

bool EstLettre(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool EstChiffre(char c) { return c >= '0' && c <= '9'; }
char Majuscule(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

constexpr int Mnemonique(char a, char b) { return (a << 8) | b; }

float Flottant(double v) { return static_cast<float>(CoordonneeBornee(v)); }

// 10^e; the powers a double holds exactly keep decimal coordinates correctly rounded.
double PuissanceDix(int64_t e) {
    static constexpr double exactes[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                         1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    if (e >= 0 && e <= 22) return exactes[e];
    return std::pow(10.0, static_cast<double>(e));
}

// One pass over the text: each command is two letters in either case followed by its
// parameters, which run up to ";" or to the letters of the next command. The pen moves
// become points as they are read; nothing of the text is copied or rewritten.
class Analyseur {
public:
    Analyseur(std::string_view texte, std::size_t maxPoints) : t_(texte), maxPoints_(maxPoints) {}

    CommandesHPGL Lit() {
        const std::size_t n = t_.size();
        // Drawing programs spend eight to fifteen characters per point; reserving for the
        // denser case spares the copies of a growing array on large files. Pages of the
        // reserve that no point reaches are never touched.
        Points().reserve(std::min(maxPoints_, n / 8));
        while (p_ < n && !resultat_.TropDePoints) {
            const char c = t_[p_];
            if (EstLettre(c) && p_ + 1 < n && EstLettre(t_[p_ + 1])) {
                const int code = Mnemonique(Majuscule(c), Majuscule(t_[p_ + 1]));
                p_ += 2;
                Commande(code);
            } else if (c == ESC) {
                SauteEchappement();
            } else if (c == '@' && t_.substr(p_ + 1, 3) == "PJL") {
                SauteJusqua('\n');  // the job header a printer driver puts before the plot
            } else {
                ++p_;  // separators between commands, stray characters
            }
        }
        resultat_.Points.resize(i_);
        return std::move(resultat_);
    }

private:
    std::string_view t_;
    std::size_t p_ = 0;  // reading position in the text
    std::size_t maxPoints_;
    CommandesHPGL resultat_;
    std::size_t i_ = 0;  // where the next point is written

    // The plotter's state. The position is kept apart from the points: relative moves,
    // arcs and circles start from it, and a few commands move it without drawing.
    double px_ = 0.0, py_ = 0.0;
    bool plumeBasse_ = false;
    bool relatif_ = false;
    char terminateur_ = ETX;
    double arcCx_ = 0.0, arcCy_ = 0.0, arcBalayage_ = 0.0;

    std::vector<PointTrace>& Points() { return resultat_.Points; }

    void Commande(int code) {
        switch (code) {
            case Mnemonique('P', 'U'):
                plumeBasse_ = false;
                Mouvements();
                break;
            case Mnemonique('P', 'D'):
                plumeBasse_ = true;
                Mouvements();
                break;
            case Mnemonique('P', 'A'):
                relatif_ = false;
                Mouvements();
                break;
            case Mnemonique('P', 'R'):
                relatif_ = true;
                Mouvements();
                break;
            case Mnemonique('C', 'I'): Cercle(); break;
            case Mnemonique('A', 'A'): Arc(false); break;
            case Mnemonique('A', 'R'): Arc(true); break;
            case Mnemonique('E', 'A'): Rectangle(false); break;
            case Mnemonique('E', 'R'): Rectangle(true); break;
            case Mnemonique('I', 'N'):
                px_ = py_ = 0.0;
                plumeBasse_ = relatif_ = false;
                terminateur_ = ETX;
                SauteParametres();
                break;
            case Mnemonique('D', 'F'):
                terminateur_ = ETX;
                SauteParametres();
                break;
            case Mnemonique('D', 'T'):
                // The character right after the letters; "DT;" restores ETX.
                terminateur_ = (p_ < t_.size() && t_[p_] != ';') ? t_[p_++] : ETX;
                SauteParametres();
                break;
            case Mnemonique('L', 'B'):
            case Mnemonique('B', 'L'):
            case Mnemonique('W', 'D'): SauteJusqua(terminateur_); break;
            case Mnemonique('P', 'E'): SauteJusqua(';'); break;  // encoded: letters are data
            case Mnemonique('S', 'M'):
                // The symbol is any printing character, a letter or a digit included.
                if (p_ < t_.size() && t_[p_] > ' ' && t_[p_] < 127 && t_[p_] != ';') ++p_;
                SauteParametres();
                break;
            default: SauteParametres();
        }
    }

    // --- Parameters ---

    // The next number of the current command. False once the command ends: at ";"
    // (passed over), at the letters of the next command, or at the end of the text.
    bool Parametre(double& v) {
        const std::size_t n = t_.size();
        while (p_ < n) {
            const char c = t_[p_];
            if (EstChiffre(c) || c == '-' || c == '+' || c == '.') {
                if (Nombre(v)) return true;
                ++p_;  // a sign or a point without digits
            } else if (c == ';') {
                ++p_;
                return false;
            } else if (EstLettre(c)) {
                return false;
            } else if (c == ESC) {
                SauteEchappement();
            } else if (c == '"') {
                ++p_;
                SauteJusqua('"');  // a quoted name may hold letters
            } else {
                ++p_;  // commas, blanks, tabs, line breaks and stray bytes separate numbers
            }
        }
        return false;
    }

    // Sign, digits, optional decimals. The first 19 significant digits make the value,
    // later ones only its magnitude, so a thousand-digit number costs no more than its
    // length and ends as a huge value that the coordinate bound stops.
    bool Nombre(double& v) {
        const std::size_t n = t_.size();
        std::size_t q = p_;
        const bool negatif = t_[q] == '-';
        if (t_[q] == '-' || t_[q] == '+') ++q;
        uint64_t mantisse = 0;
        int64_t exposant = 0;
        int significatifs = 0;
        bool chiffres = false;
        for (; q < n && EstChiffre(t_[q]); ++q) {
            chiffres = true;
            if (significatifs < 19) {
                mantisse = mantisse * 10 + static_cast<uint64_t>(t_[q] - '0');
                if (mantisse != 0) ++significatifs;
            } else {
                ++exposant;
            }
        }
        if (q < n && t_[q] == '.') {
            for (++q; q < n && EstChiffre(t_[q]); ++q) {
                chiffres = true;
                if (significatifs < 19) {
                    mantisse = mantisse * 10 + static_cast<uint64_t>(t_[q] - '0');
                    if (mantisse != 0) ++significatifs;
                    --exposant;
                }
            }
        }
        if (!chiffres) return false;
        p_ = q;
        double x = static_cast<double>(mantisse);
        if (exposant > 0) x *= PuissanceDix(exposant);
        if (exposant < 0) x /= PuissanceDix(-exposant);
        v = negatif ? -x : x;
        return true;
    }

    void SauteParametres() {
        double v;
        while (Parametre(v)) {
        }
    }

    // Reads all the parameters of the command and keeps the first max of them.
    int Parametres(double* v, int max) {
        int nb = 0;
        double x;
        while (Parametre(x)) {
            if (nb < max) v[nb] = x;
            if (nb <= max) ++nb;
        }
        return nb;
    }

    // Up to the character and past it, or to the end of the text when it never comes.
    void SauteJusqua(char c) {
        const std::size_t fin = t_.find(c, p_);
        p_ = fin == std::string_view::npos ? t_.size() : fin + 1;
    }

    // Escape sequences meant for the plotter's interface or for a printer's other
    // languages. They may come anywhere, even between two parameters, and say nothing
    // about the drawing.
    void SauteEchappement() {
        const std::size_t n = t_.size();
        ++p_;
        if (p_ >= n) return;
        const char c = t_[p_];
        if (c == '.') {
            // Device control: ".", a character, then numbers up to ":" ("ESC.I81;;17:").
            p_ = std::min(n, p_ + 2);
            while (p_ < n && (EstChiffre(t_[p_]) || t_[p_] == ';' || t_[p_] == ' ')) ++p_;
            if (p_ < n && t_[p_] == ':') ++p_;
        } else if (c == '%') {
            // Language switch: "ESC%0B", "ESC%-12345X".
            ++p_;
            while (p_ < n && (EstChiffre(t_[p_]) || t_[p_] == '-' || t_[p_] == '+')) ++p_;
            if (p_ < n && EstLettre(t_[p_])) ++p_;
        } else if (c >= '!' && c <= '/') {
            // Printer command with values ("ESC&l1O", "ESC*b12W" and its 12 bytes of
            // data): each value ends with a letter, a capital ends the sequence.
            p_ = std::min(n, p_ + 2);
            while (p_ < n) {
                uint64_t valeur = 0;
                while (p_ < n && (EstChiffre(t_[p_]) || t_[p_] == '-' || t_[p_] == '+' || t_[p_] == '.')) {
                    if (EstChiffre(t_[p_]) && valeur < n) valeur = valeur * 10 + static_cast<uint64_t>(t_[p_] - '0');
                    ++p_;
                }
                if (p_ >= n || !EstLettre(t_[p_])) return;
                const char lettre = t_[p_++];
                if (lettre == 'W' || lettre == 'w') p_ += std::min<uint64_t>(valeur, n - p_);
                if (lettre >= 'A' && lettre <= 'Z') return;
            }
        } else if (c >= '0' && c <= '~') {
            ++p_;  // two characters, such as the printer reset "ESC E"
        }
    }

    // --- Points ---

    // Writes at index i, growing the array by one when i is just past its end; the point
    // is kept only once i moves past it.
    bool Ecrit(const PointTrace& p) {
        auto& pts = Points();
        if (i_ < pts.size()) {
            pts[i_] = p;
            return true;
        }
        if (pts.size() >= maxPoints_) {
            resultat_.TropDePoints = true;
            resultat_.OctetArret = p_;
            return false;
        }
        pts.push_back(p);
        return true;
    }

    bool Ajoute(const PointTrace& p) {
        if (!Ecrit(p)) return false;
        ++i_;
        return true;
    }

    // A point of a pen command. A second point at the origin is overwritten by the next one.
    bool Pose(double x, double y, Code2 plume) {
        const float fx = Flottant(x), fy = Flottant(y);
        if (!Ecrit(PointTrace{fx, fy, plume, {}})) return false;
        if (!(i_ == 1 && fx == 0.0f && fy == 0.0f)) ++i_;
        return true;
    }

    // The pen's position as a pen-up point, when no point marks it (after "IN" or a circle).
    bool MarquePosition() { return SurPosition() || Ajoute(PointTrace{Flottant(px_), Flottant(py_), PlumeHaute, {}}); }

    // Whether the last point written stands where the pen is.
    bool SurPosition() {
        const PointTrace& p = Points()[i_ - 1];
        return p.X == static_cast<float>(px_) && p.Y == static_cast<float>(py_);
    }

    // Before a pen-down stroke to (x, y): the stroke starts where the pen is, and a pen-up
    // point there gets its pen-down copy, so that the stroke opens a new trace.
    bool DebutTrait(float x, float y) {
        if (i_ == 0) return true;
        if (!MarquePosition()) return false;
        const PointTrace precedent = Points()[i_ - 1];
        if (precedent.Plume == PlumeHaute && (x != precedent.X || y != precedent.Y))
            return Ajoute(PointTrace{precedent.X, precedent.Y, PlumeBasse, {}});
        return true;
    }

    bool Deplace(double x, double y) {
        x = CoordonneeBornee(x);
        y = CoordonneeBornee(y);
        if (plumeBasse_ && !DebutTrait(static_cast<float>(x), static_cast<float>(y))) return false;
        if (!Pose(x, y, plumeBasse_ ? PlumeBasse : PlumeHaute)) return false;
        px_ = x;
        py_ = y;
        return true;
    }

    // "PU", "PD", "PA", "PR": every pair is one move with the pen as it now is.
    void Mouvements() {
        double x, y;
        while (Parametre(x) && Parametre(y)) {
            if (relatif_) {
                x += px_;
                y += py_;
            }
            if (!Deplace(x, y)) return;
        }
    }

    // "EA" and "ER": the outline of the rectangle whose opposite corner is given, drawn
    // pen down whatever the pen's state; the pen ends where it was. Plotting libraries
    // write every box this way.
    void Rectangle(bool relatif) {
        double v[2];
        if (Parametres(v, 2) < 2) return;
        const double x0 = px_, y0 = py_;
        const double x = relatif ? x0 + v[0] : v[0], y = relatif ? y0 + v[1] : v[1];
        const bool plume = plumeBasse_;
        plumeBasse_ = true;
        const bool ok = Deplace(x, y0) && Deplace(x, y) && Deplace(x0, y) && Deplace(x0, y0);
        plumeBasse_ = plume;
        if (ok && !plume) Deplace(x0, y0);  // a pen-up mark: the next stroke is a trace of its own
    }

    void Cercle() {
        double v[2];
        if (Parametres(v, 2) == 0) return;  // the chord angle is not used
        const double r = CoordonneeBornee(v[0]);
        if (r == 0.0) return;
        const double cx = static_cast<float>(px_), cy = static_cast<float>(py_);
        bool leve = false;
        if (i_ > 0) {
            if (SurPosition()) {
                // The circle's first point replaces its centre.
                leve = Points()[i_ - 1].Plume == PlumeHaute;
                --i_;
            } else {
                leve = true;
            }
        }
        // A centre reached pen-up keeps the pen up as far as the circle: otherwise the
        // circle would join the trace before it through a cut across the part.
        if (leve && !Ajoute(PointTrace{Flottant(cx + r), Flottant(cy), PlumeHaute, {}})) return;
        for (int a = 0; a <= 360; ++a) {
            const double angle = a * Pi / 180.0;
            if (!Ajoute(
                    PointTrace{Flottant(cx + r * std::cos(angle)), Flottant(cy + r * std::sin(angle)), PlumeBasse, {}}))
                return;
        }
        // The plotter brings the pen back to the centre, pen up.
        px_ = cx;
        py_ = cy;
    }

    // "AA" (absolute centre) and "AR" (centre relative to the pen): centre, sweep in
    // degrees, optional chord angle. Without parameters the previous arc is drawn again.
    void Arc(bool relatif) {
        double v[4];
        const int nb = Parametres(v, 4);
        if (nb == 1 || nb == 2) return;
        if (nb >= 3) {
            arcCx_ = CoordonneeBornee(v[0] + (relatif ? px_ : 0.0));
            arcCy_ = CoordonneeBornee(v[1] + (relatif ? py_ : 0.0));
            arcBalayage_ = std::fmax(-BalayageMaxDegres, std::fmin(BalayageMaxDegres, v[2]));
        }
        if (plumeBasse_ && i_ > 0 && !MarquePosition()) return;
        const PointTrace p{static_cast<float>(px_), static_cast<float>(py_), {}, {}};
        const PointTrace centre{static_cast<float>(arcCx_), static_cast<float>(arcCy_), {}, {}};
        const double r = Distance(centre, p);
        double debut = 0.0;
        AngleSegment(centre, p, debut);
        const double balayage = arcBalayage_ * Pi / 180.0;
        const double fin = debut + balayage;
        if (!plumeBasse_) {
            Deplace(arcCx_ + r * std::cos(fin), arcCy_ + r * std::sin(fin));
            return;
        }
        // The counted loop cannot run longer than the capped sweep allows; the guard only
        // protects against rounding in the accumulated angle.
        const int garde = static_cast<int>(BalayageMaxDegres) + 3;
        int nbPas = 0;
        double dernier = debut;
        if (balayage <= 0.0) {
            for (double a = debut; a >= fin && nbPas < garde; a -= PasArc, ++nbPas) {
                if (!PointArc(a, r)) return;
                dernier = a;
            }
        } else {
            for (double a = debut; a <= fin && nbPas < garde; a += PasArc, ++nbPas) {
                if (!PointArc(a, r)) return;
                dernier = a;
            }
        }
        // A sweep that is not a whole number of steps still ends where the plotter stops.
        if (std::fabs(fin - dernier) > 1e-9 && !PointArc(fin, r)) return;
        px_ = Points()[i_ - 1].X;
        py_ = Points()[i_ - 1].Y;
    }

    bool PointArc(double a, double r) {
        return Ajoute(
            PointTrace{Flottant(arcCx_ + r * std::cos(a)), Flottant(arcCy_ + r * std::sin(a)), PlumeBasse, {}});
    }
};

bool APlumeBasse(const std::vector<PointTrace>& points) {
    for (const PointTrace& p : points)
        if (p.Plume == PlumeBasse) return true;
    return false;
}

// The extent of what the pen draws. Pen-up points only mark where strokes start (each
// has its pen-down copy) or where the pen travels to, often its parking place at the
// plotter's origin: counted, they would grow the size the rescaling dialog shows and
// keep the drawing away from the origin.
BornesImport BornesPoints(const std::vector<PointTrace>& points) {
    BornesImport b;
    bool premier = true;
    for (const PointTrace& p : points) {
        if (p.Plume != PlumeBasse) continue;
        if (premier || p.X < b.Xmin) b.Xmin = p.X;
        if (premier || p.X > b.Xmax) b.Xmax = p.X;
        if (premier || p.Y < b.Ymin) b.Ymin = p.Y;
        if (premier || p.Y > b.Ymax) b.Ymax = p.Y;
        premier = false;
    }
    return b;
}

}  // namespace

CommandesHPGL AnalyseTexteHPGL(std::string_view texte, std::size_t maxPoints) {
    return Analyseur(texte, maxPoints).Lit();
}

// Line number of a byte, counting LF, CR LF and a lone CR as line ends.
std::size_t LigneDeLOctet(std::string_view texte, std::size_t octet) {
    std::size_t ligne = 1;
    for (std::size_t i = 0; i < octet && i < texte.size(); ++i)
        if (texte[i] == '\n' || (texte[i] == '\r' && (i + 1 >= texte.size() || texte[i + 1] != '\n'))) ++ligne;
    return ligne;
}

DessinLu LitHPGL(std::string_view texte, std::string_view nomFichier) {
    CommandesHPGL commandes = AnalyseTexteHPGL(texte);
    if (commandes.TropDePoints)
        return RefusLu(Refus(nomFichier, MessageTropDePoints, LigneDeLOctet(texte, commandes.OctetArret),
                             "au-delà, le dessin ne tient plus en mémoire"));
    if (!APlumeBasse(commandes.Points))
        return RefusLu(Refus(nomFichier, Inexploitable, 0,
                             "ses " + TexteEntier(texte.size()) +
                                 " octets ne tracent rien plume baissée (commandes PD, PA, PR, CI, AA, AR, "
                                 "EA ou ER)"));
    DessinLu l;
    l.Points = std::move(commandes.Points);
    l.Bornes = BornesPoints(l.Points);
    return l;
}

DessinLu LitFichierHPGL(const std::string& chemin) {
    const std::optional<std::string> texte = LireFichier(chemin);
    if (!texte) return RefusLu(Erreur("Impossible de lire le fichier " + chemin, chemin));
    return LitHPGL(*texte, chemin);
}

}  // namespace korvelin
