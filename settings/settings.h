// The in-memory copy of every option, named by its registry value, and the conversions from the
// stored decimal text.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace kvr::settings {

inline constexpr int kSlots = 12;

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

// Back to the state before start-up read anything.
void reset();

// A stored value that is not a number in range takes the fallback; nothing throws.
std::uint8_t toByte(std::string_view text, std::uint8_t fallback);
std::int32_t toLong(std::string_view text, std::int32_t fallback);
// "-1" or any other non-zero number is true, "0" false.
bool toBool(std::string_view text, bool fallback);

// One option of the options key: its value name and the defaults it gets when the key is new
// and when the value was found empty.
struct Option {
    std::string name;
    std::string created;
    std::string repaired;  // empty: never repaired
};

// In the order a new options key is written.
const std::array<Option, 35>& options();
// The repair default of a value name ("" for BxTT and names that are not options).
std::string repairDefault(std::string_view name);

}  // namespace kvr::settings
