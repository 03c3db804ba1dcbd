#include "engine/mod_wnd_x_proc.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_desktop.h"
#include "platform/services.h"

namespace kvr {
namespace {

using modWndXProc::ListProcesses;

class ModWndXProc : public ::testing::Test {
  protected:
    void SetUp() override {
        saved = platform::installed();
        platform::Services services = saved;
        services.desktop = &desk;
        platform::install(services);
    }
    void TearDown() override { platform::install(saved); }

    platform::FakeDesktop desk;
    platform::Services saved;
};

TEST_F(ModWndXProc, ListsEveryProcessFromSlotOneInSnapshotOrder) {
    desk.addProcess("[System Process]", 0);
    desk.addProcess("C:\\Windows\\notepad.exe", 120);
    desk.addProcess("kvr.exe", 88);
    desk.addProcess("C:\\Windows\\notepad.exe", 240);

    const auto list = ListProcesses();
    ASSERT_EQ(list.size(), 5u);
    EXPECT_EQ(list[0].exeFile, "");
    EXPECT_FALSE(list[0].processId.has_value());
    EXPECT_EQ(list[1].exeFile, "[System Process]");
    EXPECT_EQ(list[1].processId, 0u);
    EXPECT_EQ(list[2].exeFile, "C:\\Windows\\notepad.exe")
        << "names stay as the snapshot gives them";
    EXPECT_EQ(list[2].processId, 120u);
    EXPECT_EQ(list[3].exeFile, "kvr.exe");
    EXPECT_EQ(list[4].processId, 240u) << "a second copy gets its own record";
}

TEST_F(ModWndXProc, EachCallTakesAFreshSnapshot) {
    desk.addProcess("a.exe", 4);
    desk.addProcess("b.exe", 8);
    ASSERT_EQ(ListProcesses().size(), 3u);
    desk.removeProcess(4);
    const auto list = ListProcesses();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[1].exeFile, "b.exe");
    EXPECT_EQ(desk.snapshotCalls, 2u);
}

TEST_F(ModWndXProc, AFailedSnapshotGivesOneRecordWithoutAProcessId) {
    desk.addProcess("a.exe", 4);
    desk.snapshotFails = true;
    const auto list = ListProcesses();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].exeFile, "");
    EXPECT_EQ(list[1].exeFile, "Cannot enumerate running process!");
    EXPECT_FALSE(list[1].processId.has_value());
}

TEST_F(ModWndXProc, NoProcessesLeavesOnlySlotZero) {
    const auto list = ListProcesses();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].exeFile, "");
}

}  // namespace
}  // namespace kvr
