#include "machining/controles.h"

#include <algorithm>
#include <cmath>

#include "model/nombres.h"

namespace korvelin {

namespace {

std::string Mm(double v) { return FormatFixe(v, 3, ',') + " mm"; }

std::string Etiquette(const Dessin& d, std::size_t k) {
    std::string e = k < d.Trace_Decale.size() ? d.Trace_Decale[k].Sequence.Texte() : std::string();
    e.erase(0, e.find_first_not_of(' '));
    return e;
}

// A tenth of a micrometre: far below any step of the machine, yet above the noise that a
// float coordinate carries, so that a cutter of 3 mm beside an outline at the origin needs
// a margin of 3 mm and not 3.1.
constexpr double Jeu = 1e-4;

bool DansCourse(double valeur, double course) { return std::isfinite(valeur) && valeur >= 0.0 && valeur <= course; }

struct Etendue {
    double minX = INFINITY, maxX = -INFINITY, minY = INFINITY, maxY = -INFINITY;
};

// The offset paths are what the tool follows: the drawing itself is never cut.
Etendue EtendueParcours(const Dessin& d) {
    Etendue e;
    for (std::size_t k = 0; k < d.NbSequencesDecalees(); ++k)
        for (const PointTrace& p : d.Trace_Decale[k].Points) {
            e.minX = std::min(e.minX, double(p.X));
            e.maxX = std::max(e.maxX, double(p.X));
            e.minY = std::min(e.minY, double(p.Y));
            e.maxY = std::max(e.maxY, double(p.Y));
        }
    return e;
}

// The margin nearest to `marge` within [bas, haut], on a tenth of a millimetre inside the
// interval when one is there; nothing when the interval is empty.
std::optional<double> MargeDans(double marge, double bas, double haut) {
    if (!(bas <= haut + Jeu)) return std::nullopt;
    if (marge >= bas - Jeu && marge <= haut + Jeu) return marge;
    const double cible = marge < bas ? std::ceil((bas - Jeu) * 10.0) / 10.0 : std::floor((haut + Jeu) * 10.0) / 10.0;
    if (cible >= bas - Jeu && cible <= haut + Jeu) return cible;
    return marge < bas ? bas : haut;
}

}  // namespace

std::optional<std::string> ControleRayon(const Parametres& v) {
    if (!std::isfinite(v.RayonFraise) || v.RayonFraise > RayonMaxFraise)
        return "Le rayon de fraise ne peut pas dépasser 50 mm !";
    if (v.RayonFraise < 0.0) return "Le rayon de fraise ne peut pas être négatif !";
    if (v.RayonFraise == 0.0 && v.DecalageOutil != 2)
        return "Le rayon de fraise ne peut pas être nul quand l'outil est décalé du tracé !";
    return std::nullopt;
}

std::optional<std::string> ControleValeurs(const Parametres& v, double H, int32_t N) {
    if (!(H > 0.0) || !std::isfinite(H))
        return "La hauteur de dégagement doit être au-dessus de la surface de la pièce (plus de 0 mm) !";
    if (N > MaxPasses) return "Le nombre de passes ne peut pas dépasser 1000 !";
    if (auto r = ControleRayon(v)) return r;
    if (!DansCourse(v.MargeX, v.Course_X))
        return "La marge en X doit rester dans la course de la machine (de 0 à " + Mm(v.Course_X) + ") !";
    if (!DansCourse(v.MargeY, v.Course_Y))
        return "La marge en Y doit rester dans la course de la machine (de 0 à " + Mm(v.Course_Y) + ") !";
    return std::nullopt;
}

std::optional<std::string> ControleCourses(const Dessin& d, const Parametres& v, double H, double P, double MX,
                                           double MY, const GrilleCopies& g) {
    // The copies' offsets reach from lo to hi on each axis; the job starts and ends at 0.
    const double etendueX = std::max(0, g.NbX - 1) * g.DecalX, etendueY = std::max(0, g.NbY - 1) * g.DecalY;
    const double loX = std::min(0.0, etendueX), hiX = std::max(0.0, etendueX);
    const double loY = std::min(0.0, etendueY), hiY = std::max(0.0, etendueY);
    const std::size_t nb = d.NbSequencesDecalees();

    double pire = 0.0;
    char axe = 0;
    std::size_t trace = 0;
    auto note = [&](double depassement, char a, std::size_t k) {
        // NaN leaves every travel.
        if (std::isnan(depassement)) depassement = INFINITY;
        if (depassement > pire) pire = depassement, axe = a, trace = k;
    };
    for (std::size_t k = 0; k < nb; ++k) {
        for (const PointTrace& p : d.Trace_Decale[k].Points) {
            const double x = p.X + MX, y = p.Y + MY;
            note(-(x + loX), 'X', k);
            note(x + hiX - v.Course_X, 'X', k);
            note(-(y + loY), 'Y', k);
            note(y + hiY - v.Course_Y, 'Y', k);
        }
    }
    // From the clearance height down to the deepest pass, or up to a depth above it.
    const double haut = std::max({H, P, 0.0}), bas = std::min(P, 0.0);
    note(haut - bas - v.Course_Z, 'Z', 0);
    if (!(pire > Jeu)) return std::nullopt;
    std::string texte = "Le travail sort de la course de la machine : ";
    if (axe == 'Z') {
        texte += "de la hauteur de dégagement à la profondeur, l'outil dépasse la course en Z";
    } else {
        texte += "la séquence " + Etiquette(d, trace) + " dépasse la course en " + axe;
    }
    texte += std::isfinite(pire) ? " de " + Mm(pire) : "";
    if (axe != 'Z')
        if (const auto m = MargesPourLaCourse(d, v, MX, MY, g)) texte += " ; " + TexteMargesConseillees(*m, MX, MY);
    return texte + ".";
}

std::optional<MargesConseillees> MargesPourLaCourse(const Dessin& d, const Parametres& v, double MX, double MY,
                                                    const GrilleCopies& g) {
    const Etendue e = EtendueParcours(d);
    if (!std::isfinite(e.minX) || !std::isfinite(e.minY)) return std::nullopt;
    const double etendueX = std::max(0, g.NbX - 1) * g.DecalX, etendueY = std::max(0, g.NbY - 1) * g.DecalY;
    const double loX = std::min(0.0, etendueX), hiX = std::max(0.0, etendueX);
    const double loY = std::min(0.0, etendueY), hiY = std::max(0.0, etendueY);
    const auto mx = MargeDans(MX, -(e.minX + loX), v.Course_X - (e.maxX + hiX));
    const auto my = MargeDans(MY, -(e.minY + loY), v.Course_Y - (e.maxY + hiY));
    if (!mx || !my || (*mx == MX && *my == MY)) return std::nullopt;
    // A margin is a place on the table: below zero or past the travel it is no margin.
    if (!DansCourse(*mx, v.Course_X) || !DansCourse(*my, v.Course_Y)) return std::nullopt;
    return MargesConseillees{*mx, *my};
}

std::string TexteMargesConseillees(const MargesConseillees& m, double MX, double MY) {
    std::string t;
    auto axe = [&](double conseil, double actuelle, const char* nom) {
        if (conseil == actuelle) return;
        if (!t.empty()) t += " et ";
        t += std::string(t.empty() ? "il faut " : "") + "une marge en " + nom +
             (conseil > actuelle ? " d'au moins " : " d'au plus ") + EcritureLocale(conseil) + " mm";
    };
    axe(m.X, MX, "X");
    axe(m.Y, MY, "Y");
    return t;
}

ControleZeroTravail ControleEtendue(const Dessin& d, const Parametres& v, double H, double P, double MX, double MY) {
    ControleZeroTravail r;
    const Etendue e = EtendueParcours(d);
    if (!std::isfinite(e.minX) || !std::isfinite(e.minY)) return r;
    const double largeur = e.maxX - e.minX, hauteur = e.maxY - e.minY;
    const double profondeurZ = std::max({H, P, 0.0}) - std::min(P, 0.0);
    if (!(largeur <= v.Course_X))
        r.refus = "Le travail ne tient pas dans la course de la machine : il s'étend sur " + Mm(largeur) +
                  " en X pour une course de " + Mm(v.Course_X) + ".";
    else if (!(hauteur <= v.Course_Y))
        r.refus = "Le travail ne tient pas dans la course de la machine : il s'étend sur " + Mm(hauteur) +
                  " en Y pour une course de " + Mm(v.Course_Y) + ".";
    else if (!(profondeurZ <= v.Course_Z))
        r.refus =
            "Le travail sort de la course de la machine : de la hauteur de dégagement à la profondeur, "
            "l'outil dépasse la course en Z de " +
            Mm(profondeurZ - v.Course_Z) + ".";
    if (r.refus) return r;
    const double sousX = -(e.minX + MX), sousY = -(e.minY + MY);
    if (sousX > Jeu || sousY > Jeu) {
        std::string t = "Attention : l'outil passe sous le zéro de travail";
        if (sousX > Jeu) t += " de " + Mm(sousX) + " en X";
        if (sousX > Jeu && sousY > Jeu) t += " et";
        if (sousY > Jeu) t += " de " + Mm(sousY) + " en Y";
        t += " (le rayon de la fraise autour d'un contour dessiné à l'origine). Réglez le zéro sur la commande "
             "en conséquence.";
        r.avertissement = t;
    }
    return r;
}

std::optional<std::string> ControleMotif(const Parametres& v, double D, double H, double P) {
    if (!(H > 0.0) || !std::isfinite(H))
        return "La hauteur de dégagement doit être au-dessus de la surface de la pièce (plus de 0 mm) !";
    if (!std::isfinite(D) || D > v.Course_X || D > v.Course_Y)
        return "Le motif de test ne tient pas dans la course de la machine (" + Mm(v.Course_X) + " en X, " +
               Mm(v.Course_Y) + " en Y) !";
    const double depassement = std::max({H, P, 0.0}) - std::min(P, 0.0) - v.Course_Z;
    if (!(depassement <= 0.0))
        return "De la hauteur de dégagement à la profondeur, l'outil dépasse la course en Z de " + Mm(depassement) +
               " !";
    return std::nullopt;
}

std::optional<std::string> ControleDeplacement(const Parametres& v, double dx, double dy, double dz) {
    const struct {
        double d, course;
        const char* axe;
    } axes[] = {{dx, v.Course_X, "X"}, {dy, v.Course_Y, "Y"}, {dz, v.Course_Z, "Z"}};
    for (const auto& a : axes) {
        if (!(std::fabs(a.d) <= a.course))
            return std::string("Le déplacement en ") + a.axe + " dépasse la course de la machine (" + Mm(a.course) +
                   ") !";
    }
    return std::nullopt;
}

}  // namespace korvelin
