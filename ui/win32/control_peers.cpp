#include <cmath>
#include <vector>

#include "platform/win32/text.h"
#include "ui/canvas.h"
#include "ui/win32/peers.h"

namespace kvr::ui::win32 {

// ---------------------------------------------------------------------------------------------
// GDI

int labelTextInset(int dpi) {
    return MulDiv(3, dpi, 96);
}

HFONT createFont(const Font& font, int dpi) {
    LOGFONTW description{};
    description.lfHeight = -static_cast<LONG>(std::lround(font.points * dpi / 72.0));
    description.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
    description.lfCharSet = DEFAULT_CHARSET;
    const std::wstring face = toWide(font.name);
    face.copy(description.lfFaceName, LF_FACESIZE - 1);
    return CreateFontIndirectW(&description);
}

namespace {

bool hasAlpha(const std::uint32_t* pixels, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        if (pixels[i] >> 24) return true;
    return false;
}

// Monochrome, a set bit where the image is transparent.
HBITMAP createMask(int size, const std::uint32_t* pixels, bool alpha) {
    const int stride = ((size + 15) / 16) * 2;
    std::vector<BYTE> bits(static_cast<std::size_t>(stride) * static_cast<std::size_t>(size), 0);
    if (alpha) {
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                if ((pixels[y * size + x] >> 24) < 128)
                    bits[static_cast<std::size_t>(y * stride + x / 8)] |=
                        static_cast<BYTE>(0x80 >> (x % 8));
    }
    return CreateBitmap(size, size, 1, 1, bits.data());
}

}  // namespace

HBITMAP createBitmap(int width, int height, const std::uint32_t* pixels) {
    if (width <= 0 || height <= 0) return nullptr;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits) return bitmap;
    const auto count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    auto* out = static_cast<std::uint32_t*>(bits);
    const bool alpha = hasAlpha(pixels, count);
    for (std::size_t i = 0; i < count; ++i) out[i] = alpha ? pixels[i] : (pixels[i] | 0xFF000000u);
    GdiFlush();
    return bitmap;
}

// ---------------------------------------------------------------------------------------------
// Child windows

WindowPeer::WindowPeer(FormWindow& owner, Control& control, const wchar_t* className, DWORD style,
                       DWORD exStyle, bool watchesFocus)
    : owner_(owner), control_(control) {
    style |= WS_CHILD;
    if (control.visible()) style |= WS_VISIBLE;
    if (!control.enabled()) style |= WS_DISABLED;
    const Rect r = owner.place(control);
    HWND parent = owner.parentFor(control);
    hwnd_ = CreateWindowExW(exStyle, className, toWide(control.caption()).c_str(), style, r.left,
                            r.top, r.width, r.height, parent,
                            reinterpret_cast<HMENU>(static_cast<UINT_PTR>(owner.nextId())),
                            owner.instance(), nullptr);
    applyFont(control.font());
    if (hwnd_ && watchesFocus)
        comctl().setWindowSubclass(hwnd_, watchFocus, 0, reinterpret_cast<DWORD_PTR>(this));
}

WindowPeer::~WindowPeer() {
    if (hwnd_) DestroyWindow(hwnd_);
    if (font_) DeleteObject(font_);
}

// The form learns where the focus is from the control that receives it, whatever sent it there
// (a click, the keyboard, the program).
LRESULT CALLBACK WindowPeer::watchFocus(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR id, DWORD_PTR self) {
    if (message == WM_NCDESTROY) {
        comctl().removeWindowSubclass(hwnd, watchFocus, id);
        return comctl().defSubclassProc(hwnd, message, wParam, lParam);
    }
    const LRESULT result = comctl().defSubclassProc(hwnd, message, wParam, lParam);
    if (message == WM_SETFOCUS) {
        auto* peer = reinterpret_cast<WindowPeer*>(self);
        // What the focus events run may destroy this peer: nothing of it is touched after.
        peer->owner_.form().userFocused(&peer->control_);
    }
    return result;
}

void WindowPeer::focus() {
    if (hwnd_) SetFocus(hwnd_);
}

