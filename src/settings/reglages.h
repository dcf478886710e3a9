#pragma once
// Every setting described once: its key, the value it feeds, its default text, how its
// text is read and which loader reads it. The loaders, the defaults of the values and
// the store all go through this table.

#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "model/parametres.h"

namespace korvelin {

enum class Lecture {
    Couleur,  // decimal red + 256·green + 65536·blue, bounded to 24 bits
    Nombre,   // leading number, "," or "." as separator (plain numbers the program stores)
    Cote,     // as Nombre, then rounded to a 16-bit integer
    Locale,   // locale number, else the plain reading
    Temps,    // minimum step time: "," or "."
    Entier,   // 16-bit integer
    Booleen,  // "Vrai" / "Faux"
    Passes,   // whole count of passes, at least 1
    Texte,    // kept as text; feeds no value
};

enum class Chargeur { Couleurs, Decalage, Marges, Rapports, Options, Machine, Aucun };

using ValeurReglage = std::variant<std::monostate, int32_t Parametres::*, int16_t Parametres::*, double Parametres::*,
                                   bool Parametres::*>;

struct Reglage {
    // For the ratios, the key after the file type ("PLT" + "RapportH").
    std::string_view cle;
    ValeurReglage valeur;
    std::string_view defaut;
    Lecture lecture;
    Chargeur chargeur;
    // The ratios of plotter files count in plotter units of 0.025 mm.
    std::string_view defautTraceur = {};
    bool prefixeType = false;
};

// The rows in the order the loaders read them.
std::span<const Reglage> TableReglages();
// The row of a key (a ratio key with its type prefix included); nullptr for no setting.
const Reglage* TrouveReglage(std::string_view cle);
// The default text of the row for a drawing of the given type.
std::string_view DefautReglage(const Reglage& r, std::string_view typeFichier);

// A stored boolean: "Vrai" / "Faux" (any case, "True" / "False" too), else a number.
bool LectureBooleen(std::string_view texte);

// Reads the text as the row says and stores it in its value (rows of text store nothing).
void AppliqueReglage(Parametres& p, const Reglage& r, std::string_view texte);

// The text a setting is stored as: the numbers read the plain way are written with a
// decimal point, so the old reading of "1,5" as 1 can never meet a file written here;
// every other text is stored as given.
std::string FormeStockee(std::string_view cle, std::string_view texte);

// A ratio from file units to millimetres that can scale a drawing: finite and above zero.
bool RapportUtilisable(double rapport);

}  // namespace korvelin
