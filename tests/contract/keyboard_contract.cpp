// Key names, against the fake natively and user32 under Wine: the keys the hotkey editor takes
// have a scan code and a name, and a key the layout lacks has neither.
#include <gtest/gtest.h>

#include <string>

#include "tests/contract/contract_env.h"

namespace {

using kvr::platform::mapvk::kVkToScanCode;

class KeyboardContract : public ::testing::Test {
protected:
    void SetUp() override { keyboard = kvr::contract::makeKeyboard(); }

    // The name as the hotkey editor asks for it: the scan code in bits 16 and up, no
    // extended-key flag.
    std::string nameOf(std::uint32_t virtualKey) {
        const std::uint32_t scan = keyboard->mapVirtualKey(virtualKey, kVkToScanCode);
        return keyboard->keyNameText(static_cast<std::int32_t>(scan << 16));
    }

    std::unique_ptr<kvr::platform::Keyboard> keyboard;
};

TEST_F(KeyboardContract, FunctionKeysHaveTheirPcScanCodesAndNames) {
    EXPECT_EQ(keyboard->mapVirtualKey(0x70, kVkToScanCode), 0x3Bu);  // F1
    EXPECT_EQ(keyboard->mapVirtualKey(0x78, kVkToScanCode), 0x43u);  // F9
    EXPECT_EQ(keyboard->mapVirtualKey(0x7A, kVkToScanCode), 0x57u);  // F11, apart from F1..F10
    for (std::uint32_t n = 1; n <= 12; ++n) {
        EXPECT_EQ(nameOf(0x6F + n), "F" + std::to_string(n)) << "F" << n;
    }
}

TEST_F(KeyboardContract, LettersAndDigitsAreNamedByTheirCharacter) {
    EXPECT_EQ(keyboard->mapVirtualKey('Q', kVkToScanCode), 0x10u);
    EXPECT_EQ(keyboard->mapVirtualKey('1', kVkToScanCode), 0x02u);
    EXPECT_EQ(keyboard->mapVirtualKey('0', kVkToScanCode), 0x0Bu);
    for (char c : std::string("AQWZ0159")) {
        EXPECT_EQ(nameOf(static_cast<std::uint32_t>(c)), std::string(1, c));
    }
}

TEST_F(KeyboardContract, KeysTheLayoutLacksHaveNoScanCodeAndNoName) {
    EXPECT_EQ(keyboard->mapVirtualKey(0xFF, kVkToScanCode), 0u);
    EXPECT_EQ(keyboard->mapVirtualKey(0x07, kVkToScanCode), 0u);  // unassigned
    EXPECT_EQ(keyboard->keyNameText(0), "");
    // Modifier keys have names of their own, which are not empty.
    EXPECT_NE(nameOf(0x10), "");
    EXPECT_NE(nameOf(0x10), nameOf(0x11));
}

}  // namespace
