#include "workspace/f_fraisage.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QGuiApplication>
#include <QTabBar>
#include <QTabWidget>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include "machining/controles.h"
#include "machining/gcode.h"
#include "machining/reglage.h"
#include "machining/simulation.h"
#include "machining/vitesses.h"
#include "model/nombres.h"
#include "platform/horloge.h"
#include "platform/simulateur.h"
#include "settings/magasin.h"
#include "workspace/f_representation.h"
#include "workspace/onglet_grbl.h"

namespace korvelin {

namespace {

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }
std::string S(const QString& s) { return s.toStdString(); }

QLineEdit* Boite(const char* nom, const char* bulle = nullptr) {
    auto* b = new QLineEdit;
    b->setObjectName(nom);
    if (bulle) b->setToolTip(QString::fromUtf8(bulle));
    return b;
}

QPushButton* Bouton(const char* nom, const char* texte) {
    auto* b = new QPushButton(QString::fromUtf8(texte));
    b->setObjectName(nom);
    b->setAutoDefault(false);
    return b;
}

QLabel* Texte(const char* t) { return new QLabel(QString::fromUtf8(t)); }

}  // namespace

F_Fraisage::F_Fraisage(F_Representation& principal, const OuvreursPort& ouvreurs)
    : QDialog(&principal), principal_(principal), doc_(principal.Doc()), modele_(doc_.ModeleDeFraisage()) {
    setObjectName("F_Fraisage");
    setWindowTitle("Fraisage");
    SSTab1 = new QTabWidget;
    SSTab1->setObjectName("SSTab1");

    ConstruitOngletCUT();
    ConstruitOngletReglage();
    ConstruitOngletParametres();
    ConstruitOngletFraisage();
    ConstruitOngletTest();
    ConstruitOngletGrbl();
    ConstruitBas();
    ConstruitMinuteries();
    Relie();

    Btn_Arret->setEnabled(false);
    Charge(ouvreurs);
}

void F_Fraisage::ConstruitOngletCUT() {
    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);
    auto* marges = new QGroupBox("Marges");
    auto* g = new QGridLayout(marges);
    auto* note = Texte(
        "Les valeurs ci-dessous indiquent le décalage du tracé par rapport au point 0. "
        "(Les valeurs sont indiquées en mm)");
    note->setWordWrap(true);
    g->addWidget(note, 0, 0, 1, 2);
    TB_MargeX = Boite("TB_MargeX", "Marge en X du 0 de la pièce par rapport au 0 de la table");
    TB_MargeY = Boite("TB_MargeY", "Marge en y du 0 de la pièce par rapport au 0 de la table");
    g->addWidget(Texte("Marge en x"), 1, 0);
    g->addWidget(TB_MargeX, 1, 1);
    g->addWidget(Texte("Marge en y"), 2, 0);
    g->addWidget(TB_MargeY, 2, 1);
    v->addWidget(marges);
    auto* gen = new QGroupBox("Génération du fichier .CUT");
    auto* h = new QGridLayout(gen);
    TB_CUT = Boite("TB_CUT");
    Btn_CUT = Bouton("Btn_CUT", "...");
    Btn_Gener_CUT = Bouton("Btn_Gener_CUT", "Générer le fichier .CUT");
    TB_GCode = Boite("TB_GCode");
    Btn_Gener_GCode = Bouton("Btn_Gener_GCode", "Générer le fichier G-code");
    TB_LongueurParcours = Boite("TB_LongueurParcours");
    TB_TempsFraisage = Boite("TB_TempsFraisage");
    TB_LongueurParcours->setReadOnly(true);
    TB_TempsFraisage->setReadOnly(true);
    h->addWidget(TB_CUT, 0, 0);
    h->addWidget(Btn_CUT, 0, 1);
    h->addWidget(Btn_Gener_CUT, 1, 0, 1, 2);
    CB_SansCommentaires = new QCheckBox("Sans commentaires");
    CB_SansCommentaires->setObjectName("CB_SansCommentaires");
    CB_SansCommentaires->setToolTip("Le fichier G-code ne contient aucune ligne de commentaire");
    h->addWidget(TB_GCode, 2, 0);
    h->addWidget(CB_SansCommentaires, 2, 1);
    h->addWidget(Btn_Gener_GCode, 3, 0, 1, 2);
    h->addWidget(Texte("Longueur parcours en mm"), 4, 0);
    h->addWidget(TB_LongueurParcours, 4, 1);
    h->addWidget(Texte("Temps de fraisage en secondes"), 5, 0);
    h->addWidget(TB_TempsFraisage, 5, 1);
    v->addWidget(gen);
    SSTab1->addTab(page, "CUT");
}

