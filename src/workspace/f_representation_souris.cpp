// The mouse on the drawing view: pointer coordinates, the offset side pick and pen lifting.

#include <QCursor>

#include "document/pointage.h"
#include "workspace/f_representation.h"
#include "workspace/zone_dessin.h"

namespace korvelin {

void F_Representation::PB1_MouseDown(Qt::MouseButton bouton, Qt::KeyboardModifiers, double x, double y) {
    // The middle button moves the view around; it picks nothing.
    if (bouton == Qt::MiddleButton) return;
    if (AttenteCoteDecalage) {
        if (SequenceADecaler == AucuneSequence) return;
        AttenteCoteDecalage = false;
        PB1->setToolTip(QString());
        // The side comes from the settings; where the click fell only ends the wait.
        doc_.DecaleSequence(SequenceADecaler);
        Form_Resize();
        SequenceADecaler = AucuneSequence;
        return;
    }
    LeveOutilSousClic(x, y);
}

void F_Representation::LeveOutilSousClic(double x, double y) {
    const Dessin& d = ctx_.dessin;
    if (!LeverPermis(d.TypeFichier)) return;
    const int32_t k = SegmentLevable(d, x, y);
    if (k < 0) return;
    const PointTrace a = d.Trace_Initial[static_cast<std::size_t>(k)];
    const PointTrace b = d.Trace_Initial[static_cast<std::size_t>(k) + 1];
    const QColor normal = CouleurQt(ctx_.parametres.CouleurDeselectionne);
    Sablier(true);
    PB1->Segment(a.X, a.Y, b.X, b.Y, Qt::white, Qt::DotLine);
    PB1->Segment(a.X, a.Y, b.X, b.Y, normal, Qt::DotLine);
    if (Question("Voulez-vous lever l'outil sur ce segment ?", "- . - . -"))
        doc_.LeveOutil(k);
    else
        PB1->Segment(a.X, a.Y, b.X, b.Y, normal, Qt::SolidLine);
    Sablier(false);
}

void F_Representation::PB1_MouseMove(Qt::MouseButtons, Qt::KeyboardModifiers touches, double x, double y) {
    if ((touches & ~Qt::KeypadModifier) == Qt::ShiftModifier) {
        TexteStatut(5, TexteAbscisse(x));
        TexteStatut(6, TexteOrdonnee(y));
    }
    if (!AttenteCoteDecalage) return;
    const Dessin& d = ctx_.dessin;
    if (d.NbPoints <= 0 || d.Trace_Initial.empty()) return;
    // The band always starts at the drawing's first point, whatever trace was chosen.
    const PointTrace& p0 = d.Trace_Initial[0];
    if (DernierX != -1.0 && DernierY != -1.0f) PB1->TraitInverse(p0.X, p0.Y, DernierX, DernierY);
    PB1->TraitInverse(p0.X, p0.Y, x, y);
    DernierX = x;
    DernierY = static_cast<float>(y);
}

}  // namespace korvelin
