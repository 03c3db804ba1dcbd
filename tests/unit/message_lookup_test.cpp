#include <gtest/gtest.h>

#include "tests/unit/fake_platform.h"

namespace kvr {
namespace {

using langfile::lookUp;
using langfile::split;
using modTraducir::GetMessage;

TEST(LanguageFileLookup, KeysAreFoundInAnyOrderAndTheFirstOfTwoWins) {
    const std::string text = "junk line\r\n[002]=b|B\r\n[001]=a\r\n[002]=second\r\n[0020]=Title\r\n";
    EXPECT_EQ(lookUp(text, "002"), "b|B");
    EXPECT_EQ(lookUp(text, "001"), "a");
    EXPECT_EQ(lookUp(text, "0020"), "Title");
    EXPECT_EQ(lookUp(text, "003"), std::nullopt);
}

TEST(LanguageFileLookup, LastValueWithoutCarriageReturnEndsAtTheEndOfTheFile) {
    EXPECT_EQ(lookUp("[001]=x\r\n[007]=a|b|c", "007"), "a|b|c");
}

TEST(LanguageFileLookup, EmptyPartsCount) {
    EXPECT_EQ(split("a||b|"), (std::vector<std::string>{"a", "", "b", ""}));
    EXPECT_EQ(split(""), std::vector<std::string>{""});
}

class Messages : public ::testing::Test {
protected:
    test::FakePlatform fake;
};

TEST_F(Messages, NumbersArePaddedToThreeDigits) {
    fake.files.put(fake.lng("KVR_Eng.txt"), "[007]=seven|7\r\n[023]=twenty-three|23\r\n");
    EXPECT_EQ(GetMessage(7), (std::vector<std::string>{"seven", "7"}));
    EXPECT_EQ(GetMessage(23), (std::vector<std::string>{"twenty-three", "23"}));
}

TEST_F(Messages, MissingLanguageFallsBackToEnglishThenToTheNumber) {
    modTraducir::CurrentLanguage = "Italiano";  // no KVR_Ita.txt
    EXPECT_EQ(GetMessage(14), modTraducir::GetMessage(14));
    EXPECT_EQ(GetMessage(14)[1], "KVR");
    EXPECT_NE(GetMessage(14)[0], "014");

    fake.files.put(fake.lng("KVR_Ita.txt"), "[004]=Niente|KVR\r\n");
    EXPECT_EQ(GetMessage(4)[0], "Niente");
    EXPECT_FALSE(GetMessage(14)[0].empty());  // absent key: English

    fake.files.erase(fake.lng("KVR_Eng.txt"));
    const auto parts = GetMessage(14);
    ASSERT_GE(parts.size(), 2u);
    EXPECT_EQ(parts[0], "014");
    EXPECT_FALSE(parts[1].empty());
}

TEST_F(Messages, OnePartMessageStillGetsACaption) {
    EXPECT_EQ(GetMessage(3).size(), 2u);
    EXPECT_EQ(GetMessage(3)[1], "KVR");
}

TEST_F(Messages, FilesAreReadInTheAnsiCodePageOrAsUtf8AfterAByteOrderMark) {
    fake.files.put(fake.lng("KVR_Eng.txt"), "[001]=Espa\xF1ol|x\r\n");
    EXPECT_EQ(GetMessage(1)[0], "Espa\xC3\xB1ol");
    fake.files.put(fake.lng("KVR_Eng.txt"), "\xEF\xBB\xBF[001]=\xCE\xA9|x\r\n");
    EXPECT_EQ(GetMessage(1)[0], "\xCE\xA9");
}

}  // namespace
}  // namespace kvr
