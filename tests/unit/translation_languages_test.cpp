// The language list, the language menu and switching the language of the running program.
#include <gtest/gtest.h>

#include <algorithm>

#include "mainwin/frm_ppal.h"
#include "startup/cls_wbd.h"
#include "tests/unit/fake_platform.h"
#include "tests/unit/main_window_fixture.h"
#include "ui/controls.h"

namespace kvr {
namespace {

using modTraducir::ListLanguages;
using modTraducir::SortNames;
using Names = std::vector<std::string>;

const std::string kEspanol = "Espa\xC3\xB1ol";

// Lists in the reverse of the fake's (alphabetical) order, as a FAT volume may.
class ReversedListing : public platform::FakeFileSystem {
public:
    std::vector<std::string> listFiles(const std::string& pattern) override {
        auto names = FakeFileSystem::listFiles(pattern);
        std::reverse(names.begin(), names.end());
        return names;
    }
};

class ListLanguagesTest : public ::testing::Test {
protected:
    test::FakePlatform fake;
    const std::string folder = "D:\\Tools\\Lng\\";

    void put(std::initializer_list<std::string> names) {
        for (const std::string& name : names) fake.files.put(folder + name, "[0001]=x\r\n");
    }
    Names list() { return ListLanguages(folder + "KVR_*.*"); }
};

TEST_F(ListLanguagesTest, EnglishAloneGivesOneItem) {
    put({"KVR_English.txt", "KVR_Eng.txt", "KVR_Eng.chm"});
    EXPECT_EQ(list(), Names{"English"});
}

TEST_F(ListLanguagesTest, EnglishComesFirstAndTheOthersInAlphabeticalOrder) {
    ReversedListing reversed;
    platform::install({&fake.registry, &fake.queue, &fake.system, &reversed, &fake.desktop});
    for (const std::string name :
         {"KVR_English.txt", "KVR_Eng.txt", "KVR_Espa\xC3\xB1ol.txt", "KVR_Esp.txt",
          "KVR_Deutsch.txt", "KVR_Deu.txt", "KVR_Italiano.txt", "KVR_Dansk.txt"}) {
        reversed.put(folder + name, "");
    }
    ASSERT_EQ(reversed.listFiles(folder + "KVR_*.*").front(), "KVR_Italiano.txt");
    EXPECT_EQ(list(), (Names{"English", "Dansk", "Deutsch", kEspanol, "Italiano"}));
}

TEST_F(ListLanguagesTest, TheShippedFolderOffersEnglishDeutschEspanol) {
    EXPECT_EQ(ListLanguages(fake.system.folder + "\\Lng\\KVR_*.*"),
              (Names{"English", "Deutsch", kEspanol}));
}

TEST_F(ListLanguagesTest, NamesOfElevenCharactersOrFewerAreSkipped) {
    // Characters, not bytes: "KVR_Ελλ.txt" has eleven characters in fourteen bytes.
    put({"KVR_English.txt", "KVR_Ita.txt", "KVR_Ital.txt", "KVR_\xCE\x95\xCE\xBB\xCE\xBB.txt",
         "KVR_\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC.txt", "KVR.txt"});
    EXPECT_EQ(list(), (Names{"English", "Ital",
                             "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9"
                             "\xCE\xBA\xCE\xAC"}));
}

TEST_F(ListLanguagesTest, ALanguageIsListedOncePerFileUnderItsFullName) {
    put({"KVR_English.txt", "KVR_English.chm", "KVR_Deutsch.txt", "KVR_Deutsch.chm",
         "KVR_Deu.txt"});
    EXPECT_EQ(list(), (Names{"English", "Deutsch", "Deutsch"}));
}

TEST_F(ListLanguagesTest, EnglishIsListedEvenWithoutItsFiles) {
    put({"KVR_Deutsch.txt"});
    EXPECT_EQ(list(), (Names{"English", "Deutsch"}));
    EXPECT_EQ(ListLanguages("D:\\Nowhere\\KVR_*.*"), Names{"English"});
}

TEST(SortNamesTest, IgnoresCaseAndSortsAccentedLettersWithTheirBaseLetter) {
    Names names{"Svenska",
                "espa\xC3\xB1ol",                                            // español
                "\xD0\xA0\xD1\x83\xD1\x81\xD1\x81\xD0\xBA\xD0\xB8\xD0\xB9",  // Русский
                "Deutsch",
                "\xC3\x8Dslenska",  // Íslenska
                "ESPERANTO",
                "Italiano",
                "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC",  // Ελληνικά
                "\xC4\x8D"
                "e\xC5\xA1tina",  // čeština
                "dansk"};
    SortNames(names);
    EXPECT_EQ(names, (Names{"\xC4\x8D"
                            "e\xC5\xA1tina",
                            "dansk", "Deutsch", "espa\xC3\xB1ol", "ESPERANTO", "\xC3\x8Dslenska",
                            "Italiano", "Svenska",
                            "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC",
                            "\xD0\xA0\xD1\x83\xD1\x81\xD1\x81\xD0\xBA\xD0\xB8\xD0\xB9"}));
}

TEST(SortNamesTest, AccentsDecideOnlyBetweenOtherwiseEqualNames) {
    Names names{"Espa\xC3\xB1ol", "Espanol", "espanola",
                "\xC3\x89"
                "cole",
                "Ecole"};
    SortNames(names);
    EXPECT_EQ(names, (Names{"Ecole",
                            "\xC3\x89"
                            "cole",
                            "Espanol", "Espa\xC3\xB1ol", "espanola"}));
    Names none;
    SortNames(none);
    EXPECT_TRUE(none.empty());
    // Names that differ only in case keep their order.
    Names upperLower{"b", "B", "a", "\xD0\x96", "\xD0\xB6"};  // Ж, ж
    SortNames(upperLower);
    EXPECT_EQ(upperLower, (Names{"a", "b", "B", "\xD0\x96", "\xD0\xB6"}));
}

TEST(MessageFileName, UsesTheFirstThreeCharactersOfTheLanguageName) {
    test::FakePlatform fake;
    // "Ελληνικά": its message file is KVR_Ελλ.txt; three bytes would cut a letter in half.
    modTraducir::CurrentLanguage =
        "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC";
    fake.files.put(fake.lng("KVR_\xCE\x95\xCE\xBB\xCE\xBB.txt"),
                   "\xEF\xBB\xBF[004]=\xCE\x9A\xCE\xB1\xCE\xBD\xCE\xAD\xCE\xBD\xCE\xB1|KVR\r\n");
    EXPECT_EQ(modTraducir::GetMessage(4)[0], "\xCE\x9A\xCE\xB1\xCE\xBD\xCE\xAD\xCE\xBD\xCE\xB1");
}

// A window other than the main one; counts its unloads.
class OtherForm : public ui::Form {
public:
    explicit OtherForm(std::string name) : ui::Form(std::move(name), "0020", {}) {}
    ui::Label lblText{*this, "lblText", "0021"};
    int unloads = 0;

protected:
    void Form_Unload() override { ++unloads; }
};

TEST(LoadedForms, ListsTheLoadedFormsInLoadOrder) {
    test::FakePlatform fake;
    // Forms another test left loaded stay in front.
    const auto before = ui::loadedForms();
    const auto added = [&] {
        const auto now = ui::loadedForms();
        EXPECT_TRUE(std::equal(before.begin(), before.end(), now.begin()));
        return std::vector<ui::Form*>(now.begin() + static_cast<std::ptrdiff_t>(before.size()),
                                      now.end());
    };
    OtherForm a("frmA");
    OtherForm b("frmB");
    auto c = std::make_unique<OtherForm>("frmC");
    EXPECT_TRUE(added().empty());
    b.load();
    a.load();
    c->load();
    a.load();  // already loaded: listed once
    EXPECT_EQ(added(), (std::vector<ui::Form*>{&b, &a, c.get()}));
    a.unload();
    EXPECT_EQ(added(), (std::vector<ui::Form*>{&b, c.get()}));
    c.reset();  // destroyed while loaded
    EXPECT_EQ(added(), (std::vector<ui::Form*>{&b}));
    a.load();
    EXPECT_EQ(added(), (std::vector<ui::Form*>{&b, &a}));
    b.unload();
    a.unload();
    EXPECT_TRUE(added().empty());
}

std::string shippedText(test::FakePlatform& fake, const std::string& file,
                        const std::string& code) {
    const auto text = langfile::read(fake.lng(file));
    if (!text) return "(no file " + file + ")";
    const auto value = langfile::lookUp(*text, code);
    return value ? langfile::split(*value)[0] : "(no " + code + " in " + file + ")";
}

class SwitchLanguageTest : public test::MainWindowTest {
protected:
    OtherForm pref{"frmPref"};
    OtherForm about{"frmAbout"};
    OtherForm otherMain{"frmOtroPpal"};
    ui::MenuItem deutsch{main, "mmnuLenguasDisponibles", "Deutsch", &main.mnuLengua};
    ui::MenuItem espanol{main, "mmnuLenguasDisponibles", kEspanol, &main.mnuLengua};
    std::vector<ui::MenuItem*> items{&main.mmnuLenguasDisponibles, &deutsch, &espanol};

