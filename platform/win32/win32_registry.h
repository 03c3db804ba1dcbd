// The registry port over advapi32's wide functions: names and string data are converted between
// UTF-8 and UTF-16 here, so settings in any script survive the trip.
#pragma once

#include "platform/registry.h"

namespace kvr::platform {

class Win32Registry : public Registry {
public:
    ErrorCode openKey(HKey parent, const std::string& subKey, std::uint32_t access,
                      HKey& result) override;
    ErrorCode createKey(HKey parent, const std::string& subKey, HKey& result) override;
    ErrorCode closeKey(HKey key) override;
    ErrorCode queryValue(HKey key, const std::string& name, std::uint32_t& type,
                         std::vector<std::uint8_t>& data) override;
    ErrorCode setValue(HKey key, const std::string& name, std::uint32_t type,
                       const std::vector<std::uint8_t>& data) override;
    ErrorCode deleteKey(HKey parent, const std::string& subKey) override;
    ErrorCode deleteValue(HKey key, const std::string& name) override;
    ErrorCode enumKey(HKey key, std::uint32_t index, std::string& name) override;
    ErrorCode enumValue(HKey key, std::uint32_t index, std::string& name, std::uint32_t& type,
                        std::vector<std::uint8_t>& data) override;
    ErrorCode queryInfoKey(HKey key, KeyInfo& info) override;
};

}  // namespace kvr::platform
