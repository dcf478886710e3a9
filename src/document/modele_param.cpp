#include "document/modele_param.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "machining/vitesses.h"
#include "model/nombres.h"
#include "model/noms_fichiers.h"
#include "settings/reglages.h"

namespace korvelin {

namespace {

using P = Parametres;

// The settings beyond the machine description, in the order OK stores them after it.
constexpr std::string_view ClesSupplementaires[] = {"VitesseBroche", "AttachesNombre", "AttachesLargeur",
                                                    "AttachesHauteur"};

// A step count is read as typed, so "48,6" is 48; halves go to the even neighbour.
int16_t LectureNbPas(std::string_view texte) {
    const double v = std::nearbyint(LecturePlain(texte));
    if (std::isnan(v)) return 0;
    return static_cast<int16_t>(std::clamp(v, -32768.0, 32767.0));
}

const std::string Vide;

}  // namespace

std::string TexteNombreNeutre(double v) {
    if (!std::isfinite(v) || v == 0.0) return " 0";
    char tampon[40];
    const auto fin = std::to_chars(tampon, tampon + sizeof tampon, v, std::chars_format::general, 15).ptr;
    std::string texte(tampon, fin);
    return v < 0.0 ? texte : " " + texte;
}

const std::vector<ModeleParam::Boite>& ModeleParam::Boites() {
    static const std::vector<Boite> boites = {
        {"TB_Course_X", "Course_X"},
        {"TB_NbPas_X", "NbPas_X"},
        {"TB_Pas_X", "Pas_X"},
        {"TB_TempsMin_Mat_X", "TempsMin_Mat_X"},
        {"TB_TempsMin_HMat_X", "TempsMin_HMat_X"},
        {"TB_Course_Y", "Course_Y"},
        {"TB_NbPas_Y", "NbPas_Y"},
        {"TB_Pas_Y", "Pas_Y"},
        {"TB_TempsMin_Mat_Y", "TempsMin_Mat_Y"},
        {"TB_TempsMin_HMat_Y", "TempsMin_HMat_Y"},
        {"TB_Course_Z", "Course_Z"},
        {"TB_NbPas_Z", "NbPas_Z"},
        {"TB_Pas_Z", "Pas_Z"},
        {"TB_TempsMin_Mat_Z", "TempsMin_Mat_Z"},
        {"TB_TempsMin_Descente", "TempsMin_Descente"},
        {"TB_TempsMin_Montee", "TempsMin_Montee"},
        {"TB_MargeX", "MargeX"},
        {"TB_MargeY", "MargeY"},
        {"TB_RayonFraise", "RayonFraise"},
    };
    return boites;
}

const std::vector<ModeleParam::BoiteVitesse>& ModeleParam::BoitesVitesses() {
    static const std::vector<BoiteVitesse> vitesses = {
        {"TB_VitMax_Mat_X", &P::TempsMin_Mat_X, &P::Pas_X, &P::NbPas_X},
        {"TB_VitMax_HMat_X", &P::TempsMin_HMat_X, &P::Pas_X, &P::NbPas_X},
        {"TB_VitMax_Mat_Y", &P::TempsMin_Mat_Y, &P::Pas_Y, &P::NbPas_Y},
        {"TB_VitMax_HMat_Y", &P::TempsMin_HMat_Y, &P::Pas_Y, &P::NbPas_Y},
        {"TB_VitMax_Mat_Z", &P::TempsMin_Mat_Z, &P::Pas_Z, &P::NbPas_Z},
        {"TB_VitMax_Descente", &P::TempsMin_Descente, &P::Pas_Z, &P::NbPas_Z},
        {"TB_VitMax_Montee", &P::TempsMin_Montee, &P::Pas_Z, &P::NbPas_Z},
    };
    return vitesses;
}

std::vector<std::string_view> ModeleParam::BoitesSupplementaires() {
    std::vector<std::string_view> cles;
    for (std::string_view cle : ClesSupplementaires)
        if (TrouveReglage(cle)) cles.push_back(cle);
    return cles;
}

ModeleParam::ModeleParam(Document& doc) : doc_(doc) {}

const std::string& ModeleParam::Texte(std::string_view nom) const {
    for (const auto& [n, t] : textes_)
        if (n == nom) return t;
    return Vide;
}

void ModeleParam::MontreVitesses() {
    for (const BoiteVitesse& v : BoitesVitesses()) {
        std::string texte = TexteVitesse(p().*v.temps, p().*v.pas, p().*v.nbPas);
        bool trouve = false;
        for (auto& [n, t] : textes_)
            if (n == v.nom) t = texte, trouve = true;
        if (!trouve) textes_.emplace_back(std::string(v.nom), std::move(texte));
    }
}

void ModeleParam::Charger() {
    doc_.RechargeReglages(Chargeur::Marges);
    textes_.clear();
    for (const Boite& b : Boites()) {
        const Reglage* r = TrouveReglage(b.cle);
        const auto& valeur = r->valeur;
        std::string texte;
        if (auto* d = std::get_if<double P::*>(&valeur))
            texte = EcritureLocale(p().**d);
        else if (auto* e = std::get_if<int16_t P::*>(&valeur))
            texte = TexteEntier(p().**e);
        textes_.emplace_back(std::string(b.nom), std::move(texte));
    }
    MontreVitesses();
    const SourceReglages source = doc_.Source();
    for (std::string_view cle : BoitesSupplementaires())
        textes_.emplace_back("TB_" + std::string(cle), source.Valeur(cle, TrouveReglage(cle)->defaut));
    OrientationAuto = LectureBooleen(source.Valeur("OrientationAuto", TrouveReglage("OrientationAuto")->defaut));
    Couleurs = {p().CouleurNumero, p().CouleurSequence, p().CouleurSelectionne, p().CouleurDeselectionne,
                p().CouleurDecalage};
}

void ModeleParam::Valider(std::string_view nom, std::string_view texte) {
    auto ici = std::find_if(textes_.begin(), textes_.end(), [&](const auto& t) { return t.first == nom; });
    if (ici == textes_.end()) return;
    ici->second = std::string(texte);
    auto boite = std::find_if(Boites().begin(), Boites().end(), [&](const Boite& b) { return b.nom == nom; });
    if (boite == Boites().end()) return;  // a box beyond the machine description: stored at OK
    const Reglage* r = TrouveReglage(boite->cle);
    if (auto* e = std::get_if<int16_t P::*>(&r->valeur)) {
        doc_.ModifieReglages([&](P& q) { q.*(*e) = LectureNbPas(texte); });
    } else {
        const double v = LectureSaisie(texte);
        double P::*membre = std::get<double P::*>(r->valeur);
        if (membre == &P::RayonFraise)
            ChangeDecalage(v, p().DecalageOutil);
        else
            doc_.ModifieReglages([&](P& q) { q.*membre = v; });
    }
    MontreVitesses();
}

// With no drawing open the document takes no change: the settings are set all the same.
void ModeleParam::ChangeDecalage(double rayon, int16_t cote) {
    if (doc_.ChangeReglagesDecalage(rayon, cote, false)) return;
    doc_.ModifieReglages([&](P& q) {
        q.RayonFraise = rayon;
        q.DecalageOutil = cote;
    });
}

void ModeleParam::ChoisirCote(int16_t cote) { ChangeDecalage(p().RayonFraise, cote); }

void ModeleParam::CocherOptimisation(int numero, bool coche) {
    const bool o1 = numero == 1 ? coche : p().Optimisation_1, o2 = numero == 2 ? coche : p().Optimisation_2;
    if (doc_.ChangeOptionsDecalage(o1, o2)) return;
    doc_.ModifieReglages([&](P& q) {
        q.Optimisation_1 = o1;
        q.Optimisation_2 = o2;
    });
}

void ModeleParam::CocherInversion(char axe, bool coche) {
    doc_.ModifieReglages([&](P& q) {
        (axe == 'X' ? q.InversionSens_X : axe == 'Y' ? q.InversionSens_Y : q.InversionSens_Z) = coche;
    });
}

void ModeleParam::ChangerIntervalle(int valeur) {
    doc_.ModifieReglages(
        [&](P& q) { q.TimerInterval = static_cast<int16_t>(std::clamp(valeur, IntervalleMin, IntervalleMax)); });
}

void ModeleParam::ChoisirCouleur(int index, std::optional<int32_t> couleur) {
    if (index < 0 || index >= int(Couleurs.size()) || !couleur) return;
    Couleurs[std::size_t(index)] = std::clamp(*couleur, 0, 0xFFFFFF);
}

void ModeleParam::ValeursCouleursParDefaut() {
    doc_.RetablitReglages(std::vector<std::string>(ClesCouleurs.begin(), ClesCouleurs.end()), Chargeur::Couleurs);
    Charger();
}

EcrituresReglages ModeleParam::Ecritures() {
    const Parametres& q = p();
    EcrituresReglages e;
    auto nombre = [&](const char* cle, double v) { e.emplace_back(cle, TexteNombreNeutre(v)); };
    auto booleen = [&](const char* cle, bool v) { e.emplace_back(cle, TexteBooleen(v)); };
    for (std::size_t k = 0; k < ClesCouleurs.size(); ++k) nombre(ClesCouleurs[k].data(), Couleurs[k]);
    nombre("DecalageOutil", q.DecalageOutil);
    nombre("RayonFraise", q.RayonFraise);
    nombre("MargeX", q.MargeX);
    nombre("MargeY", q.MargeY);
    booleen("AffichageCalcul", q.AffichageCalcul);
    booleen("ConfirmSuppr", q.ConfirmSuppr);
    nombre("TimerInterval", q.TimerInterval);
    booleen("Optimisation_1", q.Optimisation_1);
    booleen("Optimisation_2", q.Optimisation_2);
    nombre("OptionLPT", q.OptionLPT);
    nombre("Course_X", q.Course_X);
    nombre("Course_Y", q.Course_Y);
    nombre("Course_Z", q.Course_Z);
    nombre("NbPas_X", q.NbPas_X);
    nombre("NbPas_Y", q.NbPas_Y);
    nombre("NbPas_Z", q.NbPas_Z);
    nombre("Pas_X", q.Pas_X);
    nombre("Pas_Y", q.Pas_Y);
    nombre("Pas_Z", q.Pas_Z);
    nombre("TempsMin_Mat_X", q.TempsMin_Mat_X);
    nombre("TempsMin_Mat_Y", q.TempsMin_Mat_Y);
    nombre("TempsMin_Mat_Z", q.TempsMin_Mat_Z);
    nombre("TempsMin_HMat_X", q.TempsMin_HMat_X);
    nombre("TempsMin_HMat_Y", q.TempsMin_HMat_Y);
    nombre("TempsMin_Descente", q.TempsMin_Descente);
    nombre("TempsMin_Montee", q.TempsMin_Montee);
    booleen("InversionSens_X", q.InversionSens_X);
    booleen("InversionSens_Y", q.InversionSens_Y);
    booleen("InversionSens_Z", q.InversionSens_Z);
    booleen("OrientationAuto", OrientationAuto);
    for (std::string_view cle : BoitesSupplementaires())
        e.emplace_back(std::string(cle), std::string(Rogne(Texte("TB_" + std::string(cle)))));
    return e;
}

bool ModeleParam::Ok() {
    doc_.ModifieReglages([this](P& q) {
        q.CouleurNumero = Couleurs[0];
        q.CouleurSequence = Couleurs[1];
        q.CouleurSelectionne = Couleurs[2];
        q.CouleurDeselectionne = Couleurs[3];
        q.CouleurDecalage = Couleurs[4];
        q.AdressePort = AdresseDuPort(q.OptionLPT, q.AdressePort);
    });
    return doc_.EcritReglages(Ecritures());
}

}  // namespace korvelin
