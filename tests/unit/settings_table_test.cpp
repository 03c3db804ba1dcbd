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

// A new options key, value by value; the triggers without the keyboard (MB to IA) all off.
const Writes kCreated = {
    {"BxTA", "-1"}, {"BxTP", "1"}, {"BxTS", "1"}, {"BxTT", ""},   {"OI", "1"},    {"OR", "1"},
    {"OS", "0"},    {"OT", "0"},   {"OO", "1"},   {"S0", "16"},   {"S1", "16"},   {"S2", "16"},
    {"S3", "17"},   {"S4", "17"},  {"S5", "17"},  {"S6", "17"},   {"S7", "18"},   {"S8", "18"},
    {"S9", "18"},   {"S10", "16"}, {"S11", "17"}, {"SE", "15"},   {"SR", "0"},    {"T0", "120"},
    {"T1", "121"},  {"T2", "122"}, {"T3", "120"}, {"T4", "121"},  {"T5", "122"},  {"T6", "123"},
    {"T7", "87"},   {"T8", "113"}, {"T9", "114"}, {"T10", "115"}, {"T11", "115"}, {"MB", "0"},
    {"MK", "2"},    {"MM", "0"},   {"MA", "0"},   {"CC", "0"},    {"CA", "2"},    {"CF", "1"},
    {"IM", "0"},    {"IA", "2"},
};

class SettingsTable : public ::testing::Test {
protected:
    std::map<std::string, std::string> stored{kCreated.begin(), kCreated.end()};
    Writes writes;

    void SetUp() override { settings::reset(); }
    void TearDown() override { settings::reset(); }

    settings::Read reader() {
        return [this](const std::string& name) {
            const auto found = stored.find(name);
            return found == stored.end() ? std::string() : found->second;
        };
    }
    settings::Write recorder() {
        writes.clear();
        return [this](const std::string& name, const std::string& text) {
            writes.emplace_back(name, text);
        };
    }
    Writes repair() {
        settings::repair(reader(), recorder());
        return writes;
    }
};

TEST_F(SettingsTable, EveryCopyHasOneRowAndNoNameIsUsedTwice) {
    std::set<std::string> names;
    std::set<const void*> copies;
    for (const auto& option : settings::options()) {
        EXPECT_TRUE(names.insert(option.name).second) << option.name;
        copies.insert(std::visit([](auto* copy) -> const void* { return copy; }, option.copy));
        EXPECT_TRUE(option.valid(std::to_string(option.created))) << option.name;
        if (option.repaired) {
            EXPECT_TRUE(option.valid(std::to_string(*option.repaired))) << option.name;
        }
    }
    EXPECT_EQ(names.size(), 44u);
    EXPECT_EQ(copies.size(), 44u);
    EXPECT_EQ(settings::optionFor(&settings::S[11]).name, "S11");
    EXPECT_EQ(settings::optionFor(&settings::T[3]).name, "T3");
}

TEST_F(SettingsTable, ANewKeyGetsEveryCreatedDefaultInItsOrder) {
    settings::createAll(recorder());
    EXPECT_EQ(writes, kCreated);
}

TEST_F(SettingsTable, ValidValuesAreNeverRewritten) {
    EXPECT_TRUE(repair().empty());
    // Range edges, blanks and a plus, a modifier that is no modifier, a true other than -1.
    const Writes valid = {{"BxTA", "5"}, {"BxTP", "3"}, {"BxTS", " 0"}, {"OR", "+1"}, {"SE", "0"},
                          {"SR", "15"},  {"S0", "19"},  {"T0", "255"},  {"T1", "0"},  {"MM", "16"},
                          {"MM", "18"},  {"MK", "1"},   {"MA", "11"},   {"IM", "240"}};
    for (const auto& [name, text] : valid) stored[name] = text;
    stored.erase("BxTT");  // a missing title text is no title text
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
        {"T0", {"120", "256"}},
        {"T11", {"115", "1000"}},
        {"MB", {"0", "4"}},
        {"MK", {"2", "0"}},
        {"MM", {"0", "15"}},
        {"MA", {"0", "12"}},
        {"CC", {"0", "16"}},
        {"CA", {"2", "12"}},
        {"CF", {"1", "2"}},
        {"IM", {"0", "241"}},
        {"IA", {"2", "-1"}}};
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
        if (name != "BxTT")
            expected.emplace_back(name, name == "SE" ? "7" : name == "OT" ? "1" : text);
    }
    EXPECT_EQ(repair(), expected);
}

