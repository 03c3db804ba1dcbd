// One set of registry cases, run against the fake natively and against advapi32 under Wine.
// Everything happens below HKCU\Software\KVRContractTest, which is removed before and after.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "startup/cls_wbd.h"
#include "tests/contract/contract_env.h"

using namespace std::string_literals;
using kvr::platform::HKey;
using kvr::platform::KeyInfo;
using kvr::platform::Registry;
namespace err = kvr::platform::err;
namespace reg = kvr::platform::reg;

namespace {

constexpr char kScratch[] = "Software\\KVRContractTest";
constexpr std::uint32_t kSetValueAccess = 0x0002;
constexpr std::uint32_t kEnumerateAccess = 0x0008;

using Bytes = std::vector<std::uint8_t>;

Bytes bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

Bytes dword(std::uint32_t n) {
    return {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
            static_cast<std::uint8_t>(n >> 16), static_cast<std::uint8_t>(n >> 24)};
}

// Depth first through the port alone, so cleaning up owes nothing to the code under test above.
void removeTree(Registry& registry, HKey parent, const std::string& subKey) {
    HKey key = 0;
    if (registry.openKey(parent, subKey, reg::kAllAccess, key) != err::kSuccess) return;
    std::string name;
    while (registry.enumKey(key, 0, name) == err::kSuccess) {
        removeTree(registry, key, name);
        std::string again;
        if (registry.enumKey(key, 0, again) == err::kSuccess && again == name) break;
    }
    registry.closeKey(key);
    registry.deleteKey(parent, subKey);
}

class RegistryContract : public ::testing::Test {
protected:
    void SetUp() override {
        registry = kvr::contract::makeRegistry();
        removeTree(*registry, reg::kCurrentUser, kScratch);
        ASSERT_EQ(registry->createKey(reg::kCurrentUser, kScratch, scratch), err::kSuccess);
    }

    void TearDown() override {
        if (scratch != 0) registry->closeKey(scratch);
        removeTree(*registry, reg::kCurrentUser, kScratch);
        HKey key = 0;
        EXPECT_EQ(registry->openKey(reg::kCurrentUser, kScratch, reg::kRead, key),
                  err::kFileNotFound);
    }

    void makeKey(const std::string& subKey) {
        HKey key = 0;
        ASSERT_EQ(registry->createKey(scratch, subKey, key), err::kSuccess) << subKey;
        EXPECT_EQ(registry->closeKey(key), err::kSuccess);
    }

    bool opens(const std::string& subKey) {
        HKey key = 0;
        if (registry->openKey(scratch, subKey, reg::kRead, key) != err::kSuccess) return false;
        registry->closeKey(key);
        return true;
    }

    std::vector<std::string> keyNames(HKey key) {
        std::vector<std::string> names;
        std::string name;
        std::uint32_t index = 0;
        kvr::platform::ErrorCode rc;
        while ((rc = registry->enumKey(key, index++, name)) == err::kSuccess) names.push_back(name);
        EXPECT_EQ(rc, err::kNoMoreItems);
        return names;
    }

    std::vector<std::string> valueNames(HKey key) {
        std::vector<std::string> names;
        std::string name;
        std::uint32_t type = 0;
        Bytes data;
        std::uint32_t index = 0;
        kvr::platform::ErrorCode rc;
        while ((rc = registry->enumValue(key, index++, name, type, data)) == err::kSuccess)
            names.push_back(name);
        EXPECT_EQ(rc, err::kNoMoreItems);
        return names;
    }

