// Process-wide services for tests: a settable application folder, screen and instance state,
// message boxes that are recorded and answered at once, and files held in memory.
#pragma once

#include <map>
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
    int width = 1280;
    int height = 800;
    std::vector<Box> boxes;
    std::vector<std::string> opened;
};

// Paths are compared without regard to case, as on Windows.
class FakeFileSystem : public FileSystem {
public:
    bool readFile(const std::string& path, std::string& bytes) override;
    // Windows-1252, the usual ANSI code page of the machines the program meets.
    std::string ansiToUtf8(std::string_view bytes) override;
    // Only "*" and "?" in the file name part, as FindFirstFile takes them.
    std::vector<std::string> listFiles(const std::string& pattern) override;

    void put(const std::string& path, std::string bytes);
    void erase(const std::string& path);
    bool exists(const std::string& path) const;
    std::size_t fileCount() const { return files_.size(); }

private:
    static std::string key(const std::string& path);
    // Keyed by the lower-case path; the name keeps the case it was put with.
    struct File {
        std::string path;
        std::string bytes;
    };
    std::map<std::string, File> files_;
};

}  // namespace kvr::platform
