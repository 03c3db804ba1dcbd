// Memory in another process, for the messages whose pointers a common control follows in its
// own process.
#pragma once

#include <windows.h>

namespace probe {

// A block of memory in a window's own process: messages to its common controls carry
// pointers, which must point there.
class RemoteBlock {
public:
    RemoteBlock(HWND window, SIZE_T size) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        process_ =
            OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (process_)
            at_ = static_cast<char*>(
                VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    }
    ~RemoteBlock() {
        if (at_) VirtualFreeEx(process_, at_, 0, MEM_RELEASE);
        if (process_) CloseHandle(process_);
    }
    RemoteBlock(const RemoteBlock&) = delete;
    RemoteBlock& operator=(const RemoteBlock&) = delete;

    char* at() const { return at_; }
    bool write(SIZE_T offset, const void* data, SIZE_T size) {
        SIZE_T moved = 0;
        return WriteProcessMemory(process_, at_ + offset, data, size, &moved) && moved == size;
    }
    bool read(SIZE_T offset, void* data, SIZE_T size) {
        SIZE_T moved = 0;
        return ReadProcessMemory(process_, at_ + offset, data, size, &moved) && moved == size;
    }

private:
    HANDLE process_ = nullptr;
    char* at_ = nullptr;
};

}  // namespace probe
