#include "workspace/vue_dessin.h"

#include <QFontMetricsF>
#include <QLineF>
#include <QPainter>
#include <QPen>
#include <QString>

#include <array>
#include <iterator>

#include "geometry/attaches.h"
#include "model/parametres.h"
#include "model/listes.h"
#include "model/primitives.h"

namespace korvelin {

QColor CouleurQt(int32_t valeur) {
    const uint32_t v = static_cast<uint32_t>(valeur);
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

bool EtendueDeVue(const Dessin& d, EtendueVue& e) {
    e = {d.Xmin, d.Xmax, d.Ymin, d.Ymax};
    if (!std::isfinite(e.Ex()) || !std::isfinite(e.Ey())) return false;
    if (e.Ex() <= 0.0 && e.Ey() <= 0.0) return false;
    if (e.Ex() <= 0.0) {
        const double manque = e.Ey() * FractionAxeManquant;
        e.Xmin -= manque / 2;
        e.Xmax = e.Xmin + manque;
    } else if (e.Ey() <= 0.0) {
        const double manque = e.Ex() * FractionAxeManquant;
        e.Ymin -= manque / 2;
        e.Ymax = e.Ymin + manque;
    }
    return e.Ex() > 0.0 && e.Ey() > 0.0;
}

namespace {

// Beyond this a QImage or a widget cannot follow.
constexpr double CoteMaximal = 32767.0;

int CotePixels(double v) {
    if (!(v >= 1.0)) return 1;
    return int(std::lround(std::min(v, CoteMaximal)));
}

}  // namespace

QSize CadrePicture(const EtendueVue& e, int W, int H, double facteurZoom) {
    W = std::max(W, 1);
    H = std::max(H, 1);
    const double agrandissement = facteurZoom > 1.0 ? facteurZoom : 1.0;
    const double Rw = double(W) / double(H);
    const double Rd = e.Ex() / e.Ey();
    double largeur, hauteur;
    if (Rd > Rw) {
        largeur = W * agrandissement;
        hauteur = largeur / Rd;
    } else {
        hauteur = H * agrandissement;
        largeur = hauteur * Rd;
    }
    return {CotePixels(largeur), CotePixels(hauteur)};
}

BarreDefilement BornesDefilement(int etendue, int visible) {
    constexpr int Plafond = 32767;
    const int v = std::clamp(visible, 1, Plafond);
    const int dixieme = std::max(1, v / 10);
    BarreDefilement b;
    b.Minimum = -(v - dixieme);
    b.Maximum = std::clamp(etendue - dixieme, 0, Plafond);
    b.Page = v;
    b.Pas = dixieme;
    return b;
}

double ZoomSuivant(double facteur, int sens) {
    if (sens > 0) {
        for (double n : NiveauxZoom)
            if (n > facteur * 1.0001) return n;
    } else if (sens < 0) {
        for (auto it = std::rbegin(NiveauxZoom); it != std::rend(NiveauxZoom); ++it)
            if (*it < facteur * 0.9999) return *it;
    }
    return facteur;
}

RepereVue RepereDe(const EtendueVue& e, QSize picture, double facteurZoom) {
    const double z = facteurZoom < 1.0 && facteurZoom > 0.0 ? facteurZoom : 1.0;
    RepereVue r;
    r.Gauche = e.Xmin - 0.05 * e.Ex();
    r.Haut = e.Ymax + 0.05 * e.Ey();
    r.Largeur = 1.1 * e.Ex() / z;
    r.Hauteur = 1.1 * e.Ey() / z;
    r.Sx = picture.width() / r.Largeur;
    r.Sy = picture.height() / r.Hauteur;
    return r;
}

namespace {

constexpr Code2 DeuxEspaces{U' ', U' '};

// Collects the lines of one pen. Consecutive pieces of a polyline shorter than a pixel
// are merged, so a dense drawing costs what the screen can show, not what the file holds;
// the merged line stays within that distance of every point it skips.
class LotLignes {
public:
    static constexpr double Seuil = 0.75;
    std::vector<QLineF> lignes;

    void Debut(QPointF p) {
        depart_ = p;
        enAttente_ = false;
    }
    void Vers(QPointF p) {
        if (std::abs(p.x() - depart_.x()) >= Seuil || std::abs(p.y() - depart_.y()) >= Seuil) {
            lignes.emplace_back(depart_, p);
            depart_ = p;
            enAttente_ = false;
        } else {
            attente_ = p;
            enAttente_ = true;
        }
    }
    void Fin() {
        if (enAttente_) lignes.emplace_back(depart_, attente_);
        enAttente_ = false;
    }

private:
    QPointF depart_, attente_;
    bool enAttente_ = false;
};

// True when the segment lies wholly beyond one edge of the picture.
bool HorsImage(QPointF a, QPointF b, double largeur, double hauteur) {
    constexpr double m = 2.0;
    return (a.x() < -m && b.x() < -m) || (a.y() < -m && b.y() < -m) || (a.x() > largeur + m && b.x() > largeur + m) ||
           (a.y() > hauteur + m && b.y() > hauteur + m);
}

bool Fini(QPointF p) { return std::isfinite(p.x()) && std::isfinite(p.y()); }

QPen Crayon(QColor couleur, Qt::PenStyle style = Qt::SolidLine) {
    QPen pen(couleur, 1.0, style);
    pen.setCosmetic(true);
    pen.setCapStyle(Qt::FlatCap);
    return pen;
}

// Widths of the decimal digits, so that the overlap test of a million point numbers does
// not lay out a million strings.
class MesureNombres {
public:
    MesureNombres(const QFontMetricsF& fm) : hauteur_(fm.height()), ascendante_(fm.ascent()) {
        for (int c = 0; c < 10; ++c) chiffres_[c] = fm.horizontalAdvance(QChar(u'0' + c));
    }
    double Largeur(int64_t n) const {
        if (n < 0) n = -n;
        double l = 0.0;
        do {
            l += chiffres_[n % 10];
            n /= 10;
        } while (n > 0);
        return l;
    }
    double Hauteur() const { return hauteur_; }
    double Ascendante() const { return ascendante_; }

private:
    std::array<double, 10> chiffres_{};
    double hauteur_, ascendante_;
};

// Text centred on a pixel position.
void TexteCentre(QPainter& p, const MesureNombres& m, QPointF centre, int64_t n) {
    const double l = m.Largeur(n);
    p.drawText(QPointF(centre.x() - l / 2, centre.y() - m.Hauteur() / 2 + m.Ascendante()), QString::number(n));
}

void PasseTraces(QPainter& p, const Dessin& d, const RepereVue& rep, const Parametres& par, Code2 choisie,
                 double largeur, double hauteur) {
    // Lots: 0 plain, 1 plain dotted, 2 highlighted, 3 highlighted dotted.
    std::array<LotLignes, 4> lots;
    const int32_t n = std::min<int32_t>(d.NbPoints, int32_t(d.Trace_Initial.size()));
    int lotCourant = -1;
    QPointF precedent;
    for (int32_t i = 0; i < n; ++i) {
        const PointTrace& pt = d.Trace_Initial[i];
        const QPointF q = rep.VersPixel(pt.X, pt.Y);
        if (i >= 1) {
            const bool pointille = pt.Sequence != d.Trace_Initial[i - 1].Sequence;
            const bool choisi = pt.Sequence == choisie;
            const int lot = (choisi ? 2 : 0) + (pointille ? 1 : 0);
            if (!Fini(q) || !Fini(precedent) || HorsImage(precedent, q, largeur, hauteur)) {
                if (lotCourant >= 0) lots[lotCourant].Fin();
                lotCourant = -1;
            } else {
                if (lot != lotCourant) {
                    if (lotCourant >= 0) lots[lotCourant].Fin();
                    lots[lot].Debut(precedent);
                    lotCourant = lot;
                }
                lots[lot].Vers(q);
            }
        }
        precedent = q;
    }
    if (lotCourant >= 0) lots[lotCourant].Fin();

    const QColor normal = CouleurQt(par.CouleurDeselectionne);
    const QColor choisi = CouleurQt(par.CouleurSelectionne);
    const std::array<QPen, 4> crayons = {Crayon(normal), Crayon(normal, Qt::DotLine), Crayon(choisi),
                                         Crayon(choisi, Qt::DotLine)};
    for (int lot = 0; lot < 4; ++lot) {
        if (lots[lot].lignes.empty()) continue;
        p.setPen(crayons[lot]);
        p.drawLines(lots[lot].lignes.data(), int(lots[lot].lignes.size()));
    }
}

void PasseNumeros(QPainter& p, const Dessin& d, const RepereVue& rep, const Parametres& par, const MesureNombres& m) {
    const std::vector<int32_t> numerotes = PointsNumerotes(d, [&](int64_t n) { return m.Largeur(n) / rep.Sx; });
    if (numerotes.empty()) return;
    p.setPen(Crayon(CouleurQt(par.CouleurNumero)));
    p.setBrush(Qt::NoBrush);
    for (int32_t k : numerotes) {
        const PointTrace& pt = d.Trace_Initial[k];
        const QPointF c = rep.VersPixel(pt.X, pt.Y);
        if (!Fini(c)) continue;
        const double r = m.Largeur(k + 1);
        p.drawEllipse(c, r, r);
        TexteCentre(p, m, c, k + 1);
    }
}

void PasseSequences(QPainter& p, const Dessin& d, const RepereVue& rep, const Parametres& par, const MesureNombres& m) {
    const int32_t n = std::min<int32_t>(d.NbPoints, int32_t(d.Trace_Initial.size()));
    const int32_t taille = int32_t(d.Trace_Initial.size());
    const QColor couleur = CouleurQt(par.CouleurSequence);
    std::vector<QLineF> fleches;
    Code2 memoire = DeuxEspaces;
    int64_t compteur = 1;
    p.setPen(Crayon(couleur));
    p.setBrush(Qt::white);
    for (int32_t i = 0; i < n; ++i) {
        const PointTrace& P = d.Trace_Initial[i];
        if (P.Sequence == memoire || P.Sequence == DeuxEspaces) continue;
        memoire = P.Sequence;
        const int64_t numero = compteur++;
        const double largeurPx = m.Largeur(numero);
        const double r = largeurPx / rep.Sx;
        const QPointF centre = rep.VersPixel(P.X, P.Y);
        if (!Fini(centre)) continue;
        p.drawEllipse(centre, largeurPx, largeurPx);
        TexteCentre(p, m, centre, numero);

        // The direction of travel: the first later point that differs from P.
        PointTrace Q = P;
        for (int32_t j = i; j < taille; ++j) {
            Q.X = P.X + 2.0f * (d.Trace_Initial[j].X - P.X);
            Q.Y = P.Y + 2.0f * (d.Trace_Initial[j].Y - P.Y);
            if (Q.X != P.X || Q.Y != P.Y) break;
        }
        double theta = 0.0;
        AngleSegment(P, Q, theta);
        const double nx = std::cos(theta + Pi / 2), ny = std::sin(theta + Pi / 2);
        PointTrace A = P;
        A.X = float(P.X + r * nx);
        A.Y = float(P.Y + r * ny);
        if (CoteDe(P, Q, A) != 'D') {
            A.X = float(P.X - r * nx);
            A.Y = float(P.Y - r * ny);
        }
        const double ax = A.X + 2 * r * std::cos(theta), ay = A.Y + 2 * r * std::sin(theta);
        const QPointF pa = rep.VersPixel(A.X, A.Y);
        const QPointF pb = rep.VersPixel(ax, ay);
        fleches.emplace_back(pa, pb);
        fleches.emplace_back(
            pb, rep.VersPixel(ax + r * std::cos(theta + 3 * Pi / 4), ay + r * std::sin(theta + 3 * Pi / 4)));
        fleches.emplace_back(
            pb, rep.VersPixel(ax + r * std::cos(theta - 3 * Pi / 4), ay + r * std::sin(theta - 3 * Pi / 4)));
    }
    p.setBrush(Qt::NoBrush);
    if (!fleches.empty()) p.drawLines(fleches.data(), int(fleches.size()));
}

void PasseDecalage(QPainter& p, const Dessin& d, const RepereVue& rep, const Parametres& par, double largeur,
                   double hauteur) {
    if (par.DecalageOutil == 2) return;
    LotLignes lot;
    for (std::size_t s = 0; s < d.NbSequencesDecalees(); ++s) {
        const std::vector<PointTrace>& pts = d.Trace_Decale[s].Points;
        if (pts.size() < 2) continue;
        QPointF precedent = rep.VersPixel(pts[0].X, pts[0].Y);
        bool ouvert = false;
        for (std::size_t k = 1; k < pts.size(); ++k) {
            const QPointF q = rep.VersPixel(pts[k].X, pts[k].Y);
            // Where the path is lifted the tool cuts nothing: no line there.
            if (pts[k].Plume == MarqueLevee || !Fini(q) || !Fini(precedent) ||
                HorsImage(precedent, q, largeur, hauteur)) {
                if (ouvert) lot.Fin();
                ouvert = false;
            } else {
                if (!ouvert) lot.Debut(precedent);
                ouvert = true;
                lot.Vers(q);
            }
            precedent = q;
        }
        if (ouvert) lot.Fin();
    }
    if (lot.lignes.empty()) return;
    p.setPen(Crayon(CouleurQt(par.CouleurDecalage)));
    p.drawLines(lot.lignes.data(), int(lot.lignes.size()));
}

// Each holding tab as a thick stroke across its stretch of the offset path.
void PasseAttaches(QPainter& p, const Dessin& d, const RepereVue& rep, const Parametres& par) {
    const Attaches a = AttachesDe(par);
    if (par.DecalageOutil == 2 || !a.Actives()) return;
    std::vector<QLineF> traits;
    for (const auto& spans : PlaceAttaches(d, a))
        for (const SpanAttache& t : spans) {
            const QPointF debut = rep.VersPixel(t.x0, t.y0), fin = rep.VersPixel(t.x1, t.y1);
            if (Fini(debut) && Fini(fin)) traits.emplace_back(debut, fin);
        }
    if (traits.empty()) return;
    QPen crayon(QColor(230, 120, 0), 5.0, Qt::SolidLine, Qt::FlatCap);
    p.setPen(crayon);
    p.drawLines(traits.data(), int(traits.size()));
}

}  // namespace

void PeintDessin(QImage& image, const Dessin& d, const Parametres& par, const RepereVue& repere,
                 const OptionsVue& options, const QFont& police) {
    image.fill(Qt::white);
    const double dpr = image.devicePixelRatio();
    const double largeur = image.width() / dpr, hauteur = image.height() / dpr;

    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, options.Lissage);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setFont(police);
    const MesureNombres mesure(QFontMetricsF(police, &image));

    PasseTraces(p, d, repere, par, options.SequenceChoisie, largeur, hauteur);
    if (options.NumerosPoints) PasseNumeros(p, d, repere, par, mesure);
    if (options.Sequences) PasseSequences(p, d, repere, par, mesure);
    PasseDecalage(p, d, repere, par, largeur, hauteur);
    PasseAttaches(p, d, repere, par);
}

void TraitInverse(QImage& image, const RepereVue& repere, double x1, double y1, double x2, double y2) {
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.setPen(Crayon(Qt::white));
    p.drawLine(repere.VersPixel(x1, y1), repere.VersPixel(x2, y2));
}

void MarquePoint(QImage& image, const RepereVue& repere, double x, double y, QColor couleur) {
    const double d = double(ArrondiPair(repere.Largeur / 50.0));
    if (d == 0.0) return;
    QPainter p(&image);
    p.setPen(Crayon(couleur));
    p.drawLine(repere.VersPixel(x, y - d), repere.VersPixel(x, y + d));
    p.drawLine(repere.VersPixel(x - d, y), repere.VersPixel(x + d, y));
}

}  // namespace korvelin
