#include "mainwin/web_page.h"

#include <cctype>

namespace kvr {

namespace {

bool startsWithNoCase(std::string_view text, std::string_view start) {
    if (text.size() < start.size()) return false;
    for (std::size_t i = 0; i < start.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != start[i]) return false;
    }
    return true;
}

bool allowed(unsigned char c) {
    // Letters beyond ASCII come as UTF-8 bytes; an international address keeps them.
    if (c >= 0x80) return true;
    if (c <= 0x20 || c == 0x7F) return false;
    constexpr std::string_view refused = "\"'<>\\^`{|}";
    return refused.find(static_cast<char>(c)) == std::string_view::npos;
}

}  // namespace

bool isWebAddress(std::string_view address) {
    std::size_t scheme = 0;
    if (startsWithNoCase(address, "https://")) {
        scheme = 8;
    } else if (startsWithNoCase(address, "http://")) {
        scheme = 7;
    } else {
        return false;
    }
    const std::string_view rest = address.substr(scheme);
    // A host must follow: "https:///x" or "https://" alone name none.
    if (rest.empty() || rest.front() == '/' || rest.front() == '?' || rest.front() == '#') {
        return false;
    }
    for (unsigned char c : address) {
        if (!allowed(c)) return false;
    }
    return true;
}

}  // namespace kvr
