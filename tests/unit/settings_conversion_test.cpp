#include <gtest/gtest.h>

#include <set>

#include "settings/settings.h"

namespace kvr {
namespace {

using settings::toBool;
using settings::toByte;
using settings::toLong;

TEST(SettingsConversion, BytesTakeZeroTo255AndOtherwiseTheFallback) {
    EXPECT_EQ(toByte("0", 9), 0);
    EXPECT_EQ(toByte("255", 9), 255);
    EXPECT_EQ(toByte(" 7 ", 9), 7);
    EXPECT_EQ(toByte("300", 9), 9);
    EXPECT_EQ(toByte("-1", 9), 9);
    EXPECT_EQ(toByte("abc", 9), 9);
    EXPECT_EQ(toByte("1x", 9), 9);
    EXPECT_EQ(toByte("", 9), 9);
}

TEST(SettingsConversion, LongsAreSigned32Bit) {
    EXPECT_EQ(toLong("-1", 5), -1);
    EXPECT_EQ(toLong("2147483647", 5), 2147483647);
    EXPECT_EQ(toLong("-2147483648", 5), -2147483647 - 1);
    EXPECT_EQ(toLong("2147483648", 5), 5);
    EXPECT_EQ(toLong("x", 5), 5);
    EXPECT_EQ(toLong("1.5", 5), 5);
}

TEST(SettingsConversion, BooleansAreMinusOneOrAnyNonZeroForTrue) {
    EXPECT_TRUE(toBool("-1", false));
    EXPECT_TRUE(toBool("1", false));
    EXPECT_FALSE(toBool("0", true));
    EXPECT_TRUE(toBool("yes", true));
    EXPECT_FALSE(toBool("", false));
}

TEST(SettingsTable, CreatedAndRepairDefaultsDifferOnlyForSEAndOT) {
    std::set<std::string> names;
    for (const auto& option : settings::options()) {
        names.insert(option.name);
        if (option.name == "SE") {
            EXPECT_EQ(option.created, "15");
            EXPECT_EQ(option.repaired, "7");
        } else if (option.name == "OT") {
            EXPECT_EQ(option.created, "0");
            EXPECT_EQ(option.repaired, "1");
        } else {
            EXPECT_EQ(option.created, option.repaired) << option.name;
        }
    }
    EXPECT_EQ(names.size(), settings::options().size());
    EXPECT_EQ(settings::repairDefault("BxTT"), "");
    EXPECT_EQ(settings::repairDefault("T7"), "87");
}

}  // namespace
}  // namespace kvr
