#include "startup/cls_wbd.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fake/fake_registry.h"

using namespace std::string_literals;
using kvr::clsWBD;
using kvr::platform::FakeRegistry;
using kvr::platform::HKey;
namespace err = kvr::platform::err;
namespace reg = kvr::platform::reg;

namespace kvr {
struct ClsWbdInternals {
    static HKey resolve(clsWBD& wbd, std::string& path, HKey fallback, bool& named) {
        return wbd.ResolveRoot(path, fallback, named);
    }
    static std::string trim(const std::string& text, bool multi) {
        return clsWBD::TrimRegText(text, multi);
    }
    static std::string formatted(clsWBD& wbd, const std::string& key, const std::string& name) {
        auto data = wbd.ReadValue(key, name, reg::kCurrentUser, true);
        return data ? std::get<std::string>(*data) : "<nothing>";
    }
};
}  // namespace kvr

namespace {

using Bytes = std::vector<std::uint8_t>;
using Internals = kvr::ClsWbdInternals;

Bytes bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

class ClsWbd : public ::testing::Test {
protected:
    // Whatever a test did, no handle may stay open behind it.
    void TearDown() override { EXPECT_EQ(fake.openHandles(), 0u); }

    FakeRegistry fake;
    clsWBD wbd{fake};
};

TEST_F(ClsWbd, ResolveRootReadsPrefixesAndFullNamesExactly) {
    struct Case {
        std::string path;
        HKey fallback;
        HKey root;
        std::string rest;
        bool named;
    };
    const HKey cu = reg::kCurrentUser;
    const std::vector<Case> cases = {
        {"HKCR\\A", cu, reg::kClassesRoot, "A", true},
        {"HKCU\\A\\B", reg::kLocalMachine, cu, "A\\B", true},
        {"HKLM\\A", cu, reg::kLocalMachine, "A", true},
        {"HKU\\A", cu, reg::kUsers, "A", true},
        {"HKCC\\A", cu, reg::kCurrentConfig, "A", true},
        {"HKDD\\A", cu, reg::kDynData, "A", true},
        {"HKEY_CLASSES_ROOT\\A", cu, reg::kClassesRoot, "A", true},
        {"HKEY_CURRENT_USER\\A\\B", reg::kLocalMachine, cu, "A\\B", true},
        {"HKEY_LOCAL_MACHINE\\A", cu, reg::kLocalMachine, "A", true},
        {"HKEY_USERS\\A", cu, reg::kUsers, "A", true},
        {"HKEY_CURRENT_CONFIG\\A", cu, reg::kCurrentConfig, "A", true},
        {"HKEY_DYN_DATA\\A", cu, reg::kDynData, "A", true},
        {"HKEY_CURRENT_USER", reg::kLocalMachine, cu, "", true},
        {"HKEY_PERFORMANCE_DATA\\A", cu, reg::kClassesRoot, "A", true},
        {"HKEY_current_user\\A", cu, reg::kClassesRoot, "A", true},
        {"Software\\HKEY_X", cu, reg::kClassesRoot, "HKEY_X", true},
        {"hkcu\\A", reg::kLocalMachine, reg::kLocalMachine, "hkcu\\A", false},
        {"HKU", cu, cu, "HKU", false},
        {"HKCUX\\A", cu, cu, "HKCUX\\A", false},
        {"Software\\X", reg::kUsers, reg::kUsers, "Software\\X", false},
        {"Software\\X", reg::kPerformanceData, reg::kClassesRoot, "Software\\X", false},
        {"Software\\X", 0x80000007, reg::kClassesRoot, "Software\\X", false},
        {"Software\\X", 0x1234, reg::kClassesRoot, "Software\\X", false},
        {"", cu, cu, "", false},
    };
    for (const Case& c : cases) {
        std::string path = c.path;
        bool named = !c.named;
        EXPECT_EQ(Internals::resolve(wbd, path, c.fallback, named), c.root) << c.path;
        EXPECT_EQ(path, c.rest) << c.path;
        EXPECT_EQ(named, c.named) << c.path;
    }
    EXPECT_EQ(fake.calls(), 0u);
}

TEST_F(ClsWbd, EachMethodHasItsOwnDefaultRoot) {
    fake.putText(reg::kCurrentUser, "Software\\X", "v", "user");
    EXPECT_EQ(wbd.strDame("HKCU\\Software\\X", "v"), "user");
    EXPECT_EQ(wbd.strDame("HKEY_CURRENT_USER\\Software\\X", "v"), "user");
    EXPECT_EQ(wbd.strDame("Software\\X", "v"), "user");

    EXPECT_FALSE(wbd.ExistKey("Software\\X"));  // looks in HKLM
    EXPECT_TRUE(wbd.ExistKey("HKCU\\Software\\X"));
    fake.putKey(reg::kLocalMachine, "Software\\X");
    EXPECT_TRUE(wbd.ExistKey("Software\\X"));

    EXPECT_EQ(wbd.CreateKey("Software\\Made"), err::kSuccess);
    EXPECT_TRUE(fake.hasKey(reg::kClassesRoot, "Software\\Made"));
    EXPECT_FALSE(fake.hasKey(reg::kCurrentUser, "Software\\Made"));

    EXPECT_EQ(wbd.SetReg("Software\\Set", "n", "t"), err::kSuccess);
    EXPECT_TRUE(fake.value(reg::kCurrentUser, "Software\\Set", "n"));

    std::vector<std::string> keys;
    EXPECT_TRUE(wbd.EnumKeys(keys, "Software"));  // HKCR: holds only "Made"
    EXPECT_EQ(keys, (std::vector<std::string>{"", "Made"}));
}

TEST_F(ClsWbd, LowerCasePrefixIsASubPathOfTheDefaultRoot) {
    fake.putText(reg::kCurrentUser, "Software\\X", "v", "outer");
    fake.putText(reg::kCurrentUser, "hkcu\\Software\\X", "v", "inner");
    EXPECT_EQ(wbd.strDame("hkcu\\Software\\X", "v"), "inner");
    EXPECT_EQ(wbd.SetReg("hkcu\\Software\\Y", "v", "w"), err::kSuccess);
    EXPECT_TRUE(fake.hasKey(reg::kCurrentUser, "hkcu\\Software\\Y"));
    EXPECT_FALSE(fake.hasKey(reg::kCurrentUser, "Software\\Y"));
}

TEST_F(ClsWbd, AnOutOfRangeDefaultRootBecomesClassesRoot) {
    for (HKey fallback : {HKey{0}, HKey{0x1234}, reg::kPerformanceData, HKey{0x80000007}}) {
        fake.putKey(reg::kCurrentUser, "Software\\Z");
        EXPECT_EQ(wbd.SetReg("Software\\Z", "n", "t", fallback), err::kSuccess);
        EXPECT_TRUE(fake.value(reg::kClassesRoot, "Software\\Z", "n")) << fallback;
        EXPECT_EQ(wbd.DeleteKey("Software\\Z", "", fallback), err::kSuccess);
        EXPECT_FALSE(fake.hasKey(reg::kClassesRoot, "Software\\Z")) << fallback;
        EXPECT_TRUE(fake.hasKey(reg::kCurrentUser, "Software\\Z")) << fallback;
    }
    EXPECT_EQ(wbd.SetReg("HKEY_NOWHERE\\Software\\Q", "n", "t"), err::kSuccess);
    EXPECT_TRUE(fake.hasKey(reg::kClassesRoot, "Software\\Q"));
}

TEST_F(ClsWbd, StrDameGivesTextsAndDecimalNumbersOnly) {
    const std::string key = "Software\\D";
    fake.putDword(reg::kCurrentUser, key, "sixteen", 16);
    fake.putDword(reg::kCurrentUser, key, "all", 0xFFFFFFFF);
    fake.putValue(reg::kCurrentUser, key, "short", reg::kDword, {0x10, 0x01});
    fake.putValue(reg::kCurrentUser, key, "long", reg::kDword, {7, 0, 0, 0, 9, 9, 9});
    fake.putValue(reg::kCurrentUser, key, "nodword", reg::kDword, {});
    fake.putText(reg::kCurrentUser, key, "empty", "");
    fake.putValue(reg::kCurrentUser, key, "bare", reg::kSz, bytes("abc"));
    fake.putValue(reg::kCurrentUser, key, "nothing", reg::kSz, {});
    fake.putText(reg::kCurrentUser, key, "spanish", "Español");
    fake.putValue(reg::kCurrentUser, key, "expand", reg::kExpandSz, bytes("%TEMP%\0"s));
    fake.putValue(reg::kCurrentUser, key, "multi", reg::kMultiSz, bytes("a\0b\0\0"s));
    fake.putValue(reg::kCurrentUser, key, "bin", reg::kBinary, bytes("raw"));

    EXPECT_EQ(wbd.strDame(key, "sixteen"), "16");
    EXPECT_EQ(wbd.strDame(key, "all"), "-1");
    EXPECT_EQ(wbd.strDame(key, "short"), "272");
    EXPECT_EQ(wbd.strDame(key, "long"), "7");
    EXPECT_EQ(wbd.strDame(key, "nodword"), "");
    EXPECT_EQ(wbd.strDame(key, "empty"), "");
    EXPECT_EQ(wbd.strDame(key, "bare"), "abc");
    EXPECT_EQ(wbd.strDame(key, "nothing"), "");
    EXPECT_EQ(wbd.strDame(key, "spanish"), "Español");
    EXPECT_EQ(wbd.strDame(key, "expand"), "");
    EXPECT_EQ(wbd.strDame(key, "multi"), "");
    EXPECT_EQ(wbd.strDame(key, "bin"), "raw");
    EXPECT_EQ(wbd.strDame(key, "missing"), "");
    EXPECT_EQ(wbd.strDame("Software\\Missing", "sixteen"), "");
    EXPECT_EQ(fake.writeCalls(), 0u);
}

TEST_F(ClsWbd, TheFormatFlagSpellsNumbersAndBytesInHex) {
    fake.putDword(reg::kCurrentUser, "K", "dw", 255);
    fake.putDword(reg::kCurrentUser, "K", "neg", 0xFFFFFFFE);
    fake.putValue(reg::kCurrentUser, "K", "bin", reg::kBinary, {0x0A, 0x01, 0xFF});
    EXPECT_EQ(Internals::formatted(wbd, "K", "dw"), "0x000000FF (255)");
    EXPECT_EQ(Internals::formatted(wbd, "K", "neg"), "0xFFFFFFFE (-2)");
    EXPECT_EQ(Internals::formatted(wbd, "K", "bin"), "A 1 FF ");
}

TEST_F(ClsWbd, DisplaySettingsComeFromTheMachineKey) {
    EXPECT_EQ(wbd.strResolucionPantalla(), "");
    fake.putText(reg::kLocalMachine, "Config\\0001\\Display\\Settings", "Resolution", "1024,768");
    fake.putText(reg::kLocalMachine, "Config\\0001\\Display\\Settings", "DPILogicalX", "96");
    EXPECT_EQ(wbd.strResolucionPantalla(), "1024,768");
    EXPECT_EQ(wbd.strTamañoFuenteSistema(), "96");
}

TEST_F(ClsWbd, ARootIsReadOnlyWhenThePathNamesIt) {
    fake.putText(reg::kCurrentUser, "", "atRoot", "root value");
    EXPECT_EQ(wbd.strDame("HKEY_CURRENT_USER", "atRoot"), "root value");
    EXPECT_EQ(wbd.strDame("HKCU\\", "atRoot"), "root value");
    EXPECT_TRUE(wbd.ExistKey("HKEY_CURRENT_USER"));

    fake.resetCounters();
    std::vector<std::string> keys{"junk"};
    EXPECT_EQ(wbd.strDame("", "atRoot"), "");
    EXPECT_FALSE(wbd.ExistKey(""));
    EXPECT_FALSE(wbd.EnumKeys(keys, ""));
    EXPECT_EQ(keys, std::vector<std::string>{""});
    EXPECT_FALSE(wbd.EnumValues(keys, "\\"));
    EXPECT_EQ(fake.calls(), 0u);
}

TEST_F(ClsWbd, WritesThatWouldReachARootAreRefusedUntouched) {
    fake.putText(reg::kCurrentUser, "Software\\Keep", "v", "kept");
    fake.putText(reg::kClassesRoot, "Keep", "v", "kept");
    fake.resetCounters();
    for (const std::string path : {"", "\\", "\\\\", "HKCU\\", "HKCR\\\\", "HKEY_CURRENT_USER",
                                   "HKEY_CLASSES_ROOT\\", "HKEY_ELSEWHERE"}) {
        EXPECT_EQ(wbd.SetReg(path, "v", "x"), err::kInvalidParameter) << path;
        EXPECT_EQ(wbd.CreateKey(path), err::kInvalidParameter) << path;
        EXPECT_EQ(wbd.DeleteKey(path, ""), err::kInvalidParameter) << path;
        EXPECT_EQ(wbd.DeleteKey(path, "v"), err::kInvalidParameter) << path;
        EXPECT_EQ(wbd.DeleteKey(path, "", reg::kClassesRoot), err::kInvalidParameter) << path;
    }
    EXPECT_EQ(fake.calls(), 0u);
    EXPECT_TRUE(fake.value(reg::kCurrentUser, "Software\\Keep", "v"));
    EXPECT_TRUE(fake.value(reg::kClassesRoot, "Keep", "v"));
}

TEST_F(ClsWbd, CreateKeyMakesTheWholePathOnce) {
    EXPECT_EQ(wbd.CreateKey("HKCU\\Software\\A\\B\\C"), err::kSuccess);
    EXPECT_TRUE(fake.hasKey(reg::kCurrentUser, "Software\\A\\B\\C"));
    fake.resetCounters();
    EXPECT_EQ(wbd.CreateKey("HKCU\\software\\a\\b\\c"), err::kSuccess);
    EXPECT_EQ(fake.writeCalls(), 0u);  // it existed: opened, not created

    fake.setReadOnly(true);
    EXPECT_EQ(wbd.CreateKey("HKCU\\Software\\New"), err::kAccessDenied);
    EXPECT_FALSE(fake.hasKey(reg::kCurrentUser, "Software\\New"));
}

TEST_F(ClsWbd, SetRegWritesEachTypeAsTheProgramStoresIt) {
    using V = FakeRegistry::Value;
    auto stored = [&](const std::string& name) {
        return fake.value(reg::kCurrentUser, "Software\\S", name).value_or(V{"<none>", 0, {}});
    };
    const HKey cu = reg::kCurrentUser;
    EXPECT_EQ(wbd.SetReg("Software\\S", "empty", ""), err::kSuccess);
    EXPECT_EQ(stored("empty").data, Bytes{0});
    EXPECT_EQ(stored("empty").type, reg::kSz);
    EXPECT_EQ(wbd.SetReg("Software\\S", "text", "Español"), err::kSuccess);
    EXPECT_EQ(stored("text").data, bytes("Español\0"s));
    EXPECT_EQ(wbd.SetReg("Software\\S", "numtext", 5), err::kSuccess);
    EXPECT_EQ(stored("numtext").data, bytes("5\0"s));
    EXPECT_EQ(wbd.SetReg("Software\\S", "bin", Bytes{0, 0x0A, 0xFF}, cu, reg::kBinary),
              err::kSuccess);
    EXPECT_EQ(stored("bin").type, reg::kBinary);
    EXPECT_EQ(stored("bin").data, (Bytes{0, 0x0A, 0xFF}));
    EXPECT_EQ(wbd.SetReg("Software\\S", "dw", 16, cu, reg::kDword), err::kSuccess);
    EXPECT_EQ(stored("dw").type, reg::kDword);
    EXPECT_EQ(stored("dw").data, (Bytes{16, 0, 0, 0}));
    EXPECT_EQ(wbd.SetReg("Software\\S", "dwtext", " -2 ", cu, reg::kDword), err::kSuccess);
    EXPECT_EQ(stored("dwtext").data, (Bytes{0xFE, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(wbd.strDame("Software\\S", "dw"), "16");

    EXPECT_EQ(wbd.SetReg("Software\\S", "bad", "sixteen", cu, reg::kDword), err::kInvalidParameter);
    EXPECT_EQ(wbd.SetReg("Software\\S", "bad", 3, cu, reg::kBinary), err::kInvalidParameter);
    EXPECT_EQ(wbd.SetReg("Software\\S", "bad", "x", cu, reg::kMultiSz), err::kSuccess);
    EXPECT_EQ(stored("bad").name, "<none>");  // other types write nothing
}

TEST_F(ClsWbd, SetRegCreatesTheKeyOnlyWhenAsked) {
    EXPECT_EQ(wbd.SetReg("Software\\New\\Deep", "v", "x", reg::kCurrentUser, reg::kSz, false),
              err::kFileNotFound);
    EXPECT_FALSE(fake.hasKey(reg::kCurrentUser, "Software\\New"));
    EXPECT_EQ(wbd.SetReg("Software\\New\\Deep", "v", "x"), err::kSuccess);
    EXPECT_EQ(wbd.strDame("Software\\New\\Deep", "v"), "x");
    EXPECT_EQ(wbd.SetReg("Software\\New\\Deep", "v", "y", reg::kCurrentUser, reg::kSz, false),
              err::kSuccess);
    EXPECT_EQ(wbd.strDame("Software\\New\\Deep", "v"), "y");
}

TEST_F(ClsWbd, ARegistryThatCannotBeWrittenKeepsEverything) {
    fake.putText(reg::kCurrentUser, "Software\\T\\Sub", "v", "before");
    fake.setReadOnly(true);
    EXPECT_EQ(wbd.SetReg("Software\\T\\Sub", "v", "after"), err::kAccessDenied);
    EXPECT_EQ(wbd.SetReg("Software\\Other", "v", "after"), err::kAccessDenied);
    EXPECT_EQ(wbd.DeleteKey("Software\\T", ""), err::kAccessDenied);
    EXPECT_EQ(wbd.DeleteKey("Software\\T\\Sub", "v"), err::kAccessDenied);
    EXPECT_EQ(wbd.strDame("Software\\T\\Sub", "v"), "before");
    EXPECT_FALSE(fake.hasKey(reg::kCurrentUser, "Software\\Other"));
}

TEST_F(ClsWbd, DeleteKeyRemovesAWholeTreeAndNothingBeside) {
    const HKey cu = reg::kCurrentUser;
    for (const char* path : {"Software\\T\\a\\x\\y", "Software\\T\\a\\z", "Software\\T\\b",
                             "Software\\T\\c\\d\\e\\f", "Software\\T\\c\\d2", "Software\\Tail"})
        fake.putText(cu, path, "v", path);
    fake.putText(cu, "Software\\T", "top", "t");

    EXPECT_EQ(wbd.DeleteKey("Software\\T", ""), err::kSuccess);
    EXPECT_FALSE(fake.hasKey(cu, "Software\\T"));
    EXPECT_EQ(fake.subKeys(cu, "Software"), std::vector<std::string>{"Tail"});
    EXPECT_EQ(wbd.DeleteKey("Software\\T", ""), err::kFileNotFound);
    EXPECT_EQ(wbd.DeleteKey("HKEY_CURRENT_USER\\Software\\Tail", "", reg::kLocalMachine),
              err::kSuccess);
    EXPECT_FALSE(fake.hasKey(cu, "Software\\Tail"));
}

TEST_F(ClsWbd, DeleteKeyWithAValueNameLeavesTheKey) {
    fake.putText(reg::kCurrentUser, "Software\\V", "gone", "1");
    fake.putText(reg::kCurrentUser, "Software\\V", "stays", "2");
    EXPECT_EQ(wbd.DeleteKey("Software\\V", "GONE"), err::kSuccess);
    EXPECT_FALSE(fake.value(reg::kCurrentUser, "Software\\V", "gone"));
    EXPECT_TRUE(fake.value(reg::kCurrentUser, "Software\\V", "stays"));
    EXPECT_EQ(wbd.DeleteKey("Software\\V", "gone"), err::kFileNotFound);
    EXPECT_EQ(wbd.DeleteKey("Software\\Nowhere", "gone"), err::kFileNotFound);
}

TEST_F(ClsWbd, EnumKeysListsNamesAfterAnEmptySlot) {
    std::vector<std::string> keys{"left", "over"};
    EXPECT_FALSE(wbd.EnumKeys(keys, "HKCU\\Software\\Missing"));
    EXPECT_EQ(keys, std::vector<std::string>{""});

    fake.putKey(reg::kCurrentUser, "Software\\E");
    EXPECT_TRUE(wbd.EnumKeys(keys, "HKCU\\Software\\E"));
    EXPECT_EQ(keys, std::vector<std::string>{""});

    for (const char* name : {"b", "Ωμέγα", "A", "c"})
        fake.putKey(reg::kCurrentUser, "Software\\E\\"s + name);
    EXPECT_TRUE(wbd.EnumKeys(keys, "HKCU\\Software\\E"));
    EXPECT_EQ(keys, (std::vector<std::string>{"", "A", "b", "c", "Ωμέγα"}));
}

TEST_F(ClsWbd, EnumValuesPairsNamesWithTheirDataAsText) {
    const std::string key = "Software\\EV";
    const HKey cu = reg::kCurrentUser;
    fake.putValue(cu, key, "sz", reg::kSz, bytes("text\0tail\0"s));
    fake.putValue(cu, key, "szempty", reg::kSz, {});
    fake.putValue(cu, key, "expand", reg::kExpandSz, bytes("%X%\0"s));
    fake.putValue(cu, key, "multi", reg::kMultiSz, bytes("a\0b\0\0"s));
    fake.putDword(cu, key, "dword", 42);
    fake.putValue(cu, key, "binary", reg::kBinary, {0x0A, 0xFF, 0x01, 0x00, 0x10});
    fake.putValue(cu, key, "nobytes", reg::kBinary, {});
    fake.putValue(cu, key, "qword", 11, {9, 0, 0, 0, 0, 0, 0, 0xAB});

    std::vector<std::string> values;
    ASSERT_TRUE(wbd.EnumValues(values, "HKCU\\" + key));
    EXPECT_EQ(values,
              (std::vector<std::string>{"", "binary", "A FF 01 00 10 ", "dword", "42", "expand",
                                        "%X%", "multi", "a b ", "qword", "09 00 00 00 00 00 00 AB ",
                                        "sz", "text", "szempty", ""}));
    EXPECT_FALSE(wbd.EnumValues(values, "HKCU\\Software\\Missing"));
    EXPECT_EQ(values, std::vector<std::string>{""});
}

TEST_F(ClsWbd, TrimRegTextCutsAtTheRightNul) {
    EXPECT_EQ(Internals::trim("abc", false), "abc");
    EXPECT_EQ(Internals::trim("abc\0def\0"s, false), "abc");
    EXPECT_EQ(Internals::trim("\0"s, false), "");
    EXPECT_EQ(Internals::trim("", false), "");

    EXPECT_EQ(Internals::trim("a\0b\0\0"s, true), "a b ");
    EXPECT_EQ(Internals::trim("a\0b\0"s, true), "a b");
    EXPECT_EQ(Internals::trim("one", true), "one");
    EXPECT_EQ(Internals::trim("\0"s, true), "");
    EXPECT_EQ(Internals::trim("", true), "");
}

TEST_F(ClsWbd, RegSetDefaultWritesTheTextWithoutTerminator) {
    HKey key = 0;
    ASSERT_EQ(fake.createKey(reg::kCurrentUser, "Software\\R", key), err::kSuccess);
    EXPECT_EQ(wbd.RegSetDefault(key, "name", "abc"), err::kSuccess);
    EXPECT_EQ(wbd.CloseKey(key), err::kSuccess);
    EXPECT_EQ(wbd.CloseKey(key), err::kInvalidHandle);
    const auto value = fake.value(reg::kCurrentUser, "Software\\R", "name");
    ASSERT_TRUE(value);
    EXPECT_EQ(value->type, reg::kSz);
    EXPECT_EQ(value->data, bytes("abc"));
}

}  // namespace
