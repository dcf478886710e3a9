#include "machining/gcode.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <tuple>

#include "geometry/attaches.h"
#include "machining/flux_fichier.h"
#include "machining/gcode_arcs.h"
#include "model/nombres.h"
#include "model/noms_fichiers.h"
#include "platform/utf8.h"

namespace korvelin {

void AjouteNombreGCode(std::string& sortie, double v) {
    const std::size_t debut = sortie.size();
    AjouteNombreCUT(sortie, v);
    // Three decimals follow the "." of every finite value; the zeros among them say nothing.
    if (sortie.find('.', debut) == std::string::npos) return;
    while (sortie.back() == '0') sortie.pop_back();
    if (sortie.back() == '.') sortie.pop_back();
}

std::optional<DialecteGCode> LectureDialecte(std::string_view texte) {
    const std::string t = EnMajuscules(texte);
    if (t == "GRBL") return DialecteGCode::GRBL;
    if (t == "LINUXCNC") return DialecteGCode::LinuxCNC;
    return std::nullopt;
}

namespace {

// The letters of French and its neighbours without their accents; signs that have a plain
// counterpart get it, everything else goes.
std::string_view SansAccent(char32_t c) {
    switch (c) {
        case U'à':
        case U'â':
        case U'ä':
        case U'á':
        case U'ã':
        case U'å': return "a";
        case U'À':
        case U'Â':
        case U'Ä':
        case U'Á':
        case U'Ã':
        case U'Å': return "A";
        case U'é':
        case U'è':
        case U'ê':
        case U'ë': return "e";
        case U'É':
        case U'È':
        case U'Ê':
        case U'Ë': return "E";
        case U'î':
        case U'ï':
        case U'í':
        case U'ì': return "i";
        case U'Î':
        case U'Ï':
        case U'Í':
        case U'Ì': return "I";
        case U'ô':
        case U'ö':
        case U'ó':
        case U'ò':
        case U'õ':
        case U'ø': return "o";
        case U'Ô':
        case U'Ö':
        case U'Ó':
        case U'Ò':
        case U'Õ':
        case U'Ø': return "O";
        case U'ù':
        case U'û':
        case U'ü':
        case U'ú': return "u";
        case U'Ù':
        case U'Û':
        case U'Ü':
        case U'Ú': return "U";
        case U'ç': return "c";
        case U'Ç': return "C";
        case U'ñ': return "n";
        case U'Ñ': return "N";
        case U'ÿ':
        case U'ý': return "y";
        case U'Ÿ':
        case U'Ý': return "Y";
        case U'œ': return "oe";
        case U'Œ': return "OE";
        case U'æ': return "ae";
        case U'Æ': return "AE";
        case U'ß': return "ss";
        case U'«':
        case U'»':
        case U'“':
        case U'”':
        case U'„': return "\"";
        case U'‘':
        case U'’':
        case U'‚': return "'";
        case U'–':
        case U'—':
        case U'−': return "-";
        case U'…': return "...";
        case U'×': return "x";
        case U'°': return " deg";
        case U'\u00A0':
        case U'\u202F':
        case U'\u2009':
        case U'\t': return " ";
        default: return {};
    }
}

// Characters that a controller reads even inside a comment, or that end one.
bool Interdit(char c) {
    switch (c) {
        case '(':
        case ')':
        case ';':
        case '!':
        case '~':
        case '?':
        case '%': return true;
        default: return false;
    }
}

}  // namespace

std::string TexteCommentaireGCode(std::string_view utf8) {
    std::string r;
    for (std::size_t i = 0; i < utf8.size();) {
        const char32_t c = CaractereUtf8Suivant(utf8, i);
        if (c >= 0x20 && c < 0x7F) {
            if (!Interdit(static_cast<char>(c))) r.push_back(static_cast<char>(c));
        } else {
            r.append(SansAccent(c));
        }
    }
    if (r.size() > LongueurLigneGCode - 2) r.resize(LongueurLigneGCode - 2);
    return r;
}

namespace {

// The thousandths of a millimetre that the CUT file would write for v: the exact binary
// value, halves to the even neighbour. Every position of the program goes through them,
// so the program's arcs are checked on the numbers the controller reads.
int64_t Milliemes(double v) {
    // The travel check keeps every position on the machine; a settings file claiming a
    // travel of light-years must still not overflow the integer.
    constexpr double Limite = 1e9;  // mm
    if (!(std::fabs(v) <= Limite)) v = std::isnan(v) ? 0.0 : std::copysign(Limite, v);
    const double p = v * 1000.0;
    const double e = std::fma(v, 1000.0, -p);
    double n = std::nearbyint(p);
    if (p - std::floor(p) == 0.5 && e != 0.0) n = e > 0.0 ? std::floor(p) + 1.0 : std::floor(p);
    return static_cast<int64_t>(n);
}

void AjouteMilliemes(std::string& s, int64_t m) {
    if (m < 0) s.push_back('-');
    const uint64_t a = m < 0 ? uint64_t(0) - uint64_t(m) : uint64_t(m);
    char tampon[24];
    const auto fin = std::to_chars(tampon, tampon + sizeof tampon, a / 1000).ptr;
    s.append(tampon, fin);
    uint64_t f = a % 1000;
    if (f == 0) return;
    s.push_back('.');
    for (uint64_t p = 100; f != 0; p /= 10) {
        s.push_back(static_cast<char>('0' + f / p));
        f %= p;
    }
}

std::string Nombre(double v) {
    std::string r;
    AjouteNombreGCode(r, v);
    return r;
}

// A value of the job in the unit the user gives it: nothing when the text is empty, NaN
// when it is not a positive number.
std::optional<double> LecturePositive(std::string_view texte) {
    if (texte.find_first_not_of(' ') == std::string_view::npos) return std::nullopt;
    const double v = LectureSaisie(texte);
    return std::isfinite(v) && v > 0.0 ? v : NAN;
}

// The job as the G-code states it: feeds in mm/min, spindle in tr/min, wait in s.
struct ReglagesGCode {
    double coupe, plongee, descente;
    bool coupeDonnee, plongeeDonnee;
    std::optional<double> broche;
    double attente;
};

// Far beyond any mill, a typing slip rather than a wish.
constexpr double AvanceMax = 100000.0;  // mm/min
constexpr double AttenteMax = 60.0;     // s
constexpr double BrocheMax = 100000.0;  // tr/min

std::optional<std::string> LectureReglages(const TravailCUT& t, const VitessesTravail& v, ReglagesGCode& r) {
    // Written to the thousandth, a lower clearance would read as the surface itself.
    if (Milliemes(LectureSaisie(t.HautDeg)) < 1)
        return "La hauteur de dégagement « " + t.HautDeg + " » doit atteindre au moins 0,001 mm dans le G-code !";
    r.broche = LecturePositive(t.VitesseBroche);
    if (r.broche && !(*r.broche <= BrocheMax))
        return "La vitesse de broche « " + t.VitesseBroche +
               " » n'est pas un nombre de tours par minute positif, au plus 100000 !";
    const std::optional<double> coupe = LecturePositive(t.AvanceCoupe);
    const std::optional<double> plongee = LecturePositive(t.AvancePlongee);
    for (const auto& [valeur, texte, nom] :
         {std::tuple{coupe, &t.AvanceCoupe, "de coupe"}, std::tuple{plongee, &t.AvancePlongee, "de plongée"}})
        if (valeur && !(*valeur <= AvanceMax))
            return "L'avance " + std::string(nom) + " « " + *texte +
                   " » doit être un nombre de mm/min positif, au plus 100000 !";
    r.coupeDonnee = coupe.has_value();
    r.plongeeDonnee = plongee.has_value();
    r.coupe = coupe ? *coupe : v.Coupe() * 60.0;
    r.plongee = plongee ? *plongee : v.matZ * 60.0;
    r.descente = v.descente * 60.0;
    const bool videAttente = t.TemporisationBroche.find_first_not_of(' ') == std::string::npos;
    r.attente = videAttente ? 0.0 : LectureSaisie(t.TemporisationBroche);
    if (!(r.attente >= 0.0 && r.attente <= AttenteMax))
        return "L'attente après la mise en marche de la broche « " + t.TemporisationBroche +
               " » doit être un nombre de secondes de 0 à 60 !";
    return std::nullopt;
}

// The program's lines, with the state a controller keeps: the position in thousandths,
// the feed. A move that changes nothing gives no line; a feed is written when it changes.
class Programme {
public:
    Programme(FluxFichier& flux, bool commentaires, const VitessesTravail& v, TotauxCUT& totaux, const SuiviCUT& suivi)
        : flux_(flux),
          s_(flux.tampon),
          commentaires_(commentaires),
          rapideXY_(v.Deplacement() * 60.0),
          rapideZ_(v.descente * 60.0),
          totaux_(totaux),
          suivi_(suivi),
          prochainSuivi_(std::chrono::steady_clock::now() + Intervalle) {}

