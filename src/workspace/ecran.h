#pragma once
// Windows that fit a small laptop screen (1366 × 768 with a title bar and a panel): a
// window whose content is taller or wider than the screen leaves shows it in a scroll area.

#include <QScrollArea>
#include <QWidget>

namespace korvelin {

// The room the window manager leaves a window's content on the screen of `fenetre`.
QSize PlaceSurLEcran(const QWidget& fenetre);

// `contenu` in a scroll area without a frame, resizing with it; the area scrolls only when
// the window cannot show the whole content.
QScrollArea* Defilable(QWidget* contenu);

// The window at the size its content asks for, but no larger than the screen leaves.
void TailleDansLEcran(QWidget& fenetre, QSize voulue);

}  // namespace korvelin
