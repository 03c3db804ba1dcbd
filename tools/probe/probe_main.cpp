// probe.exe: the probe's functions as subcommands for scripts and for poking at things by hand.
// Output is one "key=value" item per line; exit code 0 success, 1 failure, 2 bad usage.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <map>

#include "probe.h"
#include "probe_dialog.h"
#include "probe_listview.h"
#include "probe_treeview.h"

namespace {

using Args = std::vector<std::string>;

const char* kUsage = R"(usage: probe COMMAND [ARGS]
  windows [--pid PID] [--class CLASS]      list top-level windows
  create CLASS TITLE [--owner HWND] [--child CLASS:TEXT] [--menu TEXT=ID] [--hidden]
         (--child SysTreeView32:ROOT>ITEM>ITEM... gives a tree of a root and its items)
         [--hotkey MODVK:VK] [--exit-on ID] [--seconds N] [--windows N] [--busy MS]
                                           create a window, print it, then report posted
                                           commands and hotkeys for N s (default 600);
                                           --menu items go into one "&File" menu;
                                           --windows: N plain windows of the class, titled
                                           TITLE, TITLE 2, ...; --busy: once they show, take
                                           no message for MS ms (busy=1, then busy=0)
  visible HWND                             visible=0|1
  find CLASS [TITLE] [--pid PID] [--timeout MS]
  settled [--pid PID] [--timeout MS]       wait until the program's main window answers
  rows HWND|CLASS [--columns N]            the rows of the window's list view
  tree HWND|CLASS                          the items of the window's tree view
  mouse HWND                               move the pointer to the window's centre
  tray                                     the notification area's icons: cell and tip
  click X Y [--right]                      click the screen point
  press MODVK VK                           SendInput: modifier (0/16/17/18) + key
  press-burst COUNT KEYVK MODVK VK         one SendInput: COUNT presses of KEYVK, then
                                           modifier + key
  hotkey-free MODVK VK                     free=0|1
  msgbox [PID] [--timeout MS] [--ok]       read a message box (and press OK)
  menu HWND|CLASS                          list the menu bar
  command HWND|CLASS CAPTION               post the menu command with that caption
  exit [--lng DIR] [--timeout MS] [--wait MS]
                                           post the program's exit command (and wait)
  logoff [--timeout MS]                    WM_QUERYENDSESSION + WM_ENDSESSION to the program
  close HWND|CLASS                         post WM_CLOSE, as a task list would
  start EXE [ARGS]                         start a process, pid=N
  wait PID TIMEOUT_MS                      exited=0|1 code=N
  kill-all EXENAME                         end every process of that name
  reg-get KEY NAME | reg-set KEY NAME VALUE | reg-del-value KEY NAME
  reg-del-tree KEY | reg-dump KEY
  lng FILE KEY                             value of [KEY] in a language file
  screenshot FILE.bmp                      save the screen
)";

