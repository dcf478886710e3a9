#include "import/dxf.h"

#include <utility>

#include "import/diagnostic.h"
#include "import/dxf_conversion.h"
#include "import/dxf_lecture.h"
#include "model/nombres.h"
#include "platform/fichier.h"

namespace korvelin {

namespace {

// Binary DXF files open with this sentinel; only the text form is read.
bool EstDXFBinaire(std::string_view texte) { return texte.substr(0, 18) == "AutoCAD Binary DXF"; }

}  // namespace

namespace {

// A file with no section is no DXF file; one without its end marker was cut short, and what
// came before the cut is read with a warning, as is a file whose group codes go wrong.
bool Convertit(Contexte& ctx, DocumentDXF doc) {
    if (doc.NbSections == 0)
        return Refuse(ctx, Inexploitable, 0,
                      "ce n'est pas un fichier DXF, aucune de ses " + TexteEntier(doc.NbLignes) +
                          " lignes n'ouvre de section (« 0 » puis « SECTION »)");
    std::string avertissement;
    if (doc.LigneCodeIllisible != 0)
        avertissement += "La ligne " + TexteEntier(doc.LigneCodeIllisible) +
                         " devrait porter un code de groupe (un nombre entier) : le fichier est abîmé à partir "
                         "de là.";
    if (!doc.FinTrouvee) {
        if (!avertissement.empty()) avertissement += "\r\n";
        avertissement += "Le fichier s'arrête à la ligne " + TexteEntier(doc.NbLignes) +
                         " sans sa fin (« 0 » puis « EOF ») : il a sans doute été coupé.";
    }
    if (!avertissement.empty())
        ctx.ui->Message("« " + ctx.dessin.NomFichier + " » :\r\n" + avertissement +
                            "\r\nSeul ce qui a pu être lu est importé : vérifiez le dessin avant de l'usiner.",
                        TitreProgramme, Icone::Exclamation);
    if (!ConvertitDXF(ctx, std::move(doc))) return false;
    if (ctx.dessin.NbPoints == 0)
        return Refuse(ctx, Vide, 0,
                      "il ne contient aucune entité dessinable (LINE, ARC, CIRCLE, ELLIPSE, POLYLINE, LWPOLYLINE, "
                      "SPLINE ou INSERT) dans ses sections BLOCKS et ENTITIES");
    return true;
}

}  // namespace

bool LectureDXF(Contexte& ctx, const std::string& chemin) {
    auto texte = LireFichier(chemin);
    if (!texte) {
        ctx.ui->Message("Impossible de lire le fichier « " + chemin + " ».", TitreProgramme, Icone::Critique);
        return false;
    }
    if (EstDXFBinaire(*texte))
        return Refuse(ctx, Inexploitable, 0,
                      "c'est un DXF binaire, et seuls les fichiers DXF au format texte peuvent être lus");
    DocumentDXF doc = LireDXFTexte(*texte);
    // The text is no longer needed: the conversion uses the room.
    texte.reset();
    return Convertit(ctx, std::move(doc));
}

bool LectureDXFTexte(Contexte& ctx, std::string_view texte) {
    if (EstDXFBinaire(texte))
        return Refuse(ctx, Inexploitable, 0,
                      "c'est un DXF binaire, et seuls les fichiers DXF au format texte peuvent être lus");
    return Convertit(ctx, LireDXFTexte(texte));
}

}  // namespace korvelin
