// The keyboard port over user32's key-name functions, wide, so that a layout's names in any
// script come through.
#pragma once

#include "platform/keyboard.h"

namespace kvr::platform {

class Win32Keyboard : public Keyboard {
public:
    std::uint32_t mapVirtualKey(std::uint32_t code, std::uint32_t mapType) override;
    std::string keyNameText(std::int32_t lParam) override;
};

}  // namespace kvr::platform
