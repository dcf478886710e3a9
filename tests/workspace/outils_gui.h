#pragma once
// What the window tests share: a window whose dialogs the test answers, drawings made in
// memory, and pixel counting on the picture.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QTimer>

#include <functional>
#include <optional>

#include "support/valeurs_temporaires.h"
#include "support/dossier_temporaire.h"
#include "support/ui_enregistreuse.h"
#include "workspace/f_representation.h"
#include "workspace/zone_dessin.h"

namespace korvelin::test {

inline QString Q(const char* s) { return QString::fromUtf8(s); }

class FenetreEssai : public F_Representation {
public:
    explicit FenetreEssai(const std::string& ini) : F_Representation(ini) {}

    std::optional<std::string> reponseOuvrir;
    std::string reponseEnregistrer;  // the save dialog's answer, empty when cancelled
    std::vector<std::string> dossiersEnregistrer;
    std::vector<MessageRecu> messages;

    std::string DialogueOuvrir(const std::string& dossier) override {
        return reponseOuvrir ? *reponseOuvrir : F_Representation::DialogueOuvrir(dossier);
    }
    std::string DialogueEnregistrer(const std::string& dossier) override {
        dossiersEnregistrer.push_back(dossier);
        return reponseEnregistrer;
    }
    void Message(std::string_view texte, std::string_view titre, Icone icone) override {
        messages.push_back({std::string(texte), std::string(titre), icone});
    }
    // The Yes/No questions asked, answered with `reponseQuestion`.
    std::vector<std::string> questions;
    std::string titreQuestion;  // of the latest
    bool reponseQuestion = false;
    bool Question(std::string_view texte, std::string_view titre) override {
        questions.emplace_back(texte);
        titreQuestion = titre;
        return reponseQuestion;
    }
    // "Enregistrer les modifications de « nom » ?": the names asked about, and the answer.
    std::vector<std::string> questionsEnregistrer;
    Reponse reponseEnregistrerModifs = Reponse::Annuler;
    Reponse QuestionEnregistrer(const std::string& nom) override {
        questionsEnregistrer.push_back(nom);
        return reponseEnregistrerModifs;
    }
    void Montre(int largeur, int hauteur) {
        resize(largeur, hauteur);
        show();
        QApplication::processEvents();
    }
};

// Runs `reponse` on the next modal dialog of type T as soon as it shows. After five seconds
// without it the test fails and any other modal dialog is closed, rather than wait forever.
template <class T>
void RepondreModal(std::function<void(T&)> reponse) {
    auto* minuterie = new QTimer;
    minuterie->setInterval(5);
    QObject::connect(minuterie, &QTimer::timeout, [minuterie, reponse, attente = 0]() mutable {
        QWidget* modal = QApplication::activeModalWidget();
        auto* d = qobject_cast<T*>(modal);
        if (!d && ++attente <= 1000) return;
        minuterie->stop();
        minuterie->deleteLater();
        if (d) return reponse(*d);
        ADD_FAILURE() << "le dialogue attendu ne s'est pas montré";
        if (auto* autre = qobject_cast<QDialog*>(modal)) autre->reject();
    });
    minuterie->start();
}

inline PointTrace Pt(float x, float y, const char* sequence = " A") { return {x, y, PlumeBasse, Code2::De(sequence)}; }

// The points as the window's document; every trace gets an offset entry with no path,
// plus the spare one.
inline void PoseDessin(Document& doc, const std::vector<PointTrace>& points,
                       const std::string& nom = "/essai/carre.plt") {
    Dessin d;
    d.Trace_Initial = points;
    d.NbPoints = int32_t(points.size());
    d.Trace_Decale.clear();
    for (std::size_t i = 0; i < points.size(); ++i)
        if (i == 0 || !(points[i].Sequence == points[i - 1].Sequence))
            d.Trace_Decale.push_back({points[i].Sequence, {points[i]}});
    d.Trace_Decale.push_back({});
    d.NomFichier = nom;
    d.TypeFichier = "PLT";
    doc.Remplace(std::move(d));
}

inline bool MemeCouleur(QRgb p, QColor c) {
    return qRed(p) == c.red() && qGreen(p) == c.green() && qBlue(p) == c.blue();
}

// Pixels of colour c in [x0, x1] × [y0, y1], clipped to the image (by default all of it).
inline int Compte(const QImage& im, QColor c, int x0 = 0, int y0 = 0, int x1 = 1 << 20, int y1 = 1 << 20) {
    int n = 0;
    for (int y = std::max(y0, 0); y <= std::min(y1, im.height() - 1); ++y)
        for (int x = std::max(x0, 0); x <= std::min(x1, im.width() - 1); ++x)
            if (MemeCouleur(im.pixel(x, y), c)) ++n;
    return n;
}

// Pixels of colour c within `rayon` pixels of p.
inline int Autour(const QImage& im, QColor c, QPointF p, int rayon) {
    const int cx = int(std::floor(p.x())), cy = int(std::floor(p.y()));
    return Compte(im, c, cx - rayon, cy - rayon, cx + rayon, cy + rayon);
}

inline bool Pres(const QImage& im, QColor c, QPointF p, int r = 1) { return Autour(im, c, p, r) > 0; }

}  // namespace korvelin::test