void F_Fraisage::ConstruitOngletReglage() {
    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);
    auto* moteur = new QHBoxLayout;
    Btn_MotorOn = Bouton("Btn_MotorOn", "Motor on (pin 17)");
    Btn_MotorOff = Bouton("Btn_MotorOff", "Motor off (pin 17)");
    moteur->addWidget(Btn_MotorOn);
    moteur->addWidget(Btn_MotorOff);
    v->addLayout(moteur);
    auto* fleches = new QGridLayout;
    const char* textes[6] = {"↓ Y", "↑ Y", "← X", "→ X", "↓ Z", "↑ Z"};
    const int places[6][2] = {{2, 1}, {0, 1}, {1, 0}, {1, 2}, {2, 4}, {0, 4}};
    for (int i = 0; i < 6; ++i) {
        CB_FLECHE[i] = Bouton("CB_FLECHE", textes[i]);
        CB_FLECHE[i]->setProperty("Index", i);
        CB_FLECHE[i]->setToolTip("Maj : 10 mm, Ctrl : un dixième");
        fleches->addWidget(CB_FLECHE[i], places[i][0], places[i][1]);
        connect(CB_FLECHE[i], &QPushButton::pressed, this,
                [this, i] { FlecheEnfoncee(i, QGuiApplication::keyboardModifiers()); });
        connect(CB_FLECHE[i], &QPushButton::released, this, &F_Fraisage::FlecheRelachee);
    }
    v->addLayout(fleches);
    auto* depl = new QGroupBox("Déplacements");
    auto* g = new QGridLayout(depl);
    TB_X = Boite("TB_X");
    TB_Y = Boite("TB_Y");
    TB_Z = Boite("TB_Z");
    g->addWidget(Texte("X (mm)"), 0, 0);
    g->addWidget(TB_X, 0, 1);
    g->addWidget(Texte("Y (mm)"), 1, 0);
    g->addWidget(TB_Y, 1, 1);
    g->addWidget(Texte("Z (mm)"), 2, 0);
    g->addWidget(TB_Z, 2, 1);
    CB_Depl = Bouton("CB_Depl", "Déplacement");
    g->addWidget(CB_Depl, 3, 0, 1, 2);
    v->addWidget(depl);
    SSTab1->addTab(page, "Réglage du zéro");
}

void F_Fraisage::ConstruitOngletParametres() {
    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);
    auto* pf = new QGroupBox("Paramètres fraisage");
    auto* g = new QGridLayout(pf);
    TB_ProfFraisage = Boite("TB_ProfFraisage", "Profondeur de fraisage : valeur négative en mm");
    TB_NbPasse = Boite("TB_NbPasse");
    TB_HautDeg = Boite("TB_HautDeg", "Hauteur de dégagement de l'outil en mm");
    g->addWidget(Texte("Profondeur de fraisage (négatif en mm)"), 0, 0);
    g->addWidget(TB_ProfFraisage, 0, 1);
    g->addWidget(Texte("Nombre de passes"), 1, 0);
    g->addWidget(TB_NbPasse, 1, 1);
    g->addWidget(Texte("Hauteur dégagement (mm)"), 2, 0);
    g->addWidget(TB_HautDeg, 2, 1);
    v->addWidget(pf);
    auto* attaches = new QGroupBox("Points d'attache");
    auto* ga = new QGridLayout(attaches);
    const char* noms[3] = {"TB_AttachesNombre", "TB_AttachesLargeur", "TB_AttachesHauteur"};
    const char* textes[3] = {"Nombre par contour (0 : aucun)", "Pont de matière laissé (mm)",
                             "Hauteur au-dessus du fond (mm)"};
    for (int k = 0; k < 3; ++k) {
        TB_Attaches[k] = Boite(noms[k]);
        ga->addWidget(Texte(textes[k]), k, 0);
        ga->addWidget(TB_Attaches[k], k, 1);
        connect(TB_Attaches[k], &QLineEdit::editingFinished, this, [this, k] {
            modele_.ValideAttaches(k, S(TB_Attaches[k]->text()));
            const ChampsFraisage& c = modele_.Champs();
            TB_Attaches[k]->setText(Q(k == 0 ? c.AttachesNombre : k == 1 ? c.AttachesLargeur : c.AttachesHauteur));
        });
    }
    v->addWidget(attaches);
    auto* vitesses = new QGridLayout;
    const char* cadres[4] = {"Vitesse X", "Vitesse Y", "Vitesse Z", "Montée"};
    const char* sous[NbTemps] = {"hors-matière", "matière", "hors-matière", "matière", "Descente", "matière", ""};
    const int cadreDe[NbTemps] = {0, 0, 1, 1, 2, 2, 3};
    std::array<QGridLayout*, 4> grilles{};
    for (int k = 0; k < 4; ++k) {
        auto* cadre = new QGroupBox(cadres[k]);
        grilles[k] = new QGridLayout(cadre);
        grilles[k]->addWidget(Texte("Tps mini entre pas (ms)"), 0, 1);
        grilles[k]->addWidget(Texte("Vitesse maximum"), 0, 2);
        vitesses->addWidget(cadre, k / 2, k % 2);
    }
    for (int i = 0; i < NbTemps; ++i) {
        const std::string nomT = std::string("TB_TempsMin_") + LignesTemps[i].nom;
        const std::string nomV = std::string("TB_VitMax_") + LignesTemps[i].nom;
        TB_TempsMin[i] = Boite(nomT.c_str());
        TB_VitMax[i] = Boite(nomV.c_str(), "Vitesse maximum (mm/s) :");
        TB_VitMax[i]->setReadOnly(true);
        QGridLayout* gr = grilles[cadreDe[i]];
        const int rangee = gr->rowCount();
        gr->addWidget(Texte(sous[i]), rangee, 0);
        gr->addWidget(TB_TempsMin[i], rangee, 1);
        gr->addWidget(TB_VitMax[i], rangee, 2);
        connect(TB_TempsMin[i], &QLineEdit::editingFinished, this, [this, i] {
            modele_.ValideTemps(i, S(TB_TempsMin[i]->text()));
            TB_VitMax[i]->setText(Q(modele_.Champs().Vitesses[i]));
        });
    }
    v->addLayout(vitesses);
    SSTab1->addTab(page, "Paramètres");
}

