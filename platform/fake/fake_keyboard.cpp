#include "platform/fake/fake_keyboard.h"

namespace kvr::platform {

namespace {

struct Key {
    std::uint32_t virtualKey;
    std::uint32_t scanCode;
    const char* name;
};

// Set-1 scan codes of a PC keyboard. Keys that share a scan code (the arrows and the numeric
// pad) are named as the numeric pad's, since the extended-key flag is what tells them apart.
constexpr Key kKeys[] = {
    {0x1B, 0x01, "Esc"},     {0x31, 0x02, "1"},         {0x32, 0x03, "2"},
    {0x33, 0x04, "3"},       {0x34, 0x05, "4"},         {0x35, 0x06, "5"},
    {0x36, 0x07, "6"},       {0x37, 0x08, "7"},         {0x38, 0x09, "8"},
    {0x39, 0x0A, "9"},       {0x30, 0x0B, "0"},         {0xBD, 0x0C, "-"},
    {0xBB, 0x0D, "="},       {0x08, 0x0E, "Backspace"}, {0x09, 0x0F, "Tab"},
    {'Q', 0x10, "Q"},        {'W', 0x11, "W"},          {'E', 0x12, "E"},
    {'R', 0x13, "R"},        {'T', 0x14, "T"},          {'Y', 0x15, "Y"},
    {'U', 0x16, "U"},        {'I', 0x17, "I"},          {'O', 0x18, "O"},
    {'P', 0x19, "P"},        {0xDB, 0x1A, "["},         {0xDD, 0x1B, "]"},
    {0x0D, 0x1C, "Enter"},   {0x11, 0x1D, "Ctrl"},      {'A', 0x1E, "A"},
    {'S', 0x1F, "S"},        {'D', 0x20, "D"},          {'F', 0x21, "F"},
    {'G', 0x22, "G"},        {'H', 0x23, "H"},          {'J', 0x24, "J"},
    {'K', 0x25, "K"},        {'L', 0x26, "L"},          {0xBA, 0x27, ";"},
    {0xDE, 0x28, "'"},       {0xC0, 0x29, "`"},         {0x10, 0x2A, "Shift"},
    {0xDC, 0x2B, "\\"},      {'Z', 0x2C, "Z"},          {'X', 0x2D, "X"},
    {'C', 0x2E, "C"},        {'V', 0x2F, "V"},          {'B', 0x30, "B"},
    {'N', 0x31, "N"},        {'M', 0x32, "M"},          {0xBC, 0x33, ","},
    {0xBE, 0x34, "."},       {0xBF, 0x35, "/"},         {0x6A, 0x37, "Num *"},
    {0x12, 0x38, "Alt"},     {0x20, 0x39, "Space"},     {0x14, 0x3A, "Caps Lock"},
    {0x70, 0x3B, "F1"},      {0x71, 0x3C, "F2"},        {0x72, 0x3D, "F3"},
    {0x73, 0x3E, "F4"},      {0x74, 0x3F, "F5"},        {0x75, 0x40, "F6"},
    {0x76, 0x41, "F7"},      {0x77, 0x42, "F8"},        {0x78, 0x43, "F9"},
    {0x79, 0x44, "F10"},     {0x90, 0x45, "Pause"},     {0x91, 0x46, "Scroll Lock"},
    {0x67, 0x47, "Num 7"},   {0x68, 0x48, "Num 8"},     {0x69, 0x49, "Num 9"},
    {0x6D, 0x4A, "Num -"},   {0x64, 0x4B, "Num 4"},     {0x65, 0x4C, "Num 5"},
    {0x66, 0x4D, "Num 6"},   {0x6B, 0x4E, "Num +"},     {0x61, 0x4F, "Num 1"},
    {0x62, 0x50, "Num 2"},   {0x63, 0x51, "Num 3"},     {0x60, 0x52, "Num 0"},
    {0x6E, 0x53, "Num Del"}, {0x7A, 0x57, "F11"},       {0x7B, 0x58, "F12"},
    {0x7C, 0x64, "F13"},     {0x7D, 0x65, "F14"},       {0x7E, 0x66, "F15"},
    {0x7F, 0x67, "F16"},     {0x80, 0x68, "F17"},       {0x81, 0x69, "F18"},
    {0x82, 0x6A, "F19"},     {0x83, 0x6B, "F20"},       {0x84, 0x6C, "F21"},
    {0x85, 0x6D, "F22"},     {0x86, 0x6E, "F23"},       {0x87, 0x76, "F24"},
};

// Virtual keys of the extended keys, on the scan codes of the numeric pad they share.
constexpr std::pair<std::uint32_t, std::uint32_t> kSharedScanCodes[] = {
    {0x25, 0x4B}, {0x26, 0x48}, {0x27, 0x4D}, {0x28, 0x50}, {0x24, 0x47}, {0x23, 0x4F},
    {0x21, 0x49}, {0x22, 0x51}, {0x2D, 0x52}, {0x2E, 0x53}, {0x6F, 0x35}, {0xA0, 0x2A},
    {0xA1, 0x36}, {0xA2, 0x1D}, {0xA3, 0x1D}, {0xA4, 0x38}, {0xA5, 0x38},
};

}  // namespace

FakeKeyboard::FakeKeyboard() {
    for (const Key& key : kKeys) {
        scanCodes_[key.virtualKey] = key.scanCode;
        names_[key.scanCode] = key.name;
    }
    names_[0x36] = "Right Shift";
    for (const auto& [virtualKey, scanCode] : kSharedScanCodes) scanCodes_[virtualKey] = scanCode;
}

std::uint32_t FakeKeyboard::mapVirtualKey(std::uint32_t code, std::uint32_t mapType) {
    if (mapType != mapvk::kVkToScanCode) return 0;
    const auto it = scanCodes_.find(code);
    return it == scanCodes_.end() ? 0 : it->second;
}

std::string FakeKeyboard::keyNameText(std::int32_t lParam) {
    const auto scanCode = (static_cast<std::uint32_t>(lParam) >> 16) & 0xFF;
    const auto it = names_.find(scanCode);
    return it == names_.end() ? std::string() : it->second;
}

}  // namespace kvr::platform
