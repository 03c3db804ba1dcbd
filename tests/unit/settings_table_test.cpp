#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "settings/settings.h"

namespace kvr {
namespace {

using Writes = std::vector<std::pair<std::string, std::string>>;

// A new options key, value by value.
const Writes kCreated = {
    {"BxTA", "-1"}, {"BxTP", "1"}, {"BxTS", "1"}, {"BxTT", ""},   {"OI", "1"},    {"OR", "1"},
    {"OS", "0"},    {"OT", "0"},   {"OO", "1"},   {"S0", "16"},   {"S1", "16"},   {"S2", "16"},
    {"S3", "17"},   {"S4", "17"},  {"S5", "17"},  {"S6", "17"},   {"S7", "18"},   {"S8", "18"},
    {"S9", "18"},   {"S10", "16"}, {"S11", "17"}, {"SE", "15"},   {"SR", "0"},    {"T0", "120"},
    {"T1", "121"},  {"T2", "122"}, {"T3", "120"}, {"T4", "121"},  {"T5", "122"},  {"T6", "123"},
    {"T7", "87"},   {"T8", "113"}, {"T9", "114"}, {"T10", "115"}, {"T11", "115"},
};

class SettingsTable : public ::testing::Test {
protected:
    std::map<std::string, std::string> stored;
    Writes writes;

    void SetUp() override {
        settings::reset();
        for (const auto& [name, text] : kCreated) stored[name] = text;
    }
    void TearDown() override { settings::reset(); }

