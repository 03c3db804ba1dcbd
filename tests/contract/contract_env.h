// The contract tests run the same cases against the in-memory fakes (native build) and against
// the real adapters (Windows build, under Wine). Each build links exactly one file that defines
// these factories: contract_env_fake.cpp or contract_env_win32.cpp.
#pragma once

#include <memory>

#include "platform/registry.h"

namespace kvr::contract {

// A fresh registry port. The real one is shared with the rest of the machine: tests touch only
// their own scratch keys.
std::unique_ptr<platform::Registry> makeRegistry();

}  // namespace kvr::contract
