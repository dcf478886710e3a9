#pragma once
// F_Sequence: the milling order of the traces. A thin window over ModeleSequence: the two
// lists show its labels and order numbers, the buttons call it.

#include <QDialog>
#include <QListWidget>

#include "document/sequence_modele.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace korvelin {

// LB_Sequence: an item dropped elsewhere in the list asks for the move instead of making
// it, so that the drawing and the list change together.
class ListeSequences : public QListWidget {
    Q_OBJECT
public:
    explicit ListeSequences(QWidget* parent = nullptr);
    // The selected item let go at p, in the list's viewport.
    void Depose(QPoint p);
signals:
    void Deplacement(int de, int vers);

protected:
    void dropEvent(QDropEvent* e) override;
};

class F_Sequence : public QDialog {
    Q_OBJECT
public:
    F_Sequence(Document& doc, Code2& sequenceADecaler, bool& attenteCoteDecalage, std::function<void()> redessine,
               QWidget* parent = nullptr);

    ListeSequences* LB_Sequence;
    QListWidget* LB_Ordre;
    QToolButton* CB_Plus;
    QToolButton* CB_Moins;
    QPushButton* Btn_Inversion;
    QPushButton* Btn_Decalage;
    QLineEdit* TB_RayonFraise;
    QPushButton* Btn_OK;

    const ModeleSequence& Modele() const { return modele_; }

    void done(int r) override;

private:
    // The constructor's builders.
    QLabel* CreeControles();
    void Dispose(QLabel* Label_Rayon);
    void Relie();
    // The lists follow the model: only the items whose text changed are touched.
    void MontreListes();
    void MontreSelection();

    ModeleSequence modele_;
    bool ferme_ = false;
};

}  // namespace korvelin
