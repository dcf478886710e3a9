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

TravailCUT TravailCUTInitial(MagasinReglages& m, const Dessin& d, Parametres& p) {
    TravailCUT t;
    t.HautDeg = LireReglage(m, d, "HautDeg");
    t.ProfFraisage = LireReglage(m, d, "ProfFraisage");
    t.TexteNbPasse = LireReglage(m, d, "NbPasse");
    const double passes = std::trunc(LectureSaisie(t.TexteNbPasse));
    t.NbPasse = (std::isfinite(passes) && passes >= 1.0) ? static_cast<int32_t>(std::min(passes, 2147483647.0)) : 1;
    ChargeMarges(m, d, p);
    ReglagesDuTravail(m, d, p, t);
    t.FichierCUT = NomFichierCUTParDefaut(d.NomFichier);
    t.FichierGCode = NomFichierGCodeParDefaut(d.NomFichier);
    return t;
}

void ReglagesDuTravail(MagasinReglages& m, const Dessin& d, const Parametres& p, TravailCUT& t) {
    t.MargeX = EcritureLocale(p.MargeX);
    t.MargeY = EcritureLocale(p.MargeY);
    const TextesVitesses v = TextesVitessesParametres(p);
    t.VitMax_Mat_X = v.Mat_X;
    t.VitMax_Mat_Y = v.Mat_Y;
    t.VitMax_Mat_Z = v.Mat_Z;
    t.VitMax_HMat_X = v.HMat_X;
    t.VitMax_HMat_Y = v.HMat_Y;
    t.VitMax_Descente = v.Descente;
    t.VitMax_Montee = v.Montee;
    t.VitesseBroche = LireReglage(m, d, "VitesseBroche");
    t.AvanceCoupe = LireReglage(m, d, "AvanceCoupe");
    t.AvancePlongee = LireReglage(m, d, "AvancePlongee");
    t.TemporisationBroche = LireReglage(m, d, "TemporisationBroche");
    t.SansCommentaires = LectureBooleen(LireReglage(m, d, "GCodeSansCommentaires"));
    t.attaches = AttachesDe(p);
}

}  // namespace korvelin
