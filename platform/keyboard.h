// Keyboard port: what the keyboard layout calls its keys.
#pragma once

#include <cstdint>
#include <string>

namespace kvr::platform {

namespace mapvk {
inline constexpr std::uint32_t kVkToScanCode = 0;  // MAPVK_VK_TO_VSC
}  // namespace mapvk

class Keyboard {
public:
    virtual ~Keyboard() = default;

    // MapVirtualKey: code translated as mapType says; 0 when the layout has no such key.
    virtual std::uint32_t mapVirtualKey(std::uint32_t code, std::uint32_t mapType) = 0;
    // GetKeyNameText: the layout's name of the key that lParam describes (scan code in bits 16
    // to 23, the extended-key flag in bit 24); "" when the layout has no name for it.
    virtual std::string keyNameText(std::int32_t lParam) = 0;
};

}  // namespace kvr::platform
