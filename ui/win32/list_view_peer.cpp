#include <algorithm>
#include <optional>

#include "platform/win32/text.h"
#include "ui/win32/peers.h"

namespace kvr::ui::win32 {

namespace {

constexpr UINT kSelectionStates = LVIS_SELECTED | LVIS_FOCUSED;

// The real list holds the items in the state's order at all times, so an index means the same
// item on both sides. Every push raises notifications of its own; syncing_ keeps them from
// being read back as the user's doing.
class ListViewPeer final : public WindowPeer {
public:
    ListViewPeer(FormWindow& owner, ListView& list)
        : WindowPeer(owner, list, WC_LISTVIEWW,
                     WS_TABSTOP | LVS_REPORT | LVS_SHAREIMAGELISTS | LVS_SHOWSELALWAYS |
                         (list.multiSelect ? 0 : LVS_SINGLESEL) |
                         (list.labelEdit ? LVS_EDITLABELS : 0),
                     WS_EX_CLIENTEDGE),
          list_(list) {
        if (!hwnd_) return;
        ListView_SetExtendedListViewStyleEx(hwnd_, LVS_EX_FULLROWSELECT,
                                            list.fullRowSelect ? LVS_EX_FULLROWSELECT : 0);
        pushColumns();
        pushItems();
        // Made at the first show, after the list may have been sorted.
        if (list.sorted()) pushSortArrow();
    }

    void changed(Control& control, Change what) override {
        if (!hwnd_) return;
        switch (what) {
            case Change::Items:
                // The control takes an accepted new text itself when the edit ends.
                if (!endingEdit_) pushItems();
                break;
            case Change::Selection:
                pushSelection();
                break;
            case Change::Columns:
                pushColumns();
                break;
            case Change::Sort:
                pushItems();
                pushSortArrow();
                break;
            default:
                WindowPeer::changed(control, what);
                break;
        }
    }

    void layout() override {
        WindowPeer::layout();
        fillLastColumn();
    }

    void dpiChanged() override {
        WindowPeer::dpiChanged();
        // The rows take their height from the images when the list is set again.
        if (HIMAGELIST images = ListView_GetImageList(hwnd_, LVSIL_SMALL)) {
            ListView_SetImageList(hwnd_, nullptr, LVSIL_SMALL);
            ListView_SetImageList(hwnd_, images, LVSIL_SMALL);
        }
        pushColumns();
    }

    void forgetImages(HIMAGELIST images) override {
        if (hwnd_ && ListView_GetImageList(hwnd_, LVSIL_SMALL) == images)
            ListView_SetImageList(hwnd_, nullptr, LVSIL_SMALL);
    }

    bool notify(const NMHDR& header, LRESULT& result) override {
        switch (header.code) {
            case LVN_ITEMCHANGED:
                if (!syncing_) readSelection(reinterpret_cast<const NMLISTVIEW&>(header));
                return false;
            case LVN_COLUMNCLICK: {
                const int column = reinterpret_cast<const NMLISTVIEW&>(header).iSubItem;
                auto handler = list_.onColumnClick;
                if (handler) handler(column);
                result = 0;
                return true;
            }
            case NM_DBLCLK: {
                auto handler = list_.onDblClick;
                if (handler) handler();
                result = 0;
                return true;
            }
            case LVN_KEYDOWN:
                // F2 renames, as in the system's own lists.
                if (list_.labelEdit &&
                    reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey == VK_F2) {
                    const int focused = ListView_GetNextItem(hwnd_, -1, LVNI_FOCUSED);
                    if (focused >= 0) ListView_EditLabel(hwnd_, focused);
                }
                return false;
            case LVN_ENDLABELEDITW: {
                const auto& edit = reinterpret_cast<const NMLVDISPINFOW&>(header);
                std::optional<std::string> text;
                if (edit.item.pszText) text = platform::win32::toUtf8(edit.item.pszText);
                bool accepted = false;
                {
                    Syncing guard(endingEdit_);
                    accepted = edit.item.iItem >= 0 &&
                               list_.endLabelEdit(static_cast<std::size_t>(edit.item.iItem), text);
                }
                result = accepted ? TRUE : FALSE;
                return true;
            }
        }
        return false;
    }

    // While a text is being edited, Enter and Escape end the edit rather than the dialog.
    bool wantsKey(WPARAM virtualKey) const override {
        return (virtualKey == VK_RETURN || virtualKey == VK_ESCAPE) && hwnd_ &&
               ListView_GetEditControl(hwnd_) != nullptr;
    }

private:
    struct Syncing {
        explicit Syncing(bool& flag) : flag_(flag) { flag_ = true; }
        ~Syncing() { flag_ = false; }
        bool& flag_;
    };

    int currentIndex() const { return list_.selectedIndex(); }

    void attachImages() {
        HIMAGELIST images = nullptr;
        if (list_.smallIcons)
            if (auto* peer = dynamic_cast<ImageListPeer*>(list_.smallIcons->peer()))
                images = peer->handle();
        if (ListView_GetImageList(hwnd_, LVSIL_SMALL) != images)
            ListView_SetImageList(hwnd_, images, LVSIL_SMALL);
    }

