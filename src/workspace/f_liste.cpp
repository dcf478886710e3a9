#include "workspace/f_liste.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QStatusBar>
#include <QTreeView>
#include <QVBoxLayout>

#include "workspace/f_representation.h"
#include "workspace/vue_dessin.h"
#include "workspace/zone_dessin.h"

namespace korvelin {

namespace {

const char* const BulleArbres = "Faire un clic droit pour modifier les points";

QString Q(const std::string& s) { return QString::fromStdString(s); }

// The two images of the list: "Open" beside every node, "Closed" beside the selected one.
QPixmap Image(bool fermee) {
    QPixmap p(16, 16);
    p.fill(Qt::transparent);
    QPainter peintre(&p);
    peintre.setRenderHint(QPainter::Antialiasing);
    peintre.setPen(QPen(QColor(60, 60, 60), 1.5));
    peintre.setBrush(fermee ? QBrush(QColor(60, 60, 60)) : QBrush(Qt::white));
    peintre.drawEllipse(QRectF(3.5, 3.5, 9, 9));
    return p;
}

}  // namespace

// --- ArbreListe ----------------------------------------------------------------------------

ArbreListe::ArbreListe(const ListeModele& liste, Arbre arbre, QObject* parent)
    : QAbstractItemModel(parent), liste_(liste), arbre_(arbre) {
    image_.addPixmap(Image(false), QIcon::Normal);
    image_.addPixmap(Image(true), QIcon::Selected);
}

Noeud ArbreListe::NoeudDe(const QModelIndex& i) const {
    if (!i.isValid() || i.internalId() == 0) return {};
    if (i.internalId() == 1) return {Noeud::Sequence, std::size_t(i.row()), 0};
    return {Noeud::Point, std::size_t(i.internalId() - 2), std::size_t(i.row())};
}

QModelIndex ArbreListe::index(int row, int column, const QModelIndex& parent) const {
    if (row < 0 || column != 0 || row >= rowCount(parent)) return {};
    if (!parent.isValid()) return createIndex(row, 0, quintptr(0));
    if (parent.internalId() == 0) return createIndex(row, 0, quintptr(1));
    return createIndex(row, 0, quintptr(parent.row()) + 2);
}

QModelIndex ArbreListe::parent(const QModelIndex& child) const {
    if (!child.isValid() || child.internalId() == 0) return {};
    if (child.internalId() == 1) return createIndex(0, 0, quintptr(0));
    return createIndex(int(child.internalId() - 2), 0, quintptr(1));
}

int ArbreListe::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid()) return 1;
    const Noeud n = NoeudDe(parent);
    if (n.niveau == Noeud::Racine) return int(liste_.NbTraces(arbre_));
    if (n.niveau == Noeud::Sequence) return int(liste_.NbPoints(arbre_, n.trace));
    return 0;
}

bool ArbreListe::hasChildren(const QModelIndex& parent) const { return rowCount(parent) > 0; }

QVariant ArbreListe::data(const QModelIndex& i, int role) const {
    if (!i.isValid()) return {};
    switch (role) {
        case Qt::DisplayRole: return Q(liste_.Texte(arbre_, NoeudDe(i)));
        case Qt::DecorationRole: return image_;
        case RoleCle: return Q(liste_.Cle(arbre_, NoeudDe(i)));
        default: return {};
    }
}

// --- F_Liste -------------------------------------------------------------------------------

F_Liste::F_Liste(F_Representation& fenetre, QWidget* parent)
    : QDialog(parent ? parent : &fenetre), fenetre_(fenetre), liste_(fenetre.Doc()) {
    setWindowTitle(QStringLiteral("Liste des coordonnées"));
    const Parametres& par = fenetre.Doc().Reglages();
    auto colonne = [&](QLabel*& label, QTreeView*& vue, ArbreListe*& modele, Arbre a, const char* titre,
                       int32_t couleur) {
        auto* boite = new QVBoxLayout;
        label = new QLabel(QString::fromUtf8(titre));
        QPalette p = label->palette();
        p.setColor(QPalette::WindowText, CouleurQt(couleur));
        label->setPalette(p);
        vue = new QTreeView;
        modele = new ArbreListe(liste_, a, this);
        // Equal rows let the view place a million of them without measuring each.
        vue->setUniformRowHeights(true);
        vue->setHeaderHidden(true);
        vue->setModel(modele);
        vue->setToolTip(QString::fromUtf8(BulleArbres));
        vue->installEventFilter(this);
        vue->viewport()->installEventFilter(this);
        connect(vue, &QTreeView::clicked, this, [this, vue](const QModelIndex& i) { NodeClick(vue, i); });
        boite->addWidget(label);
        boite->addWidget(vue);
        return boite;
    };
    Label_Trace = Label_Decale = nullptr;
    TreeView1 = TreeView2 = nullptr;
    auto* arbres = new QHBoxLayout;
    arbres->addLayout(
        colonne(Label_Trace, TreeView1, arbre1_, Arbre::Initial, "Tracé initial", par.CouleurDeselectionne));
    arbres->addLayout(colonne(Label_Decale, TreeView2, arbre2_, Arbre::Decale, "Tracé décalé", par.CouleurDecalage));
    Label_Trace->setObjectName("Label_Trace");
    Label_Decale->setObjectName("Label_Decale");
    TreeView1->setObjectName("TreeView1");
    TreeView2->setObjectName("TreeView2");
    SB1 = new QStatusBar;
    SB1->setObjectName("SB1");
    auto* tout = new QVBoxLayout(this);
    tout->addLayout(arbres);
    tout->addWidget(SB1);
    resize(760, 520);
    Remplissage();
}

