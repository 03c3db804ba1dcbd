// Any bytes as text: decoding, cutting, folding, matching and sorting must stay in bounds and
// agree with one another.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/text.h"
#include "engine/mod_cadenas.h"

namespace {

void check(bool ok) {
    if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kvr;
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    const std::u32string decoded = text::decode(all);
    const std::size_t length = text::length(all);
    check(decoded.size() == length && length <= size);

    // Walked one character at a time, each piece decodes to that character alone, and cutting
    // by characters gives the same bytes.
    std::vector<std::size_t> starts;
    for (std::size_t at = 0; at < size;) {
        starts.push_back(at);
        const char32_t c = text::next(all, at);
        check(starts.size() <= length && c == decoded[starts.size() - 1]);
        check(text::decode(all.substr(starts.back(), at - starts.back())) == std::u32string(1, c));
    }
    check(starts.size() == length);
    starts.push_back(size);
    for (const std::size_t first : {std::size_t{0}, length / 3, length / 2, length}) {
        for (const std::size_t count : {std::size_t{0}, std::size_t{1}, std::size_t{3}, size}) {
            const std::size_t end = std::min(first + count, length);
            check(text::characters(all, first, count) ==
                  all.substr(starts[first], starts[end] - starts[first]));
        }
    }

    for (const char32_t c : decoded) check(text::fold(text::fold(c)) == text::fold(c));

    // Split between characters, so each half decodes to its share of the whole.
    const std::string a = text::characters(all, 0, length / 2);
    const std::string_view b = all.substr(a.size());
    const int ab = text::collate(a, b);
    const int ba = text::collate(b, a);
    check((ab < 0) == (ba > 0) && (ab == 0) == (ba == 0));
    check(text::collate(all, all) == 0);

    check(modCadenas::MatchText(all, all, 3, 1) && modCadenas::MatchText(a, all, 0, 1) &&
          modCadenas::MatchText(b, all, 2, 0));
    (void)modCadenas::MatchText(b, a, 1, 1);
    (void)text::isNumeric(all);
    return 0;
}
