// Every text the user sees comes from the language files in the Lng folder: a form-text file
// keyed by four-digit control codes and a message file keyed by three-digit numbers.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/form.h"

namespace kvr::modTraducir {

inline std::string CurrentLanguage = "English";
// Appended to the application folder; set by the start-up.
inline std::string LanguageFilePrefix;

// Back to the state before the start-up set the language.
inline void resetForTests() {
    CurrentLanguage = "English";
    LanguageFilePrefix.clear();
}

// The parts of message number (1..999); at least two parts, so a warning always has a text and
// a caption. Falls back to the English file, then to the number itself.
std::vector<std::string> GetMessage(int number);

// Replaces each control's code by its text in the current language; a code that neither the
// current language nor English knows stays as it is.
void TranslateForm(ui::Form& form, const std::string& prefix);

// The languages of the form-text files matching pattern: "English" first, the others sorted.
std::vector<std::string> ListLanguages(const std::string& pattern);
// Ascending in text::collate's order (case never decides, accents only between otherwise equal
// names); names that compare equal keep their order.
void SortNames(std::vector<std::string>& names);
// Ticks the item whose caption is CurrentLanguage and clears the others.
void CheckCurrentLanguage(const std::vector<ui::MenuItem*>& items);
// Applies CurrentLanguage after the language menu set it: re-translates the main window, unloads
// the other windows, hands the language to remember (which stores it and picks its help file)
// and ticks the menu.
void SwitchLanguage(const std::vector<ui::MenuItem*>& items,
                    const std::function<void(const std::string&)>& remember);

}  // namespace kvr::modTraducir

namespace kvr::langfile {

// A language file's bytes as UTF-8: read as UTF-8 when it starts with a byte-order mark, else
// through the ANSI code page. nullopt when it cannot be read.
std::optional<std::string> read(const std::string& path);
// The value of "[key]=" (first occurrence), up to the next CR or the end of the text.
std::optional<std::string> lookUp(std::string_view text, std::string_view key);
std::vector<std::string> split(std::string_view value);

}  // namespace kvr::langfile
