// The Korvelin desktop program: the main window, and everything reached from it.
// `korvelin DESSIN` opens that drawing at start, as "Ouvrir" would; the desktop entry
// passes the file the user double-clicked this way.

#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <QTimer>

#include <iostream>
#include <cstring>

#include "platform/memoire.h"
#include "workspace/f_representation.h"
#include "workspace/traductions.h"

namespace {

const char* const Usage =
    "Usage : korvelin [DESSIN]\n"
    "Ouvre la fenêtre de Korvelin ; DESSIN (PLT, HPGL, DAT, DXF ou Korvelin) s'ouvre\n"
    "au démarrage comme par « Ouvrir ».\n";

int ErreurUsage(const QString& raison) {
    std::cerr << "korvelin : " << raison.toStdString() << "\n\n" << Usage;
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    // The help answers even where there is no display for Qt to reach.
    for (int i = 1; i < argc; ++i)
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
            std::fputs(Usage, stdout);
            return 0;
        }

    korvelin::RendLesGrandsBlocs();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvelin"));
    korvelin::ChargeTraductions(app);
#ifdef KORVELIN_ID_APPLI
    QGuiApplication::setDesktopFileName(QStringLiteral(KORVELIN_ID_APPLI));
#endif
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("korvelin")));

    // Qt has taken its own options out of the list.
    const QStringList arguments = QApplication::arguments().mid(1);
    for (const QString& a : arguments)
        if (a.startsWith(u'-')) return ErreurUsage(QStringLiteral("option inconnue : ") + a);
    if (arguments.size() > 1) return ErreurUsage(QStringLiteral("un seul dessin est accepté : ") + arguments[1]);

    korvelin::F_Representation fenetre;
    fenetre.show();
    if (!arguments.isEmpty()) {
        // Once the window shows, so that the rescaling dialog opens over it. The path is
        // made absolute, as the open dialog gives it: the CUT file and the next "Ouvrir"
        // start from its folder.
        const std::string chemin = QFileInfo(arguments[0]).absoluteFilePath().toStdString();
        QTimer::singleShot(0, &fenetre, [&fenetre, chemin] { fenetre.OuvreDessin(chemin); });
    }
    return app.exec();
}
