// The language files as they ship (from the build's Lng folder): every language covers every
// control code and message the program uses, with the parts each use needs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <limits>
#include <map>
#include <set>

#include "base/ids.h"
#include "base/text.h"
#include "mainwin/frm_ppal.h"
#include "prefs/frm_pref.h"
#include "startup/frm_splash.h"
#include "tests/unit/fake_platform.h"
#include "ui/controls.h"

namespace kvr {
namespace {

using text::isNumeric;

constexpr int kAny = std::numeric_limits<int>::max();

// How many parts a code's uses accept, and where it is used (for the failure messages).
struct Need {
    int min = 1;
    int max = kAny;
    std::string where;
};
using Needs = std::map<std::string, Need>;

void need(Needs& needs, const std::string& code, int min, int max, const std::string& where) {
    auto [it, fresh] = needs.try_emplace(code, Need{min, max, where});
    if (fresh) return;
    it->second.min = std::max(it->second.min, min);
    it->second.max = std::min(it->second.max, max);
    it->second.where += ", " + where;
}

// The codes a built window carries, by the same prefixes the translation reads.
void addUses(const ui::Form& form, Needs& needs) {
    if (isNumeric(form.caption())) need(needs, form.caption(), 1, 1, form.name());
    for (const ui::Control* c : form.controls()) {
        const std::string kind = c->name().substr(0, 3);
        const std::string where = form.name() + "." + c->name();
        if (kind == "cmd" || kind == "lbl" || kind == "opt" || kind == "chk") {
            if (isNumeric(c->caption())) need(needs, c->caption(), 1, 2, where);
        } else if (kind == "mnu") {
            if (isNumeric(c->caption())) need(needs, c->caption(), 1, 1, where);
        } else if (kind == "img" || kind == "trv") {
            if (isNumeric(c->toolTipText())) need(needs, c->toolTipText(), 1, 1, where);
        } else if (kind == "lsv") {
            const auto* list = static_cast<const ui::ListView*>(c);
            const int parts = static_cast<int>(list->columns().size()) + 1;
            if (isNumeric(c->toolTipText())) need(needs, c->toolTipText(), parts, parts, where);
        } else if (kind == "cmb") {
            if (isNumeric(c->toolTipText())) need(needs, c->toolTipText(), 2, kAny, where);
        } else if (kind == "tbs") {
            for (const ui::Tab& tab : static_cast<const ui::TabStrip*>(c)->tabs()) {
                if (isNumeric(tab.caption)) need(needs, tab.caption, 1, 2, where + "." + tab.key);
            }
        } else if (kind == "tlb") {
            for (const ui::ToolButton& b : static_cast<const ui::Toolbar*>(c)->buttons()) {
                if (isNumeric(b.toolTip)) need(needs, b.toolTip, 1, 1, where + "." + b.key);
            }
        } else if (kind == "txt") {
            const std::string code = static_cast<const ui::TextBox*>(c)->text().substr(0, 4);
            if (isNumeric(code)) need(needs, code, 1, 2, where);
        }
    }
}

// Windows not built yet, as they are designed: their codes and, for the mnemonic check, the
// group a control lies in.
enum class Use { Window, Caption, Tab, OneColumnList };
struct Planned {
    const char* code;
    Use use;
    const char* control;
    int group;
};
constexpr int kAbout = 10;
const Planned kPlanned[] = {
    {"0600", Use::Window, "frmAbout", -1},
    {"0601", Use::Caption, "lblTitle", kAbout},
    {"0602", Use::Caption, "lblVersion", kAbout},
    {"0603", Use::Caption, "lblDescription", kAbout},
    {"0605", Use::Caption, "lblDisclaimer", kAbout},
    {"0606", Use::Caption, "cmdOK", kAbout},
    {"0607", Use::Caption, "lblLegal", kAbout},
};

void addPlanned(Needs& needs) {
    for (const Planned& p : kPlanned) {
        switch (p.use) {
            case Use::Window:
                need(needs, p.code, 1, 1, p.control);
                break;
            case Use::Caption:
            case Use::Tab:
                need(needs, p.code, 1, 2, p.control);
                break;
            case Use::OneColumnList:
                need(needs, p.code, 2, 2, p.control);
                break;
        }
    }
}

// The messages the program fetches: warnings are text and caption, labels and addresses one
// part, the tab descriptions one part per tab.
Needs messageNeeds() {
    Needs needs;
    for (const char* warning : {"001", "002", "004", "009", "014", "025", "030", "040", "041"}) {
        need(needs, warning, 2, 2, "warning");
    }
    for (const char* label : {"003", "005", "006"}) need(needs, label, 1, 1, "hidden-by label");
    need(needs, "007", 6, 6, "frmPref tab descriptions");
    for (const char* address : {"018", "019", "020", "021"}) {
        need(needs, address, 1, 1, "web address");
    }
    return needs;
}

struct Language {
    std::string name;
    std::string formFile;
    std::string messageFile;
};

// The first three characters of a name, counted in UTF-8.
std::string firstThree(const std::string& name) {
    std::size_t i = 0;
    for (int n = 0; n < 3 && i < name.size(); ++n) {
        ++i;
        while (i < name.size() && (static_cast<unsigned char>(name[i]) & 0xC0) == 0x80) ++i;
    }
    return name.substr(0, i);
}

class ShippedLanguages : public ::testing::Test {
protected:
    ShippedLanguages() {
        // Every shipped language file, not only the ones the fixture knows.
        for (const auto& entry : std::filesystem::directory_iterator(KVR_LNG_DIR)) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("KVR_", 0) == 0) fake.files.put(fake.lng(name), test::readShipped(name));
        }
        for (const std::string& name :
             modTraducir::ListLanguages(fake.system.folder + "\\Lng\\KVR_*.*")) {
            if (!languages.empty() && languages.back().name == name) continue;
            languages.push_back({name, "KVR_" + name + ".txt", "KVR_" + firstThree(name) + ".txt"});
        }
        test::FakeTrayArea trayArea;
        engine::HideEngine hideEngine{trayArea};
        frmPpal main{hideEngine};
        frmSplash splash;
        frmPref preferences{main, {}};
        addUses(main, formNeeds);
        addUses(splash, formNeeds);
        addUses(preferences, formNeeds);
        addPlanned(formNeeds);
        // Lists whose entries stand for settings by their place: one each and the tool tip.
        need(formNeeds, "0150", 5, 5, "frmPref.cmbBoton, MB 0 to 3");
        need(formNeeds, "0152", 4, 4, "frmPref.cmbClics, MK 1 to 3");
        need(formNeeds, "0154", 5, 5, "frmPref.cmbModificador, MM 0, 16, 17, 18");
        need(formNeeds, "0156", ids::kSlots + 1, ids::kSlots + 1, "frmPref.cmbAccion, a slot");
    }

