// TranslateForm on backend-less forms, against small language files made for each test.
#include <gtest/gtest.h>

#include "tests/unit/fake_platform.h"
#include "ui/controls.h"

namespace kvr {
namespace {

using modTraducir::TranslateForm;

// One control of every kind the rules name, plus controls that must keep their texts.
class TestForm : public ui::Form {
public:
    TestForm() : ui::Form("frmTest", "0100", {0, 0, 300, 200}) {
        lsvList.setToolTipText("0022");
        cmbList.setToolTipText("0300");
        imgPic.setToolTipText("0302");
        trvTree.setToolTipText("0303");
        picBox.setToolTipText("0101");
        nlblKeep.setToolTipText("0101");
    }

    ui::CommandButton cmdOk{*this, "cmdOk", "0101"};
    ui::Label lblOne{*this, "lblOne", "0102"};
    ui::OptionButton optA{*this, "optA", "0101"};
    ui::CheckBox chkA{*this, "chkA", "0102"};
    ui::Label lblEmpty{*this, "lblEmpty", ""};
    ui::Label lblPlus{*this, "lblPlus", "+"};
    ui::Label nlblKeep{*this, "nlblKeep", "0101"};
    ui::Frame fraBox{*this, "fraBox", "0101"};
    ui::PictureBox picBox{*this, "picBox"};
    ui::ListView lsvList{*this, "lsvList", {"Titulo ", "Clase ", "OcultoX"}};
    ui::Toolbar tlbBar{
        *this, "tlbBar", {{"Primero", "0029", 1}, {"", "", 0, true}, {"Segundo", "0023", 2}}};
    ui::TabStrip tbsTabs{
        *this, "tbsTabs", {{"MKey", "0140", ""}, {"Vacia", "", ""}, {"HKey", "0103", ""}}};
    ui::ComboBox cmbList{*this, "cmbList"};
    ui::ComboBox cmbNoTip{*this, "cmbNoTip"};
    ui::TextBox txtBox{*this, "txtBox", "0301 and more"};
    ui::TextBox txtEmpty{*this, "txtEmpty", ""};
    ui::TextBox ntxtKeep{*this, "ntxtKeep", "0301"};
    ui::Image imgPic{*this, "imgPic"};
    ui::TreeView trvTree{*this, "trvTree"};
    ui::MenuItem mnuTop{*this, "mnuTop", "0026"};
    ui::MenuItem mnuSep{*this, "mnuSep", "-", &mnuTop};
    ui::MenuItem mnuChild{*this, "mnuChild", "0027", &mnuTop};
    ui::MenuItem mnuTray{*this, "mnuTray", "mnuSTray"};
    ui::MenuItem mmnuLengua{*this, "mmnuLengua", "0027"};
};

// The English texts of the codes above; traps under keys that must never be looked up.
constexpr const char* kEnglish =
    "[0100]=Test window\r\n"
    "[0101]=OK|Accept the changes\r\n"
    "[0102]=One part\r\n"
    "[]=Looked up an empty code\r\n"
    "[+]=Looked up a plus\r\n"
    "[-]=Looked up a separator\r\n"
    "[mnuSTray]=Looked up a container\r\n"
    "[0022]=Title|Class|Hidden by|Tip\r\n"
    "[0029]=By &title|second part\r\n"
    "[0023]=Preferences\r\n"
    "[0140]=Programs|Hide programs\r\n"
    "[0103]=Hotkeys\r\n"
    "[0300]=Alt|Ctrl|Shft|Pick a modifier\r\n"
    "[0301]=Typed text|Text tip\r\n"
    "[0302]=Picture tip|unused\r\n"
    "[0303]=Tree tip\r\n"
    "[0026]=&Windows\r\n"
    "[0027]=Show &last|unused\r\n";

constexpr const char* kDeutsch =
    "[0100]=Testfenster\r\n"
    "[0101]=Übernehmen|Änderungen übernehmen\r\n"
    "[0022]=Titel|Klasse|Ausgeblendet durch|Hinweis\r\n"
    "[0029]=Nach &Titel\r\n"
    "[0140]=Programme|Programme ausblenden\r\n"
    "[0300]=Strg|Wählen\r\n"
    "[0301]=Eingabe\r\n"
    "[0026]=&Fenster\r\n";

class TranslateFormTest : public ::testing::Test {
protected:
    TranslateFormTest() {
        fake.files.put(fake.lng("KVR_English.txt"), kEnglish);
        // Written as the files are shipped: Windows-1252.
        fake.files.put(fake.lng("KVR_Deutsch.txt"), toAnsi(kDeutsch));
    }

