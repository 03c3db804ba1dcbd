// The probe checked against windows, hotkeys and processes it makes itself, so that an
// end-to-end failure points at the program and not at the instrument.
#include "probe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "probe_dialog.h"
#include "probe_treeview.h"

namespace {

std::string tempPath(const std::string& name) {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    return probe::narrow(dir) + name;
}

void writeFile(const std::string& path, const std::string& bytes) {
    HANDLE f = CreateFileW(probe::widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                           nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    DWORD put = 0;
    WriteFile(f, bytes.data(), DWORD(bytes.size()), &put, nullptr);
    CloseHandle(f);
}

// Waits for a posted message of one kind for any window of this thread.
bool waitMessage(UINT message, MSG* out, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        if (PeekMessageW(out, nullptr, message, message, PM_REMOVE)) return true;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return false;
}

// probe.exe shows its window once menu and children are in place.
HWND waitShown(const std::string& cls, DWORD pid) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 20000) {
        HWND h = probe::findWindow(cls, std::nullopt, pid, 0);
        if (h && probe::isVisible(h)) return h;
        Sleep(1);
    }
    return nullptr;
}

// Shift+F12: far from every combination the program's tests use.
constexpr int kMod = 16, kKey = 123;

TEST(ProbeWindows, CreatedWindowsAreListedWithClassTitleProcessAndVisibility) {
    const std::string title = "Probe Ωμέγα 日本";
    HWND top = probe::createWindow("ProbeTarget", title);
    ASSERT_TRUE(top);
    HWND popup = probe::createWindow("ProbePopup", "owned", top);
    HWND hidden = probe::createWindow("ProbeTarget", "hidden one", nullptr, false);
    HWND button = probe::createChild(top, "BUTTON", "Press");
    ASSERT_TRUE(popup && hidden && button);

    EXPECT_EQ(GetWindow(popup, GW_OWNER), top);
    EXPECT_EQ(GetAncestor(button, GA_PARENT), top);
    auto mine = probe::topLevelWindowsOf(GetCurrentProcessId());
    auto find = [&](HWND h) {
        return std::find_if(mine.begin(), mine.end(), [h](auto& w) { return w.hwnd == h; });
    };
    ASSERT_NE(find(top), mine.end());
    EXPECT_EQ(find(top)->className, "ProbeTarget");
    EXPECT_EQ(find(top)->title, title);
    EXPECT_TRUE(find(top)->visible);
    EXPECT_NE(find(popup), mine.end());
    ASSERT_NE(find(hidden), mine.end());
    EXPECT_FALSE(find(hidden)->visible);
    EXPECT_EQ(find(button), mine.end()) << "a child is not a top-level window";

    EXPECT_EQ(probe::findWindow("ProbeTarget", title, 0, 0), top);
    EXPECT_EQ(probe::findWindow("ProbeTarget", std::string("hidden one"), 0, 0), hidden);
    EXPECT_EQ(probe::findWindow("ProbeTarget", title, GetCurrentProcessId() + 4, 0), nullptr);
    EXPECT_EQ(probe::findWindow("NoSuchClassAnywhere", std::nullopt, 0, 50), nullptr);

    ShowWindow(top, SW_HIDE);
    EXPECT_FALSE(probe::isVisible(top));
    ShowWindow(top, SW_SHOW);
    EXPECT_TRUE(probe::isVisible(top));

    DestroyWindow(hidden);
    DestroyWindow(top);  // takes the owned pop-up and the child along
    EXPECT_FALSE(IsWindow(popup));
}

TEST(ProbeInput, MouseGoesToTheCentreOfAWindowOrOfAChild) {
    HWND top = probe::createWindow("ProbeTarget", "mouse");
    HWND button = probe::createChild(top, "BUTTON", "here");
    ASSERT_TRUE(probe::moveMouseOver(button));
    POINT pt;
    GetCursorPos(&pt);
    EXPECT_EQ(WindowFromPoint(pt), button);
    ASSERT_TRUE(probe::moveMouseOver(top));
    GetCursorPos(&pt);
    RECT rc;
    GetWindowRect(top, &rc);
    EXPECT_EQ(pt.x, (rc.left + rc.right) / 2);
    EXPECT_EQ(pt.y, (rc.top + rc.bottom) / 2);
    DestroyWindow(top);
}

