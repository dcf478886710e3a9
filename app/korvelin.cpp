// The Korvelin desktop program: the main window, and everything reached from it.

#include <QApplication>

#include "workspace/f_representation.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvelin"));
    korvelin::F_Representation fenetre;
    fenetre.show();
    return app.exec();
}
