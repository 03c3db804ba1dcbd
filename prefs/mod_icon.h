// Program icons drawn onto a picture, for the lists that show programs.
#pragma once

#include <cstdint>
#include <string>

#include "platform/icons.h"

namespace kvr::modIcon {

// Draws icon number iconNumber (0 the first) of the file with its top left corner at (x, y) of
// the picture. True when an icon was drawn; false for a file without one or that cannot be
// read. The icon is given back to the system in every case.
bool DrawExeIcon(const std::string& fileName, std::uint32_t iconNumber, platform::Bitmap& dc, int x,
                 int y);

}  // namespace kvr::modIcon
