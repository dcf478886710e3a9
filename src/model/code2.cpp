#include "model/dessin.h"
#include "platform/utf8.h"

#include <map>
#include <mutex>
#include <vector>

namespace korvelin {

namespace {

// Pairs that do not fit in a word, numbered in the order they were first met. Few drawings
// have any; the table only grows, so a number once given stays valid for the whole run.
struct TableRares {
    std::mutex verrou;
    std::vector<std::pair<char32_t, char32_t>> paires;
    std::map<std::pair<char32_t, char32_t>, uint32_t> numeros;
};

TableRares& Rares() {
    static TableRares table;
    return table;
}

constexpr uint32_t PremierRare = 0x110000;
// Numbers stay within the 21 bits of the first character, above every code point.
constexpr uint32_t NbRaresMax = 0x1FFFFF - PremierRare + 1;

}  // namespace

uint32_t Code2::Rare(char32_t a, char32_t b) {
    TableRares& t = Rares();
    std::lock_guard<std::mutex> garde(t.verrou);
    const auto [it, nouveau] = t.numeros.try_emplace({a, b}, uint32_t(t.paires.size()));
    if (nouveau) {
        if (t.paires.size() >= NbRaresMax) {
            // Beyond a million distinct far pairs, which no file of ours can hold, the
            // last number is shared rather than run into real code points.
            t.numeros.erase(it);
            return PremierRare + NbRaresMax - 1;
        }
        t.paires.emplace_back(a, b);
    }
    return PremierRare + it->second;
}

std::pair<char32_t, char32_t> Code2::RareLu(uint32_t mot) {
    TableRares& t = Rares();
    std::lock_guard<std::mutex> garde(t.verrou);
    const uint32_t n = (mot & MasqueC0) - PremierRare;
    return n < t.paires.size() ? t.paires[n] : std::pair<char32_t, char32_t>{0, 0};
}

Code2 Code2::De(std::string_view utf8) {
    char32_t a = 0, b = 0;
    std::size_t i = 0;
    if (i < utf8.size()) a = CaractereUtf8Suivant(utf8, i);
    if (i < utf8.size()) b = CaractereUtf8Suivant(utf8, i);
    return Code2(a, b);
}

std::string Code2::Texte() const {
    std::string s;
    const char32_t a = c0(), b = c1();
    if (a) AjouteUtf8(s, a);
    if (b) AjouteUtf8(s, b);
    return s;
}

}  // namespace korvelin
