#include <gtest/gtest.h>

#include "settings/settings.h"
#include "startup/cls_wbd.h"
#include "tests/unit/fake_platform.h"

namespace kvr {
namespace {

using platform::reg::kCurrentUser;
using platform::reg::kLocalMachine;

constexpr const char* kOptions = "Software\\ORQ\\KVR\\Options";
constexpr const char* kLanguageKey = "Software\\ORQ\\KVR\\Language";
constexpr const char* kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class Settings : public ::testing::Test {
protected:
    test::FakePlatform fake;
    clsWBD registry;

    std::string option(const std::string& name) {
        return registry.strDame(std::string("HKCU\\") + kOptions, name);
    }
    bool hasOption(const std::string& name) {
        return fake.registry.value(kCurrentUser, kOptions, name).has_value();
    }
    std::string runEntry() { return registry.strDame(std::string("HKLM\\") + kRun, "KVR"); }
    bool hasRunEntry() { return fake.registry.value(kLocalMachine, kRun, "KVR").has_value(); }
    void prepare() { modGeneral::PrepareSettings(registry); }
};

TEST_F(Settings, FirstStartCreatesEveryKeyAndOptionWithItsCreatedDefault) {
    prepare();
    EXPECT_TRUE(fake.registry.hasKey(kCurrentUser, "Software\\ORQ"));
    EXPECT_TRUE(fake.registry.hasKey(kCurrentUser, "Software\\ORQ\\KVR"));
    EXPECT_EQ(registry.strDame(std::string("HKCU\\") + kLanguageKey, "Language"), "English");
    int created = 0;
    settings::createAll([&](const std::string& name, const std::string& text) {
        ++created;
        EXPECT_TRUE(hasOption(name)) << name;
        EXPECT_EQ(option(name), text) << name;
    });
    EXPECT_EQ(created, 44);
    EXPECT_EQ(option("BxTA"), "-1");
    EXPECT_EQ(option("SE"), "15");
    EXPECT_EQ(option("OT"), "0");
    EXPECT_EQ(option("S7"), "18");
    EXPECT_EQ(option("T7"), "87");
    // The autostart option is on: the Run entry names this executable, quoted.
    EXPECT_EQ(runEntry(), "\"C:\\Program Files\\KVR\\kvr.exe\"");
    EXPECT_EQ(fake.registry.openHandles(), 0u);
}

TEST_F(Settings, MissingOrInvalidValuesGetTheirRepairDefaultsAndValidOnesAreKept) {
    fake.registry.putText(kCurrentUser, kOptions, "S0", "17");
    fake.registry.putText(kCurrentUser, kOptions, "S1", "19");  // no modifier, but a key code
    fake.registry.putText(kCurrentUser, kOptions, "BxTP", "3");
    fake.registry.putText(kCurrentUser, kOptions, "OT", "");  // emptied counts as missing
    fake.registry.putText(kCurrentUser, kOptions, "OS", "abc");
    fake.registry.putText(kCurrentUser, kOptions, "OO", "300");
    fake.registry.putText(kCurrentUser, kOptions, "SR", "16");
    fake.registry.putText(kCurrentUser, kOptions, "T2", "-5");
    fake.registry.putText(kCurrentUser, kOptions, "BxTA", "yes");
    prepare();
    EXPECT_EQ(option("SE"), "7");
    EXPECT_EQ(option("OT"), "1");
    EXPECT_EQ(option("S0"), "17");
    EXPECT_EQ(option("S1"), "19");
    EXPECT_EQ(option("BxTP"), "3");
    EXPECT_EQ(option("OS"), "0");
    EXPECT_EQ(option("OO"), "1");
    EXPECT_EQ(option("SR"), "0");
    EXPECT_EQ(option("T2"), "122");
    EXPECT_EQ(option("BxTA"), "-1");
    EXPECT_EQ(option("T11"), "115");
    EXPECT_FALSE(hasOption("BxTT"));  // never repaired

    fake.registry.resetCounters();
    prepare();  // all valid now
    EXPECT_EQ(fake.registry.writeCalls(), 0u);
}

TEST_F(Settings, AnEmptyTitleTextStaysEmpty) {
    prepare();
    fake.registry.resetCounters();
    prepare();
    EXPECT_TRUE(hasOption("BxTT"));
    EXPECT_EQ(option("BxTT"), "");
    EXPECT_EQ(fake.registry.writeCalls(), 0u);  // nothing to repair, Run entry already right
}

TEST_F(Settings, StoredLanguageSurvivesAndADeletedKeyBringsEnglishBack) {
    fake.registry.putText(kCurrentUser, kLanguageKey, "Language", "Deutsch");
    prepare();
    EXPECT_EQ(registry.strDame(std::string("HKCU\\") + kLanguageKey, "Language"), "Deutsch");
    registry.DeleteKey(std::string("HKCU\\") + kLanguageKey, "");
    prepare();
    EXPECT_EQ(registry.strDame(std::string("HKCU\\") + kLanguageKey, "Language"), "English");
}

TEST_F(Settings, UnusableStringStoreWritesNothingAnywhere) {
    fake.files.erase(fake.lng("dde"));
    prepare();
    EXPECT_EQ(fake.registry.writeCalls(), 0u);
    EXPECT_FALSE(fake.registry.hasKey(kCurrentUser, "Software\\ORQ"));
}

class Autostart : public Settings {
protected:
    void SetUp() override { prepare(); }
    void setOR(const std::string& value) {
        fake.registry.putText(kCurrentUser, kOptions, "OR", value);
    }
    void sync() { modGeneral::SyncAutostart(registry, false); }
};

TEST_F(Autostart, CorrectEntryIsNotRewritten) {
    fake.registry.resetCounters();
    sync();
    EXPECT_EQ(fake.registry.writeCalls(), 0u);
}

TEST_F(Autostart, MovedProgramLetterCaseOrUnquotedEntryIsRewritten) {
    for (const std::string old : {"\"D:\\Old\\kvr.exe\"", "\"C:\\PROGRAM FILES\\KVR\\kvr.exe\"",
                                  "C:\\Program Files\\KVR\\kvr.exe"}) {
        fake.registry.putText(kLocalMachine, kRun, "KVR", old);
        sync();
        EXPECT_EQ(runEntry(), "\"C:\\Program Files\\KVR\\kvr.exe\"") << old;
    }
}

TEST_F(Autostart, ProgramInADriveRootKeepsTheDoubledBackslash) {
    fake.system.folder = "E:\\";
    fake.system.title = "KVR15";
    fake.files.put("E:\\\\Lng\\dde", test::readShipped("dde"));  // the store moved along
    sync();
    EXPECT_EQ(runEntry(), "\"E:\\\\KVR15.exe\"");
    fake.registry.resetCounters();
    sync();
    EXPECT_EQ(fake.registry.writeCalls(), 0u);
}

TEST_F(Autostart, OffRemovesOnlyTheEntry) {
    fake.registry.putText(kLocalMachine, kRun, "Other", "other.exe");
    ASSERT_TRUE(hasRunEntry());
    setOR("0");
    sync();
    EXPECT_FALSE(hasRunEntry());
    EXPECT_TRUE(fake.registry.value(kLocalMachine, kRun, "Other").has_value());
    fake.registry.resetCounters();
    sync();  // no entry, nothing to remove
    EXPECT_EQ(fake.registry.writeCalls(), 0u);
}

TEST_F(Autostart, AnInvalidOptionCountsAsItsRepairDefaultAsInMemory) {
    for (const std::string value : {"2", "abc", ""}) {
        setOR("0");
        sync();
        ASSERT_FALSE(hasRunEntry());
        setOR(value);
        sync();
        EXPECT_EQ(runEntry(), "\"C:\\Program Files\\KVR\\kvr.exe\"") << value;
    }
    // At start-up the value is repaired first, so memory, registry and entry agree.
    setOR("0");
    sync();
    setOR("x");
    prepare();
    EXPECT_EQ(option("OR"), "1");
    EXPECT_TRUE(hasRunEntry());
}

TEST_F(Autostart, ForceWritesWhateverTheOptionSays) {
    setOR("0");
    sync();
    ASSERT_FALSE(hasRunEntry());
    modGeneral::SyncAutostart(registry, true);
    EXPECT_EQ(runEntry(), "\"C:\\Program Files\\KVR\\kvr.exe\"");
}

TEST_F(Autostart, WriteRefusedForLackOfRightsStaysSilent) {
    fake.registry.putText(kLocalMachine, kRun, "KVR", "old");
    fake.registry.setReadOnly(true);
    EXPECT_NO_THROW(sync());
    EXPECT_EQ(runEntry(), "old");
}

// A standard user on current Windows: the machine's Run key refuses writes, the user's does not.
class StandardUserAutostart : public Autostart {
protected:
    void SetUp() override {
        fake.registry.setReadOnly(kLocalMachine, true);
        prepare();
    }
    std::string userEntry() { return registry.strDame(std::string("HKCU\\") + kRun, "KVR"); }
    bool hasUserEntry() { return fake.registry.value(kCurrentUser, kRun, "KVR").has_value(); }
};

TEST_F(StandardUserAutostart, FirstStartWritesTheEntryUnderTheUsersRunKey) {
    EXPECT_FALSE(hasRunEntry());
    EXPECT_EQ(userEntry(), "\"C:\\Program Files\\KVR\\kvr.exe\"");
    // The program moved: the user's entry follows it.
    fake.system.folder = "D:\\Moved";
    fake.files.put("D:\\Moved\\Lng\\dde", test::readShipped("dde"));
    sync();
    EXPECT_EQ(userEntry(), "\"D:\\Moved\\kvr.exe\"");
}

TEST_F(StandardUserAutostart, OffRemovesTheEntryFromBothKeys) {
    // An entry left machine-wide by an earlier run with rights, as well as the user's.
    fake.registry.setReadOnly(kLocalMachine, false);
    fake.registry.putText(kLocalMachine, kRun, "KVR", "\"C:\\Program Files\\KVR\\kvr.exe\"");
    fake.registry.putText(kCurrentUser, kRun, "Other", "other.exe");
    ASSERT_TRUE(hasUserEntry());
    setOR("0");
    sync();
    EXPECT_FALSE(hasRunEntry());
    EXPECT_FALSE(hasUserEntry());
    EXPECT_TRUE(fake.registry.value(kCurrentUser, kRun, "Other").has_value());
}

// An administrator's entry starts its copy at logon already: an entry of the user's beside it
// would start a second one, which would then say that the program is running.
TEST_F(StandardUserAutostart, AMachineEntryItCannotChangeIsNeverJoinedByTheUsersOne) {
    const std::string other = "\"C:\\Program Files\\KVR\\kvr.exe\"";
    fake.system.folder = "C:\\Users\\user\\AppData\\Local\\Programs\\KVR";
    fake.files.put(fake.system.folder + "\\Lng\\dde", test::readShipped("dde"));
    fake.registry.putText(kLocalMachine, kRun, "KVR", other);
    ASSERT_TRUE(hasUserEntry()) << "written by an earlier version";
    EXPECT_EQ(modGeneral::SyncAutostart(registry, false), other) << "starts another copy";
    EXPECT_FALSE(hasUserEntry());
    EXPECT_EQ(runEntry(), other);
    // The same copy, however the entry spells it, is no other copy.
    for (const std::string& same :
         {std::string("C:\\USERS\\user\\AppData\\Local\\Programs\\KVR\\kvr.exe"),
          "\"" + fake.system.folder + "\\KVR.EXE\""}) {
        fake.registry.putText(kLocalMachine, kRun, "KVR", same);
        EXPECT_EQ(modGeneral::SyncAutostart(registry, false), std::nullopt) << same;
        EXPECT_FALSE(hasUserEntry());
    }
    // Off: the user's entry goes, the machine's stays and is named.
    fake.registry.putText(kCurrentUser, kRun, "KVR", "x");
    setOR("0");
    EXPECT_EQ(modGeneral::SyncAutostart(registry, false),
              "\"" + fake.system.folder + "\\KVR.EXE\"");
    EXPECT_FALSE(hasUserEntry());
    fake.registry.setReadOnly(kLocalMachine, false);
    EXPECT_EQ(modGeneral::SyncAutostart(registry, false), std::nullopt);
    EXPECT_FALSE(hasRunEntry());
}

TEST_F(StandardUserAutostart, WithRightsAgainTheMachineWideEntryReplacesTheUsersOne) {
    ASSERT_TRUE(hasUserEntry());
    fake.registry.setReadOnly(kLocalMachine, false);
    sync();
    EXPECT_EQ(runEntry(), "\"C:\\Program Files\\KVR\\kvr.exe\"");
    EXPECT_FALSE(hasUserEntry()) << "two entries would start the program twice at logon";
    // Already right machine-wide, a user entry written meanwhile goes as well.
    fake.registry.putText(kCurrentUser, kRun, "KVR", "\"C:\\Program Files\\KVR\\kvr.exe\"");
    sync();
    EXPECT_FALSE(hasUserEntry());
}

}  // namespace
}  // namespace kvr