    std::string text(const std::string& file) {
        return langfile::read(fake.lng(file)).value_or("");
    }
    std::optional<std::vector<std::string>> parts(const std::string& file, const std::string& key) {
        const auto value = langfile::lookUp(text(file), key);
        if (!value) return std::nullopt;
        return langfile::split(*value);
    }
    std::string part0(const std::string& file, const std::string& key) {
        const auto p = parts(file, key);
        return p ? (*p)[0] : "";
    }

    void expectCovered(const std::string& file, const Needs& needs) {
        SCOPED_TRACE(file);
        for (const auto& [code, n] : needs) {
            ASSERT_LE(n.min, n.max) << code << " has uses that cannot agree: " << n.where;
            const auto p = parts(file, code);
            if (!p) {
                ADD_FAILURE() << code << " is missing (" << n.where << ")";
                continue;
            }
            const int count = static_cast<int>(p->size());
            EXPECT_GE(count, n.min) << code << " (" << n.where << ")";
            EXPECT_LE(count, n.max) << code << " (" << n.where << ")";
            for (const std::string& part : *p) {
                EXPECT_NE(part.find_first_not_of(' '), std::string::npos)
                    << code << " has an empty part";
            }
        }
    }

    test::FakePlatform fake;
    std::vector<Language> languages;
    Needs formNeeds;
};

