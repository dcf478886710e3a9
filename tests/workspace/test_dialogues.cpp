// The file dialogs, the rescaling dialog and the about box. The rescaling
// arithmetic itself is the core's and is checked there.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "outils_gui.h"
#include "support/valeurs_temporaires.h"
#include "settings/magasin.h"
#include "workspace/dialogues_fichier.h"
#include "workspace/f_about.h"
#include "document/importation.h"
#include "workspace/f_dimension.h"

namespace korvelin::test {
namespace {

// Whether the only name filter of d, titled `titre`, lets `nom` through.
bool Accepte(const QFileDialog& d, const char* titre, const char* nom) {
    EXPECT_EQ(d.nameFilters().size(), 1);
    const QString filtre = d.nameFilters().value(0);
    EXPECT_TRUE(filtre.startsWith(Q(titre) + Q(" ("))) << filtre.toStdString();
    const qsizetype a = filtre.indexOf(u'('), b = filtre.lastIndexOf(u')');
    for (const QString& m : filtre.mid(a + 1, b - a - 1).split(u' ', Qt::SkipEmptyParts))
        if (QDir::match(m, Q(nom))) return true;
    return false;
}

TEST(DialoguesFichier, OuvrirEnregistrerEtAnnuler) {
    DossierTemporaire dossier;
    auto d = CreeDialogueOuvrir(nullptr, dossier.Dossier() + "/");
    EXPECT_EQ(d->acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(d->fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(d->directory().absolutePath(), QString::fromStdString(dossier.Dossier()));
    for (const char* nom : {"piece.DAT", "piece.PLT", "piece.HPGL", "piece.Korvelin", "piece.DXF", "piece.dat",
                            "piece.plt", "piece.hpgl", "piece.korvelin", "piece.dxf"})
        EXPECT_TRUE(Accepte(*d, "Fichiers dessin", nom)) << nom;
    EXPECT_FALSE(Accepte(*d, "Fichiers dessin", "notes.txt"));

    auto e = CreeDialogueEnregistrer(nullptr, dossier.Dossier());
    EXPECT_EQ(e->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(e->defaultSuffix(), Q("Korvelin"));
    EXPECT_TRUE(e->testOption(QFileDialog::DontConfirmOverwrite));
    EXPECT_TRUE(Accepte(*e, "Fichiers projets Korvelin", "piece.korvelin"));
    EXPECT_FALSE(Accepte(*e, "Fichiers projets Korvelin", "piece.plt"));

    // Without a folder the dialogs start on the desktop, inside the tests' HOME.
    const QString bureau = DossierBureau();
    EXPECT_TRUE(bureau.startsWith(QString::fromLocal8Bit(qgetenv("HOME")) + u'/'));
    EXPECT_EQ(DossierInitial("   "), bureau + u'/');
    EXPECT_EQ(DossierInitial("/tmp/"), Q("/tmp/"));

    // The path chosen, or a message when the dialog is cancelled.
    const std::string piece = dossier.Ecrit("piece.plt", "IN;PU0,0;PD10,10;\n");
    UiEnregistreuse ui;
    RepondreModal<QFileDialog>([&](QFileDialog& f) {
        f.findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(piece));
        static_cast<QDialog&>(f).accept();
    });
    EXPECT_EQ(ExecuteDialogueFichier(*d, ui), piece);
    EXPECT_TRUE(ui.messages.empty());
    RepondreModal<QFileDialog>([](QFileDialog& f) { f.reject(); });
    EXPECT_EQ(ExecuteDialogueFichier(*e, ui), "");
    AttendSeulMessage(ui, "Aucun fichier sélectionné !", Icone::Information, "Sélection du fichier");
}

void Quitte(QLineEdit* boite) {
    QFocusEvent sortie(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(boite, &sortie);
}

// Sizes, ratios and results, across then down.
QStringList Boites(const F_Dimension& d) {
    return {d.TB_H_Initial->text(), d.TB_V_Initial->text(),  d.TB_H_Rapport->text(),
            d.TB_V_Rapport->text(), d.TB_H_Resultat->text(), d.TB_V_Resultat->text()};
}

// The dialog as an import shows it, driven by the test.
struct DialogueDimension : SuiviImport {
    InterfaceUtilisateur& ui;
    std::function<void(F_Dimension&)> pilote;
    explicit DialogueDimension(InterfaceUtilisateur& u) : ui(u) {}
    void Signale(const Diagnostic& d) override { Montre(ui, d); }
    Rapports Demande(ModeleDimension& m) override {
        F_Dimension d(m, ui);
        pilote(d);
        return {*m.RapportH(), *m.RapportV()};
    }
};

TEST(Dimension, LesBoitesLeClavierEtLaFermeture) {
    test::ValeursTemporaires v;
    v.dessin.TypeFichier = "PLT";
    DialogueDimension dialogue(v.ui);
    dialogue.pilote = [](F_Dimension& d) {
        EXPECT_EQ(Boites(d), QStringList({"4000", "2000", "0,025", "0,025", "100", "50"}));
        EXPECT_FALSE(d.TB_H_Initial->isEnabled() || d.TB_V_Initial->isEnabled());
        EXPECT_TRUE(d.CB_Proportions->isChecked());

        // Leaving a box or pressing Return in it updates the others.
        d.TB_H_Resultat->setText(Q("150"));
        Quitte(d.TB_H_Resultat);
        EXPECT_EQ(Boites(d), QStringList({"4000", "2000", "0,0375", "0,0375", "150", "75"}));
        d.TB_V_Rapport->setText(Q("0,05"));
        emit d.TB_V_Rapport->returnPressed();
        EXPECT_EQ(Boites(d), QStringList({"4000", "2000", "0,05", "0,05", "200", "100"}));

        // A typed point becomes a comma.
        for (QLineEdit* b : {d.TB_H_Rapport, d.TB_V_Rapport, d.TB_H_Resultat, d.TB_V_Resultat}) {
            b->clear();
            for (QChar c : Q("1.5")) {
                QKeyEvent appui(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
                QApplication::sendEvent(b, &appui);
            }
            EXPECT_EQ(b->text(), Q("1,5"));
        }

        // Valider and the close box both store the ratios.
        d.TB_H_Resultat->setText(Q("150"));
        Quitte(d.TB_H_Resultat);
        d.Btn_OK->click();
        EXPECT_EQ(d.result(), QDialog::Accepted);
    };
    ChoisitRapports(v.Cible(), {0, 4000, 0, 2000}, dialogue);
    EXPECT_DOUBLE_EQ(v.parametres.RapportH, 0.0375);
    EXPECT_EQ(v.magasin.Lire(v.dessin, "PLTRapportH", ""), "0,0375");
    EXPECT_EQ(v.magasin.Lire(v.dessin, "PLTRapportV", ""), "0,0375");
    dialogue.pilote = [](F_Dimension& d) {  // the stored ratios come back
        EXPECT_EQ(d.TB_H_Rapport->text(), Q("0,0375"));
        d.CB_Proportions->click();
        EXPECT_FALSE(d.CB_Proportions->isChecked());
        // A ratio of zero keeps the dialog open, and says why; one typed, not left, is still
        // taken at closing.
        d.show();
        d.TB_V_Rapport->setText(Q("0"));
        d.close();
        EXPECT_TRUE(d.isVisible());
        d.TB_V_Rapport->setText(Q("0,5"));
        d.close();
        EXPECT_FALSE(d.isVisible());
    };
    ChoisitRapports(v.Cible(), {0, 4000, 0, 2000}, dialogue);
    EXPECT_DOUBLE_EQ(v.parametres.RapportV, 0.5);
    EXPECT_DOUBLE_EQ(v.parametres.RapportH, 0.0375);
    EXPECT_EQ(v.magasin.Lire(v.dessin, "PLTRapportV", ""), "0,5");
    ASSERT_EQ(v.ui.messages.size(), 1u);
    EXPECT_NE(v.ui.messages[0].texte.find("vertical"), std::string::npos) << v.ui.messages[0].texte;
}

TEST(APropos, VersionEtOutilSysteme) {
    F_About sans(nullptr, QString());
    EXPECT_FALSE(sans.Btn_InfoSysteme->isEnabled());
    EXPECT_EQ(sans.findChild<QLabel*>("Label_Version")->text(), Q("Version 1.1.8"));
    F_About avec(nullptr, Q("/usr/bin/outil"));
    EXPECT_TRUE(avec.Btn_InfoSysteme->isEnabled());
    // The tool is looked up in PATH, in the order given.
    EXPECT_TRUE(OutilInformationsSysteme({Q("outil-qui-n-existe-pas")}).isEmpty());
    EXPECT_TRUE(OutilInformationsSysteme({Q("outil-qui-n-existe-pas"), Q("sh")}).endsWith(Q("/sh")));
}

}  // namespace
}  // namespace korvelin::test
