// Text conversions and the language-file lookup the probe needs to know what to expect.
#include <cstdio>
#include <cstdlib>

#include "probe.h"

namespace probe {

std::wstring widen(std::string_view utf8) {
    if (utf8.empty()) return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring out(n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), out.data(), n);
    return out;
}

std::string narrow(std::wstring_view wide) {
    if (wide.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), nullptr, 0, nullptr,
                                nullptr);
    std::string out(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::string ansiFileToUtf8(const std::string& bytes) {
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) return bytes.substr(3);
    if (bytes.empty()) return {};
    int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), int(bytes.size()), nullptr, 0);
    std::wstring wide(n, L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), int(bytes.size()), wide.data(), n);
    return narrow(wide);
}

std::string hwndText(HWND hwnd) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "0x%08lx",
                  static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(hwnd)));
    return buf;
}

HWND parseHwnd(const std::string& text) {
    return reinterpret_cast<HWND>(static_cast<ULONG_PTR>(std::strtoull(text.c_str(), nullptr, 0)));
}

std::string quote(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                out += c;
        }
    }
    return out + "\"";
}

std::string exeDir() {
    wchar_t path[MAX_PATH * 4];
    DWORD n = GetModuleFileNameW(nullptr, path, DWORD(std::size(path)));
    std::wstring p(path, n);
    auto slash = p.find_last_of(L"\\/");
    return narrow(slash == std::wstring::npos ? L"." : p.substr(0, slash));
}

std::optional<std::string> readFile(const std::string& path) {
    HANDLE f = CreateFileW(widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string out;
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(f, buf, sizeof buf, &got, nullptr) && got > 0) out.append(buf, got);
    CloseHandle(f);
    return out;
}

std::optional<std::string> languageEntry(const std::string& path, const std::string& key) {
    auto bytes = readFile(path);
    if (!bytes) return std::nullopt;
    std::string text = ansiFileToUtf8(*bytes);
    // Like the program: the first occurrence anywhere, the value ends at the line end.
    std::string marker = "[" + key + "]=";
    auto at = text.find(marker);
    if (at == std::string::npos) return std::nullopt;
    auto start = at + marker.size();
    auto end = text.find_first_of("\r\n", start);
    return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::vector<std::string> splitParts(const std::string& value) {
    std::vector<std::string> parts;
    std::string::size_type start = 0;
    for (;;) {
        auto bar = value.find('|', start);
        parts.push_back(value.substr(start, bar == std::string::npos ? bar : bar - start));
        if (bar == std::string::npos) return parts;
        start = bar + 1;
    }
}

}  // namespace probe