TEST_F(ShippedLanguages, EnglishSpanishAndGermanShip) {
    std::set<std::string> names;
    for (const Language& l : languages) names.insert(l.name);
    EXPECT_TRUE(names.count("English"));
    EXPECT_TRUE(names.count("Deutsch"));
    EXPECT_TRUE(names.count("Espa\xC3\xB1ol"));
    // The table of uses really holds the main window, the splash and the planned windows.
    for (const char* code : {"0020", "0022", "0029", "0070", "0003", "0008", "0100", "0606"}) {
        EXPECT_TRUE(formNeeds.count(code)) << code;
    }
    EXPECT_EQ(formNeeds.at("0022").min, 4);
    EXPECT_EQ(formNeeds.at("0029").max, 1);  // a menu item and a tool tip: one part
}

TEST_F(ShippedLanguages, EveryLanguageCoversEveryCodeAndMessageWithTheirParts) {
    const Needs messages = messageNeeds();
    for (const Language& l : languages) {
        expectCovered(l.formFile, formNeeds);
        expectCovered(l.messageFile, messages);
        for (const char* address : {"018", "019", "020", "021"}) {
            EXPECT_EQ(part0(l.messageFile, address).rfind("https://", 0), 0u)
                << l.messageFile << " " << address;
        }
    }
}

TEST_F(ShippedLanguages, FilesAreWindowsTextWithOneEntryPerLine) {
    for (const Language& l : languages) {
        for (const std::string& file : {l.formFile, l.messageFile}) {
            SCOPED_TRACE(file);
            std::string raw = test::readShipped(file);
            if (raw.rfind("\xEF\xBB\xBF", 0) == 0) raw.erase(0, 3);
            ASSERT_FALSE(raw.empty());
            ASSERT_GE(raw.size(), 2u);
            EXPECT_EQ(raw.substr(raw.size() - 2), "\r\n");
            const std::size_t digits = file == l.formFile ? 4 : 3;
            std::set<std::string> keys;
            std::size_t from = 0;
            while (from < raw.size()) {
                const std::size_t cr = raw.find('\r', from);
                ASSERT_NE(cr, std::string::npos);
                ASSERT_EQ(raw[cr + 1], '\n') << "a CR without LF";
                const std::string line = raw.substr(from, cr - from);
                EXPECT_EQ(line.find('\n'), std::string::npos) << "a LF without CR: " << line;
                ASSERT_GE(line.size(), digits + 3) << line;
                const std::string key = line.substr(1, digits);
                EXPECT_TRUE(line[0] == '[' && line.compare(digits + 1, 2, "]=") == 0 &&
                            key.find_first_not_of("0123456789") == std::string::npos)
                    << line;
                EXPECT_TRUE(keys.insert(key).second) << "second entry for " << key;
                from = cr + 2;
            }
        }
    }
}

bool isUtf8(const std::string& raw) {
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const auto c = static_cast<unsigned char>(raw[i]);
        if (c < 0x80) continue;
        const int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC2 ? 1 : -1;
        if (extra < 0 || i + extra >= raw.size()) return false;
        for (int k = 1; k <= extra; ++k) {
            if ((static_cast<unsigned char>(raw[i + k]) & 0xC0) != 0x80) return false;
        }
        i += extra;
    }
    return true;
}

