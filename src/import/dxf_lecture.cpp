#include "import/dxf_lecture.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <unordered_map>

#include "model/dessin.h"
#include "platform/fichier.h"

namespace korvelin {

namespace {

bool EstBlanc(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

std::string_view SansBlancs(std::string_view s) {
    while (!s.empty() && EstBlanc(s.front())) s.remove_prefix(1);
    while (!s.empty() && EstBlanc(s.back())) s.remove_suffix(1);
    return s;
}

char Majuscule(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Compares a raw line with an upper-case word, blanks and case aside.
bool LigneEgale(std::string_view ligne, std::string_view mot) {
    ligne = SansBlancs(ligne);
    if (ligne.size() != mot.size()) return false;
    for (std::size_t i = 0; i < mot.size(); ++i)
        if (Majuscule(ligne[i]) != mot[i]) return false;
    return true;
}

// A group-code line: an integer, blanks around it allowed.
std::optional<int32_t> LitCode(std::string_view ligne) {
    ligne = SansBlancs(ligne);
    if (!ligne.empty() && ligne.front() == '+') ligne.remove_prefix(1);
    int32_t v = 0;
    const char* fin = ligne.data() + ligne.size();
    auto [p, ec] = std::from_chars(ligne.data(), fin, v);
    if (ec != std::errc() || p != fin || ligne.empty()) return std::nullopt;
    return v;
}

// The text seen as group-code/value pairs, one at a time: line 2m is a code, line 2m + 1
// its value. CR LF, LF and a lone CR all end a line; a last line without an end is kept,
// a code without its value line is not. Read from a file, only the block being read is
// held: a value stays valid until the next Avance.
class Paires {
public:
    explicit Paires(std::string_view texte) : texte_(texte) { Avance(); }
    Paires(LectureParBlocs& source, std::string debut) : source_(&source), tampon_(std::move(debut)) {
        texte_ = tampon_;
        Avance();
    }

    bool Fin() const { return fin_; }
    const std::optional<int32_t>& Code() const { return code_; }
    std::string_view Valeur() const { return valeur_; }
    bool EstMarque(std::string_view mot) const { return !fin_ && code_ && *code_ == 0 && LigneEgale(valeur_, mot); }

    void Avance() {
        // The code is read before its value line, whose reading may move the block.
        std::string_view ligne;
        std::optional<int32_t> code;
        const bool avecCode = Ligne(ligne);
        if (avecCode) code = LitCode(ligne);
        if (!avecCode || !Ligne(valeur_)) {
            fin_ = true;
            code_.reset();
            valeur_ = {};
            return;
        }
        code_ = code;
        if (!code_ && premiereIllisible_ == 0) premiereIllisible_ = ligne_ - 1;
    }

    std::size_t Lignes() const { return ligne_; }
    std::size_t PremiereLigneIllisible() const { return premiereIllisible_; }

private:
    static constexpr std::size_t Bloc = 1 << 18;

    LectureParBlocs* source_ = nullptr;  // none once the file is all read
    std::string tampon_;
    std::string_view texte_;
    std::size_t pos_ = 0;
    bool fin_ = false;
    std::optional<int32_t> code_;
    std::string_view valeur_;
    std::size_t ligne_ = 0, premiereIllisible_ = 0;

    bool Ligne(std::string_view& ligne) {
        std::size_t n = texte_.size();
        const char* d = texte_.data();
        std::size_t i = pos_;
        for (;;) {
            while (i < n && d[i] != '\n' && d[i] != '\r') ++i;
            // A line is whole once its end is seen, and the LF that may follow a CR.
            if (!source_ || (i < n && (d[i] == '\n' || i + 1 < n))) break;
            i -= pos_;
            // Even at the end of the file the block has moved: the text read is all there is.
            const bool lu = Remplit();
            n = texte_.size();
            d = texte_.data();
            if (!lu) break;
        }
        if (pos_ >= n) return false;
        ligne = texte_.substr(pos_, i - pos_);
        if (i < n && d[i] == '\r' && i + 1 < n && d[i + 1] == '\n') ++i;
        pos_ = i + 1;
        ++ligne_;
        return true;
    }

    // The unread rest of the block, then the next block of the file; false at its end.
    bool Remplit() {
        tampon_.erase(0, pos_);
        pos_ = 0;
        const bool lu = source_->Lit(tampon_, Bloc) > 0;
        if (!lu) source_ = nullptr;
        texte_ = tampon_;
        return lu;
    }
};

enum class Fin { Bloc, Section };

enum class Mot { Ligne, Arc, Cercle, Ellipse, Polyligne, PolyligneLegere, Spline, Insertion, Cote, Sommet, Autre };

Mot MotEntite(std::string_view ligne) {
    struct Entree {
        std::string_view texte;
        Mot mot;
    };
    static constexpr Entree Mots[] = {
        {"LINE", Mot::Ligne},
        {"VERTEX", Mot::Sommet},
        {"ARC", Mot::Arc},
        {"CIRCLE", Mot::Cercle},
        {"LWPOLYLINE", Mot::PolyligneLegere},
        {"POLYLINE", Mot::Polyligne},
        {"SPLINE", Mot::Spline},
        {"ELLIPSE", Mot::Ellipse},
        {"INSERT", Mot::Insertion},
        {"DIMENSION", Mot::Cote},
    };
    for (const Entree& e : Mots)
        if (LigneEgale(ligne, e.texte)) return e.mot;
    return Mot::Autre;
}

// One group code of a fixed layout and the slot it fills.
struct Champ {
    int32_t code;
    std::size_t index;
};

constexpr Champ ChampsLigneDXF[] = {{10, ChampsLigne::X1}, {20, ChampsLigne::Y1}, {30, ChampsLigne::Z1},
                                    {11, ChampsLigne::X2}, {21, ChampsLigne::Y2}, {31, ChampsLigne::Z2}};
constexpr Champ ChampsArcDXF[] = {{10, ChampsArc::CX},    {20, ChampsArc::CY},    {30, ChampsArc::CZ},
                                  {40, ChampsArc::Rayon}, {210, ChampsArc::NX},   {220, ChampsArc::NY},
                                  {230, ChampsArc::NZ},   {50, ChampsArc::Debut}, {51, ChampsArc::Fin}};
constexpr Champ ChampsEllipseDXF[] = {
    {10, ChampsEllipse::CX},  {20, ChampsEllipse::CY},  {30, ChampsEllipse::CZ},      {11, ChampsEllipse::AX},
    {21, ChampsEllipse::AY},  {31, ChampsEllipse::AZ},  {40, ChampsEllipse::Rapport}, {41, ChampsEllipse::Debut},
    {42, ChampsEllipse::Fin}, {210, ChampsEllipse::NX}, {220, ChampsEllipse::NY},     {230, ChampsEllipse::NZ}};
constexpr Champ ChampsPolyligneDXF[] = {{70, ChampsPolyligne::Drapeaux},
                                        {30, ChampsPolyligne::Elevation},
                                        {210, ChampsPolyligne::NX},
                                        {220, ChampsPolyligne::NY},
                                        {230, ChampsPolyligne::NZ}};
constexpr Champ ChampsLegereDXF[] = {{70, ChampsPolyligne::Drapeaux},
                                     {38, ChampsPolyligne::Elevation},
                                     {210, ChampsPolyligne::NX},
                                     {220, ChampsPolyligne::NY},
                                     {230, ChampsPolyligne::NZ}};
constexpr Champ ChampsSommetDXF[] = {{10, ChampsSommet::X},
                                     {20, ChampsSommet::Y},
                                     {30, ChampsSommet::Z},
                                     {42, ChampsSommet::Renflement},
                                     {70, ChampsSommet::Drapeaux}};
constexpr Champ ChampsSplineDXF[] = {{71, ChampsSpline::Degre}, {70, ChampsSpline::Drapeaux}, {12, ChampsSpline::TX0},
                                     {22, ChampsSpline::TY0},   {32, ChampsSpline::TZ0},      {13, ChampsSpline::TX1},
                                     {23, ChampsSpline::TY1},   {33, ChampsSpline::TZ1}};
constexpr Champ ChampsInsertionDXF[] = {{10, ChampsInsertion::X},
                                        {20, ChampsInsertion::Y},
                                        {30, ChampsInsertion::Z},
                                        {41, ChampsInsertion::EchelleX},
                                        {42, ChampsInsertion::EchelleY},
                                        {43, ChampsInsertion::EchelleZ},
                                        {50, ChampsInsertion::Rotation},
                                        {70, ChampsInsertion::Colonnes},
                                        {71, ChampsInsertion::Rangees},
                                        {44, ChampsInsertion::EcartColonnes},
                                        {45, ChampsInsertion::EcartRangees},
                                        {210, ChampsInsertion::NX},
                                        {220, ChampsInsertion::NY},
                                        {230, ChampsInsertion::NZ}};

constexpr std::size_t MaxChamps = 16;

template <std::size_t N>
const Champ* ChercheChamp(const Champ (&champs)[N], int32_t code) {
    for (const Champ& c : champs)
        if (c.code == code) return &c;
    return nullptr;
}

// Past this many different names, further ones name no block: a file cannot make the
// reader keep millions of names.
constexpr std::size_t MaxNoms = 1'000'000;
constexpr uint32_t NomInconnu = std::numeric_limits<uint32_t>::max();

// What a POLYLINE's VERTEX entities attach to.
struct PolyligneOuverte {
    std::vector<EntiteDXF>* entites = nullptr;  // none: the vertices are left out
    std::size_t index = 0;
};

class Lecteur {
public:
    Lecteur(std::string_view texte, const LimitesDXF& limites, DocumentDXF& doc)
        : f_(texte), limites_(limites), doc_(doc), maxValeurs_(3 * limites.MaxPoints + 4096) {}
    Lecteur(LectureParBlocs& source, std::string debut, const LimitesDXF& limites, DocumentDXF& doc)
        : f_(source, std::move(debut)), limites_(limites), doc_(doc), maxValeurs_(3 * limites.MaxPoints + 4096) {}

    void Lit() {
        while (!f_.Fin() && !doc_.Tronque) {
            if (f_.EstMarque("EOF")) {
                doc_.FinTrouvee = true;
                break;
            }
            // A section is a "0" SECTION pair followed by a "2" pair naming it; nothing else
            // (a layer, a block or a text that happens to read BLOCKS) opens one.
            if (!f_.EstMarque("SECTION")) {
                f_.Avance();
                continue;
            }
            ++doc_.NbSections;
            f_.Avance();
            if (f_.Fin() || !f_.Code() || *f_.Code() != 2) continue;
            const std::string_view nom = SansBlancs(f_.Valeur());
            const bool blocs = LigneEgale(nom, "BLOCKS"), entites = LigneEgale(nom, "ENTITIES");
            f_.Avance();
            if (blocs)
                LitSectionBlocs();
            else if (entites)
                LitEntites(Fin::Section, doc_.Entites);
        }
        doc_.NbLignes = f_.Lignes();
        doc_.LigneCodeIllisible = f_.PremiereLigneIllisible();
    }

private:
    Paires f_;
    const LimitesDXF& limites_;
    DocumentDXF& doc_;
    std::size_t maxValeurs_;
    std::size_t nbEntites_ = 0;
    std::unordered_map<std::string, uint32_t> idNoms_;
    std::string nom_;
    // Runs of values of the entity being read, kept between entities for their capacity.
    std::vector<double> sommets_, noeuds_, poids_, controles_, lissage_;

    uint32_t IdNom(std::string_view texte) {
        texte = SansBlancs(texte);
        nom_.assign(texte);
        for (char& c : nom_) c = Majuscule(c);
        const auto it = idNoms_.find(nom_);
        if (it != idNoms_.end()) return it->second;
        if (doc_.Noms.size() >= MaxNoms) return NomInconnu;
        const auto id = static_cast<uint32_t>(doc_.Noms.size());
        doc_.Noms.push_back(nom_);
        idNoms_.emplace(nom_, id);
        return id;
    }

    // Room for one more entity of n values; past the bounds the reading stops.
    bool Place(std::size_t n) {
        if (nbEntites_ >= limites_.MaxEntites || doc_.Valeurs.size() + n > maxValeurs_) {
            doc_.Tronque = true;
            return false;
        }
        return true;
    }

    void Ajoute(std::vector<EntiteDXF>& dest, TypeDXF type, const double* v, std::size_t n) {
        if (!Place(n)) return;
        ++nbEntites_;
        dest.push_back({type, static_cast<uint32_t>(n), doc_.Valeurs.size()});
        doc_.Valeurs.insert(doc_.Valeurs.end(), v, v + n);
    }

    // True when the "0" pair in front closes what is being read.
    bool EstFin(Fin fin) const {
        if (f_.EstMarque("ENDSEC") || f_.EstMarque("SECTION") || f_.EstMarque("EOF")) return true;
        return fin == Fin::Bloc && (f_.EstMarque("ENDBLK") || f_.EstMarque("BLOCK"));
    }

    // The pairs of the entity whose keyword was just passed, up to the next "0" pair or to
    // a code line that is not a number (left for the entity loop). Calls lit(code, value)
    // for each; false when the entity lies in paper space.
    template <class F>
    bool PairesEntite(F&& lit) {
        bool papier = false;
        for (; !f_.Fin(); f_.Avance()) {
            const auto& code = f_.Code();
            if (!code || *code == 0) break;
            if (*code == 67) {
                double v = 0.0;
                papier = LitNombreDXF(f_.Valeur(), v) && v == 1.0;
            } else {
                lit(*code, f_.Valeur());
            }
        }
        return !papier;
    }

    // A fixed layout: each known code fills its slot; an unreadable value leaves the default.
    template <std::size_t N>
    bool LitChamps(const Champ (&champs)[N], double* v) {
        return PairesEntite([&](int32_t code, std::string_view texte) {
            if (const Champ* c = ChercheChamp(champs, code)) LitNombreDXF(texte, v[c->index]);
        });
    }

    void LitEntites(Fin fin, std::vector<EntiteDXF>& dest) {
        PolyligneOuverte polyligne;
        while (!f_.Fin() && !doc_.Tronque) {
            const auto& code = f_.Code();
            if (!code || *code != 0) {
                f_.Avance();
                continue;
            }
            if (EstFin(fin)) return;
            const Mot mot = MotEntite(f_.Valeur());
            f_.Avance();
            if (mot == Mot::Sommet) {
                LitSommet(polyligne);
                continue;
            }
            // Anything but a VERTEX, SEQEND included, ends the vertices of a POLYLINE.
            polyligne = {};
            if (mot != Mot::Autre) LitEntite(mot, dest, polyligne);
        }
    }

    void LitEntite(Mot mot, std::vector<EntiteDXF>& dest, PolyligneOuverte& polyligne) {
        double v[MaxChamps] = {};
        switch (mot) {
            case Mot::Ligne:
                if (LitChamps(ChampsLigneDXF, v)) Ajoute(dest, TypeDXF::Ligne, v, ChampsLigne::Nombre);
                break;
            case Mot::Arc:
            case Mot::Cercle:
                v[ChampsArc::NZ] = 1.0;
                if (LitChamps(ChampsArcDXF, v)) {
                    if (mot == Mot::Arc)
                        Ajoute(dest, TypeDXF::Arc, v, ChampsArc::Nombre);
                    else
                        Ajoute(dest, TypeDXF::Cercle, v, ChampsArc::Debut);
                }
                break;
            case Mot::Ellipse:
                v[ChampsEllipse::Rapport] = 1.0;
                v[ChampsEllipse::Fin] = 2.0 * Pi;
                v[ChampsEllipse::NZ] = 1.0;
                if (LitChamps(ChampsEllipseDXF, v)) Ajoute(dest, TypeDXF::Ellipse, v, ChampsEllipse::Nombre);
                break;
            case Mot::Polyligne:
                v[ChampsPolyligne::NZ] = 1.0;
                // The header's own point is optional; its vertices are its own all the same.
                if (LitChamps(ChampsPolyligneDXF, v)) {
                    Ajoute(dest, TypeDXF::Polyligne, v, ChampsPolyligne::Nombre);
                    if (!doc_.Tronque) polyligne = {&dest, dest.size() - 1};
                }
                break;
            case Mot::PolyligneLegere: LitPolyligneLegere(dest); break;
            case Mot::Spline: LitSpline(dest); break;
            case Mot::Insertion:
                v[ChampsInsertion::EchelleX] = v[ChampsInsertion::EchelleY] = v[ChampsInsertion::EchelleZ] = 1.0;
                v[ChampsInsertion::Colonnes] = v[ChampsInsertion::Rangees] = 1.0;
                v[ChampsInsertion::NZ] = 1.0;
                v[ChampsInsertion::Nom] = NomInconnu;
                if (PairesEntite([&](int32_t code, std::string_view texte) {
                        if (code == 2)
                            v[ChampsInsertion::Nom] = IdNom(texte);
                        else if (const Champ* c = ChercheChamp(ChampsInsertionDXF, code))
                            LitNombreDXF(texte, v[c->index]);
                    }))
                    Ajoute(dest, TypeDXF::Insertion, v, ChampsInsertion::Nombre);
                break;
            case Mot::Cote:
                v[ChampsCote::Nom] = NomInconnu;
                if (PairesEntite([&](int32_t code, std::string_view texte) {
                        if (code == 2) v[ChampsCote::Nom] = IdNom(texte);
                    }))
                    Ajoute(dest, TypeDXF::Cote, v, ChampsCote::Nombre);
                break;
            case Mot::Sommet:
            case Mot::Autre: break;
        }
    }

    // A VERTEX joins the POLYLINE in front of it, whose values end the array; a value that
    // cannot be read keeps the one of the vertex before.
    void LitSommet(const PolyligneOuverte& polyligne) {
        double v[ChampsSommet::Nombre] = {};
        bool lu[ChampsSommet::Nombre];
        std::fill(std::begin(lu), std::end(lu), true);
        const bool garde = PairesEntite([&](int32_t code, std::string_view texte) {
            if (const Champ* c = ChercheChamp(ChampsSommetDXF, code)) lu[c->index] = LitNombreDXF(texte, v[c->index]);
        });
        if (!garde || !polyligne.entites) return;
        EntiteDXF& poly = (*polyligne.entites)[polyligne.index];
        if (doc_.Valeurs.size() + ChampsSommet::Nombre > maxValeurs_) {
            doc_.Tronque = true;
            return;
        }
        if (poly.Nombre >= ChampsPolyligne::Nombre + ChampsSommet::Nombre) {
            const double* avant = doc_.Valeurs.data() + doc_.Valeurs.size() - ChampsSommet::Nombre;
            for (std::size_t i = 0; i < ChampsSommet::Nombre; ++i)
                if (!lu[i]) v[i] = avant[i];
        }
        doc_.Valeurs.insert(doc_.Valeurs.end(), v, v + ChampsSommet::Nombre);
        poly.Nombre += ChampsSommet::Nombre;
    }

    // A point of a run of triples: a "10" starts the next one, its "20" and "30" follow.
    // An unreadable value keeps the one of the point before.
    static void Coordonnee(std::vector<double>& points, std::size_t pas, std::size_t axe, std::string_view texte) {
        if (axe == 0) {
            points.resize(points.size() + pas, 0.0);
        } else if (points.empty()) {
            return;
        }
        double& v = points[points.size() - pas + axe];
        if (!LitNombreDXF(texte, v)) v = points.size() >= 2 * pas ? points[points.size() - 2 * pas + axe] : 0.0;
    }

    void LitPolyligneLegere(std::vector<EntiteDXF>& dest) {
        double v[ChampsPolyligne::Nombre] = {};
        v[ChampsPolyligne::NZ] = 1.0;
        sommets_.clear();
        const bool garde = PairesEntite([&](int32_t code, std::string_view texte) {
            if (code == 10 || code == 20)
                Coordonnee(sommets_, ChampsSommetLeger::Nombre,
                           code == 10 ? ChampsSommetLeger::X : ChampsSommetLeger::Y, texte);
            else if (code == 42 && !sommets_.empty())
                LitNombreDXF(texte,
                             sommets_[sommets_.size() - ChampsSommetLeger::Nombre + ChampsSommetLeger::Renflement]);
            else if (const Champ* c = ChercheChamp(ChampsLegereDXF, code))
                LitNombreDXF(texte, v[c->index]);
        });
        if (!garde || !Place(ChampsPolyligne::Nombre + sommets_.size())) return;
        Ajoute(dest, TypeDXF::PolyligneLegere, v, ChampsPolyligne::Nombre);
        dest.back().Nombre += static_cast<uint32_t>(sommets_.size());
        doc_.Valeurs.insert(doc_.Valeurs.end(), sommets_.begin(), sommets_.end());
    }

    void LitSpline(std::vector<EntiteDXF>& dest) {
        double v[ChampsSpline::Nombre] = {};
        noeuds_.clear();
        poids_.clear();
        controles_.clear();
        lissage_.clear();
        int tangentes = 0;
        const bool garde = PairesEntite([&](int32_t code, std::string_view texte) {
            switch (code) {
                case 40:
                case 41: {
                    // An unreadable knot or weight spoils the whole list, which is then not used.
                    double x = 0.0;
                    if (!LitNombreDXF(texte, x)) x = std::numeric_limits<double>::quiet_NaN();
                    (code == 40 ? noeuds_ : poids_).push_back(x);
                    break;
                }
                case 10:
                case 20:
                case 30: Coordonnee(controles_, 3, static_cast<std::size_t>(code / 10 - 1), texte); break;
                case 11:
                case 21:
                case 31: Coordonnee(lissage_, 3, static_cast<std::size_t>(code / 10 - 1), texte); break;
                default:
                    if (const Champ* c = ChercheChamp(ChampsSplineDXF, code)) {
                        LitNombreDXF(texte, v[c->index]);
                        if (code % 10 == 2) tangentes |= 1;
                        if (code % 10 == 3) tangentes |= 2;
                    }
            }
        });
        v[ChampsSpline::NbNoeuds] = static_cast<double>(noeuds_.size());
        v[ChampsSpline::NbPoids] = static_cast<double>(poids_.size());
        v[ChampsSpline::NbControles] = static_cast<double>(controles_.size() / 3);
        v[ChampsSpline::NbLissage] = static_cast<double>(lissage_.size() / 3);
        v[ChampsSpline::Tangentes] = tangentes;
        const std::size_t n =
            ChampsSpline::Nombre + noeuds_.size() + poids_.size() + controles_.size() + lissage_.size();
        if (!garde || !Place(n)) return;
        Ajoute(dest, TypeDXF::Spline, v, ChampsSpline::Nombre);
        dest.back().Nombre = static_cast<uint32_t>(n);
        for (const std::vector<double>* t : {&noeuds_, &poids_, &controles_, &lissage_})
            doc_.Valeurs.insert(doc_.Valeurs.end(), t->begin(), t->end());
    }

    // The BLOCK record in front gives the name (its first group code 2) and the base point;
    // its entities follow up to ENDBLK. A block without a name is not kept.
    void LitBloc() {
        BlocDXF b;
        bool nomme = false;
        for (; !f_.Fin(); f_.Avance()) {
            const auto& code = f_.Code();
            if (code && *code == 0) break;
            if (!code) continue;
            if (*code == 2 && !nomme) {
                b.Nom = IdNom(f_.Valeur());
                nomme = true;
            } else if (*code == 10) {
                LitNombreDXF(f_.Valeur(), b.BaseX);
            } else if (*code == 20) {
                LitNombreDXF(f_.Valeur(), b.BaseY);
            } else if (*code == 30) {
                LitNombreDXF(f_.Valeur(), b.BaseZ);
            }
        }
        LitEntites(Fin::Bloc, b.Entites);
        if (nomme && b.Nom != NomInconnu) doc_.Blocs.push_back(std::move(b));
        if (f_.EstMarque("ENDBLK")) f_.Avance();
    }

    void LitSectionBlocs() {
        while (!f_.Fin() && !doc_.Tronque) {
            if (f_.EstMarque("BLOCK")) {
                f_.Avance();
                LitBloc();
                continue;
            }
            if (f_.EstMarque("ENDSEC") || f_.EstMarque("SECTION") || f_.EstMarque("EOF")) return;
            f_.Avance();
        }
    }
};

}  // namespace

bool LitNombreDXF(std::string_view texte, double& valeur) {
    texte = SansBlancs(texte);
    // Sign, digits with one decimal separator, an optional exponent: nothing else, so that
    // words such as INF or NAN are not numbers.
    char tampon[64];
    std::size_t n = 0;
    std::size_t i = 0;
    const auto ajoute = [&](char c) {
        if (n < sizeof tampon) tampon[n] = c;
        ++n;
    };
    if (i < texte.size() && (texte[i] == '+' || texte[i] == '-')) {
        if (texte[i] == '-') ajoute('-');
        ++i;
    }
    bool chiffres = false, separateur = false;
    for (; i < texte.size(); ++i) {
        const char c = texte[i];
        if (c >= '0' && c <= '9') {
            chiffres = true;
            ajoute(c);
        } else if ((c == '.' || c == ',') && !separateur) {
            separateur = true;
            ajoute('.');
        } else {
            break;
        }
    }
    if (!chiffres) return false;
    bool exposantNegatif = false;
    if (i < texte.size() && (texte[i] == 'E' || texte[i] == 'e')) {
        ajoute('e');
        ++i;
        if (i < texte.size() && (texte[i] == '+' || texte[i] == '-')) {
            exposantNegatif = texte[i] == '-';
            ajoute(texte[i++]);
        }
        bool exposant = false;
        for (; i < texte.size() && texte[i] >= '0' && texte[i] <= '9'; ++i) {
            exposant = true;
            ajoute(texte[i]);
        }
        if (!exposant) return false;
    }
    if (i != texte.size()) return false;
    double v = 0.0;
    std::string long_;
    const char* debut = tampon;
    if (n > sizeof tampon) {
        // Hundreds of digits: rare enough to take the slow way.
        long_.assign(texte.substr(texte.front() == '+' ? 1 : 0));
        std::replace(long_.begin(), long_.end(), ',', '.');
        debut = long_.data();
        n = long_.size();
    }
    const auto [p, ec] = std::from_chars(debut, debut + n, v);
    if (ec == std::errc::result_out_of_range) {
        // Too small reads as zero, too large as an infinity that no entity survives.
        v = exposantNegatif ? 0.0 : std::numeric_limits<double>::infinity();
        if (debut[0] == '-') v = -v;
    } else if (ec != std::errc() || p != debut + n) {
        return false;
    }
    valeur = v;
    return true;
}

DocumentDXF LireDXFTexte(std::string_view texte, const LimitesDXF& limites) {
    DocumentDXF doc;
    Lecteur(texte, limites, doc).Lit();
    return doc;
}

DocumentDXF LireDXFParBlocs(LectureParBlocs& source, std::string debut, const LimitesDXF& limites) {
    DocumentDXF doc;
    Lecteur(source, std::move(debut), limites, doc).Lit();
    return doc;
}

std::optional<DocumentDXF> LireDXF(const std::string& chemin, const LimitesDXF& limites) {
    LectureParBlocs source(chemin);
    if (!source.Ouvert()) return std::nullopt;
    DocumentDXF doc = LireDXFParBlocs(source, {}, limites);
    if (source.EnEchec()) return std::nullopt;
    return doc;
}

}  // namespace korvelin
