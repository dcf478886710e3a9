#include "import/projet.h"

#include <algorithm>
#include <optional>

#include "import/diagnostic.h"
#include "model/nombres.h"
#include "import/limites.h"
#include "model/ligne_projet.h"
#include "model/noms_fichiers.h"
#include "platform/fichier.h"

namespace korvelin {

namespace {

constexpr std::size_t LargeurReglage = 60;

bool EstLigneReglage(std::string_view ligne) { return ligne.size() >= 2 && ligne[0] == '$' && ligne[1] == '$'; }

// Characters as the user sees them: code points of UTF-8 text, bytes of anything else.
std::size_t NombreCaracteres(std::string_view texte) {
    if (!EstUtf8Valide(texte)) return texte.size();
    std::size_t n = 0;
    for (const char c : texte)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
    return n;
}

PointTrace PointBorne(std::string_view ligne) {
    PointTrace p = LireLignePointProjet(ligne);
    p.X = static_cast<float>(CoordonneeBornee(p.X));
    p.Y = static_cast<float>(CoordonneeBornee(p.Y));
    return p;
}

struct LecturePoints {
    std::vector<PointTrace> points;
    bool tropDePoints = false;
    std::size_t ligneFautive = 0;  // first point line not laid out as the writer does, from 1
};

LecturePoints PointsDuTexte(std::string_view texte) {
    LecturePoints r;
    std::size_t numero = 0;
    PourChaqueLigne(texte, [&](std::string_view ligne) {
        ++numero;
        if (EstLigneReglage(ligne)) return true;
        if (!LignePointProjetConforme(ligne)) {
            r.ligneFautive = numero;
            return false;
        }
        if (r.points.size() >= MaxPointsImport) {
            r.tropDePoints = true;
            return false;
        }
        r.points.push_back(PointBorne(ligne));
        return true;
    });
    return r;
}

// The checks of the first pass on points already read, and the bounds when they pass.
DessinLu Mesure(std::string_view nom, LecturePoints lu) {
    if (lu.tropDePoints)
        return RefusLu(Refus(nom, MessageTropDePoints, 0, "au-delà, le dessin ne tient plus en mémoire"));
    if (lu.ligneFautive != 0)
        return RefusLu(Refus(nom, Inexploitable, lu.ligneFautive,
                             "ce n'est pas une ligne de points (deux nombres en colonnes de 15 caractères, "
                             "la plume et la séquence)"));
    if (lu.points.empty())
        return RefusLu(
            Refus(nom, Inexploitable, 0, "il ne contient aucune ligne de points, seulement des réglages « $$ »"));
    double xmin = lu.points[0].X, xmax = xmin, ymin = lu.points[0].Y, ymax = ymin;
    for (const PointTrace& p : lu.points) {
        if (p.X < xmin) xmin = p.X;
        if (p.X > xmax) xmax = p.X;
        if (p.Y < ymin) ymin = p.Y;
        if (p.Y > ymax) ymax = p.Y;
    }
    if (xmax == xmin && ymax == ymin)
        return RefusLu(
            Refus(nom, Vide, 0, "ses " + TexteEntier(lu.points.size()) + " points sont tous au même endroit"));
    DessinLu l;
    l.Points = std::move(lu.points);
    l.Bornes = {xmin, xmax, ymin, ymax};
    return l;
}

}  // namespace

std::string LigneReglageProjet(std::string_view texte) {
    std::string ligne = "$$";
    ligne.append(texte);
    const std::size_t n = NombreCaracteres(texte);
    if (n < LargeurReglage) ligne.append(LargeurReglage - n, ' ');
    return ligne;
}

DessinLu LitProjet(std::string_view texte, std::string_view nomFichier) {
    return Mesure(nomFichier, PointsDuTexte(texte));
}

DessinLu LitFichierProjet(const std::string& chemin) {
    const std::optional<std::string> texte = LireFichier(chemin);
    if (!texte) return RefusLu(Erreur("Impossible de lire le fichier " + chemin, chemin));
    return LitProjet(*texte, chemin);
}

}  // namespace korvelin
