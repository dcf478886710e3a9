#include "document/fenetre_fraisage.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "geometry/attaches.h"
#include "machining/vitesses.h"
#include "model/nombres.h"

namespace korvelin {

namespace {

double& TempsDe(Parametres& p, int ligne) {
    switch (ligne) {
        case 0: return p.TempsMin_HMat_X;
        case 1: return p.TempsMin_Mat_X;
        case 2: return p.TempsMin_HMat_Y;
        case 3: return p.TempsMin_Mat_Y;
        case 4: return p.TempsMin_Descente;
        case 5: return p.TempsMin_Mat_Z;
        default: return p.TempsMin_Montee;
    }
}

std::string VitesseLigne(const Parametres& p, int ligne) {
    const double t = TempsDe(const_cast<Parametres&>(p), ligne);
    if (ligne < 2) return TexteVitesse(t, p.Pas_X, p.NbPas_X);
    if (ligne < 4) return TexteVitesse(t, p.Pas_Y, p.NbPas_Y);
    return TexteVitesse(t, p.Pas_Z, p.NbPas_Z);
}

double LectureBoite(std::string_view texte) {
    std::string s(texte);
    std::replace(s.begin(), s.end(), ',', '.');
    const double v = LecturePlain(s);
    return std::isfinite(v) ? v : 0.0;
}

// The drawing's extent as the single-precision coordinates give it, not their binary noise.
std::string TexteCote(double v) {
    std::string s = TexteFlottant32(VersFlottant32(v));
    s.erase(0, s.find_first_not_of(' '));
    std::replace(s.begin(), s.end(), '.', ',');
    return s;
}

}  // namespace

void ModeleFraisage::Charge() {
    const TravailCUT t = TravailCUTInitial(magasin_, dessin_, p_);  // the margins are loaded there
    c_.HautDeg = t.HautDeg;
    c_.ProfFraisage = t.ProfFraisage;
    ChangeNbPasse(t.TexteNbPasse);
    c_.MargeX = t.MargeX;
    c_.MargeY = t.MargeY;
    c_.CUT = t.FichierCUT;
    c_.GCode = t.FichierGCode;
    c_.SansCommentaires = t.SansCommentaires;
    for (int i = 0; i < NbTemps; ++i) {
        c_.Temps[i] = EcritureLocale(TempsDe(p_, i));
        c_.Vitesses[i] = VitesseLigne(p_, i);
    }
    c_.AttachesNombre = TexteEntier(p_.AttachesNombre);
    c_.AttachesLargeur = EcritureLocale(p_.AttachesLargeur);
    c_.AttachesHauteur = EcritureLocale(p_.AttachesHauteur);
    c_.Nb_X = c_.Nb_Y = "1";
    c_.Pas_Duplic_X = TexteCote(dessin_.Xmax);
    c_.Pas_Duplic_Y = TexteCote(dessin_.Ymax);
    c_.Dim_Test = "50";
}

void ModeleFraisage::ValideTemps(int ligne, std::string_view texte) {
    if (ligne < 0 || ligne >= NbTemps) return;
    c_.Temps[ligne] = texte;
    TempsDe(p_, ligne) = LectureBoite(texte);
    c_.Vitesses[ligne] = VitesseLigne(p_, ligne);
}

void ModeleFraisage::ValideMarge(bool enX, std::string_view texte) {
    (enX ? c_.MargeX : c_.MargeY) = texte;
    (enX ? p_.MargeX : p_.MargeY) = LectureBoite(texte);
}

void ModeleFraisage::ChangeNbPasse(std::string_view texte) {
    const double v = std::trunc(LectureSaisie(texte));
    c_.NbPasse = texte;
    if (!std::isfinite(v) || v < 1.0) {
        // Below one pass nothing would be cut: the box shows what is run.
        c_.NbPasse = "1";
        p_.NbPasse = 1;
        return;
    }
    p_.NbPasse = static_cast<int32_t>(std::min(v, 2147483647.0));
}

void ModeleFraisage::ValideAttaches(int champ, std::string_view texte) {
    Parametres& p = p_;
    const double v = LectureSaisie(texte);
    if (champ == 0) {
        if (std::isfinite(v) && v >= 0.0 && v <= MaxAttaches && v == std::trunc(v)) p.AttachesNombre = int16_t(v);
        c_.AttachesNombre = TexteEntier(p.AttachesNombre);
    } else if (champ == 1 || champ == 2) {
        double& valeur = champ == 1 ? p.AttachesLargeur : p.AttachesHauteur;
        if (std::isfinite(v) && v > 0.0) valeur = v;
        (champ == 1 ? c_.AttachesLargeur : c_.AttachesHauteur) = EcritureLocale(valeur);
    }
}

std::optional<ModeleFraisage::PropositionMarges> ModeleFraisage::ProposeMarges(ActionMachine action) const {
    const Parametres& p = p_;
    GrilleCopies grille;
    if (action == ActionMachine::Serie) {
        const Serie s = Demande(action).serie;
        grille = {s.NbX, s.NbY, s.DecalX, s.DecalY};
    }
    const auto m = MargesPourLaCourse(dessin_, p, p.MargeX, p.MargeY, grille);
    if (!m) return std::nullopt;
    std::string texte = TexteMargesConseillees(*m, p.MargeX, p.MargeY);
    texte[0] = 'I';
    return PropositionMarges{
        "Le travail sort de la course de la machine. " + texte + " pour qu'il y tienne.\r\nRégler les marges ainsi ?",
        *m};
}

void ModeleFraisage::PoseMarges(const MargesConseillees& m) {
    ValideMarge(true, EcritureLocale(m.X));
    ValideMarge(false, EcritureLocale(m.Y));
}

EcrituresReglages ModeleFraisage::EcrituresFermeture() const {
    const Parametres& p = p_;
    return {{"TempsMin_Mat_X", EcritureLocale(p.TempsMin_Mat_X)},
            {"TempsMin_Mat_Y", EcritureLocale(p.TempsMin_Mat_Y)},
            {"TempsMin_Mat_Z", EcritureLocale(p.TempsMin_Mat_Z)},
            {"TempsMin_HMat_X", EcritureLocale(p.TempsMin_HMat_X)},
            {"TempsMin_HMat_Y", EcritureLocale(p.TempsMin_HMat_Y)},
            {"TempsMin_Descente", EcritureLocale(p.TempsMin_Descente)},
            {"TempsMin_Montee", EcritureLocale(p.TempsMin_Montee)},
            {"HautDeg", c_.HautDeg},
            {"ProfFraisage", c_.ProfFraisage},
            {"NbPasse", c_.NbPasse},
            {"MargeX", EcritureLocale(p.MargeX)},
            {"MargeY", EcritureLocale(p.MargeY)},
            {"AttachesNombre", TexteEntier(p.AttachesNombre)},
            {"AttachesLargeur", EcritureLocale(p.AttachesLargeur)},
            {"AttachesHauteur", EcritureLocale(p.AttachesHauteur)},
            {"GCodeSansCommentaires", c_.SansCommentaires ? "Vrai" : "Faux"}};
}

TravailCUT ModeleFraisage::Travail() const {
    TravailCUT t;
    t.HautDeg = c_.HautDeg;
    t.ProfFraisage = c_.ProfFraisage;
    t.NbPasse = p_.NbPasse;
    t.TexteNbPasse = c_.NbPasse;
    ReglagesDuTravail(magasin_, dessin_, p_, t);
    t.FichierCUT = c_.CUT;
    t.FichierGCode = c_.GCode;
    t.SansCommentaires = c_.SansCommentaires;
    return t;
}

DemandeMachine ModeleFraisage::Demande(ActionMachine action) const {
    DemandeMachine d;
    d.action = action;
    d.travail.HautDeg = c_.HautDeg;
    d.travail.ProfFraisage = c_.ProfFraisage;
    // Counts beyond a 16-bit copy count are refused by the travel check anyway.
    auto nombre = [](const std::string& s) {
        const double v = std::trunc(LectureSaisie(s));
        return static_cast<int16_t>(std::isfinite(v) ? std::clamp(v, -32768.0, 32767.0) : 0.0);
    };
    d.serie.NbX = nombre(c_.Nb_X);
    d.serie.NbY = nombre(c_.Nb_Y);
    d.serie.DecalX = VersFlottant32(LectureBoite(c_.Pas_Duplic_X));
    d.serie.DecalY = VersFlottant32(LectureBoite(c_.Pas_Duplic_Y));
    d.option = c_.Cycle;
    d.dimension = LectureBoite(c_.Dim_Test);
    d.texteX = c_.X;
    d.texteY = c_.Y;
    d.texteZ = c_.Z;
    return d;
}

std::string MessagePortIndisponible() {
    return "Le port parallèle ne peut pas être utilisé : l'accès direct aux ports est refusé (il "
           "demande les droits de root) et aucun périphérique /dev/parport ne peut être ouvert (il faut "
           "appartenir au groupe lp, et que la machine ait un port parallèle).\r\n"
           "Lancez le programme en tant que root, ou ajoutez votre compte au groupe lp "
           "(sudo adduser $USER lp, puis reconnectez-vous).\r\n"
           "En attendant, toutes les actions se font sur la simulation.";
}

std::string TexteCompteRendu(const CompteRendu& cr) {
    std::string s;
    switch (cr.issue) {
        case Issue::Terminee: s = "Terminé"; break;
        case Issue::Refusee: return "Refusé";
        case Issue::Interrompue: s = "Arrêté"; break;
    }
    if (cr.issue == Issue::Interrompue && cr.trace >= 0) {
        // Between passes there is no pass, and before a pass no point, to name.
        s += " au tracé " + TexteEntier(cr.trace + 1);
        if (cr.passe > 0) s += ", passe " + TexteEntier(cr.passe);
        if (cr.point >= 0) s += ", vers le point " + TexteEntier(cr.point);
        if (cr.copie > 0) s += ", copie " + TexteEntier(cr.copie) + " de la rangée " + TexteEntier(cr.rangee);
    }
    s += " ; position X " + FormatFixe(cr.X, 3, ',') + ", Y " + FormatFixe(cr.Y, 3, ',') + ", Z " +
         FormatFixe(cr.Z, 3, ',') + " mm";
    s += " ; " + TexteEntier(cr.impulsions) + " impulsions, " + TexteEntier(cr.impulsionsEnRetard) + " en retard";
    if (cr.impulsionsEnRetard > 0) s += " : des pas ont pu être perdus, vérifiez le zéro !";
    return s;
}

std::string TexteEstimation(const Estimation& e) {
    if (!e.acceptee) return {};
    return "Durée estimée : " + TexteDuree(e.duree);
}

std::string TexteAvancement(const Emplacement& ou) {
    if (ou.trace < 0) return {};
    std::string s = "Tracé " + TexteEntier(ou.trace + 1) + ", passe " + TexteEntier(ou.passe);
    if (ou.copie > 0) s += ", copie " + TexteEntier(ou.copie) + ", rangée " + TexteEntier(ou.rangee);
    return s;
}

void CheminSimule::Ouvre(const Point& depart, const Point& p) {
    const double d = std::hypot(p.x - depart.x, p.y - depart.y);
    centre_ = std::atan2(p.y - depart.y, p.x - depart.x);
    const double largeur = d > tolerance_ ? std::asin(tolerance_ / d) : std::numbers::pi;
    bas_ = -largeur;
    haut_ = largeur;
    points_.push_back(p);
    enCours_ = true;
}

void CheminSimule::Note(double x, double y, double z) {
    const Point p{x, y, z};
    if (points_.empty()) {
        points_.push_back(p);
        return;
    }
    const Point fin = points_.back();
    if (fin.x == x && fin.y == y && fin.z == z) return;
    if (!enCours_) return Ouvre(fin, p);
    const Point depart = points_[points_.size() - 2];
    if (z != fin.z || fin.z != depart.z) return Ouvre(fin, p);
    const double d = std::hypot(x - depart.x, y - depart.y);
    if (d <= tolerance_) {
        points_.back() = p;
        return;
    }
    const double ecart = std::remainder(std::atan2(y - depart.y, x - depart.x) - centre_, 2.0 * std::numbers::pi);
    if (ecart < bas_ || ecart > haut_) return Ouvre(fin, p);
    const double largeur = std::asin(tolerance_ / d);
    bas_ = std::max(bas_, ecart - largeur);
    haut_ = std::min(haut_, ecart + largeur);
    points_.back() = p;
}

std::string ResumeSimulation(const PortSimule& port) {
    std::string s = "Impulsions X " + TexteEntier(port.Impulsions(Axe::X)) + ", Y " +
                    TexteEntier(port.Impulsions(Axe::Y)) + ", Z " + TexteEntier(port.Impulsions(Axe::Z));
    s += " ; position finale X " + FormatFixe(port.PositionMm(Axe::X), 3, ',') + ", Y " +
         FormatFixe(port.PositionMm(Axe::Y), 3, ',') + ", Z " + FormatFixe(port.PositionMm(Axe::Z), 3, ',') + " mm";
    s += " ; durée " + TexteDuree(port.DureeProgrammee());
    s += " ; moteur mis en marche " + TexteEntier(port.MisesEnMarche()) + " fois, arrêté " +
         TexteEntier(port.Arrets()) + " fois";
    return s;
}

}  // namespace korvelin
