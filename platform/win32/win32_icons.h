// The icon port over shell32's ExtractIconW and user32's DrawIconEx and DestroyIcon.
#pragma once

#include "platform/icons.h"

namespace kvr::platform {

class Win32Icons : public Icons {
public:
    int iconSize() override;
    IconHandle extractIcon(const std::string& file, std::uint32_t index) override;
    bool drawIcon(Bitmap& bitmap, int x, int y, IconHandle icon) override;
    bool destroyIcon(IconHandle icon) override;
};

}  // namespace kvr::platform
