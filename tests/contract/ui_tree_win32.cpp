// The tree view and the list's in-place rename in real controls under Wine: what the state holds
// reaches the control, and what the user does there comes back into the state.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <gtest/gtest.h>

#include <optional>
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

class TreeForm : public Form {
public:
    TreeForm()
        : Form("frmUiTree", "Tree", {80, 60, 520, 360}),
          trvProcs(*this, "trvProcs", {10, 10, 240, 300}),
          lsvNames(*this, "lsvNames", {"Name"}, {260, 10, 240, 300}),
          imlProcs(*this, "imlProcs", 16) {
        trvProcs.images = &imlProcs;
        lsvNames.smallIcons = &imlProcs;
        lsvNames.labelEdit = true;
        lsvNames.multiSelect = false;
    }
    TreeView trvProcs;
    ListView lsvNames;
    ImageList imlProcs;  // after the controls that show it, as in the preferences
};

struct Item {
    std::wstring text;
    int image = 0;
    bool selected = false;
    bool expanded = false;
    int depth = 0;
};

std::vector<Item> itemsOf(HWND tree) {
    std::vector<Item> out;
    const auto visit = [&](auto& self, HTREEITEM item, int depth) -> void {
        for (; item; item = TreeView_GetNextSibling(tree, item)) {
            wchar_t text[128] = {};
            TVITEMW record{};
            record.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_STATE | TVIF_HANDLE;
            record.hItem = item;
            record.stateMask = TVIS_SELECTED | TVIS_EXPANDED;
            record.pszText = text;
            record.cchTextMax = 128;
            SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&record));
            out.push_back({text, record.iImage, (record.state & TVIS_SELECTED) != 0,
                           (record.state & TVIS_EXPANDED) != 0, depth});
            self(self, TreeView_GetChild(tree, item), depth + 1);
        }
    };
    visit(visit, TreeView_GetRoot(tree), 0);
    return out;
}

HTREEITEM nth(HWND tree, int n) {
    std::vector<HTREEITEM> all;
    const auto visit = [&](auto& self, HTREEITEM item) -> void {
        for (; item; item = TreeView_GetNextSibling(tree, item)) {
            all.push_back(item);
            self(self, TreeView_GetChild(tree, item));
        }
    };
    visit(visit, TreeView_GetRoot(tree));
    return n < static_cast<int>(all.size()) ? all[static_cast<std::size_t>(n)] : nullptr;
}

class UiTree : public ::testing::Test {
protected:
    void SetUp() override { setBackend(&backend_); }
    void TearDown() override {
        setBackend(nullptr);
        pump();
    }
    Win32Backend backend_{GetModuleHandleW(nullptr)};
};

TEST_F(UiTree, NodesWithTheirImagesAndTheSelectionTravelBothWays) {
    TreeForm form;
    form.show();
    HWND tree = FindWindowExW(windowOf(form), nullptr, WC_TREEVIEWW, nullptr);
    ASSERT_NE(tree, nullptr);
    form.imlProcs.add("NoIcon", ImageList::Pixels(256, 0xFF808080u));
    form.imlProcs.add("app.exe", ImageList::Pixels(256, 0xFF20A040u));
    const int root = form.trvProcs.add({"Desktop", "Mi escritorio", -1, false, 1});
    form.trvProcs.setExpanded(root, true);
    form.trvProcs.add({"app.exe", "C:\\Tools\\app.exe", root, false, 2});
    form.trvProcs.add({"calc.exe", "calc.\xC3\xA9xe", root, false, 1});
    EXPECT_NE(TreeView_GetImageList(tree, TVSIL_NORMAL), nullptr);
    auto items = itemsOf(tree);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].text, L"Mi escritorio");
    EXPECT_TRUE(items[0].expanded) << "opened before its children came";
    EXPECT_EQ(items[1].text, L"C:\\Tools\\app.exe");
    EXPECT_EQ(items[1].depth, 1);
    EXPECT_EQ(items[1].image, 1);
    EXPECT_EQ(items[2].text, L"calc.\u00E9xe");
    EXPECT_EQ(items[2].image, 0);

    form.trvProcs.setSelectedIndex(2);
    EXPECT_TRUE(itemsOf(tree)[2].selected);
    // The user picks another node: the state follows.
    TreeView_SelectItem(tree, nth(tree, 1));
    EXPECT_EQ(form.trvProcs.selectedIndex(), 1);
    // Closed from the keyboard (TVM_EXPAND itself tells nobody).
    TreeView_SelectItem(tree, nth(tree, 0));
    SendMessageW(tree, WM_KEYDOWN, VK_LEFT, 0);
    EXPECT_FALSE(itemsOf(tree)[0].expanded);
    EXPECT_FALSE(form.trvProcs.nodes()[0].expanded);

    // Filled afresh: only the new nodes are there.
    form.trvProcs.clear();
    EXPECT_EQ(TreeView_GetCount(tree), 0u);
    form.trvProcs.add({"Desktop", "Mi escritorio", -1, false, 1});
    EXPECT_EQ(TreeView_GetCount(tree), 1u);
    EXPECT_EQ(form.trvProcs.selectedIndex(), -1);
    form.unload();
}

TEST_F(UiTree, AListEntryIsRenamedInPlaceUnlessTheEditIsCancelledOrRefused) {
    TreeForm form;
    form.show();
    HWND list = FindWindowExW(windowOf(form), nullptr, WC_LISTVIEWW, nullptr);
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(GetWindowLongPtrW(list, GWL_STYLE) & LVS_EDITLABELS);
    ListItem entry;
    entry.text = "calc.exe";
    entry.key = "calc.exe";
    form.lsvNames.addKeyed(entry);
    std::vector<std::optional<std::string>> ends;
    form.lsvNames.onAfterLabelEdit = [&](bool& cancel, const std::optional<std::string>& text) {
        ends.push_back(text);
        cancel = text && text->empty();
    };
    const auto rename = [&](const wchar_t* typed, WPARAM key) {
        SetFocus(list);
        HWND edit = reinterpret_cast<HWND>(SendMessageW(list, LVM_EDITLABELW, 0, 0));
        if (!edit) return false;
        SetWindowTextW(edit, typed);
        SendMessageW(edit, WM_KEYDOWN, key, 0);
        pump();
        return true;
    };
    const auto shown = [&] {
        wchar_t text[64] = {};
        ListView_GetItemText(list, 0, 0, text, 64);
        return std::wstring(text);
    };

    ASSERT_TRUE(rename(L"Calculadora \u00F1", VK_RETURN));
    EXPECT_EQ(form.lsvNames.items()[0].text, "Calculadora \xC3\xB1");
    EXPECT_EQ(form.lsvNames.items()[0].key, "calc.exe");
    EXPECT_EQ(shown(), L"Calculadora \u00F1");
    ASSERT_TRUE(rename(L"Other", VK_ESCAPE));
    ASSERT_TRUE(rename(L"", VK_RETURN));
    EXPECT_EQ(form.lsvNames.items()[0].text, "Calculadora \xC3\xB1");
    EXPECT_EQ(shown(), L"Calculadora \u00F1") << "a refused text does not reach the control";
    ASSERT_EQ(ends.size(), 3u);
    EXPECT_EQ(ends[0], "Calculadora \xC3\xB1");
    EXPECT_EQ(ends[1], std::nullopt) << "Escape";
    // Wine ends an edit left empty as a cancelled one.
    EXPECT_TRUE(!ends[2] || ends[2]->empty());
    form.unload();
}

}  // namespace
}  // namespace kvr::ui
