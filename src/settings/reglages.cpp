#include "settings/reglages.h"

#include <cmath>

#include "model/nombres.h"
#include "model/noms_fichiers.h"

namespace korvelin {

namespace {

using P = Parametres;
using L = Lecture;
using C = Chargeur;

constexpr Reglage Table[] = {
    {"CouleurNumero", &P::CouleurNumero, "0", L::Couleur, C::Couleurs},
    {"CouleurSequence", &P::CouleurSequence, "16711680", L::Couleur, C::Couleurs},
    {"CouleurSelectionne", &P::CouleurSelectionne, "255", L::Couleur, C::Couleurs},
    {"CouleurDeselectionne", &P::CouleurDeselectionne, "100", L::Couleur, C::Couleurs},
    {"CouleurDecalage", &P::CouleurDecalage, "65280", L::Couleur, C::Couleurs},
    {"RayonFraise", &P::RayonFraise, "3", L::Nombre, C::Decalage},
    {"DecalageOutil", &P::DecalageOutil, "1", L::Cote, C::Decalage},
    {"MargeX", &P::MargeX, "0", L::Locale, C::Marges},
    {"MargeY", &P::MargeY, "0", L::Locale, C::Marges},
    {"RapportH", &P::RapportH, "1", L::Locale, C::Rapports, "0.025", true},
    {"RapportV", &P::RapportV, "1", L::Locale, C::Rapports, "0.025", true},
    {"AffichageCalcul", &P::AffichageCalcul, "Faux", L::Booleen, C::Options},
    {"ConfirmSuppr", &P::ConfirmSuppr, "Vrai", L::Booleen, C::Options},
    {"Optimisation_1", &P::Optimisation_1, "Vrai", L::Booleen, C::Options},
    {"Optimisation_2", &P::Optimisation_2, "Faux", L::Booleen, C::Options},
    {"TimerInterval", &P::TimerInterval, "275", L::Entier, C::Options},
    {"AttachesNombre", &P::AttachesNombre, "0", L::Entier, C::Options},  // 0: no tabs
    {"AttachesLargeur", &P::AttachesLargeur, "5", L::Nombre, C::Options},
    {"AttachesHauteur", &P::AttachesHauteur, "1", L::Nombre, C::Options},
    {"OptionLPT", &P::OptionLPT, "0", L::Entier, C::Machine},
    {"Course_X", &P::Course_X, "1000", L::Locale, C::Machine},
    {"Course_Y", &P::Course_Y, "500", L::Locale, C::Machine},
    {"Course_Z", &P::Course_Z, "200", L::Locale, C::Machine},
    {"NbPas_X", &P::NbPas_X, "48", L::Entier, C::Machine},
    {"NbPas_Y", &P::NbPas_Y, "48", L::Entier, C::Machine},
    {"NbPas_Z", &P::NbPas_Z, "48", L::Entier, C::Machine},
    {"Pas_X", &P::Pas_X, "1", L::Nombre, C::Machine},
    {"Pas_Y", &P::Pas_Y, "1", L::Nombre, C::Machine},
    {"Pas_Z", &P::Pas_Z, "1", L::Nombre, C::Machine},
    {"TempsMin_Mat_X", &P::TempsMin_Mat_X, "10", L::Temps, C::Machine},
    {"TempsMin_Mat_Y", &P::TempsMin_Mat_Y, "10", L::Temps, C::Machine},
    {"TempsMin_Mat_Z", &P::TempsMin_Mat_Z, "10", L::Temps, C::Machine},
    {"TempsMin_HMat_X", &P::TempsMin_HMat_X, "10", L::Temps, C::Machine},
    {"TempsMin_HMat_Y", &P::TempsMin_HMat_Y, "10", L::Temps, C::Machine},
    {"TempsMin_Descente", &P::TempsMin_Descente, "10", L::Temps, C::Machine},
    {"TempsMin_Montee", &P::TempsMin_Montee, "10", L::Temps, C::Machine},
    {"InversionSens_X", &P::InversionSens_X, "Faux", L::Booleen, C::Machine},
    {"InversionSens_Y", &P::InversionSens_Y, "Faux", L::Booleen, C::Machine},
    {"InversionSens_Z", &P::InversionSens_Z, "Faux", L::Booleen, C::Machine},
    {"Fichier", {}, "", L::Texte, C::Aucun},
    {"HautDeg", {}, "1", L::Texte, C::Aucun},
    {"ProfFraisage", {}, "-3", L::Texte, C::Aucun},
    {"NbPasse", &P::NbPasse, "1", L::Passes, C::Aucun},
    {"VitesseBroche", {}, "", L::Texte, C::Aucun},         // tr/min; empty: no M3 in the G-code
    {"AvanceCoupe", {}, "", L::Texte, C::Aucun},           // mm/min; empty: from the minimum times
    {"AvancePlongee", {}, "", L::Texte, C::Aucun},         // mm/min; empty: from the minimum times
    {"TemporisationBroche", {}, "2", L::Texte, C::Aucun},  // s after M3
    {"GCodeSansCommentaires", {}, "Faux", L::Texte, C::Aucun},
    // Read by the import itself, after each drawing is read.
    {"OrientationAuto", {}, "Faux", L::Texte, C::Aucun},
};

int32_t LectureCouleur(std::string_view texte) {
    const double v = std::nearbyint(LectureLocaleOuPlain(texte));
    if (!(v >= 0.0)) return 0;
    if (v > 16777215.0) return 16777215;
    return static_cast<int32_t>(v);
}

}  // namespace

bool LectureBooleen(std::string_view texte) {
    const std::string t = EnMajuscules(Rogne(texte));
    if (t == "VRAI" || t == "TRUE") return true;
    if (t == "FAUX" || t == "FALSE" || t.empty()) return false;
    return LectureLocaleOuPlain(t) != 0.0;
}

namespace {

int16_t Borne16(double v) {
    if (std::isnan(v)) return 0;
    return static_cast<int16_t>(std::fmax(-32768.0, std::fmin(32767.0, v)));
}

int32_t LecturePasses(std::string_view texte) {
    const double n = std::trunc(LectureSaisie(texte));
    return (std::isfinite(n) && n >= 1.0) ? static_cast<int32_t>(std::min(n, 2147483647.0)) : 1;
}

template <class T>
T& Cible(Parametres& p, const Reglage& r) {
    return p.*std::get<T Parametres::*>(r.valeur);
}

}  // namespace

std::span<const Reglage> TableReglages() { return Table; }

const Reglage* TrouveReglage(std::string_view cle) {
    for (const Reglage& r : Table) {
        if (r.prefixeType ? cle.size() > r.cle.size() && cle.ends_with(r.cle) : cle == r.cle) return &r;
    }
    return nullptr;
}

std::string_view DefautReglage(const Reglage& r, std::string_view typeFichier) {
    if (!r.defautTraceur.empty() && (typeFichier == "PLT" || typeFichier == "HPGL")) return r.defautTraceur;
    return r.defaut;
}

void AppliqueReglage(Parametres& p, const Reglage& r, std::string_view t) {
    switch (r.lecture) {
        case L::Couleur: Cible<int32_t>(p, r) = LectureCouleur(t); break;
        case L::Nombre: Cible<double>(p, r) = LectureSaisie(t); break;
        case L::Cote: Cible<int16_t>(p, r) = Borne16(std::nearbyint(LectureSaisie(t))); break;
        case L::Locale:
        case L::Temps: Cible<double>(p, r) = LectureLocaleOuPlain(t); break;
        case L::Entier: Cible<int16_t>(p, r) = LectureEntier16(t); break;
        case L::Booleen: Cible<bool>(p, r) = LectureBooleen(t); break;
        case L::Passes: Cible<int32_t>(p, r) = LecturePasses(t); break;
        case L::Texte: break;
    }
}

std::string FormeStockee(std::string_view cle, std::string_view texte) {
    std::string s(texte);
    const Reglage* r = TrouveReglage(cle);
    if (r && (r->lecture == L::Nombre || r->lecture == L::Cote) && LectureLocale(s))
        for (char& c : s)
            if (c == ',') c = '.';
    return s;
}

bool RapportUtilisable(double rapport) { return std::isfinite(rapport) && rapport > 0.0; }

}  // namespace korvelin