    std::unique_ptr<Registry> registry;
    HKey scratch = 0;
};

TEST_F(RegistryContract, KeysAreCreatedOpenedAndClosedThroughTheirOwnHandles) {
    HKey created = 0;
    ASSERT_EQ(registry->createKey(scratch, "One", created), err::kSuccess);
    EXPECT_NE(created, 0u);
    EXPECT_NE(created, scratch);
    EXPECT_LT(created, reg::kClassesRoot);
    EXPECT_EQ(registry->closeKey(created), err::kSuccess);

    HKey opened = 0;
    ASSERT_EQ(registry->openKey(scratch, "One", reg::kRead, opened), err::kSuccess);
    EXPECT_NE(opened, 0u);
    EXPECT_EQ(registry->closeKey(opened), err::kSuccess);
    EXPECT_EQ(registry->closeKey(opened), err::kInvalidHandle);

    // Creating an existing key opens it and keeps what it holds.
    HKey key = 0;
    ASSERT_EQ(registry->createKey(scratch, "One", key), err::kSuccess);
    ASSERT_EQ(registry->setValue(key, "v", reg::kDword, dword(7)), err::kSuccess);
    registry->closeKey(key);
    ASSERT_EQ(registry->createKey(scratch, "One", key), err::kSuccess);
    std::uint32_t type = 0;
    Bytes data;
    EXPECT_EQ(registry->queryValue(key, "v", type, data), err::kSuccess);
    EXPECT_EQ(data, dword(7));
    registry->closeKey(key);
}

TEST_F(RegistryContract, MissingKeysAreFileNotFound) {
    HKey key = 123;
    EXPECT_EQ(registry->openKey(scratch, "Nope", reg::kRead, key), err::kFileNotFound);
    EXPECT_EQ(key, 0u);
    EXPECT_EQ(registry->openKey(scratch, "Nope\\Deeper", reg::kRead, key), err::kFileNotFound);
    EXPECT_EQ(registry->deleteKey(scratch, "Nope"), err::kFileNotFound);
}

TEST_F(RegistryContract, BadHandlesAreInvalidHandle) {
    HKey key = 0;
    EXPECT_EQ(registry->closeKey(0), err::kInvalidHandle);
    EXPECT_EQ(registry->closeKey(0x00FFFFF0), err::kInvalidHandle);
    EXPECT_EQ(registry->openKey(0, "x", reg::kRead, key), err::kInvalidHandle);
    EXPECT_EQ(registry->openKey(0x80000007, "x", reg::kRead, key), err::kInvalidHandle);
    EXPECT_EQ(registry->openKey(0x80000010, "x", reg::kRead, key), err::kInvalidHandle);

    HKey closed = 0;
    ASSERT_EQ(registry->openKey(scratch, "", reg::kRead, closed), err::kSuccess);
    registry->closeKey(closed);
    std::uint32_t type = 0;
    Bytes data;
    std::string name;
    EXPECT_EQ(registry->queryValue(closed, "v", type, data), err::kInvalidHandle);
    EXPECT_EQ(registry->setValue(closed, "v", reg::kDword, dword(1)), err::kInvalidHandle);
    EXPECT_EQ(registry->enumKey(closed, 0, name), err::kInvalidHandle);

    // Closing a predefined root, or anything in its range, is accepted and changes nothing.
    EXPECT_EQ(registry->closeKey(reg::kCurrentUser), err::kSuccess);
    EXPECT_EQ(registry->closeKey(0x80000010), err::kSuccess);
    ASSERT_EQ(registry->openKey(reg::kCurrentUser, kScratch, reg::kRead, key), err::kSuccess);
    registry->closeKey(key);
}

TEST_F(RegistryContract, AnEmptySubKeyNamesTheKeyItself) {
    HKey key = 0;
    ASSERT_EQ(registry->openKey(reg::kCurrentUser, "", reg::kRead, key), err::kSuccess);
    EXPECT_EQ(key, reg::kCurrentUser);

    ASSERT_EQ(registry->openKey(scratch, "", reg::kAllAccess, key), err::kSuccess);
    EXPECT_NE(key, scratch);
    EXPECT_EQ(registry->setValue(key, "through", reg::kDword, dword(3)), err::kSuccess);
    EXPECT_EQ(registry->closeKey(key), err::kSuccess);

    HKey again = 0;
    ASSERT_EQ(registry->createKey(scratch, "", again), err::kSuccess);
    EXPECT_NE(again, scratch);
    std::uint32_t type = 0;
    Bytes data;
    EXPECT_EQ(registry->queryValue(again, "through", type, data), err::kSuccess);
    EXPECT_EQ(registry->closeKey(again), err::kSuccess);
    EXPECT_EQ(registry->queryValue(scratch, "through", type, data), err::kSuccess);
}

TEST_F(RegistryContract, PathsTolerateExtraSeparatorsButNotALeadingOne) {
    makeKey("A\\B\\C");
    EXPECT_TRUE(opens("A"));
    EXPECT_TRUE(opens("A\\B"));
    EXPECT_TRUE(opens("A\\B\\"));
    EXPECT_TRUE(opens("A\\\\B\\C"));

    HKey key = 0;
    EXPECT_EQ(registry->openKey(scratch, "\\A", reg::kRead, key), err::kBadPathname);
    EXPECT_EQ(registry->createKey(scratch, "\\Lead", key), err::kBadPathname);
    EXPECT_FALSE(opens("Lead"));
}

TEST_F(RegistryContract, KeyNamesIgnoreCaseInEveryScriptAndKeepTheirSpelling) {
    makeKey("MixedCase");
    EXPECT_TRUE(opens("mixedcase"));
    EXPECT_TRUE(opens("MIXEDCASE"));
    makeKey("MIXEDCASE");
    EXPECT_EQ(keyNames(scratch), std::vector<std::string>{"MixedCase"});

    makeKey("Ñandú");
    EXPECT_TRUE(opens("ñANDÚ"));
    makeKey("Ωμέγα");
    EXPECT_TRUE(opens("ωμέγα"));
    EXPECT_TRUE(opens("ΩΜΈΓΑ"));
    EXPECT_FALSE(opens("ωμεγα"));  // an accent is no case
    makeKey("Привет");
    EXPECT_TRUE(opens("пРИВЕТ"));
    makeKey("Ёж");
    EXPECT_TRUE(opens("ёЖ"));

    EXPECT_EQ(registry->deleteKey(scratch, "mixedCASE"), err::kSuccess);
    EXPECT_FALSE(opens("MixedCase"));
}

TEST_F(RegistryContract, ValueNamesIgnoreCaseAndKeepTheFirstSpelling) {
    ASSERT_EQ(registry->setValue(scratch, "Alpha", reg::kDword, dword(1)), err::kSuccess);
    ASSERT_EQ(registry->setValue(scratch, "ALPHA", reg::kDword, dword(2)), err::kSuccess);
    ASSERT_EQ(registry->setValue(scratch, "Ωμέγα", reg::kDword, dword(3)), err::kSuccess);
    std::uint32_t type = 0;
    Bytes data;
    EXPECT_EQ(registry->queryValue(scratch, "alpha", type, data), err::kSuccess);
    EXPECT_EQ(data, dword(2));
    EXPECT_EQ(registry->queryValue(scratch, "ΩΜΈΓΑ", type, data), err::kSuccess);
    EXPECT_EQ(data, dword(3));
    EXPECT_EQ(valueNames(scratch), (std::vector<std::string>{"Alpha", "Ωμέγα"}));
    EXPECT_EQ(registry->deleteValue(scratch, "aLPHA"), err::kSuccess);
    EXPECT_EQ(valueNames(scratch), std::vector<std::string>{"Ωμέγα"});
}

TEST_F(RegistryContract, StringDataKeepsItsTextAndExactlyItsTerminators) {
    struct Case {
        std::uint32_t type;
        std::string data;
    };
    const std::vector<Case> cases = {
        {reg::kSz, "text\0"s},
        {reg::kSz, "\0"s},
        {reg::kSz, ""s},
        {reg::kSz, "no terminator"s},
        {reg::kSz, "x"s},
        {reg::kSz, "Ωμ"s},
        {reg::kExpandSz, "%PATH%"s},
        {reg::kMultiSz, "a\0b"s},
        {reg::kSz, "Español\0"s},
        {reg::kSz, "Ελληνικά\0"s},
        {reg::kSz, "Русский\0"s},
        {reg::kSz, "日本語 😀\0"s},  // the face is a surrogate pair in UTF-16
        {reg::kSz, "two\0\0"s},
        {reg::kExpandSz, "%TEMP%\\kvr\0"s},
        {reg::kMultiSz, "a\0b\0\0"s},
        {reg::kMultiSz, "Ωx\0ñ\0\0"s},
        {reg::kMultiSz, "\0"s},
    };
    auto nameOf = [](std::size_t i) { return std::string("v").append(std::to_string(i)); };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const std::string name = nameOf(i);
        ASSERT_EQ(registry->setValue(scratch, name, cases[i].type, bytes(cases[i].data)),
                  err::kSuccess);
    }
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const std::string name = nameOf(i);
        std::uint32_t type = 0;
        Bytes data;
        ASSERT_EQ(registry->queryValue(scratch, name, type, data), err::kSuccess);
        EXPECT_EQ(type, cases[i].type) << name;
        EXPECT_EQ(data, bytes(cases[i].data)) << name;
    }

    // Big enough to sit in fresh, zeroed memory: the NUL behind it must not become data.
    const Bytes big(300000, 'k');
    ASSERT_EQ(registry->setValue(scratch, "big", reg::kSz, big), err::kSuccess);
    std::uint32_t type = 0;
    Bytes data;
    ASSERT_EQ(registry->queryValue(scratch, "big", type, data), err::kSuccess);
    EXPECT_EQ(data.size(), big.size());
    EXPECT_TRUE(data == big);
}