    void pushColumns() {
        HWND header = ListView_GetHeader(hwnd_);
        const int existing = header ? Header_GetItemCount(header) : 0;
        const auto& columns = list_.columns();
        const int wanted = static_cast<int>(columns.size());
        for (int i = existing - 1; i >= wanted; --i) ListView_DeleteColumn(hwnd_, i);
        for (int i = 0; i < wanted; ++i) {
            std::wstring text = toWide(columns[static_cast<std::size_t>(i)]);
            LVCOLUMNW column{};
            column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
            column.cx = owner_.scale(list_.columnWidth(static_cast<std::size_t>(i)));
            column.pszText = text.data();
            column.iSubItem = i;
            SendMessageW(hwnd_, i < existing ? LVM_SETCOLUMNW : LVM_INSERTCOLUMNW,
                         static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
        }
        pushSortArrow();
        fillLastColumn();
    }

    // A list that stretches with the window gives its last column the room left over.
    void fillLastColumn() {
        if (!hwnd_ || !(list_.anchors & anchor::kRight) || list_.columns().empty()) return;
        const auto last = list_.columns().size() - 1;
        RECT client{};
        GetClientRect(hwnd_, &client);
        int others = 0;
        for (std::size_t i = 0; i < last; ++i)
            others += ListView_GetColumnWidth(hwnd_, static_cast<int>(i));
        const int width = std::max(owner_.scale(list_.columnWidth(last)),
                                   static_cast<int>(client.right) - others);
        ListView_SetColumnWidth(hwnd_, static_cast<int>(last), width);
    }

    void pushSortArrow() {
        HWND header = ListView_GetHeader(hwnd_);
        if (!header) return;
        const int count = Header_GetItemCount(header);
        for (int i = 0; i < count; ++i) {
            HDITEMW item{};
            item.mask = HDI_FORMAT;
            if (!Header_GetItem(header, i, &item)) continue;
            item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
            if (list_.sorted() && list_.sortKey() == i)
                item.fmt |= list_.sortOrder() == SortOrder::Ascending ? HDF_SORTUP : HDF_SORTDOWN;
            Header_SetItem(header, i, &item);
        }
    }

    void pushItems() {
        Syncing guard(syncing_);
        SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
        attachImages();
        ListView_DeleteAllItems(hwnd_);
        const auto& items = list_.items();
        const int current = currentIndex();
        for (std::size_t i = 0; i < items.size(); ++i) {
            const ListItem& source = items[i];
            std::wstring text = toWide(source.text);
            LVITEMW item{};
            item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_STATE;
            item.iItem = static_cast<int>(i);
            item.pszText = text.data();
            item.iImage = source.smallIcon > 0 ? source.smallIcon - 1 : I_IMAGENONE;
            item.state = (source.selected ? LVIS_SELECTED : 0) |
                         (static_cast<int>(i) == current ? LVIS_FOCUSED : 0);
            item.stateMask = kSelectionStates;
            const auto at = static_cast<int>(
                SendMessageW(hwnd_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
            if (at < 0) continue;
            for (std::size_t k = 0; k < source.subItems.size(); ++k) {
                std::wstring subText = toWide(source.subItems[k]);
                LVITEMW sub{};
                sub.iSubItem = static_cast<int>(k + 1);
                sub.pszText = subText.data();
                SendMessageW(hwnd_, LVM_SETITEMTEXTW, static_cast<WPARAM>(at),
                             reinterpret_cast<LPARAM>(&sub));
            }
        }
        SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(hwnd_, nullptr, TRUE);
    }

    void pushSelection() {
        Syncing guard(syncing_);
        const auto& items = list_.items();
        const int current = currentIndex();
        for (std::size_t i = 0; i < items.size(); ++i) {
            const UINT state = (items[i].selected ? LVIS_SELECTED : 0) |
                               (static_cast<int>(i) == current ? LVIS_FOCUSED : 0);
            ListView_SetItemState(hwnd_, static_cast<int>(i), state, kSelectionStates);
        }
    }

    void readSelection(const NMLISTVIEW& change) {
        if (!(change.uChanged & LVIF_STATE)) return;
        if (!((change.uOldState ^ change.uNewState) & kSelectionStates)) return;
        if (change.iItem >= 0) {
            list_.userSelected(static_cast<std::size_t>(change.iItem),
                               change.uNewState & LVIS_SELECTED, change.uNewState & LVIS_FOCUSED);
            return;
        }
        // -1: a change to every item at once.
        const int count = ListView_GetItemCount(hwnd_);
        for (int i = 0; i < count; ++i) {
            const UINT state = ListView_GetItemState(hwnd_, i, kSelectionStates);
            list_.userSelected(static_cast<std::size_t>(i), state & LVIS_SELECTED,
                               state & LVIS_FOCUSED);
        }
    }

    ListView& list_;
    bool syncing_ = false;
    bool endingEdit_ = false;
};

}  // namespace

std::unique_ptr<Peer> createListViewPeer(FormWindow& owner, ListView& list) {
    return std::make_unique<ListViewPeer>(owner, list);
}

}  // namespace kvr::ui::win32
