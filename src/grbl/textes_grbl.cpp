#include "grbl/textes_grbl.h"

#include <array>
#include <string_view>

#include "model/nombres.h"

namespace korvelin::grbl {

namespace {

// Indexed by the code; GRBL 1.1 leaves 18 and 19 unused.
constexpr std::array<std::string_view, 39> Erreurs = {
    "",
    "une lettre de commande était attendue",
    "format de nombre incorrect",
    "commande $ inconnue",
    "valeur négative pour une valeur qui doit être positive",
    "la prise d'origine n'est pas activée ($22)",
    "la durée d'impulsion de pas doit être d'au moins 3 µs",
    "lecture de l'EEPROM impossible : réglages remis par défaut",
    "commande $ refusée tant que GRBL n'est pas au repos",
    "commandes G-code bloquées pendant une alarme ou un déplacement manuel",
    "les limites logicielles demandent la prise d'origine",
    "ligne trop longue (plus de 79 caractères) : elle n'a pas été exécutée",
    "réglage donnant une fréquence de pas supérieure à 30 kHz",
    "porte de sécurité ouverte",
    "ligne trop longue pour l'EEPROM : non enregistrée",
    "le déplacement manuel sortirait de la course de la machine",
    "commande de déplacement manuel incorrecte",
    "le mode laser demande une sortie PWM",
    "",
    "",
    "commande G-code inconnue ou non prise en charge",
    "deux commandes du même groupe modal dans la ligne",
    "vitesse d'avance non définie",
    "la commande demande une valeur entière",
    "plusieurs commandes utilisant des axes dans la ligne",
    "mot G-code répété dans la ligne",
    "aucun axe donné pour une commande qui en demande",
    "numéro de ligne incorrect",
    "valeur requise manquante pour la commande",
    "repères de travail G59.x non pris en charge",
    "G53 n'est permis qu'avec G0 ou G1",
    "axes donnés sans commande qui les utilise",
    "un arc G2/G3 demande au moins un axe du plan",
    "destination du mouvement incorrecte",
    "rayon d'arc incorrect",
    "un arc G2/G3 demande au moins un décalage du centre dans le plan",
    "valeurs inutilisées dans la ligne",
    "la correction d'outil G43.1 ne vise pas l'axe de longueur d'outil",
    "numéro d'outil trop grand",
};

constexpr std::array<std::string_view, 10> Alarmes = {
    "",
    "fin de course matérielle touchée : la position est sans doute perdue, refaites la prise d'origine",
    "la destination sort de la course de la machine (limites logicielles) : position conservée, "
    "l'alarme peut être levée",
    "remise à zéro pendant un mouvement : des pas ont pu être perdus, refaites la prise d'origine",
    "palpage impossible : le palpeur n'est pas dans l'état attendu au départ",
    "palpage sans contact sur toute la course programmée",
    "prise d'origine interrompue par une remise à zéro",
    "prise d'origine interrompue : porte de sécurité ouverte",
    "prise d'origine : le fin de course ne se libère pas au dégagement",
    "prise d'origine : fin de course introuvable dans la distance de recherche",
};

}  // namespace

std::string TexteErreur(int code) {
    const std::string n = TexteEntier(code);
    if (code > 0 && code < static_cast<int>(Erreurs.size()) && !Erreurs[code].empty())
        return "erreur " + n + " de GRBL : " + std::string(Erreurs[code]);
    return "erreur " + n + " de GRBL (code inconnu)";
}

std::string TexteAlarme(int code) {
    const std::string n = TexteEntier(code);
    if (code > 0 && code < static_cast<int>(Alarmes.size()))
        return "alarme " + n + " de GRBL : " + std::string(Alarmes[code]);
    return "alarme " + n + " de GRBL (code inconnu)";
}

}  // namespace korvelin::grbl
