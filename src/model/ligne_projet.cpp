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

// Byte offset of the character at a column: the writer pads by characters, so a wide
// character earlier on the line must not shift the later fields.
std::size_t Octet(std::string_view ligne, std::size_t colonne) {
    std::size_t i = 0;
    for (std::size_t c = 0; i < ligne.size(); ++i) {
        if ((static_cast<unsigned char>(ligne[i]) & 0xC0) == 0x80) continue;
        if (c++ == colonne) return i;
    }
    return ligne.size();
}

std::string_view Colonnes(std::string_view ligne, std::size_t debut, std::size_t longueur) {
    const std::size_t a = Octet(ligne, debut);
    return ligne.substr(a, Octet(ligne, debut + longueur) - a);
}

// Two characters from a column; a short line gives blanks.
Code2 CodeEn(std::string_view ligne, std::size_t debut) {
    const Code2 c = Code2::De(Colonnes(ligne, debut, 2));
    return Code2(c.c0() ? c.c0() : U' ', c.c1() ? c.c1() : U' ');
}

bool Blanc(std::string_view texte) { return texte.find_first_not_of(' ') == std::string_view::npos; }

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

bool LignePointProjetConforme(std::string_view brute) {
    for (const char c : brute)
        if (static_cast<unsigned char>(c) < 0x20) return false;
    if (brute.empty()) return true;
    std::string ligne(brute);
    for (char& c : ligne)
        if (c == ',') c = '.';
    // A separator other than the padding (a tab, one blank) shifts every later field:
    // read by columns, such a line would give wrong coordinates, not an error.
    if (!LectureLocale(Colonnes(ligne, 0, 15)) || !LectureLocale(Colonnes(ligne, 15, 15))) return false;
    return Blanc(Colonnes(ligne, 32, 13)) && Blanc(Colonnes(ligne, 47, 13)) && Octet(ligne, 60) == ligne.size();
}

}  // namespace korvelin