TEST_F(RegistryContract, OtherDataIsRawBytes) {
    const Bytes binary = {0x00, 0x0A, 0xFF, 0x01, 0x00};
    ASSERT_EQ(registry->setValue(scratch, "dw", reg::kDword, dword(0xFFFFFFF0)), err::kSuccess);
    ASSERT_EQ(registry->setValue(scratch, "bin", reg::kBinary, binary), err::kSuccess);
    ASSERT_EQ(registry->setValue(scratch, "odd", reg::kBinary, {1, 2, 3}), err::kSuccess);
    ASSERT_EQ(registry->setValue(scratch, "none", reg::kBinary, {}), err::kSuccess);
    ASSERT_EQ(registry->setValue(scratch, "short", reg::kDword, {1, 2}), err::kSuccess);

    std::uint32_t type = 0;
    Bytes data;
    ASSERT_EQ(registry->queryValue(scratch, "dw", type, data), err::kSuccess);
    EXPECT_EQ(type, reg::kDword);
    EXPECT_EQ(data, dword(0xFFFFFFF0));
    ASSERT_EQ(registry->queryValue(scratch, "bin", type, data), err::kSuccess);
    EXPECT_EQ(type, reg::kBinary);
    EXPECT_EQ(data, binary);
    ASSERT_EQ(registry->queryValue(scratch, "odd", type, data), err::kSuccess);
    EXPECT_EQ(data, (Bytes{1, 2, 3}));
    ASSERT_EQ(registry->queryValue(scratch, "none", type, data), err::kSuccess);
    EXPECT_EQ(type, reg::kBinary);
    EXPECT_TRUE(data.empty());
    ASSERT_EQ(registry->queryValue(scratch, "short", type, data), err::kSuccess);
    EXPECT_EQ(data, (Bytes{1, 2}));

    // Writing again replaces type and data together.
    ASSERT_EQ(registry->setValue(scratch, "dw", reg::kSz, bytes("x\0"s)), err::kSuccess);
    ASSERT_EQ(registry->queryValue(scratch, "dw", type, data), err::kSuccess);
    EXPECT_EQ(type, reg::kSz);
    EXPECT_EQ(data, bytes("x\0"s));
}

