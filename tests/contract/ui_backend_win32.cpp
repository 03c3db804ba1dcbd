// The form toolkit on real windows: what the Win32 backend makes of a form's state, and what
// it makes of the user's and the system's actions.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <gtest/gtest.h>

#include <functional>
#include <memory>
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

// Runs the thread's messages for up to ms milliseconds, or until done says so.
void pump(int ms = 0, const std::function<bool()>& done = {}) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (done && done()) return;
        if (GetTickCount() - start >= static_cast<DWORD>(ms)) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

std::wstring textOf(HWND window) {
    wchar_t buffer[256] = {};
    GetWindowTextW(window, buffer, 256);
    return buffer;
}

std::wstring menuText(HMENU menu, int position) {
    wchar_t buffer[128] = {};
    GetMenuStringW(menu, static_cast<UINT>(position), buffer, 128, MF_BYPOSITION);
    return buffer;
}

bool isSeparator(HMENU menu, int position) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE;
    GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info);
    return (info.fType & MFT_SEPARATOR) != 0;
}

std::wstring itemText(HWND list, int item, int subItem) {
    wchar_t buffer[128] = {};
    LVITEMW request{};
    request.iSubItem = subItem;
    request.pszText = buffer;
    request.cchTextMax = 128;
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(item),
                 reinterpret_cast<LPARAM>(&request));
    return buffer;
}

std::vector<std::wstring> firstColumn(HWND list) {
    std::vector<std::wstring> result;
    const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) result.push_back(itemText(list, i, 0));
    return result;
}

class ProbeForm : public Form {
public:
    ProbeForm()
        : Form("frmUiProbe",
               "Pr\xC3\xBC"
               "fung \xE2\x9C\x93",
               {60, 50, 520, 360}),
          mnuArchivo(*this, "mnuArchivo", "&Archivo"),
          mnuAbrir(*this, "mnuAbrir", "Abrir", &mnuArchivo),
          mnuSep(*this, "mnuSep", "-", &mnuArchivo),
          mnuVer(*this, "mnuVer", "Ver", &mnuArchivo),
          mnuSalir(*this, "mnuSalir", "Salir"),
          mnuTray(*this, "mnuTray", "mnuSTray"),
          mnuSTAbrir(*this, "mnuSTAbrir", "Abrir", &mnuTray),
          mnuSTSalir(*this, "mnuSTSalir", "Salir", &mnuTray),
          lblTexto(*this, "lblTexto", "Hola", {10, 10, 200, 20}),
          cmdCerrar(*this, "cmdCerrar", "Cerrar", {220, 8, 90, 26}),
          imgLogo(*this, "imgLogo", {320, 8, 32, 32}),
          tmrTick(*this, "tmrTick", 30, false),
          lsvLista(*this, "lsvLista", {"Titulo", "Clase", "Oculto"}, {10, 50, 480, 200}),
          imlIcons(*this, "imlIcons", 16) {
        mnuTray.setVisible(false);
        lsvLista.smallIcons = &imlIcons;
    }

    MenuItem mnuArchivo, mnuAbrir, mnuSep, mnuVer, mnuSalir;
    MenuItem mnuTray, mnuSTAbrir, mnuSTSalir;
    Label lblTexto;
    CommandButton cmdCerrar;
    Image imgLogo;
    Timer tmrTick;
    ListView lsvLista;
    ImageList imlIcons;  // after the list on purpose: the list still finds it

    std::vector<std::string> events;
    std::vector<UnloadMode> modes;
    bool cancelUnload = false;
    std::function<void()> onQueryUnload;

protected:
    void Form_Load() override { events.push_back("Load"); }
    bool Form_QueryUnload(UnloadMode mode) override {
        events.push_back("QueryUnload");
        modes.push_back(mode);
        if (onQueryUnload) onQueryUnload();
        return cancelUnload;
    }
    void Form_Unload() override { events.push_back("Unload"); }
    void Form_Resize() override { events.push_back("Resize"); }
};

class UiBackend : public ::testing::Test {
protected:
    void SetUp() override { setBackend(&backend_); }
    void TearDown() override {
        setBackend(nullptr);
        pump();
    }

    Win32Backend backend_{GetModuleHandleW(nullptr)};
};

