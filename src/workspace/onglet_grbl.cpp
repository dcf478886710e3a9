#include "workspace/onglet_grbl.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include "machining/poste_travail.h"
#include "machining/gcode_memoire.h"
#include "model/nombres.h"

namespace korvelin {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

QPushButton* Bouton(const char* nom, const char* texte) {
    auto* b = new QPushButton(QString::fromUtf8(texte));
    b->setObjectName(nom);
    return b;
}

constexpr double Pas[3] = {0.1, 1.0, 10.0};

}  // namespace

OngletGrbl::OngletGrbl(PosteTravail poste, InterfaceUtilisateur& ui, FournisseurTravail travail, MontreTrace montre,
                       QWidget* parent)
    : QWidget(parent), poste_(poste), ui_(ui), travail_(std::move(travail)), montre_(std::move(montre)) {
    auto* v = new QVBoxLayout(this);
    ConstruitLiaison(v);
    ConstruitTravail(v);
    ConstruitDeplacements(v);
    ConstruitJournal(v);
    ConnecteMinuteries();
    ConnecteLiaisonEtTravail();
    ConnecteDeplacements();
    MetAJourBoutons({});
}

// The port and its connection, then the board's state and position.
void OngletGrbl::ConstruitLiaison(QVBoxLayout* v) {
    auto* liaison = new QGroupBox("Liaison");
    auto* hl = new QHBoxLayout(liaison);
    CB_Port = new QComboBox;
    CB_Port->setObjectName("CB_Port");
    CB_Port->setEditable(true);
    CB_Port->setMinimumContentsLength(28);
    Btn_Actualiser = Bouton("Btn_Actualiser", "Actualiser");
    Btn_Connexion = Bouton("Btn_Connexion", "Connexion");
    hl->addWidget(new QLabel("Port :"));
    hl->addWidget(CB_Port, 1);
    hl->addWidget(Btn_Actualiser);
    hl->addWidget(Btn_Connexion);
    v->addWidget(liaison);

    L_Etat = new QLabel(QString::fromUtf8("Non connecté"));
    L_Etat->setObjectName("L_Etat");
    L_Position = new QLabel;
    L_Position->setObjectName("L_Position");
    v->addWidget(L_Etat);
    v->addWidget(L_Position);
}

// Start, hold, resume, emergency stop, resume at a line, and the progress.
void OngletGrbl::ConstruitTravail(QVBoxLayout* v) {
    auto* travailBox = new QGroupBox("Travail");
    auto* ht = new QGridLayout(travailBox);
    Btn_Depart = Bouton("Btn_Depart", "Départ");
    Btn_Pause = Bouton("Btn_Pause", "Pause");
    Btn_Reprise = Bouton("Btn_Reprise", "Reprise");
    Btn_ArretUrgence = Bouton("Btn_ArretUrgence", "Arrêt d'urgence");
    Btn_ArretUrgence->setToolTip(QString::fromUtf8("Remet GRBL à zéro : tout s'arrête à l'instant (Échap)"));
    Btn_ArretUrgence->setStyleSheet("QPushButton { background-color: #d00000; color: white; font-weight: bold; }");
    Btn_Reprendre = Bouton("Btn_Reprendre", "Reprendre à la ligne…");
    ht->addWidget(Btn_Depart, 0, 0);
    ht->addWidget(Btn_Pause, 0, 1);
    ht->addWidget(Btn_Reprise, 0, 2);
    ht->addWidget(Btn_ArretUrgence, 0, 3);
    ht->addWidget(Btn_Reprendre, 1, 0, 1, 2);
    PB_Progression = new QProgressBar;
    PB_Progression->setRange(0, 1000);
    L_Progression = new QLabel;
    L_Progression->setObjectName("L_Progression");
    ht->addWidget(PB_Progression, 2, 0, 1, 4);
    ht->addWidget(L_Progression, 3, 0, 1, 4);
    v->addWidget(travailBox);
}

// The jog buttons and their step, the work zero, homing and unlocking.
void OngletGrbl::ConstruitDeplacements(QVBoxLayout* v) {
    auto* jog = new QGroupBox(QString::fromUtf8("Déplacements et zéro"));
    auto* gj = new QGridLayout(jog);
    const char* noms[6] = {"X-", "X+", "Y-", "Y+", "Z-", "Z+"};
    for (int i = 0; i < 6; ++i) {
        Btn_Jog[i] = Bouton("Btn_Jog", noms[i]);
        Btn_Jog[i]->setToolTip(
            QString::fromUtf8("Un clic : un pas ; maintenu : déplacement continu jusqu'au relâchement"));
        gj->addWidget(Btn_Jog[i], i / 2, i % 2);
    }
    CB_Pas = new QComboBox;
    CB_Pas->setObjectName("CB_Pas");
    CB_Pas->addItems({"0,1 mm", "1 mm", "10 mm"});
    CB_Pas->setCurrentIndex(1);
    gj->addWidget(new QLabel("Pas :"), 0, 2);
    gj->addWidget(CB_Pas, 0, 3);
    Btn_Zero = Bouton("Btn_Zero", "Zéro travail ici");
    Btn_Zero->setToolTip("G10 L20 P1 X0 Y0 Z0 : la position de l'outil devient le zéro du travail");
    Btn_Origine = Bouton("Btn_Origine", "Prise d'origine ($H)");
    Btn_Deverrouille = Bouton("Btn_Deverrouille", "Déverrouiller ($X)");
    gj->addWidget(Btn_Zero, 1, 2, 1, 2);
    gj->addWidget(Btn_Origine, 2, 2);
    gj->addWidget(Btn_Deverrouille, 2, 3);
    v->addWidget(jog);
}