void F_Fraisage::ConstruitOngletFraisage() {
    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);
    auto* f = new QGroupBox("Fraisage");
    auto* h = new QHBoxLayout(f);
    Btn_Fraiser = Bouton("Btn_Fraiser", "Fraiser un exemplaire");
    L_Estimation = new QLabel;
    L_Estimation->setObjectName("L_Estimation");
    // A refusal is a long sentence: on one line it would widen the window past the screen,
    // and the emergency stop with it.
    L_Estimation->setWordWrap(true);
    h->addWidget(Btn_Fraiser);
    h->addWidget(L_Estimation, 1);
    v->addWidget(f);
    auto* d = new QGroupBox("Duplication");
    auto* g = new QGridLayout(d);
    Btn_Fraiser_Serie = Bouton("Btn_Fraiser_Serie", "Fraiser en série");
    TB_Nb_X = Boite("TB_Nb_X", "Nombre d'exemplaires en X");
    TB_Pas_Duplic_X = Boite("TB_Pas_Duplic_X", "Pas de duplication en X (mm)");
    TB_Nb_Y = Boite("TB_Nb_Y", "Nombre d'exemplaires en Y");
    TB_Pas_Duplic_Y = Boite("TB_Pas_Duplic_Y", "Pas de duplication en Y (mm)");
    g->addWidget(Btn_Fraiser_Serie, 0, 0, 1, 5);
    g->addWidget(Texte("Copier en X"), 1, 0);
    g->addWidget(TB_Nb_X, 1, 1);
    g->addWidget(Texte("fois, tous les"), 1, 2);
    g->addWidget(TB_Pas_Duplic_X, 1, 3);
    g->addWidget(Texte("mm"), 1, 4);
    g->addWidget(Texte("Copier en Y"), 2, 0);
    g->addWidget(TB_Nb_Y, 2, 1);
    g->addWidget(Texte("fois, tous les"), 2, 2);
    g->addWidget(TB_Pas_Duplic_Y, 2, 3);
    g->addWidget(Texte("mm"), 2, 4);
    v->addWidget(d);
    SSTab1->addTab(page, "Fraisage");
}

void F_Fraisage::ConstruitOngletTest() {
    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);
    auto* t = new QGroupBox("Tracé");
    auto* g = new QGridLayout(t);
    Btn_Test = Bouton("Btn_Test", "Test");
    TB_Dim_Test = Boite("TB_Dim_Test");
    const char* cycles[3] = {"Carré avec perçages aux coins", "Octogone avec perçages aux coins",
                             "Détourage d'un cercle"};
    g->addWidget(Btn_Test, 0, 0);
    g->addWidget(Texte("Dimensions en mm :"), 0, 1);
    g->addWidget(TB_Dim_Test, 0, 2);
    for (int i = 0; i < 3; ++i) {
        Cycle[i] = new QRadioButton(QString::fromUtf8(cycles[i]));
        Cycle[i]->setObjectName("Cycle");
        g->addWidget(Cycle[i], 1 + i, 0, 1, 3);
    }
    v->addWidget(t);
    SSTab1->addTab(page, "Test");
}