void F_Liste::Remplissage() {
    arbre1_->AvantRemplissage();
    arbre2_->AvantRemplissage();
    liste_.Remplit();
    arbre1_->ApresRemplissage();
    arbre2_->ApresRemplissage();
    for (QTreeView* vue : {TreeView1, TreeView2}) vue->expand(vue->model()->index(0, 0));
}

void F_Liste::NodeClick(QTreeView*, const QModelIndex& i) {
    const auto point = ListeModele::PointDuTexte(i.data().toString().toStdString());
    if (!point) return;
    fenetre_.Form_Resize();
    fenetre_.PB1->MarquePoint(point->first, point->second, CouleurQt(fenetre_.Doc().Reglages().CouleurSelectionne));
}

void F_Liste::ToucheSuppr(QTreeView* arbre) {
    const Arbre a = ArbreDe(arbre);
    const QModelIndex courant = arbre->currentIndex();
    if (!courant.isValid()) return;
    const Noeud n = ModeleArbre(a).NoeudDe(courant);
    liste_.Supprime(a, n);
    Remplissage();
    // The selection stays about where it was, so several points go with repeated Delete.
    QAbstractItemModel* m = arbre->model();
    QModelIndex suivant = m->index(0, 0);
    if (n.niveau != Noeud::Racine && m->rowCount(suivant) > 0) {
        const QModelIndex trace = m->index(std::min<int>(int(n.trace), m->rowCount(suivant) - 1), 0, suivant);
        suivant = trace;
        if (n.niveau == Noeud::Point && std::size_t(trace.row()) == n.trace && m->rowCount(trace) > 0) {
            arbre->expand(trace);
            suivant = m->index(std::min<int>(int(n.point), m->rowCount(trace) - 1), 0, trace);
        }
    }
    arbre->setCurrentIndex(suivant);
}

void F_Liste::ClicDroit(QTreeView* arbre, QPoint position) {
    const QModelIndex sous = arbre->indexAt(position);
    if (sous.isValid() && sous != arbre->currentIndex()) {
        arbre->setCurrentIndex(sous);
        NodeClick(arbre, sous);
    }
    const QModelIndex courant = arbre->currentIndex();
    if (!courant.data().toString().startsWith(QStringLiteral("N° "))) return;
    const Arbre a = ArbreDe(arbre);
    const auto choisi = liste_.Choisi(a, ModeleArbre(a).NoeudDe(courant));
    if (!choisi) return;
    EditionTraceInitial = a == Arbre::Initial;
    ClicX = float(position.x());
    ClicY = float(position.y());
    if (!OuvreEditeurPoint) return;
    OuvreEditeurPoint(this, *choisi, arbre->viewport()->mapToGlobal(position));
    // What the editor changed shows in both trees.
    const int trace = courant.parent().row(), rang = courant.row();
    Remplissage();
    QAbstractItemModel* m = arbre->model();
    const QModelIndex t = m->index(trace, 0, m->index(0, 0));
    if (t.isValid() && rang < m->rowCount(t)) arbre->setCurrentIndex(m->index(rang, 0, t));
}

bool F_Liste::eventFilter(QObject* objet, QEvent* e) {
    for (QTreeView* vue : {TreeView1, TreeView2}) {
        if (!vue) continue;
        if (objet == vue && e->type() == QEvent::KeyRelease && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Delete) {
            ToucheSuppr(vue);
            return true;
        }
        if (objet == vue->viewport() && e->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(e)->button() == Qt::RightButton) {
            ClicDroit(vue, static_cast<QMouseEvent*>(e)->position().toPoint());
            return true;
        }
    }
    return QDialog::eventFilter(objet, e);
}

void F_Liste::done(int r) {
    // The point cross goes with the repaint.
    fenetre_.Form_Resize();
    QDialog::done(r);
}

}  // namespace korvelin
