#include "workspace/f_representation.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QResizeEvent>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QWheelEvent>

#include <memory>

#include "model/nombres.h"
#include "geometry/soudure.h"
#include "settings/fichier_projet.h"
#include "model/listes.h"
#include "model/noms_fichiers.h"
#include "platform/fichier.h"
#include "platform/ini.h"
#include "settings/magasin.h"
#include "workspace/dialogues_fichier.h"
#include "workspace/f_about.h"
#include "workspace/f_param.h"
#include "workspace/f_dimension.h"
#include "workspace/f_fraisage.h"
#include "workspace/f_liste.h"
#include "workspace/f_point.h"
#include "workspace/f_sequence.h"
#include "workspace/f_todo.h"
#include "workspace/zone_dessin.h"

// Resources of a static library must be registered by hand, from the global namespace.
static void ChargeIcones() { Q_INIT_RESOURCE(icones); }

namespace korvelin {

namespace {

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

const QString BulleLever = QStringLiteral("Cliquez sur un segment pour lever l'outil");

QIcon Icone_(const char* nom) { return QIcon(QStringLiteral(":/icones/") + nom + ".svg"); }

}  // namespace

F_Representation::F_Representation(std::optional<std::string> cheminIni, QWidget* parent)
    : QMainWindow(parent), doc_(this, cheminIni ? *cheminIni : CheminIniParDefaut()) {
    ChargeIcones();
    setObjectName("F_Representation");
    setWindowTitle(QStringLiteral("Représentation graphique"));
    setWindowIcon(Icone_("fraisage"));
    // The coordinate list opens the point editor on the point right-clicked.
    EditeurPoint = [this](QWidget* dessus, const PointChoisi& p, QPoint clic) {
        std::unique_ptr<F_Point> editeur =
            p.traceInitial ? std::make_unique<F_Point>(doc_, p.index, dessus)
                           : std::make_unique<F_Point>(doc_, p.entree, static_cast<int32_t>(p.rang), dessus);
        editeur->PlacePres(clic);
        editeur->exec();
    };

    CreeMenus();
    CreeBarreOutils();
    CreeBarreEtat();

    Cadre = new QWidget(this);
    Cadre->setObjectName("Cadre");
    Cadre->setAutoFillBackground(true);
    setCentralWidget(Cadre);
    PB1 = new ZoneDessin(Cadre);
    HScroll1 = new QScrollBar(Qt::Horizontal, Cadre);
    HScroll1->setObjectName("HScroll1");
    VScroll1 = new QScrollBar(Qt::Vertical, Cadre);
    VScroll1->setObjectName("VScroll1");
    // The picture slides under the fixed bars; scrolling repaints nothing.
    connect(VScroll1, &QScrollBar::valueChanged, this, [this](int v) { PB1->move(PB1->x(), -v); });
    connect(HScroll1, &QScrollBar::valueChanged, this, [this](int v) { PB1->move(-v, PB1->y()); });
    connect(PB1, &ZoneDessin::SourisEnfoncee, this, &F_Representation::PB1_MouseDown);
    connect(PB1, &ZoneDessin::SourisDeplacee, this, &F_Representation::PB1_MouseMove);
    connect(PB1, &ZoneDessin::Glissement, this, [this](QPoint d) {
        HScroll1->setValue(HScroll1->value() - d.x());
        VScroll1->setValue(VScroll1->value() - d.y());
    });
    Cadre->installEventFilter(this);

    resize(1000, 700);
    PB1->setGeometry(0, 0, Cadre->width(), Cadre->height());

    FacteurZoom = 1.0;
    doc_.ChargeReglagesDemarrage();
    doc_.SurChangement = [this] { AuChangement(); };
    doc_.Dimension = this;
}

F_Representation::~F_Representation() {
    while (sabliers_ > 0) {
        QApplication::restoreOverrideCursor();
        --sabliers_;
    }
}

void F_Representation::CreeMenus() {
    auto item = [this](QMenu* menu, const char* nom, const char* texte, bool actif) {
        QAction* a = menu->addAction(QString::fromUtf8(texte));
        a->setObjectName(nom);
        a->setEnabled(actif);
        menus_[nom] = a;
        return a;
    };
    auto titre = [this](const char* nom, const char* texte) {
        QMenu* m = menuBar()->addMenu(QString::fromUtf8(texte));
        m->setObjectName(nom);
        menus_[nom] = m->menuAction();
        return m;
    };

    QMenu* fichier = titre("mnu_Fichier", "&Fichier");
    QAction* ouvrir = item(fichier, "mnu_Ouvrir", "&Ouvrir", true);
    ouvrir->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    connect(ouvrir, &QAction::triggered, this, &F_Representation::mnu_Ouvrir_Click);
    QAction* save = item(fichier, "mnu_Save", "Enre&gistrer", false);
    save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    connect(save, &QAction::triggered, this, &F_Representation::mnu_Save_Click);
    QAction* saveAs = item(fichier, "mnu_SaveAs", "En&registrer sous", false);
    saveAs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    connect(saveAs, &QAction::triggered, this, &F_Representation::mnu_SaveAs_Click);
    QAction* quitter = item(fichier, "mnu_quitter", "&Quitter", true);
    quitter->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(quitter, &QAction::triggered, this, &QWidget::close);

    QMenu* edition = titre("mnu_Edition", "É&dition");
    QAction* annuler = item(edition, "mnu_Annuler", "&Annuler", false);
    annuler->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    connect(annuler, &QAction::triggered, this, &F_Representation::mnu_Annuler_Click);
    QAction* retablir = item(edition, "mnu_Retablir", "&Rétablir", false);
    retablir->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    connect(retablir, &QAction::triggered, this, &F_Representation::mnu_Retablir_Click);

    QMenu* outils = titre("mnu_Outils", "&Outils");
    connect(item(outils, "mnu_sequencement", "&Séquencement/décalage", false), &QAction::triggered, this,
            &F_Representation::mnu_sequencement_Click);
    connect(item(outils, "mnu_Miroir", "&Miroir horizontal", false), &QAction::triggered, this,
            &F_Representation::mnu_Miroir_Click);
    connect(item(outils, "mnu_Liste", "&Liste des coordonnées", false), &QAction::triggered, this,
            &F_Representation::mnu_Liste_Click);
    connect(item(outils, "mnu_Soudure", "Soudure a&utomatique", false), &QAction::triggered, this,
            &F_Representation::mnu_Soudure_Click);
    connect(item(outils, "mnu_Orientation", "&Orientation automatique", false), &QAction::triggered, this,
            &F_Representation::mnu_Orientation_Click);
    connect(item(outils, "mnu_Ordre", "O&rdre automatique", false), &QAction::triggered, this,
            &F_Representation::mnu_Ordre_Click);

    QMenu* zoom = titre("mnu_Zoom", "&Zoom");
    const std::pair<const char*, double> niveaux[] = {
        {"mnu_Zd10", 0.1}, {"mnu_Zd5", 0.2}, {"mnu_Zd2", 0.5}, {"mnu_Z1", 1.0}, {"mnu_Z2", 2.0}};
    const char* textes[] = {"1:10", "1:5", "1:2", "1:1", "2:1"};
    for (int i = 0; i < 5; ++i) {
        const double f = niveaux[i].second;
        connect(item(zoom, niveaux[i].first, textes[i], true), &QAction::triggered, this, [this, f] { Zoom(f, true); });
    }

    QMenu* fraisage = titre("mnu_Fraisage", "F&raisage");
    // A title that has items opens them rather than acting: the window gets an item of its own.
    connect(item(fraisage, "mnu_FenetreFraisage", "&Fraisage...", true), &QAction::triggered, this,
            &F_Representation::mnu_Fraisage_Click);
    item(fraisage, "mnu_Zero", "Z&éro", true);  // does nothing

    QAction* param = menuBar()->addAction(QStringLiteral("&Paramètres"));
    param->setObjectName("mnu_Param");
    menus_["mnu_Param"] = param;
    connect(param, &QAction::triggered, this, &F_Representation::mnu_Param_Click);

    QMenu* aide = titre("mnu_Aide", "&?");
    connect(item(aide, "mnu_Help", "&A propos", true), &QAction::triggered, this, &F_Representation::mnu_Help_Click);
    connect(item(aide, "mnu_Todo", "&Todo", true), &QAction::triggered, this, &F_Representation::mnu_Todo_Click);
}

void F_Representation::CreeBarreOutils() {
    TB1 = addToolBar(QStringLiteral("Outils"));
    TB1->setObjectName("TB1");
    TB1->setIconSize(QSize(20, 20));
    TB1->setMovable(false);
    TB1->setFloatable(false);
    TB1->setContextMenuPolicy(Qt::PreventContextMenu);
    setContextMenuPolicy(Qt::NoContextMenu);

    struct Def {
        const char* cle;
        const char* icone;
        const char* bulle;
        bool coche;
        bool actif;
        bool enfonce;
    };
    const Def defs[] = {
        {},
        {"mnu_Ouvrir", "ouvrir", "Ouvrir un fichier de dessin", false, true, false},
        {"mnu_NumPoint", "numeros", "Montrer/Cacher les n° des points", true, true, false},
        {"mnu_Liste", "liste", "Afficher la liste des points", false, false, false},
        {"mnu_Soudure", "soudure", "Soudure automatique", false, false, false},
        {"mnu_Fraisage", "fraisage", "Fraisage", false, true, false},
        {"mnu_Sequence", "sequence", "Afficher la séquence de découpe", true, true, true},
        {},
        {"mnu_Zoom", "zoom", "Zoom", false, true, false},
        {"mnu_Miroir", "miroir", "Miroir horizontal", false, false, false},
        {"mnu_Sequencement", "sequencement", "Séquencement / décalage", false, false, false},
        {"mnu_Param", "parametres", "Modifier les paramètres", false, true, false},
        {"mnu_Lever", "lever", "Lever l'outil", true, false, false},
    };
    for (int i = 1; i <= 12; ++i) {
        if (i == 7) {
            boutons_[i] = TB1->addSeparator();
            continue;
        }
        const Def& d = defs[i];
        auto* a = new QAction(Icone_(d.icone), QString::fromUtf8(d.bulle), this);
        a->setObjectName(d.cle);
        a->setToolTip(QString::fromUtf8(d.bulle));
        a->setCheckable(d.coche);
        a->setChecked(d.enfonce);
        a->setEnabled(d.actif);
        boutons_[i] = a;
        if (i == 8) {
            auto* menu = new QMenu(this);
            menu->setObjectName("TB1_mnu_Zoom");
            const std::pair<const char*, const char*> entrees[] = {
                {"mnu_Zd10", "1:10"}, {"mnu_Zd5", "1:5"}, {"mnu_Zd2", "1:2"}, {"mnu_Z1", "1:1"}, {"mnu_Z2", "2:1"}};
            for (const auto& [cle, texte] : entrees) {
                QAction* e = menu->addAction(QString::fromUtf8(texte));
                e->setObjectName(cle);
            }
            // The entry is recognised by its text.
            connect(menu, &QMenu::triggered, this, [this](QAction* e) {
                const QString t = e->text();
                const double f = t == "1:10" ? 0.1 : t == "1:5" ? 0.2 : t == "1:2" ? 0.5 : t == "2:1" ? 2.0 : 1.0;
                Zoom(f, false);
            });
            a->setMenu(menu);
        }
        TB1->addAction(a);
        if (i == 8) {
            if (auto* b = qobject_cast<QToolButton*>(TB1->widgetForAction(a)))
                b->setPopupMode(QToolButton::InstantPopup);
        }
    }
    connect(boutons_[1], &QAction::triggered, this, &F_Representation::mnu_Ouvrir_Click);
    connect(boutons_[2], &QAction::toggled, this, [this] { Form_Resize(); });
    connect(boutons_[3], &QAction::triggered, this, &F_Representation::mnu_Liste_Click);
    connect(boutons_[4], &QAction::triggered, this, &F_Representation::mnu_Soudure_Click);
    connect(boutons_[5], &QAction::triggered, this, &F_Representation::mnu_Fraisage_Click);
    connect(boutons_[6], &QAction::toggled, this, [this] { Form_Resize(); });
    connect(boutons_[9], &QAction::triggered, this, &F_Representation::mnu_Miroir_Click);
    connect(boutons_[10], &QAction::triggered, this, &F_Representation::mnu_sequencement_Click);
    connect(boutons_[11], &QAction::triggered, this, &F_Representation::mnu_Param_Click);
    connect(boutons_[12], &QAction::toggled, this, [this] { BulleVue(); });
}

void F_Representation::CreeBarreEtat() {
    SB1 = statusBar();
    SB1->setObjectName("SB1");
    SB1->setSizeGripEnabled(true);
    for (int n = 1; n <= 8; ++n) {
        auto* l = new QLabel(SB1);
        l->setObjectName(QStringLiteral("SB1_Panneau%1").arg(n));
        l->setAlignment(Qt::AlignCenter);
        l->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        l->setMinimumWidth(34);
        l->setContentsMargins(4, 0, 4, 0);
        SB1->addWidget(l);
        panneaux_[n] = l;
    }
}

QAction* F_Representation::Bouton(int index) const { return index >= 1 && index <= 12 ? boutons_[index] : nullptr; }

QAction* F_Representation::Menu(const QString& nom) const {
    auto it = menus_.find(nom);
    return it == menus_.end() ? nullptr : it->second;
}

QLabel* F_Representation::Panneau(int numero) const { return numero >= 1 && numero <= 8 ? panneaux_[numero] : nullptr; }

OptionsVue F_Representation::Options() const {
    OptionsVue o;
    o.NumerosPoints = boutons_[2]->isChecked();
    o.Sequences = boutons_[6]->isChecked();
    o.Lissage = Lissage;
    o.SequenceChoisie = SequenceADecaler;
    return o;
}

// --- What the core asks of the user ------------------------------------------------------

template <class F>
auto F_Representation::SansSablier(F&& f) {
    const bool sablier = sabliers_ > 0;
    if (sablier) QApplication::setOverrideCursor(Qt::ArrowCursor);
    struct Remet {
        bool actif;
        ~Remet() {
            if (actif) QApplication::restoreOverrideCursor();
        }
    } remet{sablier};
    return f();
}

void F_Representation::Message(std::string_view texte, std::string_view titre, Icone icone) {
    QMessageBox::Icon i = QMessageBox::NoIcon;
    switch (icone) {
        case Icone::Critique: i = QMessageBox::Critical; break;
        case Icone::Information: i = QMessageBox::Information; break;
        case Icone::Question: i = QMessageBox::Question; break;
        case Icone::Exclamation: i = QMessageBox::Warning; break;
        case Icone::Aucune: break;
    }
    SansSablier([&] {
        QMessageBox boite(i, Q(titre), Q(texte), QMessageBox::Ok, this);
        boite.exec();
        return 0;
    });
}

bool F_Representation::Question(std::string_view texte, std::string_view titre) {
    return SansSablier([&] {
        QMessageBox boite(QMessageBox::Question, Q(titre), Q(texte), QMessageBox::Yes | QMessageBox::No, this);
        return boite.exec() == QMessageBox::Yes;
    });
}

Rapports F_Representation::Demande(ModeleDimension& modele) {
    SansSablier([&] {
        F_Dimension dialogue(modele, *this, this);
        dialogue.exec();
        return 0;
    });
    // The dialog closes only on ratios it can take.
    return {modele.RapportH().value_or(0.0), modele.RapportV().value_or(0.0)};
}

void F_Representation::Rafraichir() { Form_Resize(); }

void F_Representation::TexteStatut(int panneau, std::string_view texte) {
    if (QLabel* l = Panneau(panneau)) l->setText(Q(texte));
}

void F_Representation::Sablier(bool actif) {
    if (actif) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ++sabliers_;
    } else if (sabliers_ > 0) {
        QApplication::restoreOverrideCursor();
        --sabliers_;
    }
}

