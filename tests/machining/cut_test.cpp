#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <filesystem>
#include <functional>

#include "machining/cut.h"
#include "machining/vitesses.h"
#include "model/nombres.h"
#include "platform/fichier.h"
#include "support/dossier_temporaire.h"
#include "support/ui_enregistreuse.h"

namespace korvelin {
namespace {

using test::DossierTemporaire;
using test::UiEnregistreuse;

SequenceDecalee Trace(Code2 etiquette, std::vector<std::pair<float, float>> xy) {
    SequenceDecalee s{etiquette, {}};
    for (auto [x, y] : xy) s.Points.push_back(PointTrace{x, y, PlumeBasse, etiquette});
    return s;
}

struct Generation {
    DossierTemporaire dossier;
    UiEnregistreuse ui;
    Contexte ctx{&ui};
    TravailCUT travail;
    TotauxCUT totaux;

    Generation() {
        travail.HautDeg = "5";
        travail.ProfFraisage = "-3";
        travail.VitMax_Mat_X = travail.VitMax_Mat_Y = travail.VitMax_Mat_Z = "1,000";
        travail.VitMax_HMat_X = travail.VitMax_HMat_Y = travail.VitMax_Descente = "1,000";
        travail.VitMax_Montee = "1,000";
        travail.FichierCUT = dossier.Chemin("sortie.cut");
    }
    void Traces(std::vector<SequenceDecalee> traces) {
        traces.push_back(SequenceDecalee{});  // the spare entry
        ctx.dessin.Trace_Decale = std::move(traces);
    }
    bool Genere() { return GenereFichierCUT(ctx, travail, totaux); }
    std::string Fichier() const { return DossierTemporaire::Lit(travail.FichierCUT); }
};

std::vector<std::string> Lignes(const std::string& texte) {
    std::vector<std::string> r;
    for (std::size_t debut = 0; debut < texte.size();) {
        const std::size_t fin = texte.find("\r\n", debut);
        EXPECT_NE(fin, std::string::npos) << "every line ends with CR LF";
        if (fin == std::string::npos) break;
        r.push_back(texte.substr(debut, fin - debut));
        debut = fin + 2;
    }
    return r;
}

// The data lines after the 17 header lines.
std::vector<std::string> Donnees(const std::string& texte) {
    std::vector<std::string> r;
    const auto l = Lignes(texte);
    for (std::size_t i = 17; i < l.size(); ++i)
        if (l[i].rfind("//", 0) != 0) r.push_back(l[i]);
    return r;
}

std::string Ligne(const char* t, const char* x, const char* y, const char* z) {
    return std::string("T:") + t + " XG:" + x + " YG:" + y + " XD:" + x + " YD:" + z;
}

TEST(FichierCUT, GoldenFileForTwoTracesAndTwoPasses) {
    Generation g;
    g.Traces({Trace(PremiereSequence, {{10, 0}, {10, 20}, {10, 20}, {0, 20}}),
              Trace(Code2{U' ', U'B'}, {{30, 5}, {40, 5}})});
    g.travail.ProfFraisage = "-2";
    g.travail.NbPasse = 2;
    g.travail.MargeX = "1,5";
    g.travail.MargeY = "0";
    g.travail.VitMax_Mat_X = "2,083";
    g.travail.VitMax_Mat_Y = "4,000";
    g.travail.VitMax_Mat_Z = "1,000";
    g.travail.VitMax_HMat_X = "5,000";
    g.travail.VitMax_HMat_Y = "8,000";
    g.travail.VitMax_Descente = "2,500";
    g.travail.VitMax_Montee = "3,000";
    ASSERT_TRUE(g.Genere());
    EXPECT_EQ(g.Fichier(), DossierTemporaire::Lit(KORVELIN_TEST_DATA "/cut/deux_traces.cut"));
    EXPECT_NEAR(g.totaux.LongueurParcours, 199.2018190545, 1e-9);
    EXPECT_NEAR(g.totaux.TempsFraisage, 98.6465087941, 1e-9);
    EXPECT_EQ(TexteTotal(g.totaux.TempsFraisage), "98,6");
}

TEST(FichierCUT, OneTraceOfTwoPoints) {
    Generation g;
    g.Traces({Trace(PremiereSequence, {{2, 0}, {2, 4}})});
    ASSERT_TRUE(g.Genere());
    const auto l = Lignes(g.Fichier());
    ASSERT_EQ(l.size(), 17u + 18u);
    EXPECT_EQ(l[16], "T:0.000 XG:0.000 YG:0.000 XD:0.000 YD:0.000");
    const std::vector<std::string> corps(l.begin() + 17, l.end());
    const std::vector<std::string> attendu = {
        "//Montée de l'outil",
        Ligne("5.000", "0.000", "0.000", "5.000"),
        "//Déplacement jusqu'au départ du tracé",
        Ligne("2.000", "2.000", "0.000", "5.000"),
        "//Descente jusqu'au niveau de la matière",
        Ligne("5.000", "2.000", "0.000", "0.000"),
        "//Descente dans la matière",
        Ligne("3.000", "2.000", "0.000", "-3.000"),
        "//Fraisage proprement dit",
        Ligne("4.000", "2.000", "4.000", "-3.000"),
        "//Remontée de l'outil",
        Ligne("8.000", "2.000", "4.000", "5.000"),
        "//Remontée de l'outil",
        Ligne("8.000", "2.000", "4.000", "5.000"),
        "//Retour au 0",
        Ligne("4.472", "0.000", "0.000", "5.000"),
        "//Descente jusqu'au niveau de la matière",
        Ligne("5.000", "0.000", "0.000", "0.000"),
    };
    for (std::size_t i = 0; i < attendu.size(); ++i)
        EXPECT_EQ(VersUtf8(corps[i]), attendu[i]) << "line " << i;
    EXPECT_NE(g.Fichier().find("Mont\xE9" "e"), std::string::npos);  // one byte per accent
}

TEST(FichierCUT, HeaderShowsTheBoxTextsUnchanged) {
    Generation g;
    g.Traces({Trace(PremiereSequence, {{0, 0}, {1, 0}})});
    g.travail.VitMax_Mat_X = "2,083";
    g.travail.HautDeg = "1.50";
    g.travail.MargeY = "-2,5";
    g.travail.NbPasse = 0;  // counts as one pass
    ASSERT_TRUE(g.Genere());
    const auto l = Lignes(g.Fichier());
    EXPECT_EQ(l[0], "//Fichier cr\xE9\xE9 \xE0 l'aide de KorvelinVersion 1.1.8");
    EXPECT_EQ(VersUtf8(l[2]), "// Vitesse matière X         : 2,083");
    EXPECT_EQ(VersUtf8(l[7]), "// Vitesse hors-matière Z    : 1,000");
    EXPECT_EQ(VersUtf8(l[8]), "// Hauteur dégagement        : 1.50");
    EXPECT_EQ(VersUtf8(l[10]), "// Nombre de passes          : 1");
    EXPECT_EQ(VersUtf8(l[13]), "// Marge en Y                : -2,5");
    EXPECT_EQ(l[15], "//Point logique 0");
}

TEST(FichierCUT, TravelOmittedFromTheOriginAndRepeatedPointsGiveNoLine) {
    Generation g;
    g.Traces({Trace(PremiereSequence, {{0, 0}, {3, 4}, {3, 4}, {3, 4}})});
    ASSERT_TRUE(g.Genere());
    const auto d = Donnees(g.Fichier());
    // Montée, descent, plunge, one cut, two lifts, return, final descent.
    ASSERT_EQ(d.size(), 8u);
    EXPECT_EQ(d[3], Ligne("5.000", "3.000", "4.000", "-3.000"));
    EXPECT_EQ(g.Fichier().find("//D\xE9placement"), std::string::npos);
}

TEST(FichierCUT, MarginsShiftEveryPositionButTheLiteralZeroLine) {
    Generation g;
    g.Traces({Trace(PremiereSequence, {{0, 0}, {1, 0}})});
    g.travail.MargeX = "10";
    g.travail.MargeY = "0,5";
    ASSERT_TRUE(g.Genere());
    const auto l = Lignes(g.Fichier());
    EXPECT_EQ(l[16], "T:0.000 XG:0.000 YG:0.000 XD:0.000 YD:0.000");
    const auto d = Donnees(g.Fichier());
    EXPECT_EQ(d[1], Ligne("10.012", "10.000", "0.500", "5.000"));
    EXPECT_EQ(d[4], Ligne("1.000", "11.000", "0.500", "-3.000"));
}

TEST(FichierCUT, PassesCutDeeperEachTimeWithTheFullPlungeTime) {
    Generation g;
    g.Traces({Trace(PremiereSequence, {{0, 0}, {1, 0}}), Trace(Code2{U' ', U'B'}, {{5, 0}, {6, 0}})});
    g.travail.NbPasse = 3;
    g.travail.VitMax_Mat_Z = "2";
    ASSERT_TRUE(g.Genere());
    const std::string f = g.Fichier();
    for (const char* z : {"-1.000", "-2.000", "-3.000"})
        EXPECT_NE(f.find(Ligne("1.500", "0.000", "0.000", z)), std::string::npos) << z;
    // The second trace starts with a lift timed from the first pass depth.
    const auto d = Donnees(f);
    EXPECT_NE(std::find(d.begin(), d.end(), Ligne("6.000", "1.000", "0.000", "5.000")), d.end());
}

TEST(FichierCUT, SpeedsAsTheBoxesShowThem) {
    Generation g;
    g.Traces({Trace(PremiereSequence, {{0, 0}, {10, 0}})});
    g.travail.VitMax_Mat_X = g.travail.VitMax_Mat_Y = TexteVitesse(10, 1, 48);
    ASSERT_EQ(g.travail.VitMax_Mat_X, "2,083");
    ASSERT_TRUE(g.Genere());
    // 10 mm at 2.083 mm/s, not at 2.08333…
    EXPECT_EQ(Donnees(g.Fichier())[3], Ligne("4.801", "10.000", "0.000", "-3.000"));
}

TEST(FichierCUT, RefusalsBeforeAnythingIsWritten) {
    struct Cas {
        std::function<void(Generation&)> prepare;
        std::string texte;
        std::string titre;
    };
    const std::string vitesses =
        "Les vitesses ne peuvent pas \xC3\xAA" "tre nulles !\r\nRevoir les param\xC3\xA8tres";
    const Cas cas[] = {
        {[](Generation& g) { g.ctx.dessin.Trace_Decale.assign(1, {}); },
         "Il faut ouvrir un dessin !", "Korvelin"},
        {[](Generation& g) { g.ctx.dessin.Trace_Decale.clear(); }, "Il faut ouvrir un dessin !",
         "Korvelin"},
        {[](Generation& g) { g.travail.VitMax_Mat_X = "0"; }, vitesses, "Erreur"},
        {[](Generation& g) { g.travail.VitMax_HMat_Y = "0,000"; }, vitesses, "Erreur"},
        {[](Generation& g) { g.travail.VitMax_Descente = ""; }, vitesses, "Erreur"},
        {[](Generation& g) { g.travail.VitMax_Mat_Z = "-1"; }, vitesses, "Erreur"},
        {[](Generation& g) { g.travail.FichierCUT = g.dossier.Chemin("absent/x.cut"); },
         "Le dossier de destination du fichier CUT n'existe pas, merci de le corriger", "Korvelin"},
        {[](Generation& g) {
             g.ctx.dessin.NomFichier = g.dossier.Ecrit("d.dxf", "dessin");
             g.travail.FichierCUT = g.dossier.Chemin("./d.dxf");
         },
         "Le fichier CUT ne peut pas remplacer le dessin ouvert !", "Korvelin"},
        {[](Generation& g) { g.travail.NbPasse = 1001; },
         "Le nombre de passes ne peut pas d\xC3\xA9passer 1000 !", "Korvelin"},
    };
    for (const Cas& c : cas) {
        Generation g;
        g.Traces({Trace(PremiereSequence, {{0, 0}, {1, 0}})});
        g.totaux = {5, 5};
        c.prepare(g);
        EXPECT_FALSE(g.Genere()) << c.texte;
        ASSERT_EQ(g.ui.messages.size(), 1u) << c.texte;
        EXPECT_EQ(g.ui.messages[0].texte, c.texte);
        EXPECT_EQ(g.ui.messages[0].titre, c.titre);
        EXPECT_EQ(g.ui.messages[0].icone, Icone::Critique);
        EXPECT_FALSE(std::filesystem::exists(g.dossier.Chemin("sortie.cut")));
        if (!g.ctx.dessin.NomFichier.empty()) {
            EXPECT_EQ(DossierTemporaire::Lit(g.ctx.dessin.NomFichier), "dessin");
        }
    }
}

TEST(FichierCUT, UpSpeedAloneMayBeZero) {
    Generation g;
    g.Traces({Trace(PremiereSequence, {{0, 0}, {1, 0}})});
    g.travail.VitMax_Montee = "0";
    EXPECT_TRUE(g.Genere());
}

TEST(FichierCUT, FailedWriteKeepsTheOldFile) {
    Generation g;
    g.Traces({Trace(PremiereSequence, {{0, 0}, {1, 0}})});
    g.travail.FichierCUT = g.dossier.Chemin("un_dossier");
    std::filesystem::create_directory(g.travail.FichierCUT);
    EXPECT_FALSE(g.Genere());
    ASSERT_EQ(g.ui.messages.size(), 1u);
    EXPECT_EQ(g.ui.messages[0].texte, "Impossible d'\xC3\xA9" "crire le fichier " + g.travail.FichierCUT);
    EXPECT_TRUE(std::filesystem::is_directory(g.travail.FichierCUT));

    Generation h;
    h.Traces({Trace(PremiereSequence, {{0, 0}, {1, 0}})});
    h.dossier.Ecrit("sortie.cut", "ancien");
    ASSERT_TRUE(h.Genere());  // a good write replaces the old file
    EXPECT_NE(h.Fichier(), "ancien");
}

TEST(FichierCUT, NameWithoutFolderGoesToTheCurrentFolder) {
    Generation g;
    g.Traces({Trace(PremiereSequence, {{0, 0}, {1, 0}})});
    const auto avant = std::filesystem::current_path();
    std::filesystem::current_path(g.dossier.Dossier());
    g.travail.FichierCUT = "ici.cut";
    const bool ok = g.Genere();
    std::filesystem::current_path(avant);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(std::filesystem::exists(g.dossier.Chemin("ici.cut")));
}

TEST(FichierCUT, TotalsAreTheSumsOfTheFileAndReachTheCallback) {
    Generation g;
    std::vector<std::pair<float, float>> zigzag;
    for (int i = 0; i < 5000; ++i) zigzag.emplace_back(static_cast<float>(i % 7), static_cast<float>(i));
    g.Traces({Trace(PremiereSequence, zigzag), Trace(Code2{U' ', U'B'}, {{50, 50}, {60, 60}})});
    int appels = 0;
    TotauxCUT dernier;
    ASSERT_TRUE(GenereFichierCUT(g.ctx, g.travail, g.totaux, [&](const TotauxCUT& t) {
        ++appels;
        dernier = t;
    }));
    EXPECT_GE(appels, 1);
    EXPECT_EQ(dernier.TempsFraisage, g.totaux.TempsFraisage);
    double somme = 0;
    for (const std::string& l : Donnees(g.Fichier())) somme += LecturePlain(l.substr(2));
    // Every speed is 1: time and XY length differ only by the Z moves.
    EXPECT_NEAR(somme, g.totaux.TempsFraisage, 0.0005 * Donnees(g.Fichier()).size());
    EXPECT_GT(g.totaux.LongueurParcours, 5000);
}

TEST(VitessesFraisage, TextsOfTheWindow) {
    EXPECT_EQ(TexteVitesse(10, 1, 48), "2,083");
    EXPECT_EQ(TexteVitesse(2.5, 1, 48), "8,333");
    EXPECT_EQ(TexteVitesse(1, 5, 200), "25,000");
    EXPECT_EQ(TexteVitesse(0, 1, 48), "");
    EXPECT_EQ(TexteVitesse(10, 0, 48), "");
    EXPECT_EQ(TexteVitesse(10, 1, 0), "");
    EXPECT_EQ(TexteVitesse(1e-320, 1, 1), "");

    Parametres p;
    p.TempsMin_Mat_Z = 5;
    p.Pas_Z = 2;
    p.NbPas_X = 0;
    const TextesVitesses t = TextesVitessesParametres(p);
    EXPECT_EQ(t.Mat_Z, "8,333");
    EXPECT_EQ(t.Descente, "4,167");
    EXPECT_EQ(t.Mat_X, "");
    EXPECT_EQ(t.HMat_Y, "2,083");
}

TEST(VitessesFraisage, ProposedCutName) {
    EXPECT_EQ(NomFichierCUTParDefaut("/d/piece.PLT"), "/d/piece.cut");
    EXPECT_EQ(NomFichierCUTParDefaut("/d/piece.plt"), "/d/piece.cut");
    EXPECT_EQ(NomFichierCUTParDefaut("/d/piece.dat"), "/d/piece.cut");
    EXPECT_EQ(NomFichierCUTParDefaut("C:\\d\\piece.DAT"), "C:\\d\\piece.cut");
    EXPECT_EQ(NomFichierCUTParDefaut("/d/a.plt.plt"), "/d/a.cut.cut");
    EXPECT_EQ(NomFichierCUTParDefaut("/d/piece.DXF"), "/d/piece.cut");
    EXPECT_EQ(NomFichierCUTParDefaut("/d/piece.HPGL"), "/d/piece.cut");
    EXPECT_EQ(NomFichierCUTParDefaut("/d/piece.Korvelin"), "/d/piece.cut");
    EXPECT_EQ(NomFichierCUTParDefaut("/d/piece.Plt"), "/d/piece.cut");
    EXPECT_EQ(NomFichierCUTParDefaut("/d.plt/piece"), "/d.plt/piece.cut");
    EXPECT_EQ(NomFichierCUTParDefaut("/x.dat/piece.plt"), "/x.dat/piece.cut");
}

TEST(VitessesFraisage, WindowValuesFromTheSettings) {
    DossierTemporaire dossier;
    Contexte ctx;
    ctx.CheminIni = dossier.Ecrit("Korvelin.ini",
                                  "[Korvelin]\r\nHautDeg=2\r\nNbPasse=0\r\nMargeX=1,5\r\n");
    ctx.parametres.TempsMin_Mat_X = 4;
    ctx.dessin.NomFichier = "/d/piece.plt";
    const TravailCUT t = TravailCUTInitial(ctx);
    EXPECT_EQ(t.HautDeg, "2");
    EXPECT_EQ(t.ProfFraisage, "-3");
    EXPECT_EQ(t.NbPasse, 1);
    EXPECT_EQ(t.MargeX, "1,5");
    EXPECT_EQ(t.MargeY, "0");
    EXPECT_EQ(t.VitMax_Mat_X, "5,208");
    EXPECT_EQ(t.VitMax_Mat_Y, "2,083");
    EXPECT_EQ(t.FichierCUT, "/d/piece.cut");
}

}  // namespace
}  // namespace korvelin

namespace korvelin {
namespace {

TEST(FichierCUT, FastNumbersMatchTheGeneralFormat) {
    std::mt19937_64 alea(11);
    std::vector<double> valeurs = {0.0, -0.0, 0.0005, -0.0005, 0.0015, 0.0625, -0.0625, 2.0625,
                                   1e-300, -1e-300, 4.5e12, -4.5e12, 5e12, 1e300, 123.4565,
                                   std::nan(""), HUGE_VAL, -HUGE_VAL, 999.9995, -999.9995};
    std::uniform_real_distribution<double> large(-1e6, 1e6);
    for (int i = 0; i < 40000; ++i) {
        valeurs.push_back(large(alea));
        // Exact binary halves of a thousandth are where rounding is decided.
        valeurs.push_back(static_cast<double>(static_cast<int64_t>(alea() % 2000001) - 1000000) / 16.0);
        valeurs.push_back(static_cast<double>(static_cast<int64_t>(alea() % 20000001) - 10000000) / 2000.0);
        uint64_t bits = alea();
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

}  // namespace
}  // namespace korvelin
