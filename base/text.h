// Text inside the program is UTF-8; this is the one place that reads it as characters: decoding,
// case folding, counting and cutting, numbers, and the order names and list columns sort in.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kvr::text {

// The character at byte index at (< text.size()), moving at past it. Only well-formed UTF-8
// counts as a sequence (no overlong forms, surrogates or code points past U+10FFFF); any other
// byte b is one character of its own, U+DC00 + b, a lone surrogate that no valid text decodes
// to, so it keeps its identity and never equals a letter.
char32_t next(std::string_view text, std::size_t& at);
std::u32string decode(std::string_view text);

// Simple case folding, one code point to one: Latin (Basic, Latin-1, Extended-A), Greek and
// Cyrillic capitals to their small letters, final sigma to sigma, and the capital sharp s, micro,
// ohm, kelvin and angstrom signs to the letters they stand for. The same on every build, with no
// locale: the capital I with dot folds to plain i.
char32_t fold(char32_t c);
// decode() with every character folded.
std::u32string decodeFolded(std::string_view text);

// The number of characters, as next() walks them.
std::size_t length(std::string_view text);
// The bytes of count characters from character index first (fewer at the end of the text).
std::string characters(std::string_view text, std::size_t first, std::size_t count);

// Whether a text is a number as it is written: blanks around, a sign, digits with an optional
// decimal point and exponent. No hexadecimal, "inf" or "nan".
bool isNumeric(std::string_view text);
// A number as printf's "%0*d" (base 10) or "%0*X" (base 16) writes it: digits in capitals, zeros
// in front up to width characters, a minus sign counted in the width.
std::string padded(long long number, int width, int base = 10);

// The order of names and list columns: <0, 0 or >0. Letters decide first with case and accents
// ignored (an accented Latin letter is its base letter, a ligature its letters), then the
// accents; case never does, so texts that differ only in case compare equal.
int collate(std::string_view a, std::string_view b);

}  // namespace kvr::text
