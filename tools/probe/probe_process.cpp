// Starting, waiting for and ending processes.
#include <utility>

#include "probe.h"
// clang-format off: needs windows.h first
#include <psapi.h>
#include <shlobj.h>
#include <tlhelp32.h>
// clang-format on

namespace probe {

Process::Process(Process&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), pid_(std::exchange(other.pid_, 0)) {}

Process& Process::operator=(Process&& other) noexcept {
    if (this != &other) {
        if (handle_) CloseHandle(handle_);
        handle_ = std::exchange(other.handle_, nullptr);
        pid_ = std::exchange(other.pid_, 0);
    }
    return *this;
}

Process::~Process() {
    if (handle_) CloseHandle(handle_);
}

bool Process::running() const {
    return handle_ && WaitForSingleObject(handle_, 0) == WAIT_TIMEOUT;
}

bool Process::wait(DWORD timeoutMs, DWORD* code) const {
    if (!handle_ || WaitForSingleObject(handle_, timeoutMs) != WAIT_OBJECT_0) return false;
    if (code) GetExitCodeProcess(handle_, code);
    return true;
}

void Process::kill() const {
    if (running()) {
        TerminateProcess(handle_, 1);
        WaitForSingleObject(handle_, 5000);
    }
}

std::optional<Process> startProcess(const std::string& exePath, const std::string& args,
                                    std::string* error) {
    std::wstring exe = widen(exePath);
    std::wstring cmd = L"\"" + exe + L"\"";
    if (!args.empty()) cmd += L" " + widen(args);
    // The program finds its Lng folder beside itself; start it in its own folder as a user would.
    std::wstring dir = exe.substr(0, exe.find_last_of(L"\\/"));
    // No standard handles: a child left holding the caller's stdout pipe would keep a shell's
    // $(...) or ctest waiting for as long as it runs.
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        dir.empty() ? nullptr : dir.c_str(), &si, &pi)) {
        if (error)
            *error =
                "CreateProcess(" + exePath + ") failed, error " + std::to_string(GetLastError());
        return std::nullopt;
    }
    CloseHandle(pi.hThread);
    return Process(pi.hProcess, pi.dwProcessId);
}

std::optional<Process> openProcess(DWORD pid) {
    HANDLE h = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION, FALSE, pid);
    if (!h) return std::nullopt;
    return Process(h, pid);
}

std::vector<DWORD> processesNamed(const std::string& exeName) {
    std::vector<DWORD> out;
    std::wstring want = widen(exeName);
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return out;
    PROCESSENTRY32W pe{};
    pe.dwSize = sizeof pe;
    for (BOOL more = Process32FirstW(snap, &pe); more; more = Process32NextW(snap, &pe))
        if (_wcsicmp(pe.szExeFile, want.c_str()) == 0) out.push_back(pe.th32ProcessID);
    CloseHandle(snap);
    return out;
}

int killProcessesNamed(const std::string& exeName, DWORD timeoutMs) {
    int killed = 0;
    for (DWORD pid : processesNamed(exeName)) {
        if (auto p = openProcess(pid)) {
            TerminateProcess(p->handle(), 1);
            if (p->wait(timeoutMs)) ++killed;
        }
    }
    return killed;
}

std::string hiddenJournal() {
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)))
        return {};
    DWORD session = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &session);
    return narrow(folder) + "\\KVR\\hidden-" + std::to_string(session) + ".dat";
}

bool processMemory(DWORD pid, std::size_t* workingSet, std::size_t* privateBytes) {
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!process) return false;
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    const bool ok = GetProcessMemoryInfo(
        process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
    CloseHandle(process);
    if (!ok) return false;
    *workingSet = counters.WorkingSetSize;
    *privateBytes = counters.PrivateUsage;
    return true;
}

std::optional<bool> moduleLoaded(DWORD pid, const std::string& fileName) {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
    if (snap == INVALID_HANDLE_VALUE) return std::nullopt;
    const std::wstring want = widen(fileName);
    MODULEENTRY32W module{};
    module.dwSize = sizeof module;
    bool found = false;
    for (BOOL more = Module32FirstW(snap, &module); more && !found;
         more = Module32NextW(snap, &module)) {
        found = _wcsicmp(module.szModule, want.c_str()) == 0;
    }
    CloseHandle(snap);
    return found;
}

}  // namespace probe
