#include "document/liste_modele.h"

#include <algorithm>
#include <map>
#include <utility>

#include "model/nombres.h"

namespace korvelin {

namespace {

std::string Nombre5(int64_t i) {
    std::string s = TexteEntier(i);
    if (s.size() < 5) s.insert(0, 5 - s.size(), ' ');
    return s;
}

// The label, followed for a second or later run of the same label by "#" and its rank, so
// no two trace nodes share a key.
std::string CleSuite(Code2 etiquette, uint32_t occurrence) {
    std::string c = etiquette.Texte();
    if (occurrence > 1) c += "#" + TexteEntier(occurrence);
    return c;
}

// Rank of each label's appearance, in order.
class Compteur {
public:
    uint32_t Suivant(Code2 e) { return ++vus_[{e.c0(), e.c1()}]; }

private:
    std::map<std::pair<char32_t, char32_t>, uint32_t> vus_;
};

}  // namespace

ListeModele::ListeModele(Document& doc) : doc_(doc) { Remplit(); }

void ListeModele::Remplissage_Trace_Initial() {
    suites_.clear();
    const Dessin& d = doc_.Trace();
    const int32_t n = std::min<int64_t>(d.NbPoints, int64_t(d.Trace_Initial.size()));
    Compteur compteur;
    for (int32_t i = 0; i < n;) {
        const Code2 e = d.Trace_Initial[i].Sequence;
        int32_t j = i + 1;
        while (j < n && d.Trace_Initial[j].Sequence == e) ++j;
        suites_.push_back({i, j - i, compteur.Suivant(e)});
        i = j;
    }
}

void ListeModele::Remplissage_Trace_Decale() {
    // Every entry but the spare last one.
    occurrencesDecale_.clear();
    Compteur compteur;
    for (std::size_t s = 0; s < doc_.Trace().NbSequencesDecalees(); ++s)
        occurrencesDecale_.push_back(compteur.Suivant(doc_.Trace().Trace_Decale[s].Sequence));
}

std::size_t ListeModele::NbTraces(Arbre a) const {
    return a == Arbre::Initial ? suites_.size() : occurrencesDecale_.size();
}

std::size_t ListeModele::NbPoints(Arbre a, std::size_t trace) const {
    if (trace >= NbTraces(a)) return 0;
    if (a == Arbre::Initial) return std::size_t(suites_[trace].longueur);
    return doc_.Trace().Trace_Decale[trace].Points.size();
}

const PointTrace* ListeModele::PointDe(Arbre a, const Noeud& n, int32_t* index) const {
    // The drawing may have changed since the last filling: every rank is checked again.
    if (n.niveau != Noeud::Point || n.point >= NbPoints(a, n.trace)) return nullptr;
    const Dessin& d = doc_.Trace();
    if (a == Arbre::Decale) return &d.Trace_Decale[n.trace].Points[n.point];
    const int64_t i = int64_t(suites_[n.trace].debut) + int64_t(n.point);
    if (i >= d.NbPoints || i >= int64_t(d.Trace_Initial.size())) return nullptr;
    if (index) *index = int32_t(i);
    return &d.Trace_Initial[std::size_t(i)];
}

std::string ListeModele::Cle(Arbre a, const Noeud& n) const {
    if (n.niveau == Noeud::Racine || n.trace >= NbTraces(a)) return "Racine";
    const Dessin& d = doc_.Trace();
    const std::string trace =
        a == Arbre::Initial ? CleSuite(d.Trace_Initial[suites_[n.trace].debut].Sequence, suites_[n.trace].occurrence)
                            : CleSuite(d.Trace_Decale[n.trace].Sequence, occurrencesDecale_[n.trace]);
    if (n.niveau == Noeud::Sequence) return trace;
    const int64_t rang = a == Arbre::Initial ? int64_t(suites_[n.trace].debut) + int64_t(n.point) : int64_t(n.point);
    // A suffixed key is kept apart from the index that follows it.
    const uint32_t occurrence = a == Arbre::Initial ? suites_[n.trace].occurrence : occurrencesDecale_[n.trace];
    return trace + (occurrence > 1 ? ":" : "") + TexteEntier(rang);
}

std::string ListeModele::Texte(Arbre a, const Noeud& n) const {
    if (n.niveau == Noeud::Racine) return a == Arbre::Initial ? "Tracé initial" : "Tracé décalé";
    if (n.trace >= NbTraces(a)) return {};
    const Dessin& d = doc_.Trace();
    if (n.niveau == Noeud::Sequence) {
        if (a == Arbre::Initial) {
            const Suite& s = suites_[n.trace];
            return "Sequence " + d.Trace_Initial[s.debut].Sequence.Texte() + " - " + TexteEntier(s.longueur) +
                   " points";
        }
        const SequenceDecalee& e = d.Trace_Decale[n.trace];
        return "Séquence " + e.Sequence.Texte() + " - " + TexteEntier(e.Points.size()) + " points";
    }
    int32_t index = 0;
    const PointTrace* p = PointDe(a, n, &index);
    if (!p) return {};
    const int64_t rang = a == Arbre::Initial ? index : int64_t(n.point);
    return "N° " + Nombre5(rang) + "   x=" + FormatFixe(p->X, 3, Separateur) +
           "   y=" + FormatFixe(p->Y, 3, Separateur);
}

std::optional<std::pair<double, double>> ListeModele::PointDuTexte(std::string_view texte) {
    if (!texte.starts_with("N° ")) return std::nullopt;
    std::string t(texte);
    for (char& c : t)
        if (c == ',') c = '.';
    const std::size_t x = t.find("   x="), y = t.find("   y=");
    if (x == std::string::npos || y == std::string::npos) return std::nullopt;
    return std::pair{LecturePlain(std::string_view(t).substr(x + 5)), LecturePlain(std::string_view(t).substr(y + 5))};
}

std::optional<PointChoisi> ListeModele::Choisi(Arbre a, const Noeud& n) const {
    int32_t index = -1;
    if (!PointDe(a, n, &index)) return std::nullopt;
    PointChoisi c;
    c.traceInitial = a == Arbre::Initial;
    if (c.traceInitial)
        c.index = index;
    else {
        c.entree = n.trace;
        c.rang = n.point;
    }
    return c;
}

bool ListeModele::Supprime(Arbre a, const Noeud& n) {
    if (doc_.Reglages().ConfirmSuppr && !doc_.Interface().Question("Confirmez-vous la suppression ?", "Korvelin"))
        return false;
    bool change = false;
    if (a == Arbre::Initial && n.niveau == Noeud::Sequence && n.trace < suites_.size()) {
        change = doc_.SupprimeSuite(suites_[n.trace].debut);
    } else if (auto c = Choisi(a, n)) {
        if (c->traceInitial) {
            doc_.Interface().TexteStatut(1, "Recalcul du décalage ");
            change = doc_.SupprimePoint(c->index);
        } else {
            change = doc_.SupprimePointDecale(c->entree, c->rang);
        }
    }
    // The first panel says what is being computed until the document's change notice
    // puts the drawing's name back there.
    return change;
}

}  // namespace korvelin
