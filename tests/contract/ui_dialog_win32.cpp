// The controls of a dialog on real windows: check boxes, option buttons, text boxes, drop-down
// lists, the tab strip with its pages, the focus, and the keys a modal dialog keeps.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/controls.h"
#include "ui/form.h"
#include "ui/win32/win32_backend.h"

namespace kvr::ui {
namespace {

HWND windowOf(const Form& form) {
    return reinterpret_cast<HWND>(static_cast<UINT_PTR>(form.hWnd()));
}

void pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

std::wstring textOf(HWND window) {
    wchar_t buffer[256] = {};
    GetWindowTextW(window, buffer, 256);
    return buffer;
}

// The first window among all the form's descendants that shows this text, or of this class.
struct Search {
    std::wstring text;
    std::wstring cls;
    HWND found = nullptr;
};

BOOL CALLBACK matchChild(HWND child, LPARAM data) {
    auto* s = reinterpret_cast<Search*>(data);
    wchar_t cls[64] = {};
    GetClassNameW(child, cls, 64);
    if (!s->cls.empty() ? _wcsicmp(cls, s->cls.c_str()) != 0 : textOf(child) != s->text)
        return TRUE;
    s->found = child;
    return FALSE;
}

HWND childWithText(HWND parent, const std::wstring& text) {
    Search search{text, L""};
    EnumChildWindows(parent, matchChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND childOfClass(HWND parent, const wchar_t* cls) {
    Search search{L"", cls};
    EnumChildWindows(parent, matchChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A dialog with two tabs: a text box and two options on the first page, a check box and a
// drop-down list on the second, OK and Cancel below.
class Settings : public Form {
public:
    Settings()
        : Form("frmUiSettings", "Settings", {80, 60, 360, 260}),
          tbsPages(*this, "tbsPages", {{"A", "First", "The first page"}, {"B", "Second", ""}},
                   {8, 8, 336, 170}),
          fraFirst(*this, "fraFirst", "", {16, 36, 320, 136}),
          txtName(*this, "txtName", "start", {8, 8, 200, 22}),
          optSmall(*this, "optSmall", "Small", {8, 40, 120, 22}),
          optLarge(*this, "optLarge", "Large", {140, 40, 120, 22}),
          fraSecond(*this, "fraSecond", "", {16, 36, 320, 136}),
          chkLoud(*this, "chkLoud", "Loud", {8, 8, 120, 22}),
          cmbSize(*this, "cmbSize", {8, 40, 120, 22}),
          cmdOK(*this, "cmdOK", "OK", {180, 190, 76, 26}),
          cmdCancel(*this, "cmdCancel", "Cancel", {264, 190, 76, 26}) {
        borderStyle = BorderStyle::FixedDialog;
        for (Control* c : std::vector<Control*>{&txtName, &optSmall, &optLarge})
            c->container = &fraFirst;
        chkLoud.container = &fraSecond;
        cmbSize.container = &fraSecond;
        fraFirst.border = false;
        fraSecond.border = false;
        fraSecond.setVisible(false);
        optSmall.setValue(true);
        cmdOK.isDefault = true;
        cmdCancel.isCancel = true;
        tbsPages.onClickTab = [this] {
            events.push_back("tab" + std::to_string(tbsPages.selectedIndex()));
            fraFirst.setVisible(tbsPages.selectedIndex() == 0);
            fraSecond.setVisible(tbsPages.selectedIndex() == 1);
        };
        cmdOK.onClick = [this] {
            events.push_back("OK");
            unload();
        };
        cmdCancel.onClick = [this] {
            events.push_back("Cancel");
            unload();
        };
        txtName.onGotFocus = [this] { events.push_back("+txtName"); };
        txtName.onLostFocus = [this] { events.push_back("-txtName"); };
    }

    TabStrip tbsPages;
    Frame fraFirst;
    TextBox txtName;
    OptionButton optSmall, optLarge;
    Frame fraSecond;
    CheckBox chkLoud;
    ComboBox cmbSize;
    CommandButton cmdOK, cmdCancel;
    std::vector<std::string> events;
};

class UiDialog : public ::testing::Test {
protected:
    void SetUp() override { setBackend(&backend_); }
    void TearDown() override {
        setBackend(nullptr);
        pump();
    }
    Win32Backend backend_{GetModuleHandleW(nullptr)};
};

TEST_F(UiDialog, CheckAndOptionButtonsShowTheStateAndClicksChangeIt) {
    Settings form;
    form.show();
    HWND loud = childWithText(windowOf(form), L"Loud");
    HWND small = childWithText(windowOf(form), L"Small");
    HWND large = childWithText(windowOf(form), L"Large");
    ASSERT_TRUE(loud && small && large);
    EXPECT_EQ(SendMessageW(small, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageW(large, BM_GETCHECK, 0, 0), BST_UNCHECKED);

    int clicks = 0;
    form.chkLoud.onClick = [&] { ++clicks; };
    SendMessageW(loud, BM_CLICK, 0, 0);
    EXPECT_EQ(form.chkLoud.value(), 1);
    EXPECT_EQ(SendMessageW(loud, BM_GETCHECK, 0, 0), BST_CHECKED);
    form.chkLoud.setValue(0);
    EXPECT_EQ(SendMessageW(loud, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(clicks, 2);

    SendMessageW(large, BM_CLICK, 0, 0);
    EXPECT_TRUE(form.optLarge.value());
    EXPECT_FALSE(form.optSmall.value());
    EXPECT_EQ(SendMessageW(small, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(SendMessageW(large, BM_GETCHECK, 0, 0), BST_CHECKED);
    form.optLarge.setEnabled(false);
    EXPECT_FALSE(IsWindowEnabled(large));
    form.unload();
}

TEST_F(UiDialog, TextBoxTakesTypingThroughItsKeyEventsAndShowsTheStatesText) {
    Settings form;
    form.show();
    HWND edit = childOfClass(windowOf(form), L"Edit");
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(textOf(edit), L"start");
    form.txtName.setText(
        "Gr\xC3\xBC\xC3\x9F"
        "e");
    EXPECT_EQ(textOf(edit), L"Gr\u00FC\u00DFe");

    std::vector<int> downs;
    form.txtName.onKeyDown = [&](int code, int) { downs.push_back(code); };
    form.txtName.onKeyPress = [&](int& c) {
        if (c == 'x') c = 0;
    };
    int changes = 0;
    form.txtName.onChange = [&] { ++changes; };
    SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    for (wchar_t c : std::wstring(L"axb")) SendMessageW(edit, WM_CHAR, c, 0);
    SendMessageW(edit, WM_KEYDOWN, VK_F9, 0);
    EXPECT_EQ(form.txtName.text(), "ab") << "typed into the state, without the swallowed x";
    EXPECT_EQ(textOf(edit), L"ab");
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(downs, std::vector<int>{VK_F9});
    form.unload();
}

TEST_F(UiDialog, DropDownListAndTabStripMirrorTheStateAndTheUsersChoice) {
    Settings form;
    form.cmbSize.addItem("Alt");
    form.cmbSize.addItem("Ctrl");
    form.cmbSize.setListIndex(1);
    form.show();
    HWND combo = childOfClass(windowOf(form), L"ComboBox");
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 1);
    form.cmbSize.addItem("Shft");
    EXPECT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 1) << "the choice survives new items";
    // The user picks with the keyboard: the list tells its parent, and the state follows.
    SendMessageW(combo, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(form.cmbSize.listIndex(), 2);
    EXPECT_EQ(form.cmbSize.text(), "Shft");

    HWND tabs = childOfClass(windowOf(form), WC_TABCONTROLW);
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(TabCtrl_GetItemCount(tabs), 2);
    EXPECT_EQ(TabCtrl_GetCurSel(tabs), 0);
    // A click on the second tab, as the keyboard gives it to a focused tab strip.
    SetFocus(tabs);
    SendMessageW(tabs, WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_EQ(form.tbsPages.selectedIndex(), 1);
    EXPECT_EQ(form.events.back(), "tab1");
    form.tbsPages.select(0);
    EXPECT_EQ(TabCtrl_GetCurSel(tabs), 0);
    form.unload();
}

TEST_F(UiDialog, PagesLieAboveTheTabStripAndOnlyTheSelectedOneIsSeen) {
    Settings form;
    form.show();
    HWND window = windowOf(form);
    HWND tabs = childOfClass(window, WC_TABCONTROLW);
    HWND edit = childWithText(window, L"start");
    RECT r{};
    GetWindowRect(edit, &r);
    POINT inside{r.left + 3, r.top + 3};
    ScreenToClient(window, &inside);
    HWND page = ChildWindowFromPointEx(window, inside, CWP_SKIPINVISIBLE);
    EXPECT_NE(page, tabs) << "the page is in front of the tab strip";
    EXPECT_EQ(GetParent(edit), page);
    EXPECT_TRUE(IsWindowVisible(edit));
    form.tbsPages.select(1);
    EXPECT_FALSE(IsWindowVisible(edit));
    EXPECT_TRUE(IsWindowVisible(childWithText(window, L"Loud")));
    form.unload();
}

TEST_F(UiDialog, FocusReachesTheStateWhateverMovedIt) {
    Settings form;
    form.show();
    HWND edit = childWithText(windowOf(form), L"start");
    HWND ok = childWithText(windowOf(form), L"OK");
    SetFocus(edit);
    EXPECT_EQ(form.activeControl(), &form.txtName);
    form.cmdOK.setFocus();
    EXPECT_EQ(GetFocus(), ok);
    EXPECT_EQ(form.activeControl(), &form.cmdOK);
    EXPECT_EQ(form.events, (std::vector<std::string>{"+txtName", "-txtName"}));
    form.unload();
}

TEST_F(UiDialog, ModalDialogKeepsTabEnterAndEscapeForItself) {
    Settings form;
    form.load();
    HWND window = windowOf(form);
    // Queued before the dialog runs: the first focus goes to the tab strip, two Tabs reach
    // the option, Shift is not held, Enter presses the default button OK.
    for (WPARAM key : {VK_TAB, VK_TAB, VK_RETURN}) PostMessageW(window, WM_KEYDOWN, key, 0);
    form.showModal();
    EXPECT_FALSE(form.loaded());
    EXPECT_EQ(form.events, (std::vector<std::string>{"+txtName", "-txtName", "OK"}));

    Settings again;
    again.load();
    PostMessageW(windowOf(again), WM_KEYDOWN, VK_ESCAPE, 0);
    again.showModal();
    EXPECT_FALSE(again.loaded());
    EXPECT_EQ(again.events, (std::vector<std::string>{"Cancel"}));
}

}  // namespace
}  // namespace kvr::ui
