#pragma once
// F_Point: the point editor, opened on one point of the drawing or of an offset path. The
// controls forward the user's gestures to an EditionPoint and show its values.

#include <QDialog>

#include <cstddef>
#include <cstdint>

#include "document/edition_point.h"

class QLineEdit;
class QPushButton;
class QScrollBar;
class QTimer;
class QToolButton;

namespace korvelin {

class F_Representation;

class F_Point : public QDialog {
    Q_OBJECT
public:
    // A point of the drawing, by its index.
    F_Point(Document& doc, int32_t index, QWidget* parent = nullptr);
    // Point `index` of the offset entry `entree`.
    F_Point(Document& doc, std::size_t entree, int32_t index, QWidget* parent = nullptr);

    // Moves the dialog beside a point of the screen (where the user clicked).
    void PlacePres(const QPoint& global);

    QLineEdit* TB_X;
    QLineEdit* TB_Y;
    QToolButton* CB_Haut;
    QToolButton* CB_Bas;
    QToolButton* CB_Gauche;
    QToolButton* CB_Droite;
    QScrollBar* HScroll1;
    QScrollBar* VScroll1;
    QToolButton* CB_Supprimer;
    QToolButton* CB_Depart;
    QPushButton* CB_Cancel;
    QPushButton* Btn_OK;
    QTimer* Timer1;

    EditionPoint& Modele() { return modele_; }

    // Escape and the window's close box take the point back, as "Cancel" does.
    void reject() override;

signals:
    // The drawing's points were renumbered (a deletion, a new start point).
    void PointsRenumerotes();

private:
    void Construit();
    void CreeControles();
    void Dispose();
    void Relie();
    void Charge();
    void MontreValeurs();
    void Marque();
    void Fleche(QToolButton* bouton, int16_t code);
    void Supprime();

    Document& doc_;
    EditionPoint modele_;
    F_Representation* principale_ = nullptr;
    bool ChargementEnCours = false;
};

}  // namespace korvelin