TEST_F(RegistryContract, MissingValuesAndTheDefaultValue) {
    std::uint32_t type = 0;
    Bytes data;
    EXPECT_EQ(registry->queryValue(scratch, "missing", type, data), err::kFileNotFound);
    EXPECT_EQ(registry->deleteValue(scratch, "missing"), err::kFileNotFound);

    EXPECT_EQ(registry->queryValue(scratch, "", type, data), err::kFileNotFound);
    ASSERT_EQ(registry->setValue(scratch, "", reg::kSz, bytes("default\0"s)), err::kSuccess);
    ASSERT_EQ(registry->queryValue(scratch, "", type, data), err::kSuccess);
    EXPECT_EQ(data, bytes("default\0"s));
    EXPECT_EQ(valueNames(scratch), std::vector<std::string>{""});
    EXPECT_EQ(registry->deleteValue(scratch, ""), err::kSuccess);
    EXPECT_EQ(registry->deleteValue(scratch, ""), err::kFileNotFound);
}

TEST_F(RegistryContract, DeletingAKeyThatHasSubkeysIsAccessDenied) {
    makeKey("Parent\\Child");
    EXPECT_EQ(registry->deleteKey(scratch, "Parent"), err::kAccessDenied);
    EXPECT_TRUE(opens("Parent\\Child"));

    EXPECT_EQ(registry->deleteKey(scratch, "Parent\\Child"), err::kSuccess);
    EXPECT_FALSE(opens("Parent\\Child"));
    EXPECT_EQ(registry->deleteKey(scratch, "Parent"), err::kSuccess);
    EXPECT_FALSE(opens("Parent"));
    EXPECT_EQ(registry->deleteKey(scratch, "Parent"), err::kFileNotFound);

    // RegDeleteKey with an empty name deletes the key the handle stands for.
    HKey self = 0;
    ASSERT_EQ(registry->createKey(scratch, "Self", self), err::kSuccess);
    EXPECT_EQ(registry->deleteKey(self, ""), err::kSuccess);
    EXPECT_FALSE(opens("Self"));
    registry->closeKey(self);
}

