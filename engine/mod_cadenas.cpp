#include "engine/mod_cadenas.h"

#include <string>

#include "base/text.h"

namespace kvr::modCadenas {

namespace {

std::u32string prepare(std::string_view text, bool ignoreCase) {
    return ignoreCase ? text::decodeFolded(text) : text::decode(text);
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
