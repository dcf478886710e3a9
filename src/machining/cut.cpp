#include "machining/cut.h"

#include <chrono>
#include <cmath>

#include "machining/controles.h"
#include "machining/flux_fichier.h"
#include "machining/gcode.h"

#include "machining/vitesses.h"
#include "model/nombres.h"
#include "model/noms_fichiers.h"
#include "platform/fichier.h"
#include "settings/magasin.h"
#include "settings/reglages.h"
#include "settings/reglages_outil.h"

namespace korvelin {

namespace {

#define KORVELIN_TEXTE_(x) #x
#define KORVELIN_TEXTE(x) KORVELIN_TEXTE_(x)
constexpr const char* TexteVersion_ = KORVELIN_TEXTE(KORVELIN_VERSION_MAJEURE) "." KORVELIN_TEXTE(
    KORVELIN_VERSION_MINEURE) "." KORVELIN_TEXTE(KORVELIN_VERSION_REVISION);

}  // namespace

std::string_view TexteVersion() { return TexteVersion_; }

void AjouteNombreCUT(std::string& sortie, double v) {
    // Beyond 2^52 thousandths the integer steps of doubles are coarser than the halves.
    constexpr double Limite = 4503599627370496.0;
    const double p = v * 1000.0;
    if (!(std::fabs(p) < Limite)) {
        sortie += FormatFixe(v, 3, '.');
        return;
    }
    // p is the product rounded; e is what rounding took away, exactly. Only when p lies on
    // a half can e decide the rounding: otherwise p and v·1000 round alike.
    const double e = std::fma(v, 1000.0, -p);
    double n = std::nearbyint(p);
    if (p - std::floor(p) == 0.5 && e != 0.0) n = e > 0.0 ? std::floor(p) + 1.0 : std::floor(p);
    const bool negatif = n < 0.0;
    uint64_t entier = static_cast<uint64_t>(std::fabs(n));
    char tampon[32];
    char* fin = tampon + sizeof tampon;
    char* c = fin;
    for (int k = 0; k < 3; ++k) {
        *--c = static_cast<char>('0' + entier % 10);
        entier /= 10;
    }
    *--c = '.';
    do {
        *--c = static_cast<char>('0' + entier % 10);
        entier /= 10;
    } while (entier != 0);
    if (negatif) *--c = '-';
    sortie.append(c, static_cast<std::size_t>(fin - c));
}

namespace {

std::string EnTete(const TravailCUT& t) {
    std::string e;
    auto ligne = [&](std::string_view a, std::string_view b = {}) {
        e.append(a);
        e.append(b);
        e.append("\r\n");
    };
    ligne("//Fichier créé à l'aide de KorvelinVersion ", TexteVersion_);
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

    void Recoit(const Mouvement& m) override {
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
    }

private:
    const Commentaires c_;
    FluxFichier& flux_;
    std::string& sortie_;
    std::string x_;  // the X text, written twice
};

// Hands each move on; its duration joins the running time, and the totals are reported.
class Emetteur {
public:
    Emetteur(RecepteurMouvements& r, TotauxCUT& totaux, const SuiviCUT& suivi)
        : r_(r), totaux_(totaux), suivi_(suivi),
          prochainSuivi_(std::chrono::steady_clock::now() + Intervalle) {}

    void Emet(EtapeMouvement etape, double t, double x, double y, double z) {
        r_.Recoit(Mouvement{etape, t, x, y, z});
        totaux_.TempsFraisage += t;
        if (suivi_ && (++lignes_ & 1023) == 0) {
            const auto maintenant = std::chrono::steady_clock::now();
            if (maintenant >= prochainSuivi_) {
                suivi_(totaux_);
                prochainSuivi_ = maintenant + Intervalle;
            }
        }
    }

