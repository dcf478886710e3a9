#pragma once
// The document: it owns the drawing, the settings values and the settings store, and is the
// one way a change reaches them. Every change of the drawing is one call that recomputes
// what depends on it (offset paths, bounds), records how to take it back, and then tells
// the window once through SurChangement. Others read the drawing through a const reference;
// the settings values change through ModifieReglages, or through the milling window's model,
// which edits the job values it shows and asks the store to keep them.
//
// A step of the history keeps only the stretch of points and of offset entries that the
// change touched, so moving one point of a million-point drawing costs a few hundred
// bytes, and the oldest steps go when the history outgrows its memory budget.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "document/dimension.h"
#include "document/fenetre_fraisage.h"
#include "document/importation.h"
#include "machining/poste_travail.h"
#include "model/dessin.h"
#include "model/interface_utilisateur.h"
#include "model/parametres.h"
#include "settings/magasin.h"
#include "settings/magasin_reglages.h"

namespace korvelin {

class Document {
public:
    // ui: whom the document's changes ask and tell; none, a silent one. cheminIni: the
    // settings file of the store; empty, none (every key gives its default).
    explicit Document(InterfaceUtilisateur* ui = nullptr, std::string cheminIni = {});
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    const Dessin& Trace() const { return dessin_; }
    // The settings values the drawing is shown and cut with.
    const Parametres& Reglages() const { return parametres_; }
    InterfaceUtilisateur& Interface() { return *ui_; }
    // A job's view of the document: its paths and its values.
    PosteTravail Poste() const { return {dessin_, parametres_}; }
    // The milling window's values, bound to this document's settings and store.
    ModeleFraisage ModeleDeFraisage() { return ModeleFraisage(magasin_, dessin_, parametres_); }

    // Called once after every change of the drawing, of its name or of the history.
    std::function<void()> SurChangement;
    // The rescaling dialog of the imports; none accepts the stored ratios.
    DemandeDimension* Dimension = nullptr;

    // --- Life of the document ------------------------------------------------------------
    // Reads the file by its extension. True when it became the document; otherwise the
    // previous document is left exactly as it was (drawing, name, type, settings) and the
    // user has been told why. The history is cleared only by a successful open.
    bool Ouvrir(const std::string& chemin);
    // Writes the project file beside NomFichier and takes its name. False after telling
    // the user when nothing could be written.
    bool Enregistrer();
    // The same under a chosen name; the file written is CheminProjet(chemin).
    bool EnregistrerSous(const std::string& chemin);
    // A drawing made elsewhere becomes the document as an open leaves it: bounds computed,
    // history cleared, nothing to save. The settings are not touched.
    void Remplace(Dessin d);
    bool Ouvert() const { return ouvert_; }
    // Changed since it was opened or last saved.
    bool Modifie() const { return ouvert_ && etat_ != etatEnregistre_; }
    // The file name without its folder, as the caption shows it.
    std::string Nom() const;

    // --- Changes of the drawing ------------------------------------------------------------
    // Each returns false, changing nothing and recording nothing, when it has nothing to do.
    bool Souder();
    bool Miroir();
    // Turns every closed trace so that the part lies on the side the settings name
    // (outlines and holes by their nesting); false when none needed turning.
    bool OrienteAutomatiquement();
    // Holes before the outlines that hold them, then the shortest travel; the travel before
    // and after is given back, whether or not anything changed.
    bool OrdonneAutomatiquement(double* avant = nullptr, double* apres = nullptr);
    // Puts the traces in the given order of labels (each label of the drawing once).
    bool Reordonne(const std::vector<Code2>& ordre);
    // Moves the trace of rank `de` (0 for the first) to rank `vers`.
    bool DeplaceSequence(std::size_t de, std::size_t vers);
    bool Inverse(Code2 etiquette);
    // Recomputes one trace's offset path on side `cote` (1 right, 2 on the line, 3 left);
    // 0 takes the side of the settings.
    bool DecaleSequence(Code2 etiquette, int16_t cote = 0);
    // Lifts the tool on the segment from point k to point k + 1: the rest of the trace
    // becomes a new trace labelled after the greatest label in use.
    bool LeveOutil(int32_t k);
    // Moves a point of the drawing and recomputes its trace's offset. With `fusion`, a
    // move that follows a move of the same point with no other change in between joins
    // it in one step (an arrow held down).
    bool DeplacePoint(int32_t index, float x, float y, bool fusion = false);
    bool SupprimePoint(int32_t index);
    // Makes point `index` the start of its closed trace.
    bool PointDeDepart(int32_t index);
    bool SupprimeTrace(Code2 etiquette);
    // Deletes the run of points with one label that starts at point `premier`: a label met
    // again further down the drawing keeps its other run.
    bool SupprimeSuite(int32_t premier);
    // A point of an offset path, kept until that trace's next offset computation.
    bool DeplacePointDecale(std::size_t entree, std::size_t index, float x, float y, bool fusion = false);
    bool SupprimePointDecale(std::size_t entree, std::size_t index);
    // New cutter radius and side, every offset path recomputed. With `stocke` they are
    // written to the store at once; the parameters dialog leaves that to its OK.
    bool ChangeReglagesDecalage(double rayon, int16_t cote, bool stocke = true);
    // The two offset optimisations switched, every offset path recomputed; not stored.
    bool ChangeOptionsDecalage(bool optimisation1, bool optimisation2);
    // A change of settings values that no offset path is computed from, or that the
    // caller follows with its own recomputation (the sequencing dialog's radius);
    // settings are not part of the history.
    void ModifieReglages(const std::function<void(Parametres&)>& changement) { changement(parametres_); }