    int64_t sorties = 0;  // rises to the clearance height

    void Commentaire(std::string_view texte) {
        if (!commentaires_) return;
        s_.push_back('(');
        s_.append(TexteCommentaireGCode(texte));
        s_.append(")\n");
    }

    void Code(std::string_view ligne) {
        s_.append(ligne);
        s_.push_back('\n');
        Verse();
    }

    // G0 to the given axes; a rise alone counts as an exit from the material's level.
    void Rapide(std::optional<double> x, std::optional<double> y, std::optional<double> z) {
        const Cible c = Vise(x, y, z);
        if (!c.change) return;
        if (z && !x && !y && connu_ && c.z > z_) ++sorties;
        Debut("G0", c);
        Fin(c, 0.0, 0.0);
    }

    void Lineaire(std::optional<double> x, std::optional<double> y, std::optional<double> z, double avance) {
        const Cible c = Vise(x, y, z);
        if (!c.change) return;
        Debut("G1", c);
        Fin(c, avance, 0.0);
    }

    // G2/G3 to (x, y) around (cx, cy) at the current height. False, with nothing written,
    // when the numbers written would fail a controller's radius check.
    bool Arc(bool horaire, double x, double y, double cx, double cy, double avance) {
        const Cible c = Vise(x, y, std::nullopt);
        if (!c.change || !connu_) return false;
        // Of the centres within a thousandth of the true one, the one whose radii to the
        // written ends agree best.
        const int64_t mx = Milliemes(cx), my = Milliemes(cy);
        int64_t ox = mx, oy = my;
        double ecart = 1e300, r0 = 0.0;
        for (int64_t dx = -1; dx <= 1; ++dx)
            for (int64_t dy = -1; dy <= 1; ++dy) {
                const double ax = double(x_ - mx - dx), ay = double(y_ - my - dy);
                const double bx = double(c.x - mx - dx), by = double(c.y - my - dy);
                const double ra = std::sqrt(ax * ax + ay * ay) / 1000.0, rb = std::sqrt(bx * bx + by * by) / 1000.0;
                if (std::fabs(ra - rb) < ecart) {
                    ecart = std::fabs(ra - rb);
                    ox = mx + dx;
                    oy = my + dy;
                    r0 = ra;
                }
            }
        if (!(ecart <= ToleranceRayon) || !(r0 > 0.0)) return false;
        const double i = double(ox - x_) / 1000.0, j = double(oy - y_) / 1000.0;
        const double ex = double(c.x - ox) / 1000.0, ey = double(c.y - oy) / 1000.0;
        // The length of the arc the controller will run, for the totals.
        const double croix = -i * ey + j * ex, point = -i * ex - j * ey;
        double angle = std::atan2(horaire ? -croix : croix, point);
        if (angle <= 0.0) angle += 2.0 * std::acos(-1.0);
        // An arc of a hair whose rounded end fell behind its start would be read as a
        // whole turn: the fitted arcs never exceed half a turn, the written ones neither.
        if (!(angle <= std::acos(-1.0) + 0.01)) return false;
        s_.append(horaire ? "G2" : "G3");
        Axes(c);
        s_.append(" I");
        AjouteMilliemes(s_, ox - x_);
        s_.append(" J");
        AjouteMilliemes(s_, oy - y_);
        Fin(c, avance, r0 * angle);
        return true;
    }

private:
    struct Cible {
        int64_t x, y, z;
        bool ax, ay, az, change;
    };
    static constexpr std::chrono::milliseconds Intervalle{100};
    // Well within the controllers' 0.005 mm: what the radii differ by, the path may stray.
    static constexpr double ToleranceRayon = 0.001;

