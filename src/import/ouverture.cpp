#include "import/ouverture.h"

#include <algorithm>

#include "geometry/decalage.h"
#include "geometry/orientation.h"
#include "import/dat.h"
#include "import/diagnostic.h"
#include "import/dxf.h"
#include "import/hpgl.h"
#include "import/projet.h"
#include "model/listes.h"
#include "model/noms_fichiers.h"
#include "settings/magasin.h"

namespace korvelin {

namespace {

void LisSelonType(Contexte& ctx, const std::string& chemin) {
    const std::string& type = ctx.dessin.TypeFichier;
    if (type == "PLT" || type == "HPGL") {
        LectureHPGL(ctx, chemin);
    } else if (type == "DAT") {
        LectureDAT(ctx, chemin);
    } else if (type == "KORVELIN") {
        // Only a project that was read becomes the settings store: an unusable file must
        // not receive the drawing still in memory at the next settings write.
        if (LectureProjet(ctx, chemin)) ctx.dessin.FichierProjet = chemin;
    } else if (type == "DXF") {
        LectureDXF(ctx, chemin);
    }
}

// A first trace " A" of a single point is a stray pen position, not part of the drawing.
void RetirePointIsole(Contexte& ctx) {
    Dessin& d = ctx.dessin;
    const int32_t premier = PremierPointSequence(d, PremiereSequence);
    if (premier == -1 || NbPointsSequence(d, premier) != 1) return;
    SupprimeSequence(d, PremiereSequence);
    const int32_t n = std::min<int32_t>(d.NbPoints, static_cast<int32_t>(d.Trace_Initial.size()));
    if (n > 0) {
        float xmin = d.Trace_Initial[0].X, ymin = d.Trace_Initial[0].Y;
        for (int32_t i = 1; i < n; ++i) {
            xmin = std::min(xmin, d.Trace_Initial[i].X);
            ymin = std::min(ymin, d.Trace_Initial[i].Y);
        }
        if (xmin != 0.0f || ymin != 0.0f) {
            for (int32_t i = 0; i < n; ++i) {
                d.Trace_Initial[i].X -= xmin;
                d.Trace_Initial[i].Y -= ymin;
            }
            d.Xmin = 0.0;
            d.Ymin = 0.0;
        }
    }
    CalculDecalageTout(ctx);
}

}  // namespace

bool OuvrirDessin(Contexte& ctx, const std::string& chemin) {
    Dessin& d = ctx.dessin;
    // The settings go back to the INI file before anything is written: while a project
    // was open they went into its "$$" lines, and the file now being opened must never
    // be rewritten as a project.
    d.FichierProjet.clear();
    d.NomFichier = chemin;
    EcrireParametre(ctx, "Fichier", chemin);
    d.TypeFichier = EnMajuscules(ExtraitExtension(NomSansDossier(chemin)));

    LisSelonType(ctx, chemin);

    if (d.NbPoints < 2) return false;
    RetirePointIsole(ctx);
    if (d.NbPoints >= 2 && LectureBooleen(LireReglage(ctx, "OrientationAuto"))) OrientationAutomatique(ctx);
    if (d.NbPoints >= 1) CalculBornes(d);
    if (d.NbPoints >= 2) return true;
    // The stray point was all that made it a drawing: the view would say the same.
    return Refuse(ctx, Vide, 0, "il ne trace qu'un point isolé de la plume");
}

}  // namespace korvelin
