// Wires the real Windows services to the program and runs it.
#include <windows.h>

#include <cstdlib>
#include <exception>

#include "mainwin/frm_ppal.h"
#include "platform/services.h"
#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_system.h"
#include "startup/mod_general.h"
#include "ui/win32/win32_backend.h"

namespace {

LONG WINAPI onCrash(EXCEPTION_POINTERS*) {
    kvr::ShowEverythingHidden();
    return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    kvr::platform::Win32Registry registry;
    kvr::platform::Win32MessageQueue queue;
    kvr::platform::Win32System system;
    kvr::platform::Win32FileSystem files;
    kvr::platform::Win32Desktop desktop;
    kvr::platform::install({&registry, &queue, &system, &files, &desktop});
    // Whatever goes wrong, no window the user hid may stay out of reach.
    SetUnhandledExceptionFilter(onCrash);
    std::set_terminate([] {
        kvr::ShowEverythingHidden();
        std::abort();
    });

    kvr::ui::Win32Backend backend(instance);
    kvr::ui::setBackend(&backend);

    const int code = kvr::modGeneral::Run();
    kvr::ui::setBackend(nullptr);
    return code;
}