    FluxFichier& flux_;
    std::string& s_;
    const bool commentaires_;
    const double rapideXY_, rapideZ_;  // mm/min, for the totals
    TotauxCUT& totaux_;
    const SuiviCUT& suivi_;
    std::chrono::steady_clock::time_point prochainSuivi_;
    uint32_t lignes_ = 0;
    bool connu_ = false;  // XY known: Z always is once the first move is made
    bool zConnu_ = false;
    int64_t x_ = 0, y_ = 0, z_ = 0;
    double avance_ = 0.0;

    Cible Vise(std::optional<double> x, std::optional<double> y, std::optional<double> z) const {
        Cible c{x ? Milliemes(*x) : x_, y ? Milliemes(*y) : y_, z ? Milliemes(*z) : z_, false, false, false, false};
        c.ax = x && (!connu_ || c.x != x_);
        c.ay = y && (!connu_ || c.y != y_);
        c.az = z && (!zConnu_ || c.z != z_);
        c.change = c.ax || c.ay || c.az;
        return c;
    }

    void Debut(const char* g, const Cible& c) {
        s_.append(g);
        Axes(c);
    }

    void Axes(const Cible& c) {
        if (c.ax) {
            s_.append(" X");
            AjouteMilliemes(s_, c.x);
        }
        if (c.ay) {
            s_.append(" Y");
            AjouteMilliemes(s_, c.y);
        }
        if (c.az) {
            s_.append(" Z");
            AjouteMilliemes(s_, c.z);
        }
    }

