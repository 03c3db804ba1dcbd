#include "platform/win32/text.h"
#include "ui/win32/peers.h"

namespace kvr::ui::win32 {

namespace {

// Command ids of the buttons: kFirstButton + the button's index in the state.
constexpr WORD kFirstButton = 1;

// Buttons of pictures only; the tips come from the state whenever the tip control asks, so a
// translation that changes them after creation needs nothing pushed.
class ToolbarPeer final : public WindowPeer {
public:
    ToolbarPeer(FormWindow& owner, Toolbar& bar)
        : WindowPeer(owner, bar, TOOLBARCLASSNAMEW,
                     TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | TBSTYLE_TRANSPARENT | CCS_NODIVIDER |
                         CCS_NORESIZE | CCS_NOPARENTALIGN,
                     0),
          bar_(bar) {
        if (!hwnd_) return;
        SendMessageW(hwnd_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
        attachImages();
        pushButtons();
    }

    void changed(Control& control, Change what) override {
        if (!hwnd_) return;
        if (what == Change::Items)
            pushButtons();
        else
            WindowPeer::changed(control, what);
    }

    void dpiChanged() override {
        WindowPeer::dpiChanged();
        attachImages();
        pushButtons();
    }

    void forgetImages(HIMAGELIST images) override {
        if (hwnd_ &&
            reinterpret_cast<HIMAGELIST>(SendMessageW(hwnd_, TB_GETIMAGELIST, 0, 0)) == images)
            SendMessageW(hwnd_, TB_SETIMAGELIST, 0, 0);
    }

    void commandFrom(WORD id, WORD code) override {
        const std::size_t index = static_cast<std::size_t>(id) - kFirstButton;
        if (id < kFirstButton || index >= bar_.buttons().size()) return;
        // A copy: the handler may change the buttons.
        const std::string key = bar_.buttons()[index].key;
        bar_.press(key);
    }

    bool notify(const NMHDR& header, LRESULT& result) override {
        if (header.code != TBN_GETINFOTIPW) return false;
        auto& tip = const_cast<NMTBGETINFOTIPW&>(reinterpret_cast<const NMTBGETINFOTIPW&>(header));
        const std::size_t index = static_cast<std::size_t>(tip.iItem) - kFirstButton;
        if (tip.pszText && tip.cchTextMax > 0) {
            std::wstring text;
            if (tip.iItem >= kFirstButton && index < bar_.buttons().size())
                text = toWide(bar_.buttons()[index].toolTip);
            const auto room = static_cast<std::size_t>(tip.cchTextMax - 1);
            const std::size_t n = text.copy(tip.pszText, room);
            tip.pszText[n] = L'\0';
        }
        result = 0;
        return true;
    }

private:
    int imageSize() const {
        if (bar_.images)
            if (auto* peer = dynamic_cast<ImageListPeer*>(bar_.images->peer()))
                return peer->imageSize();
        return owner_.scale(16);
    }

    void attachImages() {
        HIMAGELIST images = nullptr;
        if (bar_.images)
            if (auto* peer = dynamic_cast<ImageListPeer*>(bar_.images->peer()))
                images = peer->handle();
        const int size = imageSize();
        SendMessageW(hwnd_, TB_SETBITMAPSIZE, 0, MAKELPARAM(size, size));
        SendMessageW(hwnd_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
    }

    void pushButtons() {
        SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
        for (auto n = SendMessageW(hwnd_, TB_BUTTONCOUNT, 0, 0); n > 0; --n)
            SendMessageW(hwnd_, TB_DELETEBUTTON, static_cast<WPARAM>(n - 1), 0);
        std::vector<TBBUTTON> buttons;
        const auto& source = bar_.buttons();
        for (std::size_t i = 0; i < source.size(); ++i) {
            const ToolButton& b = source[i];
            TBBUTTON button{};
            button.idCommand = static_cast<int>(kFirstButton + i);
            if (b.separator) {
                button.fsStyle = BTNS_SEP;
                button.iBitmap = owner_.scale(8);  // a separator's width
            } else {
                button.fsStyle = BTNS_BUTTON;
                button.fsState = b.enabled ? TBSTATE_ENABLED : 0;
                button.iBitmap = b.image > 0 ? b.image - 1 : I_IMAGENONE;
            }
            buttons.push_back(button);
        }
        if (!buttons.empty())
            SendMessageW(hwnd_, TB_ADDBUTTONSW, static_cast<WPARAM>(buttons.size()),
                         reinterpret_cast<LPARAM>(buttons.data()));
        const int size = imageSize();
        SendMessageW(hwnd_, TB_SETBUTTONSIZE, 0,
                     MAKELPARAM(size + owner_.scale(9), size + owner_.scale(8)));
        SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(hwnd_, nullptr, TRUE);
    }

    Toolbar& bar_;
};

}  // namespace

std::unique_ptr<Peer> createToolbarPeer(FormWindow& owner, Toolbar& bar) {
    return std::make_unique<ToolbarPeer>(owner, bar);
}

}  // namespace kvr::ui::win32