TEST_F(UiBackend, FormIsAWindowOfItsOwnClassWithItsCaptionAndPlace) {
    ProbeForm form;
    form.load();
    HWND window = windowOf(form);
    ASSERT_TRUE(IsWindow(window));
    EXPECT_EQ(FindWindowW(L"KVR_frmUiProbe", nullptr), window);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    EXPECT_STREQ(className, L"KVR_frmUiProbe");
    EXPECT_EQ(textOf(window), L"Pr\u00FCfung \u2713");
    EXPECT_EQ(form.events, std::vector<std::string>{"Load"});

    EXPECT_FALSE(IsWindowVisible(window));
    form.show();
    EXPECT_TRUE(IsWindowVisible(window));
    RECT r{};
    GetWindowRect(window, &r);
    EXPECT_EQ(r.left, 60);
    EXPECT_EQ(r.top, 50);
    EXPECT_EQ(r.right - r.left, 520);
    EXPECT_EQ(r.bottom - r.top, 360);

    form.setCaption("\xC3\x81rbol");
    EXPECT_EQ(textOf(window), L"\u00C1rbol");
    form.setRect({80, 70, 500, 300});
    GetWindowRect(window, &r);
    EXPECT_EQ(r.left, 80);
    EXPECT_EQ(r.bottom - r.top, 300);
    form.hide();
    EXPECT_FALSE(IsWindowVisible(window));

    // The user moves it: the state follows.
    SetWindowPos(window, nullptr, 90, 95, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(form.rect().left, 90);
    EXPECT_EQ(form.rect().top, 95);
}

TEST_F(UiBackend, MenuBarShowsTheVisibleItemsInTheirState) {
    ProbeForm form;
    form.load();
    HMENU bar = GetMenu(windowOf(form));
    ASSERT_NE(bar, nullptr);
    // The hidden tray container stays out of the bar.
    ASSERT_EQ(GetMenuItemCount(bar), 2);
    EXPECT_EQ(menuText(bar, 0), L"&Archivo");
    EXPECT_EQ(menuText(bar, 1), L"Salir");
    HMENU archivo = GetSubMenu(bar, 0);
    ASSERT_NE(archivo, nullptr);
    ASSERT_EQ(GetMenuItemCount(archivo), 3);
    EXPECT_EQ(menuText(archivo, 0), L"Abrir");
    EXPECT_TRUE(isSeparator(archivo, 1));
    EXPECT_EQ(menuText(archivo, 2), L"Ver");

    form.mnuAbrir.setEnabled(false);
    form.mnuVer.setChecked(true);
    EXPECT_TRUE(GetMenuState(archivo, 0, MF_BYPOSITION) & MF_GRAYED);
    EXPECT_TRUE(GetMenuState(archivo, 2, MF_BYPOSITION) & MF_CHECKED);
    EXPECT_FALSE(GetMenuState(archivo, 2, MF_BYPOSITION) & MF_GRAYED);

    // A hidden item leaves its menu and comes back at its place.
    form.mnuSep.setVisible(false);
    ASSERT_EQ(GetMenuItemCount(archivo), 2);
    EXPECT_EQ(menuText(archivo, 1), L"Ver");
    EXPECT_TRUE(GetMenuState(archivo, 1, MF_BYPOSITION) & MF_CHECKED);
    form.mnuSep.setVisible(true);
    ASSERT_EQ(GetMenuItemCount(archivo), 3);
    EXPECT_TRUE(isSeparator(archivo, 1));

    form.mnuAbrir.setEnabled(true);
    form.mnuVer.setChecked(false);
    EXPECT_FALSE(GetMenuState(archivo, 0, MF_BYPOSITION) & MF_GRAYED);
    EXPECT_FALSE(GetMenuState(archivo, 2, MF_BYPOSITION) & MF_CHECKED);

    form.mnuSalir.setCaption("Sa&lida \xE2\x86\x92");
    EXPECT_EQ(menuText(bar, 1), L"Sa&lida \u2192");

    {
        // An item made after load, as the language menu makes its items.
        MenuItem extra(form, "mmnuExtra", "Extra", &form.mnuArchivo);
        ASSERT_EQ(GetMenuItemCount(archivo), 4);
        EXPECT_EQ(menuText(archivo, 3), L"Extra");
    }
    EXPECT_EQ(GetMenuItemCount(archivo), 3);

    form.mnuTray.setVisible(true);
    EXPECT_EQ(GetMenuItemCount(bar), 3);
    form.mnuTray.setVisible(false);
    EXPECT_EQ(GetMenuItemCount(bar), 2);
}

TEST_F(UiBackend, PostedMenuCommandRunsItsItem) {
    ProbeForm form;
    form.load();
    int abrir = 0, salir = 0;
    form.mnuAbrir.onClick = [&] { ++abrir; };
    form.mnuSalir.onClick = [&] { ++salir; };
    HWND window = windowOf(form);
    HMENU bar = GetMenu(window);
    const UINT abrirId = GetMenuItemID(GetSubMenu(bar, 0), 0);
    const UINT salirId = GetMenuItemID(bar, 1);
    ASSERT_NE(abrirId, static_cast<UINT>(-1));
    ASSERT_NE(abrirId, salirId);

    PostMessageW(window, WM_COMMAND, MAKEWPARAM(abrirId, 0), 0);
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(salirId, 0), 0);
    pump(0);
    EXPECT_EQ(abrir, 1);
    EXPECT_EQ(salir, 1);

    form.mnuAbrir.setEnabled(false);
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(abrirId, 0), 0);
    pump(0);
    EXPECT_EQ(abrir, 1);
}

