// Icon port: the icons a program file holds (ExtractIcon), drawn onto a picture (DrawIcon) and
// given back (DestroyIcon). Every handle extractIcon gives must go back through destroyIcon.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kvr::platform {

using IconHandle = std::uint32_t;  // 0 = no icon (32-bit product)

// What an icon is drawn on: width x height pixels, 32-bit BGRA with straight alpha, top row
// first. Alpha 0 is transparent.
struct Bitmap {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};

class Icons {
public:
    virtual ~Icons() = default;

    // The system's icon size, in pixels (SM_CXICON): what drawIcon draws at.
    virtual int iconSize() = 0;
    // ExtractIcon: icon number index (0 the first) of an executable, library or icon file. 0
    // when the file is missing, cannot be read, holds no icons or fewer than index + 1.
    virtual IconHandle extractIcon(const std::string& file, std::uint32_t index) = 0;
    // DrawIcon: the icon at iconSize() with its top left corner at (x, y), laid over what the
    // bitmap holds; what falls outside it is cut off. False for a handle that is no icon.
    virtual bool drawIcon(Bitmap& bitmap, int x, int y, IconHandle icon) = 0;
    // DestroyIcon; false for a handle that is no icon (any more).
    virtual bool destroyIcon(IconHandle icon) = 0;
};

// Lays size x size pixels (BGRA, straight alpha) over the bitmap with their top left corner at
// (x, y), as drawing an icon does; what falls outside the bitmap is cut off.
void drawOver(Bitmap& bitmap, int x, int y, const std::vector<std::uint32_t>& pixels, int size);

}  // namespace kvr::platform
