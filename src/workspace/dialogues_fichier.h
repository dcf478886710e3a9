#pragma once
// The open dialog for drawings and the save dialog for project files.

#include <QFileDialog>

#include <memory>
#include <string>

namespace korvelin {

class InterfaceUtilisateur;

// The folder the dialogs start in: the given one, or the desktop when it is blank.
QString DossierInitial(const std::string& dossier);
// The desktop folder without a trailing separator, "" when there is none.
QString DossierBureau();

std::unique_ptr<QFileDialog> CreeDialogueOuvrir(QWidget* proprietaire, const std::string& dossier);
std::unique_ptr<QFileDialog> CreeDialogueEnregistrer(QWidget* proprietaire, const std::string& dossier);

// Runs the dialog; the chosen path trimmed, or "" after telling the user nothing was chosen.
std::string ExecuteDialogueFichier(QFileDialog& dialogue, InterfaceUtilisateur& ui);

}  // namespace korvelin
