#include "probe_treeview.h"

#include "probe.h"
#include "remote_block.h"

namespace probe {

namespace {

HTREEITEM next(HWND tree, UINT relation, HTREEITEM item) {
    return reinterpret_cast<HTREEITEM>(
        SendMessageW(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

}  // namespace

std::optional<std::vector<TreeItem>> treeViewItems(HWND tree) {
    constexpr int kChars = 512;
    RemoteBlock remote(tree, sizeof(TVITEMW) + kChars * sizeof(wchar_t));
    if (!remote.at()) return std::nullopt;
    std::vector<TreeItem> items;
    // Depth first, without recursion: a stack of the next sibling to visit at each depth.
    std::vector<HTREEITEM> stack{next(tree, TVGN_ROOT, nullptr)};
    while (!stack.empty()) {
        HTREEITEM item = stack.back();
        stack.pop_back();
        if (!item) continue;
        stack.push_back(next(tree, TVGN_NEXT, item));
        TVITEMW record{};
        record.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_STATE | TVIF_HANDLE;
        record.hItem = item;
        record.stateMask = TVIS_SELECTED | TVIS_EXPANDED;
        record.pszText = reinterpret_cast<LPWSTR>(remote.at() + sizeof(TVITEMW));
        record.cchTextMax = kChars;
        wchar_t text[kChars] = {};
        if (!remote.write(0, &record, sizeof record) ||
            !SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote.at())) ||
            !remote.read(0, &record, sizeof record) ||
            !remote.read(sizeof(TVITEMW), text, sizeof text))
            return std::nullopt;
        text[kChars - 1] = L'\0';
        TreeItem out;
        out.item = item;
        out.text = narrow(text);
        out.depth = static_cast<int>(stack.size()) - 1;
        out.image = record.iImage;
        out.selected = record.state & TVIS_SELECTED;
        out.expanded = record.state & TVIS_EXPANDED;
        items.push_back(std::move(out));
        stack.push_back(next(tree, TVGN_CHILD, item));
    }
    return items;
}

std::optional<RECT> treeViewItemRect(HWND tree, HTREEITEM item) {
    RemoteBlock remote(tree, sizeof(RECT));
    if (!remote.at()) return std::nullopt;
    // TVM_GETITEMRECT takes the item's handle in the rectangle it fills.
    RECT rect{};
    *reinterpret_cast<HTREEITEM*>(&rect) = item;
    if (!remote.write(0, &rect, sizeof rect) ||
        !SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(remote.at())) ||
        !remote.read(0, &rect, sizeof rect))
        return std::nullopt;
    MapWindowPoints(tree, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

}  // namespace probe
