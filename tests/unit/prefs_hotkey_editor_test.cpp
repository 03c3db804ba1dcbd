// The hotkey editor: key names, the keys a key field takes and the text it refuses, and the
// modifier list laid over the modifier field that has the focus.
#include <gtest/gtest.h>

#include "tests/unit/prefs_fixture.h"

namespace kvr {
namespace {

using test::PrefsTest;

class HotkeyEditor : public PrefsTest {};

TEST_F(HotkeyEditor, KeyNamesComeFromTheLayoutAndKeysItDoesNotNameStillGetOne) {
    EXPECT_EQ(KeyName(0x78), "F9");
    EXPECT_EQ(KeyName('Q'), "Q");
    EXPECT_EQ(KeyName(0x60), "Num 0") << "the numeric pad keeps its own names";
    EXPECT_EQ(KeyName(0x67), "Num 7") << "not Home, which shares its scan code";
    fake.keyboard.rename(0x43, "F9-Taste");
    EXPECT_EQ(KeyName(0x78), "F9-Taste") << "whatever the layout calls it";
    // A layout without names for the numeric pad or F13 and up, as Wine on a bare X server.
    fake.keyboard.rename(0x52, "");
    fake.keyboard.rename(0x64, "");
    EXPECT_EQ(KeyName(0x60), "Num 0");
    EXPECT_EQ(KeyName(0x7C), "F13");
    EXPECT_EQ(ModifierText(16), "Shft");
    EXPECT_EQ(ModifierText(19), "");
    EXPECT_EQ(ModifierCode("Ctrl"), 17);
    EXPECT_EQ(ModifierCode("ctrl"), 0);
}

TEST_F(HotkeyEditor, KeyFieldTakesDigitsLettersNumericPadAndFunctionKeysOnly) {
    frmPref& d = open();
    ui::TextBox& key = d.ntxtTecla[0];
    const std::pair<int, const char*> accepted[] = {
        {'0', "0"},      {'9', "9"},   {'A', "A"},    {'Z', "Z"},    {0x60, "Num 0"},
        {0x69, "Num 9"}, {0x70, "F1"}, {0x7B, "F12"}, {0x7C, "F13"}, {0x7F, "F16"}};
    for (const auto& [code, name] : accepted) {
        key.keyDown(code, 0);
        EXPECT_EQ(key.text(), name) << code;
        EXPECT_EQ(key.tag, std::to_string(code));
    }
    // Space, arrows, Escape, the modifiers, F17, punctuation: nothing changes.
    key.keyDown('Q', 0);
    for (int code : {0x20, 0x25, 0x26, 0x1B, 0x10, 0x11, 0x12, 0x80, 0xBA, 0x2F, 0x6A, 0x2E}) {
        key.keyDown(code, ui::shiftmask::kShift);
        EXPECT_EQ(key.text(), "Q") << code;
        EXPECT_EQ(key.tag, "81") << code;
    }
    // The modifiers held with a key do not count: Shift+F5 captures F5 only.
    key.keyDown(0x74, ui::shiftmask::kShift | ui::shiftmask::kCtrl);
    EXPECT_EQ(key.tag, "116");
    EXPECT_EQ(d.ntxtCombo[0].text(), "Shft");
}

TEST_F(HotkeyEditor, QThenShiftLeavesQAndTypedTextNeverGetsIn) {
    frmPref& d = open();
    ui::TextBox& key = d.ntxtTecla[3];
    key.keyDown('Q', 0);
    key.keyDown(0x10, ui::shiftmask::kShift);
    EXPECT_EQ(key.text(), "Q");
    EXPECT_EQ(key.tag, "81");
    key.type("hello \b\b");
    EXPECT_EQ(key.text(), "Q") << "letters, a blank and backspaces are all swallowed";
    EXPECT_EQ(key.tag, "81");
    // Other text boxes take text as usual.
    d.ntxtTitulo.type("Re\xC3\xB1");
    EXPECT_EQ(d.ntxtTitulo.text(), "Re\xC3\xB1");
}

TEST_F(HotkeyEditor, FocusingAModifierFieldLaysTheListOverItWithTheFieldsChoice) {
    frmPref& d = open();
    d.tbsConfig.select(1);
    d.ntxtCombo[4].setFocus();
    EXPECT_TRUE(d.ncmbTecla.visible());
    EXPECT_TRUE(d.ncmbTecla.hasFocus());
    EXPECT_EQ(d.ncmbTecla.items(), (std::vector<std::string>{"Alt", "Ctrl", "Shft"}));
    EXPECT_EQ(d.ncmbTecla.text(), "Ctrl");
    EXPECT_EQ(d.ncmbTecla.tag, "4");
    const ui::Rect& page = d.fraOpciones[1].rect();
    const ui::Rect& field = d.ntxtCombo[4].rect();
    EXPECT_EQ(d.ncmbTecla.rect().left, page.left + field.left);
    EXPECT_EQ(d.ncmbTecla.rect().top, page.top + field.top);
    EXPECT_EQ(d.ncmbTecla.rect().width, field.width);

    // The choice goes into the field when the list loses the focus; the list goes away and
    // Tab goes on to the slot's key field.
    d.ncmbTecla.setListIndex(2);
    EXPECT_EQ(d.ntxtCombo[4].text(), "Ctrl") << "not before the list is left";
    d.dialogKey(ui::key::kTab, 0);
    EXPECT_EQ(d.ntxtCombo[4].text(), "Shft");
    EXPECT_FALSE(d.ncmbTecla.visible());
    EXPECT_EQ(d.activeControl(), &d.ntxtTecla[4]);
    // Back with Shift+Tab: the list again, and before it the previous slot's key field.
    d.dialogKey(ui::key::kTab, ui::shiftmask::kShift);
    EXPECT_TRUE(d.ncmbTecla.hasFocus());
    EXPECT_EQ(d.ncmbTecla.tag, "4");
    EXPECT_EQ(d.ncmbTecla.text(), "Shft");
    d.dialogKey(ui::key::kTab, ui::shiftmask::kShift);
    EXPECT_EQ(d.activeControl(), &d.ntxtTecla[3]);
    EXPECT_FALSE(d.ncmbTecla.visible());
}

TEST_F(HotkeyEditor, AnEmptyModifierFieldBecomesAltOnceVisited) {
    settings::S[6] = 0;
    frmPref& d = open();
    d.tbsConfig.select(1);
    ASSERT_EQ(d.ntxtCombo[6].text(), "");
    d.ntxtCombo[6].setFocus();
    EXPECT_EQ(d.ncmbTecla.text(), "Alt");
    d.dialogKey(ui::key::kTab, 0);
    EXPECT_EQ(d.ntxtCombo[6].text(), "Alt");
    // Shft preselects Shft; the list offers no empty choice.
    d.ntxtCombo[0].setFocus();
    EXPECT_EQ(d.ncmbTecla.text(), "Shft");
    EXPECT_EQ(std::count(d.ncmbTecla.items().begin(), d.ncmbTecla.items().end(), ""), 0);
}

TEST_F(HotkeyEditor, SwitchingTabsOrPressingOkWhileTheListIsOpenKeepsItsChoice) {
    frmPref& d = open();
    d.tbsConfig.select(1);
    d.ntxtCombo[2].setFocus();
    d.ncmbTecla.setListIndex(0);  // Alt
    d.dialogKey(ui::key::kTab, ui::shiftmask::kCtrl);
    EXPECT_FALSE(d.ncmbTecla.visible()) << "the list does not float over the next tab";
    EXPECT_EQ(d.ntxtCombo[2].text(), "Alt");
    EXPECT_EQ(d.activeControl(), &d.tbsConfig);

    d.tbsConfig.select(1);
    d.ntxtCombo[5].setFocus();
    d.ncmbTecla.setListIndex(2);                    // Shft
    EXPECT_TRUE(d.dialogKey(ui::key::kReturn, 0));  // OK, the focus still in the list
    EXPECT_FALSE(d.loaded());
    EXPECT_EQ(settings::S[5], 16);
    EXPECT_EQ(settings::S[2], 18);
}

}  // namespace
}  // namespace kvr
