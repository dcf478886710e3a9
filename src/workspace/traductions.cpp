#include "workspace/traductions.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <string_view>

namespace korvelin {

namespace {

// Texts of the file dialogs that the distribution's French catalogue of Qt 6 lacks: the
// type column would read "Folder" among French headers.
class TextesManquants : public QTranslator {
public:
    using QTranslator::QTranslator;

    bool isEmpty() const override { return false; }

    QString translate(const char* contexte, const char* source, const char* = nullptr, int = -1) const override {
        if (!contexte || !source) return {};
        struct Texte {
            std::string_view contexte, source;
            const char* francais;
        };
        static constexpr Texte Textes[] = {
            {"QAbstractFileIconProvider", "Folder", "Dossier"}, {"QAbstractFileIconProvider", "Drive", "Lecteur"},
            {"QAbstractFileIconProvider", "File", "Fichier"},   {"QAbstractFileIconProvider", "Unknown", "Inconnu"},
            {"QAbstractFileIconProvider", "Alias", "Alias"},    {"QAbstractFileIconProvider", "Shortcut", "Raccourci"},
            {"QFileSystemModel", "Folder", "Dossier"},
        };
        for (const Texte& t : Textes)
            if (t.contexte == contexte && t.source == source) return QString::fromUtf8(t.francais);
        return {};
    }
};

}  // namespace

bool ChargeTraductions(QCoreApplication& application) {
    // Owned by the application, so they live as long as the texts they translate. The one
    // installed last is asked first.
    auto* qt = new QTranslator(&application);
    if (!qt->load(QLocale(QLocale::French, QLocale::France), QStringLiteral("qtbase"), QStringLiteral("_"),
                  QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete qt;
        QCoreApplication::installTranslator(new TextesManquants(&application));
        return false;
    }
    QCoreApplication::installTranslator(qt);
    return QCoreApplication::installTranslator(new TextesManquants(&application));
}

}  // namespace korvelin