// The same job to a GRBL board over USB.
void F_Fraisage::ConstruitOngletGrbl() {
    Onglet_Grbl = new OngletGrbl(
        doc_.Poste(), doc_.Interface(),
        [this]() -> std::optional<TravailCUT> {
            LitChamps();
            return modele_.Travail();
        },
        [this](const std::vector<CheminSimule::Point>& points, double mx, double my) {
            principal_.MontreCheminSimule(points, mx, my);
        });
    SSTab1->addTab(Onglet_Grbl, "GRBL");
}

// Below the tabs: simulation, stop button, progress and report.
void F_Fraisage::ConstruitBas() {
    CB_Simulation = new QCheckBox("Simulation");
    CB_Simulation->setObjectName("CB_Simulation");
    CB_Simulation->setToolTip(
        "Toutes les actions sont jouées sur la machine simulée ; le parcours s'affiche sur le dessin");
    CB_Instantane = new QCheckBox("Simulation instantanée");
    CB_Instantane->setObjectName("CB_Instantane");
    CB_Instantane->setToolTip("La simulation se déroule sans attendre les temps entre pas");
    CB_Instantane->setChecked(true);
    Btn_Arret = Bouton("Btn_Arret", "Arrêt d'urgence");
    Btn_Arret->setStyleSheet(
        "QPushButton { background-color: #d00000; color: white; font-weight: bold; }"
        "QPushButton:disabled { background-color: #e0a8a8; color: #f4f4f4; }");
    Btn_Arret->setToolTip("Arrête le mouvement en cours (Échap, barre d'espace)");
    PB_Avancement = new QProgressBar;
    PB_Avancement->setObjectName("PB_Avancement");
    PB_Avancement->setRange(0, 1000);
    PB_Avancement->setValue(0);
    L_Avancement = new QLabel;
    L_Avancement->setObjectName("L_Avancement");
    L_CompteRendu = new QLabel;
    L_CompteRendu->setObjectName("L_CompteRendu");
    L_CompteRendu->setWordWrap(true);
    L_CompteRendu->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* principalLayout = new QVBoxLayout(this);
    principalLayout->addWidget(SSTab1);
    auto* bas = new QHBoxLayout;
    bas->addWidget(CB_Simulation);
    bas->addWidget(CB_Instantane);
    bas->addStretch(1);
    L_Moteur = new QLabel;
    L_Moteur->setObjectName("L_Moteur");
    L_Moteur->hide();
    bas->addWidget(L_Moteur);
    bas->addWidget(Btn_Arret);
    principalLayout->addLayout(bas);
    principalLayout->addWidget(PB_Avancement);
    principalLayout->addWidget(L_Avancement);
    principalLayout->addWidget(L_CompteRendu);
}

// The polling of the machine thread, the repeat of a held arrow, the motor timer, and
// the stop shortcuts.
void F_Fraisage::ConstruitMinuteries() {
    releve_ = new QTimer(this);
    releve_->setInterval(50);
    connect(releve_, &QTimer::timeout, this, &F_Fraisage::Releve);
    repetition_ = new QTimer(this);
    connect(repetition_, &QTimer::timeout, this, [this] {
        if (flecheEnCours_ == AucuneFleche || EnCours()) return;
        DemandeMachine d = modele_.Demande(ActionMachine::Fleche);
        d.fleche = flecheEnCours_;
        d.touches = touchesFleche_;
        PrepareExecutant();
        if (executant_->Lance(d, doc_.Reglages(), {})) releve_->start();
    });
    minuterieMoteur_ = new QTimer(this);
    minuterieMoteur_->setInterval(IntervalleMinuterieMoteur);
    connect(minuterieMoteur_, &QTimer::timeout, this, [this] {
        // During a run the motor stays as the run left it.
        if (!EnCours()) Lance(ActionMachine::MinuterieMoteur);
    });
    for (int i = 0; i < 2; ++i) {
        raccourcisArret_[i] = new QShortcut(i == 0 ? QKeySequence(Qt::Key_Escape) : QKeySequence(Qt::Key_Space), this);
        raccourcisArret_[i]->setEnabled(false);
        connect(raccourcisArret_[i], &QShortcut::activated, this, &F_Fraisage::ArretUrgence);
    }
}

