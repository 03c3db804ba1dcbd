// The real process-wide services, message queue and files.
#pragma once

#include "platform/message_queue.h"
#include "platform/system.h"

namespace kvr::platform {

// The mutex whose name marks a running copy of the program in this session.
inline constexpr wchar_t kInstanceMutexName[] = L"Local\\KVR.Instance.{6A1E3C52-5B1D-4C1B-9E77}";

class Win32System : public System {
public:
    ~Win32System() override;
    bool anotherInstanceRunning() override;
    std::string appFolder() override;
    std::string exeTitle() override;
    std::string localAppDataFolder() override;
    std::uint32_t sessionId() override;
    std::uint32_t processId() override;
    int screenWidth() override;
    int screenHeight() override;
    int messageBox(Hwnd owner, const std::string& text, const std::string& caption,
                   std::uint32_t style) override;
    bool openDocument(Hwnd owner, const std::string& target) override;

private:
    void* mutex_ = nullptr;
    bool asked_ = false;
    bool earlier_ = false;
};

class Win32MessageQueue : public MessageQueue {
public:
    bool registerHotKey(Hwnd window, int id, std::uint32_t modifiers,
                        std::uint32_t virtualKey) override;
    bool unregisterHotKey(Hwnd window, int id) override;
    bool postHotKey(Hwnd window, std::uint32_t id) override;
    void waitMessage() override;
    bool peekHotKey(std::uint32_t& id) override;
    using MessageQueue::dispatchPending;
    void dispatchPending(const HotKeyHandler& onHotKey) override;
};

class Win32FileSystem : public FileSystem {
public:
    bool readFile(const std::string& path, std::string& bytes) override;
    std::string ansiToUtf8(std::string_view bytes) override;
    std::vector<std::string> listFiles(const std::string& pattern) override;
    std::string utf8ToAnsi(std::string_view text) override;
    bool fitsAnsi(std::string_view text) override;
    std::uint32_t getDriveType(const std::string& root) override;
    bool fileExists(const std::string& path) override;
    bool lastWriteTime(const std::string& path, std::uint64_t& time) override;
    bool writeFile(const std::string& path, std::string_view bytes) override;
    bool flushFile(const std::string& path) override;
    bool moveFile(const std::string& from, const std::string& to, bool replaceExisting) override;
    bool deleteFile(const std::string& path) override;
    bool createFolder(const std::string& path) override;
};

}  // namespace kvr::platform
