#include "import/dxf_conversion.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "geometry/soudure.h"
#include "import/mise_a_echelle.h"
#include "model/listes.h"

namespace korvelin {

namespace {

// A double as a 32-bit float without the undefined conversion of values out of range.
float EnFloat(double v) {
    constexpr double Max = std::numeric_limits<float>::max();
    if (std::isfinite(v) && std::fabs(v) > Max) return std::copysign(std::numeric_limits<float>::infinity(), v);
    return static_cast<float>(v);
}

float Slot(const EntiteDXF& e, std::size_t i, float defaut = 0.0f) {
    float v = 0.0f;
    if (i < e.Codes.size() && LitNombreDXF(e.Codes[i].Valeur, v)) return v;
    return defaut;
}

std::string_view SlotTexte(const EntiteDXF& e, std::size_t i) {
    return i < e.Codes.size() ? std::string_view(e.Codes[i].Valeur) : std::string_view();
}

struct Point2 {
    double x = 0.0, y = 0.0;
};

Point2 Place(const Placement& pl, double x, double y) {
    x *= pl.EchelleX;
    y *= pl.EchelleY;
    if (pl.Rotation != 0.0f) {
        const double rx = RotationX(x, y, pl.Rotation);
        y = RotationY(x, y, pl.Rotation);
        x = rx;
    }
    return {x + pl.DecalageX, y + pl.DecalageY};
}

bool EstMiroir(const Placement& pl) { return (pl.EchelleX < 0.0f) != (pl.EchelleY < 0.0f); }

// The placement of a block inserted inside a block: the inner one carried by the outer one.
// Exact whenever the outer scales have the same magnitude or the inner rotation is zero,
// which covers what drawing programs write (a non-uniform scale turned inside it would
// need a shear, which a placement cannot hold).
Placement Compose(const Placement& ext, const Placement& in) {
    Placement r;
    r.EchelleX = EnFloat(static_cast<double>(ext.EchelleX) * in.EchelleX);
    r.EchelleY = EnFloat(static_cast<double>(ext.EchelleY) * in.EchelleY);
    r.Rotation = EnFloat(static_cast<double>(ext.Rotation) + (EstMiroir(ext) ? -in.Rotation : in.Rotation));
    const Point2 o = Place(ext, in.DecalageX, in.DecalageY);
    r.DecalageX = EnFloat(o.x);
    r.DecalageY = EnFloat(o.y);
    return r;
}

// An angle in degrees brought into [0, 360]. Within one turn of that range the single
// correction is kept as it is (720 stays a full turn from 0); beyond, the angle is taken
// modulo 360 so that the chord loops stay bounded.
float AngleArc(float a) {
    a = NormaliseAngle(a);
    if (a < 0.0f || a > 360.0f) {
        a = std::fmod(a, 360.0f);
        if (a < 0.0f) a += 360.0f;
    }
    return a;
}

// An ellipse parameter far outside the usual range is taken modulo a turn.
float ParametreEllipse(float t) {
    if (std::fabs(t) <= 4.0 * Pi) return t;
    double r = std::fmod(static_cast<double>(t), 2.0 * Pi);
    if (r < 0.0) r += 2.0 * Pi;
    return static_cast<float>(r);
}

}  // namespace

double Module(double x, double y) { return std::sqrt(x * x + y * y); }

double Argument(double x, double y) {
    if (x == 0.0) return y >= 0.0 ? Pi / 2.0 : 3.0 * Pi / 2.0;
    if (y == 0.0) return x > 0.0 ? 0.0 : Pi;
    double a = std::atan(y / x);
    if (x < 0.0)
        a += Pi;
    else if (y < 0.0)
        a += 2.0 * Pi;
    return a;
}

double RotationX(double x, double y, double angle) { return Module(x, y) * std::cos(Argument(x, y) + angle); }
double RotationY(double x, double y, double angle) { return Module(x, y) * std::sin(Argument(x, y) + angle); }

float NormaliseAngle(float angle) {
    if (angle > 360.0f) return angle - 360.0f;
    if (angle < 0.0f) return angle + 360.0f;
    return angle;
}

bool LitNombreDXF(std::string_view texte, float& valeur) {
    // Sign, digits with one decimal comma, an optional exponent: nothing else, so that
    // words such as INF or NAN are not numbers.
    std::string s;
    s.reserve(texte.size());
    std::size_t i = 0;
    if (i < texte.size() && (texte[i] == '+' || texte[i] == '-')) {
        if (texte[i] == '-') s += '-';
        ++i;
    }
    bool chiffres = false, virgule = false;
    for (; i < texte.size(); ++i) {
        const char c = texte[i];
        if (c >= '0' && c <= '9') {
            chiffres = true;
            s += c;
        } else if (c == ',' && !virgule) {
            virgule = true;
            s += '.';
        } else {
            break;
        }
    }
    if (!chiffres) return false;
    if (i < texte.size() && (texte[i] == 'E' || texte[i] == 'e')) {
        s += 'e';
        ++i;
        if (i < texte.size() && (texte[i] == '+' || texte[i] == '-')) s += texte[i++];
        bool exposant = false;
        for (; i < texte.size() && texte[i] >= '0' && texte[i] <= '9'; ++i) {
            exposant = true;
            s += texte[i];
        }
        if (!exposant) return false;
    }
    if (i != texte.size()) return false;
    double v = 0.0;
    const auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec == std::errc::result_out_of_range) {
        // Too small reads as zero, too large as an infinity that no entity survives.
        v = (s.find("e-") != std::string::npos) ? 0.0 : std::numeric_limits<double>::infinity();
        if (s.front() == '-') v = -v;
    } else if (ec != std::errc() || p != s.data() + s.size()) {
        return false;
    }
    valeur = EnFloat(v);
    return true;
}

