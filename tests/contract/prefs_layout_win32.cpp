// The preferences dialog on real windows, in every shipped language and at 96 and 144 dpi:
// every text fits its control, no control is cut off by what holds it, and none covers another.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "platform/services.h"
#include "platform/win32/text.h"
#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_icons.h"
#include "platform/win32/win32_keyboard.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_system.h"
#include "prefs/frm_pref.h"
#include "settings/settings.h"
#include "translation/mod_traducir.h"
#include "ui/win32/peers.h"
#include "ui/win32/win32_backend.h"

namespace kvr {
namespace {

void pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

HWND windowOf(const ui::Control& control) {
    auto* peer = dynamic_cast<ui::win32::Peer*>(control.peer());
    return peer ? peer->window() : nullptr;
}

std::string nameOf(const ui::Control& c) {
    return c.name() + (c.index >= 0 ? "(" + std::to_string(c.index) + ")" : "");
}

// The text's extent in the control's own font; wrapped within width when wrap is set.
SIZE extent(HWND window, const std::wstring& text, int width, bool wrap) {
    HDC dc = GetDC(window);
    auto font = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
    HGDIOBJ old = SelectObject(dc, font);
    RECT r{0, 0, width, 0};
    DrawTextW(dc, text.c_str(), -1, &r, DT_CALCRECT | (wrap ? DT_WORDBREAK : DT_SINGLELINE));
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return {r.right - r.left, r.bottom - r.top};
}

// Whether the screen shows anything but the label's background (its commonest colour) in its
// last column of pixels: text that runs into the edge is cut off there.
bool inkAtRightEdge(HWND label) {
    RECT r{};
    GetWindowRect(label, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    if (width <= 0 || height <= 0) return false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    std::map<std::uint32_t, int> counts;
    for (int i = 0; i < width * height; ++i) ++counts[pixels[i] & 0xFFFFFF];
    std::uint32_t background = 0;
    int most = 0;
    for (const auto& [colour, count] : counts)
        if (count > most) std::tie(background, most) = std::tie(colour, count);
    bool ink = false;
    for (int y = 0; y < height && !ink; ++y)
        ink = (pixels[y * width + width - 1] & 0xFFFFFF) != background;
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ink;
}

RECT screenRect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

class PrefsLayout : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        saved_ = platform::installed();
        platform::install({.registry = &registry_,
                           .queue = &queue_,
                           .system = &system_,
                           .files = &files_,
                           .desktop = &desktop_,
                           .keyboard = &keyboard_,
                           .icons = &icons_});
        ui::setBackend(&backend_);
        modTraducir::LanguageFilePrefix = "\\Lng\\KVR_";
        modTraducir::CurrentLanguage = GetParam();
        // The settings of a first start.
        std::map<std::string, std::string> created;
        settings::createAll(
            [&](const std::string& name, const std::string& text) { created[name] = text; });
        settings::load(settings::options(), [&](const std::string& name) { return created[name]; });
    }
    void TearDown() override {
        ui::setBackend(nullptr);
        platform::install(saved_);
        modTraducir::resetForTests();
        settings::reset();
        pump();
    }

