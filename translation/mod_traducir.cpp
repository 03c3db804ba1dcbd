#include "translation/mod_traducir.h"

#include <algorithm>

#include "base/text.h"
#include "platform/services.h"
#include "ui/controls.h"

namespace kvr::langfile {

std::optional<std::string> read(const std::string& path) {
    std::string bytes;
    if (!platform::files().readFile(path, bytes)) return std::nullopt;
    constexpr std::string_view bom = "\xEF\xBB\xBF";
    if (bytes.compare(0, bom.size(), bom) == 0) return bytes.substr(bom.size());
    return platform::files().ansiToUtf8(bytes);
}

std::optional<std::string> lookUp(std::string_view text, std::string_view key) {
    const std::string marker = "[" + std::string(key) + "]=";
    const auto start = text.find(marker);
    if (start == std::string_view::npos) return std::nullopt;
    const auto value = start + marker.size();
    const auto end = text.find('\r', value);
    return std::string(text.substr(value, end == std::string_view::npos ? end : end - value));
}

std::vector<std::string> split(std::string_view value) {
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (;;) {
        const auto bar = value.find('|', from);
        parts.emplace_back(value.substr(from, bar == std::string_view::npos ? bar : bar - from));
        if (bar == std::string_view::npos) return parts;
        from = bar + 1;
    }
}

}  // namespace kvr::langfile

namespace kvr::modTraducir {

namespace {

std::string lngPath(const std::string& prefix, const std::string& name) {
    return platform::system().appFolder() + prefix + name + ".txt";
}

// One file of the current language and the English file that stands in for its missing keys;
// each is read at most once, and English only when a key is missing.
class LanguageText {
public:
    LanguageText(const std::string& prefix, const std::string& name, const std::string& english)
        : path_(lngPath(prefix, name)), englishPath_(lngPath(prefix, english)) {}

    std::optional<std::string> value(const std::string& key) {
        if (!read_) {
            text_ = langfile::read(path_);
            read_ = true;
        }
        if (text_) {
            if (auto found = langfile::lookUp(*text_, key)) return found;
        }
        if (path_ == englishPath_) return std::nullopt;
        if (!englishRead_) {
            english_ = langfile::read(englishPath_);
            englishRead_ = true;
        }
        return english_ ? langfile::lookUp(*english_, key) : std::nullopt;
    }

private:
    std::string path_;
    std::string englishPath_;
    bool read_ = false;
    bool englishRead_ = false;
    std::optional<std::string> text_;
    std::optional<std::string> english_;
};

// The caption of a box whose message lacks one.
std::string productName() {
    auto name = LanguageText(LanguageFilePrefix, CurrentLanguage, "English").value("0006");
    return name ? langfile::split(*name)[0] : "KVR";
}

}  // namespace

std::vector<std::string> GetMessage(int number) {
    const std::string key = text::padded(number, 3);
    // Read anew on every call: no text outlives the call.
    auto value =
        LanguageText(LanguageFilePrefix, text::characters(CurrentLanguage, 0, 3), "Eng").value(key);
    std::vector<std::string> parts = value ? langfile::split(*value) : std::vector{key};
    if (parts.size() < 2) parts.push_back(productName());
    return parts;
}

namespace {

class Translator {
public:
    explicit Translator(const std::string& prefix) : text_(prefix, CurrentLanguage, "English") {}