TraceurDXF::TraceurDXF(const DocumentDXF& doc, std::string_view derniereSequence, LimitesDXF limites)
    : doc_(doc), limites_(limites), debut_(derniereSequence), sequenceVide_(derniereSequence.empty()) {
    if (!sequenceVide_) sequence_ = Code2::De(derniereSequence);
    for (std::size_t i = 0; i < doc_.Blocs.size(); ++i)
        indexBlocs_.emplace(doc_.Blocs[i].Nom, static_cast<long>(i));
    enCours_.assign(doc_.Blocs.size(), 0);
}

std::string TraceurDXF::DerniereSequence() const { return nouvelle_ ? sequence_.Texte() : debut_; }

long TraceurDXF::IndexBloc(std::string_view nom) const {
    const auto it = indexBlocs_.find(nom);
    return it == indexBlocs_.end() ? -1 : it->second;
}

void TraceurDXF::ConvertitTout() {
    const Placement identite;
    for (std::size_t i = 0; i < doc_.Entites.size() && !depassement_; ++i)
        ConvertitEntite(doc_.Entites, i, identite);
}

void TraceurDXF::ConvertitEntite(const std::vector<EntiteDXF>& entites, std::size_t index,
                                 const Placement& pl) {
    if (depassement_ || index >= entites.size()) return;
    if (++nbEntites_ > limites_.MaxEntites) {
        depassement_ = true;
        return;
    }
    const EntiteDXF& e = entites[index];
    const std::string& t = e.TypeEntite;
    if (t == "INSERT") {
        Placement propre;
        propre.DecalageX = Slot(e, 1);
        propre.DecalageY = Slot(e, 2);
        propre.EchelleX = Slot(e, 3);
        propre.EchelleY = Slot(e, 4);
        propre.Rotation = EnFloat(Slot(e, 5) * Pi / 180.0);
        DevelopperBloc(SlotTexte(e, 0), Compose(pl, propre));
    } else if (t == "DIMENSION") {
        DevelopperBlocDirect(SlotTexte(e, 0), pl);
    } else if (t == "LINE" || t == "ARC" || t == "CIRCLE" || t == "ELLIPSE" || t == "POLYLINE") {
        Primitive(e, entites, index, pl);
    }
}

// One entity drawn as a whole or not at all: an entity with a coordinate out of range
// leaves no point and uses no label.
void TraceurDXF::Primitive(const EntiteDXF& e, const std::vector<EntiteDXF>& entites, std::size_t index,
                           const Placement& pl) {
    const std::size_t n = points_.size();
    const Code2 sequence = sequence_;
    const bool vide = sequenceVide_, nouvelle = nouvelle_;
    horsLimites_ = false;
    const std::string& t = e.TypeEntite;
    if (t == "LINE")
        Ligne(e, pl);
    else if (t == "ARC")
        ArcOuCercle(e, pl, true);
    else if (t == "CIRCLE")
        ArcOuCercle(e, pl, false);
    else if (t == "ELLIPSE")
        Ellipse(e, pl);
    else
        Polyligne(entites, index, pl);
    if (horsLimites_ && !depassement_) {
        points_.resize(n);
        sequence_ = sequence;
        sequenceVide_ = vide;
        nouvelle_ = nouvelle;
        ++nbHorsLimites_;
    }
    horsLimites_ = false;
}