    // What does not fit on the page of the selected tab, one line per fault.
    std::string faults(frmPref& d, int dpi) {
        std::ostringstream out;
        const int checkBox = MulDiv(20, dpi, 96);  // the box and its gap before the text
        const int buttonMargin = MulDiv(8, dpi, 96);
        const int edge = MulDiv(3, dpi, 96);
        std::vector<ui::Control*> shown;
        for (ui::Control* c : d.controls()) {
            HWND w = windowOf(*c);
            if (!w || !c->reachable() || !IsWindowVisible(w)) continue;
            shown.push_back(c);
            RECT client{};
            GetClientRect(w, &client);
            const std::wstring text = platform::win32::toWide(c->caption());
            if (!text.empty()) {
                switch (c->kind()) {
                    case ui::Kind::Label: {
                        // Wrapped as the label wraps it, short of its right edge.
                        const int width = client.right - ui::win32::labelTextInset(dpi);
                        const SIZE s = extent(w, text, width, true);
                        if (s.cx > width || s.cy > client.bottom)
                            out << nameOf(*c) << " needs " << s.cx << "x" << s.cy << ", has "
                                << client.right << "x" << client.bottom << "\n";
                        if (inkAtRightEdge(w)) out << nameOf(*c) << " is cut off at its edge\n";
                        break;
                    }
                    case ui::Kind::CheckBox:
                    case ui::Kind::OptionButton:
                    case ui::Kind::CommandButton: {
                        const int room =
                            client.right - (c->kind() == ui::Kind::CommandButton ? 2 * buttonMargin
                                                                                 : checkBox + edge);
                        const SIZE s = extent(w, text, 0, false);
                        if (s.cx > room || s.cy > client.bottom)
                            out << nameOf(*c) << " needs " << s.cx << "x" << s.cy << ", has "
                                << room << "x" << client.bottom << "\n";
                        break;
                    }
                    default:
                        break;
                }
            }
            // Inside what holds it.
            HWND parent = GetParent(w);
            RECT inner{}, outer = screenRect(w);
            GetClientRect(parent, &inner);
            MapWindowPoints(parent, nullptr, reinterpret_cast<POINT*>(&inner), 2);
            if (c->kind() != ui::Kind::ComboBox &&
                (outer.left < inner.left || outer.top < inner.top || outer.right > inner.right ||
                 outer.bottom > inner.bottom))
                out << nameOf(*c) << " is cut off by its container\n";
        }
        // No two controls of one container overlap (the pages lie over the tab strip).
        for (std::size_t i = 0; i < shown.size(); ++i) {
            for (std::size_t j = i + 1; j < shown.size(); ++j) {
                ui::Control* a = shown[i];
                ui::Control* b = shown[j];
                if (a->container != b->container) continue;
                if (a->kind() == ui::Kind::TabStrip || b->kind() == ui::Kind::TabStrip) continue;
                RECT ra = screenRect(windowOf(*a)), rb = screenRect(windowOf(*b)), both{};
                if (IntersectRect(&both, &ra, &rb))
                    out << nameOf(*a) << " and " << nameOf(*b) << " overlap\n";
            }
        }
        return out.str();
    }

    std::string tabFaults(frmPref& d) {
        HWND tabs = windowOf(d.tbsConfig);
        RECT client{}, last{};
        GetClientRect(tabs, &client);
        const int count = TabCtrl_GetItemCount(tabs);
        TabCtrl_GetItemRect(tabs, count - 1, &last);
        std::ostringstream out;
        if (count != 6) out << count << " tabs\n";
        if (TabCtrl_GetRowCount(tabs) != 1) out << "the tabs take more than one row\n";
        if (last.right > client.right) out << "the last tab ends at " << last.right << "\n";
        return out.str();
    }

    std::string everyTab(frmPref& d, int dpi) {
        std::string all = tabFaults(d);
        for (int tab = 0; tab < 6; ++tab) {
            d.tbsConfig.select(tab);
            UpdateWindow(reinterpret_cast<HWND>(static_cast<UINT_PTR>(d.hWnd())));
            pump();
            const std::string found = faults(d, dpi);
            if (!found.empty()) all += "tab " + std::to_string(tab + 1) + ":\n" + found;
        }
        d.tbsConfig.select(0);
        return all;
    }

private:
    platform::Services saved_;
    platform::Win32Registry registry_;
    platform::Win32MessageQueue queue_;
    platform::Win32System system_;
    platform::Win32FileSystem files_;
    platform::Win32Desktop desktop_;
    platform::Win32Keyboard keyboard_;
    platform::Win32Icons icons_;
    ui::Win32Backend backend_{GetModuleHandleW(nullptr)};
};

TEST_P(PrefsLayout, EveryTextFitsAt96And144Dpi) {
    ui::Form main("frmUiOwner", "Owner", {0, 0, 200, 100});
    main.load();
    frmPref d(main, {});
    d.show();
    pump();
    ASSERT_NE(d.caption(), "0100") << "the dialog was not translated";
    HWND window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(d.hWnd()));
    EXPECT_EQ(everyTab(d, 96), "");

    // A move to a screen at 150 %: the window says so and the dialog takes the new scale.
    RECT r = screenRect(window);
    RECT suggested{r.left, r.top, r.left + MulDiv(r.right - r.left, 3, 2),
                   r.top + MulDiv(r.bottom - r.top, 3, 2)};
    SendMessageW(window, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(144, 144),
                 reinterpret_cast<LPARAM>(&suggested));
    pump();
    RECT okRect = screenRect(windowOf(d.cmdAceptar));
    EXPECT_EQ(okRect.right - okRect.left, MulDiv(74, 144, 96));
    EXPECT_EQ(everyTab(d, 144), "");
    d.unload();
    main.unload();
}

INSTANTIATE_TEST_SUITE_P(Languages, PrefsLayout,
                         ::testing::Values("English", "Deutsch", "Espa\xC3\xB1ol"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param).substr(0, 3) == "Esp"
                                        ? std::string("Espanol")
                                        : std::string(info.param);
                         });

}  // namespace
}  // namespace kvr
