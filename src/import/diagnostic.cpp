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

std::string MessageRefus(std::string_view fichier, std::string_view verdict, std::size_t ligne,
                         std::string_view raison) {
    return MessageRefusFichier(fichier, verdict, ligne > 0 ? "ligne " + TexteEntier(ligne) : "", raison);
}

Diagnostic Refus(std::string_view fichier, std::string_view verdict, std::size_t ligne, std::string_view raison) {
    return {Gravite::Erreur, MessageRefus(fichier, verdict, ligne, raison), std::string(fichier), ligne, {}};
}

Diagnostic Erreur(std::string message, std::string_view fichier) {
    return {Gravite::Erreur, std::move(message), std::string(fichier), 0, {}};
}

Diagnostic Avertissement(std::string message, std::string_view fichier) {
    return {Gravite::Avertissement, std::move(message), std::string(fichier), 0, {}};
}

}  // namespace korvelin
