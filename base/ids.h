// The numbers the program's parts agree on: hotkey slots and their ids, hide-method bits, the
// numbers of the messages in the language files and the entries of the string store.
#pragma once

#include <cstdint>
#include <optional>

namespace kvr::ids {

// What each hotkey slot does; the slot's settings are S<slot> and T<slot>.
enum class Slot : int {
    HideUnderMouse = 0,
    HideClassUnderMouse = 1,
    HideByTitle = 2,
    ShowLast = 3,
    ShowByClass = 4,
    ShowByTitle = 5,
    ShowAll = 6,
    ToggleMainWindow = 7,
    ToggleSound = 8,
    ToggleTrayArea = 9,
    HidePrograms = 10,
    ShowPrograms = 11,
};
inline constexpr int kSlots = 12;

// Slot 0 has the highest id that Windows leaves to applications; the others count down.
inline constexpr std::int32_t kFirstHotkeyId = 0xBFFF;

constexpr std::int32_t hotkeyId(int slot) {
    return kFirstHotkeyId - slot;
}
constexpr std::int32_t hotkeyId(Slot slot) {
    return hotkeyId(static_cast<int>(slot));
}
// The slot of a hotkey id; nothing for an id that belongs to no slot.
constexpr std::optional<Slot> slotOf(std::int32_t id) {
    const std::int32_t slot = kFirstHotkeyId - id;
    if (slot < 0 || slot >= kSlots) return std::nullopt;
    return static_cast<Slot>(slot);
}

// How a window was hidden. The same bits select, in SE and SR, the methods whose hiding mutes
// the sound and whose showing gives it back.
namespace method {
inline constexpr int kUnderMouse = 1;  // on the showing side: show last
inline constexpr int kByClass = 2;
inline constexpr int kByTitle = 4;
inline constexpr int kByProgram = 8;
}  // namespace method

// Messages of the language's message file.
namespace msg {
inline constexpr int kSelection = 1;       // about showing the selected entries
inline constexpr int kNothingFound = 2;    // a show or hide by class or title found nothing
inline constexpr int kByClassText = 3;     // the list's hidden-by text of a hide by class
inline constexpr int kNothingHidden = 4;   // show all or show last with nothing hidden
inline constexpr int kByTitleText = 5;     // the list's hidden-by text of a hide by title
inline constexpr int kUnderMouseText = 6;  // the list's hidden-by text of a hide under the mouse
inline constexpr int kTabDescriptions = 7;
inline constexpr int kNoTitleText = 9;  // hide by title with no title text to look for
inline constexpr int kAlreadyRunning = 14;
inline constexpr int kMakerPage = 18;
inline constexpr int kProductPage = 19;
inline constexpr int kFaqPage = 20;
inline constexpr int kOtherProductsPage = 21;
inline constexpr int kHideListNotSaved = 30;  // at exit: the edited program list was not saved
inline constexpr int kHotkeysRefused = 25;    // after OK: the slots whose combination was refused
// A program name or list text the ANSI code page (that of lsv.dat) cannot hold.
inline constexpr int kNotInCodePage = 40;
// After OK: a machine-wide autostart entry that this account can neither change nor remove.
inline constexpr int kAutostartStays = 41;
}  // namespace msg

// Entries of the scrambled string store.
namespace store {
inline constexpr int kLanguageValue = 1;  // value name of the language, in kLanguageKey
inline constexpr int kFirstKey = 2;       // keys created at start when missing, in this order
inline constexpr int kSecondKey = 3;
inline constexpr int kLanguageKey = 4;
inline constexpr int kOptionsKey = 5;
}  // namespace store

}  // namespace kvr::ids