// What the buttons and boxes do.
void F_Fraisage::Relie() {
    connect(Btn_Arret, &QPushButton::clicked, this, &F_Fraisage::ArretUrgence);
    connect(TB_MargeX, &QLineEdit::editingFinished, this, [this] { modele_.ValideMarge(true, S(TB_MargeX->text())); });
    connect(TB_MargeY, &QLineEdit::editingFinished, this, [this] { modele_.ValideMarge(false, S(TB_MargeY->text())); });
    connect(TB_NbPasse, &QLineEdit::textChanged, this, [this](const QString& t) {
        modele_.ChangeNbPasse(S(t));
        if (Q(modele_.Champs().NbPasse) != t) TB_NbPasse->setText(Q(modele_.Champs().NbPasse));
    });
    connect(TB_Dim_Test, &QLineEdit::textChanged, this, [this](const QString& t) {
        const QString propre = Q(NettoieDimensionTest(S(t)));
        if (propre != t) TB_Dim_Test->setText(propre);
    });
    connect(TB_CUT, &QLineEdit::textChanged, this, [this](const QString& t) { modele_.Champs().CUT = S(t); });
    connect(TB_GCode, &QLineEdit::textChanged, this, [this](const QString& t) { modele_.Champs().GCode = S(t); });
    connect(CB_SansCommentaires, &QCheckBox::toggled, this, [this](bool b) { modele_.Champs().SansCommentaires = b; });
    connect(Btn_CUT, &QPushButton::clicked, this, [this] {
        const QString f = QFileDialog::getSaveFileName(this, "Fichier .CUT", TB_CUT->text(), "Fichiers CUT (*.cut)");
        if (!f.isEmpty()) TB_CUT->setText(f);
    });
    connect(Btn_Gener_CUT, &QPushButton::clicked, this, [this] { GenereCUT(false); });
    connect(Btn_Gener_GCode, &QPushButton::clicked, this, [this] { GenereCUT(true); });
    connect(Btn_MotorOn, &QPushButton::clicked, this, [this] { Lance(ActionMachine::MarcheMoteur); });
    connect(Btn_MotorOff, &QPushButton::clicked, this, [this] { Lance(ActionMachine::ArretMoteur); });
    connect(CB_Depl, &QPushButton::clicked, this, [this] {
        if (Lance(ActionMachine::Deplacement)) {
            TB_X->setText("0");
            TB_Y->setText("0");
            TB_Z->setText("0");
        }
    });
    connect(Btn_Fraiser, &QPushButton::clicked, this, [this] { Lance(ActionMachine::Exemplaire); });
    connect(Btn_Fraiser_Serie, &QPushButton::clicked, this, [this] { Lance(ActionMachine::Serie); });
    connect(Btn_Test, &QPushButton::clicked, this, [this] { Lance(ActionMachine::Motif); });
    connect(SSTab1, &QTabWidget::currentChanged, this, [this](int i) {
        if (i == 3) MontreEstimation();
    });
    connect(CB_Simulation, &QCheckBox::toggled, this, [this](bool) {
        if (!EnCours()) executant_.reset();
    });
    SSTab1->installEventFilter(this);
    SSTab1->tabBar()->installEventFilter(this);
}

F_Fraisage::~F_Fraisage() {
    if (executant_) {
        executant_->Arrete();
        executant_->Attend();
    }
}

void F_Fraisage::Charge(const OuvreursPort& ouvreurs) {
    // Whether a real port can be used at all: without one the window still works, on the
    // simulator.
    const std::unique_ptr<Port> essai = OuvrePortMachine(doc_.Reglages().AdressePort, ouvreurs);
    portUtilisable_ = essai && essai->Disponible();
    if (!portUtilisable_) {
        doc_.Interface().Message(MessagePortIndisponible(), TitreProgramme, Icone::Exclamation);
        CB_Simulation->setChecked(true);
        CB_Simulation->setEnabled(false);
    }
    HorlogeSysteme horloge;
    if (horloge.Frequence() == 0) {
        doc_.Interface().Message(MessageCompteur, TitreProgramme, Icone::Information);
        return;
    }
    modele_.Charge();
    MontreChamps();
    pret_ = true;
    // The motor output starts off, as after the button.
    if (portUtilisable_) Lance(ActionMachine::ArretMoteur);
}

