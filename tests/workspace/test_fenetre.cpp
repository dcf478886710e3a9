// The main window: its commands, and the life of a document from open to save.

#include <gtest/gtest.h>

#include <QAction>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>
#include <QLineEdit>

#include <filesystem>

#include "model/ligne_projet.h"
#include "outils_gui.h"
#include "settings/magasin.h"
#include "workspace/f_dimension.h"

namespace korvelin::test {
namespace {

QString Q(const char* s) { return QString::fromUtf8(s); }

// Commands that need a document.
const char* const MenusEdition[] = {"mnu_sequencement", "mnu_Soudure", "mnu_Miroir",
                                    "mnu_Liste", "mnu_Save", "mnu_SaveAs"};
const int BoutonsEdition[] = {3, 4, 9, 10, 12};

void AttendEdition(F_Representation& f, bool actif) {
    for (const char* nom : MenusEdition) EXPECT_EQ(f.Menu(nom)->isEnabled(), actif) << nom;
    for (int i : BoutonsEdition) EXPECT_EQ(f.Bouton(i)->isEnabled(), actif) << "bouton " << i;
}

// A project of 120 points in two traces, 80.4 wide and 40.6 high, with a cutter radius and
// the tool on the line, so that the offset paths do not widen the bounds.
std::string Projet120(const DossierTemporaire& dossier, const std::string& nom) {
    std::string texte = "$$[Korvelin]                                                          \r\n"
                        "$$RayonFraise=2.5                                                     \r\n"
                        "$$DecalageOutil=2                                                     \r\n";
    for (int i = 0; i < 60; ++i)
        texte += LignePointProjet(Pt(80.4f * i / 59, float(i % 2) * 20, " A")) + "\r\n";
    for (int i = 0; i < 60; ++i)
        texte += LignePointProjet(Pt(80.4f * i / 59, 40.6f - float(i % 2) * 10, " B")) + "\r\n";
    return dossier.Ecrit(nom, texte);
}

class Fenetre : public ::testing::Test {
protected:
    DossierTemporaire dossier;
    std::string ini = dossier.Chemin("Korvelin.ini");
    FenetreEssai f{ini};

