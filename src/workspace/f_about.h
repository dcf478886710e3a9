#pragma once
// F_About: the program's title and version, and a way to the desktop's system information.

#include <QDialog>
#include <QString>
#include <QStringList>

class QPushButton;

namespace korvelin {

// "1.1.8" for this release.
QString VersionProgramme();
// The first system-information tool of this desktop found in PATH, "" when none is.
QString OutilInformationsSysteme(const QStringList& candidats = {});
QStringList OutilsInformationsSysteme();

class F_About : public QDialog {
    Q_OBJECT
public:
    explicit F_About(QWidget* parent = nullptr, const QString& outil = OutilInformationsSysteme());

    QPushButton* Btn_InfoSysteme;
    QPushButton* Btn_OK;

private:
    QString outil_;
};

}  // namespace korvelin