void F_Fraisage::MontreChamps() {
    const ChampsFraisage& c = modele_.Champs();
    TB_HautDeg->setText(Q(c.HautDeg));
    TB_ProfFraisage->setText(Q(c.ProfFraisage));
    TB_NbPasse->setText(Q(c.NbPasse));
    TB_Attaches[0]->setText(Q(c.AttachesNombre));
    TB_Attaches[1]->setText(Q(c.AttachesLargeur));
    TB_Attaches[2]->setText(Q(c.AttachesHauteur));
    TB_MargeX->setText(Q(c.MargeX));
    TB_MargeY->setText(Q(c.MargeY));
    TB_CUT->setText(Q(c.CUT));
    CB_SansCommentaires->setChecked(c.SansCommentaires);
    TB_GCode->setText(Q(c.GCode));
    for (int i = 0; i < NbTemps; ++i) {
        TB_TempsMin[i]->setText(Q(c.Temps[i]));
        TB_VitMax[i]->setText(Q(c.Vitesses[i]));
    }
    TB_X->setText(Q(c.X));
    TB_Y->setText(Q(c.Y));
    TB_Z->setText(Q(c.Z));
    TB_Nb_X->setText(Q(c.Nb_X));
    TB_Nb_Y->setText(Q(c.Nb_Y));
    TB_Pas_Duplic_X->setText(Q(c.Pas_Duplic_X));
    TB_Pas_Duplic_Y->setText(Q(c.Pas_Duplic_Y));
    TB_Dim_Test->setText(Q(c.Dim_Test));
}

// H, P and the counts are read from the boxes whenever an action needs them.
void F_Fraisage::LitChamps() {
    ChampsFraisage& c = modele_.Champs();
    c.HautDeg = S(TB_HautDeg->text());
    c.ProfFraisage = S(TB_ProfFraisage->text());
    c.X = S(TB_X->text());
    c.Y = S(TB_Y->text());
    c.Z = S(TB_Z->text());
    c.Nb_X = S(TB_Nb_X->text());
    c.Nb_Y = S(TB_Nb_Y->text());
    c.Pas_Duplic_X = S(TB_Pas_Duplic_X->text());
    c.Pas_Duplic_Y = S(TB_Pas_Duplic_Y->text());
    c.Dim_Test = S(TB_Dim_Test->text());
    c.Cycle = -1;
    for (int i = 0; i < 3; ++i)
        if (Cycle[i]->isChecked()) c.Cycle = i;
}

bool F_Fraisage::EnCours() const { return executant_ && executant_->EnCours(); }

// The machine thread for the mode chosen; a real port stays open from one action to the
// next. Lance gives each simulated run a fresh simulator, so that its summary and path are
// its own.
void F_Fraisage::PrepareExecutant() {
    const bool simule = CB_Simulation->isChecked();
    if (executant_ && simule == executantSimule_) return;
    executant_.reset();
    simulateur_ = nullptr;
    chemin_.reset();
    executantSimule_ = simule;
    if (!simule) {
        auto horloge = std::make_unique<HorlogeSysteme>();
        executant_ =
            std::make_unique<ExecutantMachine>(OuvrePortMachine(doc_.Reglages().AdressePort), std::move(horloge));
        return;
    }
    std::unique_ptr<Horloge> horloge;
    if (CB_Instantane->isChecked())
        horloge = std::make_unique<HorlogeVirtuelle>();
    else
        horloge = std::make_unique<HorlogeSysteme>();
    const ConfigurationSimulee config = ConfigurationDe(doc_.Reglages());
    auto port = std::make_unique<PortSimule>(*horloge, config, false);
    const double pas = std::max({config.pas[0], config.pas[1], config.pas[2]});
    auto chemin = std::make_shared<CheminSimule>(0.75 * pas);
    PortSimule* p = port.get();
    // On the machine thread; the window reads the path once the action has ended.
    port->SurEcriture = [p, chemin](const EcriturePort&) {
        chemin->Note(p->PositionMm(Axe::X), p->PositionMm(Axe::Y), p->PositionMm(Axe::Z));
    };
    simulateur_ = p;
    chemin_ = chemin;
    executant_ = std::make_unique<ExecutantMachine>(std::move(port), std::move(horloge));
}

bool F_Fraisage::Lance(ActionMachine action) {
    if (EnCours()) return false;
    LitChamps();
    // No pattern chosen, no pattern run.
    if (action == ActionMachine::Motif && modele_.Champs().Cycle < 0) return false;
    const bool travail =
        action == ActionMachine::Exemplaire || action == ActionMachine::Serie || action == ActionMachine::Motif;
    if (action == ActionMachine::Exemplaire || action == ActionMachine::Serie) ProposeMarges(action);
    if (travail && ProfondeurPositive(LectureCote(modele_.Champs().ProfFraisage)) &&
        !doc_.Interface().Question(
            "La profondeur de fraisage est positive : l'outil ne touchera pas la pièce. Continuer ?", TitreProgramme))
        return false;
    // Motor switching and the timer keep the simulator of the action before, so that the
    // drawn path stays.
    const bool moteur = action == ActionMachine::MarcheMoteur || action == ActionMachine::ArretMoteur ||
                        action == ActionMachine::MinuterieMoteur;
    if (!moteur && CB_Simulation->isChecked()) executant_.reset();
    PrepareExecutant();
    const DemandeMachine d = modele_.Demande(action);
    if (!executant_->Lance(d, doc_.Reglages(), doc_.Trace().Trace_Decale)) return false;
    actionCourante_ = action;
    if (!moteur && action != ActionMachine::Fleche) {
        L_CompteRendu->clear();
        PB_Avancement->setValue(0);
        ModeCourse(true);
    }
    releve_->start();
    return true;
}

