#include "settings/magasin.h"

#include <sys/stat.h>

#include "model/nombres.h"
#include "model/noms_fichiers.h"
#include "settings/fichier_projet.h"
#include "platform/fichier.h"
#include "settings/reglages.h"

namespace korvelin {

namespace {

// Settings go to the project only while FichierProjet names one and the current file is
// that kind of file: writing settings must never rewrite a drawing of another type.
bool ProjetOuvert(const Dessin& d) {
    return !Rogne(d.FichierProjet).empty() &&
           EnMajuscules(ExtraitExtension(NomSansDossier(d.NomFichier))) == "KORVELIN";
}

bool EstLigneReglage(std::string_view ligne) { return ligne.substr(0, 2) == "$$"; }

// The line is the one a reading of the key looks at: the key right after "$$" (its first
// characters, as the reading compares them), and an "=" somewhere.
bool LigneDeLaCle(std::string_view ligne, std::string_view cle) {
    return EstLigneReglage(ligne) && ligne.substr(2, cle.size()) == cle && ligne.find('=') != std::string_view::npos;
}

// The project lines are INI lines carried over: a value between matching quotes loses
// them there too, so a value reads the same before and after the project is made.
std::string ValeurDeLigne(std::string_view ligne) {
    std::string_view v = Rogne(ligne.substr(ligne.find('=') + 1));
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return std::string(v);
}

Diagnostic EchecEcriture(const std::string& chemin) {
    return {Gravite::Erreur, "Impossible d'écrire le fichier " + chemin, chemin, 0, {}};
}

}  // namespace

const std::vector<std::string>& MagasinReglages::LignesProjet(const std::string& chemin) {
    CacheProjet& cache = cacheProjet_;
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
        PourChaqueLigne(*contenu, [&](std::string_view ligne) {
            if (EstLigneReglage(ligne)) cache.lignes.emplace_back(ligne);
            return true;
        });
    }
    return cache.lignes;
}

namespace {

// The new "$$" lines of the project once the values are written: every line of the key
// rewritten, the one its reading finds included, or a line added after the others.
void EcritDansLignes(std::vector<std::string>& lignes, std::string_view cle, std::string_view valeur) {
    const std::string debutCle = "$$" + std::string(cle) + "=";
    const std::string_view lue = Rogne(cle);
    const std::string nouvelle = debutCle + std::string(valeur);
    bool premiere = true, ecrite = false;
    for (std::string& ligne : lignes) {
        const bool lueIci = premiere && LigneDeLaCle(ligne, lue);
        if (lueIci) premiere = false;
        if (lueIci || ligne.starts_with(debutCle)) {
            ligne = nouvelle;
            ecrite = true;
        }
    }
    if (!ecrite) lignes.push_back(nouvelle);
}

}  // namespace

Diagnostics MagasinReglages::EcrireDansProjet(const Dessin& d, const EcrituresReglages& ecritures) {
    Diagnostics dits;
    const auto contenu = LireFichier(d.NomFichier);
    if (!contenu) {
        dits.push_back({Gravite::Erreur, "Impossible de lire le fichier " + d.NomFichier, d.NomFichier, 0, {}});
        return dits;
    }
    if (!CopieDeSecoursProjet(d.NomFichier, *contenu, dits)) return dits;
    std::vector<std::string> lignes;
    PourChaqueLigne(*contenu, [&](std::string_view ligne) {
        if (EstLigneReglage(ligne)) lignes.emplace_back(ligne);
        return true;
    });
    for (const auto& [cle, valeur] : ecritures) EcritDansLignes(lignes, cle, valeur);
    std::string texte;
    for (const std::string& l : lignes) {
        texte += l;
        texte += "\r\n";
    }
    texte += TextePointsProjet(d);
    cacheProjet_ = {};
    if (!EcrireFichierAtomique(d.NomFichier, texte)) dits.push_back(EchecEcriture(d.NomFichier));
    return dits;
}

namespace {

// Both stores hold one entry per line: a line break in a value (a file name may have
// one) would start a line of its own, read back as another setting or as a point.
std::string SurUneLigne(std::string_view brute) {
    std::string valeur(brute);
    for (char& c : valeur)
        if (c == '\r' || c == '\n') c = ' ';
    return valeur;
}

// A ratio of zero, below zero or not a number would make every later drawing of the type
// vanish or turn over: the default takes its place, and the user is told which key held it.
void VerifieRapports(const std::string& type, Parametres& p, const SourceReglages& source, Diagnostics* dits) {
    for (const Reglage& r : TableReglages()) {
        if (r.chargeur != Chargeur::Rapports) continue;
        double& rapport = p.*std::get<double Parametres::*>(r.valeur);
        if (RapportUtilisable(rapport)) continue;
        const std::string cle = type + std::string(r.cle);
        const std::string_view defaut = DefautReglage(r, type);
        if (dits)
            dits->push_back({Gravite::Avertissement,
                             "Le rapport enregistré " + cle + " (« " + source.Valeur(cle, defaut) +
                                 " ») n'est pas utilisable : le rapport par défaut " +
                                 EcritureLocale(LecturePlain(defaut)) + " le remplace.",
                             {},
                             0,
                             {}});
        rapport = LecturePlain(defaut);
    }
}

void Charge(const std::string& type, Parametres& p, const SourceReglages& source, Chargeur chargeur,
            Diagnostics* dits = nullptr) {
    for (const Reglage& r : TableReglages()) {
        if (r.chargeur != chargeur) continue;
        const std::string cle = r.prefixeType ? type + std::string(r.cle) : std::string(r.cle);
        AppliqueReglage(p, r, source.Valeur(cle, DefautReglage(r, type)));
    }
    if (chargeur == Chargeur::Machine) p.AdressePort = AdresseDuPort(p.OptionLPT, p.AdressePort);
    if (chargeur == Chargeur::Rapports) VerifieRapports(type, p, source, dits);
}

void Charge(MagasinReglages& m, const Dessin& d, Parametres& p, Chargeur chargeur) {
    Charge(d.TypeFichier, p, SourceReglages(m, d), chargeur);
}

}  // namespace

