#include "machining/gcode.h"

#include <cmath>
#include <limits>

#include "machining/flux_fichier.h"
#include "model/nombres.h"
#include "model/noms_fichiers.h"

namespace korvelin {

void AjouteNombreGCode(std::string& sortie, double v) {
    const std::size_t debut = sortie.size();
    AjouteNombreCUT(sortie, v);
    // Three decimals follow the "." of every finite value; the zeros among them say nothing.
    if (sortie.find('.', debut) == std::string::npos) return;
    while (sortie.back() == '0') sortie.pop_back();
    if (sortie.back() == '.') sortie.pop_back();
}

std::optional<DialecteGCode> LectureDialecte(std::string_view texte) {
    const std::string t = EnMajuscules(texte);
    if (t == "GRBL") return DialecteGCode::GRBL;
    if (t == "LINUXCNC") return DialecteGCode::LinuxCNC;
    return std::nullopt;
}

std::string NomFichierGCodeParDefaut(std::string_view nomFichier) {
    const std::size_t debutNom = nomFichier.find_last_of("\\/") + 1;  // npos + 1 is 0
    const std::size_t point = nomFichier.rfind('.');
    if (point == std::string_view::npos || point < debutNom) return std::string(nomFichier) + ".nc";
    return std::string(nomFichier.substr(0, point)) + ".nc";
}

namespace {

// A comment holds no parenthesis and no line end: a drawing's name may have either.
std::string Commentaire(std::string_view texte) {
    std::string r = "(";
    for (const char c : texte) {
        if (c == '(') r += '[';
        else if (c == ')') r += ']';
        else if (static_cast<unsigned char>(c) < ' ') r += ' ';
        else r += c;
    }
    return r + ")\n";
}

std::string Nombre(double v) {
    std::string r;
    AjouteNombreGCode(r, v);
    return r;
}

// The spindle speed in tr/min; nothing when the setting is empty, a negative value when
// it is not a usable number.
std::optional<double> LectureBroche(std::string_view texte) {
    if (texte.find_first_not_of(' ') == std::string_view::npos) return std::nullopt;
    const double v = LectureSaisie(texte);
    return std::isfinite(v) && v > 0.0 ? v : -1.0;
}

std::string EnTete(const Contexte& ctx, const TravailCUT& t, const VitessesTravail& v,
                   DialecteGCode dialecte, std::optional<double> broche) {
    const int32_t n = t.NbPasse < 1 ? 1 : t.NbPasse;
    std::string e;
    e += Commentaire("Fichier créé à l'aide de Korvelin version " + std::string(TexteVersion()) +
                     (dialecte == DialecteGCode::GRBL ? " pour GRBL" : " pour LinuxCNC"));
    e += Commentaire("Dessin : " + NomSansDossier(ctx.dessin.NomFichier));
    e += Commentaire("Rayon de la fraise : " + Nombre(ctx.parametres.RayonFraise) + " mm");
    e += Commentaire("Hauteur de dégagement : " + Nombre(LectureSaisie(t.HautDeg)) + " mm");
    e += Commentaire("Profondeur de fraisage : " + Nombre(LectureSaisie(t.ProfFraisage)) + " mm");
    e += Commentaire("Nombre de passes : " + std::to_string(n));
    e += Commentaire("Marge en X : " + Nombre(LectureSaisie(t.MargeX)) + " mm, marge en Y : " +
                     Nombre(LectureSaisie(t.MargeY)) + " mm");
    e += Commentaire("Vitesse matière X, Y, Z : " + Nombre(v.matX * 60.0) + ", " +
                     Nombre(v.matY * 60.0) + ", " + Nombre(v.matZ * 60.0) + " mm/min");
    e += Commentaire("Vitesse hors-matière X, Y, Z : " + Nombre(v.hmatX * 60.0) + ", " +
                     Nombre(v.hmatY * 60.0) + ", " + Nombre(v.descente * 60.0) + " mm/min");
    if (t.attaches.Actives())
        e += Commentaire("Attaches : " + std::to_string(t.attaches.nombre) + " par contour, largeur " +
                         Nombre(t.attaches.largeur) + " mm, hauteur " + Nombre(t.attaches.hauteur) + " mm");
    e += Commentaire(broche ? "Vitesse de broche : " + Nombre(*broche) + " tr/min"
                            : std::string("Broche non commandée par le programme"));
    e += "G21 G90 G17\n";
    if (broche) e += "M3 S" + Nombre(*broche) + "\n";
    return e;
}

// The G-code writing of the moves: G0 for the travels at the clearance height, G1 for every
// other move at the speed the CUT file times it with; an axis or a feed is written only
// when it changes, and a move that changes nothing gives no line.
class EcrivainGCode : public RecepteurMouvements {
public:
    EcrivainGCode(FluxFichier& flux, const VitessesTravail& v)
        : flux_(flux), sortie_(flux.tampon), coupe_(v.Coupe() * 60.0), plongee_(v.matZ * 60.0),
          verticale_(v.descente * 60.0) {}