    void SetUp() override {
        f.resize(1000, 700);
        f.show();
        QApplication::processEvents();
    }
    // Opens a file as if chosen in the dialog, answering the rescaling dialog with "Valider".
    void Ouvre(const std::string& chemin) {
        f.reponseOuvrir = chemin;
        RepondreModal<F_Dimension>([](F_Dimension& d) { d.Btn_OK->click(); });
        f.mnu_Ouvrir_Click();
    }
};

TEST_F(Fenetre, LesMenusAuDemarrage) {
    EXPECT_EQ(f.windowTitle(), Q("Représentation graphique"));
    QStringList titres;
    for (QAction* a : f.menuBar()->actions()) titres << a->text();
    EXPECT_EQ(titres, (QStringList{"Fichier", "Outils", "Zoom", "Fraisage", Q("Paramètres"), "?"}));

    const std::vector<std::tuple<const char*, const char*, bool>> items = {
        {"mnu_Ouvrir", "Ouvrir", true}, {"mnu_Save", "Enre&gistrer", false},
        {"mnu_SaveAs", "En&registrer sous", false}, {"mnu_quitter", "Quitter", true},
        {"mnu_sequencement", "Séquencement/décalage", false},
        {"mnu_Miroir", "Miroir horizontal", false}, {"mnu_Liste", "Liste des coordonnées", false},
        {"mnu_Soudure", "Soudure automatique", false}, {"mnu_Zd10", "1:10", true},
        {"mnu_Zd5", "1:5", true}, {"mnu_Zd2", "1:2", true}, {"mnu_Z1", "1:1", true},
        {"mnu_Z2", "2:1", true}, {"mnu_Zero", "Zéro", true}, {"mnu_Param", "Paramètres", true},
        {"mnu_Help", "A propos", true}, {"mnu_Todo", "Todo", true}};
    for (const auto& [nom, texte, actif] : items) {
        QAction* a = f.Menu(nom);
        ASSERT_NE(a, nullptr) << nom;
        EXPECT_EQ(a->text(), Q(texte)) << nom;
        EXPECT_EQ(a->isEnabled(), actif) << nom;
    }
    EXPECT_EQ(f.Menu("mnu_Save")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
    // The items of each menu, in order.
    QStringList outils;
    for (QAction* a : f.Menu("mnu_Outils")->menu()->actions()) outils << a->objectName();
    EXPECT_EQ(outils, (QStringList{"mnu_sequencement", "mnu_Miroir", "mnu_Liste", "mnu_Soudure"}));
    QStringList fichier;
    for (QAction* a : f.Menu("mnu_Fichier")->menu()->actions()) fichier << a->objectName();
    EXPECT_EQ(fichier, (QStringList{"mnu_Ouvrir", "mnu_Save", "mnu_SaveAs", "mnu_quitter"}));
}

TEST_F(Fenetre, LaBarreDOutilsAuDemarrage) {
    struct Attendu {
        const char* cle;
        const char* bulle;
        bool coche, actif, enfonce;
    };
    const Attendu attendus[] = {
        {"mnu_Ouvrir", "Ouvrir un fichier de dessin", false, true, false},
        {"mnu_NumPoint", "Montrer/Cacher les n° des points", true, true, false},
        {"mnu_Liste", "Afficher la liste des points", false, false, false},
        {"mnu_Soudure", "Soudure automatique", false, false, false},
        {"mnu_Fraisage", "Fraisage", false, true, false},
        {"mnu_Sequence", "Afficher la séquence de découpe", true, true, true},
        {"", "", false, true, false},
        {"mnu_Zoom", "Zoom", false, true, false},
        {"mnu_Miroir", "Miroir horizontal", false, false, false},
        {"mnu_Sequencement", "Séquencement / décalage", false, false, false},
        {"mnu_Param", "Modifier les paramètres", false, true, false},
        {"mnu_Lever", "Lever l'outil", true, false, false}};
    const QList<QAction*> actions = f.TB1->actions();
    ASSERT_EQ(actions.size(), 12);
    EXPECT_EQ(f.TB1->iconSize(), QSize(20, 20));
    for (int i = 1; i <= 12; ++i) {
        const Attendu& a = attendus[i - 1];
        QAction* b = actions[i - 1];
        EXPECT_EQ(b, f.Bouton(i));
        if (i == 7) {
            EXPECT_TRUE(b->isSeparator());
            continue;
        }
        EXPECT_EQ(b->objectName(), Q(a.cle));
        EXPECT_EQ(b->toolTip(), Q(a.bulle)) << i;
        EXPECT_EQ(b->isCheckable(), a.coche) << i;
        EXPECT_EQ(b->isEnabled(), a.actif) << i;
        EXPECT_EQ(b->isChecked(), a.enfonce) << i;
        EXPECT_FALSE(b->icon().pixmap(20, 20).isNull()) << i;
    }
    QMenu* zoom = f.Bouton(8)->menu();
    ASSERT_NE(zoom, nullptr);
    QStringList entrees;
    for (QAction* e : zoom->actions()) entrees << e->text();
    EXPECT_EQ(entrees, (QStringList{"1:10", "1:5", "1:2", "1:1", "2:1"}));
    auto* bouton = qobject_cast<QToolButton*>(f.TB1->widgetForAction(f.Bouton(8)));
    ASSERT_NE(bouton, nullptr);
    EXPECT_EQ(bouton->popupMode(), QToolButton::InstantPopup);
    zoom->actions()[0]->trigger();
    EXPECT_DOUBLE_EQ(f.FacteurZoom, 0.1);
    zoom->actions()[4]->trigger();
    EXPECT_DOUBLE_EQ(f.FacteurZoom, 2.0);

    // Button 12 only changes the view's tooltip.
    f.Bouton(12)->setChecked(true);
    EXPECT_EQ(f.PB1->toolTip(), Q("Cliquez sur un segment pour lever l'outil"));
    f.Bouton(12)->setChecked(false);
    EXPECT_TRUE(f.PB1->toolTip().isEmpty());
}

TEST_F(Fenetre, LaBarreDEtatALaChargeEtLesReglagesLus) {
    for (int n = 1; n <= 8; ++n) {
        ASSERT_NE(f.Panneau(n), nullptr);
        EXPECT_TRUE(f.Panneau(n)->text().isEmpty());
        EXPECT_EQ(f.Panneau(n)->alignment(), Qt::AlignCenter);
    }
    EXPECT_EQ(f.Panneau(9), nullptr);
    f.TexteStatut(5, "x : 12,5");
    EXPECT_EQ(f.Panneau(5)->text(), Q("x : 12,5"));
    EXPECT_DOUBLE_EQ(f.FacteurZoom, 1.0);
    EXPECT_EQ(f.Ctx().dessin.SequenceADecaler, AucuneSequence);
    EXPECT_EQ(f.Ctx().CheminIni, ini);

    // The start-up loaders read the settings file given to the window.
    dossier.Ecrit("autre.ini", "[Korvelin]\r\nCouleurNumero=123\r\nRayonFraise=4.5\r\nOptionLPT=1\r\n");
    FenetreEssai g(dossier.Chemin("autre.ini"));
    EXPECT_EQ(g.Ctx().parametres.CouleurNumero, 123);
    EXPECT_DOUBLE_EQ(g.Ctx().parametres.RayonFraise, 4.5);
    EXPECT_EQ(g.Ctx().parametres.AdressePort, 632);
}

TEST_F(Fenetre, UneOuvertureAnnuleeLaisseLesCommandesDesactivees) {
    EcrireParametre(f.Ctx(), "Fichier", dossier.Chemin("piece.plt"));
    RepondreModal<QFileDialog>([&](QFileDialog& d) {
        EXPECT_EQ(d.windowTitle(), Q("Sélection du fichier de dessin"));
        EXPECT_EQ(d.directory().absolutePath(), QString::fromStdString(dossier.Dossier()));
        d.reject();
    });
    f.mnu_Ouvrir_Click();
    ASSERT_EQ(f.dossiersOuvrir.size(), 1u);
    EXPECT_EQ(f.dossiersOuvrir[0], dossier.Dossier() + "/");
    ASSERT_EQ(f.messages.size(), 1u);
    EXPECT_EQ(f.messages[0].texte, "Aucun fichier sélectionné !");
    EXPECT_EQ(f.messages[0].titre, "Sélection du fichier");
    EXPECT_EQ(f.messages[0].icone, Icone::Information);
    EXPECT_TRUE(f.Ctx().dessin.NomFichier.empty());
    AttendEdition(f, false);
    EXPECT_EQ(f.windowTitle(), Q("Représentation graphique"));
}

TEST_F(Fenetre, UnDossierChoisiCommeDessinNeChangeRien) {
    std::filesystem::create_directory(dossier.Chemin("dossier.plt"));
    f.reponseOuvrir = dossier.Chemin("dossier.plt");
    f.mnu_Ouvrir_Click();
    ASSERT_EQ(f.messages.size(), 1u);
    EXPECT_NE(f.messages[0].texte.find("dossier.plt"), std::string::npos);
    EXPECT_EQ(f.messages[0].icone, Icone::Critique);
    EXPECT_EQ(f.windowTitle(), Q("Représentation graphique"));
    EXPECT_TRUE(f.Ctx().dessin.NomFichier.empty());
    EXPECT_EQ(LireParametre(f.Ctx(), "Fichier", ""), "");
    AttendEdition(f, false);
}

TEST_F(Fenetre, OuvrirUnProjetDe120Points) {
    const std::string chemin = Projet120(dossier, "piece.Korvelin");
    f.Lissage = false;
    AttendEdition(f, false);
    Ouvre(chemin);
    EXPECT_TRUE(f.messages.empty()) << f.messages[0].texte;
    const Dessin& d = f.Ctx().dessin;
    EXPECT_EQ(d.NbPoints, 120);
    EXPECT_EQ(d.NomFichier, chemin);
    EXPECT_EQ(d.TypeFichier, "KORVELIN");
    EXPECT_EQ(d.FichierProjet, chemin);
    EXPECT_EQ(f.windowTitle(), Q("piece.Korvelin"));
    EXPECT_EQ(f.Panneau(1)->text(), Q("piece.Korvelin "));
    EXPECT_EQ(f.Panneau(2)->text(), Q("Nombre de points : 120 "));
    EXPECT_EQ(f.Panneau(3)->text(), Q("Dimension X : 80"));
    EXPECT_EQ(f.Panneau(4)->text(), Q("Dimension Y : 41"));
    EXPECT_EQ(LireParametre(f.Ctx(), "Fichier", ""), chemin);
    EXPECT_DOUBLE_EQ(f.Ctx().parametres.RayonFraise, 2.5);
    AttendEdition(f, true);
    EXPECT_FALSE(f.Ctx().dessin.AttenteCoteDecalage);
    // The view shows it.
    const QImage& im = f.PB1->Image();
    EXPECT_GT(Compte(im, CouleurQt(f.Ctx().parametres.CouleurDeselectionne), 0, 0, im.width(),
                     im.height()), 100);

    // A folder chosen next keeps the document as it was.
    std::filesystem::create_directory(dossier.Chemin("vide.dxf"));
    f.reponseOuvrir = dossier.Chemin("vide.dxf");
    f.mnu_Ouvrir_Click();
    EXPECT_EQ(f.messages.size(), 1u);
    EXPECT_EQ(f.Ctx().dessin.NomFichier, chemin);
    EXPECT_EQ(f.Ctx().dessin.TypeFichier, "KORVELIN");
    EXPECT_EQ(f.Ctx().dessin.NbPoints, 120);
    EXPECT_EQ(f.windowTitle(), Q("piece.Korvelin"));
    AttendEdition(f, true);
}

TEST(FenetreTraceur, OuvrirEtEnregistrerUnFichierDeTraceur) {
    DossierTemporaire dossier;
    dossier.Ecrit("Korvelin.ini", "[Korvelin]\r\nDecalageOutil=2\r\n");
    FenetreEssai f(dossier.Chemin("Korvelin.ini"));
    f.resize(900, 600);
    f.show();
    const std::string piece =
        dossier.Ecrit("piece.plt", "IN;PU0,0;PD3216,0;PD3216,1624;PD0,1624;PD0,0;PU0,0;\n");
    f.reponseOuvrir = piece;
    bool vu = false;
    RepondreModal<F_Dimension>([&](F_Dimension& d) {
        vu = true;
        EXPECT_EQ(d.TB_H_Initial->text(), Q("3216"));
        EXPECT_EQ(d.TB_H_Rapport->text(), Q("0,025"));
        EXPECT_EQ(d.TB_H_Resultat->text(), Q("80,4"));
        d.Btn_OK->click();
    });
    f.mnu_Ouvrir_Click();
    EXPECT_TRUE(vu);
    EXPECT_TRUE(f.messages.empty());
    EXPECT_EQ(f.Ctx().dessin.TypeFichier, "PLT");
    EXPECT_EQ(f.windowTitle(), Q("piece.plt"));
    EXPECT_EQ(f.Panneau(1)->text(), Q("piece.plt "));
    EXPECT_EQ(f.Panneau(3)->text(), Q("Dimension X : 80"));
    EXPECT_EQ(f.Panneau(4)->text(), Q("Dimension Y : 41"));
    AttendEdition(f, true);

    // Saving writes the project beside the drawing and takes its name; again, the same file.
    f.Menu("mnu_Save")->trigger();
    const std::string projet = dossier.Chemin("piece.Korvelin");
    EXPECT_TRUE(std::filesystem::exists(projet));
    EXPECT_EQ(f.Ctx().dessin.NomFichier, projet);
    EXPECT_EQ(f.windowTitle(), Q("piece.Korvelin"));
    EXPECT_EQ(f.Panneau(1)->text(), Q("piece.Korvelin "));
    f.Menu("mnu_Save")->trigger();
    EXPECT_EQ(f.Ctx().dessin.NomFichier, projet);
    EXPECT_TRUE(f.messages.empty());
}

TEST_F(Fenetre, UnFichierDUnAutreTypeGardeLeDessinSousLeNouveauNom) {
    Ouvre(Projet120(dossier, "piece.Korvelin"));
    f.Ctx().dessin.SequenceADecaler = AucuneSequence;
    const std::string notes = dossier.Ecrit("notes.txt", "rien\r\n");
    f.reponseOuvrir = notes;
    f.mnu_Ouvrir_Click();
    EXPECT_EQ(f.windowTitle(), Q("notes.txt"));
    EXPECT_EQ(f.Ctx().dessin.TypeFichier, "TXT");
    EXPECT_EQ(f.Ctx().dessin.NbPoints, 120);
    EXPECT_EQ(f.Panneau(2)->text(), Q("Nombre de points : 120 "));
    AttendEdition(f, true);
}

TEST_F(Fenetre, UnProjetRefuseNeRemplacePasLeDocument) {
    const std::string piece = Projet120(dossier, "piece.Korvelin");
    Ouvre(piece);
    const std::string abime = dossier.Ecrit("abime.Korvelin", "$$RayonFraise=1\r\n");
    f.reponseOuvrir = abime;
    f.mnu_Ouvrir_Click();
    ASSERT_EQ(f.messages.size(), 1u);
    EXPECT_EQ(f.messages[0].texte, "Fichier inexploitable !");
    EXPECT_EQ(f.Ctx().dessin.NomFichier, piece);
    EXPECT_EQ(f.windowTitle(), Q("piece.Korvelin"));
    f.mnu_Save_Click();
    EXPECT_EQ(DossierTemporaire::Lit(abime), "$$RayonFraise=1\r\n");
}

TEST_F(Fenetre, EnregistrerPuisRouvrirRedonneLesMemesPointsEtReglages) {
    Ouvre(Projet120(dossier, "piece.Korvelin"));
    ASSERT_EQ(f.Ctx().dessin.NbPoints, 120);
    const std::vector<PointTrace> points(f.Ctx().dessin.Trace_Initial.begin(),
                                         f.Ctx().dessin.Trace_Initial.begin() + 120);

    // Save as another name: the extension becomes the program's.
    f.reponseEnregistrer = dossier.Chemin("copie.txt");
    f.mnu_SaveAs_Click();
    ASSERT_EQ(f.dossiersEnregistrer.size(), 1u);
    EXPECT_EQ(f.dossiersEnregistrer[0], dossier.Dossier() + "/");
    const std::string copie = dossier.Chemin("copie.Korvelin");
    ASSERT_TRUE(std::filesystem::exists(copie));
    EXPECT_EQ(f.Ctx().dessin.NomFichier, copie);
    EXPECT_EQ(f.windowTitle(), Q("copie.Korvelin"));
    EXPECT_EQ(f.Panneau(1)->text(), Q("copie.Korvelin "));

    // Saving again rewrites the same file.
    f.Menu("mnu_Save")->trigger();
    EXPECT_EQ(f.Ctx().dessin.NomFichier, copie);
    EXPECT_EQ(f.windowTitle(), Q("copie.Korvelin"));

    // A fresh window reads the same points and the settings kept in the project.
    FenetreEssai g(dossier.Chemin("neuf.ini"));
    g.resize(800, 600);
    g.show();
    g.reponseOuvrir = copie;
    RepondreModal<F_Dimension>([](F_Dimension& d) { d.Btn_OK->click(); });
    g.mnu_Ouvrir_Click();
    ASSERT_EQ(g.Ctx().dessin.NbPoints, 120);
    for (int i = 0; i < 120; ++i) {
        const PointTrace& p = g.Ctx().dessin.Trace_Initial[i];
        EXPECT_EQ(p.X, points[i].X) << i;
        EXPECT_EQ(p.Y, points[i].Y) << i;
        EXPECT_EQ(p.Sequence, points[i].Sequence) << i;
        EXPECT_EQ(p.Plume, points[i].Plume) << i;
    }
    EXPECT_DOUBLE_EQ(g.Ctx().parametres.RayonFraise, 2.5);
}

TEST_F(Fenetre, UnEnregistrerSousAnnuleNEcritRien) {
    Ouvre(Projet120(dossier, "piece.Korvelin"));
    const auto avant = std::filesystem::directory_iterator(dossier.Dossier());
    const std::size_t nb = std::distance(avant, std::filesystem::directory_iterator());
    f.reponseEnregistrer = "";
    f.mnu_SaveAs_Click();
    EXPECT_EQ(std::size_t(std::distance(std::filesystem::directory_iterator(dossier.Dossier()),
                                        std::filesystem::directory_iterator())), nb);
    EXPECT_EQ(f.windowTitle(), Q("piece.Korvelin"));
    EXPECT_EQ(f.Ctx().dessin.NomFichier, dossier.Chemin("piece.Korvelin"));
}

}  // namespace
}  // namespace korvelin::test
