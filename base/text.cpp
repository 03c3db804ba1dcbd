#include "base/text.h"

#include <charconv>
#include <utility>

namespace kvr::text {

namespace {

constexpr char32_t strayByte(unsigned char b) {
    return 0xDC00 + b;
}

}  // namespace

char32_t next(std::string_view text, std::size_t& at) {
    const auto b0 = static_cast<unsigned char>(text[at]);
    if (b0 < 0x80) {
        ++at;
        return b0;
    }
    std::size_t len = 0;
    char32_t cp = 0;
    char32_t min = 0;
    if (b0 >= 0xC2 && b0 < 0xE0) {
        len = 2;
        cp = b0 & 0x1F;
        min = 0x80;
    } else if (b0 >= 0xE0 && b0 < 0xF0) {
        len = 3;
        cp = b0 & 0x0F;
        min = 0x800;
    } else if (b0 >= 0xF0 && b0 < 0xF5) {
        len = 4;
        cp = b0 & 0x07;
        min = 0x10000;
    }
    bool ok = len != 0 && at + len <= text.size();
    for (std::size_t k = 1; ok && k < len; ++k) {
        const auto b = static_cast<unsigned char>(text[at + k]);
        ok = (b & 0xC0) == 0x80;
        cp = (cp << 6) | (b & 0x3F);
    }
    ok = ok && cp >= min && cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF);
    if (!ok) {
        ++at;
        return strayByte(b0);
    }
    at += len;
    return cp;
}

std::u32string decode(std::string_view text) {
    std::u32string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) out.push_back(next(text, i));
    return out;
}

namespace {

// Greek letters that fold outside the alternating runs; final sigma is the same letter as sigma.
constexpr std::pair<char32_t, char32_t> kGreekSingles[] = {
    {0x37F, 0x3F3}, {0x386, 0x3AC}, {0x388, 0x3AD}, {0x389, 0x3AE}, {0x38A, 0x3AF}, {0x38C, 0x3CC},
    {0x38E, 0x3CD}, {0x38F, 0x3CE}, {0x3C2, 0x3C3}, {0x3CF, 0x3D7}, {0x3D0, 0x3B2}, {0x3D1, 0x3B8},
    {0x3D5, 0x3C6}, {0x3D6, 0x3C0}, {0x3F0, 0x3BA}, {0x3F1, 0x3C1}, {0x3F4, 0x3B8}, {0x3F5, 0x3B5},
    {0x3F7, 0x3F8}, {0x3F9, 0x3F2}, {0x3FA, 0x3FB}, {0x3FD, 0x37B}, {0x3FE, 0x37C}, {0x3FF, 0x37D},
};

// Capital sharp s, and the ohm, kelvin and angstrom signs that stand for letters.
constexpr std::pair<char32_t, char32_t> kOtherSingles[] = {
    {0x1E9E, 0xDF}, {0x2126, 0x3C9}, {0x212A, 'k'}, {0x212B, 0xE5}};

bool inRange(char32_t c, char32_t first, char32_t last) {
    return c >= first && c <= last;
}

}  // namespace

// Where capitals and small letters alternate, the capital is the even code point (c | 1 is its
// small letter) except in the runs where it is the odd one.
char32_t fold(char32_t c) {
    if (c < 0x80) return c >= 'A' && c <= 'Z' ? c + 0x20 : c;
    if (c < 0x100) {
        if (c == 0xB5) return 0x3BC;  // micro sign folds with Greek mu
        return c >= 0xC0 && c <= 0xDE && c != 0xD7 ? c + 0x20 : c;
    }
    if (c < 0x180) {
        if (c == 0x130) return 'i';  // capital I with dot: plain i, outside Turkish rules
        if (c == 0x178) return 0xFF;
        if (c == 0x17F) return 's';  // long s
        if (inRange(c, 0x100, 0x12F) || inRange(c, 0x132, 0x137) || inRange(c, 0x14A, 0x177)) {
            return c | 1;
        }
        if (inRange(c, 0x139, 0x148) || inRange(c, 0x179, 0x17E)) return (c & 1) ? c + 1 : c;
        return c;
    }
    if (c >= 0x370 && c < 0x400) {
        for (const auto& [from, to] : kGreekSingles) {
            if (c == from) return to;
        }
        if ((c >= 0x391 && c <= 0x3A1) || (c >= 0x3A3 && c <= 0x3AB)) return c + 0x20;
        if (inRange(c, 0x370, 0x373) || inRange(c, 0x376, 0x377) || inRange(c, 0x3D8, 0x3EF)) {
            return c | 1;
        }
        return c;
    }
    if (c >= 0x400 && c < 0x530) {
        if (c < 0x410) return c + 0x50;
        if (c < 0x430) return c + 0x20;
        if (c == 0x4C0) return 0x4CF;
        if (inRange(c, 0x4C1, 0x4CE)) return (c & 1) ? c + 1 : c;
        if (inRange(c, 0x460, 0x481) || inRange(c, 0x48A, 0x4BF) || inRange(c, 0x4D0, 0x52F)) {
            return c | 1;
        }
        return c;
    }
    for (const auto& [from, to] : kOtherSingles) {
        if (c == from) return to;
    }
    return c;
}

std::u32string decodeFolded(std::string_view text) {
    std::u32string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) out.push_back(fold(next(text, i)));
    return out;
}

std::size_t length(std::string_view text) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < text.size(); ++n) next(text, i);
    return n;
}

