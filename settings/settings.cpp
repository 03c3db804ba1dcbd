#include "settings/settings.h"

#include <cctype>
#include <charconv>
#include <limits>

namespace kvr::settings {

void reset() {
    S.fill(0);
    T.fill(0);
    BxTT.clear();
    BxTP = BxTS = 0;
    BxTA = false;
    SE = SR = 0;
    OT = OO = OS = OR = OI = 0;
}

namespace {

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
        text.remove_prefix(1);
    }
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
        text.remove_suffix(1);
    }
    return text;
}

bool parse(std::string_view text, long long& value) {
    text = trimmed(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

std::uint8_t toByte(std::string_view text, std::uint8_t fallback) {
    long long value = 0;
    if (!parse(text, value) || value < 0 || value > 255) return fallback;
    return static_cast<std::uint8_t>(value);
}

std::int32_t toLong(std::string_view text, std::int32_t fallback) {
    long long value = 0;
    if (!parse(text, value) || value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max()) {
        return fallback;
    }
    return static_cast<std::int32_t>(value);
}

bool toBool(std::string_view text, bool fallback) {
    long long value = 0;
    if (!parse(text, value)) return fallback;
    return value != 0;
}

const std::array<Option, 35>& options() {
    static const std::array<Option, 35> table{{
        {"BxTA", "-1", "-1"}, {"BxTP", "1", "1"},   {"BxTS", "1", "1"},   {"BxTT", "", ""},
        {"OI", "1", "1"},     {"OR", "1", "1"},     {"OS", "0", "0"},     {"OT", "0", "1"},
        {"OO", "1", "1"},     {"S0", "16", "16"},   {"S1", "16", "16"},   {"S2", "16", "16"},
        {"S3", "17", "17"},   {"S4", "17", "17"},   {"S5", "17", "17"},   {"S6", "17", "17"},
        {"S7", "18", "18"},   {"S8", "18", "18"},   {"S9", "18", "18"},   {"S10", "16", "16"},
        {"S11", "17", "17"},  {"SE", "15", "7"},    {"SR", "0", "0"},     {"T0", "120", "120"},
        {"T1", "121", "121"}, {"T2", "122", "122"}, {"T3", "120", "120"}, {"T4", "121", "121"},
        {"T5", "122", "122"}, {"T6", "123", "123"}, {"T7", "87", "87"},   {"T8", "113", "113"},
        {"T9", "114", "114"}, {"T10", "115", "115"}, {"T11", "115", "115"},
    }};
    return table;
}

std::string repairDefault(std::string_view name) {
    for (const auto& option : options()) {
        if (option.name == name) return option.repaired;
    }
    return {};
}

}  // namespace kvr::settings