TEST_F(RegistryContract, AHandleOfADeletedKeyReportsKeyDeleted) {
    HKey gone = 0;
    ASSERT_EQ(registry->createKey(scratch, "Gone", gone), err::kSuccess);
    ASSERT_EQ(registry->deleteKey(scratch, "Gone"), err::kSuccess);

    std::uint32_t type = 0;
    Bytes data;
    std::string name;
    KeyInfo info;
    HKey sub = 0;
    EXPECT_EQ(registry->queryValue(gone, "v", type, data), err::kKeyDeleted);
    EXPECT_EQ(registry->setValue(gone, "v", reg::kDword, dword(1)), err::kKeyDeleted);
    EXPECT_EQ(registry->enumKey(gone, 0, name), err::kKeyDeleted);
    EXPECT_EQ(registry->queryInfoKey(gone, info), err::kKeyDeleted);
    EXPECT_EQ(registry->createKey(gone, "Sub", sub), err::kKeyDeleted);
    EXPECT_EQ(registry->closeKey(gone), err::kSuccess);
    EXPECT_FALSE(opens("Gone"));
}

TEST_F(RegistryContract, SubkeysEnumerateInCaseFoldedOrder) {
    // Wine keeps subkeys sorted by their lower-cased UTF-16 units: "[" and "_" come before
    // letters, a prefix before its extensions.
    for (const char* name : {"b", "B_x", "a", "Z", "_u", "ba", "[", "é", "Ét", "Ωx", "Яx"})
        makeKey(name);
    EXPECT_EQ(keyNames(scratch), (std::vector<std::string>{"[", "_u", "a", "b", "B_x", "ba", "Z",
                                                           "é", "Ét", "Ωx", "Яx"}));
    std::string name = "stale";
    EXPECT_EQ(registry->enumKey(scratch, 11, name), err::kNoMoreItems);
    EXPECT_EQ(registry->enumKey(scratch, 1000, name), err::kNoMoreItems);

    // Indexes below a deleted key stay valid: deleting from the end walks every key once.
    EXPECT_EQ(registry->deleteKey(scratch, "Z"), err::kSuccess);
    ASSERT_EQ(registry->enumKey(scratch, 5, name), err::kSuccess);
    EXPECT_EQ(name, "ba");
    ASSERT_EQ(registry->enumKey(scratch, 6, name), err::kSuccess);
    EXPECT_EQ(name, "é");
}

TEST_F(RegistryContract, ValuesEnumerateInCaseFoldedOrderWithTheirData) {
    ASSERT_EQ(registry->setValue(scratch, "zeta", reg::kDword, dword(1)), err::kSuccess);
    ASSERT_EQ(registry->setValue(scratch, "Alpha", reg::kSz, bytes("Ωμέγα\0"s)), err::kSuccess);
    ASSERT_EQ(registry->setValue(scratch, "_m", reg::kBinary, {9}), err::kSuccess);
    ASSERT_EQ(registry->setValue(scratch, "", reg::kSz, bytes("d\0"s)), err::kSuccess);
    ASSERT_EQ(registry->setValue(scratch, "beta", reg::kMultiSz, bytes("a\0b\0\0"s)),
              err::kSuccess);
    EXPECT_EQ(valueNames(scratch), (std::vector<std::string>{"", "_m", "Alpha", "beta", "zeta"}));

    std::string name;
    std::uint32_t type = 0;
    Bytes data;
    ASSERT_EQ(registry->enumValue(scratch, 2, name, type, data), err::kSuccess);
    EXPECT_EQ(type, reg::kSz);
    EXPECT_EQ(data, bytes("Ωμέγα\0"s));
    ASSERT_EQ(registry->enumValue(scratch, 3, name, type, data), err::kSuccess);
    EXPECT_EQ(type, reg::kMultiSz);
    EXPECT_EQ(data, bytes("a\0b\0\0"s));
    ASSERT_EQ(registry->enumValue(scratch, 4, name, type, data), err::kSuccess);
    EXPECT_EQ(data, dword(1));
    EXPECT_EQ(registry->enumValue(scratch, 5, name, type, data), err::kNoMoreItems);
}

