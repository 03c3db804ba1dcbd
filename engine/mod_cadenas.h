// The one text-matching rule used for window titles and class prefixes.
#pragma once

#include <string_view>

namespace kvr::modCadenas {

// matchMode: 0 text begins with pattern, 1 contains it, 2 ends with it, 3 equals it; any other
// value never matches. compareMode: 0 exact code points, any other value ignores letter case
// (Latin, Greek and Cyrillic), the same on every build. Both texts are UTF-8 and are compared
// character by character. An empty pattern matches every text in modes 0 and 2, every
// non-empty text in mode 1 and only the empty text in mode 3.
bool MatchText(std::string_view pattern, std::string_view text, int matchMode, int compareMode);

}  // namespace kvr::modCadenas
