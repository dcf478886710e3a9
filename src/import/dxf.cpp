#include "import/dxf.h"

#include <utility>

#include "import/dxf_conversion.h"
#include "import/dxf_lecture.h"
#include "platform/fichier.h"

namespace korvelin {

namespace {

// Binary DXF files open with this sentinel; only the text form is read.
bool EstDXFBinaire(std::string_view texte) { return texte.substr(0, 18) == "AutoCAD Binary DXF"; }

}  // namespace

bool LectureDXF(Contexte& ctx, const std::string& chemin) {
    auto texte = LireFichier(chemin);
    if (!texte) {
        ctx.ui->Message("Impossible de lire le fichier « " + chemin + " ».", TitreProgramme, Icone::Critique);
        return false;
    }
    if (EstDXFBinaire(*texte)) {
        ctx.ui->Message("Le fichier « " + chemin + " » est un DXF binaire : seuls les fichiers DXF au format texte "
                        "peuvent être lus.",
                        TitreProgramme, Icone::Critique);
        return false;
    }
    DocumentDXF doc = LireDXFTexte(*texte);
    // The text is no longer needed: the conversion uses the room.
    texte.reset();
    return ConvertitDXF(ctx, std::move(doc));
}

bool LectureDXFTexte(Contexte& ctx, std::string_view texte) {
    if (EstDXFBinaire(texte)) {
        ctx.ui->Message("Ce fichier est un DXF binaire : seuls les fichiers DXF au format texte peuvent être lus.",
                        TitreProgramme, Icone::Critique);
        return false;
    }
    return ConvertitDXF(ctx, LireDXFTexte(texte));
}

}  // namespace korvelin
