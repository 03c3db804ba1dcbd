// The keyboard in a form as state: where the focus goes, what Tab, Ctrl+Tab, Enter, Escape, the
// arrows and Alt with a letter do in a dialog, and what a text box lets through.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/controls.h"
#include "ui/form.h"

namespace kvr::ui {
namespace {

using Strings = std::vector<std::string>;

// A small dialog: a tab strip with two pages, a text box and an option group on the first, a
// check box on the second, OK and Cancel below.
class Dialog : public Form {
public:
    Dialog()
        : Form("frmDialog", "Dialog", {0, 0, 300, 200}),
          tbsPages(*this, "tbsPages", {{"A", "&One", ""}, {"B", "&Two", ""}}),
          fraOne(*this, "fraOne", ""),
          lblName(*this, "lblName", "&Name:"),
          txtName(*this, "txtName", ""),
          optLeft(*this, "optLeft", "&Left"),
          optMiddle(*this, "optMiddle", "&Middle"),
          optRight(*this, "optRight", "&Right"),
          fraTwo(*this, "fraTwo", ""),
          chkLoud(*this, "chkLoud", "&Loud"),
          cmdOK(*this, "cmdOK", "OK"),
          cmdCancel(*this, "cmdCancel", "Cancel") {
        for (Control* c :
             std::vector<Control*>{&lblName, &txtName, &optLeft, &optMiddle, &optRight})
            c->container = &fraOne;
        chkLoud.container = &fraTwo;
        fraTwo.setVisible(false);
        optMiddle.setValue(true);
        cmdOK.isDefault = true;
        cmdCancel.isCancel = true;
        tbsPages.onClickTab = [this] {
            fraOne.setVisible(tbsPages.selectedIndex() == 0);
            fraTwo.setVisible(tbsPages.selectedIndex() == 1);
        };
        cmdOK.onClick = [this] { pressed.push_back("OK"); };
        cmdCancel.onClick = [this] { pressed.push_back("Cancel"); };
        for (Control* c : controls()) {
            c->onGotFocus = [this, c] { focus.push_back("+" + c->name()); };
            c->onLostFocus = [this, c] { focus.push_back("-" + c->name()); };
        }
    }

    Strings order() const {
        Strings names;
        for (const Control* c : tabOrder()) names.push_back(c->name());
        return names;
    }
    std::string active() const { return activeControl() ? activeControl()->name() : "(none)"; }