void TraceurDXF::Ligne(const EntiteDXF& e, const Placement& pl) {
    const Point2 a = Place(pl, Slot(e, 0), Slot(e, 1));
    const Point2 b = Place(pl, Slot(e, 2), Slot(e, 3));
    AjouteSegment(a.x, a.y, b.x, b.y, true);
}

void TraceurDXF::ArcOuCercle(const EntiteDXF& e, const Placement& pl, bool arc) {
    double cx = static_cast<double>(Slot(e, 0)) * pl.EchelleX;
    double cy = static_cast<double>(Slot(e, 1)) * pl.EchelleY;
    double r = Slot(e, 2);
    if (pl.EchelleX != 1.0f)
        r *= pl.EchelleX;
    else if (pl.EchelleY != 1.0f)
        r *= pl.EchelleY;
    if (pl.Rotation != 0.0f) {
        const double rx = RotationX(cx, cy, pl.Rotation);
        cy = RotationY(cx, cy, pl.Rotation);
        cx = rx;
    }
    double a0 = 0.0, a1 = 0.0;
    if (arc) {
        a0 = Slot(e, 3);
        a1 = Slot(e, 4);
        // A reflection runs the arc the other way round: its ends swap and reflect.
        const bool mx = pl.EchelleX < 0.0f, my = pl.EchelleY < 0.0f;
        if (mx && !my) {
            std::swap(a0, a1);
            a0 = 180.0 - a0;
            a1 = 180.0 - a1;
        } else if (my && !mx) {
            std::swap(a0, a1);
            a0 = 360.0 - a0;
            a1 = 360.0 - a1;
        } else if (mx && my) {
            a0 += 180.0;
            a1 += 180.0;
        }
        a0 += pl.Rotation * 180.0 / Pi;
        a1 += pl.Rotation * 180.0 / Pi;
    }
    cx += pl.DecalageX;
    cy += pl.DecalageY;
    if (arc)
        TraceArc(cx, cy, std::fabs(r), EnFloat(a0), EnFloat(a1));
    else
        TraceCercle(cx, cy, std::fabs(r));
}

void TraceurDXF::Ellipse(const EntiteDXF& e, const Placement& pl) {
    const Point2 c = Place(pl, Slot(e, 0), Slot(e, 1));
    double mx = static_cast<double>(Slot(e, 2)) * pl.EchelleX;
    double my = static_cast<double>(Slot(e, 3)) * pl.EchelleY;
    if (pl.Rotation != 0.0f) {
        const double rx = RotationX(mx, my, pl.Rotation);
        my = RotationY(mx, my, pl.Rotation);
        mx = rx;
    }
    float rapport = Slot(e, 4);
    if (EstMiroir(pl)) rapport = -rapport;
    TraceEllipse(c.x, c.y, mx, my, rapport, Slot(e, 5), Slot(e, 6), 32);
}

// The VERTEX entities that follow the POLYLINE in its array; slot 3 of the POLYLINE's own
// pairs, when it is there and not 0, closes it back on its first vertex.
void TraceurDXF::Polyligne(const std::vector<EntiteDXF>& entites, std::size_t index, const Placement& pl) {
    std::size_t nb = 0;
    while (index + 1 + nb < entites.size() && entites[index + 1 + nb].TypeEntite == "VERTEX") ++nb;
    if (nb < 2) return;

    // An unreadable coordinate keeps the one of the vertex before.
    float x = 0.0f, y = 0.0f;
    Point2 premier, precedent;
    for (std::size_t k = 0; k < nb; ++k) {
        const EntiteDXF& s = entites[index + 1 + k];
        x = Slot(s, 0, x);
        y = Slot(s, 1, y);
        const Point2 p = Place(pl, x, y);
        if (k == 0)
            premier = p;
        else
            AjouteSegment(precedent.x, precedent.y, p.x, p.y, k == 1);
        precedent = p;
        if (depassement_ || horsLimites_) return;
    }
    const EntiteDXF& poly = entites[index];
    if (poly.Codes.size() > 3 && Slot(poly, 3) != 0.0f)
        AjouteSegment(precedent.x, precedent.y, premier.x, premier.y, false);
}

void TraceurDXF::DevelopperBloc(std::string_view nom, const Placement& placement) { Developpe(nom, placement); }

