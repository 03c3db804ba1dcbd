// One set of message-queue, process and file cases, run against the fakes natively and against
// user32/kernel32 under Wine. Hotkeys go on a window of the test's own; files into a scratch
// folder that goes with the case.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "tests/contract/contract_env.h"

using namespace std::string_literals;
namespace mod = kvr::platform::mod;

namespace {

constexpr std::uint32_t kVkF10 = 0x79;
constexpr std::uint32_t kVkF11 = 0x7A;
// Unusual enough that nothing else on the desktop holds it.
constexpr std::uint32_t kCombo = mod::kControl | mod::kShift;

class QueueContract : public ::testing::Test {
protected:
    void SetUp() override { env = kvr::contract::makeQueueEnv(); }

    void TearDown() override {
        // A registration left behind would make the next case's first register fail.
        for (int id = 1; id <= 3; ++id) env->queue().unregisterHotKey(env->window(), id);
    }

    kvr::platform::MessageQueue& queue() { return env->queue(); }

    std::unique_ptr<kvr::contract::QueueEnv> env;
};

TEST_F(QueueContract, RegistrationIsExclusiveAndUnregisterNeedsARegistration) {
    const auto w = env->window();
    ASSERT_TRUE(queue().registerHotKey(w, 1, kCombo, kVkF11));
    EXPECT_FALSE(queue().registerHotKey(w, 2, kCombo, kVkF11)) << "same combination, other id";
    EXPECT_FALSE(queue().unregisterHotKey(w, 3)) << "id never registered";
    EXPECT_FALSE(queue().unregisterHotKey(w, 2)) << "id whose registration failed";
    EXPECT_TRUE(queue().unregisterHotKey(w, 1));
    EXPECT_FALSE(queue().unregisterHotKey(w, 1)) << "already unregistered";
}

TEST_F(QueueContract, CombinationRegistersAgainAfterUnregister) {
    const auto w = env->window();
    ASSERT_TRUE(queue().registerHotKey(w, 1, kCombo, kVkF11));
    ASSERT_TRUE(queue().unregisterHotKey(w, 1));
    EXPECT_TRUE(queue().registerHotKey(w, 2, kCombo, kVkF11));
    EXPECT_TRUE(queue().registerHotKey(w, 1, kCombo, kVkF10)) << "id 1 is free again";
}

TEST_F(QueueContract, APostedHotkeyIsTakenAsAPressedOne) {
    queue().dispatchPending();
    ASSERT_TRUE(queue().postHotKey(env->window(), 0xBFFD));
    EXPECT_FALSE(queue().postHotKey(0, 0xBFFD)) << "no window to say it to";
    std::uint32_t id = 0;
    ASSERT_TRUE(queue().peekHotKey(id));
    EXPECT_EQ(id, 0xBFFDu);
    ASSERT_TRUE(queue().postHotKey(env->window(), 0xBFF4));
    std::vector<std::uint32_t> met;
    queue().dispatchPending([&](std::uint32_t hotkey) { met.push_back(hotkey); });
    EXPECT_EQ(met, std::vector<std::uint32_t>{0xBFF4});
}

TEST_F(QueueContract, PeekOnEmptyQueueIsFalseAtOnce) {
    queue().dispatchPending();
    std::uint32_t id = 99;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(queue().peekHotKey(id));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    EXPECT_EQ(id, 99u) << "id is touched only when a hotkey is taken";
}

TEST_F(QueueContract, OrdinaryMessageIsDispatchedNotPeekedAsHotkey) {
    int runs = 0;
    env->postOrdinary([&] { ++runs; });
    std::uint32_t id = 0;
    EXPECT_FALSE(queue().peekHotKey(id));
    EXPECT_EQ(runs, 0) << "peeking for hotkeys runs nothing";
    queue().dispatchPending();
    EXPECT_EQ(runs, 1);
    queue().dispatchPending();
    EXPECT_EQ(runs, 1) << "dispatched once, then gone";
}

TEST_F(QueueContract, PressedHotkeyIsTakenWithItsId) {
    ASSERT_TRUE(queue().registerHotKey(env->window(), 2, kCombo, kVkF11));
    if (!env->pressHotkey(kCombo, kVkF11)) GTEST_SKIP() << "no keyboard input here";
    std::uint32_t id = 0;
    ASSERT_TRUE(queue().peekHotKey(id));
    EXPECT_EQ(id, 2u);
    EXPECT_FALSE(queue().peekHotKey(id)) << "one press, one hotkey";
    queue().dispatchPending();
    EXPECT_FALSE(queue().peekHotKey(id));
}

TEST_F(QueueContract, HotkeyPressedDuringTheDrainGoesToItsHandlerNotToAWindow) {
    ASSERT_TRUE(queue().registerHotKey(env->window(), 2, kCombo, kVkF11));
    std::vector<std::string> seen;
    bool pressed = true;
    env->postOrdinary([&] {
        seen.push_back("first");
        pressed = env->pressHotkey(kCombo, kVkF11);
        env->postOrdinary([&] { seen.push_back("after"); });
    });
    queue().dispatchPending(
        [&](std::uint32_t id) { seen.push_back("hotkey " + std::to_string(id)); });
    if (!pressed) GTEST_SKIP() << "no keyboard input here";
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front(), "first");
    EXPECT_EQ(std::count(seen.begin(), seen.end(), "hotkey 2"), 1) << "the drain stopped early";
    EXPECT_EQ(std::count(seen.begin(), seen.end(), "after"), 1);
    std::uint32_t id = 0;
    EXPECT_FALSE(queue().peekHotKey(id)) << "handed over and gone";
}