    settings::Read reader() {
        return [this](const std::string& name) {
            const auto found = stored.find(name);
            return found == stored.end() ? std::string() : found->second;
        };
    }
    settings::Write recorder() {
        return [this](const std::string& name, const std::string& text) {
            writes.emplace_back(name, text);
        };
    }
    Writes repair() {
        writes.clear();
        settings::repair(reader(), recorder());
        return writes;
    }
    static std::vector<std::string> names(std::span<const settings::Option> options) {
        std::vector<std::string> result;
        for (const auto& option : options) result.push_back(option.name);
        return result;
    }
};

TEST_F(SettingsTable, EveryCopyHasExactlyOneRowAndNoNameIsUsedTwice) {
    std::set<std::string> names;
    std::set<const void*> copies;
    for (const auto& option : settings::options()) {
        EXPECT_TRUE(names.insert(option.name).second) << option.name;
        copies.insert(std::visit([](auto* copy) -> const void* { return copy; }, option.copy));
    }
    EXPECT_EQ(settings::options().size(), 35u);
    EXPECT_EQ(copies.size(), 35u);
    for (int i = 0; i < settings::kSlots; ++i) {
        EXPECT_EQ(settings::optionFor(&settings::S[i]).name, "S" + std::to_string(i));
        EXPECT_EQ(settings::optionFor(&settings::T[i]).name, "T" + std::to_string(i));
    }
    EXPECT_EQ(settings::optionFor(&settings::BxTA).type(), settings::Type::Bool);
    EXPECT_EQ(settings::optionFor(&settings::BxTT).type(), settings::Type::Text);
    EXPECT_EQ(settings::optionFor(&settings::OI).name, "OI");
}

TEST_F(SettingsTable, DefaultsLieInTheirOwnRange) {
    for (const auto& option : settings::options()) {
        EXPECT_TRUE(option.valid(std::to_string(option.created))) << option.name;
        if (option.repaired) {
            EXPECT_TRUE(option.valid(std::to_string(*option.repaired))) << option.name;
        }
    }
}

TEST_F(SettingsTable, ANewKeyGetsEveryCreatedDefaultInItsOrder) {
    settings::createAll(recorder());
    EXPECT_EQ(writes, kCreated);
}

TEST_F(SettingsTable, ValidValuesAreNeverRewritten) {
    EXPECT_TRUE(repair().empty());
    // Edges of each range, blanks and a leading plus, a modifier outside Shift, Ctrl and Alt, a
    // Boolean true other than -1, any title text.
    stored = {{"BxTA", "5"}, {"BxTP", "3"}, {"BxTS", " 0"}, {"BxTT", ""}, {"OI", "0"},
              {"OR", "+1"},  {"OS", "1"},   {"OT", "1"},    {"OO", "0"},  {"SE", "0"},
              {"SR", "15"},  {"S0", "19"},  {"T0", "255"},  {"S1", "0"},  {"T1", "0"}};
    for (int i = 2; i < settings::kSlots; ++i) {
        stored["S" + std::to_string(i)] = "17";
        stored["T" + std::to_string(i)] = "65";
    }
    EXPECT_TRUE(repair().empty());
    stored.erase("BxTT");  // an empty or missing title text is valid
    EXPECT_TRUE(repair().empty());
}

TEST_F(SettingsTable, EachInvalidKindOfEachTypeGetsTheRepairDefault) {
    // Per option: its repair default and a number just outside its range.
    const std::map<std::string, std::pair<std::string, std::string>> cases = {
        {"BxTA", {"-1", "2147483648"}},
        {"BxTP", {"1", "4"}},
        {"BxTS", {"1", "2"}},
        {"OI", {"1", "2"}},
        {"OR", {"1", "-1"}},
        {"OS", {"0", "2"}},
        {"OT", {"1", "2"}},
        {"OO", {"1", "256"}},
        {"SE", {"7", "16"}},
        {"SR", {"0", "-1"}},
        {"S0", {"16", "256"}},
        {"S7", {"18", "-1"}},
        {"S11", {"17", "300"}},
        {"T0", {"120", "256"}},
        {"T7", {"87", "-87"}},
        {"T11", {"115", "1000"}}};
    for (const auto& [name, expected] : cases) {
        const auto& [repairDefault, outOfRange] = expected;
        for (const std::string bad : {"", "abc", "1x", "1.0", "-", outOfRange.c_str()}) {
            stored[name] = bad;
            EXPECT_EQ(repair(), (Writes{{name, repairDefault}})) << name << " = \"" << bad << '"';
        }
        stored.erase(name);
        EXPECT_EQ(repair(), (Writes{{name, repairDefault}})) << name << " missing";
        stored[name] = repairDefault;
    }
}

TEST_F(SettingsTable, RepairWalksTheNewKeyOrderWithoutTheTitleText) {
    stored.clear();
    Writes expected;
    for (const auto& [name, text] : kCreated) {
        if (name == "BxTT") continue;
        expected.emplace_back(name, name == "SE" ? "7" : name == "OT" ? "1" : text);
    }
    EXPECT_EQ(repair(), expected);
}

TEST_F(SettingsTable, SaveWritesEveryCopyInThePreferencesOrder) {
    Writes expected;
    for (int i = 0; i < settings::kSlots; ++i) {
        settings::S[i] = 16 + i % 3;
        settings::T[i] = 100 + i;
        expected.emplace_back("S" + std::to_string(i), std::to_string(16 + i % 3));
        expected.emplace_back("T" + std::to_string(i), std::to_string(100 + i));
    }
    settings::BxTP = 2;
    settings::BxTS = 0;
    settings::BxTA = true;
    settings::BxTT = "Budget 2024";
    settings::SE = 8;
    settings::SR = 5;
    settings::OT = 1;
    settings::OO = 0;
    settings::OS = 1;
    settings::OR = 0;
    settings::OI = 1;
    expected.insert(expected.end(), {{"BxTP", "2"},
                                     {"BxTS", "0"},
                                     {"BxTA", "-1"},
                                     {"BxTT", "Budget 2024"},
                                     {"SE", "8"},
                                     {"SR", "5"},
                                     {"OT", "1"},
                                     {"OO", "0"},
                                     {"OS", "1"},
                                     {"OR", "0"},
                                     {"OI", "1"}});
    settings::save(recorder());
    EXPECT_EQ(writes, expected);

    // What was saved reads back to the same copies.
    stored.clear();
    for (const auto& [name, text] : writes) stored[name] = text;
    settings::reset();
    settings::load(settings::options(), reader());
    EXPECT_EQ(settings::S[5], 18);
    EXPECT_EQ(settings::T[11], 111);
    EXPECT_TRUE(settings::BxTA);
    EXPECT_EQ(settings::BxTT, "Budget 2024");
    EXPECT_EQ(settings::SR, 5);
    EXPECT_EQ(settings::OR, 0);

    settings::BxTA = false;
    writes.clear();
    settings::save(recorder());
    EXPECT_EQ(writes[26], (std::pair<std::string, std::string>{"BxTA", "0"}));
}

TEST_F(SettingsTable, StartUpAndHandOverEachReadTheirOwnOptions) {
    EXPECT_EQ(names(settings::startUpOptions()),
              (std::vector<std::string>{"OT", "OO", "OS", "OR", "OI"}));
    std::vector<std::string> handOver;
    for (int i = 0; i < settings::kSlots; ++i) {
        handOver.push_back("S" + std::to_string(i));
        handOver.push_back("T" + std::to_string(i));
    }
    handOver.insert(handOver.end(), {"BxTP", "BxTS", "BxTA", "BxTT", "SE", "SR"});
    EXPECT_EQ(names(settings::handOverOptions()), handOver);

    std::vector<std::string> asked;
    settings::load(settings::startUpOptions(), [&](const std::string& name) {
        asked.push_back(name);
        return std::string("0");
    });
    EXPECT_EQ(asked, names(settings::startUpOptions()));
    EXPECT_EQ(settings::OT, 0);
    EXPECT_EQ(settings::S[0], 0);  // left for the hand-over
    EXPECT_EQ(settings::SE, 0);
}

TEST_F(SettingsTable, ResetPutsEveryCopyBackToItsStartState) {
    settings::load(settings::options(), reader());
    settings::BxTT = "x";
    settings::SR = 3;
    settings::OT = 1;
    settings::OS = 1;
    settings::reset();
    for (int i = 0; i < settings::kSlots; ++i) {
        EXPECT_EQ(settings::S[i], 0) << i;
        EXPECT_EQ(settings::T[i], 0) << i;
    }
    EXPECT_EQ(settings::BxTT, "");
    EXPECT_EQ(settings::BxTP, 0);
    EXPECT_EQ(settings::BxTS, 0);
    EXPECT_FALSE(settings::BxTA);
    EXPECT_EQ(settings::SE, 0);
    EXPECT_EQ(settings::SR, 0);
    EXPECT_EQ(settings::OT, 0);
    EXPECT_EQ(settings::OO, 0);
    EXPECT_EQ(settings::OS, 0);
    EXPECT_EQ(settings::OR, 0);
    EXPECT_EQ(settings::OI, 0);
}

}  // namespace
}  // namespace kvr