// A dimension carries no placement of its own: its block lands where the entity holding
// it does (at the origin, unchanged, for a dimension of the ENTITIES section).
void TraceurDXF::DevelopperBlocDirect(std::string_view nom, const Placement& conteneur) {
    Developpe(nom, conteneur);
}

// A block that is being expanded is not expanded again inside itself, and a name that
// names no block draws nothing.
void TraceurDXF::Developpe(std::string_view nom, const Placement& placement) {
    const long index = IndexBloc(nom);
    if (index < 0) return;
    const auto i = static_cast<std::size_t>(index);
    if (enCours_[i]) {
        ++nbBoucles_;
        return;
    }
    if (profondeur_ >= limites_.MaxImbrication) {
        ++nbTropImbriques_;
        return;
    }
    enCours_[i] = 1;
    ++profondeur_;
    const std::vector<EntiteDXF>& entites = doc_.Blocs[i].Entites;
    for (std::size_t k = 0; k < entites.size() && !depassement_; ++k) ConvertitEntite(entites, k, placement);
    --profondeur_;
    enCours_[i] = 0;
}

void TraceurDXF::AjouteSegment(double x1, double y1, double x2, double y2, bool nouvelleSequence) {
    if (depassement_ || horsLimites_) return;
    if (!CoordonneeUtilisable(x1) || !CoordonneeUtilisable(y1) || !CoordonneeUtilisable(x2) ||
        !CoordonneeUtilisable(y2)) {
        horsLimites_ = true;
        return;
    }
    if (points_.size() + 2 > limites_.MaxPoints) {
        depassement_ = true;
        return;
    }
    if (nouvelleSequence) {
        sequence_ = sequenceVide_ ? ProchaineSequence(std::string_view()) : ProchaineSequence(sequence_);
        sequenceVide_ = false;
        nouvelle_ = true;
    }
    points_.push_back({static_cast<float>(x1), static_cast<float>(y1), PlumeBasse, sequence_});
    points_.push_back({static_cast<float>(x2), static_cast<float>(y2), PlumeBasse, sequence_});
}

// Chords of one degree from the start angle; the last chord of each run goes to the end
// angle, even when it has no length left.
void TraceurDXF::TraceArc(double cx, double cy, double rayon, float debut, float fin) {
    if (!std::isfinite(debut) || !std::isfinite(fin)) {
        horsLimites_ = true;
        return;
    }
    const float a0 = AngleArc(debut), a1 = AngleArc(fin);
    float p = a0;
    bool premiere = true;
    // Each chord starts at the angle the previous one ended on: its point is kept.
    float angleConnu = std::numeric_limits<float>::quiet_NaN();
    Point2 pointConnu;
    const auto point = [&](float angle) {
        if (angle != angleConnu) {
            const double r = angle * Pi / 180.0;
            pointConnu = {rayon * std::cos(r) + cx, rayon * std::sin(r) + cy};
            angleConnu = angle;
        }
        return pointConnu;
    };
    const auto corde = [&](float de, float a) {
        const Point2 q0 = point(de);
        const Point2 q1 = point(a);
        AjouteSegment(q0.x, q0.y, q1.x, q1.y, premiere);
        premiere = false;
        p = a;
    };
    if (a0 <= a1) {
        for (float a = a0; a <= a1 - 1.0f; a += 1.0f) corde(a, a + 1.0f);
        corde(p, a1);
    } else {
        for (float a = a0; a <= 359.0f; a += 1.0f) corde(a, a + 1.0f);
        corde(p, 360.0f);
        for (float a = 0.0f; a <= a1 - 1.0f; a += 1.0f) corde(a, a + 1.0f);
        corde(p, a1);
    }
}

void TraceurDXF::TraceCercle(double cx, double cy, double rayon) { TraceArc(cx, cy, rayon, 0.0f, 360.0f); }

