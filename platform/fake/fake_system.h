// Process-wide services for tests: a settable application folder, screen and instance state,
// message boxes that are recorded and answered at once, and files held in memory.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/system.h"

namespace kvr::platform {

class FakeSystem : public System {
public:
    struct Box {
        Hwnd owner;
        std::string text;
        std::string caption;
        std::uint32_t style;
    };

    bool anotherInstanceRunning() override { return earlierInstance; }
    std::string appFolder() override { return folder; }
    std::string exeTitle() override { return title; }
    std::string localAppDataFolder() override { return localAppData; }
    std::uint32_t sessionId() override { return session; }
    std::uint32_t processId() override { return pid; }
    int screenWidth() override { return width; }
    int screenHeight() override { return height; }
    int messageBox(Hwnd owner, const std::string& text, const std::string& caption,
                   std::uint32_t style) override;
    bool openDocument(Hwnd, const std::string& target) override {
        opened.push_back(target);
        return true;
    }

    bool earlierInstance = false;
    std::string folder = "C:\\Program Files\\KVR";
    std::string title = "kvr";
    std::string localAppData = "C:\\Users\\user\\AppData\\Local";
    std::uint32_t session = 1;
    std::uint32_t pid = 3000;
    int width = 1280;
    int height = 800;
    std::vector<Box> boxes;
    // Runs while a box is open, before it is answered: what the box's own message loop would
    // deliver meanwhile.
    std::function<void(const Box&)> whileOpen;
    std::vector<std::string> opened;
};

// The steps of a file operation a test can make fail, as a locked file, a full disk or a power
// cut would.
enum class FileStep { Read, Write, Move, Delete, CreateFolder };

// Paths are compared without regard to case, as on Windows. A folder is there once a file was
// put into it or it was made; a file can be written only into a folder that is there.
class FakeFileSystem : public FileSystem {
public:
    bool readFile(const std::string& path, std::string& bytes) override;
    // ansiCodePage's table, a single-byte one.
    std::string ansiToUtf8(std::string_view bytes) override;
    // Only "*" and "?" in the file name part, as FindFirstFile takes them.
    std::vector<std::string> listFiles(const std::string& pattern) override;
    // The inverse of ansiToUtf8; a character the code page lacks becomes its look-alike, as
    // Windows' best fit gives it, or "?".
    std::string utf8ToAnsi(std::string_view text) override;
    bool fitsAnsi(std::string_view text) override;
    // From drives; a letter not there is no drive.
    std::uint32_t getDriveType(const std::string& root) override;
    bool fileExists(const std::string& path) override;
    bool lastWriteTime(const std::string& path, std::uint64_t& time) override;
    bool writeFile(const std::string& path, std::string_view bytes) override;
    bool flushFile(const std::string& path) override;
    bool moveFile(const std::string& from, const std::string& to, bool replaceExisting) override;
    bool deleteFile(const std::string& path) override;
    bool createFolder(const std::string& path) override;

    // Windows-1252 on the machines the program meets most; 1250 in Warsaw, 1251 in Moscow.
    int ansiCodePage = 1252;
    // Drive letters (upper case) and their kinds.
    std::map<char, std::uint32_t> drives{{'C', drive::kFixed}};

    void put(const std::string& path, std::string bytes);
    void erase(const std::string& path);
    bool exists(const std::string& path) const;
    std::size_t fileCount() const { return files_.size(); }
    void makeFolder(const std::string& folder);
    // Nothing can be created, changed or deleted in that folder, as without write permission.
    void makeReadOnly(const std::string& folder);
    // The next such step on that path fails, once. A failing write leaves the file holding its
    // first keptBytes bytes, as a write cut short does.
    void failNext(FileStep step, const std::string& path, std::size_t keptBytes = 0);

    // Every write, flush, move and delete asked for, failed ones included, in order:
    // "write PATH", "flush PATH", "move FROM TO", "delete PATH", "folder PATH".
    std::vector<std::string> changes;
    // The time a write or put gives its file, in Desktop::processStartTime's units; each write
    // moves it on a second.
    std::uint64_t clock = 133'900'000'000'000'000ull;

private:
    static std::string key(const std::string& path);
    static std::string folderOf(const std::string& path);
    bool writable(const std::string& path) const;
    bool failing(FileStep step, const std::string& path, std::size_t* keptBytes = nullptr);
    struct Failure {
        FileStep step;
        std::string path;  // key
        std::size_t keptBytes;
    };
    std::vector<Failure> failures_;
    std::set<std::string> folders_;   // keys
    std::set<std::string> readOnly_;  // keys
    // Keyed by the lower-case path; the name keeps the case it was put with.
    struct File {
        std::string path;
        std::string bytes;
        std::uint64_t written = 0;
    };
    std::uint64_t tick() { return clock += 10'000'000; }
    std::map<std::string, File> files_;
};

}  // namespace kvr::platform
