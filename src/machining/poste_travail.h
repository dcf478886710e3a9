#pragma once
// What a job works from, handed in by its caller: the offset paths and the settings
// values. What a job has to say (why it refused, how it went) goes back to its caller in
// its result, as diagnostics: the caller decides how to show them.

#include "model/dessin.h"
#include "model/diagnostics.h"
#include "model/parametres.h"

namespace korvelin {

struct PosteTravail {
    const Dessin& dessin;
    const Parametres& parametres;
};

// A refusal of a job, for its caller to show.
inline Diagnostic RefusTravail(std::string message, std::string titre = {}) {
    return {Gravite::Erreur, std::move(message), {}, 0, std::move(titre)};
}

}  // namespace korvelin
