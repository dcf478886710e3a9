#pragma once
// F_Representation: the main window. It owns the program's one Document (drawing, settings
// and their store), reaches every other window through its menus and toolbar, opens and
// saves documents, and hosts the drawing view.

#include <QMainWindow>

#include <array>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include <QPointF>
#include <string>

#include "document/document.h"
#include "document/liste_modele.h"
#include "workspace/vue_dessin.h"

class QAction;
class QLabel;
class QMenu;
class QScrollBar;
class QStatusBar;
class QToolBar;

namespace korvelin {

class ZoneDessin;

class F_Representation : public QMainWindow, public InterfaceUtilisateur, public DemandeDimension {
    Q_OBJECT
public:
    // cheminIni: the settings file; by default the program's usual one.
    explicit F_Representation(std::optional<std::string> cheminIni = std::nullopt, QWidget* parent = nullptr);
    ~F_Representation() override;

    // Every change of the drawing goes through it.
    Document& Doc() { return doc_; }

    // What the core asks of the user.
    void Message(std::string_view texte, std::string_view titre, Icone icone) override;
    bool Question(std::string_view texte, std::string_view titre) override;
    void Rafraichir() override;
    void TexteStatut(int panneau, std::string_view texte) override;
    void Sablier(bool actif) override;
    void TraiterEvenements() override;
    // The rescaling dialog of an import, modal.
    Rapports Demande(ModeleDimension& modele) override;

    // Lays the window out and repaints the whole view from the model. A resize of the
    // window repaints without the "Fichier vide !" message, which would otherwise repeat
    // for every step of the resize.
    void Form_Resize(bool signalerVide = true);
    // Places the scroll bars and sets their ranges from the picture's size.
    void Disposition();
    // 0.1, 0.2, 0.5, 1 or 2. Only the menu's "1:1" brings the picture back to the corner.
    void Zoom(double facteur, bool depuisMenu);
    // Ctrl+wheel: the next zoom level, the drawing point under `pointeur` (in the client
    // area) staying under it.
    void ZoomAutour(double facteur, QPoint pointeur);

    // The drawing dialogs; the tests answer them in place of the user.
    virtual std::string DialogueOuvrir(const std::string& dossier);
    virtual std::string DialogueEnregistrer(const std::string& dossier);
    // "Enregistrer les modifications de « nom » ?": Oui, Non or Annuler.
    enum class Reponse { Oui, Non, Annuler };
    virtual Reponse QuestionEnregistrer(const std::string& nom);
    // Before the document is closed or replaced: true when the user saved, chose not to,
    // or had nothing to save; false when the document must stay.
    bool PeutFermerDocument();
    // Before a save writes `cible`: true when it is the document's own file or a new one,
    // or when the user agrees to replace it.
    bool RemplacementAccepte(const std::string& cible);

    // Commands.
    void mnu_Ouvrir_Click();
    // What "Ouvrir" does once its dialog has named the file, rescaling dialog included:
    // the drawing given on the command line opens this way.
    void OuvreDessin(const std::string& chemin);
    void mnu_Save_Click();
    void mnu_SaveAs_Click();
    void mnu_Annuler_Click();
    void mnu_Retablir_Click();
    void mnu_Soudure_Click();
    void mnu_Orientation_Click();
    void mnu_Ordre_Click();
    void mnu_Miroir_Click();
    void mnu_sequencement_Click();
    void mnu_Liste_Click();
    void mnu_Fraisage_Click();
    // The tool path of a simulated run, in machine mm from the job's zero (margins included),
    // drawn over the drawing until the next one.
    template <class P>
    void MontreCheminSimule(const std::vector<P>& points, double margeX, double margeY) {
        cheminSimule_.clear();
        matiereSimule_.clear();
        for (const P& q : points) {
            cheminSimule_.emplace_back(q.x - margeX, q.y - margeY);
            matiereSimule_.push_back(q.z < 0.0);
        }
        Form_Resize(false);
    }
    const std::vector<QPointF>& CheminSimule() const { return cheminSimule_; }
    void mnu_Param_Click();
    void mnu_Help_Click();
    void mnu_Todo_Click();

    // Mouse on the picture, in drawing units.
    void PB1_MouseDown(Qt::MouseButton bouton, Qt::KeyboardModifiers touches, double x, double y);
    void PB1_MouseMove(Qt::MouseButtons boutons, Qt::KeyboardModifiers touches, double x, double y);
    // Offers to lift the tool on the segment under (x, y), after a dotted preview.
    void LeveOutilSousClic(double x, double y);

    // Toolbar button by its index, 1 to 12 (7 is the separator).
    QAction* Bouton(int index) const;
    // Menu item by its name ("mnu_Ouvrir", "mnu_Z1", …).
    QAction* Menu(const QString& nom) const;
    // Status panel, 1 to 8.
    QLabel* Panneau(int numero) const;
    OptionsVue Options() const;

    // Antialiased lines in the view (on by default).
    bool Lissage = true;
    double FacteurZoom = 1.0;
    // The trace chosen in the sequencing dialog: highlighted, and the one whose offset
    // side the view waits for while AttenteCoteDecalage holds. View state: never saved,
    // never undone.
    Code2 SequenceADecaler = AucuneSequence;
    bool AttenteCoteDecalage = false;
    // The end of the last rubber band, in drawing units; -1 when there is none.
    double DernierX = -1.0;
    float DernierY = -1.0f;

    // Opens the point editor on a point of the coordinate list, modal over `parent`.
    std::function<void(QWidget* parent, const PointChoisi& point, QPoint clic)> EditeurPoint;

    ZoneDessin* PB1 = nullptr;
    QToolBar* TB1 = nullptr;
    QStatusBar* SB1 = nullptr;
    QScrollBar* HScroll1 = nullptr;
    QScrollBar* VScroll1 = nullptr;
    QWidget* Cadre = nullptr;  // the client area between the toolbar and the status bar

protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* objet, QEvent* e) override;

private:
    // What the window shows of the document after each of its changes.
    void AuChangement();
    void CreeMenus();
    void CreeBarreOutils();
    void CreeBarreEtat();
    void ActiveEdition(bool actif);
    void BulleVue();
    void MontreTitre();
    void MontreDimensions();
    // Runs a modal window with the normal pointer even during a long operation.
    template <class F>
    auto SansSablier(F&& f);

    Document doc_;
    std::array<QAction*, 13> boutons_{};
    std::map<QString, QAction*> menus_;
    std::array<QLabel*, 9> panneaux_{};
    int sabliers_ = 0;
    bool dejaPeint_ = false;
    std::vector<QPointF> cheminSimule_;
    std::vector<bool> matiereSimule_;
};

// The reason a chosen file cannot be read, "" when it can.
std::string RaisonIllisible(const std::string& chemin);

}  // namespace korvelin