void out(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

int failWith(const std::string& why) {
    out("error=" + probe::quote(why));
    return 1;
}

std::string windowLine(const probe::WindowInfo& w) {
    return "hwnd=" + probe::hwndText(w.hwnd) + " pid=" + std::to_string(w.pid) +
           " visible=" + (w.visible ? "1" : "0") + " class=" + probe::quote(w.className) +
           " title=" + probe::quote(w.title);
}

// Splits "--name value" options (and bare "--flag"s listed in flags) from positional words.
struct Parsed {
    Args positional;
    std::map<std::string, std::string> options;
    std::vector<std::string> children;
    std::vector<std::string> menu;
    bool has(const std::string& name) const { return options.count(name) != 0; }
    DWORD number(const std::string& name, DWORD fallback) const {
        auto it = options.find(name);
        return it == options.end() ? fallback : DWORD(std::strtoul(it->second.c_str(), nullptr, 0));
    }
};

Parsed parse(const Args& args, size_t from, std::initializer_list<const char*> flags) {
    Parsed p;
    for (size_t i = from; i < args.size(); ++i) {
        const std::string& a = args[i];
        bool isFlag = false;
        for (const char* f : flags) isFlag = isFlag || a == f;
        if (isFlag) {
            p.options[a].assign(1, '1');
        } else if (a.rfind("--", 0) == 0 && i + 1 < args.size()) {
            if (a == "--child")
                p.children.push_back(args[++i]);
            else if (a == "--menu")
                p.menu.push_back(args[++i]);
            else
                p.options[a] = args[++i];
        } else {
            p.positional.push_back(a);
        }
    }
    return p;
}

HWND windowArg(const std::string& text) {
    if (text.rfind("0x", 0) == 0 || (!text.empty() && isdigit(static_cast<unsigned char>(text[0]))))
        return probe::parseHwnd(text);
    return probe::findWindow(text, std::nullopt, 0, 0);
}

// "Root>One>Two": a root and its items under it, shown open.
void fillTree(HWND tree, const std::string& items) {
    SetWindowTextW(tree, L"");
    SetWindowLongPtrW(tree, GWL_STYLE,
                      GetWindowLongPtrW(tree, GWL_STYLE) | TVS_HASLINES | TVS_HASBUTTONS);
    HTREEITEM root = nullptr;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = items.find('>', start);
        std::wstring text = probe::widen(items.substr(start, end - start));
        TVINSERTSTRUCTW insert{};
        insert.hParent = root ? root : TVI_ROOT;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT;
        insert.item.pszText = text.data();
        auto item = reinterpret_cast<HTREEITEM>(
            SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
        if (!root) root = item;
        if (end == std::string::npos) break;
        start = end + 1;
    }
    SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root));
}

int cmdCreate(const Parsed& p) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    if (p.positional.size() < 2) return 2;
    HWND owner = p.has("--owner") ? probe::parseHwnd(p.options.at("--owner")) : nullptr;
    // Shown only when complete, so that whoever finds it sees its menu and children.
    HWND hwnd = probe::createWindow(p.positional[0], p.positional[1], owner, false);
    if (!hwnd) return failWith("CreateWindowEx failed, error " + std::to_string(GetLastError()));
    out("hwnd=" + probe::hwndText(hwnd) + " pid=" + std::to_string(GetCurrentProcessId()));
    for (const auto& childArg : p.children) {
        auto colon = childArg.find(':');
        HWND child =
            probe::createChild(hwnd, childArg.substr(0, colon),
                               colon == std::string::npos ? "" : childArg.substr(colon + 1));
        if (!child) return failWith("child " + childArg + " failed");
        if (probe::className(child) == WC_TREEVIEWA && colon != std::string::npos)
            fillTree(child, childArg.substr(colon + 1));
        out("child=" + probe::hwndText(child));
    }
    if (!p.menu.empty()) {
        HMENU bar = CreateMenu(), file = CreatePopupMenu();
        for (const auto& arg : p.menu) {
            auto eq = arg.rfind('=');
            UINT id =
                eq == std::string::npos ? 0 : UINT(std::strtoul(arg.c_str() + eq + 1, nullptr, 0));
            AppendMenuW(file, MF_STRING, id, probe::widen(arg.substr(0, eq)).c_str());
        }
        AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
        SetMenu(hwnd, bar);
    }
    if (p.has("--hotkey")) {
        const std::string& arg = p.options.at("--hotkey");
        auto flag = probe::modifierFlag(std::atoi(arg.c_str()));
        int vk = std::atoi(arg.c_str() + arg.find(':') + 1);
        if (!flag || !RegisterHotKey(hwnd, 1, *flag, UINT(vk)))
            return failWith("RegisterHotKey " + arg + " failed");
    }
    if (!p.has("--hidden")) {
        ShowWindow(hwnd, SW_SHOWNORMAL);
        UpdateWindow(hwnd);
    }
    for (DWORD n = 2; n <= p.number("--windows", 1); ++n) {
        HWND more = probe::createWindow(p.positional[0], p.positional[1] + " " + std::to_string(n),
                                        owner, !p.has("--hidden"));
        if (!more) return failWith("window " + std::to_string(n) + " failed");
        out("hwnd=" + probe::hwndText(more));
    }
    out("ready");
    if (p.has("--busy")) {
        out("busy=1");
        probe::stopAnswering(p.number("--busy", 0));
        out("busy=0");
    }
    // Reports commands and hotkeys as they come; lives until the time is up, its window is
    // destroyed, or the --exit-on command arrives.
    DWORD seconds = p.number("--seconds", 600), exitOn = p.number("--exit-on", 0);
    DWORD start = GetTickCount();
    while (IsWindow(hwnd) && GetTickCount() - start < seconds * 1000) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_HOTKEY) out("hotkey=" + std::to_string(msg.wParam));
            if (msg.message == WM_COMMAND) {
                out("command=" + std::to_string(LOWORD(msg.wParam)));
                if (exitOn && LOWORD(msg.wParam) == exitOn) DestroyWindow(hwnd);
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    return 0;
}

