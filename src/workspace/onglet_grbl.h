#pragma once
// The "GRBL" tab of the milling window: a GRBL 1.1 board on a USB serial port, the job
// streamed to it, paused, resumed, stopped, and the machine jogged and zeroed. The link
// runs on its own thread; the tab reads its snapshot ten times a second.

#include <QWidget>

#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

#include "grbl/liaison_grbl.h"
#include "machining/cut.h"
#include "document/fenetre_fraisage.h"
#include "machining/poste_travail.h"
#include "model/interface_utilisateur.h"

class QComboBox;
class QLabel;
class QVBoxLayout;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace korvelin {

class OngletGrbl : public QWidget {
    Q_OBJECT
public:
    // The job as the window's boxes give it, or nothing when they do not.
    using FournisseurTravail = std::function<std::optional<TravailCUT>()>;

    // The tool's path as GRBL reports it, in the job's mm (margins included), to draw over
    // the drawing.
    using MontreTrace = std::function<void(const std::vector<CheminSimule::Point>&, double margeX, double margeY)>;

    OngletGrbl(PosteTravail poste, InterfaceUtilisateur& ui, FournisseurTravail travail, MontreTrace montre = {},
               QWidget* parent = nullptr);
    ~OngletGrbl() override;

    QComboBox *CB_Port, *CB_Pas;
    QPushButton *Btn_Actualiser, *Btn_Connexion;
    QLabel *L_Etat, *L_Position, *L_Progression;
    QPushButton *Btn_Depart, *Btn_Pause, *Btn_Reprise, *Btn_ArretUrgence, *Btn_Reprendre;
    QPushButton *Btn_Origine, *Btn_Deverrouille, *Btn_Zero;
    std::array<QPushButton*, 6> Btn_Jog{};  // X-, X+, Y-, Y+, Z-, Z+
    QProgressBar* PB_Progression;
    QPlainTextEdit* TE_Journal;

    // Opens the port (the tests give a pseudo-terminal); the reason in the journal when not.
    void Connecte(const std::string& chemin);
    void Deconnecte();
    grbl::LiaisonGrbl* Liaison() { return liaison_.get(); }
    bool TravailEnCours();
    // The emergency stop: Ctrl-X to the board.
    void ArretUrgence();
    // Resumes the last job at the contour holding this line of its G-code.
    void ReprendALaLigne(std::size_t numero);
    // The window closes: during a job, asks first, then holds and resets. False: stay open.
    bool AccepteFermeture();
    // Reads the link's snapshot into the tab; the timer calls it.
    void Releve();

private:
    void ConstruitLiaison(QVBoxLayout* v);
    void ConstruitTravail(QVBoxLayout* v);
    void ConstruitDeplacements(QVBoxLayout* v);
    void ConstruitJournal(QVBoxLayout* v);
    void ConnecteMinuteries();
    void ConnecteLiaisonEtTravail();
    void ConnecteDeplacements();
    void Depart();
    void Commande(std::string_view ligne);
    void JogEnfonce(int bouton);
    void JogRelache(int bouton);
    void Journal(const std::string& texte);
    void MetAJourBoutons(const grbl::Instantane& e);

    PosteTravail poste_;
    InterfaceUtilisateur& ui_;
    FournisseurTravail travail_;
    std::unique_ptr<grbl::LiaisonGrbl> liaison_;
    std::optional<grbl::Programme> programme_;  // the last job sent, for a resume
    MontreTrace montre_;
    std::unique_ptr<CheminSimule> trace_;
    double margeX_ = 0.0, margeY_ = 0.0;
    grbl::Axes dernierePosition_{};
    bool traceChangee_ = false;
    std::chrono::steady_clock::time_point prochainDessin_{};
    grbl::EtatTravail dernierEtat_ = grbl::EtatTravail::Aucun;
    QTimer* releve_;
    QTimer* jogMaintenu_;
    int jogBouton_ = -1;
    bool jogContinu_ = false;
};

}  // namespace korvelin