// While the popup menu tracks, a thread timer presses Down and Enter as a user would.
HWND gPopupOwner = nullptr;
void CALLBACK chooseFirstItem(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    PostMessageW(gPopupOwner, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(gPopupOwner, WM_KEYDOWN, VK_RETURN, 0);
}

TEST_F(UiBackend, PopupMenuOfTheHiddenContainerRunsTheChosenItem) {
    ProbeForm form;
    form.show();
    int abrir = 0, salir = 0;
    form.mnuSTAbrir.onClick = [&] { ++abrir; };
    form.mnuSTSalir.onClick = [&] { ++salir; };
    gPopupOwner = windowOf(form);
    SetTimer(nullptr, 0, 150, chooseFirstItem);
    form.popupMenu(form.mnuTray);
    EXPECT_EQ(abrir, 1);
    EXPECT_EQ(salir, 0);
}

TEST_F(UiBackend, TimerTicksOnlyWhileEnabled) {
    ProbeForm form;
    form.load();
    int ticks = 0;
    form.tmrTick.onTimer = [&] { ++ticks; };
    pump(150);
    EXPECT_EQ(ticks, 0);

    form.tmrTick.setEnabled(true);
    pump(1000, [&] { return ticks >= 2; });
    EXPECT_GE(ticks, 2);

    form.tmrTick.setEnabled(false);
    const int stopped = ticks;
    pump(200);
    EXPECT_EQ(ticks, stopped);

    form.tmrTick.setInterval(20);
    form.tmrTick.setEnabled(true);
    pump(1000, [&] { return ticks > stopped; });
    EXPECT_GT(ticks, stopped);
}

TEST_F(UiBackend, ListViewShowsColumnsItemsIconsAndOrder) {
    ProbeForm form;
    form.show();
    HWND list = FindWindowExW(windowOf(form), nullptr, WC_LISTVIEWW, nullptr);
    ASSERT_NE(list, nullptr);
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    ASSERT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0), ListView::kDefaultColumnWidth);
    form.lsvLista.setColumnWidth(0, 150);
    form.lsvLista.setColumn(1, "Clase de ventana");
    EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0), 150);
    wchar_t buffer[64] = {};
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT;
    column.pszText = buffer;
    column.cchTextMax = 64;
    SendMessageW(list, LVM_GETCOLUMNW, 1, reinterpret_cast<LPARAM>(&column));
    EXPECT_STREQ(buffer, L"Clase de ventana");

    EXPECT_EQ(form.imlIcons.add(ImageList::Pixels(16 * 16, 0xFFFF0000u)), 1);
    ListItem notepad{"Bloc de notas", {"Notepad", "por t\xC3\xADtulo"}, "0x10", 1, false};
    ListItem calc{"Calc", {"SciCalc"}, "0x20", 0, false};
    ListItem tree{"\xC3\xA1rbol", {"Tree", "clase"}, "0x30", 1, false};
    form.lsvLista.add(notepad);
    form.lsvLista.add(calc);
    form.lsvLista.add(tree);
    ASSERT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_EQ(itemText(list, 0, 0), L"Bloc de notas");
    EXPECT_EQ(itemText(list, 0, 2), L"por t\u00EDtulo");
    EXPECT_EQ(itemText(list, 1, 1), L"SciCalc");
    EXPECT_EQ(itemText(list, 1, 2), L"");
    EXPECT_EQ(itemText(list, 2, 0), L"\u00E1rbol");

    auto images =
        reinterpret_cast<HIMAGELIST>(SendMessageW(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
    ASSERT_NE(images, nullptr);
    EXPECT_EQ(ImageList_GetImageCount(images), 1);
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = 0;
    SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(item.iImage, 0);

    // Several rows selectable, whole rows highlighted.
    EXPECT_FALSE(GetWindowLongPtrW(list, GWL_STYLE) & LVS_SINGLESEL);
    EXPECT_TRUE(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_FULLROWSELECT);

    form.lsvLista.sortBy(1, SortOrder::Descending);
    HDITEMW arrow{};
    arrow.mask = HDI_FORMAT;
    SendMessageW(header, HDM_GETITEMW, 1, reinterpret_cast<LPARAM>(&arrow));
    EXPECT_TRUE(arrow.fmt & HDF_SORTDOWN);
    SendMessageW(header, HDM_GETITEMW, 0, reinterpret_cast<LPARAM>(&arrow));
    EXPECT_FALSE(arrow.fmt & (HDF_SORTDOWN | HDF_SORTUP));
    EXPECT_EQ(firstColumn(list),
              (std::vector<std::wstring>{L"\u00E1rbol", L"Calc", L"Bloc de notas"}));
    // An accented letter sorts with its letter.
    form.lsvLista.sortBy(0, SortOrder::Ascending);
    EXPECT_EQ(firstColumn(list),
              (std::vector<std::wstring>{L"\u00E1rbol", L"Bloc de notas", L"Calc"}));

    form.lsvLista.remove(1);
    EXPECT_EQ(firstColumn(list), (std::vector<std::wstring>{L"\u00E1rbol", L"Calc"}));
    form.lsvLista.clear();
    EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 0);
}

