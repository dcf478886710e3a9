#pragma once
// F_Liste: the drawing's points trace by trace, and the offset paths entry by entry. A
// click marks a point in the drawing, Delete removes a point or a trace, a right click
// opens the point editor. The trees read a ListeModele, which makes each row's text only
// when the view shows it.

#include <QAbstractItemModel>
#include <QDialog>
#include <QIcon>

#include <functional>

#include "document/liste_modele.h"

class QLabel;
class QStatusBar;
class QTreeView;

namespace korvelin {

class F_Representation;

// One tree of the list as Qt's views read it. Internal ids: 0 the root, 1 a trace (its
// parent is the root), 2 + t a point of trace t.
class ArbreListe : public QAbstractItemModel {
    Q_OBJECT
public:
    static constexpr int RoleCle = Qt::UserRole;

    ArbreListe(const ListeModele& liste, Arbre arbre, QObject* parent = nullptr);

    Noeud NoeudDe(const QModelIndex& i) const;
    // The model is about to be filled again, and has been.
    void AvantRemplissage() { beginResetModel(); }
    void ApresRemplissage() { endResetModel(); }

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& = {}) const override { return 1; }
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& i, int role) const override;

private:
    const ListeModele& liste_;
    Arbre arbre_;
    QIcon image_;
};

class F_Liste : public QDialog {
    Q_OBJECT
public:
    explicit F_Liste(F_Representation& fenetre, QWidget* parent = nullptr);

    QLabel* Label_Trace;
    QLabel* Label_Decale;
    QTreeView* TreeView1;
    QTreeView* TreeView2;
    QStatusBar* SB1;

    // The point editor, opened by a right click on a point with the point and the place of
    // the click (screen coordinates). Without it the right click only selects and marks.
    std::function<void(QWidget* parent, const PointChoisi& point, QPoint clic)> OuvreEditeurPoint;

    // Which tree the point editor was opened from, and where the click was.
    bool EditionTraceInitial = true;
    float ClicX = 0.0f;
    float ClicY = 0.0f;

    ListeModele& Modele() { return liste_; }
    ArbreListe& ModeleArbre(Arbre a) { return a == Arbre::Initial ? *arbre1_ : *arbre2_; }

    // Both trees rebuilt from the drawing, the root expanded.
    void Remplissage();
    // The handlers of either tree.
    void NodeClick(QTreeView* arbre, const QModelIndex& i);
    void ToucheSuppr(QTreeView* arbre);
    void ClicDroit(QTreeView* arbre, QPoint position);

    void done(int r) override;

protected:
    bool eventFilter(QObject* objet, QEvent* e) override;

private:
    Arbre ArbreDe(QTreeView* arbre) const { return arbre == TreeView1 ? Arbre::Initial : Arbre::Decale; }

    F_Representation& fenetre_;
    ListeModele liste_;
    ArbreListe* arbre1_;
    ArbreListe* arbre2_;
};

}  // namespace korvelin
