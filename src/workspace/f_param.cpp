#include "workspace/f_param.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "workspace/ecran.h"

namespace korvelin {

namespace {

QString U(const char* s) { return QString::fromUtf8(s); }

QColor CouleurQt(int32_t v) { return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF); }
int32_t CouleurReglage(const QColor& c) { return c.red() + 256 * c.green() + 65536 * c.blue(); }

QGroupBox* Cadre(QWidget* parent, const char* titre) { return new QGroupBox(U(titre), parent); }

// Captions of the settings beyond the machine description, when the table holds them.
const char* LegendeSupplementaire(std::string_view cle) {
    if (cle == "VitesseBroche") return "Vitesse de broche (tr/min)";
    if (cle == "AttachesNombre") return "Nombre d'attaches";
    if (cle == "AttachesLargeur") return "Largeur des attaches (mm)";
    if (cle == "AttachesHauteur") return "Hauteur des attaches (mm)";
    return "";
}

const char* BulleSupplementaire(std::string_view cle) {
    if (cle == "VitesseBroche") return "Vitesse de rotation de la broche écrite dans le G-code (vide : aucune)";
    return "";
}

QLabel* Legende(QWidget* parent, const char* texte) { return new QLabel(U(texte), parent); }

}  // namespace

F_Param::F_Param(Document& doc, QWidget* parent) : QDialog(parent), modele_(doc) {
    setObjectName("F_Param");
    setWindowTitle(U("Paramètres"));
    setModal(true);

    QGroupBox* machine = CadreMachine();
    QGroupBox* interface = CadreInterface();
    QGroupBox* optimisation = CadreOptimisation();
    QGroupBox* affichages = CadreAffichages();
    QGroupBox* marges = CadreMarges();
    QGroupBox* outil = CadreOutil();
    QGroupBox* couleurs = CadreCouleurs();
    QGroupBox* autres = CadreAutres();

    Btn_OK = new QPushButton(U("OK"), this);
    Btn_OK->setObjectName("Btn_OK");
    Btn_OK->setDefault(true);
    Btn_Annuler = new QPushButton(U("Annuler"), this);
    Btn_Annuler->setObjectName("Btn_Annuler");
    connect(Btn_OK, &QPushButton::clicked, this, &F_Param::Btn_OK_Click);
    connect(Btn_Annuler, &QPushButton::clicked, this, &QDialog::reject);

    Dispose({machine, interface, optimisation, affichages, marges, outil, couleurs, autres});

    ChoixCouleur = [this](const QColor& actuelle) -> std::optional<QColor> {
        const QColor c = QColorDialog::getColor(actuelle, this);
        if (!c.isValid()) return std::nullopt;
        return c;
    };

    modele_.Charger();
    Form_Load();
}

QLineEdit* F_Param::Boite(QWidget* parent, const std::string& nom, bool lecture) {
    auto* b = new QLineEdit(parent);
    b->setObjectName(QString::fromStdString(nom));
    b->setMinimumWidth(70);
    b->setMaximumWidth(90);
    if (lecture) {
        b->setReadOnly(true);
        b->setFocusPolicy(Qt::NoFocus);
    } else {
        b->installEventFilter(this);
        connect(b, &QLineEdit::returnPressed, this, [this, b] { Valide(b); });
    }
    Boites[nom] = b;
    return b;
}

