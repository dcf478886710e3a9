// The document: every change taken back and made again bit for bit, the shortcuts of the
// local changes against the full recomputation, the modified flag, refused opens.

#include <gtest/gtest.h>

#include <bit>
#include <cstring>

#include "document/document.h"
#include "document/calculs.h"
#include "document/enregistrement.h"
#include "geometry/decalage.h"
#include "import/projet.h"
#include "support/import_test.h"
#include "model/aide_dessin.h"
#include "model/listes.h"
#include "model/noms_fichiers.h"
#include "support/valeurs_temporaires.h"
#include "settings/magasin.h"

namespace korvelin::test {
namespace {

const std::string Reels = std::string(KORVELIN_TEST_DATA) + "/reels/";

// Everything a change may touch, compared bit for bit.
struct Cliche {
    std::vector<uint32_t> mots;
    Cliche(const Dessin& d, const Parametres& reglages) {
        auto point = [this](const PointTrace& p) {
            mots.insert(mots.end(), {std::bit_cast<uint32_t>(p.X), std::bit_cast<uint32_t>(p.Y), uint32_t(p.Plume.c0()),
                                     uint32_t(p.Plume.c1()), uint32_t(p.Sequence.c0()), uint32_t(p.Sequence.c1())});
        };
        mots.push_back(uint32_t(d.NbPoints));
        mots.push_back(uint32_t(d.Trace_Initial.size()));
        for (const PointTrace& p : d.Trace_Initial) point(p);
        for (const SequenceDecalee& e : d.Trace_Decale) {
            mots.insert(mots.end(), {uint32_t(e.Sequence.c0()), uint32_t(e.Sequence.c1()), uint32_t(e.Points.size())});
            for (const PointTrace& p : e.Points) point(p);
        }
        for (double v : {d.Xmin, d.Xmax, d.Ymin, d.Ymax, reglages.RayonFraise})
            for (int k = 0; k < 2; ++k) mots.push_back(uint32_t(std::bit_cast<uint64_t>(v) >> (32 * k)));
        mots.push_back(uint32_t(reglages.DecalageOutil));
    }
    explicit Cliche(const Document& doc) : Cliche(doc.Trace(), doc.Reglages()) {}
    bool operator==(const Cliche&) const = default;
};

struct Atelier : DocumentTemporaire {
    int avis = 0;
    Atelier() {
        Regle([](Parametres& p) { p.RayonFraise = 0.5; });
        doc.SurChangement = [this] { ++avis; };
    }
};

// Two open squares and a closed one, as a plotter file.
void OuvreCarres(Atelier& a) {
    const std::string plt = a.dossier.Ecrit(
        "carres.plt", "IN;PU0,0;PD400,0,400,400;PU800,0;PD1200,0,1200,400;PU0,800;PD400,800,400,1200,0,1200,0,800;");
    ASSERT_TRUE(a.doc.Ouvrir(plt));
}

TEST(Document, ChaqueChangementSAnnuleEtSeRetablitBitPourBit) {
    Atelier a;
    ASSERT_TRUE(a.doc.Ouvrir(Reels + "bride_pstoedit.plt"));
    EXPECT_FALSE(a.doc.Modifie());
    EXPECT_FALSE(a.doc.PeutAnnuler());
    ASSERT_GE(a.d().NbSequencesDecalees(), 3u);
    std::vector<Cliche> etats{Cliche(a.doc)};
    const int avisAvant = a.avis;
    auto fait = [&](bool ok, const char* quoi) {
        EXPECT_TRUE(ok) << quoi;
        etats.emplace_back(a.doc);
        EXPECT_EQ(a.avis, avisAvant + int(etats.size()) - 1) << quoi << " : un seul avis par changement";
        EXPECT_EQ(a.d().NbPoints, int32_t(a.d().Trace_Initial.size())) << quoi;
    };
    auto etiquette = [&](std::size_t rang) { return a.d().Trace_Decale[rang].Sequence; };
    fait(a.doc.OrienteAutomatiquement(), "orientation automatique");
    double avant = 0, apres = 0;
    fait(a.doc.OrdonneAutomatiquement(&avant, &apres), "ordre automatique");
    EXPECT_GT(avant, 0.0);
    EXPECT_FALSE(a.doc.OrienteAutomatiquement());  // nothing left to turn: no step
    fait(a.doc.Miroir(), "miroir");
    fait(a.doc.DeplaceSequence(2, 0), "ordre");
    fait(a.doc.Inverse(etiquette(1)), "inversion");
    fait(a.doc.DecaleSequence(etiquette(0), 3), "côté");
    fait(a.doc.DeplacePoint(5, 12.25f, 7.5f), "déplacement");
    fait(a.doc.LeveOutil(PremierPointSequence(a.d(), etiquette(0)) + 2), "lever l'outil");
    fait(a.doc.Souder(), "soudure");
    fait(a.doc.SupprimePoint(3), "suppression d'un point");
    fait(a.doc.PointDeDepart(PremierPointSequence(a.d(), etiquette(1)) + 1), "point de départ");
    fait(a.doc.SupprimeTrace(etiquette(2)), "suppression d'une trace");
    fait(a.doc.DeplacePointDecale(0, 1, 1.0f, 2.0f), "point décalé");
    fait(a.doc.SupprimePointDecale(0, 0), "point décalé supprimé");
    fait(a.doc.ChangeReglagesDecalage(1.5, 2), "réglages");
    for (std::size_t i = 1; i < etats.size(); ++i) EXPECT_FALSE(etats[i] == etats[i - 1]) << i;
    EXPECT_TRUE(a.doc.Modifie());

    for (std::size_t i = etats.size() - 1; i-- > 0;) {
        ASSERT_TRUE(a.doc.Annuler());
        EXPECT_TRUE(Cliche(a.doc) == etats[i]) << "annulation vers l'état " << i;
    }
    EXPECT_FALSE(a.doc.Annuler());
    EXPECT_FALSE(a.doc.Modifie());
    for (std::size_t i = 1; i < etats.size(); ++i) {
        ASSERT_TRUE(a.doc.Retablir());
        EXPECT_TRUE(Cliche(a.doc) == etats[i]) << "rétablissement vers l'état " << i;
    }
    EXPECT_FALSE(a.doc.Retablir());
    // The settings went back to the store with the undo, and came again with the redo.
    Document autre(nullptr, a.doc.CheminIni());
    autre.RechargeReglages(Chargeur::Decalage);
    EXPECT_EQ(autre.Reglages().DecalageOutil, 2);
    EXPECT_DOUBLE_EQ(autre.Reglages().RayonFraise, 1.5);

    // Undoing the offset takes back the offset alone: steps per mm and margins set since
    // stay, or the next run would move at the old scale while the settings file says another.
    a.doc.ModifieReglages([](Parametres& p) {
        p.NbPas_X = 200;
        p.MargeX = 7;
    });
    ASSERT_TRUE(a.doc.Annuler());
    EXPECT_NE(a.doc.Reglages().RayonFraise, 1.5);
    EXPECT_EQ(a.doc.Reglages().NbPas_X, 200);
    EXPECT_DOUBLE_EQ(a.doc.Reglages().MargeX, 7);
}

// The changes that touch one trace compute only what changed; the result must be what the
// whole recomputation gives.
TEST(Document, LesChangementsLocauxDonnentLeCalculComplet) {
    auto compare = [](auto changement, auto complet) {
        Atelier a;
        OuvreCarres(a);
        Dessin b = a.d();
        ASSERT_TRUE(changement(a.doc));
        complet(b);
        b.Trace_Initial.resize(std::size_t(b.NbPoints));
        InterfaceSilencieuse silence;
        CalculDecalageTout(b, a.p(), silence);
        CalculBornes(b);
        EXPECT_TRUE(Cliche(a.doc) == Cliche(b, a.p()));
    };
    // Lifting the tool on the second segment of " A": its last point becomes " D".
    compare([](Document& doc) { return doc.LeveOutil(1); },
            [](Dessin& d) { d.Trace_Initial[2].Sequence = Etiquette(" D"); });
    compare([](Document& doc) { return doc.SupprimeTrace(Etiquette(" B")); },
            [](Dessin& d) { SupprimeSequence(d, Etiquette(" B")); });
    compare([](Document& doc) { return doc.SupprimePoint(0) && doc.SupprimePoint(0) && doc.SupprimePoint(0); },
            [](Dessin& d) { SupprimeSequence(d, Etiquette(" A")); });

    Atelier a;
    OuvreCarres(a);
    const Cliche avant(a.doc);
    EXPECT_FALSE(a.doc.LeveOutil(0));  // the first segment of a trace
    EXPECT_FALSE(a.doc.LeveOutil(2));  // the move from " A" to " B" leaves " A" at its end
    EXPECT_FALSE(a.doc.PointDeDepart(6));
    EXPECT_FALSE(a.doc.DeplaceSequence(0, 0));
    EXPECT_FALSE(a.doc.DeplacePoint(0, a.d().Trace_Initial[0].X, a.d().Trace_Initial[0].Y));
    EXPECT_TRUE(Cliche(a.doc) == avant);
    EXPECT_FALSE(a.doc.PeutAnnuler());
}

TEST(Document, UneFlecheTenueSAnnuleEnUneFoisEtLeDrapeauSuitLEnregistrement) {
    Atelier a;
    OuvreCarres(a);
    const Cliche origine(a.doc);
    const float x0 = a.d().Trace_Initial[1].X;
    for (int k = 1; k <= 20; ++k) ASSERT_TRUE(a.doc.DeplacePoint(1, x0 + 0.1f * k, 0.0f, true));
    EXPECT_EQ(a.doc.NbAnnulables(), 1u);
    EXPECT_TRUE(a.doc.Modifie());

    // A save that cannot be written keeps the document's name and its changes to save.
    const std::string nom = a.d().NomFichier;
    EXPECT_FALSE(a.doc.EnregistrerSous(a.dossier.Chemin("absent/carres.Korvelin")));
    EXPECT_EQ(a.d().NomFichier, nom);
    EXPECT_TRUE(a.doc.Modifie());

    // Saved in the middle of a held arrow, the ticks after it still make a change to save.
    ASSERT_TRUE(a.doc.Enregistrer());
    EXPECT_EQ(a.doc.Nom(), "carres.Korvelin");
    EXPECT_FALSE(a.doc.Modifie());
    ASSERT_TRUE(a.doc.DeplacePoint(1, x0 + 3.0f, 0.0f, true));
    EXPECT_TRUE(a.doc.Modifie());
    ASSERT_TRUE(a.doc.Annuler());
    EXPECT_FALSE(a.doc.Modifie());
    ASSERT_TRUE(a.doc.Annuler());
    EXPECT_TRUE(Cliche(a.doc) == origine);
    EXPECT_TRUE(a.doc.Modifie());  // the saved file holds the moved point
    ASSERT_TRUE(a.doc.Retablir());
    EXPECT_FALSE(a.doc.Modifie());

    // An undo breaks the run: the next tick is a step of its own.
    ASSERT_TRUE(a.doc.DeplacePoint(1, x0 + 5.0f, 0.0f, true));
    EXPECT_FALSE(a.doc.PeutRetablir());
    EXPECT_EQ(a.doc.NbAnnulables(), 2u);
    // Another point, or a move without merging, starts another step.
    ASSERT_TRUE(a.doc.DeplacePoint(4, 1.0f, 1.0f, true));
    ASSERT_TRUE(a.doc.DeplacePoint(1, x0, 0.0f, false));
    EXPECT_EQ(a.doc.NbAnnulables(), 4u);
}

// A deleted offset point that began a lifted piece hands the lift on: the cutter must not
// be sent across what the lift went over.
TEST(Document, UnPointDecaleSupprimePasseSaLeveeAuSuivant) {
    Atelier a;
    OuvreCarres(a);
    Retouche(a.doc, [](Dessin& d) {
        const Code2 e = d.Trace_Decale[0].Sequence;
        d.Trace_Decale[0].Points = {{0, 0, {}, e}, {10, 0, {}, e}, {10, 10, MarqueLevee, e}, {0, 10, {}, e}};
    });
    const auto p = [&a](std::size_t i) { return a.d().Trace_Decale[0].Points.at(i); };
    ASSERT_TRUE(a.doc.SupprimePointDecale(0, 2));
    ASSERT_EQ(a.d().Trace_Decale[0].Points.size(), 3u);
    EXPECT_EQ(p(2).X, 0.0f);
    EXPECT_TRUE(p(2).Plume == MarqueLevee);
    // The last point of a piece goes alone.
    ASSERT_TRUE(a.doc.SupprimePointDecale(0, 1));
    EXPECT_TRUE(p(1).Plume == MarqueLevee);
    ASSERT_TRUE(a.doc.Annuler());
    ASSERT_TRUE(a.doc.Annuler());
    EXPECT_TRUE(p(2).Plume == MarqueLevee);
    EXPECT_TRUE(p(3).Plume == Code2{});
}

TEST(Document, LHistoriqueResteDansSonBudget) {
    Atelier a;
    OuvreCarres(a);
    for (int k = 0; k < 150; ++k) ASSERT_TRUE(a.doc.DeplacePoint(k % 2 ? 1 : 4, float(k), 1.0f));
    EXPECT_EQ(a.doc.NbAnnulables(), 150u);
    // Steps taken back and then replaced by a new change leave nothing behind.
    const std::size_t memoire = a.doc.MemoireHistorique();
    ASSERT_TRUE(a.doc.Annuler());
    ASSERT_TRUE(a.doc.DeplacePoint(1, 149.0f, 1.0f));
    EXPECT_EQ(a.doc.MemoireHistorique(), memoire);
    a.doc.MaxEtapes = 100;
    a.doc.BudgetMemoire = 20000;
    ASSERT_TRUE(a.doc.Miroir());
    EXPECT_LE(a.doc.MemoireHistorique(), 20000u);
    EXPECT_LT(a.doc.NbAnnulables(), 100u);
    // Steps dropped from the bottom: the drawing can never be brought back to "as opened".
    while (a.doc.Annuler()) {
    }
    EXPECT_TRUE(a.doc.Modifie());
    // A step bigger than the whole budget is still kept, alone.
    a.doc.BudgetMemoire = 10;
    ASSERT_TRUE(a.doc.Souder() || a.doc.Miroir());
    EXPECT_EQ(a.doc.NbAnnulables(), 1u);
}

TEST(Document, UneOuvertureRefuseeLaisseToutEnPlace) {
    Atelier a;
    OuvreCarres(a);
    ASSERT_TRUE(a.doc.Inverse(Etiquette(" B")));
    const Cliche avant(a.doc);
    const std::string nom = a.d().NomFichier;
    const int avis = a.avis;
    const std::string illisibles[] = {
        a.dossier.Ecrit("mauvais.Korvelin", "ceci n'est pas un projet\r\n"),
        a.dossier.Ecrit("notes.txt", "PU0,0;PD10,10;"),
        a.dossier.Ecrit("vide.plt", "IN;"),
        a.dossier.Chemin("absent.dat"),
    };
    for (const std::string& chemin : illisibles) {
        a.ui.messages.clear();
        EXPECT_FALSE(a.doc.Ouvrir(chemin)) << chemin;
        ASSERT_FALSE(a.ui.messages.empty()) << chemin << " : l'utilisateur doit savoir pourquoi";
        EXPECT_NE(a.ui.messages.back().texte.find(NomSansDossier(chemin)), std::string::npos) << chemin;
        EXPECT_TRUE(Cliche(a.doc) == avant) << chemin;
        EXPECT_EQ(a.d().NomFichier, nom);
        EXPECT_EQ(a.d().TypeFichier, "PLT");
        EXPECT_TRUE(a.d().FichierProjet.empty());
        EXPECT_TRUE(a.doc.Modifie());
        EXPECT_TRUE(a.doc.PeutAnnuler());
    }
    EXPECT_EQ(a.avis, avis);
    // A good open clears the history.
    ASSERT_TRUE(a.doc.Ouvrir(Reels + "plaque_pic2plot.hpgl"));
    EXPECT_FALSE(a.doc.PeutAnnuler());
    EXPECT_FALSE(a.doc.Modifie());
}

}  // namespace
}  // namespace korvelin::test
