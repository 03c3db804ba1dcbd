#include "startup/string_store.h"

#include <gtest/gtest.h>

#include "tests/unit/fake_platform.h"

namespace kvr {
namespace {

using stringstore::entry;
using stringstore::scramble;
using stringstore::unscramble;

TEST(StringStoreScrambling, KeyCyclesOneToFiveFromTheFirstByte) {
    const std::string stored = scramble(std::string(11, 'A'));
    const std::string expected = {'B', 'C', 'D', 'E', 'F', 'B', 'C', 'D', 'E', 'F', 'B'};
    EXPECT_EQ(stored, expected);
    EXPECT_EQ(unscramble(stored), std::string(11, 'A'));
}

TEST(StringStoreScrambling, ByteBelowItsKeyMeansCorruptFile) {
    // Byte 2 has key 2: a stored 1 cannot come from any plain byte.
    EXPECT_FALSE(unscramble(std::string{'\x05', '\x01'}).has_value());
    EXPECT_TRUE(unscramble(std::string{'\x01', '\x02'}).has_value());
}

TEST(StringStoreEntries, ExampleFromTheFormat) {
    const std::string plain = "|01|=abc\r\n|02|=xy\r\n|03|=";
    EXPECT_EQ(entry(plain, 1), "abc");
    EXPECT_EQ(entry(plain, 2), "xy");
    EXPECT_EQ(entry(plain, 3), "");  // no marker of entry 4 follows
}

TEST(StringStoreEntries, EmptyEntryAndTwoDigitMarkers) {
    std::string plain;
    for (int n = 1; n <= 11; ++n) {
        char marker[8];
        std::snprintf(marker, sizeof marker, "|%02d|=", n);
        plain += marker + (n == 7 ? std::string() : "e" + std::to_string(n)) + "\r\n";
    }
    EXPECT_EQ(entry(plain, 5), "e5");
    EXPECT_EQ(entry(plain, 7), "");
    EXPECT_EQ(entry(plain, 9), "e9");
    EXPECT_EQ(entry(plain, 10), "e10");
    EXPECT_EQ(entry(plain, 11), "");
}

TEST(StringStoreEntries, MissingOrMisorderedMarkersGiveEmptyText) {
    EXPECT_EQ(entry("|01|=abc\r\n", 1), "");              // no next marker
    EXPECT_EQ(entry("|02|=x\r\n|03|=", 1), "");           // no own marker
    EXPECT_EQ(entry("|02|=x\r\n|01|=abc\r\n", 1), "");    // next marker before own
    EXPECT_EQ(entry("|01|=|02|=", 1), "");                // no room for CR LF
    EXPECT_EQ(entry("|01|=a\r\n|02|=", 0), "");
}

class StringStoreFile : public ::testing::Test {
protected:
    test::FakePlatform fake;
};

TEST_F(StringStoreFile, ShippedStoreHoldsTheLanguageValueAndFourKeysUnderOneRoot) {
    EXPECT_EQ(modGeneral::GetStoredString(1), "Language");
    for (int n = 2; n <= 5; ++n) {
        EXPECT_EQ(modGeneral::GetStoredString(n).rfind("HKCU\\Software\\", 0), 0u) << n;
    }
    EXPECT_EQ(modGeneral::GetStoredString(6), "");
}

TEST_F(StringStoreFile, MissingFileGivesEmptyTextAndCreatesNothing) {
    fake.files.erase(fake.lng("dde"));
    const auto before = fake.files.fileCount();
    EXPECT_EQ(modGeneral::GetStoredString(4), "");
    EXPECT_EQ(fake.files.fileCount(), before);
    EXPECT_FALSE(fake.files.exists(fake.lng("dde")));
}

TEST_F(StringStoreFile, CorruptOrTruncatedFileGivesEmptyText) {
    const std::string good = test::readShipped("dde");
    std::string corrupt = good;
    corrupt[3] = '\x01';  // below its key 4
    fake.files.put(fake.lng("dde"), corrupt);
    EXPECT_EQ(modGeneral::GetStoredString(1), "");

    // Cut inside entry 5: entries 1 to 3 still have their successors, entry 5 has none.
    const std::string plain = *unscramble(good);
    fake.files.put(fake.lng("dde"), good.substr(0, plain.find("|05|=") + 8));
    EXPECT_EQ(modGeneral::GetStoredString(3), "HKCU\\Software\\ORQ\\KVR");
    EXPECT_EQ(modGeneral::GetStoredString(5), "");
}

TEST_F(StringStoreFile, TextIsReadThroughTheAnsiCodePage) {
    fake.files.put(fake.lng("dde"), scramble("|01|=Espa\xF1ol\r\n|02|="));
    EXPECT_EQ(modGeneral::GetStoredString(1), "Espa\xC3\xB1ol");
}

}  // namespace
}  // namespace kvr
