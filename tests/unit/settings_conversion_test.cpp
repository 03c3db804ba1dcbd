#include <gtest/gtest.h>

#include <map>
#include <string>

#include "settings/settings.h"

namespace kvr {
namespace {

// Loads every option from the given stored texts; the rest are missing.
class SettingsConversion : public ::testing::Test {
protected:
    void SetUp() override { settings::reset(); }
    void TearDown() override { settings::reset(); }

    void load(const std::map<std::string, std::string>& stored) {
        settings::load(settings::options(), [&](const std::string& name) {
            const auto found = stored.find(name);
            return found == stored.end() ? std::string() : found->second;
        });
    }
};

TEST_F(SettingsConversion, EachTypeTakesItsStoredText) {
    load({{"S4", " 17 "},
          {"T4", "+76"},
          {"BxTP", "3"},
          {"BxTA", "0"},
          {"BxTT", "  Budget  "},
          {"SE", "8"},
          {"OT", "1"}});
    EXPECT_EQ(settings::S[4], 17);
    EXPECT_EQ(settings::T[4], 76);
    EXPECT_EQ(settings::BxTP, 3);
    EXPECT_FALSE(settings::BxTA);
    EXPECT_EQ(settings::BxTT, "  Budget  ");  // a title text is taken as it is
    EXPECT_EQ(settings::SE, 8);
    EXPECT_EQ(settings::OT, 1);
}

TEST_F(SettingsConversion, MissingOrInvalidValuesGiveTheRepairDefaults) {
    load({{"OS", "300"}, {"BxTS", "2"}, {"SR", "-1"}});
    EXPECT_EQ(settings::S[0], 16);
    EXPECT_EQ(settings::T[7], 87);
    EXPECT_EQ(settings::BxTS, 1);
    EXPECT_TRUE(settings::BxTA);
    EXPECT_EQ(settings::BxTT, "");
    EXPECT_EQ(settings::SE, 7);  // not the 15 of a new key
    EXPECT_EQ(settings::SR, 0);
    EXPECT_EQ(settings::OT, 1);  // not the 0 of a new key
    EXPECT_EQ(settings::OS, 0);
    EXPECT_EQ(settings::OR, 1);
}

TEST_F(SettingsConversion, KeyCodesTakeZeroTo255AndOtherwiseTheRepairDefault) {
    for (const auto& [text, expected] : std::map<std::string, int>{{"0", 0},
                                                                   {"255", 255},
                                                                   {" 7 ", 7},
                                                                   {"\t+9\n", 9},
                                                                   {"256", 120},
                                                                   {"-1", 120},
                                                                   {"abc", 120},
                                                                   {"1x", 120},
                                                                   {"1.5", 120},
                                                                   {"+-5", 120},
                                                                   {"+", 120},
                                                                   {" ", 120}}) {
        load({{"T0", text}});
        EXPECT_EQ(settings::T[0], expected) << '"' << text << '"';
    }
    // A modifier that is neither Shift, Ctrl nor Alt is kept: it only leaves its slot unregistered.
    load({{"S2", "19"}});
    EXPECT_EQ(settings::S[2], 19);
}

TEST_F(SettingsConversion, BooleansAreMinusOneOrAnyNonZeroWholeNumberForTrue) {
    const auto& option = settings::optionFor(&settings::BxTA);
    for (const std::string text : {"-1", "1", "7", "-2147483648"}) {
        load({{"BxTA", "0"}});
        EXPECT_FALSE(settings::BxTA);
        load({{"BxTA", text}});
        EXPECT_TRUE(settings::BxTA) << text;
        EXPECT_TRUE(option.valid(text)) << text;
    }
    // Beyond 32 bits, or no number at all: true, as the repair default says.
    for (const std::string text : {"2147483648", "yes", "+-1"}) {
        EXPECT_FALSE(option.valid(text)) << text;
        load({{"BxTA", "0"}});
        load({{"BxTA", text}});
        EXPECT_TRUE(settings::BxTA) << text;
    }
}

}  // namespace
}  // namespace kvr