TEST_F(SettingsTable, SaveWritesEveryCopyInThePreferencesOrderAndReadsBackTheSame) {
    Writes expected;
    for (int i = 0; i < settings::kSlots; ++i) {
        settings::S[i] = 16 + i % 3;
        settings::T[i] = 100 + i;
        expected.emplace_back("S" + std::to_string(i), std::to_string(16 + i % 3));
        expected.emplace_back("T" + std::to_string(i), std::to_string(100 + i));
    }
    settings::BxTP = 2;
    settings::BxTA = true;
    settings::BxTT = "Budget 2024";
    settings::SE = 8;
    settings::SR = 5;
    settings::OT = settings::OS = settings::OI = 1;
    settings::MB = 1;
    settings::MK = 3;
    settings::MM = 17;
    settings::MA = 4;
    settings::CC = 9;
    settings::CA = 11;
    settings::IM = 240;
    settings::IA = 7;
    expected.insert(expected.end(),
                    {{"BxTP", "2"}, {"BxTS", "0"}, {"BxTA", "-1"}, {"BxTT", "Budget 2024"},
                     {"SE", "8"},   {"SR", "5"},   {"OT", "1"},    {"OO", "0"},
                     {"OS", "1"},   {"OR", "0"},   {"OI", "1"},    {"MB", "1"},
                     {"MK", "3"},   {"MM", "17"},  {"MA", "4"},    {"CC", "9"},
                     {"CA", "11"},  {"CF", "0"},   {"IM", "240"},  {"IA", "7"}});
    settings::save(recorder());
    EXPECT_EQ(writes, expected);

    stored = {writes.begin(), writes.end()};
    settings::reset();
    settings::load(settings::options(), reader());
    settings::save(recorder());
    EXPECT_EQ(writes, expected);

    settings::BxTA = false;
    settings::save(recorder());
    EXPECT_EQ(writes[26], (std::pair<std::string, std::string>{"BxTA", "0"}));
}

TEST_F(SettingsTable, StartUpAndHandOverEachReadTheirOwnPart) {
    const auto all = settings::options();
    const auto handOver = settings::handOverOptions();
    const auto startUp = settings::startUpOptions();
    EXPECT_EQ(handOver.data(), all.data());
    EXPECT_EQ(handOver.size(), 30u);
    EXPECT_EQ(startUp.data(), all.data() + 30);
    std::vector<std::string> asked;
    settings::load(startUp, [&](const std::string& name) {
        asked.push_back(name);
        return std::string("0");
    });
    EXPECT_EQ(asked, (std::vector<std::string>{"OT", "OO", "OS", "OR", "OI"}));
    EXPECT_EQ(settings::S[0], 0);  // left for the hand-over
    asked.clear();
    settings::load(settings::triggerOptions(), [&](const std::string& name) {
        asked.push_back(name);
        return std::string();
    });
    EXPECT_EQ(asked,
              (std::vector<std::string>{"MB", "MK", "MM", "MA", "CC", "CA", "CF", "IM", "IA"}));
    EXPECT_EQ(settings::MK, 2);  // a missing value reads as its default
    EXPECT_EQ(settings::OT, 0);
}

TEST_F(SettingsTable, ResetPutsEveryCopyBackToItsStartState) {
    settings::load(settings::options(), [](const std::string&) { return std::string("1"); });
    settings::reset();
    settings::save(recorder());
    ASSERT_EQ(writes.size(), 44u);
    for (const auto& [name, text] : writes) EXPECT_EQ(text, name == "BxTT" ? "" : "0") << name;
}

}  // namespace
}  // namespace kvr
