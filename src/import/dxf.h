#pragma once
// DXF files in text form: the BLOCKS and ENTITIES sections become points in file units.

#include <string>
#include <string_view>

#include "import/dxf_conversion.h"

namespace korvelin {

// Reads the sections, then converts the kept entities into points whose labels follow
// derniereSequence. A damaged or cut file gives a warning and what could be read; a file
// that is no text DXF, or holds nothing drawable, is refused.
DessinLuDXF LitDXF(std::string_view texte, std::string_view nomFichier = {}, std::string_view derniereSequence = {},
                   const LimitesDXF& limites = {});
DessinLuDXF LitFichierDXF(const std::string& chemin, std::string_view derniereSequence = {},
                          const LimitesDXF& limites = {});
// The same from a file already opened at `chemin`, which the messages name.
DessinLuDXF LitFichierDXF(LectureParBlocs& source, const std::string& chemin, std::string_view derniereSequence = {},
                          const LimitesDXF& limites = {});

}  // namespace korvelin
