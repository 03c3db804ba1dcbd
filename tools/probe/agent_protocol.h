// What the probe and its in-process agent DLL share: a named block per target process.
#pragma once

#include <windows.h>

#include <cwchar>

namespace probe::agent {

inline constexpr const wchar_t* kDllName = L"kvr_probe_agent.dll";
inline constexpr const char* kHookExport = "KvrProbeAgentHook";
inline constexpr const wchar_t* kRequestMessage = L"KVR_PROBE_AGENT_MENU";

struct Block {
    LONG done;             // set by the agent once items is filled
    LONG hasMenu;          // the window has a menu bar
    wchar_t items[32768];  // "depth\tid\ttext\n" per item, depth first
};

inline void blockName(DWORD pid, wchar_t (&out)[64]) {
    std::swprintf(out, 64, L"Local\\kvr_probe_agent_%lu", static_cast<unsigned long>(pid));
}

}  // namespace probe::agent
