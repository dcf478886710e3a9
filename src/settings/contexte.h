#pragma once
// Everything one running program works on, owned by the application and passed by
// reference: the drawing, the settings values, the settings store, the user interface.

#include <string>
#include <vector>

#include "model/dessin.h"
#include "model/interface_utilisateur.h"
#include "settings/parametres.h"

namespace korvelin {

struct Contexte {
    Dessin dessin;
    Parametres parametres;

    // Full path of the INI file. Empty: no INI file (every key gives its default).
    std::string CheminIni;
    // True for the command-line converter: writing a setting changes nothing on disk.
    bool ParametresEnLectureSeule = false;

    InterfaceUtilisateur* ui = &silence;

    // The "$$" lines of the open project, kept while the file is unchanged on disk, so
    // loading forty settings does not read a large project forty times.
    struct CacheProjet {
        std::string chemin;
        long long taille = -1;
        long long date = -1;
        std::vector<std::string> lignes;
    } cacheProjet;

    explicit Contexte(InterfaceUtilisateur* interface = nullptr) {
        if (interface) ui = interface;
    }
    Contexte(const Contexte&) = delete;
    Contexte& operator=(const Contexte&) = delete;

private:
    InterfaceSilencieuse silence;
};

}  // namespace korvelin
