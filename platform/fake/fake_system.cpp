#include "platform/fake/fake_system.h"

#include <iconv.h>
#include <locale.h>

#include <cctype>
#include <memory>
#include <optional>

#include "base/text.h"

namespace kvr::platform {

int FakeSystem::messageBox(Hwnd owner, const std::string& text, const std::string& caption,
                           std::uint32_t style) {
    boxes.push_back({owner, text, caption, style});
    // A copy: what runs meanwhile may open boxes of its own.
    if (whileOpen) whileOpen(Box(boxes.back()));
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

// Runs iconv over the whole input; nullopt when it stops at a character it cannot convert.
std::optional<std::string> convert(const std::string& to, const std::string& from,
                                   std::string_view in) {
    iconv_t cd = iconv_open(to.c_str(), from.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::string out(in.size() * 4 + 8, '\0');
    char* inPtr = const_cast<char*>(in.data());
    std::size_t inLeft = in.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    const std::size_t done = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (done == static_cast<std::size_t>(-1) || inLeft != 0) return std::nullopt;
    out.resize(out.size() - outLeft);
    return out;
}

// A single-byte code page as the system's tables hold it: the character of each byte, and for
// a character it lacks the look-alike Windows' best fit gives ("l" for "l with stroke").
class CodePage {
public:
    explicit CodePage(int number) : name_("CP" + std::to_string(number)) {
        for (int b = 0; b < 256; ++b) {
            const char byte = static_cast<char>(b);
            auto text = convert("UTF-8", name_, std::string_view(&byte, 1)).value_or("");
            // A byte the code page leaves unassigned (all above 0x7F) stands for the character
            // of that number, as Windows reads 1252's five holes.
            if (text.empty())
                text = {static_cast<char>(0xC0 | (b >> 6)), static_cast<char>(0x80 | (b & 0x3F))};
            bytes_[b] = text;
            characters_.try_emplace(text, byte);
        }
    }
    const std::string& decode(unsigned char b) const { return bytes_[b]; }
    // The byte of one character (UTF-8); nullopt when it has neither a byte nor a look-alike.
    std::optional<char> encode(const std::string& character) const {
        if (const auto it = characters_.find(character); it != characters_.end()) return it->second;
        // glibc takes its look-alikes from the locale's tables, and the plain C locale has none.
        static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
        const locale_t previous = utf8 ? uselocale(utf8) : locale_t{};
        const auto fit = convert(name_ + "//TRANSLIT", "UTF-8", character);
        if (utf8) uselocale(previous);
        if (fit && fit->size() == 1 && (*fit)[0] != '?') return (*fit)[0];
        return std::nullopt;
    }

private:
    std::string name_;
    std::string bytes_[256];
    std::map<std::string, char> characters_;
};

const CodePage& codePage(int number) {
    static std::map<int, std::unique_ptr<CodePage>> pages;
    auto& page = pages[number];
    if (!page) page = std::make_unique<CodePage>(number);
    return *page;
}

// The UTF-8 sequence that starts at i, and i moved past it.
std::string nextCharacter(std::string_view text, std::size_t& i) {
    const std::size_t start = i;
    text::next(text, i);
    return std::string(text.substr(start, i - start));
}

}  // namespace

std::string FakeFileSystem::ansiToUtf8(std::string_view bytes) {
    const CodePage& page = codePage(ansiCodePage);
    std::string out;
    out.reserve(bytes.size());
    for (unsigned char b : bytes) out += page.decode(b);
    return out;
}

std::string FakeFileSystem::utf8ToAnsi(std::string_view text) {
    const CodePage& page = codePage(ansiCodePage);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();)
        out += page.encode(nextCharacter(text, i)).value_or('?');
    return out;
}

std::uint32_t FakeFileSystem::getDriveType(const std::string& root) {
    if (root.size() != 3 || root[1] != ':' || root[2] != '\\') return drive::kNoRootDir;
    const auto it =
        drives.find(static_cast<char>(std::toupper(static_cast<unsigned char>(root[0]))));
    return it == drives.end() ? drive::kNoRootDir : it->second;
}

bool FakeFileSystem::fitsAnsi(std::string_view text) {
    const CodePage& page = codePage(ansiCodePage);
    for (std::size_t i = 0; i < text.size();) {
        if (!page.encode(nextCharacter(text, i))) return false;
    }
    return true;
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
