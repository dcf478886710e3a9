#include "workspace/ecran.h"

#include <QScreen>

namespace korvelin {

QSize PlaceSurLEcran(const QWidget& fenetre) {
    const QScreen* ecran = fenetre.screen();
    const QRect libre = ecran ? ecran->availableGeometry() : QRect(0, 0, 1366, 768);
    // The title bar and the frame the window manager adds around the content.
    constexpr int Titre = 40, Cadre = 12;
    return {libre.width() - Cadre, libre.height() - Titre};
}

QScrollArea* Defilable(QWidget* contenu) {
    auto* zone = new QScrollArea;
    zone->setFrameShape(QFrame::NoFrame);
    zone->setWidgetResizable(true);
    zone->setWidget(contenu);
    return zone;
}

void TailleDansLEcran(QWidget& fenetre, QSize voulue) { fenetre.resize(voulue.boundedTo(PlaceSurLEcran(fenetre))); }

}  // namespace korvelin
