#include "korvelin_cut_options.h"

#include <cmath>

#include "model/nombres.h"

namespace korvelin::cli {

const char* const Usage =
    "Usage : korvelin-cut DESSIN [options]\n"
    "Convertit un dessin (PLT, HPGL, DAT, DXF ou Korvelin) en fichier CUT, comme\n"
    "« Générer le fichier .CUT » de la fenêtre Fraisage.\n"
    "\n"
    "Options :\n"
    "  -o SORTIE            fichier CUT à écrire (par défaut : le nom que propose la\n"
    "                       fenêtre Fraisage, à côté du dessin)\n"
    "  --ini FICHIER        fichier de paramètres à lire (par défaut : Korvelin.ini)\n"
    "  --rayon R            rayon de la fraise en mm\n"
    "  --cote 1|2|3         outil à droite du tracé (1), sur le tracé (2), à gauche (3)\n"
    "  --hauteur H          hauteur de dégagement en mm\n"
    "  --profondeur P       profondeur de fraisage en mm (valeur négative)\n"
    "  --passes N           nombre de passes (1 à 1000)\n"
    "  --marge-x MX         marge en X du 0 de la pièce, en mm\n"
    "  --marge-y MY         marge en Y du 0 de la pièce, en mm\n"
    "  --rapport-h RH       rapport horizontal de l'importation\n"
    "  --rapport-v RV       rapport vertical de l'importation\n"
    "  --gcode FICHIER      écrit le programme G-code (avec -o, le fichier CUT aussi)\n"
    "  --dialecte grbl|linuxcnc\n"
    "                       avec --gcode : contrôleur visé (par défaut : grbl)\n"
    "  --avance A           avec --gcode ou --grbl : avance de coupe en mm/min\n"
    "  --avance-plongee A   avec --gcode ou --grbl : avance de plongée en mm/min\n"
    "  --broche S           avec --gcode ou --grbl : vitesse de broche en tr/min\n"
    "                       (M3 S)\n"
    "  --attente-broche T   avec --gcode ou --grbl : attente en s après M3\n"
    "                       (par défaut : 2)\n"
    "  --sans-commentaires  avec --gcode ou --grbl : aucune ligne de commentaire\n"
    "  --grbl PORT          envoie le travail en G-code à une carte GRBL 1.1 sur le\n"
    "                       port série PORT (/dev/ttyACM0…), avec sa progression\n"
    "  --debit BAUDS        avec --grbl : débit du port (par défaut : 115200)\n"
    "  --reprise LIGNE      avec --grbl : reprend au début du contour qui contient\n"
    "                       cette ligne du G-code, après une approche par le haut\n"
    "  --orientation        tourne les tracés fermés pour que l'outil reste hors de\n"
    "                       la pièce : contours et trous selon leur imbrication\n"
    "  --ordre              creux avant contours, et déplacements les plus courts\n"
    "  --attaches N         N points d'attache sur chaque contour (0 : aucun)\n"
    "  --largeur-attache W  pont de matière laissé par une attache, en mm\n"
    "  --hauteur-attache H  hauteur d'une attache au-dessus de la profondeur,\n"
    "                       en mm (moins que la profondeur)\n"
    "  --projet FICHIER     écrit aussi le fichier projet que « Enregistrer » écrirait\n"
    "  --simulation         fraise à blanc sur la machine simulée au lieu d'écrire le\n"
    "                       fichier CUT\n"
    "  --serie NX DX NY DY  avec --simulation : NX × NY exemplaires espacés de DX et DY mm\n"
    "  --test 0|1|2         avec --simulation : un motif d'essai au lieu du dessin\n"
    "  --dimension D        avec --test : dimension du motif d'essai en mm\n"
    "  --journal FICHIER    avec --simulation : une ligne par écriture sur le port\n"
    "  --estimation         donne la durée exacte du travail simulé sans le lancer\n"
    "  --help               affiche cette aide\n"
    "\n"
    "Les nombres s'écrivent avec une virgule ou un point. Le fichier de paramètres\n"
    "n'est jamais modifié, et aucune sortie ne remplace le dessin ni ce fichier.\n"
    "\n"
    "Codes de retour : 0 travail fait, 1 travail refusé ou impossible, 2 ligne de\n"
    "commande fautive ; avec --grbl : 3 ligne refusée par GRBL (error:N), 4 alarme\n"
    "de GRBL, 5 port inutilisable ou liaison perdue, 6 arrêt d'urgence (Ctrl-C).\n";

namespace {

class Lecteur {
public:
    Lecteur(const std::vector<std::string>& arguments, Options& o) : args_(arguments), o_(o) {}

    std::optional<std::string> Tout() {
        bool optionsTerminees = false;
        for (pos_ = 0; pos_ < args_.size(); ++pos_) {
            const std::string& a = args_[pos_];
            if (optionsTerminees || a.empty() || a[0] != '-' || a == "-") {
                if (!o_.dessin.empty()) return "un seul dessin est accepté : " + a;
                o_.dessin = a;
                continue;
            }
            if (a == "--") {
                optionsTerminees = true;
                continue;
            }
            if (auto erreur = Option(a)) return erreur;
            if (o_.aide) return std::nullopt;
        }
        return Coherence();
    }

private:
    const std::vector<std::string>& args_;
    Options& o_;
    std::size_t pos_ = 0;
    std::optional<std::string> erreur_;
    bool debitDonne_ = false;