int cmdMsgbox(const Parsed& p) {
    DWORD pid = p.positional.empty() ? 0 : DWORD(std::strtoul(p.positional[0].c_str(), nullptr, 0));
    auto box = probe::findMessageBox(pid, p.number("--timeout", 0));
    if (!box) return failWith("no message box");
    out("hwnd=" + probe::hwndText(box->hwnd) +
        " pid=" + std::to_string(probe::processOf(box->hwnd)));
    out("caption=" + probe::quote(box->caption));
    out("text=" + probe::quote(box->text));
    if (p.has("--ok") && !probe::pressOk(box->hwnd)) return failWith("no OK button");
    return 0;
}

int cmdExit(const Parsed& p) {
    std::string lng = p.has("--lng") ? p.options.at("--lng") : probe::exeDir() + "\\Lng";
    DWORD timeout = p.number("--timeout", 5000);
    HWND main = probe::findWindow(probe::kMainClass, std::nullopt, 0, timeout);
    auto process = main ? probe::openProcess(probe::processOf(main)) : std::nullopt;
    std::string error;
    if (!probe::sendExitCommand(lng, timeout, &error)) return failWith(error);
    out("sent=1");
    if (p.has("--wait")) {
        DWORD code = 0;
        if (!process || !process->wait(p.number("--wait", 10000), &code))
            return failWith("the program did not end");
        out("exited=1 code=" + std::to_string(code));
    }
    return 0;
}

int cmdRows(const Parsed& p) {
    if (p.positional.empty()) return 2;
    HWND list = probe::findListView(windowArg(p.positional[0]));
    if (!list) return failWith("no list view");
    auto rows = probe::listViewRows(list, int(p.number("--columns", 3)));
    if (!rows) return failWith("the list view's process could not be read");
    for (std::size_t i = 0; i < rows->size(); ++i) {
        std::string line = "row=" + std::to_string(i);
        for (std::size_t c = 0; c < (*rows)[i].size(); ++c)
            line += " column" + std::to_string(c) + "=" + probe::quote((*rows)[i][c]);
        out(line);
    }
    return 0;
}

int cmdTree(const Parsed& p) {
    if (p.positional.empty()) return 2;
    const auto trees = probe::visibleChildren(windowArg(p.positional[0]), WC_TREEVIEWA);
    if (trees.empty()) return failWith("no tree view");
    const auto items = probe::treeViewItems(trees[0].hwnd);
    if (!items) return failWith("the tree view's process could not be read");
    for (const probe::TreeItem& item : *items)
        out("depth=" + std::to_string(item.depth) + " image=" + std::to_string(item.image) +
            " selected=" + (item.selected ? "1" : "0") + " text=" + probe::quote(item.text));
    return 0;
}