void F_Fraisage::ModeCourse(bool enCours) {
    SSTab1->setEnabled(!enCours);
    CB_Simulation->setEnabled(!enCours && portUtilisable_);
    CB_Instantane->setEnabled(!enCours);
    for (QShortcut* r : raccourcisArret_) r->setEnabled(enCours);
    Btn_Arret->setEnabled(enCours);
    if (enCours) Btn_Arret->setFocus();
}

void F_Fraisage::ArretUrgence() {
    Onglet_Grbl->ArretUrgence();
    flecheEnCours_ = AucuneFleche;
    repetition_->stop();
    if (executant_) executant_->Arrete();
}

void F_Fraisage::Releve() {
    if (!executant_) return;
    const Avancement a = executant_->DernierAvancement();
    if (executant_->EnCours() && a.ou.trace >= 0) {
        PB_Avancement->setValue(static_cast<int>(a.fraction * 1000.0));
        L_Avancement->setText(Q(TexteAvancement(a.ou) + " ; reste " + TexteDuree(a.resteSecondes)));
    }
    for (EvenementMachine& e : executant_->Releve()) {
        switch (e.genre) {
            case EvenementMachine::Genre::Estimation:
                if (e.estimation.acceptee && actionCourante_ == ActionMachine::Exemplaire)
                    L_Estimation->setText(Q(TexteEstimation(e.estimation)));
                break;
            case EvenementMachine::Genre::Moteur: {
                // Red while the motors are powered, dark green once they are off: on a
                // light of its own beside the stop button, so the window stays readable.
                L_Moteur->setText(e.moteurEnMarche ? "Moteurs sous tension" : "Moteurs arrêtés");
                L_Moteur->setStyleSheet(
                    e.moteurEnMarche ? "QLabel { background-color: rgb(255, 0, 0); color: white; padding: 3px; }"
                                     : "QLabel { background-color: rgb(0, 127, 0); color: white; padding: 3px; }");
                L_Moteur->show();
            }
                minuterieMoteur_->start();
                break;
            case EvenementMachine::Genre::Message: doc_.Interface().Message(e.texte, e.titre, e.icone); break;
            case EvenementMachine::Genre::Fin: {
                const bool suivi =
                    actionCourante_ != ActionMachine::MarcheMoteur && actionCourante_ != ActionMachine::ArretMoteur &&
                    actionCourante_ != ActionMachine::MinuterieMoteur && actionCourante_ != ActionMachine::Fleche;
                if (suivi) {
                    ModeCourse(false);
                    if (e.fin.issue == Issue::Terminee) PB_Avancement->setValue(1000);
                    std::string rapport = TexteCompteRendu(e.fin);
                    if (simulateur_ && e.fin.issue != Issue::Refusee) {
                        rapport += "\nSimulation : " + ResumeSimulation(*simulateur_);
                        principal_.MontreCheminSimule(chemin_ ? chemin_->Points() : std::vector<CheminSimule::Point>{},
                                                      doc_.Reglages().MargeX, doc_.Reglages().MargeY);
                    }
                    L_CompteRendu->setText(Q(rapport));
                    L_Avancement->clear();
                }
                break;
            }
        }
    }
    if (!executant_->EnCours() && flecheEnCours_ == AucuneFleche) releve_->stop();
}

void F_Fraisage::AttendFin() {
    while (EnCours()) QThread::msleep(2);
    if (executant_) executant_->Attend();
    Releve();
}

