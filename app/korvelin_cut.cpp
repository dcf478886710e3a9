// korvelin-cut: opens a drawing as the main window does, accepts the rescaling as shown,
// and writes the CUT file of the milling window, or runs the job on the simulated machine.

#include <iostream>
#include <set>
#include <string>
#include <vector>

#include "document/calculs.h"
#include "document/enregistrement.h"
#include "document/importation.h"
#include "document/travail_initial.h"
#include "korvelin_cut_grbl.h"
#include "korvelin_cut_options.h"
#include "machining/controles.h"
#include "machining/poste_travail.h"
#include "machining/cut.h"
#include "machining/gcode.h"
#include "machining/simulation.h"
#include "machining/vitesses.h"
#include "model/listes.h"
#include "model/nombres.h"
#include "model/noms_fichiers.h"
#include "platform/fichier.h"
#include "platform/ini.h"
#include "platform/memoire.h"
#include "settings/magasin.h"

namespace korvelin::cli {

namespace {

// Messages go to standard error; the rescaling dialog takes the ratios of the command
// line, or those it loaded, and never stores them.
class InterfaceConsole : public InterfaceUtilisateur, public DemandeDimension {
public:
    explicit InterfaceConsole(const Options& o) : options_(o) {}

    int nbMessages = 0;

