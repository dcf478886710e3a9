#include "machining/travail.h"

#include <algorithm>
#include <cmath>

#include "machining/controles.h"
#include "machining/vitesses.h"
#include "model/nombres.h"
#include "model/noms_fichiers.h"
#include "platform/fichier.h"

namespace korvelin {

std::string NomFichierGCodeParDefaut(std::string_view nomFichier) {
    const std::size_t debutNom = nomFichier.find_last_of("\\/") + 1;  // npos + 1 is 0
    const std::size_t point = nomFichier.rfind('.');
    if (point == std::string_view::npos || point < debutNom) return std::string(nomFichier) + ".nc";
    return std::string(nomFichier.substr(0, point)) + ".nc";
}

namespace {

bool VitesseValable(double v) { return std::isfinite(v) && v > 0.0; }

// The speeds of the job's boxes, each possible for its axis; nothing, with the reason in
// `dits`.
std::optional<VitessesTravail> VitessesDuTravail(const PosteTravail& poste, const TravailCUT& travail,
                                                 Diagnostics& dits) {
    const VitessesTravail v{LectureSaisie(travail.VitMax_Mat_X),  LectureSaisie(travail.VitMax_Mat_Y),
                            LectureSaisie(travail.VitMax_Mat_Z),  LectureSaisie(travail.VitMax_HMat_X),
                            LectureSaisie(travail.VitMax_HMat_Y), LectureSaisie(travail.VitMax_Descente)};
    // A negative speed would give negative durations: refused like a zero one.
    if (!VitesseValable(v.matX) || !VitesseValable(v.matY) || !VitesseValable(v.matZ) || !VitesseValable(v.hmatX) ||
        !VitesseValable(v.hmatY) || !VitesseValable(v.descente)) {
        dits.push_back(RefusTravail("Les vitesses ne peuvent pas être nulles !\r\nRevoir les paramètres", "Erreur"));
        return std::nullopt;
    }
    const Parametres& prm = poste.parametres;
    const struct {
        const char* nom;
        double vitesse, pas;
        int32_t nbPas;
    } axes[] = {
        {"matière X", v.matX, prm.Pas_X, prm.NbPas_X},       {"matière Y", v.matY, prm.Pas_Y, prm.NbPas_Y},
        {"matière Z", v.matZ, prm.Pas_Z, prm.NbPas_Z},       {"hors-matière X", v.hmatX, prm.Pas_X, prm.NbPas_X},
        {"hors-matière Y", v.hmatY, prm.Pas_Y, prm.NbPas_Y}, {"hors-matière Z", v.descente, prm.Pas_Z, prm.NbPas_Z}};
    for (const auto& a : axes) {
        if (auto refus = ControleVitesse(a.nom, a.vitesse, a.pas, a.nbPas)) {
            dits.push_back(RefusTravail(std::move(*refus), "Erreur"));
            return std::nullopt;
        }
    }
    return v;
}

// Whether the file may be written there: replaceable, in a folder that exists, and not
// the open drawing itself.
bool DestinationPossible(const PosteTravail& poste, const std::string& fichier, std::string_view nature,
                         Diagnostics& dits) {
    // A folder or a device there fails at the writing, with its own message.
    if (const std::string raison = FichierExiste(fichier) ? RaisonNonRemplacable(fichier) : ""; !raison.empty()) {
        dits.push_back(RefusTravail(raison));
        return false;
    }
    const std::string dossier = ExtraitRepertoire(fichier);
    // A name without a folder part lies in the current folder, which exists.
    if (!dossier.empty() && !DossierExiste(dossier)) {
        dits.push_back(RefusTravail("Le dossier de destination du fichier " + std::string(nature) +
                                    " n'existe pas, merci de le corriger"));
        return false;
    }
    if (MemeFichierDisque(fichier, poste.dessin.NomFichier)) {
        dits.push_back(RefusTravail("Le fichier " + std::string(nature) + " ne peut pas remplacer le dessin ouvert !"));
        return false;
    }
    return true;
}

// The job's values, its travel and its tabs; then the warnings that do not stop it.
bool ValeursEtCourses(const PosteTravail& poste, const TravailCUT& travail, std::string_view nature,
                      Diagnostics& dits) {
    const Dessin& d = poste.dessin;
    const double H = LectureSaisie(travail.HautDeg), P = LectureSaisie(travail.ProfFraisage);
    Parametres p = poste.parametres;
    p.MargeX = LectureSaisie(travail.MargeX);
    p.MargeY = LectureSaisie(travail.MargeY);
    auto refus = ControleValeurs(p, H, travail.NbPasse);
    // G-code runs from the work zero the user sets on the controller, where a path beside
    // an outline at the origin going below zero is normal; the CUT file and the machine
    // count from the table's zero.
    std::optional<std::string> avertissement;
    if (!refus && nature == NatureGCode) {
        ControleZeroTravail z = ControleEtendue(d, p, H, P, p.MargeX, p.MargeY);
        refus = std::move(z.refus);
        avertissement = std::move(z.avertissement);
    } else if (!refus) {
        refus = ControleCourses(d, p, H, P, p.MargeX, p.MargeY);
    }
    if (!refus) refus = ControleAttaches(travail.attaches, P);
    if (refus) {
        dits.push_back(RefusTravail(std::move(*refus)));
        return false;
    }
    if (avertissement) dits.push_back({Gravite::Avertissement, std::move(*avertissement), {}, 0, {}});
    if (travail.attaches.Actives())
        if (std::string attaches = AvertissementAttaches(d, travail.attaches); !attaches.empty())
            dits.push_back({Gravite::Avertissement, std::move(attaches), {}, 0, {}});
    return true;
}

}  // namespace

std::optional<VitessesTravail> PrepareTravail(const PosteTravail& poste, const TravailCUT& travail,
                                              const std::string& fichier, std::string_view nature, TotauxCUT& totaux,
                                              Diagnostics& dits) {
    if (poste.dessin.NbSequencesDecalees() == 0) {
        dits.push_back(RefusTravail("Il faut ouvrir un dessin !"));
        return std::nullopt;
    }
    const std::optional<VitessesTravail> v = VitessesDuTravail(poste, travail, dits);
    if (!v) return std::nullopt;
    totaux = TotauxCUT{};
    if (!DestinationPossible(poste, fichier, nature, dits)) return std::nullopt;
    if (travail.NbPasse > MaxPasses) {
        dits.push_back(RefusTravail("Le nombre de passes ne peut pas dépasser 1000 !"));
        return std::nullopt;
    }
    if (!ValeursEtCourses(poste, travail, nature, dits)) return std::nullopt;
    return v;
}

}  // namespace korvelin