void OngletGrbl::ConstruitJournal(QVBoxLayout* v) {
    TE_Journal = new QPlainTextEdit;
    TE_Journal->setObjectName("TE_Journal");
    TE_Journal->setReadOnly(true);
    TE_Journal->setMaximumBlockCount(500);
    v->addWidget(TE_Journal, 1);
}

// The link's snapshot read ten times a second; a jog button held past 300 ms moves on
// until it is let go.
void OngletGrbl::ConnecteMinuteries() {
    releve_ = new QTimer(this);
    releve_->setInterval(100);
    connect(releve_, &QTimer::timeout, this, &OngletGrbl::Releve);
    jogMaintenu_ = new QTimer(this);
    jogMaintenu_->setSingleShot(true);
    jogMaintenu_->setInterval(300);
    connect(jogMaintenu_, &QTimer::timeout, this, [this] {
        if (jogBouton_ < 0 || !liaison_) return;
        const int axe = jogBouton_ / 2, sens = jogBouton_ % 2 ? 1 : -1;
        const auto ligne = grbl::LigneJogContinu(liaison_->Etat(), axe, sens);
        if (!ligne) return;
        jogContinu_ = true;
        Commande(*ligne);
    });
}

void OngletGrbl::ConnecteLiaisonEtTravail() {
    auto remplitPorts = [this] {
        const QString courant = CB_Port->currentText();
        CB_Port->clear();
        for (const grbl::PortDisponible& p : grbl::ListePorts())
            CB_Port->addItem(Q(p.chemin + (p.description.empty() ? "" : " — " + p.description)), Q(p.chemin));
        if (!courant.isEmpty()) CB_Port->setEditText(courant);
    };
    remplitPorts();
    connect(Btn_Actualiser, &QPushButton::clicked, this, remplitPorts);
    connect(Btn_Connexion, &QPushButton::clicked, this, [this] {
        if (liaison_) {
            if (TravailEnCours() &&
                !ui_.Question("Un travail est en cours sur GRBL. L'arrêter et se déconnecter ?", TitreProgramme))
                return;
            Deconnecte();
            return;
        }
        const int i = CB_Port->currentIndex();
        const QString donnee = i >= 0 && CB_Port->itemText(i) == CB_Port->currentText()
                                   ? CB_Port->itemData(i).toString()
                                   : CB_Port->currentText();
        Connecte(donnee.trimmed().toStdString());
    });
    connect(Btn_Depart, &QPushButton::clicked, this, &OngletGrbl::Depart);
    connect(Btn_Pause, &QPushButton::clicked, this, [this] {
        if (liaison_) liaison_->Avec([](grbl::Automate& m) { m.Pause(); });
    });
    connect(Btn_Reprise, &QPushButton::clicked, this, [this] {
        if (liaison_) liaison_->Avec([](grbl::Automate& m) { m.Reprise(); });
    });
    connect(Btn_ArretUrgence, &QPushButton::clicked, this, &OngletGrbl::ArretUrgence);
    connect(Btn_Reprendre, &QPushButton::clicked, this, [this] {
        if (!programme_ || programme_->lignes.empty()) return;
        const grbl::Instantane e = liaison_ ? liaison_->Etat() : grbl::Instantane{};
        const int dernier = static_cast<int>(programme_->lignes.back().numero);
        bool ok = false;
        const int n = QInputDialog::getInt(
            this, "Reprendre à la ligne",
            QString::fromUtf8("Ligne du G-code où reprendre (le travail repart du début de son contour) :"),
            std::clamp(static_cast<int>(e.derniereLigneAcquittee), 1, dernier), 1, dernier, 1, &ok);
        if (ok) ReprendALaLigne(static_cast<std::size_t>(n));
    });
}

