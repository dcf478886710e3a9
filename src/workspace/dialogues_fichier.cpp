#include "workspace/dialogues_fichier.h"

#include <QDir>
#include <QStandardPaths>

#include "model/interface_utilisateur.h"

namespace korvelin {

QString DossierBureau() {
    QString bureau = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    while (bureau.size() > 1 && bureau.endsWith(u'/')) bureau.chop(1);
    return bureau;
}

QString DossierInitial(const std::string& dossier) {
    const QString d = QString::fromStdString(dossier);
    if (!d.trimmed().isEmpty()) return d;
    const QString bureau = DossierBureau();
    return bureau.isEmpty() ? QString() : bureau + u'/';
}

namespace {

std::unique_ptr<QFileDialog> DialogueCommun(QWidget* proprietaire, const QString& titre, const QString& dossier) {
    auto d = std::make_unique<QFileDialog>(proprietaire, titre, dossier);
    d->setOption(QFileDialog::HideNameFilterDetails, true);
    // Names typed or found in either case match the filter.
    d->setFilter(d->filter() & ~QDir::CaseSensitive);
    return d;
}

}  // namespace

std::unique_ptr<QFileDialog> CreeDialogueOuvrir(QWidget* proprietaire, const std::string& dossier) {
    auto d = DialogueCommun(proprietaire, QStringLiteral("Sélection du fichier de dessin"), DossierInitial(dossier));
    d->setObjectName("DialogueOuvrir");
    d->setAcceptMode(QFileDialog::AcceptOpen);
    d->setFileMode(QFileDialog::ExistingFile);
    d->setNameFilter(
        QStringLiteral("Fichiers dessin (*.DAT *.PLT *.HPGL *.Korvelin *.DXF "
                       "*.dat *.plt *.hpgl *.korvelin *.dxf)"));
    return d;
}

std::unique_ptr<QFileDialog> CreeDialogueEnregistrer(QWidget* proprietaire, const std::string& dossier) {
    const QString programme = QString::fromUtf8(TitreProgramme.data(), TitreProgramme.size());
    auto d = DialogueCommun(proprietaire, QStringLiteral("Sauvegarder un fichier projet ") + programme,
                            DossierInitial(dossier));
    d->setObjectName("DialogueEnregistrer");
    d->setAcceptMode(QFileDialog::AcceptSave);
    d->setFileMode(QFileDialog::AnyFile);
    d->setOption(QFileDialog::DontConfirmOverwrite, true);
    d->setNameFilter(QStringLiteral("Fichiers projets ") + programme + QStringLiteral(" (*.") + programme +
                     QStringLiteral(" *.") + programme.toLower() + u')');
    d->setDefaultSuffix(programme);
    return d;
}

std::string ExecuteDialogueFichier(QFileDialog& dialogue, InterfaceUtilisateur& ui) {
    if (dialogue.exec() == QDialog::Accepted && !dialogue.selectedFiles().isEmpty()) {
        QString chemin = dialogue.selectedFiles().first();
        const qsizetype nul = chemin.indexOf(QChar(0));
        if (nul >= 0) chemin.truncate(nul);
        chemin = chemin.trimmed();
        if (!chemin.isEmpty()) return chemin.toStdString();
    }
    ui.Message("Aucun fichier sélectionné !", "Sélection du fichier", Icone::Information);
    return {};
}

}  // namespace korvelin
