#pragma once
// F_Param: the parameters dialog. The boxes show the texts of a ModeleParam, which holds
// every handler's behaviour; this class only lays the controls out and relays.

#include <QDialog>

#include <array>
#include <functional>
#include <map>
#include <optional>

#include "document/modele_param.h"

class QCheckBox;
class QColor;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace korvelin {

class F_Param : public QDialog {
    Q_OBJECT
public:
    F_Param(Document& doc, QWidget* parent = nullptr);

    // Every text box by its control name ("TB_Course_X", "TB_VitMax_Mat_X", …).
    std::map<std::string, QLineEdit*, std::less<>> Boites;
    std::array<QCheckBox*, 3> CB_Inversion{};  // X, Y, Z
    std::array<QRadioButton*, 3> Option_LPT{};
    QCheckBox* CB_Optimisation_1;
    QCheckBox* CB_Optimisation_2;
    QCheckBox* CB_Affichage_Calcul;
    QCheckBox* CB_Confirm_Suppr;
    QScrollBar* HScroll_TimerInterval;
    std::array<QRadioButton*, 3> Option{};  // Option1, Option2, Option3
    std::array<QLabel*, 5> LB_Couleur{};
    std::array<QPushButton*, 5> Btn_Couleur{};
    QPushButton* Btn_Valeurs_Defaut;
    QCheckBox* CB_OrientationAuto;
    QPushButton* Btn_OK;
    QPushButton* Btn_Annuler;

    // The colour picker; the tests answer it. No colour: the pick was cancelled.
    std::function<std::optional<QColor>(const QColor& actuelle)> ChoixCouleur;

    const ModeleParam& Modele() const { return modele_; }

protected:
    bool eventFilter(QObject* objet, QEvent* e) override;

private:
    // The constructor's builders, one per frame, in the order the focus goes through them.
    struct CadresParam {
        QGroupBox *machine, *interface, *optimisation, *affichages, *marges, *outil, *couleurs, *autres;
    };
    QLineEdit* Boite(QWidget* parent, const std::string& nom, bool lecture = false);
    QGroupBox* CadreMachine();
    QGroupBox* CadreInterface();
    QGroupBox* CadreOptimisation();
    QGroupBox* CadreAffichages();
    QGroupBox* CadreMarges();
    QGroupBox* CadreOutil();
    QGroupBox* CadreCouleurs();
    QGroupBox* CadreAutres();
    void Dispose(const CadresParam& cadres);
    void Form_Load();
    void Valide(QLineEdit* boite);
    void MontreTextes();
    void MontreCouleurs();
    void Btn_Couleur_Click(int index);
    void Btn_OK_Click();

    ModeleParam modele_;
};

}  // namespace korvelin
