#pragma once
// First stage of the DXF import: the BLOCKS and ENTITIES sections of a text DXF file
// become records of group-code/value pairs, one fixed slot layout per entity type.
// Nothing here touches the drawing.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvelin {

// One group-code/value pair. Once the entity is normalised, Code holds the slot index.
struct CodeDXF {
    int32_t Code = 0;
    std::string Valeur;  // trimmed, upper-cased, "." written as ","
};

struct EntiteDXF {
    std::string TypeEntite;
    std::vector<CodeDXF> Codes;
};

struct BlocDXF {
    std::string Nom;
    std::vector<EntiteDXF> Entites;
};

struct DocumentDXF {
    std::vector<BlocDXF> Blocs;
    std::vector<EntiteDXF> Entites;  // the ENTITIES section
};

// The stored form of a line: blanks around it removed, ASCII upper case, "." as ",".
std::string NormaliseLigne(std::string_view ligne);

// True for the eight entity keywords the import keeps.
bool EstEntiteConnue(std::string_view ligne);

// The value of the first pair carrying the group code, or "0" when none does.
std::string ValeurCode(const std::vector<CodeDXF>& paires, int32_t code);

// Rewrites the pairs into the slot layout of the entity's type and numbers them.
void NormaliseEntite(EntiteDXF& entite);
void NumeroteCodes(EntiteDXF& entite);

// Parses a whole DXF text. Never fails: what cannot be understood is left out.
DocumentDXF LireDXFTexte(std::string_view texte);

// Reads the file; nothing when it cannot be read.
std::optional<DocumentDXF> LireDXF(const std::string& chemin);

}  // namespace korvelin
