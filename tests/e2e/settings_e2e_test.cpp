// Settings as the registry shows them after real starts: created defaults, repair of emptied or
// invalid values, and the Run entry following the autostart option.
#include "kvr_e2e.h"

namespace e2e {
namespace {

class Settings : public KvrTest {
protected:
    std::string option(const std::string& name) {
        return probe::regGetString(kOptionsKey, name).value_or("<missing>");
    }
    std::string quotedExe() { return "\"" + kvrExe() + "\""; }
    void startAndExit() {
        auto kvr = start();
        ASSERT_TRUE(kvr.handle());
        ASSERT_TRUE(probe::waitSettled(kvr.pid(), kStartTimeoutMs));
        ASSERT_TRUE(exitProgram(kvr));
    }
};

TEST_F(Settings, FirstStartWritesEveryCreatedDefaultTheRunEntryAndTakesTheDefaultHotkeys) {
    ASSERT_TRUE(probe::regDeleteTree(kOrqKey));
    auto kvr = start();
    ASSERT_TRUE(kvr.handle());
    ASSERT_TRUE(hotkeysTaken(combos(kDefaults), kvr));

    const std::map<std::string, std::string> created = {
        {"BxTA", "-1"}, {"BxTP", "1"}, {"BxTS", "1"}, {"BxTT", ""},   {"OI", "1"},   {"OR", "1"},
        {"OS", "0"},    {"OT", "0"},   {"OO", "1"},   {"SE", "15"},   {"SR", "0"},   {"S0", "16"},
        {"S1", "16"},   {"S2", "16"},  {"S3", "17"},  {"S4", "17"},   {"S5", "17"},  {"S6", "17"},
        {"S7", "18"},   {"S8", "18"},  {"S9", "18"},  {"S10", "16"},  {"S11", "17"}, {"T0", "120"},
        {"T1", "121"},  {"T2", "122"}, {"T3", "120"}, {"T4", "121"},  {"T5", "122"}, {"T6", "123"},
        {"T7", "87"},   {"T8", "113"}, {"T9", "114"}, {"T10", "115"}, {"T11", "115"}};
    for (const auto& [name, value] : created) EXPECT_EQ(option(name), value) << name;
    EXPECT_EQ(probe::regGetString("HKCU\\Software\\ORQ\\KVR\\Language", "Language"), "English");
    EXPECT_EQ(probe::regGetString(kRunKey, "KVR"), quotedExe());
    ASSERT_TRUE(exitProgram(kvr));
}

TEST_F(Settings, DeletedValuesAreRepairedWithTheirRepairDefaults) {
    startAndExit();
    ASSERT_TRUE(probe::regDeleteValue(kOptionsKey, "SE"));
    ASSERT_TRUE(probe::regSetString(kOptionsKey, "OT", ""));
    ASSERT_TRUE(probe::regSetString(kOptionsKey, "BxTT", ""));
    startAndExit();
    EXPECT_EQ(option("SE"), "7");
    EXPECT_EQ(option("OT"), "1");
    EXPECT_EQ(option("BxTT"), "");
    EXPECT_EQ(option("S0"), "16");  // the seeded value stays
}

TEST_F(Settings, InvalidValuesAreRepairedAndValidOnesKept) {
    startAndExit();
    ASSERT_TRUE(probe::regSetString(kOptionsKey, "OS", "abc"));
    ASSERT_TRUE(probe::regSetString(kOptionsKey, "SE", "99"));
    ASSERT_TRUE(probe::regSetString(kOptionsKey, "T0", "-5"));
    ASSERT_TRUE(probe::regSetString(kOptionsKey, "BxTP", " 3"));
    ASSERT_TRUE(probe::regSetString(kOptionsKey, "S5", "19"));
    ASSERT_TRUE(probe::regSetString(kOptionsKey, "BxTT", "12x"));
    startAndExit();
    EXPECT_EQ(option("OS"), "0");
    EXPECT_EQ(option("SE"), "7");
    EXPECT_EQ(option("T0"), "120");
    EXPECT_EQ(option("BxTP"), " 3");
    EXPECT_EQ(option("S5"), "19");
    EXPECT_EQ(option("BxTT"), "12x");
}

TEST_F(Settings, AutostartOffRemovesOnlyTheProgramsRunValue) {
    ASSERT_TRUE(probe::regSetString(kRunKey, "KvrE2eNeighbour", "neighbour.exe"));
    startAndExit();
    ASSERT_EQ(probe::regGetString(kRunKey, "KVR"), quotedExe());
    ASSERT_TRUE(probe::regSetString(kOptionsKey, "OR", "0"));
    startAndExit();
    EXPECT_FALSE(probe::regGetString(kRunKey, "KVR").has_value());
    EXPECT_EQ(probe::regGetString(kRunKey, "KvrE2eNeighbour"), "neighbour.exe");
    probe::regDeleteValue(kRunKey, "KvrE2eNeighbour");
}

}  // namespace
}  // namespace e2e
