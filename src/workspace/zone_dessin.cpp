#include "workspace/zone_dessin.h"

#include <QMouseEvent>
#include <QPainter>

namespace korvelin {

ZoneDessin::ZoneDessin(QWidget* parent) : QWidget(parent) {
    setObjectName("PB1");
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ZoneDessin::PrepareImage() {
    const qreal dpr = devicePixelRatioF();
    const QSize taille = (QSizeF(size()) * dpr).toSize().expandedTo(QSize(1, 1));
    if (image_.size() != taille || image_.devicePixelRatio() != dpr) {
        image_ = QImage(taille, QImage::Format_RGB32);
        image_.setDevicePixelRatio(dpr);
    }
}

void ZoneDessin::Peindre(const Dessin& d, const Parametres& p, const RepereVue& repere, const OptionsVue& options) {
    PrepareImage();
    repere_ = repere;
    aUnRepere_ = true;
    PeintDessin(image_, d, p, repere_, options, font());
    update();
}

void ZoneDessin::Effacer() {
    PrepareImage();
    image_.fill(Qt::white);
    update();
}

void ZoneDessin::TraitInverse(double x1, double y1, double x2, double y2) {
    if (!aUnRepere_ || image_.isNull()) return;
    korvelin::TraitInverse(image_, repere_, x1, y1, x2, y2);
    update();
}

void ZoneDessin::MarquePoint(double x, double y, QColor couleur) {
    if (!aUnRepere_ || image_.isNull()) return;
    korvelin::MarquePoint(image_, repere_, x, y, couleur);
    update();
}

void ZoneDessin::TraceChemin(const std::vector<QPointF>& points, const std::vector<bool>& enMatiere, QColor couleur) {
    if (!aUnRepere_ || image_.isNull() || points.size() < 2) return;
    QPainter p(&image_);
    // Not smoothed: the path keeps its own colour where it runs over the drawing.
    QPen plein(couleur, 2.0), pointille(couleur, 1.0, Qt::DotLine);
    for (size_t i = 1; i < points.size(); ++i) {
        if (enMatiere[i] && points[i] == points[i - 1]) {
            // A plunge where the tool stands: a drilled hole.
            p.setPen(Qt::NoPen);
            p.setBrush(couleur);
            p.drawEllipse(repere_.VersPixel(points[i].x(), points[i].y()), 3.0, 3.0);
            continue;
        }
        p.setPen(enMatiere[i] ? plein : pointille);
        p.drawLine(repere_.VersPixel(points[i - 1].x(), points[i - 1].y()),
                   repere_.VersPixel(points[i].x(), points[i].y()));
    }
    update();
}

void ZoneDessin::Segment(double x1, double y1, double x2, double y2, QColor couleur, Qt::PenStyle style) {
    if (!aUnRepere_ || image_.isNull()) return;
    QPainter p(&image_);
    QPen crayon(couleur, 1.0, style);
    crayon.setCosmetic(true);
    crayon.setCapStyle(Qt::FlatCap);
    p.setPen(crayon);
    p.drawLine(repere_.VersPixel(x1, y1), repere_.VersPixel(x2, y2));
    update();
}

void ZoneDessin::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (image_.isNull()) {
        p.fillRect(rect(), Qt::white);
        return;
    }
    p.drawImage(QPointF(0, 0), image_);
    // The widget may have grown since the last painting: show white beyond the picture.
    const QSizeF montre = QSizeF(image_.size()) / image_.devicePixelRatio();
    if (montre.width() < width()) p.fillRect(QRectF(montre.width(), 0, width() - montre.width(), height()), Qt::white);
    if (montre.height() < height())
        p.fillRect(QRectF(0, montre.height(), width(), height() - montre.height()), Qt::white);
}

void ZoneDessin::mousePressEvent(QMouseEvent* e) {
    // The middle button moves the view; it is no click on the drawing.
    if (e->button() == Qt::MiddleButton) {
        glisse_ = e->globalPosition().toPoint();
        setCursor(Qt::ClosedHandCursor);
        return;
    }
    const QPointF d = repere_.VersDessin(e->position());
    emit SourisEnfoncee(e->button(), e->modifiers(), d.x(), d.y());
}

void ZoneDessin::mouseMoveEvent(QMouseEvent* e) {
    if (glisse_ && (e->buttons() & Qt::MiddleButton)) {
        const QPoint ici = e->globalPosition().toPoint();
        const QPoint delta = ici - *glisse_;
        glisse_ = ici;
        if (!delta.isNull()) emit Glissement(delta);
        return;
    }
    const QPointF d = repere_.VersDessin(e->position());
    emit SourisDeplacee(e->buttons(), e->modifiers(), d.x(), d.y());
}

void ZoneDessin::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::MiddleButton && glisse_) {
        glisse_.reset();
        unsetCursor();
    }
}

}  // namespace korvelin