SourceReglages::SourceReglages(MagasinReglages& magasin, const Dessin& d) {
    if (!magasin.CheminIni.empty()) ini_ = ValeursIni::Lire(magasin.CheminIni, SectionIni);
    projetOuvert_ = ProjetOuvert(d);
    if (!projetOuvert_) return;
    for (const std::string& l : magasin.LignesProjet(d.NomFichier))
        if (l.find('=') != std::string::npos) projet_.push_back(l);
}

std::string SourceReglages::Valeur(std::string_view cle, std::string_view defaut) const {
    if (projetOuvert_) {
        const std::string_view lue = Rogne(cle);
        for (const std::string& ligne : projet_)
            if (LigneDeLaCle(ligne, lue)) return ValeurDeLigne(ligne);
    }
    if (ini_)
        if (auto v = ini_->Valeur(cle)) return *v;
    return std::string(defaut);
}

std::string LireReglage(MagasinReglages& m, const Dessin& d, std::string_view cle) {
    const Reglage* r = TrouveReglage(cle);
    if (!r) return m.Lire(d, cle, {});
    // A ratio key names its file type itself.
    const std::string_view type = r->prefixeType ? cle.substr(0, cle.size() - r->cle.size()) : std::string_view{};
    return m.Lire(d, cle, DefautReglage(*r, type));
}

Diagnostics MagasinReglages::Ecrit(const Dessin& d, const EcrituresReglages& ecritures,
                                   const std::vector<std::string>& aRetablir) {
    if (LectureSeule || (ecritures.empty() && aRetablir.empty())) return {};
    if (ProjetOuvert(d)) {
        // A missing line would fall back on the INI file: the defaults are written out.
        EcrituresReglages lignes;
        lignes.reserve(ecritures.size() + aRetablir.size());
        for (const auto& [cle, valeur] : ecritures) lignes.emplace_back(cle, FormeStockee(cle, SurUneLigne(valeur)));
        for (const std::string& cle : aRetablir) {
            const Reglage* r = TrouveReglage(cle);
            lignes.emplace_back(cle, r ? std::string(DefautReglage(*r, d.TypeFichier)) : std::string());
        }
        return EcrireDansProjet(d, lignes);
    }
    if (CheminIni.empty()) return {};
    std::vector<EcritureIni> ini;
    ini.reserve(ecritures.size() + aRetablir.size());
    for (const auto& [cle, valeur] : ecritures) ini.push_back({cle, FormeStockee(cle, SurUneLigne(valeur))});
    for (const std::string& cle : aRetablir) ini.push_back({cle, std::nullopt});
    if (!EcrireIni(CheminIni, SectionIni, ini)) return {EchecEcriture(CheminIni)};
    return {};
}

Diagnostics MagasinReglages::Ecrire(const Dessin& d, const EcrituresReglages& ecritures) {
    return Ecrit(d, ecritures, {});
}

Diagnostics MagasinReglages::RetablitDefauts(const Dessin& d, const std::vector<std::string>& cles) {
    return Ecrit(d, {}, cles);
}

std::string MagasinReglages::Lire(const Dessin& d, std::string_view cle, std::string_view defaut) {
    return SourceReglages(*this, d).Valeur(cle, defaut);
}

std::string TexteBooleen(bool v) { return v ? "Vrai" : "Faux"; }

void ChargeCouleurs(MagasinReglages& m, const Dessin& d, Parametres& p) { Charge(m, d, p, Chargeur::Couleurs); }
void ChargeDecalage(MagasinReglages& m, const Dessin& d, Parametres& p) { Charge(m, d, p, Chargeur::Decalage); }
void ChargeMarges(MagasinReglages& m, const Dessin& d, Parametres& p) { Charge(m, d, p, Chargeur::Marges); }
Diagnostics ChargeRapports(MagasinReglages& m, const Dessin& d, Parametres& p) {
    Diagnostics dits;
    Charge(d.TypeFichier, p, SourceReglages(m, d), Chargeur::Rapports, &dits);
    return dits;
}
void ChargeOptions(MagasinReglages& m, const Dessin& d, Parametres& p) { Charge(m, d, p, Chargeur::Options); }
void ChargeMachine(MagasinReglages& m, const Dessin& d, Parametres& p) { Charge(m, d, p, Chargeur::Machine); }

int16_t AdresseDuPort(int16_t option, int16_t actuelle) {
    switch (option) {
        case 0: return 888;
        case 1: return 632;
        case 2: return 956;
        default: return actuelle;
    }
}

void ChargeDemarrage(MagasinReglages& m, const Dessin& d, Parametres& p) {
    const SourceReglages source(m, d);
    for (Chargeur c : {Chargeur::Couleurs, Chargeur::Decalage, Chargeur::Marges, Chargeur::Options, Chargeur::Machine})
        Charge(d.TypeFichier, p, source, c);
}

Diagnostics ChargeReglagesProjet(MagasinReglages& m, const Dessin& d, Parametres& p) {
    const SourceReglages source(m, d);
    Diagnostics dits;
    for (Chargeur c : {Chargeur::Machine, Chargeur::Couleurs, Chargeur::Marges, Chargeur::Options, Chargeur::Decalage,
                       Chargeur::Rapports})
        Charge(d.TypeFichier, p, source, c, &dits);
    return dits;
}

}  // namespace korvelin
