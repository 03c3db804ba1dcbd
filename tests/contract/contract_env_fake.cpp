#include "platform/fake/fake_registry.h"
#include "tests/contract/contract_env.h"

namespace kvr::contract {

std::unique_ptr<platform::Registry> makeRegistry() {
    return std::make_unique<platform::FakeRegistry>();
}

}  // namespace kvr::contract
