// Any bytes as a language file: lookups and splitting must stay in bounds and always give parts.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "translation/mod_traducir.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const char* key : {"001", "014", "0020", "0022", ""}) {
        if (auto value = kvr::langfile::lookUp(text, key)) {
            if (kvr::langfile::split(*value).empty()) __builtin_trap();
        }
    }
    return 0;
}
