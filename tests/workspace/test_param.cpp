// The parameters dialog reached from the main window: filled without recomputing,
// offsets redrawn at once, colours picked or kept, Annuler storing nothing and OK storing.

#include <gtest/gtest.h>

#include <clocale>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include "outils_gui.h"
#include "workspace/f_dimension.h"
#include "workspace/f_param.h"

namespace korvelin::test {
namespace {

// On a French desktop, where the C library reads and writes a decimal comma: neither a
// ratio nor a time nor the radius may lose its fraction on the way.
TEST(Parametres, DepuisLaFenetreAnnulerPuisOkSurUnBureauFrancais) {
    const std::string avant = std::setlocale(LC_ALL, nullptr);
    ASSERT_NE(std::setlocale(LC_ALL, "fr_FR.UTF-8"), nullptr) << "scripts/dependances.sh crée la locale";
    DossierTemporaire dossier;
    const std::string ini = dossier.Chemin("Korvelin.ini");
    FenetreEssai f(ini);
    f.Montre(800, 600);
    f.reponseOuvrir = dossier.Ecrit("carre.plt", "IN;PU0,0;PD400,0,400,400,0,400,0,0;");
    RepondreModal<F_Dimension>([](F_Dimension& d) {
        EXPECT_EQ(d.TB_H_Rapport->text(), Q("0,025"));
        EXPECT_EQ(d.TB_H_Resultat->text(), Q("10"));
        d.Btn_OK->click();
    });
    f.Menu("mnu_Ouvrir")->trigger();
    ASSERT_EQ(f.Doc().Trace().NbPoints, 5);
    const float decaleAvant = f.Doc().Trace().Trace_Decale.at(0).Points.at(0).X;

    RepondreModal<F_Param>([&](F_Param& d) {
        EXPECT_FALSE(f.Doc().PeutAnnuler()) << "l'ouverture ne recalcule rien";
        EXPECT_TRUE(d.Boites.at("TB_VitMax_Mat_X")->isReadOnly());
        EXPECT_TRUE(d.Option[0]->isChecked());
        EXPECT_TRUE(d.Option_LPT[0]->isChecked());
        EXPECT_EQ(d.HScroll_TimerInterval->value(), 275);
        EXPECT_EQ(d.Boites.count("TB_VitesseBroche"), 1u);

        QLineEdit* temps = d.Boites.at("TB_TempsMin_Mat_X");
        temps->setText(Q("12,5"));
        emit temps->returnPressed();
        EXPECT_EQ(d.Boites.at("TB_VitMax_Mat_X")->text(), Q("1,667"));

        d.Option[2]->click();  // "En avalant": recomputed and undoable at once
        EXPECT_TRUE(f.Doc().PeutAnnuler());
        EXPECT_NE(f.Doc().Trace().Trace_Decale.at(0).Points.at(0).X, decaleAvant);

        d.ChoixCouleur = [](const QColor&) { return std::optional<QColor>(); };
        d.Btn_Couleur[2]->click();
        EXPECT_EQ(d.LB_Couleur[2]->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        d.ChoixCouleur = [](const QColor&) { return std::optional<QColor>(QColor(1, 2, 3)); };
        d.Btn_Couleur[2]->click();
        EXPECT_EQ(d.LB_Couleur[2]->palette().color(QPalette::WindowText), QColor(1, 2, 3));
        d.Btn_Annuler->click();
    });
    f.Menu("mnu_Param")->trigger();
    EXPECT_EQ(f.Doc().Reglages().DecalageOutil, 3);
    EXPECT_EQ(f.Doc().Reglages().TempsMin_Mat_X, 12.5);
    EXPECT_EQ(f.Doc().Reglages().CouleurSelectionne, 255) << "une couleur n'atteint le réglage qu'à OK";
    EXPECT_EQ(DossierTemporaire::Lit(ini).find("DecalageOutil"), std::string::npos);

    RepondreModal<F_Param>([&](F_Param& d) {
        EXPECT_TRUE(d.Option[2]->isChecked());
        d.ChoixCouleur = [](const QColor&) { return std::optional<QColor>(QColor(1, 2, 3)); };
        d.Btn_Couleur[2]->click();
        QLineEdit* rayon = d.Boites.at("TB_RayonFraise");
        rayon->setText(Q("1,5"));
        emit rayon->returnPressed();
        d.Btn_OK->click();
    });
    f.Bouton(11)->trigger();
    const std::string texte = DossierTemporaire::Lit(ini);
    for (const char* ligne :
         {"DecalageOutil= 3\r\n", "TempsMin_Mat_X= 12.5\r\n", "CouleurSelectionne= 197121\r\n", "RayonFraise= 1.5\r\n"})
        EXPECT_NE(texte.find(ligne), std::string::npos) << ligne << texte;
    EXPECT_EQ(f.Doc().Reglages().CouleurSelectionne, 197121);
    EXPECT_EQ(f.Doc().Reglages().RayonFraise, 1.5);
    // The tool runs 1.5 mm inside every side of the 10 mm square.
    float xmin = 1e9f, xmax = -1e9f;
    for (const PointTrace& p : f.Doc().Trace().Trace_Decale.at(0).Points) {
        xmin = std::min(xmin, p.X);
        xmax = std::max(xmax, p.X);
    }
    EXPECT_NEAR(xmin, 1.5, 1e-4);
    EXPECT_NEAR(xmax, 8.5, 1e-4);
    std::setlocale(LC_ALL, avant.c_str());
}

}  // namespace
}  // namespace korvelin::test
