#pragma once
// F_Fraisage: the milling window. Its boxes are those of a ModeleFraisage; every machine
// action runs on an ExecutantMachine, whose progress the window polls, and can be stopped
// at once; with "Simulation" checked the actions run on the recording simulator and the
// tool path is drawn over the drawing.

#include <QDialog>

#include <array>
#include <memory>

#include "document/fenetre_fraisage.h"
#include "document/document.h"
#include "machining/reglage.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QShortcut;
class QTabWidget;
class QTimer;

namespace korvelin {

class F_Representation;
class OngletGrbl;

class F_Fraisage : public QDialog {
    Q_OBJECT
public:
    // ouvreurs: how the port is opened (the tests give their own).
    explicit F_Fraisage(F_Representation& principal, const OuvreursPort& ouvreurs = OuvreursSysteme());
    ~F_Fraisage() override;

    QTabWidget* SSTab1;
    QLineEdit *TB_MargeX, *TB_MargeY, *TB_CUT, *TB_GCode, *TB_LongueurParcours, *TB_TempsFraisage;
    QPushButton *Btn_CUT, *Btn_Gener_CUT, *Btn_Gener_GCode;
    QCheckBox* CB_SansCommentaires;
    QPushButton *Btn_MotorOn, *Btn_MotorOff, *CB_Depl;
    std::array<QPushButton*, 6> CB_FLECHE{};
    QLineEdit *TB_X, *TB_Y, *TB_Z;
    QLineEdit *TB_ProfFraisage, *TB_NbPasse, *TB_HautDeg;
    std::array<QLineEdit*, 3> TB_Attaches{};
    std::array<QLineEdit*, NbTemps> TB_TempsMin{}, TB_VitMax{};
    QPushButton *Btn_Fraiser, *Btn_Fraiser_Serie, *Btn_Test;
    QLabel* L_Estimation;
    QLineEdit *TB_Nb_X, *TB_Pas_Duplic_X, *TB_Nb_Y, *TB_Pas_Duplic_Y, *TB_Dim_Test;
    std::array<QRadioButton*, 3> Cycle{};
    QCheckBox *CB_Simulation, *CB_Instantane;
    QLabel* L_Moteur;  // the motors' state, once a run has switched them
    QPushButton* Btn_Arret;
    QProgressBar* PB_Avancement;
    QLabel *L_Avancement, *L_CompteRendu;
    OngletGrbl* Onglet_Grbl;  // the "GRBL" tab

    const ModeleFraisage& Modele() const { return modele_; }
    // The machine thread of the last action, nothing before the first.
    const ExecutantMachine* Executant() const { return executant_.get(); }
    bool EnCours() const;
    // Starts an action on the machine thread; false when refused or another one runs.
    bool Lance(ActionMachine action);
    // The stop button, Échap and the space bar.
    void ArretUrgence();
    // Reads what the machine thread reported; the timer calls it.
    void Releve();
    // Waits for the running action to end, reading its reports (tests, close).
    void AttendFin();

    void done(int r) override;

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* objet, QEvent* e) override;

private:
    // The constructor's builders, one per tab, then the strip below the tabs.
    void ConstruitOngletCUT();
    void ConstruitOngletReglage();
    void ConstruitOngletParametres();
    void ConstruitOngletFraisage();
    void ConstruitOngletTest();
    void ConstruitOngletGrbl();
    void ConstruitBas();
    void ConstruitMinuteries();
    void Relie();
    void Charge(const OuvreursPort& ouvreurs);
    void MontreChamps();
    void LitChamps();
    void PrepareExecutant();
    void ModeCourse(bool enCours);
    // The margins that make the job fit the travel, offered in one question; true when
    // the user took them.
    bool ProposeMarges(ActionMachine action);
    void GenereCUT(bool gcode);
    void FlecheEnfoncee(int fleche, Qt::KeyboardModifiers touches);
    void FlecheRelachee();
    void MontreEstimation();
    bool Ferme();

    F_Representation& principal_;
    Document& doc_;
    ModeleFraisage modele_;
    std::unique_ptr<ExecutantMachine> executant_;
    bool executantSimule_ = false;
    bool portUtilisable_ = false;
    bool pret_ = false;  // set-up done: the close saves
    PortSimule* simulateur_ = nullptr;
    std::shared_ptr<CheminSimule> chemin_;
    ActionMachine actionCourante_ = ActionMachine::Exemplaire;
    int flecheEnCours_ = AucuneFleche;
    int touchesFleche_ = 0;
    QTimer* releve_;
    QTimer* repetition_;
    QTimer* minuterieMoteur_;
    std::array<QShortcut*, 2> raccourcisArret_{};
    bool ferme_ = false;
};

}  // namespace korvelin