TEST_F(UiBackend, AFormLoadedHiddenMakesItsControlsAtItsFirstShowWithWhatTheyWereGiven) {
    ProbeForm form;
    form.load();
    HWND window = windowOf(form);
    ASSERT_NE(window, nullptr);
    // A hidden window has its menus and timers, but no control windows yet.
    EXPECT_NE(GetMenu(window), nullptr);
    EXPECT_EQ(FindWindowExW(window, nullptr, WC_LISTVIEWW, nullptr), nullptr);
    EXPECT_EQ(FindWindowExW(window, nullptr, L"Static", nullptr), nullptr);

    form.lblTexto.setCaption("Adi\xC3\xB3s");
    EXPECT_EQ(form.imlIcons.add(ImageList::Pixels(16 * 16, 0xFF00FF00u)), 1);
    form.lsvLista.add(ListItem{"Bloc de notas", {"Notepad"}, "0x10", 1, false});
    form.lsvLista.add(ListItem{"Calc", {"SciCalc"}, "0x20", 0, false});
    form.lsvLista.sortBy(0, SortOrder::Descending);
    form.show();
    HWND list = FindWindowExW(window, nullptr, WC_LISTVIEWW, nullptr);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(firstColumn(list), (std::vector<std::wstring>{L"Calc", L"Bloc de notas"}));
    HDITEMW arrow{};
    arrow.mask = HDI_FORMAT;
    SendMessageW(reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0)), HDM_GETITEMW, 0,
                 reinterpret_cast<LPARAM>(&arrow));
    EXPECT_TRUE(arrow.fmt & HDF_SORTDOWN);
    auto images =
        reinterpret_cast<HIMAGELIST>(SendMessageW(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
    ASSERT_NE(images, nullptr);
    EXPECT_EQ(ImageList_GetImageCount(images), 1);
    EXPECT_NE(FindWindowExW(window, nullptr, L"Static", L"Adi\u00F3s"), nullptr);

    // Hidden and shown again: the same controls, not a second set.
    form.hide();
    form.show();
    EXPECT_EQ(FindWindowExW(window, list, WC_LISTVIEWW, nullptr), nullptr);
    EXPECT_EQ(FindWindowExW(window, nullptr, WC_LISTVIEWW, nullptr), list);
}

TEST_F(UiBackend, ListViewSelectionAndClicksTravelBothWays) {
    ProbeForm form;
    form.show();
    HWND list = FindWindowExW(windowOf(form), nullptr, WC_LISTVIEWW, nullptr);
    ASSERT_NE(list, nullptr);
    for (const char* text : {"uno", "dos", "tres"}) form.lsvLista.add({text, {}, "", 0, false});
    const auto selected = [list](int i) {
        return (SendMessageW(list, LVM_GETITEMSTATE, static_cast<WPARAM>(i), LVIS_SELECTED) &
                LVIS_SELECTED) != 0;
    };

    form.lsvLista.setSelected(1, true);
    EXPECT_FALSE(selected(0));
    EXPECT_TRUE(selected(1));

    // The user selects a second row: both stay selected and it is the current one.
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, 2, reinterpret_cast<LPARAM>(&state));
    EXPECT_TRUE(form.lsvLista.items()[1].selected);
    EXPECT_TRUE(form.lsvLista.items()[2].selected);
    EXPECT_EQ(form.lsvLista.selectedIndex(), 2);
    state.stateMask = LVIS_SELECTED;
    state.state = 0;
    SendMessageW(list, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&state));
    EXPECT_FALSE(form.lsvLista.items()[1].selected);

    // A sort keeps the selection with its rows on both sides.
    form.lsvLista.sortBy(0, SortOrder::Ascending);  // dos tres uno
    EXPECT_EQ(form.lsvLista.selectedIndex(), 1);
    EXPECT_FALSE(selected(0));
    EXPECT_TRUE(selected(1));
    EXPECT_FALSE(selected(2));

    int clickedColumn = -1, doubleClicks = 0;
    form.lsvLista.onColumnClick = [&](int c) { clickedColumn = c; };
    form.lsvLista.onDblClick = [&] { ++doubleClicks; };
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    NMHEADERW headerClick{};
    headerClick.hdr.hwndFrom = header;
    headerClick.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(header));
    headerClick.hdr.code = HDN_ITEMCLICKW;
    headerClick.iItem = 2;
    SendMessageW(list, WM_NOTIFY, headerClick.hdr.idFrom, reinterpret_cast<LPARAM>(&headerClick));
    EXPECT_EQ(clickedColumn, 2);

    RECT row{};
    row.left = LVIR_BOUNDS;
    SendMessageW(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
    const LPARAM at = MAKELPARAM(row.left + 10, (row.top + row.bottom) / 2);
    SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    SendMessageW(list, WM_LBUTTONUP, 0, at);
    EXPECT_EQ(doubleClicks, 1);
}