    // The checks of every output run before any is written, and again as each is: a
    // warning they repeat is printed once.
    void Message(std::string_view texte, std::string_view, Icone) override {
        ++nbMessages;
        if (!dits_.insert(std::string(texte)).second) return;
        // Windows line ends inside a message become plain ones on the terminal.
        for (const char c : texte)
            if (c != '\r') std::cerr.put(c);
        std::cerr.put('\n');
    }
    bool Question(std::string_view, std::string_view) override { return false; }
    Rapports Demande(ModeleDimension& m) override {
        return {options_.rapportH ? *options_.rapportH : m.RapportH().value_or(0.0),
                options_.rapportV ? *options_.rapportV : m.RapportV().value_or(0.0)};
    }
    void Rafraichir() override {}
    void TexteStatut(int, std::string_view) override {}
    void Sablier(bool) override {}

private:
    const Options& options_;
    std::set<std::string> dits_;
};

// What one run works on: the drawing, its settings values and the store they are read from
// (the converter never writes settings), and the console that tells.
struct Conversion {
    explicit Conversion(InterfaceConsole& console) : ui(console) {}
    Dessin dessin;
    Parametres parametres;
    MagasinReglages magasin;
    InterfaceConsole& ui;
    CibleImport Cible() { return {dessin, parametres, magasin, ui}; }
    PosteTravail Poste() const { return {dessin, parametres}; }
    // What a stage returned, told on the console; false when it holds an error.
    bool Dit(const Diagnostics& dits) { return Montre(ui, dits); }
};

int Erreur(InterfaceConsole& ui, const std::string& texte) {
    ui.Message(texte, TitreProgramme, Icone::Critique);
    return 1;
}

// The tabs given on the command line take the place of those of the settings.
void AppliqueAttaches(Parametres& p, const Options& o) {
    if (o.attaches) p.AttachesNombre = static_cast<int16_t>(*o.attaches);
    if (o.largeurAttache) p.AttachesLargeur = *o.largeurAttache;
    if (o.hauteurAttache) p.AttachesHauteur = *o.hauteurAttache;
}

void AppliqueReglages(Conversion& cv, const Options& o) {
    Parametres& p = cv.parametres;
    if (o.rayon) p.RayonFraise = *o.rayon;
    if (o.cote) p.DecalageOutil = *o.cote;
    if (o.margeX) p.MargeX = *o.margeX;
    if (o.margeY) p.MargeY = *o.margeY;
    if (o.passes) p.NbPasse = *o.passes;
    AppliqueAttaches(p, o);
}

bool TypeConnu(const std::string& type) {
    return type == "PLT" || type == "HPGL" || type == "DAT" || type == "DXF" || type == "KORVELIN";
}

// The traces as the "Outils" commands leave them. The import orients them by itself when
// the settings ask for it, but with the side of the settings file: a side given here
// orients them again.
void PrepareTraces(Conversion& cv, const Options& o) {
    if (o.orientation || (o.cote && LectureBooleen(LireReglage(cv.magasin, cv.dessin, "OrientationAuto"))))
        OrientationAutomatique(cv.dessin, cv.parametres, cv.ui);
    if (o.ordre) {
        const ResultatOrdre r = OrdreAutomatique(cv.dessin, cv.parametres, cv.ui);
        std::cout << "Déplacements hors matière en mm, depuis l'origine et retour : " << TexteTotal(r.avant)
                  << " avant, " << TexteTotal(r.apres) << " après\n";
    }
}

int Ouvre(Conversion& cv, InterfaceConsole& ui, const Options& o) {
    if (const std::string raison = RaisonIllisible(o.dessin); !raison.empty()) return Erreur(ui, raison);
    const std::string extension = ExtraitExtension(NomSansDossier(o.dessin));
    if (!TypeConnu(EnMajuscules(extension)))
        return Erreur(ui, "Type de fichier non reconnu : " + o.dessin + " (PLT, HPGL, DAT, DXF ou Korvelin attendu)");
    const int avant = ui.nbMessages;
    EtatImport etat;
    SuiviParInterface suivi(ui, ui);
    if (!OuvrirDessin(cv.Cible(), etat, o.dessin, suivi)) {
        if (ui.nbMessages == avant)
            ui.Message("Le dessin ne contient aucun tracé exploitable : " + o.dessin, TitreProgramme, Icone::Critique);
        return 1;
    }
    // A project brings its own settings; the command line still has the last word.
    AppliqueReglages(cv, o);
    if (o.rayon || o.cote) {
        CalculDecalageTout(cv.dessin, cv.parametres, cv.ui);
        CalculBornes(cv.dessin);
    }
    PrepareTraces(cv, o);
    return 0;
}

int EcritProjet(Conversion& cv, const Options& o) {
    return EnregistreProjetSous(cv.dessin, cv.magasin.CheminIni, cv.ui, o.projet) ? 0 : 1;
}

// An --ini named on the command line must be a settings file: falling back to the
// defaults without a word would cut with a radius and a depth nobody chose.
int VerifieIni(InterfaceConsole& ui, const std::string& chemin) {
    if (const std::string raison = RaisonFichierIllisible(chemin, "de paramètres"); !raison.empty())
        return Erreur(ui, raison);
    const std::optional<ValeursIni> ini = ValeursIni::Lire(chemin, SectionIni);
    if (!ini) return Erreur(ui, "Le fichier de paramètres « " + chemin + " » ne peut pas être lu.");
    if (!ini->SectionPresente() && ini->AutreContenu())
        return Erreur(ui, "« " + chemin + " » n'est pas un fichier de paramètres : il n'a pas de section [" +
                              std::string(SectionIni) + "].");
    return 0;
}

// No output may replace an input or another output, however its path is spelled: the
// files themselves are compared.
int VerifieSorties(InterfaceConsole& ui, const Options& o, const std::string& ini) {
    struct Fichier {
        std::string option, chemin;
    };
    std::vector<Fichier> sorties;
    if (AvecCUT(o) && !o.dessin.empty())
        sorties.push_back({"-o", o.sortie.empty() ? NomFichierCUTParDefaut(o.dessin) : o.sortie});
    if (!o.projet.empty()) sorties.push_back({"--projet", o.projet});
    if (!o.journal.empty()) sorties.push_back({"--journal", o.journal});
    if (!o.gcode.empty()) sorties.push_back({"--gcode", o.gcode});
    if (!o.grbl.empty()) sorties.push_back({"--grbl", o.grbl});
    for (std::size_t i = 0; i < sorties.size(); ++i) {
        const Fichier& s = sorties[i];
        if (MemeFichierDisque(s.chemin, o.dessin))
            return Erreur(ui, "Le fichier « " + s.chemin + " » (" + s.option +
                                  ") est le dessin lui-même : il ne sera pas remplacé.");
        if (MemeFichierDisque(s.chemin, ini))
            return Erreur(ui, "Le fichier « " + s.chemin + " » (" + s.option +
                                  ") est le fichier de paramètres : il ne sera pas remplacé.");
        for (std::size_t j = 0; j < i; ++j)
            if (MemeFichierDisque(s.chemin, sorties[j].chemin))
                return Erreur(ui, "Les options " + sorties[j].option + " et " + s.option +
                                      " désignent le même fichier : " + s.chemin);
    }
    return 0;
}

// A depth above the surface is allowed, but the tool then cuts nothing.
void SignaleProfondeurPositive(const std::string& profondeur) {
    if (ProfondeurPositive(LectureSaisie(profondeur)))
        std::cerr << "Attention : la profondeur de fraisage " << profondeur
                  << " est positive, l'outil restera au-dessus de la pièce.\n";
}

int Simulation(Conversion& cv, const Options& o) {
    const TravailCUT t =
        TravailCUTInitial(cv.magasin, cv.dessin, cv.parametres);  // the job values as the window loads them
    AppliqueReglages(cv, o);
    OptionsSimulation s;
    s.HautDeg = o.hauteur ? *o.hauteur : t.HautDeg;
    s.ProfFraisage = o.profondeur ? *o.profondeur : t.ProfFraisage;
    s.NbPasse = o.passes ? *o.passes : t.NbPasse;
    cv.parametres.NbPasse = s.NbPasse;
    s.Serie = o.serie;
    s.NbX = o.nbX;
    s.NbY = o.nbY;
    s.DecalX = o.decalX;
    s.DecalY = o.decalY;
    s.Test = o.test;
    if (o.dimension) s.DimensionTest = *o.dimension;
    s.Journal = o.journal;
    s.Estimation = o.estimation;
    SignaleProfondeurPositive(s.ProfFraisage);
    Diagnostics dits;
    const int statut = LanceSimulation(cv.Poste(), s, dits, std::cout);
    cv.Dit(dits);
    return statut;
}

// After a refusal for the travel: the options that make the same job fit, ready to copy.
void SignaleMargesConseillees(const Conversion& cv) {
    const Parametres& p = cv.parametres;
    const auto m = MargesPourLaCourse(cv.dessin, p, p.MargeX, p.MargeY);
    if (!m) return;
    std::cerr << "Pour que le travail tienne dans la course, relancez avec : --marge-x " << EcritureLocale(m->X)
              << " --marge-y " << EcritureLocale(m->Y) << '\n';
}

// The job values as the window loads them, with the command line's over them: the
// feeds, spindle and comments of the G-code too.
TravailCUT TravailDe(Conversion& cv, const Options& o) {
    TravailCUT t = TravailCUTInitial(cv.magasin, cv.dessin, cv.parametres);  // reloads the margins, as the window does
    AppliqueReglages(cv, o);
    t.attaches = AttachesDe(cv.parametres);
    if (o.hauteur) t.HautDeg = *o.hauteur;
    if (o.profondeur) t.ProfFraisage = *o.profondeur;
    if (o.passes) {
        t.NbPasse = *o.passes;
        t.TexteNbPasse = o.passesTexte;
    }
    t.MargeX = EcritureLocale(cv.parametres.MargeX);
    t.MargeY = EcritureLocale(cv.parametres.MargeY);
    if (!o.sortie.empty()) t.FichierCUT = o.sortie;
    t.FichierGCode = o.gcode;
    if (o.avance) t.AvanceCoupe = *o.avance;
    if (o.avancePlongee) t.AvancePlongee = *o.avancePlongee;
    if (o.broche) t.VitesseBroche = *o.broche;
    if (o.attenteBroche) t.TemporisationBroche = *o.attenteBroche;
    if (o.sansCommentaires) t.SansCommentaires = true;
    return t;
}

// Every check of every output asked for, before any of them is written: a G-code
// refused after the CUT file was made would leave half a job behind.
bool VerifieTravail(Conversion& cv, const Options& o, const TravailCUT& t) {
    TotauxCUT totaux;
    Diagnostics dits;
    const bool cut = !AvecCUT(o) || PrepareTravail(cv.Poste(), t, t.FichierCUT, "CUT", totaux, dits);
    cv.Dit(dits);
    if (!cut) {
        SignaleMargesConseillees(cv);
        return false;
    }
    if (o.gcode.empty()) return true;
    dits.clear();
    const bool gcode = ControleFichierGCode(cv.Poste(), t, dits);
    cv.Dit(dits);
    return gcode;
}

int Cut(Conversion& cv, const Options& o, const TravailCUT& t) {
    // The totals printed are the CUT file's when it is written, else the program's.
    TotauxCUT totaux, totauxGCode;
    Diagnostics dits;
    const bool cut = !AvecCUT(o) || GenereFichierCUT(cv.Poste(), t, totaux, dits);
    cv.Dit(dits);
    if (!cut) return 1;
    if (!o.gcode.empty()) {
        ResultatGCode r;
        dits.clear();
        const bool gcode = GenereFichierGCode(cv.Poste(), t, o.dialecte, totauxGCode, dits, {}, &r);
        cv.Dit(dits);
        if (!gcode) return 1;
        std::cout << "G-code : " << r.octets << " octets, " << r.sorties << " remontées au dégagement\n";
    }
    if (!o.grbl.empty()) return EnvoieGrbl(cv.Poste(), cv.ui, o, t);
    if (!AvecCUT(o)) totaux = totauxGCode;
    std::cout << "Longueur parcours en mm : " << TexteTotal(totaux.LongueurParcours) << '\n'
              << "Temps de fraisage en secondes : " << TexteTotal(totaux.TempsFraisage) << '\n';
    return 0;
}

int Lance(const Options& o) {
    InterfaceConsole ui(o);
    Conversion cv(ui);
    cv.magasin.LectureSeule = true;
    cv.magasin.CheminIni = o.ini ? *o.ini : CheminIniParDefaut();
    if (o.ini)
        if (const int statut = VerifieIni(ui, *o.ini)) return statut;
    ChargeDemarrage(cv.magasin, cv.dessin, cv.parametres);
    AppliqueReglages(cv, o);

    if (!o.dessin.empty()) {
        if (const int statut = Ouvre(cv, ui, o)) return statut;
    }
    if (const int statut = VerifieSorties(ui, o, cv.magasin.CheminIni)) return statut;
    if (o.simulation) {
        if (!o.projet.empty())
            if (const int statut = EcritProjet(cv, o)) return statut;
        return Simulation(cv, o);
    }
    const TravailCUT t = TravailDe(cv, o);
    if (!VerifieTravail(cv, o, t)) return 1;
    if (!o.projet.empty()) {
        if (const int statut = EcritProjet(cv, o)) return statut;
    }
    SignaleProfondeurPositive(t.ProfFraisage);
    return Cut(cv, o, t);
}

}  // namespace

}  // namespace korvelin::cli

int main(int argc, char** argv) {
    using namespace korvelin::cli;
    korvelin::RendLesGrandsBlocs();
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    Options options;
    if (const auto erreur = AnalyseOptions(arguments, options)) {
        std::cerr << "korvelin-cut : " << *erreur << "\n\n" << Usage;
        return 2;
    }
    if (options.aide) {
        std::cout << Usage;
        return 0;
    }
    try {
        return Lance(options);
    } catch (const std::bad_alloc&) {
        std::cerr << "Mémoire insuffisante pour traiter ce dessin.\n";
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "Erreur inattendue : " << e.what() << '\n';
        return 1;
    }
}