void F_Representation::TraiterEvenements() { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); }

// --- The view ------------------------------------------------------------------------------

void F_Representation::Disposition() {
    const int cw = Cadre->width(), ch = Cadre->height();
    const int vw = VScroll1->sizeHint().width();
    const int hh = HScroll1->sizeHint().height();
    HScroll1->setGeometry(0, ch - hh, std::max(cw - vw, 0), hh);
    VScroll1->setGeometry(cw - vw, 0, vw, ch);
    auto bornes = [](QScrollBar* barre, int etendue, int visible) {
        const BarreDefilement b = BornesDefilement(etendue, visible);
        barre->setRange(b.Minimum, b.Maximum);
        barre->setPageStep(b.Page);
        barre->setSingleStep(b.Pas);
    };
    bornes(VScroll1, PB1->height(), ch - hh);
    bornes(HScroll1, PB1->width(), cw - vw);
    HScroll1->raise();
    VScroll1->raise();
}

void F_Representation::Form_Resize(bool signalerVide) {
    Disposition();
    const Dessin& d = doc_.Trace();
    if (d.NomFichier.empty() || d.NbPoints == 0) {
        // Until a first drawing is shown the blank picture follows the window.
        if (!dejaPeint_) {
            PB1->setGeometry(0, 0, Cadre->width(), Cadre->height());
            PB1->Effacer();
        }
        return;
    }
    // The document keeps the bounds of a drawing with points up to date after every change.
    if (d.Xmax == d.Xmin && d.Ymax == d.Ymin) {
        if (signalerVide) Message("Fichier vide !", TitreProgramme, Icone::Critique);
        return;
    }
    EtendueVue etendue;
    if (!EtendueDeVue(d, etendue)) return;
    const int W = Cadre->width() - VScroll1->width();
    const int H = Cadre->height() - HScroll1->height();
    const QSize taille = CadrePicture(etendue, W, H, FacteurZoom);
    PB1->resize(taille);
    PB1->Peindre(doc_.Trace(), doc_.Reglages(), RepereDe(etendue, taille, FacteurZoom), Options());
    PB1->TraceChemin(cheminSimule_, matiereSimule_, QColor(255, 128, 0));
    dejaPeint_ = true;
    // The ranges follow the picture just fitted, not the one before.
    Disposition();
}