// The machine, one frame per axis.
QGroupBox* F_Param::CadreMachine() {
    auto* machine = Cadre(this, "Configuration de la fraiseuse");
    auto* axes = new QHBoxLayout(machine);
    const char* nomsAxes[3] = {"X", "Y", "Z"};
    for (int a = 0; a < 3; ++a) {
        const std::string s = nomsAxes[a];
        auto* axe = Cadre(machine, a == 0 ? "Axe des X" : a == 1 ? "Axe des Y" : "Axe des Z");
        auto* g = new QGridLayout(axe);
        g->addWidget(Legende(axe, "Course (mm)"), 0, 0);
        g->addWidget(Boite(axe, "TB_Course_" + s), 0, 1);
        g->addWidget(Legende(axe, "Nombre de pas par tour"), 1, 0);
        g->addWidget(Boite(axe, "TB_NbPas_" + s), 1, 1);
        g->addWidget(Legende(axe, "Pas de vis (mm)"), 2, 0);
        g->addWidget(Boite(axe, "TB_Pas_" + s), 2, 1);
        CB_Inversion[a] = new QCheckBox(U("Inversion du sens"), axe);
        CB_Inversion[a]->setObjectName(QString::fromStdString("CB_Inversion_" + s));
        g->addWidget(CB_Inversion[a], 3, 0, 1, 2);

        auto* vitesse = Cadre(axe, "Vitesse");
        auto* gv = new QGridLayout(vitesse);
        gv->addWidget(Legende(vitesse, "Tps mini entre pas (ms)"), 0, 1);
        gv->addWidget(Legende(vitesse, "Vitesse maximum"), 0, 2);
        struct Ligne {
            const char* titre;
            std::string temps, vitesse;
        };
        std::vector<Ligne> lignes;
        if (a < 2)
            lignes = {{"matière", "TB_TempsMin_Mat_" + s, "TB_VitMax_Mat_" + s},
                      {"hors-matière", "TB_TempsMin_HMat_" + s, "TB_VitMax_HMat_" + s}};
        else
            lignes = {{"matière", "TB_TempsMin_Mat_Z", "TB_VitMax_Mat_Z"},
                      {"Descente", "TB_TempsMin_Descente", "TB_VitMax_Descente"},
                      {"Montée", "TB_TempsMin_Montee", "TB_VitMax_Montee"}};
        for (int k = 0; k < int(lignes.size()); ++k) {
            gv->addWidget(Legende(vitesse, lignes[k].titre), k + 1, 0);
            gv->addWidget(Boite(vitesse, lignes[k].temps), k + 1, 1);
            gv->addWidget(Boite(vitesse, lignes[k].vitesse, true), k + 1, 2);
        }
        g->addWidget(vitesse, 4, 0, 1, 2);
        g->setRowStretch(5, 1);
        axes->addWidget(axe);
        connect(CB_Inversion[a], &QCheckBox::clicked, this,
                [this, a](bool c) { modele_.CocherInversion("XYZ"[a], c); });
    }
    return machine;
}

QGroupBox* F_Param::CadreInterface() {
    auto* interface = Cadre(this, "Interface");
    interface->setToolTip(U("Quel port (quelle adresse) utilisez-vous ?"));
    auto* li = new QVBoxLayout(interface);
    const char* ports[3] = {"LPT1 (378)", "LPT2 (278)", "Autre (3BC)"};
    for (int k = 0; k < 3; ++k) {
        Option_LPT[k] = new QRadioButton(U(ports[k]), interface);
        Option_LPT[k]->setObjectName(QStringLiteral("Option_LPT_%1").arg(k));
        Option_LPT[k]->setToolTip(U("Quel port (quelle adresse) utilisez-vous ?"));
        li->addWidget(Option_LPT[k]);
        connect(Option_LPT[k], &QRadioButton::clicked, this, [this, k] { modele_.ChoisirPort(int16_t(k)); });
    }
    return interface;
}

QGroupBox* F_Param::CadreOptimisation() {
    auto* optimisation = Cadre(this, "Optimisation du décalage");
    auto* lo = new QVBoxLayout(optimisation);
    CB_Optimisation_1 = new QCheckBox(U("1°) Coins concaves"), optimisation);
    CB_Optimisation_1->setObjectName("CB_Optimisation_1");
    CB_Optimisation_1->setToolTip(
        U("Suppression des points qui apparaissent à tort dans les coins convexes et complexes"));
    CB_Optimisation_2 = new QCheckBox(U("2°) Coins très convexes"), optimisation);
    CB_Optimisation_2->setObjectName("CB_Optimisation_2");
    CB_Optimisation_2->setToolTip(U("Optimisation du décalage pour les coins très convexes (très pointus)"));
    CB_OrientationAuto = new QCheckBox(U("Orientation automatique des tracés fermés à l'ouverture"), optimisation);
    CB_OrientationAuto->setObjectName("CB_OrientationAuto");
    CB_OrientationAuto->setToolTip(
        U("Retourner à l'ouverture d'un dessin les tracés fermés dont le sens "
          "placerait l'outil du côté de la pièce"));
    lo->addWidget(CB_Optimisation_1);
    lo->addWidget(CB_Optimisation_2);
    lo->addWidget(CB_OrientationAuto);
    connect(CB_Optimisation_1, &QCheckBox::clicked, this, [this](bool c) { modele_.CocherOptimisation(1, c); });
    connect(CB_Optimisation_2, &QCheckBox::clicked, this, [this](bool c) { modele_.CocherOptimisation(2, c); });
    connect(CB_OrientationAuto, &QCheckBox::clicked, this, [this](bool c) { modele_.OrientationAuto = c; });
    return optimisation;
}

