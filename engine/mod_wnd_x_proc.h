// The list of running processes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kvr::modWndXProc {

struct ProcessRecord {
    std::string exeFile;  // as the snapshot gives it: a bare name or a full path
    std::optional<std::uint32_t> processId;
};

inline constexpr char kCannotEnumerate[] = "Cannot enumerate running process!";

// Slot 0 is empty; slots 1..N hold every running process, this program included. When no
// snapshot can be taken, slot 1 is the single record kCannotEnumerate without a process id.
std::vector<ProcessRecord> ListProcesses();

}  // namespace kvr::modWndXProc
