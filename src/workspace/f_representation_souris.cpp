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
        // A change repaints through the document.
        if (!doc_.DecaleSequence(SequenceADecaler)) Form_Resize();
        SequenceADecaler = AucuneSequence;
        return;
    }
    LeveOutilSousClic(x, y);
}

void F_Representation::LeveOutilSousClic(double x, double y) {
    const Dessin& d = doc_.Trace();
    if (!LeverPermis(d.TypeFichier)) return;
    const int32_t k = SegmentLevable(d, x, y);
    if (k < 0) return;
    const PointTrace a = d.Trace_Initial[static_cast<std::size_t>(k)];
    const PointTrace b = d.Trace_Initial[static_cast<std::size_t>(k) + 1];
    const QColor normal = CouleurQt(doc_.Reglages().CouleurDeselectionne);
    Sablier(true);
    // The white pass wipes the segment so that the dots show on white.
    PB1->Segment(a.X, a.Y, b.X, b.Y, Qt::white, Qt::SolidLine);
    PB1->Segment(a.X, a.Y, b.X, b.Y, normal, Qt::DotLine);
    if (Question("Voulez-vous lever l'outil sur ce segment ?", "- . - . -")) {
        // A connecting move that leaves its trace at the end splits nothing: only the
        // preview has to go.
        if (!doc_.LeveOutil(k)) Form_Resize();
    } else {
        // Back as the view paints it: a connecting move stays dotted, the chosen trace
        // keeps its colour.
        const QColor couleur = b.Sequence == SequenceADecaler ? CouleurQt(doc_.Reglages().CouleurSelectionne) : normal;
        PB1->Segment(a.X, a.Y, b.X, b.Y, couleur, a.Sequence == b.Sequence ? Qt::SolidLine : Qt::DotLine);
    }
    Sablier(false);
}

void F_Representation::PB1_MouseMove(Qt::MouseButtons, Qt::KeyboardModifiers touches, double x, double y) {
    if ((touches & ~Qt::KeypadModifier) == Qt::ShiftModifier) {
        TexteStatut(5, TexteAbscisse(x));
        TexteStatut(6, TexteOrdonnee(y));
    }
    if (!AttenteCoteDecalage) return;
    const Dessin& d = doc_.Trace();
    if (d.NbPoints <= 0 || d.Trace_Initial.empty()) return;
    // The band always starts at the drawing's first point, whatever trace was chosen.
    const PointTrace& p0 = d.Trace_Initial[0];
    if (DernierX != -1.0 && DernierY != -1.0f) PB1->TraitInverse(p0.X, p0.Y, DernierX, DernierY);
    PB1->TraitInverse(p0.X, p0.Y, x, y);
    DernierX = x;
    DernierY = static_cast<float>(y);
}

}  // namespace korvelin
