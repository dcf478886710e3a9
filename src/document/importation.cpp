#include "document/importation.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <optional>
#include <string_view>
#include <utility>

#include "document/calculs.h"
#include "geometry/decalage.h"
#include "geometry/orientation.h"
#include "geometry/soudure.h"
#include "import/dat.h"
#include "import/diagnostic.h"
#include "import/dxf.h"
#include "import/hpgl.h"
#include "import/limites.h"
#include "import/projet.h"
#include "model/listes.h"
#include "model/nombres.h"
#include "model/noms_fichiers.h"
#include "platform/fichier.h"
#include "settings/magasin.h"

namespace korvelin {

namespace {

// Tells every diagnostic of the reading; true when it may go on.
bool Signale(SuiviImport& suivi, const DessinLu& l) {
    for (const Diagnostic& d : l.diagnostics) suivi.Signale(d);
    return !l.Refusee();
}

void PoseBornes(Dessin& d, const BornesImport& b) {
    d.Xmin = b.Xmin;
    d.Xmax = b.Xmax;
    d.Ymin = b.Ymin;
    d.Ymax = b.Ymax;
}

// The rescaling dialog, then the check that the ratios keep the drawing within usable
// numbers; on a refusal the drawing keeps the bounds it had.
bool DemandeRapports(const CibleImport& c, const BornesImport& bornes, SuiviImport& suivi) {
    Dessin& d = c.dessin;
    const BornesImport avant{d.Xmin, d.Xmax, d.Ymin, d.Ymax};
    PoseBornes(d, bornes);
    for (const Diagnostic& dit : ChargeRapports(c.magasin, c.dessin, c.parametres)) suivi.Signale(dit);
    ChoisitRapports(c, bornes, suivi);
    if (const std::optional<Diagnostic> refus = RefusRapports(bornes, c.parametres)) {
        PoseBornes(d, avant);
        suivi.Signale(*refus);
        return false;
    }
    return true;
}

std::optional<std::string> LitOuSignale(const std::string& chemin, std::string message, SuiviImport& suivi) {
    std::optional<std::string> texte = LireFichier(chemin);
    if (!texte) suivi.Signale(Erreur(std::move(message), chemin));
    return texte;
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
    while (!ligne.empty() && (ligne.back() == '\r' || ligne.back() == ' ' || ligne.back() == '\t'))
        ligne.remove_suffix(1);
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
        const bool permis = c >= 0x20 || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v' || c == 0x1B ||
                            c == 0x03 || c == 0x1A;
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
void RetirePointIsole(const CibleImport& c) {
    Dessin& d = c.dessin;
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
    CalculDecalageTout(c.dessin, c.parametres, c.ui);
}

}  // namespace

void ChoisitRapports(const CibleImport& c, const BornesImport& bornes, SuiviImport& suivi) {
    ChargeRapports(c.magasin, c.dessin,
                   c.parametres);  // its warnings were given when the import loaded them first
    Parametres& p = c.parametres;
    ModeleDimension modele;
    modele.Charger(bornes.Xmax - bornes.Xmin, bornes.Ymax - bornes.Ymin, p.RapportH, p.RapportV);
    const Rapports r = suivi.Demande(modele);
    if (RapportUtilisable(r.H) && RapportUtilisable(r.V)) {
        const std::string& type = c.dessin.TypeFichier;
        Montre(c.ui, c.magasin.Ecrire(c.dessin, {{type + "RapportV", EcritureLocale(r.V)},
                                                 {type + "RapportH", EcritureLocale(r.H)}}));
    }
    p.RapportV = r.V;
    p.RapportH = r.H;
}

std::optional<Diagnostic> RefusRapports(const BornesImport& bornes, const Parametres& p) {
    const double h = (bornes.Xmax - bornes.Xmin) * p.RapportH;
    const double v = (bornes.Ymax - bornes.Ymin) * p.RapportV;
    const bool rapportsUtilisables = RapportUtilisable(p.RapportH) && RapportUtilisable(p.RapportV);
    // A drawing read within the limits spans up to twice the limit at ratio 1.
    if (rapportsUtilisables && std::isfinite(h) && std::isfinite(v) && std::fabs(h) <= 2.0 * LimiteCoordonnee &&
        std::fabs(v) <= 2.0 * LimiteCoordonnee)
        return std::nullopt;
    return Erreur(rapportsUtilisables
                      ? "Les rapports choisis donnent des dimensions hors limites : le dessin n'est pas importé."
                      : "Les rapports doivent être des nombres plus grands que zéro : le dessin n'est pas importé.",
                  {});
}

void MiseAEchelle(std::vector<PointTrace>& points, const BornesImport& b, double rh, double rv, bool bornee) {
    if (bornee) {
        for (PointTrace& p : points) {
            p.X = static_cast<float>(CoordonneeBornee((p.X - b.Xmin) * rh));
            p.Y = static_cast<float>(CoordonneeBornee((p.Y - b.Ymin) * rv));
        }
        return;
    }
    for (PointTrace& p : points) {
        p.X = static_cast<float>((p.X - b.Xmin) * rh);
        p.Y = static_cast<float>((p.Y - b.Ymin) * rv);
    }
}

bool AcheveHPGL(const CibleImport& c, DessinLu l, SuiviImport& suivi, bool souder) {
    if (!Signale(suivi, l)) return false;
    Dessin& d = c.dessin;
    d.Trace_Initial = std::move(l.Points);
    d.NbPoints = static_cast<int32_t>(d.Trace_Initial.size());
    d.Trace_Decale.assign(1, SequenceDecalee{});  // the old offsets belong to the old drawing
    PoseBornes(d, l.Bornes);

    ChoisitRapports(c, l.Bornes, suivi);
    MiseAEchelle(d.Trace_Initial, l.Bornes, c.parametres.RapportH, c.parametres.RapportV, true);

    // A spare entry past the real points, with no pen state so that it never repeats the
    // last one: the cleaning leaves its last array entry out of the count, and this way
    // that entry is the spare and the drawing keeps its final point.
    d.Trace_Initial.push_back(PointTrace{});
    SupprimeDoublons(d);
    if (!NumeroteSequences(d)) return false;
    if (souder) SoudureAutomatique(c.dessin, c.parametres, c.ui);
    return true;
}

bool ImporteHPGL(const CibleImport& c, const std::string& chemin, SuiviImport& suivi) {
    if (chemin.empty()) return false;
    std::optional<std::string> texte = LitOuSignale(chemin, "Impossible de lire le fichier " + chemin, suivi);
    if (!texte) return false;
    // A stored ratio that cannot scale a drawing is told before anything about the file.
    for (const Diagnostic& dit : ChargeRapports(c.magasin, c.dessin, c.parametres)) suivi.Signale(dit);
    DessinLu lecture = LitHPGL(*texte, chemin);
    // The text goes before the welding and the offsets, which need its room.
    texte.reset();
    return AcheveHPGL(c, std::move(lecture), suivi);
}

bool AcheveDAT(const CibleImport& c, DessinLu l, SuiviImport& suivi) {
    if (!Signale(suivi, l)) return false;
    const BornesImport& m = l.Bornes;
    if (!DemandeRapports(c, m, suivi)) return false;

    const double rh = c.parametres.RapportH, rv = c.parametres.RapportV;
    const std::size_t n = l.Coordonnees.size();
    std::vector<PointTrace> points;
    points.reserve(n + 1);
    for (const auto& [x, y] : l.Coordonnees)
        points.push_back(
            {static_cast<float>((x - m.Xmin) * rh), static_cast<float>((y - m.Ymin) * rv), PlumeBasse, Code2{}});
    // The exact values are done with: the offset needs their room. Emptying the vector
    // would keep its storage; only a swap hands it back.
    std::vector<std::pair<double, double>>().swap(l.Coordonnees);
    // The spare last entry is what the removal of repeated points leaves outside the count,
    // so the final point of the file stays in the trace.
    points.push_back(PointTrace{});

    Dessin& d = c.dessin;
    d.Trace_Initial = std::move(points);
    d.NbPoints = static_cast<int32_t>(n);
    d.Trace_Decale.assign(1, SequenceDecalee{});
    SupprimeDoublons(d);
    NumeroteSequences(d);
    CalculDecalageTout(c.dessin, c.parametres, c.ui);
    return true;
}

bool ImporteDAT(const CibleImport& c, const std::string& chemin, SuiviImport& suivi) {
    if (chemin.empty()) return false;
    std::optional<std::string> texte = LitOuSignale(chemin, "Impossible de lire le fichier « " + chemin + " ».", suivi);
    if (!texte) return false;
    DessinLu lecture = LitDAT(*texte, chemin);
    texte.reset();
    return AcheveDAT(c, std::move(lecture), suivi);
}

bool AcheveDXF(const CibleImport& c, EtatImport& etat, DessinLuDXF l, SuiviImport& suivi) {
    if (!Signale(suivi, l)) return false;
    const BornesImport b = l.Bornes;
    if (!DemandeRapports(c, b, suivi)) return false;
    MiseAEchelle(l.Points, b, c.parametres.RapportH, c.parametres.RapportV, false);
    Dessin& d = c.dessin;
    d.NbPoints = static_cast<int32_t>(l.Points.size());
    d.Trace_Initial = std::move(l.Points);
    d.Trace_Decale.assign(1, SequenceDecalee{});
    PoseBornes(d, b);
    etat.SequenceDXF = l.DerniereSequence;
    SoudureAutomatique(c.dessin, c.parametres, c.ui);
    return true;
}

bool ImporteDXF(const CibleImport& c, EtatImport& etat, const std::string& chemin, SuiviImport& suivi) {
    c.ui.Sablier(true);
    DessinLuDXF l = LitFichierDXF(chemin, etat.SequenceDXF);
    c.ui.Sablier(false);
    return AcheveDXF(c, etat, std::move(l), suivi);
}

bool AcheveProjet(const CibleImport& c, DessinLu l, const std::string& chemin, SuiviImport& suivi) {
    c.parametres.RapportH = 1.0;
    c.parametres.RapportV = 1.0;
    if (!Signale(suivi, l)) return false;
    Dessin& d = c.dessin;
    PoseBornes(d, l.Bornes);
    ChoisitRapports(c, l.Bornes, suivi);

    // Coordinates are stored as read: a project holds millimetres already.
    d.Trace_Initial = std::move(l.Points);
    d.NbPoints = static_cast<int32_t>(d.Trace_Initial.size());
    d.Trace_Decale.assign(1, SequenceDecalee{});
    if (!chemin.empty()) {
        // The settings store reads the open project's "$$" lines from here on.
        d.NomFichier = chemin;
        d.FichierProjet = chemin;
    }
    for (const Diagnostic& dit : ChargeReglagesProjet(c.magasin, c.dessin, c.parametres)) suivi.Signale(dit);
    CalculDecalageTout(c.dessin, c.parametres, c.ui);
    return true;
}

bool ImporteProjet(const CibleImport& c, const std::string& chemin, SuiviImport& suivi) {
    if (chemin.empty()) return false;
    const std::optional<std::string> texte = LitOuSignale(chemin, "Impossible de lire le fichier " + chemin, suivi);
    return texte && AcheveProjet(c, LitProjet(*texte, chemin), chemin, suivi);
}

bool OuvrirDessin(const CibleImport& c, EtatImport& etat, const std::string& chemin, SuiviImport& suivi) {
    Dessin& d = c.dessin;
    // The contents decide when the extension lies: a DXF file renamed .plt would otherwise
    // give a tool path read as plotter commands, and binary junk is no drawing at all. It
    // is refused before anything changes.
    const Examen examen = Examine(chemin);
    const std::string nom = NomSansDossier(chemin);
    if (examen.contenu == Contenu::Binaire) {
        suivi.Signale(Erreur(MessageRefusFichier(chemin, Inexploitable, "octet n° " + TexteEntier(examen.octet),
                                                 "il contient des données binaires, ce n'est pas un dessin"),
                             chemin));
        return false;
    }
    const bool dxfDeguise = examen.contenu == Contenu::DXF && EnMajuscules(ExtraitExtension(nom)) != "DXF";
    // The settings go back to the INI file before anything is written: while a project
    // was open they went into its "$$" lines, and the file now being opened must never
    // be rewritten as a project.
    d.FichierProjet.clear();
    d.NomFichier = chemin;
    Montre(c.ui, c.magasin.Ecrire(c.dessin, {{"Fichier", chemin}}));
    d.TypeFichier = EnMajuscules(ExtraitExtension(NomSansDossier(chemin)));

    if (dxfDeguise) {
        suivi.Signale(Avertissement(
            "Le fichier « " + nom + " » est un fichier DXF malgré son extension : il est lu comme tel.", chemin));
        d.TypeFichier = "DXF";
    }

    const std::string& type = d.TypeFichier;
    if (type == "PLT" || type == "HPGL") {
        ImporteHPGL(c, chemin, suivi);
    } else if (type == "DAT") {
        ImporteDAT(c, chemin, suivi);
    } else if (type == "KORVELIN") {
        // Only a project that was read becomes the settings store: an unusable file must
        // not receive the drawing still in memory at the next settings write.
        if (ImporteProjet(c, chemin, suivi)) d.FichierProjet = chemin;
    } else if (type == "DXF") {
        ImporteDXF(c, etat, chemin, suivi);
    }

    if (d.NbPoints < 2) return false;
    RetirePointIsole(c);
    if (d.NbPoints >= 2 && LectureBooleen(LireReglage(c.magasin, c.dessin, "OrientationAuto")))
        OrientationAutomatique(c.dessin, c.parametres, c.ui);
    if (d.NbPoints >= 1) CalculBornes(d);
    if (d.NbPoints >= 2) return true;
    // The stray point was all that made it a drawing: the view would say the same.
    suivi.Signale(Refus(d.NomFichier, Vide, 0, "il ne trace qu'un point isolé de la plume"));
    return false;
}

}  // namespace korvelin
