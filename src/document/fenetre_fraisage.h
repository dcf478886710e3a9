#pragma once
// What the milling window does, without the window: the texts of its boxes and how each
// validation reads them into the settings, the values saved at close, the requests handed
// to the machine thread, the reports of a run, and the tool path a simulated run drew.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/travail_initial.h"
#include "machining/controles.h"
#include "machining/cut.h"
#include "machining/executant.h"
#include "machining/simulation.h"
#include "settings/magasin.h"

namespace korvelin {

// The seven minimum-time boxes, in the order of the window's table.
inline constexpr int NbTemps = 7;
struct LigneTemps {
    const char* cle;  // the setting and the box's name after "TB_TempsMin_"
    const char* nom;
};
inline constexpr std::array<LigneTemps, NbTemps> LignesTemps{{{"TempsMin_HMat_X", "HMat_X"},
                                                              {"TempsMin_Mat_X", "Mat_X"},
                                                              {"TempsMin_HMat_Y", "HMat_Y"},
                                                              {"TempsMin_Mat_Y", "Mat_Y"},
                                                              {"TempsMin_Descente", "Descente"},
                                                              {"TempsMin_Mat_Z", "Mat_Z"},
                                                              {"TempsMin_Montee", "Montee"}}};

// The boxes of the window, as text.
struct ChampsFraisage {
    std::string MargeX = "0", MargeY = "0";
    std::string CUT, GCode, LongueurParcours, TempsFraisage;
    bool SansCommentaires = false;  // the G-code without comment lines
    std::string X = "0", Y = "0", Z = "0";
    std::string ProfFraisage = "-3", NbPasse = "1", HautDeg = "1";
    std::string AttachesNombre = "0", AttachesLargeur = "5", AttachesHauteur = "1";
    std::array<std::string, NbTemps> Temps, Vitesses;
    std::string Nb_X = "1", Pas_Duplic_X = "0", Nb_Y = "1", Pas_Duplic_Y = "0", Dim_Test = "50";
    int Cycle = 0;
};

class ModeleFraisage {
public:
    // The window's values change as its boxes are left; the store is only read here.
    ModeleFraisage(MagasinReglages& magasin, const Dessin& d, Parametres& p) : magasin_(magasin), dessin_(d), p_(p) {}

    // The set-up once port and clock are known good: job values from the settings, margins,
    // file names, times and speeds, series and test pattern.
    void Charge();
    ChampsFraisage& Champs() { return c_; }
    const ChampsFraisage& Champs() const { return c_; }

    // A time box left: its value ("," or ".") into the settings, its speed box recomputed.
    // A time of 0 is kept, and its speed shows empty: the runs and the files then refuse.
    void ValideTemps(int ligne, std::string_view texte);
    void ValideMarge(bool enX, std::string_view texte);
    // NbPasse from the integer part; 0 puts "1" back in the box.
    void ChangeNbPasse(std::string_view texte);
    // The holding tabs: 0 count, 1 width, 2 height. A count that is no whole number from 0
    // to the limit, or a size that is not positive, keeps the last good value.
    void ValideAttaches(int champ, std::string_view texte);

    // When the job leaves the travel and other margins bring it in: the question that
    // offers them, and the margins themselves. A series counts with all its copies.
    struct PropositionMarges {
        std::string question;
        MargesConseillees marges;
    };
    std::optional<PropositionMarges> ProposeMarges(ActionMachine action) const;
    // Both margins into the boxes and the values, as if typed.
    void PoseMarges(const MargesConseillees& m);

    // What the window's close saves, in its order, in one rewrite.
    EcrituresReglages EcrituresFermeture() const;

    // The job as the CUT and G-code writers take it.
    TravailCUT Travail() const;
    DemandeMachine Demande(ActionMachine action) const;

private:
    MagasinReglages& magasin_;
    const Dessin& dessin_;
    Parametres& p_;
    ChampsFraisage c_;
};

// Neither direct port access nor a parallel-port device can be used.
std::string MessagePortIndisponible();
// "Compteur de performance non supporté !"
inline constexpr std::string_view MessageCompteur = "Compteur de performance non supporté !";

// Where a run ended and how: the stop place and machine position, the late pulses.
std::string TexteCompteRendu(const CompteRendu& cr);
// The estimate shown beside "Fraiser un exemplaire".
std::string TexteEstimation(const Estimation& e);
// "Trace 3, passe 2, copie 1/4" while a run goes on.
std::string TexteAvancement(const Emplacement& ou);

// The tool path of a simulated run, from the simulator's positions after each write. Only
// the ends of straight stretches are kept: a stretch goes on while every position since its
// start lies within the tolerance of one line from there (the cone of directions that
// allows shrinks with each position), and ends at every change of height.
class CheminSimule {
public:
    explicit CheminSimule(double tolerance) : tolerance_(tolerance) {}
    void Note(double x, double y, double z);
    struct Point {
        double x, y, z;
    };
    const std::vector<Point>& Points() const { return points_; }

private:
    void Ouvre(const Point& depart, const Point& p);

    double tolerance_;
    std::vector<Point> points_;
    // The last point is the open end of the current stretch.
    bool enCours_ = false;
    double centre_ = 0.0, bas_ = 0.0, haut_ = 0.0;  // allowed directions, rad, around centre_
};

// Pulses per axis, final position, duration and motor switches of a simulated run.
std::string ResumeSimulation(const PortSimule& port);

}  // namespace korvelin
