// Registry port: the shape of the advapi32 registry calls, with UTF-8 names and data.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/types.h"

namespace kvr::platform {

namespace reg {
inline constexpr HKey kClassesRoot = 0x80000000u;
inline constexpr HKey kCurrentUser = 0x80000001u;
inline constexpr HKey kLocalMachine = 0x80000002u;
inline constexpr HKey kUsers = 0x80000003u;
inline constexpr HKey kPerformanceData = 0x80000004u;
inline constexpr HKey kCurrentConfig = 0x80000005u;
inline constexpr HKey kDynData = 0x80000006u;

inline constexpr std::uint32_t kQueryValue = 0x0001;
inline constexpr std::uint32_t kRead = 0x20019;
inline constexpr std::uint32_t kWrite = 0x20006;
inline constexpr std::uint32_t kAllAccess = 0xF003F;

inline constexpr std::uint32_t kSz = 1;
inline constexpr std::uint32_t kExpandSz = 2;
inline constexpr std::uint32_t kBinary = 3;
inline constexpr std::uint32_t kDword = 4;
inline constexpr std::uint32_t kMultiSz = 7;
}  // namespace reg

struct KeyInfo {
    std::uint32_t subKeys = 0;
    std::uint32_t maxSubKeyLen = 0;     // characters
    std::uint32_t values = 0;
    std::uint32_t maxValueNameLen = 0;  // characters
    std::uint32_t maxValueLen = 0;      // bytes as Windows stores them (UTF-16 for string types)
};

// Data of string types (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) crosses the port as UTF-8 bytes,
// with exactly the terminators that were written: "" written with its terminator reads back as
// one 0 byte, a text written without one reads back without. Other types are raw bytes.
class Registry {
public:
    virtual ~Registry() = default;

    virtual ErrorCode openKey(HKey parent, const std::string& subKey, std::uint32_t access,
                              HKey& result) = 0;
    // RegCreateKey: opens the key when it exists.
    virtual ErrorCode createKey(HKey parent, const std::string& subKey, HKey& result) = 0;
    virtual ErrorCode closeKey(HKey key) = 0;
    virtual ErrorCode queryValue(HKey key, const std::string& name, std::uint32_t& type,
                                 std::vector<std::uint8_t>& data) = 0;
    virtual ErrorCode setValue(HKey key, const std::string& name, std::uint32_t type,
                               const std::vector<std::uint8_t>& data) = 0;
    // RegDeleteKey: fails on a key that still has subkeys.
    virtual ErrorCode deleteKey(HKey parent, const std::string& subKey) = 0;
    virtual ErrorCode deleteValue(HKey key, const std::string& name) = 0;
    virtual ErrorCode enumKey(HKey key, std::uint32_t index, std::string& name) = 0;
    virtual ErrorCode enumValue(HKey key, std::uint32_t index, std::string& name,
                                std::uint32_t& type, std::vector<std::uint8_t>& data) = 0;
    virtual ErrorCode queryInfoKey(HKey key, KeyInfo& info) = 0;
};

}  // namespace kvr::platform
