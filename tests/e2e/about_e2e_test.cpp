// The Help menu of the real program: the About box with the translated title and the version
// the executable carries, the web items and the help file handed to the shell. What the shell
// is asked to open is observed through kvr_open_recorder.exe, registered for the duration of a
// test as the program that opens web addresses or compiled help.
#include <cstdio>
#include <filesystem>

#include "kvr_e2e.h"

namespace e2e {
namespace {

std::string builtVersion() {
    return std::to_string(KVR_VERSION_MAJOR) + "." + std::to_string(KVR_VERSION_MINOR) + "." +
           std::to_string(KVR_VERSION_PATCH);
}

// The executable's version resource: the fixed file version and the ProductVersion text.
struct VersionResource {
    std::string fileVersion;  // "1.5.0.0"
    std::string productVersion;
};

std::optional<VersionResource> versionResourceOf(const std::string& exe) {
    const std::wstring path = probe::widen(exe);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return std::nullopt;
    std::vector<BYTE> data(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, data.data())) return std::nullopt;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || !fixed)
        return std::nullopt;
    VersionResource v;
    v.fileVersion = std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
                    std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
                    std::to_string(HIWORD(fixed->dwFileVersionLS)) + "." +
                    std::to_string(LOWORD(fixed->dwFileVersionLS));
    wchar_t* text = nullptr;
    if (VerQueryValueW(data.data(), L"\\StringFileInfo\\040904b0\\ProductVersion",
                       reinterpret_cast<void**>(&text), &length) &&
        text) {
        v.productVersion = probe::narrow(std::wstring(text, wcsnlen(text, length)));
    }
    return v;
}

BOOL CALLBACK collectChild(HWND child, LPARAM out) {
    reinterpret_cast<std::vector<probe::WindowInfo>*>(out)->push_back(probe::describe(child));
    return TRUE;
}

std::vector<probe::WindowInfo> childrenOf(HWND parent) {
    std::vector<probe::WindowInfo> found;
    EnumChildWindows(parent, collectChild, reinterpret_cast<LPARAM>(&found));
    return found;
}

// Makes kvr_open_recorder.exe the program the shell opens a kind of document with, and puts the
// prefix's own program back afterwards.
class RecordedOpening {
public:
    explicit RecordedOpening(std::string commandKey)
        : key_(std::move(commandKey)), saved_(probe::regGetString(key_, "")) {
        DeleteFileW(probe::widen(log()).c_str());
        ok_ = probe::regSetString(key_, "",
                                  "\"" + probe::exeDir() + "\\kvr_open_recorder.exe\" \"%1\"");
    }
    ~RecordedOpening() {
        if (saved_) probe::regSetString(key_, "", *saved_);
    }
    bool ok() const { return ok_; }
    static std::string log() { return probe::exeDir() + "\\opened.txt"; }
    // The lines written so far.
    static std::vector<std::string> opened() {
        std::vector<std::string> lines;
        const auto text = probe::readFile(log());
        if (!text) return lines;
        std::size_t from = 0;
        for (auto end = text->find("\r\n"); end != std::string::npos;
             end = text->find("\r\n", from = end + 2)) {
            lines.push_back(text->substr(from, end - from));
        }
        return lines;
    }

private:
    std::string key_;
    std::optional<std::string> saved_;
    bool ok_ = false;
};

constexpr const char* kWebCommand = "HKLM\\Software\\Classes\\https\\shell\\open\\command";

class HelpMenu : public KvrTest {
protected:
    probe::Process kvr;
    HWND main = nullptr;
    std::string forms;  // the form-text file of the language the program speaks

    // Starts the program in a language, its window shown.
    void startIn(const std::string& language) {
        forms = "KVR_" + language + ".txt";
        seed(kSeeded, {{"OI", "0"}, {"OT", "0"}, {"OO", "0"}});
        ASSERT_TRUE(
            probe::regSetString("HKCU\\Software\\ORQ\\KVR\\Language", "Language", language));
        kvr = start();
        ASSERT_TRUE(hotkeysTaken(combos(kSeeded), kvr));
        main = mainWindow(kvr);
        ASSERT_NE(main, nullptr) << windowsOf(kvr.pid());
    }
    // Chooses the menu-bar command whose caption is code's text in the form-text file.
    void choose(const std::string& formFile, const std::string& code) {
        const auto caption = probe::languageEntry(lngDir() + "\\" + formFile, code);
        ASSERT_TRUE(caption) << code << " missing from " << formFile;
        std::string error;
        const auto id = probe::findMenuCommand(main, *caption, &error);
        ASSERT_TRUE(id) << "no menu command " << probe::quote(*caption) << ": " << error;
        ASSERT_TRUE(probe::postMenuCommand(main, *id));
    }
    // The program's Exit command, in its language.
    void TearDown() override {
        if (kvr.running() && main) {
            choose(forms, "0051");
            EXPECT_TRUE(pumpUntil([&] { return !kvr.running(); }, kEndTimeoutMs))
                << "the program did not end on its Exit command";
        }
        KvrTest::TearDown();
    }
};

