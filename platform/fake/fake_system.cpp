#include "platform/fake/fake_system.h"

#include <cctype>

namespace kvr::platform {

int FakeSystem::messageBox(Hwnd owner, const std::string& text, const std::string& caption,
                           std::uint32_t style) {
    boxes.push_back({owner, text, caption, style});
    return 1;  // IDOK
}

std::string FakeFileSystem::key(const std::string& path) {
    std::string k = path;
    for (char& c : k) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return k;
}

bool FakeFileSystem::readFile(const std::string& path, std::string& bytes) {
    if (failing(FileStep::Read, path)) return false;
    auto it = files_.find(key(path));
    if (it == files_.end()) return false;
    bytes = it->second.bytes;
    return true;
}

void FakeFileSystem::put(const std::string& path, std::string bytes) {
    makeFolder(folderOf(path));
    files_[key(path)] = {path, std::move(bytes), tick()};
}

namespace {

bool wildcardMatch(const char* pattern, const char* name) {
    if (*pattern == '\0') return *name == '\0';
    if (*pattern == '*') {
        for (const char* n = name;; ++n) {
            if (wildcardMatch(pattern + 1, n)) return true;
            if (*n == '\0') return false;
        }
    }
    if (*name == '\0') return false;
    const bool same = *pattern == '?' || std::tolower(static_cast<unsigned char>(*pattern)) ==
                                             std::tolower(static_cast<unsigned char>(*name));
    return same && wildcardMatch(pattern + 1, name + 1);
}

}  // namespace

std::vector<std::string> FakeFileSystem::listFiles(const std::string& pattern) {
    const auto slash = pattern.find_last_of('\\');
    const std::string folder = key(pattern.substr(0, slash + 1));
    const std::string namePattern = pattern.substr(slash + 1);
    std::vector<std::string> names;
    for (const auto& [k, file] : files_) {
        if (k.compare(0, folder.size(), folder) != 0) continue;
        const std::string name = file.path.substr(folder.size());
        // As FindFirstFile does, a trailing ".*" also takes names without an extension.
        const bool dotStar = namePattern.size() >= 2 &&
                             namePattern.compare(namePattern.size() - 2, 2, ".*") == 0 &&
                             name.find('.') == std::string::npos;
        const std::string effective =
            dotStar ? namePattern.substr(0, namePattern.size() - 2) : namePattern;
        if (name.find('\\') == std::string::npos &&
            wildcardMatch(effective.c_str(), name.c_str())) {
            names.push_back(name);
        }
    }
    return names;
}

void FakeFileSystem::erase(const std::string& path) {
    files_.erase(key(path));
}

bool FakeFileSystem::exists(const std::string& path) const {
    return files_.count(key(path)) != 0;
}

namespace {

// 0x80..0x9F of Windows-1252; the five holes map to themselves, as Windows does.
constexpr char16_t kHigh1252[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void appendUtf8(std::string& out, char16_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

std::string FakeFileSystem::ansiToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (unsigned char b : bytes) {
        appendUtf8(out, b >= 0x80 && b < 0xA0 ? kHigh1252[b - 0x80] : char16_t{b});
    }
    return out;
}

std::string FakeFileSystem::utf8ToAnsi(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        const int length = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : 4;
        char32_t c = length == 1 ? b : length == 2 ? b & 0x1F : length == 3 ? b & 0x0F : b & 0x07;
        for (int k = 1; k < length && i + k < text.size(); ++k) {
            c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        }
        i += static_cast<std::size_t>(length);
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            out += static_cast<char>(c);
            continue;
        }
        char ansi = '?';
        for (int k = 0; k < 32; ++k) {
            if (kHigh1252[k] == c) ansi = static_cast<char>(0x80 + k);
        }
        out += ansi;
    }
    return out;
}

std::string FakeFileSystem::folderOf(const std::string& path) {
    const auto slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

void FakeFileSystem::makeFolder(const std::string& folder) {
    for (std::string f = key(folder); !f.empty(); f = folderOf(f)) {
        if (!folders_.insert(f).second) break;
    }
}

void FakeFileSystem::makeReadOnly(const std::string& folder) {
    readOnly_.insert(key(folder));
}

void FakeFileSystem::failNext(FileStep step, const std::string& path, std::size_t keptBytes) {
    failures_.push_back({step, key(path), keptBytes});
}

bool FakeFileSystem::failing(FileStep step, const std::string& path, std::size_t* keptBytes) {
    const std::string k = key(path);
    for (auto it = failures_.begin(); it != failures_.end(); ++it) {
        if (it->step != step || it->path != k) continue;
        if (keptBytes != nullptr) *keptBytes = it->keptBytes;
        failures_.erase(it);
        return true;
    }
    return false;
}

bool FakeFileSystem::writable(const std::string& path) const {
    const std::string folder = key(folderOf(path));
    return folders_.count(folder) != 0 && readOnly_.count(folder) == 0 &&
           folders_.count(key(path)) == 0;
}

bool FakeFileSystem::fileExists(const std::string& path) {
    return exists(path) || folders_.count(key(path)) != 0;
}

bool FakeFileSystem::lastWriteTime(const std::string& path, std::uint64_t& time) {
    const auto it = files_.find(key(path));
    if (it == files_.end()) return false;
    time = it->second.written;
    return true;
}

bool FakeFileSystem::writeFile(const std::string& path, std::string_view bytes) {
    changes.push_back("write " + path);
    if (!writable(path)) return false;
    std::size_t kept = 0;
    if (failing(FileStep::Write, path, &kept)) {
        files_[key(path)] = {path, std::string(bytes.substr(0, kept)), tick()};
        return false;
    }
    files_[key(path)] = {path, std::string(bytes), tick()};
    return true;
}

bool FakeFileSystem::flushFile(const std::string& path) {
    changes.push_back("flush " + path);
    return exists(path) && writable(path);
}

bool FakeFileSystem::moveFile(const std::string& from, const std::string& to,
                              bool replaceExisting) {
    changes.push_back("move " + from + " " + to);
    const auto source = files_.find(key(from));
    if (source == files_.end() || !writable(from) || !writable(to)) return false;
    if (exists(to) && !replaceExisting) return false;
    if (failing(FileStep::Move, from)) return false;
    File moved{to, std::move(source->second.bytes), source->second.written};
    files_.erase(source);
    files_[key(to)] = std::move(moved);
    return true;
}

bool FakeFileSystem::deleteFile(const std::string& path) {
    changes.push_back("delete " + path);
    if (!exists(path) || !writable(path) || failing(FileStep::Delete, path)) return false;
    files_.erase(key(path));
    return true;
}

bool FakeFileSystem::createFolder(const std::string& path) {
    changes.push_back("folder " + path);
    const std::string k = key(path);
    if (folders_.count(k) != 0) return true;
    if (exists(path) || !writable(path) || failing(FileStep::CreateFolder, path)) return false;
    folders_.insert(k);
    return true;
}

}  // namespace kvr::platform
