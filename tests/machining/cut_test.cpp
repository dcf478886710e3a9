#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>

#include "document/travail_initial.h"
#include "geometry/decalage.h"
#include "machining/banc_machine.h"
#include "machining/cut.h"
#include "machining/mouvements.h"
#include "machining/vitesses.h"
#include "model/aide_dessin.h"
#include "model/nombres.h"
#include "support/dossier_temporaire.h"
#include "support/ui_enregistreuse.h"

namespace korvelin {
namespace {

using test::DossierTemporaire;
using test::UiEnregistreuse;

struct Generation : test::ValeursTemporaires {
    TravailCUT travail;
    TotauxCUT totaux;

    Generation() {
        travail.HautDeg = "5";
        travail.ProfFraisage = "-3";
        for (std::string* v :
             {&travail.VitMax_Mat_X, &travail.VitMax_Mat_Y, &travail.VitMax_Mat_Z, &travail.VitMax_HMat_X,
              &travail.VitMax_HMat_Y, &travail.VitMax_Descente, &travail.VitMax_Montee})
            *v = "1,000";
        travail.FichierCUT = dossier.Chemin("sortie.cut");
    }
    void Traces(const std::vector<std::vector<std::pair<float, float>>>& traces) { test::DessinDe(dessin, traces); }
    bool Genere(const SuiviCUT& suivi = {}) {
        Diagnostics dits;
        const bool ecrit = GenereFichierCUT(Poste(), travail, totaux, dits, suivi);
        Montre(ui, dits);
        return ecrit;
    }
    std::string Fichier() const { return DossierTemporaire::Lit(travail.FichierCUT); }
};

// The data lines after the 17 header lines.
std::vector<std::string> Donnees(const std::string& texte) {
    std::vector<std::string> r;
    std::size_t n = 0;
    for (std::size_t debut = 0, fin; (fin = texte.find("\r\n", debut)) != std::string::npos; debut = fin + 2)
        if (++n > 17 && texte.compare(debut, 2, "//") != 0) r.push_back(texte.substr(debut, fin - debut));
    return r;
}

TEST(FichierCUT, GoldenFileForTwoTracesAndTwoPasses) {
    // Margins, two passes, a repeated point, the smaller of two speeds, a speed shown as
    // "2,083" used as 2.083: the file was worked out independently of this writer.
    Generation g;
    g.Traces({{{10, 0}, {10, 20}, {10, 20}, {0, 20}}, {{30, 5}, {40, 5}}});
    TravailCUT& t = g.travail;
    t.ProfFraisage = "-2", t.NbPasse = 2, t.MargeX = "1,5";
    t.VitMax_Mat_X = "2,083", t.VitMax_Mat_Y = "4,000", t.VitMax_HMat_X = "5,000", t.VitMax_HMat_Y = "8,000";
    t.VitMax_Descente = "2,500", t.VitMax_Montee = "3,000";
    ASSERT_TRUE(g.Genere());
    EXPECT_EQ(g.Fichier(), DossierTemporaire::Lit(KORVELIN_TEST_DATA "/cut/deux_traces.cut"));
    EXPECT_NEAR(g.totaux.LongueurParcours, 199.2018190545, 1e-9);
    EXPECT_NEAR(g.totaux.TempsFraisage, 98.6465087941, 1e-9);
    EXPECT_EQ(TexteTotal(g.totaux.TempsFraisage), "98,6");
}

TEST(FichierCUT, RefusalsBeforeAnythingIsWritten) {
    const std::string vitesses = "Les vitesses ne peuvent pas être nulles !\r\nRevoir les paramètres";
    const std::tuple<std::function<void(Generation&)>, std::string, std::string> cas[] = {
        {[](Generation& g) { g.dessin.Trace_Decale.assign(1, {}); }, "Il faut ouvrir un dessin !", "Korvelin"},
        {[](Generation& g) { g.travail.VitMax_HMat_Y = "0,000"; }, vitesses, "Erreur"},
        {[](Generation& g) { g.travail.VitMax_Descente = ""; }, vitesses, "Erreur"},
        {[](Generation& g) { g.travail.VitMax_Mat_Z = "-1"; }, vitesses, "Erreur"},
        {[](Generation& g) { g.travail.FichierCUT = g.dossier.Chemin("absent/x.cut"); },
         "Le dossier de destination du fichier CUT n'existe pas, merci de le corriger", "Korvelin"},
        {[](Generation& g) { g.travail.FichierCUT = g.dossier.Chemin("./d.dxf"); },
         "Le fichier CUT ne peut pas remplacer le dessin ouvert !", "Korvelin"},
        {[](Generation& g) { g.travail.NbPasse = 1001; }, "Le nombre de passes ne peut pas dépasser 1000 !",
         "Korvelin"},
        {[](Generation& g) { g.travail.HautDeg = "-10"; },
         "La hauteur de dégagement doit être au-dessus de la surface de la pièce (plus de 0 mm) !", "Korvelin"},
        // Counted from the table's zero, unlike G-code: a path left of it is off the machine.
        {[](Generation& g) {
             g.Traces({{{-2, 0}, {10, 0}}});
         },
         "Le travail sort de la course de la machine : la séquence A dépasse la course en X de 2,000 mm ; il faut une "
         "marge en X d'au moins 2 mm.",
         "Korvelin"},
    };
    for (const auto& [prepare, texte, titre] : cas) {
        Generation g;
        g.Traces({{{0, 0}, {1, 0}}});
        g.dessin.NomFichier = g.dossier.Ecrit("d.dxf", "dessin");
        prepare(g);
        EXPECT_FALSE(g.Genere()) << texte;
        test::AttendSeulMessage(g.ui, texte, Icone::Critique, titre);
        EXPECT_FALSE(std::filesystem::exists(g.dossier.Chemin("sortie.cut")));
        EXPECT_EQ(DossierTemporaire::Lit(g.dessin.NomFichier), "dessin");
    }
    Generation g;  // the up speed is not used by the file
    g.Traces({{{0, 0}, {1, 0}}});
    g.travail.VitMax_Montee = "0";
    EXPECT_TRUE(g.Genere());
}

TEST(FichierCUT, WhereTheFileGoesAndNoTravelFromTheOrigin) {
    Generation g;
    g.Traces({{{0, 0}, {3, 4}, {3, 4}}});
    g.travail.FichierCUT = g.dossier.Chemin("un_dossier");
    std::filesystem::create_directory(g.travail.FichierCUT);
    EXPECT_FALSE(g.Genere());
    test::AttendSeulMessage(g.ui, "Impossible d'écrire le fichier " + g.travail.FichierCUT);

    // A name without folder part goes to the current folder.
    const auto avant = std::filesystem::current_path();
    std::filesystem::current_path(g.dossier.Dossier());
    g.travail.FichierCUT = "ici.cut";
    const bool ok = g.Genere();
    std::filesystem::current_path(avant);
    EXPECT_TRUE(ok);
    // From the origin no travel line; repeated points give no line either.
    const std::string ici = DossierTemporaire::Lit(g.dossier.Chemin("ici.cut"));
    EXPECT_EQ(Donnees(ici).size(), 8u);
    EXPECT_EQ(ici.find("//D\xE9placement"), std::string::npos);
}

TEST(FichierCUT, TotalsAreTheSumsOfTheFileAndReachTheCallback) {
    Generation g;
    std::vector<std::pair<float, float>> zigzag;
    for (int i = 0; i < 5000; ++i) zigzag.emplace_back(static_cast<float>(i % 7), static_cast<float>(i));
    g.Traces({zigzag});
    g.parametres.Course_Y = 5000;
    TotauxCUT dernier;
    ASSERT_TRUE(g.Genere([&](const TotauxCUT& t) { dernier = t; }));
    EXPECT_EQ(dernier.TempsFraisage, g.totaux.TempsFraisage);
    const auto donnees = Donnees(g.Fichier());
    double somme = 0;
    for (const std::string& l : donnees) somme += LecturePlain(l.substr(2));
    EXPECT_NEAR(somme, g.totaux.TempsFraisage, 0.0005 * donnees.size());
    EXPECT_GT(g.totaux.LongueurParcours, 5000);
}

TEST(FichierCUT, FastNumbersMatchTheGeneralFormat) {
    std::mt19937_64 alea(11);
    std::vector<double> valeurs = {0.0,    -0.0,  0.0005, -0.0005,  0.0625,       -0.0625,  1e-300,
                                   4.5e12, -5e12, 1e300,  999.9995, std::nan(""), HUGE_VAL, -HUGE_VAL};
    for (int i = 0; i < 40000; ++i) {
        valeurs.push_back(std::uniform_real_distribution<double>(-1e6, 1e6)(alea));
        // Exact binary halves of a thousandth are where the rounding is decided.
        valeurs.push_back(static_cast<double>(static_cast<int64_t>(alea() % 2000001) - 1000000) / 16.0);
        valeurs.push_back(static_cast<double>(static_cast<int64_t>(alea() % 20000001) - 10000000) / 2000.0);
        const uint64_t bits = alea();
        double brut;
        std::memcpy(&brut, &bits, sizeof brut);
        valeurs.push_back(brut);
    }
    for (const double v : valeurs) {
        std::string s;
        AjouteNombreCUT(s, v);
        ASSERT_EQ(s, FormatFixe(v, 3, '.')) << v;
    }
}

TEST(VitessesFraisage, TextsOfTheWindow) {
    EXPECT_EQ(TexteVitesse(10, 1, 48), "2,083");
    EXPECT_EQ(TexteVitesse(1, 5, 200), "25,000");
    for (const auto& [t, pas, n] : {std::tuple{0.0, 1.0, 48}, {10.0, 0.0, 48}, {10.0, 1.0, 0}, {1e-320, 1.0, 1}})
        EXPECT_EQ(TexteVitesse(t, pas, n), "");

    // The job's first values: the settings file's, else speeds from the motors' times.
    test::ValeursTemporaires v;
    v.dossier.Ecrit("Korvelin.ini", "[Korvelin]\r\nHautDeg=2\r\nNbPasse=0\r\nMargeX=1,5\r\nVitesseBroche=8000\r\n");
    v.parametres.TempsMin_Mat_Z = 5, v.parametres.Pas_Z = 2, v.parametres.NbPas_X = 0;
    v.dessin.NomFichier = "/d/piece.plt";
    const TravailCUT t = TravailCUTInitial(v.magasin, v.dessin, v.parametres);
    EXPECT_EQ(std::tuple(t.HautDeg, t.ProfFraisage, t.NbPasse, t.MargeX, t.VitesseBroche),
              std::tuple("2", "-3", 1, "1,5", "8000"));
    EXPECT_EQ((std::vector<std::string>{t.VitMax_Mat_Z, t.VitMax_Descente, t.VitMax_Mat_X, t.VitMax_HMat_Y,
                                        t.FichierCUT, t.FichierGCode}),
              (std::vector<std::string>{"8,333", "4,167", "", "2,083", "/d/piece.cut", "/d/piece.nc"}));
}

TEST(VitessesFraisage, BorneesParLeMoteur) {
    // 1 mm per 1000 steps: 1000 mm/s is one step each microsecond, the fastest a stepper
    // output is asked; 1e-300 ms between steps gave a feed of 303 digits.
    EXPECT_FALSE(ControleVitesse("matière X", 1000, 1, 1000));
    EXPECT_EQ(*ControleVitesse("matière X", 1000.001, 1, 1000),
              "La vitesse matière X demande au moteur plus d'un pas par microseconde : revoir les paramètres.");
    EXPECT_FALSE(ControleVitesse("matière Z", 100000, 1, 0));
    for (const double v : {100000.01, 1e303, double(NAN), double(INFINITY)})
        EXPECT_EQ(*ControleVitesse("hors-matière Y", v, 1, 0),
                  "La vitesse hors-matière Y dépasse 100000 mm/s : revoir les paramètres.");
}

// A job needs only the drawing and its values: no settings file, no one to answer. The
// moves of one pass along a segment, from the first rise to the return to the zero, where
// each stands, and a receiver that stops the job.
TEST(Mouvements, UnTravailSansReglagesNiInterfaceEtSonArret) {
    Dessin d;
    test::AjouteTrace(d, test::Etiquette(" A"), {{0, 0}, {10, 0}});
    d.Trace_Decale = CalculDecalageTout(d, {}, {.rayon = 1.0, .cote = 2}).chemins;
    struct Recepteur : RecepteurMouvements {
        std::size_t limite = SIZE_MAX;  // moves taken before it stops the job
        std::vector<Mouvement> m;
        bool Recoit(const Mouvement& x) override {
            m.push_back(x);
            return m.size() < limite;
        }
    } r;
    TotauxCUT totaux;
    EXPECT_TRUE(ParcoursTravail(d, CotesTravail{}, {1, 1, 1, 2, 2, 1}, totaux, {}, r));
    using E = EtapeMouvement;
    const std::vector<std::tuple<E, double, double, double, double>> attendus = {
        {E::Montee, 1, 0, 0, 1},    {E::Niveau, 1, 0, 0, 0},    {E::Descente, 3, 0, 0, -3}, {E::Coupe, 10, 10, 0, -3},
        {E::Remontee, 4, 10, 0, 1}, {E::Remontee, 4, 10, 0, 1}, {E::Retour, 5, 0, 0, 1},    {E::Niveau, 1, 0, 0, 0}};
    ASSERT_EQ(r.m.size(), attendus.size());
    for (std::size_t i = 0; i < attendus.size(); ++i)
        EXPECT_EQ(std::make_tuple(r.m[i].etape, r.m[i].t, r.m[i].x, r.m[i].y, r.m[i].z), attendus[i]) << i;
    EXPECT_EQ(totaux.LongueurParcours, 20.0);
    EXPECT_EQ(totaux.TempsFraisage, 29.0);
    // Where each move stands, for a run's progress: the cut heads for point 1 of the pass.
    EXPECT_EQ(std::tie(r.m[3].trace, r.m[3].passe, r.m[3].point), std::make_tuple(0, 1, 1));
    EXPECT_EQ(std::tie(r.m[7].trace, r.m[7].passe, r.m[7].point), std::make_tuple(-1, 0, -1));

    // A receiver that stops the job gets no move after.
    Recepteur arret;
    arret.limite = 3;
    EXPECT_FALSE(ParcoursTravail(d, CotesTravail{}, {1, 1, 1, 2, 2, 1}, totaux, {}, arret));
    EXPECT_EQ(arret.m.size(), 3u);
}

}  // namespace
}  // namespace korvelin