QGroupBox* F_Param::CadreAffichages() {
    auto* affichages = Cadre(this, "Affichages divers");
    auto* la = new QVBoxLayout(affichages);
    CB_Affichage_Calcul = new QCheckBox(U("Affichage de la progression du calcul du décalage. Cet affichage "
                                          "augmente le temps d'exécution !"),
                                        affichages);
    CB_Affichage_Calcul->setObjectName("CB_Affichage_Calcul");
    CB_Affichage_Calcul->setToolTip(
        U("Si cette case est cochée, le détail des calculs de décalage est affiché. "
          "Cette option ralentit le traitement !"));
    CB_Confirm_Suppr = new QCheckBox(U("Confirmation lors de la suppression de points ?"), affichages);
    CB_Confirm_Suppr->setObjectName("CB_Confirm_Suppr");
    HScroll_TimerInterval = new QScrollBar(Qt::Horizontal, affichages);
    HScroll_TimerInterval->setObjectName("HScroll_TimerInterval");
    HScroll_TimerInterval->setRange(ModeleParam::IntervalleMin, ModeleParam::IntervalleMax);
    HScroll_TimerInterval->setSingleStep(ModeleParam::IntervallePas);
    HScroll_TimerInterval->setPageStep(4 * ModeleParam::IntervallePas);
    la->addWidget(CB_Affichage_Calcul);
    la->addWidget(CB_Confirm_Suppr);
    auto* intervalle = new QHBoxLayout;
    auto* ms = Legende(affichages, "");
    ms->setObjectName("LB_TimerInterval");
    intervalle->addWidget(Legende(affichages, "Vitesse de répétition pour les flèches"));
    intervalle->addStretch();
    intervalle->addWidget(ms);
    la->addLayout(intervalle);
    la->addWidget(HScroll_TimerInterval);
    // The bar alone does not say how fast the arrows repeat.
    connect(HScroll_TimerInterval, &QScrollBar::valueChanged, ms,
            [ms](int v) { ms->setText(QStringLiteral("%1 ms").arg(v)); });
    // The check boxes keep their value until the box is left, as the user may still be
    // deciding; OK reads them again in any case.
    CB_Affichage_Calcul->installEventFilter(this);
    CB_Confirm_Suppr->installEventFilter(this);
    connect(HScroll_TimerInterval, &QScrollBar::valueChanged, this, [this](int v) {
        // The bar moves in steps of 25 ms from 50, wherever it is dragged.
        const int pas = ModeleParam::IntervallePas, min = ModeleParam::IntervalleMin;
        const int arrondi = min + (v - min + pas / 2) / pas * pas;
        if (arrondi != v) {
            HScroll_TimerInterval->setValue(arrondi);
            return;
        }
        modele_.ChangerIntervalle(v);
    });
    return affichages;
}

QGroupBox* F_Param::CadreMarges() {
    auto* marges = Cadre(this, "Marges");
    auto* gm = new QGridLayout(marges);
    auto* note = Legende(marges,
                         "Les valeurs ci-dessous indiquent le décalage du tracé par rapport au point 0. "
                         "(Les valeurs sont indiquées en mm)");
    note->setWordWrap(true);
    note->setMinimumWidth(300);
    gm->addWidget(note, 0, 0, 1, 2);
    gm->addWidget(Legende(marges, "Marge en x"), 1, 0);
    gm->addWidget(Boite(marges, "TB_MargeX"), 1, 1);
    gm->addWidget(Legende(marges, "Marge en y"), 2, 0);
    gm->addWidget(Boite(marges, "TB_MargeY"), 2, 1);
    Boites["TB_MargeX"]->setToolTip(U("Marge en X du 0 de la pièce par rapport au 0 de la table"));
    Boites["TB_MargeY"]->setToolTip(U("Marge en y du 0 de la pièce par rapport au 0 de la table"));
    return marges;
}

QGroupBox* F_Param::CadreOutil() {
    auto* outil = Cadre(this, "Décalage de l'outil / Rayon");
    auto* gr = new QGridLayout(outil);
    gr->addWidget(Legende(outil, "Rayon de l'outil"), 0, 0);
    gr->addWidget(Boite(outil, "TB_RayonFraise"), 0, 1);
    Boites["TB_RayonFraise"]->setToolTip(U("Rayon de la fraise (pas le diamètre !!)"));
    const char* cotes[3][2] = {{"En opposition", "La matière est à gauche quand on avance"},
                               {"Sur le tracé", "L'outil suit le tracé sans décalage"},
                               {"En avalant", "La matière est à droite quand on avance"}};
    for (int k = 0; k < 3; ++k) {
        Option[k] = new QRadioButton(U(cotes[k][0]), outil);
        Option[k]->setObjectName(QStringLiteral("Option%1").arg(k + 1));
        Option[k]->setToolTip(U(cotes[k][1]));
        gr->addWidget(Option[k], k + 1, 0, 1, 2);
        connect(Option[k], &QRadioButton::clicked, this, [this, k] { modele_.ChoisirCote(int16_t(k + 1)); });
    }
    return outil;
}