TEST_F(UiBackend, ControlsMirrorCaptionFontStateAndClicks) {
    ProbeForm form;
    form.show();
    HWND window = windowOf(form);
    HWND label = FindWindowExW(window, nullptr, L"Static", L"Hola");
    ASSERT_NE(label, nullptr);

    form.lblTexto.setFont({"Arial", 12, true});
    auto font = reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    LOGFONTW description{};
    GetObjectW(font, sizeof description, &description);
    EXPECT_STREQ(description.lfFaceName, L"Arial");
    EXPECT_EQ(description.lfWeight, FW_BOLD);
    HDC screen = GetDC(label);
    EXPECT_EQ(description.lfHeight, -MulDiv(12, GetDeviceCaps(screen, LOGPIXELSY), 72));
    ReleaseDC(label, screen);

    form.lblTexto.setCaption("Se\xC3\xB1or");
    EXPECT_EQ(textOf(label), L"Se\u00F1or");
    form.lblTexto.setEnabled(false);
    EXPECT_FALSE(IsWindowEnabled(label));
    form.lblTexto.setVisible(false);
    EXPECT_FALSE(IsWindowVisible(label));
    form.lblTexto.setVisible(true);
    EXPECT_TRUE(IsWindowVisible(label));

    // Only a transparent label leaves its background unpainted.
    HDC dc = GetDC(label);
    const auto brushFor = [&] {
        return reinterpret_cast<HBRUSH>(SendMessageW(window, WM_CTLCOLORSTATIC,
                                                     reinterpret_cast<WPARAM>(dc),
                                                     reinterpret_cast<LPARAM>(label)));
    };
    EXPECT_NE(brushFor(), GetStockObject(NULL_BRUSH));
    form.lblTexto.setTransparent(true);
    EXPECT_EQ(brushFor(), GetStockObject(NULL_BRUSH));
    ReleaseDC(label, dc);

    HWND button = FindWindowExW(window, nullptr, L"Button", L"Cerrar");
    ASSERT_NE(button, nullptr);
    int clicks = 0;
    form.cmdCerrar.onClick = [&] { ++clicks; };
    SendMessageW(button, BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 1);

    Picture picture;
    picture.width = 2;
    picture.height = 2;
    picture.pixels = {0xFF0000FFu, 0xFF00FF00u, 0xFFFF0000u, 0xFFFFFFFFu};
    form.imgLogo.setPicture(picture);
    HWND image = nullptr;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if ((GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP) image = child;
    ASSERT_NE(image, nullptr);
    EXPECT_NE(SendMessageW(image, STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
    RECT r{};
    GetClientRect(image, &r);
    EXPECT_EQ(r.right, 32);
    EXPECT_EQ(r.bottom, 32);
}

class FramedForm : public Form {
public:
    FramedForm()
        : Form("frmUiFramed", "Framed", {120, 120, 300, 200}),
          fraBuscarEn(*this, "fraBuscarEn", "Buscar en", {10, 10, 260, 120}),
          cmdDentro(*this, "cmdDentro", "Dentro", {20, 30, 100, 26}),
          lblDentro(*this, "lblDentro", "Etiqueta", {20, 70, 100, 20}) {
        cmdDentro.container = &fraBuscarEn;
        lblDentro.container = &fraBuscarEn;
    }
    Frame fraBuscarEn;
    CommandButton cmdDentro;
    Label lblDentro;
};

TEST_F(UiBackend, ControlsInAContainerSitInItAndStillReachTheForm) {
    FramedForm form;
    form.show();
    HWND frame = FindWindowExW(windowOf(form), nullptr, L"Button", L"Buscar en");
    ASSERT_NE(frame, nullptr);
    HWND button = FindWindowExW(frame, nullptr, L"Button", L"Dentro");
    ASSERT_NE(button, nullptr);
    RECT r{};
    GetWindowRect(button, &r);
    MapWindowPoints(nullptr, frame, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 20);
    EXPECT_EQ(r.top, 30);

    int clicks = 0;
    form.cmdDentro.onClick = [&] { ++clicks; };
    SendMessageW(button, BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 1);

    HWND label = FindWindowExW(frame, nullptr, L"Static", L"Etiqueta");
    ASSERT_NE(label, nullptr);
    form.lblDentro.setTransparent(true);
    HDC dc = GetDC(label);
    EXPECT_EQ(SendMessageW(frame, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                           reinterpret_cast<LPARAM>(label)),
              reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)));
    ReleaseDC(label, dc);

    // Hiding the container hides what it holds.
    form.fraBuscarEn.setVisible(false);
    EXPECT_FALSE(IsWindowVisible(button));
    EXPECT_TRUE(form.cmdDentro.visible());
    form.unload();
    EXPECT_FALSE(IsWindow(frame));
}

TEST_F(UiBackend, CloseBoxRunsTheUnloadUnlessCancelled) {
    ProbeForm form;
    form.show();
    HWND window = windowOf(form);
    form.events.clear();

    form.cancelUnload = true;
    SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(form.loaded());
    EXPECT_EQ(form.events, std::vector<std::string>{"QueryUnload"});

    form.cancelUnload = false;
    SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(form.loaded());
    EXPECT_EQ(form.hWnd(), 0u);
    EXPECT_EQ(form.events, (std::vector<std::string>{"QueryUnload", "QueryUnload", "Unload"}));
    EXPECT_EQ(form.modes,
              (std::vector<UnloadMode>{UnloadMode::ControlMenu, UnloadMode::ControlMenu}));
}

TEST_F(UiBackend, CloseAskedByAnotherProgramIsToldApartFromTheUsersClose) {
    ProbeForm form;
    form.show();
    HWND window = windowOf(form);
    form.cancelUnload = true;

    // The system menu's Close and Alt+F4 arrive as SC_CLOSE, the low bits set by the system.
    PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE | 0x0002, 0);
    pump(200, [&] { return !form.modes.empty(); });
    // What a task list or taskkill without /F sends.
    PostMessageW(window, WM_CLOSE, 0, 0);
    pump(200, [&] { return form.modes.size() == 2; });
    EXPECT_EQ(form.modes,
              (std::vector<UnloadMode>{UnloadMode::ControlMenu, UnloadMode::TaskManager}));
    EXPECT_TRUE(form.loaded()) << "both were cancelled";

    // Other system commands keep their usual meaning.
    form.modes.clear();
    SendMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    pump(100);
    EXPECT_TRUE(form.modes.empty());
    EXPECT_TRUE(IsIconic(window));

    form.cancelUnload = false;
    PostMessageW(window, WM_CLOSE, 0, 0);
    pump(2000, [&] { return !form.loaded(); });
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(form.modes, std::vector<UnloadMode>{UnloadMode::TaskManager});
}