void F_Representation::Zoom(double facteur, bool depuisMenu) {
    FacteurZoom = facteur;
    if (depuisMenu && facteur == 1.0) {
        HScroll1->setValue(0);
        VScroll1->setValue(0);
        PB1->move(0, 0);
    }
    Form_Resize();
}

void F_Representation::ZoomAutour(double facteur, QPoint pointeur) {
    const bool repere = PB1->AUnRepere() && doc_.Trace().NbPoints > 0;
    const QPointF p = PB1->Repere().VersDessin(QPointF(pointeur - PB1->pos()));
    Zoom(facteur, false);
    if (!repere || !PB1->AUnRepere()) return;
    const QPointF q = PB1->Repere().VersPixel(p.x(), p.y());
    HScroll1->setValue(qRound(q.x()) - pointeur.x());
    VScroll1->setValue(qRound(q.y()) - pointeur.y());
}

bool F_Representation::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) Disposition();
    return QMainWindow::event(e);
}

bool F_Representation::eventFilter(QObject* objet, QEvent* e) {
    if (objet == Cadre && e->type() == QEvent::Resize) Form_Resize(false);
    // The wheel over the picture reaches the client area, which the picture does not fill.
    if (objet == Cadre && e->type() == QEvent::Wheel) {
        auto* w = static_cast<QWheelEvent*>(e);
        const QPoint d = w->angleDelta();
        if (w->modifiers() & Qt::ControlModifier) {
            const double f = ZoomSuivant(FacteurZoom, d.y() > 0 ? 1 : d.y() < 0 ? -1 : 0);
            if (f != FacteurZoom) ZoomAutour(f, w->position().toPoint());
        } else {
            // A notch moves three arrow steps; Shift turns the wheel sideways.
            const bool travers = (w->modifiers() & Qt::ShiftModifier) && d.x() == 0;
            auto defile = [](QScrollBar* b, int delta) { b->setValue(b->value() - delta * 3 * b->singleStep() / 120); };
            defile(HScroll1, travers ? d.y() : d.x());
            if (!travers) defile(VScroll1, d.y());
        }
        return true;
    }
    return QMainWindow::eventFilter(objet, e);
}

