#include "platform/services.h"
#include "settings/settings.h"
#include "startup/cls_wbd.h"
#include "startup/mod_general.h"

namespace kvr::modGeneral {

namespace {

constexpr const char* kRunKey = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kRunValue = "KVR";

}  // namespace

void PrepareSettings(clsWBD& registry) {
    // An empty path would address a registry root: such an entry is skipped, and the program
    // runs on its defaults in memory.
    for (int entry : {2, 3, 4}) {
        const std::string key = GetStoredString(entry);
        if (key.empty() || registry.ExistKey(key)) continue;
        registry.CreateKey(key);
        if (entry == 4) registry.SetReg(key, GetStoredString(1), "English");
    }

    const std::string options = GetStoredString(5);
    if (!options.empty()) {
        if (!registry.ExistKey(options)) {
            registry.CreateKey(options);
            for (const auto& option : settings::options()) {
                registry.SetReg(options, option.name, option.created);
            }
        } else {
            // An empty title text is valid, so it is never repaired.
            for (const auto& option : settings::options()) {
                if (option.name == "BxTT") continue;
                if (registry.strDame(options, option.name).empty()) {
                    registry.SetReg(options, option.name, option.repaired);
                }
            }
        }
    }
    SyncAutostart(registry, false);
}

std::string AutostartCommand() {
    auto& system = platform::system();
    // Quoted, so that a path with blanks cannot be taken for a shorter program's path.
    return "\"" + system.appFolder() + "\\" + system.exeTitle() + ".exe\"";
}

void SyncAutostart(clsWBD& registry, bool force) {
    const std::string current = registry.strDame(kRunKey, kRunValue);
    bool on = force;
    if (!force) {
        const std::string options = GetStoredString(5);
        // Without the options key's path the wish is unknown: leave the entry as it is.
        if (options.empty()) return;
        on = settings::toLong(registry.strDame(options, "OR"), 0) == 1;
    }
    if (on) {
        const std::string command = AutostartCommand();
        if (command != current) registry.SetReg(kRunKey, kRunValue, command);
    } else if (!current.empty()) {
        registry.DeleteKey(kRunKey, kRunValue);
    }
}

}  // namespace kvr::modGeneral
