#include "import/diagnostic.h"

#include "model/nombres.h"

namespace korvelin {

std::string MessageRefusFichier(std::string_view fichier, std::string_view verdict, std::string_view lieu,
                                std::string_view raison) {
    std::string t(verdict);
    t += "\r\n";
    t += fichier.empty() ? std::string("Le fichier") : "« " + std::string(fichier) + " »";
    if (!lieu.empty()) {
        t += ", ";
        t += lieu;
    }
    t += " : ";
    t += raison;
    t += ". Rien n'a été lu, le dessin ouvert reste tel quel.";
    return t;
}

std::string MessageRefus(const Contexte& ctx, std::string_view verdict, std::size_t ligne, std::string_view raison) {
    return MessageRefusFichier(ctx.dessin.NomFichier, verdict, ligne > 0 ? "ligne " + TexteEntier(ligne) : "", raison);
}

bool Refuse(Contexte& ctx, std::string_view verdict, std::size_t ligne, std::string_view raison) {
    ctx.ui->Message(MessageRefus(ctx, verdict, ligne, raison), TitreProgramme, Icone::Critique);
    return false;
}

}  // namespace korvelin
