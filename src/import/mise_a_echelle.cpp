#include "import/mise_a_echelle.h"

#include <cmath>

#include "settings/magasin.h"

namespace korvelin {

bool CoordonneeUtilisable(double v) { return std::isfinite(v) && std::fabs(v) <= LimiteCoordonnee; }

bool DemandeRapports(Contexte& ctx, const BornesImport& bornes) {
    Dessin& d = ctx.dessin;
    const BornesImport avant{d.Xmin, d.Xmax, d.Ymin, d.Ymax};
    d.Xmin = bornes.Xmin;
    d.Xmax = bornes.Xmax;
    d.Ymin = bornes.Ymin;
    d.Ymax = bornes.Ymax;
    ChargeRapports(ctx);
    ctx.ui->DialogueDimension(ctx);

    const double h = (bornes.Xmax - bornes.Xmin) * ctx.parametres.RapportH;
    const double v = (bornes.Ymax - bornes.Ymin) * ctx.parametres.RapportV;
    const bool rapportsUtilisables =
        RapportUtilisable(ctx.parametres.RapportH) && RapportUtilisable(ctx.parametres.RapportV);
    // A drawing read within the limits spans up to twice the limit at ratio 1.
    if (rapportsUtilisables && std::isfinite(h) && std::isfinite(v) && std::fabs(h) <= 2.0 * LimiteCoordonnee &&
        std::fabs(v) <= 2.0 * LimiteCoordonnee)
        return true;

    d.Xmin = avant.Xmin;
    d.Xmax = avant.Xmax;
    d.Ymin = avant.Ymin;
    d.Ymax = avant.Ymax;
    ctx.ui->Message(rapportsUtilisables
                        ? "Les rapports choisis donnent des dimensions hors limites : le dessin n'est pas importé."
                        : "Les rapports doivent être des nombres plus grands que zéro : le dessin n'est pas importé.",
                    TitreProgramme, Icone::Critique);
    return false;
}

}  // namespace korvelin
