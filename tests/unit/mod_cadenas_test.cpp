#include "engine/mod_cadenas.h"

#include <gtest/gtest.h>

#include <string>

namespace kvr {
namespace {

using modCadenas::MatchText;

struct Case {
    const char* pattern;
    const char* text;
    int mode;
    bool sensitive;    // expected with compare mode 0
    bool insensitive;  // expected with compare mode 1
};

void check(const Case& c) {
    SCOPED_TRACE(std::string("pattern \"") + c.pattern + "\" text \"" + c.text + "\" mode " +
                 std::to_string(c.mode));
    EXPECT_EQ(MatchText(c.pattern, c.text, c.mode, 0), c.sensitive);
    EXPECT_EQ(MatchText(c.pattern, c.text, c.mode, 1), c.insensitive);
}

TEST(MatchText, FourModesUnderBothCompareModes) {
    const Case cases[] = {
        {"abc", "xxABCxx", 1, false, true},
        {"abc", "xxABCxx", 0, false, false},
        {"XXa", "xxABCxx", 0, false, true},
        {"Untitled", "Untitled - Notepad", 0, true, true},
        {"Untitled - Notepad!", "Untitled - Notepad", 0, false, false},
        {"notepad", "Untitled - Notepad", 2, false, true},
        {"Notepad", "Untitled - Notepad", 2, true, true},
        {"Untitled", "Untitled - Notepad", 2, false, false},
        {"xUntitled - Notepad", "Untitled - Notepad", 2, false, false},
        {"abc", "abc", 3, true, true},
        {"abc", "ABC", 3, false, true},
        {"abc", "abc ", 3, false, false},
        {"abc ", "abc", 3, false, false},
        {"d - N", "Untitled - Notepad", 1, true, true},
        {"abcd", "abc", 1, false, false},
    };
    for (const Case& c : cases) check(c);
}

TEST(MatchText, ModesOutsideZeroToThreeNeverMatch) {
    for (const int mode : {4, 7, 255, -1}) {
        EXPECT_FALSE(MatchText("abc", "abc", mode, 0)) << mode;
        EXPECT_FALSE(MatchText("abc", "abc", mode, 1)) << mode;
        EXPECT_FALSE(MatchText("", "", mode, 0)) << mode;
    }
}

TEST(MatchText, EmptyPattern) {
    for (const int compare : {0, 1}) {
        EXPECT_TRUE(MatchText("", "", 0, compare));
        EXPECT_TRUE(MatchText("", "text", 0, compare));
        EXPECT_TRUE(MatchText("", "", 2, compare));
        EXPECT_TRUE(MatchText("", "text", 2, compare));
        EXPECT_FALSE(MatchText("", "", 1, compare));
        EXPECT_TRUE(MatchText("", "text", 1, compare));
        EXPECT_TRUE(MatchText("", "", 3, compare));
        EXPECT_FALSE(MatchText("", "text", 3, compare));
    }
}

TEST(MatchText, IgnoringCaseFoldsBeyondAscii) {
    // The folding itself is the text module's; here it must reach every mode.
    const Case cases[] = {
        {"ÉCOLE", "école", 3, false, true},
        {"Ñ", "ñandú", 0, false, true},
        {"Σ", "λόγος", 2, false, true},
        {"кириллица", "Ελληνικά Кириллица Español", 1, false, true},
        {"A", "А", 3, false, false},  // Latin A, Cyrillic А
        {"e", "é", 3, false, false},
    };
    for (const Case& c : cases) check(c);
}

TEST(MatchText, CountsCharactersNotBytes) {
    // "é" is two bytes: a byte-wise "begins with" of the pattern's first byte would match "ê".
    EXPECT_FALSE(MatchText("é", "ê", 0, 0));
    EXPECT_FALSE(MatchText("ê", "xé", 2, 0));
    EXPECT_TRUE(MatchText("γος", "λόγος", 2, 0));
    EXPECT_TRUE(MatchText("😀", "😀 smile", 0, 1));
    EXPECT_TRUE(MatchText("SMILE 😀", "smile 😀", 3, 1));
}

TEST(MatchText, BrokenUtf8IsComparedByteForByteWithoutHarm) {
    EXPECT_TRUE(MatchText("\xC3", "\xC3(", 0, 0));
    EXPECT_TRUE(MatchText("\xFF\xFE", "x\xFF\xFE", 2, 1));
    EXPECT_FALSE(MatchText("\xE9", "é", 3, 1)) << "a Latin-1 byte is not the UTF-8 letter";
    EXPECT_FALSE(MatchText("\xC3", "\xE3", 3, 1)) << "stray bytes are not letters to fold";
    EXPECT_TRUE(MatchText("\xE2\x82", "a\xE2\x82z", 1, 0)) << "a cut-off sequence";
    // A cut-off pattern never matches part of a whole letter.
    for (const int compare : {0, 1}) {
        EXPECT_FALSE(MatchText("\xC3", "\xC3\xA9", 0, compare)) << "é";
        EXPECT_FALSE(MatchText("\xA9", "\xC3\xA9", 2, compare)) << "é";
        EXPECT_FALSE(MatchText("\xD0", "\xD0\x96\xD0\xB0", 1, compare)) << "Жа";
        EXPECT_FALSE(MatchText("\xF0\x9F\x98", "\xF0\x9F\x98\x80", 0, compare)) << "😀";
    }
}

}  // namespace
}  // namespace kvr