TEST_F(HelpMenu, AboutBoxShowsTheTranslatedTitleAndTheExecutablesVersion) {
    const std::string german = lngDir() + "\\KVR_Deutsch.txt";
    const auto title = probe::languageEntry(german, "0600");
    const auto versionText = probe::languageEntry(german, "0602");
    const auto ok = probe::languageEntry(german, "0606");
    ASSERT_TRUE(title && versionText && ok) << "German texts of the About box missing";

    // The version the build gave the executable's resource is the one the box shows.
    const auto resource = versionResourceOf(kvrExe());
    ASSERT_TRUE(resource) << "kvr.exe has no version resource";
    EXPECT_EQ(resource->fileVersion, builtVersion() + ".0");
    EXPECT_EQ(resource->productVersion, builtVersion());

    startIn("Deutsch");
    choose(forms, "0042");
    HWND about = probe::findWindow("KVR_frmAbout", std::nullopt, kvr.pid(), 10000);
    ASSERT_NE(about, nullptr) << "no About box; the program's windows:" << windowsOf(kvr.pid());
    EXPECT_TRUE(pumpUntil([&] { return probe::isVisible(about); }, 5000));
    EXPECT_EQ(probe::windowText(about), *title);
    HWND okButton = nullptr;
    std::string texts;
    int versionLabels = 0;
    for (const auto& child : childrenOf(about)) {
        texts += "\n    " + probe::quote(child.title);
        if (child.title == *versionText + builtVersion()) ++versionLabels;
        if (child.title == *ok) okButton = child.hwnd;
    }
    EXPECT_EQ(versionLabels, 1) << "the box's texts:" << texts;
    probe::pump(500);  // let it paint
    screenshot("about");

    // OK closes it; the program goes on.
    ASSERT_NE(okButton, nullptr) << "no OK button; the box's texts:" << texts;
    PostMessageW(okButton, BM_CLICK, 0, 0);
    EXPECT_TRUE(pumpUntil([&] { return !IsWindow(about) || !probe::isVisible(about); }, 5000));
    EXPECT_TRUE(probe::waitSettled(kvr.pid(), 5000)) << "the main window no longer answers";
}

TEST_F(HelpMenu, AWebItemHandsItsHttpsAddressToTheShell) {
    RecordedOpening browser(kWebCommand);
    ASSERT_TRUE(browser.ok()) << "could not register the stand-in browser";
    const auto address = probe::languageEntry(lngDir() + "\\KVR_Eng.txt", "019");
    ASSERT_TRUE(address);

    startIn("English");
    choose(forms, "0045");
    std::vector<std::string> opened;
    pumpUntil([&] { return !(opened = RecordedOpening::opened()).empty(); }, 15000);
    ASSERT_EQ(opened.size(), 1u) << "the shell was asked to open nothing";
    EXPECT_EQ(opened[0], probe::splitParts(*address)[0]);
    EXPECT_EQ(opened[0].rfind("https://", 0), 0u);
}

// The help file goes to the shell's default verb, as web addresses do, whatever the verb is
// called: here the stand-in viewer is reached only through a verb of its own that the kind of
// file names as its default, while "open" keeps the prefix's viewer. (Wine takes "open" for a
// web address whatever the default is, so only a document shows which verb was asked for.)
TEST_F(HelpMenu, HelpTopicsAndF1OpenTheLanguagesHelpFileWithTheDefaultVerb) {
    const std::string progId =
        probe::regGetString("HKLM\\Software\\Classes\\.chm", "").value_or("chm.file");
    const std::string shell = "HKLM\\Software\\Classes\\" + progId + "\\shell";
    struct Restore {
        std::string shell;
        std::optional<std::string> saved;
        ~Restore() {
            probe::regDeleteTree(shell + "\\kvrview");
            if (saved)
                probe::regSetString(shell, "", *saved);
            else
                probe::regDeleteValue(shell, "");
        }
    } restore{shell, probe::regGetString(shell, "")};
    ASSERT_TRUE(probe::regSetString(shell, "", "kvrview"));
    RecordedOpening viewer(shell + "\\kvrview\\command");
    ASSERT_TRUE(viewer.ok()) << "could not register the stand-in help viewer";
    const std::string spanish = "Espa\xC3\xB1ol";
    const std::string helpFile = "\\Lng\\KVR_Esp.chm";

    startIn(spanish);
    choose(forms, "0041");
    std::vector<std::string> opened;
    pumpUntil([&] { return !(opened = RecordedOpening::opened()).empty(); }, 15000);
    ASSERT_EQ(opened.size(), 1u) << "the help menu opened nothing";
    EXPECT_TRUE(
        opened[0].size() > helpFile.size() &&
        _stricmp(opened[0].c_str() + opened[0].size() - helpFile.size(), helpFile.c_str()) == 0)
        << opened[0];
    EXPECT_TRUE(std::filesystem::exists(probe::widen(opened[0]))) << opened[0];

    // F1 in the main window does the same.
    SetForegroundWindow(main);
    ASSERT_TRUE(pumpUntil([&] { return GetForegroundWindow() == main; }, 3000))
        << "the main window is not in front";
    ASSERT_TRUE(probe::pressKey(0, VK_F1));
    pumpUntil([&] { return (opened = RecordedOpening::opened()).size() >= 2; }, 15000);
    ASSERT_EQ(opened.size(), 2u) << "F1 opened nothing";
    EXPECT_EQ(opened[1], opened[0]);
}

}  // namespace
}  // namespace e2e