void WindowPeer::bringToFront() {
    if (hwnd_) SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void WindowPeer::applyFont(const Font& font) {
    if (!hwnd_) return;
    HFONT previous = font_;
    font_ = createFont(font, owner_.dpi());
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
    if (previous) DeleteObject(previous);
}

void WindowPeer::changed(Control& control, Change what) {
    if (!hwnd_) return;
    switch (what) {
        case Change::Caption:
            SetWindowTextW(hwnd_, toWide(control.caption()).c_str());
            break;
        case Change::Enabled:
            EnableWindow(hwnd_, control.enabled());
            break;
        case Change::Visible:
            ShowWindow(hwnd_, control.visible() ? SW_SHOWNA : SW_HIDE);
            break;
        case Change::Rect:
            layout();
            break;
        case Change::Font:
            applyFont(control.font());
            break;
        default:
            break;
    }
}

void WindowPeer::layout() {
    if (!hwnd_) return;
    const Rect r = owner_.place(control_);
    SetWindowPos(hwnd_, nullptr, r.left, r.top, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void WindowPeer::dpiChanged() {
    applyFont(control_.font());
    layout();
}

void WindowPeer::repaintBehind() {
    HWND parent = GetParent(hwnd_);
    RECT area{};
    GetWindowRect(hwnd_, &area);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&area), 2);
    RedrawWindow(parent, &area, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

namespace {

DWORD alignmentStyle(Alignment alignment) {
    switch (alignment) {
        case Alignment::Right:
            return SS_RIGHT;
        case Alignment::Center:
            return SS_CENTER;
        case Alignment::Left:
            break;
    }
    return SS_LEFT;
}

UINT alignmentFormat(Alignment alignment) {
    switch (alignment) {
        case Alignment::Right:
            return DT_RIGHT;
        case Alignment::Center:
            return DT_CENTER;
        case Alignment::Left:
            break;
    }
    return DT_LEFT;
}

// The label paints its own text, wrapped short of its right edge: Wine draws some glyphs a
// pixel or two past their measured width, and a line that fills the label to the edge would
// lose its last letters.
class LabelPeer final : public WindowPeer {
public:
    LabelPeer(FormWindow& owner, Label& label)
        : WindowPeer(owner, label, L"STATIC", SS_NOTIFY | alignmentStyle(label.alignment()), 0),
          label_(label) {
        if (hwnd_) comctl().setWindowSubclass(hwnd_, paint, 1, reinterpret_cast<DWORD_PTR>(this));
    }

    void changed(Control& control, Change what) override {
        if (what == Change::Style) {
            auto style = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE));
            style = (style & ~static_cast<DWORD>(SS_TYPEMASK)) | alignmentStyle(label_.alignment());
            SetWindowLongPtrW(hwnd_, GWL_STYLE, static_cast<LONG_PTR>(style));
            repaintBehind();
            return;
        }
        WindowPeer::changed(control, what);
        // The old text of a see-through label stays unless what lies behind is painted again.
        if (what == Change::Caption && label_.transparent()) repaintBehind();
    }

    void command(WORD code) override {
        if (code == STN_CLICKED) label_.click();
    }

    HBRUSH colorStatic(HDC dc) override {
        if (!label_.transparent()) return nullptr;
        SetBkMode(dc, TRANSPARENT);
        return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    }

private:
    static LRESULT CALLBACK paint(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                  UINT_PTR id, DWORD_PTR self) {
        if (message == WM_NCDESTROY) comctl().removeWindowSubclass(hwnd, paint, id);
        if (message != WM_PAINT) return comctl().defSubclassProc(hwnd, message, wParam, lParam);
        auto* peer = reinterpret_cast<LabelPeer*>(self);
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        // The parent says how the label looks, as it does for the system's static control.
        auto brush = reinterpret_cast<HBRUSH>(SendMessageW(GetParent(hwnd), WM_CTLCOLORSTATIC,
                                                           reinterpret_cast<WPARAM>(dc),
                                                           reinterpret_cast<LPARAM>(hwnd)));
        RECT area{};
        GetClientRect(hwnd, &area);
        if (brush) FillRect(dc, &area, brush);
        if (!IsWindowEnabled(hwnd)) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
        HGDIOBJ old =
            SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)));
        area.right -= labelTextInset(peer->owner_.dpi());
        const std::wstring text = toWide(peer->label_.caption());
        DrawTextW(dc, text.c_str(), -1, &area,
                  DT_WORDBREAK | DT_EXPANDTABS | alignmentFormat(peer->label_.alignment()));
        SelectObject(dc, old);
        EndPaint(hwnd, &ps);
        return 0;
    }

    Label& label_;
};

