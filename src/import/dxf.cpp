#include "import/dxf.h"

#include <utility>

#include "import/diagnostic.h"
#include "import/dxf_lecture.h"
#include "model/nombres.h"
#include "platform/fichier.h"

namespace korvelin {

namespace {

// Binary DXF files open with this sentinel; only the text form is read.
bool EstDXFBinaire(std::string_view texte) { return texte.substr(0, 18) == "AutoCAD Binary DXF"; }

DessinLuDXF Refusee(Diagnostic d) {
    DessinLuDXF l;
    l.diagnostics.push_back(std::move(d));
    return l;
}

DessinLuDXF RefusBinaire(std::string_view nom) {
    return Refusee(Refus(nom, Inexploitable, 0,
                         "c'est un DXF binaire, et seuls les fichiers DXF au format texte peuvent être lus"));
}

// A file with no section is no DXF file; one without its end marker was cut short, and what
// came before the cut is read with a warning, as is a file whose group codes go wrong.
DessinLuDXF Convertit(DocumentDXF doc, std::string_view nom, std::string_view derniere, const LimitesDXF& limites,
                      bool fusionne = false) {
    if (doc.NbSections == 0)
        return Refusee(Refus(nom, Inexploitable, 0,
                             "ce n'est pas un fichier DXF, aucune de ses " + TexteEntier(doc.NbLignes) +
                                 " lignes n'ouvre de section (« 0 » puis « SECTION »)"));
    std::string avertissement;
    if (doc.LigneCodeIllisible != 0)
        avertissement += "La ligne " + TexteEntier(doc.LigneCodeIllisible) +
                         " devrait porter un code de groupe (un nombre entier) : le fichier est abîmé à partir "
                         "de là.";
    if (!doc.FinTrouvee) {
        if (!avertissement.empty()) avertissement += "\r\n";
        avertissement += "Le fichier s'arrête à la ligne " + TexteEntier(doc.NbLignes) +
                         " sans sa fin (« 0 » puis « EOF ») : il a sans doute été coupé.";
    }
    Diagnostics avant;
    if (!avertissement.empty())
        avant.push_back(Avertissement("« " + std::string(nom) + " » :\r\n" + avertissement +
                                          "\r\nSeul ce qui a pu être lu est importé : vérifiez le dessin avant de "
                                          "l'usiner.",
                                      nom));
    DessinLuDXF l = ConvertitDXF(std::move(doc), nom, derniere, limites, fusionne);
    l.diagnostics.insert(l.diagnostics.begin(), avant.begin(), avant.end());
    if (!l.Refusee() && l.Points.empty())
        l.diagnostics.push_back(Refus(nom, Vide, 0,
                                      "il ne contient aucune entité dessinable (LINE, ARC, CIRCLE, ELLIPSE, POLYLINE, "
                                      "LWPOLYLINE, SPLINE ou INSERT) dans ses sections BLOCKS et ENTITIES"));
    return l;
}

}  // namespace

// The file is read a block at a time: its text is never held whole, and the records then
// the points of the conversion have the room.
DessinLuDXF LitFichierDXF(const std::string& chemin, std::string_view derniereSequence, const LimitesDXF& limites) {
    LectureParBlocs source(chemin);
    return LitFichierDXF(source, chemin, derniereSequence, limites);
}

DessinLuDXF LitFichierDXF(LectureParBlocs& source, const std::string& chemin, std::string_view derniereSequence,
                          const LimitesDXF& limites) {
    const auto illisible = [&] { return Refusee(Erreur("Impossible de lire le fichier « " + chemin + " ».", chemin)); };
    std::string debut;
    while (debut.size() < 18 && source.Lit(debut, 1 << 16) > 0) {
    }
    if (!source.Ouvert() || source.EnEchec()) return illisible();
    if (EstDXFBinaire(debut)) return RefusBinaire(chemin);
    DocumentDXF doc = LireDXFParBlocs(source, std::move(debut), limites);
    if (source.EnEchec()) return illisible();
    return Convertit(std::move(doc), chemin, derniereSequence, limites, true);
}

DessinLuDXF LitDXF(std::string_view texte, std::string_view nomFichier, std::string_view derniereSequence,
                   const LimitesDXF& limites) {
    if (EstDXFBinaire(texte)) return RefusBinaire(nomFichier);
    return Convertit(LireDXFTexte(texte, limites), nomFichier, derniereSequence, limites);
}

}  // namespace korvelin