void TraceurDXF::TraceEllipse(double cx, double cy, double grandX, double grandY, float rapport, float debut,
                              float fin, int pasParDemiTour) {
    if (!std::isfinite(debut) || !std::isfinite(fin) || !std::isfinite(rapport) || pasParDemiTour <= 0) {
        horsLimites_ = true;
        return;
    }
    float t0 = ParametreEllipse(debut), t1 = ParametreEllipse(fin);
    // The half axis points to the major axis end; an end straight below the centre keeps
    // its direction through the sign of a, as one to the left does.
    double a = std::sqrt(grandX * grandX + grandY * grandY);
    if (grandX < 0.0 || (grandX == 0.0 && grandY < 0.0)) a = -a;
    const double b = a * rapport;
    const double theta = grandX == 0.0 ? Pi / 2.0 : std::atan(grandY / grandX);
    const double ct = std::cos(theta), st = std::sin(theta);
    if (t1 < t0) t1 = EnFloat(t1 + 2.0 * Pi);
    const float limite = EnFloat(t1 + Pi / (2.0 * pasParDemiTour));
    const float pas = EnFloat(Pi / pasParDemiTour);

    // The samples are those of the step loop from the start parameter, the last one taken at
    // the end parameter itself so that an elliptical arc ends where the next entity starts
    // (an arc shorter than half a step is then one chord instead of nothing).
    std::size_t echantillons = 0;
    double px = 0.0, py = 0.0;
    const auto echantillon = [&](double parametre) {
        const double u = a * std::cos(parametre), v = b * std::sin(parametre);
        const double x = cx + u * ct - v * st, y = cy + u * st + v * ct;
        if (echantillons > 0) AjouteSegment(px, py, x, y, echantillons == 1);
        px = x;
        py = y;
        ++echantillons;
    };
    for (float t = t0; t <= limite && !depassement_ && !horsLimites_; t += pas) {
        const bool dernier = !(t + pas <= limite);
        if (!dernier || echantillons == 0) echantillon(t);
        if (dernier && t1 != t0) echantillon(t1);
    }
}

bool ConvertitDXF(Contexte& ctx, const DocumentDXF& doc, const LimitesDXF& limites) {
    TraceurDXF traceur(doc, ctx.SequenceDXF, limites);
    ctx.ui->Sablier(true);
    traceur.ConvertitTout();
    ctx.ui->Sablier(false);
    if (traceur.Depassement()) {
        ctx.ui->Message("Ce dessin est trop grand pour être importé : une fois ses blocs développés, il "
                        "dépasse " +
                            std::to_string(limites.MaxPoints) + " points ou " + std::to_string(limites.MaxEntites) +
                            " entités.",
                        TitreProgramme, Icone::Critique);
        return false;
    }
    if (traceur.NbHorsLimites() || traceur.NbBouclesBlocs() || traceur.NbTropImbriques()) {
        std::string texte = "Certaines entités du dessin ont été ignorées :";
        if (traceur.NbHorsLimites())
            texte += "\n- " + std::to_string(traceur.NbHorsLimites()) + " aux coordonnées hors limites";
        if (traceur.NbBouclesBlocs())
            texte += "\n- " + std::to_string(traceur.NbBouclesBlocs()) + " insertion(s) d'un bloc dans lui-même";
        if (traceur.NbTropImbriques())
            texte += "\n- " + std::to_string(traceur.NbTropImbriques()) + " bloc(s) imbriqué(s) trop profondément";
        ctx.ui->Message(texte, TitreProgramme, Icone::Exclamation);
    }

    Dessin& d = ctx.dessin;
    std::vector<PointTrace>& points = traceur.Points();
    if (points.empty()) {
        d.Trace_Initial.assign(1, PointTrace{});
        d.NbPoints = 0;
        d.Trace_Decale.assign(1, SequenceDecalee{});
        return true;
    }

    BornesImport b{points[0].X, points[0].X, points[0].Y, points[0].Y};
    for (const PointTrace& p : points) {
        if (p.X < b.Xmin)
            b.Xmin = p.X;
        else if (p.X > b.Xmax)
            b.Xmax = p.X;
        if (p.Y < b.Ymin)
            b.Ymin = p.Y;
        else if (p.Y > b.Ymax)
            b.Ymax = p.Y;
    }
    if (!DemandeRapports(ctx, b)) return false;

    const double rh = ctx.parametres.RapportH, rv = ctx.parametres.RapportV;
    for (PointTrace& p : points) {
        p.X = static_cast<float>((p.X - b.Xmin) * rh);
        p.Y = static_cast<float>((p.Y - b.Ymin) * rv);
    }
    d.NbPoints = static_cast<int32_t>(points.size());
    d.Trace_Initial = std::move(points);
    d.Trace_Decale.assign(1, SequenceDecalee{});
    d.Xmin = b.Xmin;
    d.Xmax = b.Xmax;
    d.Ymin = b.Ymin;
    d.Ymax = b.Ymax;
    ctx.SequenceDXF = traceur.DerniereSequence();
    SoudureAutomatique(ctx);
    return true;
}

}  // namespace korvelin