QGroupBox* F_Param::CadreCouleurs() {
    auto* couleurs = Cadre(this, "Couleurs");
    auto* gc = new QGridLayout(couleurs);
    const char* libelles[5] = {"N° des points", "N° des séquences", "Tracé sélectionné", "Tracé non sélectionné",
                               "Tracé décalé"};
    for (int k = 0; k < 5; ++k) {
        LB_Couleur[k] = new QLabel(U(libelles[k]), couleurs);
        LB_Couleur[k]->setObjectName(QStringLiteral("LB_Couleur_%1").arg(k));
        Btn_Couleur[k] = new QPushButton(QStringLiteral("..."), couleurs);
        Btn_Couleur[k]->setObjectName(QStringLiteral("Btn_Couleur_%1").arg(k));
        Btn_Couleur[k]->setToolTip(U("Cliquer pour modifier la couleur"));
        Btn_Couleur[k]->setMaximumWidth(40);
        gc->addWidget(LB_Couleur[k], k, 0);
        gc->addWidget(Btn_Couleur[k], k, 1);
        connect(Btn_Couleur[k], &QPushButton::clicked, this, [this, k] { Btn_Couleur_Click(k); });
    }
    Btn_Valeurs_Defaut = new QPushButton(U("Valeurs des couleurs par défaut"), couleurs);
    Btn_Valeurs_Defaut->setObjectName("Btn_Valeurs_Defaut");
    Btn_Valeurs_Defaut->setToolTip(U("Revenir aux valeurs par défaut pour les couleurs"));
    gc->addWidget(Btn_Valeurs_Defaut, 5, 0, 1, 2);
    connect(Btn_Valeurs_Defaut, &QPushButton::clicked, this, [this] {
        modele_.ValeursCouleursParDefaut();
        Form_Load();
    });
    return couleurs;
}

// The settings beyond, when the table holds any; none, no frame.
QGroupBox* F_Param::CadreAutres() {
    QGroupBox* autres = nullptr;
    if (const auto cles = ModeleParam::BoitesSupplementaires(); !cles.empty()) {
        autres = Cadre(this, "Autres réglages");
        auto* gs = new QGridLayout(autres);
        for (int k = 0; k < int(cles.size()); ++k) {
            gs->addWidget(Legende(autres, LegendeSupplementaire(cles[k])), k, 0);
            QLineEdit* b = Boite(autres, "TB_" + std::string(cles[k]));
            b->setToolTip(U(BulleSupplementaire(cles[k])));
            gs->addWidget(b, k, 1);
        }
    }
    return autres;
}

// Below the machine: the short frames side by side, then the display options, whose
// captions are long, beside the margins and the other settings.
void F_Param::Dispose(const CadresParam& c) {
    const auto& [machine, interface, optimisation, affichages, marges, outil, couleurs, autres] = c;
    auto* milieu = new QHBoxLayout;
    auto* colonne = new QVBoxLayout;
    colonne->addWidget(interface);
    colonne->addStretch();
    milieu->addLayout(colonne);
    for (QWidget* w :
         {static_cast<QWidget*>(optimisation), static_cast<QWidget*>(outil), static_cast<QWidget*>(couleurs)})
        milieu->addWidget(w, 0, Qt::AlignTop);
    auto* bas = new QHBoxLayout;
    bas->addWidget(affichages, 0, Qt::AlignTop);
    bas->addWidget(marges, 1, Qt::AlignTop);
    if (autres) bas->addWidget(autres, 0, Qt::AlignTop);
    auto* boutons = new QHBoxLayout;
    boutons->addStretch();
    boutons->addWidget(Btn_OK);
    boutons->addWidget(Btn_Annuler);
    // The frames scroll above the buttons when the screen is too small for them all.
    auto* corps = new QWidget;
    auto* cadres = new QVBoxLayout(corps);
    cadres->setContentsMargins(0, 0, 0, 0);
    cadres->addWidget(machine);
    cadres->addLayout(milieu);
    cadres->addLayout(bas);
    cadres->addStretch();
    auto* tout = new QVBoxLayout(this);
    QScrollArea* zone = Defilable(corps);
    tout->addWidget(zone);
    tout->addLayout(boutons);
    const QMargins m = tout->contentsMargins();
    TailleDansLEcran(*this,
                     corps->sizeHint() + QSize(m.left() + m.right() + zone->verticalScrollBar()->sizeHint().width(),
                                               m.top() + m.bottom() + tout->spacing() + Btn_OK->sizeHint().height()));
}

