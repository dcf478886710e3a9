#pragma once
// F_Dimension: the user confirms or changes the finished size of an imported drawing.
// The boxes show the texts of a ModeleDimension, which does all the arithmetic.

#include <QDialog>

#include "document/dimension.h"
#include "model/interface_utilisateur.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace korvelin {

class F_Dimension : public QDialog {
    Q_OBJECT
public:
    // Shows the model, loaded by the import; a refusal at closing is told through ui.
    F_Dimension(ModeleDimension& modele, InterfaceUtilisateur& ui, QWidget* parent = nullptr);

    QLineEdit* TB_H_Initial;
    QLineEdit* TB_V_Initial;
    QLineEdit* TB_H_Rapport;
    QLineEdit* TB_V_Rapport;
    QLineEdit* TB_H_Resultat;
    QLineEdit* TB_V_Resultat;
    QCheckBox* CB_Proportions;
    QPushButton* Btn_OK;

    const ModeleDimension& Modele() const { return modele_; }

    void done(int r) override;

protected:
    bool eventFilter(QObject* objet, QEvent* e) override;

private:
    void Valide(QLineEdit* boite);
    void LitBoites();
    void MontreBoites();

    ModeleDimension& modele_;
    InterfaceUtilisateur& ui_;
    bool ferme_ = false;
};

}  // namespace korvelin
