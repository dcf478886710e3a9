#include "geometry/decalage.h"

#include <cmath>
#include <string>
#include <unordered_map>

#include "geometry/index_sequences.h"
#include "geometry/proximite.h"
#include "model/listes.h"
#include "model/primitives.h"

namespace korvelin {

namespace {

constexpr std::string_view MessageIntersection = "Problème d'intersection";
constexpr std::string_view MessageIntersectionFin = "Problème d'intersection fin";
constexpr std::string_view MessageRayonTropGrand =
    "Impossible de décaler ce tracé avec ce rayon de fraise";

// The two points at distance R beside P, square to the direction theta.
void PointsLateraux(const PointTrace& P, double theta, double R, PointTrace& gauche,
                    PointTrace& droite) {
    const double cx = R * std::cos(theta + Pi / 2.0);
    const double cy = R * std::sin(theta + Pi / 2.0);
    gauche = PointTrace{};
    droite = PointTrace{};
    gauche.X = static_cast<float>(P.X + cx);
    gauche.Y = static_cast<float>(P.Y + cy);
    droite.X = static_cast<float>(P.X - cx);
    droite.Y = static_cast<float>(P.Y - cy);
}

void Progression(Contexte& ctx, Code2 etiquette, const char* passage, std::size_t point) {
    ctx.ui->TexteStatut(5, "Tracé " + etiquette.Texte() + passage + std::to_string(point));
}

// Offsets the run of `nb` points from `premier` into entry `entree` of Trace_Decale.
// Returns true when the computation went through to its end (the result is stored and
// the status panel is due to be emptied).
bool DecaleTrace(Contexte& ctx, Code2 etiquette, int32_t premier, int32_t nb, std::size_t entree,
                 ProximiteSegments& proximite) {
    Dessin& d = ctx.dessin;
    const Parametres& prm = ctx.parametres;
    const double R = prm.RayonFraise;
    const bool afficher = prm.AffichageCalcul;
    const std::size_t n = static_cast<std::size_t>(nb);
    const std::vector<PointTrace> P(d.Trace_Initial.begin() + premier,
                                    d.Trace_Initial.begin() + premier + nb);

    if (prm.DecalageOutil == 2) {
        d.Trace_Decale[entree].Points = P;
        return false;
    }

    std::vector<PointTrace>& T = d.Trace_Travail;
    T.assign(n, PointTrace{});
    const bool ferme = P[0].X == P[n - 1].X && P[0].Y == P[n - 1].Y;

    double theta = AngleSegment(P[0], P[1]);
    PointTrace gauche, droite;
    PointsLateraux(P[0], theta, R, gauche, droite);
    const char cote = CoteDe(P[0], P[1], gauche);
    PointTrace A;
    if (prm.DecalageOutil == 1)
        A = cote == 'D' ? gauche : droite;
    else
        A = cote == 'G' ? gauche : droite;
    T[0] = A;

    // Each vertex: the parallel to the incoming segment meets the bisector of the corner.
    for (std::size_t k = 1; k + 1 < n; ++k) {
        if (afficher) Progression(ctx, etiquette, " - 1er passage, point n° ", k);
        const Droite parallele = DroiteAngle(A, theta);
        const Droite bissectrice = DroiteAngle(P[k], Bissectrice(P[k - 1], P[k], P[k + 1]));
        PointTrace B;
        if (!Intersection(parallele, bissectrice, B)) {
            ctx.ui->Message(MessageIntersection, TitreProgramme, Icone::Aucune);
            return false;
        }
        T[k] = B;
        A = B;
        theta = AngleSegment(P[k], P[k + 1]);
    }

    // The last point stays on the side the path has been running on.
    theta = AngleSegment(P[n - 2], P[n - 1]);
    PointsLateraux(P[n - 1], theta, R, gauche, droite);
    T[n - 1] = Distance(droite, T[n - 2]) < Distance(gauche, T[n - 2]) ? droite : gauche;

    // A closed path meets itself at a proper corner.
    if (ferme && (T[0].X != T[n - 1].X || T[0].Y != T[n - 1].Y)) {
        const Droite premiere = DroitePassantPar(T[0], T[1]);
        const Droite derniere = DroitePassantPar(T[n - 2], T[n - 1]);
        PointTrace coin;
        if (!Intersection(premiere, derniere, coin)) {
            ctx.ui->Message(MessageIntersectionFin, TitreProgramme, Icone::Aucune);
            return false;
        }
        T[n - 1] = coin;
        T[0] = coin;
    }

    std::vector<PointTrace>& D = d.Trace_Decale[entree].Points;
    D.assign(T.begin(), T.end());
    for (PointTrace& p : D) p.Sequence = etiquette;

    // Offset points that come too near the drawn trace (concave corners) would make the
    // cutter bite into the part: they are dropped.
    if (prm.Optimisation_1) {
        proximite.Prepare(P, R);
        for (std::size_t i = 0; i < n; ++i) {
            if (afficher) Progression(ctx, etiquette, " - 2nd passage, point n° ", i);
            if (proximite.TropProcheDuTrace(D[i])) D[i].Sequence = MarqueSuppression;
        }
        std::size_t w = 0;
        for (std::size_t i = 0; i < n; ++i)
            if (D[i].Sequence != MarqueSuppression) D[w++] = D[i];
        if (w > 0)
            D.resize(w);
        else
            ctx.ui->Message(MessageRayonTropGrand, "Erreur", Icone::Critique);
    }
    return true;
}

}  // namespace

void DecalageSequence(Contexte& ctx, Code2 etiquette) {
    if (etiquette == AucuneSequence) return;
    Dessin& d = ctx.dessin;
    ctx.ui->Sablier(true);
    if (d.NbPoints > static_cast<int32_t>(d.Trace_Initial.size())) d.NbPoints = NbPointsUtiles(d);
    const int32_t premier = PremierPointSequence(d, etiquette);
    const int32_t nb = NbPointsSequence(d, premier);
    std::size_t entree = 0;
    while (entree < d.Trace_Decale.size() && d.Trace_Decale[entree].Sequence != etiquette) ++entree;
    if (nb >= 2 && entree < d.Trace_Decale.size()) {
        ProximiteSegments proximite;
        if (DecaleTrace(ctx, etiquette, premier, nb, entree, proximite)) ctx.ui->TexteStatut(5, "");
    }
    ctx.ui->Sablier(false);
}

void DecalageEntrees(Contexte& ctx) {
    Dessin& d = ctx.dessin;
    const std::size_t nbEntrees = d.NbSequencesDecalees();
    if (nbEntrees == 0) return;
    if (d.NbPoints > static_cast<int32_t>(d.Trace_Initial.size())) d.NbPoints = NbPointsUtiles(d);

    // The lookups DecalageSequence makes for each label, done once for all.
    const IndexSequences sequences(d);
    std::unordered_map<uint64_t, std::size_t> premiereEntree;
    premiereEntree.reserve(d.Trace_Decale.size());
    for (std::size_t e = 0; e < d.Trace_Decale.size(); ++e)
        premiereEntree.emplace(CleEtiquette(d.Trace_Decale[e].Sequence), e);

    // One busy pointer for the whole drawing; the panel is emptied after every trace only
    // when it shows the progress, otherwise once at the end.
    ctx.ui->Sablier(true);
    const bool afficher = ctx.parametres.AffichageCalcul;
    bool aVider = false;
    ProximiteSegments proximite;
    for (std::size_t e = 0; e < nbEntrees; ++e) {
        const Code2 etiquette = d.Trace_Decale[e].Sequence;
        if (etiquette == AucuneSequence) continue;
        const auto plage = sequences.Cherche(etiquette);
        if (!plage || plage->nb < 2) continue;
        const std::size_t entree = premiereEntree.at(CleEtiquette(etiquette));
        if (DecaleTrace(ctx, etiquette, plage->premier, plage->nb, entree, proximite)) {
            if (afficher)
                ctx.ui->TexteStatut(5, "");
            else
                aVider = true;
        }
    }
    if (aVider) ctx.ui->TexteStatut(5, "");
    ctx.ui->Sablier(false);
}

void CalculDecalageTout(Contexte& ctx) {
    Dessin& d = ctx.dessin;
    const int32_t n = NbPointsUtiles(d);
    std::vector<SequenceDecalee> entrees;
    Code2 precedente = AucuneSequence;
    for (int32_t i = 0; i < n; ++i) {
        const Code2 e = d.Trace_Initial[i].Sequence;
        if (e == precedente) continue;
        precedente = e;
        entrees.push_back({e, std::vector<PointTrace>(1)});
    }
    entrees.emplace_back();  // the spare entry
    d.Trace_Decale = std::move(entrees);
    DecalageEntrees(ctx);
}

}  // namespace korvelin
