#pragma once
// The settings store: the one object that reads and writes settings by key, in the INI
// file or, while a project file is the current document, in that file's "$$" lines. Every
// write goes through Ecrire (or RetablitDefauts, its other face): one rewrite of the file
// for all the values given, and what went wrong comes back instead of being told.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/dessin.h"
#include "model/diagnostics.h"

namespace korvelin {

// Keys and values, written in their order.
using EcrituresReglages = std::vector<std::pair<std::string, std::string>>;

class MagasinReglages {
public:
    // Full path of the INI file. Empty: no INI file (every key gives its default).
    std::string CheminIni;
    // True for the command-line converter: writing a setting changes nothing on disk.
    bool LectureSeule = false;

    // The text of the key, from the open project of d (when one is) or the INI file.
    std::string Lire(const Dessin& d, std::string_view cle, std::string_view defaut);
    // Writes every value in one rewrite of the INI file or of the open project of d, with
    // the result the writes one by one would give. A key the project has no line for is
    // added after its other "$$" lines. On failure the old file stays.
    Diagnostics Ecrire(const Dessin& d, const EcrituresReglages& ecritures);
    // Puts the keys back to their defaults in one rewrite: removed from the INI file, or,
    // while a project is open (where a missing line would fall back on the INI file), the
    // default texts of their rows written into its lines.
    Diagnostics RetablitDefauts(const Dessin& d, const std::vector<std::string>& cles);

    // The "$$" lines of the project at chemin, kept while the file is unchanged on disk, so
    // loading forty settings does not read a large project forty times.
    const std::vector<std::string>& LignesProjet(const std::string& chemin);

private:
    struct CacheProjet {
        std::string chemin;
        long long taille = -1;
        long long date = -1;
        std::vector<std::string> lignes;
    } cacheProjet_;

    Diagnostics Ecrit(const Dessin& d, const EcrituresReglages& ecritures, const std::vector<std::string>& aRetablir);
    Diagnostics EcrireDansProjet(const Dessin& d, const EcrituresReglages& ecritures);
};

}  // namespace korvelin
