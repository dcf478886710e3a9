#include "workspace/f_dimension.h"

#include <QCheckBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvelin {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

QLineEdit* Boite(QWidget* parent, const char* nom, const char* bulle = nullptr) {
    auto* b = new QLineEdit(parent);
    b->setObjectName(nom);
    if (bulle) b->setToolTip(QString::fromUtf8(bulle));
    return b;
}

QLabel* Etiquette(QWidget* parent, const char* nom, const char* texte) {
    auto* l = new QLabel(QString::fromUtf8(texte), parent);
    l->setObjectName(nom);
    return l;
}

}  // namespace

F_Dimension::F_Dimension(ModeleDimension& modele, InterfaceUtilisateur& ui, QWidget* parent)
    : QDialog(parent), modele_(modele), ui_(ui) {
    setObjectName("F_Dimension");
    setWindowTitle(QStringLiteral("Validation des dimensions du résultat"));
    setModal(true);

    auto* Label1 = Etiquette(this, "Label1",
                             "Le tableau ci-dessous indique les dimensions initiales du dessin. Les dimensions du "
                             "résultat sont calculées en fonction d'un rapport qui est mémorisé pour chaque type de "
                             "fichier. Il est possible de changer les dimensions du résultat, soit en les donnant "
                             "directement, soit en donnant un autre rapport");
    Label1->setWordWrap(true);

    TB_H_Initial = Boite(this, "TB_H_Initial");
    TB_V_Initial = Boite(this, "TB_V_Initial");
    TB_H_Initial->setEnabled(false);
    TB_V_Initial->setEnabled(false);
    TB_H_Rapport =
        Boite(this, "TB_H_Rapport", "Rapport entre les dimensions horizontales du dessin et les dimensions finales");
    TB_V_Rapport =
        Boite(this, "TB_V_Rapport", "Rapport entre les dimensions verticales du dessin et les dimensions finales");
    TB_H_Resultat = Boite(this, "TB_H_Resultat", "Dimension horizontale de la pièce finie");
    TB_V_Resultat = Boite(this, "TB_V_Resultat", "Dimension verticale de la pièce finie");

    CB_Proportions = new QCheckBox(QStringLiteral("Conserver les proportions"), this);
    CB_Proportions->setObjectName("CB_Proportions");
    CB_Proportions->setToolTip(
        QStringLiteral("Conserver ou non les proportions initiales, c'est à dire les mêmes rapports "
                       "horizontaux et verticaux "));
    CB_Proportions->setChecked(true);

    Btn_OK = new QPushButton(QStringLiteral("Valider"), this);
    Btn_OK->setObjectName("Btn_OK");
    Btn_OK->setDefault(true);

    auto* grille = new QGridLayout;
    grille->addWidget(Etiquette(this, "Label8", "Initial"), 0, 1, Qt::AlignCenter);
    grille->addWidget(Etiquette(this, "Label9", "Rapport"), 0, 2, Qt::AlignCenter);
    grille->addWidget(Etiquette(this, "Label10", "Résultat (mm)"), 0, 3, Qt::AlignCenter);
    grille->addWidget(Etiquette(this, "Label6", "Horizontales"), 1, 0);
    grille->addWidget(Etiquette(this, "Label7", "Verticales"), 2, 0);
    grille->addWidget(TB_H_Initial, 1, 1);
    grille->addWidget(TB_H_Rapport, 1, 2);
    grille->addWidget(TB_H_Resultat, 1, 3);
    grille->addWidget(TB_V_Initial, 2, 1);
    grille->addWidget(TB_V_Rapport, 2, 2);
    grille->addWidget(TB_V_Resultat, 2, 3);

    auto* bas = new QHBoxLayout;
    bas->addWidget(CB_Proportions);
    bas->addStretch();
    bas->addWidget(Btn_OK);

    auto* tout = new QVBoxLayout(this);
    tout->addWidget(Label1);
    tout->addLayout(grille);
    tout->addLayout(bas);
    setMinimumWidth(520);

    for (QLineEdit* b : {TB_H_Rapport, TB_V_Rapport, TB_H_Resultat, TB_V_Resultat}) {
        b->installEventFilter(this);
        connect(b, &QLineEdit::returnPressed, this, [this, b] { Valide(b); });
    }
    connect(CB_Proportions, &QCheckBox::clicked, this, [this](bool coche) {
        LitBoites();
        modele_.CliquerProportions(coche);
        MontreBoites();
    });
    connect(Btn_OK, &QPushButton::clicked, this, &QDialog::accept);

    MontreBoites();
}

void F_Dimension::LitBoites() {
    modele_.H_Rapport = TB_H_Rapport->text().toStdString();
    modele_.V_Rapport = TB_V_Rapport->text().toStdString();
    modele_.H_Resultat = TB_H_Resultat->text().toStdString();
    modele_.V_Resultat = TB_V_Resultat->text().toStdString();
    modele_.Proportions = CB_Proportions->isChecked();
}

void F_Dimension::MontreBoites() {
    TB_H_Initial->setText(Q(modele_.H_Initial));
    TB_V_Initial->setText(Q(modele_.V_Initial));
    TB_H_Rapport->setText(Q(modele_.H_Rapport));
    TB_V_Rapport->setText(Q(modele_.V_Rapport));
    TB_H_Resultat->setText(Q(modele_.H_Resultat));
    TB_V_Resultat->setText(Q(modele_.V_Resultat));
    CB_Proportions->setChecked(modele_.Proportions);
}

void F_Dimension::Valide(QLineEdit* boite) {
    if (ferme_) return;
    LitBoites();
    if (boite == TB_H_Rapport)
        modele_.ValiderHRapport();
    else if (boite == TB_V_Rapport)
        modele_.ValiderVRapport();
    else if (boite == TB_H_Resultat)
        modele_.ValiderHResultat();
    else if (boite == TB_V_Resultat)
        modele_.ValiderVResultat();
    MontreBoites();
}

bool F_Dimension::eventFilter(QObject* objet, QEvent* e) {
    auto* boite = qobject_cast<QLineEdit*>(objet);
    if (boite && e->type() == QEvent::KeyPress) {
        auto* touche = static_cast<QKeyEvent*>(e);
        const QString texte = touche->text();
        if (texte.size() == 1 && texte[0].unicode() < 128) {
            const char c = char(texte[0].unicode());
            const char remplace = ToucheDimension(c);
            if (remplace != c) {
                boite->insert(QString(QChar(remplace)));
                return true;
            }
        }
    } else if (boite && e->type() == QEvent::FocusOut) {
        const auto raison = static_cast<QFocusEvent*>(e)->reason();
        // A menu or tooltip popping up is not leaving the box.
        if (raison != Qt::PopupFocusReason) Valide(boite);
    }
    return QDialog::eventFilter(objet, e);
}

void F_Dimension::done(int r) {
    if (!ferme_) {
        LitBoites();
        const std::string refus = modele_.Fermer();
        if (!refus.empty()) {
            // The dialog stays: a ratio of zero would import nothing, and stored it would
            // spoil every later drawing of the type.
            ui_.Message(refus, TitreProgramme, Icone::Critique);
            return;
        }
        ferme_ = true;
    }
    QDialog::done(r);
}

}  // namespace korvelin
