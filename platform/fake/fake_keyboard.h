// The keyboard of an English (US) layout, named as Windows names its keys.
#pragma once

#include <map>

#include "platform/keyboard.h"

namespace kvr::platform {

class FakeKeyboard : public Keyboard {
public:
    FakeKeyboard();
    std::uint32_t mapVirtualKey(std::uint32_t code, std::uint32_t mapType) override;
    std::string keyNameText(std::int32_t lParam) override;

    // Test side: a layout that calls a key otherwise, or has no name for it ("").
    void rename(std::uint32_t scanCode, std::string name) { names_[scanCode] = std::move(name); }

private:
    std::map<std::uint32_t, std::uint32_t> scanCodes_;  // by virtual-key code
    std::map<std::uint32_t, std::string> names_;        // by scan code
};

}  // namespace kvr::platform
