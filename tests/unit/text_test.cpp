#include "base/text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>

namespace kvr {
namespace {

std::u32string folded(std::string_view s) {
    std::u32string out = text::decode(s);
    for (char32_t& c : out) c = text::fold(c);
    return out;
}

std::string hex(char32_t c) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%04X", static_cast<unsigned>(c));
    return buffer;
}

std::u32string strays(std::string_view bytes) {
    std::u32string out;
    for (const char b : bytes) out.push_back(0xDC00 + static_cast<unsigned char>(b));
    return out;
}

TEST(TextDecode, WellFormedSequencesAtTheirBoundaries) {
    EXPECT_EQ(text::decode("\x7F\xC2\x80\xDF\xBF"), (std::u32string{0x7F, 0x80, 0x7FF}));
    EXPECT_EQ(text::decode("\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBF"),
              (std::u32string{0x800, 0xD7FF, 0xE000, 0xFFFF}));
    EXPECT_EQ(text::decode("\xF0\x90\x80\x80\xF4\x8F\xBF\xBF"),
              (std::u32string{0x10000, 0x10FFFF}));
    EXPECT_EQ(text::decode(std::string_view("a\0b", 3)), (std::u32string{'a', 0, 'b'}));
}

TEST(TextDecode, EveryByteOfABrokenSequenceStandsForItself) {
    const char* broken[] = {
        "\x80",              // continuation without a lead
        "\xBF\x80",          //
        "\xC3",              // cut off after the lead
        "\xE2\x82",          //
        "\xF0\x9F\x98",      //
        "\xC0\xAF",          // overlong "/"
        "\xC1\xBF",          //
        "\xE0\x80\xAF",      //
        "\xF0\x80\x80\xAF",  //
        "\xED\xA0\x80",      // a surrogate
        "\xED\xBF\xBF",      //
        "\xF4\x90\x80\x80",  // past U+10FFFF
        "\xF5\x80\x80\x80",  //
        "\xF8\x88\x80\x80\x80",
        "\xFE\xFF",
    };
    for (const std::string_view bytes : broken) {
        SCOPED_TRACE(testing::PrintToString(std::string(bytes)));
        EXPECT_EQ(text::decode(bytes), strays(bytes));
        EXPECT_EQ(text::length(bytes), bytes.size());
    }
}

TEST(TextDecode, ABrokenSequenceSwallowsNoCharacterAfterIt) {
    // A lead whose continuation is missing must not take the next character's bytes with it.
    EXPECT_EQ(text::decode("\xC3\xC3\xA9"), (std::u32string{0xDCC3, U'é'}));
    EXPECT_EQ(text::decode("\xE2\x82z"), (std::u32string{0xDCE2, 0xDC82, 'z'}));
    EXPECT_EQ(text::decode("\xF0\x9F\x98\xD0\x96"), (std::u32string{0xDCF0, 0xDC9F, 0xDC98, U'Ж'}));
    EXPECT_EQ(text::decode("\xE9t\xE9"), (std::u32string{0xDCE9, 't', 0xDCE9}));
}

TEST(TextFold, StrayBytesAreNoLettersAndFoldToNothingElse) {
    // "\xC3" is "Ã" and "\xE3" is "ã" in Latin-1: as strays they must stay two unequal
    // non-letters, and no valid character may fold onto either.
    for (char32_t b = 0x80; b <= 0xFF; ++b) EXPECT_EQ(text::fold(0xDC00 + b), 0xDC00 + b);
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        const char32_t f = text::fold(c);
        if (f >= 0xD800 && f <= 0xDFFF) ADD_FAILURE() << "U+" << hex(c) << " folds to U+" << hex(f);
    }
}

TEST(TextFold, FoldingTwiceChangesNothing) {
    // Otherwise a pattern typed in capitals and a title in small letters would fold apart.
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        const char32_t f = text::fold(c);
        if (text::fold(f) != f) ADD_FAILURE() << "U+" << hex(c) << " folds to U+" << hex(f);
    }
}

