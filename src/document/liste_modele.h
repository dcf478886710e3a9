#pragma once
// What the coordinate list shows and does, without a window: the two trees (the drawing
// trace by trace, the offset paths entry by entry), their keys and texts, the point a
// click marks, and deletion through the document.
//
// Nothing is stored per point: a tree of a million points is one record per trace, and
// every text is made when the view asks for it, so filling costs one pass over the labels.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/document.h"

namespace korvelin {

enum class Arbre { Initial, Decale };

// A node of either tree: the root, a trace, or a point of a trace (ranks within the tree).
struct Noeud {
    enum Niveau { Racine, Sequence, Point } niveau = Racine;
    std::size_t trace = 0;
    std::size_t point = 0;
};

// The point a node stands for, as the point editor takes it.
struct PointChoisi {
    bool traceInitial = true;
    int32_t index = -1;      // in Trace_Initial
    std::size_t entree = 0;  // in Trace_Decale
    std::size_t rang = 0;    // within that entry
};

class ListeModele {
public:
    explicit ListeModele(Document& doc);

    // Rebuild one tree, or both, from the drawing as it is now.
    void Remplissage_Trace_Initial();
    void Remplissage_Trace_Decale();
    void Remplit() {
        Remplissage_Trace_Initial();
        Remplissage_Trace_Decale();
    }

    std::size_t NbTraces(Arbre a) const;
    std::size_t NbPoints(Arbre a, std::size_t trace) const;

    std::string Cle(Arbre a, const Noeud& n) const;
    std::string Texte(Arbre a, const Noeud& n) const;

    // The point a click on this text marks: only a point's text ("N° …") gives one, read
    // back from the text itself so the mark falls where the list says.
    static std::optional<std::pair<double, double>> PointDuTexte(std::string_view texte);
    std::optional<PointChoisi> Choisi(Arbre a, const Noeud& n) const;

    // The Delete key on a node: asks "Confirmez-vous la suppression ?" when the settings
    // want it, then removes the point or the trace through the document. True when the
    // drawing changed; the trees must then be filled again.
    bool Supprime(Arbre a, const Noeud& n);

    // Decimal separator of the coordinates shown.
    char Separateur = ',';

private:
    // One run of consecutive points with the same label in Trace_Initial.
    struct Suite {
        int32_t debut;
        int32_t longueur;
        uint32_t occurrence;  // 1 for the first run of its label, 2 for the next…
    };
    const PointTrace* PointDe(Arbre a, const Noeud& n, int32_t* index = nullptr) const;

    Document& doc_;
    std::vector<Suite> suites_;
    // Rank of each offset entry among the entries of its label.
    std::vector<uint32_t> occurrencesDecale_;
};

}  // namespace korvelin