std::string characters(std::string_view text, std::size_t first, std::size_t count) {
    std::size_t i = 0;
    for (std::size_t n = 0; n < first && i < text.size(); ++n) next(text, i);
    const std::size_t from = i;
    for (std::size_t n = 0; n < count && i < text.size(); ++n) next(text, i);
    return std::string(text.substr(from, i - from));
}

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

bool isNumeric(std::string_view text) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    const auto blanks = [&] {
        while (i < n && (text[i] == ' ' || text[i] == '\t')) ++i;
    };
    const auto digits = [&] {
        const std::size_t from = i;
        while (i < n && isDigit(text[i])) ++i;
        return i - from;
    };
    blanks();
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t mantissa = digits();
    if (i < n && text[i] == '.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0) return false;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
        if (digits() == 0) return false;
    }
    blanks();
    return i == n;
}

std::string padded(long long number, int width, int base) {
    char digits[24];
    const bool negative = number < 0;
    // Through the magnitude, which the most negative number has too.
    const unsigned long long magnitude = negative ? 0ULL - static_cast<unsigned long long>(number)
                                                  : static_cast<unsigned long long>(number);
    const auto end = std::to_chars(digits, digits + sizeof digits, magnitude, base).ptr;
    std::string text(digits, end);
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    const int shown = static_cast<int>(text.size()) + (negative ? 1 : 0);
    if (shown < width) text.insert(0, static_cast<std::size_t>(width - shown), '0');
    if (negative) text.insert(0, 1, '-');
    return text;
}

namespace {

// Base letters of the folded U+00C0..U+017F: an accented letter sorts with its letter, a
// ligature as its letters; "" keeps the character itself (the signs x and / of that block).
constexpr const char* kLatinBase[] = {
    "a", "a", "a",  "a",  "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i",  "i",   // U+00C0
    "d", "n", "o",  "o",  "o", "o", "o",  "",  "o", "u", "u", "u", "u", "y", "th", "ss",  // U+00D0
    "a", "a", "a",  "a",  "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i",  "i",   // U+00E0
    "d", "n", "o",  "o",  "o", "o", "o",  "",  "o", "u", "u", "u", "u", "y", "th", "y",   // U+00F0
    "a", "a", "a",  "a",  "a", "a", "c",  "c", "c", "c", "c", "c", "c", "c", "d",  "d",   // U+0100
    "d", "d", "e",  "e",  "e", "e", "e",  "e", "e", "e", "e", "e", "g", "g", "g",  "g",   // U+0110
    "g", "g", "g",  "g",  "h", "h", "h",  "h", "i", "i", "i", "i", "i", "i", "i",  "i",   // U+0120
    "i", "i", "ij", "ij", "j", "j", "k",  "k", "k", "l", "l", "l", "l", "l", "l",  "l",   // U+0130
    "l", "l", "l",  "n",  "n", "n", "n",  "n", "n", "n", "n", "n", "o", "o", "o",  "o",   // U+0140
    "o", "o", "oe", "oe", "r", "r", "r",  "r", "r", "r", "s", "s", "s", "s", "s",  "s",   // U+0150
    "s", "s", "t",  "t",  "t", "t", "t",  "t", "u", "u", "u", "u", "u", "u", "u",  "u",   // U+0160
    "u", "u", "u",  "u",  "w", "w", "y",  "y", "y", "z", "z", "z", "z", "z", "z",  "s",   // U+0170
};

// The folded characters of a text, or their base letters; read one at a time, since a list
// sort compares many pairs and most differ within their first letters.
class Keys {
public:
    Keys(std::string_view text, std::size_t from, bool base)
        : text_(text), base_(base), at_(from) {}

    bool next(char32_t& key) {
        if (*pending_ != '\0') {
            key = static_cast<unsigned char>(*pending_++);
            return true;
        }
        if (at_ >= text_.size()) return false;
        if (const auto b = static_cast<unsigned char>(text_[at_]); b < 0x80) {
            ++at_;
            key = fold(b);
            return true;
        }
        key = fold(text::next(text_, at_));
        if (base_ && key >= 0xC0 && key <= 0x17F && *kLatinBase[key - 0xC0] != '\0') {
            pending_ = kLatinBase[key - 0xC0];
            key = static_cast<unsigned char>(*pending_++);
        }
        return true;
    }

private:
    std::string_view text_;
    bool base_;
    std::size_t at_;
    const char* pending_ = "";
};

bool continues(std::string_view text, std::size_t at) {
    return at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80;
}

// Where two texts stop sharing their characters. Titles in a list often share long beginnings;
// bytes alike decode alike up to a byte that continues a sequence in neither text.
std::size_t sharedCharacters(std::string_view a, std::string_view b) {
    std::size_t at = 0;
    while (at < a.size() && at < b.size() && a[at] == b[at]) ++at;
    while (at > 0 && (continues(a, at) || continues(b, at))) --at;
    return at;
}

int compareKeys(Keys a, Keys b) {
    for (;;) {
        char32_t x = 0;
        char32_t y = 0;
        const bool hasX = a.next(x);
        const bool hasY = b.next(y);
        if (!hasX || !hasY) return hasX ? 1 : (hasY ? -1 : 0);
        if (x != y) return x < y ? -1 : 1;
    }
}

}  // namespace

int collate(std::string_view a, std::string_view b) {
    const std::size_t from = sharedCharacters(a, b);
    if (const int letters = compareKeys(Keys(a, from, true), Keys(b, from, true))) return letters;
    return compareKeys(Keys(a, from, false), Keys(b, from, false));
}

}  // namespace kvr::text