    // Parts for a code; nullopt leaves the control as it is. A text that is no number is a
    // literal ("+", a name) and is never looked up.
    std::optional<std::vector<std::string>> parts(const std::string& code) {
        if (!text::isNumeric(code)) return std::nullopt;
        auto value = text_.value(code);
        if (!value) return std::nullopt;
        return langfile::split(*value);
    }

private:
    LanguageText text_;
};

// The code lives in the property until the first translation replaces it; Tag keeps it.
std::string codeOf(std::string& property, std::string& tag) {
    if (text::isNumeric(property)) {
        tag = property;
    } else if (text::isNumeric(tag)) {
        property = tag;
    }
    return property;
}

void translateCaption(ui::Control& c, Translator& t) {
    if (c.caption().empty()) return;
    std::string caption = c.caption();
    const auto parts = t.parts(codeOf(caption, c.tag));
    if (!parts) return c.setCaption(caption);
    c.setCaption((*parts)[0]);
    if (parts->size() > 1) c.setToolTipText((*parts)[1]);
}

void translateMenu(ui::MenuItem& m, Translator& t) {
    if (m.caption() == "-") return;
    std::string caption = m.caption();
    const std::string code = codeOf(caption, m.tag);
    if (!text::isNumeric(code)) return;
    const auto parts = t.parts(code);
    m.setCaption(parts ? (*parts)[0] : caption);
}

void translateToolTip(ui::Control& c, Translator& t) {
    if (c.toolTipText().empty()) return;
    std::string tip = c.toolTipText();
    const auto parts = t.parts(codeOf(tip, c.tag));
    c.setToolTipText(parts ? (*parts)[0] : tip);
}

void translateListView(ui::ListView& l, Translator& t) {
    std::string tip = l.toolTipText();
    const auto parts = t.parts(codeOf(tip, l.tag));
    if (!parts) return l.setToolTipText(tip);
    for (std::size_t i = 0; i + 1 < parts->size() && i < l.columns().size(); ++i) {
        l.setColumn(i, (*parts)[i]);
    }
    l.setToolTipText(parts->back());
}

void translateCombo(ui::ComboBox& c, Translator& t) {
    if (c.toolTipText().empty()) return;
    std::string tip = c.toolTipText();
    const auto parts = t.parts(codeOf(tip, c.tag));
    if (!parts) return c.setToolTipText(tip);
    for (std::size_t i = 0; i + 1 < parts->size(); ++i) c.addItem((*parts)[i]);
    c.setToolTipText(parts->back());
}

// Tabs and buttons have no Tag of their own; their codes are kept in the control's Tag as a
// "|"-joined list, one slot per tab or button.
std::string& slot(std::vector<std::string>& tags, std::size_t i) {
    if (tags.size() <= i) tags.resize(i + 1);
    return tags[i];
}

std::string joinTags(const std::vector<std::string>& tags) {
    std::string joined;
    for (std::size_t i = 0; i < tags.size(); ++i) joined += (i ? "|" : "") + tags[i];
    return joined;
}

void translateTabs(ui::TabStrip& s, Translator& t) {
    auto tags = langfile::split(s.tag);
    for (std::size_t i = 0; i < s.tabs().size(); ++i) {
        ui::Tab tab = s.tabs()[i];
        if (tab.caption.empty()) continue;
        const auto parts = t.parts(codeOf(tab.caption, slot(tags, i)));
        if (parts) {
            tab.caption = (*parts)[0];
            if (parts->size() > 1) tab.toolTip = (*parts)[1];
        }
        s.setTab(i, tab);
    }
    s.tag = joinTags(tags);
}

void translateToolbar(ui::Toolbar& b, Translator& t) {
    auto tags = langfile::split(b.tag);
    for (std::size_t i = 0; i < b.buttons().size(); ++i) {
        ui::ToolButton button = b.buttons()[i];
        if (button.toolTip.empty()) continue;
        const auto parts = t.parts(codeOf(button.toolTip, slot(tags, i)));
        if (parts) button.toolTip = (*parts)[0];
        b.setButton(i, button);
    }
    b.tag = joinTags(tags);
}

void translateTextBox(ui::TextBox& x, Translator& t) {
    if (x.text().empty()) return;
    std::string content = x.text();
    codeOf(content, x.tag);
    const auto parts = t.parts(text::characters(content, 0, 4));
    if (!parts) return x.setText(content);
    x.setText((*parts)[0]);
    if (parts->size() > 1) x.setToolTipText((*parts)[1]);
}

}  // namespace

void TranslateForm(ui::Form& form, const std::string& prefix) {
    Translator t(prefix);
    std::string caption = form.caption();
    const std::string code = codeOf(caption, form.tag);
    const auto parts = t.parts(code);
    form.setCaption(parts ? (*parts)[0] : caption);

    for (ui::Control* c : form.controls()) {
        const std::string kind = c->name().substr(0, 3);
        if (kind == "cmd" || kind == "lbl" || kind == "opt" || kind == "chk") {
            translateCaption(*c, t);
        } else if (kind == "mnu") {
            if (auto* m = dynamic_cast<ui::MenuItem*>(c)) translateMenu(*m, t);
        } else if (kind == "img" || kind == "trv") {
            translateToolTip(*c, t);
        } else if (kind == "lsv") {
            if (auto* l = dynamic_cast<ui::ListView*>(c)) translateListView(*l, t);
        } else if (kind == "cmb") {
            if (auto* b = dynamic_cast<ui::ComboBox*>(c)) translateCombo(*b, t);
        } else if (kind == "tbs") {
            if (auto* s = dynamic_cast<ui::TabStrip*>(c)) translateTabs(*s, t);
        } else if (kind == "tlb") {
            if (auto* b = dynamic_cast<ui::Toolbar*>(c)) translateToolbar(*b, t);
        } else if (kind == "txt") {
            if (auto* x = dynamic_cast<ui::TextBox*>(c)) translateTextBox(*x, t);
        }
    }
}

namespace {

bool endsWith(const std::string& text, std::string_view end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

void SortNames(std::vector<std::string>& names) {
    std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return text::collate(a, b) < 0;
    });
}

std::vector<std::string> ListLanguages(const std::string& pattern) {
    std::vector<std::string> others;
    for (const std::string& file : platform::files().listFiles(pattern)) {
        // "KVR_" + name + "." + extension: message and help files have 11 characters.
        const std::size_t length = text::length(file);
        if (length <= 11) continue;
        std::string name = text::characters(file, 4, length - 8);
        if (name == "English") continue;
        others.push_back(std::move(name));
    }
    SortNames(others);
    others.insert(others.begin(), "English");
    return others;
}

void CheckCurrentLanguage(const std::vector<ui::MenuItem*>& items) {
    for (ui::MenuItem* item : items) {
        if (item) item->setChecked(item->caption() == CurrentLanguage);
    }
}

void SwitchLanguage(const std::vector<ui::MenuItem*>& items,
                    const std::function<void(const std::string&)>& remember) {
    const std::vector<ui::Form*> forms = ui::loadedForms();
    for (ui::Form* form : forms) {
        // An unload may take other windows with it.
        const auto loaded = ui::loadedForms();
        if (std::find(loaded.begin(), loaded.end(), form) == loaded.end()) continue;
        // The main window stays and is translated in place; the others are translated afresh
        // when they open again.
        if (endsWith(form->name(), "Ppal")) {
            TranslateForm(*form, LanguageFilePrefix);
        } else {
            form->unload();
        }
    }
    if (remember) remember(CurrentLanguage);
    CheckCurrentLanguage(items);
}

}  // namespace kvr::modTraducir
