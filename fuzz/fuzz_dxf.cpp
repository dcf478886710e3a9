// Any text given to the DXF import: it must neither crash, hang nor leave a drawing that
// breaks the model's rules. The text is also read as a file, in blocks of a few bytes so
// that line ends fall across their edges, with the repeated points of its segments merged:
// the drawing, the labels and every message must be those of the whole text.
#include <sys/mman.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "document/importation.h"
#include "import/dxf.h"
#include "import/dxf_conversion.h"
#include "import/dxf_lecture.h"
#include "platform/fichier.h"

using namespace korvelin;

namespace {

class InterfaceNotee : public InterfaceSilencieuse {
public:
    void Message(std::string_view texte, std::string_view titre, Icone) override {
        notes.emplace_back(texte);
        notes.emplace_back(titre);
    }
    std::vector<std::string> notes;
};

class SuiviNote : public SuiviSilencieux {
public:
    void Signale(const Diagnostic& d) override { notes.push_back(d); }
    std::vector<Diagnostic> notes;
};

struct Import {
    Dessin dessin;
    Parametres parametres;
    MagasinReglages magasin;
    InterfaceNotee ui;
    EtatImport etat;
    SuiviNote suivi;
    bool lu = false;

    Import() {
        dessin.TypeFichier = "DXF";
        magasin.LectureSeule = true;
    }
    CibleImport Cible() { return CibleImport{dessin, parametres, magasin, ui}; }
};

// The line of a failed check is printed: the report then says which property broke.
void Verifie(bool vrai, int ligne = __builtin_LINE()) {
    if (vrai) return;
    std::fprintf(stderr, "Vérification de la ligne %d en défaut\n", ligne);
    std::abort();
}

bool MemesPoints(const std::vector<PointTrace>& a, const std::vector<PointTrace>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (!(a[i].X == b[i].X && a[i].Y == b[i].Y && a[i].Plume == b[i].Plume && a[i].Sequence == b[i].Sequence))
            return false;
    return true;
}

// Both lists are printed when they differ.
bool MemesDiagnostics(const Diagnostics& a, const Diagnostics& b) {
    bool memes = a.size() == b.size();
    for (std::size_t i = 0; memes && i < a.size(); ++i)
        memes = a[i].gravite == b[i].gravite && a[i].message == b[i].message && a[i].fichier == b[i].fichier &&
                a[i].ligne == b[i].ligne;
    if (!memes)
        for (const Diagnostics* l : {&a, &b}) {
            std::fprintf(stderr, "--\n");
            for (const Diagnostic& d : *l)
                std::fprintf(stderr, "%d %s (%s, %llu)\n", static_cast<int>(d.gravite), d.message.c_str(),
                             d.fichier.c_str(), static_cast<unsigned long long>(d.ligne));
        }
    return memes;
}

// The text as a file without a name on any disk, reopened through its descriptor.
const std::string& Fichier(std::string_view texte) {
    static const int fd = memfd_create("fuzz_dxf", MFD_CLOEXEC);
    static const std::string chemin = "/proc/self/fd/" + std::to_string(fd);
    Verifie(fd >= 0 && ftruncate(fd, 0) == 0);
    for (std::size_t fait = 0; fait < texte.size();) {
        const ssize_t n = pwrite(fd, texte.data() + fait, texte.size() - fait, static_cast<off_t>(fait));
        Verifie(n > 0);
        fait += static_cast<std::size_t>(n);
    }
    return chemin;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille) {
    const std::string_view texte(reinterpret_cast<const char*>(donnees), taille);
    // Smaller bounds than the program's: the welding and the offsets that end an import take
    // seconds on drawings of many thousand points, and the run would stop exploring the reader.
    const LimitesDXF limites{5'000, 100'000, 64};
    const std::string& chemin = Fichier(texte);

    Import texteEntier;
    const DessinLuDXF l = LitDXF(texte, chemin, "", limites);
    texteEntier.lu = AcheveDXF(texteEntier.Cible(), texteEntier.etat, l, texteEntier.suivi);
    if (texteEntier.lu) {
        const Dessin& d = texteEntier.dessin;
        Verifie(d.NbPoints >= 0 && static_cast<std::size_t>(d.NbPoints) <= d.Trace_Initial.size());
        for (int32_t i = 0; i < d.NbPoints; ++i)
            Verifie(std::isfinite(d.Trace_Initial[i].X) && std::isfinite(d.Trace_Initial[i].Y));
    }

    // Blocks of 1 to 8 bytes, a few hundred reads at most for the largest inputs.
    const std::size_t bloc = std::max<std::size_t>(1 + taille % 8, taille / 512);
    LectureParBlocs source(chemin, bloc);
    Import parBlocs;
    const DessinLuDXF lb = LitFichierDXF(source, chemin, "", limites);
    Verifie(MemesDiagnostics(l.diagnostics, lb.diagnostics));
    Verifie(l.DerniereSequence == lb.DerniereSequence);
    Verifie(lb.Points.size() <= l.Points.size());
    parBlocs.lu = AcheveDXF(parBlocs.Cible(), parBlocs.etat, lb, parBlocs.suivi);
    Verifie(texteEntier.lu == parBlocs.lu);
    Verifie(MemesDiagnostics(texteEntier.suivi.notes, parBlocs.suivi.notes));
    Verifie(texteEntier.ui.notes == parBlocs.ui.notes);
    Verifie(texteEntier.etat.SequenceDXF == parBlocs.etat.SequenceDXF);
    if (texteEntier.lu) {
        const Dessin &a = texteEntier.dessin, &b = parBlocs.dessin;
        Verifie(a.NbPoints == b.NbPoints && MemesPoints(a.Trace_Initial, b.Trace_Initial));
        Verifie(a.Trace_Decale.size() == b.Trace_Decale.size());
        for (std::size_t s = 0; s < a.Trace_Decale.size(); ++s)
            Verifie(MemesPoints(a.Trace_Decale[s].Points, b.Trace_Decale[s].Points));
    }

    // A second import continues the labels from the first.
    AcheveDXF(texteEntier.Cible(), texteEntier.etat, LitDXF(texte, chemin, texteEntier.etat.SequenceDXF, limites),
              texteEntier.suivi);
    return 0;
}
