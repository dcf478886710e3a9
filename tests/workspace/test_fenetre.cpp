// The main window: its commands, and the life of a document from open to save.

#include <gtest/gtest.h>

#include <QAction>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QSet>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>

#include <filesystem>

#include "model/aide_dessin.h"
#include "model/ligne_projet.h"
#include "outils_gui.h"
#include "settings/magasin.h"
#include "workspace/f_dimension.h"

namespace korvelin::test {
namespace {

// Commands that need a document.
void AttendEdition(F_Representation& f, bool actif) {
    for (const char* nom : {"mnu_sequencement", "mnu_Soudure", "mnu_Miroir", "mnu_Liste", "mnu_Save", "mnu_SaveAs"})
        EXPECT_EQ(f.Menu(nom)->isEnabled(), actif) << nom;
    for (int i : {3, 4, 9, 10, 12}) EXPECT_EQ(f.Bouton(i)->isEnabled(), actif) << "bouton " << i;
}

// Name of each action, with " c" when it can be checked, "*" when it is, " -" when disabled.
QStringList Etats(const QList<QAction*>& actions) {
    QStringList etats;
    for (QAction* a : actions)
        etats << (a->isSeparator() ? Q("|")
                                   : a->objectName() + (a->isCheckable() ? " c" : "") + (a->isChecked() ? "*" : "") +
                                         (a->isEnabled() ? "" : " -"));
    return etats;
}

// A project of 120 points in two traces, 80.4 wide and 40.6 high, with a cutter radius and
// the tool on the line, so that the offset paths do not widen the bounds.
std::string Projet120(const DossierTemporaire& dossier, const std::string& nom) {
    std::string texte =
        "$$[Korvelin]                                                          \r\n"
        "$$RayonFraise=2.5                                                     \r\n"
        "$$DecalageOutil=2                                                     \r\n";
    for (int i = 0; i < 120; ++i) {
        const float x = 80.4f * (i % 60) / 59, y = i < 60 ? float(i % 2) * 20 : 40.6f - float(i % 2) * 10;
        texte += LignePointProjet(Pt(x, y, i < 60 ? " A" : " B")) + "\r\n";
    }
    return dossier.Ecrit(nom, texte);
}

// Opens a file as if chosen in the dialog, answering the rescaling dialog with "Valider".
void Ouvre(FenetreEssai& f, const std::string& chemin) {
    f.reponseOuvrir = chemin;
    RepondreModal<F_Dimension>([](F_Dimension& d) { d.Btn_OK->click(); });
    f.mnu_Ouvrir_Click();
}

void AttendNom(FenetreEssai& f, const std::string& chemin) {
    const QString nom = QString::fromStdString(std::filesystem::path(chemin).filename().string());
    EXPECT_EQ(f.Doc().Trace().NomFichier, chemin);
    EXPECT_EQ(f.windowTitle(), nom);
    EXPECT_EQ(f.Panneau(1)->text(), nom + u' ');
}

class Fenetre : public ::testing::Test {
protected:
    DossierTemporaire dossier;
    FenetreEssai f{dossier.Ecrit("Korvelin.ini", "[Korvelin]\r\nDecalageOutil=2\r\n")};

