#include "platform/win32/win32_registry.h"
#include "tests/contract/contract_env.h"

namespace kvr::contract {

std::unique_ptr<platform::Registry> makeRegistry() {
    return std::make_unique<platform::Win32Registry>();
}

}  // namespace kvr::contract
