#include "settings/magasin.h"

#include <sys/stat.h>

#include <cmath>
#include <vector>

#include "model/ligne_projet.h"
#include "model/nombres.h"
#include "model/noms_fichiers.h"
#include "platform/fichier.h"
#include "platform/ini.h"

namespace korvelin {

namespace {

std::string_view Rogne(std::string_view s) {
    const auto debut = s.find_first_not_of(' ');
    if (debut == std::string_view::npos) return {};
    return s.substr(debut, s.find_last_not_of(' ') - debut + 1);
}

// Settings go to the project only while FichierProjet names one and the current file is
// that kind of file: writing settings must never rewrite a drawing of another type.
bool ProjetOuvert(const Contexte& ctx) {
    return !Rogne(ctx.dessin.FichierProjet).empty() &&
           EnMajuscules(ExtraitExtension(NomSansDossier(ctx.dessin.NomFichier))) == "KORVELIN";
}

// Calls f for each line of the text (CR LF or LF ends; text after the last end kept).
template <typename F>
void ParLigne(std::string_view texte, F&& f) {
    std::size_t debut = 0;
    while (debut < texte.size()) {
        std::size_t fin = texte.find('\n', debut);
        if (fin == std::string_view::npos) fin = texte.size();
        std::size_t f2 = fin;
        if (f2 > debut && texte[f2 - 1] == '\r') --f2;
        if (!f(texte.substr(debut, f2 - debut))) return;
        debut = fin + 1;
    }
}

void SignaleEchecEcriture(Contexte& ctx, const std::string& chemin) {
    ctx.ui->Message("Impossible d'écrire le fichier " + chemin, TitreProgramme, Icone::Critique);
}

const std::vector<std::string>& LignesParametresProjet(Contexte& ctx) {
    auto& cache = ctx.cacheProjet;
    const std::string& chemin = ctx.dessin.NomFichier;
    struct stat st {};
    const bool present = ::stat(chemin.c_str(), &st) == 0;
    const long long taille = present ? static_cast<long long>(st.st_size) : -1;
    const long long date = present ? static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec : -1;
    if (cache.chemin == chemin && cache.taille == taille && cache.date == date) return cache.lignes;
    cache.chemin = chemin;
    cache.taille = taille;
    cache.date = date;
    cache.lignes.clear();
    if (const auto contenu = LireFichier(chemin)) {
        ParLigne(*contenu, [&](std::string_view ligne) {
            if (ligne.substr(0, 2) == "$$") cache.lignes.emplace_back(ligne);
            return true;
        });
    }
    return cache.lignes;
}

std::optional<std::string> LireDansProjet(Contexte& ctx, std::string_view cle) {
    for (const std::string& l : LignesParametresProjet(ctx)) {
        const std::string_view ligne = l;
        if (ligne.substr(2, cle.size()) != cle) continue;
        const auto egal = ligne.find('=');
        if (egal == std::string_view::npos) continue;
        return std::string(Rogne(ligne.substr(egal + 1)));
    }
    return std::nullopt;
}

bool EcrireDansProjet(Contexte& ctx, std::string_view cle, std::string_view valeur) {
    Dessin& d = ctx.dessin;
    const std::string sauvegarde = SansExtension(d.NomFichier) + "tmp";
    const auto contenu = LireFichier(d.NomFichier);
    if (!contenu) {
        ctx.ui->Message("Impossible de lire le fichier " + d.NomFichier, TitreProgramme, Icone::Critique);
        return false;
    }
    if (!EcrireFichierAtomique(sauvegarde, *contenu)) {
        SignaleEchecEcriture(ctx, sauvegarde);
        return false;
    }
    const std::string debutCle = "$$" + std::string(cle) + "=";
    std::string texte;
    ParLigne(*contenu, [&](std::string_view ligne) {
        if (ligne.substr(0, 2) != "$$") return true;
        if (ligne.substr(0, debutCle.size()) == debutCle) texte += debutCle + std::string(valeur);
        else texte += ligne;
        texte += "\r\n";
        return true;
    });
    const int32_t n = std::min<int32_t>(d.NbPoints, static_cast<int32_t>(d.Trace_Initial.size()));
    texte.reserve(texte.size() + static_cast<std::size_t>(n) * 62);
    for (int32_t i = 0; i < n; ++i) texte += LignePointProjet(d.Trace_Initial[i]) + "\r\n";
    ctx.cacheProjet = {};
    if (!EcrireFichierAtomique(d.NomFichier, texte)) {
        SignaleEchecEcriture(ctx, d.NomFichier);
        return false;
    }
    return true;
}

std::string Lire(Contexte& ctx, std::string_view cle, std::string_view defaut) {
    return LireParametre(ctx, cle, defaut);
}

int32_t LectureCouleur(std::string_view texte) {
    const double v = std::nearbyint(LectureLocaleOuPlain(texte));
    if (v < 0.0) return 0;
    if (v > 16777215.0) return 16777215;
    return static_cast<int32_t>(v);
}

// Plain numbers the program stores are read back whichever separator wrote them.
double LectureNombreStocke(std::string_view texte) { return LectureSaisie(texte); }

}  // namespace

std::string LireParametre(Contexte& ctx, std::string_view cle, std::string_view defaut) {
    std::string valeur(defaut);
    if (!ctx.CheminIni.empty())
        if (auto v = LireIni(ctx.CheminIni, SectionIni, cle)) valeur = *v;
    if (!ProjetOuvert(ctx)) return valeur;
    if (auto v = LireDansProjet(ctx, Rogne(cle))) return *v;
    return valeur;
}

bool EcrireParametre(Contexte& ctx, std::string_view cle, std::string_view brute) {
    if (ctx.ParametresEnLectureSeule) return true;
    // Both stores hold one entry per line: a line break in a value (a file name may have
    // one) would start a line of its own, read back as another setting or as a point.
    std::string valeur(brute);
    for (char& c : valeur)
        if (c == '\r' || c == '\n') c = ' ';
    if (ProjetOuvert(ctx)) return EcrireDansProjet(ctx, cle, valeur);
    if (ctx.CheminIni.empty()) return true;
    if (!EcrireIni(ctx.CheminIni, SectionIni, cle, valeur)) {
        SignaleEchecEcriture(ctx, ctx.CheminIni);
        return false;
    }
    return true;
}

std::string TexteBooleen(bool v) { return v ? "Vrai" : "Faux"; }

bool LectureBooleen(std::string_view texte) {
    const std::string t = EnMajuscules(Rogne(texte));
    if (t == "VRAI" || t == "TRUE") return true;
    if (t == "FAUX" || t == "FALSE" || t.empty()) return false;
    return LectureLocaleOuPlain(t) != 0.0;
}

void ChargeCouleurs(Contexte& ctx) {
    Parametres& p = ctx.parametres;
    p.CouleurNumero = LectureCouleur(Lire(ctx, "CouleurNumero", "0"));
    p.CouleurSequence = LectureCouleur(Lire(ctx, "CouleurSequence", "16711680"));
    p.CouleurSelectionne = LectureCouleur(Lire(ctx, "CouleurSelectionne", "255"));
    p.CouleurDeselectionne = LectureCouleur(Lire(ctx, "CouleurDeselectionne", "100"));
    p.CouleurDecalage = LectureCouleur(Lire(ctx, "CouleurDecalage", "65280"));
}

void ChargeDecalage(Contexte& ctx) {
    Parametres& p = ctx.parametres;
    p.RayonFraise = LectureNombreStocke(Lire(ctx, "RayonFraise", "3"));
    const double cote = std::nearbyint(LectureNombreStocke(Lire(ctx, "DecalageOutil", "1")));
    p.DecalageOutil = static_cast<int16_t>(std::fmax(-32768.0, std::fmin(32767.0, cote)));
}

void ChargeMarges(Contexte& ctx) {
    ctx.parametres.MargeX = LectureLocaleOuPlain(Lire(ctx, "MargeX", "0"));
    ctx.parametres.MargeY = LectureLocaleOuPlain(Lire(ctx, "MargeY", "0"));
}

void ChargeRapports(Contexte& ctx) {
    const std::string& type = ctx.dessin.TypeFichier;
    // Every plotter file counts in plotter units of 0.025 mm, whatever its extension.
    const std::string_view defaut = (type == "PLT" || type == "HPGL") ? "0.025" : "1";
    ctx.parametres.RapportH = LectureLocaleOuPlain(Lire(ctx, type + "RapportH", defaut));
    ctx.parametres.RapportV = LectureLocaleOuPlain(Lire(ctx, type + "RapportV", defaut));
}

void ChargeOptions(Contexte& ctx) {
    Parametres& p = ctx.parametres;
    p.AffichageCalcul = LectureBooleen(Lire(ctx, "AffichageCalcul", "Faux"));
    p.ConfirmSuppr = LectureBooleen(Lire(ctx, "ConfirmSuppr", "Vrai"));
    p.Optimisation_1 = LectureBooleen(Lire(ctx, "Optimisation_1", "Vrai"));
    p.Optimisation_2 = LectureBooleen(Lire(ctx, "Optimisation_2", "Faux"));
    p.TimerInterval = LectureEntier16(Lire(ctx, "TimerInterval", "275"));
}

int16_t AdresseDuPort(int16_t option, int16_t actuelle) {
    switch (option) {
        case 0: return 888;
        case 1: return 632;
        case 2: return 956;
        default: return actuelle;
    }
}

void ChargeMachine(Contexte& ctx) {
    Parametres& p = ctx.parametres;
    auto temps = [&](std::string_view cle) { return LectureLocaleOuPlain(Lire(ctx, cle, "10")); };
    p.OptionLPT = LectureEntier16(Lire(ctx, "OptionLPT", "0"));
    p.AdressePort = AdresseDuPort(p.OptionLPT, p.AdressePort);
    p.Course_X = LectureLocaleOuPlain(Lire(ctx, "Course_X", "1000"));
    p.Course_Y = LectureLocaleOuPlain(Lire(ctx, "Course_Y", "500"));
    p.Course_Z = LectureLocaleOuPlain(Lire(ctx, "Course_Z", "200"));
    p.NbPas_X = LectureEntier16(Lire(ctx, "NbPas_X", "48"));
    p.NbPas_Y = LectureEntier16(Lire(ctx, "NbPas_Y", "48"));
    p.NbPas_Z = LectureEntier16(Lire(ctx, "NbPas_Z", "48"));
    p.Pas_X = LectureNombreStocke(Lire(ctx, "Pas_X", "1"));
    p.Pas_Y = LectureNombreStocke(Lire(ctx, "Pas_Y", "1"));
    p.Pas_Z = LectureNombreStocke(Lire(ctx, "Pas_Z", "1"));
    p.TempsMin_Mat_X = temps("TempsMin_Mat_X");
    p.TempsMin_Mat_Y = temps("TempsMin_Mat_Y");
    p.TempsMin_Mat_Z = temps("TempsMin_Mat_Z");
    p.TempsMin_HMat_X = temps("TempsMin_HMat_X");
    p.TempsMin_HMat_Y = temps("TempsMin_HMat_Y");
    p.TempsMin_Descente = temps("TempsMin_Descente");
    p.TempsMin_Montee = temps("TempsMin_Montee");
    p.InversionSens_X = LectureBooleen(Lire(ctx, "InversionSens_X", "Faux"));
    p.InversionSens_Y = LectureBooleen(Lire(ctx, "InversionSens_Y", "Faux"));
    p.InversionSens_Z = LectureBooleen(Lire(ctx, "InversionSens_Z", "Faux"));
}

void ChargeDemarrage(Contexte& ctx) {
    ChargeCouleurs(ctx);
    ChargeDecalage(ctx);
    ChargeMarges(ctx);
    ChargeOptions(ctx);
    ChargeMachine(ctx);
}

}  // namespace korvelin
