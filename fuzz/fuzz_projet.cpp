// The project reader on arbitrary bytes; what it read must write and read back the same.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "import/projet.h"
#include "settings/fichier_projet.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t taille) {
    const std::string_view texte(reinterpret_cast<const char*>(data), taille);
    korvelin::DessinLu lu = korvelin::LitProjet(texte);
    if (lu.Refusee()) return 0;
    korvelin::Dessin d;
    d.Trace_Initial = lu.Points;
    d.NbPoints = static_cast<int32_t>(lu.Points.size());

    const std::string points = korvelin::TextePointsProjet(d);
    // Seven significant digits can merge far-away distinct points into one ("Fichier vide !").
    const korvelin::DessinLu relu = korvelin::LitProjet(points);
    if (relu.Refusee()) return 0;
    if (relu.Points.size() != lu.Points.size()) __builtin_trap();
    for (std::size_t i = 0; i < lu.Points.size(); ++i) {
        if (!(relu.Points[i].Plume == lu.Points[i].Plume)) __builtin_trap();
        if (!(relu.Points[i].Sequence == lu.Points[i].Sequence)) __builtin_trap();
    }
    return 0;
}
