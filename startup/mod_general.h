// Start-up of the program, and the routines it shares with the other windows.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "startup/mod_mensajes.h"
#include "startup/string_store.h"
#include "ui/form.h"

namespace kvr {
class clsWBD;
class frmSplash;
}  // namespace kvr

namespace kvr::modGeneral {

// The application's help file, opened by the help commands.
inline std::string HelpFile;

// Back to the state before the start-up: no help file, no string store, no splash window.
void resetForTests();

// The start-up routine: language, help file, single instance, settings, splash window. Returns
// false when another instance runs and this one must end.
bool Main();
// The splash window while it is loaded (between Main and the hand-over).
frmSplash* Splash();
// Makes the main window the hand-over loads; its caller owns what the window works on.
using MainWindowFactory = std::function<std::unique_ptr<modMensajes::HotkeyWindow>()>;

// Runs the whole program: the start-up, the splash window's time and the hand-over, which
// returns when the main loop has ended. The process exit code.
int Run(const MainWindowFactory& makeMainWindow);

// Opens the help file, as F1 in any window of the program does: the shell hands the
// language's compiled help to its viewer.
void OpenHelpFile(ui::Form& form);

// Centres the window on the screen.
void CenterForm(ui::Form& form);

// Makes sure the keys exist and every option has a usable value, then brings the Run entry in
// line with the autostart option.
void PrepareSettings(clsWBD& registry);
// Writes, corrects or removes the Run entry according to OR (or writes it when forced). The
// entry lives in the machine's Run key, or in the user's when the machine's refuses the write
// and holds no entry; there is never an entry in both. Turning autostart off removes it from
// both. Returns the machine's entry when it stays against OR, which this account may not
// change: one that starts another copy of the program, or one left while autostart is off.
std::optional<std::string> SyncAutostart(clsWBD& registry, bool force);

// The Run entry's text for this executable: its full path in double quotes.
std::string AutostartCommand();
// The help file of a language.
std::string HelpFileFor(const std::string& language);
// Keeps a language the user chose: stores it as the language setting and opens its help file
// from now on.
void RememberLanguage(const std::string& language);

}  // namespace kvr::modGeneral
