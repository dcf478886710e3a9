#include "model/dessin.h"
#include "platform/utf8.h"

namespace korvelin {

Code2 Code2::De(std::string_view utf8) {
    Code2 r;
    std::size_t i = 0;
    if (i < utf8.size()) r.c0 = CaractereUtf8Suivant(utf8, i);
    if (i < utf8.size()) r.c1 = CaractereUtf8Suivant(utf8, i);
    return r;
}

std::string Code2::Texte() const {
    std::string s;
    if (c0) AjouteUtf8(s, c0);
    if (c1) AjouteUtf8(s, c1);
    return s;
}

}  // namespace korvelin
