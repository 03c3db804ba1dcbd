// Process-wide services: instance detection, where the program lives, the screen, message
// boxes and files.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/types.h"

namespace kvr::platform {

namespace mb {
inline constexpr std::uint32_t kOk = 0x0;
inline constexpr std::uint32_t kIconExclamation = 0x30;
}  // namespace mb

class System {
public:
    virtual ~System() = default;

    // True when an earlier instance of the program is running in this session. The first call
    // claims the name for this process for as long as it lives.
    virtual bool anotherInstanceRunning() = 0;
    // The executable's folder, without a trailing "\" except at a drive root ("C:\").
    virtual std::string appFolder() = 0;
    // The executable's file name without its extension.
    virtual std::string exeTitle() = 0;
    // The user's local application data folder (CSIDL_LOCAL_APPDATA), without a trailing "\";
    // "" when the system does not say.
    virtual std::string localAppDataFolder() = 0;
    // The logon session this process runs in. One user's sessions share that folder, and a
    // copy of the program may run in each.
    virtual std::uint32_t sessionId() = 0;
    // This process's id.
    virtual std::uint32_t processId() = 0;
    virtual int screenWidth() = 0;   // pixels
    virtual int screenHeight() = 0;  // pixels
    // Modal; returns the button id.
    virtual int messageBox(Hwnd owner, const std::string& text, const std::string& caption,
                           std::uint32_t style) = 0;
    // Opens a document or address with the program the shell associates with it (help files,
    // web pages); false when the shell could not.
    virtual bool openDocument(Hwnd owner, const std::string& target) = 0;
};

// GetDriveType results.
namespace drive {
inline constexpr std::uint32_t kUnknown = 0;
inline constexpr std::uint32_t kNoRootDir = 1;  // no such drive
inline constexpr std::uint32_t kRemovable = 2;
inline constexpr std::uint32_t kFixed = 3;
inline constexpr std::uint32_t kRemote = 4;  // a network share
inline constexpr std::uint32_t kCdRom = 5;
inline constexpr std::uint32_t kRamDisk = 6;
}  // namespace drive

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Reads the whole file as bytes; false when it is missing or unreadable. Never creates it.
    virtual bool readFile(const std::string& path, std::string& bytes) = 0;
    // Bytes in the system's ANSI code page to UTF-8.
    virtual std::string ansiToUtf8(std::string_view bytes) = 0;
    // Names (not paths) of the files matching a pattern such as "C:\KVR\Lng\KVR_*.*", in the
    // order the file system returns them.
    virtual std::vector<std::string> listFiles(const std::string& pattern) = 0;

    // UTF-8 to the system's ANSI code page. A character the code page lacks becomes the
    // look-alike the system's best fit gives ("l" for "\xC5\x82" in Windows-1252), or "?" when
    // there is none.
    virtual std::string utf8ToAnsi(std::string_view text) = 0;
    // False when utf8ToAnsi would turn a character of the text into "?".
    virtual bool fitsAnsi(std::string_view text) = 0;
    // GetDriveTypeW of a drive's root, such as "C:\\": a drive:: kind, from the system's record
    // of its drives; a network drive is not asked and cannot keep the caller waiting.
    virtual std::uint32_t getDriveType(const std::string& root) = 0;
    // True when a file or folder of that name is there (GetFileAttributesW).
    virtual bool fileExists(const std::string& path) = 0;
    // When the file was last written, in the units of Desktop::processStartTime; false when it
    // is not there.
    virtual bool lastWriteTime(const std::string& path, std::uint64_t& time) = 0;
    // Creates the file or empties it and writes the bytes (CREATE_ALWAYS, WriteFile) into the
    // system's cache, which a killed process cannot lose and a power cut can. False when any
    // step failed; the file may then be left cut short.
    virtual bool writeFile(const std::string& path, std::string_view bytes) = 0;
    // FlushFileBuffers: what was written to the file is on the disk when it returns. False when
    // the file cannot be opened for writing.
    virtual bool flushFile(const std::string& path) = 0;
    // MoveFileExW: renames a file. An existing target makes it fail, unless replaceExisting,
    // when the target is replaced in one step: whoever looks finds the old file or the new one,
    // never neither.
    virtual bool moveFile(const std::string& from, const std::string& to, bool replaceExisting) = 0;
    // DeleteFileW; false when there was no such file or it could not be deleted.
    virtual bool deleteFile(const std::string& path) = 0;
    // CreateDirectoryW: one folder, in a folder that is there. True when it is there afterwards,
    // made now or before.
    virtual bool createFolder(const std::string& path) = 0;
};

}  // namespace kvr::platform
