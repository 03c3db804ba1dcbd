// The toolbar, the scaled image lists and the anchored layout of the Win32 backend.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/controls.h"
#include "ui/form.h"
#include "ui/win32/win32_backend.h"

namespace kvr::ui {
namespace {

void pumpFor(int ms) {
    const DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    } while (GetTickCount() - start < static_cast<DWORD>(ms));
}

HWND childOfClass(HWND parent, const wchar_t* className) {
    return FindWindowExW(parent, nullptr, className, nullptr);
}

int screenDpi() {
    HDC dc = GetDC(nullptr);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSX);
    ReleaseDC(nullptr, dc);
    return dpi;
}

std::vector<std::uint32_t> solid(int size, std::uint32_t color) {
    return std::vector<std::uint32_t>(static_cast<std::size_t>(size * size), color);
}

class ToolbarForm : public Form {
public:
    ToolbarForm()
        : Form("frmToolbarProbe", "Toolbar", {40, 40, 300, 200}),
          imlBar(*this, "imlBar"),
          tlbBar(*this, "tlbBar",
                 {{"Uno", "First tip", 1},
                  {"", "", 0, true},
                  {"Dos", "Second tip", 2},
                  {"Tres", "Third tip", 1, false, false}},
                 {0, 0, 400, 28}),
          lsvList(*this, "lsvList", {"A", "B"}, {8, 32, 384, 200}),
          cmdClose(*this, "cmdClose", "Close", {300, 240, 92, 26}) {
        clientSize = {400, 274};
        imlBar.add(solid(16, 0xFFFF0000), {{24, solid(24, 0xFF00FF00)}});
        imlBar.add(solid(16, 0xFF0000FF));
        tlbBar.images = &imlBar;
        tlbBar.anchors = anchor::kLeft | anchor::kTop | anchor::kRight;
        lsvList.anchors = anchor::kAll;
        cmdClose.anchors = anchor::kRight | anchor::kBottom;
        tlbBar.onButtonClick = [this](const ToolButton& b) { pressed.push_back(b.key); };
    }
    ImageList imlBar;
    Toolbar tlbBar;
    ListView lsvList;
    CommandButton cmdClose;
    std::vector<std::string> pressed;
};

