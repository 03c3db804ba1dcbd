#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ui/controls.h"
#include "ui/form.h"

namespace kvr::ui {
namespace {

using Strings = std::vector<std::string>;

// A form that records what the toolkit asks of it.
class TestForm : public Form {
public:
    TestForm() : Form("frmTest", "Test", {10, 20, 300, 200}) {}

    std::vector<std::string> events;
    bool cancelUnload = false;
    std::vector<UnloadMode> modes;
    std::function<void()> duringUnload;

protected:
    void Form_Load() override { events.push_back("Load"); }
    bool Form_QueryUnload(UnloadMode mode) override {
        events.push_back("QueryUnload");
        modes.push_back(mode);
        return cancelUnload;
    }
    void Form_Unload() override {
        events.push_back("Unload");
        if (duringUnload) duringUnload();
    }
    void Form_Resize() override { events.push_back("Resize"); }
};

std::vector<std::string> names(const Form& form) {
    std::vector<std::string> result;
    for (const Control* control : form.controls()) result.push_back(control->name());
    return result;
}

ListItem row(std::string text, std::vector<std::string> subItems = {}) {
    ListItem item;
    item.text = std::move(text);
    item.subItems = std::move(subItems);
    return item;
}

std::vector<std::string> texts(const ListView& list) {
    std::vector<std::string> result;
    for (const ListItem& item : list.items()) result.push_back(item.text);
    return result;
}

// ---------------------------------------------------------------------------------------------

TEST(UiForm, ControlsJoinInDesignOrderAndLeaveWhenDestroyed) {
    TestForm form;
    Label label(form, "lblTitulo", "0123");
    CommandButton button(form, "cmdCerrar", "0021");
    {
        Timer timer(form, "tmrPopUp", 10, false);
        EXPECT_EQ(names(form), (Strings{"lblTitulo", "cmdCerrar", "tmrPopUp"}));
        EXPECT_EQ(form.find("tmrPopUp"), &timer);
    }
    EXPECT_EQ(names(form), (Strings{"lblTitulo", "cmdCerrar"}));
    EXPECT_EQ(form.find("tmrPopUp"), nullptr);

    Label first(form, "lblVentanas", "0107");
    first.index = 0;
    Label second(form, "lblVentanas", "0108");
    second.index = 1;
    EXPECT_EQ(form.find("lblVentanas"), &first);
    EXPECT_EQ(form.find("lblVentanas", 1), &second);
    EXPECT_EQ(form.find("lblVentanas", 2), nullptr);
}

TEST(UiForm, ClicksAndTicksReachOnlyEnabledControls) {
    TestForm form;
    CommandButton button(form, "cmdCerrar", "0021");
    MenuItem tray(form, "mnuTray", "mnuSTray");
    MenuItem exit(form, "mnuSTSalir", "0051", &tray);
    Timer timer(form, "tmrPopUp", 10, false);
    int clicks = 0, menuClicks = 0, ticks = 0;
    button.onClick = [&] { ++clicks; };
    exit.onClick = [&] { ++menuClicks; };
    timer.onTimer = [&] { ++ticks; };

    button.click();
    button.setEnabled(false);
    button.click();
    EXPECT_EQ(clicks, 1);

    // A hidden container does not stop its items from running when called.
    tray.setVisible(false);
    exit.click();
    exit.setEnabled(false);
    exit.click();
    EXPECT_EQ(menuClicks, 1);

    timer.tick();
    timer.setEnabled(true);
    timer.tick();
    timer.setInterval(0);
    timer.tick();
    EXPECT_EQ(ticks, 1);
}

TEST(UiForm, HandlerMayDestroyItsOwnControl) {
    TestForm form;
    auto button = std::make_unique<CommandButton>(form, "cmdCerrar", "0021");
    int clicks = 0;
    button->onClick = [&] {
        button.reset();
        ++clicks;
    };
    button->click();
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(form.controls().empty());
}

TEST(UiForm, LoadRunsFormLoadOnceAndShowLoadsFirst) {
    TestForm form;
    EXPECT_FALSE(form.loaded());
    form.show();
    EXPECT_TRUE(form.loaded());
    EXPECT_TRUE(form.visible());
    form.load();
    EXPECT_EQ(form.events, (Strings{"Load", "Resize"}));  // the first show reports a size
    form.hide();
    EXPECT_FALSE(form.visible());
    EXPECT_TRUE(form.loaded());
}

TEST(UiForm, UnloadAsksQueryUnloadAndMayBeCancelled) {
    TestForm form;
    form.show();
    form.events.clear();

    form.cancelUnload = true;
    EXPECT_FALSE(form.unload(UnloadMode::ControlMenu));
    EXPECT_TRUE(form.loaded());
    EXPECT_TRUE(form.visible());
    EXPECT_EQ(form.events, (Strings{"QueryUnload"}));

    form.cancelUnload = false;
    EXPECT_TRUE(form.unload(UnloadMode::WindowsSession));
    EXPECT_FALSE(form.loaded());
    EXPECT_FALSE(form.visible());
    EXPECT_EQ(form.events, (Strings{"QueryUnload", "QueryUnload", "Unload"}));
    EXPECT_EQ(form.modes,
              (std::vector<UnloadMode>{UnloadMode::ControlMenu, UnloadMode::WindowsSession}));

    // Loaded again, it runs its load again.
    form.events.clear();
    form.load();
    EXPECT_EQ(form.events, (Strings{"Load"}));
}

TEST(UiForm, UnloadIsSafeWhenReentered) {
    TestForm form;
    form.load();
    form.events.clear();
    form.duringUnload = [&] { EXPECT_TRUE(form.unload(UnloadMode::Code)); };
    EXPECT_TRUE(form.unload());
    EXPECT_EQ(form.events, (Strings{"QueryUnload", "Unload"}));
    EXPECT_FALSE(form.loaded());

    // A second unload of an unloaded form asks nothing.
    EXPECT_TRUE(form.unload());
    EXPECT_EQ(form.events, (Strings{"QueryUnload", "Unload"}));
}

TEST(UiForm, ResizeComesWhenARealWindowWouldReportOne) {
    TestForm form;
    form.load();
    form.events.clear();
    form.setRect({5, 5, 300, 200});  // moved only
    EXPECT_TRUE(form.events.empty());
    form.setRect({5, 5, 320, 200});  // resized, though hidden
    EXPECT_EQ(form.events, (Strings{"Resize"}));

    form.show();  // the first show after load
    EXPECT_EQ(form.events, (Strings{"Resize", "Resize"}));
    form.hide();
    form.show();
    EXPECT_EQ(form.events.size(), 2u);

    form.setWindowState(WindowState::Minimized);
    form.setWindowState(WindowState::Minimized);
    EXPECT_EQ(form.events.size(), 3u);
    EXPECT_EQ(form.windowState(), WindowState::Minimized);

    // Hidden, the state is remembered and reported when shown in it.
    form.hide();
    form.setWindowState(WindowState::Normal);
    EXPECT_EQ(form.events.size(), 3u);
    form.show();
    EXPECT_EQ(form.events.size(), 4u);
    // Hidden minimised and shown minimised again: nothing changes size.
    form.setWindowState(WindowState::Minimized);
    form.hide();
    form.show();
    EXPECT_EQ(form.events.size(), 5u);

    // Loaded again, the first show reports again.
    form.unload();
    form.events.clear();
    form.setWindowState(WindowState::Normal);
    form.show();
    EXPECT_EQ(form.events, (Strings{"Load", "Resize"}));
}

TEST(UiForm, UserResizesAndMovesUpdateTheState) {
    TestForm form;
    form.load();
    form.events.clear();
    form.userResized({1, 2, 3, 4}, WindowState::Maximized);
    EXPECT_EQ(form.windowState(), WindowState::Maximized);
    EXPECT_EQ(form.rect().width, 3);
    EXPECT_EQ(form.events, (Strings{"Resize"}));
    form.userMoved({7, 8, 3, 4});
    EXPECT_EQ(form.rect().left, 7);
    EXPECT_EQ(form.events.size(), 1u);
}

TEST(UiForm, HandleComesFromTheTestHandleWithoutBackend) {
    TestForm form;
    EXPECT_EQ(form.hWnd(), 0u);
    form.setTestHandle(0x1234);
    form.load();
    EXPECT_EQ(form.hWnd(), 0x1234u);
    // Without a backend these simply do nothing.
    MenuItem tray(form, "mnuTray", "mnuSTray");
    form.popupMenu(tray);
    form.bringToTop();
    form.showModal();
    EXPECT_TRUE(form.visible());
}

// ---------------------------------------------------------------------------------------------

TEST(UiListView, SortsByColumnTextWithoutCaseAndFlipsOrder) {
    TestForm form;
    ListView list(form, "lsvVentanas", {"Titulo ", "Clase ", "OcultoX"});
    list.add(row("beta", {"Notepad", "x"}));
    list.add(row("Alpha", {"calc"}));
    list.add(row("gamma", {"Bcls", "y"}));
    list.add(row("alpha", {"acls"}));
    EXPECT_FALSE(list.sorted());

    list.sortBy(0, SortOrder::Ascending);
    EXPECT_TRUE(list.sorted());
    // "Alpha" and "alpha" compare equal and keep the order they were added in.
    EXPECT_EQ(texts(list), (Strings{"Alpha", "alpha", "beta", "gamma"}));

    list.sortBy(0, SortOrder::Descending);
    EXPECT_EQ(texts(list), (Strings{"gamma", "beta", "Alpha", "alpha"}));

    // Column 1 is the first sub-item.
    list.sortBy(1, SortOrder::Ascending);
    EXPECT_EQ(texts(list), (Strings{"alpha", "gamma", "Alpha", "beta"}));
    EXPECT_EQ(list.sortKey(), 1);

    // A missing sub-item sorts as empty text.
    list.sortBy(2, SortOrder::Descending);
    EXPECT_EQ(texts(list), (Strings{"gamma", "beta", "alpha", "Alpha"}));
    EXPECT_EQ(list.sortOrder(), SortOrder::Descending);
}

TEST(UiListView, AccentedAndCyrillicCapitalsSortWithTheirSmallLetters) {
    TestForm form;
    ListView list(form, "lsvVentanas", {"Titulo ", "Clase "});
    for (const char* title :
         {"éclair", "Zebra", "Éclair", "жук", "Жаба", "apple", "Eclair", "ЖУК"}) {
        list.add(row(title));
    }
    // Case and accents never split equal letters apart; the accent decides after the letters,
    // and texts that differ only in case keep their order both ways.
    list.sortBy(0, SortOrder::Ascending);
    EXPECT_EQ(texts(list),
              (Strings{"apple", "Eclair", "éclair", "Éclair", "Zebra", "Жаба", "жук", "ЖУК"}));
    list.sortBy(0, SortOrder::Descending);
    EXPECT_EQ(texts(list),
              (Strings{"жук", "ЖУК", "Жаба", "Zebra", "éclair", "Éclair", "Eclair", "apple"}));

    // New rows join their equals, after them.
    list.add(row("ÉCLAIR"));
    list.add(row("жаба"));
    EXPECT_EQ(texts(list), (Strings{"жук", "ЖУК", "Жаба", "жаба", "Zebra", "éclair", "Éclair",
                                    "ÉCLAIR", "Eclair", "apple"}));

    // The other columns sort the same way.
    ListView classes(form, "lsvClases", {"Titulo ", "Clase "});
    classes.add(row("1", {"Ёлка"}));
    classes.add(row("2", {"Elk"}));
    classes.add(row("3", {"ёлка"}));
    classes.add(row("4", {"Ель"}));
    classes.sortBy(1, SortOrder::Ascending);
    EXPECT_EQ(texts(classes), (Strings{"2", "4", "1", "3"}));
}

TEST(UiListView, SortKeepsTheOrderOfEqualItemsInLongLists) {
    TestForm form;
    ListView list(form, "lsvVentanas", {"Titulo ", "Clase "});
    // Enough rows that a sort which is not stable shows it.
    for (int i = 0; i < 60; ++i) {
        ListItem item = row(std::to_string(i), {i % 3 == 0 ? "Notepad" : (i % 3 == 1 ? "b" : "C")});
        list.add(item);
    }
    for (SortOrder order : {SortOrder::Ascending, SortOrder::Descending}) {
        list.sortBy(0, SortOrder::Ascending);  // scramble the arrival order a little
        list.sortBy(1, order);
        std::string previousClass;
        int previous = -1;
        for (const ListItem& item : list.items()) {
            const int number = std::stoi(item.text);
            if (item.subItems[0] == previousClass) {
                // Equal classes keep the text order the previous sort left.
                EXPECT_LT(std::to_string(previous), item.text);
            }
            previousClass = item.subItems[0];
            previous = number;
        }
    }
    EXPECT_EQ(list.items().front().subItems[0], "Notepad");  // descending: N > C > b
}

TEST(UiListView, ColumnClicksFlipOrderWhicheverColumn) {
    // The main window flips the order on every header click and sorts by the clicked column.
    TestForm form;
    ListView list(form, "lsvVentanas", {"Titulo ", "Clase ", "OcultoX"});
    list.setSortOrder(SortOrder::Descending);
    EXPECT_FALSE(list.sorted());
    list.add(row("b", {"2"}));
    list.add(row("a", {"3"}));
    list.add(row("c", {"1"}));
    EXPECT_EQ(texts(list), (Strings{"b", "a", "c"}));  // not sorted yet

    list.onColumnClick = [&](int column) {
        list.sortBy(column, list.sortOrder() == SortOrder::Ascending ? SortOrder::Descending
                                                                     : SortOrder::Ascending);
    };
    list.onColumnClick(0);
    EXPECT_EQ(texts(list), (Strings{"a", "b", "c"}));
    list.onColumnClick(0);
    EXPECT_EQ(texts(list), (Strings{"c", "b", "a"}));
    list.onColumnClick(1);
    EXPECT_EQ(texts(list), (Strings{"c", "b", "a"}));  // ascending by "1", "2", "3"
    list.onColumnClick(1);
    EXPECT_EQ(texts(list), (Strings{"a", "b", "c"}));
}

TEST(UiListView, AddKeepsASortedListInOrder) {
    TestForm form;
    ListView list(form, "lsvVentanas", {"Titulo "});
    list.sortBy(0, SortOrder::Ascending);
    for (const char* text : {"m", "C", "x", "a", "c"}) list.add(row(text));
    EXPECT_EQ(texts(list), (Strings{"a", "C", "c", "m", "x"}));

    list.setSortOrder(SortOrder::Descending);
    EXPECT_EQ(texts(list), (Strings{"x", "m", "C", "c", "a"}));
    list.add(row("d"));
    list.add(row("M"));
    EXPECT_EQ(texts(list), (Strings{"x", "m", "M", "d", "C", "c", "a"}));

    list.setSorted(false);
    list.add(row("z"));
    EXPECT_EQ(texts(list).back(), "z");
}

TEST(UiListView, SelectionFollowsItsItemThroughSortAddAndRemove) {
    TestForm form;
    ListView list(form, "lsvVentanas", {"Titulo "});
    EXPECT_EQ(list.selectedIndex(), -1);
    list.add(row("c"));
    list.add(row("a"));
    list.add(row("b"));
    list.setSelected(0, true);  // "c"
    list.setSelected(2, true);  // "b", now the current one
    EXPECT_EQ(list.selectedIndex(), 2);

    list.sortBy(0, SortOrder::Ascending);  // a b c
    EXPECT_EQ(list.selectedIndex(), 1);
    EXPECT_TRUE(list.items()[2].selected);

    list.add(row("0"));  // goes first
    EXPECT_EQ(list.selectedIndex(), 2);

    // Without a selected current item, the first selected one answers.
    list.setSelected(2, false);
    EXPECT_EQ(list.selectedIndex(), 3);

    list.userSelected(1, true, true);  // "a" by the user
    EXPECT_EQ(list.selectedIndex(), 1);
    list.remove(0);
    EXPECT_EQ(list.selectedIndex(), 0);
    list.remove(0);  // the current item goes; "c" is still selected
    EXPECT_EQ(list.selectedIndex(), 1);
    EXPECT_EQ(texts(list), (Strings{"b", "c"}));

    list.remove(9);  // out of range: nothing
    list.setSelected(9, true);
    list.userSelected(9, true, true);
    EXPECT_EQ(list.count(), 2u);

    list.clear();
    EXPECT_EQ(list.count(), 0u);
    EXPECT_EQ(list.selectedIndex(), -1);
}

TEST(UiListView, ColumnsKeepTheirNumber) {
    TestForm form;
    ListView list(form, "lsvVentanas", {"Titulo ", "Clase "});
    EXPECT_EQ(list.columnWidth(1), ListView::kDefaultColumnWidth);
    list.setColumn(1, "Class");
    list.setColumn(5, "ignored");
    list.setColumnWidth(0, 240);
    list.setColumnWidth(5, 10);
    EXPECT_EQ(list.columns(), (Strings{"Titulo ", "Class"}));
    EXPECT_EQ(list.columnWidth(0), 240);
    EXPECT_EQ(list.columnWidth(5), 0);
}

// ---------------------------------------------------------------------------------------------

TEST(UiToolbar, PressReachesOnlyEnabledButtonsOfAnEnabledToolbar) {
    TestForm form;
    Toolbar bar(form, "tlbPpal",
                {{"MostrarTodas", "0032", 1}, {"", "", 0, true}, {"Salir", "0051", 2}});
    std::vector<std::string> pressed;
    bar.onButtonClick = [&](const ToolButton& button) { pressed.push_back(button.key); };

    bar.press("Salir");
    bar.press("Nada");
    bar.press("");  // the separator
    ToolButton off = bar.buttons()[0];
    off.enabled = false;
    bar.setButton(0, off);
    bar.press("MostrarTodas");
    bar.setEnabled(false);
    bar.press("Salir");
    EXPECT_EQ(pressed, (Strings{"Salir"}));
}

TEST(UiMenuItem, BuildsATreeAndKnowsItsPlace) {
    TestForm form;
    MenuItem ventanas(form, "mnuVentanas", "0026");
    MenuItem ultima(form, "mnuMostrarUltima", "0027", &ventanas);
    MenuItem salir(form, "mnuSalir", "0051");
    MenuItem tray(form, "mnuTray", "mnuSTray");
    {
        MenuItem sep(form, "mnuSep1", "-", &ventanas);
        MenuItem cascada(form, "mnuCascada", "0033", &ventanas);
        EXPECT_EQ(ventanas.children(), (std::vector<MenuItem*>{&ultima, &sep, &cascada}));
        EXPECT_TRUE(sep.separator());
        EXPECT_FALSE(cascada.separator());
        EXPECT_EQ(cascada.menuIndex(), 2);
        EXPECT_EQ(cascada.parent(), &ventanas);
    }
    EXPECT_EQ(ventanas.children(), (std::vector<MenuItem*>{&ultima}));
    EXPECT_EQ(ventanas.menuIndex(), 0);
    EXPECT_EQ(salir.menuIndex(), 1);
    EXPECT_EQ(tray.menuIndex(), 2);
    EXPECT_EQ(salir.parent(), nullptr);

    ultima.setChecked(true);
    EXPECT_TRUE(ultima.checked());
}

TEST(UiChoice, ValuesRaiseClickAndOptionsExcludeEachOtherPerContainer) {
    TestForm form;
    CheckBox mute(form, "chkEnmudecer", "0118");
    Frame frame(form, "fraBuscarEn", "0127");
    OptionButton whole(form, "optCoincidencia", "0125");
    OptionButton part(form, "optCoincidencia", "0126");
    OptionButton start(form, "optDonde", "0128");
    OptionButton anywhere(form, "optDonde", "0129");
    start.container = &frame;
    anywhere.container = &frame;
    std::vector<std::string> clicks;
    mute.onClick = [&] { clicks.push_back("mute"); };
    whole.onClick = [&] { clicks.push_back("whole"); };
    part.onClick = [&] { clicks.push_back("part"); };
    anywhere.onClick = [&] { clicks.push_back("anywhere"); };

    mute.setValue(1);
    mute.setValue(1);  // no change, no click
    mute.click();      // the user unticks it
    EXPECT_EQ(mute.value(), 0);
    mute.setEnabled(false);
    mute.click();
    EXPECT_EQ(mute.value(), 0);
    mute.setValue(1);  // code still raises the click of a disabled box
    EXPECT_EQ(clicks, (Strings{"mute", "mute", "mute"}));

    clicks.clear();
    part.setValue(true);
    anywhere.setValue(true);
    whole.click();
    EXPECT_TRUE(whole.value());
    EXPECT_FALSE(part.value());
    EXPECT_TRUE(anywhere.value());  // another container
    start.setValue(true);
    EXPECT_FALSE(anywhere.value());
    whole.click();  // already selected
    EXPECT_EQ(clicks, (Strings{"part", "anywhere", "whole"}));
}

TEST(UiChoice, TextComboAndTabsReportChangesOnly) {
    TestForm form;
    TextBox text(form, "ntxtTitulo", "");
    ComboBox combo(form, "ncmbTecla");
    TabStrip tabs(form, "tbsConfig", {{"MKey", "0140", ""}, {"HKey", "0103", ""}});
    int changes = 0, comboClicks = 0, tabClicks = 0;
    text.onChange = [&] { ++changes; };
    combo.onClick = [&] { ++comboClicks; };
    tabs.onClickTab = [&] { ++tabClicks; };

    text.setText("Notepad");
    text.setText("Notepad");
    EXPECT_EQ(changes, 1);

    combo.addItem("Alt");
    combo.addItem("Ctrl");
    combo.setListIndex(1);
    combo.setListIndex(1);
    combo.setListIndex(2);  // out of range
    EXPECT_EQ(combo.listIndex(), 1);
    combo.clear();
    EXPECT_EQ(combo.listIndex(), -1);
    EXPECT_EQ(comboClicks, 1);

    EXPECT_EQ(tabs.selectedIndex(), 0);
    tabs.select(1);
    tabs.select(1);
    tabs.select(2);
    EXPECT_EQ(tabs.selectedIndex(), 1);
    EXPECT_EQ(tabClicks, 1);
}

TEST(UiImageList, AddReturnsOneBasedIndexAndFitsThePixels) {
    TestForm form;
    ImageList icons(form, "imlApp", 2);
    EXPECT_EQ(icons.add({1, 2, 3, 4}), 1);
    EXPECT_EQ(icons.add({5}), 2);
    EXPECT_EQ(icons.add({1, 2, 3, 4, 5, 6}), 3);
    EXPECT_EQ(icons.images()[1], (ImageList::Pixels{5, 0, 0, 0}));
    EXPECT_EQ(icons.images()[2].size(), 4u);
}

TEST(UiImageList, ControlsForgetAnImageListThatGoes) {
    TestForm form;
    ListView list(form, "lsvVentanas", {"Titulo "});
    Toolbar bar(form, "tlbPpal", {});
    auto icons = std::make_unique<ImageList>(form, "imlApp");
    list.smallIcons = icons.get();
    bar.images = icons.get();
    icons.reset();
    EXPECT_EQ(list.smallIcons, nullptr);
    EXPECT_EQ(bar.images, nullptr);
}

TEST(UiTreeView, NodesAndSelection) {
    TestForm form;
    TreeView tree(form, "trvLstProc");
    const int root = tree.add({"root", "Procesos", -1, true});
    EXPECT_EQ(tree.add({"p1", "notepad.exe", root, false}), 1);
    tree.setSelectedIndex(1);
    tree.setSelectedIndex(5);
    EXPECT_EQ(tree.selectedIndex(), 1);
    tree.clear();
    EXPECT_EQ(tree.selectedIndex(), -1);
    EXPECT_TRUE(tree.nodes().empty());
}

TEST(UiTreeView, KeysAreUniqueParentsComeFirstAndTheUserSelectsWithoutNotifying) {
    TestForm form;
    TreeView tree(form, "trvLstProc");
    const int root = tree.add({"Desktop", "Mi escritorio", -1, false, 1});
    EXPECT_EQ(tree.add({"a.exe", "C:\\a.exe", root, false, 2}), 1);
    EXPECT_EQ(tree.add({"a.exe", "a.exe", root, false, 3}), -1) << "key in use";
    EXPECT_EQ(tree.add({"b.exe", "b.exe", 7, false, 0}), -1) << "no such parent";
    EXPECT_EQ(tree.add({"", "no key", root}), 2);
    EXPECT_EQ(tree.add({"", "no key either", root}), 3) << "an empty key is none";
    EXPECT_EQ(tree.indexOf("a.exe"), 1);
    EXPECT_EQ(tree.indexOf(""), -1);
    EXPECT_EQ(tree.nodes()[1].image, 2);
    tree.setExpanded(root, true);
    EXPECT_TRUE(tree.nodes()[0].expanded);
    tree.userSelected(1);
    EXPECT_EQ(tree.selectedIndex(), 1);
    tree.userSelected(9);
    EXPECT_EQ(tree.selectedIndex(), 1);
}

TEST(UiImageList, KeyedImagesAreFoundAgainAndAKeyInUseAddsNothing) {
    TestForm form;
    ImageList images(form, "imlProcs", 16);
    EXPECT_EQ(images.add("NoIcon", ImageList::Pixels(256, 1)), 1);
    EXPECT_EQ(images.add(ImageList::Pixels(256, 2)), 2);
    EXPECT_EQ(images.add("app.exe", ImageList::Pixels(256, 3), {{32, ImageList::Pixels(1024, 3)}}),
              3);
    EXPECT_EQ(images.add("app.exe", ImageList::Pixels(256, 4)), 0);
    EXPECT_EQ(images.add("", ImageList::Pixels(256, 5)), 0);
    EXPECT_EQ(images.images().size(), 3u);
    EXPECT_EQ(images.indexOf("app.exe"), 3);
    EXPECT_EQ(images.images()[2][0], 3u);
    EXPECT_EQ(images.variants(3).size(), 1u);
    EXPECT_EQ(images.indexOf("NoIcon"), 1);
    EXPECT_EQ(images.indexOf("other"), 0);
    TreeView tree(form, "trvLstProc");
    tree.images = &images;
    {
        ImageList gone(form, "imlGone", 16);
        tree.images = &gone;
    }
    EXPECT_EQ(tree.images, nullptr) << "a tree forgets an image list that goes";
}

TEST(UiListView, KeyedItemsAndRenamesInPlace) {
    TestForm form;
    ListView list(form, "lsvOcultar", {"Program"});
    ListItem calc;
    calc.text = "calc.exe";
    calc.key = "calc.exe";
    EXPECT_EQ(list.addKeyed(calc), 0);
    EXPECT_EQ(list.addKeyed(calc), -1) << "key in use";
    ListItem noKey;
    noKey.text = "x";
    EXPECT_EQ(list.addKeyed(noKey), 1);
    EXPECT_EQ(list.addKeyed(noKey), 2) << "an empty key is none";
    EXPECT_EQ(list.indexOf("calc.exe"), 0);
    EXPECT_EQ(list.indexOf(""), -1);

    std::vector<std::optional<std::string>> seen;
    bool refuse = false;
    list.onAfterLabelEdit = [&](bool& cancel, const std::optional<std::string>& text) {
        seen.push_back(text);
        cancel = refuse;
    };
    EXPECT_TRUE(list.endLabelEdit(0, "Calculator"));
    EXPECT_EQ(list.items()[0].text, "Calculator");
    EXPECT_EQ(list.items()[0].key, "calc.exe");
    EXPECT_FALSE(list.endLabelEdit(0, std::nullopt)) << "Escape keeps the text";
    refuse = true;
    EXPECT_FALSE(list.endLabelEdit(0, "Other"));
    EXPECT_EQ(list.items()[0].text, "Calculator");
    EXPECT_FALSE(list.endLabelEdit(5, "Nowhere"));
    EXPECT_EQ(seen, (std::vector<std::optional<std::string>>{"Calculator", std::nullopt, "Other"}));
}

// ---------------------------------------------------------------------------------------------
// What a backend sees: a recording backend stands for the real one.

struct Journal {
    std::vector<std::string> lines;
};

class RecordingControlPeer : public ControlPeer {
public:
    RecordingControlPeer(Journal& journal, std::string name) : journal_(journal), name_(name) {
        journal_.lines.push_back("+" + name_);
    }
    ~RecordingControlPeer() override { journal_.lines.push_back("-" + name_); }
    void changed(Control& control, Change what) override {
        journal_.lines.push_back(name_ + " " + std::to_string(static_cast<int>(what)));
    }

private:
    Journal& journal_;
    std::string name_;
};

class RecordingFormPeer : public FormPeer {
public:
    RecordingFormPeer(Journal& journal) : journal_(journal) { journal_.lines.push_back("+form"); }
    ~RecordingFormPeer() override { journal_.lines.push_back("-form"); }
    Hwnd handle() const override { return 0x777; }
    void changed(Form&, Change what) override {
        journal_.lines.push_back("form " + std::to_string(static_cast<int>(what)));
    }
    std::unique_ptr<ControlPeer> createPeer(Control& control) override {
        // Kinds without a real counterpart yet get none.
        if (control.kind() == Kind::Toolbar) return nullptr;
        return std::make_unique<RecordingControlPeer>(journal_, control.name());
    }
    void bringToTop() override { journal_.lines.push_back("top"); }
    void popupMenu(MenuItem& menu) override { journal_.lines.push_back("popup " + menu.name()); }
    void runModal(Form* owner) override {
        journal_.lines.push_back(std::string("modal ") + (owner ? owner->name() : "none"));
    }

private:
    Journal& journal_;
};

class RecordingBackend : public Backend {
public:
    std::unique_ptr<FormPeer> createPeer(Form&) override {
        return std::make_unique<RecordingFormPeer>(journal);
    }
    Journal journal;
};

class UiFormPeer : public ::testing::Test {
protected:
    void SetUp() override { setBackend(&backend); }
    void TearDown() override { setBackend(nullptr); }
    std::vector<std::string>& log() { return backend.journal.lines; }
    RecordingBackend backend;
};

std::string change(const std::string& who, Change what) {
    return who + " " + std::to_string(static_cast<int>(what));
}

TEST_F(UiFormPeer, LoadCreatesPeersInDesignOrderAndUnloadRemovesThemFirst) {
    TestForm form;
    ListView list(form, "lsvVentanas", {"Titulo "});
    ImageList icons(form, "imlApp");
    Label inner(form, "lblTitulo", "0123");
    Frame frame(form, "fraBuscarEn", "0127");
    inner.container = &frame;
    Toolbar bar(form, "tlbPpal", {});
    MenuItem menu(form, "mnuVentanas", "0026");
    form.load();
    EXPECT_EQ(log(), (Strings{"+form", "+imlApp", "+lsvVentanas", "+fraBuscarEn", "+lblTitulo",
                              "+mnuVentanas"}));
    EXPECT_EQ(form.hWnd(), 0x777u);
    EXPECT_EQ(bar.peer(), nullptr);
    bar.setEnabled(false);  // state alone, no peer to tell

    log().clear();
    ASSERT_TRUE(form.unload());
    EXPECT_EQ(log(), (Strings{"-mnuVentanas", "-fraBuscarEn", "-lblTitulo", "-lsvVentanas",
                              "-imlApp", "-form"}));
    EXPECT_EQ(form.hWnd(), 0u);
    EXPECT_EQ(list.peer(), nullptr);

    // Loaded again, the peers come back.
    log().clear();
    form.load();
    EXPECT_NE(list.peer(), nullptr);
    EXPECT_EQ(log().front(), "+form");
}

TEST_F(UiFormPeer, ChangesReachThePeerOnlyWhenTheyChangeSomething) {
    TestForm form;
    MenuItem menu(form, "mnuSalir", "0051");
    Timer timer(form, "tmrPopUp", 10, false);
    ListView list(form, "lsvVentanas", {"Titulo "});
    menu.setCaption("before load");  // no peer yet
    form.load();
    log().clear();

    menu.setEnabled(false);
    menu.setEnabled(false);
    menu.setChecked(true);
    menu.setCaption("Exit");
    menu.setCaption("Exit");
    timer.setEnabled(true);
    timer.setInterval(10);
    timer.setInterval(20);
    list.add(row("x"));
    list.setSelected(0, true);
    list.sortBy(0, SortOrder::Descending);
    form.setCaption("KVR");
    form.show();
    form.setWindowState(WindowState::Minimized);
    form.bringToTop();
    EXPECT_EQ(
        log(),
        (Strings{change("mnuSalir", Change::Enabled), change("mnuSalir", Change::Checked),
                 change("mnuSalir", Change::Caption), change("tmrPopUp", Change::Enabled),
                 change("tmrPopUp", Change::Interval), change("lsvVentanas", Change::Items),
                 change("lsvVentanas", Change::Selection), change("lsvVentanas", Change::Sort),
                 change("form", Change::Caption), change("form", Change::Visible),
                 change("form", Change::WindowState), "top"}));
    // With a real window the resize comes back from it, not from the state change.
    EXPECT_EQ(form.events, (Strings{"Load"}));
}

TEST_F(UiFormPeer, ControlsMadeAfterLoadGetPeersAndPopupAndModalAreForwarded) {
    TestForm form;
    MenuItem languages(form, "mnuLengua", "0038");
    form.load();
    log().clear();
    {
        MenuItem english(form, "mmnuLenguasDisponibles", "English", &languages);
        EXPECT_NE(english.peer(), nullptr);
    }
    form.popupMenu(languages);
    TestForm owner;
    form.showModal(&owner);
    EXPECT_EQ(log(),
              (Strings{"+mmnuLenguasDisponibles", "-mmnuLenguasDisponibles", "popup mnuLengua",
                       change("form", Change::Visible), "modal frmTest"}));
}

TEST_F(UiFormPeer, CancelledUnloadKeepsEveryPeer) {
    TestForm form;
    Label label(form, "lblVersion", "0007");
    form.load();
    log().clear();
    form.cancelUnload = true;
    EXPECT_FALSE(form.unload(UnloadMode::ControlMenu));
    EXPECT_TRUE(log().empty());
    EXPECT_NE(label.peer(), nullptr);
    EXPECT_NE(form.peer(), nullptr);
}

}  // namespace
}  // namespace kvr::ui
