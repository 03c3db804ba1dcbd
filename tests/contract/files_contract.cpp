// Writing, renaming, replacing and deleting files, against the fake natively and against
// kernel32 under Wine, in a scratch folder that goes with the case.
#include <gtest/gtest.h>

#include <string>

#include "tests/contract/contract_env.h"

using namespace std::string_literals;

namespace {

class FileChanges : public ::testing::Test {
protected:
    void SetUp() override { env = kvr::contract::makeFilesEnv(); }

    kvr::platform::FileSystem& files() { return env->files(); }
    std::string path(const std::string& name) { return env->folder() + "\\" + name; }

    std::unique_ptr<kvr::contract::FilesEnv> env;
};

TEST_F(FileChanges, WriteCreatesAFileAndRewritesItWhole) {
    const std::string bytes = "\x02\x00ab\x00\x00\xFF"s;
    ASSERT_TRUE(files().writeFile(path("list.dat"), bytes));
    EXPECT_EQ(env->read("list.dat"), bytes);
    ASSERT_TRUE(files().writeFile(path("list.dat"), "short"));
    EXPECT_EQ(env->read("list.dat"), "short") << "nothing of the longer content may remain";
    ASSERT_TRUE(files().writeFile(path("list.dat"), ""));
    EXPECT_EQ(env->read("list.dat"), "");
    EXPECT_TRUE(files().fileExists(path("list.dat")));
}

TEST_F(FileChanges, WriteIntoAMissingFolderFailsAndLeavesNothing) {
    EXPECT_FALSE(files().writeFile(path("absent\\list.dat"), "x"));
    EXPECT_FALSE(env->exists("absent"));
    EXPECT_FALSE(env->exists("absent\\list.dat"));
}

TEST_F(FileChanges, ExistsForFilesAndFoldersOnly) {
    env->write("here.txt", "h");
    env->makeFolder("sub");
    EXPECT_TRUE(files().fileExists(path("here.txt")));
    EXPECT_TRUE(files().fileExists(path("HERE.TXT"))) << "names match without regard to case";
    EXPECT_TRUE(files().fileExists(path("sub")));
    EXPECT_FALSE(files().fileExists(path("there.txt")));
}

TEST_F(FileChanges, MoveRenamesButKeepsAnExistingTargetUnlessAskedToReplaceIt) {
    env->write("a.tmp", "new list");
    ASSERT_TRUE(files().moveFile(path("a.tmp"), path("b.dat"), false));
    EXPECT_FALSE(env->exists("a.tmp"));
    EXPECT_EQ(env->read("b.dat"), "new list");

    env->write("c.tmp", "newer list");
    EXPECT_FALSE(files().moveFile(path("c.tmp"), path("b.dat"), false));
    EXPECT_EQ(env->read("b.dat"), "new list");
    EXPECT_EQ(env->read("c.tmp"), "newer list");

    ASSERT_TRUE(files().moveFile(path("c.tmp"), path("b.dat"), true));
    EXPECT_FALSE(env->exists("c.tmp"));
    EXPECT_EQ(env->read("b.dat"), "newer list");
}

TEST_F(FileChanges, FlushKeepsAWrittenFileAsItIsAndFailsForAMissingOne) {
    ASSERT_TRUE(files().writeFile(path("list.tmp"), "whole list"));
    EXPECT_TRUE(files().flushFile(path("list.tmp")));
    EXPECT_EQ(env->read("list.tmp"), "whole list");
    EXPECT_FALSE(files().flushFile(path("gone.tmp")));
    EXPECT_FALSE(env->exists("gone.tmp")) << "a flush creates nothing";
}

// The times of files and of processes are on one clock: a file written now is newer than this
// process, which started before it.
TEST_F(FileChanges, AWriteTimeIsLaterThanTheWritersStartAndMissingFilesHaveNone) {
    const auto desktop = kvr::contract::makeDesktop();
    const std::uint64_t started = desktop.desktop->processStartTime(desktop.arranger->processId());
    ASSERT_NE(started, 0u);
    ASSERT_TRUE(files().writeFile(path("journal.dat"), "j"));
    std::uint64_t written = 0;
    ASSERT_TRUE(files().lastWriteTime(path("journal.dat"), written));
    EXPECT_GT(written, started);
    EXPECT_FALSE(files().lastWriteTime(path("gone.dat"), written));
}

TEST_F(FileChanges, MovingAMissingFileFailsAndLeavesTheTarget) {
    env->write("b.dat", "kept");
    EXPECT_FALSE(files().moveFile(path("gone.tmp"), path("b.dat"), true));
    EXPECT_EQ(env->read("b.dat"), "kept");
}

TEST_F(FileChanges, DeleteRemovesAFileAndIsFalseForOneThatIsNotThere) {
    env->write("old.tmp", "x");
    EXPECT_TRUE(files().deleteFile(path("old.tmp")));
    EXPECT_FALSE(env->exists("old.tmp"));
    EXPECT_FALSE(files().deleteFile(path("old.tmp")));
}

TEST_F(FileChanges, CreateFolderMakesOneLevelAndAcceptsOneThatIsThere) {
    ASSERT_TRUE(files().createFolder(path("KVR")));
    EXPECT_TRUE(env->exists("KVR"));
    EXPECT_TRUE(files().createFolder(path("kvr"))) << "there already, under any case";
    ASSERT_TRUE(files().writeFile(path("KVR\\journal.dat"), "j"));
    EXPECT_EQ(env->read("KVR\\journal.dat"), "j");

    EXPECT_FALSE(files().createFolder(path("absent\\KVR"))) << "only one level at a time";
    EXPECT_FALSE(env->exists("absent"));
    env->write("plain.txt", "p");
    EXPECT_FALSE(files().createFolder(path("plain.txt"))) << "a file is not a folder";
    EXPECT_EQ(env->read("plain.txt"), "p");
}

TEST_F(FileChanges, TheDriveTypeOfTheScratchFolderAndOfADriveThatIsNotThere) {
    const std::string root = env->folder().substr(0, 3);
    ASSERT_EQ(root.substr(1), ":\\") << env->folder();
    EXPECT_EQ(files().getDriveType(root), kvr::platform::drive::kFixed) << root;
    EXPECT_EQ(files().getDriveType("Q:\\"), kvr::platform::drive::kNoRootDir);
}

TEST_F(FileChanges, Utf8BecomesTheAnsiCodePageAndBack) {
    if (env->ansiCodePage() != 1252) {
        GTEST_SKIP() << "ANSI code page is " << env->ansiCodePage() << ", not 1252";
    }
    EXPECT_EQ(files().utf8ToAnsi("Espa\xC3\xB1ol"), "Espa\xF1ol");
    EXPECT_EQ(files().utf8ToAnsi("\xE2\x82\xAC"), "\x80") << "the euro sign";
    EXPECT_EQ(files().utf8ToAnsi("\xE6\x97\xA5x"), "?x") << "a character 1252 lacks";
    EXPECT_EQ(files().utf8ToAnsi(""), "");
    // Every byte of the code page comes back as it was, the five unassigned ones included: a
    // list read and written again keeps its bytes.
    std::string every;
    for (int b = 1; b < 256; ++b) every += static_cast<char>(b);
    EXPECT_EQ(files().utf8ToAnsi(files().ansiToUtf8(every)), every);
}

TEST_F(FileChanges, ACharacterTheCodePageLacksBecomesItsLookAlikeOrAQuestionMark) {
    if (env->ansiCodePage() != 1252) {
        GTEST_SKIP() << "ANSI code page is " << env->ansiCodePage() << ", not 1252";
    }
    const std::string lodz =
        "\xC5\x82\xC3\xB3"
        "d\xC5\xBA.exe";  // "l with stroke", o acute, d, z acute
    EXPECT_EQ(files().utf8ToAnsi(lodz),
              "l\xF3"
              "dz.exe");
    EXPECT_TRUE(files().fitsAnsi(lodz)) << "a look-alike is no question mark";
    EXPECT_TRUE(files().fitsAnsi("Espa\xC3\xB1ol?"));
    EXPECT_TRUE(files().fitsAnsi(""));
    EXPECT_FALSE(files().fitsAnsi("\xE6\x97\xA5\xE6\x9C\xAC.exe"));  // two CJK ideographs
}

}  // namespace
