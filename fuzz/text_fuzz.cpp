// Any bytes as text: decoding, cutting, folding, matching and sorting must stay in bounds and
// agree with one another.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

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

    // Cut one character at a time, the pieces give the text back, each a single character.
    std::string joined;
    for (std::size_t i = 0; i < length; ++i) {
        const std::string piece = text::characters(all, i, 1);
        check(text::decode(piece) == std::u32string(1, decoded[i]));
        joined += piece;
    }
    check(joined == all);

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
