#pragma once
// One import, the same for the window and the converter: a reader gives the file's points
// in its own units, then the import asks the ratios, scales the drawing to the origin,
// removes repeated points, labels the traces, welds them and computes every offset path,
// in that order, each step a function of its own. An import fills the drawing and the
// settings values its caller owns, reads and writes the ratios in the caller's store, and
// tells the caller's interface what the welding and the offsets have to say.

#include <optional>
#include <string>
#include <vector>

#include "document/dimension.h"
#include "import/dxf_conversion.h"
#include "import/lecture.h"
#include "model/interface_utilisateur.h"
#include "model/parametres.h"
#include "settings/magasin_reglages.h"

namespace korvelin {

// Whom an import answers to: the rescaling dialog, and whoever shows what the import has
// to say, as soon as it is said (a warning before the dialog comes before it).
class SuiviImport : public DemandeDimension {
public:
    virtual void Signale(const Diagnostic& d) = 0;
};

// Shows what is said in message boxes of the user interface and asks `dimension`.
class SuiviParInterface : public SuiviImport {
public:
    SuiviParInterface(InterfaceUtilisateur& ui, DemandeDimension& dimension) : ui_(ui), dimension_(dimension) {}
    void Signale(const Diagnostic& d) override { Montre(ui_, d); }
    Rapports Demande(ModeleDimension& m) override { return dimension_.Demande(m); }

private:
    InterfaceUtilisateur& ui_;
    DemandeDimension& dimension_;
};

// Says nothing and takes the stored ratios: for batch work.
class SuiviSilencieux : public SuiviImport {
public:
    void Signale(const Diagnostic&) override {}
    Rapports Demande(ModeleDimension& m) override { return DimensionSansDialogue().Demande(m); }
};

// What lasts from one import to the next: the label of the last DXF trace, after which the
// next DXF import goes on labelling.
struct EtatImport {
    std::string SequenceDXF;
};

// What an import works on, all owned by its caller: the drawing it replaces, the settings
// values it sets, the store the ratios come from and go to, and whom the welding and the
// offsets report to.
struct CibleImport {
    Dessin& dessin;
    Parametres& parametres;
    MagasinReglages& magasin;
    InterfaceUtilisateur& ui;
};

// --- The steps ---------------------------------------------------------------------------
// The ratios of the file type for a drawing of these bounds in file units: loads the stored
// ones, asks the dialog, stores the chosen ones when they can scale a drawing, and sets
// RapportH and RapportV.
void ChoisitRapports(const CibleImport& c, const BornesImport& bornes, SuiviImport& suivi);
// The refusal of ratios that would take a drawing of these bounds out of range.
std::optional<Diagnostic> RefusRapports(const BornesImport& bornes, const Parametres& p);
// Each point moved so that the bounds start at the origin, and scaled; `bornee` stops the
// coordinates at the reader's limit instead of letting a float take them.
void MiseAEchelle(std::vector<PointTrace>& points, const BornesImport& bornes, double rapportH, double rapportV,
                  bool bornee);

// --- The import of one file by its type, into the target's drawing ---------------------------------
// Each gives false once told why (the drawing may then be partly replaced: the document
// keeps its own copy).
bool ImporteHPGL(const CibleImport& c, const std::string& chemin, SuiviImport& suivi);
bool ImporteDAT(const CibleImport& c, const std::string& chemin, SuiviImport& suivi);
bool ImporteDXF(const CibleImport& c, EtatImport& etat, const std::string& chemin, SuiviImport& suivi);
// The project also becomes the settings store: its "$$" lines are loaded.
bool ImporteProjet(const CibleImport& c, const std::string& chemin, SuiviImport& suivi);

// The same steps from a reading already made (the file's text in memory). The HPGL import
// stops before the welding when `souder` is false.
bool AcheveHPGL(const CibleImport& c, DessinLu lecture, SuiviImport& suivi, bool souder = true);
bool AcheveDAT(const CibleImport& c, DessinLu lecture, SuiviImport& suivi);
bool AcheveDXF(const CibleImport& c, EtatImport& etat, DessinLuDXF lecture, SuiviImport& suivi);
bool AcheveProjet(const CibleImport& c, DessinLu lecture, const std::string& chemin, SuiviImport& suivi);

// What opening a drawing does once its path is chosen: remember it, read it by its
// extension (or its contents when they belie it), drop a lone first point, turn the traces
// when the settings ask, compute the bounds. True when the drawing now has at least two
// points.
bool OuvrirDessin(const CibleImport& c, EtatImport& etat, const std::string& chemin, SuiviImport& suivi);

}  // namespace korvelin