TEST_F(RegistryContract, KeyInfoCountsInCharactersAndStoredBytes) {
    KeyInfo info;
    ASSERT_EQ(registry->queryInfoKey(scratch, info), err::kSuccess);
    EXPECT_EQ(info.subKeys, 0u);
    EXPECT_EQ(info.values, 0u);
    EXPECT_EQ(info.maxSubKeyLen, 0u);
    EXPECT_EQ(info.maxValueNameLen, 0u);
    EXPECT_EQ(info.maxValueLen, 0u);

    makeKey("ab");
    makeKey("Ωμέγα12");  // 7 characters, 12 bytes of UTF-8
    makeKey("ab\\deeper_and_longer_is_not_counted");
    ASSERT_EQ(registry->setValue(scratch, "n", reg::kSz, bytes("abc\0"s)), err::kSuccess);
    ASSERT_EQ(registry->setValue(scratch, "Ñame5", reg::kBinary, {1, 2, 3, 4, 5}), err::kSuccess);
    ASSERT_EQ(registry->queryInfoKey(scratch, info), err::kSuccess);
    EXPECT_EQ(info.subKeys, 2u);
    EXPECT_EQ(info.values, 2u);
    EXPECT_EQ(info.maxSubKeyLen, 7u);
    EXPECT_EQ(info.maxValueNameLen, 5u);
    EXPECT_EQ(info.maxValueLen, 8u);  // "abc" and its terminator in UTF-16

    ASSERT_EQ(registry->setValue(scratch, "g", reg::kSz, bytes("Ωμέγα\0"s)), err::kSuccess);
    ASSERT_EQ(registry->queryInfoKey(scratch, info), err::kSuccess);
    EXPECT_EQ(info.maxValueLen, 12u);
    ASSERT_EQ(registry->setValue(scratch, "b", reg::kBinary, Bytes(20, 7)), err::kSuccess);
    ASSERT_EQ(registry->queryInfoKey(scratch, info), err::kSuccess);
    EXPECT_EQ(info.values, 4u);
    EXPECT_EQ(info.maxValueLen, 20u);
}

TEST_F(RegistryContract, AHandleAllowsOnlyWhatItWasOpenedFor) {
    ASSERT_EQ(registry->setValue(scratch, "v", reg::kDword, dword(5)), err::kSuccess);
    makeKey("Sub");
    std::uint32_t type = 0;
    Bytes data;
    std::string name;

    HKey query = 0;
    ASSERT_EQ(registry->openKey(scratch, "", reg::kQueryValue, query), err::kSuccess);
    EXPECT_EQ(registry->queryValue(query, "v", type, data), err::kSuccess);
    EXPECT_EQ(registry->setValue(query, "v", reg::kDword, dword(6)), err::kAccessDenied);
    EXPECT_EQ(registry->deleteValue(query, "v"), err::kAccessDenied);
    EXPECT_EQ(registry->enumKey(query, 0, name), err::kAccessDenied);
    registry->closeKey(query);

    HKey set = 0;
    ASSERT_EQ(registry->openKey(scratch, "", kSetValueAccess, set), err::kSuccess);
    EXPECT_EQ(registry->queryValue(set, "v", type, data), err::kAccessDenied);
    EXPECT_EQ(registry->enumValue(set, 0, name, type, data), err::kAccessDenied);
    EXPECT_EQ(registry->setValue(set, "v", reg::kDword, dword(6)), err::kSuccess);
    registry->closeKey(set);

    HKey enumerate = 0;
    ASSERT_EQ(registry->openKey(scratch, "", kEnumerateAccess, enumerate), err::kSuccess);
    EXPECT_EQ(registry->enumKey(enumerate, 0, name), err::kSuccess);
    EXPECT_EQ(registry->queryValue(enumerate, "v", type, data), err::kAccessDenied);
    registry->closeKey(enumerate);

    HKey read = 0;
    ASSERT_EQ(registry->openKey(scratch, "", reg::kRead, read), err::kSuccess);
    EXPECT_EQ(registry->enumKey(read, 0, name), err::kSuccess);
    EXPECT_EQ(registry->enumValue(read, 0, name, type, data), err::kSuccess);
    EXPECT_EQ(registry->setValue(read, "v", reg::kDword, dword(7)), err::kAccessDenied);
    registry->closeKey(read);

    HKey write = 0;
    ASSERT_EQ(registry->openKey(scratch, "", reg::kWrite, write), err::kSuccess);
    EXPECT_EQ(registry->setValue(write, "v", reg::kDword, dword(8)), err::kSuccess);
    EXPECT_EQ(registry->queryValue(write, "v", type, data), err::kAccessDenied);
    registry->closeKey(write);

    ASSERT_EQ(registry->queryValue(scratch, "v", type, data), err::kSuccess);
    EXPECT_EQ(data, dword(8));
}