TEST(ProbeHotkeys, AHeldCombinationIsTakenAndAPressReachesItsOwner) {
    ASSERT_EQ(probe::modifierFlag(16), UINT(MOD_SHIFT));
    ASSERT_EQ(probe::modifierFlag(17), UINT(MOD_CONTROL));
    ASSERT_EQ(probe::modifierFlag(18), UINT(MOD_ALT));
    ASSERT_EQ(probe::modifierFlag(19), std::nullopt);
    EXPECT_FALSE(probe::hotkeyFree(19, kKey)) << "an unknown modifier is never reported free";

    ASSERT_TRUE(probe::hotkeyFree(kMod, kKey));
    HWND owner = probe::createWindow("ProbeTarget", "hotkey owner");
    ASSERT_TRUE(RegisterHotKey(owner, 0xBFFF, MOD_SHIFT, kKey));
    EXPECT_FALSE(probe::hotkeyFree(kMod, kKey));
    EXPECT_TRUE(probe::hotkeyFree(17, kKey)) << "another modifier is another combination";
    EXPECT_FALSE(probe::waitHotkeysFree({{kMod, kKey}}, 50));
    EXPECT_TRUE(probe::waitHotkeysTaken({{kMod, kKey}}, 50));

    ASSERT_TRUE(probe::pressKey(kMod, kKey));
    MSG msg{};
    ASSERT_TRUE(waitMessage(WM_HOTKEY, &msg, 5000)) << "no WM_HOTKEY after SendInput";
    EXPECT_EQ(msg.hwnd, owner);
    EXPECT_EQ(msg.wParam, WPARAM(0xBFFF));
    EXPECT_EQ(GetAsyncKeyState(VK_SHIFT) & 0x8000, 0) << "the modifier was left down";

    UnregisterHotKey(owner, 0xBFFF);
    EXPECT_TRUE(probe::hotkeyFree(kMod, kKey));
    DestroyWindow(owner);
}

TEST(ProbeMessageBoxes, ReadsTextAndCaptionOfAProcesssBoxAndClosesItWithOk) {
    int result = 0;
    std::thread shower([&] {
        result = MessageBoxW(nullptr, L"Only one copy ¡ñ", L"Probe caption", MB_OK | 0x30);
    });
    auto box = probe::findMessageBox(GetCurrentProcessId(), 10000);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->caption, "Probe caption");
    EXPECT_EQ(box->text, "Only one copy ¡ñ");
    EXPECT_FALSE(probe::findMessageBox(GetCurrentProcessId() + 4, 0));
    EXPECT_TRUE(probe::pressOk(box->hwnd));
    shower.join();
    EXPECT_EQ(result, IDOK);
}

TEST(ProbeMenus, FindsACommandByCaptionInOwnAndForeignWindows) {
    HWND own = probe::createWindow("ProbeTarget", "menu");
    HMENU bar = CreateMenu(), file = CreatePopupMenu(), sub = CreatePopupMenu();
    AppendMenuW(file, MF_STRING, 50, L"&Open");
    AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(sub, MF_STRING, 51, L"E&xit\tAlt+X");
    AppendMenuW(file, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), L"More");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
    SetMenu(own, bar);
    auto items = probe::menuBarItems(own);
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(items[0].text, "&File");
    EXPECT_EQ(items[0].id, 0u);
    EXPECT_EQ(items[4].text, "E&xit\tAlt+X");
    EXPECT_EQ(items[4].depth, 2);
    EXPECT_EQ(probe::findMenuCommand(own, "E&xit\tAlt+X"), 51u);
    EXPECT_EQ(probe::findMenuCommand(own, "Exit"), 51u) << "matched without & and shortcut";
    EXPECT_EQ(probe::findMenuCommand(own, "More"), std::nullopt) << "a submenu is no command";
    std::string error;
    EXPECT_EQ(probe::findMenuCommand(own, "Quit", &error), std::nullopt);
    EXPECT_NE(error.find("&Open"), std::string::npos) << "the failure lists the items: " << error;

    ASSERT_TRUE(probe::postMenuCommand(own, 51));
    MSG msg{};
    ASSERT_TRUE(waitMessage(WM_COMMAND, &msg, 2000));
    EXPECT_EQ(LOWORD(msg.wParam), 51);
    DestroyWindow(own);

    // Another process: Wine gives no access to its menu from here; the agent reads it.
    auto other = probe::startProcess(probe::exeDir() + "\\probe.exe",
                                     "create ProbeForeign foreign --menu \"E&xit=77\" "
                                     "--exit-on 77 --seconds 60");
    ASSERT_TRUE(other);
    HWND foreign = waitShown("ProbeForeign", other->pid());
    ASSERT_TRUE(foreign);
    error.clear();
    auto id = probe::findMenuCommand(foreign, "Exit", &error);
    ASSERT_EQ(id, 77u) << error;
    ASSERT_TRUE(probe::postMenuCommand(foreign, *id));
    EXPECT_TRUE(other->wait(10000)) << "the foreign window did not get its command";
    other->kill();
}

