// The program in another language: the main window's texts and what the engine writes into
// its list come from that language's files.
#include "kvr_e2e.h"
#include "probe_listview.h"

namespace e2e {
namespace {

class Language : public KvrTest {};

TEST_F(Language, SpanishTitleMenusAndHiddenByText) {
    const std::string spanish = "Espa\xC3\xB1ol";
    const std::string forms = lngDir() + "\\KVR_" + spanish + ".txt";
    const auto title = probe::languageEntry(forms, "0020");
    const auto windowsMenu = probe::languageEntry(forms, "0026");
    const auto byMouse = probe::languageEntry(lngDir() + "\\KVR_Esp.txt", "006");
    ASSERT_TRUE(title && windowsMenu && byMouse) << "Spanish files incomplete in " << lngDir();

    seed(kDefaults, {{"OI", "0"}, {"OO", "0"}});
    ASSERT_TRUE(probe::regSetString("HKCU\\Software\\ORQ\\KVR\\Language", "Language", spanish));
    auto kvr = start();
    ASSERT_TRUE(hotkeysTaken(combos(kDefaults), kvr));
    HWND main = mainWindow(kvr);
    ASSERT_TRUE(main);
    EXPECT_EQ(probe::windowText(main), *title);
    std::string error;
    const auto menu = probe::menuBarItems(main, &error);
    ASSERT_FALSE(menu.empty()) << error;
    EXPECT_EQ(menu.front().text, *windowsMenu);

    HWND target = probe::createWindow("KvrE2eSpanish", "Ventana secreta");
    MoveWindow(target, 40, 40, 300, 200, TRUE);
    probe::pump(200);
    ASSERT_TRUE(probe::moveMouseOver(target));
    probe::pump(100);  // the server has the new cursor position before the keys arrive
    ASSERT_TRUE(probe::pressKey(16, 120));
    ASSERT_TRUE(pumpUntil([&] { return !probe::isVisible(target); }, 5000));
    // The list shows the engine's record once the hide is over.
    std::optional<std::vector<std::vector<std::string>>> rows;
    pumpUntil(
        [&] {
            rows = probe::listViewRows(probe::findListView(main), 3);
            return rows && rows->size() == 1;
        },
        5000);
    ASSERT_TRUE(rows) << "the main window's list could not be read";
    ASSERT_EQ(rows->size(), 1u);
    EXPECT_EQ((*rows)[0], (std::vector<std::string>{"Ventana secreta", "KvrE2eSpanish",
                                                    probe::splitParts(*byMouse)[0]}));
    screenshot("spanish");

    const auto exit = probe::languageEntry(forms, "0051");
    ASSERT_TRUE(exit);
    const auto id = probe::findMenuCommand(main, *exit, &error);
    ASSERT_TRUE(id) << "no Spanish exit command " << probe::quote(*exit) << ": " << error;
    ASSERT_TRUE(probe::postMenuCommand(main, *id));
    EXPECT_TRUE(pumpUntil([&] { return !kvr.running(); }, kEndTimeoutMs));
    EXPECT_TRUE(probe::isVisible(target));
    DestroyWindow(target);
}

}  // namespace
}  // namespace e2e
