#include "settings/settings.h"

#include <cctype>
#include <charconv>
#include <cstdlib>
#include <limits>
#include <type_traits>
#include <vector>

namespace kvr::settings {

namespace {

static_assert(std::is_same_v<std::variant_alternative_t<int(Type::Byte), Copy>, std::uint8_t*>);
static_assert(std::is_same_v<std::variant_alternative_t<int(Type::Long), Copy>, std::int32_t*>);
static_assert(std::is_same_v<std::variant_alternative_t<int(Type::Bool), Copy>, bool*>);
static_assert(std::is_same_v<std::variant_alternative_t<int(Type::Text), Copy>, std::string*>);

constexpr std::int32_t kLowest = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kHighest = std::numeric_limits<std::int32_t>::max();
constexpr std::optional<std::int32_t> kNever;

// Shift+F9, Shift+F10, Shift+F11, Ctrl+F9, Ctrl+F10, Ctrl+F11, Ctrl+F12, Alt+W, Alt+F2, Alt+F3,
// Shift+F4, Ctrl+F4.
constexpr std::array<std::int32_t, kSlots> kModifiers{16, 16, 16, 17, 17, 17,
                                                      17, 18, 18, 18, 16, 17};
constexpr std::array<std::int32_t, kSlots> kKeys{120, 121, 122, 120, 121, 122,
                                                 123, 87,  113, 114, 115, 115};

std::vector<Option> makeTable() {
    std::vector<Option> table;
    // Any virtual-key code is kept: a modifier other than Shift, Ctrl or Alt only leaves its
    // slot unregistered.
    for (int i = 0; i < kSlots; ++i) {
        const std::string slot = std::to_string(i);
        table.push_back({"S" + slot, &S[i], kModifiers[i], kModifiers[i], 0, 255});
        table.push_back({"T" + slot, &T[i], kKeys[i], kKeys[i], 0, 255});
    }
    table.insert(table.end(),
                 {
                     {"BxTP", &BxTP, 1, 1, 0, 3},
                     {"BxTS", &BxTS, 1, 1, 0, 1},
                     {"BxTA", &BxTA, -1, -1, kLowest, kHighest},
                     {"BxTT", &BxTT, 0, kNever},  // any title text, even none, is valid
                     {"SE", &SE, 15, 7, 0, 15},
                     {"SR", &SR, 0, 0, 0, 15},
                     {"OT", &OT, 0, 1, 0, 1},
                     {"OO", &OO, 1, 1, 0, 1},
                     {"OS", &OS, 0, 0, 0, 1},
                     {"OR", &OR, 1, 1, 0, 1},
                     {"OI", &OI, 1, 1, 0, 1},
                     // All off, so that nothing happens that a user did not ask for.
                     {"MB", &MB, 0, 0, 0, 3},
                     {"MK", &MK, 2, 2, 1, 3},
                     {"MM", &MM, 0, 0, 16, 18, 0},
                     {"MA", &MA, 0, 0, 0, kSlots - 1},
                     {"CC", &CC, 0, 0, 0, 15},
                     {"CA", &CA, 2, 2, 0, kSlots - 1},
                     {"CF", &CF, 1, 1, 0, 1},
                     {"IM", &IM, 0, 0, 0, 240},
                     {"IA", &IA, 2, 2, 0, kSlots - 1},
                 });
    return table;
}

const std::vector<Option>& table() {
    static const std::vector<Option> rows = makeTable();
    return rows;
}

const std::vector<const Option*>& newKeyOrder() {
    static const std::vector<const Option*> order = [] {
        std::vector<Copy> copies{&BxTA, &BxTP, &BxTS, &BxTT, &OI, &OR, &OS, &OT, &OO};
        for (auto& modifier : S) copies.emplace_back(&modifier);
        copies.insert(copies.end(), {&SE, &SR});
        for (auto& key : T) copies.emplace_back(&key);
        std::vector<const Option*> rows;
        for (const Copy& copy : copies) rows.push_back(&optionFor(copy));
        for (const Option& trigger : triggerOptions()) rows.push_back(&trigger);
        return rows;
    }();
    return order;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
        text.remove_prefix(1);
    }
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
        text.remove_suffix(1);
    }
    return text;
}

std::optional<long long> parse(std::string_view text) {
    text = trimmed(text);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') return std::nullopt;
    }
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::string createdText(const Option& option) {
    return option.type() == Type::Text ? std::string() : std::to_string(option.created);
}

void fill(const Option& option, std::string_view stored) {
    const auto number = option.number(stored);
    std::visit(
        [&](auto* copy) {
            using Value = std::remove_pointer_t<decltype(copy)>;
            if constexpr (std::is_same_v<Value, std::string>) {
                *copy = stored;
            } else if constexpr (std::is_same_v<Value, bool>) {
                *copy = number != 0;
            } else {
                *copy = static_cast<Value>(number);
            }
        },
        option.copy);
}

std::string storedText(const Option& option) {
    return std::visit(
        [](auto* copy) -> std::string {
            using Value = std::remove_pointer_t<decltype(copy)>;
            if constexpr (std::is_same_v<Value, std::string>) {
                return *copy;
            } else if constexpr (std::is_same_v<Value, bool>) {
                return *copy ? "-1" : "0";
            } else {
                return std::to_string(static_cast<std::int32_t>(*copy));
            }
        },
        option.copy);
}

}  // namespace

void reset() {
    for (const auto& option : table()) {
        std::visit([](auto* copy) { *copy = {}; }, option.copy);
    }
}

bool Option::valid(std::string_view stored) const {
    if (type() == Type::Text) return true;
    const auto value = parse(stored);
    return value && ((*value >= min && *value <= max) || (also && *value == *also));
}

std::int32_t Option::number(std::string_view stored) const {
    if (type() == Type::Text) return 0;
    if (valid(stored)) return static_cast<std::int32_t>(*parse(stored));
    return repaired.value_or(created);
}

std::span<const Option> options() {
    return table();
}

// The start-up's options close the table, beginning with OT.
std::span<const Option> handOverOptions() {
    const auto all = options();
    return all.first(static_cast<std::size_t>(&optionFor(&OT) - all.data()));
}

std::span<const Option> startUpOptions() {
    const auto all = options();
    const auto first = handOverOptions().size();
    return all.subspan(first, static_cast<std::size_t>(&optionFor(&OI) - all.data()) + 1 - first);
}

std::span<const Option> triggerOptions() {
    const auto all = options();
    return all.subspan(static_cast<std::size_t>(&optionFor(&MB) - all.data()));
}

const Option& optionFor(Copy copy) {
    for (const auto& option : table()) {
        if (option.copy == copy) return option;
    }
    // Every copy of this header has its row; anything else is a programming error.
    std::abort();
}

void load(std::span<const Option> which, const Read& read) {
    for (const auto& option : which) fill(option, read(option.name));
}

void createAll(const Write& write) {
    for (const Option* option : newKeyOrder()) write(option->name, createdText(*option));
}

void repair(const Read& read, const Write& write) {
    for (const Option* option : newKeyOrder()) {
        if (!option->repaired || option->valid(read(option->name))) continue;
        write(option->name, std::to_string(*option->repaired));
    }
}

void save(const Write& write) {
    for (const auto& option : table()) write(option.name, storedText(option));
}

}  // namespace kvr::settings
