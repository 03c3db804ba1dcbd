#include "engine/mod_wnd_x_proc.h"

#include "platform/desktop.h"
#include "platform/services.h"

namespace kvr::modWndXProc {

std::vector<ProcessRecord> ListProcesses() {
    std::vector<ProcessRecord> list(1);
    const auto snapshot = platform::desktop().processSnapshot();
    if (!snapshot) {
        list.push_back({kCannotEnumerate, std::nullopt});
        return list;
    }
    for (const platform::ProcessEntry& entry : *snapshot) {
        list.push_back({entry.exeFile, entry.processId});
    }
    return list;
}

}  // namespace kvr::modWndXProc