void F_Fraisage::GenereCUT(bool gcode) {
    if (EnCours()) return;
    LitChamps();
    TravailCUT t = modele_.Travail();
    if (ProfondeurPositive(LectureCote(t.ProfFraisage)) &&
        !doc_.Interface().Question(
            "La profondeur de fraisage est positive : l'outil ne touchera pas la pièce. Continuer ?", TitreProgramme))
        return;
    // G-code counts from the controller's work zero: the margins do not make it fit.
    if (!gcode && ProposeMarges(ActionMachine::Exemplaire)) t = modele_.Travail();
    TotauxCUT totaux;
    const auto suivi = [this](const TotauxCUT& tt) {
        TB_LongueurParcours->setText(Q(TexteTotal(tt.LongueurParcours)));
        TB_TempsFraisage->setText(Q(TexteTotal(tt.TempsFraisage)));
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
    Diagnostics dits;
    if (gcode)
        GenereFichierGCode(doc_.Poste(), t, DialecteGCode::GRBL, totaux, dits, suivi);
    else
        GenereFichierCUT(doc_.Poste(), t, totaux, dits, suivi);
    Montre(doc_.Interface(), dits);
}

bool F_Fraisage::ProposeMarges(ActionMachine action) {
    const auto proposition = modele_.ProposeMarges(action);
    if (!proposition || !doc_.Interface().Question(proposition->question, TitreProgramme)) return false;
    modele_.PoseMarges(proposition->marges);
    MontreChamps();
    return true;
}

void F_Fraisage::FlecheEnfoncee(int fleche, Qt::KeyboardModifiers touches) {
    if (EnCours() || fleche < 0 || fleche > 5) return;
    touchesFleche_ =
        ((touches & Qt::ShiftModifier) ? ToucheShift : 0) | ((touches & Qt::ControlModifier) ? ToucheCtrl : 0);
    LitChamps();
    DemandeMachine d = modele_.Demande(ActionMachine::Fleche);
    d.fleche = fleche;
    d.touches = touchesFleche_;
    PrepareExecutant();
    if (!executant_->Lance(d, doc_.Reglages(), {})) return;
    actionCourante_ = ActionMachine::Fleche;
    flecheEnCours_ = fleche;
    Btn_Arret->setEnabled(true);
    releve_->start();
    // A held arrow repeats at the settings' interval.
    repetition_->start(std::max<int>(doc_.Reglages().TimerInterval, 10));
}

void F_Fraisage::FlecheRelachee() {
    if (flecheEnCours_ == AucuneFleche) return;
    flecheEnCours_ = AucuneFleche;
    repetition_->stop();
    Btn_Arret->setEnabled(false);
    if (executant_) executant_->Attend();
    Releve();
    Lance(ActionMachine::ArretMoteur);
}

void F_Fraisage::MontreEstimation() {
    if (EnCours() || doc_.Trace().NbSequencesDecalees() == 0) return;
    LitChamps();
    // The refusal goes into the label: a box is not a place for a message while the user
    // only browses the tabs.
    const Estimation e = EstimeDemande(doc_.Poste(), modele_.Demande(ActionMachine::Exemplaire));
    const std::string refus = e.diagnostics.empty() ? std::string() : e.diagnostics.back().message;
    L_Estimation->setText(e.acceptee ? Q(TexteEstimation(e)) : Q("Refusé : " + refus));
}

bool F_Fraisage::eventFilter(QObject* objet, QEvent* e) {
    if ((e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease) &&
        (objet == SSTab1 || objet == SSTab1->tabBar())) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (!(k->modifiers() & Qt::KeypadModifier) || k->isAutoRepeat()) return QDialog::eventFilter(objet, e);
        int fleche = -1;
        switch (k->key()) {
            case Qt::Key_8: fleche = 1; break;
            case Qt::Key_2: fleche = 0; break;
            case Qt::Key_4: fleche = 2; break;
            case Qt::Key_6: fleche = 3; break;
            default: break;
        }
        if (fleche < 0) return QDialog::eventFilter(objet, e);
        if (e->type() == QEvent::KeyPress)
            FlecheEnfoncee(fleche, k->modifiers());
        else
            FlecheRelachee();
        return true;
    }
    return QDialog::eventFilter(objet, e);
}

// Motor off, then the settings in one rewrite. During a run the user is asked first.
bool F_Fraisage::Ferme() {
    if (ferme_) return true;
    if (!Onglet_Grbl->AccepteFermeture()) return false;
    if (EnCours()) {
        if (!doc_.Interface().Question("Un usinage est en cours. L'arrêter et fermer la fenêtre ?", TitreProgramme))
            return false;
        ArretUrgence();
        AttendFin();
    }
    ferme_ = true;
    flecheEnCours_ = AucuneFleche;
    repetition_->stop();
    minuterieMoteur_->stop();
    if (!pret_) return true;
    if (executant_ || portUtilisable_) {
        PrepareExecutant();
        actionCourante_ = ActionMachine::ArretMoteur;
        if (executant_->Lance(modele_.Demande(ActionMachine::ArretMoteur), doc_.Reglages(), {})) AttendFin();
    }
    doc_.EcritReglages(modele_.EcrituresFermeture());
    return true;
}

void F_Fraisage::closeEvent(QCloseEvent* e) {
    if (Ferme())
        e->accept();
    else
        e->ignore();
}

void F_Fraisage::done(int r) {
    if (Ferme()) QDialog::done(r);
}

}  // namespace korvelin
