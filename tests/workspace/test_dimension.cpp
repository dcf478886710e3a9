// The rescaling dialog: what the boxes show, typing, leaving a box, closing.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include "outils_gui.h"
#include "settings/magasin.h"
#include "workspace/f_dimension.h"

namespace korvelin::test {
namespace {

QString Q(const char* s) { return QString::fromUtf8(s); }

void Tape(QLineEdit* boite, const QString& texte) {
    for (QChar c : texte) {
        QKeyEvent appui(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(boite, &appui);
    }
}

void Quitte(QLineEdit* boite) {
    QFocusEvent sortie(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(boite, &sortie);
}

void Remplace(QLineEdit* boite, const char* texte) {
    boite->setText(Q(texte));
    Quitte(boite);
}

class Dimension : public ::testing::Test {
protected:
    DossierTemporaire dossier;
    Contexte ctx;

    void SetUp() override {
        ctx.CheminIni = dossier.Chemin("Korvelin.ini");
        ctx.dessin.TypeFichier = "PLT";
        ctx.dessin.Xmin = 0;
        ctx.dessin.Xmax = 4000;
        ctx.dessin.Ymin = 0;
        ctx.dessin.Ymax = 2000;
    }
};

TEST_F(Dimension, CeQueMontreLeDialogue) {
    F_Dimension d(ctx);
    EXPECT_EQ(d.windowTitle(), Q("Validation des dimensions du résultat"));
    EXPECT_TRUE(d.isModal());
    EXPECT_EQ(d.TB_H_Initial->text(), Q("4000"));
    EXPECT_EQ(d.TB_V_Initial->text(), Q("2000"));
    EXPECT_FALSE(d.TB_H_Initial->isEnabled());
    EXPECT_FALSE(d.TB_V_Initial->isEnabled());
    EXPECT_EQ(d.TB_H_Rapport->text(), Q("0,025"));
    EXPECT_EQ(d.TB_V_Rapport->text(), Q("0,025"));
    EXPECT_EQ(d.TB_H_Resultat->text(), Q("100"));
    EXPECT_EQ(d.TB_V_Resultat->text(), Q("50"));
    EXPECT_TRUE(d.CB_Proportions->isChecked());
    EXPECT_EQ(d.CB_Proportions->text(), Q("Conserver les proportions"));
    EXPECT_EQ(d.CB_Proportions->toolTip(),
              Q("Conserver ou non les proportions initiales, c'est à dire les mêmes rapports "
                "horizontaux et verticaux "));
    EXPECT_EQ(d.Btn_OK->text(), Q("Valider"));
    EXPECT_EQ(d.TB_H_Rapport->toolTip(),
              Q("Rapport entre les dimensions horizontales du dessin et les dimensions finales"));
    EXPECT_EQ(d.TB_V_Rapport->toolTip(),
              Q("Rapport entre les dimensions verticales du dessin et les dimensions finales"));
    EXPECT_EQ(d.TB_H_Resultat->toolTip(), Q("Dimension horizontale de la pièce finie"));
    EXPECT_EQ(d.TB_V_Resultat->toolTip(), Q("Dimension verticale de la pièce finie"));
    for (const char* l : {"Label1", "Label6", "Label7", "Label8", "Label9", "Label10"})
        EXPECT_NE(d.findChild<QWidget*>(l), nullptr) << l;
}

TEST_F(Dimension, UnPointTapeDevientUneVirgule) {
    F_Dimension d(ctx);
    for (QLineEdit* b : {d.TB_H_Rapport, d.TB_V_Rapport, d.TB_H_Resultat, d.TB_V_Resultat}) {
        b->clear();
        Tape(b, Q("1.5"));
        EXPECT_EQ(b->text(), Q("1,5"));
    }
}

TEST_F(Dimension, UnResultatTapeDonneLeRapportDesDeuxAxes) {
    F_Dimension d(ctx);
    Remplace(d.TB_H_Resultat, "150");
    EXPECT_EQ(d.TB_H_Rapport->text(), Q("0,0375"));
    EXPECT_EQ(d.TB_V_Rapport->text(), Q("0,0375"));
    EXPECT_EQ(d.TB_V_Resultat->text(), Q("75"));
    // Return validates the box too.
    d.TB_V_Rapport->setText(Q("0,05"));
    emit d.TB_V_Rapport->returnPressed();
    EXPECT_EQ(d.TB_H_Resultat->text(), Q("200"));
}

TEST_F(Dimension, SansLesProportionsLAutreAxeNeBougePas) {
    F_Dimension d(ctx);
    d.CB_Proportions->click();
    EXPECT_FALSE(d.CB_Proportions->isChecked());
    Remplace(d.TB_H_Rapport, "0,1");
    EXPECT_EQ(d.TB_H_Resultat->text(), Q("400"));
    EXPECT_EQ(d.TB_V_Rapport->text(), Q("0,025"));
    EXPECT_EQ(d.TB_V_Resultat->text(), Q("50"));
    // Checking it again copies the horizontal ratio; the result waits for a box to be left.
    d.CB_Proportions->click();
    EXPECT_EQ(d.TB_V_Rapport->text(), Q("0,1"));
    EXPECT_EQ(d.TB_V_Resultat->text(), Q("50"));
    Quitte(d.TB_V_Rapport);
    EXPECT_EQ(d.TB_V_Resultat->text(), Q("200"));
}

TEST_F(Dimension, ValiderEtLaCaseDeFermetureRangentLesRapports) {
    {
        F_Dimension d(ctx);
        Remplace(d.TB_H_Resultat, "150");
        d.Btn_OK->click();
        EXPECT_EQ(d.result(), QDialog::Accepted);
    }
    EXPECT_DOUBLE_EQ(ctx.parametres.RapportH, 0.0375);
    EXPECT_DOUBLE_EQ(ctx.parametres.RapportV, 0.0375);
    EXPECT_EQ(LireParametre(ctx, "PLTRapportH", ""), "0,0375");
    EXPECT_EQ(LireParametre(ctx, "PLTRapportV", ""), "0,0375");
    {
        F_Dimension d(ctx);  // the stored ratios come back
        EXPECT_EQ(d.TB_H_Rapport->text(), Q("0,0375"));
        d.CB_Proportions->click();
        d.TB_V_Rapport->setText(Q("0,5"));  // typed, not left: still taken at closing
        d.show();
        d.close();
    }
    EXPECT_DOUBLE_EQ(ctx.parametres.RapportV, 0.5);
    EXPECT_DOUBLE_EQ(ctx.parametres.RapportH, 0.0375);
    EXPECT_EQ(LireParametre(ctx, "PLTRapportV", ""), "0,5");
    // Each file type keeps its own ratios.
    ctx.dessin.TypeFichier = "HPGL";
    F_Dimension h(ctx);
    EXPECT_EQ(h.TB_H_Rapport->text(), Q("1"));
}

}  // namespace
}  // namespace korvelin::test