    // The feed, the line end, the totals; `arc` is the length of an arc move, 0 otherwise.
    void Fin(const Cible& c, double avance, double arc) {
        if (avance > 0.0 && avance != avance_) {
            s_.append(" F");
            AjouteNombreGCode(s_, avance);
            avance_ = avance;
        }
        s_.push_back('\n');
        // Every job starts over the zero, the surface under the tool.
        const double dx = double(c.x - x_) / 1000.0, dy = double(c.y - y_) / 1000.0;
        const double dz = double(c.z - z_) / 1000.0;
        const double xy = arc > 0.0 ? arc : std::sqrt(dx * dx + dy * dy);
        totaux_.LongueurParcours += xy;
        if (avance > 0.0) {
            totaux_.TempsFraisage += std::sqrt(xy * xy + dz * dz) / avance * 60.0;
        } else {
            totaux_.TempsFraisage += xy / rapideXY_ * 60.0 + std::fabs(dz) / rapideZ_ * 60.0;
        }
        if (c.ax || c.ay) connu_ = connu_ || (c.ax && c.ay);
        x_ = c.x;
        y_ = c.y;
        z_ = c.z;
        zConnu_ = zConnu_ || c.az;
        Verse();
    }

    void Verse() {
        flux_.Verse();
        if (suivi_ && (++lignes_ & 1023) == 0) {
            const auto maintenant = std::chrono::steady_clock::now();
            if (maintenant >= prochainSuivi_) {
                suivi_(totaux_);
                prochainSuivi_ = maintenant + Intervalle;
            }
        }
    }
};

// The pieces fitted to the path stay this close to it. The rounding to thousandths of both
// files and of an arc's centre add up to two thousandths more, so the program follows the
// CUT file's path within 0.005 mm.
constexpr double ToleranceAjustement = 0.0025;

// The cut at one height from where the tool stands through `points`: arcs and long lines
// where they fit, the segments themselves elsewhere.
void Coupe(Programme& prog, const PointsChemin& points, double avance) {
    if (points.size() < 2) return;
    std::size_t debut = 0;
    for (const PieceChemin& piece : AjustePieces(points, ToleranceAjustement)) {
        const PointPlan b = points[piece.fin];
        const bool arc = piece.nature != PieceChemin::Nature::Ligne;
        if (!arc || !prog.Arc(piece.nature == PieceChemin::Nature::ArcHoraire, b.x, b.y, piece.centre.x, piece.centre.y,
                              avance)) {
            // An arc whose written numbers would not hold goes as its segments.
            for (std::size_t j = arc ? debut + 1 : piece.fin; j <= piece.fin; ++j) {
                const PointPlan p = points[j];
                prog.Lineaire(p.x, p.y, std::nullopt, avance);
            }
        }
        debut = piece.fin;
    }
}

void EnTete(Programme& prog, const PosteTravail& poste, const TravailCUT& t, const ReglagesGCode& r,
            DialecteGCode dialecte) {
    const int32_t n = t.NbPasse < 1 ? 1 : t.NbPasse;
    prog.Commentaire("Fichier créé à l'aide de Korvelin version " + std::string(TexteVersion()) +
                     (dialecte == DialecteGCode::GRBL ? " pour GRBL" : " pour LinuxCNC"));
    prog.Commentaire("Dessin : " + NomSansDossier(poste.dessin.NomFichier));
    prog.Commentaire("Rayon de la fraise : " + Nombre(poste.parametres.RayonFraise) + " mm");
    prog.Commentaire("Hauteur de dégagement : " + Nombre(LectureSaisie(t.HautDeg)) + " mm");
    prog.Commentaire("Profondeur de fraisage : " + Nombre(LectureSaisie(t.ProfFraisage)) + " mm");
    prog.Commentaire("Nombre de passes : " + TexteEntier(n));
    prog.Commentaire("Marge en X : " + Nombre(LectureSaisie(t.MargeX)) +
                     " mm, marge en Y : " + Nombre(LectureSaisie(t.MargeY)) + " mm");
    prog.Commentaire("Avance de coupe : " + Nombre(r.coupe) + " mm/min" +
                     (r.coupeDonnee ? " [réglée]" : " [temps mini matière X, Y]"));
    prog.Commentaire("Avance de plongée : " + Nombre(r.plongee) + " mm/min" +
                     (r.plongeeDonnee ? " [réglée]" : " [temps mini matière Z]"));
    prog.Commentaire("Descente jusqu'à la matière : " + Nombre(r.descente) + " mm/min");
    if (t.attaches.Actives())
        prog.Commentaire("Attaches : " + TexteEntier(t.attaches.nombre) + " par contour, largeur " +
                         Nombre(t.attaches.largeur) + " mm, hauteur " + Nombre(t.attaches.hauteur) + " mm");
    prog.Commentaire(r.broche ? "Broche : " + Nombre(*r.broche) + " tr/min, attente " + Nombre(r.attente) + " s"
                              : std::string("Broche non commandée par le programme"));
    // Whatever an earlier program left: millimetres, absolute, XY plane, feed per minute,
    // no cutter or length compensation, no canned cycle, and for LinuxCNC arc centres
    // relative to the start, the only mode GRBL has.
    prog.Code(dialecte == DialecteGCode::GRBL ? "G21 G90 G17 G94 G40 G49 G80" : "G21 G90 G91.1 G17 G94 G40 G49 G80");
}

// The whole program: up alone, spindle, each trace, its passes one after the other
// without leaving a closed contour, and back over the zero at the clearance height.
void Corps(Programme& prog, const Dessin& d, const TravailCUT& t, const ReglagesGCode& r) {
    const double H = LectureSaisie(t.HautDeg);
    const double P = LectureSaisie(t.ProfFraisage);
    const int32_t N = t.NbPasse < 1 ? 1 : t.NbPasse;
    const double MX = LectureSaisie(t.MargeX);
    const double MY = LectureSaisie(t.MargeY);

    prog.Rapide(std::nullopt, std::nullopt, H);
    if (r.broche) {
        prog.Code("M3 S" + Nombre(*r.broche));
        if (r.attente > 0.0) prog.Code("G4 P" + Nombre(r.attente));
    }
    const std::vector<std::vector<SpanAttache>> attaches = PlaceAttaches(d, t.attaches);
    const double zAttache = HauteurAttache(P, t.attaches);
    std::vector<PointPlan> passe;
    const std::size_t nbTraces = d.NbSequencesDecalees();
    for (std::size_t k = 0; k < nbTraces; ++k) {
        const std::vector<PointTrace>& points = d.Trace_Decale[k].Points;
        if (points.empty()) continue;
        const bool ferme =
            points.size() >= 3 && points.front().X == points.back().X && points.front().Y == points.back().Y;
        const double x0 = points[0].X + MX, y0 = points[0].Y + MY;
        const bool leve = CheminLeve(points);
        prog.Commentaire("Tracé " + std::string(Rogne(d.Trace_Decale[k].Sequence.Texte())));
        for (int32_t p = 1; p <= N; ++p) {
            const double profondeur = P * p / N;
            if (p == 1 || !ferme) {
                prog.Rapide(std::nullopt, std::nullopt, H);
                prog.Rapide(x0, y0, std::nullopt);
                prog.Lineaire(std::nullopt, std::nullopt, 0.0, r.descente);
            }
            // A closed contour ends where it began: the next pass goes straight down.
            prog.Lineaire(std::nullopt, std::nullopt, profondeur, r.plongee);
            // Without a tab or a lift in the way, the pass is the path itself, read in place.
            if (!leve && (attaches[k].empty() || !(profondeur < zAttache))) {
                Coupe(prog, PointsChemin(points, MX, MY), r.coupe);
                continue;
            }
            passe.assign(1, PointPlan{x0, y0});
            CoupePasse(
                points, attaches[k], MX, MY, profondeur, zAttache,
                [&](double x, double y, double z, bool vertical) {
                    if (!vertical) {
                        passe.push_back({x, y});
                        return;
                    }
                    Coupe(prog, passe, r.coupe);
                    prog.Lineaire(std::nullopt, std::nullopt, z, r.plongee);
                    passe.assign(1, PointPlan{x, y});
                },
                [&](double x, double y) {
                    // A new piece of a lifted path: left as a trace is, entered as one.
                    Coupe(prog, passe, r.coupe);
                    prog.Rapide(std::nullopt, std::nullopt, H);
                    prog.Rapide(x, y, std::nullopt);
                    prog.Lineaire(std::nullopt, std::nullopt, 0.0, r.descente);
                    prog.Lineaire(std::nullopt, std::nullopt, profondeur, r.plongee);
                    passe.assign(1, PointPlan{x, y});
                });
            Coupe(prog, passe, r.coupe);
        }
        prog.Rapide(std::nullopt, std::nullopt, H);
    }
    prog.Rapide(std::nullopt, std::nullopt, H);
    prog.Code("M5");
    prog.Rapide(0.0, 0.0, std::nullopt);
}

}  // namespace

namespace {

// The checks of the CUT file and the program's own (spindle, feeds, wait); the speeds, or
// nothing, with the reason in `dits`.
std::optional<VitessesTravail> PrepareGCode(const PosteTravail& poste, const TravailCUT& travail, TotauxCUT& totaux,
                                            ReglagesGCode& r, Diagnostics& dits) {
    const std::optional<VitessesTravail> v =
        PrepareTravail(poste, travail, travail.FichierGCode, NatureGCode, totaux, dits);
    if (!v) return std::nullopt;
    if (std::optional<std::string> refus = LectureReglages(travail, *v, r)) {
        dits.push_back(RefusTravail(std::move(*refus)));
        return std::nullopt;
    }
    return v;
}

}  // namespace

bool ControleFichierGCode(const PosteTravail& poste, const TravailCUT& travail, Diagnostics& dits) {
    TotauxCUT totaux;
    ReglagesGCode r{};
    return PrepareGCode(poste, travail, totaux, r, dits).has_value();
}

bool GenereFichierGCode(const PosteTravail& poste, const TravailCUT& travail, DialecteGCode dialecte, TotauxCUT& totaux,
                        Diagnostics& dits, const SuiviCUT& suivi, ResultatGCode* resultat) {
    ReglagesGCode r{};
    const std::optional<VitessesTravail> v = PrepareGCode(poste, travail, totaux, r, dits);
    if (!v) return false;
    FluxFichier flux(travail.FichierGCode);
    bool ecrit = flux.Ouvert();
    Programme prog(flux, !travail.SansCommentaires, *v, totaux, suivi);
    if (ecrit) {
        EnTete(prog, poste, travail, r, dialecte);
        Corps(prog, poste.dessin, travail, r);
        prog.Code(dialecte == DialecteGCode::GRBL ? "M2" : "M30");
        if (resultat) *resultat = {flux.Taille(), prog.sorties};
        ecrit = flux.Termine();
    }
    if (!ecrit) {
        dits.push_back(
            {Gravite::Erreur, "Impossible d'écrire le fichier " + travail.FichierGCode, travail.FichierGCode, 0, {}});
        return false;
    }
    if (suivi) suivi(totaux);
    return true;
}

}  // namespace korvelin
