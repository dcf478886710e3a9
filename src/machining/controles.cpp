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

bool DansCourse(double valeur, double course) { return std::isfinite(valeur) && valeur >= 0.0 && valeur <= course; }

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
    if (!(pire > 1e-9)) return std::nullopt;
    std::string texte = "Le travail sort de la course de la machine : ";
    if (axe == 'Z') {
        texte += "de la hauteur de dégagement à la profondeur, l'outil dépasse la course en Z";
    } else {
        texte += "la séquence " + Etiquette(d, trace) + " dépasse la course en " + axe;
    }
    texte += std::isfinite(pire) ? " de " + Mm(pire) + "." : ".";
    return texte;
}

std::optional<std::string> ControleMotif(const Parametres& v, double D, double H, double P) {
    if (!(H > 0.0) || !std::isfinite(H))
        return "La hauteur de dégagement doit être au-dessus de la surface de la pièce (plus de 0 mm) !";
    if (!std::isfinite(D) || D > v.Course_X || D > v.Course_Y)
        return "Le motif de test ne tient pas dans la course de la machine (" + Mm(v.Course_X) + " en X, " +
               Mm(v.Course_Y) + " en Y) !";
    const double depassement = std::max({H, P, 0.0}) - std::min(P, 0.0) - v.Course_Z;
    if (!(depassement <= 0.0))
        return "De la hauteur de dégagement à la profondeur, l'outil dépasse la course en Z de " +
               Mm(depassement) + " !";
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
