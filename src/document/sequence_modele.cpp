#include "document/sequence_modele.h"

#include <algorithm>
#include <cmath>

#include "geometry/index_sequences.h"
#include "model/nombres.h"
#include "settings/magasin.h"

namespace korvelin {

namespace {
// No cutter of the machine is wider; the milling checks refuse the same.
constexpr double RayonMax = 50.0;
}  // namespace

ModeleSequence::ModeleSequence(Document& doc, Code2& sequenceADecaler, bool& attenteCoteDecalage)
    : doc_(doc), sequenceADecaler_(sequenceADecaler), attente_(attenteCoteDecalage) {}

void ModeleSequence::RelitEtiquettes() {
    const Dessin& d = doc_.Trace();
    const std::vector<PlageSequence> plages = PlagesSequences(d);
    etiquettes_.clear();
    etiquettes_.reserve(plages.size());
    for (const PlageSequence& p : plages) etiquettes_.push_back(d.Trace_Initial[p.premier].Sequence);
}

void ModeleSequence::Charger() {
    RelitEtiquettes();
    // The settings store writes the radius in the French format: read back either form,
    // so that "0,5" stays 0.5 instead of falling to 0. With nothing stored, the radius is
    // the one every other window uses: opening this dialog must not change the cutter.
    const double r = LectureLocaleOuPlain(doc_.LitReglage("RayonFraise"));
    if (std::isfinite(r) && r >= 0.0 && r <= RayonMax) doc_.ModifieReglages([r](Parametres& q) { q.RayonFraise = r; });
    texteRayon_ = EcritureLocale(doc_.Reglages().RayonFraise);
    selection_ = -1;
    Selectionne(0);
}

void ModeleSequence::Selectionne(int rang) {
    if (rang < 0 || rang >= static_cast<int>(etiquettes_.size())) return;
    selection_ = rang;
    sequenceADecaler_ = etiquettes_[std::size_t(rang)];
    if (Redessine) Redessine();
}

bool ModeleSequence::Deplace(int de, int vers) {
    const int n = static_cast<int>(etiquettes_.size());
    if (de < 0 || de >= n || vers < 0 || vers >= n || de == vers) return false;
    if (!doc_.DeplaceSequence(std::size_t(de), std::size_t(vers))) return false;
    // A label carried by two runs comes out as one: the list follows the drawing.
    RelitEtiquettes();
    selection_ = -1;
    Selectionne(std::min(vers, static_cast<int>(etiquettes_.size()) - 1));
    return true;
}

bool ModeleSequence::Plus() { return selection_ > 0 && Deplace(selection_, selection_ - 1); }

bool ModeleSequence::Moins() { return selection_ >= 0 && Deplace(selection_, selection_ + 1); }

bool ModeleSequence::Inverser() {
    if (selection_ < 0) return false;
    return doc_.Inverse(etiquettes_[std::size_t(selection_)]);
}

void ModeleSequence::Decaler() { attente_ = true; }

void ModeleSequence::ChangeRayon(const std::string& texte) {
    texteRayon_ = texte;
    const double r = LectureSaisie(texte);
    if (!std::isfinite(r) || r < 0.0 || r > RayonMax) return;
    doc_.ModifieReglages([r](Parametres& q) { q.RayonFraise = r; });
    doc_.EcritReglages({{"RayonFraise", EcritureLocale(r)}});
}

void ModeleSequence::Fermer() {
    if (!attente_) sequenceADecaler_ = AucuneSequence;
}

}  // namespace korvelin
