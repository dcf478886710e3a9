#include "import/dat.h"

#include <optional>
#include <vector>

#include "geometry/decalage.h"
#include "import/mise_a_echelle.h"
#include "model/listes.h"
#include "model/nombres.h"
#include "platform/fichier.h"

namespace korvelin {

namespace {

struct PointDAT {
    double x, y;
};

// A data line is "X Y": cut at its first blank, both parts holding a decimal point.
std::optional<PointDAT> LigneDonnees(std::string_view ligne) {
    const std::size_t blanc = ligne.find(' ');
    if (blanc == std::string_view::npos) return std::nullopt;
    const std::string_view x = ligne.substr(0, blanc + 1), y = ligne.substr(blanc + 1);
    if (x.find('.') == std::string_view::npos || y.find('.') == std::string_view::npos) return std::nullopt;
    return PointDAT{LecturePlain(x), LecturePlain(y)};
}

enum class Verdict { Bon, Inexploitable, Vide, HorsLimites };

struct Analyse {
    Verdict verdict = Verdict::Inexploitable;
    MesureDAT mesure;
    std::size_t ligneHorsLimites = 0;
};

// Walks the lines (ended by CR LF, or by LF alone as files written here have them); text
// after the last line end is not a line.
Analyse Mesure(std::string_view texte, std::vector<PointDAT>* points) {
    Analyse r;
    MesureDAT& m = r.mesure;
    std::size_t debut = 0, numero = 0;
    for (std::size_t fin = texte.find('\n'); fin != std::string_view::npos; fin = texte.find('\n', debut)) {
        std::string_view ligne = texte.substr(debut, fin - debut);
        debut = fin + 1;
        ++numero;
        if (!ligne.empty() && ligne.back() == '\r') ligne.remove_suffix(1);
        const auto p = LigneDonnees(ligne);
        if (!p) continue;
        if (!CoordonneeUtilisable(p->x) || !CoordonneeUtilisable(p->y)) {
            r.verdict = Verdict::HorsLimites;
            r.ligneHorsLimites = numero;
            return r;
        }
        if (m.NbPoints == 0) {
            m.Xmin = m.Xmax = p->x;
            m.Ymin = m.Ymax = p->y;
        } else {
            if (p->x < m.Xmin) m.Xmin = p->x;
            if (p->x > m.Xmax) m.Xmax = p->x;
            if (p->y < m.Ymin) m.Ymin = p->y;
            if (p->y > m.Ymax) m.Ymax = p->y;
        }
        if (m.NbPoints == INT32_MAX - 1) {
            r.verdict = Verdict::HorsLimites;
            r.ligneHorsLimites = numero;
            return r;
        }
        ++m.NbPoints;
        if (points) points->push_back(*p);
    }
    if (m.NbPoints == 0)
        r.verdict = Verdict::Inexploitable;
    else if (m.Xmax == m.Xmin && m.Ymax == m.Ymin)
        r.verdict = Verdict::Vide;
    else
        r.verdict = Verdict::Bon;
    return r;
}

bool Signale(Contexte& ctx, const Analyse& a) {
    switch (a.verdict) {
        case Verdict::Bon:
            return true;
        case Verdict::Inexploitable:
            ctx.ui->Message("Fichier inexploitable !", TitreProgramme, Icone::Critique);
            break;
        case Verdict::Vide:
            ctx.ui->Message("Fichier vide !", TitreProgramme, Icone::Critique);
            break;
        case Verdict::HorsLimites:
            ctx.ui->Message("Fichier inexploitable ! La ligne " + std::to_string(a.ligneHorsLimites) +
                                " porte une coordonnée hors limites.",
                            TitreProgramme, Icone::Critique);
            break;
    }
    return false;
}

void SignaleIllisible(Contexte& ctx, const std::string& chemin) {
    ctx.ui->Message("Impossible de lire le fichier « " + chemin + " ».", TitreProgramme, Icone::Critique);
}

}  // namespace

bool AnalyseTexteDAT(Contexte& ctx, std::string_view texte, MesureDAT* mesure) {
    const Analyse a = Mesure(texte, nullptr);
    if (!Signale(ctx, a)) return false;
    if (mesure) *mesure = a.mesure;
    return true;
}

bool AnalyseDAT(Contexte& ctx, const std::string& chemin, MesureDAT* mesure) {
    const auto texte = LireFichier(chemin);
    if (!texte) {
        SignaleIllisible(ctx, chemin);
        return false;
    }
    return AnalyseTexteDAT(ctx, *texte, mesure);
}

bool LectureDATTexte(Contexte& ctx, std::string_view texte) {
    std::vector<PointDAT> valeurs;
    const Analyse a = Mesure(texte, &valeurs);
    if (!Signale(ctx, a)) return false;
    const MesureDAT& m = a.mesure;
    if (!DemandeRapports(ctx, {m.Xmin, m.Xmax, m.Ymin, m.Ymax})) return false;

    const double rh = ctx.parametres.RapportH, rv = ctx.parametres.RapportV;
    std::vector<PointTrace> points;
    points.reserve(valeurs.size() + 1);
    for (const PointDAT& p : valeurs)
        points.push_back({static_cast<float>((p.x - m.Xmin) * rh), static_cast<float>((p.y - m.Ymin) * rv),
                          PlumeBasse, Code2{}});
    // The spare last entry is what the removal of repeated points leaves outside the count,
    // so the final point of the file stays in the trace.
    points.push_back(PointTrace{});

    Dessin& d = ctx.dessin;
    d.Trace_Initial = std::move(points);
    d.NbPoints = static_cast<int32_t>(valeurs.size());
    d.Trace_Decale.assign(1, SequenceDecalee{});
    SupprimeDoublons(d);
    NumeroteSequences(d);
    CalculDecalageTout(ctx);
    return true;
}

bool LectureDAT(Contexte& ctx, const std::string& chemin) {
    if (chemin.empty()) return false;
    const auto texte = LireFichier(chemin);
    if (!texte) {
        SignaleIllisible(ctx, chemin);
        return false;
    }
    return LectureDATTexte(ctx, *texte);
}

}  // namespace korvelin
