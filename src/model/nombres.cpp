#include "model/nombres.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace korvelin {

namespace {

bool EstBlanc(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool EstChiffre(char c) { return c >= '0' && c <= '9'; }

double Borne(double v) {
    if (std::isnan(v)) return 0.0;
    if (v > DBL_MAX) return DBL_MAX;
    if (v < -DBL_MAX) return -DBL_MAX;
    return v;
}

// Collects the leading number of the text into a C locale form for strtod. Blanks are
// skipped between the characters of the number, as plotter files put them there.
std::string NombreEnTete(std::string_view t, char separateur1, char separateur2) {
    std::string n;
    std::size_t i = 0;
    auto sauteBlancs = [&] {
        while (i < t.size() && EstBlanc(t[i])) ++i;
    };
    sauteBlancs();
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) n += t[i++];
    bool chiffres = false;
    for (;; ) {
        sauteBlancs();
        if (i < t.size() && EstChiffre(t[i])) { n += t[i++]; chiffres = true; } else break;
    }
    sauteBlancs();
    if (i < t.size() && (t[i] == separateur1 || t[i] == separateur2)) {
        n += '.';
        ++i;
        for (;;) {
            sauteBlancs();
            if (i < t.size() && EstChiffre(t[i])) { n += t[i++]; chiffres = true; } else break;
        }
    }
    if (!chiffres) return {};
    sauteBlancs();
    if (i < t.size() && (t[i] == 'E' || t[i] == 'e' || t[i] == 'D' || t[i] == 'd')) {
        std::size_t j = i + 1;
        std::string e = "e";
        while (j < t.size() && EstBlanc(t[j])) ++j;
        if (j < t.size() && (t[j] == '+' || t[j] == '-')) e += t[j++];
        bool chiffresExposant = false;
        for (;;) {
            while (j < t.size() && EstBlanc(t[j])) ++j;
            if (j < t.size() && EstChiffre(t[j])) {
                // Beyond a few digits the exponent only overflows; strtod saturates anyway.
                if (e.size() < 8) e += t[j];
                ++j;
                chiffresExposant = true;
            } else {
                break;
            }
        }
        if (chiffresExposant) n += e;
    }
    return n;
}

double Convertit(const std::string& n) {
    if (n.empty()) return 0.0;
    return Borne(std::strtod(n.c_str(), nullptr));
}

}  // namespace

double LecturePlain(std::string_view texte) { return Convertit(NombreEnTete(texte, '.', '.')); }

double LectureSaisie(std::string_view texte) { return Convertit(NombreEnTete(texte, '.', ',')); }

std::optional<double> LectureLocale(std::string_view t) {
    std::size_t debut = 0, fin = t.size();
    while (debut < fin && EstBlanc(t[debut])) ++debut;
    while (fin > debut && EstBlanc(t[fin - 1])) --fin;
    t = t.substr(debut, fin - debut);
    std::string n;
    std::size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) n += t[i++];
    bool chiffres = false;
    while (i < t.size() && EstChiffre(t[i])) { n += t[i++]; chiffres = true; }
    if (i < t.size() && (t[i] == ',' || t[i] == '.')) {
        n += '.';
        ++i;
        while (i < t.size() && EstChiffre(t[i])) { n += t[i++]; chiffres = true; }
    }
    if (!chiffres) return std::nullopt;
    if (i < t.size() && (t[i] == 'E' || t[i] == 'e')) {
        n += 'e';
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) n += t[i++];
        bool exposant = false;
        while (i < t.size() && EstChiffre(t[i])) { n += t[i++]; exposant = true; }
        if (!exposant) return std::nullopt;
    }
    if (i != t.size()) return std::nullopt;
    const double v = std::strtod(n.c_str(), nullptr);
    if (!std::isfinite(v)) return std::nullopt;
    return v;
}

double LectureLocaleOuPlain(std::string_view texte) {
    if (auto v = LectureLocale(texte)) return *v;
    return LecturePlain(texte);
}

int16_t LectureEntier16(std::string_view texte) {
    double v = LectureLocaleOuPlain(texte);
    v = std::nearbyint(v);
    if (v < -32768.0) return -32768;
    if (v > 32767.0) return 32767;
    return static_cast<int16_t>(v);
}

std::string EcritureLocale(double v) {
    if (v == 0.0 || std::isnan(v)) return "0";
    char tampon[64];
    std::snprintf(tampon, sizeof tampon, "%.15g", v);
    std::string s = tampon;
    for (char& c : s)
        if (c == '.') c = ',';
    return s;
}

std::string FormatFixe(double v, int decimales, char separateur) {
    if (std::isnan(v)) v = 0.0;
    v = Borne(v);
    // printf rounds the exact binary value, ties to even, which is the display rule.
    std::string s(static_cast<std::size_t>(std::snprintf(nullptr, 0, "%.*f", decimales, v)), '\0');
    std::snprintf(s.data(), s.size() + 1, "%.*f", decimales, v);
    if (!s.empty() && s[0] == '-' && s.find_first_of("123456789") == std::string::npos) s.erase(0, 1);
    for (char& c : s)
        if (c == '.') c = separateur;
    return s;
}

std::string TexteFlottant32(float v) {
    char tampon[32];
    std::snprintf(tampon, sizeof tampon, "%.7g", static_cast<double>(v));
    std::string s = tampon;
    if (s == "-0") s = "0";
    if (s[0] != '-') s.insert(0, " ");
    return s;
}

float VersFlottant32(double v) {
    if (std::isnan(v)) return 0.0f;
    if (v > FLT_MAX) return FLT_MAX;
    if (v < -FLT_MAX) return -FLT_MAX;
    return static_cast<float>(v);
}

}  // namespace korvelin
