#include "import/hpgl.h"

#include <cmath>

#include "geometry/soudure.h"
#include "import/limites.h"
#include "model/listes.h"
#include "model/nombres.h"
#include "model/primitives.h"
#include "platform/fichier.h"
#include "settings/magasin.h"

namespace korvelin {

namespace {

// An arc that sweeps more than a full turn only goes over the same circle again; a few
// turns are kept for files that really do that, and beyond them the sweep is cut so that
// one command (an "AA" of 1e300 degrees) cannot ask for an unbounded number of points.
constexpr double BalayageMaxDegres = 4.0 * 360.0;
constexpr double PasArc = 2.0 * Pi / 360.0;

std::string RemplaceTout(std::string_view texte, std::string_view cherche,
                         std::string_view par) {
    std::string resultat;
    resultat.reserve(texte.size() + texte.size() / 8);
    std::size_t debut = 0;
    for (;;) {
        const std::size_t pos = texte.find(cherche, debut);
        if (pos == std::string_view::npos) break;
        resultat.append(texte, debut, pos - debut);
        resultat.append(par);
        debut = pos + cherche.size();
    }
    resultat.append(texte, debut, std::string_view::npos);
    return resultat;
}

char Majuscule(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// First blank of the token, else its first comma.
std::size_t Separateur(std::string_view jeton) {
    const std::size_t espace = jeton.find(' ');
    return espace != std::string_view::npos ? espace : jeton.find(',');
}

// The characters from the third one up to the separator (exclusive).
std::string_view ApresCommande(std::string_view jeton, std::size_t fin) {
    if (fin <= 2 || jeton.size() <= 2) return {};
    return jeton.substr(2, fin - 2);
}

double Valeur(std::string_view texte) { return CoordonneeBornee(LecturePlain(texte)); }

float Flottant(double v) { return static_cast<float>(CoordonneeBornee(v)); }

class Analyseur {
public:
    explicit Analyseur(std::size_t maxPoints) : maxPoints_(maxPoints) {}

    CommandesHPGL resultat;

    void Jeton(std::string_view jeton) {
        if (resultat.TropDePoints || jeton.size() < 2) return;
        const char c0 = Majuscule(jeton[0]);
        const char c1 = Majuscule(jeton[1]);
        if (c0 == 'P' && (c1 == 'U' || c1 == 'D')) {
            Plume(jeton, c1 == 'D' ? PlumeBasse : PlumeHaute);
        } else if (c0 == 'C' && c1 == 'I') {
            Cercle(jeton);
        } else if (c0 == 'A' && c1 == 'A') {
            Arc(jeton);
        }
    }

    void Termine() { resultat.Points.resize(i_); }

private:
    std::size_t maxPoints_;
    std::size_t i_ = 0;  // where the next point is written
    double arcCx_ = 0.0, arcCy_ = 0.0, arcBalayage_ = 0.0;

    std::vector<PointTrace>& Points() { return resultat.Points; }

    // Writes at index i, growing the array by one when i is just past its end.
    bool Ecrit(const PointTrace& p) {
        auto& pts = Points();
        if (i_ < pts.size()) {
            pts[i_] = p;
            return true;
        }
        if (pts.size() >= maxPoints_) {
            resultat.TropDePoints = true;
            return false;
        }
        pts.push_back(p);
        return true;
    }

    // The current pen position: the last point written, or the origin before any.
    PointTrace Courant() const {
        if (i_ == 0) return PointTrace{};
        return resultat.Points[i_ - 1];
    }

    void Plume(std::string_view jeton, Code2 plume) {
        const std::size_t sep = Separateur(jeton);
        if (sep == std::string_view::npos) return;
        const float x = Flottant(Valeur(ApresCommande(jeton, sep)));
        const float y = Flottant(Valeur(jeton.substr(sep + 1)));
        if (i_ > 0 && plume == PlumeBasse) {
            const PointTrace precedent = Points()[i_ - 1];
            if (precedent.Plume == PlumeHaute && (x != precedent.X || y != precedent.Y)) {
                // The position the pen-up move reached opens the new trace.
                if (!Ecrit(PointTrace{precedent.X, precedent.Y, PlumeBasse, {}})) return;
                ++i_;
            }
        }
        if (!Ecrit(PointTrace{x, y, plume, {}})) return;
        if (!(i_ == 1 && x == 0.0f && y == 0.0f)) ++i_;
    }

    void Cercle(std::string_view jeton) {
        const double r = Valeur(jeton.substr(2));
        if (r == 0.0) return;
        double cx = 0.0, cy = 0.0;
        if (i_ > 0) {
            // The circle's first point replaces its centre.
            cx = Points()[i_ - 1].X;
            cy = Points()[i_ - 1].Y;
            --i_;
        }
        for (int a = 0; a <= 360; ++a) {
            const double angle = a * Pi / 180.0;
            if (!Ecrit(PointTrace{Flottant(cx + r * std::cos(angle)),
                                  Flottant(cy + r * std::sin(angle)), PlumeBasse, {}}))
                return;
            ++i_;
        }
    }

    void Arc(std::string_view jeton) {
        const std::size_t sep = Separateur(jeton);
        if (sep != std::string_view::npos) {
            arcCx_ = Valeur(ApresCommande(jeton, sep));
            const std::string_view reste = jeton.substr(sep + 1);
            const std::size_t sep2 = Separateur(reste);
            if (sep2 == std::string_view::npos) {
                arcCy_ = 0.0;
                arcBalayage_ = LecturePlain(reste);
            } else {
                arcCy_ = Valeur(reste.substr(0, sep2 + 1));
                arcBalayage_ = LecturePlain(reste.substr(sep2 + 1));
            }
            if (std::isnan(arcBalayage_)) arcBalayage_ = 0.0;
            if (arcBalayage_ > BalayageMaxDegres) arcBalayage_ = BalayageMaxDegres;
            if (arcBalayage_ < -BalayageMaxDegres) arcBalayage_ = -BalayageMaxDegres;
        }
        const double balayage = arcBalayage_ * Pi / 180.0;
        const PointTrace p = Courant();
        const PointTrace centre{static_cast<float>(arcCx_), static_cast<float>(arcCy_), {}, {}};
        const double r = Distance(centre, p);
        double debut = 0.0;
        AngleSegment(centre, p, debut);
        const double fin = debut + balayage;
        // The counted loop cannot run longer than the capped sweep allows; the guard only
        // protects against rounding in the accumulated angle.
        const int garde = static_cast<int>(BalayageMaxDegres) + 3;
        int n = 0;
        if (balayage <= 0.0) {
            for (double a = debut; a >= fin && n < garde; a -= PasArc, ++n)
                if (!PointArc(a, r)) return;
        } else {
            for (double a = debut; a <= fin && n < garde; a += PasArc, ++n)
                if (!PointArc(a, r)) return;
        }
    }

    bool PointArc(double a, double r) {
        if (!Ecrit(PointTrace{Flottant(arcCx_ + r * std::cos(a)),
                              Flottant(arcCy_ + r * std::sin(a)), PlumeBasse, {}}))
            return false;
        ++i_;
        return true;
    }
};

bool APlumeBasse(const std::vector<PointTrace>& points) {
    for (const PointTrace& p : points)
        if (p.Plume == PlumeBasse) return true;
    return false;
}

void ViderDessin(Dessin& d) {
    d.Trace_Initial.clear();
    d.NbPoints = 0;
    d.Trace_Decale.assign(1, SequenceDecalee{});
    d.Xmin = d.Xmax = d.Ymin = d.Ymax = 0.0;
}

void BornesPoints(Dessin& d) {
    const auto& pts = d.Trace_Initial;
    d.Xmin = d.Xmax = pts[0].X;
    d.Ymin = d.Ymax = pts[0].Y;
    for (std::size_t k = 1; k < pts.size(); ++k) {
        if (pts[k].X < d.Xmin) d.Xmin = pts[k].X;
        if (pts[k].X > d.Xmax) d.Xmax = pts[k].X;
        if (pts[k].Y < d.Ymin) d.Ymin = pts[k].Y;
        if (pts[k].Y > d.Ymax) d.Ymax = pts[k].Y;
    }
}

void MiseAEchelle(Contexte& ctx) {
    Dessin& d = ctx.dessin;
    const double rh = ctx.parametres.RapportH;
    const double rv = ctx.parametres.RapportV;
    for (PointTrace& p : d.Trace_Initial) {
        p.X = Flottant((p.X - d.Xmin) * rh);
        p.Y = Flottant((p.Y - d.Ymin) * rv);
    }
}

}  // namespace

std::string RemplacementsHPGL(std::string_view texte) {
    std::string t = RemplaceTout(texte, "PUPDPA", "PD");
    t = RemplaceTout(t, "PDPA", ";PD");
    t = RemplaceTout(t, "PUPA", ";PU");
    t = RemplaceTout(t, "PA", ";PD");
    t = RemplaceTout(t, "PDAA", ";AA");
    return RemplaceTout(t, "PDCI", ";CI");
}

CommandesHPGL AnalyseTexteHPGL(std::string_view texte, std::size_t maxPoints) {
    const std::string t = RemplacementsHPGL(texte);
    const std::string_view vue(t);
    Analyseur analyseur(maxPoints);
    std::size_t pos = 0;
    for (;;) {
        const std::size_t fin = vue.find(';', pos);
        if (fin == std::string_view::npos) break;  // text after the last ";" is ignored
        analyseur.Jeton(vue.substr(pos, fin - pos));
        if (analyseur.resultat.TropDePoints) break;
        pos = fin + 1;
        if (pos < vue.size() && vue[pos] == '\r') ++pos;
        if (pos < vue.size() && vue[pos] == '\n') ++pos;
    }
    analyseur.Termine();
    return std::move(analyseur.resultat);
}

bool PrepareDessinHPGL(Contexte& ctx, std::string_view texte) {
    ChargeRapports(ctx);
    CommandesHPGL commandes = AnalyseTexteHPGL(texte);
    if (commandes.TropDePoints) {
        ctx.ui->Message(MessageTropDePoints, TitreProgramme, Icone::Critique);
        return false;
    }
    Dessin& d = ctx.dessin;
    if (!APlumeBasse(commandes.Points)) {
        ViderDessin(d);
        ctx.ui->Message("Fichier inexploitable !", TitreProgramme, Icone::Critique);
        return false;
    }
    d.Trace_Initial = std::move(commandes.Points);
    d.NbPoints = static_cast<int32_t>(d.Trace_Initial.size());
    d.Trace_Decale.assign(1, SequenceDecalee{});  // the old offsets belong to the old drawing
    BornesPoints(d);

    ctx.ui->DialogueDimension(ctx);
    MiseAEchelle(ctx);

    // A spare entry past the real points, with no pen state so that it never repeats the
    // last one: the cleaning leaves its last array entry out of the count, and this way
    // that entry is the spare and the drawing keeps its final point.
    d.Trace_Initial.push_back(PointTrace{});
    SupprimeDoublons(d);
    return NumeroteSequences(d);
}

bool LectureHPGLTexte(Contexte& ctx, std::string_view texte) {
    if (!PrepareDessinHPGL(ctx, texte)) return false;
    SoudureAutomatique(ctx);
    return true;
}

bool LectureHPGL(Contexte& ctx, const std::string& chemin) {
    if (chemin.empty()) return false;
    const std::optional<std::string> texte = LireFichier(chemin);
    if (!texte) {
        ctx.ui->Message("Impossible de lire le fichier " + chemin, TitreProgramme,
                        Icone::Critique);
        return false;
    }
    return LectureHPGLTexte(ctx, *texte);
}

}  // namespace korvelin