    TabStrip tbsPages;
    Frame fraOne;
    Label lblName;
    TextBox txtName;
    OptionButton optLeft, optMiddle, optRight;
    Frame fraTwo;
    CheckBox chkLoud;
    CommandButton cmdOK, cmdCancel;
    Strings focus;
    Strings pressed;
};

TEST(UiKeyboard, FocusEventsComeInPairsAndAHandlerMaySendTheFocusOn) {
    Dialog d;
    d.txtName.setFocus();
    d.cmdOK.setFocus();
    EXPECT_EQ(d.focus, (Strings{"+txtName", "-txtName", "+cmdOK"}));
    EXPECT_TRUE(d.cmdOK.hasFocus());

    // A control that passes the focus on at once, as the hotkey editor's modifier field does.
    d.focus.clear();
    d.txtName.onGotFocus = [&] { d.chkLoud.setFocus(); };
    d.txtName.setFocus();
    EXPECT_EQ(d.focus, (Strings{"-cmdOK", "-txtName", "+chkLoud"}));
    EXPECT_EQ(d.active(), "chkLoud");

    // A focused control that goes leaves no focus behind.
    {
        TextBox temporary(d, "txtTemporary", "");
        temporary.setFocus();
        EXPECT_EQ(d.active(), "txtTemporary");
    }
    EXPECT_EQ(d.activeControl(), nullptr);
}

TEST(UiKeyboard, TabWalksTheReachableControlsAndAnOptionGroupIsOneStop) {
    Dialog d;
    // The label and the frames take no focus, the hidden page's check box is out, and of the
    // options only the selected one is a stop.
    EXPECT_EQ(d.order(), (Strings{"tbsPages", "txtName", "optMiddle", "cmdOK", "cmdCancel"}));

    EXPECT_TRUE(d.dialogKey(key::kTab, 0));
    EXPECT_EQ(d.active(), "tbsPages");  // nothing focused: the first stop
    d.dialogKey(key::kTab, 0);
    d.dialogKey(key::kTab, 0);
    EXPECT_EQ(d.active(), "optMiddle");
    d.dialogKey(key::kTab, 0);
    d.dialogKey(key::kTab, 0);
    d.dialogKey(key::kTab, 0);
    EXPECT_EQ(d.active(), "tbsPages") << "Tab wraps round";
    d.dialogKey(key::kTab, shiftmask::kShift);
    EXPECT_EQ(d.active(), "cmdCancel") << "Shift+Tab goes back";

    // Disabled, hidden, held by a disabled frame or taken out of the order: skipped.
    d.cmdOK.setEnabled(false);
    d.txtName.tabStop = false;
    EXPECT_EQ(d.order(), (Strings{"tbsPages", "optMiddle", "cmdCancel"}));
    d.fraOne.setEnabled(false);
    EXPECT_EQ(d.order(), (Strings{"tbsPages", "cmdCancel"}));
    d.fraOne.setEnabled(true);
    d.optMiddle.setValue(false);
    EXPECT_EQ(d.order(), (Strings{"tbsPages", "optLeft", "cmdCancel"})) << "none selected";

    // A new order puts the buttons first; the others keep theirs after them.
    d.cmdOK.setEnabled(true);
    d.txtName.tabStop = true;
    d.setTabOrder({&d.cmdCancel, &d.cmdOK});
    EXPECT_EQ(d.order(), (Strings{"cmdCancel", "cmdOK", "tbsPages", "txtName", "optLeft"}));
}

TEST(UiKeyboard, TabFromAControlOutOfTheOrderGoesOnFromItsPlace) {
    Dialog d;
    d.optRight.setFocus();  // a click on an option that is not the group's stop
    d.dialogKey(key::kTab, 0);
    EXPECT_EQ(d.active(), "cmdOK");
    d.optLeft.setFocus();
    d.dialogKey(key::kTab, shiftmask::kShift);
    EXPECT_EQ(d.active(), "txtName");
    // A control that shares the place of another (laid over it) comes right after it.
    d.cmdCancel.tabIndex = d.txtName.tabIndex;
    d.txtName.tabStop = false;
    d.cmdCancel.setFocus();
    d.dialogKey(key::kTab, 0);
    EXPECT_EQ(d.active(), "optMiddle");
    d.cmdCancel.setFocus();
    d.dialogKey(key::kTab, shiftmask::kShift);
    EXPECT_EQ(d.active(), "tbsPages");
}

TEST(UiKeyboard, CtrlTabSwitchesTabsAndTakesTheFocusOffAPageThatWentAway) {
    Dialog d;
    d.txtName.setFocus();
    EXPECT_TRUE(d.dialogKey(key::kTab, shiftmask::kCtrl));
    EXPECT_EQ(d.tbsPages.selectedIndex(), 1);
    EXPECT_FALSE(d.fraOne.visible());
    EXPECT_EQ(d.active(), "tbsPages") << "the text box is hidden now";
    EXPECT_EQ(d.order(), (Strings{"tbsPages", "chkLoud", "cmdOK", "cmdCancel"}));

    d.cmdOK.setFocus();
    d.dialogKey(key::kTab, shiftmask::kCtrl);  // wraps to the first tab
    EXPECT_EQ(d.tbsPages.selectedIndex(), 0);
    EXPECT_EQ(d.active(), "cmdOK") << "a control below the pages keeps the focus";
    d.dialogKey(key::kTab, shiftmask::kCtrl | shiftmask::kShift);
    EXPECT_EQ(d.tbsPages.selectedIndex(), 1);
}

TEST(UiKeyboard, EnterPressesTheFocusedOrTheDefaultButtonAndEscapeTheCancelButton) {
    Dialog d;
    d.txtName.setFocus();
    EXPECT_TRUE(d.dialogKey(key::kReturn, 0));
    d.cmdCancel.setFocus();
    EXPECT_TRUE(d.dialogKey(key::kReturn, 0));
    d.txtName.setFocus();
    EXPECT_TRUE(d.dialogKey(key::kEscape, 0));
    EXPECT_EQ(d.pressed, (Strings{"OK", "Cancel", "Cancel"}));

    d.pressed.clear();
    d.cmdOK.setEnabled(false);
    d.cmdCancel.setVisible(false);
    EXPECT_FALSE(d.dialogKey(key::kReturn, 0)) << "a disabled default button is not pressed";
    EXPECT_FALSE(d.dialogKey(key::kEscape, 0));
    EXPECT_FALSE(d.dialogKey('Q', 0)) << "an ordinary key goes to the control";
    EXPECT_TRUE(d.pressed.empty());
}

TEST(UiKeyboard, ArrowsSelectTheNextOptionOfTheGroup) {
    Dialog d;
    int clicks = 0;
    d.optRight.onClick = [&] { ++clicks; };
    d.optMiddle.setFocus();
    EXPECT_TRUE(d.dialogKey(key::kDown, 0));
    EXPECT_TRUE(d.optRight.value());
    EXPECT_FALSE(d.optMiddle.value());
    EXPECT_EQ(d.active(), "optRight");
    EXPECT_EQ(clicks, 1);
    d.dialogKey(key::kRight, 0);  // wraps
    EXPECT_TRUE(d.optLeft.value());
    d.optMiddle.setEnabled(false);
    d.dialogKey(key::kDown, 0);  // over the disabled one
    EXPECT_TRUE(d.optRight.value());
    d.dialogKey(key::kUp, 0);
    EXPECT_TRUE(d.optLeft.value());
    // Elsewhere the arrows belong to the control.
    d.txtName.setFocus();
    EXPECT_FALSE(d.dialogKey(key::kDown, 0));
}

TEST(UiKeyboard, AltAndALetterGoesToTheControlItsCaptionMarks) {
    Dialog d;
    EXPECT_TRUE(d.dialogKey('N', shiftmask::kAlt));
    EXPECT_EQ(d.active(), "txtName") << "a label's letter goes to the control after it";
    EXPECT_TRUE(d.dialogKey('R', shiftmask::kAlt));
    EXPECT_TRUE(d.optRight.value());
    EXPECT_EQ(d.active(), "optRight");
    // The check box on the hidden page does not answer; the visible option does.
    EXPECT_TRUE(d.dialogKey('L', shiftmask::kAlt));
    EXPECT_TRUE(d.optLeft.value());
    EXPECT_EQ(d.chkLoud.value(), 0);
    d.dialogKey(key::kTab, shiftmask::kCtrl);
    EXPECT_TRUE(d.dialogKey('L', shiftmask::kAlt));
    EXPECT_EQ(d.chkLoud.value(), 1);
    EXPECT_FALSE(d.dialogKey('Z', shiftmask::kAlt));
    EXPECT_FALSE(d.dialogKey(key::kTab, shiftmask::kAlt)) << "Alt+Tab is the system's";
}

TEST(UiKeyboard, TextBoxTypesWhatItsKeyPressHandlerLeaves) {
    Dialog d;
    d.txtName.type("ab\xC3\xA9");
    EXPECT_EQ(d.txtName.text(), "ab\xC3\xA9");
    d.txtName.type("\b");
    EXPECT_EQ(d.txtName.text(), "ab") << "backspace takes a whole character";

    std::vector<int> seen;
    d.txtName.onKeyPress = [&](int& c) {
        seen.push_back(c);
        if (c == 'x' || c == key::kBack) c = 0;
        if (c == 'u') c = 'U';
    };
    d.txtName.type("xu\b");
    EXPECT_EQ(d.txtName.text(), "abU");
    EXPECT_EQ(seen, (std::vector<int>{'x', 'u', key::kBack}));

    std::vector<std::pair<int, int>> downs;
    d.txtName.onKeyDown = [&](int code, int shift) { downs.emplace_back(code, shift); };
    d.txtName.keyDown(0x78, shiftmask::kShift);
    EXPECT_EQ(downs, (std::vector<std::pair<int, int>>{{0x78, shiftmask::kShift}}));
    EXPECT_EQ(d.txtName.text(), "abU") << "a key down changes no text by itself";
}

}  // namespace
}  // namespace kvr::ui