int run(const Args& args) {
    if (args.size() < 2) return 2;
    const std::string& cmd = args[1];
    auto need = [&](size_t n) { return args.size() >= n + 2; };

    if (cmd == "windows") {
        auto p = parse(args, 2, {});
        DWORD pid = p.number("--pid", 0);
        for (const auto& w : probe::topLevelWindows())
            if ((!pid || w.pid == pid) &&
                (!p.has("--class") || w.className == p.options.at("--class")))
                out(windowLine(w));
        return 0;
    }
    if (cmd == "create") return cmdCreate(parse(args, 2, {"--hidden"}));
    if (cmd == "visible" && need(1)) {
        HWND h = windowArg(args[2]);
        if (!IsWindow(h)) return failWith("no such window");
        out(std::string("visible=") + (probe::isVisible(h) ? "1" : "0"));
        return 0;
    }
    if (cmd == "find" && need(1)) {
        auto p = parse(args, 2, {});
        std::optional<std::string> title;
        if (p.positional.size() > 1) title = p.positional[1];
        HWND h = probe::findWindow(p.positional[0], title, p.number("--pid", 0),
                                   p.number("--timeout", 0));
        if (!h) return failWith("not found");
        out(windowLine(probe::describe(h)));
        return 0;
    }
    if (cmd == "settled") {
        auto p = parse(args, 2, {});
        HWND main = probe::waitSettled(p.number("--pid", 0), p.number("--timeout", 30000));
        if (!main) return failWith(std::string("no answering ") + probe::kMainClass + " window");
        out(windowLine(probe::describe(main)));
        return 0;
    }
    if (cmd == "rows") return cmdRows(parse(args, 2, {}));
    if (cmd == "tree") return cmdTree(parse(args, 2, {}));
    if (cmd == "mouse" && need(1)) {
        if (!probe::moveMouseOver(windowArg(args[2]))) return failWith("SetCursorPos failed");
        POINT pt;
        GetCursorPos(&pt);
        out("x=" + std::to_string(pt.x) + " y=" + std::to_string(pt.y));
        return 0;
    }
    if (cmd == "tray") {
        for (const probe::TrayIcon& icon : probe::trayIcons()) {
            out("left=" + std::to_string(icon.rect.left) + " top=" + std::to_string(icon.rect.top) +
                " right=" + std::to_string(icon.rect.right) +
                " bottom=" + std::to_string(icon.rect.bottom) + " tip=" + probe::quote(icon.tip));
        }
        return 0;
    }
    if (cmd == "click" && need(2)) {
        const bool right = args.size() > 4 && args[4] == "--right";
        if (!probe::clickAt(std::atoi(args[2].c_str()), std::atoi(args[3].c_str()), right))
            return failWith("SendInput failed");
        out("clicked=1");
        return 0;
    }
    if (cmd == "press" && need(2)) {
        if (!probe::pressKey(std::atoi(args[2].c_str()), std::atoi(args[3].c_str())))
            return failWith("SendInput failed");
        out("pressed=1");
        return 0;
    }
    if (cmd == "press-burst" && need(4)) {
        std::vector<std::pair<int, int>> presses(std::strtoul(args[2].c_str(), nullptr, 10),
                                                 {0, std::atoi(args[3].c_str())});
        presses.emplace_back(std::atoi(args[4].c_str()), std::atoi(args[5].c_str()));
        if (!probe::pressKeys(presses)) return failWith("SendInput failed");
        out("pressed=" + std::to_string(presses.size()));
        return 0;
    }
    if (cmd == "close" && need(1)) {
        HWND h = windowArg(args[2]);
        if (!IsWindow(h)) return failWith("no such window");
        if (!probe::postClose(h)) return failWith("PostMessage failed");
        out("sent=1");
        return 0;
    }
    if (cmd == "hotkey-free" && need(2)) {
        out(std::string("free=") +
            (probe::hotkeyFree(std::atoi(args[2].c_str()), std::atoi(args[3].c_str())) ? "1"
                                                                                       : "0"));
        return 0;
    }
    if (cmd == "msgbox") return cmdMsgbox(parse(args, 2, {"--ok"}));
    if (cmd == "menu" && need(1)) {
        std::string error;
        auto items = probe::menuBarItems(windowArg(args[2]), &error);
        for (const auto& item : items)
            out("depth=" + std::to_string(item.depth) + " id=" + std::to_string(item.id) +
                " text=" + probe::quote(item.text));
        return error.empty() ? 0 : failWith(error);
    }
    if (cmd == "command" && need(2)) {
        HWND h = windowArg(args[2]);
        std::string error;
        auto id = probe::findMenuCommand(h, args[3], &error);
        if (!id) return failWith(error);
        if (!probe::postMenuCommand(h, *id)) return failWith("PostMessage failed");
        out("id=" + std::to_string(*id));
        return 0;
    }
    if (cmd == "exit") return cmdExit(parse(args, 2, {}));
    if (cmd == "logoff") {
        auto p = parse(args, 2, {});
        HWND main =
            probe::findWindow(probe::kMainClass, std::nullopt, 0, p.number("--timeout", 5000));
        if (!main) return failWith(std::string("no ") + probe::kMainClass + " window");
        if (!probe::simulateLogoff(main)) return failWith("WM_QUERYENDSESSION not answered");
        out("sent=1");
        return 0;
    }
    if (cmd == "start" && need(1)) {
        std::string rest;
        for (size_t i = 3; i < args.size(); ++i) rest += (i > 3 ? " " : "") + args[i];
        std::string error;
        auto proc = probe::startProcess(args[2], rest, &error);
        if (!proc) return failWith(error);
        out("pid=" + std::to_string(proc->pid()));
        return 0;
    }
    if (cmd == "wait" && need(2)) {
        auto proc = probe::openProcess(DWORD(std::strtoul(args[2].c_str(), nullptr, 0)));
        DWORD code = 0;
        if (!proc) {
            out("exited=1");  // already gone
            return 0;
        }
        bool ended = proc->wait(DWORD(std::strtoul(args[3].c_str(), nullptr, 0)), &code);
        out(std::string("exited=") + (ended ? "1" : "0") +
            (ended ? " code=" + std::to_string(code) : ""));
        return ended ? 0 : 1;
    }
    if (cmd == "kill-all" && need(1)) {
        out("killed=" + std::to_string(probe::killProcessesNamed(args[2])));
        return 0;
    }
    if (cmd == "reg-get" && need(2)) {
        auto v = probe::regGetString(args[2], args[3]);
        if (!v) return failWith("no such string value");
        out("value=" + probe::quote(*v));
        return 0;
    }
    if (cmd == "reg-set" && need(3))
        return probe::regSetString(args[2], args[3], args[4]) ? 0
                                                              : failWith("RegSetValueEx failed");
    if (cmd == "reg-del-value" && need(2))
        return probe::regDeleteValue(args[2], args[3]) ? 0 : failWith("RegDeleteValue failed");
    if (cmd == "reg-del-tree" && need(1))
        return probe::regDeleteTree(args[2]) ? 0 : failWith("RegDeleteTree failed");
    if (cmd == "reg-dump" && need(1)) {
        for (const auto& line : probe::regDump(args[2])) out(line);
        return 0;
    }
    if (cmd == "lng" && need(2)) {
        auto v = probe::languageEntry(args[2], args[3]);
        if (!v) return failWith("no entry");
        out("value=" + probe::quote(*v));
        return 0;
    }
    if (cmd == "screenshot" && need(1))
        return probe::saveScreenshot(args[2]) ? 0 : failWith("screenshot failed");
    return 2;
}

}  // namespace

int main() {
    _setmode(_fileno(stdout), _O_BINARY);  // "\n" line ends, for the shell scripts reading us
    // Wide command line: titles and captions in any script survive the trip.
    int argc = 0;
    LPWSTR* wargv = CommandLineToArgvW(GetCommandLineW(), &argc);
    Args args;
    for (int i = 0; i < argc; ++i) args.push_back(probe::narrow(wargv[i]));
    LocalFree(wargv);
    int rc = run(args);
    if (rc == 2) std::fputs(kUsage, stderr);
    return rc;
}