// Fills every control from the model without running a handler, so opening the dialog
// recomputes nothing.
void F_Param::Form_Load() {
    const Parametres& p = modele_.Valeurs();
    const QSignalBlocker b1(CB_Affichage_Calcul), b2(CB_Confirm_Suppr), b3(HScroll_TimerInterval),
        b4(CB_Optimisation_1), b5(CB_Optimisation_2);
    CB_Affichage_Calcul->setChecked(p.AffichageCalcul);
    CB_Confirm_Suppr->setChecked(p.ConfirmSuppr);
    HScroll_TimerInterval->setValue(p.TimerInterval);
    if (auto* ms = findChild<QLabel*>("LB_TimerInterval"))
        ms->setText(QStringLiteral("%1 ms").arg(HScroll_TimerInterval->value()));
    CB_Optimisation_1->setChecked(p.Optimisation_1);
    CB_Optimisation_2->setChecked(p.Optimisation_2);
    CB_OrientationAuto->setChecked(modele_.OrientationAuto);
    for (int k = 0; k < 3; ++k) {
        // Exclusive buttons cannot all be off while exclusive.
        Option_LPT[k]->setAutoExclusive(false);
        Option_LPT[k]->setChecked(p.OptionLPT == k);
        Option_LPT[k]->setAutoExclusive(true);
        Option[k]->setAutoExclusive(false);
        Option[k]->setChecked(p.DecalageOutil == k + 1);
        Option[k]->setAutoExclusive(true);
    }
    CB_Inversion[0]->setChecked(p.InversionSens_X);
    CB_Inversion[1]->setChecked(p.InversionSens_Y);
    CB_Inversion[2]->setChecked(p.InversionSens_Z);
    MontreTextes();
    MontreCouleurs();
}

void F_Param::MontreTextes() {
    for (auto& [nom, b] : Boites) b->setText(QString::fromStdString(modele_.Texte(nom)));
}

void F_Param::MontreCouleurs() {
    for (int k = 0; k < 5; ++k) {
        QPalette pal = LB_Couleur[k]->palette();
        pal.setColor(QPalette::WindowText, CouleurQt(modele_.Couleurs[std::size_t(k)]));
        LB_Couleur[k]->setPalette(pal);
    }
}

void F_Param::Valide(QLineEdit* boite) {
    modele_.Valider(boite->objectName().toStdString(), boite->text().toStdString());
    // The speeds of the axis change with its times, pitch and step count.
    for (const auto& v : ModeleParam::BoitesVitesses())
        Boites.at(std::string(v.nom))->setText(QString::fromStdString(modele_.Texte(v.nom)));
}

bool F_Param::eventFilter(QObject* objet, QEvent* e) {
    if (e->type() == QEvent::FocusOut && static_cast<QFocusEvent*>(e)->reason() != Qt::PopupFocusReason) {
        if (auto* b = qobject_cast<QLineEdit*>(objet))
            Valide(b);
        else if (objet == CB_Affichage_Calcul)
            modele_.CocherAffichageCalcul(CB_Affichage_Calcul->isChecked());
        else if (objet == CB_Confirm_Suppr)
            modele_.CocherConfirmSuppr(CB_Confirm_Suppr->isChecked());
    }
    return QDialog::eventFilter(objet, e);
}

void F_Param::Btn_Couleur_Click(int index) {
    const auto choisie = ChoixCouleur(CouleurQt(modele_.Couleurs[std::size_t(index)]));
    modele_.ChoisirCouleur(index, choisie ? std::optional<int32_t>(CouleurReglage(*choisie)) : std::nullopt);
    MontreCouleurs();
}

void F_Param::Btn_OK_Click() {
    // The box being typed in counts, although it was not left.
    if (auto* b = qobject_cast<QLineEdit*>(focusWidget()); b && !b->isReadOnly()) Valide(b);
    modele_.CocherAffichageCalcul(CB_Affichage_Calcul->isChecked());
    modele_.CocherConfirmSuppr(CB_Confirm_Suppr->isChecked());
    modele_.Ok();
    accept();
}

}  // namespace korvelin
