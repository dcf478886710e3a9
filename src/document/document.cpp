#include "document/document.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <map>
#include <unordered_set>
#include <utility>

#include "geometry/index_sequences.h"
#include "document/calculs.h"
#include "document/enregistrement.h"
#include "document/importation.h"
#include "model/listes.h"
#include "model/nombres.h"
#include "model/noms_fichiers.h"
#include "settings/magasin.h"

namespace korvelin {

namespace {

// Passes everything the core asks of the user on to the window, except the repaints the
// readers and the welding ask for on their own: the document sends one notice at the end.
class SansRafraichir : public InterfaceUtilisateur {
public:
    explicit SansRafraichir(InterfaceUtilisateur*& ui) : ui_(ui), fenetre_(ui) { ui = this; }
    ~SansRafraichir() override { ui_ = fenetre_; }
    SansRafraichir(const SansRafraichir&) = delete;
    SansRafraichir& operator=(const SansRafraichir&) = delete;

    void Message(std::string_view t, std::string_view ti, Icone i) override { fenetre_->Message(t, ti, i); }
    bool Question(std::string_view t, std::string_view ti) override { return fenetre_->Question(t, ti); }
    void Rafraichir() override {}
    void TexteStatut(int p, std::string_view t) override { fenetre_->TexteStatut(p, t); }
    void Sablier(bool a) override { fenetre_->Sablier(a); }
    void TraiterEvenements() override { fenetre_->TraiterEvenements(); }

private:
    InterfaceUtilisateur*& ui_;
    InterfaceUtilisateur* fenetre_;
};

// Bit for bit: a change that writes back the same float is no change, and -0 is not 0.
bool Meme(const PointTrace& a, const PointTrace& b) {
    return std::bit_cast<uint32_t>(a.X) == std::bit_cast<uint32_t>(b.X) &&
           std::bit_cast<uint32_t>(a.Y) == std::bit_cast<uint32_t>(b.Y) && a.Plume == b.Plume &&
           a.Sequence == b.Sequence;
}

bool Meme(const SequenceDecalee& a, const SequenceDecalee& b) {
    return a.Sequence == b.Sequence && a.Points.size() == b.Points.size() &&
           std::equal(a.Points.begin(), a.Points.end(), b.Points.begin(),
                      [](const PointTrace& p, const PointTrace& q) { return Meme(p, q); });
}

// The stretch of `actuel` from `debut` is `ancien`, item for item.
template <class T>
bool MemePlage(const std::vector<T>& ancien, const std::vector<T>& actuel, std::size_t debut, std::size_t longueur) {
    return ancien.size() == longueur &&
           std::equal(ancien.begin(), ancien.end(), actuel.begin() + static_cast<std::ptrdiff_t>(debut),
                      [](const T& a, const T& b) { return Meme(a, b); });
}

// Narrows the stretch [debut, debut + ancien.size()) that became [debut, debut + longueur)
// of `actuel` to the part that really differs.
template <class T, class I>
void Resserre(std::vector<T>& ancien, const std::vector<T>& actuel, I& debut, I& longueur) {
    std::size_t n = ancien.size(), m = static_cast<std::size_t>(longueur);
    const std::size_t d = static_cast<std::size_t>(debut);
    std::size_t tete = 0;
    while (tete < n && tete < m && Meme(ancien[tete], actuel[d + tete])) ++tete;
    std::size_t queue = 0;
    while (queue < n - tete && queue < m - tete && Meme(ancien[n - 1 - queue], actuel[d + m - 1 - queue])) ++queue;
    ancien.erase(ancien.end() - static_cast<std::ptrdiff_t>(queue), ancien.end());
    ancien.erase(ancien.begin(), ancien.begin() + static_cast<std::ptrdiff_t>(tete));
    debut = static_cast<I>(d + tete);
    longueur = static_cast<I>(m - tete - queue);
}

// Puts `contenu` in place of the `longueur` items from `debut`, and gives back what it replaced.
template <class T>
void EchangePlage(std::vector<T>& v, std::size_t debut, std::size_t& longueur, std::vector<T>& contenu) {
    const auto d = v.begin() + static_cast<std::ptrdiff_t>(debut);
    if (contenu.size() == longueur) {
        std::swap_ranges(d, d + static_cast<std::ptrdiff_t>(longueur), contenu.begin());
        return;
    }
    std::vector<T> actuel(std::make_move_iterator(d),
                          std::make_move_iterator(d + static_cast<std::ptrdiff_t>(longueur)));
    v.erase(d, d + static_cast<std::ptrdiff_t>(longueur));
    v.insert(v.begin() + static_cast<std::ptrdiff_t>(debut), std::make_move_iterator(contenu.begin()),
             std::make_move_iterator(contenu.end()));
    longueur = contenu.size();
    contenu = std::move(actuel);
}

// What an offset entry holds until its path is computed: the trace's own first point.
SequenceDecalee EntreeNeuve(const PointTrace& premier) {
    PointTrace depart = premier;
    depart.Plume = Code2{};
    return {premier.Sequence, {depart}};
}

std::vector<Code2> OrdreDesTraces(const Dessin& d) {
    std::vector<Code2> ordre;
    for (const PlageSequence& p : PlagesSequences(d)) ordre.push_back(d.Trace_Initial[p.premier].Sequence);
    return ordre;
}

bool EtiquetteAvant(Code2 a, Code2 b) {
    // String order of the UTF-8 texts, as labels compare in the trace list.
    return a.Texte() < b.Texte();
}

}  // namespace

void AppliqueOrdre(Dessin& d, const std::vector<Code2>& ordre) {
    const int32_t n = std::min<int32_t>(d.NbPoints, static_cast<int32_t>(d.Trace_Initial.size()));
    // Every run of each label, in drawing order: a label met twice brings all its points.
    std::map<uint64_t, std::vector<std::pair<int32_t, int32_t>>> runs;
    std::vector<Code2> ordreDessin;
    for (int32_t i = 0; i < n;) {
        int32_t j = i + 1;
        while (j < n && d.Trace_Initial[j].Sequence == d.Trace_Initial[i].Sequence) ++j;
        auto& r = runs[CleEtiquette(d.Trace_Initial[i].Sequence)];
        if (r.empty()) ordreDessin.push_back(d.Trace_Initial[i].Sequence);
        r.push_back({i, j});
        i = j;
    }
    std::vector<PointTrace> nouveau;
    nouveau.reserve(d.Trace_Initial.size());
    auto verse = [&](Code2 e) {
        auto it = runs.find(CleEtiquette(e));
        if (it == runs.end()) return;
        for (auto [a, b] : it->second)
            nouveau.insert(nouveau.end(), d.Trace_Initial.begin() + a, d.Trace_Initial.begin() + b);
        runs.erase(it);
    };
    for (Code2 e : ordre) verse(e);
    // Labels the order forgot keep their points, after the others.
    for (Code2 e : ordreDessin) verse(e);
    nouveau.insert(nouveau.end(), d.Trace_Initial.begin() + n, d.Trace_Initial.end());
    d.Trace_Initial = std::move(nouveau);

    // The offset entries follow their traces without being recomputed.
    if (d.Trace_Decale.empty()) return;
    const std::size_t nbEntrees = d.NbSequencesDecalees();
    std::map<uint64_t, std::vector<std::size_t>> parEtiquette;
    for (std::size_t e = nbEntrees; e-- > 0;) parEtiquette[CleEtiquette(d.Trace_Decale[e].Sequence)].push_back(e);
    std::vector<bool> pris(nbEntrees, false);
    std::vector<SequenceDecalee> entrees;
    entrees.reserve(d.Trace_Decale.size());
    Code2 precedente{U' ', U' '};
    for (int32_t i = 0; i < n; ++i) {
        const Code2 e = d.Trace_Initial[i].Sequence;
        if (e == precedente) continue;
        precedente = e;
        auto it = parEtiquette.find(CleEtiquette(e));
        if (it == parEtiquette.end() || it->second.empty()) continue;
        const std::size_t f = it->second.back();
        it->second.pop_back();
        pris[f] = true;
        entrees.push_back(std::move(d.Trace_Decale[f]));
    }
    for (std::size_t e = 0; e < nbEntrees; ++e)
        if (!pris[e]) entrees.push_back(std::move(d.Trace_Decale[e]));
    entrees.push_back(std::move(d.Trace_Decale.back()));
    d.Trace_Decale = std::move(entrees);
}

Document::Document(InterfaceUtilisateur* ui, std::string cheminIni) : ui_(ui ? ui : &silence_) {
    magasin_.CheminIni = std::move(cheminIni);
}

std::size_t Document::Etape::Octets() const {
    std::size_t n = sizeof(Etape) + points.capacity() * sizeof(PointTrace) +
                    entrees.capacity() * sizeof(SequenceDecalee) + ordre.capacity() * sizeof(Code2);
    for (const SequenceDecalee& e : entrees) n += e.Points.capacity() * sizeof(PointTrace);
    return n;
}

std::string Document::Nom() const { return NomSansDossier(dessin_.NomFichier); }

void Document::Avertit() {
    if (SurChangement) SurChangement();
}

void Document::Normalise() {
    Dessin& d = dessin_;
    d.NbPoints = std::clamp<int32_t>(d.NbPoints, 0, static_cast<int32_t>(d.Trace_Initial.size()));
    d.Trace_Initial.resize(static_cast<std::size_t>(d.NbPoints));
}

void Document::Oublie() {
    annulables_.clear();
    retablissables_.clear();
    memoire_ = 0;
    cleDerniere_ = 0;
}

std::size_t Document::EntreeDe(Code2 etiquette) const {
    const auto& t = dessin_.Trace_Decale;
    for (std::size_t e = 0; e + 1 < t.size(); ++e)
        if (t[e].Sequence == etiquette) return e;
    return t.size();
}

Code2 Document::DerniereSequence() const {
    const Dessin& d = dessin_;
    if (d.NbPoints <= 0 || d.Trace_Initial.empty()) return AucuneSequence;
    Code2 plus = d.Trace_Initial[0].Sequence;
    Code2 precedente = plus;
    for (int32_t i = 1; i < d.NbPoints && i < static_cast<int32_t>(d.Trace_Initial.size()); ++i) {
        const Code2 e = d.Trace_Initial[i].Sequence;
        if (e == precedente) continue;
        precedente = e;
        if (EtiquetteAvant(plus, e)) plus = e;
    }
    return plus;
}

// --- Settings ------------------------------------------------------------------------------

std::string Document::LitReglage(std::string_view cle) { return LireReglage(magasin_, dessin_, cle); }

SourceReglages Document::Source() { return SourceReglages(magasin_, dessin_); }

bool Document::EcritReglages(const EcrituresReglages& ecritures) {
    return Montre(*ui_, magasin_.Ecrire(dessin_, ecritures));
}

void Document::ChargeReglagesDemarrage() { ChargeDemarrage(magasin_, dessin_, parametres_); }

void Document::RechargeReglages(Chargeur chargeur) {
    switch (chargeur) {
        case Chargeur::Couleurs: ChargeCouleurs(magasin_, dessin_, parametres_); break;
        case Chargeur::Decalage: ChargeDecalage(magasin_, dessin_, parametres_); break;
        case Chargeur::Marges: ChargeMarges(magasin_, dessin_, parametres_); break;
        case Chargeur::Rapports:
            for (const Diagnostic& dit : ChargeRapports(magasin_, dessin_, parametres_)) Montre(*ui_, dit);
            break;
        case Chargeur::Options: ChargeOptions(magasin_, dessin_, parametres_); break;
        case Chargeur::Machine: ChargeMachine(magasin_, dessin_, parametres_); break;
        case Chargeur::Aucun: break;
    }
}

bool Document::RetablitReglages(const std::vector<std::string>& cles, Chargeur chargeur) {
    const bool ecrit = Montre(*ui_, magasin_.RetablitDefauts(dessin_, cles));
    RechargeReglages(chargeur);
    return ecrit;
}

// --- Life of the document ------------------------------------------------------------------

bool Document::Ouvrir(const std::string& chemin) {
    Dessin& d = dessin_;
    // What a refused file must leave untouched. The points are moved aside, not copied: a
    // large drawing would otherwise be held twice while the next one is read.
    // The readers replace the drawing as a whole; starting from nothing, a file that gave
    // no drawing cannot pass for one with the points of the previous document.
    std::vector<PointTrace> pointsAvant = std::exchange(d.Trace_Initial, {});
    std::vector<SequenceDecalee> cheminsAvant = std::exchange(d.Trace_Decale, {});
    Dessin avant = d;
    const Parametres parametresAvant = parametres_;
    const EtatImport etatAvant = import_;
    d.NbPoints = 0;
    bool lu = false;
    {
        SansRafraichir relais(ui_);
        DimensionSansDialogue sansDialogue;
        SuiviParInterface suivi(*ui_, Dimension ? *Dimension : sansDialogue);
        lu = OuvrirDessin({dessin_, parametres_, magasin_, *ui_}, import_, chemin, suivi);
        const std::string& type = d.TypeFichier;
        const bool connu = type == "PLT" || type == "HPGL" || type == "DAT" || type == "DXF" || type == "KORVELIN";
        if (!connu) {
            ui_->Message("Korvelin ne sait pas lire les fichiers « " + NomSansDossier(chemin) +
                             " » : seuls les fichiers PLT, HPGL, DAT, DXF et Korvelin s'ouvrent.",
                         TitreProgramme, Icone::Critique);
            lu = false;
        }
        // A project the reader refused must not become the document: "Enregistrer" would
        // write the drawing still in memory over the very file the user tried to open.
        if (type == "KORVELIN" && d.FichierProjet.empty()) lu = false;
    }
    if (!lu) {
        d = std::move(avant);
        d.Trace_Initial = std::move(pointsAvant);
        d.Trace_Decale = std::move(cheminsAvant);
        parametres_ = parametresAvant;
        import_ = etatAvant;
        return false;
    }
    Normalise();
    Oublie();
    ouvert_ = true;
    etat_ = etatEnregistre_ = prochainId_++;
    Avertit();
    return true;
}

void Document::Remplace(Dessin d) {
    dessin_ = std::move(d);
    Normalise();
    if (dessin_.NbPoints >= 1) CalculBornes(dessin_);
    Oublie();
    ouvert_ = true;
    etat_ = etatEnregistre_ = prochainId_++;
    Avertit();
}

bool Document::Enregistrer() {
    if (!ouvert_ || dessin_.NomFichier.empty()) return false;
    if (!EnregistreProjet(dessin_, magasin_.CheminIni, *ui_)) return false;
    etatEnregistre_ = etat_;
    cleDerniere_ = 0;
    Avertit();
    return true;
}

bool Document::EnregistrerSous(const std::string& chemin) {
    if (!ouvert_ || chemin.empty()) return false;
    Dessin& d = dessin_;
    const std::string ancien = d.NomFichier;
    d.NomFichier = chemin;
    if (Enregistrer()) return true;
    d.NomFichier = ancien;  // nothing was written: the document keeps its name
    return false;
}

// --- Changes and their history -----------------------------------------------------------------

bool Document::Change(int32_t debutPoints, int32_t npoints, std::size_t debutEntrees, std::ptrdiff_t nentrees,
                      const std::function<void()>& changement, uint64_t cleFusion, bool parametres) {
    if (!ouvert_) return false;
    Dessin& d = dessin_;
    Normalise();
    const int32_t n0 = d.NbPoints;
    const std::size_t e0 = d.Trace_Decale.size();
    debutPoints = std::clamp(debutPoints, 0, n0);
    if (npoints < 0 || debutPoints + npoints > n0) npoints = n0 - debutPoints;
    debutEntrees = std::min(debutEntrees, e0);
    if (nentrees < 0 || debutEntrees + static_cast<std::size_t>(nentrees) > e0)
        nentrees = static_cast<std::ptrdiff_t>(e0 - debutEntrees);

    Etape e;
    e.debutPoints = debutPoints;
    e.points.assign(d.Trace_Initial.begin() + debutPoints, d.Trace_Initial.begin() + debutPoints + npoints);
    e.debutEntrees = debutEntrees;
    e.entrees.assign(d.Trace_Decale.begin() + static_cast<std::ptrdiff_t>(debutEntrees),
                     d.Trace_Decale.begin() + static_cast<std::ptrdiff_t>(debutEntrees) + nentrees);
    const double bornes[4] = {d.Xmin, d.Xmax, d.Ymin, d.Ymax};
    std::copy(bornes, bornes + 4, e.bornes);
    if (parametres) e.parametres = ReglagesDecalageDe(parametres_);
    {
        SansRafraichir relais(ui_);
        changement();
    }
    Normalise();
    if (d.NbPoints >= 1) CalculBornes(d);
    e.longueurPoints = npoints + (d.NbPoints - n0);
    e.longueurEntrees = static_cast<std::size_t>(nentrees) + d.Trace_Decale.size() - e0;

    // A step that may join the one before keeps the stretches as they were asked for, so
    // the two cover the same places.
    if (cleFusion == 0) {
        Resserre(e.points, d.Trace_Initial, e.debutPoints, e.longueurPoints);
        Resserre(e.entrees, d.Trace_Decale, e.debutEntrees, e.longueurEntrees);
    }
    const bool memesBornes = bornes[0] == d.Xmin && bornes[1] == d.Xmax && bornes[2] == d.Ymin && bornes[3] == d.Ymax;
    const bool memesParametres = !e.parametres || (e.parametres->rayon == parametres_.RayonFraise &&
                                                   e.parametres->cote == parametres_.DecalageOutil &&
                                                   e.parametres->optimisation1 == parametres_.Optimisation_1 &&
                                                   e.parametres->optimisation2 == parametres_.Optimisation_2);
    const bool memesPlages =
        cleFusion == 0
            ? e.points.empty() && e.longueurPoints == 0 && e.entrees.empty() && e.longueurEntrees == 0
            : MemePlage(e.points, d.Trace_Initial, std::size_t(e.debutPoints), std::size_t(e.longueurPoints)) &&
                  MemePlage(e.entrees, d.Trace_Decale, e.debutEntrees, e.longueurEntrees);
    if (memesBornes && memesParametres && memesPlages) return false;
    e.cleFusion = cleFusion;
    Empile(std::move(e));
    Avertit();
    return true;
}

void Document::Empile(Etape e) {
    for (const Etape& r : retablissables_) memoire_ -= r.Octets();
    retablissables_.clear();
    if (e.cleFusion != 0 && e.cleFusion == cleDerniere_ && !annulables_.empty()) {
        Etape& haut = annulables_.back();
        if (haut.cleFusion == e.cleFusion && haut.debutPoints == e.debutPoints &&
            haut.longueurPoints == e.longueurPoints && haut.debutEntrees == e.debutEntrees &&
            haut.longueurEntrees == e.longueurEntrees) {
            // The step before already holds the state from before the first of these moves.
            haut.id = prochainId_++;
            etat_ = haut.id;
            return;
        }
    }
    e.idAvant = etat_;
    e.id = prochainId_++;
    etat_ = e.id;
    cleDerniere_ = e.cleFusion;
    memoire_ += e.Octets();
    annulables_.push_back(std::move(e));
    while (annulables_.size() > 1 && (annulables_.size() > MaxEtapes || memoire_ > BudgetMemoire)) {
        memoire_ -= annulables_.front().Octets();
        annulables_.pop_front();
    }
}

void Document::Echange(Etape& e) {
    Dessin& d = dessin_;
    memoire_ -= e.Octets();
    std::size_t longueur = static_cast<std::size_t>(e.longueurPoints);
    EchangePlage(d.Trace_Initial, static_cast<std::size_t>(e.debutPoints), longueur, e.points);
    e.longueurPoints = static_cast<int32_t>(longueur);
    d.NbPoints = static_cast<int32_t>(d.Trace_Initial.size());
    EchangePlage(d.Trace_Decale, e.debutEntrees, e.longueurEntrees, e.entrees);
    if (!e.ordre.empty()) {
        std::vector<Code2> actuel = OrdreDesTraces(d);
        AppliqueOrdre(d, e.ordre);
        e.ordre = std::move(actuel);
    }
    double* bornes[4] = {&d.Xmin, &d.Xmax, &d.Ymin, &d.Ymax};
    for (int i = 0; i < 4; ++i) std::swap(*bornes[i], e.bornes[i]);
    if (e.parametres) {
        ReglagesDecalage& r = *e.parametres;
        std::swap(r.rayon, parametres_.RayonFraise);
        std::swap(r.cote, parametres_.DecalageOutil);
        std::swap(r.optimisation1, parametres_.Optimisation_1);
        std::swap(r.optimisation2, parametres_.Optimisation_2);
        EcritReglagesDecalage();
    }
    memoire_ += e.Octets();
}

bool Document::Annuler() {
    if (annulables_.empty()) return false;
    Etape e = std::move(annulables_.back());
    annulables_.pop_back();
    Echange(e);
    etat_ = e.idAvant;
    cleDerniere_ = 0;
    retablissables_.push_back(std::move(e));
    Avertit();
    return true;
}

bool Document::Retablir() {
    if (retablissables_.empty()) return false;
    Etape e = std::move(retablissables_.back());
    retablissables_.pop_back();
    Echange(e);
    etat_ = e.id;
    cleDerniere_ = 0;
    annulables_.push_back(std::move(e));
    Avertit();
    return true;
}

void Document::EcritReglagesDecalage() {
    EcritReglages({{"RayonFraise", EcritureLocale(parametres_.RayonFraise)},
                   {"DecalageOutil", TexteEntier(parametres_.DecalageOutil)}});
}

// --- The changes -----------------------------------------------------------------------------

bool Document::Souder() {
    return Change(0, -1, 0, -1, [this] { SoudureAutomatique(dessin_, parametres_, *ui_); });
}

bool Document::Miroir() {
    return Change(0, -1, 0, -1, [this] { korvelin::Miroir(dessin_, parametres_, *ui_); });
}

bool Document::OrienteAutomatiquement() {
    return Change(0, -1, 0, -1, [this] { OrientationAutomatique(dessin_, parametres_, *ui_); });
}

bool Document::OrdonneAutomatiquement(double* avant, double* apres) {
    ResultatOrdre r;
    const bool change = Change(0, -1, 0, -1, [this, &r] { r = OrdreAutomatique(dessin_, parametres_, *ui_); });
    if (!change) r.apres = r.avant;
    if (avant) *avant = r.avant;
    if (apres) *apres = r.apres;
    return change;
}

bool Document::Reordonne(const std::vector<Code2>& ordre) {
    Normalise();
    const Dessin& d = dessin_;
    const std::vector<PlageSequence> plages = PlagesSequences(d);
    if (ordre.size() != plages.size()) return false;
    std::size_t premier = 0;
    while (premier < ordre.size() && ordre[premier] == d.Trace_Initial[plages[premier].premier].Sequence) ++premier;
    if (premier == ordre.size()) return false;
    std::size_t dernier = ordre.size() - 1;
    while (ordre[dernier] == d.Trace_Initial[plages[dernier].premier].Sequence) --dernier;
    // The entries of the traces in between, when they lie in drawing order as they should.
    bool alignees = d.NbSequencesDecalees() == plages.size();
    for (std::size_t k = premier; alignees && k <= dernier; ++k)
        alignees = d.Trace_Decale[k].Sequence == d.Trace_Initial[plages[k].premier].Sequence;
    // With one run per label and entries in step, the order alone can take the change
    // back: a trace moved across thousands of others then costs a label per trace.
    bool uniques = alignees && d.NbSequencesDecalees() == plages.size();
    for (std::size_t k = 0; uniques && k < plages.size(); ++k)
        uniques = d.Trace_Decale[k].Sequence == d.Trace_Initial[plages[k].premier].Sequence;
    if (uniques) {
        std::unordered_set<uint64_t> vues;
        for (std::size_t k = 0; uniques && k < ordre.size(); ++k) uniques = vues.insert(CleEtiquette(ordre[k])).second;
        for (std::size_t k = 0; uniques && k < plages.size(); ++k)
            uniques = vues.count(CleEtiquette(d.Trace_Initial[plages[k].premier].Sequence)) == 1;
    }
    if (uniques && ouvert_) {
        Etape e;
        e.ordre = OrdreDesTraces(d);
        const double bornes[4] = {d.Xmin, d.Xmax, d.Ymin, d.Ymax};
        std::copy(bornes, bornes + 4, e.bornes);
        AppliqueOrdre(dessin_, ordre);
        Empile(std::move(e));
        Avertit();
        return true;
    }
    const int32_t debut = plages[premier].premier;
    const int32_t fin = plages[dernier].premier + plages[dernier].nb;
    return Change(debut, fin - debut, alignees ? premier : 0, alignees ? std::ptrdiff_t(dernier - premier + 1) : -1,
                  [this, &ordre] { AppliqueOrdre(dessin_, ordre); });
}

bool Document::DeplaceSequence(std::size_t de, std::size_t vers) {
    Normalise();
    const std::vector<PlageSequence> plages = PlagesSequences(dessin_);
    if (de >= plages.size() || vers >= plages.size() || de == vers) return false;
    std::vector<Code2> ordre;
    ordre.reserve(plages.size());
    for (const PlageSequence& p : plages) ordre.push_back(dessin_.Trace_Initial[p.premier].Sequence);
    const Code2 e = ordre[de];
    ordre.erase(ordre.begin() + static_cast<std::ptrdiff_t>(de));
    ordre.insert(ordre.begin() + static_cast<std::ptrdiff_t>(vers), e);
    return Reordonne(ordre);
}

bool Document::Inverse(Code2 etiquette) {
    const Dessin& d = dessin_;
    const int32_t premier = PremierPointSequence(d, etiquette);
    if (premier < 0) return false;
    const int32_t n = NbPointsSequence(d, premier);
    return Change(premier, n, EntreeDe(etiquette), 1, [this, etiquette] {
        InverseSequence(dessin_, etiquette);
        DecalageSequence(dessin_, parametres_, *ui_, etiquette);
    });
}

bool Document::DecaleSequence(Code2 etiquette, int16_t cote) {
    if (PremierPointSequence(dessin_, etiquette) < 0) return false;
    return Change(0, 0, EntreeDe(etiquette), 1, [this, etiquette, cote] {
        Parametres& p = parametres_;
        const int16_t reglage = p.DecalageOutil;
        if (cote != 0) p.DecalageOutil = cote;
        DecalageSequence(dessin_, parametres_, *ui_, etiquette);
        p.DecalageOutil = reglage;
    });
}

bool Document::LeveOutil(int32_t k) {
    Normalise();
    Dessin& d = dessin_;
    if (k < 1 || k > d.NbPoints - 2) return false;
    const Code2 l = d.Trace_Initial[k].Sequence;
    if (d.Trace_Initial[k - 1].Sequence != l) return false;  // the first segment of a trace
    int32_t dernier = -1;
    for (int32_t j = d.NbPoints - 1; j > k; --j)
        if (d.Trace_Initial[j].Sequence == l) {
            dernier = j;
            break;
        }
    if (dernier < 0) return false;
    const Code2 nouvelle = ProchaineSequence(DerniereSequence());
    auto renomme = [this, k, dernier, l, nouvelle] {
        for (int32_t j = k + 1; j <= dernier; ++j)
            if (dessin_.Trace_Initial[j].Sequence == l) dessin_.Trace_Initial[j].Sequence = nouvelle;
    };
    // The usual case: the rest of the trace follows the segment and the label appears
    // nowhere else. Only this trace's path and the new one's are computed.
    bool suite = true;
    for (int32_t j = k + 1; j <= dernier && suite; ++j) suite = d.Trace_Initial[j].Sequence == l;
    const std::size_t e = EntreeDe(l);
    if (suite && e < d.Trace_Decale.size() &&
        (dernier + 1 == d.NbPoints || d.Trace_Initial[dernier + 1].Sequence != nouvelle))
        return Change(k + 1, dernier - k, e, 1, [this, renomme, e, k, l, nouvelle] {
            renomme();
            Dessin& dd = dessin_;
            dd.Trace_Decale.insert(dd.Trace_Decale.begin() + static_cast<std::ptrdiff_t>(e) + 1,
                                   EntreeNeuve(dd.Trace_Initial[k + 1]));
            DecalageSequence(dessin_, parametres_, *ui_, l);
            DecalageSequence(dessin_, parametres_, *ui_, nouvelle);
        });
    return Change(k + 1, dernier - k, 0, -1, [this, renomme] {
        renomme();
        CalculDecalageTout(dessin_, parametres_, *ui_);
    });
}

namespace {

// Whether the point lies in a run of its label other than the first: the label's offset
// entry is the first run's.
bool DansUneSuiteUlterieure(const Dessin& d, int32_t index) {
    const Code2 l = d.Trace_Initial[index].Sequence;
    const int32_t premier = PremierPointSequence(d, l);
    int32_t debut = index;
    while (debut > premier && d.Trace_Initial[debut - 1].Sequence == l) --debut;
    return debut != premier;
}

}  // namespace

bool Document::DeplacePoint(int32_t index, float x, float y, bool fusion) {
    Normalise();
    Dessin& d = dessin_;
    if (index < 0 || index >= d.NbPoints) return false;
    const Code2 l = d.Trace_Initial[index].Sequence;
    const uint64_t cle = fusion ? (uint64_t(1) << 40) | static_cast<uint32_t>(index) : 0;
    // A point of a later run of a label: recomputing the label's entry would redo the first
    // run's path and leave this one's as it was, to be cut where the point no longer is.
    if (DansUneSuiteUlterieure(d, index))
        return Change(
            index, 1, 0, -1,
            [this, index, x, y] {
                PointTrace& p = dessin_.Trace_Initial[index];
                p.X = x;
                p.Y = y;
                CalculDecalageTout(dessin_, parametres_, *ui_);
            },
            cle);
    return Change(
        index, 1, EntreeDe(l), 1,
        [this, index, x, y, l] {
            PointTrace& p = dessin_.Trace_Initial[index];
            p.X = x;
            p.Y = y;
            DecalageSequence(dessin_, parametres_, *ui_, l);
        },
        cle);
}

bool Document::SupprimePoint(int32_t index) {
    Normalise();
    Dessin& d = dessin_;
    if (index < 0 || index >= d.NbPoints) return false;
    const Code2 l = d.Trace_Initial[index].Sequence;
    const int32_t premier = PremierPointSequence(d, l);
    const bool seul = NbPointsSequence(d, premier) == 1;
    auto retire = [this, index] {
        Dessin& dd = dessin_;
        dd.Trace_Initial.erase(dd.Trace_Initial.begin() + index);
        dd.NbPoints -= 1;
    };
    // A point of a later run of a label: the shortcuts below would recompute the first run.
    if (DansUneSuiteUlterieure(d, index))
        return Change(index, 1, 0, -1, [this, retire] {
            retire();
            CalculDecalageTout(dessin_, parametres_, *ui_);
        });
    if (!seul)
        return Change(index, 1, EntreeDe(l), 1, [this, retire, l] {
            retire();
            DecalageSequence(dessin_, parametres_, *ui_, l);
        });
    // The trace goes with its only point.
    const bool voisinsDistincts = index == 0 || index + 1 >= d.NbPoints ||
                                  d.Trace_Initial[index - 1].Sequence != d.Trace_Initial[index + 1].Sequence;
    const std::size_t e = EntreeDe(l);
    if (voisinsDistincts && e < d.Trace_Decale.size())
        return Change(index, 1, e, 1, [this, retire, e] {
            retire();
            dessin_.Trace_Decale.erase(dessin_.Trace_Decale.begin() + static_cast<std::ptrdiff_t>(e));
        });
    return Change(index, 1, 0, -1, [this, retire] {
        retire();
        CalculDecalageTout(dessin_, parametres_, *ui_);
    });
}

bool Document::PointDeDepart(int32_t index) {
    Normalise();
    Dessin& d = dessin_;
    if (index < 0 || index >= d.NbPoints) return false;
    const Code2 l = d.Trace_Initial[index].Sequence;
    const int32_t premier = PremierPointSequence(d, l);
    const int32_t n = NbPointsSequence(d, premier);
    if (index == premier || index >= premier + n) return false;
    return Change(premier, n, EntreeDe(l), 1, [this, index, premier, n, l] {
        auto& t = dessin_.Trace_Initial;
        std::vector<PointTrace> v;
        v.reserve(static_cast<std::size_t>(n));
        v.insert(v.end(), t.begin() + index, t.begin() + premier + n);
        v.insert(v.end(), t.begin() + premier + 1, t.begin() + index);
        v.push_back(t[index]);
        std::copy(v.begin(), v.begin() + n, t.begin() + premier);
        DecalageSequence(dessin_, parametres_, *ui_, l);
    });
}

bool Document::SupprimeTrace(Code2 etiquette) {
    Normalise();
    Dessin& d = dessin_;
    const int32_t premier = PremierPointSequence(d, etiquette);
    if (premier < 0) return false;
    const int32_t n = NbPointsSequence(d, premier);
    const bool voisinsDistincts = premier == 0 || premier + n >= d.NbPoints ||
                                  d.Trace_Initial[premier - 1].Sequence != d.Trace_Initial[premier + n].Sequence;
    const std::size_t e = EntreeDe(etiquette);
    if (voisinsDistincts && e < d.Trace_Decale.size())
        return Change(premier, n, e, 1, [this, etiquette, e] {
            SupprimeSequence(dessin_, etiquette);
            dessin_.Trace_Decale.erase(dessin_.Trace_Decale.begin() + static_cast<std::ptrdiff_t>(e));
        });
    return Change(premier, n, 0, -1, [this, etiquette] {
        SupprimeSequence(dessin_, etiquette);
        CalculDecalageTout(dessin_, parametres_, *ui_);
    });
}

bool Document::SupprimeSuite(int32_t premier) {
    Normalise();
    const Dessin& d = dessin_;
    if (premier < 0 || premier >= d.NbPoints) return false;
    const Code2 etiquette = d.Trace_Initial[premier].Sequence;
    if (PremierPointSequence(d, etiquette) == premier) return SupprimeTrace(etiquette);
    const int32_t n = NbPointsSequence(d, premier);
    return Change(premier, n, 0, -1, [this, premier, n] {
        Dessin& dd = dessin_;
        dd.Trace_Initial.erase(dd.Trace_Initial.begin() + premier, dd.Trace_Initial.begin() + premier + n);
        dd.NbPoints -= n;
        CalculDecalageTout(dessin_, parametres_, *ui_);
    });
}

bool Document::DeplacePointDecale(std::size_t entree, std::size_t index, float x, float y, bool fusion) {
    const auto& t = dessin_.Trace_Decale;
    if (entree + 1 >= t.size() || index >= t[entree].Points.size()) return false;
    const uint64_t cle = fusion ? (uint64_t(2) << 40) | (uint64_t(entree) << 20) | index : 0;
    return Change(
        0, 0, entree, 1,
        [this, entree, index, x, y] {
            PointTrace& p = dessin_.Trace_Decale[entree].Points[index];
            p.X = x;
            p.Y = y;
        },
        cle);
}

bool Document::SupprimePointDecale(std::size_t entree, std::size_t index) {
    const auto& t = dessin_.Trace_Decale;
    if (entree + 1 >= t.size() || index >= t[entree].Points.size()) return false;
    return Change(0, 0, entree, 1, [this, entree, index] {
        auto& p = dessin_.Trace_Decale[entree].Points;
        // The lift into a removed point goes on to the next one: never a cut across.
        if (p[index].Plume == MarqueLevee && index + 1 < p.size()) p[index + 1].Plume = MarqueLevee;
        p.erase(p.begin() + static_cast<std::ptrdiff_t>(index));
    });
}

bool Document::ChangeReglagesDecalage(double rayon, int16_t cote, bool stocke) {
    const Parametres& p = parametres_;
    if (p.RayonFraise == rayon && p.DecalageOutil == cote) return false;
    return Change(
        0, 0, 0, -1,
        [this, rayon, cote, stocke] {
            parametres_.RayonFraise = rayon;
            parametres_.DecalageOutil = cote;
            if (stocke) EcritReglagesDecalage();
            CalculDecalageTout(dessin_, parametres_, *ui_);
        },
        0, true);
}

bool Document::ChangeOptionsDecalage(bool optimisation1, bool optimisation2) {
    const Parametres& p = parametres_;
    if (p.Optimisation_1 == optimisation1 && p.Optimisation_2 == optimisation2) return false;
    return Change(
        0, 0, 0, -1,
        [this, optimisation1, optimisation2] {
            parametres_.Optimisation_1 = optimisation1;
            parametres_.Optimisation_2 = optimisation2;
            CalculDecalageTout(dessin_, parametres_, *ui_);
        },
        0, true);
}

}  // namespace korvelin
