#pragma once
// UTF-8, one character at a time.

#include <cstddef>
#include <string>
#include <string_view>

namespace korvelin {

// Decodes the character at i (s[i] must exist) and moves i past it; a byte that does not
// start valid UTF-8 is taken alone as a Windows-1252 character.
char32_t CaractereUtf8Suivant(std::string_view s, std::size_t& i);
void AjouteUtf8(std::string& s, char32_t c);

}  // namespace korvelin
