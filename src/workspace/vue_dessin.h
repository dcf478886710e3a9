#pragma once
// Painting the drawing into the picture of the main window: the fit of the picture area,
// the user coordinate system (Y up, 5 % margins, zoom), and the passes that draw the
// traces, point numbers, sequence markers and offset paths.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPointF>
#include <QSize>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "model/dessin.h"
#include "model/parametres.h"

namespace korvelin {

// A settings colour (red + 256·green + 65536·blue) as a Qt colour.
QColor CouleurQt(int32_t valeur);

// The extent of the drawing the view works with. A drawing whose points lie on one
// horizontal or vertical line is given a small made-up extent on the missing axis,
// centred on the line, so that it has an aspect ratio and shows in the middle.
struct EtendueVue {
    double Xmin = 0.0, Xmax = 0.0, Ymin = 0.0, Ymax = 0.0;
    double Ex() const { return Xmax - Xmin; }
    double Ey() const { return Ymax - Ymin; }
};
inline constexpr double FractionAxeManquant = 0.1;

// Nothing when all points coincide (or the bounds are not finite numbers).
bool EtendueDeVue(const Dessin& d, EtendueVue& e);

// Size in pixels of the picture area fitted into the W × H space left between the bars.
QSize CadrePicture(const EtendueVue& e, int W, int H, double facteurZoom);

// The user coordinate system of the picture: drawing units to pixels and back.
struct RepereVue {
    double Gauche = 0.0;   // drawing X at the left edge
    double Haut = 0.0;     // drawing Y at the top edge
    double Largeur = 1.0;  // scale width in drawing units
    double Hauteur = 1.0;  // scale height in drawing units (positive; Y runs upwards)
    double Sx = 1.0;       // pixels per drawing unit, horizontally
    double Sy = 1.0;       // pixels per drawing unit, vertically

    QPointF VersPixel(double x, double y) const { return {(x - Gauche) * Sx, (Haut - y) * Sy}; }
    QPointF VersDessin(QPointF p) const { return {Gauche + p.x() / Sx, Haut - p.y() / Sy}; }
};

RepereVue RepereDe(const EtendueVue& e, QSize picture, double facteurZoom);

// A scroll bar of the view, for a picture `etendue` pixels long seen through `visible`
// pixels. A click in the trough moves one window, an arrow a tenth of one, and at either
// end a tenth of the window still shows the picture, so no click loses the drawing.
struct BarreDefilement {
    int Minimum = 0, Maximum = 0, Page = 1, Pas = 1;
};
BarreDefilement BornesDefilement(int etendue, int visible);

// The zoom levels of the menus, in order; Ctrl+wheel steps through them.
inline constexpr double NiveauxZoom[] = {0.1, 0.2, 0.5, 1.0, 2.0};
// The next level above (sens > 0) or below (sens < 0) the factor; the factor itself past
// the last one.
double ZoomSuivant(double facteur, int sens);

struct OptionsVue {
    bool NumerosPoints = false;  // toolbar button 2
    bool Sequences = true;       // toolbar button 6
    bool Lissage = true;         // antialiased lines
    // The trace chosen in the sequencing dialog, highlighted; AucuneSequence for none.
    Code2 SequenceChoisie = AucuneSequence;
};

// Indices of the points that carry a number, in order. The number shown at index k is
// k + 1. A number is left out when its circle would overlap the last number drawn.
// largeurTexte(n) is the width, in drawing units, of the text of number n.
template <class LargeurTexte>
std::vector<int32_t> PointsNumerotes(const Dessin& d, LargeurTexte largeurTexte);

// Paints the whole drawing on the image (already sized to the picture area): clears it to
// white, then the trace pass, the point numbers, the sequence markers and the offset pass.
void PeintDessin(QImage& image, const Dessin& d, const Parametres& par, const RepereVue& repere,
                 const OptionsVue& options, const QFont& police);

// A line in invert mode: drawing the same line twice gives the picture back.
void TraitInverse(QImage& image, const RepereVue& repere, double x1, double y1, double x2, double y2);
// A cross at a drawing point, half-size one fiftieth of the scale width rounded to a whole
// number of drawing units; nothing shows when that is 0.
void MarquePoint(QImage& image, const RepereVue& repere, double x, double y, QColor couleur);

// ---------------------------------------------------------------------------------------

template <class LargeurTexte>
std::vector<int32_t> PointsNumerotes(const Dessin& d, LargeurTexte largeurTexte) {
    std::vector<int32_t> numerotes;
    double rDernier = -9999.0;
    double xDernier = 0.0, yDernier = 0.0;
    const int32_t n = std::min<int32_t>(d.NbPoints, static_cast<int32_t>(d.Trace_Initial.size()));
    for (int32_t k = 0; k < n; ++k) {
        const PointTrace& p = d.Trace_Initial[k];
        const double r = largeurTexte(k + 1);
        const double dx = double(p.X) - xDernier, dy = double(p.Y) - yDernier;
        if (rDernier + r < std::sqrt(dx * dx + dy * dy)) {
            numerotes.push_back(k);
            rDernier = r;
            xDernier = p.X;
            yDernier = p.Y;
        }
    }
    return numerotes;
}

}  // namespace korvelin
