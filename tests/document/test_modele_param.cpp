// The parameters dialog without its window: box texts and speeds, offsets recomputed at
// once and taken back, the one batch of OK, the colours put back to their defaults.

#include <gtest/gtest.h>

#include "document/modele_param.h"
#include "model/ligne_projet.h"
#include "platform/ini.h"
#include "support/valeurs_temporaires.h"

namespace korvelin::test {
namespace {

struct Dialogue : DocumentTemporaire {
    ModeleParam m{doc};
    Dialogue() { m.Charger(); }
    std::string Ini() const { return DossierTemporaire::Lit(doc.CheminIni()); }
};

TEST(ModeleParam, SaisiesEtVitesses) {
    Dialogue t;
    EXPECT_EQ(t.m.Texte("TB_VitMax_Mat_X"), "2,083");  // 10 ms, 1 mm, 48 steps
    for (const char* douze : {"12,5", "12.5 ms"}) {
        t.m.Valider("TB_TempsMin_Mat_X", douze);
        EXPECT_EQ(t.p().TempsMin_Mat_X, 12.5) << douze;
    }
    EXPECT_EQ(t.m.Texte("TB_VitMax_Mat_X"), "1,667");
    // A step count is read as typed: the comma ends it, a half goes to the even neighbour.
    for (const char* nb : {"48,6", "48.5"}) {
        t.m.Valider("TB_NbPas_X", nb);
        EXPECT_EQ(t.p().NbPas_X, 48) << nb;
    }
    t.m.Valider("TB_NbPas_X", "1e9");
    EXPECT_EQ(t.p().NbPas_X, 32767);
    t.m.Valider("TB_NbPas_X", "abc");
    EXPECT_EQ(t.p().NbPas_X, 0);
    // The pitch and step count of Z feed its three speeds; a zero leaves them empty.
    t.m.Valider("TB_Pas_Z", "2");
    EXPECT_EQ(t.m.Texte("TB_VitMax_Montee"), "4,167");
    t.m.Valider("TB_TempsMin_Mat_Z", "pas un nombre");
    EXPECT_EQ(t.p().TempsMin_Mat_Z, 0.0);
    EXPECT_EQ(t.m.Texte("TB_VitMax_Mat_Z"), "");
    EXPECT_EQ(t.m.Texte("TB_VitMax_Descente"), "4,167");
    t.m.Valider("TB_NbPas_Z", "0");
    EXPECT_EQ(t.m.Texte("TB_VitMax_Descente"), "");
    t.m.ChangerIntervalle(5000);
    EXPECT_EQ(t.p().TimerInterval, ModeleParam::IntervalleMax);
    t.m.ChangerIntervalle(0);
    EXPECT_EQ(t.p().TimerInterval, ModeleParam::IntervalleMin);
    // Nothing reaches the store before OK.
    EXPECT_EQ(t.Ini(), "");
}

TEST(ModeleParam, DecalageRecalculeAussitotAnnulableEtNonStocke) {
    Dialogue t;
    const std::string plt = t.dossier.Ecrit("carre.plt", "IN;PU0,0;PD400,0,400,400,0,400,0,0;");
    ASSERT_TRUE(t.doc.Ouvrir(plt));
    t.Regle([](Parametres& p) { p.RayonFraise = 1; });
    t.m.Charger();
    const auto decale = [&] { return t.d().Trace_Decale.at(0).Points.at(0).X; };
    const float avant = decale();

    t.m.ChoisirCote(3);
    const float gauche = decale();
    EXPECT_NE(gauche, avant);
    t.m.Valider("TB_RayonFraise", "2,5");
    EXPECT_EQ(t.p().RayonFraise, 2.5);
    EXPECT_NE(decale(), gauche);
    t.m.CocherOptimisation(2, !t.p().Optimisation_2);
    EXPECT_EQ(t.doc.NbAnnulables(), 3u);
    EXPECT_FALSE(t.doc.ChangeOptionsDecalage(t.p().Optimisation_1, t.p().Optimisation_2));

    // Annuler closes without storing, the store knows nothing; the steps go back.
    EXPECT_EQ(t.Ini().find("RayonFraise"), std::string::npos);
    for (int k = 0; k < 3; ++k) ASSERT_TRUE(t.doc.Annuler());
    EXPECT_EQ(t.p().DecalageOutil, 1);
    EXPECT_EQ(t.p().RayonFraise, 1.0);
    EXPECT_EQ(decale(), avant);
}

TEST(ModeleParam, OkStockeToutEnUnLotQuiSeRelit) {
    Dialogue t;
    EXPECT_EQ(TexteNombreNeutre(275), " 275");
    EXPECT_EQ(TexteNombreNeutre(-3), "-3");
    EXPECT_EQ(TexteNombreNeutre(0.025), " 0.025");
    t.m.Valider("TB_Course_X", "812,25");
    t.m.Valider("TB_MargeY", "-4,5");
    t.m.Valider("TB_RayonFraise", "1,75");
    t.m.ChoisirCote(2);
    t.m.CocherInversion('Y', true);
    t.m.CocherConfirmSuppr(false);
    t.m.ChoisirPort(1);
    t.m.ChangerIntervalle(125);
    t.m.ChoisirCouleur(4, 0x123456);
    t.m.ChoisirCouleur(3, std::nullopt);  // a cancelled pick keeps the colour
    t.m.OrientationAuto = true;
    ASSERT_TRUE(t.m.Ok());
    EXPECT_EQ(t.p().AdressePort, 632);
    EXPECT_EQ(t.p().CouleurDecalage, 0x123456);
    EXPECT_EQ(t.p().CouleurDeselectionne, 100);

    // The keys lie in the dialog's order, numbers in the neutral form.
    const std::string ini = t.Ini();
    std::size_t pos = 0;
    for (const auto& [cle, valeur] : t.m.Ecritures()) {
        const std::size_t ici = ini.find(cle + "=" + valeur + "\r\n");
        ASSERT_NE(ici, std::string::npos) << cle;
        EXPECT_GT(ici, pos) << cle;
        pos = ici;
    }
    EXPECT_NE(ini.find("MargeY=-4.5\r\n"), std::string::npos);
    EXPECT_NE(ini.find("OrientationAuto=Vrai\r\n"), std::string::npos);

    // Read back, every value is the one the dialog held.
    const Parametres tenus = t.p();
    Document relu(nullptr, t.doc.CheminIni());
    relu.ChargeReglagesDemarrage();
    const Parametres& r = relu.Reglages();
    EXPECT_EQ(r.Course_X, 812.25);
    EXPECT_EQ(r.MargeY, tenus.MargeY);
    EXPECT_EQ(r.RayonFraise, 1.75);
    EXPECT_EQ(r.DecalageOutil, 2);
    EXPECT_TRUE(r.InversionSens_Y);
    EXPECT_FALSE(r.ConfirmSuppr);
    EXPECT_EQ(r.TimerInterval, 125);
    EXPECT_EQ(r.CouleurDecalage, 0x123456);
    EXPECT_EQ(r.AdressePort, 632);
}

TEST(ModeleParam, CouleursParDefautDansLIniOuDansLeProjet) {
    Dialogue t;
    ASSERT_TRUE(t.doc.EcritReglages({{"CouleurNumero", "255"}, {"CouleurDecalage", "7"}, {"MargeX", "3"}}));
    t.doc.RechargeReglages(Chargeur::Couleurs);
    t.m.Charger();
    t.m.ChoisirCouleur(1, 42);
    t.m.ValeursCouleursParDefaut();
    EXPECT_EQ(t.m.Couleurs, (std::array<int32_t, 5>{0, 16711680, 255, 100, 65280}));
    EXPECT_EQ(t.Ini().find("Couleur"), std::string::npos) << "les clés sont retirées de l'INI";
    EXPECT_NE(t.Ini().find("MargeX=3"), std::string::npos);

    // With a project open its lines would hide the INI: they take the default texts.
    const std::string projet =
        t.dossier.Ecrit("p.Korvelin", "$$[Korvelin]\r\n$$CouleurSequence=9\r\n" +
                                          LignePointProjet({0, 0, PlumeBasse, PremiereSequence}) + "\r\n");
    Dessin ouvert;
    ouvert.NomFichier = ouvert.FichierProjet = projet;
    t.doc.Remplace(ouvert);
    t.Regle([](Parametres& p) { p.CouleurSequence = 9; });
    t.m.ValeursCouleursParDefaut();
    EXPECT_EQ(t.m.Couleurs[1], 16711680);
    const std::string texte = DossierTemporaire::Lit(projet);
    EXPECT_NE(texte.find("$$CouleurSequence=16711680\r\n"), std::string::npos);
    EXPECT_NE(texte.find("$$CouleurDecalage=65280\r\n"), std::string::npos);
}

}  // namespace
}  // namespace korvelin::test
