#include "import/projet.h"

#include <sys/stat.h>

#include <algorithm>
#include <fstream>

#include "import/diagnostic.h"
#include "model/nombres.h"
#include "import/calculs_contexte.h"
#include "import/limites.h"
#include "model/ligne_projet.h"
#include "model/noms_fichiers.h"
#include "platform/fichier.h"
#include "settings/magasin.h"

namespace korvelin {

namespace {

constexpr std::size_t LargeurReglage = 60;

bool EstLigneReglage(std::string_view ligne) {
    return ligne.size() >= 2 && ligne[0] == '$' && ligne[1] == '$';
}

bool EstVideApresEspaces(std::string_view texte) {
    return texte.find_first_not_of(" \t") == std::string_view::npos;
}

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

// The checks of the first pass on points already read; sets the bounds when they pass.
bool Mesure(Contexte& ctx, const LecturePoints& lu) {
    if (lu.tropDePoints)
        return Refuse(ctx, MessageTropDePoints, 0, "au-delà, le dessin ne tient plus en mémoire");
    if (lu.ligneFautive != 0)
        return Refuse(ctx, Inexploitable, lu.ligneFautive,
                      "ce n'est pas une ligne de points (deux nombres en colonnes de 15 caractères, la plume "
                      "et la séquence)");
    if (lu.points.empty())
        return Refuse(ctx, Inexploitable, 0, "il ne contient aucune ligne de points, seulement des réglages « $$ »");
    double xmin = lu.points[0].X, xmax = xmin, ymin = lu.points[0].Y, ymax = ymin;
    for (const PointTrace& p : lu.points) {
        if (p.X < xmin) xmin = p.X;
        if (p.X > xmax) xmax = p.X;
        if (p.Y < ymin) ymin = p.Y;
        if (p.Y > ymax) ymax = p.Y;
    }
    if (xmax == xmin && ymax == ymin)
        return Refuse(ctx, Vide, 0, "ses " + TexteEntier(lu.points.size()) + " points sont tous au même endroit");
    Dessin& d = ctx.dessin;
    d.Xmin = xmin;
    d.Xmax = xmax;
    d.Ymin = ymin;
    d.Ymax = ymax;
    return true;
}

std::optional<std::string> LireOuDire(Contexte& ctx, const std::string& chemin) {
    std::optional<std::string> texte = LireFichier(chemin);
    if (!texte)
        ctx.ui->Message("Impossible de lire le fichier " + chemin, TitreProgramme,
                        Icone::Critique);
    return texte;
}

// The settings block of a project that is made from another drawing: every line of the
// INI file, blank lines and the section header included.
std::string ReglagesDepuisIni(const Contexte& ctx) {
    std::string bloc;
    if (ctx.CheminIni.empty()) return bloc;
    const std::optional<std::string> ini = LireFichier(ctx.CheminIni);
    if (!ini) return bloc;
    PourChaqueLigne(SansMarqueUtf8(*ini), [&](std::string_view ligne) {
        bloc += LigneReglageProjet(ligne);
        bloc += "\r\n";
        return true;
    });
    return bloc;
}

// The "$$" lines of an existing project, in their order.
std::string ReglagesDepuisProjet(std::string_view projet) {
    std::string bloc;
    PourChaqueLigne(projet, [&](std::string_view ligne) {
        if (EstLigneReglage(ligne)) {
            bloc += LigneReglageProjet(ligne.substr(2));
            bloc += "\r\n";
        }
        return true;
    });
    return bloc;
}

}  // namespace

std::string LigneReglageProjet(std::string_view texte) {
    std::string ligne = "$$";
    ligne.append(texte);
    const std::size_t n = NombreCaracteres(texte);
    if (n < LargeurReglage) ligne.append(LargeurReglage - n, ' ');
    return ligne;
}

bool AnalyseProjetTexte(Contexte& ctx, std::string_view texte) {
    return Mesure(ctx, PointsDuTexte(texte));
}

bool AnalyseProjet(Contexte& ctx, const std::string& chemin) {
    const std::optional<std::string> texte = LireOuDire(ctx, chemin);
    return texte && AnalyseProjetTexte(ctx, *texte);
}

bool LectureProjetTexte(Contexte& ctx, std::string_view texte, const std::string& chemin) {
    ctx.parametres.RapportH = 1.0;
    ctx.parametres.RapportV = 1.0;
    LecturePoints lu = PointsDuTexte(texte);
    if (!Mesure(ctx, lu)) return false;

    ctx.ui->DialogueDimension(ctx);

    // Coordinates are stored as read: a project holds millimetres already.
    Dessin& d = ctx.dessin;
    d.Trace_Initial = std::move(lu.points);
    d.NbPoints = static_cast<int32_t>(d.Trace_Initial.size());
    d.Trace_Decale.assign(1, SequenceDecalee{});

    if (!chemin.empty()) {
        // The settings store reads the open project's "$$" lines from here on.
        d.NomFichier = chemin;
        d.FichierProjet = chemin;
    }
    ChargeReglagesProjet(ctx);

    CalculDecalageTout(ctx);
    return true;
}

bool LectureProjet(Contexte& ctx, const std::string& chemin) {
    if (chemin.empty()) return false;
    const std::optional<std::string> texte = LireOuDire(ctx, chemin);
    return texte && LectureProjetTexte(ctx, *texte, chemin);
}

bool EnregistreProjetSous(Contexte& ctx, const std::string& chemin) {
    const Dessin& d = ctx.dessin;
    std::string contenu;
    bool reglagesDuProjet = false;
    if (!EstVideApresEspaces(d.FichierProjet)) {
        // Keep the old file as the backup before it is replaced; the settings come from
        // the open project, which is the file being replaced unless the name changed.
        if (const std::optional<std::string> ancien = LireFichier(chemin))
            CopieDeSecoursProjet(ctx, chemin, *ancien);
        if (const std::optional<std::string> projet = LireFichier(d.FichierProjet)) {
            contenu = ReglagesDepuisProjet(*projet);
            reglagesDuProjet = true;
        }
    }
    if (!reglagesDuProjet) contenu = ReglagesDepuisIni(ctx);
    contenu += TextePointsProjet(d);

    if (!EcrireFichierAtomique(chemin, contenu)) {
        ctx.ui->Message("Impossible d'écrire le fichier " + chemin, TitreProgramme,
                        Icone::Critique);
        return false;
    }
    return true;
}

bool EnregistreProjet(Contexte& ctx) {
    const std::string chemin = CheminProjet(ctx.dessin.NomFichier);
    if (!EnregistreProjetSous(ctx, chemin)) return false;
    ctx.dessin.NomFichier = chemin;
    return true;
}

}  // namespace korvelin
