// Any bytes as the string store: the lookup must neither crash nor read out of bounds.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "startup/string_store.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const int n = data[0] % 101;
    const std::string_view stored(reinterpret_cast<const char*>(data + 1), size - 1);
    if (auto plain = kvr::stringstore::unscramble(stored)) {
        const std::string text = kvr::stringstore::entry(*plain, n);
        if (text.size() > plain->size()) __builtin_trap();
    }
    // The plain form straight away reaches the marker search with arbitrary content.
    (void)kvr::stringstore::entry(stored, n);
    return 0;
}
