#include "import/diagnostic.h"

#include "model/nombres.h"

namespace korvelin {

std::string MessageRefus(const Contexte& ctx, std::string_view verdict, std::size_t ligne, std::string_view raison) {
    std::string t(verdict);
    t += "\r\n";
    const std::string& fichier = ctx.dessin.NomFichier;
    t += fichier.empty() ? std::string("Le fichier") : "« " + fichier + " »";
    if (ligne > 0) t += ", ligne " + TexteEntier(ligne);
    t += " : ";
    t += raison;
    t += ". Rien n'a été lu, le dessin ouvert reste tel quel.";
    return t;
}

bool Refuse(Contexte& ctx, std::string_view verdict, std::size_t ligne, std::string_view raison) {
    ctx.ui->Message(MessageRefus(ctx, verdict, ligne, raison), TitreProgramme, Icone::Critique);
    return false;
}

}  // namespace korvelin