TEST(TextFold, CapitalsOfLatinGreekAndCyrillicFoldWithTheirSmallLetters) {
    const std::pair<const char*, const char*> alike[] = {
        {"ÉCOLE", "école"},
        {"ÀÉÎÕÜÇØÅÆÞ", "àéîõüçøåæþ"},
        {"ŁÓDŹ", "łódź"},
        {"ŒUVRE", "œuvre"},
        {"ČEŠTINA ŘEŽ ĞİŞ", "čeština řež ğiş"},
        {"Ÿ", "ÿ"},
        {"ΕΛΛΗΝΙΚΆ", "ελληνικά"},
        {"ΆΈΉΊΌΎΏ", "άέήίόύώ"},
        {"ΟΔΟΣ", "οδος"},  // final sigma
        {"ς", "Σ"},
        {"КИРИЛЛИЦА", "кириллица"},
        {"ЁЖИК", "ёжик"},
        {"ЇЖАК ҐАНОК ЎЗ", "їжак ґанок ўз"},
        {"Ελληνικά Кириллица Español", "ελληνικά кириллица español"},
        {"ẞ", "ß"},
        {"µ", "Μ"},       // micro sign and capital mu
        {"\u212A", "k"},  // kelvin sign
        {"\u2126", "ω"},  // ohm sign
        {"\u212B", "å"},  // angstrom sign
    };
    for (const auto& [a, b] : alike) {
        EXPECT_EQ(folded(a), folded(b)) << a << " / " << b;
        EXPECT_NE(text::decode(a), text::decode(b)) << a << " / " << b;
    }
    // The small letter is what everything folds to.
    EXPECT_EQ(folded("ÉCOLE ΛΌΓΟΣ ЖУК"), text::decode("école λόγοσ жук"));
    EXPECT_EQ(text::fold(U'İ'), U'i');
    EXPECT_EQ(text::fold(U'ſ'), U's');
}

TEST(TextFold, LettersOfDifferentScriptsOrAccentsStayApart) {
    // Latin A/O/P against Cyrillic А/О/Р and Greek Α/Ο/Ρ: alike to the eye, not the same letter.
    const std::pair<const char*, const char*> apart[] = {
        {"A", "А"}, {"O", "Ο"}, {"p", "Р"}, {"ρ", "р"},  {"e", "é"},
        {"ı", "i"}, {"ä", "ą"}, {"×", "÷"}, {"ß", "ss"},
    };
    for (const auto& [a, b] : apart) EXPECT_NE(folded(a), folded(b)) << a << " / " << b;
}

TEST(TextCharacters, CountsAndCutsByCharactersNotBytes) {
    const std::string greek = "Ελληνικά";  // 8 characters in 16 bytes
    EXPECT_EQ(text::length(greek), 8u);
    EXPECT_EQ(text::characters(greek, 0, 3), "Ελλ");
    EXPECT_EQ(text::characters(greek, 5, 100), "ικά");
    EXPECT_EQ(text::characters(greek, 8, 1), "");
    EXPECT_EQ(text::characters(greek, 20, 2), "");
    EXPECT_EQ(text::characters(greek, 2, 0), "");

    const std::string mixed = "a😀é\xE2\x82Жz";  // 1, 4, 2 bytes, two strays, 2, 1
    EXPECT_EQ(text::length(mixed), 7u);
    const char* pieces[] = {"a", "😀", "é", "\xE2", "\x82", "Ж", "z"};
    std::string joined;
    for (std::size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(text::characters(mixed, i, 1), pieces[i]) << i;
        joined += text::characters(mixed, i, 1);
    }
    EXPECT_EQ(joined, mixed);
    EXPECT_EQ(text::characters(mixed, 1, 2), "😀é");
    EXPECT_EQ(text::length(""), 0u);
    EXPECT_EQ(text::characters("", 0, 3), "");
}

TEST(TextIsNumeric, NumbersAsTheyAreWrittenAndNothingElse) {
    for (const char* yes : {"0020", "7", " 12 ", "\t5\t", "-3", "+0.5", "1e3", "1E-3", "1e+03",
                            "2.", ".5", "-.5e2", "000"}) {
        EXPECT_TRUE(text::isNumeric(yes)) << yes;
    }
    for (const char* no : {"",
                           " ",
                           "-",
                           "+",
                           ".",
                           "-.",
                           "0x1A",
                           "inf",
                           "nan",
                           "12a",
                           "1e",
                           "1e+",
                           "1 2",
                           "1.2.3",
                           "1e3.5",
                           "--1",
                           "+-1",
                           "1,5",
                           "e5",
                           ".e5",
                           "&Windows",
                           "mnuSTray",
                           "\xD9\xA1\xD9\xA2",  // Arabic-Indic 12
                           "\xEF\xBC\x91",      // fullwidth 1
                           "12\r",
                           "12\n"}) {
        EXPECT_FALSE(text::isNumeric(no)) << no;
    }
    EXPECT_FALSE(text::isNumeric(std::string_view("12\0", 3)));
}

