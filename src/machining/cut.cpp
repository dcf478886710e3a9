#include "machining/cut.h"

#include <cmath>

#include "machining/flux_fichier.h"
#include "model/nombres.h"

namespace korvelin {

namespace {

std::string EnTete(const TravailCUT& t) {
    std::string e;
    auto ligne = [&](std::string_view a, std::string_view b = {}) {
        e.append(a);
        e.append(b);
        e.append("\r\n");
    };
    ligne("//Fichier créé à l'aide de KorvelinVersion ", TexteVersion());
    ligne("//");
    ligne("// Vitesse matière X         : ", t.VitMax_Mat_X);
    ligne("// Vitesse matière Y         : ", t.VitMax_Mat_Y);
    ligne("// Vitesse matière Z         : ", t.VitMax_Mat_Z);
    ligne("// Vitesse hors-matière X    : ", t.VitMax_HMat_X);
    ligne("// Vitesse hors-matière Y    : ", t.VitMax_HMat_Y);
    ligne("// Vitesse hors-matière Z    : ", t.VitMax_Descente);
    ligne("// Hauteur dégagement        : ", t.HautDeg);
    ligne("// Profondeur fraisage       : ", t.ProfFraisage);
    const int32_t n = t.NbPasse < 1 ? 1 : t.NbPasse;
    const bool typee = !t.TexteNbPasse.empty() && std::trunc(LectureSaisie(t.TexteNbPasse)) == n;
    ligne("// Nombre de passes          : ", typee ? t.TexteNbPasse : TexteEntier(n));
    ligne("//");
    ligne("// Marge en X                : ", t.MargeX);
    ligne("// Marge en Y                : ", t.MargeY);
    ligne("//");
    ligne("//Point logique 0");
    ligne("T:0.000 XG:0.000 YG:0.000 XD:0.000 YD:0.000");
    return VersWindows1252(e);
}

// The comment lines of the body, already in the file's code page.
struct Commentaires {
    std::string montee = VersWindows1252("//Montée de l'outil\r\n");
    std::string deplacement = VersWindows1252("//Déplacement jusqu'au départ du tracé\r\n");
    std::string niveau = VersWindows1252("//Descente jusqu'au niveau de la matière\r\n");
    std::string descente = VersWindows1252("//Descente dans la matière\r\n");
    std::string fraisage = VersWindows1252("//Fraisage proprement dit\r\n");
    std::string remontee = VersWindows1252("//Remontée de l'outil\r\n");
    std::string retour = VersWindows1252("//Retour au 0\r\n");
};

// The CUT writing of the moves: a comment line before each step, then the data line.
class EcrivainCUT : public RecepteurMouvements {
public:
    explicit EcrivainCUT(FluxFichier& flux) : flux_(flux), sortie_(flux.tampon) {}

    bool Recoit(const Mouvement& m) override {
        switch (m.etape) {
            case EtapeMouvement::Montee: sortie_.append(c_.montee); break;
            case EtapeMouvement::Deplacement: sortie_.append(c_.deplacement); break;
            case EtapeMouvement::Niveau: sortie_.append(c_.niveau); break;
            case EtapeMouvement::Descente: sortie_.append(c_.descente); break;
            case EtapeMouvement::Coupe:
            case EtapeMouvement::Attache: break;
            case EtapeMouvement::Remontee: sortie_.append(c_.remontee); break;
            case EtapeMouvement::Retour: sortie_.append(c_.retour); break;
        }
        // CalculDeplac: one data line.
        sortie_.append("T:");
        AjouteNombreCUT(sortie_, m.t);
        x_.clear();
        AjouteNombreCUT(x_, m.x);
        sortie_.append(" XG:").append(x_);
        sortie_.append(" YG:");
        AjouteNombreCUT(sortie_, m.y);
        sortie_.append(" XD:").append(x_);
        sortie_.append(" YD:");
        AjouteNombreCUT(sortie_, m.z);
        sortie_.append("\r\n");
        if (m.etape == EtapeMouvement::Descente) sortie_.append(c_.fraisage);
        flux_.Verse();
        return true;
    }

private:
    const Commentaires c_;
    FluxFichier& flux_;
    std::string& sortie_;
    std::string x_;  // the X text, written twice
};

}  // namespace

std::string TexteTotal(double valeur) { return FormatFixe(valeur, 1, ','); }

bool GenereFichierCUT(const PosteTravail& poste, const TravailCUT& travail, TotauxCUT& totaux, Diagnostics& dits,
                      const SuiviCUT& suivi) {
    const std::optional<VitessesTravail> v = PrepareTravail(poste, travail, travail.FichierCUT, "CUT", totaux, dits);
    if (!v) return false;
    FluxFichier flux(travail.FichierCUT);
    bool ecrit = flux.Ouvert();
    if (ecrit) {
        flux.tampon.append(EnTete(travail));
        EcrivainCUT e(flux);
        ParcoursTravail(poste.dessin, CotesDe(travail), *v, totaux, suivi, e);
        ecrit = flux.Termine();
    }
    if (!ecrit) {
        dits.push_back(
            {Gravite::Erreur, "Impossible d'écrire le fichier " + travail.FichierCUT, travail.FichierCUT, 0, {}});
        return false;
    }
    if (suivi) suivi(totaux);
    return true;
}

}  // namespace korvelin
