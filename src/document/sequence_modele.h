#pragma once
// The sequencing dialog without its window: the list of traces in milling order, the
// selected one, the moves, the reversal, the start of the offset side pick and the cutter
// radius box. Every change of the drawing goes through the document; the highlighted trace
// and the side-pick wait belong to the main window, which lends them.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "document/document.h"

namespace korvelin {

class ModeleSequence {
public:
    ModeleSequence(Document& doc, Code2& sequenceADecaler, bool& attenteCoteDecalage);

    // One item per run of equal labels, in drawing order; selects the first one and reads
    // the stored cutter radius into the box.
    void Charger();

    // The labels of the list, and the selected rank (-1 for none).
    const std::vector<Code2>& Etiquettes() const { return etiquettes_; }
    int Selection() const { return selection_; }
    const std::string& TexteRayon() const { return texteRayon_; }

    // Choosing an item highlights its trace in the view.
    void Selectionne(int rang);
    // One place earlier, one place later, or anywhere (an item dragged in the list). False
    // when nothing moved.
    bool Plus();
    bool Moins();
    bool Deplace(int de, int vers);
    // Reverses the selected trace and recomputes its offset path.
    bool Inverser();
    // Hands the selected trace to the view, which waits for the click of the side. The
    // dialog closes after it.
    void Decaler();
    // Each keystroke in the radius box: the number is stored as the setting at once; offset
    // paths keep their radius until their next computation. A text that gives no usable
    // radius (negative, or beyond what any cutter may be) is not stored.
    void ChangeRayon(const std::string& texte);
    // The dialog goes away: unless a side pick waits, no trace stays highlighted.
    void Fermer();

    // The view must show another highlighted trace.
    std::function<void()> Redessine;

private:
    void RelitEtiquettes();

    Document& doc_;
    Code2& sequenceADecaler_;
    bool& attente_;
    std::vector<Code2> etiquettes_;
    int selection_ = -1;
    std::string texteRayon_;
};

}  // namespace korvelin
