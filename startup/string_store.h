// The scrambled string store: a few texts (the registry paths of the settings, the value name of
// the language) kept in Lng\dde beside the language files rather than in the executable.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kvr::modGeneral {

// Set by the start-up before the first lookup; appended to the application folder.
inline std::string StringStoreFile;

// The text of entry n (1..99), or "" when the file is missing, the entry or the one after it is
// absent, or the file is corrupt. Reads the file afresh on every call.
std::string GetStoredString(int n);

}  // namespace kvr::modGeneral

namespace kvr::stringstore {

// Stored byte j (0-based) is the plain byte plus ((j mod 5) + 1). nullopt when a stored byte is
// smaller than its key: no plain file produces that, so the file is corrupt.
std::optional<std::string> unscramble(std::string_view stored);
std::string scramble(std::string_view plain);
// Entry n of the unscrambled bytes, still in the file's code page; "" when it cannot be found.
std::string entry(std::string_view plain, int n);

}  // namespace kvr::stringstore
