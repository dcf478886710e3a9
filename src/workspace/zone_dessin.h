#pragma once
// PB1: the picture area of the main window. It keeps its picture between repaints, so
// that marks drawn on top (a rubber band in invert mode, a point cross) stay until the
// next full repaint, and it reports the mouse in drawing units.

#include <QImage>
#include <QPoint>
#include <QWidget>

#include <optional>

#include "workspace/vue_dessin.h"

namespace korvelin {

class ZoneDessin : public QWidget {
    Q_OBJECT
public:
    explicit ZoneDessin(QWidget* parent = nullptr);

    // Sizes the picture to the widget and paints the whole drawing.
    void Peindre(const Dessin& d, const Parametres& p, const RepereVue& repere, const OptionsVue& options);
    // A blank white picture of the widget's size, no coordinate system.
    void Effacer();

    void TraitInverse(double x1, double y1, double x2, double y2);
    void MarquePoint(double x, double y, QColor couleur);
    // A simulated tool path over the drawing: solid where the tool is in the material,
    // dotted for the moves above it, a dot where it plunges without moving.
    void TraceChemin(const std::vector<QPointF>& points, const std::vector<bool>& enMatiere, QColor couleur);
    // A segment drawn over the picture (the pen-lift preview), gone at the next painting.
    void Segment(double x1, double y1, double x2, double y2, QColor couleur, Qt::PenStyle style);

    const QImage& Image() const { return image_; }
    const RepereVue& Repere() const { return repere_; }
    bool AUnRepere() const { return aUnRepere_; }

signals:
    // Positions in drawing units.
    void SourisEnfoncee(Qt::MouseButton bouton, Qt::KeyboardModifiers touches, double x, double y);
    void SourisDeplacee(Qt::MouseButtons boutons, Qt::KeyboardModifiers touches, double x, double y);
    // The middle button held and moved by so many pixels: the drawing follows the hand.
    void Glissement(QPoint deplacement);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    void PrepareImage();

    QImage image_;
    RepereVue repere_;
    bool aUnRepere_ = false;
    // Screen position of the pointer while the middle button drags the drawing, measured on
    // the screen because the picture moves under it.
    std::optional<QPoint> glisse_;
};

}  // namespace korvelin
