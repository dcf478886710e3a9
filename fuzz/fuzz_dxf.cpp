// Any text given to the DXF import: it must neither crash, hang nor leave a drawing that
// breaks the model's rules.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "document/importation.h"
#include "import/dxf_conversion.h"
#include "import/dxf_lecture.h"

using namespace korvelin;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille) {
    const std::string_view texte(reinterpret_cast<const char*>(donnees), taille);
    Dessin dessin;
    Parametres parametres;
    MagasinReglages magasin;
    InterfaceSilencieuse ui;
    dessin.TypeFichier = "DXF";
    magasin.LectureSeule = true;
    EtatImport etat;
    SuiviSilencieux suivi;
    // Smaller bounds than the program's: the welding and the offsets that end an import take
    // seconds on drawings of many thousand points, and the run would stop exploring the reader.
    const LimitesDXF limites{5'000, 100'000, 64};
    const DocumentDXF doc = LireDXFTexte(texte, limites);
    if (AcheveDXF(CibleImport{dessin, parametres, magasin, ui}, etat,
                  ConvertitDXF(doc, "f.dxf", etat.SequenceDXF, limites), suivi)) {
        const Dessin& d = dessin;
        if (d.NbPoints < 0 || static_cast<std::size_t>(d.NbPoints) > d.Trace_Initial.size()) std::abort();
        for (int32_t i = 0; i < d.NbPoints; ++i)
            if (!std::isfinite(d.Trace_Initial[i].X) || !std::isfinite(d.Trace_Initial[i].Y)) std::abort();
    }
    // A second import continues the labels from the first.
    AcheveDXF(CibleImport{dessin, parametres, magasin, ui}, etat, ConvertitDXF(doc, "f.dxf", etat.SequenceDXF, limites),
              suivi);
    return 0;
}
