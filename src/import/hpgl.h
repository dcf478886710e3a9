#pragma once
// Plotter files: pen, arc and circle commands become points in plotter units.

#include <string>
#include <string_view>
#include <vector>

#include "import/lecture.h"
#include "import/limites.h"

namespace korvelin {

// The pen-down drawing of the file, in plotter units and before any cleaning, with the
// bounds of its pen-down points. Refused when it draws nothing pen down or asks for too
// many points; nomFichier only names the file in the messages.
DessinLu LitHPGL(std::string_view texte, std::string_view nomFichier = {});
DessinLu LitFichierHPGL(const std::string& chemin);

// The pen, arc and circle commands of the text as points in plotter units, before any
// scaling or cleaning; scaling commands are not applied. TropDePoints is set (and the
// points are incomplete) when the file asks for more than maxPoints points.
struct CommandesHPGL {
    std::vector<PointTrace> Points;
    bool TropDePoints = false;
    std::size_t OctetArret = 0;  // where the reading stopped for too many points
};
CommandesHPGL AnalyseTexteHPGL(std::string_view texte, std::size_t maxPoints = MaxPointsImport);

}  // namespace korvelin
