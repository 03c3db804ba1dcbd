// The in-memory copy of every option, named by its registry value, and the one table that says
// how each option is stored, defaulted, checked, read and written. The registry itself is reached
// through the caller's read and write functions, so this module needs nothing below it.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "base/ids.h"

namespace kvr::settings {

inline constexpr int kSlots = ids::kSlots;

inline std::array<std::int32_t, kSlots> S{};  // modifier of each hotkey slot (16, 17, 18)
inline std::array<std::int32_t, kSlots> T{};  // virtual-key code of each slot's key
inline std::string BxTT;                      // title text to hide by
inline std::uint8_t BxTP = 0;                 // match mode
inline std::uint8_t BxTS = 0;                 // compare mode
inline bool BxTA = false;                     // warn when nothing matched
inline std::int32_t SE = 0;                   // mute when hiding, per hide method bit
inline std::int32_t SR = 0;                   // restore when showing, per hide method bit
inline std::uint8_t OT = 0;                   // icon in the notification area
inline std::uint8_t OO = 0;                   // hiding also empties the notification area
inline std::uint8_t OS = 0;                   // splash window at start
inline std::uint8_t OR = 0;                   // start with Windows
inline std::uint8_t OI = 0;                   // start hidden
// Hiding without the keyboard; each runs the action of a hotkey slot.
inline std::uint8_t MB = 0;  // mouse button: 0 none, 1 middle, 2 back (X1), 3 forward (X2)
inline std::uint8_t MK = 0;  // clicks of it
inline std::int32_t MM = 0;  // modifier held meanwhile, as S: 0 none, 16, 17, 18
inline std::uint8_t MA = 0;  // slot the clicks run
inline std::uint8_t CC = 0;  // corners, bits 1 top left, 2 top right, 4 bottom right, 8 bottom left
inline std::uint8_t CA = 0;  // slot a corner runs
inline std::uint8_t CF = 0;  // 1: only a fast flick into the corner counts
inline std::uint8_t IM = 0;  // minutes without input before acting; 0 off
inline std::uint8_t IA = 0;  // slot idleness runs

// Puts every copy back to its state before start-up read anything.
void reset();

// How an option is stored: a byte or a 32-bit number as decimal text, a Boolean as "-1" or "0"
// (any other whole number reads as true), a text as it is.
enum class Type { Byte, Long, Bool, Text };

// The in-memory copy an option fills; its alternatives follow the order of Type.
using Copy = std::variant<std::uint8_t*, std::int32_t*, bool*, std::string*>;

struct Option {
    std::string name;                      // value name in the options key
    Copy copy;                             // what it fills
    std::int32_t created = 0;              // a new options key's value (a text starts empty)
    std::optional<std::int32_t> repaired;  // replaces an invalid value; none: never repaired
    std::int32_t min = 0;                  // valid stored numbers, both ends included
    std::int32_t max = 0;
    std::optional<std::int32_t> also = std::nullopt;  // one more valid number, outside the range

    Type type() const { return static_cast<Type>(copy.index()); }
    // A whole number within the range (surrounding blanks and a leading + allowed); any text for
    // a text option.
    bool valid(std::string_view stored) const;
    // The stored number when valid, otherwise the repair default.
    std::int32_t number(std::string_view stored) const;
};

// The stored text of a value name, "" when it is missing.
using Read = std::function<std::string(const std::string& name)>;
using Write = std::function<void(const std::string& name, const std::string& text)>;

// Every option, in the order the preferences store them: S0, T0 … S11, T11, BxTP, BxTS, BxTA,
// BxTT, SE, SR, OT, OO, OS, OR, OI, MB, MK, MM, MA, CC, CA, CF, IM, IA.
std::span<const Option> options();
// What the hand-over reads: everything up to SR, in the order above.
std::span<const Option> handOverOptions();
// What the start-up reads before the splash window: OT, OO, OS, OR, OI.
std::span<const Option> startUpOptions();
// The triggers that hide without the keyboard, MB to IA; the hand-over reads them too.
std::span<const Option> triggerOptions();
// The option that fills the copy.
const Option& optionFor(Copy copy);

// Fills the copies of the given options; a value that is not valid gives its repair default.
void load(std::span<const Option> which, const Read& read);
// Writes every option's created default, in the order of a new options key: BxTA, BxTP, BxTS,
// BxTT, OI, OR, OS, OT, OO, S0 … S11, SE, SR, T0 … T11, then MB … IA in the table's order.
void createAll(const Write& write);
// Writes the repair default of every invalid value, in the same order; valid values and the
// title text are left alone.
void repair(const Read& read, const Write& write);
// Writes every copy as stored text, in the order of options().
void save(const Write& write);

}  // namespace kvr::settings
