#pragma once
// PB1: the picture area of the main window. It keeps its picture between repaints, so
// that marks drawn on top (a rubber band in invert mode, a point cross) stay until the
// next full repaint, and it reports the mouse in drawing units.

#include <QImage>
#include <QWidget>

#include "workspace/vue_dessin.h"

namespace korvelin {

class ZoneDessin : public QWidget {
    Q_OBJECT
public:
    explicit ZoneDessin(QWidget* parent = nullptr);

    // Sizes the picture to the widget and paints the whole drawing.
    void Peindre(const Contexte& ctx, const RepereVue& repere, const OptionsVue& options);
    // A blank white picture of the widget's size, no coordinate system.
    void Effacer();

    void TraitInverse(double x1, double y1, double x2, double y2);
    void MarquePoint(double x, double y, QColor couleur);
    // A segment drawn over the picture (the pen-lift preview), gone at the next painting.
    void Segment(double x1, double y1, double x2, double y2, QColor couleur, Qt::PenStyle style);

    const QImage& Image() const { return image_; }
    const RepereVue& Repere() const { return repere_; }
    bool AUnRepere() const { return aUnRepere_; }

signals:
    // Positions in drawing units.
    void SourisEnfoncee(Qt::MouseButton bouton, Qt::KeyboardModifiers touches, double x, double y);
    void SourisDeplacee(Qt::MouseButtons boutons, Qt::KeyboardModifiers touches, double x,
                        double y);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;

private:
    void PrepareImage();

    QImage image_;
    RepereVue repere_;
    bool aUnRepere_ = false;
};

}  // namespace korvelin
