#include "platform/win32/text.h"
#include "ui/win32/peers.h"

namespace kvr::ui::win32 {

namespace {

// The real tree holds the state's nodes in the state's order; each item's lParam is its node's
// index. Nodes only grow until the tree is cleared, so a change of nodes inserts those not there
// yet, or starts again when there are fewer.
class TreeViewPeer final : public WindowPeer {
public:
    TreeViewPeer(FormWindow& owner, TreeView& tree)
        : WindowPeer(
              owner, tree, WC_TREEVIEWW,
              WS_TABSTOP | TVS_HASLINES | TVS_LINESATROOT | TVS_HASBUTTONS | TVS_SHOWSELALWAYS,
              WS_EX_CLIENTEDGE),
          tree_(tree) {
        if (!hwnd_) return;
        pushNodes();
        pushSelection();
    }

    void changed(Control& control, Change what) override {
        if (!hwnd_) return;
        switch (what) {
            case Change::Items:
                pushNodes();
                break;
            case Change::Selection:
                pushSelection();
                break;
            default:
                WindowPeer::changed(control, what);
                break;
        }
    }

    void dpiChanged() override {
        WindowPeer::dpiChanged();
        // The rows take their height from the images when the list is set again.
        if (HIMAGELIST images = TreeView_GetImageList(hwnd_, TVSIL_NORMAL)) {
            TreeView_SetImageList(hwnd_, nullptr, TVSIL_NORMAL);
            TreeView_SetImageList(hwnd_, images, TVSIL_NORMAL);
        }
    }

    void forgetImages(HIMAGELIST images) override {
        if (hwnd_ && TreeView_GetImageList(hwnd_, TVSIL_NORMAL) == images)
            TreeView_SetImageList(hwnd_, nullptr, TVSIL_NORMAL);
    }

    bool notify(const NMHDR& header, LRESULT& result) override {
        switch (header.code) {
            case TVN_SELCHANGEDW:
                if (!syncing_) {
                    const auto& change = reinterpret_cast<const NMTREEVIEWW&>(header);
                    tree_.userSelected(
                        change.itemNew.hItem ? static_cast<int>(change.itemNew.lParam) : -1);
                }
                return false;
            case TVN_ITEMEXPANDEDW:
                if (!syncing_) {
                    const auto& change = reinterpret_cast<const NMTREEVIEWW&>(header);
                    tree_.userExpanded(static_cast<int>(change.itemNew.lParam),
                                       change.action == TVE_EXPAND);
                }
                return false;
        }
        return false;
    }

private:
    struct Syncing {
        explicit Syncing(bool& flag) : flag_(flag) { flag_ = true; }
        ~Syncing() { flag_ = false; }
        bool& flag_;
    };

    void attachImages() {
        HIMAGELIST images = nullptr;
        if (tree_.images)
            if (auto* peer = dynamic_cast<ImageListPeer*>(tree_.images->peer()))
                images = peer->handle();
        if (TreeView_GetImageList(hwnd_, TVSIL_NORMAL) != images)
            TreeView_SetImageList(hwnd_, images, TVSIL_NORMAL);
    }

    void pushNodes() {
        Syncing guard(syncing_);
        attachImages();
        const auto& nodes = tree_.nodes();
        if (nodes.size() < items_.size()) {
            TreeView_DeleteAllItems(hwnd_);
            items_.clear();
        }
        for (std::size_t i = items_.size(); i < nodes.size(); ++i) {
            const TreeNode& node = nodes[i];
            std::wstring text = toWide(node.text);
            TVINSERTSTRUCTW insert{};
            insert.hParent = node.parent >= 0 && static_cast<std::size_t>(node.parent) < i
                                 ? items_[static_cast<std::size_t>(node.parent)]
                                 : TVI_ROOT;
            insert.hInsertAfter = TVI_LAST;
            insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
            insert.item.pszText = text.data();
            insert.item.lParam = static_cast<LPARAM>(i);
            insert.item.iImage = insert.item.iSelectedImage =
                node.image > 0 ? node.image - 1 : I_IMAGENONE;
            items_.push_back(reinterpret_cast<HTREEITEM>(
                SendMessageW(hwnd_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert))));
        }
        // A node shown open needs its children first: check again as they come.
        for (std::size_t i = 0; i < nodes.size(); ++i) {
            if (!items_[i]) continue;
            const bool open =
                TreeView_GetItemState(hwnd_, items_[i], TVIS_EXPANDED) & TVIS_EXPANDED;
            if (open != nodes[i].expanded)
                TreeView_Expand(hwnd_, items_[i], nodes[i].expanded ? TVE_EXPAND : TVE_COLLAPSE);
        }
    }

    void pushSelection() {
        Syncing guard(syncing_);
        const int selected = tree_.selectedIndex();
        HTREEITEM item = selected >= 0 && static_cast<std::size_t>(selected) < items_.size()
                             ? items_[static_cast<std::size_t>(selected)]
                             : nullptr;
        TreeView_SelectItem(hwnd_, item);
    }

    TreeView& tree_;
    std::vector<HTREEITEM> items_;
    bool syncing_ = false;
};

}  // namespace

std::unique_ptr<Peer> createTreeViewPeer(FormWindow& owner, TreeView& tree) {
    return std::make_unique<TreeViewPeer>(owner, tree);
}

}  // namespace kvr::ui::win32
