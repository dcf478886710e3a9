// The project reader on arbitrary bytes; what it read must write and read back the same.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "import/projet.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t taille) {
    korvelin::Contexte ctx;
    ctx.ParametresEnLectureSeule = true;
    ctx.dessin.TypeFichier = "KORVELIN";
    const std::string_view texte(reinterpret_cast<const char*>(data), taille);
    if (!korvelin::LectureProjetTexte(ctx, texte, "")) return 0;

    const std::string points = korvelin::TextePointsProjet(ctx.dessin);
    korvelin::Contexte relu;
    relu.ParametresEnLectureSeule = true;
    relu.dessin.TypeFichier = "KORVELIN";
    // Seven significant digits can merge far-away distinct points into one ("Fichier vide !").
    if (!korvelin::LectureProjetTexte(relu, points, "")) return 0;
    if (relu.dessin.NbPoints != ctx.dessin.NbPoints) __builtin_trap();
    for (int32_t i = 0; i < ctx.dessin.NbPoints; ++i) {
        const korvelin::Code2 plume = ctx.dessin.Trace_Initial[i].Plume;
        if (!(relu.dessin.Trace_Initial[i].Plume == plume)) __builtin_trap();
        if (!(relu.dessin.Trace_Initial[i].Sequence == ctx.dessin.Trace_Initial[i].Sequence))
            __builtin_trap();
    }
    return 0;
}
