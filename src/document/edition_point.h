#pragma once
// Editing one point, of the drawing or of an offset path: nudges by arrows (a held arrow
// repeats and undoes as one step), typed or scrolled coordinates, deletion, making it the
// start of its closed trace, and going back to the point as it was. The window around it
// only shows the values and forwards the user's gestures.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "document/document.h"

namespace korvelin {

class EditionPoint {
public:
    // A point of the drawing.
    EditionPoint(Document& doc, int32_t index);
    // Point `index` of the offset entry `entree`.
    EditionPoint(Document& doc, std::size_t entree, int32_t index);

    // Text of the main window's first status panel.
    std::function<void(std::string_view)> Statut;
    // "Confirmez-vous la suppression ?"; true for Yes.
    std::function<bool()> ConfirmeSuppression;
    // The drawing now differs in more than this point (deletion, new start): the lists
    // that show it must be filled again.
    std::function<void()> PointsRenumerotes;

    // False when the index named no point when the editor opened; nothing then changes.
    bool Valide() const { return valide_; }
    bool PointInitial() const { return initial_; }
    int32_t IndexPoint() const { return index_; }
    std::size_t IndexSequenceDecalee() const { return entree_; }
    const PointTrace& PointEdite() const { return pointEdite_; }

    // The values of the coordinate boxes.
    double X() const { return x_; }
    double Y() const { return y_; }
    // The box's new value, then the point moves there. With `fusion` the move joins the
    // previous move of this point in one undo step (a scroll bar being dragged).
    void FixeX(double x, bool fusion = false);
    void FixeY(double y, bool fusion = false);
    // A scroll bar's thumb is taken: its moves until it is let go are one undo step.
    void DebutGlisse() { doc_.CoupeFusion(); }
    // Typed text, read as the user types numbers ("," or "."); no number reads 0.
    void SaisieX(std::string_view texte) { FixeX(LectureTexte(texte)); }
    void SaisieY(std::string_view texte) { FixeY(LectureTexte(texte)); }

    // Arrows: 0 none, 1 right, 2 left, 3 up, 4 down; each step is 0.1 mm.
    enum : int16_t { Aucune = 0, Droite = 1, Gauche = 2, Haut = 3, Bas = 4 };
    int16_t DirectionFleche = Aucune;
    void Enfonce(int16_t fleche);
    void Relache();
    // The arrow's click, which follows its release. The moves between a press and the
    // click after its release are one undo step.
    void Clic(int16_t fleche);
    // The repeat timer: the held arrow's click.
    void Tic();

    // True when the point is gone and the editor must close.
    bool Supprime(bool confirmer);
    // Makes the point the first of its closed trace; the editor then follows the point to
    // its new index.
    bool Depart();
    // The point as it was when the editor opened, then that trace's offset computed again.
    void Annule();

private:
    static double LectureTexte(std::string_view texte);
    void Applique(bool fusion);
    void Dit(std::string_view texte) const {
        if (Statut) Statut(texte);
    }
    Code2 Etiquette() const;

    Document& doc_;
    bool initial_;
    bool valide_ = false;
    int32_t index_;
    std::size_t entree_ = 0;
    PointTrace pointEdite_;
    double x_ = 0.0, y_ = 0.0;
    bool serie_ = false;  // an arrow was pressed and its click has not come yet
};

}  // namespace korvelin