TEST_F(UiBackend, EndOfSessionRunsTheUnload) {
    ProbeForm form;
    form.load();
    HWND window = windowOf(form);
    EXPECT_EQ(SendMessageW(window, WM_QUERYENDSESSION, 0, 0), TRUE);
    SendMessageW(window, WM_ENDSESSION, FALSE, 0);  // the session goes on
    EXPECT_TRUE(form.loaded());
    SendMessageW(window, WM_ENDSESSION, TRUE, 0);
    EXPECT_FALSE(form.loaded());
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(form.modes, std::vector<UnloadMode>{UnloadMode::WindowsSession});

    // Loaded again, it has a new window of the same class.
    form.load();
    EXPECT_TRUE(IsWindow(windowOf(form)));
    EXPECT_EQ(FindWindowW(L"KVR_frmUiProbe", nullptr), windowOf(form));
}

TEST_F(UiBackend, MinimiseAndRestoreReachTheForm) {
    ProbeForm form;
    form.show();
    HWND window = windowOf(form);
    form.events.clear();

    form.setWindowState(WindowState::Minimized);
    EXPECT_TRUE(IsIconic(window));
    EXPECT_EQ(form.events, std::vector<std::string>{"Resize"});

    // The system restores it: the state follows and the form hears of it.
    ShowWindow(window, SW_RESTORE);
    EXPECT_FALSE(IsIconic(window));
    EXPECT_EQ(form.windowState(), WindowState::Normal);
    EXPECT_EQ(form.events, (std::vector<std::string>{"Resize", "Resize"}));

    // A hidden window takes its state when shown.
    form.hide();
    form.setWindowState(WindowState::Minimized);
    EXPECT_FALSE(IsWindowVisible(window));
    form.show();
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(IsIconic(window));
    form.setWindowState(WindowState::Normal);
    EXPECT_FALSE(IsIconic(window));

    // Brought to the top, it is above a window made after it.
    HWND other = CreateWindowExW(0, L"Static", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    const auto above = [](HWND a, HWND b) {
        for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
            if (w == a) return true;
            if (w == b) return false;
        }
        return false;
    };
    EXPECT_TRUE(above(other, window));
    form.bringToTop();
    EXPECT_TRUE(above(window, other));
    DestroyWindow(other);
}

