#include "import/dxf_lecture.h"

#include <array>
#include <charconv>

#include "platform/fichier.h"

namespace korvelin {

namespace {

constexpr std::array<std::string_view, 8> EntitesConnues = {
    "LINE", "VERTEX", "POLYLINE", "CIRCLE", "ARC", "ELLIPSE", "INSERT", "DIMENSION"};

bool EstBlanc(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

std::string_view SansBlancs(std::string_view s) {
    while (!s.empty() && EstBlanc(s.front())) s.remove_prefix(1);
    while (!s.empty() && EstBlanc(s.back())) s.remove_suffix(1);
    return s;
}

char Majuscule(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Compares a raw line with an upper-case word, as the stored form of the line would.
bool LigneEgale(std::string_view ligne, std::string_view mot) {
    ligne = SansBlancs(ligne);
    if (ligne.size() != mot.size()) return false;
    for (std::size_t i = 0; i < mot.size(); ++i)
        if (Majuscule(ligne[i]) != mot[i]) return false;
    return true;
}

// Every line of the text; CR LF, LF and a lone CR all end a line, and a last line
// without an end is kept.
std::vector<std::string_view> DecoupeLignes(std::string_view texte) {
    std::vector<std::string_view> lignes;
    lignes.reserve(texte.size() / 8 + 1);
    std::size_t debut = 0;
    for (std::size_t i = 0; i < texte.size(); ++i) {
        const char c = texte[i];
        if (c != '\n' && c != '\r') continue;
        lignes.push_back(texte.substr(debut, i - debut));
        if (c == '\r' && i + 1 < texte.size() && texte[i + 1] == '\n') ++i;
        debut = i + 1;
    }
    if (debut < texte.size()) lignes.push_back(texte.substr(debut));
    return lignes;
}

// A group-code line: an integer, blanks around it allowed.
std::optional<int32_t> LitCode(std::string_view ligne) {
    ligne = SansBlancs(ligne);
    if (!ligne.empty() && ligne.front() == '+') ligne.remove_prefix(1);
    int32_t v = 0;
    const char* fin = ligne.data() + ligne.size();
    auto [p, ec] = std::from_chars(ligne.data(), fin, v);
    if (ec != std::errc() || p != fin || ligne.empty()) return std::nullopt;
    return v;
}

// The file seen as group-code/value pairs: line 2m is a code, line 2m + 1 its value.
class Paires {
public:
    explicit Paires(std::string_view texte) : lignes_(DecoupeLignes(texte)) {}

    std::size_t Nombre() const { return lignes_.size() / 2; }
    std::optional<int32_t> Code(std::size_t i) const { return LitCode(lignes_[2 * i]); }
    std::string_view Valeur(std::size_t i) const { return lignes_[2 * i + 1]; }
    bool EstMarque(std::size_t i, std::string_view mot) const {
        const auto c = Code(i);
        return c && *c == 0 && LigneEgale(Valeur(i), mot);
    }

private:
    std::vector<std::string_view> lignes_;
};

enum class Fin { Bloc, Section };

// True when the "0" pair i closes what is being read.
bool EstFin(const Paires& f, std::size_t i, Fin fin) {
    if (f.EstMarque(i, "ENDSEC") || f.EstMarque(i, "SECTION") || f.EstMarque(i, "EOF")) return true;
    return fin == Fin::Bloc && (f.EstMarque(i, "ENDBLK") || f.EstMarque(i, "BLOCK"));
}

// Reads the entity whose keyword pair is i; returns the index of the pair that ended it.
// Its pairs are read from its first "10" pair (its "2" pair for INSERT and DIMENSION) to the
// next "0" pair; a code line that is not a number ends it early.
std::size_t LitEntite(const Paires& f, std::size_t i, std::vector<EntiteDXF>& entites) {
    EntiteDXF e;
    e.TypeEntite = NormaliseLigne(f.Valeur(i));
    const int32_t depart = (e.TypeEntite == "INSERT" || e.TypeEntite == "DIMENSION") ? 2 : 10;
    bool commence = false;
    std::size_t j = i + 1;
    for (; j < f.Nombre(); ++j) {
        const auto code = f.Code(j);
        if (!code || *code == 0) break;
        if (!commence && *code == depart) commence = true;
        if (commence) e.Codes.push_back({*code, NormaliseLigne(f.Valeur(j))});
    }
    if (commence) {
        NormaliseEntite(e);
        entites.push_back(std::move(e));
    }
    return j;
}

// The entity loop of a block or of the ENTITIES section, from pair i up to the pair that
// ends it (returned; Nombre() at the end of the file).
std::size_t LitEntites(const Paires& f, std::size_t i, Fin fin, std::vector<EntiteDXF>& entites) {
    while (i < f.Nombre()) {
        const auto code = f.Code(i);
        if (!code || *code != 0) {
            ++i;
            continue;
        }
        if (EstFin(f, i, fin)) return i;
        if (EstEntiteConnue(f.Valeur(i)))
            i = LitEntite(f, i, entites);
        else
            ++i;
    }
    return i;
}

// The BLOCK record at pair i gives the name (its group code 2); its entities follow up
// to ENDBLK. A block without a name is not kept.
std::size_t LitBloc(const Paires& f, std::size_t i, std::vector<BlocDXF>& blocs) {
    BlocDXF b;
    bool nomme = false;
    std::size_t j = i + 1;
    for (; j < f.Nombre(); ++j) {
        const auto code = f.Code(j);
        if (code && *code == 0) break;
        if (code && *code == 2 && !nomme) {
            b.Nom = NormaliseLigne(f.Valeur(j));
            nomme = true;
        }
    }
    j = LitEntites(f, j, Fin::Bloc, b.Entites);
    if (nomme) blocs.push_back(std::move(b));
    if (j < f.Nombre() && f.EstMarque(j, "ENDBLK")) ++j;
    return j;
}

std::size_t LitSectionBlocs(const Paires& f, std::size_t i, std::vector<BlocDXF>& blocs) {
    while (i < f.Nombre()) {
        if (f.EstMarque(i, "BLOCK")) {
            i = LitBloc(f, i, blocs);
            continue;
        }
        if (f.EstMarque(i, "ENDSEC") || f.EstMarque(i, "SECTION") || f.EstMarque(i, "EOF"))
            return i;
        ++i;
    }
    return i;
}

}  // namespace

std::string NormaliseLigne(std::string_view ligne) {
    ligne = SansBlancs(ligne);
    std::string s(ligne);
    for (char& c : s) c = (c == '.') ? ',' : Majuscule(c);
    return s;
}

bool EstEntiteConnue(std::string_view ligne) {
    for (std::string_view mot : EntitesConnues)
        if (LigneEgale(ligne, mot)) return true;
    return false;
}

std::string ValeurCode(const std::vector<CodeDXF>& paires, int32_t code) {
    for (const CodeDXF& p : paires)
        if (p.Code == code) return p.Valeur;
    return "0";
}

void NumeroteCodes(EntiteDXF& entite) {
    for (std::size_t i = 0; i < entite.Codes.size(); ++i)
        entite.Codes[i].Code = static_cast<int32_t>(i);
}

void NormaliseEntite(EntiteDXF& entite) {
    static const std::vector<int32_t> Ligne = {10, 20, 11, 21};
    static const std::vector<int32_t> Arc = {10, 20, 40, 50, 51};
    static const std::vector<int32_t> Cercle = {10, 20, 40};
    static const std::vector<int32_t> Ellipse = {10, 20, 11, 21, 40, 41, 42};
    static const std::vector<int32_t> Sommet = {10, 20};
    static const std::vector<int32_t> Insertion = {2, 10, 20, 41, 42, 50};
    static const std::vector<int32_t> Cote = {2, 10, 20, 11, 21, 12, 22, 13, 23, 14, 24};

    const std::string& t = entite.TypeEntite;
    const std::vector<int32_t>* disposition = nullptr;
    if (t == "LINE") disposition = &Ligne;
    else if (t == "ARC") disposition = &Arc;
    else if (t == "CIRCLE") disposition = &Cercle;
    else if (t == "ELLIPSE") disposition = &Ellipse;
    else if (t == "VERTEX") disposition = &Sommet;
    else if (t == "INSERT") disposition = &Insertion;
    else if (t == "DIMENSION") disposition = &Cote;

    if (disposition) {
        std::vector<CodeDXF> slots(disposition->size());
        for (std::size_t i = 0; i < disposition->size(); ++i) {
            const int32_t code = (*disposition)[i];
            const bool echelle = (t == "INSERT") && (code == 41 || code == 42);
            bool trouve = false;
            for (const CodeDXF& p : entite.Codes)
                if (p.Code == code) {
                    slots[i].Valeur = p.Valeur;
                    trouve = true;
                    break;
                }
            if (!trouve) slots[i].Valeur.assign(1, echelle ? '1' : '0');
        }
        entite.Codes = std::move(slots);
    }
    NumeroteCodes(entite);
}

DocumentDXF LireDXFTexte(std::string_view texte) {
    DocumentDXF doc;
    const Paires f(texte);
    std::size_t i = 0;
    while (i < f.Nombre()) {
        // A section is a "0" SECTION pair followed by a "2" pair naming it; nothing else
        // (a layer, a block or a text that happens to read BLOCKS) opens one.
        if (!f.EstMarque(i, "SECTION") || i + 1 >= f.Nombre()) {
            ++i;
            continue;
        }
        const auto code = f.Code(i + 1);
        if (!code || *code != 2) {
            ++i;
            continue;
        }
        const std::string nom = NormaliseLigne(f.Valeur(i + 1));
        i += 2;
        if (nom == "BLOCKS")
            i = LitSectionBlocs(f, i, doc.Blocs);
        else if (nom == "ENTITIES")
            i = LitEntites(f, i, Fin::Section, doc.Entites);
    }
    return doc;
}

std::optional<DocumentDXF> LireDXF(const std::string& chemin) {
    const auto texte = LireFichier(chemin);
    if (!texte) return std::nullopt;
    return LireDXFTexte(*texte);
}

}  // namespace korvelin
