#include "workspace/f_about.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

#include "model/interface_utilisateur.h"

namespace korvelin {

QString VersionProgramme() {
    return QStringLiteral("%1.%2.%3")
        .arg(KORVELIN_VERSION_MAJEURE)
        .arg(KORVELIN_VERSION_MINEURE)
        .arg(KORVELIN_VERSION_REVISION);
}

QStringList OutilsInformationsSysteme() {
    return {QStringLiteral("hardinfo2"),
            QStringLiteral("hardinfo"),
            QStringLiteral("kinfocenter"),
            QStringLiteral("gnome-system-monitor"),
            QStringLiteral("mate-system-monitor"),
            QStringLiteral("xfce4-taskmanager"),
            QStringLiteral("lxtask"),
            QStringLiteral("ksysguard")};
}

QString OutilInformationsSysteme(const QStringList& candidats) {
    for (const QString& nom : candidats.isEmpty() ? OutilsInformationsSysteme() : candidats) {
        const QString chemin = QStandardPaths::findExecutable(nom);
        if (!chemin.isEmpty()) return chemin;
    }
    return {};
}

F_About::F_About(QWidget* parent, const QString& outil) : QDialog(parent), outil_(outil) {
    const QString programme = QString::fromUtf8(TitreProgramme.data(), TitreProgramme.size());
    setObjectName("F_About");
    setWindowTitle(QStringLiteral("A propos de ") + programme);
    setModal(true);

    auto* icone = new QLabel(this);
    icone->setPixmap(QIcon(QStringLiteral(":/icones/fraisage.svg")).pixmap(48, 48));
    auto* titre = new QLabel(QStringLiteral("<b><big>%1</big></b>").arg(programme), this);
    titre->setObjectName("Label_Titre");
    auto* version = new QLabel(QStringLiteral("Version ") + VersionProgramme(), this);
    version->setObjectName("Label_Version");
    auto* texte = new QLabel(QStringLiteral("Du dessin au parcours d'outil pour fraiseuse 3 axes."), this);

    Btn_InfoSysteme = new QPushButton(QStringLiteral("Informations système..."), this);
    Btn_InfoSysteme->setObjectName("Btn_InfoSysteme");
    Btn_InfoSysteme->setEnabled(!outil_.isEmpty());
    Btn_InfoSysteme->setToolTip(outil_.isEmpty() ? QStringLiteral("Aucun outil d'informations système n'est installé")
                                                 : QStringLiteral("Lance ") + outil_);
    Btn_OK = new QPushButton(QStringLiteral("OK"), this);
    Btn_OK->setObjectName("Btn_OK");
    Btn_OK->setDefault(true);

    connect(Btn_OK, &QPushButton::clicked, this, &QDialog::accept);
    connect(Btn_InfoSysteme, &QPushButton::clicked, this, [this] {
        if (!QProcess::startDetached(outil_, {}))
            QMessageBox::critical(this, QStringLiteral("Korvelin"),
                                  QStringLiteral("Impossible de lancer ") + outil_ + u'.');
    });

    auto* haut = new QHBoxLayout;
    haut->addWidget(icone, 0, Qt::AlignTop);
    auto* textes = new QVBoxLayout;
    textes->addWidget(titre);
    textes->addWidget(version);
    textes->addWidget(texte);
    haut->addLayout(textes, 1);
    auto* boutons = new QHBoxLayout;
    boutons->addWidget(Btn_InfoSysteme);
    boutons->addStretch();
    boutons->addWidget(Btn_OK);
    auto* tout = new QVBoxLayout(this);
    tout->addLayout(haut);
    tout->addSpacing(12);
    tout->addLayout(boutons);
}

}  // namespace korvelin