    std::optional<std::string> Valeur(const std::string& option) {
        if (pos_ + 1 >= args_.size()) {
            erreur_ = "l'option " + option + " attend une valeur";
            return std::nullopt;
        }
        return args_[++pos_];
    }

    std::optional<double> Nombre(const std::string& option) {
        const std::optional<std::string> texte = Valeur(option);
        if (!texte) return std::nullopt;
        const std::optional<double> v = LectureLocale(*texte);
        if (!v || !std::isfinite(*v)) {
            erreur_ = "valeur non numérique pour " + option + " : " + *texte;
            return std::nullopt;
        }
        return v;
    }

    std::optional<int32_t> Entier(const std::string& option, int32_t min, int32_t max) {
        const std::optional<std::string> texte = Valeur(option);
        if (!texte) return std::nullopt;
        const std::optional<double> v = LectureLocale(*texte);
        if (!v || *v != std::trunc(*v) || *v < min || *v > max) {
            erreur_ = "l'option " + option + " attend un entier de " + TexteEntier(min) + " à " + TexteEntier(max) +
                      " : " + *texte;
            return std::nullopt;
        }
        return static_cast<int32_t>(*v);
    }

    std::optional<double> Positif(const std::string& option, bool zeroPermis) {
        std::optional<double> v = Nombre(option);
        if (v && (*v < 0.0 || (!zeroPermis && *v == 0.0))) {
            erreur_ = "l'option " + option + " attend une valeur " +
                      (zeroPermis ? "positive ou nulle" : "strictement positive");
            return std::nullopt;
        }
        return v;
    }

    // A number kept as the text typed, as the milling window keeps its boxes.
    std::optional<std::string> TexteNumerique(const std::string& option) {
        if (!Nombre(option)) return std::nullopt;
        return args_[pos_];
    }

    template <class T>
    std::optional<std::string> Garde(std::optional<T>& cible, std::optional<T> valeur) {
        if (!valeur) return erreur_;
        cible = std::move(valeur);
        return std::nullopt;
    }

    std::optional<std::string> Option(const std::string& a) {
        if (a == "--help" || a == "-h") {
            o_.aide = true;
            return std::nullopt;
        }
        if (a == "-o") {
            std::optional<std::string> v = Valeur(a);
            if (!v) return erreur_;
            o_.sortie = *v;
            return std::nullopt;
        }
        if (a == "--ini") return Garde(o_.ini, Valeur(a));
        if (a == "--rayon") return Garde(o_.rayon, Positif(a, true));
        if (a == "--cote") {
            std::optional<int32_t> v = Entier(a, 1, 3);
            if (!v) return erreur_;
            o_.cote = static_cast<int16_t>(*v);
            return std::nullopt;
        }
        if (a == "--hauteur") return Garde(o_.hauteur, TexteNumerique(a));
        if (a == "--profondeur") return Garde(o_.profondeur, TexteNumerique(a));
        if (a == "--passes") {
            if (auto erreur = Garde(o_.passes, Entier(a, 1, 1000))) return erreur;
            o_.passesTexte = args_[pos_];
            return std::nullopt;
        }
        if (a == "--marge-x") return Garde(o_.margeX, Nombre(a));
        if (a == "--marge-y") return Garde(o_.margeY, Nombre(a));
        if (a == "--rapport-h") return Garde(o_.rapportH, Positif(a, false));
        if (a == "--rapport-v") return Garde(o_.rapportV, Positif(a, false));
        if (a == "--projet") {
            std::optional<std::string> v = Valeur(a);
            if (!v) return erreur_;
            o_.projet = *v;
            return std::nullopt;
        }
        if (a == "--orientation") {
            o_.orientation = true;
            return std::nullopt;
        }
        if (a == "--ordre") {
            o_.ordre = true;
            return std::nullopt;
        }
        if (a == "--attaches" || a == "--largeur-attache" || a == "--hauteur-attache") return OptionAttache(a);
        if (a == "--simulation") {
            o_.simulation = true;
            return std::nullopt;
        }
        if (a == "--estimation") {
            o_.simulation = o_.estimation = true;
            return std::nullopt;
        }
        if (a == "--serie") return Serie(a);
        if (a == "--gcode" || a == "--dialecte") return GCode(a);
        if (a == "--avance" || a == "--avance-plongee" || a == "--broche") {
            std::optional<double> v = Positif(a, false);
            if (!v) return erreur_;
            (a == "--avance" ? o_.avance : a == "--broche" ? o_.broche : o_.avancePlongee) = args_[pos_];
            return std::nullopt;
        }
        if (a == "--attente-broche") {
            std::optional<double> v = Positif(a, true);
            if (!v) return erreur_;
            o_.attenteBroche = args_[pos_];
            return std::nullopt;
        }
        if (a == "--sans-commentaires") {
            o_.sansCommentaires = true;
            return std::nullopt;
        }
        if (a == "--grbl") {
            std::optional<std::string> v = Valeur(a);
            if (!v) return erreur_;
            o_.grbl = *v;
            return std::nullopt;
        }
        if (a == "--debit") {
            const std::optional<int32_t> v = Entier(a, 9600, 230400);
            if (!v) return erreur_;
            if (*v != 9600 && *v != 19200 && *v != 38400 && *v != 57600 && *v != 115200 && *v != 230400)
                return "l'option --debit attend 9600, 19200, 38400, 57600, 115200 ou 230400 : " + args_[pos_];
            o_.debit = *v;
            debitDonne_ = true;
            return std::nullopt;
        }
        if (a == "--reprise") return Garde(o_.reprise, Entier(a, 1, 2147483647));
        if (a == "--test") {
            std::optional<int32_t> v = Entier(a, 0, 2);
            if (!v) return erreur_;
            o_.test = *v;
            return std::nullopt;
        }
        if (a == "--dimension") return Garde(o_.dimension, Positif(a, false));
        if (a == "--journal") {
            std::optional<std::string> v = Valeur(a);
            if (!v) return erreur_;
            o_.journal = *v;
            return std::nullopt;
        }
        return "option inconnue : " + a;
    }

