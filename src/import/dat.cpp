#include "import/dat.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "import/diagnostic.h"
#include "import/limites.h"
#include "model/nombres.h"
#include "platform/fichier.h"

namespace korvelin {

namespace {

struct PointDAT {
    double x, y;
};

enum class Genre { Donnees, Autre, Blanche };

// A data line is "X Y": cut at its first blank, both parts holding a decimal point, the X
// part a number and the Y part starting with one. The values are read the lenient way
// (a third column still runs into Y), but a line of letters that happens to hold two dots
// is not a point at (0, 0).
Genre Classe(std::string_view ligne, PointDAT& p) {
    if (ligne.find_first_not_of(" \t") == std::string_view::npos) return Genre::Blanche;
    const std::size_t blanc = ligne.find(' ');
    if (blanc == std::string_view::npos) return Genre::Autre;
    const std::string_view x = ligne.substr(0, blanc + 1), y = ligne.substr(blanc + 1);
    if (x.find('.') == std::string_view::npos || y.find('.') == std::string_view::npos) return Genre::Autre;
    if (!LectureLocale(x) || !LectureLocale(y.substr(0, y.find_first_of(" \t")))) return Genre::Autre;
    p = PointDAT{LecturePlain(x), LecturePlain(y)};
    return Genre::Donnees;
}

enum class Verdict { Bon, Inexploitable, Vide, HorsLimites };

struct Analyse {
    Verdict verdict = Verdict::Inexploitable;
    MesureDAT mesure;
    std::size_t ligneFautive = 0;  // the line that made the file unusable, 0 for none
    std::size_t nbLignes = 0;
};

// Walks the lines (ended by CR LF, or by LF alone as files written here have them); text
// after the last line end is not a line.
Analyse Mesure(std::string_view texte, std::vector<std::pair<double, double>>* points) {
    Analyse r;
    MesureDAT& m = r.mesure;
    std::size_t debut = 0, numero = 0, autres = 0, premiereAutre = 0;
    // At most one point a line: reserved once, the array is never copied as it grows.
    if (points) points->reserve(static_cast<std::size_t>(std::count(texte.begin(), texte.end(), '\n')));
    for (std::size_t fin = texte.find('\n'); fin != std::string_view::npos; fin = texte.find('\n', debut)) {
        std::string_view ligne = texte.substr(debut, fin - debut);
        debut = fin + 1;
        ++numero;
        if (!ligne.empty() && ligne.back() == '\r') ligne.remove_suffix(1);
        PointDAT lu;
        const Genre genre = Classe(ligne, lu);
        if (genre == Genre::Autre && autres++ == 0) premiereAutre = numero;
        if (genre != Genre::Donnees) continue;
        if (!CoordonneeUtilisable(lu.x) || !CoordonneeUtilisable(lu.y)) {
            r.verdict = Verdict::HorsLimites;
            r.ligneFautive = numero;
            return r;
        }
        if (m.NbPoints == 0) {
            m.Xmin = m.Xmax = lu.x;
            m.Ymin = m.Ymax = lu.y;
        } else {
            if (lu.x < m.Xmin) m.Xmin = lu.x;
            if (lu.x > m.Xmax) m.Xmax = lu.x;
            if (lu.y < m.Ymin) m.Ymin = lu.y;
            if (lu.y > m.Ymax) m.Ymax = lu.y;
        }
        if (m.NbPoints == INT32_MAX - 1) {
            r.verdict = Verdict::HorsLimites;
            r.ligneFautive = numero;
            return r;
        }
        ++m.NbPoints;
        if (points) points->emplace_back(lu.x, lu.y);
    }
    r.nbLignes = numero;
    // A header or a comment among the points is usual; a file mostly made of other lines
    // is not a point file, whatever few lines happen to look like points.
    if (m.NbPoints == 0 || autres > static_cast<std::size_t>(m.NbPoints)) {
        r.verdict = Verdict::Inexploitable;
        r.ligneFautive = premiereAutre;
    } else if (m.Xmax == m.Xmin && m.Ymax == m.Ymin)
        r.verdict = Verdict::Vide;
    else
        r.verdict = Verdict::Bon;
    return r;
}

// The verdict as the refusal it gives; nothing for a good file.
std::optional<Diagnostic> Signale(std::string_view nom, const Analyse& a) {
    switch (a.verdict) {
        case Verdict::Bon: return std::nullopt;
        case Verdict::Inexploitable:
            if (a.ligneFautive != 0)
                return Refus(nom, Inexploitable, a.ligneFautive,
                             "elle ne porte pas deux nombres décimaux séparés par une espace, comme « 12.5 30.25 »");
            return Refus(nom, Inexploitable, 0,
                         a.nbLignes == 0
                             ? std::string("il ne contient aucune ligne complète")
                             : "aucune de ses " + TexteEntier(a.nbLignes) + " lignes ne porte deux nombres décimaux");
        case Verdict::Vide:
            return Refus(nom, Vide, 0, "ses " + TexteEntier(a.mesure.NbPoints) + " points sont tous au même endroit");
        case Verdict::HorsLimites:
            return Refus(nom, Inexploitable, a.ligneFautive, "elle porte une coordonnée hors limites");
    }
    return std::nullopt;
}

}  // namespace

DessinLu LitDAT(std::string_view texte, std::string_view nomFichier, MesureDAT* mesure) {
    DessinLu l;
    const Analyse a = Mesure(texte, &l.Coordonnees);
    if (std::optional<Diagnostic> refus = Signale(nomFichier, a)) return RefusLu(std::move(*refus));
    const MesureDAT& m = a.mesure;
    if (mesure) *mesure = m;
    l.Bornes = {m.Xmin, m.Xmax, m.Ymin, m.Ymax};
    return l;
}

DessinLu LitFichierDAT(const std::string& chemin, MesureDAT* mesure) {
    const auto texte = LireFichier(chemin);
    if (!texte) return RefusLu(Erreur("Impossible de lire le fichier « " + chemin + " ».", chemin));
    return LitDAT(*texte, chemin, mesure);
}

}  // namespace korvelin
