#include "base/ids.h"
#include "base/text.h"
#include "platform/services.h"
#include "settings/settings.h"
#include "startup/cls_wbd.h"
#include "startup/mod_general.h"

namespace kvr::modGeneral {

namespace {

constexpr const char* kRunKey = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
// Where the entry goes when the machine-wide key refuses a standard user.
constexpr const char* kUserRunKey = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kRunValue = "KVR";

}  // namespace

void PrepareSettings(clsWBD& registry) {
    // An empty path would address a registry root: such an entry is skipped, and the program
    // runs on its defaults in memory.
    for (int entry : {ids::store::kFirstKey, ids::store::kSecondKey, ids::store::kLanguageKey}) {
        const std::string key = GetStoredString(entry);
        if (key.empty() || registry.ExistKey(key)) continue;
        registry.CreateKey(key);
        if (entry == ids::store::kLanguageKey) {
            registry.SetReg(key, GetStoredString(ids::store::kLanguageValue), "English");
        }
    }

    const std::string options = GetStoredString(ids::store::kOptionsKey);
    if (!options.empty()) {
        auto write = [&](const std::string& name, const std::string& text) {
            registry.SetReg(options, name, text);
        };
        if (!registry.ExistKey(options)) {
            registry.CreateKey(options);
            settings::createAll(write);
        } else {
            settings::repair(
                [&](const std::string& name) { return registry.strDame(options, name); }, write);
        }
    }
    SyncAutostart(registry, false);
}

std::string AutostartCommand() {
    auto& system = platform::system();
    // Quoted, so that a path with blanks cannot be taken for a shorter program's path.
    return "\"" + system.appFolder() + "\\" + system.exeTitle() + ".exe\"";
}

namespace {

// Whether a Run entry starts the executable of the command: the same path, with or without
// quotes, in any letter case.
bool startsSameProgram(std::string entry, std::string command) {
    for (std::string* text : {&entry, &command}) {
        if (text->size() >= 2 && text->front() == '"' && text->back() == '"')
            *text = text->substr(1, text->size() - 2);
    }
    return text::decodeFolded(entry) == text::decodeFolded(command);
}

}  // namespace

std::optional<std::string> SyncAutostart(clsWBD& registry, bool force) {
    const std::string current = registry.strDame(kRunKey, kRunValue);
    const std::string currentForUser = registry.strDame(kUserRunKey, kRunValue);
    bool on = force;
    if (!force) {
        const std::string options = GetStoredString(ids::store::kOptionsKey);
        // Without the options key's path the wish is unknown: leave the entry as it is.
        if (options.empty()) return std::nullopt;
        // Read as the start-up reads it, so that memory and the Run entry agree on a bad value.
        const auto& option = settings::optionFor(&settings::OR);
        on = option.number(registry.strDame(options, option.name)) == 1;
    }
    // One entry at most: with two, both start a copy at logon, and the second one finds the
    // first already running.
    const auto dropUsersEntry = [&] {
        if (!currentForUser.empty()) registry.DeleteKey(kUserRunKey, kRunValue);
    };
    if (on) {
        const std::string command = AutostartCommand();
        if (command == current || registry.SetReg(kRunKey, kRunValue, command) == 0) {
            dropUsersEntry();
            return std::nullopt;
        }
        // A standard user may not write the machine's Run key. An entry there, which an
        // administrator made, starts its copy at logon already; only without one does the
        // user's own key take ours.
        if (!current.empty()) {
            dropUsersEntry();
            if (startsSameProgram(current, command)) return std::nullopt;
            return current;
        }
        if (command != currentForUser) registry.SetReg(kUserRunKey, kRunValue, command);
        return std::nullopt;
    }
    dropUsersEntry();
    if (current.empty() || registry.DeleteKey(kRunKey, kRunValue) == 0) return std::nullopt;
    // Refused: a standard user cannot remove what an administrator wrote.
    return current;
}

}  // namespace kvr::modGeneral
