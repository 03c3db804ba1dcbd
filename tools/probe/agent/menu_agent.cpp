// kvr_probe_agent.dll: reads a window's menu bar from inside the window's own process.
// Wine keeps menus in the owning process, so GetMenuItemCount and friends fail on another
// process's menu; the probe hooks this DLL into the target's message retrieval instead and
// collects the items through a named shared block.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cwchar>
#include <iterator>

#include "../agent_protocol.h"

namespace {

struct Writer {
    probe::agent::Block* block;
    size_t used = 0;
    void put(const wchar_t* text) {
        size_t cap = std::size(block->items) - 1;
        while (*text && used < cap) block->items[used++] = *text++;
        block->items[used] = L'\0';
    }
};

void walk(HMENU menu, int depth, Writer& out) {
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        wchar_t text[512] = {};
        GetMenuStringW(menu, UINT(i), text, int(std::size(text)), MF_BYPOSITION);
        HMENU sub = GetSubMenu(menu, i);
        UINT id = GetMenuItemID(menu, i);
        wchar_t head[40];
        std::swprintf(head, std::size(head), L"%d\t%u\t", depth, (sub || id == UINT(-1)) ? 0u : id);
        out.put(head);
        out.put(text);
        out.put(L"\n");
        if (sub) walk(sub, depth + 1, out);
    }
}

void answer(HWND hwnd) {
    wchar_t name[64];
    probe::agent::blockName(GetCurrentProcessId(), name);
    HANDLE mapping = OpenFileMappingW(FILE_MAP_WRITE, FALSE, name);
    if (!mapping) return;
    auto* block = static_cast<probe::agent::Block*>(
        MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(probe::agent::Block)));
    if (block) {
        Writer out{block};
        HMENU bar = GetMenu(hwnd);
        block->hasMenu = bar != nullptr;
        if (bar) walk(bar, 0, out);
        InterlockedExchange(&block->done, 1);
        UnmapViewOfFile(block);
    }
    CloseHandle(mapping);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK
    KvrProbeAgentHook(int code, WPARAM wp, LPARAM lp) {
    static const UINT request = RegisterWindowMessageW(probe::agent::kRequestMessage);
    if (code == HC_ACTION && wp == PM_REMOVE) {
        auto* msg = reinterpret_cast<MSG*>(lp);
        if (msg->message == request) {
            answer(msg->hwnd);
            msg->message = WM_NULL;  // the program never sees the request
        }
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}