void OngletGrbl::ConnecteDeplacements() {
    connect(Btn_Zero, &QPushButton::clicked, this, [this] { Commande(grbl::LigneZeroTravail); });
    connect(Btn_Origine, &QPushButton::clicked, this, [this] { Commande(grbl::LigneOrigine); });
    connect(Btn_Deverrouille, &QPushButton::clicked, this, [this] { Commande(grbl::LigneDeverrouillage); });
    for (int i = 0; i < 6; ++i) {
        connect(Btn_Jog[i], &QPushButton::pressed, this, [this, i] { JogEnfonce(i); });
        connect(Btn_Jog[i], &QPushButton::released, this, [this, i] { JogRelache(i); });
    }
}

OngletGrbl::~OngletGrbl() = default;

void OngletGrbl::Journal(const std::string& texte) { TE_Journal->appendPlainText(Q(texte)); }

void OngletGrbl::Connecte(const std::string& chemin) {
    if (liaison_ || chemin.empty()) return;
    std::string raison;
    std::unique_ptr<grbl::Transport> port = grbl::OuvrePortSerie(chemin, grbl::DebitParDefaut, raison);
    if (!port) {
        Journal(raison);
        ui_.Message(raison, TitreProgramme, Icone::Critique);
        return;
    }
    Journal("Connexion à " + chemin + "…");
    liaison_ = std::make_unique<grbl::LiaisonGrbl>(std::move(port));
    releve_->start();
    Releve();
}

void OngletGrbl::Deconnecte() {
    if (!liaison_) return;
    if (TravailEnCours()) ArretUrgence();
    // Leaves the reset the time to go out before the port closes.
    QThread::msleep(100);
    liaison_.reset();
    releve_->stop();
    Journal("Déconnecté.");
    MetAJourBoutons({});
}

bool OngletGrbl::TravailEnCours() { return liaison_ && liaison_->Etat().travail == grbl::EtatTravail::EnCours; }

void OngletGrbl::ArretUrgence() {
    jogMaintenu_->stop();
    jogBouton_ = -1;
    if (liaison_) liaison_->Avec([](grbl::Automate& m) { m.ArretUrgence(); });
}

void OngletGrbl::Commande(std::string_view ligne) {
    if (!liaison_) return;
    if (const auto refus = liaison_->Avec([&](grbl::Automate& m) { return m.Commande(ligne); })) Journal(*refus);
}

void OngletGrbl::JogEnfonce(int bouton) {
    if (!liaison_ || TravailEnCours()) return;
    jogBouton_ = bouton;
    jogContinu_ = false;
    jogMaintenu_->start();
}

void OngletGrbl::JogRelache(int bouton) {
    if (jogBouton_ != bouton || !liaison_) return;
    jogMaintenu_->stop();
    jogBouton_ = -1;
    if (jogContinu_) {
        liaison_->Avec([](grbl::Automate& m) { m.AnnuleJog(); });
        jogContinu_ = false;
        return;
    }
    const int axe = bouton / 2;
    grbl::Axes d{0.0, 0.0, 0.0};
    d[axe] = (bouton % 2 ? 1.0 : -1.0) * Pas[std::clamp(CB_Pas->currentIndex(), 0, 2)];
    Commande(grbl::LigneJog(d, grbl::AvanceJog(liaison_->Etat().reglages, axe)));
}

void OngletGrbl::Depart() {
    if (!liaison_ || TravailEnCours()) return;
    const std::optional<TravailCUT> t = travail_();
    if (!t) return;
    TotauxCUT totaux;
    Diagnostics dits;
    const std::optional<std::string> texte = ProgrammeGCode(poste_, *t, DialecteGCode::GRBL, totaux, dits);
    Montre(ui_, dits);
    if (!texte) return;
    auto prepare = grbl::PrepareProgramme(*texte);
    if (const std::string* refus = std::get_if<std::string>(&prepare)) {
        ui_.Message(*refus, TitreProgramme, Icone::Critique);
        return;
    }
    grbl::Programme p = std::move(std::get<grbl::Programme>(prepare));
    if (const auto refus = liaison_->Avec([&](grbl::Automate& m) { return m.Lance(p); })) {
        ui_.Message(*refus, TitreProgramme, Icone::Critique);
        return;
    }
    programme_ = std::move(p);
    margeX_ = LectureSaisie(t->MargeX);
    margeY_ = LectureSaisie(t->MargeY);
    trace_ = std::make_unique<CheminSimule>(0.05);
    Journal("Travail lancé : " + TexteEntier(programme_->lignes.size()) + " lignes.");
    Releve();
}

