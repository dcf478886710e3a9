#include "import/ouverture.h"

#include <algorithm>
#include <fstream>
#include <string_view>

#include "import/calculs_contexte.h"
#include "import/dat.h"
#include "import/diagnostic.h"
#include "import/dxf.h"
#include "import/hpgl.h"
#include "import/projet.h"
#include "model/listes.h"
#include "model/nombres.h"
#include "model/noms_fichiers.h"
#include "settings/magasin.h"

namespace korvelin {

namespace {

void LisSelonType(Contexte& ctx, const std::string& chemin) {
    const std::string& type = ctx.dessin.TypeFichier;
    if (type == "PLT" || type == "HPGL") {
        LectureHPGL(ctx, chemin);
    } else if (type == "DAT") {
        LectureDAT(ctx, chemin);
    } else if (type == "KORVELIN") {
        // Only a project that was read becomes the settings store: an unusable file must
        // not receive the drawing still in memory at the next settings write.
        if (LectureProjet(ctx, chemin)) ctx.dessin.FichierProjet = chemin;
    } else if (type == "DXF") {
        LectureDXF(ctx, chemin);
    }
}

// What the first bytes of a file say it holds, whatever its extension.
enum class Contenu { Texte, DXF, Binaire };

// Bytes read to tell the contents: enough for the header of any drawing.
constexpr std::size_t OctetsExamines = 1 << 16;

struct Examen {
    Contenu contenu = Contenu::Texte;
    std::size_t octet = 0;  // the first binary byte, counted from 1
};

std::string_view LigneSuivante(std::string_view texte, std::size_t& pos) {
    if (pos >= texte.size()) return {};
    const std::size_t fin = std::min(texte.find('\n', pos), texte.size());
    std::string_view ligne = texte.substr(pos, fin - pos);
    pos = fin + 1;
    while (!ligne.empty() && (ligne.back() == '\r' || ligne.back() == ' ' || ligne.back() == '\t')) ligne.remove_suffix(1);
    while (!ligne.empty() && (ligne.front() == ' ' || ligne.front() == '\t')) ligne.remove_prefix(1);
    return ligne;
}

Examen Examine(const std::string& chemin) {
    Examen e;
    std::ifstream f(chemin, std::ios::binary);
    if (!f) return e;
    std::string debut(OctetsExamines, '\0');
    f.read(debut.data(), static_cast<std::streamsize>(debut.size()));
    debut.resize(static_cast<std::size_t>(f.gcount()));
    // Text drawings hold no zero byte, and few control characters beyond the line ends,
    // tabs, escape sequences of plotters, end-of-text marks of HPGL labels and DOS end marks.
    std::size_t controles = 0;
    for (std::size_t i = 0; i < debut.size(); ++i) {
        const auto c = static_cast<unsigned char>(debut[i]);
        const bool permis = c >= 0x20 || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v' ||
                            c == 0x1B || c == 0x03 || c == 0x1A;
        if (c == 0 || (!permis && ++controles * 20 > debut.size())) {
            e.contenu = Contenu::Binaire;
            e.octet = i + 1;
            return e;
        }
    }
    // A DXF file opens with group code 0 and SECTION, after any 999 comments.
    std::string_view t = debut;
    if (t.substr(0, 3) == "\xEF\xBB\xBF") t.remove_prefix(3);
    std::size_t pos = 0;
    while (pos < t.size()) {
        const std::string_view code = LigneSuivante(t, pos);
        const std::string_view valeur = LigneSuivante(t, pos);
        if (code == "999") continue;
        if (code == "0" && EnMajuscules(std::string(valeur)) == "SECTION") e.contenu = Contenu::DXF;
        break;
    }
    return e;
}

// A first trace " A" of a single point is a stray pen position, not part of the drawing.
void RetirePointIsole(Contexte& ctx) {
    Dessin& d = ctx.dessin;
    const int32_t premier = PremierPointSequence(d, PremiereSequence);
    if (premier == -1 || NbPointsSequence(d, premier) != 1) return;
    SupprimeSequence(d, PremiereSequence);
    const int32_t n = std::min<int32_t>(d.NbPoints, static_cast<int32_t>(d.Trace_Initial.size()));
    if (n > 0) {
        float xmin = d.Trace_Initial[0].X, ymin = d.Trace_Initial[0].Y;
        for (int32_t i = 1; i < n; ++i) {
            xmin = std::min(xmin, d.Trace_Initial[i].X);
            ymin = std::min(ymin, d.Trace_Initial[i].Y);
        }
        if (xmin != 0.0f || ymin != 0.0f) {
            for (int32_t i = 0; i < n; ++i) {
                d.Trace_Initial[i].X -= xmin;
                d.Trace_Initial[i].Y -= ymin;
            }
            d.Xmin = 0.0;
            d.Ymin = 0.0;
        }
    }
    CalculDecalageTout(ctx);
}

}  // namespace

bool OuvrirDessin(Contexte& ctx, const std::string& chemin) {
    Dessin& d = ctx.dessin;
    // The contents decide when the extension lies: a DXF file renamed .plt would otherwise
    // give a tool path read as plotter commands, and binary junk is no drawing at all. It
    // is refused before anything changes.
    const Examen examen = Examine(chemin);
    const std::string nom = NomSansDossier(chemin);
    if (examen.contenu == Contenu::Binaire) {
        ctx.ui->Message(MessageRefusFichier(chemin, Inexploitable, "octet n° " + TexteEntier(examen.octet),
                                            "il contient des données binaires, ce n'est pas un dessin"),
                        TitreProgramme, Icone::Critique);
        return false;
    }
    const bool dxfDeguise =
        examen.contenu == Contenu::DXF && EnMajuscules(ExtraitExtension(nom)) != "DXF";
    // The settings go back to the INI file before anything is written: while a project
    // was open they went into its "$$" lines, and the file now being opened must never
    // be rewritten as a project.
    d.FichierProjet.clear();
    d.NomFichier = chemin;
    EcrireParametre(ctx, "Fichier", chemin);
    d.TypeFichier = EnMajuscules(ExtraitExtension(NomSansDossier(chemin)));

    if (dxfDeguise) {
        ctx.ui->Message("Le fichier « " + nom + " » est un fichier DXF malgré son extension : il est lu comme tel.",
                        TitreProgramme, Icone::Exclamation);
        d.TypeFichier = "DXF";
    }

    LisSelonType(ctx, chemin);

    if (d.NbPoints < 2) return false;
    RetirePointIsole(ctx);
    if (d.NbPoints >= 2 && LectureBooleen(LireReglage(ctx, "OrientationAuto"))) OrientationAutomatique(ctx);
    if (d.NbPoints >= 1) CalculBornes(d);
    if (d.NbPoints >= 2) return true;
    // The stray point was all that made it a drawing: the view would say the same.
    return Refuse(ctx, Vide, 0, "il ne trace qu'un point isolé de la plume");
}

}  // namespace korvelin