TEST_F(RegistryContract, PerformanceDataHoldsNothing) {
    HKey key = 0;
    KeyInfo info;
    ASSERT_EQ(registry->openKey(reg::kPerformanceData, "", reg::kRead, key), err::kSuccess);
    EXPECT_EQ(key, reg::kPerformanceData);
    EXPECT_EQ(registry->openKey(reg::kPerformanceData, "x", reg::kRead, key), err::kInvalidHandle);
    EXPECT_EQ(registry->createKey(reg::kPerformanceData, "x", key), err::kInvalidHandle);
    EXPECT_EQ(registry->queryInfoKey(reg::kPerformanceData, info), err::kInvalidHandle);
    EXPECT_EQ(registry->closeKey(reg::kPerformanceData), err::kSuccess);
}

// The program's own registry logic over the real shape: paths, tree deletion and formatting.
TEST_F(RegistryContract, ClsWbdReadsWritesListsAndDeletesTrees) {
    kvr::clsWBD wbd{*registry};
    const HKey cu = reg::kCurrentUser;
    const std::string base = "HKCU\\Software\\KVRContractTest\\Wbd";
    EXPECT_EQ(wbd.SetReg(base + "\\Deep\\Er", "Texto", "Español"), err::kSuccess);
    EXPECT_EQ(wbd.SetReg(base, "Empty", ""), err::kSuccess);
    EXPECT_EQ(wbd.SetReg(base, "N", 16, cu, reg::kDword), err::kSuccess);
    EXPECT_EQ(wbd.SetReg(base, "B", Bytes{0x0A, 0x01}, cu, reg::kBinary), err::kSuccess);
    EXPECT_EQ(wbd.SetReg("Software\\KVRContractTest\\Plain", "v", "x"), err::kSuccess);
    EXPECT_EQ(wbd.CreateKey(base + "\\Another\\One"), err::kSuccess);

    EXPECT_EQ(wbd.strDame(base + "\\deep\\er", "texto"), "Español");
    EXPECT_EQ(wbd.strDame(base, "N"), "16");
    EXPECT_EQ(wbd.strDame(base, "Empty"), "");
    EXPECT_EQ(wbd.strDame("HKEY_CURRENT_USER\\Software\\KVRContractTest\\Plain", "v"), "x");
    EXPECT_TRUE(wbd.ExistKey(base + "\\Deep"));
    EXPECT_TRUE(wbd.ExistKey("HKEY_CURRENT_USER"));

    std::vector<std::string> list;
    EXPECT_TRUE(wbd.EnumKeys(list, base));
    EXPECT_EQ(list, (std::vector<std::string>{"", "Another", "Deep"}));
    EXPECT_TRUE(wbd.EnumValues(list, base));
    EXPECT_EQ(list, (std::vector<std::string>{"", "B", "A 01 ", "Empty", "", "N", "16"}));

    EXPECT_EQ(wbd.DeleteKey(base, "N"), err::kSuccess);
    EXPECT_EQ(wbd.strDame(base, "N"), "");
    EXPECT_EQ(wbd.DeleteKey(base, ""), err::kSuccess);
    EXPECT_FALSE(wbd.ExistKey(base));
    EXPECT_FALSE(opens("Wbd"));
    EXPECT_TRUE(opens("Plain"));
}

}  // namespace