class UiToolbar : public ::testing::Test {
protected:
    void SetUp() override {
        setBackend(&backend_);
        form_.show();
        window_ = reinterpret_cast<HWND>(static_cast<UINT_PTR>(form_.hWnd()));
        bar_ = childOfClass(window_, TOOLBARCLASSNAMEW);
        pumpFor(50);
    }
    void TearDown() override {
        form_.unload();
        setBackend(nullptr);
        pumpFor(20);
    }
    std::wstring tipOf(int index) {
        wchar_t text[80] = L"unchanged";
        NMTBGETINFOTIPW tip{};
        tip.hdr.hwndFrom = bar_;
        tip.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(bar_));
        tip.hdr.code = TBN_GETINFOTIPW;
        tip.pszText = text;
        tip.cchTextMax = 80;
        tip.iItem = idOf(index);
        SendMessageW(window_, WM_NOTIFY, tip.hdr.idFrom, reinterpret_cast<LPARAM>(&tip));
        return text;
    }
    int idOf(int index) {
        TBBUTTON button{};
        SendMessageW(bar_, TB_GETBUTTON, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(&button));
        return button.idCommand;
    }
    void clickButton(int index) {
        RECT r{};
        SendMessageW(bar_, TB_GETITEMRECT, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(&r));
        const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        SendMessageW(bar_, WM_MOUSEMOVE, 0, at);
        SendMessageW(bar_, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(bar_, WM_LBUTTONUP, 0, at);
        pumpFor(30);
    }
    RECT childRect(HWND child) {
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

    Win32Backend backend_{GetModuleHandleW(nullptr)};
    ToolbarForm form_;
    HWND window_ = nullptr;
    HWND bar_ = nullptr;
};

TEST_F(UiToolbar, ButtonsMirrorTheStateWithTheirImagesAndSeparators) {
    ASSERT_TRUE(IsWindow(bar_));
    EXPECT_TRUE(GetWindowLongW(bar_, GWL_STYLE) & TBSTYLE_TOOLTIPS);
    EXPECT_TRUE(GetWindowLongW(bar_, GWL_STYLE) & TBSTYLE_FLAT);
    ASSERT_EQ(SendMessageW(bar_, TB_BUTTONCOUNT, 0, 0), 4);
    TBBUTTON buttons[4] = {};
    for (int i = 0; i < 4; ++i)
        SendMessageW(bar_, TB_GETBUTTON, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(&buttons[i]));
    EXPECT_EQ(buttons[0].iBitmap, 0);
    EXPECT_TRUE(buttons[1].fsStyle & BTNS_SEP);
    EXPECT_EQ(buttons[2].iBitmap, 1);
    EXPECT_TRUE(
        SendMessageW(bar_, TB_ISBUTTONENABLED, static_cast<WPARAM>(buttons[0].idCommand), 0));
    EXPECT_FALSE(
        SendMessageW(bar_, TB_ISBUTTONENABLED, static_cast<WPARAM>(buttons[3].idCommand), 0));

    auto images = reinterpret_cast<HIMAGELIST>(SendMessageW(bar_, TB_GETIMAGELIST, 0, 0));
    ASSERT_NE(images, nullptr);
    EXPECT_EQ(ImageList_GetImageCount(images), 2);
    int cx = 0, cy = 0;
    ImageList_GetIconSize(images, &cx, &cy);
    EXPECT_EQ(cx, MulDiv(16, screenDpi(), 96));

    // A change of state reaches the real buttons.
    form_.tlbBar.setButton(3, {"Tres", "Third tip", 1});
    EXPECT_TRUE(SendMessageW(bar_, TB_ISBUTTONENABLED, static_cast<WPARAM>(idOf(3)), 0));
    EXPECT_EQ(SendMessageW(bar_, TB_BUTTONCOUNT, 0, 0), 4);
}

TEST_F(UiToolbar, TipsComeFromTheStateAndFollowItsChanges) {
    EXPECT_EQ(tipOf(0), L"First tip");
    EXPECT_EQ(tipOf(2), L"Second tip");
    // As a translation does after the window exists.
    form_.tlbBar.setButton(0, {"Uno", "Erster Hinweis \xE2\x9C\x93", 1});
    EXPECT_EQ(tipOf(0), L"Erster Hinweis \u2713");
}

TEST_F(UiToolbar, ClicksReachTheHandlerOnlyFromEnabledButtons) {
    clickButton(2);
    clickButton(3);  // disabled
    clickButton(0);
    EXPECT_EQ(form_.pressed, (std::vector<std::string>{"Dos", "Uno"}));
    // The command itself, as the toolbar sends it, names the button by its id.
    SendMessageW(window_, WM_COMMAND, MAKEWPARAM(idOf(2), BN_CLICKED),
                 reinterpret_cast<LPARAM>(bar_));
    EXPECT_EQ(form_.pressed.back(), "Dos");
    form_.tlbBar.setEnabled(false);
    SendMessageW(window_, WM_COMMAND, MAKEWPARAM(idOf(0), BN_CLICKED),
                 reinterpret_cast<LPARAM>(bar_));
    EXPECT_EQ(form_.pressed.size(), 3u);
}

TEST_F(UiToolbar, AnchoredControlsFollowTheWindowWhenItIsResized) {
    RECT client{};
    GetClientRect(window_, &client);
    const int dpi = screenDpi();
    EXPECT_EQ(client.right, MulDiv(400, dpi, 96));
    EXPECT_EQ(client.bottom, MulDiv(274, dpi, 96));
    HWND list = childOfClass(window_, WC_LISTVIEWW);
    HWND close = childOfClass(window_, L"BUTTON");
    const RECT listBefore = childRect(list);
    const RECT closeBefore = childRect(close);
    const RECT barBefore = childRect(bar_);

    RECT outer{};
    GetWindowRect(window_, &outer);
    SetWindowPos(window_, nullptr, 0, 0, outer.right - outer.left + 100,
                 outer.bottom - outer.top + 60, SWP_NOMOVE | SWP_NOZORDER);
    pumpFor(30);
    const RECT listAfter = childRect(list);
    const RECT closeAfter = childRect(close);
    const RECT barAfter = childRect(bar_);
    EXPECT_EQ(listAfter.left, listBefore.left);
    EXPECT_EQ(listAfter.top, listBefore.top);
    EXPECT_EQ(listAfter.right, listBefore.right + 100);
    EXPECT_EQ(listAfter.bottom, listBefore.bottom + 60);
    EXPECT_EQ(closeAfter.left, closeBefore.left + 100);
    EXPECT_EQ(closeAfter.top, closeBefore.top + 60);
    EXPECT_EQ(closeAfter.right - closeAfter.left, closeBefore.right - closeBefore.left);
    EXPECT_EQ(barAfter.right, barBefore.right + 100);
    EXPECT_EQ(barAfter.bottom, barBefore.bottom);
    // The designed rectangles stay as designed.
    EXPECT_EQ(form_.lsvList.rect().width, 384);
    // The last column takes the room the list gained.
    EXPECT_GE(
        SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0) + SendMessageW(list, LVM_GETCOLUMNWIDTH, 1, 0),
        listAfter.right - listAfter.left - 30);
}

}  // namespace
}  // namespace kvr::ui