    void Recoit(const Mouvement& m) override {
        double avance = 0.0;  // none: a rapid move
        switch (m.etape) {
            case EtapeMouvement::Deplacement:
            case EtapeMouvement::Retour: break;
            case EtapeMouvement::Coupe: avance = coupe_; break;
            case EtapeMouvement::Descente:
            case EtapeMouvement::Attache: avance = plongee_; break;
            case EtapeMouvement::Montee:
            case EtapeMouvement::Niveau:
            case EtapeMouvement::Remontee: avance = verticale_; break;
        }
        const bool x = m.x != x_, y = m.y != y_, z = m.z != z_;
        if (!x && !y && !z) return;
        sortie_.append(avance == 0.0 ? "G0" : "G1");
        if (x) {
            sortie_.append(" X");
            AjouteNombreGCode(sortie_, m.x);
            x_ = m.x;
        }
        if (y) {
            sortie_.append(" Y");
            AjouteNombreGCode(sortie_, m.y);
            y_ = m.y;
        }
        if (z) {
            sortie_.append(" Z");
            AjouteNombreGCode(sortie_, m.z);
            z_ = m.z;
        }
        if (avance != 0.0 && avance != avance_) {
            sortie_.append(" F");
            AjouteNombreGCode(sortie_, avance);
            avance_ = avance;
        }
        sortie_.push_back('\n');
        flux_.Verse();
    }

private:
    // Unknown at first: the first move states every axis.
    static constexpr double Inconnu = std::numeric_limits<double>::quiet_NaN();
    FluxFichier& flux_;
    std::string& sortie_;
    const double coupe_, plongee_, verticale_;  // mm/min
    double x_ = Inconnu, y_ = Inconnu, z_ = Inconnu, avance_ = 0.0;
};

}  // namespace

namespace {

std::optional<VitessesTravail> PrepareGCode(Contexte& ctx, const TravailCUT& travail, TotauxCUT& totaux) {
    const std::optional<VitessesTravail> v =
        PrepareTravail(ctx, travail, travail.FichierGCode, "G-code", totaux);
    if (!v) return std::nullopt;
    const std::optional<double> broche = LectureBroche(travail.VitesseBroche);
    if (broche && *broche <= 0.0) {
        ctx.ui->Message("La vitesse de broche « " + travail.VitesseBroche +
                            " » n'est pas un nombre de tours par minute positif !",
                        TitreProgramme, Icone::Critique);
        return std::nullopt;
    }
    return v;
}

}  // namespace

bool ControleFichierGCode(Contexte& ctx, const TravailCUT& travail) {
    TotauxCUT totaux;
    return PrepareGCode(ctx, travail, totaux).has_value();
}

bool GenereFichierGCode(Contexte& ctx, const TravailCUT& travail, DialecteGCode dialecte,
                        TotauxCUT& totaux, const SuiviCUT& suivi) {
    const std::optional<VitessesTravail> v = PrepareGCode(ctx, travail, totaux);
    if (!v) return false;
    const std::optional<double> broche = LectureBroche(travail.VitesseBroche);
    FluxFichier flux(travail.FichierGCode);
    bool ecrit = flux.Ouvert();
    if (ecrit) {
        flux.tampon.append(EnTete(ctx, travail, *v, dialecte, broche));
        EcrivainGCode e(flux, *v);
        ParcoursTravail(ctx.dessin, travail, *v, totaux, suivi, e);
        if (broche) flux.tampon.append("M5\n");
        flux.tampon.append(dialecte == DialecteGCode::GRBL ? "M2\n" : "M30\n");
        ecrit = flux.Termine();
    }
    if (!ecrit) {
        ctx.ui->Message("Impossible d'écrire le fichier " + travail.FichierGCode, TitreProgramme,
                        Icone::Critique);
        return false;
    }
    if (suivi) suivi(totaux);
    return true;
}

}  // namespace korvelin
