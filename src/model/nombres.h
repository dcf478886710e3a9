#pragma once
// The two ways the program reads numbers from text, and the ways it writes them.

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

// Shortest French form of a number ("0,025", "12,5", "3").
std::string EcritureLocale(double v);

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