    // CalculTemps: the time of an XY move at speed v; its length joins the running path.
    double Temps(double x1, double x2, double y1, double y2, double v) {
        const double d = std::sqrt((x2 - x1) * (x2 - x1) + (y2 - y1) * (y2 - y1));
        if (d == 0.0) return 0.0;
        totaux_.LongueurParcours += d;
        return d / v;
    }

private:
    static constexpr std::chrono::milliseconds Intervalle{100};
    RecepteurMouvements& r_;
    TotauxCUT& totaux_;
    const SuiviCUT& suivi_;
    std::chrono::steady_clock::time_point prochainSuivi_;
    uint32_t lignes_ = 0;
};

bool VitesseValable(double v) { return std::isfinite(v) && v > 0.0; }

}  // namespace

void ParcoursTravail(const Dessin& d, const TravailCUT& t, const VitessesTravail& v,
                     TotauxCUT& totaux, const SuiviCUT& suivi, RecepteurMouvements& r) {
    using E = EtapeMouvement;
    Emetteur e(r, totaux, suivi);
    const double H = LectureSaisie(t.HautDeg);
    const double P = LectureSaisie(t.ProfFraisage);
    const int32_t N = t.NbPasse < 1 ? 1 : t.NbPasse;
    const double MX = LectureSaisie(t.MargeX);
    const double MY = LectureSaisie(t.MargeY);
    const double vH = v.Deplacement();
    const double vM = v.Coupe();
    const double vD = v.descente;

    const std::vector<std::vector<SpanAttache>> attaches = PlaceAttaches(d, t.attaches);
    const double zAttache = HauteurAttache(P, t.attaches);
    double X = 0.0, Y = 0.0;
    const std::size_t nbTraces = d.NbSequencesDecalees();
    for (std::size_t k = 0; k < nbTraces; ++k) {
        const std::vector<PointTrace>& points = d.Trace_Decale[k].Points;
        e.Emet(E::Montee, k == 0 ? std::fabs(H) / vD : std::fabs(H - P / N) / vD, X, Y, H);
        for (int32_t p = 1; p <= N; ++p) {
            const double profondeur = P * p / N;
            if (!points.empty()) {
                const double xt = points[0].X + MX;
                const double yt = points[0].Y + MY;
                const double tDep = e.Temps(X, xt, Y, yt, vH);
                if (tDep != 0.0) e.Emet(E::Deplacement, tDep, xt, yt, H);
                e.Emet(E::Niveau, std::fabs(H / vD), xt, yt, 0.0);
                e.Emet(E::Descente, std::fabs(P / v.matZ), xt, yt, profondeur);
                X = xt;
                Y = yt;
            }
            double Z = profondeur;
            CoupePasse(points, attaches[k], MX, MY, profondeur, zAttache,
                       [&](double xt, double yt, double zt, bool vertical) {
                           if (vertical) {
                               e.Emet(E::Attache, std::fabs(zt - Z) / v.matZ, xt, yt, zt);
                               Z = zt;
                               return;
                           }
                           const double tCoupe = e.Temps(X, xt, Y, yt, vM);
                           if (tCoupe != 0.0) e.Emet(E::Coupe, tCoupe, xt, yt, zt);
                           X = xt;
                           Y = yt;
                       });
            e.Emet(E::Remontee, std::fabs((H - P) / vD), X, Y, H);
        }
    }
    e.Emet(E::Remontee, std::fabs((H - P) / vD), X, Y, H);
    const double tRetour = e.Temps(X, 0.0, Y, 0.0, vH);
    if (tRetour != 0.0) e.Emet(E::Retour, tRetour, 0.0, 0.0, H);
    e.Emet(E::Niveau, std::fabs(H / vD), 0.0, 0.0, 0.0);
}

std::string TexteTotal(double valeur) { return FormatFixe(valeur, 1, ','); }

TravailCUT TravailCUTInitial(Contexte& ctx) {
    TravailCUT t;
    t.HautDeg = LireReglage(ctx, "HautDeg");
    t.ProfFraisage = LireReglage(ctx, "ProfFraisage");
    t.TexteNbPasse = LireReglage(ctx, "NbPasse");
    const double passes = std::trunc(LectureSaisie(t.TexteNbPasse));
    t.NbPasse = (std::isfinite(passes) && passes >= 1.0)
                    ? static_cast<int32_t>(std::min(passes, 2147483647.0))
                    : 1;
    ChargeMarges(ctx);
    ReglagesDuTravail(ctx, t);
    t.FichierCUT = NomFichierCUTParDefaut(ctx.dessin.NomFichier);
    t.FichierGCode = NomFichierGCodeParDefaut(ctx.dessin.NomFichier);
    return t;
}

void ReglagesDuTravail(Contexte& ctx, TravailCUT& t) {
    t.MargeX = EcritureLocale(ctx.parametres.MargeX);
    t.MargeY = EcritureLocale(ctx.parametres.MargeY);
    const TextesVitesses v = TextesVitessesParametres(ctx.parametres);
    t.VitMax_Mat_X = v.Mat_X;
    t.VitMax_Mat_Y = v.Mat_Y;
    t.VitMax_Mat_Z = v.Mat_Z;
    t.VitMax_HMat_X = v.HMat_X;
    t.VitMax_HMat_Y = v.HMat_Y;
    t.VitMax_Descente = v.Descente;
    t.VitMax_Montee = v.Montee;
    t.VitesseBroche = LireReglage(ctx, "VitesseBroche");
    t.AvanceCoupe = LireReglage(ctx, "AvanceCoupe");
    t.AvancePlongee = LireReglage(ctx, "AvancePlongee");
    t.TemporisationBroche = LireReglage(ctx, "TemporisationBroche");
    t.SansCommentaires = LectureBooleen(LireReglage(ctx, "GCodeSansCommentaires"));
    t.attaches = AttachesDe(ctx.parametres);
}

std::optional<VitessesTravail> PrepareTravail(Contexte& ctx, const TravailCUT& travail,
                                              const std::string& fichier, std::string_view nature,
                                              TotauxCUT& totaux) {
    const Dessin& d = ctx.dessin;
    if (d.NbSequencesDecalees() == 0) {
        ctx.ui->Message("Il faut ouvrir un dessin !", TitreProgramme, Icone::Critique);
        return std::nullopt;
    }
    const VitessesTravail v{
        LectureSaisie(travail.VitMax_Mat_X),  LectureSaisie(travail.VitMax_Mat_Y),
        LectureSaisie(travail.VitMax_Mat_Z),  LectureSaisie(travail.VitMax_HMat_X),
        LectureSaisie(travail.VitMax_HMat_Y), LectureSaisie(travail.VitMax_Descente)};
    // A negative speed would give negative durations: refused like a zero one.
    if (!VitesseValable(v.matX) || !VitesseValable(v.matY) || !VitesseValable(v.matZ) ||
        !VitesseValable(v.hmatX) || !VitesseValable(v.hmatY) || !VitesseValable(v.descente)) {
        ctx.ui->Message("Les vitesses ne peuvent pas être nulles !\r\nRevoir les paramètres",
                        "Erreur", Icone::Critique);
        return std::nullopt;
    }
    const Parametres& prm = ctx.parametres;
    const struct {
        const char* nom;
        double vitesse, pas;
        int32_t nbPas;
    } axes[] = {{"matière X", v.matX, prm.Pas_X, prm.NbPas_X},       {"matière Y", v.matY, prm.Pas_Y, prm.NbPas_Y},
                {"matière Z", v.matZ, prm.Pas_Z, prm.NbPas_Z},       {"hors-matière X", v.hmatX, prm.Pas_X, prm.NbPas_X},
                {"hors-matière Y", v.hmatY, prm.Pas_Y, prm.NbPas_Y}, {"hors-matière Z", v.descente, prm.Pas_Z, prm.NbPas_Z}};
    for (const auto& a : axes) {
        if (auto refus = ControleVitesse(a.nom, a.vitesse, a.pas, a.nbPas)) {
            ctx.ui->Message(*refus, "Erreur", Icone::Critique);
            return std::nullopt;
        }
    }
    totaux = TotauxCUT{};
    // A folder or a device there fails at the writing, with its own message.
    if (const std::string raison = FichierExiste(fichier) ? RaisonNonRemplacable(fichier) : ""; !raison.empty()) {
        ctx.ui->Message(raison, TitreProgramme, Icone::Critique);
        return std::nullopt;
    }
    const std::string dossier = ExtraitRepertoire(fichier);
    // A name without a folder part lies in the current folder, which exists.
    if (!dossier.empty() && !DossierExiste(dossier)) {
        ctx.ui->Message("Le dossier de destination du fichier " + std::string(nature) +
                            " n'existe pas, merci de le corriger",
                        TitreProgramme, Icone::Critique);
        return std::nullopt;
    }
    if (MemeFichierDisque(fichier, d.NomFichier)) {
        ctx.ui->Message("Le fichier " + std::string(nature) + " ne peut pas remplacer le dessin ouvert !",
                        TitreProgramme, Icone::Critique);
        return std::nullopt;
    }
    if (travail.NbPasse > MaxPasses) {
        ctx.ui->Message("Le nombre de passes ne peut pas dépasser 1000 !", TitreProgramme,
                        Icone::Critique);
        return std::nullopt;
    }
    const double H = LectureSaisie(travail.HautDeg), P = LectureSaisie(travail.ProfFraisage);
    Parametres p = ctx.parametres;
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
        ctx.ui->Message(*refus, TitreProgramme, Icone::Critique);
        return std::nullopt;
    }
    if (avertissement) ctx.ui->Message(*avertissement, TitreProgramme, Icone::Exclamation);
    if (travail.attaches.Actives())
        if (const std::string attaches = AvertissementAttaches(d, travail.attaches); !attaches.empty())
            ctx.ui->Message(attaches, TitreProgramme, Icone::Exclamation);
    return v;
}

bool GenereFichierCUT(Contexte& ctx, const TravailCUT& travail, TotauxCUT& totaux,
                      const SuiviCUT& suivi) {
    const std::optional<VitessesTravail> v =
        PrepareTravail(ctx, travail, travail.FichierCUT, "CUT", totaux);
    if (!v) return false;
    FluxFichier flux(travail.FichierCUT);
    bool ecrit = flux.Ouvert();
    if (ecrit) {
        flux.tampon.append(EnTete(travail));
        EcrivainCUT e(flux);
        ParcoursTravail(ctx.dessin, travail, *v, totaux, suivi, e);
        ecrit = flux.Termine();
    }
    if (!ecrit) {
        ctx.ui->Message("Impossible d'écrire le fichier " + travail.FichierCUT, TitreProgramme,
                        Icone::Critique);
        return false;
    }
    if (suivi) suivi(totaux);
    return true;
}

}  // namespace korvelin