// In a Windows-1252 file the accented letters would be read in the user's code page.
TEST_F(ShippedLanguages, FilesAreMarkedUtf8OrPlainAscii) {
    for (const Language& l : languages) {
        for (const std::string& file : {l.formFile, l.messageFile}) {
            SCOPED_TRACE(file);
            const std::string raw = test::readShipped(file);
            const bool ascii = std::all_of(raw.begin(), raw.end(), [](char c) {
                return static_cast<unsigned char>(c) < 0x80;
            });
            if (ascii) continue;
            ASSERT_EQ(raw.rfind("\xEF\xBB\xBF", 0), 0u) << "no UTF-8 byte-order mark";
            EXPECT_TRUE(isUtf8(raw.substr(3)));
        }
    }
    // The accented letters made it through.
    EXPECT_NE(part0("KVR_Espa\xC3\xB1ol.txt", "0022").find("T\xC3\xADtulo"), std::string::npos);
    EXPECT_NE(part0("KVR_Deu.txt", "014").find("ausgef\xC3\xBChrt"), std::string::npos);
}

// A Russian Windows reads ANSI files as Windows-1251, where the byte of "ue" is a soft sign.
TEST_F(ShippedLanguages, GermanAndSpanishReadRightOnACyrillicWindows) {
    fake.files.ansiCodePage = 1251;
    modTraducir::CurrentLanguage = "Deutsch";
    EXPECT_NE(modTraducir::GetMessage(ids::msg::kAlreadyRunning)[0].find("ausgef\xC3\xBChrt"),
              std::string::npos);
    modTraducir::CurrentLanguage = "Espa\xC3\xB1ol";
    test::FakeTrayArea trayArea;
    engine::HideEngine hideEngine{trayArea};
    frmPpal main{hideEngine};
    modTraducir::TranslateForm(main, modTraducir::LanguageFilePrefix);
    EXPECT_NE(main.lsvVentanas.columns().at(0).find("T\xC3\xADtulo"), std::string::npos);
}

TEST_F(ShippedLanguages, SpanishAndGermanAreTranslationsNotCopies) {
    // Names, "OK" and "Version" are the same words in these languages.
    const std::set<std::string> shared = {"0001", "0006", "0007", "0101", "0602", "0606"};
    const Needs messages = messageNeeds();
    for (const Language& l : languages) {
        if (l.name == "English") continue;
        SCOPED_TRACE(l.name);
        for (const auto& [code, n] : formNeeds) {
            const auto mine = langfile::lookUp(text(l.formFile), code);
            const auto english = langfile::lookUp(text("KVR_English.txt"), code);
            if (!mine || shared.count(code)) continue;
            EXPECT_NE(mine, english) << code << " is the English text";
        }
        for (const auto& [number, n] : messages) {
            const auto mine = langfile::lookUp(text(l.messageFile), number);
            if (!mine) continue;
            EXPECT_NE(mine, langfile::lookUp(text("KVR_Eng.txt"), number)) << number;
        }
    }
}

TEST_F(ShippedLanguages, TextsFitHowTheProgramUsesThem) {
    for (const Language& l : languages) {
        SCOPED_TRACE(l.name);
        // The About box appends the version with nothing between; the splash adds a blank.
        const std::string about = part0(l.formFile, "0602");
        EXPECT_TRUE(!about.empty() && about.back() == ' ') << "[" << about << "]";
        const std::string splash = part0(l.formFile, "0007");
        EXPECT_TRUE(!splash.empty() && splash.back() != ' ') << "[" << splash << "]";
        // The engine tells entries apart by these labels.
        const std::string byClass = part0(l.messageFile, "003");
        const std::string byTitle = part0(l.messageFile, "005");
        const std::string byMouse = part0(l.messageFile, "006");
        EXPECT_NE(byClass, byTitle);
        EXPECT_NE(byClass, byMouse);
        EXPECT_NE(byTitle, byMouse);
        // The warning about a missing title names the tab where it is set.
        const std::string titlesTab = part0(l.formFile, "0104");
        EXPECT_NE(part0(l.messageFile, "009").find(titlesTab), std::string::npos) << titlesTab;
    }
}