    void SetUp() override { f.Montre(1000, 700); }
};

TEST_F(Fenetre, AuDemarrage) {
    EXPECT_EQ(f.windowTitle(), Q("Représentation graphique"));
    QStringList menus;
    for (QAction* a : f.menuBar()->actions())
        menus << a->text() << (a->menu() ? Etats(a->menu()->actions()) : Etats({a}));
    EXPECT_EQ(menus.join(", "),
              Q("&Fichier, mnu_Ouvrir, mnu_Save -, mnu_SaveAs -, mnu_quitter, É&dition, mnu_Annuler -, "
                "mnu_Retablir -, &Outils, mnu_sequencement -, mnu_Miroir -, mnu_Liste -, mnu_Soudure -, "
                "mnu_Orientation -, mnu_Ordre -, &Zoom, mnu_Zd10, mnu_Zd5, mnu_Zd2, mnu_Z1, mnu_Z2, F&raisage, "
                "mnu_FenetreFraisage, mnu_Zero, &Paramètres, mnu_Param, &?, mnu_Help, mnu_Todo"));
    // Every item of a menu has an access key of its own.
    for (QAction* m : f.menuBar()->actions()) {
        if (!m->menu() || m->text() == "&Zoom") continue;
        QSet<QChar> cles;
        for (QAction* a : m->menu()->actions()) {
            const qsizetype i = a->text().indexOf(u'&');
            ASSERT_TRUE(i >= 0 && i + 1 < a->text().size()) << a->text().toStdString();
            EXPECT_FALSE(cles.contains(a->text()[i + 1].toLower())) << a->text().toStdString();
            cles.insert(a->text()[i + 1].toLower());
        }
    }
    EXPECT_EQ(f.Menu("mnu_Ouvrir")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
    EXPECT_EQ(f.Menu("mnu_Save")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
    EXPECT_EQ(f.Menu("mnu_Annuler")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_EQ(
        f.Menu("mnu_Retablir")->shortcuts(),
        (QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}));

    const QList<QAction*> boutons = f.TB1->actions();
    EXPECT_EQ(Etats(boutons).join(", "), Q("mnu_Ouvrir, mnu_NumPoint c, mnu_Liste -, mnu_Soudure -, mnu_Fraisage, "
                                           "mnu_Sequence c*, |, mnu_Zoom, mnu_Miroir -, mnu_Sequencement -, "
                                           "mnu_Param, mnu_Lever c -"));
    for (int i = 1; i <= boutons.size(); ++i) EXPECT_EQ(boutons[i - 1], f.Bouton(i));
    EXPECT_FALSE(f.Bouton(12)->icon().pixmap(20, 20).isNull());
    QMenu* zoom = f.Bouton(8)->menu();
    auto* bouton = qobject_cast<QToolButton*>(f.TB1->widgetForAction(f.Bouton(8)));
    ASSERT_TRUE(zoom && bouton && bouton->popupMode() == QToolButton::InstantPopup);
    QStringList niveaux;
    for (QAction* e : zoom->actions()) niveaux << e->text();
    EXPECT_EQ(niveaux, (QStringList{"1:10", "1:5", "1:2", "1:1", "2:1"}));
    EXPECT_DOUBLE_EQ(f.FacteurZoom, 1.0);
    zoom->actions()[0]->trigger();
    EXPECT_DOUBLE_EQ(f.FacteurZoom, 0.1);
    f.Menu("mnu_Z2")->trigger();
    EXPECT_DOUBLE_EQ(f.FacteurZoom, 2.0);
    // Button 12 only changes the view's tooltip.
    f.Bouton(12)->setChecked(true);
    EXPECT_EQ(f.PB1->toolTip(), Q("Cliquez sur un segment pour lever l'outil"));
    f.Bouton(12)->setChecked(false);
    EXPECT_TRUE(f.PB1->toolTip().isEmpty());

    for (int n = 1; n <= 8; ++n)
        EXPECT_TRUE(f.Panneau(n) && f.Panneau(n)->text().isEmpty() && f.Panneau(n)->alignment() == Qt::AlignCenter)
            << n;
    EXPECT_EQ(f.Panneau(9), nullptr);
    EXPECT_EQ(f.Doc().Reglages().DecalageOutil, 2);  // read from the settings file given
}

TEST_F(Fenetre, OuvrirUnProjetDe120PointsPuisDesFichiersQuiNeLeRemplacentPas) {
    // Cancelled, the dialog having started in the folder of the last file.
    const std::string chemin = Projet120(dossier, "piece.Korvelin");
    f.Doc().EcritReglages({{"Fichier", dossier.Chemin("ancien.plt")}});
    RepondreModal<QFileDialog>([&](QFileDialog& d) {
        EXPECT_EQ(d.directory().absolutePath(), QString::fromStdString(dossier.Dossier()));
        d.reject();
    });
    f.mnu_Ouvrir_Click();
    ASSERT_EQ(f.messages.size(), 1u);
    EXPECT_EQ(f.messages[0].texte, "Aucun fichier sélectionné !");
    AttendEdition(f, false);

    f.Lissage = false;
    Ouvre(f, chemin);
    ASSERT_EQ(f.messages.size(), 1u) << f.messages.back().texte;
    const Dessin& d = f.Doc().Trace();
    EXPECT_EQ(d.NbPoints, 120);
    EXPECT_EQ(d.TypeFichier, "KORVELIN");
    EXPECT_EQ(d.FichierProjet, chemin);
    AttendNom(f, chemin);
    EXPECT_EQ(f.Panneau(2)->text(), Q("Nombre de points : 120 "));
    EXPECT_EQ(f.Panneau(3)->text(), Q("Dimension X : 80"));
    EXPECT_EQ(f.Panneau(4)->text(), Q("Dimension Y : 41"));
    EXPECT_EQ(f.Doc().LitReglage("Fichier"), chemin);
    EXPECT_DOUBLE_EQ(f.Doc().Reglages().RayonFraise, 2.5);
    EXPECT_FALSE(f.AttenteCoteDecalage);
    AttendEdition(f, true);
    EXPECT_GT(Compte(f.PB1->Image(), CouleurQt(f.Doc().Reglages().CouleurDeselectionne)), 100);

    // A folder, then a project the reader refuses: the document stays, and Save does not
    // write over the refused file.
    std::filesystem::create_directory(dossier.Chemin("vide.dxf"));
    f.reponseOuvrir = dossier.Chemin("vide.dxf");
    f.mnu_Ouvrir_Click();
    ASSERT_EQ(f.messages.size(), 2u);
    EXPECT_NE(f.messages[1].texte.find("vide.dxf"), std::string::npos);
    EXPECT_EQ(f.messages[1].icone, Icone::Critique);
    EXPECT_EQ(f.Doc().LitReglage("Fichier"), chemin);
    const std::string abime = dossier.Ecrit("abime.Korvelin", "$$RayonFraise=1\r\n");
    f.reponseOuvrir = abime;
    f.mnu_Ouvrir_Click();
    ASSERT_EQ(f.messages.size(), 3u);
    EXPECT_TRUE(f.messages[2].texte.starts_with("Fichier inexploitable !\r\n« ")) << f.messages[2].texte;
    AttendNom(f, chemin);
    AttendEdition(f, true);
    f.mnu_Save_Click();
    EXPECT_EQ(DossierTemporaire::Lit(abime), "$$RayonFraise=1\r\n");
    EXPECT_EQ(f.Panneau(2)->text(), Q("Nombre de points : 120 "));
}

// "Enregistrer sous": cancelled, under another name, asking before it replaces a file; a
// fresh window reads back the same points and settings.
TEST_F(Fenetre, EnregistrerSousDemandeAvantDeRemplacerEtRelitLesMemesPointsEtReglages) {
    const std::string piece = Projet120(dossier, "piece.Korvelin");
    Ouvre(f, piece);
    const std::vector<PointTrace> points = f.Doc().Trace().Trace_Initial;
    ASSERT_GE(points.size(), 120u);
    const auto NbFichiers = [&] { return std::distance(std::filesystem::directory_iterator(dossier.Dossier()), {}); };
    const auto nb = NbFichiers();
    f.reponseEnregistrer = "";  // cancelled: nothing written
    f.mnu_SaveAs_Click();
    EXPECT_EQ(NbFichiers(), nb);
    AttendNom(f, piece);

    const std::string autre = dossier.Ecrit("autre.Korvelin", "garder\r\n");
    f.reponseEnregistrer = dossier.Chemin("autre.plt");  // written as autre.Korvelin
    f.reponseQuestion = false;
    f.mnu_SaveAs_Click();
    ASSERT_EQ(f.questions.size(), 1u);
    EXPECT_EQ(f.questions[0], "Le fichier « autre.Korvelin » existe déjà. Voulez-vous le remplacer ?");
    EXPECT_EQ(DossierTemporaire::Lit(autre), "garder\r\n");
    AttendNom(f, piece);
    f.reponseQuestion = true;
    f.mnu_SaveAs_Click();
    EXPECT_NE(DossierTemporaire::Lit(autre), "garder\r\n");
    EXPECT_EQ(f.dossiersEnregistrer.back(), dossier.Dossier() + "/");
    AttendNom(f, autre);
    // Saving again under its own name asks nothing.
    f.reponseEnregistrer = autre;
    f.mnu_SaveAs_Click();
    f.Menu("mnu_Save")->trigger();
    EXPECT_EQ(f.questions.size(), 2u);

    FenetreEssai g(dossier.Chemin("neuf.ini"));
    Ouvre(g, autre);
    ASSERT_EQ(g.Doc().Trace().NbPoints, 120);
    EXPECT_TRUE(MemesPoints({g.Doc().Trace().Trace_Initial.begin(), g.Doc().Trace().Trace_Initial.begin() + 120},
                            {points.begin(), points.begin() + 120}));
    EXPECT_DOUBLE_EQ(g.Doc().Reglages().RayonFraise, 2.5);

    // Nor does "Enregistrer" replace the project of a drawing without asking.
    const std::string plt = dossier.Ecrit("autre.plt", "IN;PU0,0;PD3216,0;PD3216,1624;\n");
    Ouvre(f, plt);
    const std::string projet = DossierTemporaire::Lit(autre);
    f.reponseQuestion = false;
    f.Menu("mnu_Save")->trigger();
    EXPECT_EQ(f.questions.size(), 3u);
    EXPECT_EQ(DossierTemporaire::Lit(autre), projet);
    AttendNom(f, plt);
}

// The drawing named on the command line goes the way of "Ouvrir", rescaling dialog
// included; one that cannot be read leaves the window as it started. Then Édition, and the
// questions that keep a change from being lost on close, "Quitter" and "Ouvrir".
TEST_F(Fenetre, DessinDonneAuDemarrageAnnulerRetablirEtModificationsAEnregistrer) {
    f.OuvreDessin(dossier.Chemin("absent.plt"));
    ASSERT_EQ(f.messages.size(), 1u);
    EXPECT_EQ(f.messages[0].texte, "Le fichier « absent.plt » est introuvable.");
    EXPECT_TRUE(f.Doc().Trace().NomFichier.empty());
    EXPECT_EQ(f.windowTitle(), Q("Représentation graphique"));
    AttendEdition(f, false);
    f.messages.clear();

    const std::string piece = dossier.Ecrit("piece.plt", "IN;PU0,0;PD3216,0;PD3216,1624;PD0,1624;\n");
    bool montre = false;
    RepondreModal<F_Dimension>([&](F_Dimension& d) {
        montre = true;
        EXPECT_EQ(d.TB_H_Initial->text(), Q("3216"));
        d.Btn_OK->click();
    });
    f.OuvreDessin(piece);
    EXPECT_TRUE(montre);
    EXPECT_EQ(f.Doc().Trace().TypeFichier, "PLT");
    AttendNom(f, piece);
    EXPECT_EQ(f.Doc().LitReglage("Fichier"), piece);
    AttendEdition(f, true);
    EXPECT_FALSE(f.Menu("mnu_Annuler")->isEnabled());
    const std::vector<PointTrace> avant = f.Doc().Trace().Trace_Initial;
    f.Menu("mnu_Miroir")->trigger();
    ASSERT_TRUE(f.Menu("mnu_Annuler")->isEnabled());
    EXPECT_FALSE(f.Menu("mnu_Retablir")->isEnabled());
    EXPECT_NE(XY(f.Doc().Trace().Trace_Initial), XY(avant));
    f.Menu("mnu_Annuler")->trigger();
    EXPECT_EQ(XY(f.Doc().Trace().Trace_Initial), XY(avant));
    EXPECT_FALSE(f.Menu("mnu_Annuler")->isEnabled());
    EXPECT_TRUE(f.Menu("mnu_Retablir")->isEnabled());
    // Nothing to save: closing asks nothing.
    EXPECT_TRUE(f.PeutFermerDocument());
    f.Menu("mnu_Retablir")->trigger();

    // Annuler keeps the window and its document; the open dialog never shows.
    f.reponseEnregistrerModifs = F_Representation::Reponse::Annuler;
    f.Menu("mnu_quitter")->trigger();
    EXPECT_TRUE(f.isVisible());
    f.reponseOuvrir = dossier.Chemin("absent.plt");
    f.mnu_Ouvrir_Click();
    EXPECT_TRUE(f.messages.empty());
    EXPECT_EQ(f.questionsEnregistrer, (std::vector<std::string>{"piece.plt", "piece.plt"}));
    AttendNom(f, piece);

    // Oui saves first; a save that does not happen (the project's name taken by another
    // file the user keeps) keeps the window. Non lets the changes go.
    f.reponseEnregistrerModifs = F_Representation::Reponse::Oui;
    const std::string autre = dossier.Ecrit("piece.Korvelin", "garder\r\n");
    f.reponseQuestion = false;
    EXPECT_FALSE(f.close());
    EXPECT_EQ(DossierTemporaire::Lit(autre), "garder\r\n");
    EXPECT_TRUE(f.Doc().Modifie());
    std::filesystem::remove(autre);
    EXPECT_TRUE(f.close());
    EXPECT_TRUE(std::filesystem::exists(dossier.Chemin("piece.Korvelin")));
    AttendNom(f, dossier.Chemin("piece.Korvelin"));  // the project written beside it
    EXPECT_TRUE(f.messages.empty());
    EXPECT_FALSE(f.Doc().Modifie());
    f.show();
    f.Menu("mnu_Soudure")->trigger();
    f.Menu("mnu_Miroir")->trigger();
    f.reponseEnregistrerModifs = F_Representation::Reponse::Non;
    const auto taille = std::filesystem::file_size(dossier.Chemin("piece.Korvelin"));
    const std::string enregistre = DossierTemporaire::Lit(dossier.Chemin("piece.Korvelin"));
    EXPECT_TRUE(f.close());
    EXPECT_EQ(DossierTemporaire::Lit(dossier.Chemin("piece.Korvelin")), enregistre);
    EXPECT_EQ(std::filesystem::file_size(dossier.Chemin("piece.Korvelin")), taille);
    EXPECT_EQ(f.questionsEnregistrer.size(), 5u);
}

TEST(Traductions, LesBoitesDeQtParlentFrancais) {
    QMessageBox boite(QMessageBox::Question, "Korvelin", "?", QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_EQ(boite.button(QMessageBox::Yes)->text().remove(u'&'), Q("Oui"));
    EXPECT_EQ(boite.button(QMessageBox::No)->text().remove(u'&'), Q("Non"));
    EXPECT_EQ(boite.button(QMessageBox::Cancel)->text().remove(u'&'), Q("Annuler"));
    // The file dialog's type column, which the distribution's catalogue leaves in English.
    EXPECT_EQ(QCoreApplication::translate("QAbstractFileIconProvider", "Folder", "All other platforms"), Q("Dossier"));
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), Q("Voir dans :"));
}

}  // namespace
}  // namespace korvelin::test