class ButtonPeer final : public WindowPeer {
public:
    ButtonPeer(FormWindow& owner, Control& control, DWORD style)
        : WindowPeer(owner, control, L"BUTTON", style, 0) {}

    void command(WORD code) override {
        if (code == BN_CLICKED && control_.kind() == Kind::CommandButton) control_.click();
    }
};

// Whether the picture is given by its pixels, rather than by a resource.
bool hasPixels(const Picture& picture) {
    const auto count =
        static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height);
    return count > 0 && picture.pixels.size() >= count;
}

// The picture's bitmap, from its pixels or else its resource; nullptr for none. premultiplied:
// the colours scaled by their alpha, as AlphaBlend takes them, and pixels without any alpha
// made opaque.
HBITMAP pictureBitmap(const Picture& picture, HINSTANCE instance, bool premultiplied) {
    if (hasPixels(picture)) {
        if (!premultiplied)
            return createBitmap(picture.width, picture.height, picture.pixels.data());
        const auto count =
            static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height);
        std::vector<std::uint32_t> pixels(picture.pixels.begin(), picture.pixels.begin() + count);
        const bool alpha = hasAlpha(pixels.data(), count);
        for (std::uint32_t& p : pixels) {
            const std::uint32_t a = alpha ? p >> 24 : 255;
            const auto scaled = [&](int shift) { return ((p >> shift & 0xFF) * a / 255) << shift; };
            p = (a << 24) | scaled(16) | scaled(8) | scaled(0);
        }
        return createBitmap(picture.width, picture.height, pixels.data());
    }
    if (picture.resource)
        return static_cast<HBITMAP>(LoadImageW(instance, MAKEINTRESOURCEW(picture.resource),
                                               IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    return nullptr;
}

// The picture is stretched over the control; its bitmap lives as long as the peer shows it.
class PicturePeer final : public WindowPeer {
public:
    PicturePeer(FormWindow& owner, PictureControl& control)
        : WindowPeer(owner, control, L"STATIC", SS_BITMAP | SS_REALSIZECONTROL, 0),
          picture_(control),
          instance_(owner.instance()) {
        showPicture();
    }

    ~PicturePeer() override {
        if (hwnd_) DestroyWindow(hwnd_);
        hwnd_ = nullptr;
        if (bitmap_) DeleteObject(bitmap_);
    }

    void changed(Control& control, Change what) override {
        if (what == Change::Image)
            showPicture();
        else
            WindowPeer::changed(control, what);
    }

    void command(WORD code) override {
        if (code == STN_CLICKED) picture_.click();
    }

private:
    void showPicture() {
        if (!hwnd_) return;
        HBITMAP bitmap = pictureBitmap(picture_.picture(), instance_, false);
        auto previous = reinterpret_cast<HBITMAP>(
            SendMessageW(hwnd_, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
        // A static control of version 6 may show a copy of a bitmap with alpha; the copy is
        // its to give back and ours to delete.
        if (previous && previous != bitmap_) DeleteObject(previous);
        if (bitmap_) DeleteObject(bitmap_);
        bitmap_ = bitmap;
        // The control sizes itself to a new bitmap; the design says its size.
        layout();
    }

    PictureControl& picture_;
    HINSTANCE instance_;
    HBITMAP bitmap_ = nullptr;
};

// A picture box may be the window of a notification-area icon, which exists while its form is
// hidden: a window of the backend's own class that paints its picture itself, where a static
// control would load the common controls.
class PictureBoxPeer final : public WindowPeer {
public:
    static constexpr wchar_t kClass[] = L"KVR_PictureBox";

    PictureBoxPeer(FormWindow& owner, PictureBox& box)
        : WindowPeer(owner, box, registered(owner.instance()), 0, 0, false), box_(box) {
        if (!hwnd_) return;
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        showPicture();
    }

    ~PictureBoxPeer() override {
        if (hwnd_) SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        if (bitmap_) DeleteObject(bitmap_);
    }

    void changed(Control& control, Change what) override {
        if (what == Change::Image)
            showPicture();
        else
            WindowPeer::changed(control, what);
    }

private:
    static const wchar_t* registered(HINSTANCE instance) {
        // Fails harmlessly once the class is there.
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = instance;
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.lpszClassName = kClass;
        RegisterClassW(&windowClass);
        return kClass;
    }

    static LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<PictureBoxPeer*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
        switch (message) {
            case PictureBox::kTrayCallbackMessage:
                // The icon's mouse message is in lParam. The handler may unload the form, and
                // this window with it: nothing of it is touched afterwards.
                self->box_.trayMessage(LOWORD(lParam));
                return 0;
            case WM_PAINT:
                self->paint();
                return 0;
            case WM_SETFOCUS: {
                const LRESULT result = DefWindowProcW(hwnd, message, wParam, lParam);
                self->owner_.form().userFocused(&self->control_);
                return result;
            }
            case WM_NCDESTROY:
                SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
                break;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }

    void showPicture() {
        if (bitmap_) DeleteObject(bitmap_);
        bitmap_ = pictureBitmap(box_.picture(), owner_.instance(), true);
        // A bitmap resource's alpha is often zero where it means nothing: only pixels blend.
        blend_ = hasPixels(box_.picture());
        InvalidateRect(hwnd_, nullptr, TRUE);
    }

    void paint() {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd_, &ps);
        RECT area{};
        GetClientRect(hwnd_, &area);
        // The parent says the background, as it does for the system's static control.
        auto brush = reinterpret_cast<HBRUSH>(SendMessageW(GetParent(hwnd_), WM_CTLCOLORSTATIC,
                                                           reinterpret_cast<WPARAM>(dc),
                                                           reinterpret_cast<LPARAM>(hwnd_)));
        FillRect(dc, &area, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
        BITMAP info{};
        if (bitmap_ && GetObjectW(bitmap_, sizeof info, &info)) {
            HDC source = CreateCompatibleDC(dc);
            HGDIOBJ old = SelectObject(source, bitmap_);
            if (blend_) {
                const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
                GdiAlphaBlend(dc, 0, 0, area.right, area.bottom, source, 0, 0, info.bmWidth,
                              info.bmHeight, blend);
            } else {
                StretchBlt(dc, 0, 0, area.right, area.bottom, source, 0, 0, info.bmWidth,
                           info.bmHeight, SRCCOPY);
            }
            SelectObject(source, old);
            DeleteDC(source);
        }
        EndPaint(hwnd_, &ps);
    }

    PictureBox& box_;
    HBITMAP bitmap_ = nullptr;
    bool blend_ = false;
};

class TimerPeer final : public Peer {
public:
    TimerPeer(FormWindow& owner, Timer& timer)
        : window_(owner.hwnd()), id_(owner.nextId()), timer_(timer) {
        apply();
    }
    ~TimerPeer() override { KillTimer(window_, id_); }

    void changed(Control& control, Change what) override {
        if (what == Change::Enabled || what == Change::Interval) apply();
    }
    UINT_PTR timerId() const override { return id_; }
    void timer() override { timer_.tick(); }

private:
    void apply() {
        // SetTimer on a running id restarts it with the new interval.
        if (timer_.enabled() && timer_.interval() > 0)
            SetTimer(window_, id_, static_cast<UINT>(timer_.interval()), nullptr);
        else
            KillTimer(window_, id_);
    }

    HWND window_;
    UINT_PTR id_;
    Timer& timer_;
};

}  // namespace

std::unique_ptr<Peer> createWindowPeer(FormWindow& owner, Control& control) {
    switch (control.kind()) {
        case Kind::Label:
            return std::make_unique<LabelPeer>(owner, static_cast<Label&>(control));
        case Kind::CommandButton:
            return std::make_unique<ButtonPeer>(
                owner, control,
                (static_cast<CommandButton&>(control).isDefault ? BS_DEFPUSHBUTTON
                                                                : BS_PUSHBUTTON) |
                    WS_TABSTOP);
        case Kind::Frame:
            if (!static_cast<Frame&>(control).border) return createInputPeer(owner, control);
            return std::make_unique<ButtonPeer>(owner, control, BS_GROUPBOX);
        case Kind::Image:
            return std::make_unique<PicturePeer>(owner, static_cast<PictureControl&>(control));
        default:
            return nullptr;
    }
}

std::unique_ptr<Peer> createPictureBoxPeer(FormWindow& owner, PictureBox& box) {
    return std::make_unique<PictureBoxPeer>(owner, box);
}

std::unique_ptr<Peer> createTimerPeer(FormWindow& owner, Timer& timer) {
    return std::make_unique<TimerPeer>(owner, timer);
}

// ---------------------------------------------------------------------------------------------
// Image lists

ImageListPeer::ImageListPeer(FormWindow& owner, ImageList& list)
    : owner_(owner),
      list_(list),
      size_(owner.scale(list.imageSize())),
      images_(comctl().imageListCreate(size_, size_, ILC_COLOR32 | ILC_MASK,
                                       static_cast<int>(list.images().size()), 8)) {
    addMissing();
}

ImageListPeer::~ImageListPeer() {
    if (!images_) return;
    // Controls share the list rather than own it; one that outlives it must let go first.
    owner_.forgetImages(images_);
    comctl().imageListDestroy(images_);
}

void ImageListPeer::changed(Control& control, Change what) {
    if (what == Change::Items) addMissing();
}

void ImageListPeer::dpiChanged() {
    if (!images_) return;
    size_ = owner_.scale(list_.imageSize());
    // Same handle, emptied at the new size: the controls that show it keep it.
    comctl().imageListSetIconSize(images_, size_, size_);
    addMissing();
}

namespace {

// Image index (0-based) at size x size: the variant of that size, else the smallest larger one
// (or the largest there is) rescaled.
std::vector<std::uint32_t> imageAt(const ImageList& list, std::size_t index, int size) {
    const ImageList::Pixels& base = list.images()[index];
    const auto& variants = list.variants(static_cast<int>(index) + 1);
    const ImageList::Pixels* best = &base;
    int bestSize = list.imageSize();
    for (const auto& v : variants) {
        if (v.size == size) return v.pixels;
        const bool better =
            bestSize < size ? v.size > bestSize : (v.size > size && v.size < bestSize);
        if (better) {
            best = &v.pixels;
            bestSize = v.size;
        }
    }
    return resample(*best, bestSize, size);
}

}  // namespace

void ImageListPeer::addMissing() {
    if (!images_) return;
    const int size = size_;
    const auto& images = list_.images();
    for (auto i = static_cast<std::size_t>(comctl().imageListGetImageCount(images_));
         i < images.size(); ++i) {
        const std::vector<std::uint32_t> scaled = imageAt(list_, i, size);
        const std::uint32_t* pixels = scaled.data();
        const bool alpha =
            hasAlpha(pixels, static_cast<std::size_t>(size) * static_cast<std::size_t>(size));
        HBITMAP color = createBitmap(size, size, pixels);
        HBITMAP mask = createMask(size, pixels, alpha);
        comctl().imageListAdd(images_, color, mask);
        if (color) DeleteObject(color);
        if (mask) DeleteObject(mask);
    }
}

// ---------------------------------------------------------------------------------------------
// Menus

MenuPeer::MenuPeer(FormWindow& owner, MenuItem& item)
    : owner_(owner), item_(item), id_(owner.nextId()) {
    owner_.rebuildMenu(item_.parent(), &item_, this);
    // An item that gains its first child after load turns into a submenu in its own menu.
    if (owner_.form().loaded() && item_.parent())
        owner_.rebuildMenu(item_.parent()->parent(), &item_, this);
}

MenuPeer::~MenuPeer() {
    // The item (still whole: its destructor detaches first) no longer holds this peer, so the
    // rebuild leaves it out.
    owner_.rebuildMenu(item_.parent());
    if (submenu_) {
        while (GetMenuItemCount(submenu_) > 0) RemoveMenu(submenu_, 0, MF_BYPOSITION);
        DestroyMenu(submenu_);
    }
}

void MenuPeer::changed(Control& control, Change what) {
    switch (what) {
        case Change::Caption:
        case Change::Enabled:
        case Change::Visible:
        case Change::Checked:
            owner_.rebuildMenu(item_.parent());
            break;
        default:
            break;
    }
}

HMENU MenuPeer::submenu() {
    if (!submenu_) submenu_ = CreatePopupMenu();
    return submenu_;
}

}  // namespace kvr::ui::win32