    // --- The settings store of the document (the INI file, or its project's lines) -------
    const std::string& CheminIni() const { return magasin_.CheminIni; }
    // The loaders of the window's start-up, from the store.
    void ChargeReglagesDemarrage();
    std::string LitReglage(std::string_view cle);
    SourceReglages Source();
    // False after telling the user when the file could not be written.
    bool EcritReglages(const EcrituresReglages& ecritures);
    // The keys back to their defaults, then the values of that loader read again.
    bool RetablitReglages(const std::vector<std::string>& cles, Chargeur chargeur);
    void RechargeReglages(Chargeur chargeur);

    // The next move starts a step of its own even with `fusion` (a new press of an arrow).
    void CoupeFusion() { cleDerniere_ = 0; }

    // --- History ---------------------------------------------------------------------------
    bool PeutAnnuler() const { return !annulables_.empty(); }
    bool PeutRetablir() const { return !retablissables_.empty(); }
    bool Annuler();
    bool Retablir();
    std::size_t NbAnnulables() const { return annulables_.size(); }
    // Bytes held by the history's steps.
    std::size_t MemoireHistorique() const { return memoire_; }
    // The history keeps at most this many steps, and drops its oldest beyond the budget
    // (the latest step is always kept).
    std::size_t MaxEtapes = 1000;
    std::size_t BudgetMemoire = std::size_t(256) << 20;

    // The greatest label among the drawing's points; AucuneSequence for an empty drawing.
    Code2 DerniereSequence() const;

private:
    // One change, taken back by swapping its stored stretches with the drawing's.
    struct Etape {
        uint64_t idAvant = 0;  // the state the step starts from
        uint64_t id = 0;       // the state it leads to
        uint64_t cleFusion = 0;
        int32_t debutPoints = 0;
        int32_t longueurPoints = 0;  // length of the stretch now in the drawing
        std::vector<PointTrace> points;
        std::size_t debutEntrees = 0;
        std::size_t longueurEntrees = 0;
        std::vector<SequenceDecalee> entrees;
        double bornes[4] = {};
        // Only the offset's own settings: an undo must not take back steps per mm, speeds
        // or margins changed since, that the settings file keeps.
        std::optional<ReglagesDecalage> parametres;
        // A reordering keeps only the order of the labels it replaced.
        std::vector<Code2> ordre;
        std::size_t Octets() const;
    };

    // Runs `changement` on the drawing, whose effects stay inside the given stretches
    // (in the drawing as it was; `npoints` or `nentrees` of -1 reach the end), and
    // records it as one step. False when the drawing came out the same.
    bool Change(int32_t debutPoints, int32_t npoints, std::size_t debutEntrees, std::ptrdiff_t nentrees,
                const std::function<void()>& changement, uint64_t cleFusion = 0, bool parametres = false);
    void Echange(Etape& e);
    void Empile(Etape e);
    void Oublie();
    void Avertit();
    // Keeps the array exactly NbPoints long, so the two never disagree.
    void Normalise();
    std::size_t EntreeDe(Code2 etiquette) const;
    void EcritReglagesDecalage();

    Dessin dessin_;
    Parametres parametres_;
    // The program's one settings store: the document writes it through EcritReglages or
    // RetablitReglages, an open through the import's own write of the ratios, and the
    // milling window's model through the store's one write path.
    MagasinReglages magasin_;
    InterfaceSilencieuse silence_;
    InterfaceUtilisateur* ui_;
    EtatImport import_;
    std::deque<Etape> annulables_;
    std::vector<Etape> retablissables_;
    std::size_t memoire_ = 0;
    uint64_t prochainId_ = 1;
    uint64_t etat_ = 0;
    uint64_t etatEnregistre_ = 0;
    // The merge key of the latest step, 0 once anything else happened since.
    uint64_t cleDerniere_ = 0;
    bool ouvert_ = false;
};

// The linear reordering: the traces of `d` in the order of the labels given, offset
// entries carried along without being recomputed.
void AppliqueOrdre(Dessin& d, const std::vector<Code2>& ordre);

}  // namespace korvelin
