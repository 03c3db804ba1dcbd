#include "platform/services.h"

namespace kvr::platform {

namespace {
Services current;
}

void install(const Services& services) { current = services; }
const Services& installed() { return current; }

}  // namespace kvr::platform
