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
    bool valid(const settings::Copy& copy, std::string_view text) {
        return settings::optionFor(copy).valid(text);
    }
};

TEST_F(SettingsConversion, EachTypeTakesItsStoredText) {
    load({{"S4", " 17 "},
          {"T4", "+76"},
          {"BxTP", "3"},
          {"BxTS", "0"},
          {"BxTA", "0"},
          {"BxTT", "  Budget  "},
          {"SE", "8"},
          {"SR", "5"},
          {"OT", "1"},
          {"OO", "0"}});
    EXPECT_EQ(settings::S[4], 17);
    EXPECT_EQ(settings::T[4], 76);
    EXPECT_EQ(settings::BxTP, 3);
    EXPECT_EQ(settings::BxTS, 0);
    EXPECT_FALSE(settings::BxTA);
    EXPECT_EQ(settings::BxTT, "  Budget  ");  // a title text is taken as it is
    EXPECT_EQ(settings::SE, 8);
    EXPECT_EQ(settings::SR, 5);
    EXPECT_EQ(settings::OT, 1);
    EXPECT_EQ(settings::OO, 0);
}

TEST_F(SettingsConversion, MissingValuesGiveTheRepairDefaults) {
    load({});
    EXPECT_EQ(settings::S[0], 16);
    EXPECT_EQ(settings::T[7], 87);
    EXPECT_EQ(settings::S[11], 17);
    EXPECT_EQ(settings::T[11], 115);
    EXPECT_EQ(settings::BxTP, 1);
    EXPECT_EQ(settings::BxTS, 1);
    EXPECT_TRUE(settings::BxTA);
    EXPECT_EQ(settings::BxTT, "");
    EXPECT_EQ(settings::SE, 7);  // not the 15 of a new key
    EXPECT_EQ(settings::SR, 0);
    EXPECT_EQ(settings::OT, 1);  // not the 0 of a new key
    EXPECT_EQ(settings::OO, 1);
    EXPECT_EQ(settings::OS, 0);
    EXPECT_EQ(settings::OR, 1);
    EXPECT_EQ(settings::OI, 1);
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

TEST_F(SettingsConversion, NarrowOptionsRejectWhatLiesOutsideTheirRange) {
    load({{"BxTP", "4"}, {"BxTS", "2"}, {"OS", "300"}, {"OT", "x"}, {"SE", "16"}, {"SR", "-1"}});
    EXPECT_EQ(settings::BxTP, 1);
    EXPECT_EQ(settings::BxTS, 1);
    EXPECT_EQ(settings::OS, 0);
    EXPECT_EQ(settings::OT, 1);
    EXPECT_EQ(settings::SE, 7);
    EXPECT_EQ(settings::SR, 0);

    load({{"BxTP", "3"}, {"BxTS", "0"}, {"OS", "1"}, {"OT", "0"}, {"SE", "15"}, {"SR", "15"}});
    EXPECT_EQ(settings::BxTP, 3);
    EXPECT_EQ(settings::BxTS, 0);
    EXPECT_EQ(settings::OS, 1);
    EXPECT_EQ(settings::OT, 0);
    EXPECT_EQ(settings::SE, 15);
    EXPECT_EQ(settings::SR, 15);
}

TEST_F(SettingsConversion, BooleansAreMinusOneOrAnyNonZeroWholeNumberForTrue) {
    for (const std::string text : {"-1", "1", "7", "-2147483648"}) {
        load({{"BxTA", "0"}});
        load({{"BxTA", text}});
        EXPECT_TRUE(settings::BxTA) << text;
        EXPECT_TRUE(valid(&settings::BxTA, text)) << text;
    }
    load({{"BxTA", "0"}});
    EXPECT_FALSE(settings::BxTA);
    // Beyond 32 bits, or no number at all: repaired, and true as the repair default says.
    for (const std::string text : {"2147483648", "yes", ""}) {
        EXPECT_FALSE(valid(&settings::BxTA, text)) << text;
        load({{"BxTA", "0"}});
        load({{"BxTA", text}});
        EXPECT_TRUE(settings::BxTA) << text;
    }
}

}  // namespace
}  // namespace kvr
