// Plain-number stand-ins for the Win32 handle and result types, so that code above the ports
// never needs windows.h.
#pragma once

#include <cstdint>

namespace kvr::platform {

using Hwnd = std::uint32_t;       // window handle, 0 = no window (32-bit product)
using HKey = std::uint32_t;       // registry key handle; predefined roots are 0x80000000..6
using ErrorCode = std::int32_t;   // Win32 error code, 0 = success

namespace err {
inline constexpr ErrorCode kSuccess = 0;
inline constexpr ErrorCode kFileNotFound = 2;
inline constexpr ErrorCode kAccessDenied = 5;
inline constexpr ErrorCode kInvalidHandle = 6;
inline constexpr ErrorCode kInvalidParameter = 87;
inline constexpr ErrorCode kBadPathname = 161;
inline constexpr ErrorCode kMoreData = 234;
inline constexpr ErrorCode kNoMoreItems = 259;
inline constexpr ErrorCode kKeyDeleted = 1018;
}  // namespace err

}  // namespace kvr::platform
