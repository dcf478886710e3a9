#include "document/edition_point.h"

#include <cmath>

#include "model/listes.h"
#include "model/nombres.h"

namespace korvelin {

EditionPoint::EditionPoint(Document& doc, int32_t index) : doc_(doc), initial_(true), index_(index) {
    const Dessin& d = doc_.Trace();
    valide_ = index >= 0 && index < d.NbPoints && index < static_cast<int32_t>(d.Trace_Initial.size());
    if (!valide_) return;
    pointEdite_ = d.Trace_Initial[static_cast<std::size_t>(index)];
    x_ = ArrondiSignificatif(pointEdite_.X, 7);
    y_ = ArrondiSignificatif(pointEdite_.Y, 7);
}

EditionPoint::EditionPoint(Document& doc, std::size_t entree, int32_t index)
    : doc_(doc), initial_(false), index_(index), entree_(entree) {
    const auto& t = doc_.Trace().Trace_Decale;
    // The last entry of the offset list is the empty one that closes it.
    valide_ = entree + 1 < t.size() && index >= 0 && static_cast<std::size_t>(index) < t[entree].Points.size();
    if (!valide_) return;
    pointEdite_ = t[entree].Points[static_cast<std::size_t>(index)];
    x_ = ArrondiSignificatif(pointEdite_.X, 7);
    y_ = ArrondiSignificatif(pointEdite_.Y, 7);
}

double EditionPoint::LectureTexte(std::string_view texte) { return LectureSaisie(texte); }

Code2 EditionPoint::Etiquette() const {
    if (initial_) return pointEdite_.Sequence;
    const auto& t = doc_.Trace().Trace_Decale;
    return entree_ < t.size() ? t[entree_].Sequence : pointEdite_.Sequence;
}

void EditionPoint::FixeX(double x, bool fusion) {
    x_ = std::isfinite(x) ? x : 0.0;
    Applique(fusion);
}

void EditionPoint::FixeY(double y, bool fusion) {
    y_ = std::isfinite(y) ? y : 0.0;
    Applique(fusion);
}

void EditionPoint::Applique(bool fusion) {
    if (!valide_) return;
    const float x = VersFlottant32(x_), y = VersFlottant32(y_);
    if (initial_) {
        Dit("Recalcul du décalage ");
        doc_.DeplacePoint(index_, x, y, fusion);
    } else {
        doc_.DeplacePointDecale(entree_, static_cast<std::size_t>(index_), x, y, fusion);
    }
    Dit("Rafraîchissement du dessin ");
    Dit("");
}

void EditionPoint::Enfonce(int16_t fleche) {
    DirectionFleche = fleche;
    serie_ = true;
    doc_.CoupeFusion();
}

void EditionPoint::Relache() { DirectionFleche = Aucune; }

void EditionPoint::Clic(int16_t fleche) {
    const bool fusion = serie_;
    if (DirectionFleche == Aucune) serie_ = false;
    switch (fleche) {
        case Droite: x_ = ArrondiSignificatif(x_ + 0.1, 15); break;
        case Gauche: x_ = ArrondiSignificatif(x_ - 0.1, 15); break;
        case Haut: y_ = ArrondiSignificatif(y_ + 0.1, 15); break;
        case Bas: y_ = ArrondiSignificatif(y_ - 0.1, 15); break;
        default: return;
    }
    Applique(fusion);
}

void EditionPoint::Tic() {
    if (DirectionFleche != Aucune) Clic(DirectionFleche);
}

bool EditionPoint::Supprime(bool confirmer) {
    if (!valide_) return false;
    if (confirmer && !(ConfirmeSuppression && ConfirmeSuppression())) return false;
    bool fait;
    if (initial_) {
        Dit("Recalcul du décalage ");
        fait = doc_.SupprimePoint(index_);
    } else {
        fait = doc_.SupprimePointDecale(entree_, static_cast<std::size_t>(index_));
    }
    if (!fait) return false;
    valide_ = false;
    Dit("Reconstitution de la liste des points ");
    if (PointsRenumerotes) PointsRenumerotes();
    Dit("Rafraîchissement du dessin ");
    Dit("");
    return true;
}

bool EditionPoint::Depart() {
    if (!valide_ || !initial_) return false;
    Dit("Décalage du tracé ");
    const int32_t premier = PremierPointSequence(doc_.Trace(), pointEdite_.Sequence);
    Dit("Recalcul du décalage ");
    const bool fait = doc_.PointDeDepart(index_);
    if (fait) {
        index_ = premier;
        Dit("Reconstitution de la liste des points ");
        if (PointsRenumerotes) PointsRenumerotes();
        Dit("Rafraichissement du dessin ");
    }
    Dit("");
    return fait;
}

void EditionPoint::Annule() {
    if (!valide_) return;
    x_ = ArrondiSignificatif(pointEdite_.X, 7);
    y_ = ArrondiSignificatif(pointEdite_.Y, 7);
    Dit("Recalcul du décalage ");
    if (initial_) {
        doc_.DeplacePoint(index_, pointEdite_.X, pointEdite_.Y);
    } else {
        doc_.DeplacePointDecale(entree_, static_cast<std::size_t>(index_), pointEdite_.X, pointEdite_.Y);
        doc_.DecaleSequence(Etiquette());
    }
    Dit("Rafraîchissement du dessin ");
    Dit("");
}

}  // namespace korvelin