// --- Documents -----------------------------------------------------------------------------

void F_Representation::ActiveEdition(bool actif) {
    for (const char* nom : {"mnu_sequencement", "mnu_Soudure", "mnu_Miroir", "mnu_Liste", "mnu_Orientation",
                            "mnu_Ordre", "mnu_Save", "mnu_SaveAs"})
        menus_.at(nom)->setEnabled(actif);
    for (int i : {3, 4, 9, 10, 12}) boutons_[i]->setEnabled(actif);
}

void F_Representation::BulleVue() { PB1->setToolTip(boutons_[12]->isChecked() ? BulleLever : QString()); }

void F_Representation::MontreTitre() {
    setWindowTitle(Q(NomSansDossier(doc_.Trace().NomFichier)));
    panneaux_[1]->setText(windowTitle() + u' ');
}

void F_Representation::MontreDimensions() {
    const Dessin& d = doc_.Trace();
    TexteStatut(2, "Nombre de points : " + TexteEntier(d.NbPoints) + " ");
    TexteStatut(3, "Dimension X : " + TexteEntier(ArrondiPair(d.Xmax - d.Xmin)));
    TexteStatut(4, "Dimension Y : " + TexteEntier(ArrondiPair(d.Ymax - d.Ymin)));
}

std::string F_Representation::DialogueOuvrir(const std::string& dossier) {
    auto dialogue = CreeDialogueOuvrir(this, dossier);
    return ExecuteDialogueFichier(*dialogue, *this);
}

