#include "workspace/f_point.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <cmath>

#include "model/nombres.h"
#include "workspace/f_representation.h"
#include "workspace/zone_dessin.h"

namespace korvelin {

namespace {

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// The main window, to mark the point in its view: the nearest ancestor, or the one open.
F_Representation* Principale(QWidget* parent) {
    for (QWidget* w = parent; w; w = w->parentWidget())
        if (auto* f = qobject_cast<F_Representation*>(w)) return f;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* f = qobject_cast<F_Representation*>(w)) return f;
    return nullptr;
}

// A scroll bar over the drawing's extent on one axis, in whole millimetres, widened to
// take in the point itself.
void Etendue(QScrollBar* barre, double bas, double haut, double valeur) {
    auto entier = [](double v) { return static_cast<int>(std::clamp(v, -1.0e9, 1.0e9)); };
    const int mini = entier(std::floor(std::min(bas, valeur)));
    const int maxi = std::max(mini + 1, entier(std::ceil(std::max(haut, valeur))));
    barre->setRange(mini, maxi);
    barre->setSingleStep(1);
    barre->setPageStep(std::max(1, (maxi - mini) / 10));
}

}  // namespace

F_Point::F_Point(Document& doc, int32_t index, QWidget* parent) : QDialog(parent), doc_(doc), modele_(doc, index) {
    Construit();
}

F_Point::F_Point(Document& doc, std::size_t entree, int32_t index, QWidget* parent)
    : QDialog(parent), doc_(doc), modele_(doc, entree, index) {
    Construit();
}

void F_Point::Construit() {
    setObjectName("F_Point");
    setWindowTitle("Point");
    principale_ = Principale(parentWidget());
    InterfaceUtilisateur& ui = doc_.Interface();
    modele_.Statut = [&ui](std::string_view t) { ui.TexteStatut(1, t); };
    modele_.ConfirmeSuppression = [&ui] { return ui.Question("Confirmez-vous la suppression ?", TitreProgramme); };
    modele_.PointsRenumerotes = [this] { emit PointsRenumerotes(); };

    CreeControles();
    Dispose();
    Relie();
    Charge();
}

void F_Point::CreeControles() {
    auto bouton = [this](const char* nom, QStyle::StandardPixmap image) {
        auto* b = new QToolButton(this);
        b->setObjectName(nom);
        b->setIcon(style()->standardIcon(image));
        b->setAutoRaise(false);
        return b;
    };
    CB_Haut = bouton("CB_Haut", QStyle::SP_ArrowUp);
    CB_Bas = bouton("CB_Bas", QStyle::SP_ArrowDown);
    CB_Gauche = bouton("CB_Gauche", QStyle::SP_ArrowLeft);
    CB_Droite = bouton("CB_Droite", QStyle::SP_ArrowRight);
    CB_Supprimer = bouton("CB_Supprimer", QStyle::SP_TrashIcon);
    CB_Supprimer->setToolTip("Supprimer ce point");
    CB_Depart = bouton("CB_Depart", QStyle::SP_MediaSkipBackward);
    CB_Depart->setToolTip("Considérer ce point comme point de départ de la séquence");
    TB_X = new QLineEdit(this);
    TB_X->setObjectName("TB_X");
    TB_Y = new QLineEdit(this);
    TB_Y->setObjectName("TB_Y");
    HScroll1 = new QScrollBar(Qt::Horizontal, this);
    HScroll1->setObjectName("HScroll1");
    VScroll1 = new QScrollBar(Qt::Vertical, this);
    VScroll1->setObjectName("VScroll1");
    // Upwards on the bar is upwards in the drawing.
    VScroll1->setInvertedAppearance(true);
    VScroll1->setInvertedControls(false);
    CB_Cancel = new QPushButton("Cancel", this);
    CB_Cancel->setObjectName("CB_Cancel");
    CB_Cancel->setAutoDefault(false);
    Btn_OK = new QPushButton("OK", this);
    Btn_OK->setObjectName("Btn_OK");
    Btn_OK->setAutoDefault(false);
    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
}

void F_Point::Dispose() {
    auto* fleches = new QGridLayout;
    fleches->addWidget(CB_Haut, 0, 1);
    fleches->addWidget(CB_Gauche, 1, 0);
    fleches->addWidget(CB_Droite, 1, 2);
    fleches->addWidget(CB_Bas, 2, 1);
    auto* boites = new QGridLayout;
    boites->addWidget(new QLabel("X :", this), 0, 0);
    boites->addWidget(TB_X, 0, 1);
    boites->addWidget(new QLabel("Y :", this), 1, 0);
    boites->addWidget(TB_Y, 1, 1);
    auto* actions = new QHBoxLayout;
    actions->addWidget(CB_Supprimer);
    actions->addWidget(CB_Depart);
    actions->addStretch();
    actions->addWidget(CB_Cancel);
    actions->addWidget(Btn_OK);
    auto* grille = new QGridLayout(this);
    grille->addLayout(fleches, 0, 0);
    grille->addLayout(boites, 0, 1);
    grille->addWidget(VScroll1, 0, 2);
    grille->addWidget(HScroll1, 1, 0, 1, 2);
    grille->addLayout(actions, 2, 0, 1, 3);
}

