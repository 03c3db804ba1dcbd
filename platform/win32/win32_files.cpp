// Writing, renaming and deleting files: the part of the file port that changes the disk.
#include <windows.h>

#include <algorithm>

#include "platform/win32/text.h"
#include "platform/win32/win32_system.h"

namespace kvr::platform {

std::string Win32FileSystem::utf8ToAnsi(std::string_view text) {
    return win32::utf8ToAnsi(text);
}

bool Win32FileSystem::fitsAnsi(std::string_view text) {
    bool usedDefault = false;
    win32::utf8ToAnsi(text, &usedDefault);
    return !usedDefault;
}

std::uint32_t Win32FileSystem::getDriveType(const std::string& root) {
    return GetDriveTypeW(win32::toWide(root).c_str());
}

bool Win32FileSystem::fileExists(const std::string& path) {
    return GetFileAttributesW(win32::toWide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool Win32FileSystem::lastWriteTime(const std::string& path, std::uint64_t& time) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(win32::toWide(path).c_str(), GetFileExInfoStandard, &data)) {
        return false;
    }
    time = (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
           data.ftLastWriteTime.dwLowDateTime;
    return true;
}

bool Win32FileSystem::writeFile(const std::string& path, std::string_view bytes) {
    HANDLE file = CreateFileW(win32::toWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = true;
    for (std::size_t done = 0; ok && done < bytes.size();) {
        DWORD written = 0;
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
        ok = ::WriteFile(file, bytes.data() + done, chunk, &written, nullptr) && written > 0;
        done += written;
    }
    return CloseHandle(file) && ok;
}

bool Win32FileSystem::flushFile(const std::string& path) {
    HANDLE file = CreateFileW(win32::toWide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool ok = FlushFileBuffers(file);
    return CloseHandle(file) && ok;
}

bool Win32FileSystem::moveFile(const std::string& from, const std::string& to,
                               bool replaceExisting) {
    const DWORD flags = replaceExisting ? MOVEFILE_REPLACE_EXISTING : 0;
    return MoveFileExW(win32::toWide(from).c_str(), win32::toWide(to).c_str(), flags) != 0;
}

bool Win32FileSystem::deleteFile(const std::string& path) {
    return DeleteFileW(win32::toWide(path).c_str()) != 0;
}

bool Win32FileSystem::createFolder(const std::string& path) {
    const std::wstring wide = win32::toWide(path);
    if (CreateDirectoryW(wide.c_str(), nullptr)) return true;
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace kvr::platform
