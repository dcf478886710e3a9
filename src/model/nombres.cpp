#include "model/nombres.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <system_error>

// Every conversion here goes through <charconv>: the C functions follow LC_NUMERIC, which
// the window sets from the desktop, and on a French desktop they read "0.025" as 0 and
// write 1.5 as "1,5" in files that must read back anywhere.

namespace korvelin {

namespace {

bool EstBlanc(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool EstChiffre(char c) { return c >= '0' && c <= '9'; }

// The decimal exponent of the first significant digit of a number in C form ("-12.5e3"),
// used only to tell an overflow from an underflow when the value leaves the double range.
bool DepasseParLeHaut(std::string_view n) {
    std::size_t i = 0;
    if (i < n.size() && (n[i] == '+' || n[i] == '-')) ++i;
    long long position = 0;  // digits before the point, counting from the first non-zero one
    bool significatif = false, apresPoint = false;
    for (; i < n.size() && n[i] != 'e' && n[i] != 'E'; ++i) {
        if (n[i] == '.') {
            apresPoint = true;
            continue;
        }
        if (n[i] != '0') significatif = true;
        if (!apresPoint && significatif) ++position;
        if (apresPoint && !significatif) --position;
    }
    if (!significatif) return false;
    long long exposant = 0;
    if (i < n.size()) {
        ++i;
        bool negatif = false;
        if (i < n.size() && (n[i] == '+' || n[i] == '-')) negatif = n[i++] == '-';
        for (; i < n.size() && EstChiffre(n[i]); ++i)
            if (exposant < 100000) exposant = exposant * 10 + (n[i] - '0');
        if (negatif) exposant = -exposant;
    }
    return position + exposant > 0;
}

// Reads a number already in C form. Beyond the double range it saturates to ±DBL_MAX, and
// below it gives a signed zero, as a too-large coordinate must be caught by the range
// checks rather than vanish.
double DepuisTexteC(std::string_view n) {
    double v = 0.0;
    const auto r = std::from_chars(n.data(), n.data() + n.size(), v, std::chars_format::general);
    if (r.ec == std::errc::result_out_of_range) {
        const bool negatif = !n.empty() && n[0] == '-';
        if (DepasseParLeHaut(n)) return negatif ? -DBL_MAX : DBL_MAX;
        return negatif ? -0.0 : 0.0;
    }
    if (r.ec != std::errc()) return 0.0;
    if (std::isnan(v)) return 0.0;
    return v;
}

// Collects the leading number of the text into C form. Blanks are skipped between the
// characters of the number, as plotter files put them there.
std::string NombreEnTete(std::string_view t, char separateur1, char separateur2) {
    std::string n;
    std::size_t i = 0;
    auto sauteBlancs = [&] {
        while (i < t.size() && EstBlanc(t[i])) ++i;
    };
    sauteBlancs();
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
        if (t[i] == '-') n += '-';
        ++i;
    }
    bool chiffres = false;
    for (;;) {
        sauteBlancs();
        if (i < t.size() && EstChiffre(t[i])) {
            n += t[i++];
            chiffres = true;
        } else {
            break;
        }
    }
    sauteBlancs();
    if (i < t.size() && (t[i] == separateur1 || t[i] == separateur2)) {
        n += '.';
        ++i;
        for (;;) {
            sauteBlancs();
            if (i < t.size() && EstChiffre(t[i])) {
                n += t[i++];
                chiffres = true;
            } else {
                break;
            }
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
                // Beyond a few digits the exponent only overflows, which saturates anyway.
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

// The significant digits of a value and the decimal exponent of the first one, from the
// shortest text that reads back exactly (precision 0) or rounded to `precision` digits.
struct Decimal {
    std::string chiffres;
    int exposant = 0;
    bool negatif = false;
};

Decimal Decompose(double v, int precision) {
    char t[64];
    const auto r = precision > 0 ? std::to_chars(t, t + sizeof t, v, std::chars_format::scientific, precision - 1)
                                 : std::to_chars(t, t + sizeof t, v, std::chars_format::scientific);
    const std::string_view s(t, static_cast<std::size_t>(r.ptr - t));
    Decimal d;
    std::size_t i = 0;
    if (s[i] == '-') {
        d.negatif = true;
        ++i;
    }
    for (; i < s.size() && s[i] != 'e'; ++i)
        if (EstChiffre(s[i])) d.chiffres += s[i];
    int e = 0;
    std::from_chars(s.data() + i + 1 + (s[i + 1] == '+'), s.data() + s.size(), e);
    d.exposant = e;
    while (d.chiffres.size() > 1 && d.chiffres.back() == '0') d.chiffres.pop_back();
    return d;
}

// Plain decimal form, without exponent while the value stays within what a drawing or a
// setting can hold; an exponent beyond, which every reading here accepts.
std::string Ecrit(const Decimal& d, char separateur) {
    if (d.chiffres == "0") return "0";
    std::string s = d.negatif ? "-" : "";
    const int n = static_cast<int>(d.chiffres.size());
    if (d.exposant >= 16 || d.exposant < -7) {
        s += d.chiffres[0];
        if (n > 1) {
            s += separateur;
            s.append(d.chiffres, 1);
        }
        s += 'e';
        if (d.exposant < 0) s += '-';
        s += TexteEntier(std::abs(d.exposant));
        return s;
    }
    if (d.exposant < 0) {
        s += '0';
        s += separateur;
        s.append(static_cast<std::size_t>(-d.exposant - 1), '0');
        s += d.chiffres;
        return s;
    }
    const int entiers = d.exposant + 1;
    if (n <= entiers) {
        s += d.chiffres;
        s.append(static_cast<std::size_t>(entiers - n), '0');
    } else {
        s.append(d.chiffres, 0, static_cast<std::size_t>(entiers));
        s += separateur;
        s.append(d.chiffres, static_cast<std::size_t>(entiers));
    }
    return s;
}

std::string EcritDecimal(double v, int precision, char separateur) {
    if (v == 0.0 || std::isnan(v)) return "0";
    if (std::isinf(v)) v = v > 0 ? DBL_MAX : -DBL_MAX;
    return Ecrit(Decompose(v, precision), separateur);
}

}  // namespace

double LecturePlain(std::string_view texte) { return DepuisTexteC(NombreEnTete(texte, '.', '.')); }

double LectureSaisie(std::string_view texte) { return DepuisTexteC(NombreEnTete(texte, '.', ',')); }

std::optional<double> LectureLocale(std::string_view t) {
    std::size_t debut = 0, fin = t.size();
    while (debut < fin && EstBlanc(t[debut])) ++debut;
    while (fin > debut && EstBlanc(t[fin - 1])) --fin;
    t = t.substr(debut, fin - debut);
    std::string n;
    std::size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
        if (t[i] == '-') n += '-';
        ++i;
    }
    bool chiffres = false;
    while (i < t.size() && EstChiffre(t[i])) {
        n += t[i++];
        chiffres = true;
    }
    if (i < t.size() && (t[i] == ',' || t[i] == '.')) {
        n += '.';
        ++i;
        while (i < t.size() && EstChiffre(t[i])) {
            n += t[i++];
            chiffres = true;
        }
    }
    if (!chiffres) return std::nullopt;
    if (i < t.size() && (t[i] == 'E' || t[i] == 'e')) {
        n += 'e';
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) n += t[i++];
        bool exposant = false;
        while (i < t.size() && EstChiffre(t[i])) {
            n += t[i++];
            exposant = true;
        }
        if (!exposant) return std::nullopt;
    }
    if (i != t.size()) return std::nullopt;
    return DepuisTexteC(n);
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

std::string EcritureLocale(double v) { return EcritDecimal(v, 0, ','); }

std::string EcriturePoint(double v) { return EcritDecimal(v, 0, '.'); }

std::string EcritureAffichage(double v) { return EcritDecimal(v, ChiffresAffiches, ','); }

double ArrondiSignificatif(double v, int chiffres) {
    if (!std::isfinite(v) || v == 0.0) return std::isfinite(v) ? v : 0.0;
    char t[64];
    const auto r = std::to_chars(t, t + sizeof t, v, std::chars_format::scientific, chiffres - 1);
    return DepuisTexteC(std::string_view(t, static_cast<std::size_t>(r.ptr - t)));
}

std::string FormatFixe(double v, int decimales, char separateur) {
    if (std::isnan(v)) v = 0.0;
    if (v > DBL_MAX) v = DBL_MAX;
    if (v < -DBL_MAX) v = -DBL_MAX;
    // Fixed notation rounds the exact binary value, ties to even, which is the display rule.
    std::string s(400 + static_cast<std::size_t>(decimales), '\0');
    const auto r = std::to_chars(s.data(), s.data() + s.size(), v, std::chars_format::fixed, decimales);
    s.resize(static_cast<std::size_t>(r.ptr - s.data()));
    if (!s.empty() && s[0] == '-' && s.find_first_of("123456789") == std::string::npos) s.erase(0, 1);
    for (char& c : s)
        if (c == '.') c = separateur;
    return s;
}

std::string TexteFlottant32(float v) {
    char t[32];
    const auto r = std::to_chars(t, t + sizeof t, static_cast<double>(v), std::chars_format::general, 7);
    std::string s(t, static_cast<std::size_t>(r.ptr - t));
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
