#include "engine/mod_cadenas.h"

#include <algorithm>
#include <string>
#include <utility>

namespace kvr::modCadenas {

namespace {

// Bytes that start no valid sequence keep their identity (and stay unequal to every letter)
// as code points in the low-surrogate block, which no valid UTF-8 can produce.
char32_t strayByte(unsigned char b) {
    return 0xDC00 + b;
}

std::u32string decode(std::string_view text) {
    std::u32string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto b0 = static_cast<unsigned char>(text[i]);
        std::size_t len = 0;
        char32_t cp = 0;
        char32_t min = 0;
        if (b0 < 0x80) {
            len = 1;
            cp = b0;
        } else if (b0 >= 0xC2 && b0 < 0xE0) {
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
        bool ok = len != 0 && i + len <= text.size();
        for (std::size_t k = 1; ok && k < len; ++k) {
            const auto b = static_cast<unsigned char>(text[i + k]);
            ok = (b & 0xC0) == 0x80;
            cp = (cp << 6) | (b & 0x3F);
        }
        ok = ok && cp >= min && cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF);
        if (ok) {
            out.push_back(cp);
            i += len;
        } else {
            out.push_back(strayByte(b0));
            ++i;
        }
    }
    return out;
}

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

// Simple case folding (one code point to one, so lengths never change) for the scripts window
// titles are written in here: Basic Latin, Latin-1, Latin Extended-A, Greek, Cyrillic. Where
// capitals and small letters alternate, the capital is the even code point (c | 1 is its small
// letter) except in the runs where it is the odd one.
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

std::u32string prepare(std::string_view text, bool ignoreCase) {
    std::u32string out = decode(text);
    if (ignoreCase) std::transform(out.begin(), out.end(), out.begin(), fold);
    return out;
}

}  // namespace

bool MatchText(std::string_view pattern, std::string_view text, int matchMode, int compareMode) {
    if (matchMode < 0 || matchMode > 3) return false;
    const bool ignoreCase = compareMode != 0;
    const std::u32string p = prepare(pattern, ignoreCase);
    const std::u32string t = prepare(text, ignoreCase);
    switch (matchMode) {
        case 0:
            return t.size() >= p.size() && t.compare(0, p.size(), p) == 0;
        case 1:
            // Searching "" from position 1 finds it only in a text that has a position 1.
            return p.empty() ? !t.empty() : t.find(p) != std::u32string::npos;
        case 2:
            return t.size() >= p.size() && t.compare(t.size() - p.size(), p.size(), p) == 0;
        default:
            return t == p;
    }
}

}  // namespace kvr::modCadenas
