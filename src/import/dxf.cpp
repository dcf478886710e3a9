#include "import/dxf.h"

#include "import/dxf_conversion.h"
#include "import/dxf_lecture.h"

namespace korvelin {

bool LectureDXF(Contexte& ctx, const std::string& chemin) {
    const auto doc = LireDXF(chemin);
    if (!doc) {
        ctx.ui->Message("Impossible de lire le fichier « " + chemin + " ».", TitreProgramme, Icone::Critique);
        return false;
    }
    return ConvertitDXF(ctx, *doc);
}

bool LectureDXFTexte(Contexte& ctx, std::string_view texte) { return ConvertitDXF(ctx, LireDXFTexte(texte)); }

}  // namespace korvelin