std::string F_Representation::DialogueEnregistrer(const std::string& dossier) {
    auto dialogue = CreeDialogueEnregistrer(this, dossier);
    return ExecuteDialogueFichier(*dialogue, *this);
}

void F_Representation::AuChangement() {
    menus_.at("mnu_Annuler")->setEnabled(doc_.PeutAnnuler());
    menus_.at("mnu_Retablir")->setEnabled(doc_.PeutRetablir());
    Form_Resize();
    if (!doc_.Ouvert()) return;
    MontreTitre();
    MontreDimensions();
}

F_Representation::Reponse F_Representation::QuestionEnregistrer(const std::string& nom) {
    return SansSablier([&] {
        QMessageBox boite(QMessageBox::Question, Q(TitreProgramme),
                          QStringLiteral("Enregistrer les modifications de « ") + Q(nom) + QStringLiteral(" » ?"),
                          QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, this);
        boite.setDefaultButton(QMessageBox::Yes);
        switch (boite.exec()) {
            case QMessageBox::Yes: return Reponse::Oui;
            case QMessageBox::No: return Reponse::Non;
            default: return Reponse::Annuler;
        }
    });
}

bool F_Representation::PeutFermerDocument() {
    if (!doc_.Modifie()) return true;
    switch (QuestionEnregistrer(doc_.Nom())) {
        case Reponse::Oui: return RemplacementAccepte(CheminProjet(doc_.Trace().NomFichier)) && doc_.Enregistrer();
        case Reponse::Non: return true;
        case Reponse::Annuler: return false;
    }
    return false;
}