// The program's numbers once went through snprintf: the same texts, with no printf in the build.
TEST(TextPadded, WritesWhatPrintfWrites) {
    for (const long long n :
         {0LL, 5LL, 10LL, 42LL, 123LL, 255LL, 65535LL, 2147483647LL, -5LL, -123LL, -2147483648LL}) {
        for (const int width : {0, 1, 2, 3, 8}) {
            char decimal[32];
            std::snprintf(decimal, sizeof decimal, "%0*lld", width, n);
            EXPECT_EQ(text::padded(n, width), decimal) << n << " " << width;
            if (n < 0) continue;
            char hexadecimal[32];
            std::snprintf(hexadecimal, sizeof hexadecimal, "%0*llX", width, n);
            EXPECT_EQ(text::padded(n, width, 16), hexadecimal) << n << " " << width;
        }
    }
}

int sign(int n) {
    return (n > 0) - (n < 0);
}

// Asserts a < b both ways round.
void expectBefore(std::string_view a, std::string_view b) {
    EXPECT_LT(text::collate(a, b), 0) << a << " < " << b;
    EXPECT_GT(text::collate(b, a), 0) << b << " > " << a;
}

TEST(TextCollate, CaseNeverDecides) {
    const std::pair<const char*, const char*> equal[] = {
        {"ÉCLAIR", "éclair"}, {"ЖУК", "жук"},         {"Жаба", "жАБА"}, {"ΟΔΟΣ", "οδος"},
        {"ẞ", "ß"},           {"Notepad", "NOTEPAD"}, {"", ""},
    };
    for (const auto& [a, b] : equal) {
        EXPECT_EQ(text::collate(a, b), 0) << a << " / " << b;
        EXPECT_EQ(text::collate(b, a), 0) << b << " / " << a;
    }
}

TEST(TextCollate, LettersFirstThenAccents) {
    expectBefore("Ecole", "École");
    expectBefore("École", "ecoles");  // the letters decide before the accent
    expectBefore("Espanol", "Español");
    expectBefore("Español", "espanola");
    expectBefore("Ångström", "Ångströms");
    expectBefore("apple", "Éclair");
    expectBefore("Éclair", "Zebra");
    expectBefore("čeština", "dansk");
    expectBefore("Íslenska", "Italiano");
}

TEST(TextCollate, LigaturesSortAsTheirLetters) {
    expectBefore("Ad", "Æbleskiver");
    expectBefore("Aebleskiver", "Æbleskiver");  // same letters: the ligature is the accent
    expectBefore("Æbleskiver", "Af");
    expectBefore("Strasse", "Straße");
    expectBefore("Straße", "Strast");
    expectBefore("oeuvre", "Œuvre");
    EXPECT_EQ(text::collate("STRAẞE", "straße"), 0);
}

TEST(TextCollate, ScriptsInTheirOwnOrderAndShorterFirst) {
    expectBefore("Zebra", "Ελληνικά");
    expectBefore("Ωμέγα", "Жаба");
    expectBefore("Жаба", "жук");
    expectBefore("ab", "abc");
    expectBefore("", "a");
    expectBefore("10", "9");  // text, not numbers
    expectBefore("a b", "ab");
}

TEST(TextCollate, TextsThatShareTheBytesOfALetterStillCompareByLetters) {
    // "é" and "É" share their first byte, "€" begins with the cut-off "\xE2\x82".
    expectBefore("xéa", "xÉz");
    expectBefore("xÉa", "xéz");
    expectBefore("x€", "x\xE2\x82");
    expectBefore("Document 12", "DOCUMENT 13");
    expectBefore("Документ 12", "ДОКУМЕНТ 13");
    EXPECT_EQ(text::collate("Документ 12", "ДОКУМЕНТ 12"), 0);
}

TEST(TextCollate, BrokenTextSortsWithoutHarm) {
    EXPECT_EQ(text::collate("\xC3", "\xC3"), 0);
    EXPECT_NE(text::collate("\xC3", "\xE3"), 0) << "stray bytes are not letters to fold";
    expectBefore("a", "a\xFF");
    expectBefore("Жаба", "\xD0");
    const char* names[] = {"\xE2\x82", "é", "\xC3", "É", "z", "\xF0\x9F\x98", ""};
    for (const char* a : names) {
        for (const char* b : names) {
            EXPECT_EQ(sign(text::collate(a, b)), -sign(text::collate(b, a)));
        }
    }
}

}  // namespace
}  // namespace kvr
