#pragma once
// What the window tests share: a window whose dialogs the test answers, drawings made in
// memory, and pixel counting on the picture.

#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QTimer>

#include <cstdlib>
#include <functional>
#include <memory>

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

#include "support/dossier_temporaire.h"
#include "support/ui_enregistreuse.h"
#include "workspace/f_representation.h"
#include "workspace/zone_dessin.h"

namespace korvelin::test {

class FenetreEssai : public F_Representation {
public:
    explicit FenetreEssai(const std::string& ini) : F_Representation(ini) {}

    std::optional<std::string> reponseOuvrir, reponseEnregistrer;
    std::vector<std::string> dossiersOuvrir, dossiersEnregistrer;
    std::vector<MessageRecu> messages;

    std::string DialogueOuvrir(const std::string& dossier) override {
        dossiersOuvrir.push_back(dossier);
        return reponseOuvrir ? *reponseOuvrir : F_Representation::DialogueOuvrir(dossier);
    }
    std::string DialogueEnregistrer(const std::string& dossier) override {
        dossiersEnregistrer.push_back(dossier);
        return reponseEnregistrer ? *reponseEnregistrer
                                  : F_Representation::DialogueEnregistrer(dossier);
    }
    void Message(std::string_view texte, std::string_view titre, Icone icone) override {
        messages.push_back({std::string(texte), std::string(titre), icone});
    }
};

// Runs `reponse` on the next modal dialog of type T as soon as it shows. A dialog that
// never shows fails the test instead of leaving it waiting: after five seconds any modal
// dialog is closed.
template <class T>
void RepondreModal(std::function<void(T&)> reponse) {
    auto* minuterie = new QTimer;
    minuterie->setInterval(5);
    auto attente = std::make_shared<int>(0);
    QObject::connect(minuterie, &QTimer::timeout, [minuterie, reponse, attente] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* d = qobject_cast<T*>(modal)) {
            minuterie->stop();
            minuterie->deleteLater();
            reponse(*d);
        } else if (++*attente > 1000) {
            minuterie->stop();
            minuterie->deleteLater();
            ADD_FAILURE() << "le dialogue attendu ne s'est pas montré";
            if (auto* autre = qobject_cast<QDialog*>(modal)) autre->reject();
        }
    });
    minuterie->start();
}

inline PointTrace Pt(float x, float y, const char* sequence = " A") {
    return {x, y, PlumeBasse, Code2::De(sequence)};
}

// Replaces the drawing; every trace gets an offset entry with no path, plus the spare one.
inline void PoseDessin(Contexte& ctx, const std::vector<PointTrace>& points,
                       const std::string& nom = "/essai/carre.plt") {
    Dessin& d = ctx.dessin;
    d.Trace_Initial = points;
    d.NbPoints = int32_t(points.size());
    d.Trace_Decale.clear();
    for (std::size_t i = 0; i < points.size(); ++i)
        if (i == 0 || !(points[i].Sequence == points[i - 1].Sequence))
            d.Trace_Decale.push_back({points[i].Sequence, {points[i]}});
    d.Trace_Decale.push_back({});
    d.NomFichier = nom;
    d.TypeFichier = "PLT";
}

inline bool MemeCouleur(QRgb p, QColor c) {
    return qRed(p) == c.red() && qGreen(p) == c.green() && qBlue(p) == c.blue();
}

// Pixels of colour c in the rectangle [x0, x1] × [y0, y1] (clipped to the image).
inline int Compte(const QImage& im, QColor c, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = std::max(y0, 0); y <= std::min(y1, im.height() - 1); ++y)
        for (int x = std::max(x0, 0); x <= std::min(x1, im.width() - 1); ++x)
            if (MemeCouleur(im.pixel(x, y), c)) ++n;
    return n;
}

// True when a pixel of colour c lies within `tolerance` pixels of (x, y).
inline bool Pres(const QImage& im, QColor c, double x, double y, int tolerance = 1) {
    const int cx = int(std::floor(x)), cy = int(std::floor(y));
    return Compte(im, c, cx - tolerance, cy - tolerance, cx + tolerance, cy + tolerance) > 0;
}

// With KORVELIN_CAPTURES naming a folder, saves the picture there to be looked at.
inline void Capture(const QImage& im, const std::string& nom) {
    if (const char* dossier = std::getenv("KORVELIN_CAPTURES"); dossier && *dossier)
        im.save(QString::fromStdString(std::string(dossier) + "/" + nom + ".png"));
}

}  // namespace korvelin::test