// The same script with and without a backend: forms hear of resizes at the same moments.
std::vector<std::string> resizeScript(bool withBackend, Backend& backend) {
    setBackend(withBackend ? &backend : nullptr);
    std::vector<std::string> heard;
    {
        ProbeForm form;
        form.events.reserve(64);
        const auto mark = [&](const char* step) {
            for (const std::string& e : form.events)
                heard.push_back(std::string(step) + ":" + e + ":" +
                                std::to_string(static_cast<int>(form.windowState())));
            form.events.clear();
        };
        form.load();
        mark("load");
        form.setRect({60, 50, 500, 340});
        mark("resize-hidden");
        form.show();
        mark("first-show");
        form.hide();
        form.show();
        mark("show-again");
        form.setWindowState(WindowState::Minimized);
        mark("minimise");
        form.hide();
        form.setWindowState(WindowState::Normal);
        mark("normal-hidden");
        form.show();
        mark("show-normal");
        form.setWindowState(WindowState::Minimized);
        mark("minimise-again");
        form.hide();
        form.show();
        mark("show-minimised-again");
        form.setWindowState(WindowState::Normal);
        mark("restore");
        form.unload();
        mark("unload");
    }
    setBackend(&backend);
    return heard;
}

TEST_F(UiBackend, StateLayerReportsResizesWhenTheRealWindowDoes) {
    const auto real = resizeScript(true, backend_);
    const auto alone = resizeScript(false, backend_);
    EXPECT_EQ(real, alone);
    // And the moments are the expected ones.
    EXPECT_EQ(real, (std::vector<std::string>{
                        "load:Load:0", "resize-hidden:Resize:0", "first-show:Resize:0",
                        "minimise:Resize:1", "show-normal:Resize:0", "minimise-again:Resize:1",
                        "restore:Resize:0", "unload:QueryUnload:0", "unload:Unload:0"}));
}

