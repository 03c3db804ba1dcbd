// Web addresses come from the language files, which anyone can edit: only a plain http or https
// address may reach the shell, never a program, a local file or a script.
#pragma once

#include <string_view>

namespace kvr {

// An "http://" or "https://" address (scheme in any letter case) with a host, and without
// blanks, control characters, quotes or the characters that could end an address early or
// make it more than one argument.
bool isWebAddress(std::string_view address);

}  // namespace kvr
