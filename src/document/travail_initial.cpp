#include "document/travail_initial.h"

#include <algorithm>
#include <cmath>

#include "machining/vitesses.h"
#include "model/nombres.h"
#include "model/noms_fichiers.h"
#include "settings/magasin.h"
#include "settings/reglages.h"
#include "model/parametres.h"

namespace korvelin {

TravailCUT TravailCUTInitial(Contexte& ctx) {
    TravailCUT t;
    t.HautDeg = LireReglage(ctx.magasin, ctx.dessin, "HautDeg");
    t.ProfFraisage = LireReglage(ctx.magasin, ctx.dessin, "ProfFraisage");
    t.TexteNbPasse = LireReglage(ctx.magasin, ctx.dessin, "NbPasse");
    const double passes = std::trunc(LectureSaisie(t.TexteNbPasse));
    t.NbPasse = (std::isfinite(passes) && passes >= 1.0) ? static_cast<int32_t>(std::min(passes, 2147483647.0)) : 1;
    ChargeMarges(ctx.magasin, ctx.dessin, ctx.parametres);
    ReglagesDuTravail(ctx, t);
    t.FichierCUT = NomFichierCUTParDefaut(ctx.dessin.NomFichier);
    t.FichierGCode = NomFichierGCodeParDefaut(ctx.dessin.NomFichier);
    return t;
}

void ReglagesDuTravail(Contexte& ctx, TravailCUT& t) {
    t.MargeX = EcritureLocale(ctx.parametres.MargeX);
    t.MargeY = EcritureLocale(ctx.parametres.MargeY);
    const TextesVitesses v = TextesVitessesParametres(ctx.parametres);
    t.VitMax_Mat_X = v.Mat_X;
    t.VitMax_Mat_Y = v.Mat_Y;
    t.VitMax_Mat_Z = v.Mat_Z;
    t.VitMax_HMat_X = v.HMat_X;
    t.VitMax_HMat_Y = v.HMat_Y;
    t.VitMax_Descente = v.Descente;
    t.VitMax_Montee = v.Montee;
    t.VitesseBroche = LireReglage(ctx.magasin, ctx.dessin, "VitesseBroche");
    t.AvanceCoupe = LireReglage(ctx.magasin, ctx.dessin, "AvanceCoupe");
    t.AvancePlongee = LireReglage(ctx.magasin, ctx.dessin, "AvancePlongee");
    t.TemporisationBroche = LireReglage(ctx.magasin, ctx.dessin, "TemporisationBroche");
    t.SansCommentaires = LectureBooleen(LireReglage(ctx.magasin, ctx.dessin, "GCodeSansCommentaires"));
    t.attaches = AttachesDe(ctx.parametres);
}

}  // namespace korvelin