class DialogForm : public Form {
public:
    explicit DialogForm(HWND owner)
        : Form("frmUiDialog", "Dialog", {100, 100, 200, 120}),
          tmrClose(*this, "tmrClose", 50, false),
          owner_(owner) {
        borderStyle = BorderStyle::FixedDialog;
    }
    Timer tmrClose;
    bool ownerEnabledMeanwhile = true;

protected:
    bool Form_QueryUnload(UnloadMode) override {
        ownerEnabledMeanwhile = IsWindowEnabled(owner_) != FALSE;
        return false;
    }

private:
    HWND owner_;
};

TEST_F(UiBackend, ModalFormReturnsWhenGoneAndFreesItsOwner) {
    ProbeForm owner;
    owner.show();
    HWND ownerWindow = windowOf(owner);

    DialogForm dialog(ownerWindow);
    dialog.load();
    PostMessageW(windowOf(dialog), WM_CLOSE, 0, 0);
    dialog.showModal(&owner);
    EXPECT_FALSE(dialog.loaded());
    EXPECT_FALSE(dialog.ownerEnabledMeanwhile);
    EXPECT_TRUE(IsWindowEnabled(ownerWindow));

    // Hidden by its own code, the dialog returns too.
    DialogForm second(ownerWindow);
    second.tmrClose.onTimer = [&] { second.hide(); };
    second.tmrClose.setEnabled(true);
    second.showModal(&owner);
    EXPECT_TRUE(second.loaded());
    EXPECT_FALSE(second.visible());
    EXPECT_TRUE(IsWindowEnabled(ownerWindow));
}

TEST_F(UiBackend, HandlersMayUnloadOrDestroyTheirForm) {
    // A timer whose tick unloads its own form, as the splash window's hand-over does.
    ProbeForm splash;
    splash.load();
    HWND splashWindow = windowOf(splash);
    splash.tmrTick.onTimer = [&] { splash.unload(); };
    splash.tmrTick.setEnabled(true);
    pump(1000, [&] { return !splash.loaded(); });
    EXPECT_FALSE(splash.loaded());
    EXPECT_FALSE(IsWindow(splashWindow));

    // A menu command that destroys the whole form object while its window handles it.
    auto form = std::make_unique<ProbeForm>();
    form->load();
    HWND window = windowOf(*form);
    const UINT salirId = GetMenuItemID(GetMenu(window), 1);
    form->mnuSalir.onClick = [&] { form.reset(); };
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(salirId, 0), 0);
    pump(200, [&] { return form == nullptr; });
    EXPECT_EQ(form, nullptr);
    EXPECT_FALSE(IsWindow(window));
    // Messages that still reach the window's handle find nothing to call.
    PostMessageW(window, WM_CLOSE, 0, 0);
    pump(50);
}

}  // namespace
}  // namespace kvr::ui