    // Enough of Windows-1252 for these texts: U+00C0..U+00FF, whose UTF-8 lead byte is C3.
    static std::string toAnsi(const std::string& utf8) {
        std::string ansi;
        for (std::size_t i = 0; i < utf8.size(); ++i) {
            const auto c = static_cast<unsigned char>(utf8[i]);
            if (c == 0xC3) {
                ansi += static_cast<char>(0xC0 + (static_cast<unsigned char>(utf8[++i]) & 0x3F));
            } else {
                ansi += static_cast<char>(c);
            }
        }
        return ansi;
    }

    void translate() { TranslateForm(form, modTraducir::LanguageFilePrefix); }

    test::FakePlatform fake;
    TestForm form;
};

TEST_F(TranslateFormTest, CaptionControlsTakePartZeroAndAToolTipFromPartOne) {
    translate();
    EXPECT_EQ(form.caption(), "Test window");
    EXPECT_EQ(form.tag, "0100");
    EXPECT_EQ(form.cmdOk.caption(), "OK");
    EXPECT_EQ(form.cmdOk.toolTipText(), "Accept the changes");
    EXPECT_EQ(form.optA.caption(), "OK");
    EXPECT_EQ(form.optA.toolTipText(), "Accept the changes");
    EXPECT_EQ(form.lblOne.caption(), "One part");
    EXPECT_EQ(form.lblOne.toolTipText(), "");
    EXPECT_EQ(form.chkA.caption(), "One part");
    EXPECT_EQ(form.cmdOk.tag, "0101");
}

TEST_F(TranslateFormTest, EmptyTextsUnknownPrefixesAndTextsThatAreNoCodeStayAsTheyAre) {
    translate();
    EXPECT_EQ(form.lblEmpty.caption(), "");
    EXPECT_EQ(form.lblPlus.caption(), "+");
    EXPECT_EQ(form.nlblKeep.caption(), "0101");
    EXPECT_EQ(form.nlblKeep.toolTipText(), "0101");
    EXPECT_EQ(form.fraBox.caption(), "0101");
    EXPECT_EQ(form.picBox.toolTipText(), "0101");
    EXPECT_EQ(form.ntxtKeep.text(), "0301");
    EXPECT_EQ(form.txtEmpty.text(), "");
    EXPECT_EQ(form.cmbNoTip.items().size(), 0u);
    EXPECT_EQ(form.mmnuLengua.caption(), "0027");
}

TEST_F(TranslateFormTest, MenusSkipSeparatorsAndCaptionsThatAreNoCode) {
    translate();
    EXPECT_EQ(form.mnuTop.caption(), "&Windows");
    EXPECT_EQ(form.mnuChild.caption(), "Show &last");  // one part only
    EXPECT_EQ(form.mnuSep.caption(), "-");
    EXPECT_EQ(form.mnuTray.caption(), "mnuSTray");
    EXPECT_EQ(form.mnuChild.toolTipText(), "");
}

TEST_F(TranslateFormTest, ListViewTakesColumnHeadersAndTheLastPartAsToolTip) {
    translate();
    EXPECT_EQ(form.lsvList.columns(), (std::vector<std::string>{"Title", "Class", "Hidden by"}));
    EXPECT_EQ(form.lsvList.toolTipText(), "Tip");
    EXPECT_EQ(form.lsvList.tag, "0022");
}

TEST_F(TranslateFormTest, ToolbarButtonsTakeOnlyPartZeroAsToolTip) {
    translate();
    const auto& buttons = form.tlbBar.buttons();
    EXPECT_EQ(buttons[0].toolTip, "By &title");
    EXPECT_EQ(buttons[0].key, "Primero");
    EXPECT_EQ(buttons[1].toolTip, "");
    EXPECT_TRUE(buttons[1].separator);
    EXPECT_EQ(buttons[2].toolTip, "Preferences");
    EXPECT_EQ(buttons[2].key, "Segundo");
}

TEST_F(TranslateFormTest, TabsTakeCaptionAndToolTipAndEmptyTabsStayEmpty) {
    translate();
    const auto& tabs = form.tbsTabs.tabs();
    EXPECT_EQ(tabs[0].caption, "Programs");
    EXPECT_EQ(tabs[0].toolTip, "Hide programs");
    EXPECT_EQ(tabs[0].key, "MKey");
    EXPECT_EQ(tabs[1].caption, "");
    EXPECT_EQ(tabs[2].caption, "Hotkeys");
    EXPECT_EQ(tabs[2].toolTip, "");
}

TEST_F(TranslateFormTest, ComboGetsItemsAndTheLastPartAsToolTip) {
    translate();
    EXPECT_EQ(form.cmbList.items(), (std::vector<std::string>{"Alt", "Ctrl", "Shft"}));
    EXPECT_EQ(form.cmbList.toolTipText(), "Pick a modifier");
}

TEST_F(TranslateFormTest, TextBoxIsLookedUpByItsFirstFourCharacters) {
    translate();
    EXPECT_EQ(form.txtBox.text(), "Typed text");
    EXPECT_EQ(form.txtBox.toolTipText(), "Text tip");
}

TEST_F(TranslateFormTest, ImagesAndTreesTakePartZeroAsToolTip) {
    translate();
    EXPECT_EQ(form.imgPic.toolTipText(), "Picture tip");
    EXPECT_EQ(form.trvTree.toolTipText(), "Tree tip");
}

TEST_F(TranslateFormTest, SecondTranslationShowsTheSecondLanguageFromTheCodesKeptInTag) {
    translate();
    modTraducir::CurrentLanguage = "Deutsch";
    translate();
    EXPECT_EQ(form.caption(), "Testfenster");
    EXPECT_EQ(form.cmdOk.caption(), "Übernehmen");
    EXPECT_EQ(form.cmdOk.toolTipText(), "Änderungen übernehmen");
    EXPECT_EQ(form.lsvList.columns(),
              (std::vector<std::string>{"Titel", "Klasse", "Ausgeblendet durch"}));
    EXPECT_EQ(form.lsvList.toolTipText(), "Hinweis");
    EXPECT_EQ(form.tlbBar.buttons()[0].toolTip, "Nach &Titel");
    EXPECT_EQ(form.tbsTabs.tabs()[0].caption, "Programme");
    EXPECT_EQ(form.mnuTop.caption(), "&Fenster");
    EXPECT_EQ(form.cmbList.items().back(), "Strg");  // combo items are appended, as AddItem does
    EXPECT_EQ(form.cmbList.toolTipText(), "Wählen");
    // Codes the German file lacks come from English.
    EXPECT_EQ(form.lblOne.caption(), "One part");
    EXPECT_EQ(form.tlbBar.buttons()[2].toolTip, "Preferences");
    EXPECT_EQ(form.tbsTabs.tabs()[2].caption, "Hotkeys");
    EXPECT_EQ(form.mnuChild.caption(), "Show &last");
    EXPECT_EQ(form.imgPic.toolTipText(), "Picture tip");

    modTraducir::CurrentLanguage = "English";
    translate();
    EXPECT_EQ(form.caption(), "Test window");
    EXPECT_EQ(form.tlbBar.buttons()[0].toolTip, "By &title");
    EXPECT_EQ(form.tbsTabs.tabs()[0].caption, "Programs");
    EXPECT_EQ(form.mnuTop.caption(), "&Windows");
}

TEST_F(TranslateFormTest, ATranslatedTextThatIsNumericIsTheCodeOfTheNextTranslation) {
    fake.files.put(fake.lng("KVR_English.txt"),
                   std::string(kEnglish) + "[0400]=0026\r\n[0401]=0102|0140\r\n");
    ui::Label lblNumber(form, "lblNumber", "0400");
    ui::MenuItem mnuNumber(form, "mnuNumber", "0400");
    ui::TabStrip tbsNumber(form, "tbsNumber", {{"A", "0401", ""}});
    translate();
    EXPECT_EQ(lblNumber.caption(), "0026");
    EXPECT_EQ(mnuNumber.caption(), "0026");
    EXPECT_EQ(tbsNumber.tabs()[0].caption, "0102");
    translate();
    EXPECT_EQ(lblNumber.caption(), "&Windows");
    EXPECT_EQ(lblNumber.tag, "0026");
    EXPECT_EQ(mnuNumber.caption(), "&Windows");
    EXPECT_EQ(tbsNumber.tabs()[0].caption, "One part");
}

TEST_F(TranslateFormTest, CodesNoFileKnowsStayVisibleAndTheirTagSurvives) {
    ui::Label lblUnknown(form, "lblUnknown", "0999");
    ui::MenuItem mnuUnknown(form, "mnuUnknown", "0998");
    translate();
    EXPECT_EQ(lblUnknown.caption(), "0999");
    EXPECT_EQ(mnuUnknown.caption(), "0998");
    fake.files.put(fake.lng("KVR_English.txt"), std::string(kEnglish) + "[0999]=Found later\r\n");
    lblUnknown.setCaption("not a code");
    translate();
    EXPECT_EQ(lblUnknown.caption(), "Found later");
}

TEST_F(TranslateFormTest, MissingFilesLeaveEveryCode) {
    fake.files.erase(fake.lng("KVR_English.txt"));
    modTraducir::CurrentLanguage = "Klingon";
    translate();
    EXPECT_EQ(form.caption(), "0100");
    EXPECT_EQ(form.cmdOk.caption(), "0101");
    EXPECT_EQ(form.lsvList.columns(), (std::vector<std::string>{"Titulo ", "Clase ", "OcultoX"}));
    EXPECT_EQ(form.tlbBar.buttons()[0].toolTip, "0029");
    EXPECT_EQ(form.mnuTop.caption(), "0026");
}

TEST_F(TranslateFormTest, LineOrderExtraLinesAndRepeatedKeysDoNotMatter) {
    fake.files.put(fake.lng("KVR_English.txt"),
                   "A heading that is no entry\r\n"
                   "[0026]=&First wins\r\n"
                   "\r\n"
                   "[0101]=OK|tip\r\n"
                   "; comment [0100\r\n"
                   "[0026]=&Second\r\n"
                   "[0100]=Window at the end");
    translate();
    EXPECT_EQ(form.caption(), "Window at the end");
    EXPECT_EQ(form.mnuTop.caption(), "&First wins");
    EXPECT_EQ(form.cmdOk.toolTipText(), "tip");
}

TEST_F(TranslateFormTest, AFileWithAByteOrderMarkIsReadAsUtf8) {
    fake.files.put(fake.lng("KVR_Deutsch.txt"), "\xEF\xBB\xBF[0100]=Fenster \xE2\x80\x93 Test\r\n");
    modTraducir::CurrentLanguage = "Deutsch";
    translate();
    EXPECT_EQ(form.caption(), "Fenster \xE2\x80\x93 Test");
}

}  // namespace
}  // namespace kvr