void F_Representation::closeEvent(QCloseEvent* e) {
    if (PeutFermerDocument())
        e->accept();
    else
        e->ignore();
}

void F_Representation::mnu_Ouvrir_Click() {
    if (!PeutFermerDocument()) return;
    const std::string dernier = doc_.LitReglage("Fichier");
    const std::string chemin = DialogueOuvrir(ExtraitRepertoire(dernier));
    // A cancelled choice leaves the document as it was.
    if (chemin.empty()) return;
    OuvreDessin(chemin);
}

void F_Representation::OuvreDessin(const std::string& chemin) {
    // A file that cannot be read changes nothing: the window keeps its document.
    const std::string raison = RaisonIllisible(chemin);
    if (!raison.empty()) {
        Message(raison, TitreProgramme, Icone::Critique);
        return;
    }
    if (!doc_.Ouvrir(chemin)) return;
    // The simulated path belongs to the previous drawing's job.
    cheminSimule_.clear();
    matiereSimule_.clear();
    SequenceADecaler = AucuneSequence;
    AttenteCoteDecalage = false;
    ActiveEdition(true);
    BulleVue();
    AuChangement();
}

bool F_Representation::RemplacementAccepte(const std::string& cible) {
    // The document's own file is rewritten without a word; any other one is asked about.
    if (cible == doc_.Trace().NomFichier || !QFileInfo::exists(Q(cible))) return true;
    return Question("Le fichier « " + NomSansDossier(cible) + " » existe déjà. Voulez-vous le remplacer ?",
                    TitreProgramme);
}

