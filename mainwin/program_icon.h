// The program's own icon, drawn on ui::Canvas's 16-unit grid so that one drawing gives the
// notification area's 16-pixel picture and the executable's larger ones.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kvr {

// size x size BGRA pixels, straight alpha, top row first.
std::vector<std::uint32_t> ProgramIcon(int size);

// An .ico file holding the icon at each of these sizes, 32-bit with alpha and an AND mask.
std::string ProgramIconFile(const std::vector<int>& sizes);

}  // namespace kvr
