#include "model/ligne_projet.h"

#include "model/nombres.h"

namespace korvelin {

namespace {

constexpr std::size_t LargeurChamp = 15;

// Pads to the field width counted in characters, so wide labels keep the columns.
void AjouteChamp(std::string& ligne, const std::string& texte) {
    ligne += texte;
    std::size_t caracteres = 0;
    for (unsigned char c : texte)
        if ((c & 0xC0) != 0x80) ++caracteres;
    for (; caracteres < LargeurChamp; ++caracteres) ligne += ' ';
}

std::string_view Colonnes(std::string_view ligne, std::size_t debut, std::size_t longueur) {
    if (debut >= ligne.size()) return {};
    return ligne.substr(debut, longueur);
}

// Two characters from a byte column; a short line gives blanks.
Code2 CodeEn(std::string_view ligne, std::size_t debut) {
    Code2 c = Code2::De(Colonnes(ligne, debut, 8));
    if (c.c0 == 0) c.c0 = U' ';
    if (c.c1 == 0) c.c1 = U' ';
    return c;
}

}  // namespace

std::string LignePointProjet(const PointTrace& p) {
    std::string ligne;
    ligne.reserve(64);
    AjouteChamp(ligne, TexteFlottant32(p.X));
    AjouteChamp(ligne, TexteFlottant32(p.Y));
    AjouteChamp(ligne, p.Plume.Texte());
    AjouteChamp(ligne, p.Sequence.Texte());
    return ligne;
}

PointTrace LireLignePointProjet(std::string_view brute) {
    std::string ligne(brute);
    for (char& c : ligne)
        if (c == ',') c = '.';
    PointTrace p;
    p.X = VersFlottant32(LecturePlain(Colonnes(ligne, 0, 15)));
    p.Y = VersFlottant32(LecturePlain(Colonnes(ligne, 15, 15)));
    p.Plume = CodeEn(ligne, 30);
    p.Sequence = CodeEn(ligne, 45);
    return p;
}

}  // namespace korvelin
