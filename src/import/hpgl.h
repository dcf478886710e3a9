#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "import/limites.h"
#include "settings/contexte.h"

namespace korvelin {

// Replaces the drawing with the plotter file. False when nothing usable was read
// (the user has been told why).
bool LectureHPGL(Contexte& ctx, const std::string& chemin);

// The same import from the file's text already in memory.
bool LectureHPGLTexte(Contexte& ctx, std::string_view texte);

// The import up to the labelling of the traces, without the automatic welding: the
// drawing then holds the scaled, labelled points and no offset path yet.
bool PrepareDessinHPGL(Contexte& ctx, std::string_view texte);

// The pen, arc and circle commands of the text as points in plotter units, before any
// scaling or cleaning; scaling commands are not applied. TropDePoints is set (and the
// points are incomplete) when the file asks for more than maxPoints points.
struct CommandesHPGL {
    std::vector<PointTrace> Points;
    bool TropDePoints = false;
    std::size_t OctetArret = 0;  // where the reading stopped for too many points
};
CommandesHPGL AnalyseTexteHPGL(std::string_view texte,
                               std::size_t maxPoints = MaxPointsImport);

}  // namespace korvelin