// The mnemonic of a text: the character after a single "&", lower-cased; "" when none.
std::string mnemonic(const std::string& text, int& count) {
    std::string key;
    count = 0;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&') continue;
        if (text[i + 1] == '&') {
            ++i;
            continue;
        }
        ++count;
        std::size_t end = i + 2;
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
        key = text.substr(i + 1, end - i - 1);
        if (key.size() == 1) key[0] = static_cast<char>(std::tolower(key[0]));
    }
    return key;
}

TEST_F(ShippedLanguages, EveryMenuItemHasItsOwnMnemonicWithinItsMenu) {
    for (const Language& l : languages) {
        SCOPED_TRACE(l.name);
        modTraducir::CurrentLanguage = l.name;
        test::FakeTrayArea trayArea;
        engine::HideEngine hideEngine{trayArea};
        frmPpal main{hideEngine};
        modTraducir::TranslateForm(main, modTraducir::LanguageFilePrefix);
        std::map<const ui::MenuItem*, std::map<std::string, std::string>> menus;
        for (const ui::Control* c : main.controls()) {
            const auto* item = dynamic_cast<const ui::MenuItem*>(c);
            if (!item || item->separator() || !item->visible() || !isNumeric(item->tag)) continue;
            int count = 0;
            const std::string key = mnemonic(item->caption(), count);
            EXPECT_EQ(count, 1) << item->name() << ": " << item->caption();
            if (key.empty()) continue;
            const auto [it, fresh] = menus[item->parent()].try_emplace(key, item->caption());
            EXPECT_TRUE(fresh) << "\"" << item->caption() << "\" and \"" << it->second
                               << "\" share " << key;
        }
    }
}

TEST_F(ShippedLanguages, PlannedWindowsHaveNoMnemonicTwiceOnOneTab) {
    for (const Language& l : languages) {
        SCOPED_TRACE(l.name);
        std::map<int, std::map<std::string, std::string>> groups;
        const auto add = [&](int group, const std::string& caption, const std::string& where) {
            int count = 0;
            const std::string key = mnemonic(caption, count);
            EXPECT_LE(count, 1) << where << ": " << caption;
            if (key.empty()) return;
            const auto [it, fresh] = groups[group].try_emplace(key, caption);
            EXPECT_TRUE(fresh) << "\"" << caption << "\" and \"" << it->second << "\" share "
                               << key;
        };
        for (const Planned& p : kPlanned) {
            if (p.group >= 0) add(p.group, part0(l.formFile, p.code), p.control);
        }
        // The preferences: each page's controls, and those below the tabs, meet on every tab.
        std::map<std::string, std::string> created;
        settings::createAll(
            [&](const std::string& name, const std::string& value) { created[name] = value; });
        settings::load(settings::options(), [&](const std::string& name) { return created[name]; });
        modTraducir::CurrentLanguage = l.name;
        test::FakeTrayArea trayArea;
        engine::HideEngine hideEngine{trayArea};
        frmPpal main{hideEngine};
        frmPref preferences{main, {}};
        modTraducir::TranslateForm(preferences, modTraducir::LanguageFilePrefix);
        for (const ui::Control* c : preferences.controls()) {
            if (c->caption().empty() || !isNumeric(c->tag)) continue;
            int page = 0;
            for (const ui::Control* at = c; at; at = at->container)
                if (at->name() == "fraOpciones") page = at->index;
            for (int tab = page == 0 ? 1 : page; tab <= (page == 0 ? 5 : page); ++tab)
                add(tab, c->caption(), c->name());
            // Alt with a letter that a default hotkey holds (Alt+W) never reaches the dialog.
            int count = 0;
            const std::string key = mnemonic(c->caption(), count);
            for (int slot = 0; slot < ids::kSlots; ++slot) {
                if (settings::S[slot] != 18 || key.size() != 1) continue;
                EXPECT_NE(std::toupper(static_cast<unsigned char>(key[0])), settings::T[slot])
                    << c->caption() << ": Alt+" << key << " is a default hotkey";
            }
        }
    }
}

}  // namespace
}  // namespace kvr