// A tree view's messages carry pointers into its own process: the probe reads another process's
// tree through memory it takes there, and clicks an item where the screen shows it.
TEST(ProbeTrees, ReadsAnotherProcesssTreeAndClicksAnItemWhereItIsShown) {
    auto other = probe::startProcess(probe::exeDir() + "\\probe.exe",
                                     "create ProbeForeignTree trees "
                                     "--child \"SysTreeView32:Mi escritorio>first.exe>"
                                     "C:\\Tools\\second.exe\" --seconds 60");
    ASSERT_TRUE(other);
    HWND foreign = waitShown("ProbeForeignTree", other->pid());
    ASSERT_TRUE(foreign);
    const auto trees = probe::visibleChildren(foreign, "SysTreeView32");
    ASSERT_EQ(trees.size(), 1u);
    HWND tree = trees[0].hwnd;
    auto items = probe::treeViewItems(tree);
    ASSERT_TRUE(items) << "the other process's memory could not be used";
    ASSERT_EQ(items->size(), 3u);
    EXPECT_EQ((*items)[0].text, "Mi escritorio");
    EXPECT_EQ((*items)[0].depth, 0);
    EXPECT_TRUE((*items)[0].expanded);
    EXPECT_EQ((*items)[1].text, "first.exe");
    EXPECT_EQ((*items)[2].text, "C:\\Tools\\second.exe");
    EXPECT_EQ((*items)[2].depth, 1);
    EXPECT_FALSE((*items)[2].selected);

    const auto rect = probe::treeViewItemRect(tree, (*items)[2].item);
    ASSERT_TRUE(rect);
    EXPECT_GT(rect->right, rect->left);
    EXPECT_GT(rect->top, (*probe::treeViewItemRect(tree, (*items)[1].item)).top) << "below";
    ASSERT_TRUE(probe::bringToFront(foreign, 5000));
    ASSERT_TRUE(probe::clickAt((rect->left + rect->right) / 2, (rect->top + rect->bottom) / 2));
    const DWORD start = GetTickCount();
    bool selected = false;
    while (!selected && GetTickCount() - start < 5000) {
        items = probe::treeViewItems(tree);
        selected = items && items->size() == 3 && (*items)[2].selected;
        Sleep(5);
    }
    EXPECT_TRUE(selected) << "the click did not select the item";
    other->kill();
}

