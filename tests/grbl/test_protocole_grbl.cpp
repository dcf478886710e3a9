// The GRBL protocol without a port: answers read, programs checked and replayed, the
// character counting fed by hand.

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <tuple>

#include "grbl/automate_grbl.h"
#include "grbl/programme_grbl.h"
#include "grbl/reponses_grbl.h"
#include "grbl/textes_grbl.h"

namespace korvelin::grbl {
namespace {

Programme Prepare(std::string_view texte) {
    auto p = PrepareProgramme(texte);
    EXPECT_TRUE(std::holds_alternative<Programme>(p)) << std::get<std::string>(p);
    return std::holds_alternative<Programme>(p) ? std::get<Programme>(p) : Programme{};
}

TEST(ReponsesGrbl, RapportsLignesEtTextesDesCodes) {
    const auto r = LectureRapport(
        "<Hold:0|MPos:-1.500,2.000,-0.250,7.000|Bf:3,100|FS:500,12000|WCO:1,2,3|Ln:42|Ov:100,50,120|Pn:XZ>");
    ASSERT_TRUE(r);
    // A fourth axis is left aside.
    EXPECT_EQ(std::tuple(r->etat, r->sousEtat, r->mpos, r->wpos.has_value(), r->wco, r->blocsLibres, r->octetsLibres,
                         r->avance, r->broche, r->numeroLigne, r->surcharges),
              std::tuple(EtatMachine::Suspendu, 0, Axes{-1.5, 2.0, -0.25}, false, Axes{1.0, 2.0, 3.0}, 3, 100, 500.0,
                         12000.0, 42L, std::array<int, 3>{100, 50, 120}));
    const auto w = LectureRapport("<Jog|WPos:0.000,0.000,5.000|F:300>");
    ASSERT_TRUE(w);
    EXPECT_EQ(w->etat, EtatMachine::Manuel);
    EXPECT_FALSE(w->mpos);
    // Noise on the line is not a report.
    for (const char* faux :
         {"<Idle|MPos:1,2>", "<Dance|MPos:0,0,0>", "<Idle>", "<Idle|MPos:1,,2>", "<Idle|MPos:a,b,c>", "Idle|MPos:0,0,0",
          "<Idle|Bf:3|MPos:0,0,0>", "<Idle|MPos:0,0,0|Ov:100,1e72,100>", "<Idle|MPos:0,0,0|Ov:100,-5,100>"})
        EXPECT_FALSE(LectureRapport(faux)) << faux;

    using G = GenreReponse;
    const std::pair<const char*, std::tuple<G, int, double, std::string>> reponses[] = {
        {"ok", {G::Ok, 0, 0.0, ""}},
        {"error:22", {G::Erreur, 22, 0.0, ""}},
        {"ALARM:9", {G::Alarme, 9, 0.0, ""}},
        {"Grbl 1.1h ['$' for help]", {G::Banniere, 0, 0.0, "1.1h"}},
        {"GrblHAL 1.1f ['$' or '$HELP' for help]", {G::Banniere, 0, 0.0, "1.1f"}},
        {"$130=285.500", {G::Reglage, 130, 285.5, ""}},
        {"[MSG:'$H'|'$X' to unlock]", {G::Message, 0, 0.0, ""}}};
    for (const auto& [ligne, attendu] : reponses) {
        const Reponse lue = LectureReponse(ligne);
        EXPECT_EQ(std::tuple(lue.genre, lue.code, lue.valeur, lue.version), attendu) << ligne;
    }
    // Every code the board sends has its French text.
    for (int c = 1; c <= 38; ++c)
        EXPECT_EQ(TexteErreur(c).find("(code inconnu)") == std::string::npos, c < 18 || c > 19) << c;
    for (int c = 1; c <= 9; ++c) EXPECT_EQ(TexteAlarme(c).find("(code inconnu)"), std::string::npos) << c;
    EXPECT_NE(TexteErreur(99).find("code inconnu"), std::string::npos);
    EXPECT_NE(TexteErreur(11).find("79"), std::string::npos);
}

TEST(ProgrammeGrbl, NettoyageEtRefus) {
    const Programme p = Prepare("(Fichier [x])\nG21 g90 ; unités\n\n  G0 X1.5 (vers) Y2\r\nM2");
    std::vector<std::pair<std::size_t, std::string>> lignes;
    for (const auto& l : p.lignes) lignes.emplace_back(l.numero, l.texte);
    EXPECT_EQ(lignes, (decltype(lignes){{2, "G21G90"}, {4, "G0X1.5Y2"}, {5, "M2"}}));
    // What the board would take as a real-time command stops the job before it starts,
    // naming the line; comments never reach the board, whatever they hold.
    EXPECT_TRUE(std::holds_alternative<Programme>(PrepareProgramme("(pièce!?~)\nG0 X1 ; é\n")));
    for (const char* texte : {"G0 X1\nG1 X2 ?\n", "G0 X1\nG1 X\xC3\xA9\n", "G0 X1\nG1 X1!\n", "G0 X1\nG1\x18\n"}) {
        const auto r = PrepareProgramme(texte);
        ASSERT_TRUE(std::holds_alternative<std::string>(r)) << texte;
        EXPECT_NE(std::get<std::string>(r).find("ligne 2 "), std::string::npos) << std::get<std::string>(r);
    }
    const std::string longue = "G1X" + std::string(77, '1');  // 80 useful characters
    const auto r = PrepareProgramme("G0X0\n" + longue + " (un commentaire ne compte pas)\n");
    ASSERT_TRUE(std::holds_alternative<std::string>(r));
    EXPECT_NE(std::get<std::string>(r).find("80 caractères"), std::string::npos);
    EXPECT_TRUE(std::holds_alternative<Programme>(PrepareProgramme(longue.substr(1) + " (commentaire)\n")));
}

TEST(ProgrammeGrbl, RejeuEtendueDureesEtArcs) {
    // A half circle of radius 10 around (10, 0), clockwise from the origin over the top.
    const Programme p = Prepare("G21G90\nG0Z5\nG1Z-1F60\nG2X20Y0I10J0F600\nG0Z5\nG20\nG0X1\nG4P2\nM2\n");
    const Analyse a = Rejoue(p, {600.0, 600.0, 60.0});
    EXPECT_NEAR(a.max[1], 10.0, 1e-9);  // the arc's top, no end point of it
    EXPECT_NEAR(a.min[1], 0.0, 1e-9);
    EXPECT_NEAR(a.max[0], 25.4, 1e-9);  // X1 in inches
    EXPECT_NEAR(a.min[2], -1.0, 1e-9);
    EXPECT_NEAR(a.max[2], 5.0, 1e-9);
    ASSERT_EQ(a.fin.size(), p.lignes.size());
    EXPECT_NEAR(a.fin[1], 5.0, 1e-9);                            // 5 mm at 60 mm/min rapid in Z
    EXPECT_NEAR(a.fin[2] - a.fin[1], 6.0, 1e-9);                 // 6 mm at 60 mm/min
    EXPECT_NEAR(a.fin[3] - a.fin[2], M_PI * 10.0 / 10.0, 1e-9);  // π·10 mm at 10 mm/s
    EXPECT_NEAR(a.fin[6] - a.fin[5], 5.4 / 10.0, 1e-9);          // the longest axis at its rate
    EXPECT_NEAR(a.fin[7] - a.fin[6], 2.0, 1e-9);                 // dwell
    // R arcs reach the same points as I J ones.
    const Analyse r = Rejoue(Prepare("G0X0Y0\nG2X20Y0R10F600\n"), {600.0, 600.0, 60.0});
    EXPECT_NEAR(r.max[1], 10.0, 1e-9);
}

TEST(ProgrammeGrbl, CourseDepuisLeZeroDeTravail) {
    const Analyse a = Rejoue(Prepare("G0Z5\nG0X-3Y-3\nG1Z-2F100\nG1X103Y53\nG0Z5\n"), {500.0, 500.0, 500.0});
    ReglagesGrbl r;
    EXPECT_TRUE(ControleCourse(a, r, {}).has_value());  // travel unknown: no start
    r.valeurs = {{130, 200.0}, {131, 100.0}, {132, 50.0}, {22, 1.0}};
    // Homed: machine space is [-travel, 0]; the work zero sits at WCO.
    EXPECT_FALSE(ControleCourse(a, r, {-150.0, -80.0, -10.0}));
    const auto refus = ControleCourse(a, r, {-150.0, -40.0, -10.0});  // Y would reach +13
    ASSERT_TRUE(refus);
    EXPECT_NE(refus->find("en Y"), std::string::npos) << *refus;
    EXPECT_NE(refus->find("$131"), std::string::npos);
    EXPECT_TRUE(ControleCourse(a, r, {-150.0, -80.0, -48.5}));  // Z down to -50.5
    // Not homed: only the extent counts.
    r.valeurs[22] = 0.0;
    EXPECT_FALSE(ControleCourse(a, r, {0.0, 0.0, 0.0}));
    r.valeurs[130] = 105.9;
    EXPECT_TRUE(ControleCourse(a, r, {0.0, 0.0, 0.0}));

    // A held jog stops short of the soft limits when homed, goes one travel otherwise.
    Instantane e;
    e.reglages.valeurs = {{22, 1.0}, {130, 200.0}, {131, 100.0}, {132, 50.0}, {112, 600.0}};
    e.positionMachine = Axes{-50.0, -10.0, -1.0};
    EXPECT_EQ(LigneJogContinu(e, 0, 1), "$J=G91G21X49.5F166.667");
    EXPECT_EQ(LigneJogContinu(e, 0, -1), "$J=G91G21X-149.5F166.667");
    EXPECT_EQ(LigneJogContinu(e, 2, 1), "$J=G91G21Z0.5F200");
    e.positionMachine = Axes{-50.0, -10.0, -0.5};
    EXPECT_FALSE(LigneJogContinu(e, 2, 1));
    e.reglages.valeurs[22] = 0.0;
    EXPECT_EQ(LigneJogContinu(e, 1, -1), "$J=G91G21Y-100F166.667");
}

TEST(ProgrammeGrbl, RepriseParLeDebutDuContour) {
    const Programme p = Prepare(
        "G21G90\nM3S12000\nG0Z5\nG0X10Y10\nG1Z0F300\nG1Z-1F100\nG1X20F600\nG1Y20\nG1Z5F300\n"
        "G0Z5\nG0X50Y50\nG1Z0F300\nG1Z-1F100\nG1X60F600\nG1Y60\nG1Z5F300\nM5\nM2\n");
    const Analyse a = Rejoue(p, {600.0, 600.0, 300.0});
    // Line 15 cuts the second contour: the resume starts after its travel at the clearance.
    const std::size_t debut = DebutDuContour(p, a, *IndexDeLigne(p, 15));
    EXPECT_EQ(p.lignes[debut].numero, 12u);
    const std::vector<LigneProgramme> approche = ApprocheReprise(p, a, debut, 2.0);
    std::vector<std::string> textes;
    for (const auto& l : approche) textes.push_back(l.texte);
    EXPECT_EQ(textes, (std::vector<std::string>{"G21G90", "G0Z5", "G0X50Y50", "M3S12000", "G4P2", "G1F300", "G0"}));
    // From inside the material: the plunge at the job's plunge feed, then its cut feed.
    const std::vector<LigneProgramme> dedans = ApprocheReprise(p, a, *IndexDeLigne(p, 15), 2.0);
    ASSERT_GE(dedans.size(), 7u);
    EXPECT_EQ(dedans[2].texte, "G0X60Y50");
    EXPECT_EQ(dedans[5].texte, "G1F100Z-1");
    EXPECT_EQ(dedans[6].texte, "G1F600");
    EXPECT_EQ(LigneJog({0.1, 0.0, -10.0}, 1000.0), "$J=G91G21X0.1Z-10F1000");
}

// The character counting fed by hand: random answer times, never more than the buffer
// holds, each answer given to its line, an error stopping the job at its line.
TEST(AutomateGrbl, CompteLesOctetsEtNommeLaLigneFautive) {
    Automate m;
    Instant t{};
    m.Ouverture(t);
    m.Recoit("Grbl 1.1h ['$' for help]\r\n", t);
    EXPECT_EQ(m.Sortie(t), "?$$\n");
    m.Recoit("$22=0\r\n$130=500\r\n$131=500\r\n$132=100\r\nok\r\n<Idle|MPos:0,0,0|WCO:0,0,0>\r\n", t);
    std::string texte;
    for (int i = 1; i <= 600; ++i)
        texte +=
            i == 500 ? "G5 X1\n" : "G1 X" + std::to_string(i % 97) + ".125 Y" + std::to_string(i % 13) + " F1000\n";
    const Programme p = Prepare(texte);
    ASSERT_FALSE(m.Lance(p));
    std::mt19937 alea(7);
    std::deque<std::size_t> attente;  // sizes of the lines the board holds
    std::size_t tenus = 0, envoyees = 0;
    for (int pas = 0; pas < 20000 && m.Etat().travail == EtatTravail::EnCours; ++pas) {
        t += std::chrono::milliseconds(1);
        std::string s = m.Sortie(t);
        for (std::size_t i = 0; i < s.size(); ++i) {
            if (s[i] == '?' || s[i] == '!') continue;
            const std::size_t fin = s.find('\n', i);
            attente.push_back(fin - i + 1);
            tenus += fin - i + 1;
            i = fin;
            ++envoyees;
        }
        ASSERT_LE(tenus, TailleTampon);
        if (!attente.empty() && alea() % 3 == 0) {
            tenus -= attente.front();
            attente.pop_front();
            m.Recoit(envoyees - attente.size() == 500 ? "error:20\r\n" : "ok\r\n", t);
        }
    }
    EXPECT_EQ(m.Etat().travail, EtatTravail::Erreur);
    EXPECT_EQ(m.Etat().derniereLigneAcquittee, 499u);
    EXPECT_NE(m.Etat().bilan.find("ligne 500"), std::string::npos) << m.Etat().bilan;
    EXPECT_NE(m.Etat().bilan.find("G5X1"), std::string::npos);
    // The hold goes at once; nothing but real-time bytes after the error.
    const std::string apres = m.Sortie(t + std::chrono::seconds(1));
    EXPECT_EQ(apres.find('\n'), std::string::npos);
    EXPECT_NE(apres.find('!'), std::string::npos);
}

// Nothing moves unless the board is ready, at rest, done with the last command, and its
// work zero known when homing makes the travel check depend on it; never over a running job.
TEST(AutomateGrbl, UnTravailNePartQueSurUneCartePreteEtAuRepos) {
    Automate m;
    Instant t{};
    const Programme p = Prepare("G0X1\nG0X2\n");
    const auto refus = [&](std::size_t depuis, const char* raison) {
        const std::optional<std::string> r = m.Lance(p, depuis);
        ASSERT_TRUE(r) << raison;
        EXPECT_NE(r->find(raison), std::string::npos) << *r;
    };
    m.Ouverture(t);
    refus(0, "pas prêt");
    m.Recoit("Grbl 1.1h ['$' for help]\r\n", t);
    m.Sortie(t);
    m.Recoit("$22=1\r\n$130=500\r\n$131=500\r\n$132=100\r\nok\r\n<Hold:0|MPos:-9,-9,-9>\r\n", t);
    refus(0, "pas au repos (état : ");
    m.Recoit("<Idle|MPos:-9,-9,-9>\r\n", t);
    refus(0, "zéro de travail n'est pas encore connu");
    m.Recoit("<Idle|MPos:-9,-9,-9|WCO:-9,-9,-9>\r\n", t);
    refus(2, "aucune ligne");
    ASSERT_FALSE(m.Commande("$X"));
    refus(0, "pas encore répondu");
    m.Sortie(t);
    m.Recoit("ok\r\n", t);
    // A resume whose approach cannot be written on one line of the board.
    const std::optional<std::string> loin = m.Lance(p, 0, {{0, "G0X" + std::string(77, '9')}});
    ASSERT_TRUE(loin);
    EXPECT_NE(loin->find("hors de portée"), std::string::npos) << *loin;
    // A command that would reach the board as a real-time byte, or none at all.
    for (const char* commande : {"G0 X1 ?", "G0 X1\x18", "$X ~", " (rien) "})
        EXPECT_TRUE(m.Commande(commande)) << commande;
    ASSERT_FALSE(m.Lance(p));
    refus(0, "déjà en cours");
    const std::optional<std::string> jog = m.Commande(LigneJog({1.0, 0.0, 0.0}, 100.0));
    ASSERT_TRUE(jog);
    EXPECT_NE(jog->find("travail est en cours"), std::string::npos) << *jog;
}

// What the board says outside a job reaches the user: a lock, a restart. A board that is
// not GRBL 1.1 speaks another protocol: it is let go before anything is sent to it.
TEST(AutomateGrbl, VerrouRedemarrageEtVersion) {
    Automate m;
    Instant t{};
    m.Ouverture(t);
    m.Recoit("Grbl 1.1h ['$' for help]\r\n[MSG:'$H'|'$X' to unlock]\r\nGrbl 1.1h ['$' for help]\r\n", t);
    EXPECT_EQ(m.Messages(), (std::vector<std::string>{"GRBL est verrouillé : faites la prise d'origine ($H) ou "
                                                      "déverrouillez-le ($X).",
                                                      "GRBL a redémarré."}));
    m.Recoit("Grbl 0.9j ['$' for help]\r\n", t);
    EXPECT_EQ(m.Etat().liaison, EtatLiaison::Deconnecte);
    const std::vector<std::string> coupure = m.Messages();
    ASSERT_EQ(coupure.size(), 1u);
    EXPECT_NE(coupure[0].find("la carte annonce GRBL 0.9j, il faut GRBL 1.1"), std::string::npos) << coupure[0];
}

}  // namespace
}  // namespace korvelin::grbl
