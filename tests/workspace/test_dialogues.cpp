// The file dialogs, the about box and the todo window.

#include <gtest/gtest.h>

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "outils_gui.h"
#include "workspace/dialogues_fichier.h"
#include "workspace/f_about.h"
#include "workspace/f_todo.h"

namespace korvelin::test {
namespace {

QString Q(const char* s) { return QString::fromUtf8(s); }

// The patterns between the parentheses of a Qt name filter.
QStringList Motifs(const QString& filtre) {
    const qsizetype a = filtre.indexOf(u'('), b = filtre.lastIndexOf(u')');
    return filtre.mid(a + 1, b - a - 1).split(u' ', Qt::SkipEmptyParts);
}

bool Accepte(const QStringList& motifs, const char* nom) {
    for (const QString& m : motifs)
        if (QDir::match(m, Q(nom))) return true;
    return false;
}

TEST(DialoguesFichier, OuvrirUnDessin) {
    DossierTemporaire dossier;
    auto d = CreeDialogueOuvrir(nullptr, dossier.Dossier() + "/");
    EXPECT_EQ(d->windowTitle(), Q("Sélection du fichier de dessin"));
    EXPECT_EQ(d->acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(d->fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(d->directory().absolutePath(), QString::fromStdString(dossier.Dossier()));
    ASSERT_EQ(d->nameFilters().size(), 1);
    EXPECT_TRUE(d->nameFilters()[0].startsWith(Q("Fichiers dessin (")));
    const QStringList motifs = Motifs(d->nameFilters()[0]);
    for (const char* nom : {"piece.DAT", "piece.PLT", "piece.HPGL", "piece.Korvelin", "piece.DXF",
                            "piece.dat", "piece.plt", "piece.hpgl", "piece.korvelin", "piece.dxf"})
        EXPECT_TRUE(Accepte(motifs, nom)) << nom;
    EXPECT_FALSE(Accepte(motifs, "notes.txt"));
    EXPECT_FALSE(d->filter().testFlag(QDir::CaseSensitive));
}

TEST(DialoguesFichier, EnregistrerUnProjet) {
    DossierTemporaire dossier;
    auto d = CreeDialogueEnregistrer(nullptr, dossier.Dossier());
    EXPECT_EQ(d->windowTitle(), Q("Sauvegarder un fichier projet Korvelin"));
    EXPECT_EQ(d->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(d->defaultSuffix(), Q("Korvelin"));
    EXPECT_TRUE(d->testOption(QFileDialog::DontConfirmOverwrite));
    ASSERT_EQ(d->nameFilters().size(), 1);
    EXPECT_TRUE(d->nameFilters()[0].startsWith(Q("Fichiers projets Korvelin (")));
    const QStringList motifs = Motifs(d->nameFilters()[0]);
    EXPECT_TRUE(Accepte(motifs, "piece.Korvelin"));
    EXPECT_TRUE(Accepte(motifs, "piece.korvelin"));
    EXPECT_FALSE(Accepte(motifs, "piece.plt"));
}

TEST(DialoguesFichier, SansDossierOnPartDuBureau) {
    const QString bureau = DossierBureau();
    EXPECT_FALSE(bureau.isEmpty());
    EXPECT_FALSE(bureau.endsWith(u'/'));
    // The tests' HOME is a temporary folder: the desktop lies inside it.
    EXPECT_TRUE(bureau.startsWith(QString::fromLocal8Bit(qgetenv("HOME"))));
    EXPECT_EQ(DossierInitial(""), bureau + u'/');
    EXPECT_EQ(DossierInitial("   "), bureau + u'/');
    EXPECT_EQ(DossierInitial("/tmp/"), Q("/tmp/"));
}

TEST(DialoguesFichier, LeCheminChoisiOuLeMessageDAnnulation) {
    DossierTemporaire dossier;
    const std::string piece = dossier.Ecrit("piece.plt", "IN;PU0,0;PD10,10;\n");
    UiEnregistreuse ui;
    auto d = CreeDialogueOuvrir(nullptr, dossier.Dossier());
    RepondreModal<QFileDialog>([&](QFileDialog& f) {
        f.findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(piece));
        static_cast<QDialog&>(f).accept();
    });
    EXPECT_EQ(ExecuteDialogueFichier(*d, ui), piece);
    EXPECT_TRUE(ui.messages.empty());

    auto e = CreeDialogueEnregistrer(nullptr, dossier.Dossier());
    RepondreModal<QFileDialog>([](QFileDialog& f) { f.reject(); });
    EXPECT_EQ(ExecuteDialogueFichier(*e, ui), "");
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].texte, "Aucun fichier sélectionné !");
    EXPECT_EQ(ui.messages[0].titre, "Sélection du fichier");
    EXPECT_EQ(ui.messages[0].icone, Icone::Information);
}

TEST(APropos, TitreVersionEtOutilSysteme) {
    EXPECT_EQ(VersionProgramme(), Q("1.1.8"));
    F_About sans(nullptr, QString());
    EXPECT_EQ(sans.windowTitle(), Q("A propos de Korvelin"));
    EXPECT_TRUE(sans.isModal());
    EXPECT_FALSE(sans.Btn_InfoSysteme->isEnabled());
    EXPECT_EQ(sans.findChild<QLabel*>("Label_Version")->text(), Q("Version 1.1.8"));
    EXPECT_TRUE(sans.findChild<QLabel*>("Label_Titre")->text().contains(Q("Korvelin")));
    F_About avec(nullptr, Q("/usr/bin/outil"));
    EXPECT_TRUE(avec.Btn_InfoSysteme->isEnabled());

    // The tool is looked up in PATH, in the order given.
    EXPECT_TRUE(OutilInformationsSysteme({Q("outil-qui-n-existe-pas")}).isEmpty());
    EXPECT_TRUE(OutilInformationsSysteme({Q("outil-qui-n-existe-pas"), Q("sh")}).endsWith(Q("/sh")));
}

TEST(Todo, SeptEtiquettes) {
    F_Todo t;
    EXPECT_EQ(t.windowTitle(), Q("Todo"));
    const QList<QLabel*> etiquettes = t.findChildren<QLabel*>();
    ASSERT_EQ(etiquettes.size(), 7);
    EXPECT_EQ(etiquettes[0]->text(), Q("Paramétrage des pins"));
    EXPECT_EQ(etiquettes[6]->text(), Q("Option pour le Z Zero"));
}

}  // namespace
}  // namespace korvelin::test