    SwitchLanguageTest() {
        giveHandle();
        deutsch.index = 1;
        espanol.index = 2;
        // A German file with a few codes: the others come from English.
        fake.files.put(fake.lng("KVR_Deutsch.txt"),
                       "[0020]=Deutsches Fenster\r\n[0026]=&Fenster\r\n[0022]=T|K|A|Tipp\r\n"
                       "[0029]=Nach &Titel\r\n[0021]=Schlie\xDF"
                       "en\r\n");
        main.load();
        pref.load();
        otherMain.load();
    }

    std::string storedLanguage() {
        const auto value = fake.registry.value(platform::reg::kCurrentUser,
                                               "Software\\ORQ\\KVR\\Language", "Language");
        if (!value) return "(none)";
        EXPECT_EQ(value->type, platform::reg::kSz);
        return std::string(value->data.begin(), value->data.end());
    }
    std::vector<bool> ticks() {
        return {items[0]->checked(), items[1]->checked(), items[2]->checked()};
    }
    void switchTo(const std::string& language) {
        modTraducir::CurrentLanguage = language;
        modTraducir::SwitchLanguage(items, modGeneral::RememberLanguage);
    }
};

TEST_F(SwitchLanguageTest, MainWindowIsTranslatedAgainFromTheCodesItKeeps) {
    ASSERT_EQ(main.caption(), shippedText(fake, "KVR_English.txt", "0020"));
    ASSERT_NE(main.caption(), "Deutsches Fenster");
    switchTo("Deutsch");
    EXPECT_EQ(main.caption(), "Deutsches Fenster");
    EXPECT_EQ(main.mnuVentanas.caption(), "&Fenster");
    EXPECT_EQ(main.mnuMostrarXTitulo.caption(), "Nach &Titel");
    EXPECT_EQ(main.mnuSTMostrarXTitulo.caption(), "Nach &Titel");
    EXPECT_EQ(main.tlbPpal.buttons()[0].toolTip, "Nach &Titel");
    EXPECT_EQ(main.lsvVentanas.columns(), (std::vector<std::string>{"T", "K", "A"}));
    EXPECT_EQ(main.lsvVentanas.toolTipText(), "Tipp");
    EXPECT_EQ(main.cmdCerrar.caption(),
              "Schlie\xC3\x9F"
              "en");
    // Not in the German file: English.
    EXPECT_EQ(main.mnuSalir.caption(), shippedText(fake, "KVR_English.txt", "0051"));
    EXPECT_EQ(main.mnuTray.caption(), "mnuSTray");
    EXPECT_EQ(main.mmnuLenguasDisponibles.caption(), "English");
    // Another window whose name ends in "Ppal" is the main window too.
    EXPECT_TRUE(otherMain.loaded());
    EXPECT_EQ(otherMain.caption(), "Deutsches Fenster");
}

TEST_F(SwitchLanguageTest, OtherWindowsAreUnloadedSoTheyOpenInTheNewLanguage) {
    switchTo("Deutsch");
    EXPECT_FALSE(pref.loaded());
    EXPECT_EQ(pref.unloads, 1);
    EXPECT_EQ(about.unloads, 0);  // was not open
    EXPECT_EQ(ui::loadedForms(), (std::vector<ui::Form*>{&main, &otherMain}));
    pref.load();
    modTraducir::TranslateForm(pref, modTraducir::LanguageFilePrefix);
    EXPECT_EQ(pref.caption(), "Deutsches Fenster");
    EXPECT_EQ(pref.lblText.caption(),
              "Schlie\xC3\x9F"
              "en");
}

TEST_F(SwitchLanguageTest, StoresTheLanguageTicksItsItemAndPicksItsHelpFile) {
    EXPECT_EQ(storedLanguage(), "(none)");
    switchTo("Deutsch");
    EXPECT_EQ(storedLanguage(), std::string("Deutsch", 8));  // with its terminator
    EXPECT_EQ(ticks(), (std::vector<bool>{false, true, false}));
    EXPECT_EQ(modGeneral::HelpFile, "C:\\Program Files\\KVR\\Lng\\KVR_Deu.chm");

    switchTo(kEspanol);
    EXPECT_EQ(storedLanguage(), kEspanol + '\0');
    EXPECT_EQ(ticks(), (std::vector<bool>{false, false, true}));
    EXPECT_EQ(modGeneral::HelpFile, "C:\\Program Files\\KVR\\Lng\\KVR_Esp.chm");
    EXPECT_EQ(main.caption(), shippedText(fake, "KVR_Espa\xC3\xB1ol.txt", "0020"));
    EXPECT_EQ(main.mnuSalir.caption(), shippedText(fake, "KVR_Espa\xC3\xB1ol.txt", "0051"));

    switchTo("English");
    EXPECT_EQ(storedLanguage(), std::string("English", 8));
    EXPECT_EQ(ticks(), (std::vector<bool>{true, false, false}));
    EXPECT_EQ(main.caption(), shippedText(fake, "KVR_English.txt", "0020"));
}

TEST_F(SwitchLanguageTest, WithoutAKeyPathNothingIsWritten) {
    fake.registry.resetCounters();
    fake.files.erase(fake.lng("dde"));  // no string store: no key path for the language
    switchTo("Deutsch");
    EXPECT_EQ(fake.registry.writeCalls(), 0u);
    EXPECT_EQ(ticks(), (std::vector<bool>{false, true, false}));
    EXPECT_EQ(main.caption(), "Deutsches Fenster");
    EXPECT_EQ(modGeneral::HelpFile, "C:\\Program Files\\KVR\\Lng\\KVR_Deu.chm");
}

TEST(CheckCurrentLanguageTest, TicksOnlyTheExactCaption) {
    test::FakePlatform fake;
    OtherForm form("frmMenu");
    ui::MenuItem english(form, "mmnuLenguasDisponibles", "English");
    ui::MenuItem deutsch(form, "mmnuLenguasDisponibles", "Deutsch");
    english.setChecked(true);
    modTraducir::CurrentLanguage = "Deutsch";
    modTraducir::CheckCurrentLanguage({&english, &deutsch});
    EXPECT_FALSE(english.checked());
    EXPECT_TRUE(deutsch.checked());
    modTraducir::CurrentLanguage = "deutsch";
    modTraducir::CheckCurrentLanguage({&english, &deutsch});
    EXPECT_FALSE(english.checked());
    EXPECT_FALSE(deutsch.checked());
}

}  // namespace
}  // namespace kvr
