#include "workspace/f_todo.h"

#include <QLabel>
#include <QVBoxLayout>

namespace korvelin {

QStringList TachesPrevues() {
    return {QStringLiteral("Paramétrage des pins"),
            QStringLiteral("Changer le nom de l'application"),
            QStringLiteral("Gérer les points d'attache"),
            QStringLiteral("Le décalage manuel ne tient plus compte de la position ?"),
            QStringLiteral("Optimisation coins très convexes"),
            QStringLiteral("Gérer la passe partielle pour le vynil"),
            QStringLiteral("Option pour le Z Zero")};
}

F_Todo::F_Todo(QWidget* parent) : QDialog(parent) {
    setObjectName("F_Todo");
    setWindowTitle(QStringLiteral("Todo"));
    setModal(true);
    auto* tout = new QVBoxLayout(this);
    int n = 1;
    for (const QString& tache : TachesPrevues()) {
        auto* l = new QLabel(tache, this);
        l->setObjectName(QStringLiteral("Label%1").arg(n++));
        tout->addWidget(l);
    }
    setMinimumWidth(360);
}

}  // namespace korvelin