TEST(ProbeProcesses, StartsWaitsAndEndsProcesses) {
    std::string error;
    EXPECT_FALSE(probe::startProcess(probe::exeDir() + "\\no_such_program.exe", "", &error));
    EXPECT_NE(error.find("no_such_program.exe"), std::string::npos) << error;

    auto quick = probe::startProcess(probe::exeDir() + "\\probe.exe", "hotkey-free 16 123");
    ASSERT_TRUE(quick);
    DWORD code = 99;
    ASSERT_TRUE(quick->wait(20000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(quick->running());

    auto slow =
        probe::startProcess(probe::exeDir() + "\\probe.exe", "create ProbeSlow slow --seconds 60");
    ASSERT_TRUE(slow);
    ASSERT_TRUE(waitShown("ProbeSlow", slow->pid()));
    EXPECT_FALSE(slow->wait(10));
    auto pids = probe::processesNamed("PROBE.EXE");
    EXPECT_NE(std::find(pids.begin(), pids.end(), slow->pid()), pids.end());
    slow->kill();
    EXPECT_TRUE(slow->wait(0));
}

TEST(ProbeRegistry, WritesReadsDumpsAndDeletesWholeTrees) {
    const std::string key = "HKCU\\Software\\KvrProbeTest";
    ASSERT_TRUE(probe::regDeleteTree(key));
    EXPECT_FALSE(probe::regKeyExists(key));
    EXPECT_EQ(probe::regGetString(key, "A"), std::nullopt);
    EXPECT_TRUE(probe::regDeleteValue(key, "A")) << "deleting what is not there succeeds";

    ASSERT_TRUE(probe::regSetString(key + "\\Sub\\Deeper", "S0", "16"));
    ASSERT_TRUE(probe::regSetString(key, "Name", "Ωμέγα"));
    ASSERT_TRUE(probe::regSetString(key, "Empty", ""));
    EXPECT_EQ(probe::regGetString(key + "\\Sub\\Deeper", "S0"), "16");
    EXPECT_EQ(probe::regGetString(key, "Name"), "Ωμέγα");
    EXPECT_EQ(probe::regGetString(key, "Empty"), "");

    auto dump = probe::regDump(key);
    std::vector<std::string> want = {
        "KEY HKCU\\Software\\KvrProbeTest",
        "KEY HKCU\\Software\\KvrProbeTest\\Sub",
        "KEY HKCU\\Software\\KvrProbeTest\\Sub\\Deeper",
        "VALUE HKCU\\Software\\KvrProbeTest\\Empty REG_SZ \"\"",
        "VALUE HKCU\\Software\\KvrProbeTest\\Name REG_SZ \"Ωμέγα\"",
        "VALUE HKCU\\Software\\KvrProbeTest\\Sub\\Deeper\\S0 REG_SZ \"16\"",
    };
    EXPECT_EQ(dump, want);

    ASSERT_TRUE(probe::regDeleteValue(key, "Name"));
    EXPECT_EQ(probe::regGetString(key, "Name"), std::nullopt);
    ASSERT_TRUE(probe::regDeleteTree(key));
    EXPECT_FALSE(probe::regKeyExists(key + "\\Sub"));
    EXPECT_FALSE(probe::regKeyExists(key));
    EXPECT_TRUE(probe::regDump(key).empty());

    HKEY root;
    std::wstring sub;
    EXPECT_TRUE(probe::splitRootedKey("HKEY_LOCAL_MACHINE\\Software", &root, &sub));
    EXPECT_EQ(root, HKEY_LOCAL_MACHINE);
    EXPECT_EQ(sub, L"Software");
    EXPECT_FALSE(probe::splitRootedKey("HKXX\\Software", &root, &sub));
    EXPECT_FALSE(probe::regDeleteTree("HKCU")) << "a whole root is never deleted";
}

TEST(ProbeLanguageFiles, TakesTheFirstEntryUpToTheLineEndAndSplitsParts) {
    const std::string path = tempPath("kvr_probe_lang.txt");
    writeFile(path,
              "junk [0051]=E&xit\r\n"
              "[014]=Already running|KVR||\r\n"
              "[014]=second copy|no\r\n"
              "[015]=last");
    EXPECT_EQ(probe::languageEntry(path, "0051"), "E&xit");
    auto msg = probe::languageEntry(path, "014");
    ASSERT_TRUE(msg);
    EXPECT_EQ(*msg, "Already running|KVR||");
    EXPECT_EQ(probe::splitParts(*msg),
              (std::vector<std::string>{"Already running", "KVR", "", ""}));
    EXPECT_EQ(probe::languageEntry(path, "015"), "last");
    EXPECT_EQ(probe::languageEntry(path, "016"), std::nullopt);
    EXPECT_EQ(probe::languageEntry(path + ".missing", "014"), std::nullopt);

    writeFile(path, "\xEF\xBB\xBF[0051]=Salir \xC3\xB1\r\n");
    EXPECT_EQ(probe::languageEntry(path, "0051"), "Salir ñ") << "a BOM means UTF-8";
    DeleteFileW(probe::widen(path).c_str());
}

TEST(ProbeScreen, SavesTheScreenAsABmpOfItsSize) {
    const std::string path = tempPath("kvr_probe_screen.bmp");
    ASSERT_TRUE(probe::saveScreenshot(path));
    auto bytes = probe::readFile(path);
    ASSERT_TRUE(bytes);
    ASSERT_GT(bytes->size(), 54u);
    EXPECT_EQ(bytes->substr(0, 2), "BM");
    auto header = reinterpret_cast<const BITMAPINFOHEADER*>(bytes->data() + 14);
    EXPECT_EQ(header->biWidth, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(header->biHeight, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(bytes->size(), 54u + ((header->biWidth * 3 + 3) & ~3) * header->biHeight);
    DeleteFileW(probe::widen(path).c_str());
}

}  // namespace
