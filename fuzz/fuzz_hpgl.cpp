// The plotter reader on arbitrary bytes, from the commands to the welding.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "document/calculs.h"
#include "document/importation.h"
#include "geometry/soudure.h"
#include "import/hpgl.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t taille) {
    korvelin::Dessin dessin;
    korvelin::Parametres parametres;
    korvelin::MagasinReglages magasin;
    korvelin::InterfaceSilencieuse ui;
    magasin.LectureSeule = true;
    // The ratio of plotter files, 0.025 mm per unit, and 1 as an unknown type gets.
    dessin.TypeFichier = (taille % 2 == 0) ? "PLT" : "TXT";
    const std::string_view texte(reinterpret_cast<const char*>(data), taille);
    korvelin::SuiviSilencieux suivi;
    // The welding and the offsets run on drawings of a few thousand points: beyond that a
    // single input takes seconds there, and the run would stop exploring the reader.
    if (korvelin::AcheveHPGL(korvelin::CibleImport{dessin, parametres, magasin, ui}, korvelin::LitHPGL(texte), suivi,
                             false) &&
        dessin.NbPoints <= 4000)
        korvelin::SoudureAutomatique(dessin, parametres, ui);
    const korvelin::Dessin& d = dessin;
    if (d.NbPoints < 0 || static_cast<size_t>(d.NbPoints) > d.Trace_Initial.size()) __builtin_trap();
    for (int32_t i = 0; i < d.NbPoints; ++i) {
        const korvelin::PointTrace& p = d.Trace_Initial[i];
        if (!(p.X == p.X) || !(p.Y == p.Y) || p.X > 1e10f || p.X < -1e10f || p.Y > 1e10f || p.Y < -1e10f)
            __builtin_trap();
    }
    return 0;
}
