// An icon handle as pixels: what the program's images and pictures hold.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace kvr::platform::win32 {

// The icon drawn at size x size: 32-bit BGRA, straight alpha, top row first. Empty when it could
// not be drawn.
std::vector<std::uint32_t> iconPixels(HICON icon, int size);

}  // namespace kvr::platform::win32