void OngletGrbl::ReprendALaLigne(std::size_t numero) {
    if (!liaison_ || !programme_ || TravailEnCours()) return;
    const grbl::Analyse a = grbl::Rejoue(*programme_, liaison_->Etat().reglages.Rapides());
    const std::optional<std::size_t> index = grbl::IndexDeLigne(*programme_, numero);
    if (!index) return;
    const std::size_t depuis = grbl::DebutDuContour(*programme_, a, *index);
    std::vector<grbl::LigneProgramme> approche = grbl::ApprocheReprise(*programme_, a, depuis);
    if (const auto refus =
            liaison_->Avec([&](grbl::Automate& m) { return m.Lance(*programme_, depuis, std::move(approche)); })) {
        ui_.Message(*refus, TitreProgramme, Icone::Critique);
        return;
    }
    if (!trace_) trace_ = std::make_unique<CheminSimule>(0.05);
    Journal("Reprise à la ligne " + TexteEntier(programme_->lignes[depuis].numero) +
            " (début du contour), après une approche par le haut.");
    Releve();
}

bool OngletGrbl::AccepteFermeture() {
    if (!TravailEnCours()) {
        liaison_.reset();
        return true;
    }
    if (!ui_.Question("Un travail est en cours sur GRBL. L'arrêter (pause puis remise à zéro) et fermer ?",
                      TitreProgramme))
        return false;
    // The hold brings the tool to rest on its path, so the reset loses no position.
    liaison_->Avec([](grbl::Automate& m) { m.ArretApresPause(); });
    for (int i = 0;
         i < 100 && liaison_->Active() && liaison_->Avec([](grbl::Automate& m) { return m.ArretEnAttente(); }); ++i)
        QThread::msleep(50);
    // Closing the port after the thread has written the reset.
    liaison_.reset();
    return true;
}

void OngletGrbl::MetAJourBoutons(const grbl::Instantane& e) {
    const bool prete = liaison_ && e.liaison == grbl::EtatLiaison::Prete;
    const bool enCours = e.travail == grbl::EtatTravail::EnCours;
    Btn_Connexion->setText(liaison_ ? QString::fromUtf8("Déconnexion") : QString::fromUtf8("Connexion"));
    CB_Port->setEnabled(!liaison_);
    Btn_Depart->setEnabled(prete && !enCours);
    Btn_Pause->setEnabled(prete && enCours);
    Btn_Reprise->setEnabled(prete && enCours);
    Btn_ArretUrgence->setEnabled(static_cast<bool>(liaison_));
    Btn_Reprendre->setEnabled(prete && !enCours && programme_.has_value());
    for (QPushButton* b : Btn_Jog) b->setEnabled(prete && !enCours);
    Btn_Zero->setEnabled(prete && !enCours);
    Btn_Origine->setEnabled(prete && !enCours);
    Btn_Deverrouille->setEnabled(prete && !enCours);
}

void OngletGrbl::Releve() {
    if (!liaison_) return;
    for (const std::string& m : liaison_->Messages()) Journal(m);
    const grbl::Instantane e = liaison_->Etat();
    switch (e.liaison) {
        case grbl::EtatLiaison::Deconnecte: L_Etat->setText(QString::fromUtf8("Liaison perdue")); break;
        case grbl::EtatLiaison::AttenteBanniere: L_Etat->setText(QString::fromUtf8("Attente de GRBL…")); break;
        case grbl::EtatLiaison::LectureReglages: L_Etat->setText(QString::fromUtf8("Lecture des réglages…")); break;
        case grbl::EtatLiaison::Prete:
            L_Etat->setText(Q("GRBL " + e.version + " " + std::string(grbl::NomEtat(e.rapport.etat))));
            break;
    }
    L_Position->setText(Q(grbl::TextePosition(e)));
    if (e.lignesTotal) {
        PB_Progression->setValue(static_cast<int>(e.lignesAcquittees * 1000 / e.lignesTotal));
        L_Progression->setText(Q(grbl::TexteProgression(e)));
    }
    // The end of a job is told once, in a box when it did not go to its end.
    if (dernierEtat_ == grbl::EtatTravail::EnCours && e.travail != grbl::EtatTravail::EnCours &&
        e.travail != grbl::EtatTravail::Termine)
        ui_.Message(e.bilan, TitreProgramme, Icone::Critique);
    dernierEtat_ = e.travail;
    // The tool's path joins the drawing's view twice a second while the machine moves.
    if (trace_ && e.positionTravail) {
        const grbl::Axes& p = *e.positionTravail;
        if (p != dernierePosition_) {
            trace_->Note(p[0], p[1], p[2]);
            dernierePosition_ = p;
            traceChangee_ = true;
        }
        const auto maintenant = std::chrono::steady_clock::now();
        if (montre_ && traceChangee_ && (maintenant >= prochainDessin_ || e.travail != grbl::EtatTravail::EnCours)) {
            montre_(trace_->Points(), margeX_, margeY_);
            traceChangee_ = false;
            prochainDessin_ = maintenant + std::chrono::milliseconds(500);
        }
    }
    MetAJourBoutons(e);
    if (!liaison_->Active()) {
        liaison_.reset();
        releve_->stop();
        MetAJourBoutons({});
    }
}

}  // namespace korvelin
