// Whether an earlier copy of the program runs, told from what creating the program's named
// mutex gave back.
#pragma once

#include <cstdint>

namespace kvr::platform {

// gotHandle: the create call returned a handle; lastError: GetLastError right after it.
bool earlierInstanceFrom(bool gotHandle, std::uint32_t lastError);

}  // namespace kvr::platform