    std::optional<std::string> Serie(const std::string& a) {
        const std::optional<int32_t> nx = Entier(a, 1, 10000);
        if (!nx) return erreur_;
        const std::optional<double> dx = Nombre(a);
        if (!dx) return erreur_;
        const std::optional<int32_t> ny = Entier(a, 1, 10000);
        if (!ny) return erreur_;
        const std::optional<double> dy = Nombre(a);
        if (!dy) return erreur_;
        o_.serie = true;
        o_.nbX = *nx;
        o_.decalX = *dx;
        o_.nbY = *ny;
        o_.decalY = *dy;
        return std::nullopt;
    }

    std::optional<std::string> OptionAttache(const std::string& a) {
        if (a == "--attaches") return Garde(o_.attaches, Entier(a, 0, MaxAttaches));
        if (a == "--largeur-attache") return Garde(o_.largeurAttache, Positif(a, false));
        return Garde(o_.hauteurAttache, Positif(a, false));
    }

    std::optional<std::string> GCode(const std::string& a) {
        const std::optional<std::string> v = Valeur(a);
        if (!v) return erreur_;
        if (a == "--gcode") {
            o_.gcode = *v;
            return std::nullopt;
        }
        const std::optional<DialecteGCode> d = LectureDialecte(*v);
        if (!d) return "l'option --dialecte attend grbl ou linuxcnc : " + *v;
        o_.dialecte = *d;
        o_.dialecteDonne = true;
        return std::nullopt;
    }

    std::optional<std::string> Coherence() {
        if (!o_.simulation) {
            if (o_.serie) return "--serie ne s'emploie qu'avec --simulation";
            if (o_.test >= 0) return "--test ne s'emploie qu'avec --simulation";
            if (!o_.journal.empty()) return "--journal ne s'emploie qu'avec --simulation";
        } else if (!o_.sortie.empty()) {
            return "-o ne s'emploie pas avec --simulation";
        } else if (!o_.gcode.empty()) {
            return "--gcode ne s'emploie pas avec --simulation";
        }
        if (o_.gcode.empty() && o_.dialecteDonne) return "--dialecte ne s'emploie qu'avec --gcode";
        // The G-code streamed to GRBL takes the same feeds, spindle and comments.
        if (o_.gcode.empty() && o_.grbl.empty()) {
            if (o_.avance) return "--avance ne s'emploie qu'avec --gcode ou --grbl";
            if (o_.avancePlongee) return "--avance-plongee ne s'emploie qu'avec --gcode ou --grbl";
            if (o_.broche) return "--broche ne s'emploie qu'avec --gcode ou --grbl";
            if (o_.attenteBroche) return "--attente-broche ne s'emploie qu'avec --gcode ou --grbl";
            if (o_.sansCommentaires) return "--sans-commentaires ne s'emploie qu'avec --gcode ou --grbl";
        }
        if (!o_.grbl.empty() && o_.simulation) return "--grbl ne s'emploie pas avec --simulation";
        if (o_.grbl.empty() && (debitDonne_ || o_.reprise)) return "--debit et --reprise ne s'emploient qu'avec --grbl";
        if (o_.dimension && o_.test < 0) return "--dimension ne s'emploie qu'avec --test";
        if (o_.serie && o_.test >= 0) return "--serie et --test s'excluent";
        if (o_.dessin.empty() && o_.test < 0) return "aucun dessin indiqué";
        if (o_.dessin.empty() && !o_.projet.empty()) return "--projet demande un dessin";
        if (o_.dessin.empty() && o_.orientation) return "--orientation demande un dessin";
        if (o_.dessin.empty() && o_.ordre) return "--ordre demande un dessin";
        return std::nullopt;
    }
};

}  // namespace

std::optional<std::string> AnalyseOptions(const std::vector<std::string>& arguments, Options& options) {
    options = Options{};
    return Lecteur(arguments, options).Tout();
}

}  // namespace korvelin::cli