// What the arrows, bars, boxes and buttons do.
void F_Point::Relie() {
    Fleche(CB_Droite, EditionPoint::Droite);
    Fleche(CB_Gauche, EditionPoint::Gauche);
    Fleche(CB_Haut, EditionPoint::Haut);
    Fleche(CB_Bas, EditionPoint::Bas);
    connect(Timer1, &QTimer::timeout, this, [this] {
        if (modele_.DirectionFleche == EditionPoint::Aucune) return;
        modele_.Tic();
        MontreValeurs();
        Marque();
    });
    for (QScrollBar* barre : {HScroll1, VScroll1}) {
        connect(barre, &QScrollBar::sliderPressed, this, [this] { modele_.DebutGlisse(); });
        connect(barre, &QScrollBar::valueChanged, this, [this, barre](int v) {
            if (ChargementEnCours) return;
            // One drag of the thumb undoes as one step.
            const bool fusion = barre->isSliderDown();
            if (barre == HScroll1)
                modele_.FixeX(v, fusion);
            else
                modele_.FixeY(v, fusion);
            MontreValeurs();
            Marque();
        });
    }
    connect(TB_X, &QLineEdit::editingFinished, this, [this] {
        if (ChargementEnCours) return;
        modele_.SaisieX(TB_X->text().toStdString());
        MontreValeurs();
        Marque();
    });
    connect(TB_Y, &QLineEdit::editingFinished, this, [this] {
        if (ChargementEnCours) return;
        modele_.SaisieY(TB_Y->text().toStdString());
        MontreValeurs();
        Marque();
    });
    connect(CB_Supprimer, &QToolButton::clicked, this, &F_Point::Supprime);
    connect(CB_Depart, &QToolButton::clicked, this, [this] {
        modele_.Depart();
        MontreValeurs();
        Marque();
    });
    connect(CB_Cancel, &QPushButton::clicked, this, &F_Point::reject);
    connect(Btn_OK, &QPushButton::clicked, this, &F_Point::accept);
}

void F_Point::Charge() {
    ChargementEnCours = true;
    // A zero or negative interval would spin; the settings may hold anything.
    Timer1->setInterval(std::max<int>(1, doc_.Reglages().TimerInterval));
    Timer1->start();
    modele_.DirectionFleche = EditionPoint::Aucune;
    CB_Depart->setEnabled(modele_.PointInitial() && modele_.Valide());
    for (QWidget* w : std::initializer_list<QWidget*>{TB_X, TB_Y, CB_Haut, CB_Bas, CB_Gauche, CB_Droite, HScroll1,
                                                      VScroll1, CB_Supprimer})
        w->setEnabled(modele_.Valide());
    const Dessin& d = doc_.Trace();
    Etendue(HScroll1, d.Xmin, d.Xmax, modele_.X());
    Etendue(VScroll1, d.Ymin, d.Ymax, modele_.Y());
    MontreValeurs();
    ChargementEnCours = false;
}

void F_Point::MontreValeurs() {
    const bool avant = ChargementEnCours;
    ChargementEnCours = true;
    TB_X->setText(Q(EcritureLocale(modele_.X())));
    TB_Y->setText(Q(EcritureLocale(modele_.Y())));
    // The bars follow the point without moving it again.
    for (auto [barre, v] : {std::pair{HScroll1, modele_.X()}, std::pair{VScroll1, modele_.Y()}}) {
        if (barre->isSliderDown()) continue;
        const QSignalBlocker bloque(barre);
        barre->setValue(
            static_cast<int>(std::clamp(std::round(v), double(barre->minimum()), double(barre->maximum()))));
    }
    ChargementEnCours = avant;
}

void F_Point::Marque() {
    if (!principale_ || !principale_->PB1) return;
    principale_->PB1->MarquePoint(VersFlottant32(modele_.X()), VersFlottant32(modele_.Y()),
                                  CouleurQt(doc_.Reglages().CouleurSelectionne));
}

void F_Point::Fleche(QToolButton* bouton, int16_t code) {
    connect(bouton, &QToolButton::pressed, this, [this, code] { modele_.Enfonce(code); });
    connect(bouton, &QToolButton::released, this, [this] { modele_.Relache(); });
    connect(bouton, &QToolButton::clicked, this, [this, code] {
        modele_.Clic(code);
        MontreValeurs();
        Marque();
    });
}

void F_Point::Supprime() {
    if (!modele_.Supprime(doc_.Reglages().ConfirmSuppr)) return;
    Timer1->stop();
    QDialog::accept();
}

void F_Point::reject() {
    Timer1->stop();
    modele_.Annule();
    Marque();
    QDialog::reject();
}

void F_Point::PlacePres(const QPoint& global) {
    QPoint coin = global + QPoint(16, 16);
    if (const QScreen* ecran = QApplication::screenAt(global)) {
        const QRect zone = ecran->availableGeometry();
        const QSize taille = sizeHint();
        coin.setX(std::clamp(coin.x(), zone.left(), std::max(zone.left(), zone.right() - taille.width())));
        coin.setY(std::clamp(coin.y(), zone.top(), std::max(zone.top(), zone.bottom() - taille.height())));
    }
    move(coin);
}

}  // namespace korvelin
