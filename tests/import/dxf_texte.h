#pragma once
// Small DXF texts written pair by pair for the import tests.

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace korvelin::test {

using PairesDXF = std::vector<std::pair<std::string, std::string>>;

inline PairesDXF operator+(PairesDXF a, const PairesDXF& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Code lines right-aligned on three columns, as drawing programs write them.
inline std::string TexteDXF(const PairesDXF& paires, const char* fin = "\r\n") {
    std::string t;
    for (const auto& [code, valeur] : paires)
        t += std::string(code.size() < 3 ? 3 - code.size() : 0, ' ') + code + fin + valeur + fin;
    return t;
}

// Pairs written as one text, code and value by turns, blank-separated: "0 LINE 10 0 20 0".
inline PairesDXF Paires(const std::string& texte) {
    PairesDXF p;
    std::string mots[2];
    std::size_t n = 0;
    for (std::size_t i = 0, j; i < texte.size(); i = j + 1) {
        j = std::min(texte.find(' ', i), texte.size());
        if (j == i) continue;
        mots[n++ % 2] = texte.substr(i, j - i);
        if (n % 2 == 0) p.emplace_back(mots[0], mots[1]);
    }
    return p;
}

inline PairesDXF Section(const std::string& nom, const PairesDXF& corps) {
    return PairesDXF{{"0", "SECTION"}, {"2", nom}} + corps + PairesDXF{{"0", "ENDSEC"}};
}

inline PairesDXF Bloc(const std::string& nom, const PairesDXF& corps) {
    return PairesDXF{{"0", "BLOCK"}, {"8", "0"}, {"2", nom}, {"70", "0"}, {"10", "0.0"}, {"20", "0.0"}} + corps +
           PairesDXF{{"0", "ENDBLK"}};
}

inline std::string N(double v) { return std::to_string(v); }

inline PairesDXF Ligne(double x1, double y1, double x2, double y2) {
    return {{"0", "LINE"}, {"8", "0"}, {"10", N(x1)}, {"20", N(y1)}, {"30", "0"}, {"11", N(x2)}, {"21", N(y2)}};
}

inline PairesDXF Arc(double cx, double cy, double r, double a0, double a1) {
    return {{"0", "ARC"}, {"10", N(cx)}, {"20", N(cy)}, {"40", N(r)}, {"50", N(a0)}, {"51", N(a1)}};
}

inline PairesDXF Cercle(double cx, double cy, double r) {
    return {{"0", "CIRCLE"}, {"10", N(cx)}, {"20", N(cy)}, {"40", N(r)}};
}

inline PairesDXF Polyligne(const std::vector<std::pair<double, double>>& sommets, bool fermee) {
    PairesDXF p{{"0", "POLYLINE"}, {"66", "1"},   {"10", "0.0"},
                {"20", "0.0"},     {"30", "0.0"}, {"70", fermee ? "1" : "0"}};
    for (const auto& [x, y] : sommets) p = p + PairesDXF{{"0", "VERTEX"}, {"10", N(x)}, {"20", N(y)}};
    return p + PairesDXF{{"0", "SEQEND"}};
}

inline PairesDXF Insertion(const std::string& nom, double x, double y, double sx = 1, double sy = 1, double rot = 0) {
    return {{"0", "INSERT"}, {"2", nom}, {"10", N(x)}, {"20", N(y)}, {"41", N(sx)}, {"42", N(sy)}, {"50", N(rot)}};
}

inline std::string FichierDXF(const PairesDXF& blocs, const PairesDXF& entites) {
    return TexteDXF(Section("HEADER", {{"9", "$ACADVER"}, {"1", "AC1009"}}) + Section("BLOCKS", blocs) +
                    Section("ENTITIES", entites) + PairesDXF{{"0", "EOF"}});
}

}  // namespace korvelin::test
