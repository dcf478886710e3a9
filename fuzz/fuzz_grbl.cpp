// Anything a board, or a cable with noise on it, may send: the link keeps counting right
// (never more than the buffer holds in flight), and any G-code text is either refused or
// replayed and resumed without fault.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "grbl/automate_grbl.h"

using namespace korvelin::grbl;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille) {
    const std::string_view texte(reinterpret_cast<const char*>(donnees), taille);

    auto p = PrepareProgramme(texte);
    if (Programme* programme = std::get_if<Programme>(&p)) {
        for (const LigneProgramme& l : programme->lignes)
            if (l.texte.empty() || l.texte.size() > LongueurMaxLigne) std::abort();
        const Analyse a = Rejoue(*programme, {500.0, 500.0, 200.0});
        if (a.fin.size() != programme->lignes.size() || !(a.Duree() >= 0.0)) std::abort();
    }

    // The same bytes as the board's answers, in the middle of a job.
    Automate m;
    Instant t{};
    m.Ouverture(t);
    m.Recoit("Grbl 1.1h ['$' for help]\r\n", t);
    m.Sortie(t);
    m.Recoit("$130=300\r\n$131=300\r\n$132=100\r\nok\r\n<Idle|MPos:0,0,0|WCO:0,0,0>\r\n", t);
    const Programme job =
        std::get<Programme>(PrepareProgramme("G21G90\nG0Z5\nG1X10F100\nG1Y10\nG1X0\nG1Y0\nG0Z5\nM2\n"));
    std::optional<std::string> refus = std::string("aucun programme");
    if (Programme* programme = std::get_if<Programme>(&p); programme && !programme->lignes.empty()) {
        // A resume from the middle: the link takes it whole or refuses it.
        const Analyse a = Rejoue(*programme, {500.0, 500.0, 200.0});
        const std::size_t i = DebutDuContour(*programme, a, programme->lignes.size() / 2);
        refus = m.Lance(*programme, i, ApprocheReprise(*programme, a, i));
    }
    if (refus) m.Lance(job);
    for (std::size_t debut = 0; debut < texte.size(); debut += 7) {
        t += std::chrono::milliseconds(30);
        m.Sortie(t);
        if (m.Etat().octetsEnAttente > TailleTampon) std::abort();
        m.Recoit(texte.substr(debut, 7), t);
        if (m.Etat().lignesAcquittees > m.Etat().lignesTotal) std::abort();
    }
    TextePosition(m.Etat());
    TexteProgression(m.Etat());
    return 0;
}
