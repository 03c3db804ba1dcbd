// Wires the real Windows services to the program and runs it.
#include <windows.h>
// Needs the types windows.h declares.
#include <shellapi.h>

#include <cstdlib>

#include "engine/hide_engine.h"
#include "mainwin/frm_ppal.h"
#include "mainwin/mod_sys_tray.h"
#include "platform/preferred_mixer.h"
#include "platform/services.h"
#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_icons.h"
#include "platform/win32/win32_input.h"
#include "platform/win32/win32_keyboard.h"
#include "platform/win32/win32_mixer.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_system.h"
#include "startup/mod_general.h"
#include "ui/win32/win32_backend.h"

namespace {

// The program's icon in kvr.rc.
constexpr int kProgramIcon = 1;

// What the crash handlers can still reach on the way down.
kvr::engine::HideEngine* running = nullptr;

void showEverythingHidden() noexcept {
    // Once: a fault while showing ends the program through here again.
    static bool begun = false;
    if (running && !begun) {
        begun = true;
        running->ShowEverythingHidden();
    }
}

LONG WINAPI onCrash(EXCEPTION_POINTERS*) {
    showEverythingHidden();
    return EXCEPTION_CONTINUE_SEARCH;
}

// "kvr.exe /recover", as the uninstaller runs it before it removes the program.
bool recoverOnly() {
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (args == nullptr) return false;
    bool found = false;
    for (int i = 1; i < count; ++i) found = found || lstrcmpiW(args[i], L"/recover") == 0;
    LocalFree(args);
    return found;
}

}  // namespace

// The runtime's handler of an exception nobody catches, in place of its default one, from the
// first instruction on: whatever goes wrong, no window the user hid may stay out of reach. The
// default prints the exception's demangled type to a console this program does not have, and
// its demangler alone was a twentieth of the executable.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
    showEverythingHidden();
    std::abort();
}
}  // namespace __gnu_cxx

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    kvr::platform::Win32Registry registry;
    kvr::platform::Win32MessageQueue queue;
    kvr::platform::Win32System system;
    kvr::platform::Win32FileSystem files;
    kvr::platform::Win32Desktop desktop;
    // The computer's volume where Windows lets a program set it, else the winmm mixer's.
    kvr::platform::Win32CoreAudioMixer endpointMixer;
    kvr::platform::Win32WinmmMixer winmmMixer;
    kvr::platform::PreferredMixer mixer(endpointMixer, winmmMixer);
    kvr::platform::Win32Shell shell;
    kvr::platform::Win32Keyboard keyboard;
    kvr::platform::Win32Icons icons;
    kvr::platform::Win32Input input;
    kvr::platform::install(
        {&registry, &queue, &system, &files, &desktop, &mixer, &shell, &keyboard, &icons, &input});
    if (recoverOnly()) {
        // What a killed copy in this session left hidden comes back; the journals that nothing
        // can use any more go, and those of copies still running elsewhere stay. No window, no
        // hotkey, and no refusal for a copy that runs: its journal is its own.
        kvr::modSysTray::ShellTrayArea trayArea;
        kvr::engine::HideEngine engine(trayArea);
        engine.RecoverHiddenWindows();
        engine.journal.removeAbandoned();
        return 0;
    }
    // A crash outside C++'s exceptions too.
    SetUnhandledExceptionFilter(onCrash);

    kvr::ui::Win32Backend backend(instance, kProgramIcon);
    kvr::ui::setBackend(&backend);

    kvr::modSysTray::ShellTrayArea trayArea;
    kvr::engine::HideEngine engine(trayArea);
    running = &engine;
    const int code =
        kvr::modGeneral::Run([&engine] { return std::make_unique<kvr::frmPpal>(engine); });
    running = nullptr;
    kvr::ui::setBackend(nullptr);
    return code;
}
