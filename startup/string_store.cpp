#include "startup/string_store.h"

#include "base/text.h"
#include "platform/services.h"

namespace kvr::stringstore {

std::optional<std::string> unscramble(std::string_view stored) {
    std::string plain(stored.size(), '\0');
    for (std::size_t j = 0; j < stored.size(); ++j) {
        const auto key = static_cast<unsigned char>(j % 5 + 1);
        const auto byte = static_cast<unsigned char>(stored[j]);
        if (byte < key) return std::nullopt;
        plain[j] = static_cast<char>(byte - key);
    }
    return plain;
}

std::string scramble(std::string_view plain) {
    std::string stored(plain.size(), '\0');
    for (std::size_t j = 0; j < plain.size(); ++j) {
        stored[j] = static_cast<char>(static_cast<unsigned char>(plain[j]) + j % 5 + 1);
    }
    return stored;
}

namespace {

std::string marker(int n) {
    return "|" + text::padded(n, 2) + "|=";
}

}  // namespace

std::string entry(std::string_view plain, int n) {
    if (n < 1 || n > 99) return {};
    const auto p = plain.find(marker(n));
    const auto q = plain.find(marker(n + 1));
    if (p == std::string_view::npos || q == std::string_view::npos) return {};
    // The entry ends with CR LF before the next marker; anything shorter is not an entry.
    if (q < p + 5 + 2) return {};
    return std::string(plain.substr(p + 5, q - p - 5 - 2));
}

}  // namespace kvr::stringstore

namespace kvr::modGeneral {

std::string GetStoredString(int n) {
    auto& system = platform::system();
    auto& files = platform::files();
    std::string stored;
    if (!files.readFile(system.appFolder() + StringStoreFile, stored)) return {};
    const auto plain = stringstore::unscramble(stored);
    if (!plain) return {};
    return files.ansiToUtf8(stringstore::entry(*plain, n));
}

}  // namespace kvr::modGeneral
