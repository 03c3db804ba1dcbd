#include "platform/single_instance.h"

#include "platform/types.h"

namespace kvr::platform {

namespace {
constexpr std::uint32_t kAlreadyExists = 183;  // ERROR_ALREADY_EXISTS
}  // namespace

bool earlierInstanceFrom(bool gotHandle, std::uint32_t lastError) {
    if (gotHandle) return lastError == kAlreadyExists;
    // The name exists but belongs to a copy we may not open: one running elevated or under
    // another account.
    if (lastError == static_cast<std::uint32_t>(err::kAccessDenied)) return true;
    // Any other failure (out of resources, a name taken by another kind of object) says
    // nothing about another copy. Refusing to start would leave the user with no program at
    // all; starting risks at worst a second copy whose hotkeys the first one already holds.
    return false;
}

}  // namespace kvr::platform
