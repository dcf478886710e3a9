// Any text given to the point-file reader, then to the rest of the import.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "document/importation.h"
#include "import/dat.h"

using namespace korvelin;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille) {
    const std::string_view texte(reinterpret_cast<const char*>(donnees), taille);
    MesureDAT m;
    DessinLu l = LitDAT(texte, "f.dat", &m);
    if (l.Refusee() != l.Coordonnees.empty()) std::abort();
    Dessin dessin;
    Parametres parametres;
    MagasinReglages magasin;
    InterfaceSilencieuse ui;
    magasin.LectureSeule = true;
    dessin.TypeFichier = "DAT";
    SuiviSilencieux suivi;
    const bool lu = AcheveDAT(CibleImport{dessin, parametres, magasin, ui}, std::move(l), suivi);
    if (lu) {
        const Dessin& d = dessin;
        if (d.NbPoints < 1 || d.NbPoints > m.NbPoints) std::abort();
        if (static_cast<std::size_t>(d.NbPoints) > d.Trace_Initial.size()) std::abort();
        for (int32_t i = 0; i < d.NbPoints; ++i) {
            const PointTrace& p = d.Trace_Initial[i];
            if (!std::isfinite(p.X) || !std::isfinite(p.Y) || !(p.Sequence == PremiereSequence)) std::abort();
        }
    }
    return 0;
}
