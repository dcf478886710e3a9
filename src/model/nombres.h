#pragma once
// The two ways the program reads numbers from text, and the ways it writes them. Nothing
// here depends on the process locale: a French desktop reads and writes the same files.

#include <charconv>
#include <concepts>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace korvelin {

// Plain reading: the leading decimal number, "." as the only decimal separator, blanks
// inside the digits skipped, stopping at the first other character; no number gives 0.
double LecturePlain(std::string_view texte);

// Locale reading: the whole text (blanks around it allowed) must be a number in the
// program's French format. Both "," and "." are accepted as decimal separator, so values
// the program stored read back the same. Empty or malformed text gives nothing.
std::optional<double> LectureLocale(std::string_view texte);

// Locale when the text is a locale number, else plain (the rescaling dialog, the ratios).
double LectureLocaleOuPlain(std::string_view texte);

// Numbers typed by the user in French format: "," or "." as separator, trailing text
// ignored as in the plain reading, so "2,083" is 2.083.
double LectureSaisie(std::string_view texte);

// 16-bit integer of a stored setting: locale rules, halves to even, clamped to the range.
int16_t LectureEntier16(std::string_view texte);

// Shortest French form that reads back as exactly the same value ("0,025", "12,5", "3").
std::string EcritureLocale(double v);
// The same with a decimal point, for settings read the plain way ("1.5").
std::string EcriturePoint(double v);

// What a box shows of a computed value: as many significant digits as it needs, at most
// ChiffresAffiches, in French form (0,0224962630792227 shows "0,0224963").
inline constexpr int ChiffresAffiches = 6;
std::string EcritureAffichage(double v);

// The value rounded to that many significant digits, so a float of the drawing shows 1.2
// and not 1.2000000476837158.
double ArrondiSignificatif(double v, int chiffres);

// Decimal text of a whole number, whatever the process locale.
template <std::integral T>
std::string TexteEntier(T v) {
    char t[24];
    return std::string(t, std::to_chars(t, t + sizeof t, v).ptr);
}

// Fixed decimals, halves to the even neighbour, at least one integer digit, with the given
// decimal separator ("0.000" is FormatFixe(v, 3, '.'); "####0.0" is FormatFixe(v, 1, ',')).
// A value that rounds to zero carries no minus sign.
std::string FormatFixe(double v, int decimales, char separateur);

// Decimal text of a 32-bit float as the project file stores it: at most 7 significant
// digits, "." decimal point, a leading blank when the value is not negative.
std::string TexteFlottant32(float v);

}  // namespace korvelin

namespace korvelin {
// A 64-bit value stored in a 32-bit coordinate: clamped to the float range, NaN as 0,
// so no reading of a bad file can produce an infinite or undefined coordinate.
float VersFlottant32(double v);
}  // namespace korvelin