TEST_F(QueueContract, UnregisteredCombinationBringsNoHotkey) {
    ASSERT_TRUE(queue().registerHotKey(env->window(), 1, kCombo, kVkF11));
    ASSERT_TRUE(queue().unregisterHotKey(env->window(), 1));
    if (!env->pressHotkey(kCombo, kVkF11)) GTEST_SKIP() << "no keyboard input here";
    std::uint32_t id = 0;
    EXPECT_FALSE(queue().peekHotKey(id));
    queue().dispatchPending();
}

TEST_F(QueueContract, WaitReturnsWhenAMessageIsAlreadyQueued) {
    int runs = 0;
    env->postOrdinary([&] { ++runs; });
    env->guardWait(3000);
    queue().waitMessage();
    EXPECT_FALSE(env->wokenByGuard()) << "waited past a queued message";
    queue().dispatchPending();
    EXPECT_EQ(runs, 1);
}

TEST(SystemContract, FreshSystemSeesNoEarlierInstanceTwice) {
    auto system = kvr::contract::makeSystem();
    EXPECT_FALSE(system->anotherInstanceRunning());
    EXPECT_FALSE(system->anotherInstanceRunning()) << "its own claim is not another instance";
}

TEST(SystemContract, FolderAndTitleHaveTheDocumentedShape) {
    auto system = kvr::contract::makeSystem();
    const std::string folder = system->appFolder();
    ASSERT_FALSE(folder.empty());
    const bool driveRoot = folder.size() == 3 && folder[1] == ':' && folder[2] == '\\';
    EXPECT_TRUE(driveRoot || folder.back() != '\\') << folder;
    const std::string title = system->exeTitle();
    ASSERT_FALSE(title.empty());
    EXPECT_EQ(title.find('.'), std::string::npos) << title;
    EXPECT_EQ(title.find('\\'), std::string::npos) << title;
    EXPECT_GT(system->screenWidth(), 0);
    EXPECT_GT(system->screenHeight(), 0);
}

TEST(SystemContract, LocalAppDataIsAFullPathWithoutATrailingBackslash) {
    auto system = kvr::contract::makeSystem();
    const std::string folder = system->localAppDataFolder();
    ASSERT_GT(folder.size(), 3u) << folder;
    EXPECT_EQ(folder.substr(1, 2), ":\\") << folder;
    EXPECT_NE(folder.back(), '\\') << folder;
    EXPECT_NE(folder, system->appFolder()) << "the user's, not the program's";
}

TEST(SystemContract, TheSessionIsAUsersNotTheServicesOne) {
    auto system = kvr::contract::makeSystem();
    // Session 0 holds services only; a program with windows on the user's desktop is never in it.
    EXPECT_NE(system->sessionId(), 0u);
    EXPECT_EQ(system->sessionId(), system->sessionId());
}

class FilesContract : public ::testing::Test {
protected:
    void SetUp() override { env = kvr::contract::makeFilesEnv(); }

    kvr::platform::FileSystem& files() { return env->files(); }
    std::string path(const std::string& name) { return env->folder() + "\\" + name; }

    std::unique_ptr<kvr::contract::FilesEnv> env;
};

TEST_F(FilesContract, MissingFileIsFalseAndStaysMissing) {
    std::string bytes;
    EXPECT_FALSE(files().readFile(path("KVR_missing.txt"), bytes));
    EXPECT_FALSE(env->exists("KVR_missing.txt"));
}

TEST_F(FilesContract, EmptyFileReadsAsEmpty) {
    env->write("KVR_empty.txt", "");
    std::string bytes = "left over";
    ASSERT_TRUE(files().readFile(path("KVR_empty.txt"), bytes));
    EXPECT_EQ(bytes, "");
}

TEST_F(FilesContract, BytesComeBackExactly) {
    const std::string content = "a\0b\xFF\r\n\x80\n\x1A tail"s;
    env->write("KVR_bytes.bin", content);
    std::string bytes = "longer than the file, so a short read would show";
    ASSERT_TRUE(files().readFile(path("KVR_bytes.bin"), bytes));
    EXPECT_EQ(bytes, content);
}

TEST_F(FilesContract, AnsiCodePageBytesBecomeUtf8) {
    if (env->ansiCodePage() != 1252) {
        GTEST_SKIP() << "ANSI code page is " << env->ansiCodePage() << ", not 1252";
    }
    EXPECT_EQ(files().ansiToUtf8("Espa\xF1ol"), "Espa\xC3\xB1ol");
    EXPECT_EQ(files().ansiToUtf8("\x80"), "\xE2\x82\xAC") << "0x80 is the euro sign in 1252";
    EXPECT_EQ(files().ansiToUtf8(""), "");
}

TEST_F(FilesContract, ListingGivesMatchingFileNamesOnly) {
    env->write("KVR_English.lng", "e");
    env->write("KVR_de.txt", "d");
    env->write("kvr_lower.lng", "l");  // names match without regard to case
    env->write("KVR_noext", "n");      // "*.*" also takes a name without an extension
    env->write("Other.lng", "o");
    env->write("KVR.lng", "k");
    env->write("XKVR_x.lng", "x");
    env->makeFolder("KVR_folder.d");
    env->write("KVR_folder.d\\KVR_inner.lng", "i");

    std::vector<std::string> names = files().listFiles(path("KVR_*.*"));
    std::sort(names.begin(), names.end());
    const std::vector<std::string> expected = {"KVR_English.lng", "KVR_de.txt", "KVR_noext",
                                               "kvr_lower.lng"};
    EXPECT_EQ(names, expected);
}

TEST_F(FilesContract, ListingOfANonMatchingPatternIsEmpty) {
    env->write("Other.lng", "o");
    EXPECT_TRUE(files().listFiles(path("KVR_*.*")).empty());
    EXPECT_TRUE(files().listFiles(path("Absent\\KVR_*.*")).empty()) << "missing folder";
}

}  // namespace