void F_Representation::mnu_Save_Click() {
    if (!doc_.Ouvert() || !RemplacementAccepte(CheminProjet(doc_.Trace().NomFichier))) return;
    doc_.Enregistrer();
}

void F_Representation::mnu_SaveAs_Click() {
    const std::string chemin = DialogueEnregistrer(ExtraitRepertoire(doc_.Trace().NomFichier));
    if (chemin.empty()) return;
    // The file written is the chosen name made a project: that is the one that may exist.
    if (!RemplacementAccepte(CheminProjet(chemin))) return;
    doc_.EnregistrerSous(chemin);
}

void F_Representation::mnu_Annuler_Click() { doc_.Annuler(); }

void F_Representation::mnu_Retablir_Click() { doc_.Retablir(); }

void F_Representation::mnu_Soudure_Click() { doc_.Souder(); }

void F_Representation::mnu_Orientation_Click() { doc_.OrienteAutomatiquement(); }

void F_Representation::mnu_Ordre_Click() {
    double avant = 0.0, apres = 0.0;
    doc_.OrdonneAutomatiquement(&avant, &apres);
    TexteStatut(7, "Déplacements depuis l'origine et retour : " + TexteEntier(ArrondiPair(avant)) + " mm avant, " +
                       TexteEntier(ArrondiPair(apres)) + " mm après");
}

void F_Representation::mnu_Miroir_Click() { doc_.Miroir(); }

void F_Representation::mnu_sequencement_Click() {
    if (!doc_.Ouvert()) return;
    F_Sequence f(
        doc_, SequenceADecaler, AttenteCoteDecalage, [this] { Form_Resize(); }, this);
    f.exec();
    if (AttenteCoteDecalage) {
        // The next click in the view gives the side; the rubber band starts afresh.
        PB1->setToolTip(QStringLiteral("Cliquez du côté à décaler"));
        DernierX = -1.0;
        DernierY = -1.0f;
    }
    Form_Resize();
}

void F_Representation::mnu_Liste_Click() {
    if (doc_.Trace().NbPoints == 0) return;
    F_Liste liste(*this);
    liste.OuvreEditeurPoint = EditeurPoint;
    SansSablier([&] { liste.exec(); });
}
void F_Representation::mnu_Fraisage_Click() {
    F_Fraisage f(*this);
    SansSablier([&] { return f.exec(); });
}
void F_Representation::mnu_Param_Click() {
    F_Param dialogue(doc_, this);
    dialogue.exec();
}

void F_Representation::mnu_Help_Click() {
    F_About a(this);
    a.exec();
}

void F_Representation::mnu_Todo_Click() {
    F_Todo t(this);
    t.exec();
}

}  // namespace korvelin
